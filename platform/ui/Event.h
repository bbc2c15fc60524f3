// Events: handler values of code and data, as the class library's method
// pointers (TNotifyEvent and its relatives).
//
// An event value names a handler method and the object it runs on. It can
// be read and written by published name (PropertyAccess.h: GetMethodProp,
// SetMethodProp), saved, cleared, restored, compared for identity (same
// method of the same object) and tested for "assigned". Calling an event
// that is not assigned does nothing.
//
//   btnOK->OnClick = TNotifyEvent::Bind<&TfrmMain::btnOKClick>(this);
//   if (field->OnChange == saved) ...
//   TMethod m = GetMethodProp(*dataSet, "AfterPost");   // save
//   SetMethodProp(*dataSet, "AfterPost", TMethod());     // clear
//   SetMethodProp(*dataSet, "AfterPost", m);             // restore
//
// TMethod is the untyped form: Code identifies the method (one entry per
// C++ member function, the same whether the value was bound in code or
// wired by name from a form resource; entries are unique within one
// library, which is where a class's handlers are bound and compared), Data
// the object. Its Signature records the parameter list, so an untyped
// value is never stored in an event of other parameters.
//
// New event types are declared by name and parameters:
//
//   using TLoadComponentEvent = TEvent<"TLoadComponentEvent", TObject*, TComponent*, XmlNode>;
//
// and handlers are member functions returning void with exactly those
// parameters. Handlers are not const and may throw; the exception reaches
// whoever fired the event.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "platform/Object.h"
#include "platform/ui/SetOf.h"
#include "platform/ui/TypeInfo.h"

namespace platform {

using Word = std::uint16_t;

// Modifier keys and mouse buttons held during a key or mouse event.
enum TShiftStateElement { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = SetOf<TShiftStateElement>;
const TTypeInfo& EnumTypeInfo(TShiftStateElement);
const TTypeInfo& SetTypeInfo(TShiftState);

// What a form does when it is closed (the OnClose handler may change it).
enum TCloseAction { caNone, caHide, caFree, caMinimize };
const TTypeInfo& EnumTypeInfo(TCloseAction);

// The untyped handler value.
struct TMethod {
  using TCode = void (*)();
  TCode Code = nullptr;
  void* Data = nullptr;
  const std::type_info* Signature = nullptr;

  bool Assigned() const { return Code != nullptr; }
  // Identity: the same method of the same object.
  friend bool operator==(const TMethod& a, const TMethod& b) { return a.Code == b.Code && a.Data == b.Data; }
  // True when the value may be stored in an event of this signature (a
  // cleared value fits every event).
  bool Fits(const std::type_info& signature) const {
    return Code == nullptr || (Signature != nullptr && *Signature == signature);
  }
};
std::ostream& operator<<(std::ostream& os, const TMethod& m);

namespace event_detail {

// One entry point per handler method: the Code of every value naming it.
template <auto Method, typename = decltype(Method)>
struct MethodThunk;

template <auto Method, typename C, typename... Args>
struct MethodThunk<Method, void (C::*)(Args...)> {
  using Class = C;
  using Signature = void (*)(Args...);
  static void Invoke(void* data, Args... args) { (static_cast<C*>(data)->*Method)(std::forward<Args>(args)...); }
};

}  // namespace event_detail

// The name of an event type, as a template argument.
template <std::size_t N>
struct TEventTypeName {
  constexpr TEventTypeName(const char (&text)[N]) {  // NOLINT: implicit from the literal
    for (std::size_t i = 0; i < N; ++i) chars[i] = text[i];
  }
  char chars[N];
};

template <TEventTypeName Name, typename... Args>
class TEvent {
 public:
  using Thunk = void (*)(void* data, Args... args);
  using Signature = void (*)(Args...);

  constexpr TEvent() = default;
  constexpr TEvent(std::nullptr_t) {}  // NOLINT: "OnClick = nullptr" clears

  // The handler Method (a member function of C or of a base of C) on object.
  template <auto Method, typename C>
  static TEvent Bind(C* object) {
    using Entry = event_detail::MethodThunk<Method>;
    static_assert(std::is_same_v<typename Entry::Signature, Signature>,
                  "the handler's parameters differ from the event's");
    static_assert(std::is_base_of_v<typename Entry::Class, C>, "the handler is not a member of the object's class");
    assert(object != nullptr);
    TEvent e;
    e.code_ = &Entry::Invoke;
    e.data_ = static_cast<typename Entry::Class*>(object);
    return e;
  }
  // A plain function receiving data as its first argument (adaptors).
  static TEvent FromFunction(Thunk function, void* data) {
    TEvent e;
    e.code_ = function;
    e.data_ = function ? data : nullptr;
    return e;
  }
  // The typed form of an untyped value, which must fit (TMethod::Fits).
  static TEvent FromMethod(const TMethod& m) {
    assert(m.Fits(typeid(Signature)));
    TEvent e;
    e.code_ = reinterpret_cast<Thunk>(m.Code);
    e.data_ = m.Code ? m.Data : nullptr;
    return e;
  }

  TMethod Method() const {
    if (!code_) return TMethod();
    return TMethod{reinterpret_cast<TMethod::TCode>(code_), data_, &typeid(Signature)};
  }
  bool Assigned() const { return code_ != nullptr; }
  explicit operator bool() const { return Assigned(); }

  // Runs the handler; nothing when none is assigned.
  void operator()(Args... args) const {
    if (code_) code_(data_, std::forward<Args>(args)...);
  }

  friend bool operator==(const TEvent& a, const TEvent& b) { return a.code_ == b.code_ && a.data_ == b.data_; }

  // The published type of events of this kind.
  static const TTypeInfo& TypeInfo() {
    static const TTypeInfo info = TTypeInfo::Method(Name.chars, typeid(Signature));
    return info;
  }

 private:
  Thunk code_ = nullptr;
  void* data_ = nullptr;
};

// The event types of the class library.
using TNotifyEvent = TEvent<"TNotifyEvent", TObject*>;                          // (Sender)
using TKeyEvent = TEvent<"TKeyEvent", TObject*, Word&, TShiftState>;            // (Sender, var Key, Shift)
using TKeyPressEvent = TEvent<"TKeyPressEvent", TObject*, char&>;               // (Sender, var Key)
using TCloseEvent = TEvent<"TCloseEvent", TObject*, TCloseAction&>;             // (Sender, var Action)
using TCloseQueryEvent = TEvent<"TCloseQueryEvent", TObject*, bool&>;           // (Sender, var CanClose)

}  // namespace platform
