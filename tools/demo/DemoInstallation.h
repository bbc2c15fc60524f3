// The demo installation: a complete client and server installation in one
// folder, with the registry stand-in beside them.
//
//   FOLDER/registry.ini   the registry stand-in (CORVANE_REGISTRY points here)
//   FOLDER/client/        CorvaneC.ini, Language, MultiLanguage/CHS|CHT|ENG,
//                         Log, c_Data, c_temp, C_PKG, Profile
//   FOLDER/server/        CorvaneS.ini, S_PKG, Log
//
// An existing installation is updated in place: configuration files are
// rewritten, folders and other files are kept. Raises on any failure.
#pragma once

#include <filesystem>

namespace corvane::tools {

void CreateDemoInstallation(const std::filesystem::path& folder);

}  // namespace corvane::tools
