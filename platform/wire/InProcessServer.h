// The application server of this process: the configuration a connection
// to the address "127.0.0.1" opens its session on (no socket). The server
// library installs it when it is loaded and removes it when it goes; while
// none is installed, such connections fail.
#pragma once

#include <memory>

#include "platform/wire/WireServerConfig.h"

namespace platform {

// Installs the in-process server (nullptr removes it). A connection keeps
// the configuration it opened with.
void SetInProcessServer(std::shared_ptr<const WireServerConfig> config);
// The installed server, nullptr when there is none.
std::shared_ptr<const WireServerConfig> InProcessServer();

}  // namespace platform
