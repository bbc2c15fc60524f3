#include "platform/data/RemoteServer.h"

#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TCustomRemoteServer::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TCustomRemoteServer>("TCustomRemoteServer", TComponent::StaticClass()).Build();
  return info;
}

}  // namespace platform
