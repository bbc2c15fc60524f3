// A storage seeded with the demo data, once per engine and test binary,
// plus a session on its company for the server objects under test.
//
// Besides the demo data it holds one employee with known values, T0001
// (see DemoStore.cpp), and three of their slips.
#pragma once

#include <memory>

#include "server/company/CompanySession.h"
#include "server/storage/tests/TestStore.h"

namespace demo::testing {

struct DemoStore {
  std::unique_ptr<storage::testing::TestStore> store;
  std::shared_ptr<storage::Connection> db;  // the seeded connection

  // A session of the user on the demo company.
  company::CompanySessionPtr Session(const std::string& userId = "clerk") const;
};

// Null when the engine is not available (PostgreSQL without CORVANE_PG_URL).
DemoStore* SeededStore(storage::Engine engine);

}  // namespace demo::testing
