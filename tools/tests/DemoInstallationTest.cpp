#include "demo/DemoInstallation.h"

#include <gtest/gtest.h>

#include "kernel/CorvaneINI.h"
#include "platform/Paths.h"
#include "platform/TestSupport.h"
#include "platform/Variant.h"
#include "server/core/Sessions.h"
#include "server/demo/DemoData.h"
#include "server/storage/OpenStorage.h"

namespace {

using platform::AnsiString;

// The demo installation is read back by the module's own configuration
// readers: every folder and setting the later layers rely on is there.
TEST(DemoInstallation, ReadsBackThroughTheConfigurationReaders) {
  platform::testing::TempFolder dir;
  corvane::tools::CreateDemoInstallation(dir.Path(), {20});
  corvane::tools::CreateDemoInstallation(dir.Path(), {20});  // again: updated in place
  ::setenv("CORVANE_REGISTRY", dir.File("registry.ini").c_str(), 1);

  kv::TCorvaneIniC client;
  EXPECT_EQ(client.ErrorCode, AnsiString(""));
  EXPECT_EQ(client.ClientPath, AnsiString::FromUtf8(dir.Path() + "/client/"));
  EXPECT_EQ(client.IniFileName, client.ClientPath + "CorvaneC.ini");
  EXPECT_EQ(client.LangType, AnsiString("CHS"));
  EXPECT_EQ(client.ServerAddresses.GetElement({0, 0}).AsString(), AnsiString("127.0.0.1"));
  EXPECT_EQ(client.ServerAddresses.GetElement({1, 0}).AsInteger(), 211);
  ASSERT_EQ(client.WorkDLLPaths.Count(), 1);
  EXPECT_EQ(client.WorkDLLPaths.ValueFromIndex(0), client.ClientPath + "C_PKG\\");

  kv::TCorvaneIniS server;
  EXPECT_EQ(server.ErrorCode, AnsiString(""));
  EXPECT_EQ(server.DBSettings.GetElement({0, 2}).AsString(), AnsiString("")) << "empty password decoded";
  EXPECT_EQ(server.DBSettings.GetElement({0, 3}).AsString(), AnsiString("SQLITE"));

  for (const char* folder : {"client/MultiLanguage/CHS", "client/MultiLanguage/CHT", "client/MultiLanguage/ENG",
                             "client/Log", "client/c_Data", "client/c_temp", "client/C_PKG", "client/Profile",
                             "server/S_PKG"})
    EXPECT_TRUE(platform::DirectoryExists(AnsiString::FromUtf8(dir.File(folder)))) << folder;
  EXPECT_GT(platform::FileSize(AnsiString::FromUtf8(dir.File("client/Language"))), 100000);

  // The system database CorvaneS.ini names holds the demo: every demo user
  // logs in with the demo password, and the administrator has the host's
  // test program.
  storage::StorageConfig config;
  config.target = server.DBSettings.GetElement({0, 4}).AsString().ToUtf8();
  EXPECT_EQ(config.target, dir.File("server/corvane.db"));
  auto db = storage::OpenStorage(config);
  for (const auto& user : demo::DemoUsers()) {
    EXPECT_TRUE(server::LogIn(*db, user.userId, user.password).ok) << user.userId;
    EXPECT_TRUE(server::IsGranted(*db, user.userId, "demo")) << user.userId;
  }
  EXPECT_TRUE(server::RightsOf(*db, "admin", "TestPrg").has_value());
}

}  // namespace
