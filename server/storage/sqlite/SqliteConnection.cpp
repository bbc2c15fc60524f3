#include "server/storage/sqlite/SqliteConnection.h"

#include <algorithm>
#include <climits>
#include <filesystem>

#include "server/storage/SqlLexer.h"
#include "server/storage/SqlLiteral.h"
#include "server/storage/sqlite/SqliteStatement.h"
#include "server/storage/sqlite/SqliteStorage.h"

namespace storage {

namespace {

// SQLite allows at most ten attached databases per connection.
constexpr std::size_t kMaxAttached = 9;

ErrorKind KindOf(int rc, bool preparing) {
  switch (rc & 0xff) {
    case SQLITE_CONSTRAINT:
      return (rc == SQLITE_CONSTRAINT_PRIMARYKEY || rc == SQLITE_CONSTRAINT_UNIQUE) ? ErrorKind::Duplicate
                                                                                     : ErrorKind::Constraint;
    case SQLITE_MISMATCH: return ErrorKind::Constraint;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ErrorKind::Busy;
    case SQLITE_INTERRUPT:
    case SQLITE_TOOBIG: return ErrorKind::Limit;
    case SQLITE_AUTH:
    case SQLITE_PERM:
    case SQLITE_READONLY: return ErrorKind::Permission;
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB: return ErrorKind::Connection;
    case SQLITE_ERROR: return preparing ? ErrorKind::Syntax : ErrorKind::Other;
    default: return ErrorKind::Other;
  }
}

// RPAD / LPAD (text, length [, fill]) as PostgreSQL has them: the length
// counts characters; a longer text is cut to it; an empty fill pads nothing.
std::size_t Utf8Length(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

std::string_view Utf8Prefix(std::string_view s, std::size_t chars) {
  std::size_t i = 0;
  for (std::size_t n = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && n++ == chars) break;
  }
  return s.substr(0, i);
}

void Pad(sqlite3_context* context, int argc, sqlite3_value** argv) {
  bool right = sqlite3_user_data(context) != nullptr;
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(context);
  auto text = [](sqlite3_value* v) {
    const char* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return std::string_view(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(v)));
  };
  std::string_view s = text(argv[0]);
  sqlite3_int64 length = sqlite3_value_int64(argv[1]);
  std::string_view fill = argc > 2 ? text(argv[2]) : std::string_view(" ");
  if (length < 0) length = 0;
  if (length > 1000000) return sqlite3_result_error_toobig(context);
  std::size_t want = static_cast<std::size_t>(length), have = Utf8Length(s);
  std::string out;
  if (have >= want || fill.empty()) {
    out = Utf8Prefix(s, want);
  } else {
    std::string padding;
    std::size_t fillChars = Utf8Length(fill);
    for (std::size_t n = have; n < want; n += fillChars) padding += fill;
    padding = std::string(Utf8Prefix(padding, want - have));
    out = right ? std::string(s) + padding : padding + std::string(s);
  }
  sqlite3_result_text64(context, out.data(), out.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

constexpr std::string_view kDeniedFunctions[] = {"load_extension", "fts3_tokenizer", "readfile", "writefile",
                                                  "edit"};

}  // namespace

std::unique_ptr<Connection> OpenSqlite(const StorageConfig& config) {
  return std::make_unique<SqliteConnection>(config);
}

SqliteConnection::SqliteConnection(const StorageConfig& config) : Connection(config) {
  if (config.target.empty() || config.target == ":memory:" || config.target.find('\0') != std::string::npos)
    throw EStorageError(ErrorKind::Connection, "", "the SQLite storage needs the path of its system database file");
  int flags =
      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_URI;
  int rc = sqlite3_open_v2(config.target.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    throw EStorageError(ErrorKind::Connection, std::to_string(rc), "cannot open " + config.target + ": " + message);
  }
  try {
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, static_cast<int>(std::min<long long>(config.busyTimeout.count(), INT_MAX)));
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    // "x" is always a name, as on PostgreSQL, never a string.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    SetWal("main");
    Exec("PRAGMA case_sensitive_like=ON");
    int fnFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    static int rightTag;
    for (int args : {2, 3}) {
      sqlite3_create_function_v2(db_, "rpad", args, fnFlags, &rightTag, Pad, nullptr, nullptr, nullptr);
      sqlite3_create_function_v2(db_, "lpad", args, fnFlags, nullptr, Pad, nullptr, nullptr, nullptr);
    }
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
  folder_ = std::filesystem::path(config.target).parent_path().string();
}

SqliteConnection::~SqliteConnection() {
  // Statements belong to the connection and are gone; close_v2 would
  // otherwise keep the handle as a zombie.
  sqlite3_close_v2(db_);
}

void SqliteConnection::Raise(int rc, bool preparing) {
  int extended = sqlite3_extended_errcode(db_);
  if ((extended & 0xff) != (rc & 0xff)) extended = rc;
  throw EStorageError(KindOf(extended, preparing), std::to_string(extended), sqlite3_errmsg(db_));
}

void SqliteConnection::Exec(const std::string& sql) {
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Raise(rc, false);
}

std::unique_ptr<SqliteStatement> SqliteConnection::PrepareStatement(std::string_view sql) {
  if (sql.size() > INT_MAX) throw EStorageError(ErrorKind::Limit, "", "the statement is too long");
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), 0, &stmt, &tail);
  if (rc != SQLITE_OK) {
    StatementFailed();
    Raise(rc, true);
  }
  if (!stmt) throw EStorageError(ErrorKind::Syntax, "", "the statement is empty");
  auto statement = std::make_unique<SqliteStatement>(*this, stmt);
  std::string_view rest = sql.substr(static_cast<std::size_t>(tail - sql.data()));
  for (const auto& token : TokenizeSql(rest, SqlFlavour::Sqlite))
    if (!token.IsBlank() && token.Text(rest) != ";")
      throw EStorageError(ErrorKind::Syntax, "", "only one statement may be run at a time");
  return statement;
}

