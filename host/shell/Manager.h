// THaldenManager: the automation object "HaldenWorkCenter.Manager" the host
// hands to every program as the controller's Manager.
//
// Members (late-bound, ASCII case ignored):
//   DependencyVersion() -> 8000, the controller interface version
//   Connect()            -> nothing; the host is connected by its login
//   GetMessage(type, code) -> the server's text of a coded message ("T" is
//                           asked as "E")
//   ExecWork(var caller, var parameter, var action, var mode, var result)
//                        -> result code (ProgramRun.h). caller is [user,
//                           company, program code, window]; action is
//                           [action code, rights mask (0: the user's),
//                           action parameter]; mode 1 runs modally and
//                           puts the program's return value into result,
//                           any other mode runs modelessly. Work code 6
//                           (print), 11 (voucher images) and the program
//                           "TMCI05" (internal messages) are not offered:
//                           the user is told so and the answer is
//                           kRunNotAvailable.
//   CallHelp(topic)      -> nothing; the request is handed to the shell
//                           services (ShellServices.h)
//   Com_Validator(), Com_Counter() -> the service objects of the host's
//                           own server connection
//   Com_F2Window()       -> the look-up service of the host (LookupService.h)
//
// The manager observes its work center; after the work center is gone,
// every member that needs it raises a clear error.
#pragma once

#include <span>

#include "platform/DispatchTable.h"
#include "platform/Variant.h"

namespace host {

class TWorkCenter;

// The class name the module creates the manager by.
inline constexpr const char* kManagerClassName = "HaldenWorkCenter.Manager";

class THaldenManager : public platform::Dispatchable<THaldenManager> {
 public:
  explicit THaldenManager(TWorkCenter* workCenter) : workCenter_(workCenter) {}
  static const platform::DispatchTable<THaldenManager>& AutomationMembers();

  void Detach() { workCenter_ = nullptr; }

  int DependencyVersion();
  bool Connect();
  platform::AnsiString GetMessage(const platform::AnsiString& type, const platform::AnsiString& code);
  int ExecWork(platform::Variant& caller, platform::Variant& parameter, platform::Variant& action,
               platform::Variant& mode, platform::Variant& result);
  void CallHelp(const platform::Variant& topic);
  platform::Variant Com_Validator();
  platform::Variant Com_F2Window();
  platform::Variant Com_Counter();

 private:
  TWorkCenter& Center();

  TWorkCenter* workCenter_;
  platform::Variant f2Window_;
};

// Registers the class name in this process, creating managers of the
// current work center (the one passed last; nullptr unregisters).
void RegisterManagerClass(TWorkCenter* workCenter);

}  // namespace host
