// The web server as a browser (and a hostile page) sees it: the secret, the
// Host and Origin checks and the static files over HTTP; the socket's
// handshake, the snapshot a view gets, input applied on the UI thread, a
// second view taking over and the message size limit.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "host/web/WebServer.h"
#include "platform/TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/StdCtrls.h"

namespace hostweb {
namespace {

using nlohmann::json;
using platform::testing::A;

const std::string kSecret = "0123456789abcdef0123456789abcdef";

// A blocking TCP client to 127.0.0.1.
class Client {
 public:
  explicit Client(unsigned short port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }
  ~Client() { ::close(fd_); }
  bool Connected() const { return connected_; }
  void Write(const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
      const ssize_t n = ::send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += static_cast<std::size_t>(n);
    }
  }
  // Waits for data while the UI thread's loop keeps running (the server
  // posts its work there); false when the peer closed or nothing came.
  bool ReadSome(std::string& into) {
    for (int round = 0; round < 200; ++round) {
      platform::Application().ProcessMessages();
      platform::Application().WakeUp();
      platform::Application().HandleMessage();  // the idle round: the render host sends
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 25) > 0) {
        char buf[65536];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n <= 0) return false;
        into.append(buf, static_cast<std::size_t>(n));
        return true;
      }
    }
    return false;
  }
  // The HTTP response head and body (Connection: close).
  std::string ReadAll() {
    std::string out;
    while (ReadSome(out)) {
    }
    return out;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

int Status(const std::string& response) {
  return response.size() > 12 ? std::atoi(response.substr(9, 3).c_str()) : 0;
}

class WebServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::path(folder_.Path()) / "web";
    std::filesystem::create_directories(root_ / "tests");
    Write("index.html", "<!doctype html><title>t</title>");
    Write("app.js", "export {};");
    Write(".hidden.js", "secret");
    Write("notes.txt", "notes");
    Write("tests/golden.js", "x");
    std::ofstream(std::filesystem::path(folder_.Path()) / "outside.js") << "outside";
    WebServerOptions options;
    options.StaticRoot = root_.string();
    options.Secret = kSecret;
    options.MaxMessageBytes = 4096;
    options.OnConnection = [this](bool connected) { connections_ += connected ? "+" : "-"; };
    server_.Start(options);
    port_ = server_.Port();
  }
  void TearDown() override {
    server_.Stop();
    platform::Application().Reset();
  }
  void Write(const char* name, const char* text) { std::ofstream(root_ / name) << text; }

  std::string Get(const std::string& target, const std::string& extraHeaders = "",
                  const std::string& method = "GET") {
    Client c(port_);
    EXPECT_TRUE(c.Connected());
    c.Write(method + " " + target + " HTTP/1.1\r\n" + extraHeaders + "Connection: close\r\n\r\n");
    return c.ReadAll();
  }
  std::string Host() const { return "Host: 127.0.0.1:" + std::to_string(port_) + "\r\n"; }
  std::string Origin() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // Opens a socket; the handshake response head is returned in head.
  std::unique_ptr<Client> OpenSocket(const std::string& origin, const std::string& path, std::string& head) {
    auto c = std::make_unique<Client>(port_);
    std::string req = "GET " + path + " HTTP/1.1\r\n" + Host() +
                      "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                      "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n";
    if (!origin.empty()) req += "Origin: " + origin + "\r\n";
    c->Write(req + "\r\n");
    std::string data;
    while (data.find("\r\n\r\n") == std::string::npos && c->ReadSome(data)) {
    }
    const auto end = data.find("\r\n\r\n");
    head = data.substr(0, end);
    pending_[c.get()] = end == std::string::npos ? "" : data.substr(end + 4);
    return c;
  }

  // A masked text frame, as a browser sends.
  static std::string Frame(const std::string& text) {
    std::string f = "\x81";
    if (text.size() < 126) {
      f += static_cast<char>(0x80 | text.size());
    } else {
      f += static_cast<char>(0x80 | 127);
      for (int i = 7; i >= 0; --i) f += static_cast<char>((text.size() >> (8 * i)) & 0xFF);
    }
    const char mask[4] = {1, 2, 3, 4};
    f.append(mask, 4);
    for (std::size_t i = 0; i < text.size(); ++i) f += static_cast<char>(text[i] ^ mask[i % 4]);
    return f;
  }

  // The next server frame: its opcode and payload; opcode 0 when the
  // socket ended first.
  std::pair<int, std::string> NextFrame(Client& c) {
    std::string& buf = pending_[&c];
    for (;;) {
      if (buf.size() >= 2) {
        std::size_t len = static_cast<unsigned char>(buf[1]) & 0x7F, at = 2;
        if (len == 126 && buf.size() >= 4) {
          len = static_cast<unsigned char>(buf[2]) << 8 | static_cast<unsigned char>(buf[3]);
          at = 4;
        } else if (len == 127 && buf.size() >= 10) {
          len = 0;
          for (int i = 2; i < 10; ++i) len = len << 8 | static_cast<unsigned char>(buf[i]);
          at = 10;
        }
        if ((len < 126 || at > 2) && buf.size() >= at + len) {
          std::pair<int, std::string> frame{static_cast<unsigned char>(buf[0]) & 0x0F, buf.substr(at, len)};
          buf.erase(0, at + len);
          return frame;
        }
      }
      if (!c.ReadSome(buf)) return {0, ""};
    }
  }

  // The next message of that type, skipping others.
  json NextMessage(Client& c, const std::string& type) {
    for (;;) {
      auto [op, payload] = NextFrame(c);
      if (op != 1) return json{{"type", "<ended>"}, {"opcode", op}, {"payload", payload}};
      json j = json::parse(payload);
      if (j["type"] == type) return j;
    }
  }

  platform::testing::TempFolder folder_;
  std::filesystem::path root_;
  WebServer server_;
  unsigned short port_ = 0;
  std::string connections_;
  std::map<Client*, std::string> pending_;
};

