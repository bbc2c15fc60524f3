// Bit buttons, headless: TBitBtn, a push button with a picture.
//
// Glyph holds NumGlyphs pictures side by side (up, disabled, down, held
// down), placed by Layout beside the caption with Spacing pixels between
// them (Margin: pixels from the edge; -1 centres picture and caption). The
// renderer gets the glyph as the hex content hash of the bitmap ("Glyph",
// empty for none) and fetches the picture by it.
//
// Kind gives the button a standard role: setting it by code sets the
// caption, ModalResult and the Default / Cancel marks of that role (bkOK
// and bkYes are Default, bkCancel and bkNo Cancel); read from a resource
// it only records the kind (the resource states the rest). A bkClose
// button closes its form when clicked; the others act as buttons do
// (StdCtrls.h). bkCustom changes nothing.
#pragma once

#include "platform/ui/Graphics.h"
#include "platform/ui/StdCtrls.h"

namespace platform {

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
const TTypeInfo& EnumTypeInfo(TBitBtnKind);

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
const TTypeInfo& EnumTypeInfo(TButtonLayout);

class TBitBtn : public TButton {
  PLATFORM_CLASS(TBitBtn)

 public:
  explicit TBitBtn(TComponent* owner);

  const TBitmap& Glyph() const { return glyph_; }
  void SetGlyph(const TBitmap& glyph);
  // The hex content hash of Glyph; empty when there is none.
  AnsiString GlyphId() const;
  // 1..4; other values are taken as 1.
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int v) { ChangeProperty(numGlyphs_, v < 1 || v > 4 ? 1 : v, "NumGlyphs"); }
  // The picture at index of the glyph (0 up, 1 disabled, ...); empty when
  // the glyph holds fewer.
  TBitmap GlyphPart(int index) const;
  // A single-picture glyph gets its generated disabled picture
  // (MakeDisabledImage) and NumGlyphs 2; false when the glyph is empty or
  // holds several pictures already.
  bool MakeDisabledGlyph();

  TBitBtnKind Kind() const { return kind_; }
  void SetKind(TBitBtnKind v);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout v) { ChangeProperty(layout_, v, "Layout"); }
  int Spacing() const { return spacing_; }
  void SetSpacing(int v) { ChangeProperty(spacing_, v, "Spacing"); }
  int Margin() const { return margin_; }
  void SetMargin(int v) { ChangeProperty(margin_, v < -1 ? -1 : v, "Margin"); }

  // bkClose closes the form (after OnClick); other kinds click as a button.
  void Click() override;

 private:
  TBitmap glyph_;
  int numGlyphs_ = 1;
  TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
  int spacing_ = 4;
  int margin_ = -1;
};

}  // namespace platform
