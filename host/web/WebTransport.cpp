// g++ 12 needs <utility> before the Asio headers.
#include <utility>

#include "host/web/WebTransport.h"

#include <boost/asio/bind_executor.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace hostweb {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;

namespace {

constexpr std::uint16_t kTakenOver = 4000;  // close code the browser shows as "opened elsewhere"
constexpr auto kHttpIdle = std::chrono::seconds(30);

HttpRequest ToRequest(const http::request<http::empty_body>& req) {
  HttpRequest out;
  out.Method = std::string(req.method_string());
  out.Target = std::string(req.target());
  out.Host = std::string(req[http::field::host]);
  auto origin = req.find(http::field::origin);
  out.HasOrigin = origin != req.end();
  if (out.HasOrigin) out.Origin = std::string(origin->value());
  return out;
}

}  // namespace

struct WebTransport::Impl {
  asio::io_context ioc{1};
  tcp::acceptor acceptor{ioc};
  std::thread thread;
  TransportHandlers handlers;
  TransportOptions options;
  unsigned short port = 0;

  class SocketPeer;
  // The current socket; touched on the I/O thread only, except currentId
  // which Current() reads.
  std::shared_ptr<SocketPeer> current;
  mutable std::mutex mutex;
  std::uint64_t currentId = 0;
  std::uint64_t nextId = 0;
  bool stopped = false;

  class SocketPeer : public std::enable_shared_from_this<SocketPeer> {
   public:
    SocketPeer(Impl& impl, tcp::socket socket, std::uint64_t id)
        : impl_(impl), ws_(std::move(socket)), id_(id) {}

    void Run(http::request<http::empty_body> req) {
      ws_.read_message_max(impl_.options.MaxMessageBytes);
      ws_.auto_fragment(false);
      ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
      ws_.async_accept(req, [self = shared_from_this()](beast::error_code ec) { self->OnAccept(ec); });
    }

    void Queue(std::string message) {
      if (closing_) return;
      out_.push_back(std::move(message));
      if (out_.size() == 1) WriteNext();
    }

    // Replaced by a newer socket.
    void TakeOver() {
      closing_ = true;
      out_.clear();
      ws_.async_close(websocket::close_reason(static_cast<websocket::close_code>(kTakenOver), "taken over"),
                      [self = shared_from_this()](beast::error_code) {});
    }

    void Close() {
      if (closing_) return;
      closing_ = true;
      beast::error_code ec;
      beast::get_lowest_layer(ws_).socket().close(ec);
    }

    std::uint64_t Id() const { return id_; }

   private:
    void OnAccept(beast::error_code ec) {
      if (ec) return;
      if (impl_.current) {
        auto old = impl_.current;
        impl_.SetCurrent(nullptr);
        old->TakeOver();
        if (impl_.handlers.Closed) impl_.handlers.Closed(old->Id());
      }
      impl_.SetCurrent(shared_from_this());
      if (impl_.handlers.Opened) impl_.handlers.Opened(id_);
      Read();
    }

    void Read() {
      ws_.async_read(buffer_, [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnRead(ec); });
    }

    void OnRead(beast::error_code ec) {
      if (ec) {
        // A message over the limit ends here too (websocket::error::message_too_big).
        Gone();
        return;
      }
      if (ws_.got_text() && impl_.current.get() == this && impl_.handlers.Message)
        impl_.handlers.Message(id_, beast::buffers_to_string(buffer_.data()));
      buffer_.consume(buffer_.size());
      Read();
    }

    void WriteNext() {
      ws_.text(true);
      ws_.async_write(asio::buffer(out_.front()), [self = shared_from_this()](beast::error_code ec, std::size_t) {
        if (ec) {
          self->out_.clear();
          self->Gone();
          return;
        }
        self->out_.pop_front();
        if (!self->out_.empty()) self->WriteNext();
      });
    }

    void Gone() {
      closing_ = true;
      if (impl_.current.get() != this) return;
      impl_.SetCurrent(nullptr);
      if (impl_.handlers.Closed) impl_.handlers.Closed(id_);
    }

    Impl& impl_;
    websocket::stream<beast::tcp_stream> ws_;
    beast::flat_buffer buffer_;
    std::deque<std::string> out_;
    std::uint64_t id_;
    bool closing_ = false;
  };

  class HttpPeer : public std::enable_shared_from_this<HttpPeer> {
   public:
    HttpPeer(Impl& impl, tcp::socket socket) : impl_(impl), stream_(std::move(socket)) {}

    void Read() {
      parser_.emplace();
      parser_->header_limit(16 * 1024);
      parser_->body_limit(4 * 1024);
      stream_.expires_after(kHttpIdle);
      http::async_read(stream_, buffer_, *parser_,
                       [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnRead(ec); });
    }

