#include "platform/ui/ToolBar.h"

#include "platform/ui/ClassBuilder.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TToolButtonStyle) {
  static const TTypeInfo t = TTypeInfo::Enumeration(
      "TToolButtonStyle", {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"});
  return t;
}

// --- TToolBar ---

const TClassInfo& TToolBar::StaticClass() {
  static const TClassInfo info = TClassBuilder<TToolBar>("TToolBar", TWinControl::StaticClass())
                                     .Reference("Images", &TToolBar::Images, &TToolBar::SetImages)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TToolBar);

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 150, 29); }

void TToolBar::SetImages(TImageList* images) {
  if (images_.get() == images) return;
  images_ = images;
  MarkChanged("Images");
}

int TToolBar::ButtonCount() const {
  int n = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    if (dynamic_cast<TToolButton*>(Controls(i))) ++n;
  }
  return n;
}

TToolButton* TToolBar::Buttons(int index) const {
  if (index < 0) return nullptr;
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* b = dynamic_cast<TToolButton*>(Controls(i))) {
      if (index-- == 0) return b;
    }
  }
  return nullptr;
}

TBitmap TToolBar::ButtonImage(const TToolButton& button) const {
  if (!images_ || button.Style() == tbsSeparator || button.Style() == tbsDivider) return TBitmap();
  return images_->Image(button.ImageIndex());
}

// --- TToolButton ---

const TClassInfo& TToolButton::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TToolButton>("TToolButton", TControl::StaticClass())
          .Integer("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex).Default(-1)
          .Enumeration("Style", &TToolButton::Style, &TToolButton::SetStyle).Default(tbsButton)
          .Boolean("Down", &TToolButton::Down, &TToolButton::SetDown).Default(false)
          .Boolean("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped).Default(false)
          .Reference("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TToolButton);

TToolButton::TToolButton(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 23, 22); }

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

void TToolButton::SetDropdownMenu(TPopupMenu* menu) {
  if (dropdownMenu_.get() == menu) return;
  dropdownMenu_ = menu;
  MarkChanged("DropdownMenu");
}

bool TToolButton::InGroupWith(const TToolButton& other) const {
  TToolBar* bar = ToolBar();
  if (!bar || other.ToolBar() != bar || &other == this) return false;
  const auto grouped = [](const TToolButton* b) { return b->style_ == tbsCheck && b->grouped_; };
  if (!grouped(this) || !grouped(&other)) return false;
  // Every button between the two must be a grouped check button as well.
  int from = -1, to = -1;
  for (int i = 0; i < bar->ButtonCount(); ++i) {
    if (bar->Buttons(i) == this || bar->Buttons(i) == &other) (from < 0 ? from : to) = i;
  }
  for (int i = from; i <= to; ++i) {
    if (!grouped(bar->Buttons(i))) return false;
  }
  return true;
}

void TToolButton::SetDown(bool v) {
  if (!ChangeProperty(down_, v, "Down") || !v) return;
  if (TToolBar* bar = ToolBar()) {
    for (int i = 0; i < bar->ButtonCount(); ++i) {
      TToolButton* other = bar->Buttons(i);
      if (InGroupWith(*other)) other->ChangeProperty(other->down_, false, "Down");
    }
  }
}

bool TToolButton::Clickable() const {
  return style_ != tbsSeparator && style_ != tbsDivider && EnabledChain();
}

void TToolButton::Click() {
  if (!Clickable()) return;
  if (style_ == tbsCheck) SetDown(grouped_ ? true : !down_);
  if (!OnClick.Assigned() && dropdownMenu_) {
    DropDown();
    return;
  }
  TControl::Click();
}

bool TToolButton::DropDown() {
  if (!Clickable() || !dropdownMenu_) return false;
  dropdownMenu_->Popup(Left(), Top() + Height());
  return true;
}

// --- TSpeedButton ---

const TClassInfo& TSpeedButton::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TSpeedButton>("TSpeedButton", TControl::StaticClass())
          .Integer("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1)
          .Boolean("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TSpeedButton);

TSpeedButton::TSpeedButton(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 23, 22); }

void TSpeedButton::SetGlyph(const TBitmap& glyph) {
  if (glyph_ == glyph) return;
  glyph_ = glyph;
  MarkChanged("Glyph");
}

TBitmap TSpeedButton::GlyphPart(int index) const {
  return GlyphStripPart(glyph_, numGlyphs_, index);
}

bool TSpeedButton::MakeDisabledGlyph() {
  if (glyph_.Empty() || numGlyphs_ != 1) return false;
  SetGlyph(MakeDisabledImage(glyph_));
  SetNumGlyphs(2);
  return true;
}

void TSpeedButton::Click() {
  if (!EnabledChain()) return;
  TControl::Click();
}

}  // namespace platform
