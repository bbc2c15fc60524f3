#include "server/validator/LookupWindow.h"

#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/TestSupport.h"
#include "server/validator/CheckCodes.h"
#include "server/validator/tests/DemoStore.h"

namespace {

using storage::Engine;
using storage::testing::Utf8;

class LookupWindowTest : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    store_ = demo::testing::SeededStore(GetParam());
    if (!store_) GTEST_SKIP() << "CORVANE_PG_URL is not set";
    session_ = store_->Session("clerk");
  }
  demo::testing::DemoStore* store_ = nullptr;
  company::CompanySessionPtr session_;
};

TEST_P(LookupWindowTest, EmployeesFromTheStartingCode) {
  auto rows = validator::QueryLookup(*session_, "CMSMV", "01", "E00150");
  ASSERT_EQ(rows.captions.size(), 6u);
  EXPECT_EQ(rows.captions[0], Utf8(u8"员工编号"));
  EXPECT_EQ(rows.title, Utf8(u8"员工信息查询"));
  ASSERT_GT(rows.rows.size(), 150u);
  EXPECT_EQ(rows.rows[rows.startRow][0], storage::Value("E00150"));
  EXPECT_EQ(rows.rows[rows.startRow - 1][0], storage::Value("E00149"));
  for (const auto& row : rows.rows) ASSERT_EQ(row.size(), 6u);
  // Ordered by code.
  for (std::size_t i = 1; i < rows.rows.size(); ++i) ASSERT_LT(rows.rows[i - 1][0].AsText(), rows.rows[i][0].AsText());
}

TEST_P(LookupWindowTest, FilterMatchesCodeOrNameAndIsNoPattern) {
  auto named = validator::QueryLookup(*session_, "CMSMV", "01", "", Utf8(u8"测试"));
  ASSERT_EQ(named.rows.size(), 1u);
  EXPECT_EQ(named.rows[0][0], storage::Value("T0001"));
  EXPECT_EQ(named.rows[0][2], storage::Value(Utf8(u8"人力资源部")));
  auto coded = validator::QueryLookup(*session_, "CMSME", "01", "", "D0");
  EXPECT_EQ(coded.rows.size(), 9u);  // D01..D09 contain "D0", D10 does not
  EXPECT_TRUE(validator::QueryLookup(*session_, "CMSME", "01", "", "%").rows.empty());
  EXPECT_TRUE(validator::QueryLookup(*session_, "CMSME", "01", "", "D_1").rows.empty());
}

TEST_P(LookupWindowTest, LimitsTheRowsAndSaysSo) {
  auto rows = validator::QueryLookup(*session_, "CMSMV", "01", "", "", 20);
  EXPECT_EQ(rows.rows.size(), 20u);
  EXPECT_TRUE(rows.truncated);
  EXPECT_FALSE(validator::QueryLookup(*session_, "PALMI", "01", "").truncated);
}

TEST_P(LookupWindowTest, PhrasesOfTheUserAndOfEverybody) {
  auto& db = *store_->db;
  db.UseCompany("demo");
  db.Execute("INSERT INTO ADMPH (PH001, PH002, PH003) VALUES ('clerk', 90, 'mine'), ('admin', 91, 'theirs')");
  auto rows = validator::QueryLookup(*session_, "ADMPH", "01", "");
  std::vector<std::string> texts;
  for (const auto& r : rows.rows) texts.push_back(r[0].AsText());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "mine"), texts.end());
  EXPECT_EQ(std::find(texts.begin(), texts.end(), "theirs"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), Utf8(u8"合同期满")), texts.end());
  db.Execute("DELETE FROM ADMPH WHERE PH002 >= 90");
}

TEST_P(LookupWindowTest, EveryWindowRunsAndUnknownOnesAreRefused) {
  for (const auto& def : validator::LookupDefs()) {
    SCOPED_TRACE(std::string(def.table) + " " + def.kind);
    auto rows = validator::QueryLookup(*session_, def.table, def.kind, "");
    EXPECT_FALSE(rows.rows.empty());
    platform::Variant v = validator::LookupRowsToVariant(rows);
    EXPECT_EQ(platform::VarArrayHighBound(v[1], 1) + 1, static_cast<int>(def.columns.size()));
    EXPECT_EQ(platform::VarArrayHighBound(v[2], 1) + 1, static_cast<int>(rows.rows.size()));
  }
  EXPECT_THROW(validator::QueryLookup(*session_, "CMSMV", "99", ""), platform::Exception);
}

INSTANTIATE_TEST_SUITE_P(Engines, LookupWindowTest, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return std::string(storage::EngineName(info.param)); });

}  // namespace
