#include "server/validator/Validator.h"

#include <gtest/gtest.h>

#include "platform/Automation.h"
#include "platform/Exceptions.h"
#include "platform/TestSupport.h"
#include "server/validator/CheckCodes.h"
#include "server/validator/tests/DemoStore.h"

namespace {

using platform::ByRef;
using platform::Variant;
using platform::VarArrayOf;
using platform::testing::A;
using storage::Engine;

class ValidatorTest : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    store_ = demo::testing::SeededStore(GetParam());
    if (!store_) GTEST_SKIP() << "CORVANE_PG_URL is not set";
    validator_ = Variant(std::make_shared<validator::Validator>(store_->Session()));
  }

  // The module's call: (table, code, var database, var keys, var result).
  bool Call(const char* method, const char* table, const char* code, Variant keys, Variant& result,
            Variant database = Variant("demo")) {
    return platform::OleCall(validator_, method, {Variant(table), Variant(code), ByRef(database), ByRef(keys),
                                                  ByRef(result)})
        .AsBool();
  }

  demo::testing::DemoStore* store_ = nullptr;
  Variant validator_;
};

struct Position {
  int pos;
  const char8_t* text;
};

struct CheckCase {
  const char* name;
  const char* table;
  const char* code;
  std::vector<const char8_t*> keys;
  bool found;
  std::vector<Position> positions;
};

Variant Keys(const std::vector<const char8_t*>& keys) {
  std::vector<Variant> v;
  for (const char8_t* k : keys) v.emplace_back(A(k));
  return VarArrayOf(std::move(v));
}

// The positions the module reads, for the known employee T0001 (company
// C02, department D03, position J07, grade G05, education 03).
const CheckCase kCheckCases[] = {
    {"employee: name, hire and resignation dates", "CMSMV", "01", {u8"T0001"}, true,
     {{0, u8"测试员"}, {9, u8"20100301"}, {10, u8"20200115"}}},
    {"employee key padded to the field size", "CMSMV", "01", {u8"T0001     "}, true, {{0, u8"测试员"}}},
    {"unknown employee is refused", "CMSMV", "01", {u8"NOBODY"}, false, {}},
    {"before values of every change item", "CMSMV", "03", {u8"T0001"}, true,
     {{0, u8"C02"}, {1, u8"华东分公司"}, {2, u8"D03"}, {3, u8"人力资源部"}, {4, u8"20200115"}, {5, u8"J07"},
      {6, u8"工程师"}, {7, u8"G05"}, {8, u8"五职等"}, {9, u8"2"}, {10, u8"N"}, {11, u8"2"}, {12, u8"Y"}, {13, u8""}}},
    {"education code and name", "CMSMV", "10", {u8"T0001"}, true, {{1, u8"03"}, {2, u8"本科"}}},
    {"employee documents", "CMSMV", "07", {u8"T0001"}, true, {{0, u8"DOC-1"}, {1, u8"REV-A"}}},
    {"company name", "TAXMA", "01", {u8"C02"}, true, {{0, u8"华东分公司"}}},
    {"unknown company", "TAXMA", "01", {u8"C99"}, false, {}},
    {"department name", "CMSME", "01", {u8"D03"}, true, {{0, u8"人力资源部"}}},
    {"position name at position 1", "CMSMJ", "01", {u8"J07"}, true, {{0, u8"J07"}, {1, u8"工程师"}}},
    {"grade name", "PALMH", "01", {u8"G05"}, true, {{0, u8"五职等"}}},
    {"education name", "PALMI", "01", {u8"03"}, true, {{0, u8"本科"}}},
    {"unknown education", "PALMI", "01", {u8"99"}, false, {}},
    {"slip exists", "PALTE", "01", {u8"T0001", u8"20190101", u8"0002"}, true, {{0, u8"T0001"}}},
    {"no slip on that date", "PALTE", "01", {u8"T0001", u8"20190102", u8"0002"}, false, {}},
    {"latest approved change of the item", "PALTE", "02", {u8"T0001", u8"0002", u8"Y"}, true, {{0, u8"20190101"}}},
    {"pending slips count for state N only", "PALTE", "02", {u8"T0001", u8"0002", u8"N"}, true, {{0, u8"20191201"}}},
    {"no approved change of another item", "PALTE", "02", {u8"T0001", u8"0004", u8"Y"}, false, {}},
    {"program record", "ADMMB", "06", {u8"VORN21", u8"demo"}, true,
     {{0, u8"人事异动单"}, {1, u8""}, {5, u8"PALTE01"}, {6, u8"VORN21"}, {7, u8"N"}, {9, u8"Personnel Change Slip"}}},
    {"unknown program", "ADMMB", "06", {u8"NOPROG", u8"demo"}, false, {}},
    {"sign-off settings of any document type", "ADMMQ", "02", {u8"VORN21", u8"****"}, true,
     {{0, u8"****"}, {1, u8"PALTE01"}}},
    {"no sign-off settings", "ADMMQ", "02", {u8"NOPROG", u8"****"}, false, {}},
    {"a user of the company", "KVTMA", "01", {u8"approver"}, true, {{0, u8"人事经理"}}},
    {"not a user", "KVTMA", "01", {u8"intruder"}, false, {}},
    {"the company record", "KVTMB", "02", {u8"DEMO"}, true, {{0, u8"科文示范股份有限公司"}}},
    {"a saved scheme name is taken", "DOCUS", "01", {u8"mine", u8"clerk", u8"VORN21"}, true, {{0, u8"mine"}}},
    {"another user's scheme name is free", "DOCUS", "01", {u8"mine", u8"admin", u8"VORN21"}, false, {}},
};

