// What the TCP server does with peers that break the protocol, and what a
// client does when the server does not answer in time.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "WireTestObjects.h"
#include "platform/Automation.h"
#include "platform/wire/TcpWireConnection.h"
#include "platform/wire/WireCodec.h"
#include "platform/wire/WireErrors.h"
#include "platform/wire/WireFrame.h"
#include "platform/wire/WireTcpServer.h"

namespace platform {
namespace {

using namespace wiretest;

// A plain socket that sends whatever a test wants.
class RawPeer {
 public:
  explicit RawPeer(unsigned short port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.2", &address.sin_addr);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawPeer() { ::close(fd_); }
  RawPeer(const RawPeer&) = delete;
  RawPeer& operator=(const RawPeer&) = delete;

  bool Connected() const { return connected_; }
  void Send(const std::string& bytes) const {
    ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
  }
  void SendFrame(const std::string& body) const { Send(WireFrameHeader(body.size()) + body); }

  // Everything the server sends until it closes the connection; false when
  // it is still open after the wait.
  bool ReadUntilClosed(std::chrono::milliseconds wait, std::string* received = nullptr) const {
    const auto end = std::chrono::steady_clock::now() + wait;
    char buffer[4096];
    while (true) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
      if (left <= 0) return false;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
      ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) return true;  // closed (or reset) by the server
      if (received) received->append(buffer, static_cast<std::size_t>(n));
    }
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

class WireTcpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WireTcpServerOptions options;
    options.address = "127.0.0.2";
    options.port = 0;
    options.frameTimeout = std::chrono::milliseconds(300);
    auto config = ServerConfig();
    config->limits.maxFrameBytes = 1024 * 1024;
    server_ = std::make_unique<WireTcpServer>(config, options);
    server_->Start();
  }

  WireClientOptions Options() const {
    WireClientOptions options;
    options.host = "127.0.0.2";
    options.port = server_->Port();
    options.credential = kToken;
    options.callTimeout = std::chrono::seconds(10);
    return options;
  }

  static std::string Hello(const char* credential = kToken) {
    WireHello hello;
    hello.codePage = ProcessCodePage();
    hello.credential = credential;
    return WireCodec().Encode(hello);
  }

  static std::string Call(std::uint64_t handle, const char* member) {
    WireCall call;
    call.request = 1;
    call.object = handle;
    call.member = member;
    return WireCodec().Encode(call);
  }

