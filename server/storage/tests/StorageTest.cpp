// The storage suite: every test runs against SQLite and against
// PostgreSQL, with the same expectations.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <limits>
#include <set>
#include <thread>

#include "server/storage/DialectRewriter.h"
#include "server/storage/tests/TestStore.h"

namespace storage {
namespace {

using testing::TestStore;
using testing::Utf8;
using namespace std::chrono_literals;

// --- declared databases of the suite --------------------------------------------

constexpr char kSecret[] = "s3cret-hash-of-admin";

Catalogue SystemCatalogue() {
  return Catalogue{1,
                   {TableDef{"SYSAUTH",
                             {{.name = "USER_ID", .type = ColumnType::Text, .size = 10, .key = true},
                              {.name = "PASSWORD_HASH", .type = ColumnType::Text, .size = 64}}}}};
}

Catalogue CompanyCatalogue() {
  TableDef slip{"PALTE",
                {{.name = "TE001", .type = ColumnType::Text, .size = 10, .key = true},
                 {.name = "TE002", .type = ColumnType::Text, .size = 8, .key = true},
                 {.name = "TE006", .type = ColumnType::Text, .size = 255},
                 {.name = "TE010", .type = ColumnType::Text, .size = 1, .defaultValue = Value("N")},
                 {.name = "NOTE", .type = ColumnType::Memo},
                 {.name = "QTY", .type = ColumnType::Integer, .nullable = true},
                 {.name = "AMOUNT", .type = ColumnType::Float, .nullable = true},
                 {.name = "PIC", .type = ColumnType::Blob, .nullable = true},
                 {.name = "FLAG", .type = ColumnType::Float}}};
  TableDef currency{"CMSMF",
                    {{.name = "MF001", .type = ColumnType::Text, .size = 4, .key = true},
                     {.name = "MF003", .type = ColumnType::Integer},
                     {.name = "MF004", .type = ColumnType::Integer}}};
  TableDef queue{"JXJOBQUE",
                 {{.name = "JX001", .type = ColumnType::Text, .size = 10, .key = true},
                  {.name = "JX002", .type = ColumnType::Text, .size = 10, .key = true},
                  {.name = "JX003", .type = ColumnType::Text, .size = 255, .key = true}}};
  return Catalogue{1, {slip, currency, queue}};
}

constexpr char kInsertSlip[] = "INSERT INTO PALTE (TE001, TE002, TE006, FLAG) VALUES (?, ?, ?, ?)";

std::vector<std::string> Column(const Result& r, std::size_t column = 0) {
  std::vector<std::string> out;
  for (const Row& row : r.rows) out.push_back(row[column].IsNull() ? "<null>" : row[column].AsText());
  return out;
}

// Runs f and returns the kind of the EStorageError it raised (fails the
// test when it raises nothing).
template <typename F>
std::optional<ErrorKind> KindRaised(F&& f, std::string* message = nullptr) {
  try {
    f();
  } catch (const EStorageError& e) {
    if (message) *message = e.Utf8Message();
    return e.Kind();
  }
  ADD_FAILURE() << "no EStorageError raised";
  return std::nullopt;
}

class StorageTest : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    store_ = TestStore::Create(GetParam());
    if (!store_) {
      const char* ci = std::getenv("CI");
      if (ci && std::string_view(ci) == "true")
        FAIL() << "CORVANE_PG_URL is not set: the PostgreSQL half of the suite cannot run "
                  "(scripts/test.sh starts a cluster and sets it)";
      GTEST_SKIP() << "CORVANE_PG_URL is not set; start a cluster with scripts/pg-test-cluster.sh";
    }
    db_ = store_->Open();
    db_->ApplySchema(SystemCatalogue());
    db_->Execute("INSERT INTO SYSAUTH (USER_ID, PASSWORD_HASH) VALUES ('admin', ?)", {kSecret});
    db_->CreateCompany("co_a");
    db_->ApplySchema(CompanyCatalogue(), "co_a");
    db_->UseCompany("co_a");
  }

