// The module's SQL dialect, rewritten for each engine.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "server/storage/DialectRewriter.h"

namespace storage {
namespace {

Catalogue Columns() {
  return Catalogue{1,
                   {TableDef{"PALTE",
                             {{.name = "TE001", .type = ColumnType::Text, .size = 10, .key = true},
                              {.name = "TE002", .type = ColumnType::Text, .size = 8, .key = true},
                              {.name = "TE003", .type = ColumnType::Text, .size = 4, .key = true},
                              {.name = "TE006", .type = ColumnType::Memo},
                              {.name = "QTY", .type = ColumnType::Integer},
                              {.name = "FLAG", .type = ColumnType::Float}}},
                    TableDef{"CMSMV",
                             {{.name = "MV001", .type = ColumnType::Text, .size = 10, .key = true},
                              {.name = "MV002", .type = ColumnType::Text, .size = 20},
                              {.name = "MV007", .type = ColumnType::Integer}}}}};
}

RewriteResult Rewrite(Engine engine, std::string_view sql, const std::string& company = "Co_A") {
  static const Catalogue catalogue = Columns();
  return DialectRewriter({engine, company, &catalogue}).Rewrite(sql);
}

struct Case {
  const char* name;
  const char* module;
  const char* sqlite;
  const char* postgres;  // nullptr: as for SQLite
};

const Case kCases[] = {
    {"company prefix", "select MF001 from $$CMSMF CMSMF where MF001='RMB'",
     "select MF001 from co_a.CMSMF CMSMF where MF001='RMB'", nullptr},
    {"database prefix", "select count(*) from Halden..PALTZ PALTZ", "select count(*) from halden.PALTZ PALTZ",
     nullptr},
    {"TOP n", "select top 1 MF001 from $$CMSMF where MF001='x'",
     "select MF001 from co_a.CMSMF where MF001='x' LIMIT 1", nullptr},
    {"TOP (n) with ORDER BY", "SELECT TOP (5) * FROM T ORDER BY A", "SELECT * FROM T ORDER BY A LIMIT 5", nullptr},
    {"DISTINCT TOP", "SELECT DISTINCT TOP 2 A FROM T", "SELECT DISTINCT A FROM T LIMIT 2", nullptr},
    {"TOP in a sub-query", "SELECT A FROM T WHERE A = (SELECT TOP 1 A FROM T ORDER BY A DESC)",
     "SELECT A FROM T WHERE A = (SELECT A FROM T ORDER BY A DESC LIMIT 1)", nullptr},
    {"TOP before a comment and a semicolon", "SELECT TOP 1 A FROM T; -- last", "SELECT A FROM T LIMIT 1; -- last",
     nullptr},
    {"TOP and nolock", "select TOP 1 1 AS REC from JXJOBQUE(nolock) where JX001='C01'",
     "select 1 AS REC from JXJOBQUE where JX001='C01' LIMIT 1", nullptr},
    {"WITH (hints)", "SELECT A FROM T WITH (NOLOCK, ROWLOCK) WHERE B = 1", "SELECT A FROM T WHERE B = 1", nullptr},
    {"hint directly between names", "SELECT A FROM T(nolock)JOIN U ON 1=1", "SELECT A FROM T JOIN U ON 1=1", nullptr},
    {"quoted names", "SELECT [TE001], [my col], \"TE002\" FROM [PALTE]", "SELECT TE001, \"my col\", TE002 FROM PALTE",
     nullptr},
    {"national string", "SELECT A FROM T WHERE A = N'x'", "SELECT A FROM T WHERE A = 'x'", nullptr},
    {"ISNULL function", "SELECT ISNULL(QTY, 0) FROM T WHERE QTY ISNULL", "SELECT COALESCE(QTY, 0) FROM T WHERE QTY ISNULL",
     nullptr},
    {"GETDATE", "SELECT GETDATE( )", "SELECT strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')",
     "SELECT to_char(LOCALTIMESTAMP, 'YYYY-MM-DD HH24:MI:SS')"},
    {"text columns joined", "WHERE PALTE.TE001+PALTE.TE002+PALTE.TE003 >= 'x'",
     "WHERE PALTE.TE001||PALTE.TE002||PALTE.TE003 >= 'x'", nullptr},
    {"aliased text column and literal", "SELECT A.MV002 + '-' FROM CMSMV A", "SELECT A.MV002 || '-' FROM CMSMV A",
     nullptr},
    {"numbers added", "SELECT QTY + 1, FLAG + QTY, A.MV007 + 2 FROM PALTE, CMSMV A",
     "SELECT QTY + 1, FLAG + QTY, A.MV007 + 2 FROM PALTE, CMSMV A", nullptr},
    {"literals joined", "SELECT 'a' + 'b'", "SELECT 'a' || 'b'", nullptr},
    {"text and number", "SELECT '5' + 3", "SELECT '5' + 3", nullptr},
    {"unknown columns", "SELECT X + Y, X + 'a'", "SELECT X + Y, X || 'a'", nullptr},
    {"next to arithmetic", "SELECT 'a' + QTY * 2, 2 - TE001 + 'a'", "SELECT 'a' + QTY * 2, 2 - TE001 + 'a'", nullptr},
    {"text functions", "SELECT SUBSTRING(TE002,1,4) + TE001, LEN(TE001) + 1, CAST(QTY AS VARCHAR(10)) + 'x'",
     "SELECT SUBSTRING(TE002,1,4) || TE001, LEN(TE001) + 1, CAST(QTY AS VARCHAR(10)) || 'x'", nullptr},
    {"parenthesised text", "SELECT ('a' + TE001) + TE002, ISNULL(TE006, '') + 'x'",
     "SELECT ('a' || TE001) || TE002, COALESCE(TE006, '') || 'x'", nullptr},
    {"LIKE pattern", "WHERE A LIKE 'x\\%' AND B NOT LIKE '%' + TE006 + '%'",
     "WHERE A LIKE 'x\\%' AND B NOT LIKE '%' || TE006 || '%'",
     "WHERE A LIKE 'x\\%' ESCAPE '' AND B NOT LIKE '%' || TE006 || '%' ESCAPE ''"},
    {"LIKE with its own escape", "WHERE A LIKE 'a!%' ESCAPE '!'", "WHERE A LIKE 'a!%' ESCAPE '!'", nullptr},
    {"strings and comments untouched", "SELECT '$$T top 1 (nolock) a+b' /* $$X TOP 1 */ -- db..T",
     "SELECT '$$T top 1 (nolock) a+b' /* $$X TOP 1 */ -- db..T", nullptr},
};

TEST(DialectRewriterTest, RewritesTheModulesConstructsForEachEngine) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    for (Engine engine : {Engine::Sqlite, Engine::Postgres}) {
      RewriteResult r = Rewrite(engine, c.module);
      const char* expected = engine == Engine::Postgres && c.postgres ? c.postgres : c.sqlite;
      EXPECT_TRUE(r.ok) << EngineName(engine) << ": " << r.error;
      EXPECT_EQ(r.sql, expected) << EngineName(engine);
    }
  }
}

