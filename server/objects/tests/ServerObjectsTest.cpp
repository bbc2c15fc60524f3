// The server suite: the application-server objects over both transports
// (in-process and TCP on 127.0.0.2) and both engines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/Automation.h"
#include "platform/DispatchTable.h"
#include "platform/ProgramController.h"
#include "platform/data/DataPacket.h"
#include "platform/data/Delta.h"
#include "platform/data/ProviderConnection.h"
#include "platform/data/ReconcileAnswer.h"
#include "platform/data/SocketConnection.h"
#include "platform/wire/SessionCredential.h"
#include "platform/wire/InProcessWireConnection.h"
#include "platform/wire/TcpWireConnection.h"
#include "platform/wire/WireCodec.h"
#include "platform/wire/WireFrame.h"
#include "platform/wire/WireErrors.h"
#include "platform/wire/WireTcpServer.h"
#include "server/core/Sessions.h"
#include "server/core/SystemData.h"
#include "server/objects/Credential.h"
#include "server/objects/LoginObject.h"
#include "server/objects/ServerContext.h"
#include "server/storage/tests/TestStore.h"

namespace server {
namespace {

using platform::AnsiString;
using platform::OleCall;
using platform::Variant;
using platform::VarArrayOf;
using storage::ColumnDef;
using storage::ColumnType;
using storage::Engine;
using storage::testing::TestStore;

enum class Transport { InProcess, Tcp };

std::shared_ptr<storage::Catalogue> TestCatalogue() {
  auto c = std::make_shared<storage::Catalogue>();
  auto text = [](const char* n, int size, bool key = false) { return ColumnDef{n, ColumnType::Text, size, false, key}; };
  ColumnDef flag{"FLAG", ColumnType::Float};
  c->tables.push_back({"DOCH",
                       {text("DOC_NO", 10, true), text("EMP", 10), text("NOTE", 20), text("MODIFIER", 10),
                        text("MODI_DATE", 17), flag}});
  c->tables.push_back({"DOCD", {text("DOC_NO", 10, true), text("SEQ", 4, true), text("ITEM", 8), flag}});
  c->tables.push_back({"EMP", {text("EMP_ID", 10, true), text("EMP_NAME", 20)}});
  c->tables.push_back({"ATTACH", {text("Parent", 10, true), text("KeyValues", 255, true), text("CompanyID", 10)}});
  c->tables.push_back({"ADMNH", {text("NH001", 10, true), ColumnDef{"NH003", ColumnType::Memo}}});
  return c;
}

const char* kFullRights = "0,0,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY";

// A company service that tells what it was bound to.
class Probe : public platform::Dispatchable<Probe> {
 public:
  explicit Probe(company::CompanySessionPtr session) : session_(std::move(session)) {}
  static const platform::DispatchTable<Probe>& AutomationMembers() {
    static const auto table = platform::DispatchTable<Probe>("Probe").Method("Who", &Probe::Who);
    return table;
  }
  AnsiString Who() {
    auto r = session_->Db().Execute("SELECT COUNT(*) FROM DOCH");
    return AnsiString((session_->userId + "@" + session_->companyId + "/" + session_->database + ":" +
                       std::to_string(r.rows[0][0].AsInteger())).c_str());
  }

