// EStorageError: an operational failure of a storage engine.
//
// Every failure a storage driver reports is this one exception type. It
// carries the engine's own code (SQLite: the extended result code in
// decimal; PostgreSQL: the SQLSTATE) and a kind the server can act on
// without knowing the engine: a duplicate key refuses a delta row naming
// the key, a busy or serialization failure may be retried, a permission
// failure is the sandbox saying no.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/Exceptions.h"

namespace storage {

enum class ErrorKind {
  Duplicate,   // a primary key or unique index already holds the key
  Constraint,  // another constraint or a value the column refuses (NOT NULL, size, type)
  Busy,        // the database or row is locked by another connection; serialization failure
  Syntax,      // the statement is malformed or names something that does not exist
  Permission,  // the sandbox or the engine refused the statement or an object in it
  Limit,       // the statement exceeded a limit: statement time-out, row count
  Connection,  // the connection to the engine is lost or could not be opened
  Other,
};

const char* ErrorKindName(ErrorKind kind);
std::ostream& operator<<(std::ostream& os, ErrorKind kind);

class EStorageError : public platform::Exception {
 public:
  // message is UTF-8 (engine messages are); Message() holds it in the
  // process code page.
  EStorageError(ErrorKind kind, std::string engineCode, const std::string& message);
  const char* ClassName() const override { return "EStorageError"; }

  ErrorKind Kind() const { return kind_; }
  const std::string& EngineCode() const { return engineCode_; }
  const std::string& Utf8Message() const { return utf8Message_; }

 private:
  ErrorKind kind_;
  std::string engineCode_;
  std::string utf8Message_;
};

}  // namespace storage
