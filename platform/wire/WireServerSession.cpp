#include "platform/wire/WireServerSession.h"

#include <cassert>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/wire/WireErrors.h"

namespace platform {

namespace {

constexpr std::int32_t kUnexpected = static_cast<std::int32_t>(0x8000FFFFu);
constexpr std::int32_t kUnknownName = static_cast<std::int32_t>(0x80020006u);
constexpr std::int32_t kBadParamCount = static_cast<std::int32_t>(0x8002000Eu);
constexpr std::int32_t kInvalidClass = static_cast<std::int32_t>(0x800401F3u);  // CO_E_CLASSSTRING
constexpr const char* kSessionSource = "WireSession";

AnsiString Num(std::uint64_t n) { return AnsiString(std::to_string(n).c_str()); }

bool SameAsciiText(std::string_view a, std::string_view b) { return SameMemberName(a, b); }

WireFault FaultOf(std::uint64_t request, const AnsiString& className, const AnsiString& message,
                  const AnsiString& source, std::int32_t code) {
  WireFault f;
  f.request = request;
  f.className = className;
  f.message = message;
  f.source = source;
  f.code = code;
  return f;
}

}  // namespace

// The handle table. While a reply is encoded, every handle it carries
// counts one more reference for the client; if the reply cannot be sent
// those counts are taken back.
class WireServerSession::Objects final : public WireObjectMap {
 public:
  explicit Objects(std::size_t maxObjects) : max_(maxObjects) {}

  WireObjectRef HandleOf(const AutoObjectPtr& object) override {
    auto found = byObject_.find(object.get());
    std::uint64_t handle;
    if (found != byObject_.end()) {
      handle = found->second;
    } else {
      if (byHandle_.size() >= max_)
        throw EWireError("The session holds " + Num(max_) + " objects, the most it may hold");
      handle = next_++;
      byHandle_.emplace(handle, Entry{object, 0});
      byObject_.emplace(object.get(), handle);
    }
    ++byHandle_.at(handle).count;
    sent_.push_back(handle);
    return {handle, object->AutoClassName()};
  }

  AutoObjectPtr ObjectOf(const WireObjectRef& ref) override {
    AutoObjectPtr object = Find(ref.handle);
    if (!object) throw EWireProtocolError("The object handle " + Num(ref.handle) + " is unknown");
    return object;
  }

  AutoObjectPtr Find(std::uint64_t handle) const {
    auto it = byHandle_.find(handle);
    return it == byHandle_.end() ? nullptr : it->second.object;
  }

  void Commit() { sent_.clear(); }
  void Rollback() {
    for (std::uint64_t handle : sent_) Drop(handle, 1);
    sent_.clear();
  }

  // False when the client gives back more references than it holds.
  bool Release(std::uint64_t handle, std::uint64_t count) {
    auto it = byHandle_.find(handle);
    if (it == byHandle_.end() || count > it->second.count) return false;
    Drop(handle, count);
    return true;
  }

  std::size_t Count() const { return byHandle_.size(); }

 private:
  struct Entry {
    AutoObjectPtr object;
    std::uint64_t count;
  };

  void Drop(std::uint64_t handle, std::uint64_t count) {
    auto it = byHandle_.find(handle);
    if (it == byHandle_.end()) return;
    it->second.count -= count;
    if (it->second.count == 0) {
      AutoObjectPtr object = std::move(it->second.object);
      byObject_.erase(object.get());
      byHandle_.erase(it);
      // The object goes here, after the table is consistent again.
    }
  }

