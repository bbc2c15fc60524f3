// One of the two translation units that use Boost.Asio.
#include <utility>  // before Boost.Asio with g++ 12

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/asio/write.hpp>

#include "platform/wire/WireTcpServer.h"

#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/wire/WireErrors.h"
#include "platform/wire/WireFrame.h"
#include "platform/wire/WireServerSession.h"

namespace platform {

namespace {

namespace asio = boost::asio;
using asio::ip::tcp;
using boost::system::error_code;

constexpr std::size_t kReadChunk = 64 * 1024;

AnsiString Text(const std::string& s) { return AnsiString(s.c_str()); }

}  // namespace

class WireTcpConnection;

struct WireTcpServer::Impl {
  Impl(std::shared_ptr<const WireServerConfig> c, WireTcpServerOptions o)
      : config(std::move(c)), options(std::move(o)), acceptor(asio::make_strand(io)), retry(acceptor.get_executor()) {}

  void Accept();

  std::shared_ptr<const WireServerConfig> config;
  WireTcpServerOptions options;
  asio::io_context io;
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work;
  std::unique_ptr<asio::thread_pool> workers;
  tcp::acceptor acceptor;
  asio::steady_timer retry;
  std::vector<std::thread> ioThreads;
  std::mutex mutex;
  std::vector<std::weak_ptr<WireTcpConnection>> connections;
  std::atomic<std::size_t> connectionCount{0};
  unsigned short port = 0;
  bool running = false;
};

// One connection: its socket and timer live on one strand of the I/O
// threads; its session is used on the worker pool, one message at a time.
class WireTcpConnection : public std::enable_shared_from_this<WireTcpConnection> {
 public:
  WireTcpConnection(WireTcpServer::Impl& server, tcp::socket socket)
      : server_(server),
        socket_(std::move(socket)),
        timer_(socket_.get_executor()),
        session_(server.config),
        reader_(server.config->limits.maxFrameBytes) {
    ++server_.connectionCount;
  }
  ~WireTcpConnection() { --server_.connectionCount; }

  void Start() {
    error_code ignored;
    socket_.set_option(tcp::no_delay(true), ignored);
    UpdateTimer();
    ReadMore();
  }

  asio::any_io_executor Executor() { return socket_.get_executor(); }

  void Shut() {
    if (closed_) return;
    closed_ = true;
    error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    timer_.cancel();
  }

 private:
  void ReadMore() {
    if (closed_) return;
    socket_.async_read_some(asio::buffer(chunk_), [self = shared_from_this()](const error_code& ec, std::size_t n) {
      if (ec) {
        self->Shut();
        return;
      }
      self->reader_.Append(self->chunk_.data(), n);
      self->NextFrame();
    });
  }

  // Hands the next complete frame to the workers, or reads on.
  void NextFrame() {
    if (closed_) return;
    std::optional<std::string> body;
    try {
      body = reader_.Next();
    } catch (const Exception&) {
      Shut();
      return;
    }
    if (!body) {
      UpdateTimer();
      ReadMore();
      return;
    }
    StopTimer();
    asio::post(*server_.workers, [self = shared_from_this(), body = std::move(*body)] {
      WireServerSession::Outcome outcome = self->session_.Handle(body);
      asio::post(self->Executor(),
                 [self, outcome = std::move(outcome)]() mutable { self->Answered(std::move(outcome)); });
    });
  }

  void Answered(WireServerSession::Outcome outcome) {
    if (closed_) return;
    if (outcome.reply.empty()) {
      if (outcome.close) Shut();
      else NextFrame();
      return;
    }
    out_ = WireFrameHeader(outcome.reply.size());
    out_ += outcome.reply;
    asio::async_write(socket_, asio::buffer(out_),
                      [self = shared_from_this(), close = outcome.close](const error_code& ec, std::size_t) {
                        if (ec || close) self->Shut();
                        else self->NextFrame();
                      });
  }

  // The clock runs until the handshake is done and while a frame is
  // partly received.
  void UpdateTimer() {
    const bool needed = !session_.Welcomed() || reader_.Partial();
    if (!needed) {
      StopTimer();
      return;
    }
    if (timing_) return;
    timing_ = true;
    timer_.expires_after(server_.options.frameTimeout);
    timer_.async_wait([self = shared_from_this(), generation = generation_](const error_code& ec) {
      if (ec || generation != self->generation_) return;
      self->Shut();
    });
  }

