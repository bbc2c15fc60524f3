#include "server/validator/Counter.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <map>

#include "platform/Exceptions.h"
#include "platform/CodePage.h"
#include "platform/XmlDocument.h"
#include "server/company/CompanyCatalogue.h"
#include "server/company/CompanyText.h"
#include "server/storage/DialectRewriter.h"

namespace validator {

using company::ArgText;
using company::SameText;
using platform::Variant;

namespace {

// The texts reach the module, which reads code page 936.
[[noreturn]] void Refuse(const std::string& text) { throw platform::Exception(company::FromDb(text)); }

// The elements of a parameter array (a scalar counts as one element).
std::vector<Variant> Elements(const Variant& params) {
  const Variant& v = params.Deref();
  if (platform::VarIsArray(v)) {
    if (platform::VarArrayDimCount(v) != 1) Refuse("The parameters must be a one-dimensional array.");
    auto e = platform::VarArrayElements(v);
    return {e.begin(), e.end()};
  }
  if (platform::VarIsEmpty(v)) return {};
  return {v};
}

std::string Element(const std::vector<Variant>& e, std::size_t i) { return i < e.size() ? ArgText(e[i]) : std::string(); }

std::string Trim(std::string s) {
  s.erase(0, s.find_first_not_of(" \t\r\n"));
  while (!s.empty() && std::string_view(" \t\r\n").find(s.back()) != std::string_view::npos) s.pop_back();
  return s;
}

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    std::string item = Trim(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!item.empty()) out.push_back(item);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

bool StartsWithWord(const std::string& sql, const char* word) {
  std::string head = company::UpperAscii(Trim(sql).substr(0, std::char_traits<char>::length(word) + 1));
  std::string w = word;
  return head.rfind(w, 0) == 0 && (head.size() == w.size() || !(std::isalnum(static_cast<unsigned char>(head[w.size()])) || head[w.size()] == '_'));
}

// Group and element names become XML element names.
bool IsXmlName(std::string_view name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    bool letter = std::isalpha(c) || c == '_';
    if (!(letter || (i > 0 && (std::isdigit(c) || c == '-' || c == '.')))) return false;
  }
  return true;
}

std::string XmlEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

Variant Rows(const storage::Result& r, const std::vector<std::size_t>& columns) {
  if (r.rows.empty()) return Variant();
  std::vector<Variant> rows;
  rows.reserve(r.rows.size());
  for (const auto& row : r.rows) {
    std::vector<Variant> cells;
    cells.reserve(columns.size());
    for (std::size_t c : columns) cells.push_back(company::ToVariant(row[c]));
    rows.push_back(platform::VarArrayOf(std::move(cells)));
  }
  return platform::VarArrayOf(std::move(rows));
}

std::vector<std::size_t> AllColumns(const storage::Result& r) {
  std::vector<std::size_t> all(r.columns.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  return all;
}

std::string Now(const char* format) {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, format, &tm);
  return buffer;
}

// --- the attachment deletes of TransactionSQL --------------------------------------

struct Condition {
  std::string column;
  storage::Value value;
};

// Parses "DELETE FROM [$$|db..]ATTACH WHERE c = 'v' [AND c = 'v' ...]" (a
// number is allowed as a value, and one trailing ";"). Refuses anything else.
std::vector<Condition> ParseAttachDelete(const std::string& sql, const std::string& database) {
  std::size_t i = 0;
  auto refuse = [&](const std::string& why) -> void {
    Refuse("TransactionSQL runs only deletes of attachment rows by equal conditions; refused (" + why + "): " + sql);
  };
  auto skip = [&] {
    while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
  };
  auto word = [&]() -> std::string {
    skip();
    std::size_t b = i;
    while (i < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '_')) ++i;
    return sql.substr(b, i - b);
  };
  auto expectWord = [&](const char* w) {
    if (!SameText(word(), w)) refuse(std::string("expected ") + w);
  };
  expectWord("DELETE");
  expectWord("FROM");
  skip();
  if (sql.compare(i, 2, "$$") == 0) {
    i += 2;
  } else {
    std::size_t save = i;
    std::string db = word();
    if (i + 1 < sql.size() && sql.compare(i, 2, "..") == 0) {
      if (!SameText(db, database)) refuse("another company's database");
      i += 2;
    } else {
      i = save;
    }
  }
  if (!SameText(word(), "ATTACH")) refuse("not the attachment table");
  expectWord("WHERE");
  const storage::TableDef* table = company::CompanyCatalogue().FindTable("ATTACH");
  std::vector<Condition> conditions;
  for (;;) {
    std::string column = word();
    const storage::ColumnDef* def = table->FindColumn(column);
    if (!def) refuse("unknown column " + column);
    skip();
    if (i >= sql.size() || sql[i] != '=') refuse("only equal conditions");
    ++i;
    skip();
    storage::Value value;
    if (i < sql.size() && sql[i] == '\'') {
      std::string text;
      for (++i;; ++i) {
        if (i >= sql.size()) refuse("unterminated text");
        if (sql[i] == '\'') {
          if (i + 1 < sql.size() && sql[i + 1] == '\'') {
            text += '\'';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        text += sql[i];
      }
      value = storage::Value(text);
    } else {
      std::size_t b = i;
      if (i < sql.size() && sql[i] == '-') ++i;
      while (i < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i]))) ++i;
      if (i == b || (i == b + 1 && sql[b] == '-')) refuse("a value must be a text or a whole number");
      value = storage::Value(static_cast<std::int64_t>(std::stoll(sql.substr(b, i - b))));
    }
    if (def->type == storage::ColumnType::Text && value.Type() == storage::ValueType::Integer)
      value = storage::Value(std::to_string(value.AsInteger()));
    conditions.push_back({def->name, value});
    skip();
    if (i >= sql.size()) break;
    if (sql[i] == ';') {
      ++i;
      skip();
      if (i < sql.size()) refuse("more than one statement");
      break;
    }
    if (!SameText(word(), "AND")) refuse("only conditions joined by AND");
  }
  return conditions;
}

}  // namespace