TEST_F(WebServerTest, HttpRequestsNeedTheSecretHostAndOrigin) {
  struct Case {
    const char* name;
    std::string target;
    std::string headers;
    int status;
  };
  const std::string s = "/" + kSecret;
  const Case cases[] = {
      {"the page", s + "/", Host(), 200},
      {"a module", s + "/app.js", Host(), 200},
      {"query ignored", s + "/app.js?v=1", Host(), 200},
      {"same origin", s + "/app.js", Host() + "Origin: " + Origin() + "\r\n", 200},
      {"folder without slash", s, Host(), 302},
      {"no secret", "/", Host(), 404},
      {"file without secret", "/app.js", Host(), 404},
      {"wrong secret", "/" + std::string(32, 'f') + "/", Host(), 404},
      {"secret shortened", s.substr(0, s.size() - 1) + "/", Host(), 404},
      {"secret lengthened", s + "0/", Host(), 404},
      {"parent folder", s + "/../outside.js", Host(), 404},
      {"encoded parent folder", s + "/%2e%2e/outside.js", Host(), 404},
      {"hidden file", s + "/.hidden.js", Host(), 404},
      {"type not served", s + "/notes.txt", Host(), 404},
      {"test folder", s + "/tests/golden.js", Host(), 404},
      {"missing file", s + "/nothing.js", Host(), 404},
      {"unknown picture", s + "/pic/00000000000000ff.png", Host(), 404},
      {"malformed picture name", s + "/pic/xyz.png", Host(), 404},
      {"another host name", s + "/", "Host: example.test:" + std::to_string(port_) + "\r\n", 403},
      {"localhost by name", s + "/", "Host: localhost:" + std::to_string(port_) + "\r\n", 403},
      {"no host", s + "/", "", 403},
      {"foreign origin", s + "/", Host() + "Origin: http://example.test\r\n", 403},
      {"origin on another port", s + "/", Host() + "Origin: http://127.0.0.1:1\r\n", 403},
  };
  for (const Case& c : cases) EXPECT_EQ(Status(Get(c.target, c.headers)), c.status) << c.name;
  EXPECT_EQ(Status(Get(s + "/", Host(), "POST")), 405);

  const std::string page = Get(s + "/", Host());
  EXPECT_NE(page.find("Content-Type: text/html"), std::string::npos);
  EXPECT_NE(page.find("Content-Security-Policy: default-src 'self'"), std::string::npos);
  EXPECT_NE(page.find("Referrer-Policy: no-referrer"), std::string::npos);
  EXPECT_NE(Get(s + "/app.js", Host()).find("Content-Type: text/javascript"), std::string::npos);
  EXPECT_NE(Get(s, Host()).find("Location: " + s + "/"), std::string::npos);
}

TEST_F(WebServerTest, SocketHandshakeNeedsSecretAndOrigin) {
  struct Case {
    const char* name;
    std::string origin;
    std::string path;
    int status;
  };
  const Case cases[] = {
      {"from the page", Origin(), "/" + kSecret + "/ws", 101},
      {"no origin", "", "/" + kSecret + "/ws", 403},
      {"foreign origin", "http://example.test", "/" + kSecret + "/ws", 403},
      {"wrong secret", Origin(), "/" + std::string(32, '0') + "/ws", 403},
      {"other path", Origin(), "/" + kSecret + "/socket", 403},
  };
  for (const Case& c : cases) {
    std::string head;
    auto socket = OpenSocket(c.origin, c.path, head);
    EXPECT_EQ(Status(head), c.status) << c.name << "\n" << head;
  }
}

