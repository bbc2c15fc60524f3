// The PostgreSQL driver: opens a Connection with a libpq connection string
// or URL.
//
// The login needs CREATE on its database and CREATEROLE (to create a
// company's schema and reader role), and the server must accept password
// logins of the reader roles from the server's host (pg_hba.conf); text is
// exchanged as UTF-8 and text columns use COLLATE "C".
#pragma once

#include <memory>

#include "server/storage/Connection.h"

namespace storage {

std::unique_ptr<Connection> OpenPostgres(const StorageConfig& config);

}  // namespace storage