const platform::DispatchTable<Counter>& Counter::AutomationMembers() {
  static const auto table = platform::DispatchTable<Counter>("Counter")
                                .Method("GetSysInfo", &Counter::GetSysInfo)
                                .Method("GETCOUNTER", &Counter::GETCOUNTER);
  return table;
}

void Counter::CheckCompany(const std::string& companyId) const {
  if (!companyId.empty() && !SameText(companyId, session_->companyId))
    Refuse("The company " + companyId + " is not the company of this session.");
}

void Counter::CheckDatabase(const std::string& database) const {
  if (!database.empty() && !SameText(database, session_->database))
    Refuse("The database " + database + " is not the company database of this session.");
}

void Counter::CheckUser(const std::string& userId) const {
  if (!SameText(Trim(userId), session_->userId))
    Refuse("The user " + userId + " is not the user of this session.");
}

Variant Counter::GetSysInfo(Variant& companyId) {
  CheckCompany(ArgText(companyId));
  storage::Result r = session_->Db().Execute("SELECT SY001, SY002 FROM ADMSY ORDER BY SY001");
  int n = static_cast<int>(r.rows.size());
  Variant info = platform::VarArrayCreate({0, 1, 0, n - 1}, platform::varVariant);
  for (int i = 0; i < n; ++i) {
    info.PutElement({0, i}, company::ToVariant(r.rows[static_cast<std::size_t>(i)][0]));
    info.PutElement({1, i}, company::ToVariant(r.rows[static_cast<std::size_t>(i)][1]));
  }
  return info;
}

Variant Counter::GETCOUNTER(std::span<Variant> args) {
  if (args.size() < 2 || args.size() > 4)
    Refuse("GETCOUNTER takes a function name, its parameters and the company and database.");
  if (args.size() == 3) {
    std::vector<Variant> where = Elements(args[2]);
    CheckCompany(Element(where, 0));
    CheckDatabase(Element(where, 1));
  } else if (args.size() == 4) {
    CheckCompany(ArgText(args[2]));
    CheckDatabase(ArgText(args[3]));
  }
  using Function = Variant (Counter::*)(const Variant&);
  static const struct {
    const char* name;
    Function function;
  } kFunctions[] = {
      {"SimpleSql", &Counter::SimpleSql},         {"TransactionSQL", &Counter::TransactionSQL},
      {"QueryUDFData", &Counter::QueryUDFData},   {"GetUserDefine", &Counter::GetUserDefine},
      {"SetUserDefine", &Counter::SetUserDefine}, {"INSERTJXJOB", &Counter::INSERTJXJOB},
      {"GetJXApprove", &Counter::GetJXApprove},   {"CallWebService", &Counter::CallWebService},
  };
  std::string name = Trim(ArgText(args[0]));
  for (const auto& f : kFunctions)
    if (SameText(f.name, name)) return (this->*f.function)(args[1].Deref());
  Refuse("The server has no function \"" + name + "\".");
}

storage::Result Counter::Sandboxed(const std::string& moduleSql, std::span<const storage::Value> params) {
  storage::Connection& db = session_->Db();
  storage::DialectRewriter rewriter({db.Kind(), db.Company(), &company::CompanyCatalogue()});
  storage::RewriteResult rewritten = rewriter.Rewrite(moduleSql);
  if (!rewritten.ok) Refuse("The query cannot be run: " + rewritten.error);
  return db.QuerySandboxed(rewritten.sql, params);
}

