// The application server on PostgreSQL, over loopback TCP, with the
// daemon's set-up (MakeServerContext, its default of four workers):
//
//  - slip saves per second with 1, 10 and 50 concurrent sessions. Every
//    session logs in over the wire on its own login connection, opens its
//    own "MarnoSrv.Class1" connection and connects to the demo company's
//    slip program; a save is one delta of a personnel change slip header
//    with one body row, applied through pvdMain's AS_ApplyUpdates (a new
//    slip: FLAG written 1, the save counter the optimistic check uses
//    later). The ratios are against the 1-session rate of the same run.
//  - the first packet of a 100,000-slip table: from the open request
//    (AS_GetRecords on pvdMain, no condition) to the first packet of
//    MAX_RECORD rows, against the same open on a 1,000-slip table; and the
//    two statements of that open run straight on the engine, to tell which
//    of them grows with the table.
//
// CORVANE_PG_URL names the cluster's template database (see
// scripts/pg-test-cluster.sh or bench/run-server-bench.sh); without it the
// program says so and ends with status 0. It works in a database of its
// own, cloned from the template and dropped at the end.
#include <libpq-fe.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Automation.h"
#include "platform/data/DataPacket.h"
#include "platform/data/Delta.h"
#include "platform/data/ProviderConnection.h"
#include "platform/data/ReconcileAnswer.h"
#include "platform/wire/TcpWireConnection.h"
#include "platform/wire/WireTcpServer.h"
#include "server/appserver/ServerSetup.h"
#include "server/core/SystemData.h"
#include "server/demo/DemoData.h"
#include "server/objects/Credential.h"
#include "server/objects/LoginObject.h"
#include "server/storage/OpenStorage.h"

