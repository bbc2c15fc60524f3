// Program modules: where the host finds them and how it loads them.
//
// The module folders are the [WorkDLLPath] lines of the client
// configuration CorvaneC.ini (in the folder the registry value ClientPath
// names), each made absolute against that folder; the folder "C_PKG\" when
// the section is empty. A program's module is the file "<code>C.so" in the
// first folder that has it (names resolve without regard to ASCII case).
// The program code is derived from the file name by the module itself, so
// the file never carries a "lib" prefix.
//
// A module is opened with RTLD_LOCAL | RTLD_NODELETE and never unloaded:
// the controllers and forms it hands out keep their code.
#pragma once

#include <vector>

#include "platform/AnsiString.h"
#include "platform/ProgramController.h"

namespace host {

// The configured module folders, each with a trailing delimiter; empty
// when the installation has no ClientPath.
std::vector<platform::AnsiString> ClientModuleFolders();

// True when code can name a module file: ASCII letters and digits only, so
// that no text from a caller can reach another folder.
bool IsValidProgramCode(const platform::AnsiString& code);

// The file name of a program's module ("VORN21" -> "VORN21C.so").
platform::AnsiString ModuleFileNameOf(const platform::AnsiString& programCode);

// The full path of the program's module in the first folder that has it;
// empty when none has it or the code is not valid.
platform::AnsiString FindProgramModule(const platform::AnsiString& programCode,
                                       const std::vector<platform::AnsiString>& folders);

// Loads a module and returns its GetController; null when the library
// cannot be loaded or does not export it, with the reason in error.
platform::TGetControllerProc LoadProgramModule(const platform::AnsiString& path, platform::AnsiString& error);

}  // namespace host
