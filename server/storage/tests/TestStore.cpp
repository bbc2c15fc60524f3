#include "server/storage/tests/TestStore.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "server/storage/OpenStorage.h"

namespace storage::testing {

namespace {

// A connection to another database of the cluster the URL names.
PGconn* ConnectTo(const std::string& url, const char* database) {
  const char* keywords[] = {"dbname", "dbname", nullptr};
  const char* values[] = {url.c_str(), database, nullptr};
  PGconn* conn = PQconnectdbParams(keywords, values, 1);
  if (PQstatus(conn) != CONNECTION_OK) {
    std::string message = PQerrorMessage(conn);
    PQfinish(conn);
    throw std::runtime_error("cannot reach the test cluster: " + message);
  }
  PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
  return conn;
}

bool Run(PGconn* conn, const std::string& sql, std::string* state = nullptr) {
  PGresult* r = PQexec(conn, sql.c_str());
  bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
  if (!ok && state) {
    const char* s = PQresultErrorField(r, PG_DIAG_SQLSTATE);
    *state = std::string(s ? s : "") + " " + PQerrorMessage(conn);
  }
  PQclear(r);
  return ok;
}

// The URL's connection options with another database, as a conninfo text.
std::string WithDatabase(const std::string& url, const std::string& database) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(url.c_str(), &error);
  if (!options) {
    std::string message = error ? error : "unparsable";
    PQfreemem(error);
    throw std::runtime_error("CORVANE_PG_URL: " + message);
  }
  auto quote = [](std::string_view v) {
    std::string out = "'";
    for (char c : v) {
      if (c == '\'' || c == '\\') out += '\\';
      out += c;
    }
    return out + "'";
  };
  std::string conninfo = "dbname=" + quote(database);
  for (PQconninfoOption* o = options; o->keyword; ++o)
    if (o->val && std::string_view(o->keyword) != "dbname") conninfo += " " + std::string(o->keyword) + "=" + quote(o->val);
  PQconninfoFree(options);
  return conninfo;
}

std::string TemplateName(const std::string& url) {
  PQconninfoOption* options = PQconninfoParse(url.c_str(), nullptr);
  std::string name;
  for (PQconninfoOption* o = options; o && o->keyword; ++o)
    if (std::string_view(o->keyword) == "dbname" && o->val) name = o->val;
  PQconninfoFree(options);
  if (name.empty()) throw std::runtime_error("CORVANE_PG_URL names no template database");
  return name;
}

}  // namespace

std::string TestStore::PostgresUrl() {
  const char* url = std::getenv("CORVANE_PG_URL");
  return url ? url : "";
}

std::unique_ptr<TestStore> TestStore::Create(Engine engine) {
  std::unique_ptr<TestStore> store(new TestStore());
  store->config_.engine = engine;
  store->config_.busyTimeout = std::chrono::milliseconds(5000);
  if (engine == Engine::Sqlite) {
    store->folder_ = std::make_unique<platform::testing::TempFolder>();
    store->config_.target = store->folder_->File("system.db");
    return store;
  }
  std::string url = PostgresUrl();
  if (url.empty()) return nullptr;
  static std::atomic<int> counter{0};
  store->database_ = "corvane_t" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
  PGconn* admin = ConnectTo(url, "postgres");
  std::string state;
  bool made = false;
  // Cloning fails while another session is connected to the template.
  for (int attempt = 0; attempt < 50 && !made; ++attempt) {
    made = Run(admin, "CREATE DATABASE " + store->database_ + " TEMPLATE " + TemplateName(url), &state);
    if (!made) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  PQfinish(admin);
  if (!made) throw std::runtime_error("cannot clone the template database: " + state);
  store->config_.target = WithDatabase(url, store->database_);
  return store;
}

TestStore::~TestStore() {
  if (database_.empty()) return;
  try {
    PGconn* admin = ConnectTo(PostgresUrl(), "postgres");
    Run(admin, "DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
    PQfinish(admin);
  } catch (...) {
    // The cluster is thrown away after the run anyway.
  }
}

std::unique_ptr<Connection> TestStore::Open() const { return OpenStorage(config_); }

std::unique_ptr<Connection> TestStore::Open(const StorageConfig& config) const { return OpenStorage(config); }

}  // namespace storage::testing