std::unique_ptr<Statement> SqliteConnection::DoPrepare(std::string_view sql) { return PrepareStatement(sql); }

void SqliteConnection::RunControl(std::string_view sql) {
  // A read transaction refuses writes, as PostgreSQL's READ ONLY does.
  if (sql == BeginSql(TransactionMode::Read)) {
    Exec("PRAGMA query_only = 1");
    try {
      Exec(std::string(sql));
    } catch (...) {
      TransactionEnded();
      throw;
    }
    return;
  }
  Exec(std::string(sql));
}

void SqliteConnection::TransactionEnded() {
  sqlite3_exec(db_, "PRAGMA query_only = 0", nullptr, nullptr, nullptr);
}

std::string SqliteConnection::BeginSql(TransactionMode mode) const {
  // A deferred transaction that later writes fails at once in WAL mode when
  // another connection wrote meanwhile, whatever the busy time-out; a
  // writer therefore takes the lock when it begins.
  return mode == TransactionMode::Write ? "BEGIN IMMEDIATE" : "BEGIN DEFERRED";
}

bool SqliteConnection::EngineInTransaction() { return sqlite3_get_autocommit(db_) == 0; }

// --- company databases ----------------------------------------------------------

std::string SqliteConnection::CompanyFile(const std::string& company) const {
  return (std::filesystem::path(folder_) / (company + ".db")).string();
}

bool SqliteConnection::DoCompanyExists(const std::string& company) {
  std::error_code ec;
  return std::filesystem::exists(CompanyFile(company), ec);
}

bool SqliteConnection::Attached(const std::string& company) const {
  return std::find(attached_.begin(), attached_.end(), company) != attached_.end();
}

void SqliteConnection::Attach(const std::string& company, bool create) {
  if (attached_.size() >= kMaxAttached) {
    // The session's company is attached first and stays.
    auto oldest = attached_.begin();
    if (*oldest == Company()) ++oldest;
    Detach(*oldest);
  }
  // As a URI, so that attaching a company file that has gone away fails
  // instead of creating an empty one.
  std::string uri = "file:";
  for (unsigned char c : CompanyFile(company)) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
                 c == '.' || c == '-' || c == '_';
    if (plain) {
      uri += static_cast<char>(c);
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  uri += create ? "?mode=rwc" : "?mode=rw";
  // The name is a validated identifier; the file is a parameter.
  PrepareStatement("ATTACH DATABASE ? AS " + company)->Execute({uri});
  attached_.push_back(company);
  SetWal(company);
}

// Concurrent sessions rely on WAL: refuse a database that cannot use it.
void SqliteConnection::SetWal(const std::string& schema) {
  Result mode = PrepareStatement("PRAGMA " + schema + ".journal_mode=WAL")->Execute();
  if (mode.rows.empty() || mode.rows[0][0] != Value("wal"))
    throw EStorageError(ErrorKind::Connection, "", "the database " + schema + " cannot use write-ahead logging");
}

void SqliteConnection::Detach(const std::string& company) {
  Exec("DETACH DATABASE " + company);
  attached_.erase(std::find(attached_.begin(), attached_.end(), company));
}

void SqliteConnection::DoCreateCompany(const std::string& company) { Attach(company, true); }

// Unqualified names find the first attached database that has the table,
// so the session's company is attached alone.
void SqliteConnection::DoUseCompany(const std::string& company) {
  while (!attached_.empty()) Detach(attached_.back());
  try {
    Attach(company, false);
  } catch (...) {
    if (!Company().empty()) Attach(Company(), false);
    throw;
  }
}

void SqliteConnection::ReachSchema(const std::string& company) {
  if (!company.empty() && !Attached(company)) Attach(company, false);
}

// --- the sandbox -------------------------------------------------------------------

int SqliteConnection::Authorizer(void* self, int action, const char* a, const char* b, const char* database,
                                 const char* inner) {
  auto* connection = static_cast<SqliteConnection*>(self);
  int answer = Allowed(*connection, action, b, database) ? SQLITE_OK : SQLITE_DENY;
  if (answer == SQLITE_DENY) connection->denied_ = true;
  return answer;
}

bool SqliteConnection::Allowed(const SqliteConnection& connection, int action, const char* function,
                               const char* database) {
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_RECURSIVE: return true;
    case SQLITE_READ:
      // Without a database the read is of a common table expression.
      return !database || EqualsIgnoreCase(database, connection.Company());
    case SQLITE_FUNCTION:
      for (std::string_view denied : kDeniedFunctions)
        if (function && EqualsIgnoreCase(function, denied)) return false;
      return true;
    default: return false;
  }
}