TEST(DialectRewriterTest, RefusesWhatItCannotRewrite) {
  struct Refusal {
    const char* name;
    std::string module;
    std::string company;
    const char* reason;
  } refusals[] = {
      {"TOP in a union", "SELECT TOP 1 A FROM T UNION SELECT B FROM U", "co_a", "compound"},
      {"TOP with its own LIMIT", "SELECT TOP 1 A FROM T LIMIT 5", "co_a", "own row limit"},
      {"TOP PERCENT", "SELECT TOP 10 PERCENT A FROM T", "co_a", "PERCENT"},
      {"TOP WITH TIES", "SELECT TOP 1 WITH TIES A FROM T ORDER BY A", "co_a", "WITH TIES"},
      {"TOP with a parameter", "SELECT TOP ? A FROM T", "co_a", "whole number"},
      {"TOP with an expression", "SELECT TOP 1.5 A FROM T", "co_a", "whole number"},
      {"$$ without a company", "SELECT * FROM $$CMSMF", "", "none is in use"},
      {"$$ without a table", "SELECT * FROM $$ WHERE 1=1", "co_a", "table name"},
      {"unterminated string", "SELECT 'abc", "co_a", "unterminated string"},
      {"unterminated comment", "SELECT 1 /* x", "co_a", "unterminated comment"},
      {"unterminated name", "SELECT [abc", "co_a", "unterminated quoted name"},
      {"unbalanced parentheses", "SELECT (1", "co_a", "unbalanced"},
      {"closing parenthesis first", "SELECT 1) + (2", "co_a", "unbalanced"},
      {"deep nesting", "SELECT " + std::string(101, '(') + "1" + std::string(101, ')'), "co_a", "too deeply"},
      {"NUL character", std::string("SELECT 1\0; DROP TABLE T", 24), "co_a", "NUL"},
      {"invalid company", "SELECT * FROM $$T", "co-a", "company"},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.name);
    RewriteResult result = Rewrite(Engine::Sqlite, r.module, r.company);
    EXPECT_FALSE(result.ok) << result.sql;
    EXPECT_NE(result.error.find(r.reason), std::string::npos) << result.error;
  }
  EXPECT_TRUE(Rewrite(Engine::Sqlite, "SELECT " + std::string(100, '(') + "1" + std::string(100, ')')).ok);
}

// Arbitrary token soup must give a statement or a reason, never a crash
// (the sanitizer build reads every byte this touches).
TEST(DialectRewriterTest, ArbitraryInputGivesAnAnswer) {
  const char* pieces[] = {"SELECT", " ", "TOP", "1", "(", ")", "$$", "T", "..", ".", "+", "'a'", "'", "[x", "]",
                          "nolock", "WITH", "ISNULL", "GETDATE", "LIKE", "CASE", "END", ",", "/*", "*/", "--",
                          "\n", "N", "\"", "-", "*", "UNION", "?", "FROM", "a", "||", ";", "\xE4\xB8"};
  std::mt19937 random(20240101);
  for (int i = 0; i < 3000; ++i) {
    std::string sql;
    int length = static_cast<int>(random() % 40);
    for (int k = 0; k < length; ++k) sql += pieces[random() % std::size(pieces)];
    for (Engine engine : {Engine::Sqlite, Engine::Postgres}) {
      RewriteResult r = Rewrite(engine, sql);
      EXPECT_TRUE(r.ok ? r.error.empty() : !r.error.empty()) << sql;
    }
  }
}

// Long hostile texts are answered in time: no construct is looked at
// again for every later one.
TEST(DialectRewriterTest, LongTextsTakeLinearTime) {
  auto repeat = [](std::string_view piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
  };
  const std::string texts[] = {
      repeat("SELECT TOP 1 ", 20000),
      "SELECT " + repeat("CASE ", 50000) + "1",
      "SELECT " + repeat("A + ", 50000) + "'x'",
      "SELECT " + repeat("COALESCE((", 50) + "'a'" + repeat("), 'b') + 'c'", 50),
      "SELECT a FROM " + repeat("T x, ", 20000) + "U",
      repeat("SELECT a FROM T WHERE b LIKE 'x' + c AND ", 10000) + "1=1",
  };
  auto start = std::chrono::steady_clock::now();
  for (const std::string& text : texts) {
    RewriteResult r = Rewrite(Engine::Postgres, text);
    EXPECT_TRUE(r.ok || !r.error.empty());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
}  // namespace storage
