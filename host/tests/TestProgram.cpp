// A small program module for the host's tests, built like the real one:
// hidden symbols, only GetController exported, no "lib" prefix.
//
// Its controller follows the module's calling sequence (version check,
// notifications, event hooks, open modes, rights). Its form shows what it
// was given: the open parameters, the action and rights, the condition.
// Conditions steer it: "raise-on-show" makes the form raise while shown,
// "return:<text>" makes it close itself at once with that return value.
// A company "NOSTART" makes its start fail. Built with
// TEST_CONTROLLER_FAILS, GetController raises; with TEST_NO_ENTRY the
// library exports nothing.
#include <cstdio>
#include <string>

#include "platform/Automation.h"
#include "platform/Exceptions.h"
#include "platform/ProgramController.h"
#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"

namespace testprogram {

using platform::AnsiString;
using platform::Variant;

class TTestProgramForm : public platform::TForm {
  PLATFORM_CLASS(TTestProgramForm)

 public:
  explicit TTestProgramForm(platform::TComponent* owner) : TForm(owner) {
    SetName("TestProgramForm");
    SetCaption("Test program");
    SetBounds(0, 0, 400, 200);
    lblOpen = Add<platform::TLabel>("lblOpen", 8);
    lblAction = Add<platform::TLabel>("lblAction", 32);
    lblCondition = Add<platform::TLabel>("lblCondition", 56);
    edName = Add<platform::TEdit>("edName", 80);
    OnShow = platform::TNotifyEvent::Bind<&TTestProgramForm::FormShow>(this);
    OnClose = platform::TCloseEvent::Bind<&TTestProgramForm::FormClose>(this);
  }

  bool Start(const Variant& params) {
    if (!platform::VarIsArray(params) || platform::VarArrayHighBound(params, 1) < 4) return false;
    AnsiString text;
    for (int i = 0; i <= 4; ++i) text += (i ? "|" : "") + platform::VarToStr(params[i]);
    lblOpen->SetCaption(text);
    Hide();
    return platform::VarToStr(params[1]) != "NOSTART";
  }

  void FormShow(platform::TObject*) {
    AnsiString condition = lblCondition->Caption();
    if (condition == "raise-on-show") throw platform::Exception("The test form cannot be shown.");
    if (condition.Pos("return:") == 1) {
      ReturnValue = Variant(condition.Mid(8));
      ResultCode = 1;
      platform::TComponentPtr<TTestProgramForm> self(this);
      platform::Application().QueueCall([self] {
        if (self) self->Close();
      });
    }
  }
  void FormClose(platform::TObject*, platform::TCloseAction& action) { action = platform::caFree; }

  platform::TLabel* lblOpen;
  platform::TLabel* lblAction;
  platform::TLabel* lblCondition;
  platform::TEdit* edName;
  int ResultCode = 2;
  Variant ReturnValue;

