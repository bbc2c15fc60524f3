// The session credential of this process: what the host's login received
// for its user (one user per host process). Every connection to the
// application server presents it in its handshake, in-process ones
// included; until the login sets it, it is empty and servers refuse it.
#pragma once

#include <string>

namespace platform {

// A copy of the credential (bytes; empty before the login).
std::string SessionCredential();
// Sets the credential; "" forgets it (at log-out).
void SetSessionCredential(std::string credential);

}  // namespace platform
