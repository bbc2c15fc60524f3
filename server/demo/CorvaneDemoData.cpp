// corvane-demodata: writes the demo company, its users and message texts.
//
//   corvane-demodata [--employees N] [--company ID] [--database NAME] TARGET
//
// TARGET is the SQLite system database file (company databases are
// written beside it) or a PostgreSQL URL (postgresql://...).
#include <cstdlib>
#include <iostream>
#include <string>

#include "server/demo/DemoData.h"
#include "server/storage/OpenStorage.h"

namespace {

int Usage() {
  std::cerr << "usage: corvane-demodata [--employees N] [--company ID] [--database NAME] TARGET\n"
               "  TARGET: the SQLite system database file, or a PostgreSQL URL (postgresql://...)\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  demo::DemoOptions options;
  std::string target;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) return {};
      return argv[++i];
    };
    if (arg == "--employees") {
      std::string n = value();
      char* end = nullptr;
      long count = std::strtol(n.c_str(), &end, 10);
      if (n.empty() || *end || count < 1 || count > 99999) {
        std::cerr << "corvane-demodata: --employees takes a number from 1 to 99999\n";
        return 2;
      }
      options.employees = static_cast<int>(count);
    } else if (arg == "--company") {
      options.companyId = value();
    } else if (arg == "--database") {
      options.database = value();
    } else if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    } else if (!arg.empty() && arg[0] == '-') {
      std::cerr << "corvane-demodata: unknown option " << arg << "\n";
      return Usage();
    } else if (target.empty()) {
      target = arg;
    } else {
      return Usage();
    }
  }
  if (target.empty() || options.companyId.empty() || options.database.empty()) return Usage();

  storage::StorageConfig config;
  bool postgres = target.rfind("postgresql://", 0) == 0 || target.rfind("postgres://", 0) == 0;
  config.engine = postgres ? storage::Engine::Postgres : storage::Engine::Sqlite;
  config.target = target;
  try {
    auto db = storage::OpenStorage(config);
    demo::SeedDemo(*db, options);
  } catch (const std::exception& e) {
    std::cerr << "corvane-demodata: " << e.what() << "\n";
    return 1;
  }
  std::cout << "Demo company " << options.companyId << " (database " << options.database << ") with "
            << options.employees << " employees written.\nUsers (password = user ID):\n";
  for (const auto& u : demo::DemoUsers()) std::cout << "  " << u.userId << "  " << u.role << "\n";
  return 0;
}