  std::size_t max_;
  std::uint64_t next_ = 1;
  std::unordered_map<std::uint64_t, Entry> byHandle_;
  std::unordered_map<const AutoObject*, std::uint64_t> byObject_;
  std::vector<std::uint64_t> sent_;
};

WireServerSession::WireServerSession(std::shared_ptr<const WireServerConfig> config)
    : config_(std::move(config)),
      codec_(config_->codePage, config_->limits),
      objects_(std::make_unique<Objects>(config_->maxObjects)) {
  assert(config_->authenticate && "a wire server needs an authenticator");
}

WireServerSession::~WireServerSession() = default;

std::size_t WireServerSession::ObjectCount() const { return objects_->Count(); }

WireServerSession::Outcome WireServerSession::Close(std::string reply) {
  open_ = false;
  return {std::move(reply), true};
}

WireServerSession::Outcome WireServerSession::Handle(std::string_view body) noexcept {
  if (!open_) return {{}, true};
  try {
    WireMessage message = codec_.Decode(body, objects_.get());
    if (!welcomed_) {
      if (auto* hello = std::get_if<WireHello>(&message)) return Hello(*hello);
      return Close();
    }
    if (auto* call = std::get_if<WireCall>(&message)) return Call(*call);
    if (auto* release = std::get_if<WireRelease>(&message)) return Release(*release);
    return Close();
  } catch (...) {
    // Undecodable, or no memory left for it: the connection ends.
    return Close();
  }
}

WireServerSession::Outcome WireServerSession::Hello(const WireHello& hello) {
  auto refuse = [&](const AnsiString& text) { return Close(codec_.Encode(WireRefused{text})); };
  if (hello.version != kWireProtocolVersion)
    return refuse("The client uses wire protocol version " + Num(hello.version) + "; this server uses version " +
                  Num(kWireProtocolVersion));
  if (hello.codePage != codec_.CodePage())
    return refuse("The client's code page " + Num(hello.codePage) + " differs from the server's code page " +
                  Num(codec_.CodePage()) + "; texts would be converted wrongly");
  context_.credential = hello.credential;
  bool accepted = false;
  try {
    accepted = config_->authenticate(context_);
  } catch (const Exception& e) {
    return refuse(e.Message());
  } catch (const std::exception& e) {
    return refuse(AnsiString(e.what()));
  }
  if (!accepted) return refuse("The session credential was not accepted");
  welcomed_ = true;
  WireWelcome welcome;
  welcome.codePage = codec_.CodePage();
  welcome.maxFrameBytes = codec_.Limits().maxFrameBytes;
  return {codec_.Encode(welcome), false};
}

Variant WireServerSession::CreateObject(std::span<Variant> args) {
  if (args.size() != 1) throw EOleException("Invalid number of parameters", kSessionSource, kBadParamCount);
  const AnsiString name = args[0].AsString();
  for (const WireCreatableClass& c : config_->classes) {
    if (!SameAsciiText(c.name, name.View())) continue;
    AutoObjectPtr object = c.create(context_);
    if (!object) throw EOleSysError("Class not registered");
    return Variant(std::move(object));
  }
  throw EOleException("The class " + name + " is not available from this server", kSessionSource, kInvalidClass);
}

WireServerSession::Outcome WireServerSession::Call(WireCall& call) {
  auto fault = [&](WireFault f, bool close) {
    std::string reply = codec_.Encode(f);
    return close ? Close(std::move(reply)) : Outcome{std::move(reply), false};
  };

  AutoObjectPtr target;
  if (call.object != kWireSessionHandle) {
    target = objects_->Find(call.object);
    if (!target)
      return fault(FaultOf(call.request, "EWireProtocolError", "The object handle " + Num(call.object) + " is unknown",
                           kSessionSource, kWireInvalidData),
                   true);
  }

  // By-reference arguments: the object writes into these variables.
  std::vector<Variant> variables(call.byRef.size());
  for (std::size_t k = 0; k < call.byRef.size(); ++k) {
    Variant& arg = call.args[call.byRef[k]];
    variables[k] = std::move(arg);
    arg = ByRef(variables[k]);
  }

  WireResult result;
  result.request = call.request;
  const AnsiString source = target ? target->AutoClassName() : AnsiString(kSessionSource);
  try {
    if (target) {
      Variant value = target->Invoke(call.member.View(), call.kind, call.args);
      result.result = value.Type() == (varByRef | varVariant) ? Variant(value.Deref()) : std::move(value);
    } else if (SameMemberName(call.member.View(), kWireCreateObjectMember)) {
      result.result = CreateObject(call.args);
    } else {
      throw EOleException("Method '" + call.member + "' not supported by automation object", kSessionSource,
                          kUnknownName);
    }
  } catch (const EOleException& e) {
    return fault(FaultOf(call.request, e.ClassName(), e.Message(), e.Source(), e.ErrorCode()), false);
  } catch (const Exception& e) {
    return fault(FaultOf(call.request, e.ClassName(), e.Message(), source, kUnexpected), false);
  } catch (const std::exception& e) {
    return fault(FaultOf(call.request, "Exception", AnsiString(e.what()), source, kUnexpected), false);
  } catch (...) {
    return fault(FaultOf(call.request, "Exception", "Unknown failure", source, kUnexpected), false);
  }

  // Arguments no longer refer to the variables once the values are taken.
  call.args.clear();
  result.byRefValues.reserve(variables.size());
  for (Variant& v : variables)
    result.byRefValues.push_back(v.Type() == (varByRef | varVariant) ? Variant(v.Deref()) : std::move(v));

  try {
    std::string reply = codec_.Encode(result, objects_.get());
    objects_->Commit();
    return {std::move(reply), false};
  } catch (const EOleException& e) {
    objects_->Rollback();
    return fault(FaultOf(call.request, e.ClassName(), e.Message(), kSessionSource, e.ErrorCode()), false);
  } catch (const std::exception& e) {
    objects_->Rollback();
    return fault(FaultOf(call.request, "Exception", AnsiString(e.what()), kSessionSource, kUnexpected), false);
  }
}

WireServerSession::Outcome WireServerSession::Release(const WireRelease& release) {
  if (!objects_->Release(release.object, release.count)) return Close();
  return {};
}

}  // namespace platform