class TWebTestForm : public platform::TForm {
 public:
  explicit TWebTestForm(platform::TComponent* owner) : TForm(owner) {
    SetCaption(A(u8"测试"));
    edit = new platform::TEdit(this);
    edit->SetName("edtName");
    edit->SetParent(this);
    edit->SetBounds(8, 8, 120, 22);
    images = new platform::TImageList(this);
    images->SetName("imgButtons");
    images->Add(platform::ButtonPicture(platform::kLookupPicture));
  }
  platform::TEdit* edit;
  platform::TImageList* images;
};

TEST_F(WebServerTest, ViewGetsSnapshotsInputAndIsTakenOver) {
  platform::TComponent owner(nullptr);
  auto* form = platform::CreateForm<TWebTestForm>(&owner);
  form->Show();
  form->SetActiveControl(form->edit);

  std::string head;
  auto first = OpenSocket(Origin(), "/" + kSecret + "/ws", head);
  ASSERT_EQ(Status(head), 101) << head;
  EXPECT_EQ(NextMessage(*first, "reset")["type"], "reset");
  json snapshot = NextMessage(*first, "form");
  ASSERT_EQ(snapshot["form"], form->InstanceId());
  EXPECT_EQ(snapshot["nodes"][0]["props"]["Caption"]["text"], "测试");
  EXPECT_EQ(connections_, "+");
  EXPECT_TRUE(server_.Connected());

  // The image list's pictures are served once by their hash.
  const json strip = snapshot["nodes"][2]["props"]["Images"];
  ASSERT_TRUE(strip.is_object()) << snapshot["nodes"][2].dump();
  EXPECT_EQ(strip["count"], 1);
  EXPECT_EQ(strip["w"], 16);
  const std::string png = Get("/" + kSecret + "/pic/" + strip["pic"].get<std::string>() + ".png", Host());
  EXPECT_EQ(Status(png), 200);
  EXPECT_NE(png.find("Content-Type: image/png"), std::string::npos);
  EXPECT_NE(png.find("\x89PNG"), std::string::npos);

  // Typed text, a double-byte character included, reaches the edit on the
  // UI thread and comes back as a change.
  const std::string id = std::to_string(form->InstanceId());
  first->Write(Frame(R"({"t":"char","form":)" + id + R"(,"text":"A"})"));
  first->Write(Frame(R"({"t":"char","form":)" + id + R"(,"text":"张"})"));
  first->Write(Frame(R"({"t":"click","id":999999999})"));  // unknown: dropped
  json change = NextMessage(*first, "changes");
  while (change["type"] == "changes" && change["changed"][0]["props"]["Text"]["text"] != "A张")
    change = NextMessage(*first, "changes");
  EXPECT_EQ(form->edit->Text(), A(u8"A张"));

  // A second view takes over: the first is closed with the reason, the
  // second gets everything afresh.
  auto second = OpenSocket(Origin(), "/" + kSecret + "/ws", head);
  ASSERT_EQ(Status(head), 101);
  auto [op, payload] = NextFrame(*first);
  while (op == 1) std::tie(op, payload) = NextFrame(*first);
  EXPECT_EQ(op, 8) << "a close frame";
  ASSERT_GE(payload.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(payload[0]) << 8 | static_cast<unsigned char>(payload[1]), 4000);
  EXPECT_EQ(NextMessage(*second, "reset")["type"], "reset");
  snapshot = NextMessage(*second, "form");
  EXPECT_EQ(snapshot["nodes"][1]["props"]["Text"]["text"], "A张");

  // A message over the limit closes the socket and changes nothing.
  second->Write(Frame(R"({"t":"char","form":)" + id + R"(,"text":")" + std::string(5000, 'x') + "\"}"));
  for (auto frame = NextFrame(*second); frame.first == 1;) frame = NextFrame(*second);
  EXPECT_EQ(form->edit->Text(), A(u8"A张"));
  // The socket's end is told to the UI thread by a posted message; wait
  // for it (bounded, so a server that never tells fails the test).
  for (int i = 0; i < 500 && server_.Connected(); ++i) {
    platform::Application().ProcessMessages();
    if (server_.Connected()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  platform::Application().ProcessMessages();
  EXPECT_FALSE(server_.Connected());
  EXPECT_EQ(connections_.back(), '-');
  form->Free();
}

}  // namespace
}  // namespace hostweb
