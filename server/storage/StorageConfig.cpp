#include "server/storage/StorageConfig.h"

#include <ostream>

#include "server/storage/SqlLexer.h"

namespace storage {

const char* EngineName(Engine engine) {
  switch (engine) {
    case Engine::Sqlite: return "SQLite";
    case Engine::Postgres: return "PostgreSQL";
  }
  return "?";
}

std::ostream& operator<<(std::ostream& os, Engine engine) { return os << EngineName(engine); }

std::optional<Engine> ParseEngine(std::string_view text) {
  if (EqualsIgnoreCase(text, "SQLITE")) return Engine::Sqlite;
  if (EqualsIgnoreCase(text, "POSTGRESQL") || EqualsIgnoreCase(text, "POSTGRES") ||
      EqualsIgnoreCase(text, "PG"))
    return Engine::Postgres;
  return std::nullopt;
}

}  // namespace storage
