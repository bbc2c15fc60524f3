#include "server/validator/Counter.h"

#include <gtest/gtest.h>

#include "platform/Automation.h"
#include "platform/Exceptions.h"
#include "platform/TestSupport.h"
#include "server/validator/tests/DemoStore.h"

namespace {

using platform::ByRef;
using platform::Variant;
using platform::VarArrayOf;
using platform::testing::A;
using storage::Engine;

class CounterTest : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    store_ = demo::testing::SeededStore(GetParam());
    if (!store_) GTEST_SKIP() << "CORVANE_PG_URL is not set";
    counter_ = Variant(std::make_shared<validator::Counter>(store_->Session("clerk")));
  }

  // The module's call: GETCOUNTER(var name, var parameters, [CompanyID, Database]).
  Variant Call(const char* function, Variant params, Variant where = VarArrayOf({"DEMO", "demo"})) {
    Variant name(function);
    return platform::OleCall(counter_, "GETCOUNTER", {ByRef(name), ByRef(params), where});
  }
  static Variant Sql(const char8_t* sql, const char* fields) { return VarArrayOf({A(sql), fields, "demo", "N"}); }

  storage::Connection& Db() {
    store_->db->UseCompany("demo");
    return *store_->db;
  }

  demo::testing::DemoStore* store_ = nullptr;
  Variant counter_;
};

TEST_P(CounterTest, GetSysInfoAnswersTheCompanysParameters) {
  Variant company("DEMO");
  Variant info = platform::OleCall(counter_, "GetSysInfo", {ByRef(company)});
  ASSERT_EQ(platform::VarArrayDimCount(info), 2);
  EXPECT_EQ(platform::VarArrayHighBound(info, 1), 1);
  std::map<std::string, std::string> values;
  for (int i = 0; i <= platform::VarArrayHighBound(info, 2); ++i)
    values[platform::VarToStr(info.GetElement({0, i})).ToUtf8()] = platform::VarToStr(info.GetElement({1, i})).ToUtf8();
  EXPECT_EQ(values["SYS001"], "1");
  EXPECT_EQ(values["SYS002"], "/");
  EXPECT_EQ(values["SYS003"], "RMB");
  EXPECT_EQ(values["SYS150"], "Y");
  EXPECT_EQ(values["KVT002"], storage::testing::Utf8(u8"科文示范"));

  Variant other("OTHER");
  EXPECT_THROW(platform::OleCall(counter_, "GetSysInfo", {ByRef(other)}), platform::EOleException);
}

