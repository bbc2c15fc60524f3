// The labelled controls: TKvDBEdit, TKvBtnDBEdit (with its look-up
// button), TKvDBComboBox and TKvComboBox.
//
// Each owns one label named "EditLabel" (empty text, its FocusControl the
// control, its parent always the control's parent); Caption is the
// label's text. The label keeps its own size and stands, with
// s = LabelSpacing (a negative value is ignored):
//   lpAbove  left = control left,                       top = control top - label height - s
//   lpBelow  left = control left,                       top = control top + control height + s
//   lpLeft   left = control left - label width - s,     top = control top + (control height - label height) / 2
//   lpRight  left = control left + control width + s,   top = as for lpLeft
// (the division truncating toward zero). Moving, resizing and re-parenting
// the control carry the label along; enabling, disabling, showing and
// hiding the control do the same to the label.
//
// TKvBtnDBEdit also owns a TGSpeedButton named "F2Button" (flat, glyph 8,
// parent the edit's parent) that stands ButtonSpacing pixels right of the
// edit, at its top, as high and as wide as the edit is high, and follows
// the edit's state like the label. A click on it calls OnDialog (sender:
// the edit) when assigned; otherwise the edit is focused when it can take
// the focus and, when it has the focus, the look-up request for the edit
// is posted to its owner (F2Button.h).
//
// When the label or the button is destroyed by someone else, the control
// forgets it; what concerned it then does nothing.
//
// In the form designer (csDesigning) setting DataField makes the caption
// the field's display label; at run time captions come only from the form
// resource and the language files.
#pragma once

#include "controls/F2Button.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace kv {

enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };
const platform::TTypeInfo& EnumTypeInfo(TLabelPosition);

// Where a label of that size stands for a control of those bounds.
struct TLabelPlace {
  int Left = 0;
  int Top = 0;
};
TLabelPlace PlaceLabel(TLabelPosition position, int spacing, int controlLeft, int controlTop, int controlWidth,
                       int controlHeight, int labelWidth, int labelHeight);

// The label part of the labelled controls, over the control class Base.
template <typename Base>
class TKvLabelled : public Base {
 public:
  explicit TKvLabelled(platform::TComponent* owner) : Base(owner) {
    auto* label = new platform::TLabel(this);
    label->SetName("EditLabel");
    label->SetCaption("");
    label->SetFocusControl(this);
    label_ = label;
    PlaceParts();
  }

  // The owned label; null once it was destroyed.
  platform::TLabel* EditLabel() const { return label_.get(); }
  AnsiString Caption() const { return label_ ? label_->Caption() : AnsiString(); }
  void SetCaption(const AnsiString& text) {
    if (!label_ || label_->Caption() == text) return;
    label_->SetCaption(text);
    this->MarkChanged("Caption");
    PlaceParts();
  }
  TLabelPosition LabelPosition() const { return position_; }
  void SetLabelPosition(TLabelPosition v) {
    if (v < lpAbove || v > lpRight) v = lpLeft;
    if (!this->ChangeProperty(position_, v, "LabelPosition")) return;
    PlaceParts();
  }
  int LabelSpacing() const { return spacing_; }
  void SetLabelSpacing(int v) {
    if (v < 0) return;
    if (!this->ChangeProperty(spacing_, v, "LabelSpacing")) return;
    PlaceParts();
  }

  void SetParent(platform::TWinControl* parent) override {
    Base::SetParent(parent);
    if (label_) label_->SetParent(parent);
    PlaceParts();
  }

  // Besides recording the mark: a change of bounds places the label (and
  // the button), a change of Visible or Enabled carries it over.
  void MarkChanged(const AnsiString& name) override {
    Base::MarkChanged(name);
    if (this->Destroying()) return;
    if (name == "Left" || name == "Top" || name == "Width" || name == "Height") PlaceParts();
    else if (name == "Visible" || name == "Enabled") FollowState();
  }

 protected:
  // Places the owned parts after a change of the control's bounds or of
  // their settings.
  virtual void PlaceParts() {
    platform::TLabel* label = label_.get();
    if (!label) return;
    const TLabelPlace at = PlaceLabel(position_, spacing_, this->Left(), this->Top(), this->Width(),
                                      this->Height(), label->Width(), label->Height());
    label->SetLeft(at.Left);
    label->SetTop(at.Top);
  }
  // Gives the owned parts the control's Visible and Enabled.
  virtual void FollowState() {
    if (!label_) return;
    label_->SetVisible(this->Visible());
    label_->SetEnabled(this->Enabled());
  }
  // In the designer: the caption becomes the display label of the field.
  void TakeDesignCaption(const platform::TField* field) {
    if (this->Designing() && field && Caption() != field->DisplayLabel()) SetCaption(field->DisplayLabel());
  }

 private:
  platform::TComponentPtr<platform::TLabel> label_;
  TLabelPosition position_ = lpLeft;
  int spacing_ = 4;
};

class TKvDBEdit : public TKvLabelled<platform::TDBEdit> {
  PLATFORM_CLASS(TKvDBEdit)

 public:
  explicit TKvDBEdit(platform::TComponent* owner);

  const AnsiString& DataField() const { return TDBEdit::DataField(); }
  void SetDataField(const AnsiString& name);
};

class TKvBtnDBEdit : public TKvDBEdit {
  PLATFORM_CLASS(TKvBtnDBEdit)

 public:
  explicit TKvBtnDBEdit(platform::TComponent* owner);

  // The owned look-up button; null once it was destroyed.
  TGSpeedButton* F2Button() const { return button_.get(); }
  int ButtonSpacing() const { return buttonSpacing_; }
  void SetButtonSpacing(int v);
  int GlyphIndex() const { return button_ ? button_->GlyphIndex() : glyphIndex_; }
  void SetGlyphIndex(int v);
  AnsiString ButtonHint() const { return button_ ? button_->Hint() : AnsiString(); }
  void SetButtonHint(const AnsiString& v);

  void SetParent(platform::TWinControl* parent) override;
  // What a click on the button does.
  void ButtonClick(platform::TObject* sender);

  platform::TNotifyEvent OnDialog;

 protected:
  void PlaceParts() override;
  void FollowState() override;

 private:
  platform::TComponentPtr<TGSpeedButton> button_;
  int buttonSpacing_ = 2;
  int glyphIndex_ = platform::kLookupPicture;
};

class TKvDBComboBox : public TKvLabelled<platform::TDBComboBox> {
  PLATFORM_CLASS(TKvDBComboBox)

 public:
  explicit TKvDBComboBox(platform::TComponent* owner);

  const AnsiString& DataField() const { return TDBComboBox::DataField(); }
  void SetDataField(const AnsiString& name);
};

class TKvComboBox : public TKvLabelled<platform::TComboBox> {
  PLATFORM_CLASS(TKvComboBox)

 public:
  explicit TKvComboBox(platform::TComponent* owner);
};

}  // namespace kv