  std::unique_ptr<Connection> OpenSecond(std::chrono::milliseconds busyTimeout = 5000ms) {
    StorageConfig config = store_->Config();
    config.busyTimeout = busyTimeout;
    auto second = store_->Open(config);
    second->UseCompany("co_a");
    return second;
  }

  void InsertSlip(Connection& c, const std::string& employee, const std::string& date, double flag = 1) {
    c.Execute(kInsertSlip, {employee, date, "remark " + employee, flag});
  }

  // The SQL of the module's dialect for this engine, for the session's company.
  std::string Dialect(std::string_view moduleSql, const Catalogue* catalogue = nullptr) {
    static const Catalogue company = CompanyCatalogue();
    DialectRewriter rewriter({GetParam(), db_->Company(), catalogue ? catalogue : &company});
    RewriteResult r = rewriter.Rewrite(moduleSql);
    EXPECT_TRUE(r.ok) << moduleSql << ": " << r.error;
    return r.sql;
  }

  std::unique_ptr<TestStore> store_;
  std::unique_ptr<Connection> db_;
};

// --- statements with parameters ---------------------------------------------------

TEST_P(StorageTest, TypedParametersRoundTripAndCountRows) {
  const Blob picture{0x00, 0x01, 0xFF, 0x00};
  const double amount = 0.1 + 0.2;
  const std::string name = Utf8(u8"张三 remark 'quoted'");
  auto insert = db_->Prepare(
      "INSERT INTO PALTE (TE001, TE002, TE006, NOTE, QTY, AMOUNT, PIC, FLAG) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
  EXPECT_EQ(insert->ParameterCount(), 8u);
  EXPECT_EQ(insert->Execute({"E001", "20240101", name, "", std::numeric_limits<std::int64_t>::max(), amount,
                             picture, 1.0})
                .affectedRows,
            1);
  EXPECT_EQ(db_->Execute("INSERT INTO PALTE (TE001, TE002, PIC, FLAG) VALUES (?, ?, ?, ?)", {"E002", "20240101", Blob{}, 1})
                .affectedRows,
            1);

  Result r = db_->Execute("SELECT TE001, TE006, NOTE, QTY, AMOUNT, PIC, TE010 FROM PALTE WHERE TE002 = ? ORDER BY TE001",
                          {"20240101"});
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.affectedRows, 0);
  ASSERT_TRUE(r.ColumnIndex("te006") && r.ColumnIndex("Qty"));
  EXPECT_EQ(r.columns[*r.ColumnIndex("TE001")].type, ValueType::Text);
  EXPECT_EQ(r.columns[*r.ColumnIndex("QTY")].type, ValueType::Integer);
  EXPECT_EQ(r.columns[*r.ColumnIndex("AMOUNT")].type, ValueType::Double);
  EXPECT_EQ(r.columns[*r.ColumnIndex("PIC")].type, ValueType::Blob);
  EXPECT_EQ(r.At(0, "TE006"), Value(name));
  EXPECT_EQ(r.At(0, "QTY"), Value(std::numeric_limits<std::int64_t>::max()));
  EXPECT_EQ(r.At(0, "AMOUNT"), Value(amount));
  EXPECT_EQ(r.At(0, "PIC"), Value(picture));
  EXPECT_EQ(r.At(0, "TE010"), Value("N")) << "the declared default";
  EXPECT_EQ(r.At(1, "NOTE"), Value("")) << "a NOT NULL text defaults to ''";
  EXPECT_EQ(r.At(1, "QTY"), Value());
  EXPECT_EQ(r.At(1, "PIC"), Value(Blob{})) << "an empty blob is not NULL";

  EXPECT_EQ(db_->Execute("UPDATE PALTE SET QTY = ? WHERE TE002 = ?", {7, "20240101"}).affectedRows, 2);
  EXPECT_EQ(db_->Execute("DELETE FROM PALTE WHERE TE001 = ?", {"E001"}).affectedRows, 1);
  EXPECT_EQ(db_->Execute("UPDATE PALTE SET QTY = 1 WHERE TE001 = 'nobody'").affectedRows, 0);

  EXPECT_EQ(db_->Execute("SELECT 1 AS one; -- a closing semicolon is fine").rows, (std::vector<Row>{{Value(1)}}));
  // "?" inside a string is text, not a placeholder.
  Result q = db_->Execute("SELECT '?' AS q, ? AS p", {"x"});
  EXPECT_EQ(q.At(0, "q"), Value("?"));
  EXPECT_EQ(q.At(0, "p"), Value("x"));
}