Variant Counter::SimpleSql(const Variant& params) {
  std::vector<Variant> p = Elements(params);
  std::string sql = Element(p, 0);
  if (Trim(sql).empty()) Refuse("SimpleSql was given no query.");
  // The WARRANT query sends only [sql, fields]; the database comes third otherwise.
  CheckDatabase(Element(p, 2));
  storage::Result r = Sandboxed(sql, {});
  std::vector<std::string> fields = SplitList(Element(p, 1));
  if (fields.empty()) return Rows(r, AllColumns(r));
  std::vector<std::size_t> columns;
  for (const auto& field : fields) {
    auto index = r.ColumnIndex(field);
    // A qualified name ("A.MV002") is found by its column name.
    if (!index && field.find('.') != std::string::npos) index = r.ColumnIndex(field.substr(field.rfind('.') + 1));
    if (!index) Refuse("The query answers no field " + field + ".");
    columns.push_back(*index);
  }
  return Rows(r, columns);
}

Variant Counter::TransactionSQL(const Variant& params) {
  std::vector<Variant> p = Elements(params);
  std::vector<Variant> statements = p.empty() ? std::vector<Variant>{} : Elements(p[0]);
  std::vector<std::vector<Condition>> deletes;
  for (const auto& s : statements) {
    std::string sql = Trim(ArgText(s));
    if (sql.empty()) continue;
    deletes.push_back(ParseAttachDelete(sql, session_->database));
  }
  storage::Connection& db = session_->Db();
  storage::Transaction t = db.Begin(storage::TransactionMode::Write);
  for (const auto& conditions : deletes) {
    std::string sql = "DELETE FROM ATTACH WHERE ";
    std::vector<storage::Value> values;
    for (std::size_t i = 0; i < conditions.size(); ++i) {
      if (i) sql += " AND ";
      sql += conditions[i].column + " = ?";
      values.push_back(conditions[i].value);
    }
    db.Execute(sql, values);
  }
  t.Commit();
  return Variant(0);
}

Variant Counter::QueryUDFData(const Variant& params) {
  std::vector<Variant> p = Elements(params);
  std::string formula = Trim(Element(p, 0));
  if (formula.empty()) return Variant();
  CheckDatabase(Element(p, 2));
  std::vector<storage::Value> values;
  if (p.size() > 4)
    for (const auto& v : Elements(p[4])) values.emplace_back(ArgText(v));
  std::string sql = StartsWithWord(formula, "SELECT") || StartsWithWord(formula, "WITH") ? formula : "SELECT " + formula;
  // Only as many values as the formula takes.
  std::size_t marks = static_cast<std::size_t>(std::count(sql.begin(), sql.end(), '?'));
  if (values.size() > marks) values.resize(marks);
  while (values.size() < marks) values.emplace_back(std::string());
  storage::Result r = Sandboxed(sql, values);
  return Rows(r, AllColumns(r));
}

Variant Counter::GetUserDefine(const Variant& params) {
  std::vector<Variant> p = Elements(params);
  CheckCompany(Element(p, 0));
  CheckUser(Element(p, 1));
  std::string program = Trim(Element(p, 2));
  std::string group = Trim(Element(p, 3));
  if (group.empty()) return Variant(platform::AnsiString());
  if (!IsXmlName(group)) Refuse("The setting group " + group + " is not a valid name.");
  storage::Result r = session_->Db().Execute(
      "SELECT UD002, UD004, UD005 FROM ADMUD WHERE UD001 = ? AND UD003 = ? AND (UD002 = ? OR UD002 = ?) "
      "ORDER BY UD004",
      {session_->userId, group, program, kAllProgramsScope});
  if (r.rows.empty()) return Variant(platform::AnsiString());
  // The program's own value wins over the all-program one.
  std::map<std::string, std::pair<bool, std::string>> values;  // element -> (own, value)
  for (const auto& row : r.rows) {
    bool own = row[0].AsText() != kAllProgramsScope;
    auto [it, inserted] = values.try_emplace(row[1].AsText(), own, row[2].IsNull() ? std::string() : row[2].AsText());
    if (!inserted && own && !it->second.first) it->second = {true, row[2].IsNull() ? std::string() : row[2].AsText()};
  }
  std::string xml = "<" + group + ">";
  for (const auto& [element, value] : values) xml += "<" + element + ">" + XmlEscape(value.second) + "</" + element + ">";
  xml += "</" + group + ">";
  return Variant(company::FromDb(xml));
}

