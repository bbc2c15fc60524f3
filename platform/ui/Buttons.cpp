#include "platform/ui/Buttons.h"

#include <cstdio>

#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Form.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TBitBtnKind) {
  static const TTypeInfo t = TTypeInfo::Enumeration(
      "TBitBtnKind", {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry",
                      "bkIgnore", "bkAll"});
  return t;
}

const TTypeInfo& EnumTypeInfo(TButtonLayout) {
  static const TTypeInfo t =
      TTypeInfo::Enumeration("TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"});
  return t;
}

namespace {

struct TKindRole {
  const char* caption;
  TModalResult result;
};

// Indexed by TBitBtnKind.
constexpr TKindRole kRoles[] = {
    {"", mrNone},          {"OK", mrOk},         {"Cancel", mrCancel},  {"&Help", mrNone},
    {"&Yes", mrYes},       {"&No", mrNo},        {"&Close", mrNone},    {"Abort", mrAbort},
    {"&Retry", mrRetry},   {"&Ignore", mrIgnore}, {"&All", mrAll},
};

}  // namespace

const TClassInfo& TBitBtn::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TBitBtn>("TBitBtn", TButton::StaticClass())
          .String("Glyph", &TBitBtn::GlyphId, nullptr)
          .Integer("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1)
          .Enumeration("Kind", &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom)
          .Enumeration("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft)
          .Integer("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4)
          .Integer("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TBitBtn);

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

void TBitBtn::SetGlyph(const TBitmap& glyph) {
  if (glyph_ == glyph) return;
  glyph_ = glyph;
  MarkChanged("Glyph");
}

AnsiString TBitBtn::GlyphId() const {
  if (glyph_.Empty()) return AnsiString();
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(glyph_.ContentHash()));
  return AnsiString(text);
}

TBitmap TBitBtn::GlyphPart(int index) const {
  return GlyphStripPart(glyph_, numGlyphs_, index);
}

bool TBitBtn::MakeDisabledGlyph() {
  if (glyph_.Empty() || numGlyphs_ != 1) return false;
  SetGlyph(MakeDisabledImage(glyph_));
  SetNumGlyphs(2);
  return true;
}

void TBitBtn::SetKind(TBitBtnKind v) {
  if (v < bkCustom || v > bkAll) v = bkCustom;
  if (!ChangeProperty(kind_, v, "Kind") || Loading() || v == bkCustom) return;
  const TKindRole& role = kRoles[v];
  SetCaption(role.caption);
  SetModalResult(role.result);
  SetDefault(v == bkOK || v == bkYes);
  SetCancel(v == bkCancel || v == bkNo);
}

void TBitBtn::Click() {
  TComponentPtr<TBitBtn> self(this);
  TButton::Click();
  if (!self || kind_ != bkClose) return;
  if (TCustomForm* form = ParentForm()) form->Close();
}

}  // namespace platform
