// The controller interface of a program module: what the module's one
// exported function, GetController, returns and the host drives.
//
// A program module is a shared library exporting only
//   extern "C" platform::TDLLBaseController* GetController();
// The host calls it once per program window it wants and owns the object it
// returns (it frees it with delete; the module is never unloaded, so the
// object's code stays mapped). The host then drives the program through
// the virtual operations below, in this calling sequence:
//
//   GetController -> set Manager and OnNotify -> Open(open parameter array)
//   -> SetAction(action, rights mask, parameter) -> optionally SetCondition
//   -> SetVisible(-1) or ShowProgramModal -> ... -> IsClosed or notification
//   kNotifyDestroying -> read ResultCode and ReturnValue -> free the
//   controller.
//
// The host never frees a controller from inside OnNotify: the notification
// is sent while the form is being destroyed, so the host posts the free.
//
// Booleans in automation form are 16-bit values: true is -1, false 0.
// Exceptions raised by the module (Open's version check, a form that
// raises while created or started) pass through to the host unchanged.
#pragma once

#include <cstdint>

#include "platform/AnsiString.h"
#include "platform/Object.h"
#include "platform/Variant.h"
#include "platform/ui/Event.h"

namespace platform {

class TDLLBaseController;

// The interface version host and module implement: a manager whose
// DependencyVersion answers anything else is refused by Open.
inline constexpr int kControllerInterfaceVersion = 8000;

// The name of the exported entry and its type.
inline constexpr const char* kGetControllerName = "GetController";
extern "C" {
using TGetControllerProc = TDLLBaseController* (*)();
}

// Notification codes of OnNotify.
inline constexpr int kNotifyCreated = 0x100;     // inside Open, after the form was created and checked
inline constexpr int kNotifyShown = 0x110;       // the form was shown
inline constexpr int kNotifyHidden = 0x120;      // the form was hidden
inline constexpr int kNotifyDestroying = 0x130;  // the form is being destroyed; ResultCode, ReturnValue filled
inline constexpr int kNotifyClosing = 0x140;     // the form is closing

// Bits of the rights mask of SetAction; a clear bit removes the right.
inline constexpr int kRightAdd = 0x01;
inline constexpr int kRightDelete = 0x02;
inline constexpr int kRightQuery = 0x04;
inline constexpr int kRightEdit = 0x08;
inline constexpr int kRightPrint = 0x10;
inline constexpr int kRightConfirm = 0x20;
inline constexpr int kRightUnConfirm = 0x40;
inline constexpr int kRightInvalid = 0x80;
inline constexpr int kAllRights = 0xFF;

// Action codes of SetAction (the form's open mode follows from them: 1-5
// and 7, 8 as they are, 10 -> 9, 12 -> 10, 13 -> 11, any other -> 0).
inline constexpr int kActionAdd = 1;
inline constexpr int kActionOpen2 = 2;
inline constexpr int kActionEditCurrent = 3;
inline constexpr int kActionOpen = 4;
inline constexpr int kActionPrintNow = 5;
inline constexpr int kActionAddPreset = 7;     // parameter: [names; values], sub-dialog
inline constexpr int kActionEditByParam = 8;   // parameter: [names; values], sub-dialog
inline constexpr int kActionOpenWithParam = 10;
inline constexpr int kActionNoUserLayout = 12;
inline constexpr int kActionImport = 13;       // the condition holds the import document

// The event type of OnNotify: (Code, Controller).
using TControllerNotifyEvent = TEvent<"TControllerNotifyEvent", int, TDLLBaseController*>;

// The base of every controller. The first eleven operations are the
// module's; the last seven have the behaviour given here, which the
// module's controller may override.
class TDLLBaseController {
 public:
  TDLLBaseController() = default;
  TDLLBaseController(const TDLLBaseController&) = delete;
  TDLLBaseController& operator=(const TDLLBaseController&) = delete;
  // Freeing the controller closes a program still open (close hook
  // included).
  virtual ~TDLLBaseController() = default;

  // --- fields ---
  Variant Manager;            // the host's manager object; set before Open
  std::int32_t ResultCode = 0;  // the form's result, filled when the form is destroyed
  Variant ReturnValue;        // the form's return value, filled when the form is destroyed
  TControllerNotifyEvent OnNotify;  // may be unassigned

  // --- the module's operations, in slot order ---
  // The program's version text; untouched when there is no form.
  virtual void GetVersion(WideString& version) = 0;
  // -1 when the form is visible, else 0.
  virtual std::int16_t GetVisible() = 0;
  // Non-zero shows the form (restored and brought to the top), 0 hides it.
  virtual void SetVisible(std::int16_t visible) = 0;
  // The form's window handle (created on demand); 0 without a form.
  virtual std::uintptr_t GetHandle() = 0;
  // Creates the form, checks the manager's DependencyVersion and starts
  // the program with [user, company, database, host window, extra]. 0 on
  // success, -1 when the start reported failure; raises what the module
  // raises.
  virtual std::int32_t Open(const Variant& openParams) = 0;
  // Element 1 of the array is the condition text, or [condition, data].
  // 0 on success, -1 otherwise.
  virtual std::int32_t SetCondition(const Variant& condition) = 0;
  // Rights mask and action code (above); 0 on success, -1 without a form.
  virtual std::int32_t SetAction(std::int32_t action, std::int32_t rights, const Variant& param) = 0;
  // Runs the form modally, hands back its return value and closes it.
  virtual void ShowProgramModal(Variant& returnValue) = 0;
  // Frees the form; with 0 the close hook runs first.
  virtual void CloseForm(std::int32_t skipCloseHook) = 0;
  // [user, company, program code, program name]; -1 without a form.
  virtual std::int32_t GetInfo(Variant& info) = 0;
  // True when there is no form (any more).
  virtual bool IsClosed() = 0;

  // --- implemented here ---
  virtual void DoCreated() { DoNotify(kNotifyCreated); }
  virtual void FormShowHook(TObject* sender) { DoNotify(kNotifyShown); }
  virtual void FormHideHook(TObject* sender) { DoNotify(kNotifyHidden); }
  virtual void FormDestroyHook(TObject* sender) { DoNotify(kNotifyDestroying); }
  virtual void FormCloseHook(TObject* sender, TCloseAction& action) { DoNotify(kNotifyClosing); }
  virtual void DoNotify(std::int32_t code) { OnNotify(code, this); }
  virtual void Reserved() {}
};

}  // namespace platform
