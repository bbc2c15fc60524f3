// The socket connection of the data modules: client data sets bound to it
// reach a provider dispatcher over both paths (in-process for the address
// 127.0.0.1, TCP for any other), the application-server object answers
// late-bound calls, and failures to connect are clear errors.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "DataTestSupport.h"
#include "platform/Automation.h"
#include "platform/TestSupport.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSetField.h"
#include "platform/data/LocalProvider.h"
#include "platform/data/ProviderDispatch.h"
#include "platform/data/RowWindow.h"
#include "platform/data/SocketConnection.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/FormResource.h"
#include "platform/ui/PropertyAccess.h"
#include "platform/wire/InProcessServer.h"
#include "platform/wire/SessionCredential.h"
#include "platform/wire/WireErrors.h"
#include "platform/wire/WireTcpServer.h"

namespace platform {
namespace {

using testing::A;
using testing::HeaderFields;
using testing::HeaderRows;
using Ids = std::vector<int>;

constexpr const char* kToken = "clerk-session-7";
constexpr const char* kServerClass = "MarnoSrv.Class1";

// The server side: "MarnoSrv.Class1" answers the provider protocol from a
// local provider whose "pvdMain" reads [where, order] ("ID > 1" keeps the
// rows above 1, "ID DESC" reverses the order).
struct ProviderServer {
  ProviderServer() {
    std::vector<DataRow> rows = HeaderRows();
    rows[1].values[1] = A(u8"张三");
    provider.AddProvider("pvdMain", HeaderFields(), rows);
    provider.SetRowSelector("pvdMain", [](const ProviderRequest& r, const std::vector<DataRow>& all) {
      std::vector<DataRow> out;
      const bool above = VarIsArray(r.params) && r.params[0].AsString() == "ID > 1";
      for (const DataRow& row : all)
        if (!above || row.values[0].AsInteger() > 1) out.push_back(row);
      if (VarIsArray(r.params) && r.params[1].AsString() == "ID DESC") std::reverse(out.begin(), out.end());
      return out;
    });
    config = std::make_shared<WireServerConfig>();
    config->classes.push_back({kServerClass, [this](const WireSessionContext&) -> AutoObjectPtr {
                                 auto dispatch = std::make_shared<TProviderDispatch>();
                                 dispatch->AddProvider("pvdMain", provider);
                                 return dispatch;
                               }});
    config->authenticate = [](WireSessionContext& context) { return context.credential == kToken; };
  }

  std::unique_ptr<WireTcpServer> Listen(const char* address) {
    WireTcpServerOptions options;
    options.address = address;
    options.port = 0;
    options.workerThreads = 2;
    auto server = std::make_unique<WireTcpServer>(config, options);
    server->Start();
    return server;
  }

  TLocalProvider provider;
  std::shared_ptr<WireServerConfig> config;
};

// Records the connection's events by name while it lives.
struct EventNames {
  std::vector<std::string> names;
  TSocketConnection& c;

  explicit EventNames(TSocketConnection& connection) : c(connection) {
    c.BeforeConnect = Bind<0>();
    c.AfterConnect = Bind<1>();
    c.BeforeDisconnect = Bind<2>();
    c.AfterDisconnect = Bind<3>();
  }
  ~EventNames() {
    c.BeforeConnect = nullptr;
    c.AfterConnect = nullptr;
    c.BeforeDisconnect = nullptr;
    c.AfterDisconnect = nullptr;
  }
  template <int K>
  TNotifyEvent Bind() {
    return TNotifyEvent::FromFunction(
        [](void* data, TObject*) {
          static const char* const kNames[] = {"BeforeConnect", "AfterConnect", "BeforeDisconnect", "AfterDisconnect"};
          static_cast<EventNames*>(data)->names.push_back(kNames[K]);
        },
        this);
  }
};

class Module : public ::testing::Test {
 protected:
  void SetUp() override { SetSessionCredential(kToken); }
  void TearDown() override {
    conn->Close();
    SetInProcessServer(nullptr);
    SetSessionCredential("");
  }

