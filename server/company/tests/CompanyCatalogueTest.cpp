#include <gtest/gtest.h>

#include "server/company/CompanyCatalogue.h"
#include "server/company/CompanyText.h"
#include "server/storage/tests/TestStore.h"

namespace {

using storage::ColumnType;
using storage::Engine;

TEST(CompanyCatalogue, IsWellFormed) { EXPECT_EQ(company::CompanyCatalogue().Problem(), ""); }

// The slip program's packets declare these fields; the tables must hold
// exactly what the packets carry.
TEST(CompanyCatalogue, SlipTablesMatchThePacketLayout) {
  struct Case {
    const char* table;
    const char* field;
    ColumnType type;
    int size;
    bool key;
  };
  const Case cases[] = {
      {"PALTE", "TE001", ColumnType::Text, 10, true},     {"PALTE", "TE002", ColumnType::Text, 8, true},
      {"PALTE", "TE003", ColumnType::Text, 4, true},      {"PALTE", "TE004", ColumnType::Text, 10, false},
      {"PALTE", "TE005", ColumnType::Text, 10, false},    {"PALTE", "TE006", ColumnType::Text, 255, false},
      {"PALTE", "TE007", ColumnType::Text, 12, false},    {"PALTE", "TE008", ColumnType::Text, 20, false},
      {"PALTE", "TE009", ColumnType::Text, 20, false},    {"PALTE", "TE010", ColumnType::Text, 1, false},
      {"PALTE", "TE011", ColumnType::Text, 8, false},     {"PALTE", "TE012", ColumnType::Text, 10, false},
      {"PALTE", "TE013", ColumnType::Text, 1, false},     {"PALTE", "COMPANY", ColumnType::Text, 10, false},
      {"PALTE", "CREATOR", ColumnType::Text, 10, false},  {"PALTE", "USR_GROUP", ColumnType::Text, 10, false},
      {"PALTE", "CREATE_DATE", ColumnType::Text, 17, false}, {"PALTE", "MODIFIER", ColumnType::Text, 10, false},
      {"PALTE", "MODI_DATE", ColumnType::Text, 17, false}, {"PALTE", "FLAG", ColumnType::Float, 0, false},
      {"PALTE", "UDF01", ColumnType::Text, 255, false},   {"PALTE", "UDF12", ColumnType::Text, 255, false},
      {"PALTE", "UDF51", ColumnType::Float, 0, false},    {"PALTE", "UDF62", ColumnType::Float, 0, false},
      {"PALTZ", "TZ001", ColumnType::Text, 4, true},      {"PALTZ", "TZ002", ColumnType::Text, 11, true},
      {"PALTZ", "TZ004", ColumnType::Text, 4, false},     {"PALTZ", "TZ006", ColumnType::Text, 1, false},
      {"PALTZ", "FLAG", ColumnType::Float, 0, false},     {"PALTZ", "UDF62", ColumnType::Float, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.table) + "." + c.field);
    const auto* table = company::CompanyCatalogue().FindTable(c.table);
    ASSERT_NE(table, nullptr);
    const auto* column = table->FindColumn(c.field);
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(column->type, c.type);
    if (c.type == ColumnType::Text) EXPECT_EQ(column->size, c.size);
    EXPECT_EQ(column->key, c.key);
  }
  // No other fields: the provider writes back every table column.
  EXPECT_EQ(company::CompanyCatalogue().FindTable("PALTE")->columns.size(), 7u + 13u + 24u);
}

// What a look-up writes into a slip field must fit it: the name columns
// behind TE008/TE009, the codes behind TE004/TE005 and the names the
// packet joins in (TE001C, TE012C: 10 bytes each).
TEST(CompanyCatalogue, LookedUpValuesFitTheSlipFields) {
  struct Case {
    const char* table;
    const char* column;
    const char* slipField;
    int slipSize;
  };
  const Case cases[] = {{"TAXMA", "MA002", "TE009", 20}, {"CMSME", "ME002", "TE009", 20}, {"CMSMJ", "MJ002", "TE009", 20},
                        {"PALMH", "MH002", "TE009", 20}, {"PALMI", "MI002", "TE009", 20}, {"TAXMA", "MA001", "TE005", 10},
                        {"CMSME", "ME001", "TE005", 10}, {"CMSMJ", "MJ001", "TE005", 10}, {"PALMH", "MH001", "TE005", 10},
                        {"PALMI", "MI001", "TE005", 10}, {"CMSMV", "MV012", "TE004", 10}, {"CMSMV", "MV013", "TE004", 10},
                        {"CMSMV", "MV001", "TE001", 10}, {"CMSMV", "MV002", "TE001C", 10}, {"KVTMA", "MA002", "TE012C", 10},
                        {"CMSMV", "MV011", "TE003C", 8}, {"CMSMV", "MV012", "TE002C", 8}};
  const auto& catalogue = company::CompanyCatalogue();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.table) + "." + c.column + " -> " + c.slipField);
    const auto* source = catalogue.FindTable(c.table)->FindColumn(c.column);
    ASSERT_NE(source, nullptr);
    EXPECT_LE(source->size, c.slipSize);
    if (const auto* target = catalogue.FindTable("PALTE")->FindColumn(c.slipField)) EXPECT_EQ(target->size, c.slipSize);
  }
}

class CompanySchema : public ::testing::TestWithParam<Engine> {};

TEST_P(CompanySchema, AppliesOnTheEngineAndIsReadableFromTheSandbox) {
  auto store = storage::testing::TestStore::Create(GetParam());
  if (!store) GTEST_SKIP() << "CORVANE_PG_URL is not set";
  auto db = store->Open();
  db->CreateCompany("acme");
  db->ApplySchema(company::CompanyCatalogue(), "acme");
  db->ApplySchema(company::CompanyCatalogue(), "acme");  // a second start changes nothing
  EXPECT_EQ(db->SchemaVersion("acme"), company::CompanyCatalogue().version);
  db->UseCompany("acme");
  db->Execute("INSERT INTO CMSMV (MV001, MV002) VALUES (?, ?)", {"E1", storage::testing::Utf8(u8"王伟")});
  // Every table is there for the module's own queries; unset texts read as ''.
  for (const auto& table : company::CompanyCatalogue().tables) {
    SCOPED_TRACE(table.name);
    EXPECT_NO_THROW(db->QuerySandboxed("SELECT * FROM " + table.name));
  }
  auto r = db->QuerySandboxed("SELECT MV002, MV012 FROM CMSMV WHERE MV001 = 'E1'");
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_EQ(r.rows[0][0], storage::Value(storage::testing::Utf8(u8"王伟")));
  EXPECT_EQ(r.rows[0][1], storage::Value(""));
}

INSTANTIATE_TEST_SUITE_P(Engines, CompanySchema, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return std::string(storage::EngineName(info.param)); });

TEST(CompanyText, ConvertsBetweenTheDatabaseAndCodePage936) {
  const std::string utf8 = storage::testing::Utf8(u8"人事异动单");
  platform::AnsiString gb = company::FromDb(utf8);
  EXPECT_EQ(gb.Length(), 10u);  // five characters of two bytes
  EXPECT_EQ(company::ToDb(gb), utf8);
  EXPECT_EQ(company::DbLength(utf8), 10u);
  EXPECT_EQ(company::ArgText(platform::Variant(gb)), utf8);
  EXPECT_EQ(company::ArgText(platform::Variant(platform::Utf8ToWide(utf8))), utf8);
  EXPECT_EQ(company::ArgText(platform::Null()), "");
}

}  // namespace
