// WireTcpServer: serves wire sessions over TCP, one session per
// connection (WireServerSession).
//
// Its I/O threads only accept connections and cut the byte streams into
// frames; every message is handled on a pool of worker threads, the
// messages of one connection one after the other in the order they came
// (the next frame of a connection is taken only after the previous one was
// answered). A frame that breaks the protocol (too large, empty, not
// decodable, the wrong kind, an unknown handle) closes that connection
// only. A connection must complete its handshake, and each frame whose
// first bytes arrived, within the frame time-out; between calls a
// connection may stay idle.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/wire/WireServerConfig.h"

namespace platform {

struct WireTcpServerOptions {
  std::string address = "0.0.0.0";  // name or address to listen on
  unsigned short port = 211;         // 0: any free port (Port() tells which)
  int ioThreads = 1;
  int workerThreads = 4;
  std::chrono::milliseconds frameTimeout{30000};
  std::size_t maxConnections = 1024;  // more are closed as they come
};

class WireTcpServer {
 public:
  WireTcpServer(std::shared_ptr<const WireServerConfig> config, WireTcpServerOptions options = {});
  // Stops the server.
  ~WireTcpServer();
  WireTcpServer(const WireTcpServer&) = delete;
  WireTcpServer& operator=(const WireTcpServer&) = delete;

  // Starts listening and serving; raises EWireError when the address
  // cannot be listened on.
  void Start();
  // Stops accepting, closes every connection and waits for calls in
  // progress to end. Not to be called from a server object's call.
  void Stop();

  unsigned short Port() const;
  // Connections open now.
  std::size_t ConnectionCount() const;

 private:
  struct Impl;
  friend class WireTcpConnection;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
