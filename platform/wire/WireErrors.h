// The failures of calls over the wire between the module and the
// application server.
//
// They derive from EOleException, so that a failure of the transport
// reaches the caller of OleCall with its own class (OleInvoke passes
// EOleException on unchanged) and callers that treat any automation error
// as "not found" keep doing so. The codes are the automation status codes
// of the same failures.
//
// - EWireError: an argument that cannot cross (a local object, a message
//   above the frame limit) or a failed connection attempt; also the base.
// - EWireClosed: the connection is closed or was lost; every later call on
//   it raises this too.
// - EWireTimeout: no answer within the call's time-out; the connection is
//   closed.
// - EWireProtocolError: a message that is truncated, oversized, malformed
//   or of the wrong kind (a peer that does not follow the protocol).
// - EWireRefused: the server refused the handshake (protocol version, code
//   page or credential); the text says why.
// - EWireFault: the error value the server answered for a call: its text,
//   its source and the class name of the server's exception. It presents
//   itself as EOleException, which is what a failing automation call
//   raises.
#pragma once

#include <cstdint>

#include "platform/Exceptions.h"

namespace platform {

inline constexpr std::int32_t kWireTypeMismatch = static_cast<std::int32_t>(0x80020005u);   // DISP_E_TYPEMISMATCH
inline constexpr std::int32_t kWireDisconnected = static_cast<std::int32_t>(0x80010108u);   // RPC_E_DISCONNECTED
inline constexpr std::int32_t kWireTimedOut = static_cast<std::int32_t>(0x8001011Fu);       // RPC_E_TIMEOUT
inline constexpr std::int32_t kWireInvalidData = static_cast<std::int32_t>(0x80010009u);    // RPC_E_INVALID_DATAPACKET
inline constexpr std::int32_t kWireAccessDenied = static_cast<std::int32_t>(0x80070005u);   // E_ACCESSDENIED

class EWireError : public EOleException {
 public:
  explicit EWireError(AnsiString message, std::int32_t code = kWireTypeMismatch)
      : EOleException(std::move(message), "Wire", code) {}
  const char* ClassName() const override { return "EWireError"; }
};

class EWireClosed : public EWireError {
 public:
  explicit EWireClosed(AnsiString message) : EWireError(std::move(message), kWireDisconnected) {}
  const char* ClassName() const override { return "EWireClosed"; }
};

class EWireTimeout : public EWireError {
 public:
  explicit EWireTimeout(AnsiString message) : EWireError(std::move(message), kWireTimedOut) {}
  const char* ClassName() const override { return "EWireTimeout"; }
};

class EWireProtocolError : public EWireError {
 public:
  explicit EWireProtocolError(AnsiString message) : EWireError(std::move(message), kWireInvalidData) {}
  const char* ClassName() const override { return "EWireProtocolError"; }
};

class EWireRefused : public EWireError {
 public:
  explicit EWireRefused(AnsiString message) : EWireError(std::move(message), kWireAccessDenied) {}
  const char* ClassName() const override { return "EWireRefused"; }
};

class EWireFault : public EOleException {
 public:
  EWireFault(AnsiString message, AnsiString source, std::int32_t code, AnsiString serverClassName)
      : EOleException(std::move(message), std::move(source), code), serverClassName_(std::move(serverClassName)) {}
  // The class of the exception the server's object raised ("EConvertError").
  const AnsiString& ServerClassName() const { return serverClassName_; }

 private:
  AnsiString serverClassName_;
};

}  // namespace platform