TEST_P(StorageTest, RefusedStatementsAndValuesRaiseTheirKind) {
  InsertSlip(*db_, "E001", "20240101");
  struct Case {
    const char* name;
    std::string sql;
    std::vector<Value> params;
    ErrorKind kind;
  } cases[] = {
      {"duplicate key", kInsertSlip, {"E001", "20240101", "again", 1.0}, ErrorKind::Duplicate},
      {"NOT NULL column set to NULL", kInsertSlip, {"E009", "20240101", Value(), 1.0}, ErrorKind::Constraint},
      {"text longer than its column", kInsertSlip, {"E0010000001", "20240101", "", 1.0}, ErrorKind::Constraint},
      {"text into an integer column", "UPDATE PALTE SET QTY = ?", {"many"}, ErrorKind::Constraint},
      {"text that is not UTF-8", kInsertSlip, {"E009", "20240101", "\xC4", 1.0}, ErrorKind::Constraint},
      {"text with a NUL character", kInsertSlip, {"E009", "20240101", std::string("a\0b", 3), 1.0},
       ErrorKind::Constraint},
      {"syntax error", "SELEC TE001 FROM PALTE", {}, ErrorKind::Syntax},
      {"unknown table", "SELECT * FROM NOSUCH", {}, ErrorKind::Syntax},
      {"two statements", "SELECT 1; SELECT 2", {}, ErrorKind::Syntax},
      {"too few parameters", kInsertSlip, {"E009"}, ErrorKind::Syntax},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KindRaised([&] { db_->Execute(c.sql, c.params); }), c.kind);
  }
  EXPECT_EQ(Column(db_->Execute("SELECT TE006 FROM PALTE")), std::vector<std::string>{"remark E001"});
}

// --- transactions -----------------------------------------------------------------------

TEST_P(StorageTest, TransactionsRollBackUnlessCommitted) {
  {
    Transaction t = db_->Begin(TransactionMode::Write);
    InsertSlip(*db_, "E001", "20240101");
  }
  EXPECT_TRUE(db_->Execute("SELECT * FROM PALTE").rows.empty()) << "an uncommitted transaction leaves nothing";

  {
    Transaction t = db_->Begin(TransactionMode::Write);
    InsertSlip(*db_, "E001", "20240101");
    EXPECT_EQ(KindRaised([&] { InsertSlip(*db_, "E001", "20240101"); }), ErrorKind::Duplicate);
    EXPECT_EQ(KindRaised([&] { InsertSlip(*db_, "E002", "20240101"); }), ErrorKind::Other)
        << "a failed statement spoils the transaction";
    EXPECT_EQ(KindRaised([&] { t.Commit(); }), ErrorKind::Other) << "commit must not report success";
    EXPECT_FALSE(db_->InTransaction());
  }
  EXPECT_TRUE(db_->Execute("SELECT * FROM PALTE").rows.empty());

  {
    Transaction t = db_->Begin(TransactionMode::Write);
    InsertSlip(*db_, "E001", "20240101");
    {
      Savepoint s = db_->SetSavepoint();
      InsertSlip(*db_, "E002", "20240101");
      EXPECT_EQ(KindRaised([&] { InsertSlip(*db_, "E001", "20240101"); }), ErrorKind::Duplicate);
      EXPECT_EQ(KindRaised([&] { s.Release(); }), ErrorKind::Other) << "a spoiled savepoint is not kept";
    }
    InsertSlip(*db_, "E003", "20240101");
    t.Commit();
  }
  EXPECT_EQ(Column(db_->Execute("SELECT TE001 FROM PALTE ORDER BY TE001")), (std::vector<std::string>{"E001", "E003"}));

  {
    Transaction t = db_->Begin(TransactionMode::Read);
    EXPECT_EQ(db_->Execute("SELECT count(*) FROM PALTE").rows[0][0], Value(2));
    EXPECT_EQ(KindRaised([&] { InsertSlip(*db_, "E004", "20240101"); }), ErrorKind::Permission)
        << "a read transaction refuses writes";
  }
  InsertSlip(*db_, "E004", "20240101");  // writable again after it
}

