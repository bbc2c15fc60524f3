#include "platform/wire/WireConnection.h"

#include <unordered_map>
#include <utility>

#include "platform/wire/RemoteObject.h"
#include "platform/wire/WireErrors.h"

namespace platform {

namespace {

AnsiString Num(std::uint64_t n) { return AnsiString(std::to_string(n).c_str()); }

}  // namespace

// The client's object map: handles the server sent become this
// connection's proxies; only such proxies can be sent back.
class WireConnection::Proxies final : public WireObjectMap {
 public:
  explicit Proxies(WireConnection& connection) : connection_(connection) {}

  WireObjectRef HandleOf(const AutoObjectPtr& object) override {
    auto* remote = dynamic_cast<RemoteObject*>(object.get());
    if (!remote)
      throw EWireError("The local object of class " + object->AutoClassName() +
                       " cannot be passed to the server; only the server's own objects can");
    if (&remote->Connection() != &connection_)
      throw EWireError("An object of another server connection cannot be passed over this one");
    return {remote->Handle(), {}};
  }

  AutoObjectPtr ObjectOf(const WireObjectRef& ref) override {
    if (ref.handle == kWireSessionHandle) throw EWireProtocolError("The server sent the session handle as an object");
    std::lock_guard lock(mutex_);
    std::weak_ptr<RemoteObject>& slot = byHandle_[ref.handle];
    if (std::shared_ptr<RemoteObject> live = slot.lock()) {
      live->AddReceipt();
      return live;
    }
    auto proxy = std::make_shared<RemoteObject>(connection_.shared_from_this(), ref.handle, ref.className);
    slot = proxy;
    return proxy;
  }

  // The proxy of the handle is gone (unless a new one took its place).
  void Forget(std::uint64_t handle) {
    std::lock_guard lock(mutex_);
    auto it = byHandle_.find(handle);
    if (it != byHandle_.end() && it->second.expired()) byHandle_.erase(it);
  }

