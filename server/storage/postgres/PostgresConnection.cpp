#include "server/storage/postgres/PostgresConnection.h"

#include <algorithm>
#include <optional>
#include <random>

#include "server/storage/SqlLexer.h"
#include "server/storage/SqlLiteral.h"
#include "server/storage/postgres/PostgresStatement.h"
#include "server/storage/postgres/PostgresStorage.h"

namespace storage {

namespace {

constexpr const char* kSystemSchema = "corvane_sys";
// Serialises schema changes of every server process on the database.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(7165924115478966643)";

void Silent(void*, const char*) {}

std::string RandomHex(std::size_t bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::random_device device;
  std::string out;
  for (std::size_t i = 0; i < bytes; ++i) {
    unsigned b = device() & 0xFF;
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

std::string Escaped(PGconn* conn, const std::string& text, bool identifier) {
  char* escaped = identifier ? PQescapeIdentifier(conn, text.c_str(), text.size())
                             : PQescapeLiteral(conn, text.c_str(), text.size());
  if (!escaped) throw EStorageError(ErrorKind::Other, "", PQerrorMessage(conn));
  std::string out(escaped);
  PQfreemem(escaped);
  return out;
}

PGconn* Connect(const std::string& target, const char* user, const char* password) {
  const char* keywords[] = {"dbname", user ? "user" : nullptr, "password", nullptr};
  const char* values[] = {target.c_str(), user, password, nullptr};
  PGconn* conn = PQconnectdbParams(keywords, values, 1);
  if (!conn) throw EStorageError(ErrorKind::Connection, "", "out of memory connecting to PostgreSQL");
  if (PQstatus(conn) != CONNECTION_OK) {
    std::string message = PQerrorMessage(conn);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    PQfinish(conn);
    throw EStorageError(ErrorKind::Connection, "", "cannot connect to PostgreSQL: " + message);
  }
  PQsetNoticeProcessor(conn, Silent, nullptr);
  if (PQsetClientEncoding(conn, "UTF8") != 0) {
    PQfinish(conn);
    throw EStorageError(ErrorKind::Connection, "", "PostgreSQL refuses the UTF8 client encoding");
  }
  return conn;
}

}  // namespace

std::unique_ptr<Connection> OpenPostgres(const StorageConfig& config) {
  return std::make_unique<PostgresConnection>(config);
}

PostgresConnection::PostgresConnection(const StorageConfig& config) : Connection(config), target_(config.target) {
  if (target_.find('\0') != std::string::npos)
    throw EStorageError(ErrorKind::Connection, "", "the connection string holds a NUL character");
  conn_ = Connect(target_, nullptr, nullptr);
  try {
    RunSimple(conn_, "SET lock_timeout = " + std::to_string(config.busyTimeout.count()) +
                         "; SET search_path = " + kSystemSchema + "; SET standard_conforming_strings = on");
  } catch (...) {
    PQfinish(conn_);
    throw;
  }
}

PostgresConnection::~PostgresConnection() {
  CloseReader();
  PQfinish(conn_);
}

PgResult PostgresConnection::RunSimple(PGconn* conn, const std::string& sql) {
  PgResult result(PQexec(conn, sql.c_str()));
  ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) throw ErrorOf(conn, result.get());
  return result;
}

PgResult PostgresConnection::Run(const std::string& sql, std::span<const Value> params) {
  PgParams p(params);
  PgResult result(
      PQexecParams(conn_, sql.c_str(), p.Count(), p.Types(), p.Values(), p.Lengths(), p.Formats(), 0));
  ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return result;
  EStorageError error = status == PGRES_EMPTY_QUERY
                            ? EStorageError(ErrorKind::Syntax, "", "the statement is empty")
                            : ErrorOf(conn_, result.get());
  StatementFailed();
  throw error;
}

std::unique_ptr<Statement> PostgresConnection::DoPrepare(std::string_view sql) {
  bool empty = true;
  for (const auto& token : TokenizeSql(sql, SqlFlavour::Postgres))
    if (!token.IsBlank() && token.Text(sql) != ";") empty = false;
  if (empty) throw EStorageError(ErrorKind::Syntax, "", "the statement is empty");
  std::size_t count = 0;
  std::string numbered = NumberPlaceholders(sql, count);
  return std::make_unique<PostgresStatement>(*this, std::move(numbered), count);
}

void PostgresConnection::RunControl(std::string_view sql) {
  PgResult result = RunSimple(conn_, std::string(sql));
  // COMMIT of a failed transaction succeeds with the tag ROLLBACK.
  if (sql == "COMMIT" && std::string_view(PQcmdStatus(result.get())) != "COMMIT")
    throw EStorageError(ErrorKind::Other, "", "the server rolled the transaction back instead of committing it");
}

std::string PostgresConnection::BeginSql(TransactionMode mode) const {
  return mode == TransactionMode::Write ? "BEGIN" : "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY";
}

bool PostgresConnection::EngineInTransaction() {
  PGTransactionStatusType status = PQtransactionStatus(conn_);
  return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

// --- company databases ------------------------------------------------------------

void PostgresConnection::LockSchemas() { Run(kSchemaLock, {}); }

void PostgresConnection::EnsureSystemSchema() {
  Run(std::string("CREATE SCHEMA IF NOT EXISTS ") + kSystemSchema, {});
  Run(std::string("CREATE TABLE IF NOT EXISTS ") + kSystemSchema +
          ".storage_company (company VARCHAR(30) COLLATE \"C\" PRIMARY KEY, "
          "reader_role VARCHAR(63) COLLATE \"C\" NOT NULL, reader_secret VARCHAR(64) COLLATE \"C\" NOT NULL)",
      {});
}

bool PostgresConnection::DoCompanyExists(const std::string& company) {
  PgResult registry(Run("SELECT to_regclass('corvane_sys.storage_company') IS NOT NULL", {}));
  if (std::string_view(PQgetvalue(registry.get(), 0, 0)) != "t") return false;
  Value name(company);
  PgResult row(Run("SELECT 1 FROM corvane_sys.storage_company WHERE company = $1", {&name, 1}));
  return PQntuples(row.get()) > 0;
}

void PostgresConnection::DoCreateCompany(const std::string& company) {
  std::string role = "corvane_" + company + "_" + RandomHex(4);
  std::string secret = RandomHex(16);
  // The verifier is computed here, so the password itself never reaches
  // the server's statement log.
  char* verifier = PQencryptPasswordConn(conn_, secret.c_str(), role.c_str(), nullptr);
  if (!verifier) throw EStorageError(ErrorKind::Other, "", PQerrorMessage(conn_));
  std::string password = Escaped(conn_, verifier, false);
  PQfreemem(verifier);

  Transaction transaction = Begin(TransactionMode::Write);
  LockSchemas();
  EnsureSystemSchema();
  PgResult database(Run("SELECT current_database()", {}));
  std::string databaseName = Escaped(conn_, PQgetvalue(database.get(), 0, 0), true);
  Run("CREATE SCHEMA " + company, {});
  Run("CREATE ROLE " + role + " LOGIN NOSUPERUSER NOINHERIT NOCREATEDB NOCREATEROLE NOREPLICATION PASSWORD " +
          password,
      {});
  Run("ALTER ROLE " + role + " SET default_transaction_read_only = on", {});
  Run("GRANT CONNECT ON DATABASE " + databaseName + " TO " + role, {});
  Run("GRANT USAGE ON SCHEMA " + company + " TO " + role, {});
  Run("ALTER DEFAULT PRIVILEGES IN SCHEMA " + company + " GRANT SELECT ON TABLES TO " + role, {});
  Value values[] = {Value(company), Value(role), Value(secret)};
  Run("INSERT INTO corvane_sys.storage_company (company, reader_role, reader_secret) VALUES ($1, $2, $3)", values);
  transaction.Commit();
}

void PostgresConnection::DoUseCompany(const std::string& company) {
  RunSimple(conn_, "SET search_path = " + company + ", " + kSystemSchema);
  if (readerCompany_ != company) CloseReader();
}

std::string PostgresConnection::ReaderRole(const std::string& company) {
  Value name(company);
  PgResult row(Run("SELECT reader_role FROM corvane_sys.storage_company WHERE company = $1", {&name, 1}));
  if (PQntuples(row.get()) == 0)
    throw EStorageError(ErrorKind::Permission, "", "the company database " + company + " has no reader role");
  return PQgetvalue(row.get(), 0, 0);
}

PGconn* PostgresConnection::Reader() {
  if (reader_ && readerCompany_ == Company() && PQstatus(reader_) == CONNECTION_OK) return reader_;
  CloseReader();
  Value name(Company());
  PgResult row(
      Run("SELECT reader_role, reader_secret FROM corvane_sys.storage_company WHERE company = $1", {&name, 1}));
  if (PQntuples(row.get()) == 0)
    throw EStorageError(ErrorKind::Permission, "", "the company database " + Company() + " has no reader role");
  reader_ = Connect(target_, PQgetvalue(row.get(), 0, 0), PQgetvalue(row.get(), 0, 1));
  readerCompany_ = Company();
  return reader_;
}

void PostgresConnection::CloseReader() {
  if (reader_) PQfinish(reader_);
  reader_ = nullptr;
  readerCompany_.clear();
}

Result PostgresConnection::DoQuerySandboxed(std::string_view sql, std::span<const Value> params) {
  std::size_t count = 0;
  std::string numbered = NumberPlaceholders(sql, count);
  if (count != params.size())
    throw EStorageError(ErrorKind::Syntax, "",
                        "the statement takes " + std::to_string(count) + " parameters, not " +
                            std::to_string(params.size()));
  PgParams p(params);
  PGconn* reader = Reader();
  try {
    // statement_timeout 0 would mean none.
    long long timeout = std::max<long long>(1, Limits().timeout.count());
    RunSimple(reader, "BEGIN READ ONLY; SET LOCAL statement_timeout = " + std::to_string(timeout) +
                          "; SET LOCAL search_path = " + Company());
  } catch (const EStorageError&) {
    CloseReader();
    throw;
  }
  struct End {
    PostgresConnection& c;
    ~End() {
      if (!c.reader_) return;
      while (PGresult* rest = PQgetResult(c.reader_)) PQclear(rest);
      PgResult rollback(PQexec(c.reader_, "ROLLBACK"));
      if (!rollback || PQresultStatus(rollback.get()) != PGRES_COMMAND_OK || PQstatus(c.reader_) != CONNECTION_OK)
        c.CloseReader();
    }
  } end{*this};

  if (!PQsendQueryParams(reader, numbered.c_str(), p.Count(), p.Types(), p.Values(), p.Lengths(), p.Formats(), 0))
    throw ErrorOf(reader, nullptr);
  PQsetSingleRowMode(reader);
  Result result;
  bool columns = false, overflow = false;
  std::optional<EStorageError> failure;
  while (PGresult* raw = PQgetResult(reader)) {
    PgResult part(raw);
    ExecStatusType status = PQresultStatus(raw);
    if (status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK) {
      if (!columns) {
        ReadColumns(raw, result);
        columns = true;
      }
      if (overflow || PQntuples(raw) == 0) continue;
      if (Limits().maxRows && result.rows.size() >= Limits().maxRows) {
        // Stop the server from producing the rest; what is already on the
        // way is read and dropped.
        overflow = true;
        if (PGcancel* cancel = PQgetCancel(reader)) {
          char message[256];
          PQcancel(cancel, message, sizeof message);
          PQfreeCancel(cancel);
        }
        continue;
      }
      ReadRows(raw, result);
    } else if (!failure && !overflow) {
      failure = ErrorOf(reader, raw);
    }
  }
  if (overflow)
    throw EStorageError(ErrorKind::Limit, "",
                        "the query returns more than " + std::to_string(Limits().maxRows) + " rows");
  if (failure) {
    if (failure->EngineCode() == "57014")
      throw EStorageError(ErrorKind::Limit, "57014", "the query was stopped at its time-out");
    if (failure->Kind() == ErrorKind::Permission)
      throw EStorageError(ErrorKind::Permission, failure->EngineCode(), "refused: " + failure->Utf8Message());
    throw *failure;
  }
  return result;
}

// --- schema ----------------------------------------------------------------------

std::string PostgresConnection::SchemaName(const std::string& company) const {
  return company.empty() ? kSystemSchema : company;
}

bool PostgresConnection::TableExists(const std::string& schema, const std::string& table) {
  Value values[] = {Value(AsciiLower(schema)), Value(AsciiLower(table))};
  PgResult row(Run("SELECT 1 FROM pg_catalog.pg_tables WHERE schemaname = $1 AND tablename = $2", values));
  return PQntuples(row.get()) > 0;
}

void PostgresConnection::BeforeSchemaChange(const std::string& company) {
  LockSchemas();
  if (company.empty()) EnsureSystemSchema();
}

void PostgresConnection::AfterSchemaChange(const std::string& company) {
  if (company.empty()) return;
  Run("GRANT SELECT ON ALL TABLES IN SCHEMA " + company + " TO " + ReaderRole(company), {});
}

std::string PostgresConnection::ColumnSql(const ColumnDef& column) const {
  std::string sql = column.name;
  switch (column.type) {
    case ColumnType::Text: sql += " VARCHAR(" + std::to_string(column.size) + ") COLLATE \"C\""; break;
    case ColumnType::Memo: sql += " TEXT COLLATE \"C\""; break;
    case ColumnType::Integer: sql += " BIGINT"; break;
    case ColumnType::Float: sql += " DOUBLE PRECISION"; break;
    case ColumnType::Blob: sql += " BYTEA"; break;
  }
  if (!column.nullable) sql += " NOT NULL";
  if (column.defaultValue) {
    sql += " DEFAULT " + SqlLiteral(*column.defaultValue, Engine::Postgres);
  } else if (!column.nullable) {
    switch (column.type) {
      case ColumnType::Text:
      case ColumnType::Memo: sql += " DEFAULT ''"; break;
      case ColumnType::Integer: sql += " DEFAULT 0"; break;
      case ColumnType::Float: sql += " DEFAULT 0"; break;
      case ColumnType::Blob: sql += " DEFAULT ''::bytea"; break;
    }
  }
  return sql;
}

std::string PostgresConnection::CreateIndexSql(const std::string& schema, const TableDef& table,
                                               const IndexDef& index) const {
  std::string sql = std::string(index.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + index.name + " ON " +
                    schema + "." + table.name + " (";
  for (std::size_t i = 0; i < index.columns.size(); ++i) sql += (i ? ", " : "") + index.columns[i];
  return sql + ")";
}

}  // namespace storage
