// TLibModule: what one library (or executable) contributes to the
// component model: its component classes by name, its form resources, and
// the framework version its resources are read for.
//
// Every shared library and executable has its own TLibModule, reached from
// its own code with ThisModule(). Program modules are separate libraries
// that each carry their own copy of the framework classes (TfrmBase,
// TdmRadical ...); keeping classes and resources per library lets several
// of them live in one host process without their names meeting. The
// platform's own classes (controls, TFont ...) are in PlatformModule(),
// which every lookup falls back to.
//
// Classes register themselves with the library of the code that builds
// their class info (TClassBuilder); a class info is built the first time
// StaticClass() is called, so every class a resource may name by class
// name is registered at start-up with PLATFORM_REGISTER_CLASS(T) in its
// .cpp. Form resources register themselves from the generated sources of
// corvane_form_resources (FormResource.h).
//
// Registration happens during static initialisation and lookups happen on
// the UI thread afterwards; the tables are not locked.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AnsiString.h"

namespace platform {

class TClassInfo;
struct TFormResource;

class TLibModule {
 public:
  TLibModule() = default;
  TLibModule(const TLibModule&) = delete;
  TLibModule& operator=(const TLibModule&) = delete;

  // Registers a class under its name. Registering the same class again
  // does nothing; another class of a name already registered is a
  // programmer error.
  void RegisterClass(const TClassInfo& classInfo);
  // The class of that name (ASCII case ignored) registered here; nullptr
  // when none.
  const TClassInfo* FindClass(std::string_view name) const;

  // Registers a form resource under its name (the class it describes).
  void RegisterResource(const TFormResource& resource);
  const TFormResource* FindResource(std::string_view name) const;
  // Every resource of the library, by name (for the test that loads them
  // all).
  std::vector<const TFormResource*> Resources() const;

  // The framework version the library's resources are read for (version
  // guards, FormResource.h): a dotted number such as "9.0" or "5.0.28",
  // set once at load by the library's own start-up code. Empty until set.
  const AnsiString& FrameworkVersion() const { return frameworkVersion_; }
  void SetFrameworkVersion(const AnsiString& version) { frameworkVersion_ = version; }

 private:
  std::map<std::string, const TClassInfo*> classes_;      // key: upper-cased name
  std::map<std::string, const TFormResource*> resources_;  // key: upper-cased name
  AnsiString frameworkVersion_;
};

// The platform library's own module.
TLibModule& PlatformModule();

// The module of the library (or executable) whose code calls it: hidden
// visibility gives every library its own instance.
__attribute__((visibility("hidden"))) inline TLibModule& ThisModule() {
  static TLibModule module;
  return module;
}

// A class by name: first in the given library, then in the platform's.
const TClassInfo* FindClass(std::string_view name, const TLibModule& first);

// Forces a class's registration at start-up:
//   PLATFORM_REGISTER_CLASS(TButton);
#define PLATFORM_REGISTER_CLASS(T) \
  [[maybe_unused]] static const ::platform::TClassInfo& platform_registered_##T = T::StaticClass()

}  // namespace platform
