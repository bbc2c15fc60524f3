#include "platform/wire/RemoteObject.h"

#include "platform/wire/WireConnection.h"

namespace platform {

RemoteObject::RemoteObject(std::shared_ptr<WireConnection> connection, std::uint64_t handle, AnsiString className)
    : connection_(std::move(connection)), handle_(handle), className_(std::move(className)) {}

RemoteObject::~RemoteObject() {
  connection_->ForgetProxy(handle_);
  connection_->Release(handle_, receipts_.load());
}

Variant RemoteObject::Invoke(std::string_view name, InvokeKind kind, std::span<Variant> args) {
  return connection_->Invoke(handle_, name, kind, args);
}

AnsiString RemoteObject::AutoClassName() const { return className_.IsEmpty() ? AnsiString("RemoteObject") : className_; }

}  // namespace platform
