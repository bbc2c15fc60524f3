#include "server/storage/postgres/PostgresWire.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "server/storage/SqlLexer.h"
#include "server/storage/SqlLiteral.h"

namespace storage {

namespace {

// Type identifiers of the built-in types (pg_type.oid).
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
              kFloat8 = 701, kNumeric = 1700;

ValueType TypeOfOid(Oid oid) {
  switch (oid) {
    case kBool:
    case kInt8:
    case kInt2:
    case kInt4:
    case kOid: return ValueType::Integer;
    case kFloat4:
    case kFloat8: return ValueType::Double;
    case kBytea: return ValueType::Blob;
    case kNumeric: return ValueType::Null;  // integral or not: by value
    default: return ValueType::Text;
  }
}

double ParseDouble(std::string_view text) {
  double d = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
  if (ec != std::errc()) {
    if (text == "Infinity") return HUGE_VAL;
    if (text == "-Infinity") return -HUGE_VAL;
    return std::nan("");
  }
  return d;
}

Value CellValue(const PGresult* result, int row, int column) {
  if (PQgetisnull(result, row, column)) return Value();
  std::string_view text(PQgetvalue(result, row, column), static_cast<std::size_t>(PQgetlength(result, row, column)));
  switch (PQftype(result, column)) {
    case kBool: return Value(text == "t" ? 1 : 0);
    case kInt8:
    case kInt2:
    case kInt4:
    case kOid: {
      std::int64_t n = 0;
      std::from_chars(text.data(), text.data() + text.size(), n);
      return Value(n);
    }
    case kFloat4:
    case kFloat8: return Value(ParseDouble(text));
    case kNumeric: {
      std::int64_t n = 0;
      auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
      if (ec == std::errc() && ptr == text.data() + text.size()) return Value(n);
      return Value(ParseDouble(text));
    }
    case kBytea: {
      std::size_t length = 0;
      unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(PQgetvalue(result, row, column)),
                                             &length);
      if (!bytes) throw EStorageError(ErrorKind::Other, "", "cannot read a bytea value");
      Blob blob(bytes, bytes + length);
      PQfreemem(bytes);
      return Value(std::move(blob));
    }
    default: return Value(std::string(text));
  }
}

ErrorKind KindOfState(std::string_view state) {
  if (state == "23505") return ErrorKind::Duplicate;
  if (state == "42P06" || state == "42P07" || state == "42710") return ErrorKind::Duplicate;  // schema, table, role
  if (state.starts_with("23")) return ErrorKind::Constraint;
  if (state == "22001" || state == "22003" || state == "22P02" || state == "22007" || state == "22008" ||
      state == "22021")
    return ErrorKind::Constraint;
  if (state == "40001" || state == "40P01" || state == "55P03") return ErrorKind::Busy;
  if (state == "57014" || state.starts_with("54") || state == "53400") return ErrorKind::Limit;
  if (state == "42501" || state == "25006" || state.starts_with("28")) return ErrorKind::Permission;
  if (state.starts_with("42")) return ErrorKind::Syntax;
  if (state.starts_with("08") || state == "57P01" || state == "57P02" || state == "57P03")
    return ErrorKind::Connection;
  return ErrorKind::Other;
}

}  // namespace

PgParams::PgParams(std::span<const Value> values) {
  texts_.reserve(values.size());
  for (const Value& v : values) {
    Oid type = 0;
    int format = 0;
    std::string text;
    switch (v.Type()) {
      case ValueType::Null: break;
      case ValueType::Integer: type = kInt8; text = std::to_string(v.AsInteger()); break;
      case ValueType::Double: type = kFloat8; text = DoubleText(v.AsDouble()); break;
      case ValueType::Text:
        if (!IsStorableText(v.AsText()))
          throw EStorageError(ErrorKind::Constraint, "", "a text parameter is not valid UTF-8 or holds a NUL character");
        text = v.AsText();
        break;
      case ValueType::Blob:
        type = kBytea;
        format = 1;
        text.assign(v.AsBlob().begin(), v.AsBlob().end());
        break;
    }
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
      throw EStorageError(ErrorKind::Limit, "", "a parameter is too large");
    types_.push_back(type);
    formats_.push_back(format);
    lengths_.push_back(static_cast<int>(text.size()));
    texts_.push_back(std::move(text));
  }
  for (std::size_t i = 0; i < values.size(); ++i)
    pointers_.push_back(values[i].IsNull() ? nullptr : texts_[i].c_str());
}

std::string NumberPlaceholders(std::string_view sql, std::size_t& count) {
  count = 0;
  std::string out;
  out.reserve(sql.size() + 8);
  for (const auto& token : TokenizeSql(sql, SqlFlavour::Postgres)) {
    std::string_view text = token.Text(sql);
    if (token.kind == SqlTokenKind::Parameter) {
      if (text != "?")
        throw EStorageError(ErrorKind::Syntax, "", "parameters are written \"?\", not " + std::string(text));
      out += "$" + std::to_string(++count);
    } else {
      out += text;
    }
  }
  return out;
}

EStorageError ErrorOf(PGconn* conn, const PGresult* result) {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  const char* detail = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL) : nullptr;
  std::string message;
  if (primary) {
    message = primary;
    if (detail) message += std::string(" (") + detail + ")";
  } else {
    message = PQerrorMessage(conn);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    if (message.empty() && result) message = PQresStatus(PQresultStatus(result));
  }
  ErrorKind kind = state ? KindOfState(state) : ErrorKind::Other;
  if (!state && PQstatus(conn) == CONNECTION_BAD) kind = ErrorKind::Connection;
  return EStorageError(kind, state ? state : "", message);
}

void ReadColumns(const PGresult* result, Result& into) {
  int columns = PQnfields(result);
  into.columns.clear();
  for (int i = 0; i < columns; ++i) into.columns.push_back({PQfname(result, i), TypeOfOid(PQftype(result, i))});
}

void ReadRows(const PGresult* result, Result& into) {
  int rows = PQntuples(result), columns = PQnfields(result);
  for (int r = 0; r < rows; ++r) {
    Row row;
    row.reserve(columns);
    for (int c = 0; c < columns; ++c) {
      row.push_back(CellValue(result, r, c));
      if (into.columns[c].type == ValueType::Null && !row.back().IsNull()) into.columns[c].type = row.back().Type();
    }
    into.rows.push_back(std::move(row));
  }
}

std::int64_t AffectedRows(const PGresult* result) {
  std::string_view status = PQcmdStatus(const_cast<PGresult*>(result));
  if (!(status.starts_with("INSERT") || status.starts_with("UPDATE") || status.starts_with("DELETE"))) return 0;
  std::string_view tuples = PQcmdTuples(const_cast<PGresult*>(result));
  std::int64_t n = 0;
  std::from_chars(tuples.data(), tuples.data() + tuples.size(), n);
  return n;
}

}  // namespace storage
