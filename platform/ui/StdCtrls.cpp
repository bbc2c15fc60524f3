#include "platform/ui/StdCtrls.h"

#include "platform/CodePage.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TAlignment) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
  return t;
}

const TTypeInfo& EnumTypeInfo(TAlign) {
  static const TTypeInfo t =
      TTypeInfo::Enumeration("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});
  return t;
}

const TTypeInfo& EnumTypeInfo(TEditCharCase) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});
  return t;
}

const TTypeInfo& EnumTypeInfo(TCheckBoxState) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"});
  return t;
}

const TTypeInfo& EnumTypeInfo(TBevelCut) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"});
  return t;
}

namespace {

TButton* FindFormButton(TWinControl& parent, bool wantDefault) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* c = parent.Controls(i);
    if (auto* b = dynamic_cast<TButton*>(c)) {
      if ((wantDefault ? b->Default() : b->Cancel()) && b->Showing() && b->EnabledChain()) return b;
    }
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      if (TButton* found = FindFormButton(*w, wantDefault)) return found;
    }
  }
  return nullptr;
}

}  // namespace

void PressFormButtonForKey(TControl& control, Word& key) {
  if (key != VK_RETURN && key != VK_ESCAPE) return;
  TCustomForm* form = dynamic_cast<TCustomForm*>(&control);
  if (!form) form = control.ParentForm();
  if (!form) return;
  if (TButton* button = FindFormButton(*form, key == VK_RETURN)) {
    key = 0;
    button->Click();
  }
}

// --- TLabel ---

const TClassInfo& TLabel::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TLabel>("TLabel", TControl::StaticClass())
          .Reference("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl)
          .Enumeration("Alignment", &TLabel::Alignment, &TLabel::SetAlignment).Default(taLeftJustify)
          .Boolean("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize).Default(true)
          .Boolean("Transparent", &TLabel::Transparent, &TLabel::SetTransparent).Default(false)
          .Boolean("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).Default(false)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TLabel);

TLabel::TLabel(TComponent* owner) : TControl(owner) {
  SetWidth(65);
  SetHeight(13);
}

void TLabel::SetFocusControl(TWinControl* control) {
  if (focusControl_.get() == control) return;
  focusControl_ = control;
  MarkChanged("FocusControl");
}

// --- TButton ---

const TClassInfo& TButton::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TButton>("TButton", TWinControl::StaticClass())
          .Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(mrNone)
          .Boolean("Default", &TButton::Default, &TButton::SetDefault).Default(false)
          .Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TButton);

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::Click() {
  if (modalResult_ != mrNone) {
    if (TCustomForm* form = ParentForm()) form->SetModalResult(modalResult_);
  }
  TWinControl::Click();
}

void TButton::KeyDown(Word& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if ((key == VK_RETURN || key == VK_SPACE) && shift.Bits() == 0) {
    key = 0;
    Click();
    return;
  }
  if (key == VK_ESCAPE) PressFormButtonForKey(*this, key);
}

// --- TEdit ---

const TClassInfo& TEdit::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TEdit>("TEdit", TWinControl::StaticClass())
          .String("Text", &TEdit::Text, &TEdit::SetText)
          .Integer("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength).Default(0)
          .Boolean("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly).Default(false)
          .Char("PasswordChar", &TEdit::PasswordChar, &TEdit::SetPasswordChar).Default(char(0))
          .Enumeration("CharCase", &TEdit::CharCase, &TEdit::SetCharCase).Default(ecNormal)
          .Event("OnChange", &TEdit::OnChange)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TEdit);

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

AnsiString TEdit::Cased(const AnsiString& text) const {
  switch (charCase_) {
    case ecUpperCase: return UpperCase(text);
    case ecLowerCase: return LowerCase(text);
    case ecNormal: break;
  }
  return text;
}

void TEdit::StoreText(const AnsiString& text) {
  if (text == TControl::Text()) return;
  TControl::SetText(text);
  MarkChanged("Text");
  if (!Loading()) OnChange(this);
}

void TEdit::SetText(const AnsiString& v) { StoreText(Cased(v)); }

void TEdit::SetCharCase(TEditCharCase v) {
  if (!ChangeProperty(charCase_, v, "CharCase")) return;
  StoreText(Cased(TControl::Text()));
}

void TEdit::SetPasswordChar(char v) {
  // The shown text changes with it.
  if (ChangeProperty(passwordChar_, v, "PasswordChar")) MarkChanged("Text");
}

bool TEdit::EnterText(const AnsiString& text) {
  if (readOnly_) return false;
  AnsiString value = Cased(text);
  if (maxLength_ > 0) value = value.Truncated(static_cast<std::size_t>(maxLength_));
  StoreText(value);
  return true;
}

void TEdit::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (key == 0) return;
  const auto byte = static_cast<unsigned char>(key);
  if (key == '\b') {
    key = 0;
    pendingLead_ = 0;
    if (readOnly_) return;
    const AnsiString& text = TControl::Text();
    if (text.IsEmpty()) return;
    // Dropping one byte without splitting a character drops the whole last
    // character, a double-byte one included.
    StoreText(text.Truncated(text.Length() - 1));
    return;
  }
  if (byte < 0x20) return;  // Enter, Esc and the other control characters are not text
  key = 0;
  if (readOnly_) {
    pendingLead_ = 0;
    return;
  }
  AnsiString typed;
  if (pendingLead_) {
    typed += pendingLead_;
    typed += static_cast<char>(byte);
    pendingLead_ = 0;
  } else if (IsLeadByte(ProcessCodePage(), byte)) {
    pendingLead_ = static_cast<char>(byte);
    return;
  } else {
    typed += static_cast<char>(byte);
  }
  const AnsiString next = TControl::Text() + Cased(typed);
  // A character that does not fit is refused whole.
  if (maxLength_ > 0 && next.Length() > static_cast<std::size_t>(maxLength_)) return;
  StoreText(next);
}

void TEdit::KeyDown(Word& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  PressFormButtonForKey(*this, key);
}

// --- TCheckBox ---

const TClassInfo& TCheckBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TCheckBox>("TCheckBox", TWinControl::StaticClass())
          .Boolean("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed).Default(false)
          .Enumeration("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment).Default(taRightJustify)
          .Boolean("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked).Default(false)
          .Enumeration("State", &TCheckBox::State, &TCheckBox::SetState).Default(cbUnchecked)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TCheckBox);

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

void TCheckBox::SetState(TCheckBoxState v) {
  if (v != cbUnchecked && v != cbChecked && v != cbGrayed) v = cbUnchecked;
  const bool wasChecked = Checked();
  if (!ChangeProperty(state_, v, "State")) return;
  if (wasChecked != Checked()) MarkChanged("Checked");
  if (!Loading()) TWinControl::Click();
}

void TCheckBox::Click() {
  switch (state_) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(allowGrayed_ ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
  }
}

void TCheckBox::KeyDown(Word& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == VK_SPACE && shift.Bits() == 0) {
    key = 0;
    Click();
    return;
  }
  PressFormButtonForKey(*this, key);
}

// --- TPanel ---

const TClassInfo& TPanel::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TPanel>("TPanel", TWinControl::StaticClass())
          .Enumeration("Align", &TPanel::Align, &TPanel::SetAlign).Default(alNone)
          .Enumeration("Alignment", &TPanel::Alignment, &TPanel::SetAlignment).Default(taCenter)
          .Enumeration("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner).Default(bvNone)
          .Enumeration("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter).Default(bvRaised)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TPanel);

TPanel::TPanel(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 185, 41); }

}  // namespace platform
