// Private header of the PostgreSQL driver (not for use outside server/storage).
#pragma once

#include <string>

#include "server/storage/Statement.h"

namespace storage {

class PostgresConnection;

// The text is parsed by the server at each execution (one statement only:
// the extended protocol refuses more), with the parameter types of that
// execution.
class PostgresStatement final : public Statement {
 public:
  PostgresStatement(PostgresConnection& connection, std::string sql, std::size_t parameters)
      : connection_(connection), sql_(std::move(sql)), parameters_(parameters) {}

  std::size_t ParameterCount() const override { return parameters_; }

 protected:
  Result DoExecute(std::span<const Value> params) override;

 private:
  PostgresConnection& connection_;
  std::string sql_;
  std::size_t parameters_;
};

}  // namespace storage