TEST_P(StorageTest, UpdateWithStaleFlagChangesNoRow) {
  InsertSlip(*db_, "E001", "20240101", 1);
  const std::string update =
      "UPDATE PALTE SET TE006 = ?, FLAG = FLAG + 1 WHERE TE001 = ? AND TE002 = ? AND FLAG = ?";
  EXPECT_EQ(db_->Execute(update, {"first save", "E001", "20240101", 1.0}).affectedRows, 1);
  EXPECT_EQ(db_->Execute(update, {"second save, read before the first", "E001", "20240101", 1.0}).affectedRows, 0);
  Result r = db_->Execute("SELECT TE006, FLAG FROM PALTE");
  EXPECT_EQ(r.rows, (std::vector<Row>{{Value("first save"), Value(2.0)}}));
}

// --- text ---------------------------------------------------------------------------------

TEST_P(StorageTest, TextComparesByBytesAndLikeIsCaseSensitive) {
  std::vector<std::string> keys = {"b", "B", "a", "A", "_a", "ab", "a\\b", Utf8(u8"中"), Utf8(u8"一"), "Z", "a%", "a "};
  for (const auto& k : keys) InsertSlip(*db_, k, "20240101");
  std::vector<std::string> sorted = keys;
  std::sort(sorted.begin(), sorted.end());  // UTF-8 byte order
  EXPECT_EQ(Column(db_->Execute("SELECT TE001 FROM PALTE ORDER BY TE001")), sorted);
  EXPECT_EQ(Column(db_->Execute("SELECT TE001 FROM PALTE WHERE TE001 = ?", {"a"})), std::vector<std::string>{"a"})
      << "neither case nor trailing blanks are ignored";
  auto where = [&](auto keep) {
    std::vector<std::string> out;
    std::copy_if(sorted.begin(), sorted.end(), std::back_inserter(out), keep);
    return out;
  };
  EXPECT_EQ(Column(db_->Execute("SELECT TE001 FROM PALTE WHERE TE001 > 'Z' AND TE001 < 'b' ORDER BY TE001")),
            where([](const std::string& k) { return k > "Z" && k < "b"; }));
  EXPECT_EQ(Column(db_->Execute("SELECT TE001 FROM PALTE WHERE TE001 LIKE ? ORDER BY TE001", {"a%"})),
            where([](const std::string& k) { return k.starts_with("a"); }));

  // The module's LIKE has no escape character on either engine.
  std::string like = Dialect("SELECT TE001 FROM $$PALTE WHERE TE001 LIKE 'a\\b' OR TE001 LIKE '_' + 'b' ORDER BY TE001");
  EXPECT_EQ(Column(db_->QuerySandboxed(like)), (std::vector<std::string>{"a\\b", "ab"}));
}

// --- the sandbox ------------------------------------------------------------------------

