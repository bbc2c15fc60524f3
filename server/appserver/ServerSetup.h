// ServerSetup: the application server of an installation, as the daemon
// runs it and as a host installs it in-process for the address
// "127.0.0.1": the storage of the options, the company catalogue, the
// company services "Com_Validator" and "Com_Counter", and the system
// schema created or upgraded.
#pragma once

#include <memory>

#include "server/appserver/AppServerOptions.h"
#include "server/objects/ServerContext.h"

namespace server {

// Raises storage::EStorageError when the storage cannot be opened.
std::shared_ptr<ServerContext> MakeServerContext(const AppServerOptions& options);

}  // namespace server
