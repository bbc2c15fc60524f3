// HaldenWorkCenter: the host shell. Logs the user in, shows the program
// menu and runs the program modules; the forms are drawn by the browser
// the web server serves (without it, the host runs headless).
//
//   HaldenWorkCenter [--port N] [--web FOLDER]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "host/shell/LoginForm.h"
#include "host/shell/Manager.h"
#include "host/shell/ProgramMenuForm.h"
#include "host/shell/ProgramModule.h"
#include "host/shell/ServerAccountService.h"
#include "host/shell/WorkCenter.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/data/SocketConnection.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Dialogs.h"
#include "server/appserver/ServerSetup.h"
#if defined(HALDEN_WITH_WEB)
#include "host/web/WebServer.h"
#endif

namespace {

struct Options {
  unsigned short Port = 0;
  std::string WebRoot;
};

bool ParseOptions(int argc, char** argv, Options& options) {
#if defined(HALDEN_WEB_ROOT)
  options.WebRoot = HALDEN_WEB_ROOT;
#endif
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--port" && i + 1 < argc) {
      long port = std::strtol(argv[++i], nullptr, 10);
      if (port < 0 || port > 65535) return false;
      options.Port = static_cast<unsigned short>(port);
    } else if (arg == "--web" && i + 1 < argc) {
      options.WebRoot = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

// Installs the installation's application server in this process (the
// address "127.0.0.1"): its storage from the server folder's CorvaneS.ini.
// Returns false, with the reason in message, when it cannot run.
bool InstallServer(std::string& message) {
  platform::TRegistry registry;
  platform::AnsiString folder;
  if (registry.OpenKeyReadOnly("Software\\KVT\\Corvane")) folder = platform::Trim(registry.ReadString("ServerPath"));
  if (folder.IsEmpty()) {
    message = "the registry has no ServerPath, so the server's CorvaneS.ini cannot be found";
    return false;
  }
  platform::AnsiString file = platform::IncludeTrailingPathDelimiter(folder) + "CorvaneS.ini";
  if (!platform::FileExists(file)) {
    message = "there is no " + file.ToUtf8();
    return false;
  }
  server::AppServerOptionsResult parsed = server::ParseAppServerOptions({"HaldenWorkCenter", "--config", file.ToUtf8()});
  if (!parsed.options) {
    message = file.ToUtf8() + ": " + parsed.message;
    return false;
  }
  try {
    server::InstallInProcessServer(server::MakeServerContext(*parsed.options));
  } catch (const std::exception& e) {
    message = std::string("its database cannot be opened: ") + e.what();
    return false;
  }
  return true;
}

// Ends the application when the menu, the main window, is closed.
struct MenuCloser {
  void MenuClose(platform::TObject*, platform::TCloseAction& action) {
    action = platform::caHide;
    platform::Application().Terminate();
  }
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: HaldenWorkCenter [--port N] [--web FOLDER]\n");
    return 2;
  }
  platform::Application().SetTitle("HaldenWorkCenter");
  platform::UseMessageDialogs();

  std::vector<platform::AnsiString> folders = host::ClientModuleFolders();
  if (folders.empty())
    std::fprintf(stderr,
                 "HaldenWorkCenter: no client installation found (the registry has no ClientPath); "
                 "programs cannot be opened.\n");

  host::TServerAccountService accounts;
  bool serverInstalled = false;
  if (accounts.Address() == platform::AnsiString(platform::kInProcessAddress)) {
    std::string problem;
    serverInstalled = InstallServer(problem);
    if (!serverInstalled)
      std::fprintf(stderr, "HaldenWorkCenter: the application server cannot run in this process: %s.\n",
                   problem.c_str());
  }
  host::TWorkCenter center(accounts, folders);
  host::RegisterManagerClass(&center);

#if defined(HALDEN_WITH_WEB)
  hostweb::WebServer web;
  try {
    hostweb::WebServerOptions webOptions;
    webOptions.Port = options.Port;
    webOptions.StaticRoot = options.WebRoot;
    web.Start(webOptions);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "HaldenWorkCenter: the web server could not start: %s\n", e.what());
    return 1;
  }
  std::printf("HaldenWorkCenter is running. Open this address in a browser:\n  %s\n", web.Url().c_str());
  std::fflush(stdout);
#else
  std::printf("HaldenWorkCenter is running without a browser view (headless).\n");
  std::fflush(stdout);
#endif

  platform::TComponentPtr<host::TLoginForm> login(platform::CreateForm<host::TLoginForm>(nullptr));
  login->SetWorkCenter(&center);
  platform::TModalResult answer = login->ShowModal();
  if (login) login->Free();
  if (answer != platform::mrOk || !center.LoggedIn()) {
    host::RegisterManagerClass(nullptr);
    if (serverInstalled) server::InstallInProcessServer(nullptr);
    return 0;
  }

  MenuCloser closer;
  platform::TComponentPtr<host::TProgramMenuForm> menu(platform::CreateForm<host::TProgramMenuForm>(nullptr));
  menu->SetWorkCenter(&center);
  menu->OnClose = platform::TCloseEvent::Bind<&MenuCloser::MenuClose>(&closer);
  platform::Application().SetMainForm(menu.get());
  menu->Show();
  platform::Application().Run();

  center.LogOut();
  if (menu) menu->Free();
  host::RegisterManagerClass(nullptr);
  if (serverInstalled) server::InstallInProcessServer(nullptr);
  return 0;
}
