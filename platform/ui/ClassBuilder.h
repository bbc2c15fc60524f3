// TClassBuilder<T>: declares the metaclass of class T once, in T's .cpp:
// its name and parent, its published properties in declaration order, and
// its published handlers.
//
//   const TClassInfo& TLabel::StaticClass() {
//     static const TClassInfo info = TClassBuilder<TLabel>("TLabel", TControl::StaticClass())
//         .String("Caption", &TLabel::Caption, &TLabel::SetCaption)
//         .Integer("Color", ColorTypeInfo(), &TLabel::Color, &TLabel::SetColor).Default(clBtnFace)
//         .Enumeration("Alignment", &TLabel::Alignment, &TLabel::SetAlignment)
//         .Object("Font", &TLabel::Font, &TLabel::SetFont)
//         .Reference("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl)
//         .Event("OnClick", &TLabel::OnClick)
//         .Build();
//     return info;
//   }
//   PLATFORM_REGISTER_CLASS(TLabel);
//
// Getters are const member functions or data members; setters are member
// functions taking the value, data members (the table then marks the
// property when the value changes), or nullptr for a read-only property.
// Enumeration and set types are found through EnumTypeInfo / SetTypeInfo
// overloads (TypeInfo.h). Object properties: Object for owned sub-objects
// (a TPersistent class, or a TStringList shown as "TStrings"), whose
// setter copies the value; Reference for components referred to by name,
// whose setter stores the pointer (and should ask for a free
// notification). Events are data members of a TEvent type.
//
// A form or data module publishes the handlers its resources wire by name:
//   .Handler<&TfrmMain::btnOKClick>("btnOKClick")   // or PUBLISHED_HANDLER(TfrmMain, btnOKClick)
//
// A concrete component class with a constructor T(TComponent* owner) gets
// a virtual constructor, and a collection item class with T(TCollection*)
// an item factory. The class is registered with the library of the code
// that builds it (LibModule.h).
#pragma once

#include <cstdint>
#include <functional>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "platform/StringList.h"
#include "platform/ui/ClassInfo.h"
#include "platform/ui/Collection.h"
#include "platform/ui/Component.h"
#include "platform/ui/LibModule.h"

namespace platform {

// The published type of objects of class O.
template <typename O>
const TTypeInfo& ClassTypeInfo() {
  if constexpr (std::is_base_of_v<TStringList, O>) {
    return StringsTypeInfo();
  } else {
    static const TTypeInfo info = TTypeInfo::Class(O::StaticClass().Name().c_str(), &O::StaticClass());
    return info;
  }
}

namespace builder_detail {

template <typename X>
struct IsSetOf : std::false_type {};
template <typename E>
struct IsSetOf<SetOf<E>> : std::true_type {};

template <typename V>
std::int64_t ToOrdinal(const V& v) {
  if constexpr (std::is_same_v<V, bool>) return v ? 1 : 0;
  else if constexpr (std::is_same_v<V, char>) return static_cast<unsigned char>(v);
  else if constexpr (IsSetOf<V>::value) return static_cast<std::int64_t>(v.Bits());
  else return static_cast<std::int64_t>(v);
}

template <typename V>
V FromOrdinal(std::int64_t x) {
  if constexpr (std::is_same_v<V, bool>) return x != 0;
  else if constexpr (std::is_same_v<V, char>) return static_cast<char>(static_cast<unsigned char>(x));
  else if constexpr (IsSetOf<V>::value) return V::FromBits(static_cast<std::uint64_t>(x));
  else return static_cast<V>(x);
}

}  // namespace builder_detail

template <typename T>
class TClassBuilder {
 public:
  TClassBuilder(const char* name, const TClassInfo& parent) {
    data_.name = name;
    data_.parent = &parent;
    data_.module = &ThisModule();
    if constexpr (std::is_base_of_v<TComponent, T> && !std::is_abstract_v<T> &&
                  std::is_constructible_v<T, TComponent*>)
      data_.componentFactory = [](TComponent* owner) -> TComponent* { return new T(owner); };
    if constexpr (std::is_base_of_v<TCollectionItem, T> && !std::is_abstract_v<T> &&
                  std::is_constructible_v<T, TCollection*>)
      data_.itemFactory = [](TCollection* collection) -> TCollectionItem* { return new T(collection); };
  }