namespace {

using platform::AnsiString;
using platform::OleCall;
using platform::Variant;
using platform::VarArrayOf;

constexpr const char* kAddress = "127.0.0.2";
constexpr const char* kProgram = "VORN21";  // the demo's slip program
constexpr const char* kUser = "admin";      // every right on every slip
constexpr const char* kPassword = "admin";
constexpr int kMaxSessions = 50;

// The companies: where the saves go, and the two tables of slips to open.
struct BenchCompany {
  const char* id;
  const char* database;
  int slips;  // 0: the demo's own slips
};
constexpr BenchCompany kSaves{"DEMO", "demo", 0};
constexpr BenchCompany kSmall{"SMALL", "small", 1000};
constexpr BenchCompany kLarge{"LARGE", "large", 100000};

// --- a database of our own on the cluster ------------------------------------

// The URL with another database name in place of the template's.
std::string WithDatabase(const std::string& url, const std::string& database) {
  std::size_t query = url.find('?');
  std::string tail = query == std::string::npos ? "" : url.substr(query);
  std::string head = url.substr(0, query);
  std::size_t slash = head.rfind('/');
  if (slash == std::string::npos || slash < head.find("//") + 2)
    throw std::runtime_error("CORVANE_PG_URL does not name a database: " + url);
  return head.substr(0, slash + 1) + database + tail;
}

std::string TemplateName(const std::string& url) {
  std::string head = url.substr(0, url.find('?'));
  return head.substr(head.rfind('/') + 1);
}

void AdminStatement(const std::string& url, const std::string& sql) {
  PGconn* admin = PQconnectdb(WithDatabase(url, "postgres").c_str());
  if (PQstatus(admin) != CONNECTION_OK) {
    std::string message = PQerrorMessage(admin);
    PQfinish(admin);
    throw std::runtime_error("cannot connect to the cluster: " + message);
  }
  PGresult* r = PQexec(admin, sql.c_str());
  bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
  std::string message = ok ? "" : PQresultErrorMessage(r);
  PQclear(r);
  PQfinish(admin);
  if (!ok) throw std::runtime_error(sql + ": " + message);
}

// Writes the demo data: the demo company (where the saves go) and two
// companies that differ only in their number of slips.
void Seed(const storage::StorageConfig& config) {
  auto db = storage::OpenStorage(config);
  demo::DemoOptions saves;
  saves.companyId = kSaves.id;
  saves.database = kSaves.database;
  demo::SeedDemo(*db, saves);
  for (const BenchCompany* c : {&kSmall, &kLarge}) {
    demo::DemoOptions options;
    options.companyId = c->id;
    options.database = c->database;
    demo::SeedCompany(*db, options);
    server::AddCompany(*db, c->id, c->database, c->id);
    server::GrantCompany(*db, kUser, c->database);
    db->UseCompany(c->database);
    // Slips of the 300 demo employees, one a day each, all approved.
    db->Execute("DELETE FROM PALTZ");
    db->Execute("DELETE FROM PALTE");
    db->Execute(
        "INSERT INTO PALTE (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, MODIFIER, MODI_DATE, FLAG, TE001, TE002, TE003, "
        "TE004, TE005, TE006, TE007, TE008, TE009, TE010, TE011, TE012, TE013) "
        "SELECT '" + std::string(c->id) + "', 'admin', 'G01', '20250101000000000', '', '', 1, "
        "'E' || lpad(((i % 300) + 1)::text, 5, '0'), to_char(date '1990-01-01' + (i / 300), 'YYYYMMDD'), "
        "'0002', 'D01', 'D02', 'transfer', 'department', 'Head office', 'Sales', 'Y', "
        "to_char(date '1990-01-01' + (i / 300), 'YYYYMMDD'), 'approver', 'N' "
        "FROM generate_series(0, " + std::to_string(c->slips - 1) + ") AS g(i)");
    // What autovacuum does after a load, at once, so that the plans are the
    // ones of a settled table.
    db->Execute("ANALYZE PALTE");
    auto counted = db->Execute("SELECT COUNT(*) FROM PALTE");
    if (counted.rows.empty() || counted.rows[0][0].AsInteger() != c->slips)
      throw std::runtime_error(std::string("the slips of ") + c->database + " were not written");
  }
}

// --- the server and its sessions ---------------------------------------------

struct ServerSide {
  std::shared_ptr<server::ServerContext> context;
  std::unique_ptr<platform::WireTcpServer> tcp;
  int workers = 0;
};

ServerSide& Server() {
  static ServerSide side;
  return side;
}

std::shared_ptr<platform::WireConnection> Connect(const std::string& credential) {
  platform::WireClientOptions options;
  options.host = kAddress;
  options.port = Server().tcp->Port();
  options.credential = credential;
  return platform::ConnectWireTcp(options);
}

// One clerk's session: its own login, its own connection and server object.
struct Session {
  std::shared_ptr<platform::WireConnection> connection;
  Variant server;
  std::vector<platform::FieldMeta> fields;  // pvdMain's packet fields
  int number = 0;
  int saves = 0;   // slips made
  int stored = 0;  // saves answered without a refused row
};

Session OpenSession(const BenchCompany& company, int number) {
  auto login = Connect(server::LoginCredentialText(kUser));
  Variant loginObject(login->CreateObject("Corvane.Login"));
  std::string token = server::LogInOverWire(loginObject, kPassword);
  Session s;
  s.number = number;
  s.connection = Connect(server::SessionCredentialText(token));
  s.server = Variant(s.connection->CreateObject("MarnoSrv.Class1"));
  Variant args = VarArrayOf({kProgram, kUser, company.id, company.database, true});
  if (OleCall(s.server, "Connect", {platform::ByRef(args)}).AsInteger() != 0)
    throw std::runtime_error(std::string("Connect to ") + company.database + " was refused");
  platform::ProviderRequest request;
  request.params = VarArrayOf({"1=2", ""});
  Variant empty = OleCall(s.server, "AS_GetRecords", {"pvdMain", platform::ToVariant(request)});
  s.fields = platform::DataPacketFromVariant(empty).fields;
  return s;
}

std::vector<Session>& SaveSessions() {
  static std::vector<Session> sessions;
  return sessions;
}

std::map<int, Session>& OpenSessions() {
  static std::map<int, Session> sessions;
  return sessions;
}

// --- the save --------------------------------------------------------------------

// An inserted row of the fields with the given values, the rest Null.
platform::DeltaRow InsertedRow(const std::vector<platform::FieldMeta>& fields,
                               const std::vector<std::pair<const char*, std::string>>& values,
                               std::vector<platform::DeltaRow> details = {}) {
  platform::DeltaRow row;
  row.kind = platform::TUpdateKind::ukInsert;
  row.current.assign(fields.size(), platform::Null());
  row.changed.assign(fields.size(), true);
  for (const auto& [name, value] : values) {
    int at = platform::FindFieldMeta(fields, name);
    if (at < 0) throw std::runtime_error(std::string("no field ") + name + " in the slip packet");
    row.current[static_cast<std::size_t>(at)] = Variant(AnsiString(value.c_str()));
  }
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i].type == platform::ftDataSet) {
      row.current[i] = Variant();
      row.changed[i] = false;
      row.nested.push_back(std::move(details));
      details = {};
    }
  return row;
}

