#include "controls/KvcEdit.h"

#include "platform/ui/ClassBuilder.h"

namespace kv {

using namespace platform;

const TTypeInfo& EnumTypeInfo(TLabelPosition) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TLabelPosition", {"lpAbove", "lpBelow", "lpLeft", "lpRight"});
  return t;
}

TLabelPlace PlaceLabel(TLabelPosition position, int spacing, int controlLeft, int controlTop, int controlWidth,
                       int controlHeight, int labelWidth, int labelHeight) {
  // C++ division truncates toward zero, as the layout asks.
  const int middle = controlTop + (controlHeight - labelHeight) / 2;
  switch (position) {
    case lpAbove:
      return {controlLeft, controlTop - labelHeight - spacing};
    case lpBelow:
      return {controlLeft, controlTop + controlHeight + spacing};
    case lpRight:
      return {controlLeft + controlWidth + spacing, middle};
    case lpLeft:
      break;
  }
  return {controlLeft - labelWidth - spacing, middle};
}

// --- TKvDBEdit ---

const TClassInfo& TKvDBEdit::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TKvDBEdit>("TKvDBEdit", TDBEdit::StaticClass())
          .String("Caption", &TKvDBEdit::Caption, &TKvDBEdit::SetCaption)
          .Enumeration("LabelPosition", &TKvDBEdit::LabelPosition, &TKvDBEdit::SetLabelPosition).Default(lpLeft)
          .Integer("LabelSpacing", &TKvDBEdit::LabelSpacing, &TKvDBEdit::SetLabelSpacing).Default(4)
          .String("DataField", &TKvDBEdit::DataField, &TKvDBEdit::SetDataField)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TKvDBEdit);

TKvDBEdit::TKvDBEdit(TComponent* owner) : TKvLabelled<TDBEdit>(owner) {}

void TKvDBEdit::SetDataField(const AnsiString& name) {
  TDBEdit::SetDataField(name);
  TakeDesignCaption(Field());
}

// --- TKvBtnDBEdit ---

const TClassInfo& TKvBtnDBEdit::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TKvBtnDBEdit>("TKvBtnDBEdit", TKvDBEdit::StaticClass())
          .Integer("ButtonSpacing", &TKvBtnDBEdit::ButtonSpacing, &TKvBtnDBEdit::SetButtonSpacing).Default(2)
          .Integer("GlyphIndex", &TKvBtnDBEdit::GlyphIndex, &TKvBtnDBEdit::SetGlyphIndex).Default(kLookupPicture)
          .String("ButtonHint", &TKvBtnDBEdit::ButtonHint, &TKvBtnDBEdit::SetButtonHint)
          .Event("OnDialog", &TKvBtnDBEdit::OnDialog)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TKvBtnDBEdit);

TKvBtnDBEdit::TKvBtnDBEdit(TComponent* owner) : TKvDBEdit(owner) {
  auto* button = new TGSpeedButton(this);
  button->SetName("F2Button");
  button->SetFlat(true);
  button->SetGlyphIndex(glyphIndex_);
  button->OnClick = TNotifyEvent::Bind<&TKvBtnDBEdit::ButtonClick>(this);
  button_ = button;
  PlaceParts();
}

void TKvBtnDBEdit::SetButtonSpacing(int v) {
  if (!ChangeProperty(buttonSpacing_, v, "ButtonSpacing")) return;
  PlaceParts();
}

void TKvBtnDBEdit::SetGlyphIndex(int v) {
  if (v == GlyphIndex()) return;
  glyphIndex_ = v;
  if (button_) button_->SetGlyphIndex(v);
  MarkChanged("GlyphIndex");
}

void TKvBtnDBEdit::SetButtonHint(const AnsiString& v) {
  if (!button_ || button_->Hint() == v) return;
  button_->SetHint(v);
  MarkChanged("ButtonHint");
}

void TKvBtnDBEdit::SetParent(TWinControl* parent) {
  TKvDBEdit::SetParent(parent);
  if (button_) button_->SetParent(parent);
}

void TKvBtnDBEdit::PlaceParts() {
  TKvDBEdit::PlaceParts();
  TGSpeedButton* button = button_.get();
  if (!button) return;
  button->SetBounds(Left() + Width() + buttonSpacing_, Top(), Height(), Height());
}

void TKvBtnDBEdit::FollowState() {
  TKvDBEdit::FollowState();
  if (!button_) return;
  button_->SetVisible(Visible());
  button_->SetEnabled(Enabled());
}

void TKvBtnDBEdit::ButtonClick(TObject*) {
  if (OnDialog) {
    OnDialog(this);
    return;
  }
  if (CanFocus() && !Focused()) SetFocus();
  if (Focused()) PostLookupRequest(*this);
}

// --- TKvDBComboBox ---

const TClassInfo& TKvDBComboBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TKvDBComboBox>("TKvDBComboBox", TDBComboBox::StaticClass())
          .String("Caption", &TKvDBComboBox::Caption, &TKvDBComboBox::SetCaption)
          .Enumeration("LabelPosition", &TKvDBComboBox::LabelPosition, &TKvDBComboBox::SetLabelPosition)
          .Default(lpLeft)
          .Integer("LabelSpacing", &TKvDBComboBox::LabelSpacing, &TKvDBComboBox::SetLabelSpacing).Default(4)
          .String("DataField", &TKvDBComboBox::DataField, &TKvDBComboBox::SetDataField)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TKvDBComboBox);

TKvDBComboBox::TKvDBComboBox(TComponent* owner) : TKvLabelled<TDBComboBox>(owner) {}

void TKvDBComboBox::SetDataField(const AnsiString& name) {
  TDBComboBox::SetDataField(name);
  TakeDesignCaption(Field());
}

// --- TKvComboBox ---

const TClassInfo& TKvComboBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TKvComboBox>("TKvComboBox", TComboBox::StaticClass())
          .String("Caption", &TKvComboBox::Caption, &TKvComboBox::SetCaption)
          .Enumeration("LabelPosition", &TKvComboBox::LabelPosition, &TKvComboBox::SetLabelPosition)
          .Default(lpLeft)
          .Integer("LabelSpacing", &TKvComboBox::LabelSpacing, &TKvComboBox::SetLabelSpacing).Default(4)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TKvComboBox);

TKvComboBox::TKvComboBox(TComponent* owner) : TKvLabelled<TComboBox>(owner) {}

}  // namespace kv
