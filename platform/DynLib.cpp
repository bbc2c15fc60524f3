#include "DynLib.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <string>

#include "Paths.h"

namespace platform {

namespace {

thread_local std::string lastError;

bool HasDelimiter(const AnsiString& name) {
  for (char c : name.View())
    if (IsPathDelimiter(c)) return true;
  return false;
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

void* Open(const std::string& path, std::string& error, bool& fileExists) {
  ::dlerror();
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) {
    const char* text = ::dlerror();
    error = text ? text : ("cannot open " + path);
    fileExists = Exists(path);
  }
  return handle;
}

}  // namespace

HMODULE LoadLibrary(const AnsiString& fileName, const AnsiString& base) {
  if (fileName.IsEmpty()) {
    lastError = "empty library name";
    return nullptr;
  }
  std::string error;
  bool existed = false;
  const std::string given = HasDelimiter(fileName) ? OsPath(fileName) : fileName.ToUtf8();
  if (void* handle = Open(given, error, existed)) return handle;
  if (!base.IsEmpty()) {
    AnsiString folder = ExtractFilePath(base);
    if (!folder.IsEmpty()) {
      AnsiString candidate = folder + (IsAbsolutePath(fileName) ? ExtractFileName(fileName) : fileName);
      std::string baseError;
      bool baseExisted = false;
      if (void* handle = Open(OsPath(candidate), baseError, baseExisted)) return handle;
      // Report the attempt that found a file, if only one did.
      if (baseExisted || !existed) error = baseError;
    }
  }
  lastError = error;
  return nullptr;
}

void* GetProcAddress(HMODULE module, const char* procName) {
  if (!module || !procName) {
    lastError = "no module or no procedure name";
    return nullptr;
  }
  ::dlerror();
  void* address = ::dlsym(module, procName);
  if (!address) {
    const char* text = ::dlerror();
    lastError = text ? text : std::string("symbol not found: ") + procName;
  }
  return address;
}

bool FreeLibrary(HMODULE module) { return module && ::dlclose(module) == 0; }

AnsiString LastLibraryError() { return AnsiString::FromUtf8(lastError); }

}  // namespace platform
