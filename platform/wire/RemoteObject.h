// RemoteObject: an object of the application server as the client holds
// it. Its Invoke sends the call over its connection and waits for the
// answer: the result is returned, the new values of by-reference
// arguments are written into the caller's variables, and an error value
// of the server raises EWireFault with the server's text. The server's
// object is released when the last reference to the RemoteObject goes.
//
// RemoteObjects are made by their WireConnection only.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/Automation.h"

namespace platform {

class WireConnection;

class RemoteObject final : public AutoObject {
 public:
  RemoteObject(std::shared_ptr<WireConnection> connection, std::uint64_t handle, AnsiString className);
  ~RemoteObject() override;

  Variant Invoke(std::string_view name, InvokeKind kind, std::span<Variant> args) override;
  // The class name the server gave ("RemoteObject" when it gave none).
  AnsiString AutoClassName() const override;

  std::uint64_t Handle() const { return handle_; }
  const WireConnection& Connection() const { return *connection_; }

 private:
  friend class WireConnection;
  void AddReceipt() { receipts_.fetch_add(1, std::memory_order_relaxed); }

  std::shared_ptr<WireConnection> connection_;
  std::uint64_t handle_;
  AnsiString className_;
  // How many times the server has sent this handle to this proxy: the
  // references given back when it goes.
  std::atomic<std::uint64_t> receipts_{1};
};

}  // namespace platform
