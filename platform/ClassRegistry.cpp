#include "ClassRegistry.h"

#include <map>
#include <mutex>
#include <string>

#include "AutoExport.h"
#include "DynLib.h"
#include "Exceptions.h"
#include "Registry.h"

namespace platform {

namespace {

std::string UpperName(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

// The process's class registry: in-process factories and the class
// libraries loaded so far.
class ClassTable {
 public:
  void Register(std::string_view name, AutoClassFactory factory) {
    std::lock_guard<std::mutex> lock(mutex_);
    factories_[UpperName(name)] = std::move(factory);
  }
  bool Unregister(std::string_view name) {
    std::lock_guard<std::mutex> lock(mutex_);
    return factories_.erase(UpperName(name)) > 0;
  }
  // A copy, so that the factory runs without the lock (it may create
  // objects itself).
  AutoClassFactory Find(std::string_view name) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = factories_.find(UpperName(name));
    return it == factories_.end() ? AutoClassFactory() : it->second;
  }

  // The entry function of a class library, loading it on first use; null
  // when it exports none. Raises EOleSysError when it cannot be loaded.
  CorvaneCreateObjectFunction Library(const std::string& path, std::string_view className) {
    // Its own lock, recursive: a library's start-up registers classes and
    // may even create objects of other class libraries.
    std::lock_guard<std::recursive_mutex> lock(libraryMutex_);
    // A relative name depends on where the registry file is.
    const std::string registry = RegistryFileName();
    const std::string key = path[0] == '/' ? path : registry + '\n' + path;
    auto it = libraries_.find(key);
    if (it != libraries_.end()) return it->second;
    AnsiString file = AnsiString::FromUtf8(path);
    HMODULE module = LoadLibrary(file, AnsiString::FromUtf8(registry));
    if (!module)
      throw EOleSysError("Cannot load library '" + file + "' of class '" +
                         AnsiString(className.data(), className.size()) + "': " + LastLibraryError());
    auto entry = reinterpret_cast<CorvaneCreateObjectFunction>(GetProcAddress(module, kCorvaneCreateObjectName));
    libraries_.emplace(key, entry);  // loaded once, never unloaded
    return entry;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, AutoClassFactory> factories_;
  std::recursive_mutex libraryMutex_;
  std::map<std::string, CorvaneCreateObjectFunction> libraries_;
};

ClassTable& Classes() {
  static ClassTable* table = new ClassTable;  // never destroyed: used by static registrars of any unit
  return *table;
}

AutoObjectPtr FromFactory(const AutoClassFactory& factory) {
  AutoObjectPtr object = factory();
  if (!object) throw EOleSysError("Class not registered");
  return object;
}

}  // namespace

void RegisterAutoClass(std::string_view className, AutoClassFactory factory) {
  Classes().Register(className, std::move(factory));
}

bool UnregisterAutoClass(std::string_view className) { return Classes().Unregister(className); }

AutoObjectPtr CreateAutoObject(std::string_view className) {
  if (AutoClassFactory factory = Classes().Find(className)) return FromFactory(factory);
  std::string path = className.empty() ? std::string() : RegisteredClassLibrary(std::string(className));
  if (path.empty()) throw EOleSysError("Invalid class string");
  if (CorvaneCreateObjectFunction entry = Classes().Library(path, className)) {
    if (AutoObject* object = entry(std::string(className).c_str())) return AutoObjectPtr(object);
  }
  // The library may have registered its classes when it was loaded.
  if (AutoClassFactory factory = Classes().Find(className)) return FromFactory(factory);
  throw EOleSysError("Class not registered");
}

Variant CreateOleObject(std::string_view className) { return Variant(CreateAutoObject(className)); }

}  // namespace platform