 private:
  template <class T>
  T* Add(const char* name, int top) {
    auto* c = new T(this);
    c->SetName(name);
    c->SetParent(this);
    c->SetBounds(8, top, 380, 20);
    return c;
  }
};

const platform::TClassInfo& TTestProgramForm::StaticClass() {
  static const platform::TClassInfo info =
      platform::TClassBuilder<TTestProgramForm>("TTestProgramForm", platform::TForm::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TTestProgramForm);

class TTestController : public platform::TDLLBaseController {
 public:
  ~TTestController() override {
    if (form_) CloseForm(0);
  }

  void GetVersion(platform::WideString& version) override {
    if (form_) version = u"20011205-2.3.1.0";
  }
  std::int16_t GetVisible() override { return form_ && form_->Visible() ? -1 : 0; }
  void SetVisible(std::int16_t visible) override {
    if (!form_) return;
    if (visible) form_->Show();
    else form_->Hide();
  }
  std::uintptr_t GetHandle() override { return form_ ? form_->Handle() : 0; }

  std::int32_t Open(const Variant& params) override {
    if (!form_) {
      form_ = platform::CreateForm<TTestProgramForm>(nullptr);
      CheckVersion();
      DoCreated();
      savedShow_ = form_->OnShow;
      form_->OnShow = platform::TNotifyEvent::Bind<&TDLLBaseController::FormShowHook>(this);
      savedHide_ = form_->OnHide;
      form_->OnHide = platform::TNotifyEvent::Bind<&TDLLBaseController::FormHideHook>(this);
      savedDestroy_ = form_->OnDestroy;
      form_->OnDestroy = platform::TNotifyEvent::Bind<&TDLLBaseController::FormDestroyHook>(this);
      savedClose_ = form_->OnClose;
      form_->OnClose = platform::TCloseEvent::Bind<&TDLLBaseController::FormCloseHook>(this);
    }
    return form_->Start(params) ? 0 : -1;
  }

  std::int32_t SetCondition(const Variant& condition) override {
    if (!form_) return -1;
    try {
      Variant c = condition[1];
      form_->lblCondition->SetCaption(platform::VarIsArray(c) ? platform::VarToStr(c[0]) + "|" + platform::VarToStr(c[1])
                                                              : platform::VarToStr(c));
      return 0;
    } catch (...) {
      return -1;
    }
  }

  std::int32_t SetAction(std::int32_t action, std::int32_t rights, const Variant& param) override {
    if (!form_) return -1;
    char text[64];
    std::snprintf(text, sizeof text, "action=%d rights=0x%02X param=%s", action, rights,
                  platform::VarToStr(platform::VarIsArray(param) ? Variant("array") : param).c_str());
    form_->lblAction->SetCaption(text);
    return 0;
  }

  void ShowProgramModal(Variant& returnValue) override {
    if (!form_) return;
    form_->ShowModal();
    if (form_) returnValue = form_->ReturnValue;
    CloseForm(0);
  }

  void CloseForm(std::int32_t skipCloseHook) override {
    if (!form_ || form_->ComponentState().Contains(platform::csDestroying)) return;
    if (skipCloseHook == 0) {
      platform::TCloseAction ignored = platform::caFree;
      FormCloseHook(form_.get(), ignored);
    }
    if (form_) form_->Free();
  }

  std::int32_t GetInfo(Variant& info) override {
    if (!form_) return -1;
    info = platform::VarArrayOf({Variant("KV"), Variant("PRTest65"), Variant("TESTPRG"), Variant("Test program")});
    return 0;
  }
  bool IsClosed() override { return !form_; }

  void FormShowHook(platform::TObject* sender) override {
    savedShow_(sender);
    DoNotify(platform::kNotifyShown);
  }
  void FormHideHook(platform::TObject* sender) override {
    savedHide_(sender);
    DoNotify(platform::kNotifyHidden);
  }
  void FormDestroyHook(platform::TObject* sender) override {
    if (form_) {
      ResultCode = form_->ResultCode;
      ReturnValue = form_->ReturnValue;
      savedDestroy_(sender);
      DoNotify(platform::kNotifyDestroying);
    }
    form_ = nullptr;
  }
  void FormCloseHook(platform::TObject* sender, platform::TCloseAction& action) override {
    savedClose_(sender, action);
    DoNotify(platform::kNotifyClosing);
  }

 private:
  void CheckVersion() {
    int first = platform::OleCall(Manager, "DependencyVersion").AsInteger();
    if (platform::kControllerInterfaceVersion < first) throw platform::Exception("This program's version is too old, please update.");
    int second = platform::OleCall(Manager, "DependencyVersion").AsInteger();
    if (platform::kControllerInterfaceVersion > second) throw platform::Exception("HaldenWorkCenter version too old,please update.");
  }

  platform::TComponentPtr<TTestProgramForm> form_;
  platform::TNotifyEvent savedShow_, savedHide_, savedDestroy_;
  platform::TCloseEvent savedClose_;
};

}  // namespace testprogram

#if !defined(TEST_NO_ENTRY)
extern "C" __attribute__((visibility("default"))) platform::TDLLBaseController* GetController() {
#if defined(TEST_CONTROLLER_FAILS)
  throw platform::Exception("KVT DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible");
#else
  return new testprogram::TTestController();
#endif
}
#endif