  ProviderServer server;
  TComponent module{nullptr};
  TSocketConnection* conn = new TSocketConnection(&module);
};

enum class Transport { InProcess, Tcp };

class SocketConnectionTest : public Module, public ::testing::WithParamInterface<Transport> {
 protected:
  void SetUp() override {
    Module::SetUp();
    conn->SetName("MIDAS");
    if (GetParam() == Transport::InProcess) {
      SetInProcessServer(server.config);
      conn->SetAddress("127.0.0.1");
    } else {
      tcp = server.Listen("127.0.0.2");
      conn->SetAddress("127.0.0.2");
      conn->SetPort(tcp->Port());
    }
    cds->SetName("cdsMain");
    cds->SetRemoteServer(conn);
    cds->SetProviderName("pvdMain");
  }
  void TearDown() override {
    Module::TearDown();
    if (tcp) tcp->Stop();
  }

  static Ids IdsOf(TDataSet& ds) {
    Ids ids;
    TRowWindow rows(ds);
    for (int r = 0; r < rows.RowCount(); ++r) ids.push_back(rows.Value(r, ds.FieldByName("ID")).AsInteger());
    return ids;
  }

  std::unique_ptr<WireTcpServer> tcp;
  TClientDataSet* cds = new TClientDataSet(&module);
};

TEST_P(SocketConnectionTest, OpensWithWhereAndOrderAndFetchesFurtherPacketsOnDemand) {
  cds->SetPacketRecords(2);
  cds->SetProviderParams(VarArrayOf({"ID > 1", "ID DESC"}));
  cds->Open();
  EXPECT_TRUE(conn->Connected());  // opened for the first packet
  EXPECT_EQ(IdsOf(*cds), (Ids{5, 4}));
  EXPECT_TRUE(cds->HasMoreRows());
  // The nested detail rows crossed with their header.
  cds->Locate("ID", 4);
  auto* body = dynamic_cast<TDataSetField*>(&cds->FieldByName("qryBody"));
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->NestedDataSet()->RecordCount(), 3);

  cds->Last();  // fetches the rest
  EXPECT_EQ(IdsOf(*cds), (Ids{5, 4, 3, 2}));
  EXPECT_FALSE(cds->HasMoreRows());
  EXPECT_EQ(cds->FieldByName("NAME").AsString(), A(u8"张三"));
  EXPECT_EQ(cds->GetNextPacket(), 0);

  const auto& requests = server.provider.Requests("pvdMain");
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[0].params, VarArrayOf({"ID > 1", "ID DESC"}));
  EXPECT_EQ(requests[0].packetRecords, 2);
  EXPECT_EQ(requests[1].rowsFetched, 2);
  EXPECT_EQ(requests[1].lastKey, VarArrayOf({4}));
  EXPECT_EQ(conn->RecordCount("pvdMain"), 4);
}

TEST_P(SocketConnectionTest, AppliesADeltaAndReconcilesTheRowTheServerRefused) {
  server.provider.SetRowCheck(
      [](const AnsiString&, const DeltaRow& row, const std::vector<int>&) -> std::optional<AnsiString> {
        if (row.kind == TUpdateKind::ukModify && row.original[0].AsInteger() == 2) return AnsiString("Row 2 is locked");
        return std::nullopt;
      });
  std::vector<std::string> refused;
  cds->OnReconcileError = TReconcileErrorEvent::FromFunction(
      [](void* data, TClientDataSet*, EReconcileError& e, TUpdateKind, TReconcileAction&) {
        static_cast<std::vector<std::string>*>(data)->push_back(e.Message().c_str());
      },
      &refused);
  cds->Open();
  for (int id : {2, 3}) {
    ASSERT_TRUE(cds->Locate("ID", id));
    cds->Edit();
    cds->FieldByName("NAME").SetAsString(id == 2 ? "b2" : "g3");
    cds->Post();
  }

  EXPECT_EQ(cds->ApplyUpdates(-1), 1);
  EXPECT_EQ(refused, (std::vector<std::string>{"Row 2 is locked"}));
  EXPECT_EQ(cds->ChangeCount(), 1);  // the refused row stays in the change log
  const auto& rows = server.provider.Rows("pvdMain");
  EXPECT_EQ(rows[2].values[1], Variant("g3"));
  EXPECT_EQ(rows[1].values[1], Variant(A(u8"张三")));
  ASSERT_EQ(server.provider.AppliedDeltas("pvdMain").size(), 1u);
  EXPECT_EQ(server.provider.AppliedDeltas("pvdMain")[0].rows.size(), 2u);
}

