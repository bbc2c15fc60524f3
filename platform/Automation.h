// Automation: late-bound objects called by member name.
//
// An automation object answers Invoke: a member name (ASCII case does not
// matter: "Whatis" and "WhatIs" are the same member), what is wanted of it
// (call a method, read or assign a property) and the arguments, first
// argument first. For a property assignment the value is the last
// argument, after any index arguments. By-reference arguments arrive as
// ByRef Variants (see Variant.h); the callee writes through them.
//
// Objects are held by AutoObjectPtr (std::shared_ptr): an automation
// object is reference counted, its holders (Variants, form fields, callers)
// share it and it is released with the last of them.
//
// Classes written in C++ describe their members once in a DispatchTable
// (DispatchTable.h) and derive from Dispatchable; the table does the name
// lookup and the argument conversions. Objects are created by class name
// through ClassRegistry.h.
//
// Callers use OleCall, OleGet and OleSet. Any failure inside the callee
// reaches the caller as EOleException carrying the callee's own text (and
// the callee's class name as its source), as it does across the automation
// boundary the module was written against; that includes the silent abort.
// Calling on a Variant that holds no object raises EVariantError "Variant
// does not reference an automation object".
#pragma once

#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>

#include "AnsiString.h"
#include "Variant.h"

namespace platform {

enum class InvokeKind { Method, PropertyGet, PropertyPut };

class AutoObject : public std::enable_shared_from_this<AutoObject> {
 public:
  AutoObject() = default;
  AutoObject(const AutoObject&) = delete;
  AutoObject& operator=(const AutoObject&) = delete;
  virtual ~AutoObject();

  // Invokes the member. A method asked for as a property (or a property
  // called as a method without arguments) is found all the same, as late
  // binding does. Unknown members raise EOleException "Method 'X' not
  // supported by automation object".
  virtual Variant Invoke(std::string_view name, InvokeKind kind, std::span<Variant> args) = 0;
  // The class name, for error sources and test output.
  virtual AnsiString AutoClassName() const;
};

// True when two member names are the same without regard to ASCII case.
bool SameMemberName(std::string_view a, std::string_view b);

// Calls a method. The object is a Dispatch Variant (or a ByRef to one) or
// an AutoObjectPtr. ByRef arguments receive what the callee writes.
Variant OleCall(const Variant& object, std::string_view name, std::initializer_list<Variant> args = {});
Variant OleCall(const Variant& object, std::string_view name, std::span<Variant> args);
// Reads a property (with index arguments for an indexed property).
Variant OleGet(const Variant& object, std::string_view name, std::initializer_list<Variant> index = {});
// Assigns a property (with index arguments for an indexed property).
void OleSet(const Variant& object, std::string_view name, const Variant& value);
void OleSet(const Variant& object, std::string_view name, std::initializer_list<Variant> index,
            const Variant& value);
// The general form of the three.
Variant OleInvoke(const Variant& object, std::string_view name, InvokeKind kind, std::span<Variant> args);

}  // namespace platform
