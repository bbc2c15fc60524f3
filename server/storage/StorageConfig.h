// StorageConfig: which engine a connection opens, and where.
#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace storage {

enum class Engine { Sqlite, Postgres };

const char* EngineName(Engine engine);
std::ostream& operator<<(std::ostream& os, Engine engine);
// "SQLITE" / "POSTGRESQL" (also "POSTGRES", "PG"), ASCII case ignored.
std::optional<Engine> ParseEngine(std::string_view text);

// Limits of a statement the client built (see Connection::QuerySandboxed).
struct SandboxLimits {
  std::chrono::milliseconds timeout{10000};
  std::size_t maxRows = 100000;  // 0: no limit
};

struct StorageConfig {
  Engine engine = Engine::Sqlite;
  // SQLite: the UTF-8 path of the system database file; company databases
  // are files beside it. PostgreSQL: a libpq connection string or URL.
  std::string target;
  // How long a write waits for a lock held by another connection before it
  // fails with ErrorKind::Busy (SQLite busy time-out, PostgreSQL lock_timeout).
  std::chrono::milliseconds busyTimeout{5000};
  SandboxLimits sandbox;
};

}  // namespace storage