TEST_P(ValidatorTest, CheckValueAnswersThePositionsTheModuleReads) {
  auto& db = *store_->db;
  db.Execute("DELETE FROM SYS_SCHEME WHERE NCONDITION = 'mine'");
  db.Execute("INSERT INTO SYS_SCHEME (NCONDITION, CREATOR, PROGRAMME, VCONDITION, ACTIVE_PAGE, CREATE_DATE) "
             "VALUES ('mine', 'clerk', 'VORN21', '', 0, '20250101')");
  for (const auto& c : kCheckCases) {
    SCOPED_TRACE(c.name);
    Variant result = Variant("stale");
    bool found = Call("CheckValue", c.table, c.code, Keys(c.keys), result);
    EXPECT_EQ(found, c.found);
    if (!c.found) {
      EXPECT_TRUE(platform::VarIsEmpty(result));
      continue;
    }
    ASSERT_EQ(platform::VarArrayDimCount(result), 1);
    for (const auto& p : c.positions) {
      SCOPED_TRACE("position " + std::to_string(p.pos));
      ASSERT_LE(p.pos, platform::VarArrayHighBound(result, 1));
      EXPECT_EQ(platform::VarToStr(result[p.pos]), A(p.text));
    }
  }
}

TEST_P(ValidatorTest, EveryEmployeeAnswersEnoughColumnsForTheSlip) {
  // The slip reads up to element 11 of "01" and 14 of "03" for any employee.
  auto r = store_->db->Execute("SELECT MV001 FROM CMSMV ORDER BY MV001 LIMIT 25");
  ASSERT_FALSE(r.rows.empty());
  for (const auto& row : r.rows) {
    Variant result;
    ASSERT_TRUE(Call("CheckValue", "CMSMV", "01", VarArrayOf({Variant(row[0].AsText().c_str())}), result));
    EXPECT_GE(platform::VarArrayHighBound(result, 1), 10);
    ASSERT_TRUE(Call("CheckValue", "CMSMV", "03", VarArrayOf({Variant(row[0].AsText().c_str())}), result));
    ASSERT_EQ(platform::VarArrayHighBound(result, 1), 13);
    for (int pos : {1, 3, 6, 8}) EXPECT_FALSE(platform::VarToStr(result[pos]).IsEmpty()) << row[0] << " " << pos;
  }
}

TEST_P(ValidatorTest, QueryDataAnswersEveryRow) {
  Variant rows;
  ASSERT_TRUE(Call("QueryData", "ADMMQ", "02", VarArrayOf({"VORN21", "PALTE"}), rows));
  ASSERT_EQ(platform::VarArrayHighBound(rows, 1), 4);  // the five fields of the sign-off form
  EXPECT_EQ(platform::VarToStr(rows[0][1]), A(u8"PALTE01"));
  EXPECT_EQ(platform::VarToStr(rows[0][3]), A(u8"TE001"));
  EXPECT_EQ(platform::VarToStr(rows[0][4]), A(u8"PALTE"));
  EXPECT_EQ(platform::VarToStr(rows[0][5]), A(u8"员工编号"));
  EXPECT_EQ(platform::VarToStr(rows[4][3]), A(u8"TE005"));
  Variant none = Variant("stale");
  EXPECT_FALSE(Call("QueryData", "ADMMQ", "02", VarArrayOf({"NOPROG", "X"}), none));
  EXPECT_TRUE(platform::VarIsEmpty(none));
}

