// The look-up request and TF2Button, the look-up button that sits right of
// an edit and asks the form to run the F2 look-up for it.
//
// The look-up request is the message WM_F2LOOKUP (0x40A) posted to the
// window of the control's owner (its form) with the control in the
// second parameter, as its window handle: the form handles it after the
// current event and finds the control with LookupRequestControl, which
// gives null when the control has gone meanwhile. The form answers it with
// its F2 look-up for that control.
//
// TF2Button (glyph number 8, flat): F2Control is the control it serves.
// With AutoAlign, setting F2Control, AutoAlign or Gap aligns the button:
// as high and as wide as the control's height, at the control's top, Gap
// pixels right of it. Binding a control that another TF2Button among the
// components or children of the button's parent already serves shows
// "不能同时有两个 F2Button 指到同一个 Edit." (error, OK button) and keeps
// the old binding. A click runs the button's own OnClick first; then, when
// F2Control is set and enabled, it is focused when it can take the focus,
// and when it has the focus the look-up request for it is posted. A
// disabled control, or one that cannot take the focus, gets no request.
#pragma once

#include "controls/GSpdBtn.h"
#include "platform/ui/ComponentPtr.h"

namespace kv {

constexpr unsigned WM_F2LOOKUP = platform::WM_USER + 0x0A;

// Posts the look-up request for control to the window of its owner; false
// when the owner is no windowed control.
bool PostLookupRequest(platform::TWinControl& control);
// The control a look-up request names; null when it is not one or the
// control has gone.
platform::TWinControl* LookupRequestControl(const platform::TMessage& message);

class TF2Button : public TGSpeedButton {
  PLATFORM_CLASS(TF2Button)

 public:
  explicit TF2Button(platform::TComponent* owner);

  bool AutoAlign() const { return autoAlign_; }
  void SetAutoAlign(bool v);
  platform::TWinControl* F2Control() const { return f2Control_.get(); }
  // Refused (with the message above) when another look-up button serves
  // control already.
  void SetF2Control(platform::TWinControl* control);
  int Gap() const { return gap_; }
  // A byte: 0 to 255.
  void SetGap(int v);

  void Click() override;

 private:
  void Align();
  bool ServedByAnother(const platform::TWinControl* control) const;

  bool autoAlign_ = true;
  platform::TComponentPtr<platform::TWinControl> f2Control_;
  int gap_ = 2;
};

}  // namespace kv
