#include "host/shell/Manager.h"

#include "host/shell/LookupService.h"
#include "host/shell/ShellServices.h"
#include "host/shell/WorkCenter.h"
#include "platform/ClassRegistry.h"
#include "platform/Exceptions.h"
#include "platform/ProgramController.h"
#include "platform/ui/Dialogs.h"

namespace host {

using platform::AnsiString;
using platform::Variant;

namespace {

// Work codes of the action array that this host does not carry out.
constexpr int kWorkPrint = 6;
constexpr int kWorkVoucherImages = 11;
constexpr const char* kInternalMessageProgram = "TMCI05";
// ExecWork's mode that runs the program modally.
constexpr int kModeModal = 1;

Variant ElementOr(const Variant& array, int index) {
  const Variant& a = array.Deref();
  if (!platform::VarIsArray(a)) return Variant();
  if (index < platform::VarArrayLowBound(a, 1) || index > platform::VarArrayHighBound(a, 1)) return Variant();
  return a[index];
}

int NotAvailable(const AnsiString& what) {
  platform::MessageDlg(what + " is not available in this installation.", platform::mtInformation, {platform::mbOK});
  return kRunNotAvailable;
}

}  // namespace

const platform::DispatchTable<THaldenManager>& THaldenManager::AutomationMembers() {
  static const auto table = platform::DispatchTable<THaldenManager>(kManagerClassName)
                                .Method("DependencyVersion", &THaldenManager::DependencyVersion)
                                .Method("Connect", &THaldenManager::Connect)
                                .Method("GetMessage", &THaldenManager::GetMessage)
                                .Method("ExecWork", &THaldenManager::ExecWork)
                                .Method("CallHelp", &THaldenManager::CallHelp)
                                .Method("Com_Validator", &THaldenManager::Com_Validator)
                                .Method("Com_F2Window", &THaldenManager::Com_F2Window)
                                .Method("Com_Counter", &THaldenManager::Com_Counter);
  return table;
}

TWorkCenter& THaldenManager::Center() {
  if (!workCenter_) throw platform::Exception("HaldenWorkCenter is not running any more.");
  return *workCenter_;
}

int THaldenManager::DependencyVersion() { return platform::kControllerInterfaceVersion; }

bool THaldenManager::Connect() { return workCenter_ && workCenter_->LoggedIn(); }

AnsiString THaldenManager::GetMessage(const AnsiString& type, const AnsiString& code) {
  AnsiString kind = platform::UpperCase(platform::Trim(type));
  if (kind == "T") kind = "E";
  return Center().Accounts().MessageText(kind, platform::Trim(code));
}

int THaldenManager::ExecWork(Variant& caller, Variant& parameter, Variant& action, Variant& mode, Variant& result) {
  TWorkCenter& center = Center();
  const AnsiString user = platform::VarToStr(ElementOr(caller, 0));
  const AnsiString company = platform::VarToStr(ElementOr(caller, 1));
  const AnsiString program = platform::Trim(platform::VarToStr(ElementOr(caller, 2)));
  const int work = platform::VarIsArray(action.Deref()) ? ElementOr(action, 0).AsInteger() : 0;

  if (work == kWorkPrint) return NotAvailable("Printing");
  if (work == kWorkVoucherImages) return NotAvailable("Making voucher images");
  if (platform::UpperCase(program) == kInternalMessageProgram) return NotAvailable("Sending internal messages");

  // A program runs for the user who is logged in, and for no other.
  const TOpenIdentity& identity = center.Identity();
  if ((!user.IsEmpty() && platform::UpperCase(user) != platform::UpperCase(identity.UserID)) ||
      (!company.IsEmpty() && platform::UpperCase(company) != platform::UpperCase(identity.CompanyID)))
    return kRunNoRight;

  TRunRequest request;
  request.ProgramCode = program;
  request.Action = work;
  request.Rights = platform::VarIsArray(action.Deref()) ? (ElementOr(action, 1).AsInteger() & platform::kAllRights) : 0;
  request.ActionParam = ElementOr(action, 2);
  const Variant& condition = parameter.Deref();
  if (!platform::VarIsEmptyOrNull(condition) && !(condition.Type() != platform::varArray && VarToStr(condition).IsEmpty()))
    request.Condition = condition;
  request.Modal = !platform::VarIsEmptyOrNull(mode.Deref()) && mode.Deref().AsInteger() == kModeModal;

  AnsiString message;
  Variant returnValue;
  int code = center.RunProgram(request, message, returnValue);
  if (request.Modal) result = returnValue;
  return code;
}

void THaldenManager::CallHelp(const Variant& topic) {
  const Variant& t = topic.Deref();
  AnsiString text;
  if (platform::VarIsArray(t)) {
    for (int i = platform::VarArrayLowBound(t, 1); i <= platform::VarArrayHighBound(t, 1); ++i) {
      if (!text.IsEmpty()) text += "/";
      text += platform::VarToStr(t[i]);
    }
  } else {
    text = platform::VarToStr(t);
  }
  ShellHelp(text);
}

Variant THaldenManager::Com_Validator() { return Center().Accounts().ServiceObject("Validator"); }

Variant THaldenManager::Com_Counter() { return Center().Accounts().ServiceObject("Counter"); }

Variant THaldenManager::Com_F2Window() {
  Center();
  if (platform::VarIsEmpty(f2Window_)) f2Window_ = CreateLookupService(workCenter_);
  return f2Window_;
}

void RegisterManagerClass(TWorkCenter* workCenter) {
  if (!workCenter) {
    platform::UnregisterAutoClass(kManagerClassName);
    return;
  }
  platform::RegisterAutoClass(kManagerClassName, [workCenter]() -> platform::AutoObjectPtr {
    return std::static_pointer_cast<platform::AutoObject>(workCenter->Manager().AsDispatch());
  });
}

}  // namespace host
