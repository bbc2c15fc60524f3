// Private header of the storage layer (not for use outside server/storage).
//
// SQL literals for the statements the drivers build themselves (column
// defaults in DDL); values from callers are always bound as parameters.
#pragma once

#include <string>

#include "server/storage/StorageConfig.h"
#include "server/storage/Value.h"

namespace storage {

std::string SqlLiteral(const Value& value, Engine engine);
// The text of a double that reads back as the same double.
std::string DoubleText(double value);

}  // namespace storage
