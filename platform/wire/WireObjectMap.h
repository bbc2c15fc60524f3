// How object references cross the wire: each side of a connection gives
// the codec a map between its objects and the handles the server created.
//
// On the server the map is the session's handle table: an object in a
// result gets a handle (the same one each time for the same object), a
// handle in a call's arguments gives back the object. On the client a
// handle in a reply gives the proxy object (RemoteObject) of the
// connection, and only such proxies can be sent: a local object cannot be
// passed to the server.
#pragma once

#include <cstdint>

#include "platform/Automation.h"

namespace platform {

struct WireObjectRef {
  std::uint64_t handle = 0;
  AnsiString className;  // for the receiver's information; may be empty
};

class WireObjectMap {
 public:
  virtual ~WireObjectMap() = default;
  // The handle that stands for the object in a message being encoded.
  // Raises EWireError when the object cannot cross.
  virtual WireObjectRef HandleOf(const AutoObjectPtr& object) = 0;
  // The object a handle of a received message stands for. Raises
  // EWireProtocolError for a handle the receiver does not know.
  virtual AutoObjectPtr ObjectOf(const WireObjectRef& ref) = 0;
};

}  // namespace platform