TEST_P(StorageTest, SandboxRunsOnlyReadsOfTheSessionsCompany) {
  InsertSlip(*db_, "A001", "20240101");
  db_->CreateCompany("co_b");
  db_->ApplySchema(CompanyCatalogue(), "co_b");
  db_->UseCompany("co_b");
  InsertSlip(*db_, "B001", "20240101");
  db_->UseCompany("co_a");

  EXPECT_EQ(Column(db_->QuerySandboxed("SELECT TE001 FROM PALTE")), std::vector<std::string>{"A001"});
  EXPECT_EQ(Column(db_->QuerySandboxed("SELECT TE001 FROM co_a.PALTE WHERE TE002 = ?", std::vector<Value>{"20240101"})),
            std::vector<std::string>{"A001"});
  db_->UseCompany("co_b");
  EXPECT_EQ(Column(db_->QuerySandboxed("SELECT TE001 FROM PALTE")), std::vector<std::string>{"B001"});
  db_->UseCompany("co_a");

  const std::string sys = GetParam() == Engine::Sqlite ? "main" : "corvane_sys";
  const std::set<ErrorKind> refused = {ErrorKind::Permission};
  // Names the other engine does not know are refused as unknown.
  const std::set<ErrorKind> refusedOrUnknown = {ErrorKind::Permission, ErrorKind::Syntax};
  struct Case {
    const char* name;
    std::string sql;
    std::set<ErrorKind> kinds;
  } cases[] = {
      {"insert", "INSERT INTO PALTE (TE001, TE002) VALUES ('X', 'Y')", refused},
      {"update", "UPDATE PALTE SET TE006 = 'x'", refused},
      {"delete inside a query", "WITH d AS (DELETE FROM PALTE RETURNING *) SELECT * FROM d", refusedOrUnknown},
      {"select into a new table", "SELECT * INTO PALTE_COPY FROM PALTE", refusedOrUnknown},
      {"second statement", "SELECT 1; DELETE FROM PALTE", refused},
      {"second query", "SELECT TE001 FROM PALTE; SELECT 2", refused},
      {"system table", "SELECT * FROM " + sys + ".SYSAUTH", refused},
      {"system table unqualified", "SELECT * FROM SYSAUTH", refusedOrUnknown},
      {"system table counted", "SELECT count(*) FROM " + sys + ".SYSAUTH", refused},
      {"system table in a sub-query", "SELECT TE001 FROM PALTE WHERE EXISTS (SELECT 1 FROM " + sys + ".SYSAUTH)", refused},
      // SQLite: not attached to this session, so unknown.
      {"another company's table", "SELECT * FROM co_b.PALTE", refusedOrUnknown},
      {"another company through the dialect", Dialect("SELECT * FROM co_b..PALTE"), refusedOrUnknown},
      {"attach", "ATTACH DATABASE 'other.db' AS other", refused},
      {"pragma", "PRAGMA writable_schema = 1", refused},
      {"pragma as a table", "SELECT * FROM pragma_table_info('SYSAUTH')", refusedOrUnknown},
      {"load_extension", "SELECT load_extension('libc.so.6')", refusedOrUnknown},
      {"role reset and dynamic query",
       "SELECT set_config('role', 'none', true), query_to_xml('SELECT * FROM " + sys + ".SYSAUTH', true, false, '')",
       refusedOrUnknown},
      {"server file", "SELECT pg_read_file('postgresql.conf')", refusedOrUnknown},
      {"unterminated comment", "SELECT TE001 FROM PALTE /* ", refused},
      {"comment hiding nothing", "/* a */ DELETE FROM PALTE", refused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ": " + c.sql);
    std::string message;
    auto kind = KindRaised([&] { db_->QuerySandboxed(c.sql); }, &message);
    EXPECT_TRUE(kind && c.kinds.count(*kind)) << (kind ? ErrorKindName(*kind) : "none") << ": " << message;
    EXPECT_EQ(message.find(kSecret), std::string::npos) << "authentication data leaked: " << message;
  }
  EXPECT_EQ(Column(db_->Execute("SELECT TE001 FROM PALTE")), std::vector<std::string>{"A001"});
  EXPECT_EQ(Column(db_->Execute("SELECT PASSWORD_HASH FROM SYSAUTH")), std::vector<std::string>{kSecret})
      << "the server's own statements reach the system data";
}