std::string Date(int daysAfter2030) {
  namespace chr = std::chrono;
  chr::year_month_day d{chr::sys_days(chr::year(2030) / 1 / 1) + chr::days(daysAfter2030)};
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
                static_cast<unsigned>(d.day()));
  return text;
}

// A new department-change slip of the session's employee with one body row.
platform::Delta SlipDelta(Session& s) {
  char employee[16], body[32];
  std::snprintf(employee, sizeof employee, "E%05d", s.number + 1);
  std::snprintf(body, sizeof body, "%02d%09d", s.number, s.saves);
  std::string date = Date(s.saves++);
  platform::Delta delta;
  delta.fields = s.fields;
  const auto& detailFields = s.fields[static_cast<std::size_t>(platform::FindFieldMeta(s.fields, "qryBody"))].nested;
  platform::DeltaRow detail = InsertedRow(
      detailFields, {{"TZ001", "0002"}, {"TZ002", body}, {"TZ003", "0001"}, {"TZ004", "D02"}, {"TZ005", "N"},
                     {"TZ006", "N"}, {"COMPANY", kSaves.id}, {"CREATOR", kUser}, {"USR_GROUP", "G01"}});
  delta.rows.push_back(InsertedRow(
      s.fields,
      {{"COMPANY", kSaves.id}, {"CREATOR", kUser}, {"USR_GROUP", "G01"}, {"CREATE_DATE", date + "090000000"},
       {"TE001", employee}, {"TE002", date}, {"TE003", "0002"}, {"TE004", "D01"}, {"TE005", "D02"},
       {"TE006", "transfer to sales"}, {"TE007", "department"}, {"TE008", "Head office"}, {"TE009", "Sales"},
       {"TE010", "N"}, {"TE011", date}, {"TE013", "N"}},
      {detail}));
  return delta;
}

