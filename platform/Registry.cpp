#include "Registry.h"

#include <cstdio>
#include <cstdlib>

#include "IniText.h"

namespace platform {

namespace {

std::vector<ini::Line> LoadRegistry(bool& found) {
  found = false;
  std::string bytes;
  FILE* f = std::fopen(RegistryFileName().c_str(), "rb");
  if (!f) return {};
  char buffer[8192];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  std::fclose(f);
  found = true;
  return ini::Parse(bytes);
}

std::string NormalKey(std::string key) {
  // "HKEY_LOCAL_MACHINE\" in front is optional; "/" and "\" are the same.
  for (char& c : key)
    if (c == '/') c = '\\';
  while (!key.empty() && key.front() == '\\') key.erase(0, 1);
  while (!key.empty() && key.back() == '\\') key.pop_back();
  const std::string root = "HKEY_LOCAL_MACHINE\\";
  if (key.size() >= root.size() && ini::AsciiSame(key.substr(0, root.size()), root))
    key.erase(0, root.size());
  return key;
}

bool SameKey(std::string_view a, std::string_view b) {
  return ini::AsciiSame(NormalKey(std::string(a)), NormalKey(std::string(b)));
}

bool Find(const std::string& key, const std::string& name, std::string& value, bool& keyExists) {
  bool found = false;
  auto lines = LoadRegistry(found);
  keyExists = false;
  if (!found) return false;
  ini::Range r = ini::FindSection(lines, key, SameKey);
  if (r.begin == ini::npos) return false;
  keyExists = true;
  for (std::size_t i = r.begin; i < r.end; ++i) {
    if (lines[i].kind == ini::Line::Kind::Key && ini::AsciiSame(lines[i].name, name)) {
      value = lines[i].value;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string RegistryFileName() {
  if (const char* env = std::getenv("CORVANE_REGISTRY"); env && *env) return env;
  return "/etc/corvane/registry.ini";
}

std::string ReadMachineValueUtf8(const std::string& key, const std::string& name) {
  std::string value;
  bool keyExists = false;
  return Find(key, name, value, keyExists) ? value : std::string();
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& key) {
  std::string value;
  bool keyExists = false;
  Find(key.ToUtf8(), "", value, keyExists);
  open_ = keyExists;
  key_ = open_ ? key.ToUtf8() : std::string();
  return open_;
}

void TRegistry::CloseKey() {
  open_ = false;
  key_.clear();
}

bool TRegistry::ValueExists(const AnsiString& name) const {
  if (!open_) return false;
  std::string value;
  bool keyExists = false;
  return Find(key_, name.ToUtf8(), value, keyExists);
}

AnsiString TRegistry::ReadString(const AnsiString& name) const {
  if (!open_) return {};
  std::string value;
  bool keyExists = false;
  if (!Find(key_, name.ToUtf8(), value, keyExists)) return {};
  return AnsiString::FromUtf8(value);
}

std::string RegisteredClassLibrary(const std::string& className) {
  return ReadMachineValueUtf8("Classes", className);
}

}  // namespace platform
