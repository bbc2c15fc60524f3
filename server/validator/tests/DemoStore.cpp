#include "server/validator/tests/DemoStore.h"

#include <map>

#include <gtest/gtest.h>

#include "server/demo/DemoData.h"

namespace demo::testing {

namespace {

std::string U(const char8_t* t) { return reinterpret_cast<const char*>(t); }

void AddKnownEmployee(storage::Connection& db) {
  db.UseCompany("demo");
  db.Execute(
      "INSERT INTO CMSMV (MV001, MV002, MV003, MV004, MV005, MV006, MV007, MV008, MV009, MV010, MV011, MV012, "
      "MV013, MV014, MV015, MV016) VALUES ('T0001', ?, 'C02', 'D03', 'J07', 'G05', '2', 'N', '2', 'Y', '20100301', "
      "'20200115', '', '03', 'DOC-1', 'REV-A')",
      {U(u8"测试员")});
  const char* slips[][3] = {{"20180101", "0002", "Y"}, {"20190101", "0002", "Y"}, {"20191201", "0002", "N"}};
  for (const auto& s : slips)
    db.Execute("INSERT INTO PALTE (TE001, TE002, TE003, TE010, FLAG) VALUES ('T0001', ?, ?, ?, 1)", {s[0], s[1], s[2]});
}

}  // namespace

company::CompanySessionPtr DemoStore::Session(const std::string& userId) const {
  auto s = std::make_shared<company::CompanySession>();
  s->db = db.get();
  s->owner = db;
  s->companyId = "DEMO";
  s->database = "demo";
  s->userId = userId;
  return s;
}

namespace {

std::map<storage::Engine, std::unique_ptr<DemoStore>> stores;

// The stores go when the tests are done, before the process exits: the
// PostgreSQL store drops its database through libpq, whose libraries are
// shut down by then.
class DropStores : public ::testing::Environment {
 public:
  void TearDown() override { stores.clear(); }
};
[[maybe_unused]] ::testing::Environment* const dropStores = ::testing::AddGlobalTestEnvironment(new DropStores);

}  // namespace

DemoStore* SeededStore(storage::Engine engine) {
  auto& slot = stores[engine];
  if (!slot) {
    auto store = storage::testing::TestStore::Create(engine);
    if (!store) return nullptr;
    slot = std::make_unique<DemoStore>();
    slot->db = std::shared_ptr<storage::Connection>(store->Open());
    slot->store = std::move(store);
    SeedDemo(*slot->db, DemoOptions{});
    AddKnownEmployee(*slot->db);
  }
  return slot.get();
}

}  // namespace demo::testing