TEST_P(SocketConnectionTest, TheAppServerAnswersLateBoundCallsBetweenTheEvents) {
  EventNames events(*conn);
  conn->Open();
  ASSERT_TRUE(conn->Connected());
  const Variant app = conn->AppServer();
  ASSERT_TRUE(VarIsDispatch(app));
  EXPECT_EQ(OleCall(app, "AS_GetProviderNames", {}), VarArrayOf({"pvdMain"}));
  EXPECT_EQ(conn->GetProviderNames(), (std::vector<AnsiString>{"pvdMain"}));
  try {
    OleCall(app, "AS_GetRecordCount", {"pvdNone"});
    FAIL() << "an unknown provider was answered";
  } catch (const EWireFault& e) {
    EXPECT_EQ(e.Message(), "Provider 'pvdNone' not found");
    EXPECT_EQ(e.ServerClassName(), "EDatabaseError");
  }
  EXPECT_TRUE(conn->Connected());  // an error value leaves the connection usable

  conn->SetServerName("MarnoSrv.Class1");  // unchanged: stays open
  EXPECT_TRUE(conn->Connected());
  conn->SetPort(conn->Port() + 1);  // a changed setting closes
  EXPECT_FALSE(conn->Connected());
  EXPECT_EQ(events.names,
            (std::vector<std::string>{"BeforeConnect", "AfterConnect", "BeforeDisconnect", "AfterDisconnect"}));
}

TEST_P(SocketConnectionTest, TheServerRefusesAConnectionWithoutTheSessionCredential) {
  EventNames events(*conn);
  SetSessionCredential("");
  EXPECT_THROW(conn->Open(), EWireRefused);
  EXPECT_FALSE(conn->Connected());
  EXPECT_THROW(cds->Open(), EWireRefused);
  EXPECT_EQ(events.names, (std::vector<std::string>{"BeforeConnect", "BeforeConnect"}));

  SetSessionCredential(kToken);  // after the login
  cds->Open();
  EXPECT_EQ(cds->RecordCount(), 5);
}

INSTANTIATE_TEST_SUITE_P(Paths, SocketConnectionTest, ::testing::Values(Transport::InProcess, Transport::Tcp),
                         [](const auto& info) { return info.param == Transport::InProcess ? "InProcess" : "Tcp"; });

TEST_F(Module, ALostConnectionIsNotOpenedAgainBehindTheCaller) {
  auto tcp = server.Listen("127.0.0.2");
  const unsigned short port = tcp->Port();
  conn->SetAddress("127.0.0.2");
  conn->SetPort(port);
  conn->Open();
  EXPECT_EQ(OleCall(conn->AppServer(), "AS_GetRecordCount", {"pvdMain"}), Variant(0));
  tcp->Stop();
  tcp.reset();

  // The same server comes back on the same port, but the session is gone.
  WireTcpServerOptions options;
  options.address = "127.0.0.2";
  options.port = port;
  WireTcpServer again(server.config, options);
  again.Start();
  EXPECT_THROW(OleCall(conn->AppServer(), "AS_GetRecordCount", {"pvdMain"}), EWireClosed);
  EXPECT_FALSE(conn->Connected());
  EXPECT_THROW(OleCall(conn->AppServer(), "AS_GetRecordCount", {"pvdMain"}), EWireClosed);
  EXPECT_EQ(again.ConnectionCount(), 0u);

  conn->Open();  // a new session
  EXPECT_EQ(OleCall(conn->AppServer(), "AS_GetRecordCount", {"pvdMain"}), Variant(0));
  conn->Close();
  again.Stop();
}

