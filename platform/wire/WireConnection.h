// WireConnection: the client side of a connection to the application
// server, over TCP (TcpWireConnection.h) or in-process
// (InProcessWireConnection.h). Both use the same encoder and decoder; the
// in-process one only leaves out the socket.
//
// A connection is opened with its session credential and the handshake
// (WireMessage.h); then CreateObject gives the root object, a RemoteObject
// whose calls go to the server. Objects the server returns become
// RemoteObjects of the same connection; they keep the connection alive,
// and the connection gives their handles back when the last reference to
// one goes.
//
// Calls are synchronous on the caller's thread; calls from several threads
// take turns. A call that gets no answer within the time-out raises
// EWireTimeout and closes the connection; a connection that is closed or
// lost raises EWireClosed on every later call. The server's error value
// for a call arrives as EWireFault (an EOleException with the server's
// text); the connection stays usable.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/Automation.h"
#include "platform/wire/WireCodec.h"

namespace platform {

class RemoteObject;

struct WireClientOptions {
  std::string host;          // name or address (TCP only)
  unsigned short port = 211; // TCP only
  // The session credential presented in the handshake.
  std::string credential;
  std::chrono::milliseconds connectTimeout{10000};  // TCP only
  // Longest wait for the answer to one call (TCP only).
  std::chrono::milliseconds callTimeout{30000};
  unsigned codePage = 0;  // 0: the process code page
  WireLimits limits;
};

class WireConnection : public std::enable_shared_from_this<WireConnection> {
 public:
  virtual ~WireConnection();
  WireConnection(const WireConnection&) = delete;
  WireConnection& operator=(const WireConnection&) = delete;

  // Asks the server for a new object of a class it offers (its root object).
  AutoObjectPtr CreateObject(std::string_view className);

  bool Connected() const { return open_; }
  // Closes the connection; the server lets go of the session's objects.
  void Close();

  // Calls a member of the server's object with the handle; ByRef
  // arguments receive the values the server sends back. Used by
  // RemoteObject.
  Variant Invoke(std::uint64_t handle, std::string_view member, InvokeKind kind, std::span<Variant> args);
  // Gives back references to a handle (RemoteObject's destructor).
  void Release(std::uint64_t handle, std::uint64_t count) noexcept;

  const WireCodec& Codec() const { return codec_; }

 protected:
  explicit WireConnection(const WireClientOptions& options);

  // The handshake; raises EWireRefused when the server refuses.
  void Handshake(const std::string& credential);
  // The transport: sends one message body and returns the body of the
  // answer; raises EWireTimeout or EWireClosed (and is then closed).
  virtual std::string Exchange(const std::string& body) = 0;
  // Sends one message body that has no answer.
  virtual void Send(const std::string& body) = 0;
  virtual void Disconnect() noexcept = 0;
  // For transports that learn the server has closed the connection.
  void MarkClosed() noexcept { open_ = false; }

 private:
  class Proxies;
  friend class RemoteObject;
  struct CallGuard;

  void CloseLocked() noexcept;
  void FlushReleasesLocked() noexcept;
  void ForgetProxy(std::uint64_t handle);

  WireCodec codec_;
  std::atomic<bool> open_{true};
  std::mutex io_;                               // one exchange at a time
  std::atomic<std::thread::id> owner_{};        // the thread holding io_
  std::mutex pendingMutex_;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> pendingReleases_;
  std::uint64_t lastRequest_ = 0;
  std::size_t sendLimit_;  // the smaller of the two sides' frame limits
  std::unique_ptr<Proxies> proxies_;
};

}  // namespace platform
