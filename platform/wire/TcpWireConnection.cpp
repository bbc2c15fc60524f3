// One of the two translation units that use Boost.Asio.
#include <utility>  // before Boost.Asio with g++ 12

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>

#include "platform/wire/TcpWireConnection.h"

#include <algorithm>
#include <array>
#include <optional>

#include "platform/wire/WireErrors.h"
#include "platform/wire/WireFrame.h"

namespace platform {

namespace {

namespace asio = boost::asio;
using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kTrustedReserve = 1024 * 1024;

AnsiString Text(const std::string& s) { return AnsiString(s.c_str()); }
AnsiString Num(std::uint64_t n) { return Text(std::to_string(n)); }

class TcpWireConnection final : public WireConnection {
 public:
  explicit TcpWireConnection(const WireClientOptions& options)
      : WireConnection(options),
        socket_(io_),
        callTimeout_(options.callTimeout),
        maxFrame_(options.limits.maxFrameBytes),
        peer_(Text(options.host) + ":" + Num(options.port)) {}
  ~TcpWireConnection() override { Disconnect(); }

  static std::shared_ptr<WireConnection> Open(const WireClientOptions& options) {
    auto connection = std::make_shared<TcpWireConnection>(options);
    connection->Connect(options);
    connection->Handshake(options.credential);
    return connection;
  }

 protected:
  std::string Exchange(const std::string& body) override {
    const Clock::time_point deadline = Clock::now() + callTimeout_;
    Write(body, deadline);
    return Read(deadline);
  }

  void Send(const std::string& body) override { Write(body, Clock::now() + callTimeout_); }

  void Disconnect() noexcept override {
    boost::system::error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
  }

 private:
  void Connect(const WireClientOptions& options) {
    tcp::resolver resolver(io_);
    boost::system::error_code ec;
    auto endpoints = resolver.resolve(options.host, std::to_string(options.port), ec);
    if (ec) throw EWireError("Cannot find the server " + peer_ + ": " + Text(ec.message()), kWireDisconnected);
    const Clock::time_point deadline = Clock::now() + options.connectTimeout;
    Await(
        [&](auto done) {
          asio::async_connect(socket_, endpoints,
                              [done](const boost::system::error_code& e, const tcp::endpoint&) mutable { done(e, 0); });
        },
        deadline, options.connectTimeout, "connect to");
    socket_.set_option(tcp::no_delay(true), ec);
  }

  void Write(const std::string& body, Clock::time_point deadline) {
    const std::string header = WireFrameHeader(body.size());
    std::array<asio::const_buffer, 2> buffers{asio::buffer(header), asio::buffer(body)};
    Await([&](auto done) { asio::async_write(socket_, buffers, done); }, deadline, callTimeout_, "send to");
  }

  std::string Read(Clock::time_point deadline) {
    char header[kWireFrameHeaderBytes];
    Await([&](auto done) { asio::async_read(socket_, asio::buffer(header), done); }, deadline, callTimeout_,
          "receive from");
    const std::uint32_t length = WireFrameLength(header);
    if (length == 0 || length > maxFrame_) {
      Lost();
      throw EWireProtocolError("The server sent a frame of " + Num(length) + " bytes, above the limit of " +
                               Num(maxFrame_) + " bytes");
    }
    // Beyond the first megabyte the body grows with what arrives, not with
    // what the header claims.
    std::string body;
    body.reserve(std::min<std::size_t>(length, kTrustedReserve));
    while (body.size() < length) {
      const std::size_t offset = body.size();
      const std::size_t chunk = std::min<std::size_t>(length - offset, kReadChunk);
      body.resize(offset + chunk);
      Await([&](auto done) { asio::async_read(socket_, asio::buffer(body.data() + offset, chunk), done); }, deadline,
            callTimeout_, "receive from");
    }
    return body;
  }

  // Runs one asynchronous operation on this thread until it completes or
  // the deadline passes (`timeout` after the operation's start, for the text).
  template <class Start>
  void Await(Start start, Clock::time_point deadline, std::chrono::milliseconds timeout, const char* what) {
    std::optional<boost::system::error_code> outcome;
    start([&outcome](const boost::system::error_code& ec, std::size_t) { outcome = ec; });
    io_.restart();
    while (!outcome && io_.run_one_until(deadline) != 0) {
    }
    if (!outcome) {
      Lost();
      // Let the cancelled operation finish before its state goes.
      io_.restart();
      io_.run();
      throw EWireTimeout("No answer from the server " + peer_ + " within " +
                         Num(static_cast<std::uint64_t>(timeout.count())) + " ms; the connection was closed");
    }
    if (*outcome) {
      Lost();
      io_.restart();
      io_.run();
      if (*outcome == asio::error::eof || *outcome == asio::error::connection_reset)
        throw EWireClosed("The server " + peer_ + " closed the connection");
      throw EWireClosed("Cannot " + AnsiString(what) + " the server " + peer_ + ": " + Text(outcome->message()));
    }
  }

  void Lost() noexcept {
    MarkClosed();
    Disconnect();
  }

  asio::io_context io_;
  tcp::socket socket_;
  std::chrono::milliseconds callTimeout_;
  std::size_t maxFrame_;
  AnsiString peer_;
};

}  // namespace

std::shared_ptr<WireConnection> ConnectWireTcp(const WireClientOptions& options) {
  return TcpWireConnection::Open(options);
}

}  // namespace platform
