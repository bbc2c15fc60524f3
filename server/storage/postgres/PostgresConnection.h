// Private header of the PostgreSQL driver (not for use outside server/storage).
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <string>

#include "server/storage/Connection.h"
#include "server/storage/postgres/PostgresWire.h"

namespace storage {

class PostgresStatement;

class PostgresConnection final : public Connection {
 public:
  explicit PostgresConnection(const StorageConfig& config);
  ~PostgresConnection() override;

  Engine Kind() const override { return Engine::Postgres; }

 protected:
  std::unique_ptr<Statement> DoPrepare(std::string_view sql) override;
  void RunControl(std::string_view sql) override;
  std::string BeginSql(TransactionMode mode) const override;
  bool EngineInTransaction() override;

  void DoCreateCompany(const std::string& company) override;
  bool DoCompanyExists(const std::string& company) override;
  void DoUseCompany(const std::string& company) override;
  Result DoQuerySandboxed(std::string_view sql, std::span<const Value> params) override;

  std::string SchemaName(const std::string& company) const override;
  bool TableExists(const std::string& schema, const std::string& table) override;
  std::string CreateIndexSql(const std::string& schema, const TableDef& table,
                             const IndexDef& index) const override;
  void BeforeSchemaChange(const std::string& company) override;
  void AfterSchemaChange(const std::string& company) override;

 private:
  friend class PostgresStatement;

  // A statement with $n parameters on the server connection; a failure
  // is recorded against the transaction and raised.
  PgResult Run(const std::string& sql, std::span<const Value> params);
  // Our own statements in the simple protocol (several allowed).
  static PgResult RunSimple(PGconn* conn, const std::string& sql);
  void LockSchemas();
  void EnsureSystemSchema();
  std::string ReaderRole(const std::string& company);
  PGconn* Reader();
  void CloseReader();
  std::string ColumnSql(const ColumnDef& column) const override;

  std::string target_;
  PGconn* conn_ = nullptr;
  PGconn* reader_ = nullptr;  // the company's reader login, for the sandbox
  std::string readerCompany_;
};

}  // namespace storage
