#include "server/storage/sqlite/SqliteStatement.h"

#include "server/storage/SqlLexer.h"
#include "server/storage/sqlite/SqliteConnection.h"

namespace storage {

namespace {

// The type of a declared column, by SQLite's affinity rules; Null when the
// column is an expression.
ValueType DeclaredType(const char* declared) {
  if (!declared || !*declared) return ValueType::Null;
  std::string upper = AsciiUpper(declared);
  if (upper.find("INT") != std::string::npos) return ValueType::Integer;
  if (upper.find("CHAR") != std::string::npos || upper.find("CLOB") != std::string::npos ||
      upper.find("TEXT") != std::string::npos)
    return ValueType::Text;
  if (upper.find("BLOB") != std::string::npos) return ValueType::Blob;
  if (upper.find("REAL") != std::string::npos || upper.find("FLOA") != std::string::npos ||
      upper.find("DOUB") != std::string::npos)
    return ValueType::Double;
  return ValueType::Null;
}

Value Cell(sqlite3_stmt* stmt, int i) {
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER: return Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT: return Value(sqlite3_column_double(stmt, i));
    case SQLITE_TEXT: {
      const char* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      return Value(std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))));
    }
    case SQLITE_BLOB: {
      const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(stmt, i));
      return Value(Blob(p, p + sqlite3_column_bytes(stmt, i)));
    }
    default: return Value();
  }
}

}  // namespace

std::size_t SqliteStatement::ParameterCount() const {
  return static_cast<std::size_t>(sqlite3_bind_parameter_count(stmt_));
}

Result SqliteStatement::Run(std::span<const Value> params, std::size_t maxRows) {
  connection_.CheckUsable();
  if (params.size() != ParameterCount())
    throw EStorageError(ErrorKind::Syntax, "",
                        "the statement takes " + std::to_string(ParameterCount()) + " parameters, not " +
                            std::to_string(params.size()));
  // Reset on every way out: a statement left stepping keeps its read lock.
  struct Reset {
    sqlite3_stmt* s;
    ~Reset() { sqlite3_reset(s); }
  } reset{stmt_};
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  for (std::size_t i = 0; i < params.size(); ++i) {
    int n = static_cast<int>(i + 1), rc = SQLITE_OK;
    const Value& v = params[i];
    switch (v.Type()) {
      case ValueType::Null: rc = sqlite3_bind_null(stmt_, n); break;
      case ValueType::Integer: rc = sqlite3_bind_int64(stmt_, n, v.AsInteger()); break;
      case ValueType::Double: rc = sqlite3_bind_double(stmt_, n, v.AsDouble()); break;
      case ValueType::Text:
        if (!IsStorableText(v.AsText()))
          throw EStorageError(ErrorKind::Constraint, "", "a text parameter is not valid UTF-8 or holds a NUL character");
        rc = sqlite3_bind_text64(stmt_, n, v.AsText().data(), v.AsText().size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
      case ValueType::Blob:
        // An empty blob bound from a null pointer would be NULL.
        rc = v.AsBlob().empty() ? sqlite3_bind_zeroblob(stmt_, n, 0)
                                : sqlite3_bind_blob64(stmt_, n, v.AsBlob().data(), v.AsBlob().size(),
                                                      SQLITE_TRANSIENT);
        break;
    }
    if (rc != SQLITE_OK) connection_.Raise(rc, false);
  }

  Result result;
  int columns = sqlite3_column_count(stmt_);
  for (int i = 0; i < columns; ++i) {
    const char* name = sqlite3_column_name(stmt_, i);
    result.columns.push_back({name ? name : "", DeclaredType(sqlite3_column_decltype(stmt_, i))});
  }
  std::vector<bool> typed(columns);
  for (int i = 0; i < columns; ++i) typed[i] = result.columns[i].type != ValueType::Null;

  sqlite3* db = sqlite3_db_handle(stmt_);
  sqlite3_int64 changesBefore = sqlite3_total_changes64(db);
  while (true) {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) {
      connection_.StatementFailed();
      connection_.Raise(rc, false);
    }
    if (maxRows && result.rows.size() >= maxRows)
      throw EStorageError(ErrorKind::Limit, "",
                          "the query returns more than " + std::to_string(maxRows) + " rows");
    Row row;
    row.reserve(columns);
    for (int i = 0; i < columns; ++i) {
      row.push_back(Cell(stmt_, i));
      if (!typed[i] && !row.back().IsNull()) {
        result.columns[i].type = row.back().Type();
        typed[i] = true;
      }
    }
    result.rows.push_back(std::move(row));
  }
  if (sqlite3_total_changes64(db) != changesBefore) result.affectedRows = sqlite3_changes64(db);
  return result;
}

}  // namespace storage
