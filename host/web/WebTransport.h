// Private header of host_web: the HTTP and WebSocket transport, the only
// part that sees Boost.Beast (WebTransport.cpp).
//
// One I/O thread serves every connection. Requests and socket messages are
// handed to the handlers on that thread; the handlers must not block for
// long and must not touch forms (they post to the UI thread). One WebSocket
// is current at a time: an accepted new one replaces it, and the old one is
// closed with the reason "taken over".
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace hostweb {

struct HttpRequest {
  std::string Method;
  std::string Target;  // path and query, as sent
  std::string Host;    // the Host header
  std::string Origin;  // the Origin header; empty when absent
  bool HasOrigin = false;
};

struct HttpResponse {
  int Status = 200;
  std::string ContentType = "text/plain; charset=utf-8";
  std::string Body;
  std::vector<std::pair<std::string, std::string>> Headers;
};

struct TransportHandlers {
  // Any plain HTTP request.
  std::function<HttpResponse(const HttpRequest&)> Http;
  // An upgrade request: true accepts the socket; false answers 403.
  std::function<bool(const HttpRequest&)> AcceptSocket;
  // The accepted socket became the current one (connection counts from 1).
  std::function<void(std::uint64_t connection)> Opened;
  // A text message of the current socket.
  std::function<void(std::uint64_t connection, std::string message)> Message;
  // The current socket went (closed by the browser, broken, or replaced).
  std::function<void(std::uint64_t connection)> Closed;
};

struct TransportOptions {
  unsigned short Port = 0;                // 0: any free port
  std::size_t MaxMessageBytes = 256 * 1024;  // larger socket messages close the socket
};

class WebTransport {
 public:
  WebTransport();
  ~WebTransport();
  WebTransport(const WebTransport&) = delete;
  WebTransport& operator=(const WebTransport&) = delete;

  // Listens on 127.0.0.1 and returns the bound port; raises
  // std::runtime_error when the port cannot be bound.
  unsigned short Listen(const TransportOptions& options);
  // Starts serving on the I/O thread (after Listen).
  void Run(TransportHandlers handlers);
  // The bound port (0 before Start).
  unsigned short Port() const;
  // Closes every connection and joins the I/O thread. Idempotent.
  void Stop();
  // Queues a text message to the current socket, when it is still
  // connection; safe from any thread; messages keep their order.
  void Send(std::uint64_t connection, std::string message);
  // The current socket's connection number; 0 when none.
  std::uint64_t Current() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace hostweb
