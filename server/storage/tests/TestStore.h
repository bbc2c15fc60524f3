// A fresh, empty storage for one test: an SQLite system file in a
// temporary folder, or a PostgreSQL database cloned from the test
// cluster's template (CORVANE_PG_URL, printed by
// scripts/pg-test-cluster.sh) and dropped afterwards.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/TestSupport.h"
#include "server/storage/Connection.h"

namespace storage::testing {

class TestStore {
 public:
  // Empty when PostgreSQL is asked for and CORVANE_PG_URL is not set.
  static std::unique_ptr<TestStore> Create(Engine engine);
  ~TestStore();

  Engine engine() const { return config_.engine; }
  StorageConfig Config() const { return config_; }
  std::unique_ptr<Connection> Open() const;
  std::unique_ptr<Connection> Open(const StorageConfig& config) const;

  // The URL of the cluster's template database, or empty.
  static std::string PostgresUrl();

 private:
  TestStore() = default;
  StorageConfig config_;
  std::unique_ptr<platform::testing::TempFolder> folder_;
  std::string database_;  // PostgreSQL: the cloned database
};

// u8"..." as the UTF-8 bytes the storage takes.
inline std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

}  // namespace storage::testing
