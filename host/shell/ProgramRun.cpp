#include "host/shell/ProgramRun.h"

#include <exception>

#include "platform/Exceptions.h"

namespace host {

using platform::AnsiString;
using platform::Variant;

namespace {

AnsiString TextOf(const std::exception& e) {
  if (auto* pe = dynamic_cast<const platform::Exception*>(&e)) return pe->Message();
  return AnsiString(e.what());
}

}  // namespace

Variant OpenParamsOf(const TOpenIdentity& identity) {
  return platform::VarArrayOf({Variant(identity.UserID), Variant(identity.CompanyID), Variant(identity.Database),
                               Variant(static_cast<long long>(identity.HostWindow)), identity.Extra});
}

TProgramRun::TProgramRun(platform::TGetControllerProc entry, AnsiString programCode)
    : entry_(entry), programCode_(std::move(programCode)) {}

TProgramRun::~TProgramRun() {
  // Freeing the controller closes a program still open; its notifications
  // must not reach an owner that is going away.
  OnNotification = nullptr;
  if (controller_) controller_->OnNotify = nullptr;
  try {
    controller_.reset();
  } catch (...) {
    // A form that raises while it is freed cannot be helped here.
  }
}

bool TProgramRun::IsClosed() const { return !controller_ || destroyed_ || controller_->IsClosed(); }

void TProgramRun::Close() {
  if (controller_ && !destroyed_) controller_->CloseForm(0);
}

void TProgramRun::ControllerNotify(int code, platform::TDLLBaseController* controller) {
  notifications_.push_back(code);
  if (code == platform::kNotifyDestroying) {
    destroyed_ = true;
    TakeOutcome();
  }
  if (OnNotification) OnNotification(*this, code);
}

void TProgramRun::TakeOutcome() {
  if (!controller_) return;
  resultCode_ = controller_->ResultCode;
  returnValue_ = controller_->ReturnValue;
}

int TProgramRun::Fail(int code, AnsiString text, AnsiString& message) {
  message = std::move(text);
  if (controller_) {
    TakeOutcome();
    controller_->OnNotify = nullptr;
    try {
      controller_.reset();
    } catch (...) {
      controller_.release();  // a form that cannot even be freed: leave it be
    }
  }
  destroyed_ = true;
  return code;
}

int TProgramRun::Start(const Variant& manager, const TOpenIdentity& identity, const TRunRequest& request,
                       AnsiString& message, Variant& returnValue) {
  const AnsiString name = "[" + programCode_ + "]";
  try {
    controller_.reset(entry_ ? entry_() : nullptr);
  } catch (const std::exception& e) {
    return Fail(kRunNoComponent, "The program " + name + " could not create its controller: " + TextOf(e), message);
  } catch (...) {
    return Fail(kRunNoComponent, "The program " + name + " could not create its controller.", message);
  }
  if (!controller_) return Fail(kRunNoComponent, "The program " + name + " did not give a controller.", message);

  controller_->Manager = manager;
  controller_->OnNotify = platform::TControllerNotifyEvent::Bind<&TProgramRun::ControllerNotify>(this);

  try {
    if (controller_->Open(OpenParamsOf(identity)) != 0)
      return Fail(kRunInitError, "The program " + name + " could not be started.", message);
  } catch (const platform::EAbort&) {
    // The module has shown its own message already.
    return Fail(kRunInitError, "The program " + name + " could not be started.", message);
  } catch (const std::exception& e) {
    return Fail(kRunInitError, "The program " + name + " could not be started: " + TextOf(e), message);
  } catch (...) {
    return Fail(kRunInitError, "The program " + name + " could not be started.", message);
  }

  try {
    controller_->SetAction(request.Action, request.Rights & platform::kAllRights, request.ActionParam);
    if (!platform::VarIsEmpty(request.Condition))
      controller_->SetCondition(platform::VarArrayOf({Variant(), request.Condition}));
    if (request.Modal) {
      Variant out;
      controller_->ShowProgramModal(out);
      returnValue = out;
      TakeOutcome();
      returnValue_ = out;
      destroyed_ = true;
    } else {
      controller_->SetVisible(-1);
    }
  } catch (const platform::EAbort&) {
    return Fail(kRunUnexpected, "The program " + name + " was stopped.", message);
  } catch (const std::exception& e) {
    return Fail(kRunUnexpected, "The program " + name + " stopped with an error: " + TextOf(e), message);
  } catch (...) {
    return Fail(kRunUnexpected, "The program " + name + " stopped with an error.", message);
  }
  return kRunOk;
}

}  // namespace host
