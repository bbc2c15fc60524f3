// The standard controls of the class library, headless: TLabel, TButton,
// TEdit, TCheckBox and TPanel.
//
// Each keeps its state, marks its published properties and raises its
// events; the renderer draws it. Every class is registered by class name,
// so form resources can create them.
//
// Buttons: clicking a button with a ModalResult other than mrNone sets the
// modal result of its form (before OnClick runs). On a form, Enter pressed
// in a focused edit, check box or button presses the form's Default
// button (a focused button presses itself); Esc presses its Cancel
// button. A pressed key is consumed.
//
// Edits: Text set by code is kept as given (only CharCase applies); what
// the user enters (EnterText, typed characters) is refused when ReadOnly
// and cut to MaxLength bytes (0: no limit) without splitting a double-byte
// character. OnChange runs whenever the text changes, except while the
// edit is read from its resource.
//
// Check boxes: State is cbUnchecked, cbChecked or cbGrayed; Checked is
// State == cbChecked. A change of State runs OnClick (not while read from
// a resource); a click toggles the box (through grayed when AllowGrayed).
#pragma once

#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Control.h"
#include "platform/ui/Form.h"

namespace platform {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
const TTypeInfo& EnumTypeInfo(TAlignment);

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
const TTypeInfo& EnumTypeInfo(TAlign);

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
const TTypeInfo& EnumTypeInfo(TEditCharCase);

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
const TTypeInfo& EnumTypeInfo(TCheckBoxState);

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
const TTypeInfo& EnumTypeInfo(TBevelCut);

class TLabel : public TControl {
  PLATFORM_CLASS(TLabel)

 public:
  explicit TLabel(TComponent* owner);

  // The control that takes the focus when the label's accelerator is used.
  TWinControl* FocusControl() const { return focusControl_.get(); }
  void SetFocusControl(TWinControl* control);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { ChangeProperty(alignment_, v, "Alignment"); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v) { ChangeProperty(autoSize_, v, "AutoSize"); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) { ChangeProperty(transparent_, v, "Transparent"); }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { ChangeProperty(wordWrap_, v, "WordWrap"); }

 private:
  TComponentPtr<TWinControl> focusControl_;
  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = true;
  bool transparent_ = false;
  bool wordWrap_ = false;
};

class TButton : public TWinControl {
  PLATFORM_CLASS(TButton)

 public:
  explicit TButton(TComponent* owner);

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult v) { ChangeProperty(modalResult_, v, "ModalResult"); }
  bool Default() const { return default_; }
  void SetDefault(bool v) { ChangeProperty(default_, v, "Default"); }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { ChangeProperty(cancel_, v, "Cancel"); }

  // Sets the form's modal result (when this button has one), then runs
  // OnClick.
  void Click() override;
  // Enter and Space press the focused button; Esc the form's Cancel button.
  void KeyDown(Word& key, TShiftState shift) override;

 private:
  TModalResult modalResult_ = mrNone;
  bool default_ = false;
  bool cancel_ = false;
};

class TEdit : public TWinControl {
  PLATFORM_CLASS(TEdit)

 public:
  explicit TEdit(TComponent* owner);

  const AnsiString& Text() const { return TControl::Text(); }
  void SetText(const AnsiString& v);
  // The most bytes the user may enter; 0 for no limit.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int v) { ChangeProperty(maxLength_, v < 0 ? 0 : v, "MaxLength"); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { ChangeProperty(readOnly_, v, "ReadOnly"); }
  // Not #0: the edit shows this character for each byte of its text, and
  // the renderer is sent only that (the text never leaves the process).
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char v);
  TEditCharCase CharCase() const { return charCase_; }
  // Converts the text held now as well.
  void SetCharCase(TEditCharCase v);

  // The user replaces the text (the renderer reports what was typed).
  // False when refused (ReadOnly); the text is cut to MaxLength.
  virtual bool EnterText(const AnsiString& text);
  void Clear() { SetText(""); }

  // Typed characters append to the text (Backspace removes the last
  // character); Enter presses the form's Default button.
  void KeyPress(char& key) override;
  void KeyDown(Word& key, TShiftState shift) override;

  TNotifyEvent OnChange;

 private:
  AnsiString Cased(const AnsiString& text) const;
  void StoreText(const AnsiString& text);

  int maxLength_ = 0;
  bool readOnly_ = false;
  char passwordChar_ = 0;
  TEditCharCase charCase_ = ecNormal;
  char pendingLead_ = 0;
};

class TCheckBox : public TWinControl {
  PLATFORM_CLASS(TCheckBox)

 public:
  explicit TCheckBox(TComponent* owner);

  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState v);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool v) { ChangeProperty(allowGrayed_, v, "AllowGrayed"); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { ChangeProperty(alignment_, v, "Alignment"); }

  // Toggles the box (which runs OnClick).
  void Click() override;
  // Space toggles; Enter and Esc press the form's Default / Cancel button.
  void KeyDown(Word& key, TShiftState shift) override;

 private:
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  TAlignment alignment_ = taRightJustify;
};

class TPanel : public TWinControl {
  PLATFORM_CLASS(TPanel)

 public:
  explicit TPanel(TComponent* owner);

  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut v) { ChangeProperty(bevelOuter_, v, "BevelOuter"); }
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut v) { ChangeProperty(bevelInner_, v, "BevelInner"); }
  // Resolved by the platform's layout (Layout.h).
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { ChangeProperty(align_, v, "Align"); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { ChangeProperty(alignment_, v, "Alignment"); }

 private:
  TBevelCut bevelOuter_ = bvRaised;
  TBevelCut bevelInner_ = bvNone;
  TAlign align_ = alNone;
  TAlignment alignment_ = taCenter;
};

// Presses the Default (Enter) or Cancel (Esc) button of the form control
// is on: the first such button, visible and enabled, in the form's
// control tree. Sets key to 0 when a button was pressed.
void PressFormButtonForKey(TControl& control, Word& key);

}  // namespace platform
