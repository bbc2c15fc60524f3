#include "server/objects/MarnoSrv.h"

#include "platform/CodePage.h"
#include "platform/Variant.h"
#include "server/core/DbText.h"
#include "server/core/TransactionSql.h"
#include "server/storage/DialectRewriter.h"
#include "server/storage/Transaction.h"

namespace server {

using platform::AnsiString;
using platform::Variant;

namespace {

std::vector<Variant> Elements(const Variant& v) {
  const Variant& d = v.Deref();
  if (!platform::VarIsArray(d)) return {};
  auto span = platform::VarArrayElements(d);
  return {span.begin(), span.end()};
}

std::string Text(const Variant& v) {
  if (v.Type() == platform::varEmpty || v.Type() == platform::varNull) return {};
  return ToDb(v.AsString());
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

std::vector<Variant> Require(const Variant& args, std::size_t count, const char* call) {
  std::vector<Variant> e = Elements(args);
  if (e.size() < count)
    throw EServerRefusal(std::string(call) + " needs an array of at least " + std::to_string(count) + " values.");
  return e;
}

}  // namespace

MarnoSrv::MarnoSrv(std::shared_ptr<ServerContext> context, SessionIdentity identity)
    : session_(std::move(context), std::move(identity)),
      main_(session_),
      color_(session_, true),
      schemes_(session_),
      providers_(std::make_shared<platform::TProviderDispatch>()) {
  providers_->AddProvider("pvdMain", main_);
  providers_->AddProvider("pvdColor", color_);
  providers_->AddProvider("pvdConSave", schemes_);
}

const platform::DispatchTable<MarnoSrv>& MarnoSrv::AutomationMembers() {
  static const auto table = platform::DispatchTable<MarnoSrv>("MarnoSrv.Class1")
                                .Method("Connect", &MarnoSrv::Connect)
                                .Method("SvrData", &MarnoSrv::SvrData)
                                .Method("WhatIs", &MarnoSrv::WhatIs)
                                .Method("GetRecCount", &MarnoSrv::GetRecCount)
                                .Method("SetIsSeq", &MarnoSrv::SetIsSeq)
                                .Method("SetTopRow", &MarnoSrv::SetTopRow)
                                .Method("GetFormat", &MarnoSrv::GetFormat)
                                .Method("GetBaseLimitedRecs", &MarnoSrv::GetBaseLimitedRecs)
                                .Method("LoadTable", &MarnoSrv::LoadTable)
                                .Method("InsertConTable", &MarnoSrv::InsertConTable)
                                .Method("DeleteConTable", &MarnoSrv::DeleteConTable)
                                .Method("ChangeConName", &MarnoSrv::ChangeConName)
                                .Method("SimpleSql", &MarnoSrv::SimpleSql)
                                .Method("TransactionSQL", &MarnoSrv::TransactionSQL)
                                .Method("GetMessageText", &MarnoSrv::GetMessageText)
                                .Method("CreateService", &MarnoSrv::CreateService);
  return table;
}

Variant MarnoSrv::Invoke(std::string_view name, platform::InvokeKind kind, std::span<Variant> args) {
  if (platform::TProviderDispatch::IsProviderMember(name)) {
    session_.RequireConnected();
    return providers_->Invoke(name, kind, args);
  }
  return Dispatchable<MarnoSrv>::Invoke(name, kind, args);
}

int MarnoSrv::Connect(Variant& args) {
  std::vector<Variant> e = Require(args, 4, "Connect");
  session_.Connect(Text(e[0]), Text(e[1]), Text(e[2]), Text(e[3]));
  return 0;
}

AnsiString MarnoSrv::SvrData() {
  session_.RequireConnected();
  const ProgramRights& r = session_.Rights();
  std::string text;
  auto line = [&](const std::string& name, const std::string& value) { text += name + "=" + value + "\r\n"; };
  line("USER_GROUP", session_.User().userGroup);
  line("GROUP_LIST", r.groupList);
  line("POWER_DATA", r.powerData);
  line("EX_POWER", r.exPower);
  line("BaseLimited", r.baseLimited);
  line("MAX_RECORD", std::to_string(session_.Definition().MaxRecord()));
  for (const std::string& l : session_.Definition().Lines()) {
    std::string name = Upper(l.substr(0, l.find('=')));
    name.erase(name.find_last_not_of(" \t") + 1);
    if (name == "MAX_RECORD") continue;  // sent once, within its bounds
    text += l + "\r\n";
  }
  return FromDb(text);
}

Variant MarnoSrv::WhatIs(const AnsiString& item) {
  std::string what = Upper(ToDb(item));
  if (what == "TODAY") return Variant(AnsiString(Today().c_str()));
  // The module's statements are accepted in both of its variants; with 1
  // it writes "||" and RPAD, which both engines understand as written.
  if (what == "SQLTYPE") return 1;
  if (what == "SEQNO") return Variant(FromDb(session_.lastSeqNo));
  throw EServerRefusal("WhatIs does not know \"" + ToDb(item) + "\".");
}

int MarnoSrv::GetRecCount() {
  session_.RequireConnected();
  return session_.lastCount;
}

void MarnoSrv::SetIsSeq(const Variant& flag) { session_.numberOnInsert = flag.AsBool(); }

void MarnoSrv::SetTopRow(const Variant& rows) {
  int n = rows.AsInteger();
  session_.topRow = n > 0 ? n : 0;
}

Variant MarnoSrv::GetFormat(std::span<Variant> args) {
  if (args.size() < 2) throw EServerRefusal("GetFormat needs the company and the program.");
  session_.RequireCompany(Text(args[0]));
  auto xml = FormatDocument(session_.Db(), Text(args[0]), Text(args[1]));
  return Variant(platform::Utf8ToWide(xml.value_or("")));
}

Variant MarnoSrv::GetBaseLimitedRecs(const AnsiString& prefix, const AnsiString& where, int rowCount) {
  session_.RequireConnected();
  // No base-data rights are kept: every row is permitted.
  return platform::VarArrayOf({rowCount, platform::VarArrayOf(std::vector<Variant>{})});
}

AnsiString MarnoSrv::LoadTable(const Variant& args) {
  std::vector<Variant> e = Require(args, 2, "LoadTable");
  session_.RequireConnected();
  session_.RequireUser(Text(e[0]));
  session_.schemeUser = Text(e[0]);
  session_.schemeProgram = Text(e[1]);
  return "";
}

AnsiString MarnoSrv::InsertConTable(const Variant& args) {
  std::vector<Variant> e = Require(args, 7, "InsertConTable");
  session_.RequireConnected();
  session_.RequireUser(Text(e[1]));
  std::string name = Text(e[0]);
  if (name.empty()) return "The scheme name is empty.";
  if (CodePageLength(name) > 20) return "The scheme name is longer than 20 characters.";
  storage::Connection& db = session_.Db();
  storage::Transaction t = db.Begin(storage::TransactionMode::Write);
  auto found = db.Execute("SELECT 1 FROM SYS_SCHEME WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
                          {name, Text(e[1]), Text(e[3])});
  if (!found.rows.empty()) {
    if (!e[6].AsBool()) return "A scheme of that name exists already.";
    db.Execute("DELETE FROM SYS_SCHEME WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
               {name, Text(e[1]), Text(e[3])});
  }
  db.Execute(
      "INSERT INTO SYS_SCHEME (NCONDITION, CREATOR, PROGRAMME, VCONDITION, ACTIVE_PAGE, CREATE_DATE) "
      "VALUES (?, ?, ?, ?, ?, ?)",
      {name, Text(e[1]), Text(e[3]), Text(e[4]), static_cast<std::int64_t>(e[5].AsInteger()), Text(e[2])});
  t.Commit();
  return "";
}

AnsiString MarnoSrv::DeleteConTable(const Variant& args) {
  std::vector<Variant> e = Require(args, 3, "DeleteConTable");
  session_.RequireConnected();
  session_.RequireUser(Text(e[1]));
  auto r = session_.Db().Execute("DELETE FROM SYS_SCHEME WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
                                 {Text(e[0]), Text(e[1]), Text(e[2])});
  return r.affectedRows ? "" : "There is no scheme of that name.";
}

AnsiString MarnoSrv::ChangeConName(const Variant& oldName, const Variant& newName) {
  std::vector<Variant> o = Require(oldName, 3, "ChangeConName"), n = Require(newName, 3, "ChangeConName");
  session_.RequireConnected();
  session_.RequireUser(Text(o[1]));
  session_.RequireUser(Text(n[1]));
  std::string name = Text(n[0]);
  if (name.empty() || CodePageLength(name) > 20) return "The new scheme name is empty or longer than 20 characters.";
  try {
    auto r = session_.Db().Execute(
        "UPDATE SYS_SCHEME SET NCONDITION = ? WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
        {name, Text(o[0]), Text(o[1]), Text(o[2])});
    return r.affectedRows ? "" : "There is no scheme of that name.";
  } catch (const storage::EStorageError&) {
    return "A scheme of that name exists already.";
  }
}

Variant MarnoSrv::SimpleSql(std::span<Variant> args) {
  // SimpleSql(sql, "F1,F2,...", Database[, "N"]) or the same as one array.
  std::vector<Variant> e(args.begin(), args.end());
  if (e.size() == 1 && platform::VarIsArray(e[0].Deref())) e = Elements(e[0]);
  if (e.empty()) throw EServerRefusal("SimpleSql needs a statement.");
  session_.RequireConnected();
  if (e.size() > 2 && !Text(e[2]).empty()) session_.RequireDatabase(Text(e[2]));
  storage::Connection& db = session_.Db();
  storage::DialectRewriter rewriter({db.Kind(), session_.Database(), &session_.Context().CompanyCatalogue()});
  storage::RewriteResult sql = rewriter.Rewrite(Text(e[0]));
  if (!sql.ok) throw EServerRefusal("The statement cannot be run: " + sql.error);
  storage::Result r = db.QuerySandboxed(sql.sql);
  std::vector<std::optional<std::size_t>> columns;
  std::string list = e.size() > 1 ? Text(e[1]) : std::string();
  std::size_t start = 0;
  while (start <= list.size() && !list.empty()) {
    std::size_t comma = list.find(',', start);
    std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    name.erase(0, name.find_first_not_of(" \t"));
    name.erase(name.find_last_not_of(" \t") + 1);
    if (!name.empty()) columns.push_back(r.ColumnIndex(name));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (columns.empty())
    for (std::size_t c = 0; c < r.columns.size(); ++c) columns.push_back(c);
  if (r.rows.empty()) return Variant();
  std::vector<Variant> rows;
  for (const auto& values : r.rows) {
    std::vector<Variant> row;
    for (const auto& c : columns) {
      if (!c) {
        row.push_back(platform::Null());
        continue;
      }
      const storage::Value& v = values[*c];
      switch (v.Type()) {
        case storage::ValueType::Null: row.push_back(platform::Null()); break;
        case storage::ValueType::Integer: row.push_back(static_cast<double>(v.AsInteger())); break;
        case storage::ValueType::Double: row.push_back(v.AsDouble()); break;
        case storage::ValueType::Text: row.push_back(Variant(FromDb(v.AsText()))); break;
        case storage::ValueType::Blob: row.push_back(platform::Null()); break;
      }
    }
    rows.push_back(platform::VarArrayOf(std::move(row)));
  }
  return platform::VarArrayOf(std::move(rows));
}

int MarnoSrv::TransactionSQL(std::span<Variant> args) {
  // [[statement, ...], ""], the statements alone, or one statement.
  session_.RequireConnected();
  std::vector<Variant> e(args.begin(), args.end());
  if (e.size() == 1 && platform::VarIsArray(e[0].Deref())) e = Elements(e[0]);
  if (!e.empty() && platform::VarIsArray(e[0].Deref())) e = Elements(e[0]);
  std::vector<std::string> statements;
  for (const Variant& v : e)
    if (!Text(v).empty()) statements.push_back(Text(v));
  TransactionSqlResult r = RunTransactionSql(session_.Db(), session_.Context().CompanyCatalogue(), statements);
  if (!r.ok) throw EServerRefusal(r.message);
  return 0;
}

Variant MarnoSrv::CreateService(const AnsiString& name) {
  session_.RequireConnected();
  for (const CompanyServiceClass& service : session_.Context().Settings().companyServices) {
    if (Upper(service.name) != Upper(ToDb(name))) continue;
    auto company = std::make_shared<company::CompanySession>();
    company->db = &session_.Db();
    company->owner = shared_from_this();  // the connection lives as long as this object
    company->companyId = session_.CompanyId();
    company->database = session_.Database();
    company->userId = session_.User().userId;
    return Variant(service.create(std::move(company)));
  }
  throw EServerRefusal("The server offers no service \"" + ToDb(name) + "\".");
}

AnsiString MarnoSrv::GetMessageText(const AnsiString& code) {
  std::optional<std::string> text = session_.Context().WithSystem(
      [&](storage::Connection& db) { return MessageText(db, ToDb(code)); });
  return FromDb(text.value_or(""));
}

}  // namespace server