TEST_P(CounterTest, SimpleSqlAnswersTheListedFieldsInListOrder) {
  struct Case {
    const char* name;
    const char8_t* sql;
    const char* fields;
    std::vector<std::vector<const char8_t*>> rows;
  };
  const Case cases[] = {
      {"by alias, in list order", u8"SELECT MV002 AS NM, MV001 FROM $$CMSMV WHERE MV001='T0001'", "MV001,nm",
       {{u8"T0001", u8"测试员"}}},
      {"top and a table hint", u8"select top 1 MB002,MB011 from ADMMB(nolock) where MB001='VORN21'", "MB002,MB011",
       {{u8"人事异动单", u8"Personnel Change Slip"}}},
      {"database prefix and text joined with +", u8"SELECT ME001+'-'+ME002 AS X FROM demo..CMSME WHERE ME001='D03'",
       "X", {{u8"D03-人力资源部"}}},
      {"a qualified field in the list", u8"SELECT A.MV002 FROM CMSMV A WHERE A.MV001='T0001'", "A.MV002",
       {{u8"测试员"}}},
      {"every column without a list", u8"SELECT MH001, MH002 FROM PALMH WHERE MH001='G05'", "",
       {{u8"G05", u8"五职等"}}},
      {"the job queue test", u8"select TOP 1 1 AS REC from JXJOBQUE(nolock) where JX001='NONE'", "REC", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Variant rows = Call("SimpleSql", Sql(c.sql, c.fields));
    if (c.rows.empty()) {
      EXPECT_TRUE(platform::VarIsEmpty(rows));
      continue;
    }
    ASSERT_TRUE(platform::VarIsArray(rows));
    ASSERT_EQ(platform::VarArrayHighBound(rows, 1) + 1, static_cast<int>(c.rows.size()));
    for (std::size_t r = 0; r < c.rows.size(); ++r)
      for (std::size_t f = 0; f < c.rows[r].size(); ++f)
        EXPECT_EQ(platform::VarToStr(rows[static_cast<int>(r)][static_cast<int>(f)]), A(c.rows[r][f]));
  }
  // The function name is compared without regard to case; the print-format
  // query sends only the statement and its field.
  Variant name("simplesql"), params = VarArrayOf({"SELECT NT002 FROM WARRANT", "NT002"});
  EXPECT_NO_THROW(platform::OleCall(counter_, "GETCOUNTER", {ByRef(name), ByRef(params)}));
}

TEST_P(CounterTest, SimpleSqlRefusesWritesAndOtherDatabases) {
  const char8_t* refused[] = {
      u8"DELETE FROM CMSMV",
      u8"UPDATE CMSMV SET MV002='x'",
      u8"SELECT MV001 FROM CMSMV; DELETE FROM CMSMV",
      u8"SELECT * FROM other..CMSMV",
      u8"SELECT * FROM SYS_USER",
      u8"SELECT MV001 FROM CMSMV WHERE MV001='T0001'",  // the list names a field the query lacks
  };
  for (const char8_t* sql : refused) {
    SCOPED_TRACE(reinterpret_cast<const char*>(sql));
    EXPECT_THROW(Call("SimpleSql", Sql(sql, "MV002")), platform::EOleException);
  }
  EXPECT_THROW(Call("SimpleSql", VarArrayOf({"SELECT 1 AS A", "A", "other", "N"})), platform::EOleException);
  EXPECT_EQ(Db().Execute("SELECT MV001 FROM CMSMV WHERE MV001 = 'T0001'").rows.size(), 1u);
}

TEST_P(CounterTest, GetCounterChecksTheCompanyAndTheFunction) {
  EXPECT_THROW(Call("NoSuchFunction", VarArrayOf({""})), platform::EOleException);
  EXPECT_THROW(Call("SimpleSql", Sql(u8"SELECT 1 AS A", "A"), VarArrayOf({"OTHER", "demo"})), platform::EOleException);
  EXPECT_THROW(Call("SimpleSql", Sql(u8"SELECT 1 AS A", "A"), VarArrayOf({"DEMO", "other"})), platform::EOleException);
}

TEST_P(CounterTest, TransactionSqlDeletesAttachmentsOnlyAndAllOrNothing) {
  auto& db = Db();
  db.Execute("DELETE FROM ATTACH");
  db.Execute("INSERT INTO ATTACH (Parent, KeyValues, SeqNo, CompanyID) VALUES "
             "('VORN21', 'E00001||20250101||0002', 1, 'DEMO'), ('VORN21', 'E00001||20250101||0002', 2, 'DEMO'), "
             "('VORN21', 'O''Hara', 1, 'DEMO'), ('VORN21', 'E00002', 1, 'DEMO')");
  auto count = [&] { return db.Execute("SELECT Parent FROM ATTACH").rows.size(); };

  // A refused statement anywhere in the list: nothing runs.
  EXPECT_THROW(Call("TransactionSQL", VarArrayOf({VarArrayOf({"DELETE FROM ATTACH WHERE KeyValues = 'E00002'",
                                                              "DELETE FROM CMSMV WHERE MV001 = 'T0001'"}),
                                                  ""})),
               platform::EOleException);
  EXPECT_EQ(count(), 4u);
  for (const char* hostile : {"DELETE FROM ATTACH WHERE Parent = 'VORN21' OR 1 = 1", "DELETE FROM ATTACH",
                              "DELETE FROM ATTACH WHERE Parent = 'VORN21'; DELETE FROM CMSMV",
                              "DELETE FROM other..ATTACH WHERE Parent = 'VORN21'", "UPDATE ATTACH SET Parent = 'X'"}) {
    SCOPED_TRACE(hostile);
    EXPECT_THROW(Call("TransactionSQL", VarArrayOf({VarArrayOf({hostile}), ""})), platform::EOleException);
  }
  EXPECT_EQ(count(), 4u);

  Variant status = Call("TransactionSQL",
                        VarArrayOf({VarArrayOf({"DELETE FROM ATTACH WHERE Parent='VORN21' AND KeyValues='E00001||20250101||0002' AND CompanyID='DEMO'",
                                                "DELETE FROM $$ATTACH WHERE KeyValues = 'O''Hara' AND SeqNo = 1"}),
                                    ""}));
  EXPECT_EQ(status.AsInteger(), 0);
  auto left = db.Execute("SELECT KeyValues FROM ATTACH");
  ASSERT_EQ(left.rows.size(), 1u);
  EXPECT_EQ(left.rows[0][0], storage::Value("E00002"));
  db.Execute("DELETE FROM ATTACH");
}

TEST_P(CounterTest, QueryUdfDataEvaluatesTheFormulaWithTheSourceValues) {
  Variant rows = Call("QueryUDFData", VarArrayOf({"? || '-' || ?", "", "demo", "N", VarArrayOf({"A", "B"})}));
  EXPECT_EQ(platform::VarToStr(rows[0][0]), A(u8"A-B"));
  rows = Call("QueryUDFData",
              VarArrayOf({"SELECT MV002 FROM CMSMV WHERE MV001 = ?", "", "demo", "N", VarArrayOf({"T0001"})}));
  EXPECT_EQ(platform::VarToStr(rows[0][0]), A(u8"测试员"));
  EXPECT_THROW(Call("QueryUDFData", VarArrayOf({"SELECT 1; DELETE FROM CMSMV", "", "demo", "N", VarArrayOf({})})),
               platform::EOleException);
}

TEST_P(CounterTest, UserSettingsAreStoredPerUserAndTheProgramValueWins) {
  Db().Execute("DELETE FROM ADMUD");
  const char* all = validator::kAllProgramsScope;
  auto get = [&](const char* program, const char* group) {
    return platform::VarToStr(Call("GetUserDefine", VarArrayOf({"DEMO", "clerk", program, group})));
  };
  auto set = [&](const char* user, const char* scope, const char* path, Variant value) {
    return platform::VarToStr(Call("SetUserDefine", VarArrayOf({"DEMO", user, scope, path, value})));
  };
  EXPECT_EQ(get("VORN21", "InputSettings002"), A(u8""));
  EXPECT_EQ(set("clerk", all, "InputSettings002/IsKeepOnAdd", "False"), A(u8""));
  EXPECT_EQ(get("VORN21", "InputSettings002"), A(u8"<InputSettings002><IsKeepOnAdd>False</IsKeepOnAdd></InputSettings002>"));
  EXPECT_EQ(set("clerk", "VORN21", "InputSettings002/IsKeepOnAdd", "True"), A(u8""));
  EXPECT_EQ(get("VORN21", "InputSettings002"), A(u8"<InputSettings002><IsKeepOnAdd>True</IsKeepOnAdd></InputSettings002>"));
  EXPECT_EQ(get("OTHER", "InputSettings002"), A(u8"<InputSettings002><IsKeepOnAdd>False</IsKeepOnAdd></InputSettings002>"));

  // A whole group element at path ".".
  EXPECT_EQ(set("clerk", all, ".",
                "<NumberFieldsSetting Enabled=\"True\">  <QuantityFieldAutoZero>True</QuantityFieldAutoZero>"
                "<MoneyFieldThousand>False</MoneyFieldThousand></NumberFieldsSetting>"),
            A(u8""));
  EXPECT_EQ(get("VORN21", "NumberFieldsSetting"),
            A(u8"<NumberFieldsSetting><MoneyFieldThousand>False</MoneyFieldThousand>"
              u8"<QuantityFieldAutoZero>True</QuantityFieldAutoZero></NumberFieldsSetting>"));

  // Another user's settings, a broken element and a path without element are refused with a text.
  EXPECT_FALSE(set("admin", all, "InputSettings001/IsFocusPageOne", "False").IsEmpty());
  EXPECT_FALSE(set("clerk", all, ".", "<a><b></a>").IsEmpty());
  EXPECT_FALSE(set("clerk", all, "InputSettings001", "False").IsEmpty());
  EXPECT_FALSE(set("clerk", all, "Input<x>/y", "False").IsEmpty());
  // An empty program value still wins.
  EXPECT_EQ(set("clerk", "VORN21", "InputSettings002/IsKeepOnAdd", ""), A(u8""));
  EXPECT_EQ(get("VORN21", "InputSettings002"), A(u8"<InputSettings002><IsKeepOnAdd></IsKeepOnAdd></InputSettings002>"));
  EXPECT_EQ(Db().Execute("SELECT UD001 FROM ADMUD WHERE UD001 <> 'clerk' OR UD003 = 'InputSettings001' OR UD003 LIKE 'Input<%'").rows.size(), 0u);
  EXPECT_THROW(Call("GetUserDefine", VarArrayOf({"DEMO", "admin", "VORN21", "x"})), platform::EOleException);
}

TEST_P(CounterTest, InsertJxJobQueuesADocumentOnce) {
  Db().Execute("DELETE FROM JXJOBQUE");
  std::vector<Variant> record(17, Variant(""));
  record[0] = Variant("clerk");
  auto job = [&](const char* user) {
    return VarArrayOf({VarArrayOf({"DEMO", "VORN21", "E00001||20250101||0002", user, VarArrayOf(record), "N",
                                   Variant(), platform::Null(), platform::Null(), Variant(), "936", "SP7"})});
  };
  EXPECT_EQ(Call("INSERTJXJOB", job("clerk")).AsInteger(), 0);
  EXPECT_EQ(Call("INSERTJXJOB", job("clerk")).AsInteger(), 1);
  EXPECT_THROW(Call("INSERTJXJOB", job("admin")), platform::EOleException);
  auto r = Db().Execute("SELECT JX004, JX005, JX006 FROM JXJOBQUE WHERE JX001 = 'DEMO' AND JX002 = 'VORN21'");
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_EQ(r.rows[0], (storage::Row{storage::Value("clerk"), storage::Value("SP7"), storage::Value("N")}));
  // The module then looks the job up with a statement of its own.
  Variant rows = Call("SimpleSql", Sql(u8"select TOP 1 1 AS REC from JXJOBQUE(nolock) where JX001='DEMO' and "
                                       u8"JX002='VORN21' and JX003='E00001||20250101||0002' ",
                                       "REC"));
  EXPECT_EQ(rows[0][0].AsInteger(), 1);
  Db().Execute("DELETE FROM JXJOBQUE");
}

TEST_P(CounterTest, WebServiceCallsAreRefusedRatherThanAnsweredEmpty) {
  EXPECT_THROW(Call("CallWebService", VarArrayOf({"", "", "<r/>", "N"})), platform::EOleException);
  EXPECT_THROW(Call("CallWebService", VarArrayOf({"http://example.invalid/ws", "Approve", "<r/>", "N"})),
               platform::EOleException);
  EXPECT_EQ(platform::VarToStr(Call("GetJXApprove", VarArrayOf({"clerk", "PALTE01", "x", "936"}))), A(u8""));
}

INSTANTIATE_TEST_SUITE_P(Engines, CounterTest, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return std::string(storage::EngineName(info.param)); });

}  // namespace
