// corvane-demo FOLDER: creates a complete demo installation in FOLDER,
// with the demo company in the server's SQLite system database.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "DemoInstallation.h"
#include "server/demo/DemoData.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  try {
    std::filesystem::path root = std::filesystem::absolute(argv[1]).lexically_normal();
    corvane::tools::CreateDemoInstallation(root);
    std::string registry = (root / "registry.ini").string();
    std::printf("Demo installation ready in %s\n", root.string().c_str());
    std::printf("  registry stand-in: %s (export CORVANE_REGISTRY=%s)\n", registry.c_str(), registry.c_str());
    std::printf("  client folder:     %s\n", (root / "client").string().c_str());
    std::printf("  server folder:     %s\n", (root / "server").string().c_str());
    std::printf("  database:          %s (company DEMO)\n", (root / "server" / "corvane.db").string().c_str());
    std::printf("  users (password = user ID):");
    for (const auto& u : demo::DemoUsers()) std::printf(" %s", u.userId.c_str());
    std::printf("\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "corvane-demo: %s\n", e.what());
    return 1;
  }
  return 0;
}