TEST_P(ValidatorTest, RefusesWhatItCannotAnswer) {
  struct Case {
    const char* name;
    const char* table;
    const char* code;
    Variant keys;
    Variant database;
  };
  const Case cases[] = {
      {"unknown check code", "CMSMV", "99", VarArrayOf({"T0001"}), Variant("demo")},
      {"unknown table", "NOSUCH", "01", VarArrayOf({"T0001"}), Variant("demo")},
      {"too few key values", "PALTE", "01", VarArrayOf({"T0001", "20190101"}), Variant("demo")},
      {"no key values", "CMSMV", "01", Variant(), Variant("demo")},
      {"another company's database", "CMSMV", "01", VarArrayOf({"T0001"}), Variant("other")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Variant result;
    EXPECT_THROW(Call("CheckValue", c.table, c.code, c.keys, result, c.database), platform::EOleException);
  }
  // A hostile key value is a value, not SQL.
  Variant result;
  EXPECT_FALSE(Call("CheckValue", "CMSMV", "01", VarArrayOf({"x' OR '1'='1"}), result));
}

TEST_P(ValidatorTest, QueryMaxSeqProposesTheNextNumber) {
  auto& db = *store_->db;
  db.UseCompany("demo");
  db.Execute("DELETE FROM PALTZ");
  auto next = [&](const char* fields, Variant values, const char* date) {
    Variant table("PALTZ"), list(fields), d(date), program("VORN21"), database("demo"), number;
    bool ok = platform::OleCall(validator_, "QueryMaxSeq",
                                {ByRef(table), ByRef(list), values, ByRef(d), ByRef(program), ByRef(database),
                                 ByRef(number)})
                  .AsBool();
    EXPECT_TRUE(ok);
    return platform::VarToStr(number);
  };
  EXPECT_EQ(next("TZ001,TZ002,", VarArrayOf({"0001", ""}), "20250101"), A(u8"20250101001"));
  db.Execute("INSERT INTO PALTZ (TZ001, TZ002, TZ003) VALUES ('0001', '20250101007', '1'), "
             "('0001', '20250102001', '1'), ('0002', '20250101042', '1')");
  EXPECT_EQ(next("TZ001,TZ002,", VarArrayOf({"0001", ""}), "20250101"), A(u8"20250101008"));
  EXPECT_EQ(next("TZ001,TZ002,", VarArrayOf({"0002", ""}), "20250101"), A(u8"20250101043"));
  // Without a date the whole field is the serial.
  EXPECT_EQ(next("TZ002,TZ001,", VarArrayOf({"20250101007", ""}), ""), A(u8"0002"));
  db.Execute("DELETE FROM PALTZ");

  Variant table("PALTZ"), list("TZ001,NOSUCH,"), d(""), program("VORN21"), database("demo"), number;
  EXPECT_THROW(platform::OleCall(validator_, "QueryMaxSeq",
                                 {ByRef(table), ByRef(list), VarArrayOf({"1"}), ByRef(d), ByRef(program),
                                  ByRef(database), ByRef(number)}),
               platform::EOleException);
}

TEST_P(ValidatorTest, LookupRowsReachTheHostThroughTheValidator) {
  Variant rows = platform::OleCall(validator_, "LookupRows", {Variant("PALMI"), Variant("01"), Variant("03"), Variant()});
  EXPECT_EQ(platform::VarToStr(rows[0]), A(u8"学历编号查询"));
  EXPECT_EQ(platform::VarToStr(rows[1][1]), A(u8"学历名称"));
  int start = rows[3].AsInteger();
  EXPECT_EQ(platform::VarToStr(rows[2][start][0]), A(u8"03"));
  EXPECT_EQ(platform::VarToStr(rows[2][start][1]), A(u8"本科"));
}

INSTANTIATE_TEST_SUITE_P(Engines, ValidatorTest, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return std::string(storage::EngineName(info.param)); });

TEST(CheckCodes, EveryPairIsFoundByItsNameInAnyCase) {
  for (const auto& def : validator::CheckCodes()) {
    std::string lower = def.table;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(validator::FindCheckCode(lower, def.code), &def) << def.table << " " << def.code;
    EXPECT_GE(validator::KeyCount(def), 1) << def.table << " " << def.code;
  }
}

}  // namespace
