// TCustomRemoteServer: a component that is a provider connection, so a
// client data set can name it in its RemoteServer property (and a form
// resource can wire it by name). The wire's socket connection and
// TLocalProvider derive from it.
#pragma once

#include "platform/data/ProviderConnection.h"
#include "platform/ui/Component.h"

namespace platform {

class TCustomRemoteServer : public TComponent, public IProviderConnection {
  PLATFORM_CLASS(TCustomRemoteServer)

 public:
  explicit TCustomRemoteServer(TComponent* owner) : TComponent(owner) {}
};

}  // namespace platform
