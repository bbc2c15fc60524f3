// DispatchTable: the automation members of a C++ class, described once.
//
// A class that automation callers reach by name derives from
// Dispatchable<T> and gives its table in a static member function:
//
//   class Validator : public Dispatchable<Validator> {
//    public:
//     static const DispatchTable<Validator>& AutomationMembers() {
//       static const auto table = DispatchTable<Validator>("Validator")
//           .Method("CheckValue", &Validator::CheckValue)
//           .Property("BaseLimited", &Validator::GetBaseLimited, &Validator::SetBaseLimited);
//       return table;
//     }
//     bool CheckValue(const AnsiString& table, const AnsiString& code, Variant& database,
//                     Variant& keys, Variant& result);
//     ...
//   };
//
// The table unpacks the positional Variant arguments into the member's C++
// parameters and packs its result into a Variant (void gives Empty).
// Parameter types: Variant (a copy of the value), const Variant& (the
// value), Variant& (the caller's own Variant when the argument is a ByRef,
// so what the member writes reaches the caller), int, long / std::int64_t,
// long long, double, bool, Currency, AnsiString, WideString (also as const
// references) and AutoObjectPtr. Each is converted by the rules of
// Variant.h, raising its errors. A member whose only parameter is
// std::span<Variant> receives the arguments as they are, in any number.
//
// A property has a getter and, unless it is read-only, a setter; both are
// ordinary members taking the index arguments (none for a plain property),
// the setter taking the value last. A wrong number of arguments raises
// EOleException "Invalid number of parameters".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "Automation.h"
#include "Currency.h"
#include "Variant.h"

namespace platform {

namespace dispatch_detail {

// The untyped core: members by upper-cased name, and the lookup rules.
class MemberTable {
 public:
  static constexpr int kAnyCount = -1;
  struct Slot {
    std::function<Variant(void* self, std::span<Variant> args)> call;
    int count = kAnyCount;
    explicit operator bool() const { return static_cast<bool>(call); }
  };

  explicit MemberTable(AnsiString className) : className_(std::move(className)) {}
  void AddMethod(std::string_view name, Slot method);
  void AddProperty(std::string_view name, Slot get, Slot put);
  Variant Invoke(void* self, std::string_view name, InvokeKind kind, std::span<Variant> args) const;
  const AnsiString& ClassName() const { return className_; }

 private:
  struct Member {
    std::string name;
    Slot method;
    Slot get;
    Slot put;
  };
  void Add(std::string_view name, Member member);

  AnsiString className_;
  std::unordered_map<std::string, Member> members_;  // key: the name in ASCII upper case
};

template <class M>
struct MemberTraits;
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...)> {
  using Class = C;
  using Result = R;
  using Args = std::tuple<A...>;
  static constexpr std::size_t count = sizeof...(A);
};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) const> : MemberTraits<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) noexcept> : MemberTraits<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) const noexcept> : MemberTraits<R (C::*)(A...)> {};

template <class>
inline constexpr bool kUnsupported = false;

// The C++ argument for parameter type P from a positional argument.
template <class P>
decltype(auto) UnpackArg(Variant& arg) {
  using V = std::remove_cvref_t<P>;
  if constexpr (std::is_same_v<P, Variant&>) return static_cast<Variant&>(arg.Deref());
  else if constexpr (std::is_same_v<V, Variant>) return static_cast<const Variant&>(arg.Deref());
  else if constexpr (std::is_same_v<V, int>) return arg.AsInteger();
  else if constexpr (std::is_same_v<V, long> || std::is_same_v<V, long long>) return static_cast<V>(arg.AsInt64());
  else if constexpr (std::is_same_v<V, double>) return arg.AsDouble();
  else if constexpr (std::is_same_v<V, bool>) return arg.AsBool();
  else if constexpr (std::is_same_v<V, Currency>) return arg.AsCurrency();
  else if constexpr (std::is_same_v<V, AnsiString>) return arg.AsString();
  else if constexpr (std::is_same_v<V, WideString>) return arg.AsWide();
  else if constexpr (std::is_same_v<V, AutoObjectPtr>) return arg.AsDispatch();
  else static_assert(kUnsupported<P>, "parameter type not supported by DispatchTable");
}

template <class T, class M, std::size_t... I>
Variant CallMember(T& self, M member, std::span<Variant> args, std::index_sequence<I...>) {
  using Traits = MemberTraits<M>;
  using Args = typename Traits::Args;
  if constexpr (std::is_void_v<typename Traits::Result>) {
    (self.*member)(UnpackArg<std::tuple_element_t<I, Args>>(args[I])...);
    return Variant();
  } else {
    return Variant((self.*member)(UnpackArg<std::tuple_element_t<I, Args>>(args[I])...));
  }
}

template <class T, class M>
MemberTable::Slot MakeSlot(M member) {
  using Traits = MemberTraits<M>;
  static_assert(std::is_base_of_v<typename Traits::Class, T>, "member of another class");
  if constexpr (std::is_same_v<typename Traits::Args, std::tuple<std::span<Variant>>>) {
    return {[member](void* self, std::span<Variant> args) -> Variant {
              if constexpr (std::is_void_v<typename Traits::Result>) {
                (static_cast<T*>(self)->*member)(args);
                return Variant();
              } else {
                return Variant((static_cast<T*>(self)->*member)(args));
              }
            },
            MemberTable::kAnyCount};
  } else {
    return {[member](void* self, std::span<Variant> args) -> Variant {
              return CallMember(*static_cast<T*>(self), member, args, std::make_index_sequence<Traits::count>{});
            },
            static_cast<int>(Traits::count)};
  }
}

}  // namespace dispatch_detail

template <class T>
class DispatchTable {
 public:
  explicit DispatchTable(AnsiString className) : members_(std::move(className)) {}

  template <class M>
  DispatchTable& Method(std::string_view name, M method) {
    members_.AddMethod(name, dispatch_detail::MakeSlot<T>(method));
    return *this;
  }
  // A read-only property.
  template <class G>
  DispatchTable& Property(std::string_view name, G getter) {
    members_.AddProperty(name, dispatch_detail::MakeSlot<T>(getter), {});
    return *this;
  }
  template <class G, class S>
  DispatchTable& Property(std::string_view name, G getter, S setter) {
    members_.AddProperty(name, dispatch_detail::MakeSlot<T>(getter), dispatch_detail::MakeSlot<T>(setter));
    return *this;
  }
  // A write-only property.
  template <class S>
  DispatchTable& Property(std::string_view name, std::nullptr_t, S setter) {
    members_.AddProperty(name, {}, dispatch_detail::MakeSlot<T>(setter));
    return *this;
  }

  Variant Invoke(T& self, std::string_view name, InvokeKind kind, std::span<Variant> args) const {
    return members_.Invoke(&self, name, kind, args);
  }
  const AnsiString& ClassName() const { return members_.ClassName(); }

 private:
  dispatch_detail::MemberTable members_;
};

// Base of C++ automation classes: answers Invoke from
// T::AutomationMembers().
template <class T>
class Dispatchable : public AutoObject {
 public:
  Variant Invoke(std::string_view name, InvokeKind kind, std::span<Variant> args) override {
    return T::AutomationMembers().Invoke(static_cast<T&>(*this), name, kind, args);
  }
  AnsiString AutoClassName() const override { return T::AutomationMembers().ClassName(); }
};

}  // namespace platform
