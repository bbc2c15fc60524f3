#include "server/company/CompanyCatalogue.h"

#include <string>

#include "server/company/CompanyText.h"

namespace company {

namespace {

using storage::ColumnDef;
using storage::ColumnType;
using storage::IndexDef;
using storage::TableDef;

ColumnDef Key(const char* name, int size) { return ColumnDef{name, ColumnType::Text, size, false, true}; }
ColumnDef IntKey(const char* name) { return ColumnDef{name, ColumnType::Integer, 0, false, true}; }
ColumnDef Text(const char* name, int size) { return ColumnDef{name, ColumnType::Text, size}; }
ColumnDef Memo(const char* name) { return ColumnDef{name, ColumnType::Memo}; }
ColumnDef Int(const char* name) { return ColumnDef{name, ColumnType::Integer}; }
ColumnDef Float(const char* name) { return ColumnDef{name, ColumnType::Float}; }

constexpr const char* kSystemColumns[] = {"COMPANY", "CREATOR", "USR_GROUP", "CREATE_DATE",
                                          "MODIFIER", "MODI_DATE", "FLAG"};

// The system columns, stamped by the client on every save (FLAG is the
// save counter the optimistic check compares).
std::vector<ColumnDef> SystemColumns() {
  return {Text("COMPANY", 10), Text("CREATOR", 10),   Text("USR_GROUP", 10), Text("CREATE_DATE", 17),
          Text("MODIFIER", 10), Text("MODI_DATE", 17), Float("FLAG")};
}

// User-defined fields of a document table: UDF01-UDF12 texts, UDF51-UDF62 numbers.
std::vector<ColumnDef> UserFields() {
  std::vector<ColumnDef> columns;
  for (int i = 1; i <= 12; ++i) columns.push_back(Text(("UDF" + std::string(i < 10 ? "0" : "") + std::to_string(i)).c_str(), 255));
  for (int i = 51; i <= 62; ++i) columns.push_back(Float(("UDF" + std::to_string(i)).c_str()));
  return columns;
}

// A table whose own columns follow the system columns (the order the
// module's packets use for documents).
TableDef Document(const char* name, std::vector<ColumnDef> own, bool userFields, std::vector<IndexDef> indexes = {}) {
  TableDef t{name, SystemColumns(), std::move(indexes)};
  t.columns.insert(t.columns.end(), own.begin(), own.end());
  if (userFields) {
    auto udf = UserFields();
    t.columns.insert(t.columns.end(), udf.begin(), udf.end());
  }
  return t;
}

// A base-data table: its own columns first, then the system columns.
TableDef BaseData(const char* name, std::vector<ColumnDef> own, std::vector<IndexDef> indexes = {}) {
  TableDef t{name, std::move(own), std::move(indexes)};
  auto system = SystemColumns();
  t.columns.insert(t.columns.end(), system.begin(), system.end());
  return t;
}

storage::Catalogue Build() {
  storage::Catalogue c;
  c.version = 1;
  auto& t = c.tables;

  // --- the company, its users and programs, as the module reads them ------------
  // The company's record in the company list (MB008/MB009: web-service
  // address and its second argument; MB010/MB011: workflow site and receiver).
  t.push_back(BaseData("KVTMB", {Key("MB001", 10), Text("MB002", 40), Text("MB003", 20), Text("MB004", 30),
                                 Text("MB008", 255), Text("MB009", 255), Text("MB010", 60), Text("MB011", 255)}));
  // Users of the company by name (log-in data lives in the system database).
  t.push_back(BaseData("KVTMA", {Key("MA001", 10), Text("MA002", 10), Text("MA003", 10)}));
  // Program records: name, print program, transaction object and program,
  // attribute 4, sign-off form code, sign-off code, flag 7, body check mode,
  // English name (the order of the ADMMB "06" answer), MB012/MB013 kind
  // and version.
  t.push_back(BaseData("ADMMB", {Key("MB001", 10), Text("MB002", 40), Text("MB003", 10), Text("MB004", 40),
                                 Text("MB005", 10), Text("MB006", 10), Text("MB007", 20), Text("MB008", 20),
                                 Text("MB009", 1), Text("MB010", 1), Text("MB011", 60), Text("MB012", 10),
                                 Text("MB013", 20)}));
  // System parameters of the company (GetSysInfo): name, value, description.
  t.push_back(BaseData("ADMSY", {Key("SY001", 20), Text("SY002", 255), Text("SY003", 60)}));

  // --- base data ----------------------------------------------------------------
  t.push_back(BaseData("TAXMA", {Key("MA001", 10), Text("MA002", 20), Text("MA003", 60)}));  // companies
  t.push_back(BaseData("CMSME", {Key("ME001", 10), Text("ME002", 20), Text("ME003", 10)}));  // departments
  t.push_back(BaseData("CMSMJ", {Key("MJ001", 10), Text("MJ002", 20)}));                     // positions
  t.push_back(BaseData("PALMH", {Key("MH001", 10), Text("MH002", 20)}));                     // grades
  t.push_back(BaseData("PALMI", {Key("MI001", 10), Text("MI002", 20)}));                     // education levels
  // Employees: code, name, company, department, position, grade, pay type
  // 1/2, full attendance Y/N, pay method 1/2, overtime Y/N, hire date,
  // resignation date, retirement date (YYYYMMDD or ''), education, two
  // document ids, sex M/F, birth date.
  t.push_back(BaseData("CMSMV",
                       {Key("MV001", 10), Text("MV002", 10), Text("MV003", 10), Text("MV004", 10), Text("MV005", 10),
                        Text("MV006", 10), Text("MV007", 1), Text("MV008", 1), Text("MV009", 1), Text("MV010", 1),
                        Text("MV011", 8), Text("MV012", 8), Text("MV013", 8), Text("MV014", 10), Text("MV015", 40),
                        Text("MV016", 40), Text("MV017", 1), Text("MV018", 8)},
                       {IndexDef{"CMSMV_DEPT", {"MV004", "MV001"}}}));
  // Currencies: code, name, price, amount, unit-cost and cost-amount digits.
  t.push_back(BaseData("CMSMF", {Key("MF001", 10), Text("MF002", 20), Int("MF003"), Int("MF004"), Int("MF005"),
                                 Int("MF006")}));

  // --- the personnel change slip ------------------------------------------------
  t.push_back(Document("PALTE",
                       {Key("TE001", 10), Key("TE002", 8), Key("TE003", 4), Text("TE004", 10), Text("TE005", 10),
                        Text("TE006", 255), Text("TE007", 12), Text("TE008", 20), Text("TE009", 20),
                        Text("TE010", 1), Text("TE011", 8), Text("TE012", 10), Text("TE013", 1)},
                       true, {IndexDef{"PALTE_ITEM", {"TE001", "TE003", "TE010", "TE002"}}}));
  // The slip's detail (kept hidden by the slip form).
  t.push_back(Document("PALTZ",
                       {Key("TZ001", 4), Key("TZ002", 11), Key("TZ003", 4), Text("TZ004", 4), Text("TZ005", 1),
                        Text("TZ006", 1)},
                       true));

  // --- sign-off ---------------------------------------------------------------------
  // Sign-off settings per program and document type ('****' = any):
  // confirm mode, form id, description, cancel / void / restore through sign-off.
  t.push_back(BaseData("ADMMQ", {Key("MQ001", 10), Key("MQ002", 10), Text("MQ003", 1), Text("MQ004", 20),
                                 Text("MQ005", 60), Text("MQ006", 1), Text("MQ007", 1), Text("MQ008", 1)}));
  // Links between programs, and the fields of a sign-off form.
  t.push_back(BaseData("ADMMR", {Key("MR001", 10), Key("MR002", 10), Key("MR011", 4), Text("MR003", 20),
                                 Text("MR004", 60), Text("MR005", 20), Text("MR006", 10), Text("MR007", 255),
                                 Text("MR008", 20), Text("MR009", 4), Text("MR010", 60)}));
  // Sign-off routes: the approvers of a program's documents, step by step.
  t.push_back(BaseData("ADMMS", {Key("MS001", 10), Key("MS002", 10), IntKey("MS003"), Text("MS004", 10),
                                 Text("MS005", 20)}));
  // Workflow settings (used when SYS174 is "Y") and stored hand-over answers.
  t.push_back(BaseData("JXSMC", {Key("MC001", 10), Key("MC002", 10), Text("MC006", 1), Text("MC007", 1),
                                 Text("MC008", 1), Text("MC009", 20)}));
  t.push_back(BaseData("JXSME", {Key("ME001", 10), Key("ME002", 255), Key("ME003", 255), Key("ME004", 255),
                                 Key("ME005", 255), Key("ME006", 255), Memo("ME007")}));
  // Sign-off job queue: company, program, document keys joined "||",
  // sender, job variant (SP7/SP8), state, date and time sent, the job record.
  t.push_back(TableDef{"JXJOBQUE",
                       {Key("JX001", 10), Key("JX002", 10), Key("JX003", 255), Text("JX004", 10), Text("JX005", 4),
                        Text("JX006", 1), Text("JX007", 8), Text("JX008", 6), Memo("JX009")}});

  // --- framework tables the module reads --------------------------------------------
  t.push_back(BaseData("ADMNH", {Key("NH001", 10), Text("NH002", 60), Memo("NH003")}));  // colour definitions
  t.push_back(BaseData("ADMTK", {Key("TK001", 10), Text("TK002", 60), Text("TK003", 1)}));  // formulas
  t.push_back(BaseData("ADMTL", {Key("TL001", 10), Key("TL002", 4), Text("TL003", 10), Text("TL005", 4),
                                 Text("TL006", 20), Text("TL010", 1), Int("TL011"), Text("TL012", 255),
                                 Memo("TL013")}));
  t.push_back(BaseData("ADMTJ", {Key("TJ001", 10), Key("TJ002", 4), Key("TJ003", 20), Key("TJ005", 20)}));
  t.push_back(BaseData("ADMMD", {Key("MD001", 20), Key("MD002", 20), Text("MD003", 60), Text("MD004", 60)}));  // field labels
  t.push_back(TableDef{"NUMFD", {Key("FD001", 20), Key("FD002", 20), Int("FD003"), Int("FD004")}});  // number formats
  t.push_back(TableDef{"F2LINK", {Key("LK001", 1), Key("LK002", 20), Key("LK003", 20), Text("LK004", 20),
                                  Text("LK005", 10)}});
  t.push_back(TableDef{"WARRANT", {Key("NT001", 60), Text("NT002", 60)}});  // print formats
  t.push_back(TableDef{"ATTACH",
                       {Key("Parent", 10), Key("KeyValues", 255), IntKey("SeqNo"), Text("CompanyID", 10),
                        Text("UserID", 10), Text("Type", 10), Text("FileName", 255), Text("DocID", 40),
                        Text("Revision", 10), Text("AddDate", 8), Text("AddTime", 8), Text("KeyFields", 255)}});

  // --- per-user data -------------------------------------------------------------------
  // Settings (GetUserDefine / SetUserDefine): user, scope (a program code
  // or twenty "*" for all programs), group, element, value.
  t.push_back(TableDef{"ADMUD", {Key("UD001", 10), Key("UD002", 20), Key("UD003", 60), Key("UD004", 60),
                                 Memo("UD005")}});
  // Common phrases: user ('' = everybody), order, phrase.
  t.push_back(TableDef{"ADMPH", {Key("PH001", 10), IntKey("PH002"), Text("PH003", 255)}});
  return c;
}

}  // namespace

const storage::Catalogue& CompanyCatalogue() {
  static const storage::Catalogue catalogue = Build();
  return catalogue;
}

bool IsSystemColumn(std::string_view column) {
  for (const char* name : kSystemColumns)
    if (SameText(name, column)) return true;
  return false;
}

}  // namespace company
