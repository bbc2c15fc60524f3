// Private header of the SQLite driver (not for use outside server/storage).
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "server/storage/Connection.h"

namespace storage {

class SqliteStatement;

class SqliteConnection final : public Connection {
 public:
  explicit SqliteConnection(const StorageConfig& config);
  ~SqliteConnection() override;

  Engine Kind() const override { return Engine::Sqlite; }

 protected:
  std::unique_ptr<Statement> DoPrepare(std::string_view sql) override;
  void RunControl(std::string_view sql) override;
  std::string BeginSql(TransactionMode mode) const override;
  bool EngineInTransaction() override;
  void TransactionEnded() override;

  void DoCreateCompany(const std::string& company) override;
  bool DoCompanyExists(const std::string& company) override;
  void DoUseCompany(const std::string& company) override;
  Result DoQuerySandboxed(std::string_view sql, std::span<const Value> params) override;

  std::string SchemaName(const std::string& company) const override;
  bool TableExists(const std::string& schema, const std::string& table) override;
  std::string CreateIndexSql(const std::string& schema, const TableDef& table,
                             const IndexDef& index) const override;
  void ReachSchema(const std::string& company) override;

 private:
  friend class SqliteStatement;

  std::unique_ptr<SqliteStatement> PrepareStatement(std::string_view sql);
  // Raises the connection's last error as EStorageError.
  [[noreturn]] void Raise(int rc, bool preparing);
  void Exec(const std::string& sql);
  std::string CompanyFile(const std::string& company) const;
  bool Attached(const std::string& company) const;
  void Attach(const std::string& company, bool create);
  void Detach(const std::string& company);
  void SetWal(const std::string& schema);
  std::string ColumnSql(const ColumnDef& column) const override;
  std::string TableOptionsSql() const override;

  static int Authorizer(void* self, int action, const char* a, const char* b, const char* database,
                        const char* inner);
  static bool Allowed(const SqliteConnection& connection, int action, const char* function, const char* database);
  static int Progress(void* self);

  sqlite3* db_ = nullptr;
  std::string folder_;
  std::vector<std::string> attached_;  // attached company databases, the session's first

  // While a sandboxed query runs.
  bool sandboxed_ = false;
  bool denied_ = false;  // the authorizer refused something
  std::chrono::steady_clock::time_point deadline_;
};

}  // namespace storage
