// The messages of the wire protocol between the module and the
// application server.
//
// A connection starts with the handshake: the client's Hello (protocol
// version, its process code page, the session credential), answered by
// Welcome (the server's version and code page) or by Refused with a text
// saying why (another protocol version, another code page, a credential
// the server does not accept); after Refused the server closes the
// connection. Then the client sends Calls, each answered by a Result or a
// Fault with the same request number, and Releases, which are not
// answered.
//
// Call: the target object handle, the member name, the invoke kind, the
// arguments, and the positions (0-based, ascending) of the by-reference
// arguments. Result: the call's result and, in the order of those
// positions, the new values of the by-reference arguments. Fault: the
// error value of a failed call (the class name of the server's exception,
// its text, its source and its code); exceptions never cross the wire.
//
// Objects cross only as handles the server created. Handle 0 is the
// session itself; it has one method, CreateObject(className), which makes
// an object of a class in the server's allow-list: that is how a client
// gets the root object of its connection. Every time the server sends a
// handle it counts one reference for the client; Release(handle, count)
// gives back `count` of them, and the server lets go of the object when
// none is left.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Automation.h"
#include "platform/Variant.h"

namespace platform {

inline constexpr std::uint32_t kWireProtocolVersion = 1;
// The handle of the session object, which answers CreateObject.
inline constexpr std::uint64_t kWireSessionHandle = 0;
inline constexpr const char* kWireCreateObjectMember = "CreateObject";

enum class WireMessageKind : std::uint8_t {
  Hello = 1,
  Welcome = 2,
  Refused = 3,
  Call = 4,
  Result = 5,
  Fault = 6,
  Release = 7,
};

struct WireHello {
  std::uint32_t version = kWireProtocolVersion;
  std::uint32_t codePage = 0;
  std::string credential;  // opaque bytes
};

struct WireWelcome {
  std::uint32_t version = kWireProtocolVersion;
  std::uint32_t codePage = 0;
  std::uint64_t maxFrameBytes = 0;  // the largest message the server accepts
};

struct WireRefused {
  AnsiString message;
};

struct WireCall {
  std::uint64_t request = 0;
  std::uint64_t object = 0;
  AnsiString member;
  InvokeKind kind = InvokeKind::Method;
  std::vector<Variant> args;           // values (a ByRef is encoded as the value it refers to)
  std::vector<std::uint32_t> byRef;    // positions of the by-reference arguments, ascending
};

struct WireResult {
  std::uint64_t request = 0;
  Variant result;
  std::vector<Variant> byRefValues;  // one per by-reference position of the call
};

struct WireFault {
  std::uint64_t request = 0;
  AnsiString className;  // of the server's exception
  AnsiString message;
  AnsiString source;
  std::int32_t code = 0;
};

struct WireRelease {
  std::uint64_t object = 0;
  std::uint64_t count = 1;
};

using WireMessage = std::variant<WireHello, WireWelcome, WireRefused, WireCall, WireResult, WireFault, WireRelease>;

}  // namespace platform
