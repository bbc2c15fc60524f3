#include "server/storage/OpenStorage.h"

#include "server/storage/postgres/PostgresStorage.h"
#include "server/storage/sqlite/SqliteStorage.h"

namespace storage {

std::unique_ptr<Connection> OpenStorage(const StorageConfig& config) {
  switch (config.engine) {
    case Engine::Sqlite: return OpenSqlite(config);
    case Engine::Postgres: return OpenPostgres(config);
  }
  throw EStorageError(ErrorKind::Connection, "", "unknown storage engine");
}

}  // namespace storage
