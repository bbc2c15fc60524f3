// Shared libraries loaded by name: the LoadLibrary / GetProcAddress /
// FreeLibrary of the operating system the module was written for, on
// dlopen.
//
// A library is opened with RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE: its
// symbols stay its own, and it is never unmapped, so objects and functions
// it handed out stay valid after FreeLibrary. The name is tried as given (a
// name with a "\" or "/" is a path, resolved like every file path; a bare
// name is searched by the loader) and, when that fails and a base is given,
// in the folder of the base (a file path, or a folder ending with a
// delimiter). Failures return null; the error text shown to a user is the
// caller's, LastLibraryError gives the loader's for logs.
#pragma once

#include "AnsiString.h"

namespace platform {

using HMODULE = void*;

HMODULE LoadLibrary(const AnsiString& fileName, const AnsiString& base = AnsiString());
// The address of an exported symbol; null when the module or name is missing.
void* GetProcAddress(HMODULE module, const char* procName);
// Drops the reference; the library stays mapped (see above).
bool FreeLibrary(HMODULE module);
// The loader's text of this thread's last failed LoadLibrary or
// GetProcAddress.
AnsiString LastLibraryError();

}  // namespace platform
