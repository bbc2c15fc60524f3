// What a wire server offers its clients: the classes they may create (an
// allow-list; a client never names an arbitrary class), how a session's
// credential is checked, its code page and its limits. One configuration
// serves every session of a server, in-process and over TCP alike.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Automation.h"
#include "platform/wire/WireLimits.h"

namespace platform {

// What the objects of a session know of the client that opened it.
struct WireSessionContext {
  std::string credential;           // as the client presented it
  std::shared_ptr<void> identity;   // whatever the authenticator records
};

// Accepts (true) or refuses the credential of a new session; it may record
// the identity it found in the context. An exception refuses with its text.
using WireAuthenticator = std::function<bool(WireSessionContext& context)>;

struct WireCreatableClass {
  std::string name;  // compared without regard to ASCII case
  std::function<AutoObjectPtr(const WireSessionContext&)> create;
};

// A creatable class whose objects come from the class registry
// (CreateAutoObject).
WireCreatableClass RegisteredWireClass(std::string name);

struct WireServerConfig {
  std::vector<WireCreatableClass> classes;
  // Required: a server without one would let anyone in.
  WireAuthenticator authenticate;
  // The server's code page; 0 is the process code page. A client with
  // another one is refused.
  unsigned codePage = 0;
  WireLimits limits;
  // Most objects one session may hold at a time.
  std::size_t maxObjects = 65536;
};

}  // namespace platform
