// Test helpers shared by the suites of every layer (header only; not part
// of the library's interface).
//
// A(u8"...") turns a UTF-8 literal into process-code-page bytes, so tests
// write expected texts readably. TempFolder makes a fresh folder and points
// the registry stand-in at a file inside it for the test's lifetime.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "AnsiString.h"
#include "Paths.h"

namespace platform::testing {

inline AnsiString A(const char8_t* utf8) {
  return AnsiString::FromUtf8(reinterpret_cast<const char*>(utf8));
}

inline AnsiString Bytes(std::string_view bytes) { return AnsiString::FromBytes(bytes); }

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-test-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    path_ = made ? made : "";
    const char* old = std::getenv("CORVANE_REGISTRY");
    hadRegistry_ = old != nullptr;
    if (old) oldRegistry_ = old;
    ::setenv("CORVANE_REGISTRY", (path_ + "/registry.ini").c_str(), 1);
  }
  ~TempFolder() {
    if (hadRegistry_) ::setenv("CORVANE_REGISTRY", oldRegistry_.c_str(), 1);
    else ::unsetenv("CORVANE_REGISTRY");
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder as a UTF-8 path and as a module path text with a trailing "\".
  const std::string& Path() const { return path_; }
  AnsiString Dir() const { return AnsiString::FromUtf8(path_ + "/"); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(File(name)).parent_path());
    WriteFileBytes(AnsiString::FromUtf8(File(name)), bytes);
  }
  std::string Read(const std::string& name) const {
    std::string bytes;
    ReadFileBytes(AnsiString::FromUtf8(File(name)), bytes);
    return bytes;
  }
  // Writes the registry stand-in (UTF-8 INI text).
  void WriteRegistry(const std::string& text) const { Write("registry.ini", text); }

 private:
  std::string path_;
  std::string oldRegistry_;
  bool hadRegistry_ = false;
};

}  // namespace platform::testing
