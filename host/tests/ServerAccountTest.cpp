// The host's account service against the real application server, installed
// in this process on a throwaway SQLite system database: the login by
// challenge, the company check, the menu's programs and rights, message
// texts, the company services and the log-out.
#include <gtest/gtest.h>

#include "host/shell/ServerAccountService.h"
#include "platform/Automation.h"
#include "platform/DispatchTable.h"
#include "platform/ProgramController.h"
#include "platform/data/SocketConnection.h"
#include "platform/TestSupport.h"
#include "platform/wire/SessionCredential.h"
#include "server/core/Sessions.h"
#include "server/core/SystemData.h"
#include "server/objects/ServerContext.h"
#include "server/storage/OpenStorage.h"

namespace {

using platform::AnsiString;
using platform::Variant;

// A company service that tells whom it was bound to.
class Probe : public platform::Dispatchable<Probe> {
 public:
  explicit Probe(company::CompanySessionPtr session) : session_(std::move(session)) {}
  static const platform::DispatchTable<Probe>& AutomationMembers() {
    static const auto table = platform::DispatchTable<Probe>("Probe").Method("Who", &Probe::Who);
    return table;
  }
  AnsiString Who() { return AnsiString((session_->userId + "@" + session_->companyId).c_str()); }

 private:
  company::CompanySessionPtr session_;
};

class ServerAccountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server::ServerSettings settings;
    settings.storage.engine = storage::Engine::Sqlite;
    settings.storage.target = dir_.File("corvane.db");
    settings.companyServices = {{"Com_Validator", [](company::CompanySessionPtr s) {
                                   return platform::AutoObjectPtr(std::make_shared<Probe>(std::move(s)));
                                 }}};
    auto db = storage::OpenStorage(settings.storage);
    server::CreateSystemSchema(*db);
    db->CreateCompany("demo");
    server::AddCompany(*db, "DEMO", "demo", "Demo company");
    server::AddCompany(*db, "OTHER", "other", "Other company");
    server::AddUser(*db, "admin", "secret", "Administrator", "G01");
    server::AddUser(*db, "viewer", "look", "Viewer", "G03");
    for (const char* user : {"admin", "viewer"}) server::GrantCompany(*db, user, "demo");
    server::StoreProgram(*db, "TestPrg", "Test program", {});
    server::StoreProgram(*db, "VORN21", "Slips", {"M11_TABLE=PALTE"});
    server::StoreRights(*db, "admin", "TestPrg", {"0,0,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY", "", "'G01'", ""});
    server::StoreRights(*db, "admin", "VORN21", {"0,0,N,YYNNNNNNYNNN", "", "'G01'", ""});
    server::StoreRights(*db, "viewer", "VORN21", {"0,0,N,YNNNNYNNNNNN", "", "'G03'", ""});
    server::StoreMessages(*db, {{"E/000004", "No right."}});
    server::InstallInProcessServer(std::make_shared<server::ServerContext>(std::move(settings)));
  }
  void TearDown() override {
    server::InstallInProcessServer(nullptr);
    platform::SetSessionCredential("");
  }

  platform::testing::TempFolder dir_;  // also an empty registry: the server is the in-process one
};

TEST_F(ServerAccountTest, RefusedLoginsSayWhyAndOpenNoSession) {
  host::TServerAccountService accounts;
  ASSERT_EQ(accounts.Address(), AnsiString("127.0.0.1"));
  struct Case {
    const char* name;
    const char* user;
    const char* company;
    const char* password;
    const char* message;
  } cases[] = {
      {"wrong password", "admin", "DEMO", "wrong", server::kLoginRefused},
      {"unknown user", "nobody", "DEMO", "secret", server::kLoginRefused},
      {"company not granted", "admin", "OTHER", "secret", "may not use the company OTHER"},
      {"unknown company", "admin", "NOPE", "secret", "may not use the company NOPE"},
  };
  for (const Case& c : cases) {
    host::TLoginResult r = accounts.LogIn(c.user, c.company, c.password);
    EXPECT_FALSE(r.Ok) << c.name;
    EXPECT_TRUE(r.Credential.empty()) << c.name;
    EXPECT_NE(r.Message.Pos(c.message), 0u) << c.name << ": " << r.Message.c_str();
    EXPECT_EQ(platform::SessionCredential(), "") << c.name << ": the login credential is not left behind";
  }
}

TEST_F(ServerAccountTest, LoginGivesTheSessionTheMenuMessagesAndServices) {
  host::TServerAccountService accounts;
  host::TLoginResult r = accounts.LogIn("admin", "demo", "secret");
  ASSERT_TRUE(r.Ok) << r.Message.c_str();
  EXPECT_EQ(r.Credential.rfind("S1 ", 0), 0u);
  EXPECT_EQ(r.Database, AnsiString("demo"));
  EXPECT_EQ(r.UserName, AnsiString("Administrator"));
  platform::SetSessionCredential(r.Credential);

  std::vector<host::TProgramEntry> programs = accounts.Programs();
  ASSERT_EQ(programs.size(), 2u);
  EXPECT_EQ(programs[0].Code, AnsiString("TestPrg"));
  EXPECT_EQ(programs[0].Name, AnsiString("Test program"));
  EXPECT_EQ(programs[0].Rights, platform::kAllRights);
  EXPECT_EQ(programs[1].Code, AnsiString("VORN21"));
  EXPECT_EQ(programs[1].Rights, platform::kRightQuery | platform::kRightEdit | platform::kRightAdd);

  EXPECT_EQ(accounts.MessageText("E", "000004"), AnsiString("No right."));
  EXPECT_TRUE(accounts.MessageText("E", "999999").IsEmpty());

  Variant validator = accounts.ServiceObject("Validator");
  ASSERT_FALSE(platform::VarIsEmpty(validator));
  EXPECT_EQ(platform::OleCall(validator, "Who").AsString(), AnsiString("admin@DEMO"));
  EXPECT_TRUE(platform::VarIsEmpty(accounts.ServiceObject("Counter"))) << "this server offers no counter";

  // After the log-out the session's token opens nothing any more.
  accounts.LogOut();
  platform::TSocketConnection stale(nullptr);
  stale.SetAddress("127.0.0.1");
  stale.SetServerName("Corvane.Session");
  EXPECT_THROW(stale.SetConnected(true), std::exception);
}

TEST_F(ServerAccountTest, AUserSeesOnlyTheProgramsOfTheirRightsRecords) {
  host::TServerAccountService accounts;
  host::TLoginResult r = accounts.LogIn("viewer", "DEMO", "look");
  ASSERT_TRUE(r.Ok) << r.Message.c_str();
  platform::SetSessionCredential(r.Credential);
  std::vector<host::TProgramEntry> programs = accounts.Programs();
  ASSERT_EQ(programs.size(), 1u);
  EXPECT_EQ(programs[0].Code, AnsiString("VORN21"));
  EXPECT_EQ(programs[0].Rights, platform::kRightQuery | platform::kRightPrint);
}

}  // namespace
