#include "server/storage/Connection.h"

#include <cassert>

#include "server/storage/SandboxText.h"
#include "server/storage/SqlLexer.h"

namespace storage {

namespace {

std::string SavepointName(int depth) { return "corvane_sp" + std::to_string(depth); }

constexpr std::string_view kVersionTable = "corvane_schema";

}  // namespace

Connection::~Connection() = default;

// --- statements ---------------------------------------------------------------

std::unique_ptr<Statement> Connection::Prepare(std::string_view sql) {
  if (sql.find('\0') != std::string_view::npos)
    throw EStorageError(ErrorKind::Syntax, "", "the statement contains a NUL character");
  CheckUsable();
  return DoPrepare(sql);
}

Result Connection::Execute(std::string_view sql, std::span<const Value> params) {
  return Prepare(sql)->Execute(params);
}

Result Connection::Execute(std::string_view sql, std::initializer_list<Value> params) {
  return Prepare(sql)->Execute(params);
}

// --- transactions -------------------------------------------------------------

Transaction Connection::Begin(TransactionMode mode) {
  assert(depth_ == 0 && "transactions do not nest; use SetSavepoint");
  RunControl(BeginSql(mode));
  depth_ = 1;
  failedDepth_ = 0;
  return Transaction(this);
}

Savepoint Connection::SetSavepoint() {
  assert(depth_ > 0 && "a savepoint needs a transaction");
  CheckUsable();
  RunControl("SAVEPOINT " + SavepointName(depth_ + 1));
  ++depth_;
  return Savepoint(this, depth_);
}

void Connection::CheckUsable() const {
  if (failedDepth_ > 0)
    throw EStorageError(ErrorKind::Other, "",
                        "a statement of this transaction failed; roll it back before running more");
}

void Connection::StatementFailed() {
  if (depth_ == 0 || failedDepth_ > 0) return;
  // When the engine has ended the transaction itself, only rolling back
  // the whole transaction clears the failure.
  failedDepth_ = EngineInTransaction() ? depth_ : 1;
}

void Connection::CommitTransaction() {
  assert(depth_ == 1 && "savepoints end before their transaction");
  if (failedDepth_ > 0) {
    RollbackTransaction(true);
    throw EStorageError(ErrorKind::Other, "", "the transaction was rolled back: a statement in it failed");
  }
  try {
    RunControl("COMMIT");
  } catch (...) {
    RollbackTransaction(true);
    throw;
  }
  depth_ = 0;
  TransactionEnded();
}

void Connection::RollbackTransaction(bool quiet) {
  assert(depth_ == 1 && "savepoints end before their transaction");
  depth_ = 0;
  failedDepth_ = 0;
  try {
    if (EngineInTransaction()) RunControl("ROLLBACK");
  } catch (...) {
    TransactionEnded();
    if (!quiet) throw;
    return;
  }
  TransactionEnded();
}

void Connection::ReleaseSavepoint(int depth) {
  assert(depth == depth_ && "savepoints end in the reverse order of setting");
  if (failedDepth_ > 0 && failedDepth_ >= depth)
    throw EStorageError(ErrorKind::Other, "", "a statement after the savepoint failed; roll the savepoint back");
  RunControl("RELEASE SAVEPOINT " + SavepointName(depth));
  --depth_;
}

void Connection::RollbackSavepoint(int depth, bool quiet) {
  assert(depth == depth_ && "savepoints end in the reverse order of setting");
  --depth_;
  // failedDepth_ 1 means the transaction itself is lost; nothing to undo here.
  if (failedDepth_ == 1) return;
  try {
    RunControl("ROLLBACK TO SAVEPOINT " + SavepointName(depth));
    RunControl("RELEASE SAVEPOINT " + SavepointName(depth));
    if (failedDepth_ >= depth) failedDepth_ = 0;
  } catch (...) {
    failedDepth_ = 1;
    if (!quiet) throw;
  }
}

// --- company databases --------------------------------------------------------

bool Connection::IsValidCompanyName(std::string_view name) {
  if (name.empty() || name.size() > 30 || !IsPlainIdentifier(name)) return false;
  if (!((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z'))) return false;
  std::string lower = AsciiLower(name);
  for (std::string_view reserved : {"main", "temp", "public", "information_schema"})
    if (lower == reserved) return false;
  return !(lower.starts_with("corvane") || lower.starts_with("pg_") || lower.starts_with("sqlite_"));
}

std::string Connection::CanonicalCompany(std::string_view name) {
  if (!IsValidCompanyName(name))
    throw EStorageError(ErrorKind::Other, "", "\"" + std::string(name) + "\" is not a valid company database name");
  return AsciiLower(name);
}

void Connection::CreateCompany(std::string_view name) {
  assert(depth_ == 0);
  std::string company = CanonicalCompany(name);
  if (DoCompanyExists(company))
    throw EStorageError(ErrorKind::Duplicate, "", "the company database " + company + " exists");
  DoCreateCompany(company);
}

bool Connection::CompanyExists(std::string_view name) {
  return IsValidCompanyName(name) && DoCompanyExists(AsciiLower(name));
}

void Connection::UseCompany(std::string_view name) {
  assert(depth_ == 0);
  std::string company = CanonicalCompany(name);
  if (company == company_) return;
  if (!DoCompanyExists(company))
    throw EStorageError(ErrorKind::Other, "", "there is no company database " + company);
  DoUseCompany(company);
  company_ = company;
}

// --- schema -----------------------------------------------------------------------

int Connection::SchemaVersion(std::string_view name) {
  std::string company = name.empty() ? std::string() : CanonicalCompany(name);
  if (!company.empty() && !DoCompanyExists(company)) return 0;
  ReachSchema(company);
  std::string schema = SchemaName(company);
  if (!TableExists(schema, std::string(kVersionTable))) return 0;
  Result r = Execute("SELECT version FROM " + schema + "." + std::string(kVersionTable));
  return r.rows.empty() ? 0 : static_cast<int>(r.rows[0][0].AsInteger());
}

void Connection::ApplySchema(const Catalogue& catalogue, std::string_view name) {
  assert(depth_ == 0);
  if (std::string problem = catalogue.Problem(); !problem.empty())
    throw EStorageError(ErrorKind::Other, "", "invalid catalogue: " + problem);
  std::string company = name.empty() ? std::string() : CanonicalCompany(name);
  if (!company.empty() && !DoCompanyExists(company))
    throw EStorageError(ErrorKind::Other, "", "there is no company database " + company);
  ReachSchema(company);
  std::string schema = SchemaName(company);
  std::string versionTable = schema + "." + std::string(kVersionTable);

  Transaction transaction = Begin(TransactionMode::Write);
  BeforeSchemaChange(company);
  Execute("CREATE TABLE IF NOT EXISTS " + versionTable + " (version INTEGER NOT NULL)");
  Result r = Execute("SELECT version FROM " + versionTable);
  int version = r.rows.empty() ? 0 : static_cast<int>(r.rows[0][0].AsInteger());
  if (version > catalogue.version)
    throw EStorageError(ErrorKind::Other, "",
                        "the database " + schema + " has schema version " + std::to_string(version) +
                            ", newer than this program's " + std::to_string(catalogue.version));
  for (const TableDef& table : catalogue.tables) {
    if (table.since > version) {
      if (!company.empty() && TableExists(SchemaName(""), table.name))
        throw EStorageError(ErrorKind::Other, "",
                            "company table " + table.name + " would share its name with a system table");
      Execute(CreateTableSql(schema, table));
      for (const IndexDef& index : table.indexes) Execute(CreateIndexSql(schema, table, index));
      continue;
    }
    for (const ColumnDef& column : table.columns)
      if (column.since > version) Execute(AddColumnSql(schema, table, column));
    for (const IndexDef& index : table.indexes)
      if (index.since > version) Execute(CreateIndexSql(schema, table, index));
  }
  if (version != catalogue.version) {
    Execute("DELETE FROM " + versionTable);
    Execute("INSERT INTO " + versionTable + " (version) VALUES (?)", {catalogue.version});
  }
  AfterSchemaChange(company);
  transaction.Commit();
}

// --- the sandbox --------------------------------------------------------------------

Result Connection::QuerySandboxed(std::string_view sql, std::span<const Value> params) {
  assert(depth_ == 0 && "sandboxed queries run outside transactions");
  if (company_.empty()) throw EStorageError(ErrorKind::Permission, "", "no company database is in use");
  std::string problem =
      SandboxTextProblem(sql, Kind() == Engine::Postgres ? SqlFlavour::Postgres : SqlFlavour::Sqlite);
  if (!problem.empty()) throw EStorageError(ErrorKind::Permission, "", "refused: " + problem);
  return DoQuerySandboxed(sql, params);
}

std::string Connection::CreateTableSql(const std::string& schema, const TableDef& table) const {
  std::string sql = "CREATE TABLE " + schema + "." + table.name + " (";
  for (std::size_t i = 0; i < table.columns.size(); ++i) sql += (i ? ", " : "") + ColumnSql(table.columns[i]);
  auto key = table.KeyColumns();
  if (!key.empty()) {
    sql += ", PRIMARY KEY (";
    for (std::size_t i = 0; i < key.size(); ++i) sql += (i ? ", " : "") + key[i]->name;
    sql += ")";
  }
  return sql + ")" + TableOptionsSql();
}

std::string Connection::AddColumnSql(const std::string& schema, const TableDef& table,
                                     const ColumnDef& column) const {
  return "ALTER TABLE " + schema + "." + table.name + " ADD COLUMN " + ColumnSql(column);
}

}  // namespace storage
