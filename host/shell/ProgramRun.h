// TProgramRun: one program window of the host, driven through its
// controller in the module's calling sequence.
//
// Start runs: GetController -> Manager, OnNotify -> Open([user, company,
// database, host window, extra]) -> SetAction(action, rights, parameter)
// -> SetCondition([Unassigned, condition]) when a condition is given ->
// SetVisible(-1), or ShowProgramModal for a modal run. A modal run has
// ended when Start returns; a modeless one ends when the module reports
// kNotifyDestroying, after which ResultCode and ReturnValue hold the
// outcome. Every notification is recorded and handed to OnNotification;
// the owner frees the run (and with it the controller) later, never from
// inside that callback.
//
// Failures give the result codes of the manager's ExecWork with a text
// for the user; the controller is freed at once then, so a failed start
// leaves nothing behind.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/ProgramController.h"
#include "platform/Variant.h"

namespace host {

// Result codes of a program start (the manager's ExecWork answers them).
inline constexpr int kRunOk = 0;
inline constexpr int kRunFileMissing = -1;     // no module file for the program
inline constexpr int kRunLoadFailed = -2;      // the module could not be loaded
inline constexpr int kRunNoComponent = -3;     // GetController failed
inline constexpr int kRunRightsError = -4;     // the user's rights could not be read
inline constexpr int kRunNoRight = -5;         // the user may not run the program
inline constexpr int kRunInitError = -6;       // Open failed or raised
inline constexpr int kRunUnexpected = -7;      // the form raised while shown, or anything else
inline constexpr int kRunNotAvailable = -8;    // a work this host does not offer

// Who runs the program: open parameter elements 0 to 4.
struct TOpenIdentity {
  platform::AnsiString UserID;
  platform::AnsiString CompanyID;
  platform::AnsiString Database;
  std::uintptr_t HostWindow = 0;
  platform::Variant Extra;
};

// What to run and how.
struct TRunRequest {
  platform::AnsiString ProgramCode;
  int Action = platform::kActionOpen;
  int Rights = platform::kAllRights;
  platform::Variant ActionParam;
  // Empty: no SetCondition. Otherwise the condition text, or the array
  // [condition, condition data].
  platform::Variant Condition;
  bool Modal = false;
};

class TProgramRun {
 public:
  TProgramRun(platform::TGetControllerProc entry, platform::AnsiString programCode);
  ~TProgramRun();
  TProgramRun(const TProgramRun&) = delete;
  TProgramRun& operator=(const TProgramRun&) = delete;

  // Drives the calling sequence; kRunOk or a negative code with message.
  // A modal run's return value lands in returnValue.
  int Start(const platform::Variant& manager, const TOpenIdentity& identity, const TRunRequest& request,
            platform::AnsiString& message, platform::Variant& returnValue);

  const platform::AnsiString& ProgramCode() const { return programCode_; }
  // True when the program's form has gone (or was never made).
  bool IsClosed() const;
  // Asks an open program to close (its close hook runs).
  void Close();
  // The outcome, read from the controller once the form went.
  std::int32_t ResultCode() const { return resultCode_; }
  const platform::Variant& ReturnValue() const { return returnValue_; }
  // Every notification received, in order.
  const std::vector<int>& Notifications() const { return notifications_; }
  // The controller while the run holds one.
  platform::TDLLBaseController* Controller() const { return controller_.get(); }

  // Told of every notification (code); must not free the run.
  std::function<void(TProgramRun& run, int code)> OnNotification;

 private:
  void ControllerNotify(int code, platform::TDLLBaseController* controller);
  void TakeOutcome();
  int Fail(int code, platform::AnsiString text, platform::AnsiString& message);

  platform::TGetControllerProc entry_;
  platform::AnsiString programCode_;
  std::unique_ptr<platform::TDLLBaseController> controller_;
  std::vector<int> notifications_;
  std::int32_t resultCode_ = 0;
  platform::Variant returnValue_;
  bool destroyed_ = false;
};

// The open parameter array of an identity.
platform::Variant OpenParamsOf(const TOpenIdentity& identity);

}  // namespace host
