// Private header of the SQLite driver (not for use outside server/storage).
#pragma once

#include <sqlite3.h>

#include "server/storage/Statement.h"

namespace storage {

class SqliteConnection;

class SqliteStatement final : public Statement {
 public:
  SqliteStatement(SqliteConnection& connection, sqlite3_stmt* stmt) : connection_(connection), stmt_(stmt) {}
  ~SqliteStatement() override { sqlite3_finalize(stmt_); }

  std::size_t ParameterCount() const override;
  bool ReadOnly() const { return sqlite3_stmt_readonly(stmt_) != 0; }
  // maxRows 0: no limit; more rows raise ErrorKind::Limit.
  Result Run(std::span<const Value> params, std::size_t maxRows);

 protected:
  Result DoExecute(std::span<const Value> params) override { return Run(params, 0); }

 private:
  SqliteConnection& connection_;
  sqlite3_stmt* stmt_;
};

}  // namespace storage
