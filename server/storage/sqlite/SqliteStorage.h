// The SQLite driver: opens a Connection on an SQLite system database file.
//
// The file is created when missing; company databases are the files
// "<company>.db" in the same folder. Every connection runs in WAL mode with
// the configured busy time-out, binary collation and case-sensitive LIKE,
// and has RPAD and LPAD (as PostgreSQL counts: characters).
#pragma once

#include <memory>

#include "server/storage/Connection.h"

namespace storage {

std::unique_ptr<Connection> OpenSqlite(const StorageConfig& config);

}  // namespace storage