void Counter::StoreSetting(const std::string& user, const std::string& scope, const std::string& group,
                           const std::string& element, const std::string& value) {
  auto fits = [](const std::string& name, std::size_t size) {
    return !name.empty() && company::DbLength(name) <= size;
  };
  if (!fits(scope, 20) || !fits(group, 60) || !fits(element, 60) || !IsXmlName(group) || !IsXmlName(element))
    Refuse("The setting " + scope + "/" + group + "/" + element + " has an empty or too long name.");
  storage::Connection& db = session_->Db();
  storage::Transaction t = db.Begin(storage::TransactionMode::Write);
  db.Execute("DELETE FROM ADMUD WHERE UD001 = ? AND UD002 = ? AND UD003 = ? AND UD004 = ?", {user, scope, group, element});
  db.Execute("INSERT INTO ADMUD (UD001, UD002, UD003, UD004, UD005) VALUES (?, ?, ?, ?, ?)",
             {user, scope, group, element, value});
  t.Commit();
}

Variant Counter::SetUserDefine(const Variant& params) {
  std::vector<Variant> p = Elements(params);
  try {
    CheckCompany(Element(p, 0));
    CheckUser(Element(p, 1));
    std::string scope = Trim(Element(p, 2));
    std::string path = Trim(Element(p, 3));
    std::string value = Element(p, 4);
    if (path == ".") {
      platform::XmlDocument doc;
      if (!doc.LoadXml(platform::Utf8ToWide(value)))
        Refuse("The settings are not a well-formed XML element: " + doc.ParseErrorReason().ToUtf8());
      platform::XmlNode root = doc.DocumentElement();
      std::string group = platform::WideToUtf8(root.NodeNameW());
      for (const platform::XmlNode& child : root.ChildNodes())
        if (child.NodeType() == platform::XmlNodeType::Element)
          StoreSetting(session_->userId, scope, group, platform::WideToUtf8(child.NodeNameW()),
                       platform::WideToUtf8(child.TextW()));
    } else {
      std::size_t slash = path.find('/');
      if (slash == std::string::npos) Refuse("The setting path " + path + " names no element (group/element).");
      StoreSetting(session_->userId, scope, path.substr(0, slash), path.substr(slash + 1), value);
    }
  } catch (const platform::Exception& e) {
    return Variant(e.Message());
  } catch (const std::exception& e) {
    return Variant(platform::AnsiString(e.what()));
  }
  return Variant(platform::AnsiString());
}

Variant Counter::INSERTJXJOB(const Variant& params) {
  std::vector<Variant> p = Elements(params);
  std::vector<Variant> job = p.empty() ? std::vector<Variant>{} : Elements(p[0]);
  if (job.size() < 5) Refuse("INSERTJXJOB was given no job array.");
  CheckCompany(Element(job, 0));
  CheckUser(Element(job, 3));
  std::string program = Trim(Element(job, 1));
  std::string keys = Element(job, 2);
  std::string variant = Element(job, job.size() - 1);
  std::string record = "<job>";
  std::vector<Variant> fields = Elements(job[4]);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const Variant& f = fields[i].Deref();
    // Images travel as byte arrays; the queue keeps their size only.
    std::string text = platform::VarIsArray(f)
                           ? "(" + std::to_string(platform::VarArrayHighBound(f, 1) - platform::VarArrayLowBound(f, 1) + 1) + " bytes)"
                           : ArgText(f);
    record += "<e i=\"" + std::to_string(i) + "\">" + XmlEscape(text) + "</e>";
  }
  record += "</job>";
  if (company::DbLength(program) > 10 || company::DbLength(keys) > 255 || company::DbLength(variant) > 4) return Variant(2);
  storage::Connection& db = session_->Db();
  try {
    storage::Transaction t = db.Begin(storage::TransactionMode::Write);
    db.Execute("INSERT INTO JXJOBQUE (JX001, JX002, JX003, JX004, JX005, JX006, JX007, JX008, JX009) "
               "VALUES (?, ?, ?, ?, ?, 'N', ?, ?, ?)",
               {session_->companyId, program, keys, session_->userId, variant, Now("%Y%m%d"), Now("%H%M%S"), record});
    t.Commit();
  } catch (const storage::EStorageError& e) {
    return Variant(e.Kind() == storage::ErrorKind::Duplicate ? 1 : 2);
  }
  return Variant(0);
}

Variant Counter::GetJXApprove(const Variant& params) {
  std::vector<Variant> p = Elements(params);
  CheckUser(Element(p, 0));
  return Variant(platform::AnsiString());
}

Variant Counter::CallWebService(const Variant& params) {
  std::vector<Variant> p = Elements(params);
  if (Trim(Element(p, 0)).empty()) Refuse("No web-service address is set for this company.");
  Refuse("This server does not relay web-service calls (" + Element(p, 0) + ").");
}

}  // namespace validator
