#include "host/shell/LoginForm.h"

#include "host/shell/FormBuilding.h"
#include "host/shell/WorkCenter.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Dialogs.h"

namespace host {

using detail::Place;
using platform::TButton;
using platform::TEdit;
using platform::TLabel;

const platform::TClassInfo& TLoginForm::StaticClass() {
  static const platform::TClassInfo info =
      platform::TClassBuilder<TLoginForm>("TLoginForm", platform::TForm::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TLoginForm);

TLoginForm::TLoginForm(platform::TComponent* owner) : TForm(owner) {
  SetName("LoginForm");
  SetCaption("HaldenWorkCenter - Log in");
  SetBounds(0, 0, 360, 220);
  Place<TLabel>(this, this, "lblUser", 24, 28, 90, 20, "User code");
  edUser = Place<TEdit>(this, this, "edUser", 120, 24, 200, 24);
  Place<TLabel>(this, this, "lblCompany", 24, 60, 90, 20, "Company");
  edCompany = Place<TEdit>(this, this, "edCompany", 120, 56, 200, 24);
  Place<TLabel>(this, this, "lblPassword", 24, 92, 90, 20, "Password");
  edPassword = Place<TEdit>(this, this, "edPassword", 120, 88, 200, 24);
  edPassword->SetPasswordChar('*');
  lblStatus = Place<TLabel>(this, this, "lblStatus", 24, 124, 300, 20);
  btnOK = Place<TButton>(this, this, "btnOK", 140, 156, 84, 28, "OK");
  btnOK->SetDefault(true);
  btnOK->OnClick = platform::TNotifyEvent::Bind<&TLoginForm::btnOKClick>(this);
  btnCancel = Place<TButton>(this, this, "btnCancel", 236, 156, 84, 28, "Cancel");
  btnCancel->SetCancel(true);
  btnCancel->SetModalResult(platform::mrCancel);
  for (TEdit* edit : {edUser, edCompany, edPassword}) edit->SetTabStop(true);
  btnOK->SetTabStop(true);
  btnCancel->SetTabStop(true);
  SetActiveControl(edUser);
}

void TLoginForm::btnOKClick(platform::TObject*) {
  if (!center_) return;
  TLoginResult result = center_->LogIn(edUser->Text(), edCompany->Text(), edPassword->Text());
  if (result.Ok) {
    lblStatus->SetCaption("");
    SetModalResult(platform::mrOk);
    return;
  }
  edPassword->Clear();
  lblStatus->SetCaption(result.Message);
  platform::MessageDlg(result.Message, platform::mtError, {platform::mbOK});
}

}  // namespace host