void BM_SlipSave(benchmark::State& state) {
  Session& s = SaveSessions().at(static_cast<std::size_t>(state.thread_index()));
  for (auto _ : state) {
    platform::Delta delta = SlipDelta(s);
    std::string refused;
    try {
      auto answer = platform::ReconcileAnswerFromVariant(
          OleCall(s.server, "AS_ApplyUpdates", {"pvdMain", platform::ToVariant(delta), 0}));
      if (answer.errors.empty()) ++s.stored;
      else refused = answer.errors[0].message.ToUtf8();
    } catch (const std::exception& e) {
      refused = e.what();
    }
    if (!refused.empty()) {
      state.SkipWithError(("the save was refused: " + refused).c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}

// --- the first packet ------------------------------------------------------------

void BM_FirstPacket(benchmark::State& state) {
  Session& s = OpenSessions().at(static_cast<int>(state.range(0)));
  platform::ProviderRequest request;
  request.params = VarArrayOf({"All", ""});
  for (auto _ : state) {
    platform::DataPacket packet;
    try {
      packet = platform::DataPacketFromVariant(
          OleCall(s.server, "AS_GetRecords", {"pvdMain", platform::ToVariant(request)}));
    } catch (const std::exception& e) {
      state.SkipWithError((std::string("the open failed: ") + e.what()).c_str());
      break;
    }
    if (packet.rows.size() != 40 || !packet.moreRows) {
      state.SkipWithError("the first packet is not 40 rows with more to come");
      break;
    }
  }
}

// The two statements of that open, run straight on a storage connection of
// the company: the record count the first packet carries (GetRecCount),
// and the packet's rows in key order. They tell which part grows with the
// table.
std::map<int, std::unique_ptr<storage::Connection>>& Direct() {
  static std::map<int, std::unique_ptr<storage::Connection>> connections;
  return connections;
}

std::string SlipSelect() {
  for (const std::string& line : demo::SlipProgramSettings())
    if (line.rfind("M11_SELECT=", 0) == 0) return line.substr(11);
  throw std::runtime_error("the slip program has no M11_SELECT");
}

void RunStatement(benchmark::State& state, const std::string& sql, std::size_t rows) {
  storage::Connection& db = *Direct().at(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    storage::Result r = db.Execute(sql);
    if (r.rows.size() != rows) {
      state.SkipWithError("the statement gave another number of rows");
      break;
    }
  }
}

void BM_CountStatement(benchmark::State& state) {
  RunStatement(state, "SELECT COUNT(*) AS REC_COUNT FROM (" + SlipSelect() + ") COUNTED", 1);
}

void BM_PageStatement(benchmark::State& state) {
  RunStatement(state, SlipSelect() + " ORDER BY PALTE.TE001, PALTE.TE002, PALTE.TE003 LIMIT 41 OFFSET 0", 41);
}

BENCHMARK(BM_SlipSave)->Threads(1)->Threads(10)->Threads(kMaxSessions)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPacket)->Arg(kSmall.slips)->Arg(kLarge.slips)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountStatement)->Arg(kSmall.slips)->Arg(kLarge.slips)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageStatement)->Arg(kSmall.slips)->Arg(kLarge.slips)->UseRealTime()->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration (the median of the repetitions
// when there are several) to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that a saved log reads plainly.
  RatioReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      if (run.run_type == Run::RT_Iteration && !times_.count(run.run_name.str()))
        times_[run.run_name.str()] = seconds;
      else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        times_[run.run_name.str()] = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\nslip saves per second (header + one body row per save, %d workers; median):\n", Server().workers);
    const double* base = Find("BM_SlipSave/real_time/threads:1");
    for (int n : {1, 10, kMaxSessions}) {
      const double* t = Find("BM_SlipSave/real_time/threads:" + std::to_string(n));
      if (!t || *t <= 0) continue;
      std::printf("  %2d session(s): %7.0f saves/s", n, 1.0 / *t);
      if (base) std::printf("   ratio to 1 session: %.2f", *base / *t);
      std::printf("\n");
    }
    std::printf("\nthe open of pvdMain, %d slips against %d (median):\n", kLarge.slips, kSmall.slips);
    const std::pair<const char*, const char*> opens[] = {
        {"BM_FirstPacket", "first packet of 40 rows, over TCP"},
        {"BM_CountStatement", "its record count, on the engine"},
        {"BM_PageStatement", "its 41 rows in key order, on the engine"},
    };
    for (const auto& [name, label] : opens) {
      const double* small = Find(std::string(name) + "/" + std::to_string(kSmall.slips) + "/real_time");
      const double* large = Find(std::string(name) + "/" + std::to_string(kLarge.slips) + "/real_time");
      if (!small || !large || *small <= 0) continue;
      std::printf("  %-40s %8.2f ms against %6.2f ms: ratio %.1f\n", label, *large * 1e3, *small * 1e3,
                  *large / *small);
    }
  }

 private:
  const double* Find(const std::string& name) const {
    auto it = times_.find(name);
    return it == times_.end() ? nullptr : &it->second;
  }
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  const char* url = std::getenv("CORVANE_PG_URL");
  if (!url || !*url) {
    std::printf("server_bench: CORVANE_PG_URL is not set, nothing measured "
                "(bench/run-server-bench.sh starts a throwaway cluster and runs it)\n");
    return 0;
  }
  // As in wire_bench: interleaved repetitions, medians; flags given on the
  // command line come later and win.
  std::vector<char*> args{argv[0]};
  std::string repetitions = "--benchmark_repetitions=5";
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::string aggregates = "--benchmark_report_aggregates_only=true";
  args.push_back(repetitions.data());
  args.push_back(interleave.data());
  args.push_back(aggregates.data());
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  argc = static_cast<int>(args.size());
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  const std::string database = "corvane_bench_" + std::to_string(::getpid());
  int status = 0;
  try {
    AdminStatement(url, "CREATE DATABASE " + database + " TEMPLATE " + TemplateName(url));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "server_bench: %s\n", e.what());
    return 1;
  }
  try {
    server::AppServerOptions options;
    options.storage.engine = storage::Engine::Postgres;
    options.storage.target = WithDatabase(url, database);
    options.address = kAddress;
    options.port = 0;
    std::printf("server_bench: writing the demo data and %d + %d slips...\n", kSmall.slips, kLarge.slips);
    std::fflush(stdout);
    Seed(options.storage);

    ServerSide& side = Server();
    side.context = server::MakeServerContext(options);
    side.workers = options.workers;
    platform::WireTcpServerOptions tcp;
    tcp.address = options.address;
    tcp.port = options.port;
    tcp.workerThreads = options.workers;
    side.tcp = std::make_unique<platform::WireTcpServer>(server::MakeWireServerConfig(side.context), tcp);
    side.tcp->Start();
    for (int i = 0; i < kMaxSessions; ++i) SaveSessions().push_back(OpenSession(kSaves, i));
    OpenSessions().emplace(kSmall.slips, OpenSession(kSmall, 0));
    OpenSessions().emplace(kLarge.slips, OpenSession(kLarge, 0));
    for (const BenchCompany* c : {&kSmall, &kLarge}) {
      auto db = storage::OpenStorage(options.storage);
      db->UseCompany(c->database);
      Direct().emplace(c->slips, std::move(db));
    }

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();

    // Every save that was answered without a refused row is in the table.
    long answered = 0;
    for (const Session& s : SaveSessions()) answered += s.stored;
    auto db = storage::OpenStorage(options.storage);
    db->UseCompany(kSaves.database);
    auto counted = db->Execute("SELECT COUNT(*) FROM PALTE WHERE TE002 >= '20300101'");
    auto bodies = db->Execute("SELECT COUNT(*) FROM PALTZ WHERE TZ001 = '0002' AND TZ003 = '0001'");
    long headers = counted.rows.empty() ? -1 : static_cast<long>(counted.rows[0][0].AsInteger());
    long details = bodies.rows.empty() ? -1 : static_cast<long>(bodies.rows[0][0].AsInteger());
    if (headers != answered || details != answered) {
      std::fprintf(stderr, "server_bench: %ld saves were answered, but %ld slips and %ld body rows are stored\n",
                   answered, headers, details);
      status = 1;
    } else {
      std::printf("\nall %ld saves are stored (header and body row each)\n", answered);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "server_bench: %s\n", e.what());
    status = 1;
  }
  SaveSessions().clear();
  OpenSessions().clear();
  Direct().clear();
  if (Server().tcp) Server().tcp->Stop();
  Server().tcp.reset();
  Server().context.reset();
  try {
    AdminStatement(url, "DROP DATABASE IF EXISTS " + database + " WITH (FORCE)");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "server_bench: %s\n", e.what());
  }
  benchmark::Shutdown();
  return status;
}
