#include "platform/wire/SessionCredential.h"

#include <mutex>
#include <utility>

namespace platform {

namespace {

struct CredentialSlot {
  std::mutex mutex;
  std::string value;
};

CredentialSlot& Slot() {
  static CredentialSlot slot;
  return slot;
}

}  // namespace

std::string SessionCredential() {
  CredentialSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  return slot.value;
}

void SetSessionCredential(std::string credential) {
  CredentialSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.value = std::move(credential);
}

}  // namespace platform
