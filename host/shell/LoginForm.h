// TLoginForm: the host's login: user code, company code and password,
// checked by the application server through the work center.
//
// OK (Enter) logs in; a refusal shows its message in an error dialog and
// in the form's status line, clears the password and keeps the form open
// for another try. Cancel (Esc) ends the form with mrCancel.
#pragma once

#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"

namespace host {

class TWorkCenter;

class TLoginForm : public platform::TForm {
  PLATFORM_CLASS(TLoginForm)

 public:
  explicit TLoginForm(platform::TComponent* owner);
  // The work center the form logs into; set before it is shown.
  void SetWorkCenter(TWorkCenter* center) { center_ = center; }

  platform::TEdit* edUser = nullptr;
  platform::TEdit* edCompany = nullptr;
  platform::TEdit* edPassword = nullptr;
  platform::TButton* btnOK = nullptr;
  platform::TButton* btnCancel = nullptr;
  platform::TLabel* lblStatus = nullptr;

 private:
  void btnOKClick(platform::TObject* sender);

  TWorkCenter* center_ = nullptr;
};

}  // namespace host
