// The demo installation: a complete client and server installation in one
// folder, with the registry stand-in beside them.
//
//   FOLDER/registry.ini   the registry stand-in (CORVANE_REGISTRY points here)
//   FOLDER/client/        CorvaneC.ini, Language, MultiLanguage/CHS|CHT|ENG,
//                         Log, c_Data, c_temp, C_PKG, Profile
//   FOLDER/server/        CorvaneS.ini, S_PKG, Log, corvane.db (the SQLite
//                         system database; the company database "demo"
//                         beside it, seeded with the demo data)
//
// An existing installation is updated in place: configuration files are
// rewritten, the demo data written again (what users wrote elsewhere is
// kept), folders and other files are kept. Raises on any failure.
#pragma once

#include <filesystem>

namespace corvane::tools {

struct DemoInstallationOptions {
  int employees = 300;  // of the demo company
};

void CreateDemoInstallation(const std::filesystem::path& folder, const DemoInstallationOptions& options = {});

}  // namespace corvane::tools
