#include "host/shell/ProgramModule.h"

#include "platform/DynLib.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/StringList.h"

namespace host {

using platform::AnsiString;

namespace {

// A configured folder against the installation folder (which ends with a
// delimiter): absolute paths stay, a leading delimiter means "below the
// installation folder", anything else is appended.
AnsiString AgainstBase(const AnsiString& folder, const AnsiString& base) {
  if (folder.IsEmpty()) return base;
  if (platform::IsAbsolutePath(folder)) return folder;
  if (folder[1] == '\\') return base + folder.Mid(2);
  return base + folder;
}

}  // namespace

std::vector<AnsiString> ClientModuleFolders() {
  std::vector<AnsiString> folders;
  platform::TRegistry registry;
  if (!registry.OpenKeyReadOnly("Software\\KVT\\Corvane")) return folders;
  AnsiString base = platform::Trim(registry.ReadString("ClientPath"));
  if (base.IsEmpty()) return folders;
  base = platform::IncludeTrailingPathDelimiter(base);

  platform::TIniFile ini(base + "CorvaneC.ini");
  platform::TStringList lines;
  ini.ReadSectionValues("WorkDLLPath", lines);
  for (int i = 0; i < lines.Count(); ++i) {
    AnsiString folder = platform::Trim(lines.ValueFromIndex(i));
    if (folder.IsEmpty()) continue;
    folders.push_back(platform::IncludeTrailingPathDelimiter(AgainstBase(folder, base)));
  }
  if (folders.empty()) folders.push_back(base + "C_PKG\\");
  return folders;
}

bool IsValidProgramCode(const AnsiString& code) {
  if (code.IsEmpty() || code.Length() > 32) return false;
  for (char c : code.View())
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

AnsiString ModuleFileNameOf(const AnsiString& programCode) { return programCode + "C.so"; }

AnsiString FindProgramModule(const AnsiString& programCode, const std::vector<AnsiString>& folders) {
  if (!IsValidProgramCode(programCode)) return AnsiString();
  for (const AnsiString& folder : folders) {
    AnsiString path = platform::IncludeTrailingPathDelimiter(folder) + ModuleFileNameOf(programCode);
    if (platform::FileExists(path)) return path;
  }
  return AnsiString();
}

platform::TGetControllerProc LoadProgramModule(const AnsiString& path, AnsiString& error) {
  platform::HMODULE module = platform::LoadLibrary(path);
  if (!module) {
    error = "The program file " + platform::ExtractFileName(path) + " could not be loaded: " +
            platform::LastLibraryError();
    return nullptr;
  }
  void* entry = platform::GetProcAddress(module, platform::kGetControllerName);
  if (!entry) {
    error = "The program file " + platform::ExtractFileName(path) + " is not a program module (it has no " +
            platform::kGetControllerName + ").";
    return nullptr;
  }
  return reinterpret_cast<platform::TGetControllerProc>(entry);
}

}  // namespace host