  // --- ordinal properties ---
  template <typename G, typename S>
  TClassBuilder& Integer(const char* name, G get, S set) {
    return Ordinal(name, IntegerTypeInfo(), get, set);
  }
  // An integer of a type of its own (colours, cursors, charsets).
  template <typename G, typename S>
  TClassBuilder& Integer(const char* name, const TTypeInfo& type, G get, S set) {
    return Ordinal(name, type, get, set);
  }
  template <typename G, typename S>
  TClassBuilder& Boolean(const char* name, G get, S set) {
    return Ordinal(name, BooleanTypeInfo(), get, set);
  }
  template <typename G, typename S>
  TClassBuilder& Char(const char* name, G get, S set) {
    return Ordinal(name, CharTypeInfo(), get, set);
  }
  template <typename G, typename S>
  TClassBuilder& Enumeration(const char* name, G get, S set) {
    using V = ValueOf<G>;
    static_assert(std::is_enum_v<V>, "an enumeration property needs an enumeration getter");
    return Ordinal(name, EnumTypeInfo(V{}), get, set);
  }
  template <typename G, typename S>
  TClassBuilder& Set(const char* name, G get, S set) {
    using V = ValueOf<G>;
    static_assert(builder_detail::IsSetOf<V>::value, "a set property needs a SetOf getter");
    return Ordinal(name, SetTypeInfo(V{}), get, set);
  }

  // --- floats and strings ---
  template <typename G, typename S>
  TClassBuilder& Float(const char* name, G get, S set) {
    using V = ValueOf<G>;
    TPropInfo::Access a;
    a.getFloat = [get](const TPersistent& p) { return static_cast<double>(std::invoke(get, Self(p))); };
    if constexpr (!std::is_null_pointer_v<S>)
      a.setFloat = [set, n = AnsiString(name)](TPersistent& p, double v) { Store(set, Self(p), static_cast<V>(v), n); };
    return Add(name, FloatTypeInfo(), std::move(a), false);
  }
  template <typename G, typename S>
  TClassBuilder& String(const char* name, G get, S set) {
    TPropInfo::Access a;
    a.getStr = [get](const TPersistent& p) { return AnsiString(std::invoke(get, Self(p))); };
    if constexpr (!std::is_null_pointer_v<S>)
      a.setStr = [set, n = AnsiString(name)](TPersistent& p, const AnsiString& v) { Store(set, Self(p), v, n); };
    return Add(name, StringTypeInfo(), std::move(a), false);
  }

  // --- objects ---
  // An owned sub-object (Font, Lines, Columns); set may be nullptr.
  template <typename G, typename S = std::nullptr_t>
  TClassBuilder& Object(const char* name, G get, S set = nullptr) {
    return ObjectProperty(name, get, set, false);
  }
  // A string list (shown as "TStrings").
  template <typename G, typename S = std::nullptr_t>
  TClassBuilder& Strings(const char* name, G get, S set = nullptr) {
    static_assert(std::is_base_of_v<TStringList, std::remove_pointer_t<ValueOf<G>>>);
    return ObjectProperty(name, get, set, false);
  }
  // A component referred to by name.
  template <typename G, typename S>
  TClassBuilder& Reference(const char* name, G get, S set) {
    static_assert(std::is_base_of_v<TComponent, std::remove_pointer_t<ValueOf<G>>>);
    return ObjectProperty(name, get, set, true);
  }

  // --- events and handlers ---
  template <typename E, typename B>
  TClassBuilder& Event(const char* name, E B::*member) {
    static_assert(std::is_base_of_v<B, T>);
    TPropInfo::Access a;
    a.getMethod = [member](const TPersistent& p) { return (Self(p).*member).Method(); };
    a.setMethod = [member](TPersistent& p, const TMethod& m) { Self(p).*member = E::FromMethod(m); };
    return Add(name, E::TypeInfo(), std::move(a), false);
  }