   private:
    void OnRead(beast::error_code ec) {
      if (ec) {
        // Malformed, too large or idle: the connection is dropped.
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
        return;
      }
      http::request<http::empty_body> req = parser_->release();
      const HttpRequest request = ToRequest(req);
      if (websocket::is_upgrade(req)) {
        if (impl_.handlers.AcceptSocket && impl_.handlers.AcceptSocket(request)) {
          stream_.expires_never();
          std::uint64_t id;
          {
            std::lock_guard lock(impl_.mutex);
            id = ++impl_.nextId;
          }
          std::make_shared<SocketPeer>(impl_, stream_.release_socket(), id)->Run(std::move(req));
          return;
        }
        HttpResponse refused;
        refused.Status = 403;
        refused.Body = "Forbidden\n";
        Respond(req, refused, false);
        return;
      }
      HttpResponse response;
      try {
        response = impl_.handlers.Http ? impl_.handlers.Http(request) : HttpResponse{404, {}, "Not found\n", {}};
      } catch (const std::exception& e) {
        response = HttpResponse{500, "text/plain; charset=utf-8", "Internal error\n", {}};
      }
      Respond(req, response, req.keep_alive());
    }

    void Respond(const http::request<http::empty_body>& req, const HttpResponse& r, bool keepAlive) {
      auto res = std::make_shared<http::response<http::string_body>>(static_cast<http::status>(r.Status),
                                                                      req.version());
      res->set(http::field::content_type, r.ContentType);
      res->set(http::field::cache_control, "no-store");
      res->set("X-Content-Type-Options", "nosniff");
      for (const auto& [name, value] : r.Headers) res->set(name, value);
      if (req.method() != http::verb::head) res->body() = r.Body;
      res->keep_alive(keepAlive);
      res->prepare_payload();
      if (req.method() == http::verb::head) res->content_length(r.Body.size());
      stream_.expires_after(kHttpIdle);
      http::async_write(stream_, *res, [self = shared_from_this(), res, keepAlive](beast::error_code ec, std::size_t) {
        if (ec || !keepAlive) {
          beast::error_code ignored;
          self->stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
          return;
        }
        self->Read();
      });
    }

    Impl& impl_;
    beast::tcp_stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::empty_body>> parser_;
  };

  void SetCurrent(std::shared_ptr<SocketPeer> peer) {
    std::lock_guard lock(mutex);
    currentId = peer ? peer->Id() : 0;
    current = std::move(peer);
  }

  void Accept() {
    acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
      if (ec) {
        if (ec == asio::error::operation_aborted || !acceptor.is_open()) return;
      } else {
        std::make_shared<HttpPeer>(*this, std::move(socket))->Read();
      }
      Accept();
    });
  }
};

WebTransport::WebTransport() : impl_(std::make_unique<Impl>()) {}

WebTransport::~WebTransport() { Stop(); }

unsigned short WebTransport::Listen(const TransportOptions& options) {
  Impl& impl = *impl_;
  impl.options = options;
  const tcp::endpoint endpoint(asio::ip::make_address_v4("127.0.0.1"), options.Port);
  beast::error_code ec;
  impl.acceptor.open(endpoint.protocol(), ec);
  if (!ec) impl.acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) impl.acceptor.bind(endpoint, ec);
  if (!ec) impl.acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    beast::error_code ignored;
    impl.acceptor.close(ignored);
    throw std::runtime_error("The web server cannot listen on 127.0.0.1 port " + std::to_string(options.Port) +
                             ": " + ec.message());
  }
  impl.port = impl.acceptor.local_endpoint().port();
  return impl.port;
}

void WebTransport::Run(TransportHandlers handlers) {
  Impl& impl = *impl_;
  impl.handlers = std::move(handlers);
  impl.Accept();
  impl.thread = std::thread([&impl] { impl.ioc.run(); });
}

unsigned short WebTransport::Port() const { return impl_->port; }

void WebTransport::Stop() {
  Impl& impl = *impl_;
  if (!impl.thread.joinable()) return;
  asio::post(impl.ioc, [&impl] {
    beast::error_code ignored;
    impl.acceptor.close(ignored);
    if (impl.current) impl.current->Close();
    impl.SetCurrent(nullptr);
    impl.ioc.stop();
  });
  impl.thread.join();
}

void WebTransport::Send(std::uint64_t connection, std::string message) {
  Impl& impl = *impl_;
  asio::post(impl.ioc, [&impl, connection, message = std::move(message)]() mutable {
    if (impl.current && impl.current->Id() == connection) impl.current->Queue(std::move(message));
  });
}

std::uint64_t WebTransport::Current() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->currentId;
}

}  // namespace hostweb
