#include "controls/F2Button.h"

#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Dialogs.h"

namespace kv {

using namespace platform;

bool PostLookupRequest(TWinControl& control) {
  auto* owner = dynamic_cast<TWinControl*>(control.Owner());
  if (!owner) return false;
  // The handle, not the pointer: the message waits in the queue, and the
  // control may be gone when it is handled.
  Application().PostMessage(owner->Handle(), WM_F2LOOKUP, 0, static_cast<std::intptr_t>(control.Handle()));
  return true;
}

TWinControl* LookupRequestControl(const TMessage& message) {
  if (message.Msg != WM_F2LOOKUP || message.LParam == 0) return nullptr;
  return Application().FindControl(static_cast<THandle>(message.LParam));
}

const TClassInfo& TF2Button::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TF2Button>("TF2Button", TGSpeedButton::StaticClass())
          .Boolean("AutoAlign", &TF2Button::AutoAlign, &TF2Button::SetAutoAlign).Default(true)
          .Reference("F2Control", &TF2Button::F2Control, &TF2Button::SetF2Control)
          .Integer("Gap", &TF2Button::Gap, &TF2Button::SetGap).Default(2)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TF2Button);

TF2Button::TF2Button(TComponent* owner) : TGSpeedButton(owner) {
  SetFlat(true);
  SetGlyphIndex(kLookupPicture);
}

void TF2Button::SetAutoAlign(bool v) {
  if (!ChangeProperty(autoAlign_, v, "AutoAlign")) return;
  Align();
}

void TF2Button::SetGap(int v) {
  if (v < 0) v = 0;
  if (v > 255) v = 255;
  if (!ChangeProperty(gap_, v, "Gap")) return;
  Align();
}

bool TF2Button::ServedByAnother(const TWinControl* control) const {
  const TWinControl* parent = Parent();
  if (!parent || !control) return false;
  auto serves = [&](const TComponent* c) {
    const auto* other = dynamic_cast<const TF2Button*>(c);
    return other && other != this && other->F2Control() == control;
  };
  for (int i = 0; i < parent->ComponentCount(); ++i)
    if (serves(parent->Components(i))) return true;
  // Buttons placed on the parent are owned by the form, not by the parent.
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (serves(parent->Controls(i))) return true;
  return false;
}

void TF2Button::SetF2Control(TWinControl* control) {
  if (f2Control_.get() == control) return;
  if (ServedByAnother(control)) {
    MessageDlg("不能同时有两个 F2Button 指到同一个 Edit.", mtError, TMsgDlgButtons{mbOK});
    return;
  }
  f2Control_ = control;
  MarkChanged("F2Control");
  Align();
}

void TF2Button::Align() {
  TWinControl* control = f2Control_.get();
  if (!autoAlign_ || !control) return;
  const int side = control->Height();
  SetBounds(control->Left() + control->Width() + gap_, control->Top(), side, side);
}

void TF2Button::Click() {
  if (!EnabledChain()) return;
  TGSpeedButton::Click();
  TWinControl* control = f2Control_.get();
  if (!control || !control->EnabledChain()) return;
  if (control->CanFocus() && !control->Focused()) control->SetFocus();
  if (control->Focused()) PostLookupRequest(*control);
}

}  // namespace kv
