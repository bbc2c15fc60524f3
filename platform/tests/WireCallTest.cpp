// Late-bound calls through a wire connection, the same over both
// transports: in-process and TCP on 127.0.0.2 (127.0.0.1 means in-process
// in this system).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "WireTestObjects.h"
#include "platform/Automation.h"
#include "platform/TestSupport.h"
#include "platform/wire/InProcessWireConnection.h"
#include "platform/wire/RemoteObject.h"
#include "platform/wire/TcpWireConnection.h"
#include "platform/wire/WireErrors.h"
#include "platform/wire/WireTcpServer.h"

namespace platform {
namespace {

using testing::A;
using namespace wiretest;

enum class Transport { InProcess, Tcp };

class WireCallTest : public ::testing::TestWithParam<Transport> {
 protected:
  void SetUp() override {
    config_ = ServerConfig();
    config_->limits.maxFrameBytes = 64 * 1024;
    if (GetParam() == Transport::Tcp) {
      WireTcpServerOptions options;
      options.address = "127.0.0.2";
      options.port = 0;
      options.workerThreads = 2;
      server_ = std::make_unique<WireTcpServer>(config_, options);
      server_->Start();
    }
  }

  void TearDown() override {
    if (server_) server_->Stop();
    // Every object of the finished sessions is gone.
    EXPECT_TRUE(Eventually([] { return Calculator::Live() == 0; })) << Calculator::Live();
  }

  WireClientOptions Options(std::string credential = kToken) const {
    WireClientOptions options;
    options.host = "127.0.0.2";
    options.port = server_ ? server_->Port() : 0;
    options.credential = std::move(credential);
    options.callTimeout = std::chrono::seconds(10);
    return options;
  }

  std::shared_ptr<WireConnection> Connect(const WireClientOptions& options) const {
    return server_ ? ConnectWireTcp(options) : ConnectWireInProcess(config_, options);
  }
  std::shared_ptr<WireConnection> Connect() const { return Connect(Options()); }

  // The root object of a new connection.
  Variant Root() const { return Variant(Connect()->CreateObject(kClass)); }

