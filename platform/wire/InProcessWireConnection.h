// The in-process path: a client connection whose server session lives in
// the same process (the address "127.0.0.1" of the module's connections).
// Messages are encoded and decoded exactly as over TCP; the encoded bytes
// are handed to the session directly instead of a socket. The handshake
// and its credential are the same too.
#pragma once

#include <memory>

#include "platform/wire/WireConnection.h"
#include "platform/wire/WireServerConfig.h"

namespace platform {

// Opens a session of the server configuration; raises EWireRefused when
// the handshake is refused. The options' host, port and time-outs are not
// used.
std::shared_ptr<WireConnection> ConnectWireInProcess(std::shared_ptr<const WireServerConfig> server,
                                                     const WireClientOptions& options);

}  // namespace platform
