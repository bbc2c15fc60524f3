#include "platform/wire/WireServerConfig.h"

#include "platform/ClassRegistry.h"

namespace platform {

WireCreatableClass RegisteredWireClass(std::string name) {
  std::string className = name;
  return {std::move(name), [className](const WireSessionContext&) { return CreateAutoObject(className); }};
}

}  // namespace platform