  template <auto Method>
  TClassBuilder& Handler(const char* name) {
    using Entry = event_detail::MethodThunk<Method>;
    static_assert(std::is_base_of_v<typename Entry::Class, T>, "the handler is not a member of the class");
    THandlerInfo h;
    h.Name = name;
    h.Code = reinterpret_cast<TMethod::TCode>(&Entry::Invoke);
    h.Signature = &typeid(typename Entry::Signature);
    h.DataOf = [](TPersistent& p) -> void* {
      return static_cast<typename Entry::Class*>(static_cast<T*>(&p));
    };
    data_.handlers.push_back(std::move(h));
    return *this;
  }

  // The default of the property declared last.
  template <typename V>
  TClassBuilder& Default(const V& value) {
    TPropInfo::Default d;
    if constexpr (std::is_floating_point_v<V>) d = static_cast<double>(value);
    else if constexpr (std::is_integral_v<V> || std::is_enum_v<V> || builder_detail::IsSetOf<V>::value)
      d = builder_detail::ToOrdinal(value);
    else d = AnsiString(value);
    data_.properties.back().SetDefault(std::move(d));
    return *this;
  }

  TClassInfo Build() { return TClassInfo(std::move(data_)); }

 private:
  template <typename G>
  using ValueOf = std::remove_cvref_t<std::invoke_result_t<G, const T&>>;

  static const T& Self(const TPersistent& p) { return static_cast<const T&>(p); }
  static T& Self(TPersistent& p) { return static_cast<T&>(p); }

  // Calls a setter, or stores into a data member and marks the property.
  template <typename S, typename V>
  static void Store(S set, T& self, const V& value, const AnsiString& name) {
    if constexpr (std::is_member_object_pointer_v<S>) {
      auto& field = self.*set;
      if (field == value) return;
      field = value;
      self.MarkChanged(name);
    } else {
      std::invoke(set, self, value);
    }
  }

  template <typename G, typename S>
  TClassBuilder& Ordinal(const char* name, const TTypeInfo& type, G get, S set) {
    using V = ValueOf<G>;
    TPropInfo::Access a;
    a.getOrd = [get](const TPersistent& p) { return builder_detail::ToOrdinal<V>(std::invoke(get, Self(p))); };
    if constexpr (!std::is_null_pointer_v<S>)
      a.setOrd = [set, n = AnsiString(name)](TPersistent& p, std::int64_t v) {
        Store(set, Self(p), builder_detail::FromOrdinal<V>(v), n);
      };
    return Add(name, type, std::move(a), false);
  }

  template <typename G, typename S>
  TClassBuilder& ObjectProperty(const char* name, G get, S set, bool reference) {
    using P = ValueOf<G>;
    static_assert(std::is_pointer_v<P>, "an object property's getter returns a pointer");
    using O = std::remove_cv_t<std::remove_pointer_t<P>>;
    TPropInfo::Access a;
    a.getObject = [get](const TPersistent& p) -> TObject* {
      return const_cast<O*>(static_cast<const O*>(std::invoke(get, Self(p))));
    };
    if constexpr (!std::is_null_pointer_v<S>)
      a.setObject = [set, n = AnsiString(name)](TPersistent& p, TObject* value) -> bool {
        O* typed = nullptr;
        if (value) {
          typed = dynamic_cast<O*>(value);
          if (!typed) return false;
        }
        if constexpr (std::is_member_object_pointer_v<S>) {
          Store(set, Self(p), typed, n);
        } else if constexpr (std::is_invocable_v<S, T&, O*>) {
          std::invoke(set, Self(p), typed);
        } else {
          if (!typed) return false;
          std::invoke(set, Self(p), *typed);
        }
        return true;
      };
    return Add(name, ClassTypeInfo<O>(), std::move(a), reference);
  }

  TClassBuilder& Add(const char* name, const TTypeInfo& type, TPropInfo::Access access, bool reference) {
    data_.properties.emplace_back(AnsiString(name), type, std::move(access), reference);
    return *this;
  }

  TClassInfo::Data data_;
};

// .Handler<&Class::Method>("Method")
#define PUBLISHED_HANDLER(Class, Method) Handler<&Class::Method>(#Method)

}  // namespace platform
