#include "server/core/SystemCatalogue.h"

namespace server {

namespace {

using storage::ColumnDef;
using storage::ColumnType;

ColumnDef Key(const char* name, int size) { return ColumnDef{name, ColumnType::Text, size, false, true}; }
ColumnDef Text(const char* name, int size) { return ColumnDef{name, ColumnType::Text, size}; }
ColumnDef Memo(const char* name) { return ColumnDef{name, ColumnType::Memo}; }
ColumnDef Int(const char* name) { return ColumnDef{name, ColumnType::Integer}; }
ColumnDef IntKey(const char* name) { return ColumnDef{name, ColumnType::Integer, 0, false, true}; }

storage::Catalogue Build() {
  storage::Catalogue c;
  c.version = 1;
  // Users: the password is kept only as a salted, iterated hash.
  c.tables.push_back({"SYS_USER",
                      {Key("USER_ID", 20), Text("USER_NAME", 60), Text("USER_GROUP", 10), Text("PW_SALT", 64),
                       Int("PW_ROUNDS"), Text("PW_HASH", 128), Text("DISABLED", 1)}});
  // Companies: the company code the module sends and its database.
  c.tables.push_back({"SYS_COMPANY", {Key("COMPANY_ID", 20), Text("DB_NAME", 30), Text("COMPANY_NAME", 80)}});
  // Which company databases a user may use.
  c.tables.push_back({"SYS_USER_COMPANY", {Key("USER_ID", 20), Key("DB_NAME", 30)}});
  // A user's rights record per program (the user information of SvrData).
  c.tables.push_back({"SYS_RIGHTS",
                      {Key("USER_ID", 20), Key("PROGRAM", 20), Text("POWER_DATA", 255), Memo("EX_POWER"),
                       Text("GROUP_LIST", 255), Memo("BASE_LIMITED")}});
  c.tables.push_back({"SYS_PROGRAM", {Key("PROGRAM", 20), Text("PROGRAM_NAME", 80)}});
  // The settings text of a program, one name=value line per row, in order.
  c.tables.push_back({"SYS_PROGRAM_SETTING", {Key("PROGRAM", 20), IntKey("LINE_NO"), Memo("LINE_TEXT")}});
  // Coded message texts ("E/000001").
  c.tables.push_back({"SYS_MESSAGE", {Key("MSG_CODE", 20), Memo("MSG_TEXT")}});
  // Sessions: only a hash of the token is stored.
  c.tables.push_back({"SYS_SESSION",
                      {Key("TOKEN_HASH", 64), Text("USER_ID", 20), Text("CREATED", 17), Text("ENDED", 17)}});
  // Saved query schemes of the query form.
  c.tables.push_back({"SYS_SCHEME",
                      {Key("NCONDITION", 40), Key("CREATOR", 20), Key("PROGRAMME", 20), Memo("VCONDITION"),
                       Int("ACTIVE_PAGE"), Text("CREATE_DATE", 8)}});
  // Settings documents per company and program (GetFormat).
  c.tables.push_back({"SYS_FORMAT", {Key("COMPANY_ID", 20), Key("PROGRAM", 20), Memo("FORMAT_XML")}});
  return c;
}

}  // namespace

const storage::Catalogue& SystemCatalogue() {
  static const storage::Catalogue catalogue = Build();
  return catalogue;
}

}  // namespace server
