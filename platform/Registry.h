// The registry stand-in: one machine-wide text file.
//
// Its path comes from the environment variable CORVANE_REGISTRY, else
// /etc/corvane/registry.ini. The file is UTF-8 and INI-shaped: a section per
// local-machine key (its path below HKEY_LOCAL_MACHINE, e.g.
// "[Software\KVT\Corvane]"), one line per value. The section "[Classes]"
// registers automation classes by name: "MarnoSrv.Class1=<shared library>".
// The file is read afresh on every open.
#pragma once

#include <string>

#include "AnsiString.h"

namespace platform {

// Full path of the registry file (UTF-8).
std::string RegistryFileName();

// Reads a local-machine value without any code-page work (the process code
// page itself is such a value); empty when the file, key or value is missing.
std::string ReadMachineValueUtf8(const std::string& key, const std::string& name);

// Read access to local-machine keys, as the class library offers it.
class TRegistry {
 public:
  TRegistry() = default;
  // True when the key exists; values are then read from it.
  bool OpenKeyReadOnly(const AnsiString& key);
  void CloseKey();
  bool ValueExists(const AnsiString& name) const;
  // The value in the process code page; empty when it is missing.
  AnsiString ReadString(const AnsiString& name) const;

 private:
  bool open_ = false;
  std::string key_;
};

// The shared library registered for an automation class name (UTF-8), or
// empty.
std::string RegisteredClassLibrary(const std::string& className);

}  // namespace platform
