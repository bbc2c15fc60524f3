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
#include "platform/ui/Application.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Dialogs.h"
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
  return 0;
}
