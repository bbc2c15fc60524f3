#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

#include "server/core/PasswordHash.h"
#include "server/core/Sessions.h"
#include "server/core/SystemData.h"
#include "server/storage/EStorageError.h"
#include "server/storage/tests/TestStore.h"

namespace server {
namespace {

using storage::Engine;
using storage::testing::TestStore;

TEST(PasswordHash, VerifierAcceptsOnlyItsPassword) {
  PasswordVerifier v = MakeVerifier("s3cret", 1000);
  EXPECT_NE(v.hash.find_first_not_of("0123456789abcdef"), 0u);
  EXPECT_TRUE(CheckPassword(v, "s3cret"));
  for (const char* wrong : {"", "s3cre", "s3cret ", "S3cret"}) EXPECT_FALSE(CheckPassword(v, wrong)) << wrong;
  // Two verifiers of one password differ by their salt.
  PasswordVerifier w = MakeVerifier("s3cret", 1000);
  EXPECT_NE(v.salt, w.salt);
  EXPECT_NE(v.hash, w.hash);
  EXPECT_EQ(v.hash.find("s3cret"), std::string::npos);
}

TEST(PasswordHash, ChallengeProofNeedsTheKeyAndTheChallenge) {
  PasswordVerifier v = MakeVerifier("pw", 10);
  std::string challenge = RandomHex(16);
  std::string proof = ChallengeProof(DeriveKey("pw", v.salt, v.rounds), challenge);
  EXPECT_TRUE(SameSecret(proof, ChallengeProof(v.hash, challenge)));
  EXPECT_FALSE(SameSecret(proof, ChallengeProof(DeriveKey("px", v.salt, v.rounds), challenge)));
  EXPECT_FALSE(SameSecret(proof, ChallengeProof(v.hash, RandomHex(16))));
}

class SessionsTest : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    store_ = TestStore::Create(GetParam());
    if (!store_) {
      const char* ci = std::getenv("CI");
      if (ci && std::string_view(ci) == "true")
        FAIL() << "CORVANE_PG_URL is not set: the PostgreSQL half of the suite cannot run";
      GTEST_SKIP() << "CORVANE_PG_URL is not set; start a cluster with scripts/pg-test-cluster.sh";
    }
    db_ = store_->Open();
    CreateSystemSchema(*db_);
    AddCompany(*db_, "C01", "Halden", "Halden Ltd");
    AddCompany(*db_, "C02", "vorn", "Vorn Ltd");
    AddUser(*db_, "clerk", "pw1", "Clerk", "G01");
    AddUser(*db_, "boss", "pw2", "Boss", "G02");
    GrantCompany(*db_, "clerk", "halden");
    GrantCompany(*db_, "boss", "HALDEN");
    GrantCompany(*db_, "boss", "vorn");
  }
  std::unique_ptr<TestStore> store_;
  std::unique_ptr<storage::Connection> db_;
};

TEST_P(SessionsTest, LoginOpensASessionOnlyWithTheRightPassword) {
  struct Case {
    const char* name;
    const char* user;
    const char* password;
    bool ok;
  } cases[] = {
      {"right password", "clerk", "pw1", true},
      {"wrong password", "clerk", "pw2", false},
      {"unknown user", "nobody", "pw1", false},
      {"user code in another case", "CLERK", "pw1", false},
      {"empty password", "clerk", "", false},
  };
  for (const Case& c : cases) {
    LoginResult r = LogIn(*db_, c.user, c.password);
    EXPECT_EQ(r.ok, c.ok) << c.name;
    if (c.ok) {
      auto who = SessionUser(*db_, r.token);
      ASSERT_TRUE(who) << c.name;
      EXPECT_EQ(who->userId, c.user);
      EXPECT_EQ(who->userGroup, "G01");
    } else {
      EXPECT_TRUE(r.token.empty()) << c.name;
      EXPECT_EQ(r.message, kLoginRefused) << c.name;
    }
  }
}

