// The TCP path: a client connection to a wire server (WireTcpServer) at
// the options' host and port. Opening it connects within the connect
// time-out and runs the handshake; each call then waits at most the call
// time-out for its answer, on the caller's own thread.
#pragma once

#include <memory>

#include "platform/wire/WireConnection.h"

namespace platform {

// Raises EWireError when the server cannot be reached, EWireTimeout when
// it does not answer in time and EWireRefused when it refuses the
// handshake.
std::shared_ptr<WireConnection> ConnectWireTcp(const WireClientOptions& options);

}  // namespace platform