TEST_F(Module, ACallThatOutlastsTheCallTimeOutClosesTheConnection) {
  server.provider.SetRowSelector("pvdMain", [](const ProviderRequest&, const std::vector<DataRow>& all) {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    return all;
  });
  auto tcp = server.Listen("127.0.0.2");
  conn->SetAddress("127.0.0.2");
  conn->SetPort(tcp->Port());
  SetOrdProp(*conn, "CallTimeout", 50);
  TClientDataSet cds(&module);
  cds.SetRemoteServer(conn);
  cds.SetProviderName("pvdMain");
  EXPECT_THROW(cds.Open(), EWireTimeout);
  EXPECT_FALSE(cds.Active());
  EXPECT_FALSE(conn->Connected());
  tcp->Stop();
}

TEST_F(Module, TheDispatcherRefusesMalformedCallsWithClearErrors) {
  auto dispatch = std::make_shared<TProviderDispatch>();
  dispatch->AddProvider("pvdMain", server.provider);
  const Variant app(dispatch);
  const Variant request = ToVariant(ProviderRequest{});
  // Opened elsewhere (another session), so the provider has rows to go on
  // with, but this dispatcher has no metadata for them.
  server.provider.OpenProvider("pvdMain", ProviderRequest{Variant(), "", 2, 0, Variant()});
  const Variant second = ToVariant(ProviderRequest{Variant(), "", 2, 2, VarArrayOf({2})});
  struct Case {
    const char* name;
    const char* member;
    std::vector<Variant> args;
    const char* text;
  };
  const Case cases[] = {
      {"unknown provider", "AS_GetRecords", {"pvdNone", request}, "Provider 'pvdNone' not found"},
      {"request of three elements", "AS_GetRecords", {"pvdMain", VarArrayOf({1, 2, 3})}, "five elements"},
      {"next packet before the opening", "AS_GetNextPacket", {"PVDMAIN", second}, "before it was opened"},
      {"delta that is no delta", "AS_ApplyUpdates", {"pvdMain", "x", -1}, "Invalid data packet"},
      {"MaxErrors below -1", "AS_ApplyUpdates", {"pvdMain", ToVariant(Delta{}), -2}, "MaxErrors must be -1 or more"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Variant> args = c.args;
    try {
      OleCall(app, c.member, std::span<Variant>(args));
      ADD_FAILURE() << "answered";
    } catch (const EOleException& e) {
      EXPECT_NE(std::string(e.Message().c_str()).find(c.text), std::string::npos) << e.Message().c_str();
    }
  }
  EXPECT_TRUE(server.provider.AppliedDeltas("pvdMain").empty());
  // Provider names are found without regard to case.
  EXPECT_EQ(OleCall(app, "as_getrecordcount", {"PVDMAIN"}), Variant(5));
  EXPECT_TRUE(TProviderDispatch::IsProviderMember("as_getnextpacket"));
  EXPECT_FALSE(TProviderDispatch::IsProviderMember("SvrData"));
}

TEST_F(Module, FailuresToConnectAreClearErrorsAndLeaveTheConnectionClosed) {
  unsigned short freePort;
  {
    auto stopped = server.Listen("127.0.0.2");
    freePort = stopped->Port();
    stopped->Stop();
  }
  struct Case {
    const char* name;
    const char* address;
    int port;
    bool installed;
    const char* serverName;
    const char* text;  // part of the message
  };
  const Case cases[] = {
      {"no address", "", 211, true, kServerClass, "No server address or host name is given"},
      {"no in-process server", "127.0.0.1", 211, false, kServerClass, "No application server is installed"},
      {"nobody listening", "127.0.0.2", freePort, false, kServerClass, "127.0.0.2"},
      {"port out of range", "127.0.0.2", 70000, false, kServerClass, "Port 70000 is not a valid port number"},
      {"class not offered", "127.0.0.1", 211, true, "Other.Class1", "Other.Class1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetInProcessServer(c.installed ? server.config : nullptr);
    conn->SetAddress(c.address);
    conn->SetPort(c.port);
    conn->SetServerName(c.serverName);
    EventNames events(*conn);
    try {
      conn->Open();
      ADD_FAILURE() << "connected";
    } catch (const EOleException& e) {
      EXPECT_NE(std::string(e.Message().c_str()).find(c.text), std::string::npos) << e.Message().c_str();
    }
    EXPECT_FALSE(conn->Connected());
    EXPECT_EQ(events.names, (std::vector<std::string>{"BeforeConnect"}));
  }
}

TEST_F(Module, OnlyTheAddress127001IsInProcessAndTheSettingsArePublished) {
  EXPECT_EQ(GetOrdProp(*conn, "Port"), 211);
  EXPECT_EQ(GetStrProp(*conn, "ServerName"), "MarnoSrv.Class1");
  EXPECT_EQ(GetOrdProp(*conn, "SupportCallbacks"), 0);
  EXPECT_THROW(SetOrdProp(*conn, "SupportCallbacks", 1), EWireError);
  EXPECT_EQ(GetOrdProp(*conn, "SupportCallbacks"), 0);

  // "localhost" names the same machine but is a TCP connection.
  SetInProcessServer(server.config);
  auto tcp = server.Listen("127.0.0.1");
  SetStrProp(*conn, "Host", "localhost");
  SetOrdProp(*conn, "Port", tcp->Port());
  SetOrdProp(*conn, "Connected", 1);
  EXPECT_TRUE(conn->Connected());
  EXPECT_FALSE(conn->IsInProcess());
  EXPECT_EQ(tcp->ConnectionCount(), 1u);
  // Address takes precedence over Host.
  conn->SetAddress("127.0.0.1");
  EXPECT_FALSE(conn->Connected());
  conn->Open();
  EXPECT_TRUE(conn->IsInProcess());
  EXPECT_EQ(OleCall(conn->AppServer(), "AS_GetRecordCount", {"pvdMain"}), Variant(0));
  conn->Close();
  tcp->Stop();
}

// A data module whose connection and data set come from its resource
// (Connected comes before the address it needs: it waits for Loaded).
class TdmConnectionTest : public TComponent {
  PLATFORM_CLASS(TdmConnectionTest)

 public:
  explicit TdmConnectionTest(TComponent* owner) : TComponent(owner) {}
};

const TClassInfo& TdmConnectionTest::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TdmConnectionTest>("TdmConnectionTest", TComponent::StaticClass()).Build();
  return info;
}

constexpr const char* kModuleResource = R"(object dmConnectionTest: TdmConnectionTest
  object MIDAS: TSocketConnection
    Connected = True
    Address = '127.0.0.1'
    ServerName = 'MarnoSrv.Class1'
  end
  object cdsMain: TClientDataSet
    ProviderName = 'pvdMain'
    RemoteServer = MIDAS
    PacketRecords = 2
    Active = True
  end
end
)";

TEST_F(Module, AResourceConnectsWhenLoadingEndsAndItsDataSetOpensThroughIt) {
  SetInProcessServer(server.config);
  TdmConnectionTest dm(nullptr);
  std::string text = kModuleResource;
  TFormResource resource{"TdmConnectionTest", "test", reinterpret_cast<const unsigned char*>(text.data()),
                         text.size()};
  const TFormResource* chain[] = {&resource};
  ReadComponentResources(dm, chain, ThisModule());

  auto* midas = dynamic_cast<TSocketConnection*>(dm.FindComponent("MIDAS"));
  auto* cdsMain = dynamic_cast<TClientDataSet*>(dm.FindComponent("cdsMain"));
  ASSERT_NE(midas, nullptr);
  ASSERT_NE(cdsMain, nullptr);
  EXPECT_TRUE(midas->Connected());
  EXPECT_EQ(midas->Port(), 211);
  EXPECT_EQ(cdsMain->RemoteServer(), midas);
  EXPECT_TRUE(cdsMain->Active());
  EXPECT_EQ(cdsMain->RecordCount(), 2);
  cdsMain->Close();
  midas->Close();
}

}  // namespace
}  // namespace platform
