// OpenStorage: opens a connection on the engine a configuration names.
//
// This is the one place that knows both drivers (target storage_factory);
// the rest of the server sees only Connection.
#pragma once

#include <memory>

#include "server/storage/Connection.h"

namespace storage {

// Raises EStorageError (ErrorKind::Connection) when the storage cannot be
// opened.
std::unique_ptr<Connection> OpenStorage(const StorageConfig& config);

}  // namespace storage