  Registration registration_;
  std::shared_ptr<WireServerConfig> config_;
  std::unique_ptr<WireTcpServer> server_;
};

TEST_P(WireCallTest, MembersAreCalledByNameWithTheirResults) {
  Variant calc = Root();
  EXPECT_EQ(OleCall(calc, "Add", {2, 3}), Variant(5));
  EXPECT_EQ(OleCall(calc, "aDD", {-2, 3}), Variant(1));  // names ignore ASCII case
  OleSet(calc, "Label", A(u8"人事异动单"));
  Variant label = OleGet(calc, "Label");
  EXPECT_EQ(label.Type(), varString);
  EXPECT_EQ(label.AsString(), A(u8"人事异动单"));
  Variant wide = OleCall(calc, "Echo", {WideString(u"\u7C3D\u6838")});
  EXPECT_EQ(wide.Type(), varOleStr);
  EXPECT_EQ(wide.AsWide(), WideString(u"\u7C3D\u6838"));
  Variant twoNulls = OleCall(calc, "Echo", {VarArrayOf({Null(), Unassigned()})});
  EXPECT_TRUE(VarIsNull(twoNulls[0]));
  EXPECT_TRUE(VarIsEmpty(twoNulls[1]));
}

TEST_P(WireCallTest, ByReferenceArgumentsReceiveTheServersValues) {
  Variant calc = Root();
  Variant a = A(u8"甲");
  Variant b = 7;
  OleCall(calc, "Swap", {ByRef(a), ByRef(b)});
  EXPECT_EQ(a, Variant(7));
  EXPECT_EQ(b.AsString(), A(u8"甲"));

  // A value argument stays the caller's own.
  Variant c = 1;
  OleCall(calc, "Swap", {ByRef(a), c});
  EXPECT_EQ(a, Variant(1));
  EXPECT_EQ(c, Variant(1));

  Variant rows;
  EXPECT_EQ(OleCall(calc, "Fill", {ByRef(rows)}), Variant(true));
  ASSERT_EQ(VarArrayDimCount(rows), 2);
  EXPECT_EQ(VarArrayLowBound(rows, 2), 1);
  EXPECT_EQ(VarArrayHighBound(rows, 2), 3);
  EXPECT_EQ(rows.GetElement({1, 3}), Variant(13));
}

TEST_P(WireCallTest, ServerErrorsArriveAsErrorValuesAndTheConnectionGoesOn) {
  Variant calc = Root();
  try {
    OleCall(calc, "Fail", {A(u8"日期错误!")});
    ADD_FAILURE() << "no error";
  } catch (const EWireFault& e) {
    EXPECT_EQ(e.Message(), A(u8"日期错误!"));
    EXPECT_EQ(e.ServerClassName(), AnsiString("EConvertError"));
    EXPECT_EQ(e.Source(), AnsiString(kClass));
  }
  try {
    OleCall(calc, "Nope");
    ADD_FAILURE() << "no error";
  } catch (const EOleException& e) {
    EXPECT_EQ(e.Message(), AnsiString("Method 'Nope' not supported by automation object"));
  }
  EXPECT_THROW(OleCall(calc, "Add", {1}), EOleException);
  EXPECT_EQ(OleCall(calc, "Add", {1, 1}), Variant(2));
}

TEST_P(WireCallTest, OnlyOfferedClassesCanBeCreated) {
  auto connection = Connect();
  try {
    connection->CreateObject(kHiddenClass);
    ADD_FAILURE() << "created";
  } catch (const EWireFault& e) {
    EXPECT_EQ(e.Message(), "The class " + AnsiString(kHiddenClass) + " is not available from this server");
  }
  EXPECT_THROW(connection->CreateObject("Excel.Application"), EWireFault);
  Variant calc(connection->CreateObject("wiretest.CALCULATOR"));
  EXPECT_EQ(calc.AsDispatch()->AutoClassName(), AnsiString(kClass));
}

TEST_P(WireCallTest, ObjectsCrossAsHandlesAndAreReleasedWithTheirLastReference) {
  Variant calc = Root();
  Variant child = OleCall(calc, "Child");
  ASSERT_TRUE(VarIsDispatch(child));
  EXPECT_EQ(OleCall(child, "Add", {20, 1}), Variant(21));
  // Sent back, a handle is the server's own object again.
  EXPECT_EQ(OleCall(calc, "Holds", {child}), Variant(true));
  EXPECT_EQ(Calculator::Live(), 2);
  child = Variant();
  EXPECT_TRUE(Eventually([] { return Calculator::Live() == 1; }));

  // The same object twice is the same proxy; the server keeps it while any
  // reference is left.
  Variant self = OleCall(calc, "Self");
  EXPECT_EQ(self.AsDispatch(), calc.AsDispatch());
  self = Variant();
  EXPECT_EQ(OleCall(calc, "Add", {1, 2}), Variant(3));
  calc = Variant();
  EXPECT_TRUE(Eventually([] { return Calculator::Live() == 0; }));
}

TEST_P(WireCallTest, LocalObjectsAreNotPassedToTheServer) {
  Variant calc = Root();
  Variant local(std::make_shared<Calculator>());
  try {
    OleCall(calc, "Holds", {local});
    ADD_FAILURE() << "sent";
  } catch (const EWireError& e) {
    EXPECT_NE(e.Message().Bytes().find("local object"), std::string::npos) << e.Message();
  }
  // Another connection's object is not this connection's either.
  Variant other = Root();
  EXPECT_THROW(OleCall(calc, "Holds", {other}), EWireError);
  EXPECT_EQ(OleCall(calc, "Add", {2, 2}), Variant(4));
}

TEST_P(WireCallTest, MessagesAboveTheFrameLimitAreRefusedWithoutClosing) {
  Variant calc = Root();
  // The server's limit (64 KiB) is smaller than the client's own: the
  // client keeps to the one the handshake announced.
  EXPECT_THROW(OleCall(calc, "Echo", {VarByteArrayOf(std::string(100 * 1024, 'x'))}), EWireError);
  EXPECT_THROW(OleCall(calc, "Bytes", {100 * 1024}), EWireFault);
  EXPECT_EQ(VarArrayHighBound(OleCall(calc, "Bytes", {1000}), 1), 999);
}

TEST_P(WireCallTest, HandshakeRefusesAWrongCredentialAndAnotherCodePage) {
  try {
    Connect(Options("guessed"));
    ADD_FAILURE() << "connected";
  } catch (const EWireRefused& e) {
    EXPECT_NE(e.Message().Bytes().find("credential was not accepted"), std::string::npos) << e.Message();
  }
  WireClientOptions big5 = Options();
  big5.codePage = ProcessCodePage() == 950 ? 936 : 950;
  try {
    Connect(big5);
    ADD_FAILURE() << "connected";
  } catch (const EWireRefused& e) {
    const std::string text = e.Message().Bytes();
    EXPECT_NE(text.find("code page " + std::to_string(big5.codePage)), std::string::npos) << text;
    EXPECT_NE(text.find("code page " + std::to_string(ProcessCodePage())), std::string::npos) << text;
  }
}

TEST_P(WireCallTest, AClosedConnectionRefusesCallsAndTheServerLetsGoOfItsObjects) {
  auto connection = Connect();
  Variant calc(connection->CreateObject(kClass));
  connection->Close();
  EXPECT_FALSE(connection->Connected());
  EXPECT_THROW(OleCall(calc, "Add", {1, 2}), EWireClosed);
  EXPECT_TRUE(Eventually([] { return Calculator::Live() == 0; }));
}

TEST_P(WireCallTest, CallsFromSeveralThreadsTakeTurnsOnOneConnection) {
  Variant calc = Root();
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 40; ++i) {
        // Children made and dropped on every thread: their releases
        // interleave with the other threads' calls.
        Variant child = OleCall(calc, "Child");
        if (OleCall(child, "Add", {t, i}) != Variant(t + i)) ++wrong;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_TRUE(Eventually([] { return Calculator::Live() == 1; })) << Calculator::Live();
}

INSTANTIATE_TEST_SUITE_P(Transports, WireCallTest, ::testing::Values(Transport::InProcess, Transport::Tcp),
                         [](const ::testing::TestParamInfo<Transport>& info) {
                           return info.param == Transport::Tcp ? "Tcp" : "InProcess";
                         });

}  // namespace
}  // namespace platform