  Registration registration_;
  std::unique_ptr<WireTcpServer> server_;
};

struct BadPeer {
  const char* name;
  std::string bytes;        // sent as they are
  bool answered = false;    // the server answers once before it closes
};

std::string RandomBytes(std::size_t n) {
  std::mt19937 random(77);
  std::string bytes(n, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string Framed(const std::string& body) { return WireFrameHeader(body.size()) + body; }

TEST_F(WireTcpTest, APeerThatBreaksTheProtocolIsClosedAndOthersAreServedOn) {
  auto good = ConnectWireTcp(Options());
  Variant calc(good->CreateObject(kClass));

  WireWelcome welcome;
  WireRelease release;
  release.object = 99;
  const std::vector<BadPeer> cases = {
      {"random bytes", RandomBytes(300)},
      {"frame above the limit", std::string("\x7F\xFF\xFF\xFF", 4) + "xx"},
      {"empty frame", std::string(4, '\0')},
      {"undecodable body", Framed("\xC1\xC1\xC1")},
      {"random body", Framed(RandomBytes(50))},
      {"call before the handshake", Framed(Call(0, "CreateObject"))},
      {"a server's message", Framed(Hello()) + Framed(WireCodec().Encode(welcome)), true},
      {"call on an unknown handle", Framed(Hello()) + Framed(Call(12345, "Add")), true},
      {"release of an unknown handle", Framed(Hello()) + Framed(WireCodec().Encode(release)), true},
      {"wrong credential", Framed(Hello("guess")), true},
  };
  for (const BadPeer& c : cases) {
    SCOPED_TRACE(c.name);
    RawPeer peer(server_->Port());
    ASSERT_TRUE(peer.Connected());
    peer.Send(c.bytes);
    std::string received;
    EXPECT_TRUE(peer.ReadUntilClosed(std::chrono::seconds(3), &received));
    EXPECT_EQ(!received.empty(), c.answered) << received.size() << " bytes";
    // Connected before, and connecting after: both are served.
    EXPECT_EQ(OleCall(calc, "Add", {1, 2}), Variant(3));
    Variant fresh(ConnectWireTcp(Options())->CreateObject(kClass));
    EXPECT_EQ(OleCall(fresh, "Add", {2, 2}), Variant(4));
  }
  EXPECT_TRUE(Eventually([&] { return server_->ConnectionCount() == 1; })) << server_->ConnectionCount();
}

TEST_F(WireTcpTest, TheUnknownHandleIsAnsweredWithAnErrorValueBeforeTheConnectionCloses) {
  RawPeer peer(server_->Port());
  peer.SendFrame(Hello());
  peer.SendFrame(Call(12345, "Add"));
  std::string received;
  ASSERT_TRUE(peer.ReadUntilClosed(std::chrono::seconds(3), &received));
  WireFrameReader reader(1024 * 1024);
  reader.Append(received.data(), received.size());
  ASSERT_TRUE(std::holds_alternative<WireWelcome>(WireCodec().Decode(reader.Next().value())));
  WireMessage answer = WireCodec().Decode(reader.Next().value());
  ASSERT_TRUE(std::holds_alternative<WireFault>(answer));
  EXPECT_EQ(std::get<WireFault>(answer).message, AnsiString("The object handle 12345 is unknown"));
}

TEST_F(WireTcpTest, SilentAndStalledPeersAreCutOffAfterTheFrameTimeOut) {
  RawPeer silent(server_->Port());
  RawPeer stalled(server_->Port());
  stalled.Send(Framed(Hello()));
  stalled.Send(std::string("\x00\x00\x00\x10" "abc", 7));  // 16 bytes announced, 3 sent
  RawPeer idle(server_->Port());
  idle.Send(Framed(Hello()));
  EXPECT_TRUE(silent.ReadUntilClosed(std::chrono::seconds(3)));
  EXPECT_TRUE(stalled.ReadUntilClosed(std::chrono::seconds(3)));
  // After its handshake a connection may wait between calls.
  EXPECT_FALSE(idle.ReadUntilClosed(std::chrono::milliseconds(800)));
}

TEST_F(WireTcpTest, ACallThatTimesOutClosesItsConnection) {
  WireClientOptions options = Options();
  options.callTimeout = std::chrono::milliseconds(150);
  auto connection = ConnectWireTcp(options);
  Variant calc(connection->CreateObject(kClass));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(OleCall(calc, "Wait", {1500}), EWireTimeout);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_FALSE(connection->Connected());
  EXPECT_THROW(OleCall(calc, "Add", {1, 2}), EWireClosed);
  // The server serves new connections meanwhile.
  Variant fresh(ConnectWireTcp(Options())->CreateObject(kClass));
  EXPECT_EQ(OleCall(fresh, "Add", {2, 2}), Variant(4));
}

TEST_F(WireTcpTest, ALongCallOfOneSessionDoesNotHoldUpAnother) {
  Variant slow(ConnectWireTcp(Options())->CreateObject(kClass));
  Variant quick(ConnectWireTcp(Options())->CreateObject(kClass));
  std::thread waiting([&] { OleCall(slow, "Wait", {600}); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(OleCall(quick, "Add", {1, 1}), Variant(2));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  waiting.join();
}

TEST_F(WireTcpTest, ConnectingWhereNoServerListensFails) {
  WireClientOptions options = Options();
  const unsigned short port = server_->Port();
  server_->Stop();
  options.port = port;
  options.connectTimeout = std::chrono::milliseconds(500);
  EXPECT_THROW(ConnectWireTcp(options), EWireError);
}

}  // namespace
}  // namespace platform
