// Creation of automation objects by class name ("MarnoSrv.Class1").
//
// CreateOleObject looks for the class, without regard to ASCII case, first
// among the in-process registrations (RegisterAutoClass, or an
// AutoClassRegistrar at a library's start-up), then in the "[Classes]"
// section of the registry stand-in (Registry.h), whose value names the
// shared library of the class. That library is loaded once (a relative name
// is also tried in the registry file's folder, see DynLib.h), never
// unloaded, and asked for the object through its CorvaneCreateObject
// (AutoExport.h).
//
// Errors are EOleSysError: "Invalid class string" for a name that is
// registered nowhere, "Class not registered" when the named library has no
// such class, and a text naming the library and the loader's error when it
// cannot be loaded.
#pragma once

#include <functional>
#include <string_view>

#include "Automation.h"

namespace platform {

using AutoClassFactory = std::function<AutoObjectPtr()>;

// Registers (or replaces) the factory of a class name.
void RegisterAutoClass(std::string_view className, AutoClassFactory factory);
// Removes an in-process registration; false when there was none.
bool UnregisterAutoClass(std::string_view className);

// Registers a class from a static object of a library or program unit:
//   static const AutoClassRegistrar registrar("MarnoSrv.Class1",
//                                             [] { return std::make_shared<Class1>(); });
class AutoClassRegistrar {
 public:
  AutoClassRegistrar(std::string_view className, AutoClassFactory factory) {
    RegisterAutoClass(className, std::move(factory));
  }
};

// A new object of the class.
AutoObjectPtr CreateAutoObject(std::string_view className);
// The same as a Dispatch Variant.
Variant CreateOleObject(std::string_view className);
inline Variant CreateOleObject(const char* className) { return CreateOleObject(std::string_view(className)); }
inline Variant CreateOleObject(const AnsiString& className) { return CreateOleObject(className.View()); }

}  // namespace platform
