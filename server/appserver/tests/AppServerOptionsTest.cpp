#include <gtest/gtest.h>

#include <fstream>

#include "platform/TestSupport.h"
#include "server/appserver/AppServerOptions.h"

namespace server {
namespace {

TEST(AppServerOptions, FileAndCommandLine) {
  platform::testing::TempFolder folder;
  std::string ini = folder.File("CorvaneS.ini");
  struct Case {
    const char* name;
    std::string file;
    std::vector<std::string> args;
    bool ok;
    storage::Engine engine;
    std::string target;
    unsigned short port;
    std::string address;
  } cases[] = {
      {"defaults", "", {}, true, storage::Engine::Sqlite, folder.File("corvane.db"), 211, "0.0.0.0"},
      {"file settings", "[DBE Setting]\nMainDBType=POSTGRESQL\nMainDBName=host=db dbname=erp\n"
                        "[DBPasswordCtrl]\nServerPort=2110\nListenAddress=10.0.0.5\n",
       {}, true, storage::Engine::Postgres, "host=db dbname=erp", 2110, "10.0.0.5"},
      {"relative SQLite file beside the configuration", "[DBE Setting]\nMainDBType=sqlite\nMainDBName=data/sys.db\n",
       {}, true, storage::Engine::Sqlite, folder.File("data/sys.db"), 211, "0.0.0.0"},
      {"command line wins", "[DBPasswordCtrl]\nServerPort=2110\n", {"--port", "0", "--address", "127.0.0.2"}, true,
       storage::Engine::Sqlite, folder.File("corvane.db"), 0, "127.0.0.2"},
      {"database type of another engine", "[DBE Setting]\nMainDBType=MSSQL\n", {}, false, {}, "", 0, ""},
      {"PostgreSQL without a database", "[DBE Setting]\nMainDBType=POSTGRESQL\n", {}, false, {}, "", 0, ""},
      {"port out of range", "[DBPasswordCtrl]\nServerPort=70000\n", {}, false, {}, "", 0, ""},
      {"unknown option", "", {"--frobnicate"}, false, {}, "", 0, ""},
  };
  for (const Case& c : cases) {
    std::ofstream(ini, std::ios::trunc) << c.file;
    std::vector<std::string> args{"corvane-appserver", "--config", ini};
    args.insert(args.end(), c.args.begin(), c.args.end());
    AppServerOptionsResult r = ParseAppServerOptions(args);
    ASSERT_EQ(r.options.has_value(), c.ok) << c.name << ": " << r.message;
    if (!c.ok) {
      EXPECT_FALSE(r.message.empty()) << c.name;
      EXPECT_NE(r.exitCode, 0) << c.name;
      continue;
    }
    EXPECT_EQ(r.options->storage.engine, c.engine) << c.name;
    EXPECT_EQ(r.options->storage.target, c.target) << c.name;
    EXPECT_EQ(r.options->port, c.port) << c.name;
    EXPECT_EQ(r.options->address, c.address) << c.name;
  }
}

}  // namespace
}  // namespace server