 private:
  company::CompanySessionPtr session_;
};

// The menu's rights mask from the fourth comma field of POWER_DATA.
TEST(ProgramRightsMask, ReadsTheProgramRightsField) {
  struct Case {
    const char* powerData;
    int mask;
  } cases[] = {
      {"0,0,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY", platform::kAllRights},
      {"0,0,N,YNNNNYRRNNNN,YNNNNNN,YNNNNNN", platform::kRightQuery | platform::kRightPrint},
      {"0,0,Y,yYYNNYYYYYYN", platform::kRightQuery | platform::kRightEdit | platform::kRightDelete |
                                 platform::kRightPrint | platform::kRightAdd},
      {"0,0,N,NNNNNNNNNNNY,YYYYYYY", platform::kRightInvalid},
      {"0,0,N,NNNY", platform::kRightConfirm},  // a short field grants only what it holds
      {"0,0,N,,YYYYYYY", 0},
      {"0,0,N", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ProgramRightsMask(c.powerData), c.mask) << c.powerData;
}

struct Param {
  Engine engine;
  Transport transport;
};

class ServerSuite : public ::testing::TestWithParam<Param> {
 protected:
  void SetUp() override {
    store_ = TestStore::Create(GetParam().engine);
    if (!store_) {
      const char* ci = std::getenv("CI");
      if (ci && std::string_view(ci) == "true")
        FAIL() << "CORVANE_PG_URL is not set: the PostgreSQL half of the suite cannot run";
      GTEST_SKIP() << "CORVANE_PG_URL is not set; start a cluster with scripts/pg-test-cluster.sh";
    }
    auto catalogue = TestCatalogue();
    db_ = store_->Open();
    CreateSystemSchema(*db_);
    for (const char* company : {"halden", "vorn"}) {
      db_->CreateCompany(company);
      db_->ApplySchema(*catalogue, company);
    }
    AddCompany(*db_, "C01", "halden", "Halden");
    AddCompany(*db_, "C02", "vorn", "Vorn");
    AddUser(*db_, "clerk", "pw1", "Clerk", "G01");
    AddUser(*db_, "reader", "pw2", "Reader", "G02");
    GrantCompany(*db_, "clerk", "halden");
    GrantCompany(*db_, "reader", "halden");
    StoreProgram(*db_, "TST01", "Test documents",
                 {"M11_TABLE=DOCH", "M11_KEY=DOC_NO",
                  "M11_SELECT=SELECT DOCH.*, E.EMP_NAME AS EMPC FROM DOCH LEFT JOIN EMP E ON E.EMP_ID=DOCH.EMP",
                  "D11_TABLE=DOCD", "D11_KEY=DOC_NO,SEQ", "MAX_RECORD=3"});
    StoreProgram(*db_, "TST02", "Large packets", {"M11_TABLE=DOCH", "M11_KEY=DOC_NO", "MAX_RECORD=99"});
    StoreRights(*db_, "clerk", "TST01", {kFullRights, "", "'G01'", ""});
    StoreRights(*db_, "clerk", "TST02", {kFullRights, "", "'G01'", ""});
    StoreRights(*db_, "reader", "TST01", {"0,0,N,YNNNNNNNNNNN", "", "'G02'", ""});
    StoreMessage(*db_, "E/300002", "Changed by someone else");
    db_->UseCompany("halden");
    db_->Execute("INSERT INTO EMP (EMP_ID, EMP_NAME) VALUES ('E1', 'Ann')");
    for (int i = 1; i <= 7; ++i) {
      std::string no = "000" + std::to_string(i);
      db_->Execute("INSERT INTO DOCH (DOC_NO, EMP, NOTE, FLAG) VALUES (?, 'E1', ?, 1)", {no, i % 2 ? "odd" : "even"});
      for (int s = 1; s <= i % 3; ++s)
        db_->Execute("INSERT INTO DOCD (DOC_NO, SEQ, ITEM, FLAG) VALUES (?, ?, 'item', 1)", {no, "S" + std::to_string(s)});
    }
    db_->UseCompany("vorn");
    db_->Execute("INSERT INTO DOCH (DOC_NO, NOTE, FLAG) VALUES ('V1', 'secret', 1)");

    ServerSettings settings{store_->Config(), catalogue, false};
    settings.companyServices.push_back({"Com_Probe", [](company::CompanySessionPtr s) {
                                          return platform::AutoObjectPtr(std::make_shared<Probe>(std::move(s)));
                                        }});
    context_ = std::make_shared<ServerContext>(settings);
    config_ = MakeWireServerConfig(context_);
    if (GetParam().transport == Transport::Tcp) {
      platform::WireTcpServerOptions options;
      options.address = "127.0.0.2";
      options.port = 0;
      options.workerThreads = 2;
      tcp_ = std::make_unique<platform::WireTcpServer>(config_, options);
      tcp_->Start();
    }
  }

  std::shared_ptr<platform::WireConnection> Open(const std::string& credential) {
    platform::WireClientOptions options;
    options.credential = credential;
    if (!tcp_) return platform::ConnectWireInProcess(config_, options);
    options.host = "127.0.0.2";
    options.port = tcp_->Port();
    return platform::ConnectWireTcp(options);
  }

  std::string Token(const char* user, const char* password) {
    LoginResult r = LogIn(*db_, user, password);
    EXPECT_TRUE(r.ok);
    return r.token;
  }

  // A connected "MarnoSrv.Class1" of the user for the program.
  Variant Server(std::shared_ptr<platform::WireConnection>& keep, const char* user = "clerk",
                 const char* password = "pw1", const char* program = "TST01") {
    keep = Open(SessionCredentialText(Token(user, password)));
    Variant server(keep->CreateObject("MarnoSrv.Class1"));
    Variant args = VarArrayOf({program, user, "C01", "HALDEN", true});
    EXPECT_EQ(OleCall(server, "Connect", {platform::ByRef(args)}).AsInteger(), 0);
    return server;
  }

  static platform::DataPacket Open(const Variant& server, const char* where, const char* order = "") {
    platform::ProviderRequest request;
    request.params = VarArrayOf({where, order});
    return platform::DataPacketFromVariant(
        OleCall(server, "AS_GetRecords", {"pvdMain", platform::ToVariant(request)}));
  }

  static std::vector<std::string> Column(const platform::DataPacket& p, const char* name) {
    int at = platform::FindFieldMeta(p.fields, name);
    std::vector<std::string> out;
    for (const auto& row : p.rows) out.push_back(row.values[at].AsString().ToUtf8());
    return out;
  }

  static platform::ReconcileAnswer Apply(const Variant& server, const platform::Delta& delta, int maxErrors = 0) {
    return platform::ReconcileAnswerFromVariant(
        OleCall(server, "AS_ApplyUpdates", {"pvdMain", platform::ToVariant(delta), maxErrors}));
  }

  std::string StoredText(const char* sql, std::initializer_list<storage::Value> params = {}) {
    db_->UseCompany("halden");
    auto r = db_->Execute(sql, params);
    std::string out;
    for (const auto& row : r.rows)
      for (const auto& v : row) out += (out.empty() ? "" : "|") + (v.IsNull() ? std::string("NULL") : v.Type() == storage::ValueType::Text ? v.AsText() : std::to_string(v.AsDouble()));
    return out;
  }

  std::unique_ptr<TestStore> store_;
  std::unique_ptr<storage::Connection> db_;
  std::shared_ptr<ServerContext> context_;
  std::shared_ptr<const platform::WireServerConfig> config_;
  std::unique_ptr<platform::WireTcpServer> tcp_;
};

// A delta row of the packet's fields from name=value pairs.
struct RowPlan {
  platform::TUpdateKind kind;
  std::vector<std::pair<std::string, Variant>> original, current;
  std::vector<RowPlan> details;
};

platform::DeltaRow MakeRow(const std::vector<platform::FieldMeta>& fields, const RowPlan& plan) {
  platform::DeltaRow row;
  row.kind = plan.kind;
  auto fill = [&](const std::vector<std::pair<std::string, Variant>>& values, std::vector<Variant>& out) {
    out.assign(fields.size(), platform::Null());
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (fields[i].type == platform::ftDataSet) out[i] = Variant();
    for (const auto& [name, value] : values) out[platform::FindFieldMeta(fields, AnsiString(name.c_str()))] = value;
  };
  if (plan.kind != platform::TUpdateKind::ukInsert) fill(plan.original, row.original);
  if (plan.kind != platform::TUpdateKind::ukDelete) {
    fill(plan.kind == platform::TUpdateKind::ukModify ? plan.original : plan.current, row.current);
    row.changed.assign(fields.size(), plan.kind == platform::TUpdateKind::ukInsert);
    for (const auto& [name, value] : plan.current) {
      int at = platform::FindFieldMeta(fields, AnsiString(name.c_str()));
      row.current[at] = value;
      row.changed[at] = true;
    }
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (fields[i].type == platform::ftDataSet) row.changed[i] = false;
  }
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i].type == platform::ftDataSet) {
      std::vector<platform::DeltaRow> nested;
      for (const RowPlan& d : plan.details) nested.push_back(MakeRow(fields[i].nested, d));
      row.nested.push_back(nested);
    }
  return row;
}

platform::Delta MakeDelta(const platform::DataPacket& packet, const std::vector<RowPlan>& rows) {
  platform::Delta delta;
  delta.fields = packet.fields;
  for (const RowPlan& r : rows) delta.rows.push_back(MakeRow(packet.fields, r));
  return delta;
}

using platform::TUpdateKind;

TEST_P(ServerSuite, OnlyALoggedInSessionGetsObjects) {
  struct Case {
    const char* name;
    std::string credential;
  } refused[] = {
      {"no credential", ""},
      {"garbage", "hello"},
      {"unknown token", SessionCredentialText("00ff")},
      {"test identity while not allowed", TestCredentialText("clerk")},
  };
  for (const Case& c : refused) EXPECT_THROW(Open(c.credential), platform::EWireRefused) << c.name;

  std::string token = Token("clerk", "pw1");
  LogOut(*db_, token);
  EXPECT_THROW(Open(SessionCredentialText(token)), platform::EWireRefused);

  // A login connection can only log in.
  auto login = Open(LoginCredentialText("clerk"));
  EXPECT_THROW(login->CreateObject("MarnoSrv.Class1"), platform::EWireFault);
  Variant loginObject(login->CreateObject("Corvane.Login"));
  EXPECT_THROW(LogInOverWire(loginObject, "wrong"), platform::EWireFault);
  std::string fresh = LogInOverWire(loginObject, "pw1");
  auto session = Open(SessionCredentialText(fresh));
  Variant server(session->CreateObject("MarnoSrv.Class1"));
  Variant args = VarArrayOf({"TST01", "clerk", "C01", "halden", true});
  EXPECT_EQ(OleCall(server, "Connect", {platform::ByRef(args)}).AsInteger(), 0);

  // The session object: who is logged in, the companies they may use, log-out.
  Variant me(session->CreateObject("Corvane.Session"));
  EXPECT_EQ(OleCall(me, "User")[0].AsString().ToUtf8(), "clerk");
  Variant companies = OleCall(me, "Companies");
  ASSERT_EQ(platform::VarArrayHighBound(companies, 1), 0) << "only the granted company";
  EXPECT_EQ(companies[0][0].AsString().ToUtf8(), "C01");
  EXPECT_EQ(companies[0][1].AsString().ToUtf8(), "halden");
  // The menu: the defined programs with a rights record of the user.
  Variant programs = OleCall(me, "Programs");
  ASSERT_EQ(platform::VarArrayHighBound(programs, 1), 1);
  EXPECT_EQ(programs[0][0].AsString().ToUtf8(), "TST01");
  EXPECT_EQ(programs[0][1].AsString().ToUtf8(), "Test documents");
  EXPECT_EQ(programs[0][2].AsInteger(), platform::kAllRights);
  EXPECT_EQ(programs[1][0].AsString().ToUtf8(), "TST02");
  {
    StoreRights(*db_, "reader", "TST02", {"0,0,N,NNNNNNNNNNNN", "", "'G02'", ""});
    auto reader = Open(SessionCredentialText(Token("reader", "pw2")));
    Variant readerPrograms = OleCall(Variant(reader->CreateObject("Corvane.Session")), "Programs");
    ASSERT_EQ(platform::VarArrayHighBound(readerPrograms, 1), 0) << "only the program whose rights record grants something";
    EXPECT_EQ(readerPrograms[0][0].AsString().ToUtf8(), "TST01");
    EXPECT_EQ(readerPrograms[0][2].AsInteger(), platform::kRightQuery);
  }
  OleCall(me, "LogOut");
  EXPECT_THROW(Open(SessionCredentialText(fresh)), platform::EWireRefused);
  EXPECT_THROW(OleCall(server, "Connect", {platform::ByRef(args)}), platform::EWireFault) << "the session has ended";
}

TEST_P(ServerSuite, ConnectRefusalsAreErrorValues) {
  auto connection = Open(SessionCredentialText(Token("clerk", "pw1")));
  Variant server(connection->CreateObject("MarnoSrv.Class1"));
  EXPECT_THROW(OleCall(server, "SvrData"), platform::EWireFault) << "before Connect";
  struct Case {
    const char* name;
    Variant args;
  } refused[] = {
      {"identity of another user", VarArrayOf({"TST01", "reader", "C01", "halden", true})},
      {"database not granted", VarArrayOf({"TST01", "clerk", "C02", "vorn", true})},
      {"company of another database", VarArrayOf({"TST01", "clerk", "C02", "halden", true})},
      {"unknown program", VarArrayOf({"NONE", "clerk", "C01", "halden", true})},
      {"too few values", VarArrayOf({"TST01", "clerk"})},
      {"not an array", Variant("TST01")},
  };
  for (Case& c : refused) {
    EXPECT_THROW(OleCall(server, "Connect", {platform::ByRef(c.args)}), platform::EWireFault) << c.name;
    EXPECT_THROW(OleCall(server, "GetRecCount"), platform::EWireFault) << c.name << ": still not connected";
  }
  Variant good = VarArrayOf({"TST01", "clerk", "C01", "Halden", "True"});
  EXPECT_EQ(OleCall(server, "Connect", {platform::ByRef(good)}).AsInteger(), 0);
}

TEST_P(ServerSuite, SvrDataAndWhatIs) {
  std::shared_ptr<platform::WireConnection> c1, c2;
  Variant server = Server(c1);
  std::string data = OleCall(server, "SvrData").AsString().ToUtf8();
  for (const char* line : {"USER_GROUP=G01\r\n", "GROUP_LIST='G01'\r\n", "POWER_DATA=0,0,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY\r\n",
                           "MAX_RECORD=3\r\n", "M11_TABLE=DOCH\r\n", "D11_KEY=DOC_NO,SEQ\r\n"})
    EXPECT_NE(data.find(line), std::string::npos) << line << " in " << data;
  Variant large = Server(c2, "clerk", "pw1", "TST02");
  std::string largeData = OleCall(large, "SvrData").AsString().ToUtf8();
  EXPECT_NE(largeData.find("MAX_RECORD=40\r\n"), std::string::npos);
  EXPECT_EQ(largeData.find("MAX_RECORD=99"), std::string::npos);

  std::string today = OleCall(server, "WhatIs", {"TODAY"}).AsString().ToUtf8();
  EXPECT_EQ(today, Today());
  EXPECT_EQ(OleCall(server, "Whatis", {"SQLTYPE"}).AsInteger(), 1);
  EXPECT_EQ(OleCall(server, "WHATIS", {"SEQNO"}).AsString().ToUtf8(), "");
  EXPECT_THROW(OleCall(server, "WhatIs", {"PASSWORD"}), platform::EWireFault);

  StoreFormat(*db_, "C01", "TST01", "<MT_User CompanyID=\"C01\" ProgID=\"TST01\"><Components /></MT_User>");
  Variant format = OleCall(server, "GetFormat", {"C01", "TST01"});
  EXPECT_EQ(format.Type(), platform::varOleStr);
  EXPECT_EQ(format.AsString().ToUtf8(), "<MT_User CompanyID=\"C01\" ProgID=\"TST01\"><Components /></MT_User>");
  EXPECT_EQ(OleCall(server, "GetFormat", {"C01", "TST02"}).AsString().ToUtf8(), "");
  EXPECT_THROW(OleCall(server, "GetFormat", {"C02", "TST01"}), platform::EWireFault) << "another company";
  Variant limited = OleCall(server, "GetBaseLimitedRecs", {"H11", "1=1", 12});
  EXPECT_EQ(limited[0].AsInteger(), 12);
  EXPECT_EQ(platform::VarArrayHighBound(limited[1], 1), -1);
}

TEST_P(ServerSuite, PacketsNestDetailsAndFollowOneAnother) {
  std::shared_ptr<platform::WireConnection> c;
  Variant server = Server(c);
  platform::DataPacket first = Open(server, "All");
  EXPECT_EQ(OleCall(server, "GetRecCount").AsInteger(), 7);
  ASSERT_EQ(first.rows.size(), 3u);
  EXPECT_TRUE(first.moreRows);
  EXPECT_EQ(Column(first, "DOC_NO"), (std::vector<std::string>{"0001", "0002", "0003"}));
  EXPECT_EQ(Column(first, "EMPC"), (std::vector<std::string>{"Ann", "Ann", "Ann"}));
  int nested = platform::FindFieldMeta(first.fields, "qryBody");
  ASSERT_GE(nested, 0);
  EXPECT_EQ(first.fields[nested].type, platform::ftDataSet);
  EXPECT_TRUE(first.fields[platform::FindFieldMeta(first.fields, "DOC_NO")].Has(platform::mfKey));
  EXPECT_TRUE(first.fields[platform::FindFieldMeta(first.fields, "EMPC")].Has(platform::mfReadOnly));
  // Document i has i % 3 detail rows.
  for (std::size_t i = 0; i < first.rows.size(); ++i) EXPECT_EQ(first.rows[i].nested[0].size(), (i + 1) % 3) << i;

  // The following packets, by the key of the last row held.
  std::vector<std::string> all = Column(first, "DOC_NO");
  platform::DataPacket packet = first;
  while (packet.moreRows) {
    platform::ProviderRequest next;
    next.params = VarArrayOf({"All", ""});
    next.rowsFetched = static_cast<int>(all.size());
    next.lastKey = VarArrayOf({Variant(AnsiString(all.back().c_str()))});
    packet = platform::DataPacketFromVariant(OleCall(server, "AS_GetNextPacket", {"pvdMain", platform::ToVariant(next)}));
    for (const auto& no : Column(packet, "DOC_NO")) all.push_back(no);
    ASSERT_LE(all.size(), 7u);
  }
  EXPECT_EQ(all, (std::vector<std::string>{"0001", "0002", "0003", "0004", "0005", "0006", "0007"}));

  struct Case {
    const char* name;
    const char* where;
    const char* order;
    int count;
    std::vector<std::string> firstKeys;
  } cases[] = {
      {"empty set before an add", "1=2", "DOC_NO", 0, {}},
      {"condition on a joined alias", "E.EMP_NAME = 'Ann' AND DOCH.NOTE = 'even'", "", 3, {"0002", "0004", "0006"}},
      {"descending order", "", "DOCH.DOC_NO desc", 7, {"0007", "0006", "0005"}},
      {"order completed with the key", "DOCH.NOTE = 'odd'", "DOCH.NOTE", 4, {"0001", "0003", "0005"}},
      {"$$ prefix", "DOCH.DOC_NO IN (SELECT DOC_NO FROM $$DOCD)", "", 5, {"0001", "0002", "0004"}},
  };
  for (const Case& k : cases) {
    platform::DataPacket p = Open(server, k.where, k.order);
    EXPECT_EQ(OleCall(server, "GetRecCount").AsInteger(), k.count) << k.name;
    EXPECT_EQ(Column(p, "DOC_NO"), k.firstKeys) << k.name;
  }

  OleCall(server, "SetTopRow", {5});
  Open(server, "All");
  EXPECT_EQ(OleCall(server, "GetRecCount").AsInteger(), 5);
}

TEST_P(ServerSuite, HostileStatementsGetErrorValuesAndTheServerGoesOn) {
  std::shared_ptr<platform::WireConnection> c;
  Variant server = Server(c);
  const char* wheres[] = {
      "1=1; DELETE FROM DOCH",
      "DOCH.DOC_NO IN (SELECT DOC_NO FROM vorn..DOCH)",
      "DOCH.DOC_NO IN (SELECT USER_ID FROM SYS_USER)",
      "DOCH.DOC_NO = 'unterminated",
  };
  for (const char* where : wheres) EXPECT_THROW(Open(server, where), platform::EWireFault) << where;
  struct SqlCase {
    const char* name;
    Variant args;
  } sqls[] = {
      {"delete", VarArrayOf({"DELETE FROM DOCH", "", "halden", "N"})},
      {"update", VarArrayOf({"UPDATE DOCH SET NOTE = 'x'", "", "halden", "N"})},
      {"two statements", VarArrayOf({"SELECT 1; DROP TABLE DOCH", "", "halden", "N"})},
      {"another company", VarArrayOf({"SELECT NOTE FROM vorn..DOCH", "NOTE", "halden", "N"})},
      {"another database named", VarArrayOf({"SELECT NOTE FROM $$DOCH", "NOTE", "vorn", "N"})},
      {"system data", VarArrayOf({"SELECT PW_HASH FROM SYS_USER", "PW_HASH", "halden", "N"})},
  };
  for (SqlCase& s : sqls) EXPECT_THROW(OleCall(server, "SimpleSql", {s.args}), platform::EWireFault) << s.name;
  // Unknown members and wrong argument counts.
  EXPECT_THROW(OleCall(server, "DropEverything"), platform::EWireFault);
  EXPECT_THROW(OleCall(server, "WhatIs", {"TODAY", "extra"}), platform::EWireFault);
  EXPECT_THROW(OleCall(server, "GetBaseLimitedRecs", {"H11"}), platform::EWireFault);
  EXPECT_THROW(OleCall(server, "AS_GetRecords", {"pvdNone", Variant()}), platform::EWireFault);

  EXPECT_EQ(StoredText("SELECT COUNT(*) FROM DOCH"), "7.000000");
  Variant rows = OleCall(server, "SimpleSql",
                         {VarArrayOf({"select top 1 NOTE, DOC_NO AS No from $$DOCH (nolock) order by DOC_NO desc",
                                      "no,NOTE", "HALDEN", "N"})});
  EXPECT_EQ(rows[0][0].AsString().ToUtf8(), "0007");
  EXPECT_EQ(rows[0][1].AsString().ToUtf8(), "odd");
  EXPECT_EQ(OleCall(server, "GetRecCount").AsInteger(), 0);
}

TEST_P(ServerSuite, ApplyWritesHeaderAndDetailsTogether) {
  std::shared_ptr<platform::WireConnection> c;
  Variant server = Server(c);
  platform::DataPacket p = Open(server, "1=2", "DOC_NO");
  auto answer = Apply(server, MakeDelta(p, {{TUpdateKind::ukInsert, {},
                                              {{"DOC_NO", "N1"}, {"EMP", "E1"}, {"NOTE", "new"}},
                                              {{TUpdateKind::ukInsert, {}, {{"SEQ", "S1"}, {"ITEM", "a"}}},
                                               {TUpdateKind::ukInsert, {}, {{"SEQ", "S2"}, {"ITEM", "b"}}}}}}));
  EXPECT_TRUE(answer.errors.empty()) << answer;
  EXPECT_EQ(StoredText("SELECT NOTE, FLAG FROM DOCH WHERE DOC_NO = 'N1'"), "new|1.000000");
  EXPECT_EQ(StoredText("SELECT DOC_NO, SEQ, ITEM FROM DOCD WHERE DOC_NO = 'N1' ORDER BY SEQ"), "N1|S1|a|N1|S2|b");

  // A detail that cannot be written takes its whole document with it.
  answer = Apply(server, MakeDelta(p, {{TUpdateKind::ukInsert, {}, {{"DOC_NO", "N2"}, {"NOTE", "half"}},
                                        {{TUpdateKind::ukInsert, {}, {{"SEQ", "S1"}, {"ITEM", "fine"}}},
                                         {TUpdateKind::ukInsert, {}, {{"SEQ", "S2"}, {"ITEM", "far too long"}}}}}}));
  ASSERT_EQ(answer.errors.size(), 1u);
  EXPECT_TRUE(answer.rolledBack);
  EXPECT_EQ(answer.errors[0].path, (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(StoredText("SELECT COUNT(*) FROM DOCH WHERE DOC_NO = 'N2'"), "0.000000");
  EXPECT_EQ(StoredText("SELECT COUNT(*) FROM DOCD WHERE DOC_NO = 'N2'"), "0.000000");

  // With MaxErrors 0 the first refused row undoes the rows before it.
  answer = Apply(server, MakeDelta(p, {{TUpdateKind::ukInsert, {}, {{"DOC_NO", "N3"}}},
                                       {TUpdateKind::ukInsert, {}, {{"DOC_NO", "0001"}}}}));
  ASSERT_EQ(answer.errors.size(), 1u);
  EXPECT_EQ(answer.errors[0].path, std::vector<int>{1});
  EXPECT_NE(answer.errors[0].message.ToUtf8().find("0001"), std::string::npos) << answer;
  EXPECT_EQ(StoredText("SELECT COUNT(*) FROM DOCH WHERE DOC_NO = 'N3'"), "0.000000");

  // Deleting a header deletes its details.
  answer = Apply(server, MakeDelta(p, {{TUpdateKind::ukDelete, {{"DOC_NO", "N1"}, {"FLAG", 1.0}}, {}, {}}}));
  EXPECT_TRUE(answer.errors.empty()) << answer;
  EXPECT_EQ(StoredText("SELECT COUNT(*) FROM DOCD WHERE DOC_NO = 'N1'"), "0.000000");

  // Field names are checked before any statement is built.
  platform::Delta bad = MakeDelta(p, {{TUpdateKind::ukInsert, {}, {{"DOC_NO", "N4"}}}});
  bad.fields[1].name = "NOTE = NOTE; DROP TABLE DOCH; --";
  EXPECT_THROW(Apply(server, bad), platform::EWireFault);
  EXPECT_EQ(StoredText("SELECT COUNT(*) FROM DOCH"), "7.000000");
}

TEST_P(ServerSuite, SecondWriterOfARowGetsARowErrorAndNothingIsLost) {
  std::shared_ptr<platform::WireConnection> c1, c2;
  Variant first = Server(c1);
  Variant second = Server(c2);
  platform::DataPacket p = Open(first, "DOCH.DOC_NO = '0002'");
  Open(second, "DOCH.DOC_NO = '0002'");
  auto change = [&](const char* note) {
    return MakeDelta(p, {{TUpdateKind::ukModify, {{"DOC_NO", "0002"}, {"NOTE", "even"}, {"FLAG", 1.0}},
                          {{"NOTE", note}, {"FLAG", 2.0}}, {}}});
  };
  auto answer = Apply(first, change("first"));
  EXPECT_TRUE(answer.errors.empty()) << answer;
  answer = Apply(second, change("second"));
  ASSERT_EQ(answer.errors.size(), 1u);
  EXPECT_EQ(answer.errors[0].path, std::vector<int>{0});
  EXPECT_EQ(answer.errors[0].message.ToUtf8(), "Changed by someone else");
  EXPECT_EQ(StoredText("SELECT NOTE, FLAG, MODIFIER FROM DOCH WHERE DOC_NO = '0002'"), "first|2.000000|clerk");

  // A save that leaves FLAG alone still advances it.
  answer = Apply(first, MakeDelta(p, {{TUpdateKind::ukModify, {{"DOC_NO", "0002"}, {"NOTE", "first"}, {"FLAG", 2.0}},
                                       {{"NOTE", "again"}}, {}}}));
  EXPECT_TRUE(answer.errors.empty()) << answer;
  EXPECT_EQ(StoredText("SELECT FLAG FROM DOCH WHERE DOC_NO = '0002'"), "3.000000");
  // A delete with the stale counter is refused too.
  answer = Apply(second, MakeDelta(p, {{TUpdateKind::ukDelete, {{"DOC_NO", "0002"}, {"FLAG", 1.0}}, {}, {}}}));
  EXPECT_EQ(answer.errors.size(), 1u);
  EXPECT_EQ(StoredText("SELECT NOTE FROM DOCH WHERE DOC_NO = '0002'"), "again");
}

TEST_P(ServerSuite, RightsAndNumbering) {
  std::shared_ptr<platform::WireConnection> c1, c2;
  Variant reader = Server(c1, "reader", "pw2");
  platform::DataPacket p = Open(reader, "1=2");
  struct Case {
    const char* name;
    RowPlan row;
  } refused[] = {
      {"add", {TUpdateKind::ukInsert, {}, {{"DOC_NO", "R1"}}, {}}},
      {"edit", {TUpdateKind::ukModify, {{"DOC_NO", "0001"}, {"FLAG", 1.0}}, {{"NOTE", "x"}}, {}}},
      {"delete", {TUpdateKind::ukDelete, {{"DOC_NO", "0001"}, {"FLAG", 1.0}}, {}, {}}},
  };
  for (const Case& k : refused) EXPECT_EQ(Apply(reader, MakeDelta(p, {k.row})).errors.size(), 1u) << k.name;
  EXPECT_EQ(StoredText("SELECT COUNT(*), MIN(NOTE) FROM DOCH WHERE DOC_NO IN ('R1', '0001')"), "1.000000|odd");

  Variant clerk = Server(c2);
  OleCall(clerk, "SetIsSeq", {-1});
  auto answer = Apply(clerk, MakeDelta(p, {{TUpdateKind::ukInsert, {}, {{"DOC_NO", "0000"}},
                                            {{TUpdateKind::ukInsert, {}, {{"SEQ", "S1"}}}}}}));
  EXPECT_TRUE(answer.errors.empty()) << answer;
  EXPECT_EQ(OleCall(clerk, "WhatIs", {"SEQNO"}).AsString().ToUtf8(), "0008");
  EXPECT_EQ(StoredText("SELECT DOC_NO FROM DOCD WHERE SEQ = 'S1' AND DOC_NO = '0008'"), "0008");
  OleCall(clerk, "SetIsSeq", {0});
  answer = Apply(clerk, MakeDelta(p, {{TUpdateKind::ukInsert, {}, {{"DOC_NO", "X1"}}}}));
  EXPECT_TRUE(answer.errors.empty()) << answer;
  EXPECT_EQ(StoredText("SELECT COUNT(*) FROM DOCH WHERE DOC_NO = 'X1'"), "1.000000");
}

TEST_P(ServerSuite, SavedSchemes) {
  std::shared_ptr<platform::WireConnection> c;
  Variant server = Server(c);
  std::string text = "a\x07" "b\x08" "c\td\x03" "e\r\nf";
  Variant scheme = VarArrayOf({"mine", "clerk", "20240101", "TST01", Variant(AnsiString(text.c_str())), 1, false});
  EXPECT_EQ(OleCall(server, "InsertConTable", {scheme}).AsString().ToUtf8(), "");
  EXPECT_NE(OleCall(server, "InsertConTable", {scheme}).AsString().ToUtf8(), "") << "exists, not replaced";
  Variant other = VarArrayOf({"theirs", "reader", "20240101", "TST01", "x", 0, true});
  EXPECT_THROW(OleCall(server, "InsertConTable", {other}), platform::EWireFault) << "another user's name";
  OleCall(server, "LoadTable", {VarArrayOf({"clerk", "TST01"})});
  platform::ProviderRequest request;
  auto packet = platform::DataPacketFromVariant(OleCall(server, "AS_GetRecords", {"pvdConSave", platform::ToVariant(request)}));
  ASSERT_EQ(packet.rows.size(), 1u);
  EXPECT_EQ(packet.rows[0].values[3].AsString().ToUtf8(), text);
  EXPECT_EQ(OleCall(server, "ChangeConName", {VarArrayOf({"mine", "clerk", "TST01"}), VarArrayOf({"ours", "clerk", "TST01"})})
                .AsString().ToUtf8(), "");
  EXPECT_EQ(OleCall(server, "DeleteConTable", {VarArrayOf({"ours", "clerk", "TST01"})}).AsString().ToUtf8(), "");
  EXPECT_NE(OleCall(server, "DeleteConTable", {VarArrayOf({"ours", "clerk", "TST01"})}).AsString().ToUtf8(), "");
}

TEST_P(ServerSuite, TheModulesConnectionReachesTheInProcessServer) {
  if (GetParam().transport == Transport::Tcp) GTEST_SKIP() << "the address 127.0.0.1 is in-process";
  InstallInProcessServer(context_);
  platform::TSocketConnection connection(nullptr);
  connection.SetAddress("127.0.0.1");
  platform::SetSessionCredential("");
  EXPECT_THROW(connection.Open(), platform::EWireRefused) << "no login, no session";
  platform::SetSessionCredential(SessionCredentialText(Token("clerk", "pw1")));
  connection.Open();
  Variant args = VarArrayOf({"TST01", "clerk", "C01", "halden", true});
  EXPECT_EQ(OleCall(connection.AppServer(), "Connect", {platform::ByRef(args)}).AsInteger(), 0);
  platform::ProviderRequest request;
  request.params = VarArrayOf({"DOCH.NOTE = 'even'", ""});
  request.packetRecords = 0;  // the module's packet size when MAX_RECORD is missing: still rows
  platform::DataPacket packet = connection.OpenProvider("pvdMain", request);
  EXPECT_EQ(Column(packet, "DOC_NO"), (std::vector<std::string>{"0002", "0004", "0006"}));
  EXPECT_EQ(connection.RecordCount("pvdMain"), 3);
  connection.Close();
  // The look-up connection only connects.
  platform::TSocketConnection lookUp(nullptr);
  lookUp.SetAddress("127.0.0.1");
  lookUp.SetServerName("F2WindowS.Class1");
  lookUp.Open();
  EXPECT_TRUE(lookUp.Connected());
  lookUp.Close();
  platform::SetSessionCredential("");
  InstallInProcessServer(nullptr);
}

// Stands for a server object in the replies the raw client decodes.
class Placeholder : public platform::AutoObject {
 public:
  Variant Invoke(std::string_view, platform::InvokeKind, std::span<Variant>) override { return Variant(); }
};

// A client that speaks the wire by hand, so that it can vanish right after
// sending a call.
class RawClient : public platform::WireObjectMap {
 public:
  RawClient(unsigned short port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.2", &address.sin_addr);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawClient() override { Kill(); }
  bool Connected() const { return connected_; }
  void Send(const platform::WireMessage& message) {
    std::string body = codec_.Encode(message, this);
    std::string frame = platform::WireFrameHeader(body.size()) + body;
    for (std::size_t sent = 0; sent < frame.size();) {
      ssize_t n = ::write(fd_, frame.data() + sent, frame.size() - sent);
      if (n <= 0) throw std::runtime_error("write failed");
      sent += static_cast<std::size_t>(n);
    }
  }
  platform::WireMessage Receive() {
    std::string header = Read(4);
    std::size_t size = (std::size_t(std::uint8_t(header[0])) << 24) | (std::size_t(std::uint8_t(header[1])) << 16) |
                       (std::size_t(std::uint8_t(header[2])) << 8) | std::size_t(std::uint8_t(header[3]));
    return codec_.Decode(Read(size), this);
  }
  // Closes the socket at once, as a killed process's socket is closed.
  void Kill() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  platform::WireObjectRef HandleOf(const platform::AutoObjectPtr&) override {
    throw platform::EWireError("no objects are sent");
  }
  platform::AutoObjectPtr ObjectOf(const platform::WireObjectRef& ref) override {
    lastHandle = ref.handle;
    return std::make_shared<Placeholder>();
  }
  std::uint64_t lastHandle = 0;

 private:
  std::string Read(std::size_t n) {
    std::string out(n, '\0');
    for (std::size_t got = 0; got < n;) {
      ssize_t r = ::read(fd_, out.data() + got, n - got);
      if (r <= 0) throw std::runtime_error("read failed");
      got += static_cast<std::size_t>(r);
    }
    return out;
  }
  platform::WireCodec codec_;
  int fd_ = -1;
  bool connected_ = false;
};

TEST_P(ServerSuite, AClientKilledDuringAnApplyLeavesNoHalfDocument) {
  if (GetParam().transport != Transport::Tcp) GTEST_SKIP() << "needs a socket to cut";
  std::shared_ptr<platform::WireConnection> c;
  platform::DataPacket p = Open(Server(c), "1=2");
  std::vector<RowPlan> rows;
  for (int i = 0; i < 300; ++i)
    rows.push_back({TUpdateKind::ukInsert, {}, {{"DOC_NO", Variant(AnsiString(("K" + std::to_string(i)).c_str()))}},
                    {{TUpdateKind::ukInsert, {}, {{"SEQ", "S1"}}}, {TUpdateKind::ukInsert, {}, {{"SEQ", "S2"}}}}});
  platform::Delta delta = MakeDelta(p, rows);

  RawClient raw(tcp_->Port());
  ASSERT_TRUE(raw.Connected());
  raw.Send(platform::WireHello{platform::kWireProtocolVersion, platform::ProcessCodePage(),
                               SessionCredentialText(Token("clerk", "pw1"))});
  ASSERT_TRUE(std::holds_alternative<platform::WireWelcome>(raw.Receive()));
  raw.Send(platform::WireCall{1, 0, "CreateObject", platform::InvokeKind::Method, {"MarnoSrv.Class1"}, {}});
  ASSERT_TRUE(std::holds_alternative<platform::WireResult>(raw.Receive()));
  ASSERT_NE(raw.lastHandle, 0u);
  raw.Send(platform::WireCall{2, raw.lastHandle, "Connect", platform::InvokeKind::Method,
                              {VarArrayOf({"TST01", "clerk", "C01", "halden", true})}, {}});
  ASSERT_TRUE(std::holds_alternative<platform::WireResult>(raw.Receive()));
  raw.Send(platform::WireCall{3, raw.lastHandle, "AS_ApplyUpdates", platform::InvokeKind::Method,
                              {"pvdMain", platform::ToVariant(delta), 0}, {}});
  raw.Kill();
  // The server ends the session once the call in progress is over.
  for (int i = 0; i < 200 && tcp_->ConnectionCount() > 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  c.reset();
  for (int i = 0; i < 200 && tcp_->ConnectionCount() > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::string headers = StoredText("SELECT COUNT(*) FROM DOCH WHERE DOC_NO LIKE 'K%'");
  std::string details = StoredText("SELECT COUNT(*) FROM DOCD WHERE DOC_NO LIKE 'K%'");
  EXPECT_TRUE((headers == "0.000000" && details == "0.000000") || (headers == "300.000000" && details == "600.000000"))
      << headers << " headers, " << details << " details";
  // And the server goes on serving.
  std::shared_ptr<platform::WireConnection> again;
  EXPECT_EQ(Open(Server(again), "All").rows.size(), 3u);
}

TEST_P(ServerSuite, ColoursFollowTheProgramsDefinition) {
  db_->UseCompany("halden");
  db_->Execute("INSERT INTO ADMNH (NH001, NH003) VALUES ('TST01', ?)",
               {"<colormanager><head>"
                "<component name=\"gdHead\" enable=\"Y\">"
                "<condition value=\"DOCH.NOTE = 'odd' AND DOCH.DOC_NO &lt;&gt; '0001'\" colorx=\"255\" bkcolor=\"16777215\" msg=\"odd one\"/>"
                "<condition value=\"DOCH.DOC_NO IN (SELECT DOC_NO FROM $$DOCD)\" colorx=\"1\" bkcolor=\"2\"/>"
                "<condition value=\"1=1\" colorx=\"3\"/>"
                "</component>"
                "<component name=\"edNOTE\" enable=\"N\"><condition value=\"1=1\" colorx=\"1\" bkcolor=\"1\"/></component>"
                "</head><body><component name=\"gdBody1\" enable=\"Y\">"
                "<condition value=\"DOCD.SEQ = 'S2'\" colorx=\"9\" bkcolor=\"8\" bold=\"Y\"/></component></body>"
                "</colormanager>"});
  std::shared_ptr<platform::WireConnection> c;
  Variant server = Server(c);
  platform::ProviderRequest request;
  request.params = VarArrayOf({"All", ""});
  auto packet = platform::DataPacketFromVariant(OleCall(server, "AS_GetRecords", {"pvdColor", platform::ToVariant(request)}));
  EXPECT_EQ(platform::FindFieldMeta(packet.fields, "edNOTE"), -1) << "not enabled";
  EXPECT_EQ(Column(packet, "DOC_NO"), (std::vector<std::string>{"0001", "0002", "0003"}));
  EXPECT_EQ(Column(packet, "gdHead"),
            (std::vector<std::string>{"bkcolor=2;colorx=1;", "bkcolor=2;colorx=1;", "bkcolor=16777215;colorx=255;msg=odd one;"}));
  int nested = platform::FindFieldMeta(packet.fields, "qryBodyColor");
  ASSERT_GE(nested, 0);
  ASSERT_EQ(packet.rows[1].nested[0].size(), 2u);  // document 0002 has S1 and S2
  int body = platform::FindFieldMeta(packet.fields[nested].nested, "gdBody1");
  EXPECT_EQ(packet.rows[1].nested[0][0].values[body].AsString().ToUtf8(), "");
  EXPECT_EQ(packet.rows[1].nested[0][1].values[body].AsString().ToUtf8(), "bkcolor=8;colorx=9;bold=Y;");
}

TEST_P(ServerSuite, TransactionSqlRunsOnlyAttachmentDeletes) {
  db_->UseCompany("halden");
  for (const char* key : {"0001", "O'Hara", "0002"})
    db_->Execute("INSERT INTO ATTACH (Parent, KeyValues, CompanyID) VALUES ('TST01', ?, 'C01')", {key});
  std::shared_ptr<platform::WireConnection> c;
  Variant server = Server(c);
  auto run = [&](std::vector<Variant> statements) {
    return OleCall(server, "TransactionSQL", {VarArrayOf({VarArrayOf(statements), ""})});
  };
  const char* refused[] = {
      "DELETE FROM DOCH WHERE DOC_NO = '0001'",
      "DELETE FROM ATTACH",
      "DELETE FROM ATTACH WHERE Parent = 'TST01' OR 1 = 1",
      "DELETE FROM ATTACH WHERE Parent = 'TST01' AND KeyValues = 'O'Hara'",
      "DELETE FROM ATTACH WHERE Nothing = 'x'",
      "DELETE FROM vorn..ATTACH WHERE Parent = 'TST01'",
      "UPDATE ATTACH SET Parent = 'x' WHERE Parent = 'TST01'",
      "DELETE FROM ATTACH WHERE Parent = 'TST01'; DELETE FROM DOCH WHERE DOC_NO = '0001'",
  };
  for (const char* sql : refused) EXPECT_THROW(run({sql}), platform::EWireFault) << sql;
  // A refused statement stops the ones before it as well.
  EXPECT_THROW(run({" DELETE FROM ATTACH  WHERE Parent = 'TST01'        AND KeyValues = '0001' ", "DROP TABLE DOCH"}),
               platform::EWireFault);
  EXPECT_EQ(StoredText("SELECT COUNT(*) FROM ATTACH"), "3.000000");
  EXPECT_EQ(run({" DELETE FROM ATTACH  WHERE Parent = 'TST01'        AND CompanyID = 'C01'        AND KeyValues = '0001' ",
                 "DELETE FROM $$ATTACH WHERE KeyValues = 'O''Hara';"}).AsInteger(), 0);
  EXPECT_EQ(StoredText("SELECT KeyValues FROM ATTACH"), "0002");
  EXPECT_EQ(StoredText("SELECT COUNT(*) FROM DOCH"), "7.000000");
}

TEST_P(ServerSuite, CompanyServicesAreBoundToTheConnectedCompany) {
  auto connection = Open(SessionCredentialText(Token("clerk", "pw1")));
  Variant server(connection->CreateObject("MarnoSrv.Class1"));
  EXPECT_THROW(OleCall(server, "CreateService", {"Com_Probe"}), platform::EWireFault) << "before Connect";
  Variant args = VarArrayOf({"TST01", "clerk", "C01", "halden", true});
  OleCall(server, "Connect", {platform::ByRef(args)});
  Variant probe = OleCall(server, "CreateService", {"com_probe"});
  server = Variant();  // the service keeps the session's connection
  EXPECT_EQ(OleCall(probe, "Who").AsString().ToUtf8(), "clerk@C01/halden:7");
  Variant again(connection->CreateObject("MarnoSrv.Class1"));
  OleCall(again, "Connect", {platform::ByRef(args)});
  EXPECT_THROW(OleCall(again, "CreateService", {"Com_Unknown"}), platform::EWireFault);
}

TEST_P(ServerSuite, RepeatedFailedLoginsLockTheUserOut) {
  auto login = Open(LoginCredentialText("reader"));
  Variant loginObject(login->CreateObject("Corvane.Login"));
  for (int i = 0; i < ServerContext::kMaxFailedLogins; ++i)
    EXPECT_THROW(LogInOverWire(loginObject, "guess"), platform::EWireFault) << i;
  try {
    LogInOverWire(loginObject, "pw2");
    ADD_FAILURE() << "the right password got through the lock-out";
  } catch (const platform::EWireFault& e) {
    EXPECT_EQ(e.Message().ToUtf8(), kLoginLockedOut);
  }
  EXPECT_EQ(context_->LogIn("reader", "pw2").message, kLoginLockedOut) << "in-process too";
  // Other users are not affected, and an in-process login counts as well.
  EXPECT_TRUE(context_->LogIn("clerk", "pw1").ok);
  for (int i = 0; i < ServerContext::kMaxFailedLogins; ++i) EXPECT_FALSE(context_->LogIn("clerk", "x").ok);
  EXPECT_EQ(context_->LogIn("clerk", "pw1").message, kLoginLockedOut);
}

INSTANTIATE_TEST_SUITE_P(All, ServerSuite,
                         ::testing::Values(Param{Engine::Sqlite, Transport::InProcess}, Param{Engine::Sqlite, Transport::Tcp},
                                           Param{Engine::Postgres, Transport::InProcess},
                                           Param{Engine::Postgres, Transport::Tcp}),
                         [](const auto& info) {
                           return std::string(storage::EngineName(info.param.engine)) +
                                  (info.param.transport == Transport::Tcp ? "_Tcp" : "_InProcess");
                         });

}  // namespace
}  // namespace server
