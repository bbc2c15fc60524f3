// Statement: one prepared SQL statement of a connection.
//
// Placeholders are "?" on every engine, numbered from the left; a "?"
// inside a string, a quoted name or a comment is text. Execute binds the
// values in order (their count must match) and reads the whole result.
// A statement may be executed again with other values. It belongs to its
// connection and must not outlive it.
#pragma once

#include <initializer_list>
#include <span>

#include "server/storage/Result.h"
#include "server/storage/Value.h"

namespace storage {

class Statement {
 public:
  virtual ~Statement() = default;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Result Execute(std::span<const Value> params = {}) { return DoExecute(params); }
  Result Execute(std::initializer_list<Value> params) {
    return DoExecute(std::span<const Value>(params.begin(), params.size()));
  }
  virtual std::size_t ParameterCount() const = 0;

 protected:
  Statement() = default;
  virtual Result DoExecute(std::span<const Value> params) = 0;
};

}  // namespace storage
