#include "Automation.h"

#include <cassert>
#include <vector>

#include "DispatchTable.h"
#include "Exceptions.h"

namespace platform {

namespace {

// The automation status codes the errors carry.
constexpr std::int32_t kMemberNotFound = static_cast<std::int32_t>(0x80020003u);
constexpr std::int32_t kUnknownName = static_cast<std::int32_t>(0x80020006u);
constexpr std::int32_t kBadParamCount = static_cast<std::int32_t>(0x8002000Eu);
constexpr std::int32_t kUnexpected = static_cast<std::int32_t>(0x8000FFFFu);

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperName(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = AsciiUpper(c);
  return key;
}

AnsiString Quoted(std::string_view name) { return "'" + AnsiString(name.data(), name.size()) + "'"; }

AutoObjectPtr TargetOf(const Variant& object) {
  const Variant& v = object.Deref();
  if (!VarIsDispatch(v)) throw EVariantError("Variant does not reference an automation object");
  return v.AsDispatch();
}

}  // namespace

AutoObject::~AutoObject() = default;

AnsiString AutoObject::AutoClassName() const { return "AutoObject"; }

bool SameMemberName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

Variant OleInvoke(const Variant& object, std::string_view name, InvokeKind kind, std::span<Variant> args) {
  AutoObjectPtr target = TargetOf(object);
  try {
    Variant result = target->Invoke(name, kind, args);
    // A result never refers to the callee's variables.
    if (result.Type() == (varByRef | varVariant)) return Variant(result.Deref());
    return result;
  } catch (const EOleException&) {
    throw;
  } catch (const Exception& e) {
    throw EOleException(e.Message(), target->AutoClassName(), kUnexpected);
  } catch (const std::exception& e) {
    throw EOleException(AnsiString(e.what()), target->AutoClassName(), kUnexpected);
  }
}

Variant OleCall(const Variant& object, std::string_view name, std::span<Variant> args) {
  return OleInvoke(object, name, InvokeKind::Method, args);
}

Variant OleCall(const Variant& object, std::string_view name, std::initializer_list<Variant> args) {
  // The list's elements are constant; ByRef copies still reach the caller's
  // variables.
  std::vector<Variant> list(args);
  return OleInvoke(object, name, InvokeKind::Method, list);
}

Variant OleGet(const Variant& object, std::string_view name, std::initializer_list<Variant> index) {
  std::vector<Variant> list(index);
  return OleInvoke(object, name, InvokeKind::PropertyGet, list);
}

void OleSet(const Variant& object, std::string_view name, const Variant& value) {
  std::vector<Variant> list{value};
  OleInvoke(object, name, InvokeKind::PropertyPut, list);
}

void OleSet(const Variant& object, std::string_view name, std::initializer_list<Variant> index,
            const Variant& value) {
  std::vector<Variant> list(index);
  list.push_back(value);
  OleInvoke(object, name, InvokeKind::PropertyPut, list);
}

// MemberTable ---------------------------------------------------------------

namespace dispatch_detail {

void MemberTable::Add(std::string_view name, Member member) {
  member.name = std::string(name);
  bool added = members_.emplace(UpperName(name), std::move(member)).second;
  assert(added && "member registered twice");
  (void)added;
}

void MemberTable::AddMethod(std::string_view name, Slot method) {
  Member m;
  m.method = std::move(method);
  Add(name, std::move(m));
}

void MemberTable::AddProperty(std::string_view name, Slot get, Slot put) {
  Member m;
  m.get = std::move(get);
  m.put = std::move(put);
  Add(name, std::move(m));
}

Variant MemberTable::Invoke(void* self, std::string_view name, InvokeKind kind, std::span<Variant> args) const {
  auto it = members_.find(UpperName(name));
  if (it == members_.end())
    throw EOleException("Method " + Quoted(name) + " not supported by automation object", className_, kUnknownName);
  const Member& m = it->second;
  const Slot* slot = nullptr;
  switch (kind) {
    case InvokeKind::Method:
      // A property read without arguments may be written as a call.
      slot = m.method ? &m.method : (m.get ? &m.get : nullptr);
      if (!slot) throw EOleException("Property " + Quoted(name) + " is write only", className_, kMemberNotFound);
      break;
    case InvokeKind::PropertyGet:
      slot = m.get ? &m.get : (m.method ? &m.method : nullptr);
      if (!slot) throw EOleException("Property " + Quoted(name) + " is write only", className_, kMemberNotFound);
      break;
    case InvokeKind::PropertyPut:
      if (!m.put) {
        AnsiString text = m.get ? "Property " + Quoted(name) + " is read only"
                                : "Method " + Quoted(name) + " is not a property";
        throw EOleException(text, className_, kMemberNotFound);
      }
      slot = &m.put;
      break;
  }
  if (slot->count != kAnyCount && args.size() != static_cast<std::size_t>(slot->count))
    throw EOleException("Invalid number of parameters", className_, kBadParamCount);
  return slot->call(self, args);
}

}  // namespace dispatch_detail

}  // namespace platform