TEST_P(SessionsTest, TokensAreNotStoredAndEndWithLogOut) {
  LoginResult a = LogIn(*db_, "clerk", "pw1");
  LoginResult b = LogIn(*db_, "clerk", "pw1");
  ASSERT_TRUE(a.ok && b.ok);
  EXPECT_NE(a.token, b.token);
  auto stored = db_->Execute("SELECT TOKEN_HASH FROM SYS_SESSION");
  for (const auto& row : stored.rows) EXPECT_NE(row[0].AsText(), a.token);
  LogOut(*db_, a.token);
  EXPECT_FALSE(SessionUser(*db_, a.token));
  EXPECT_TRUE(SessionUser(*db_, b.token));
  EXPECT_FALSE(SessionUser(*db_, ""));
  EXPECT_FALSE(SessionUser(*db_, a.token.substr(0, 10)));
}

TEST_P(SessionsTest, GrantsAndDefinitions) {
  EXPECT_EQ(GrantedDatabases(*db_, "clerk"), std::vector<std::string>{"halden"});
  EXPECT_EQ(GrantedDatabases(*db_, "boss"), (std::vector<std::string>{"halden", "vorn"}));
  EXPECT_TRUE(IsGranted(*db_, "clerk", "HALDEN"));
  EXPECT_FALSE(IsGranted(*db_, "clerk", "vorn"));
  EXPECT_EQ(CompanyDatabase(*db_, "C02"), "vorn");
  EXPECT_EQ(GrantedCompanies(*db_, "clerk"), (std::vector<CompanyEntry>{{"C01", "halden", "Halden Ltd"}}));
  EXPECT_EQ(GrantedCompanies(*db_, "boss").size(), 2u);
  EXPECT_TRUE(GrantedCompanies(*db_, "nobody").empty());
  EXPECT_FALSE(CompanyDatabase(*db_, "C09"));

  StoreProgram(*db_, "VORN21", "Changes", {"M11_TABLE=PALTE", "M11_KEY=TE001,TE002,TE003"});
  StoreProgram(*db_, "VORN21", "Changes", {"M11_TABLE=PALTE", "MAX_RECORD=40", "M11_KEY=TE001"});
  EXPECT_EQ(ProgramSettings(*db_, "VORN21"),
            (std::vector<std::string>{"M11_TABLE=PALTE", "MAX_RECORD=40", "M11_KEY=TE001"}));
  EXPECT_FALSE(ProgramSettings(*db_, "NONE"));

  StoreRights(*db_, "clerk", "VORN21", {"0,0,N,YYYY", "", "'G01'", ""});
  auto rights = RightsOf(*db_, "clerk", "VORN21");
  ASSERT_TRUE(rights);
  EXPECT_EQ(rights->powerData, "0,0,N,YYYY");
  EXPECT_EQ(rights->groupList, "'G01'");
  EXPECT_FALSE(RightsOf(*db_, "boss", "VORN21"));

  StoreMessages(*db_, {{"E/000001", storage::testing::Utf8(u8"%s \u4e0d\u5b58\u5728!")}, {"I/000006", "%s -> %s"}});
  EXPECT_EQ(MessageText(*db_, "E/000001"), storage::testing::Utf8(u8"%s \u4e0d\u5b58\u5728!"));
  EXPECT_FALSE(MessageText(*db_, "E/999999"));
}

TEST_P(SessionsTest, BadDefinitionsAreRefusedWithTheirReason) {
  EXPECT_THROW(AddCompany(*db_, "C03", "main", "x"), ESystemDataError);
  EXPECT_THROW(AddCompany(*db_, "C03", "two words", "x"), ESystemDataError);
  EXPECT_THROW(AddUser(*db_, "", "pw", "x", "G"), ESystemDataError);
  EXPECT_THROW(AddUser(*db_, std::string(21, 'u'), "pw", "x", "G"), ESystemDataError);
  EXPECT_THROW(SetPassword(*db_, "nobody", "pw"), ESystemDataError);
  SetPassword(*db_, "clerk", "new");
  EXPECT_FALSE(LogIn(*db_, "clerk", "pw1").ok);
  EXPECT_TRUE(LogIn(*db_, "clerk", "new").ok);
}

INSTANTIATE_TEST_SUITE_P(Engines, SessionsTest, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return std::string(storage::EngineName(info.param)); });

}  // namespace
}  // namespace server