 private:
  WireConnection& connection_;
  std::mutex mutex_;
  std::unordered_map<std::uint64_t, std::weak_ptr<RemoteObject>> byHandle_;
};

// Holds the exchange lock for one call and marks the thread as its owner,
// so that a proxy released during the call queues its release instead of
// waiting for the lock.
struct WireConnection::CallGuard {
  explicit CallGuard(WireConnection& c) : connection(c), lock(c.io_) { c.owner_ = std::this_thread::get_id(); }
  ~CallGuard() { connection.owner_ = std::thread::id(); }
  WireConnection& connection;
  std::lock_guard<std::mutex> lock;
};

WireConnection::WireConnection(const WireClientOptions& options)
    : codec_(options.codePage, options.limits), sendLimit_(options.limits.maxFrameBytes), proxies_(std::make_unique<Proxies>(*this)) {}

WireConnection::~WireConnection() = default;

void WireConnection::Handshake(const std::string& credential) {
  CallGuard guard(*this);
  WireHello hello;
  hello.codePage = codec_.CodePage();
  hello.credential = credential;
  WireMessage answer;
  try {
    answer = codec_.Decode(Exchange(codec_.Encode(hello)));
  } catch (const EWireProtocolError&) {
    CloseLocked();
    throw;
  }
  if (auto* refused = std::get_if<WireRefused>(&answer)) {
    CloseLocked();
    throw EWireRefused("The server refused the connection: " + refused->message);
  }
  auto* welcome = std::get_if<WireWelcome>(&answer);
  if (!welcome) {
    CloseLocked();
    throw EWireProtocolError("The server did not answer the handshake");
  }
  if (welcome->version != kWireProtocolVersion || welcome->codePage != codec_.CodePage()) {
    CloseLocked();
    throw EWireRefused("The server uses wire protocol version " + Num(welcome->version) + " and code page " +
                       Num(welcome->codePage) + "; this client uses version " + Num(kWireProtocolVersion) +
                       " and code page " + Num(codec_.CodePage()));
  }
  if (welcome->maxFrameBytes < sendLimit_) sendLimit_ = static_cast<std::size_t>(welcome->maxFrameBytes);
}

AutoObjectPtr WireConnection::CreateObject(std::string_view className) {
  std::vector<Variant> args{Variant(AnsiString(className.data(), className.size()))};
  Variant object = Invoke(kWireSessionHandle, kWireCreateObjectMember, InvokeKind::Method, args);
  if (!VarIsDispatch(object)) throw EWireProtocolError("The server answered CreateObject with no object");
  return object.AsDispatch();
}

void WireConnection::Close() {
  if (owner_.load() == std::this_thread::get_id()) {
    CloseLocked();
    return;
  }
  CallGuard guard(*this);
  CloseLocked();
}

void WireConnection::CloseLocked() noexcept {
  open_ = false;
  Disconnect();
}

Variant WireConnection::Invoke(std::uint64_t handle, std::string_view member, InvokeKind kind,
                               std::span<Variant> args) {
  WireCall call;
  call.object = handle;
  call.member = AnsiString(member.data(), member.size());
  call.kind = kind;
  call.args.reserve(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].Type() == (varByRef | varVariant)) call.byRef.push_back(static_cast<std::uint32_t>(i));
    // The encoder reads the caller's values where they are.
    call.args.push_back(ByRef(args[i]));
  }

  WireMessage answer;
  {
    CallGuard guard(*this);
    if (!open_) throw EWireClosed("The connection to the server is closed");
    FlushReleasesLocked();
    call.request = ++lastRequest_;
    std::string body = codec_.Encode(call, proxies_.get());
    if (body.size() > sendLimit_)
      throw EWireError("A call of " + Num(body.size()) + " bytes exceeds the server's frame limit of " +
                       Num(sendLimit_) + " bytes");
    std::string reply = Exchange(body);
    try {
      answer = codec_.Decode(reply, proxies_.get());
    } catch (const EWireProtocolError&) {
      CloseLocked();
      throw;
    }
    bool matches = false;
    if (auto* result = std::get_if<WireResult>(&answer))
      matches = result->request == call.request && result->byRefValues.size() == call.byRef.size();
    else if (auto* fault = std::get_if<WireFault>(&answer))
      matches = fault->request == call.request;
    if (!matches) {
      CloseLocked();
      throw EWireProtocolError("The server's answer does not belong to the call of " + call.member);
    }
    FlushReleasesLocked();
  }
  // Outside the lock: replacing the caller's values may release proxies.
  if (auto* fault = std::get_if<WireFault>(&answer))
    throw EWireFault(std::move(fault->message), std::move(fault->source), fault->code, std::move(fault->className));
  auto& result = std::get<WireResult>(answer);
  for (std::size_t k = 0; k < call.byRef.size(); ++k)
    args[call.byRef[k]].Deref() = std::move(result.byRefValues[k]);
  return std::move(result.result);
}

void WireConnection::Release(std::uint64_t handle, std::uint64_t count) noexcept {
  if (!open_) return;
  {
    std::lock_guard lock(pendingMutex_);
    pendingReleases_.emplace_back(handle, count);
  }
  // A release during this thread's own call goes out at the call's end.
  if (owner_.load() == std::this_thread::get_id()) return;
  try {
    CallGuard guard(*this);
    FlushReleasesLocked();
  } catch (...) {
    // Nothing to do: the server lets go of the objects when the session ends.
  }
}

void WireConnection::FlushReleasesLocked() noexcept {
  std::vector<std::pair<std::uint64_t, std::uint64_t>> releases;
  {
    std::lock_guard lock(pendingMutex_);
    releases.swap(pendingReleases_);
  }
  for (const auto& [handle, count] : releases) {
    if (!open_) return;
    try {
      WireRelease release;
      release.object = handle;
      release.count = count;
      Send(codec_.Encode(release));
    } catch (...) {
      CloseLocked();
      return;
    }
  }
}

void WireConnection::ForgetProxy(std::uint64_t handle) { proxies_->Forget(handle); }

}  // namespace platform
