#include "DemoInstallation.h"

#include <fstream>
#include <stdexcept>

#include "kernel/CorvaneINI.h"
#include "language/LanguageTable.h"
#include "platform/AnsiString.h"
#include "server/demo/DemoData.h"
#include "server/storage/OpenStorage.h"

namespace corvane::tools {

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string ClientIni() {
  return "[Client Components]\r\n"
         "LangType=CHS\r\n"
         "[ProductVersion]\r\n"
         "Version=9.0\r\n"
         "[UserDefine]\r\n"
         "CreateGifBeforeSendJX=Y\r\n"
         "[CodePage]\r\n"
         "UICodePage=936\r\n"
         "DBCodePage=936\r\n"
         "[Server Information]\r\n"
         "SupportCallBack=0\r\n"
         "ComputerName=127.0.0.1\r\n"
         "ServerPort=211\r\n"
         "[WorkDLLPath]\r\n"
         "Programs=\\C_PKG\r\n"
         "[TaskMessageCenter Setting]\r\n"
         "AutoCheckNewMsg=1\r\n"
         "CheckInterval=1\r\n"
         "PopupMsg=1\r\n"
         "LoginCheck=0\r\n";
}

std::string ServerIni(const fs::path& server) {
  // The demo's database password is empty; its stored form is the marker's.
  std::string password = kv::EncodePassword("").Bytes();
  return "[ProductVersion]\r\n"
         "Version=9.0\r\n"
         "[CodePage]\r\n"
         "UICodePage=936\r\n"
         "DBCodePage=936\r\n"
         "[DBE Setting]\r\n"
         "MainUserName=corvane\r\n"
         "XXXXXX=" + password + "\r\n"
         "MainAlias=Halden\r\n"
         "MainDBType=SQLITE\r\n"
         "MainDBName=" + (server / "corvane.db").string() + "\r\n"
         "MainServerName=localhost\r\n"
         "MainConnectionTimeOut=300\r\n"
         "MainCommandTimeOut=3000\r\n"
         "TempAlias=HaldenTemp\r\n"
         "TempUserName=corvane\r\n"
         "TempPassword=" + password + "\r\n"
         "TempDBType=SQLITE\r\n"
         "TempDBName=" + (server / "corvane_temp.db").string() + "\r\n"
         "DataBaseCodeOrder=BINARY\r\n"
         "[DBPasswordCtrl]\r\n"
         "ComputerName=127.0.0.1\r\n"
         "ServerPort=211\r\n"
         "ClientSocketPort=1024\r\n"
         "SupportCallBack=0\r\n"
         "[WorkDLLPath]\r\n"
         "Server=\\S_PKG\r\n";
}

std::string Registry(const fs::path& client, const fs::path& server) {
  return "; Registry stand-in of the Corvane demo installation (UTF-8).\n"
         "[SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage]\n"
         "ACP=936\n"
         "[Software\\KVT\\Corvane]\n"
         "ClientPath=" + client.string() + "/\n"
         "ServerPath=" + server.string() + "/\n"
         "ProfileType=0\n"
         "UseKBIG5=1\n"
         "[Classes]\n";
}

}  // namespace

void CreateDemoInstallation(const fs::path& folder, const DemoInstallationOptions& options) {
  fs::path root = fs::absolute(folder).lexically_normal();
  fs::path client = root / "client";
  fs::path server = root / "server";
  for (const char* sub : {"MultiLanguage/CHS", "MultiLanguage/CHT", "MultiLanguage/ENG", "Log",
                          "c_Data", "c_temp", "C_PKG", "Profile"})
    fs::create_directories(client / sub);
  for (const char* sub : {"S_PKG", "Log"}) fs::create_directories(server / sub);

  WriteText(root / "registry.ini", Registry(client, server));
  WriteText(client / "CorvaneC.ini", ClientIni());
  WriteText(server / "CorvaneS.ini", ServerIni(server));
  WriteText(client / "Language", LanguageFileText(BuildLanguageTables()));

  // The system database the server's CorvaneS.ini names, with the demo
  // company, its users, rights, programs and message texts.
  storage::StorageConfig config;
  config.engine = storage::Engine::Sqlite;
  config.target = (server / "corvane.db").string();
  auto db = storage::OpenStorage(config);
  demo::DemoOptions demoOptions;
  demoOptions.employees = options.employees;
  demo::SeedDemo(*db, demoOptions);
}

}  // namespace corvane::tools