int SqliteConnection::Progress(void* self) {
  auto* connection = static_cast<SqliteConnection*>(self);
  return std::chrono::steady_clock::now() > connection->deadline_ ? 1 : 0;
}

Result SqliteConnection::DoQuerySandboxed(std::string_view sql, std::span<const Value> params) {
  struct Guard {
    SqliteConnection& c;
    ~Guard() {
      sqlite3_set_authorizer(c.db_, nullptr, nullptr);
      sqlite3_progress_handler(c.db_, 0, nullptr, nullptr);
      c.sandboxed_ = false;
    }
  } guard{*this};
  sandboxed_ = true;
  deadline_ = std::chrono::steady_clock::now() + Limits().timeout;
  // The authorizer stays in place while the statement runs: SQLite
  // prepares it again by itself when the schema changes.
  sqlite3_set_authorizer(db_, Authorizer, this);
  sqlite3_progress_handler(db_, 1000, Progress, this);
  std::unique_ptr<SqliteStatement> statement;
  denied_ = false;
  try {
    statement = PrepareStatement(sql);
  } catch (const EStorageError& e) {
    // SQLite reports some refusals of the authorizer as plain errors.
    if (e.Kind() == ErrorKind::Permission || denied_)
      throw EStorageError(ErrorKind::Permission, e.EngineCode(), "refused: " + e.Utf8Message());
    throw;
  }
  if (!statement->ReadOnly()) throw EStorageError(ErrorKind::Permission, "", "refused: the statement writes");
  try {
    return statement->Run(params, Limits().maxRows);
  } catch (const EStorageError& e) {
    if (e.Kind() == ErrorKind::Limit && e.EngineCode() == std::to_string(SQLITE_INTERRUPT))
      throw EStorageError(ErrorKind::Limit, e.EngineCode(), "the query was stopped at its time-out");
    throw;
  }
}

// --- schema --------------------------------------------------------------------------

std::string SqliteConnection::SchemaName(const std::string& company) const {
  return company.empty() ? "main" : company;
}

bool SqliteConnection::TableExists(const std::string& schema, const std::string& table) {
  Result r = Execute("SELECT 1 FROM " + schema + ".sqlite_schema WHERE type = 'table' AND name = ? COLLATE NOCASE",
                     {table});
  return !r.rows.empty();
}

std::string SqliteConnection::ColumnSql(const ColumnDef& column) const {
  std::string sql = column.name;
  switch (column.type) {
    case ColumnType::Text:
    case ColumnType::Memo: sql += " TEXT"; break;
    case ColumnType::Integer: sql += " INTEGER"; break;
    case ColumnType::Float: sql += " REAL"; break;
    case ColumnType::Blob: sql += " BLOB"; break;
  }
  if (!column.nullable) sql += " NOT NULL";
  if (column.defaultValue) {
    sql += " DEFAULT " + SqlLiteral(*column.defaultValue, Engine::Sqlite);
  } else if (!column.nullable) {
    switch (column.type) {
      case ColumnType::Text:
      case ColumnType::Memo: sql += " DEFAULT ''"; break;
      case ColumnType::Integer: sql += " DEFAULT 0"; break;
      case ColumnType::Float: sql += " DEFAULT 0.0"; break;
      case ColumnType::Blob: sql += " DEFAULT X''"; break;
    }
  }
  if (column.type == ColumnType::Text || column.type == ColumnType::Memo) sql += " COLLATE BINARY";
  // PostgreSQL's VARCHAR(n) refuses more than n characters; so does this.
  if (column.type == ColumnType::Text)
    sql += " CHECK (length(" + column.name + ") <= " + std::to_string(column.size) + ")";
  return sql;
}

// STRICT: a value the column's type cannot hold is refused, as on PostgreSQL.
std::string SqliteConnection::TableOptionsSql() const { return " STRICT"; }

std::string SqliteConnection::CreateIndexSql(const std::string& schema, const TableDef& table,
                                             const IndexDef& index) const {
  std::string sql = std::string(index.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + schema + "." +
                    index.name + " ON " + table.name + " (";
  for (std::size_t i = 0; i < index.columns.size(); ++i) sql += (i ? ", " : "") + index.columns[i];
  return sql + ")";
}

}  // namespace storage
