// Tool bars and picture buttons, headless: TToolBar with its TToolButtons,
// and TSpeedButton.
//
// A tool bar's buttons are its child controls, in the order they were
// placed on it. Each shows the picture ImageIndex of the bar's Images
// (none for -1 or an index the list does not hold).
//
// Tool buttons: a click on a button that is not enabled (through its
// parents), or on a separator, does nothing. A tbsCheck button toggles
// Down before OnClick runs; Grouped check buttons next to each other (not
// parted by a separator or another button) form a group in which one
// button at most is down, and a click on the down one keeps it down. The
// drop-down arrow of a tbsDropDown button opens its DropdownMenu
// (DropDown); a click on any button without an OnClick handler opens its
// DropdownMenu too.
//
// Speed buttons: Glyph holds NumGlyphs pictures side by side (up, disabled,
// down, held down); MakeDisabledGlyph gives a single-picture button its
// generated disabled picture (MakeDisabledImage) and NumGlyphs 2.
#pragma once

#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Control.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Menus.h"

namespace platform {

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
const TTypeInfo& EnumTypeInfo(TToolButtonStyle);

class TToolButton;

class TToolBar : public TWinControl {
  PLATFORM_CLASS(TToolBar)

 public:
  explicit TToolBar(TComponent* owner);

  TImageList* Images() const { return images_.get(); }
  void SetImages(TImageList* images);
  // The tool buttons among the children, in order.
  int ButtonCount() const;
  TToolButton* Buttons(int index) const;  // nullptr for an index not held
  // The picture a button shows; empty when none.
  TBitmap ButtonImage(const TToolButton& button) const;

 private:
  TComponentPtr<TImageList> images_;
};

class TToolButton : public TControl {
  PLATFORM_CLASS(TToolButton)

 public:
  explicit TToolButton(TComponent* owner);

  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v) { ChangeProperty(imageIndex_, v < -1 ? -1 : v, "ImageIndex"); }
  TToolButtonStyle Style() const { return style_; }
  void SetStyle(TToolButtonStyle v) { ChangeProperty(style_, v, "Style"); }
  bool Down() const { return down_; }
  // Putting a grouped button down puts the others of its group up.
  void SetDown(bool v);
  bool Grouped() const { return grouped_; }
  void SetGrouped(bool v) { ChangeProperty(grouped_, v, "Grouped"); }
  TPopupMenu* DropdownMenu() const { return dropdownMenu_.get(); }
  void SetDropdownMenu(TPopupMenu* menu);
  TToolBar* ToolBar() const;

  void Click() override;
  // The drop-down arrow: opens DropdownMenu below the button; false when
  // there is none or the button is not enabled.
  bool DropDown();

 private:
  bool Clickable() const;
  bool InGroupWith(const TToolButton& other) const;

  int imageIndex_ = -1;
  TToolButtonStyle style_ = tbsButton;
  bool down_ = false;
  bool grouped_ = false;
  TComponentPtr<TPopupMenu> dropdownMenu_;
};

class TSpeedButton : public TControl {
  PLATFORM_CLASS(TSpeedButton)

 public:
  explicit TSpeedButton(TComponent* owner);

  const TBitmap& Glyph() const { return glyph_; }
  void SetGlyph(const TBitmap& glyph);
  // 1..4; other values are taken as 1.
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int v) { ChangeProperty(numGlyphs_, v < 1 || v > 4 ? 1 : v, "NumGlyphs"); }
  bool Flat() const { return flat_; }
  void SetFlat(bool v) { ChangeProperty(flat_, v, "Flat"); }
  // The picture at index of the glyph (0 up, 1 disabled, ...); empty when
  // the glyph holds fewer.
  TBitmap GlyphPart(int index) const;
  // A single-picture glyph gets its disabled picture; false (unchanged)
  // when the glyph is empty or holds several pictures already.
  bool MakeDisabledGlyph();

  // Runs OnClick when enabled (through its parents).
  void Click() override;

 private:
  TBitmap glyph_;
  int numGlyphs_ = 1;
  bool flat_ = false;
};

}  // namespace platform