TEST_P(StorageTest, SandboxStopsAtItsLimits) {
  for (int i = 0; i < 5; ++i) InsertSlip(*db_, "E00" + std::to_string(i), "20240101");
  db_->SetSandboxLimits({200ms, 5});
  EXPECT_EQ(db_->QuerySandboxed("SELECT TE001 FROM PALTE").rows.size(), 5u);

  auto start = std::chrono::steady_clock::now();
  std::string message;
  EXPECT_EQ(KindRaised(
                [&] {
                  db_->QuerySandboxed("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                                      "SELECT count(*) FROM c");
                },
                &message),
            ErrorKind::Limit)
      << message;
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

  db_->SetSandboxLimits({5s, 4});
  EXPECT_EQ(KindRaised([&] { db_->QuerySandboxed("SELECT TE001 FROM PALTE"); }), ErrorKind::Limit);
  // The connection is fine afterwards.
  db_->SetSandboxLimits({5s, 100});
  EXPECT_EQ(db_->QuerySandboxed("SELECT count(*) FROM PALTE").rows[0][0], Value(5));
  InsertSlip(*db_, "E009", "20240101");
}

TEST_P(StorageTest, ModuleStatementsRunAlikeAfterRewriting) {
  db_->Execute("INSERT INTO CMSMF (MF001, MF003, MF004) VALUES ('RMB', 2, 2), ('USD', 4, 2)");
  db_->Execute("INSERT INTO JXJOBQUE (JX001, JX002, JX003) VALUES ('C01', 'VORN21', 'E002||20240102')");
  InsertSlip(*db_, "E001", "20240101");
  InsertSlip(*db_, "E002", "20240102");
  InsertSlip(*db_, "E003", "20240101");
  db_->Execute("UPDATE PALTE SET QTY = 5 WHERE TE001 = 'E002'");
  struct Case {
    const char* name;
    const char* sql;
    std::vector<Row> rows;
  } cases[] = {
      {"currency digits", "select top 1 MF001,MF003,MF004 from $$CMSMF CMSMF where MF001='USD'",
       {{Value("USD"), Value(4), Value(2)}}},
      {"queued job", "select TOP 1 1 AS REC from JXJOBQUE(nolock) where JX001='C01' and JX002='VORN21' "
                     "and JX003='E002||20240102' ",
       {{Value(1)}}},
      {"no queued job", "select TOP 1 1 AS REC from JXJOBQUE(nolock) where JX001='C01' and JX003='E001'", {}},
      {"paging on the whole key, SQL type 0",
       "SELECT TE001 FROM $$PALTE PALTE WHERE PALTE.TE001+PALTE.TE002 >= 'E00220240102' ORDER BY TE001",
       {{Value("E002")}, {Value("E003")}}},
      {"paging on the whole key, SQL type 1",
       "SELECT TE001 FROM $$PALTE PALTE WHERE RPAD(PALTE.TE001,10,' ')||RPAD(PALTE.TE002,8,' ') >= "
       "'E002      20240102' ORDER BY TE001",
       {{Value("E002")}, {Value("E003")}}},
      {"texts joined with literals", "SELECT 'a' + TE001 + '-' + SUBSTRING(TE002, 1, 4) FROM $$PALTE WHERE TE001 = 'E001'",
       {{Value("aE001-2024")}}},
      {"numbers still added", "SELECT QTY + 1 FROM $$PALTE WHERE TE001 = 'E002'", {{Value(6)}}},
      {"ISNULL", "SELECT ISNULL(QTY, -1) FROM $$PALTE WHERE TE001 = 'E001'", {{Value(-1)}}},
      {"database prefix", "select count(*) from co_a..PALTE PALTE where PALTE.TE002 = N'20240101'", {{Value(2)}}},
      {"TOP in a sub-query",
       "SELECT TE001 FROM [PALTE] WHERE TE001 = (SELECT TOP 1 TE001 FROM $$PALTE ORDER BY TE001 DESC)",
       {{Value("E003")}}},
      {"detail filter", "SELECT TE001 FROM $$PALTE PALTE WHERE (PALTE.TE002 = '20240101') and "
                        "( select count(*) FROM co_a..CMSMF CMSMF where (CMSMF.MF001='RMB') ) > 0 ORDER BY TE001",
       {{Value("E001")}, {Value("E003")}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string sql = Dialect(c.sql);
    EXPECT_EQ(db_->QuerySandboxed(sql).rows, c.rows) << sql;
  }

  Result now = db_->QuerySandboxed(Dialect("SELECT GETDATE() AS NOW"));
  ASSERT_EQ(now.rows.size(), 1u);
  const std::string& text = now.rows[0][0].AsText();
  ASSERT_EQ(text.size(), 19u) << text;
  EXPECT_TRUE(text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':' && text[16] == ':') << text;
}

// --- two connections ------------------------------------------------------------------

TEST_P(StorageTest, SecondWriterWaitsAtMostItsBusyTimeout) {
  InsertSlip(*db_, "E001", "20240101", 1);
  auto second = OpenSecond(200ms);
  const std::string save = "UPDATE PALTE SET TE006 = ?, FLAG = FLAG + 1 WHERE TE001 = 'E001' AND FLAG = ?";
  {
    Transaction first = db_->Begin(TransactionMode::Write);
    EXPECT_EQ(db_->Execute(save, {"saved first", 1.0}).affectedRows, 1);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(KindRaised([&] {
                Transaction t = second->Begin(TransactionMode::Write);
                second->Execute(save, {"saved second", 1.0});
                t.Commit();
              }),
              ErrorKind::Busy);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
    EXPECT_EQ(Column(second->Execute("SELECT TE006 FROM PALTE")), std::vector<std::string>{"remark E001"})
        << "readers see the last committed row meanwhile";
    first.Commit();
  }
  EXPECT_EQ(second->Execute(save, {"saved second", 1.0}).affectedRows, 0) << "its FLAG is stale now";
  EXPECT_EQ(Column(second->Execute("SELECT TE006 FROM PALTE")), std::vector<std::string>{"saved first"});
}

TEST_P(StorageTest, WaitingWriterFindsTheRowChangedAndLosesNothing) {
  InsertSlip(*db_, "E001", "20240101", 1);
  auto second = OpenSecond(5000ms);
  const std::string save = "UPDATE PALTE SET TE006 = ?, FLAG = FLAG + 1 WHERE TE001 = 'E001' AND FLAG = ?";
  std::promise<void> locked;
  std::thread first([&] {
    Transaction t = db_->Begin(TransactionMode::Write);
    db_->Execute(save, {"saved first", 1.0});
    locked.set_value();
    std::this_thread::sleep_for(150ms);
    t.Commit();
  });
  locked.get_future().wait();
  std::int64_t changed = -1;
  {
    Transaction t = second->Begin(TransactionMode::Write);
    changed = second->Execute(save, {"saved second", 1.0}).affectedRows;
    t.Commit();
  }
  first.join();
  EXPECT_EQ(changed, 0) << "the second save read FLAG 1 and must not overwrite the first";
  Result r = db_->Execute("SELECT TE006, FLAG FROM PALTE");
  EXPECT_EQ(r.rows, (std::vector<Row>{{Value("saved first"), Value(2.0)}}));
}

// --- schema and companies --------------------------------------------------------------

TEST_P(StorageTest, SchemaUpgradesAddWhatIsNewer) {
  InsertSlip(*db_, "E001", "20240101");
  EXPECT_EQ(db_->SchemaVersion("co_a"), 1);
  EXPECT_EQ(db_->SchemaVersion(), 1);

  Catalogue v2 = CompanyCatalogue();
  v2.version = 2;
  v2.tables[0].columns.push_back(
      {.name = "TE013", .type = ColumnType::Text, .size = 1, .defaultValue = Value("N"), .since = 2});
  v2.tables[0].indexes.push_back({.name = "PALTE_TE006", .columns = {"TE006"}, .since = 2});
  v2.tables.push_back(TableDef{"PALTZ",
                               {{.name = "TZ001", .type = ColumnType::Text, .size = 4, .key = true, .since = 2}},
                               {},
                               2});
  db_->ApplySchema(v2, "co_a");
  EXPECT_EQ(db_->SchemaVersion("co_a"), 2);
  EXPECT_EQ(Column(db_->Execute("SELECT TE013 FROM PALTE")), std::vector<std::string>{"N"});
  db_->Execute("INSERT INTO PALTZ (TZ001) VALUES ('0001')");
  db_->ApplySchema(v2, "co_a");  // nothing to do

  EXPECT_EQ(KindRaised([&] { db_->ApplySchema(CompanyCatalogue(), "co_a"); }), ErrorKind::Other)
      << "the database is newer than the catalogue";

  Catalogue v3 = v2;
  v3.version = 3;
  v3.tables.push_back(TableDef{"PALTY", {{.name = "TY001", .type = ColumnType::Integer, .since = 3}}, {}, 3});
  v3.tables.push_back(TableDef{"SYSAUTH", {{.name = "X", .type = ColumnType::Integer, .since = 3}}, {}, 3});
  std::string message;
  EXPECT_EQ(KindRaised([&] { db_->ApplySchema(v3, "co_a"); }, &message), ErrorKind::Other);
  EXPECT_NE(message.find("system table"), std::string::npos) << message;
  EXPECT_EQ(db_->SchemaVersion("co_a"), 2) << "a refused upgrade changes nothing";
  EXPECT_EQ(KindRaised([&] { db_->Execute("SELECT * FROM PALTY"); }), ErrorKind::Syntax);

  Catalogue bad = v2;
  bad.tables[0].columns.push_back({.name = "TE 14", .type = ColumnType::Integer, .since = 2});
  EXPECT_EQ(KindRaised([&] { db_->ApplySchema(bad, "co_a"); }, &message), ErrorKind::Other);
  EXPECT_NE(message.find("TE 14"), std::string::npos) << message;
}

TEST_P(StorageTest, CompanyDatabasesAreNamedIdentifiers) {
  for (const char* name : {"", "1abc", "a-b", "a b", "main", "temp", "public", "corvane_sys", "pg_x",
                           "abcdefghijabcdefghijabcdefghijk"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Connection::IsValidCompanyName(name));
    EXPECT_EQ(KindRaised([&] { db_->CreateCompany(name); }), ErrorKind::Other);
  }
  EXPECT_EQ(KindRaised([&] { db_->CreateCompany("CO_A"); }), ErrorKind::Duplicate);
  EXPECT_EQ(KindRaised([&] { db_->UseCompany("co_none"); }), ErrorKind::Other);
  EXPECT_EQ(db_->Company(), "co_a");
  EXPECT_TRUE(db_->CompanyExists("Co_A"));
  EXPECT_FALSE(db_->CompanyExists("co_none"));

  auto other = store_->Open();
  EXPECT_EQ(KindRaised([&] { other->QuerySandboxed("SELECT 1"); }), ErrorKind::Permission)
      << "no company database in use";
  other->UseCompany("CO_A");
  EXPECT_EQ(other->Company(), "co_a");
  EXPECT_EQ(other->QuerySandboxed("SELECT 1 AS one").rows, (std::vector<Row>{{Value(1)}}));
}

INSTANTIATE_TEST_SUITE_P(Engines, StorageTest, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return std::string(EngineName(info.param)); });

}  // namespace
}  // namespace storage
