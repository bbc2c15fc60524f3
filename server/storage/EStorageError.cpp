#include "server/storage/EStorageError.h"

#include <ostream>

namespace storage {

const char* ErrorKindName(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::Duplicate: return "duplicate";
    case ErrorKind::Constraint: return "constraint";
    case ErrorKind::Busy: return "busy";
    case ErrorKind::Syntax: return "syntax";
    case ErrorKind::Permission: return "permission";
    case ErrorKind::Limit: return "limit";
    case ErrorKind::Connection: return "connection";
    case ErrorKind::Other: return "other";
  }
  return "?";
}

std::ostream& operator<<(std::ostream& os, ErrorKind kind) { return os << ErrorKindName(kind); }

EStorageError::EStorageError(ErrorKind kind, std::string engineCode, const std::string& message)
    : Exception(platform::AnsiString::FromUtf8(message)),
      kind_(kind),
      engineCode_(std::move(engineCode)),
      utf8Message_(message) {}

}  // namespace storage
