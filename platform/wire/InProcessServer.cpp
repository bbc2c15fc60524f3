#include "platform/wire/InProcessServer.h"

#include <mutex>
#include <utility>

namespace platform {

namespace {

struct ServerSlot {
  std::mutex mutex;
  std::shared_ptr<const WireServerConfig> config;
};

ServerSlot& Slot() {
  static ServerSlot slot;
  return slot;
}

}  // namespace

void SetInProcessServer(std::shared_ptr<const WireServerConfig> config) {
  ServerSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.config = std::move(config);
}

std::shared_ptr<const WireServerConfig> InProcessServer() {
  ServerSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  return slot.config;
}

}  // namespace platform
