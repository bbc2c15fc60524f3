#include "server/objects/ProgramProvider.h"

#include <algorithm>
#include <map>
#include <optional>

#include "platform/CodePage.h"
#include "platform/Variant.h"
#include "platform/XmlDocument.h"
#include "platform/data/Delta.h"
#include "platform/data/ReconcileAnswer.h"
#include "server/core/DbText.h"
#include "server/storage/DialectRewriter.h"
#include "server/storage/EStorageError.h"
#include "server/storage/Transaction.h"

namespace server {

using platform::AnsiString;
using platform::DataPacket;
using platform::DataRow;
using platform::FieldMeta;
using platform::Variant;

namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> out;
  std::string item;
  auto flush = [&] {
    std::size_t b = item.find_first_not_of(" \t");
    if (b != std::string::npos) out.push_back(item.substr(b, item.find_last_not_of(" \t") - b + 1));
    item.clear();
  };
  for (char c : text) {
    if (c == ',') flush();
    else item += c;
  }
  flush();
  return out;
}

// A small tokenizer for the program's own select text (not for client
// texts, which only the storage's rewriter and sandbox handle).
std::vector<std::string> Tokens(std::string_view sql) {
  std::vector<std::string> out;
  std::size_t i = 0;
  auto wordChar = [](unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
           c == '.' || c == '*' || c >= 0x80;
  };
  while (i < sql.size()) {
    unsigned char c = sql[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (c == '\'') {
      std::size_t j = i + 1;
      while (j < sql.size() && !(sql[j] == '\'' && (j + 1 >= sql.size() || sql[j + 1] != '\''))) j += sql[j] == '\'' ? 2 : 1;
      out.emplace_back(sql.substr(i, std::min(j + 1, sql.size()) - i));
      i = j + 1;
    } else if (wordChar(c)) {
      std::size_t j = i;
      while (j < sql.size() && wordChar(static_cast<unsigned char>(sql[j]))) ++j;
      out.emplace_back(sql.substr(i, j - i));
      i = j;
    } else {
      out.emplace_back(1, static_cast<char>(c));
      ++i;
    }
  }
  return out;
}

bool IsKeyword(const std::string& t) {
  static const char* words[] = {"ON", "LEFT", "RIGHT", "INNER", "OUTER", "JOIN", "CROSS", "FULL", "WHERE",
                                "GROUP", "ORDER", "HAVING", "UNION", "WITH", "AS", "LIMIT"};
  std::string u = Upper(t);
  return std::any_of(std::begin(words), std::end(words), [&](const char* w) { return u == w; });
}

// The table a name of the select text means: "$$T", "db..T", "db.T", "T".
std::string TableName(const std::string& token) {
  std::string t = token;
  if (t.rfind("$$", 0) == 0) t = t.substr(2);
  std::size_t dot = t.rfind('.');
  return dot == std::string::npos ? t : t.substr(dot + 1);
}

struct SelectParts {
  std::vector<std::vector<std::string>> items;
  std::map<std::string, std::string> aliases;  // upper alias or table -> table
  std::vector<std::string> tables;             // in FROM order
  bool hasWhere = false;
};

SelectParts ParseSelect(const std::string& sql) {
  SelectParts parts;
  std::vector<std::string> tokens = Tokens(sql);
  std::size_t i = 0;
  while (i < tokens.size() && Upper(tokens[i]) != "SELECT") ++i;
  ++i;
  if (i < tokens.size() && Upper(tokens[i]) == "DISTINCT") ++i;
  int depth = 0;
  std::vector<std::string> item;
  for (; i < tokens.size(); ++i) {
    const std::string& t = tokens[i];
    if (t == "(") ++depth;
    if (t == ")") --depth;
    if (depth == 0 && Upper(t) == "FROM") break;
    if (depth == 0 && t == ",") {
      parts.items.push_back(item);
      item.clear();
      continue;
    }
    item.push_back(t);
  }
  if (!item.empty()) parts.items.push_back(item);
  bool expectTable = true;
  std::string lastTable;
  for (++i; i < tokens.size(); ++i) {
    const std::string& t = tokens[i];
    std::string u = Upper(t);
    if (t == "(") ++depth;
    if (t == ")") --depth;
    if (depth != 0) continue;
    if (u == "WHERE") {
      parts.hasWhere = true;
      break;
    }
    if (u == "GROUP" || u == "ORDER" || u == "HAVING" || u == "UNION") break;
    if (u == "JOIN" || t == ",") {
      expectTable = true;
      continue;
    }
    if (expectTable) {
      lastTable = TableName(t);
      parts.tables.push_back(lastTable);
      parts.aliases[Upper(lastTable)] = lastTable;
      expectTable = false;
      continue;
    }
    if (u == "AS") continue;
    if (!lastTable.empty() && !IsKeyword(t) && t.find('.') == std::string::npos && t != "=") {
      parts.aliases[u] = lastTable;
      lastTable.clear();
    } else {
      lastTable.clear();
    }
  }
  return parts;
}

FieldMeta MetaOf(const std::string& name, const storage::ColumnDef* def, std::uint32_t flags) {
  FieldMeta m;
  m.name = FromDb(name);
  m.flags = flags;
  if (!def) {
    m.type = platform::ftString;
    m.size = 255;
    return m;
  }
  switch (def->type) {
    case storage::ColumnType::Text: m.type = platform::ftString; m.size = def->size; break;
    case storage::ColumnType::Memo: m.type = platform::ftMemo; break;
    case storage::ColumnType::Integer: m.type = platform::ftInteger; break;
    case storage::ColumnType::Float: m.type = platform::ftFloat; break;
    case storage::ColumnType::Blob: m.type = platform::ftBlob; break;
  }
  return m;
}

Variant ToVariant(const storage::Value& v, const storage::ColumnDef* def) {
  switch (v.Type()) {
    case storage::ValueType::Null: return platform::Null();
    case storage::ValueType::Integer: {
      std::int64_t n = v.AsInteger();
      if (def && def->type == storage::ColumnType::Float) return static_cast<double>(n);
      if (n >= INT32_MIN && n <= INT32_MAX) return static_cast<int>(n);
      return static_cast<long long>(n);
    }
    case storage::ValueType::Double: return v.AsDouble();
    case storage::ValueType::Text: return Variant(FromDb(v.AsText()));
    case storage::ValueType::Blob: {
      const storage::Blob& b = v.AsBlob();
      Variant array = platform::VarArrayCreate({0, static_cast<int>(b.size()) - 1}, platform::varByte);
      std::span<std::uint8_t> bytes = platform::VarArrayLock(array);
      std::copy(b.begin(), b.end(), bytes.begin());
      return array;
    }
  }
  return platform::Null();
}

// The text of a value for comparing and naming keys; "" for Null and Empty.
std::string SafeText(const Variant& v) {
  if (v.Type() == platform::varEmpty || v.Type() == platform::varNull) return {};
  return ToDb(v.AsString());
}

bool IsBlankValue(const Variant& v) {
  return v.Type() == platform::varEmpty || v.Type() == platform::varNull ||
         (v.Type() == platform::varString && v.AsString().IsEmpty());
}

std::string Placeholders(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += i ? ", ?" : "?";
  return s;
}

std::string FillText(std::string text, const std::string& argument) {
  std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

// A refused row of an apply, with its path in the delta.
struct RowRefused {
  std::string message;
  std::vector<int> path;
};


// The position of the top-level FROM of a select text (npos when none).
std::size_t TopLevelFrom(const std::string& sql) {
  int depth = 0;
  for (std::size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    if (c == '\'') {
      for (++i; i < sql.size() && sql[i] != '\''; ++i) {
      }
      continue;
    }
    if (c == '(') ++depth;
    if (c == ')') --depth;
    auto boundary = [&](std::size_t at) {
      if (at >= sql.size()) return true;
      unsigned char b = sql[at];
      return !((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '_' || b >= 0x80);
    };
    if (depth == 0 && i + 4 <= sql.size() && Upper(sql.substr(i, 4)) == "FROM" && (i == 0 || boundary(i - 1)) &&
        boundary(i + 4))
      return i;
  }
  return std::string::npos;
}

struct ColourComponent {
  std::string name;
  std::vector<std::pair<std::string, std::string>> conditions;  // SQL condition, style text (UTF-8)
};

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

// The enabled components of one section ("head", "body") of a colour
// definition; a definition that cannot be read colours nothing.
std::vector<ColourComponent> ColourComponents(const std::string& xmlUtf8, const char* section) {
  std::vector<ColourComponent> out;
  if (xmlUtf8.empty()) return out;
  platform::XmlDocument doc;
  if (!doc.LoadXml(platform::Utf8ToWide(xmlUtf8))) return out;
  for (const platform::XmlNode& component :
       doc.SelectNodes(AnsiString(("/colormanager/" + std::string(section) + "/component").c_str()))) {
    ColourComponent c;
    c.name = ToDb(component.GetAttribute("name"));
    if (ToDb(component.GetAttribute("enable")) != "Y" || !storage::IsStorableText(c.name)) continue;
    bool plain = !c.name.empty() && !(c.name[0] >= '0' && c.name[0] <= '9');
    for (char ch : c.name)
      plain = plain && ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '_');
    if (!plain) continue;
    for (const platform::XmlNode& condition : component.SelectNodes("condition")) {
      if (!condition.HasAttribute("value") || !condition.HasAttribute("colorx") || !condition.HasAttribute("bkcolor"))
        continue;
      std::string style = "bkcolor=" + ToDb(condition.GetAttribute("bkcolor")) + ";colorx=" +
                          ToDb(condition.GetAttribute("colorx")) + ";";
      if (ToDb(condition.GetAttribute("bold")) == "Y") style += "bold=Y;";
      if (ToDb(condition.GetAttribute("italic")) == "Y") style += "italic=Y;";
      std::string msg = ToDb(condition.GetAttribute("msg"));
      if (!msg.empty()) style += "msg=" + msg + ";";
      c.conditions.push_back({ToDb(condition.GetAttribute("value")), style});
    }
    out.push_back(std::move(c));
  }
  return out;
}

std::string CaseColumns(const std::vector<ColourComponent>& components) {
  std::string out;
  for (const ColourComponent& c : components) {
    std::string expr = "''";
    if (!c.conditions.empty()) {
      expr = "CASE";
      for (const auto& [condition, style] : c.conditions) expr += " WHEN (" + condition + ") THEN " + Quoted(style);
      expr += " ELSE '' END";
    }
    out += ", " + expr + " AS " + c.name;
  }
  return out;
}

}  // namespace

ProgramProvider::Shape ProgramProvider::BuildShape() {
  session_.RequireConnected();
  const ProgramDefinition& def = session_.Definition();
  const storage::Catalogue& catalogue = session_.Context().CompanyCatalogue();
  Shape shape;
  std::string masterName = def.Value("M11_TABLE");
  shape.master = catalogue.FindTable(masterName);
  if (!shape.master)
    throw EServerRefusal("The table \"" + masterName + "\" of program " + def.Code() + " is not declared.");
  shape.masterKey = SplitList(def.Value("M11_KEY"));
  if (shape.masterKey.empty())
    for (const auto* c : shape.master->KeyColumns()) shape.masterKey.push_back(c->name);
  for (const std::string& k : shape.masterKey)
    if (!shape.master->FindColumn(k))
      throw EServerRefusal("The key field \"" + k + "\" of program " + def.Code() + " is not a column of " +
                           shape.master->name + ".");
  std::string select = def.Value("M11_SELECT");
  if (select.empty()) select = "SELECT " + shape.master->name + ".* FROM " + shape.master->name;
  SelectParts parts = ParseSelect(select);
  auto tableOf = [&](const std::string& alias) -> const storage::TableDef* {
    auto it = parts.aliases.find(Upper(alias));
    return it == parts.aliases.end() ? nullptr : catalogue.FindTable(it->second);
  };
  std::vector<std::string> seen;
  auto add = [&](std::string name, const storage::ColumnDef* c, bool stored) {
    std::string u = Upper(name);
    if (std::find(seen.begin(), seen.end(), u) != seen.end()) return;  // the first of a name wins, as in a row
    seen.push_back(u);
    shape.columns.push_back(Column{std::move(name), c, stored});
  };
  for (const auto& item : parts.items) {
    if (item.empty()) continue;
    const std::string& last = item.back();
    if (item.size() == 1 && (last == "*" || (last.size() > 2 && last.substr(last.size() - 2) == ".*"))) {
      std::vector<const storage::TableDef*> tables;
      if (last == "*") {
        for (const auto& t : parts.tables)
          if (const auto* td = catalogue.FindTable(t)) tables.push_back(td);
      } else if (const auto* td = tableOf(last.substr(0, last.size() - 2))) {
        tables.push_back(td);
      }
      for (const auto* td : tables)
        for (const auto& c : td->columns) add(c.name, &c, td == shape.master);
      continue;
    }
    std::string alias;
    std::vector<std::string> expr = item;
    if (expr.size() >= 3 && Upper(expr[expr.size() - 2]) == "AS") {
      alias = expr.back();
      expr.resize(expr.size() - 2);
    } else if (expr.size() == 2) {
      alias = expr.back();
      expr.resize(1);
    }
    const storage::ColumnDef* c = nullptr;
    const storage::TableDef* from = nullptr;
    if (expr.size() == 1) {
      std::string e = expr[0];
      std::size_t dot = e.rfind('.');
      std::string column = dot == std::string::npos ? e : e.substr(dot + 1);
      if (dot != std::string::npos) {
        from = tableOf(e.substr(0, dot));
      } else {
        for (const auto& t : parts.tables)
          if (const auto* td = catalogue.FindTable(t); td && td->FindColumn(column)) {
            from = td;
            break;
          }
      }
      if (from) c = from->FindColumn(column);
      if (alias.empty()) alias = column;
    }
    if (alias.empty()) continue;  // an unnamed expression cannot be bound to a field
    add(alias, c, from == shape.master && c && Upper(c->name) == Upper(alias));
  }
  for (const std::string& k : shape.masterKey)
    if (std::none_of(shape.columns.begin(), shape.columns.end(),
                     [&](const Column& c) { return c.stored && Upper(c.name) == Upper(k); }))
      throw EServerRefusal("The select text of program " + def.Code() + " does not show the key field " + k + ".");

  for (const Column& c : shape.columns) {
    std::uint32_t flags = 0;
    if (!c.stored) flags |= platform::mfReadOnly;
    for (const std::string& k : shape.masterKey)
      if (c.stored && Upper(k) == Upper(c.name)) flags |= platform::mfKey;
    shape.fields.push_back(MetaOf(c.name, c.def, flags));
  }

  std::string detailName = def.Value("D11_TABLE");
  if (!detailName.empty()) {
    shape.detail = catalogue.FindTable(detailName);
    if (!shape.detail)
      throw EServerRefusal("The table \"" + detailName + "\" of program " + def.Code() + " is not declared.");
    shape.detailKey = SplitList(def.Value("D11_KEY"));
    if (shape.detailKey.empty())
      for (const auto* c : shape.detail->KeyColumns()) shape.detailKey.push_back(c->name);
    for (const std::string& k : shape.masterKey)
      if (shape.detail->FindColumn(k)) shape.links.push_back(k);
    shape.nestedName = def.Has("D11_NAME") ? def.Value("D11_NAME") : "qryBody";
    FieldMeta nested;
    nested.name = FromDb(shape.nestedName);
    nested.type = platform::ftDataSet;
    for (const auto& c : shape.detail->columns) {
      std::uint32_t flags = 0;
      for (const std::string& k : shape.detailKey)
        if (Upper(k) == Upper(c.name)) flags |= platform::mfKey;
      nested.nested.push_back(MetaOf(c.name, &c, flags));
    }
    shape.fields.push_back(nested);
  }
  shape.select = select;
  if (colours_) {
    // Keys and colour columns in place of the program's own columns.
    std::string xml;
    if (catalogue.FindTable("ADMNH")) {
      auto r = session_.Db().Execute("SELECT NH003 FROM ADMNH WHERE NH001 = ?", {def.Code()});
      if (!r.rows.empty() && !r.rows[0][0].IsNull()) xml = r.rows[0][0].AsText();
    }
    std::vector<ColourComponent> head = ColourComponents(xml, "head"), body = ColourComponents(xml, "body");
    std::size_t from = TopLevelFrom(select);
    if (from == std::string::npos)
      throw EServerRefusal("The select text of program " + def.Code() + " has no FROM.");
    std::string keys;
    std::vector<Column> columns;
    std::vector<FieldMeta> fields;
    for (const std::string& k : shape.masterKey) {
      keys += (keys.empty() ? "" : ", ") + shape.master->name + "." + k;
      const storage::ColumnDef* c = shape.master->FindColumn(k);
      columns.push_back(Column{c->name, c, true});
      fields.push_back(MetaOf(c->name, c, platform::mfKey));
    }
    for (const ColourComponent& c : head) {
      columns.push_back(Column{c.name, nullptr, false});
      fields.push_back(MetaOf(c.name, nullptr, platform::mfReadOnly));
    }
    shape.select = "SELECT " + keys + CaseColumns(head) + " " + select.substr(from);
    if (shape.detail) {
      FieldMeta nested;
      nested.name = "qryBodyColor";
      nested.type = platform::ftDataSet;
      std::string detailKeys;
      for (const std::string& k : shape.detailKey)
        if (const storage::ColumnDef* c = shape.detail->FindColumn(k)) {
          detailKeys += (detailKeys.empty() ? "" : ", ") + c->name;
          nested.nested.push_back(MetaOf(c->name, c, platform::mfKey));
        }
      for (const ColourComponent& c : body) nested.nested.push_back(MetaOf(c.name, nullptr, platform::mfReadOnly));
      shape.detailSelect = "SELECT " + detailKeys + CaseColumns(body) + " FROM " + shape.detail->name;
      fields.push_back(nested);
    }
    shape.columns = std::move(columns);
    shape.fields = std::move(fields);
  }
  return shape;
}

std::string ProgramProvider::QueryText(const Shape& shape, const Variant& params, bool forCount) const {
  std::string where, order;
  if (platform::VarIsArray(params)) {
    auto elements = platform::VarArrayElements(params);
    if (elements.size() > 0) where = SafeText(elements[0]);
    if (elements.size() > 1) order = SafeText(elements[1]);
  } else if (params.Type() != platform::varEmpty && params.Type() != platform::varNull) {
    where = SafeText(params);
  }
  auto trim = [](std::string s) {
    std::size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return std::string();
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
  };
  where = trim(where);
  order = trim(order);
  if (Upper(where) == "ALL") where.clear();
  const std::string& select = shape.select;
  std::string sql = select;
  if (!where.empty()) sql += (ParseSelect(select).hasWhere ? " AND (" : " WHERE (") + where + ")";
  if (forCount) return "SELECT COUNT(*) AS REC_COUNT FROM (" + sql + ") COUNTED";
  // The order is completed with the key, so that packets follow one another.
  std::vector<std::string> orderTokens;
  for (const std::string& t : Tokens(order)) orderTokens.push_back(Upper(TableName(t)));
  for (const std::string& k : shape.masterKey)
    if (std::find(orderTokens.begin(), orderTokens.end(), Upper(k)) == orderTokens.end())
      order += (order.empty() ? "" : ", ") + shape.master->name + "." + k;
  return sql + " ORDER BY " + order;
}

std::vector<DataRow> ProgramProvider::DetailRows(const Shape& shape, const storage::Result& header, std::size_t row) {
  std::vector<DataRow> rows;
  if (!shape.detail || shape.links.empty()) return rows;
  std::string columns, where, order;
  for (const auto& c : shape.detail->columns) columns += (columns.empty() ? "" : ", ") + c.name;
  std::vector<storage::Value> params;
  for (const std::string& k : shape.links) {
    where += (where.empty() ? "" : " AND ") + k + " = ?";
    auto at = header.ColumnIndex(k);
    params.push_back(at ? header.rows[row][*at] : storage::Value());
  }
  for (const std::string& k : shape.detailKey) order += (order.empty() ? "" : ", ") + k;
  if (colours_) {
    // The body conditions are the company's SQL: rewritten and sandboxed.
    std::string sql = shape.detailSelect + " WHERE " + where + (order.empty() ? "" : " ORDER BY " + order);
    storage::Connection& db = session_.Db();
    storage::RewriteResult rewritten =
        storage::DialectRewriter({db.Kind(), session_.Database(), &session_.Context().CompanyCatalogue()}).Rewrite(sql);
    if (!rewritten.ok) throw EServerRefusal("The colour conditions cannot be run: " + rewritten.error);
    storage::Result r = db.QuerySandboxed(rewritten.sql, params);
    const FieldMeta& nested = shape.fields.back();
    for (const auto& values : r.rows) {
      DataRow d;
      for (std::size_t i = 0; i < nested.nested.size() && i < values.size(); ++i)
        d.values.push_back(ToVariant(values[i], shape.detail->FindColumn(ToDb(nested.nested[i].name))));
      rows.push_back(std::move(d));
    }
    return rows;
  }
  std::string sql = "SELECT " + columns + " FROM " + shape.detail->name + " WHERE " + where;
  if (!order.empty()) sql += " ORDER BY " + order;
  storage::Result r = session_.Db().Execute(sql, params);
  for (const auto& values : r.rows) {
    DataRow d;
    for (std::size_t i = 0; i < shape.detail->columns.size(); ++i)
      d.values.push_back(ToVariant(values[i], &shape.detail->columns[i]));
    rows.push_back(std::move(d));
  }
  return rows;
}

DataPacket ProgramProvider::Packet(const platform::ProviderRequest& request, bool first) {
  Shape shape = BuildShape();
  storage::Connection& db = session_.Db();
  storage::DialectRewriter rewriter(
      {db.Kind(), session_.Database(), &session_.Context().CompanyCatalogue()});
  auto run = [&](const std::string& moduleSql, const std::string& tail) {
    storage::RewriteResult rewritten = rewriter.Rewrite(moduleSql);
    if (!rewritten.ok) throw EServerRefusal("The query cannot be run: " + rewritten.error);
    return db.QuerySandboxed(rewritten.sql + tail);
  };
  int size = request.packetRecords >= 1 ? std::min(request.packetRecords, 40) : session_.Definition().MaxRecord();
  const int topRow = session_.topRow;
  if (first && !colours_) {
    storage::Result counted = run(QueryText(shape, request.params, true), "");
    std::int64_t n = counted.rows.empty() ? 0 : counted.rows[0][0].AsInteger();
    if (topRow > 0 && n > topRow) n = topRow;
    session_.lastCount = static_cast<int>(n);
  }
  std::string query = QueryText(shape, request.params, false);
  std::int64_t offset = 0;
  if (!first) {
    offset = std::max(0, request.rowsFetched);
    // Continue after the row of the last key, wherever it is now.
    if (platform::VarIsArray(request.lastKey)) {
      std::int64_t from = std::max<std::int64_t>(0, offset - size);
      std::int64_t window = offset - from + 2 * static_cast<std::int64_t>(size) + 1;
      storage::Result seen = run(query, " LIMIT " + std::to_string(window) + " OFFSET " + std::to_string(from));
      auto lastKey = platform::VarArrayElements(request.lastKey);
      for (std::size_t r = seen.rows.size(); r-- > 0;) {
        bool same = lastKey.size() == shape.masterKey.size();
        for (std::size_t k = 0; same && k < shape.masterKey.size(); ++k) {
          auto at = seen.ColumnIndex(shape.masterKey[k]);
          same = at && SafeText(ToVariant(seen.rows[r][*at], nullptr)) == SafeText(lastKey[k]);
        }
        if (same) {
          offset = from + static_cast<std::int64_t>(r) + 1;
          break;
        }
      }
    }
  }
  std::int64_t take = size;
  if (topRow > 0) take = std::max<std::int64_t>(0, std::min<std::int64_t>(take, topRow - offset));
  DataPacket packet;
  packet.fields = shape.fields;
  packet.codePage = platform::ProcessCodePage();
  if (take == 0) return packet;
  storage::Result r = run(query, " LIMIT " + std::to_string(take + 1) + " OFFSET " + std::to_string(offset));
  packet.moreRows = static_cast<std::int64_t>(r.rows.size()) > take &&
                    (topRow <= 0 || offset + take < topRow);
  std::size_t rows = std::min<std::size_t>(r.rows.size(), static_cast<std::size_t>(take));
  std::vector<std::optional<std::size_t>> at;
  for (const Column& c : shape.columns) at.push_back(r.ColumnIndex(c.name));
  for (std::size_t i = 0; i < rows; ++i) {
    DataRow row;
    for (std::size_t c = 0; c < shape.columns.size(); ++c)
      row.values.push_back(at[c] ? ToVariant(r.rows[i][*at[c]], shape.columns[c].def) : platform::Null());
    if (shape.detail) {
      row.values.push_back(Variant());
      row.nested.push_back(DetailRows(shape, r, i));
    }
    packet.rows.push_back(std::move(row));
  }
  return packet;
}

DataPacket ProgramProvider::OpenProvider(const AnsiString&, const platform::ProviderRequest& request) {
  return Packet(request, true);
}

DataPacket ProgramProvider::NextPacket(const AnsiString&, const platform::ProviderRequest& request) {
  return Packet(request, false);
}

int ProgramProvider::RecordCount(const AnsiString&) { return session_.lastCount; }

// --- apply -------------------------------------------------------------------

namespace {

struct TableWriter {
  ServerSession& session;
  const storage::TableDef& table;
  const std::vector<FieldMeta>& fields;  // the delta's fields at this level
  std::vector<const storage::ColumnDef*> columnOf;  // per delta field: the stored column, or null
  std::vector<std::string> key;
  std::string changedText, duplicateText;

  int FieldIndex(const std::string& name) const {
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (Upper(ToDb(fields[i].name)) == Upper(name)) return static_cast<int>(i);
    return -1;
  }

  storage::Value Stored(const storage::ColumnDef& c, const Variant& v, const std::vector<int>& path) const {
    if (v.Type() == platform::varEmpty || v.Type() == platform::varNull) {
      if (c.nullable || c.type == storage::ColumnType::Blob) return storage::Value();
      if (c.type == storage::ColumnType::Text || c.type == storage::ColumnType::Memo) return storage::Value("");
      return storage::Value(0);
    }
    switch (c.type) {
      case storage::ColumnType::Text: {
        AnsiString s = v.AsString();
        if (static_cast<int>(s.Length()) > c.size)
          throw RowRefused{"The value of " + c.name + " is longer than " + std::to_string(c.size) + " bytes.", path};
        return storage::Value(ToDb(s));
      }
      case storage::ColumnType::Memo: return storage::Value(ToDb(v.AsString()));
      case storage::ColumnType::Integer: return storage::Value(static_cast<std::int64_t>(v.AsInt64()));
      case storage::ColumnType::Float: return storage::Value(v.AsDouble());
      case storage::ColumnType::Blob: {
        storage::Blob b;
        if (platform::VarIsArray(v)) {
          std::string_view bytes = platform::VarArrayBytes(v);
          b.assign(bytes.begin(), bytes.end());
        } else {
          const std::string& bytes = v.AsString().Bytes();
          b.assign(bytes.begin(), bytes.end());
        }
        return storage::Value(std::move(b));
      }
    }
    return storage::Value();
  }

  // WHERE key = original key [AND FLAG = original FLAG], with its values.
  std::string Locate(const platform::DeltaRow& row, std::vector<storage::Value>& params,
                     const std::vector<int>& path) const {
    std::string where;
    for (const std::string& k : key) {
      int f = FieldIndex(k);
      if (f < 0) throw RowRefused{"The key field " + k + " is missing from the changes.", path};
      where += (where.empty() ? "" : " AND ") + k + " = ?";
      params.push_back(Stored(*table.FindColumn(k), row.original[f], path));
    }
    int flag = FieldIndex("FLAG");
    if (table.FindColumn("FLAG") && flag >= 0) {
      where += " AND FLAG = ?";
      params.push_back(Stored(*table.FindColumn("FLAG"), row.original[flag], path));
    }
    return where;
  }

  std::string KeyText(const std::vector<Variant>& values) const {
    std::string text;
    for (const std::string& k : key) {
      int f = FieldIndex(k);
      if (f >= 0 && static_cast<std::size_t>(f) < values.size())
        text += (text.empty() ? "" : "-") + SafeText(values[f]);
    }
    return text;
  }

  void Insert(const platform::DeltaRow& row, const std::vector<int>& path,
              const std::vector<std::pair<std::string, storage::Value>>& preset) {
    std::vector<std::string> names;
    std::vector<storage::Value> values;
    for (const auto& [name, value] : preset) {
      names.push_back(name);
      values.push_back(value);
    }
    for (std::size_t f = 0; f < fields.size(); ++f) {
      const storage::ColumnDef* c = columnOf[f];
      if (!c || row.current[f].Type() == platform::varEmpty) continue;
      if (std::any_of(names.begin(), names.end(), [&](const std::string& n) { return Upper(n) == Upper(c->name); }))
        continue;
      names.push_back(c->name);
      values.push_back(Stored(*c, row.current[f], path));
    }
    if (table.FindColumn("FLAG")) {
      auto it = std::find_if(names.begin(), names.end(), [](const std::string& n) { return Upper(n) == "FLAG"; });
      if (it == names.end()) {
        names.push_back("FLAG");
        values.push_back(storage::Value(1.0));
      } else {
        storage::Value& v = values[it - names.begin()];
        bool unset = v.IsNull() || ((v.Type() == storage::ValueType::Integer || v.Type() == storage::ValueType::Double) &&
                                    v.AsDouble() == 0);
        if (unset) v = storage::Value(1.0);
      }
    }
    std::string list;
    for (const auto& n : names) list += (list.empty() ? "" : ", ") + n;
    try {
      session.Db().Execute("INSERT INTO " + table.name + " (" + list + ") VALUES (" + Placeholders(names.size()) + ")",
                           values);
    } catch (const storage::EStorageError& e) {
      if (e.Kind() != storage::ErrorKind::Duplicate) throw;
      throw RowRefused{FillText(duplicateText, KeyText(row.current)), path};
    }
  }

  void Modify(const platform::DeltaRow& row, const std::vector<int>& path) {
    if (!row.ChangesItself()) return;
    std::string sets;
    std::vector<storage::Value> params;
    bool modifierSet = false, modiDateSet = false;
    for (std::size_t f = 0; f < fields.size(); ++f) {
      const storage::ColumnDef* c = columnOf[f];
      if (!c || !row.changed[f] || Upper(c->name) == "FLAG") continue;
      if (Upper(c->name) == "MODIFIER") modifierSet = true;
      if (Upper(c->name) == "MODI_DATE") modiDateSet = true;
      sets += (sets.empty() ? "" : ", ") + c->name + " = ?";
      params.push_back(Stored(*c, row.current[f], path));
    }
    if (const storage::ColumnDef* flagColumn = table.FindColumn("FLAG")) {
      int f = FieldIndex("FLAG");
      double old = f >= 0 ? row.original[f].Type() == platform::varNull ? 0 : row.original[f].AsDouble() : 0;
      double next = f >= 0 && row.changed[f] && !IsBlankValue(row.current[f]) ? row.current[f].AsDouble() : old;
      // A save must change the counter, or the next writer could not see it.
      if (next == old) next = static_cast<double>(static_cast<long long>(old) % 1000 + 1);
      sets += (sets.empty() ? "" : ", ") + std::string("FLAG = ?");
      params.push_back(storage::Value(next));
      (void)flagColumn;
      if (table.FindColumn("MODIFIER") && !modifierSet) {
        sets += ", MODIFIER = ?";
        params.push_back(storage::Value(session.User().userId));
      }
      if (table.FindColumn("MODI_DATE") && !modiDateSet) {
        sets += ", MODI_DATE = ?";
        params.push_back(storage::Value(StampNow()));
      }
    }
    if (sets.empty()) return;
    std::string where = Locate(row, params, path);
    try {
      auto r = session.Db().Execute("UPDATE " + table.name + " SET " + sets + " WHERE " + where, params);
      if (r.affectedRows == 0) throw RowRefused{changedText, path};
    } catch (const storage::EStorageError& e) {
      if (e.Kind() != storage::ErrorKind::Duplicate) throw;
      throw RowRefused{FillText(duplicateText, KeyText(row.current)), path};
    }
  }

  void Delete(const platform::DeltaRow& row, const std::vector<int>& path) {
    std::vector<storage::Value> params;
    std::string where = Locate(row, params, path);
    auto r = session.Db().Execute("DELETE FROM " + table.name + " WHERE " + where, params);
    if (r.affectedRows == 0) throw RowRefused{changedText, path};
  }
};

}  // namespace

platform::ReconcileAnswer ProgramProvider::ApplyDelta(const AnsiString&, const platform::Delta& delta, int maxErrors) {
  if (colours_) throw EServerRefusal("Colours are not written back.");
  Shape shape = BuildShape();
  // Every field of the delta must be one of the provider's before any SQL
  // is built from its name.
  int nestedAt = -1;
  std::vector<const storage::ColumnDef*> masterColumns;
  for (std::size_t f = 0; f < delta.fields.size(); ++f) {
    const FieldMeta& m = delta.fields[f];
    int at = platform::FindFieldMeta(shape.fields, m.name);
    if (at < 0) throw EServerRefusal("The field " + ToDb(m.name) + " is not a field of this provider.");
    if (m.type == platform::ftDataSet) {
      nestedAt = static_cast<int>(f);
      for (const FieldMeta& d : m.nested)
        if (platform::FindFieldMeta(shape.fields[at].nested, d.name) < 0)
          throw EServerRefusal("The field " + ToDb(d.name) + " is not a field of this provider.");
      masterColumns.push_back(nullptr);
      continue;
    }
    const Column& c = shape.columns[at];
    masterColumns.push_back(c.stored ? c.def : nullptr);
  }
  std::vector<FieldMeta> noFields;
  const std::vector<FieldMeta>& detailFields = nestedAt >= 0 ? delta.fields[nestedAt].nested : noFields;
  std::vector<const storage::ColumnDef*> detailColumns;
  for (const FieldMeta& d : detailFields) detailColumns.push_back(shape.detail ? shape.detail->FindColumn(ToDb(d.name)) : nullptr);

  std::string changedText =
      session_.Message("E/300002", "The record was changed or deleted by another user; query it again.");
  std::string duplicateText = session_.Message("E/000002", "%s already exists.");
  std::string noRight = session_.Message("E/000004", "You have no rights for this program.");
  TableWriter master{session_, *shape.master, delta.fields, masterColumns, shape.masterKey, changedText, duplicateText};
  std::optional<TableWriter> detail;
  if (shape.detail)
    detail.emplace(TableWriter{session_, *shape.detail, detailFields, detailColumns, shape.detailKey, changedText,
                               duplicateText});

  platform::ReconcileAnswer answer;
  storage::Connection& db = session_.Db();
  storage::Transaction transaction = db.Begin(storage::TransactionMode::Write);
  std::string seqNo;
  for (std::size_t i = 0; i < delta.rows.size(); ++i) {
    const platform::DeltaRow& row = delta.rows[i];
    std::vector<int> path{static_cast<int>(i)};
    std::optional<storage::Savepoint> savepoint;
    if (maxErrors != 0) savepoint.emplace(db.SetSavepoint());
    try {
      int right = row.kind == platform::TUpdateKind::ukInsert ? 9 : row.kind == platform::TUpdateKind::ukDelete ? 3 : 2;
      if (!session_.HasRight(right)) throw RowRefused{noRight, path};
      std::vector<std::pair<std::string, storage::Value>> links;
      // The nested lists follow the nested fields in order; there is at most one.
      const std::vector<platform::DeltaRow>* children = row.nested.empty() ? nullptr : &row.nested[0];
      auto writeChildren = [&](bool deletesOnly) {
        if (!children || !detail) return;
        for (int pass = 0; pass < 2; ++pass)
          for (std::size_t j = 0; j < children->size(); ++j) {
            const platform::DeltaRow& child = (*children)[j];
            bool isDelete = child.kind == platform::TUpdateKind::ukDelete;
            if ((pass == 0) != isDelete || (deletesOnly && !isDelete)) continue;
            std::vector<int> childPath{static_cast<int>(i), 0, static_cast<int>(j)};
            if (isDelete) detail->Delete(child, childPath);
            else if (child.kind == platform::TUpdateKind::ukInsert) detail->Insert(child, childPath, links);
            else detail->Modify(child, childPath);
          }
      };
      const std::vector<Variant>& keyValues = row.kind == platform::TUpdateKind::ukDelete ? row.original : row.current;
      std::vector<std::pair<std::string, storage::Value>> preset;
      if (row.kind == platform::TUpdateKind::ukInsert && session_.numberOnInsert && !shape.masterKey.empty()) {
        // Server numbering of the last key field among the rows that share
        // the other key fields.
        const std::string& last = shape.masterKey.back();
        const storage::ColumnDef* lastColumn = shape.master->FindColumn(last);
        std::string where;
        std::vector<storage::Value> params;
        for (std::size_t k = 0; k + 1 < shape.masterKey.size(); ++k) {
          int f = master.FieldIndex(shape.masterKey[k]);
          if (f < 0) continue;
          where += (where.empty() ? " WHERE " : " AND ") + shape.masterKey[k] + " = ?";
          params.push_back(master.Stored(*shape.master->FindColumn(shape.masterKey[k]), row.current[f], path));
        }
        // Several server processes may share one PostgreSQL database: the
        // number is taken under a lock of this table of this company that
        // lasts until the apply's transaction ends (SQLite's write
        // transaction already excludes every other writer).
        if (db.Kind() == storage::Engine::Postgres)
          db.Execute("SELECT count(*) FROM (SELECT pg_advisory_xact_lock(hashtext(CAST(? AS TEXT)))) AS numbering_lock",
                     {storage::Value("numbering " + session_.Database() + "." + shape.master->name)});
        auto r = db.Execute("SELECT " + last + " FROM " + shape.master->name + where, params);
        long long highest = 0;
        std::size_t width = 1;
        int f = master.FieldIndex(last);
        if (f >= 0) width = std::max<std::size_t>(width, SafeText(row.current[f]).size());
        for (const auto& values : r.rows) {
          if (values[0].Type() != storage::ValueType::Text) continue;
          const std::string& text = values[0].AsText();
          if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) continue;
          highest = std::max(highest, std::stoll(text));
          width = std::max(width, text.size());
        }
        std::string number = std::to_string(highest + 1);
        if (number.size() < width) number.insert(0, width - number.size(), '0');
        if (lastColumn && lastColumn->type == storage::ColumnType::Text && static_cast<int>(number.size()) > lastColumn->size)
          throw RowRefused{"No further number fits the field " + last + ".", path};
        preset.push_back({last, storage::Value(number)});
        seqNo = number;
      }
      for (const std::string& k : shape.links) {
        auto it = std::find_if(preset.begin(), preset.end(), [&](const auto& p) { return Upper(p.first) == Upper(k); });
        if (it != preset.end()) {
          links.push_back(*it);
          continue;
        }
        int f = master.FieldIndex(k);
        if (f >= 0) links.push_back({k, master.Stored(*shape.master->FindColumn(k), keyValues[f], path)});
      }
      switch (row.kind) {
        case platform::TUpdateKind::ukInsert:
          master.Insert(row, path, preset);
          writeChildren(false);
          break;
        case platform::TUpdateKind::ukModify:
          master.Modify(row, path);
          writeChildren(false);
          break;
        case platform::TUpdateKind::ukDelete: {
          writeChildren(true);
          // Detail rows the client did not hold go with their header.
          if (detail && !links.empty()) {
            std::string where;
            std::vector<storage::Value> params;
            for (const auto& [name, value] : links) {
              where += (where.empty() ? "" : " AND ") + name + " = ?";
              params.push_back(value);
            }
            db.Execute("DELETE FROM " + shape.detail->name + " WHERE " + where, params);
          }
          master.Delete(row, path);
          break;
        }
      }
      if (savepoint) savepoint->Release();
    } catch (const RowRefused& refused) {
      answer.errors.push_back(platform::ReconcileError{refused.path, FromDb(refused.message), {}, 1, 0});
    } catch (const storage::EStorageError& e) {
      answer.errors.push_back(platform::ReconcileError{path, e.Message(), {}, 2, 0});
    } catch (const platform::Exception& e) {
      answer.errors.push_back(platform::ReconcileError{path, e.Message(), {}, 3, 0});
    }
    if (!answer.errors.empty() && (maxErrors >= 0 && answer.ErrorCount() > maxErrors)) {
      transaction.Rollback();
      answer.rolledBack = true;
      return answer;
    }
    if (savepoint && savepoint->IsOpen()) savepoint->Rollback();
  }
  transaction.Commit();
  if (!seqNo.empty()) session_.lastSeqNo = seqNo;
  return answer;
}

}  // namespace server
