// Connection: one session's connection to the storage, whatever the engine.
//
// The server opens one per session (see OpenStorage.h) and uses it from
// one thread at a time. Everything the server builds itself goes through
// Prepare / Execute with "?" parameters. Statements the client built run
// only through QuerySandboxed.
//
// Databases. The system data (users, sessions, messages, program records)
// is the "system" database: SQLite's main file, PostgreSQL's schema
// "corvane_sys". Each company database is apart: an SQLite file beside the
// main file named "<name>.db" and attached under the name, or a PostgreSQL
// schema of that name. Company database names are plain identifiers of at
// most 30 characters, compared without regard to ASCII case and kept in
// lower case. UseCompany makes one the session's company: unqualified
// table names then find its tables (system tables must not share their
// names, which ApplySchema checks), "$$" means it (DialectRewriter), and
// the sandbox reads only it.
//
// The sandbox. QuerySandboxed runs one read-only query the client built,
// in the engine's dialect (run the module's text through DialectRewriter
// first), with the connection's SandboxLimits. It refuses, with
// ErrorKind::Permission, anything but a single SELECT / WITH query, and
// any read outside the session's company database:
//  - SQLite: an authorizer allows only SELECT and reads of the company's
//    tables (no ATTACH, PRAGMA, writes, load_extension, system tables); a
//    progress handler ends it at the time-out.
//  - PostgreSQL: the query runs on a second connection that logs in as the
//    company's reader role (created with the company), which can read only
//    the company schema, in a READ ONLY transaction with SET LOCAL
//    statement_timeout. Logging in as the reader, rather than SET ROLE on
//    the server's own connection, matters: a query can reset the role with
//    set_config('role', 'none', true) but cannot change who logged in.
// Both stop with ErrorKind::Limit at the time-out or past maxRows rows.
// A sandboxed query runs outside any transaction of the connection.
//
// Every call leaves no statement running; a transaction lasts only as long
// as its Transaction object (the server keeps neither beyond one call).
#pragma once

#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/storage/Catalogue.h"
#include "server/storage/EStorageError.h"
#include "server/storage/Result.h"
#include "server/storage/Statement.h"
#include "server/storage/StorageConfig.h"
#include "server/storage/Transaction.h"

namespace storage {

enum class TransactionMode {
  Read,   // a consistent read of several statements
  Write,  // takes the write lock at once (SQLite: BEGIN IMMEDIATE)
};

class Connection {
 public:
  virtual ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  virtual Engine Kind() const = 0;

  // --- statements the server builds ---------------------------------------
  // One statement with "?" placeholders; more than one is refused
  // (ErrorKind::Syntax).
  std::unique_ptr<Statement> Prepare(std::string_view sql);
  Result Execute(std::string_view sql, std::span<const Value> params = {});
  Result Execute(std::string_view sql, std::initializer_list<Value> params);

  // --- transactions -------------------------------------------------------
  // Nested Begin is a programmer error; use SetSavepoint inside.
  Transaction Begin(TransactionMode mode);
  Savepoint SetSavepoint();
  bool InTransaction() const { return depth_ > 0; }

  // --- company databases --------------------------------------------------
  // Creates an empty company database (no tables yet: ApplySchema).
  // Refused with ErrorKind::Duplicate when it exists.
  void CreateCompany(std::string_view name);
  bool CompanyExists(std::string_view name);
  // Raises EStorageError when the company database does not exist.
  void UseCompany(std::string_view name);
  // The session's company database, lower case; empty before UseCompany.
  const std::string& Company() const { return company_; }
  static bool IsValidCompanyName(std::string_view name);

  // --- schema -----------------------------------------------------------------
  // Creates or upgrades the system database (empty company) or a company
  // database to the catalogue's version, in one transaction. Refused when
  // the database is newer than the catalogue, when the catalogue is not
  // well-formed (Catalogue::Problem), or when a new company table has the
  // name of a system table.
  void ApplySchema(const Catalogue& catalogue, std::string_view company = {});
  // The version a database was last brought to; 0 when never.
  int SchemaVersion(std::string_view company = {});

  // --- the sandbox --------------------------------------------------------------
  Result QuerySandboxed(std::string_view sql, std::span<const Value> params = {});
  void SetSandboxLimits(const SandboxLimits& limits) { limits_ = limits; }
  const SandboxLimits& Limits() const { return limits_; }

 protected:
  explicit Connection(const StorageConfig& config) : limits_(config.sandbox) {}

  virtual std::unique_ptr<Statement> DoPrepare(std::string_view sql) = 0;
  // Transaction control (BEGIN..., COMMIT, ROLLBACK, SAVEPOINT...).
  virtual void RunControl(std::string_view sql) = 0;
  virtual std::string BeginSql(TransactionMode mode) const = 0;
  // Whether the engine still has a transaction open (it may end one by
  // itself after some failures).
  virtual bool EngineInTransaction() = 0;
  // After every commit or rollback of a transaction, failed ones included.
  virtual void TransactionEnded() {}

  virtual void DoCreateCompany(const std::string& company) = 0;
  virtual bool DoCompanyExists(const std::string& company) = 0;
  virtual void DoUseCompany(const std::string& company) = 0;
  virtual Result DoQuerySandboxed(std::string_view sql, std::span<const Value> params) = 0;

  // Schema work. The schema names a database in SQL: the system database
  // for an empty company.
  virtual std::string SchemaName(const std::string& company) const = 0;
  virtual bool TableExists(const std::string& schema, const std::string& table) = 0;
  // The definition of one column in the engine's types.
  virtual std::string ColumnSql(const ColumnDef& column) const = 0;
  // What follows the column list of CREATE TABLE (empty by default).
  virtual std::string TableOptionsSql() const { return {}; }
  std::string CreateTableSql(const std::string& schema, const TableDef& table) const;
  std::string AddColumnSql(const std::string& schema, const TableDef& table, const ColumnDef& column) const;
  virtual std::string CreateIndexSql(const std::string& schema, const TableDef& table,
                                     const IndexDef& index) const = 0;
  // Before the schema transaction: makes the database reachable by its
  // schema name (SQLite attaches a company file).
  virtual void ReachSchema(const std::string& company) {}
  // Inside the schema transaction, before and after the changes.
  virtual void BeforeSchemaChange(const std::string& company) {}
  virtual void AfterSchemaChange(const std::string& company) {}

  // For drivers, around every statement: CheckUsable refuses to run one in
  // a spoiled transaction; StatementFailed records a failure.
  void CheckUsable() const;
  void StatementFailed();

  // A validated, lower-case company database name; raises otherwise.
  static std::string CanonicalCompany(std::string_view name);

 private:
  friend class Transaction;
  friend class Savepoint;
  void CommitTransaction();
  void RollbackTransaction(bool quiet);
  void ReleaseSavepoint(int depth);
  void RollbackSavepoint(int depth, bool quiet);

  int depth_ = 0;        // 0: none; 1: a transaction; 2...: savepoints in it
  int failedDepth_ = 0;  // the scope a failed statement spoiled; 0: none
  std::string company_;
  SandboxLimits limits_;
};

}  // namespace storage