  void StopTimer() {
    if (!timing_) return;
    timing_ = false;
    ++generation_;
    timer_.cancel();
  }

  WireTcpServer::Impl& server_;
  tcp::socket socket_;
  asio::steady_timer timer_;
  WireServerSession session_;
  WireFrameReader reader_;
  std::array<char, kReadChunk> chunk_{};
  std::string out_;
  bool closed_ = false;
  bool timing_ = false;
  std::uint64_t generation_ = 0;
};

void WireTcpServer::Impl::Accept() {
  acceptor.async_accept(asio::make_strand(io), [this](const error_code& ec, tcp::socket socket) {
    if (!acceptor.is_open()) return;
    if (ec) {
      // Out of descriptors or the like: try again shortly.
      retry.expires_after(std::chrono::milliseconds(50));
      retry.async_wait([this](const error_code& e) {
        if (!e) Accept();
      });
      return;
    }
    if (connectionCount.load() >= options.maxConnections) {
      error_code ignored;
      socket.close(ignored);
    } else {
      auto connection = std::make_shared<WireTcpConnection>(*this, std::move(socket));
      {
        std::lock_guard lock(mutex);
        std::erase_if(connections, [](const std::weak_ptr<WireTcpConnection>& w) { return w.expired(); });
        connections.push_back(connection);
      }
      asio::post(connection->Executor(), [connection] { connection->Start(); });
    }
    Accept();
  });
}

WireTcpServer::WireTcpServer(std::shared_ptr<const WireServerConfig> config, WireTcpServerOptions options)
    : impl_(std::make_unique<Impl>(std::move(config), std::move(options))) {}

WireTcpServer::~WireTcpServer() { Stop(); }

void WireTcpServer::Start() {
  Impl& s = *impl_;
  if (s.running) return;
  const AnsiString where = Text(s.options.address) + ":" + Text(std::to_string(s.options.port));
  try {
    tcp::resolver resolver(s.io);
    auto endpoints = resolver.resolve(s.options.address, std::to_string(s.options.port),
                                      tcp::resolver::passive | tcp::resolver::numeric_service);
    if (endpoints.empty()) throw EWireError("Cannot listen on " + where + ": no such address");
    tcp::endpoint endpoint = endpoints.begin()->endpoint();
    s.acceptor.open(endpoint.protocol());
    s.acceptor.set_option(tcp::acceptor::reuse_address(true));
    s.acceptor.bind(endpoint);
    s.acceptor.listen();
    s.port = s.acceptor.local_endpoint().port();
  } catch (const boost::system::system_error& e) {
    error_code ignored;
    s.acceptor.close(ignored);
    throw EWireError("Cannot listen on " + where + ": " + Text(e.code().message()));
  }
  s.running = true;
  s.work.emplace(s.io.get_executor());
  s.workers = std::make_unique<asio::thread_pool>(static_cast<std::size_t>(std::max(1, s.options.workerThreads)));
  asio::post(s.acceptor.get_executor(), [&s] { s.Accept(); });
  for (int i = 0; i < std::max(1, s.options.ioThreads); ++i) s.ioThreads.emplace_back([&s] { s.io.run(); });
}

void WireTcpServer::Stop() {
  Impl& s = *impl_;
  if (!s.running) return;
  s.running = false;
  asio::post(s.acceptor.get_executor(), [&s] {
    error_code ignored;
    s.acceptor.close(ignored);
    s.retry.cancel();
  });
  {
    std::lock_guard lock(s.mutex);
    for (auto& weak : s.connections)
      if (auto connection = weak.lock()) asio::post(connection->Executor(), [connection] { connection->Shut(); });
    s.connections.clear();
  }
  // Calls in progress end; then the I/O threads run out of work.
  s.workers->join();
  s.work.reset();
  for (std::thread& t : s.ioThreads) t.join();
  s.ioThreads.clear();
  s.workers.reset();
  s.io.restart();
}

unsigned short WireTcpServer::Port() const { return impl_->port; }

std::size_t WireTcpServer::ConnectionCount() const { return impl_->connectionCount.load(); }

}  // namespace platform
