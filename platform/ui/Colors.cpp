#include "platform/ui/Colors.h"

#include <limits>

#include "platform/Exceptions.h"
#include "platform/FloatFormat.h"

namespace platform {

namespace {

// The class library's colour identifiers, in its order: the first
// identifier of a value is the one written.
const std::vector<TIdentMapEntry>& ColorIdents() {
  static const std::vector<TIdentMapEntry> idents = {
      {clBlack, "clBlack"},
      {clMaroon, "clMaroon"},
      {clGreen, "clGreen"},
      {clOlive, "clOlive"},
      {clNavy, "clNavy"},
      {clPurple, "clPurple"},
      {clTeal, "clTeal"},
      {clGray, "clGray"},
      {clSilver, "clSilver"},
      {clRed, "clRed"},
      {clLime, "clLime"},
      {clYellow, "clYellow"},
      {clBlue, "clBlue"},
      {clFuchsia, "clFuchsia"},
      {clAqua, "clAqua"},
      {clWhite, "clWhite"},
      {clLtGray, "clLtGray"},
      {clDkGray, "clDkGray"},
      {clScrollBar, "clScrollBar"},
      {clBackground, "clBackground"},
      {clActiveCaption, "clActiveCaption"},
      {clInactiveCaption, "clInactiveCaption"},
      {clMenu, "clMenu"},
      {clWindow, "clWindow"},
      {clWindowFrame, "clWindowFrame"},
      {clMenuText, "clMenuText"},
      {clWindowText, "clWindowText"},
      {clCaptionText, "clCaptionText"},
      {clActiveBorder, "clActiveBorder"},
      {clInactiveBorder, "clInactiveBorder"},
      {clAppWorkSpace, "clAppWorkSpace"},
      {clHighlight, "clHighlight"},
      {clHighlightText, "clHighlightText"},
      {clBtnFace, "clBtnFace"},
      {clBtnShadow, "clBtnShadow"},
      {clGrayText, "clGrayText"},
      {clBtnText, "clBtnText"},
      {clInactiveCaptionText, "clInactiveCaptionText"},
      {clBtnHighlight, "clBtnHighlight"},
      {cl3DDkShadow, "cl3DDkShadow"},
      {cl3DLight, "cl3DLight"},
      {clInfoText, "clInfoText"},
      {clInfoBk, "clInfoBk"},
      {clHotLight, "clHotLight"},
      {clGradientActiveCaption, "clGradientActiveCaption"},
      {clGradientInactiveCaption, "clGradientInactiveCaption"},
      {clMenuHighlight, "clMenuHighlight"},
      {clMenuBar, "clMenuBar"},
      {clNone, "clNone"},
      {clDefault, "clDefault"},
  };
  return idents;
}

// The fixed system palette (the classic grey scheme), as 0x00BBGGRR.
constexpr TColor kPalette[] = {
    RGB(0xD4, 0xD0, 0xC8),  //  0 scroll bar
    RGB(0x3A, 0x6E, 0xA5),  //  1 background
    RGB(0x0A, 0x24, 0x6A),  //  2 active caption
    RGB(0x80, 0x80, 0x80),  //  3 inactive caption
    RGB(0xD4, 0xD0, 0xC8),  //  4 menu
    RGB(0xFF, 0xFF, 0xFF),  //  5 window
    RGB(0x00, 0x00, 0x00),  //  6 window frame
    RGB(0x00, 0x00, 0x00),  //  7 menu text
    RGB(0x00, 0x00, 0x00),  //  8 window text
    RGB(0xFF, 0xFF, 0xFF),  //  9 caption text
    RGB(0xD4, 0xD0, 0xC8),  // 10 active border
    RGB(0xD4, 0xD0, 0xC8),  // 11 inactive border
    RGB(0x80, 0x80, 0x80),  // 12 application work space
    RGB(0x0A, 0x24, 0x6A),  // 13 highlight
    RGB(0xFF, 0xFF, 0xFF),  // 14 highlight text
    RGB(0xD4, 0xD0, 0xC8),  // 15 button face
    RGB(0x80, 0x80, 0x80),  // 16 button shadow
    RGB(0x80, 0x80, 0x80),  // 17 grey text
    RGB(0x00, 0x00, 0x00),  // 18 button text
    RGB(0xD4, 0xD0, 0xC8),  // 19 inactive caption text
    RGB(0xFF, 0xFF, 0xFF),  // 20 button highlight
    RGB(0x40, 0x40, 0x40),  // 21 3D dark shadow
    RGB(0xD4, 0xD0, 0xC8),  // 22 3D light
    RGB(0x00, 0x00, 0x00),  // 23 info text
    RGB(0xFF, 0xFF, 0xE1),  // 24 info background
    RGB(0xB5, 0xB5, 0xB5),  // 25 (unused)
    RGB(0x00, 0x00, 0x80),  // 26 hot light
    RGB(0xA6, 0xCA, 0xF0),  // 27 gradient active caption
    RGB(0xC0, 0xC0, 0xC0),  // 28 gradient inactive caption
    RGB(0x31, 0x6A, 0xC5),  // 29 menu highlight
    RGB(0xD4, 0xD0, 0xC8),  // 30 menu bar
};

}  // namespace

const TTypeInfo& ColorTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Integer("TColor", std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max(), ColorIdents());
  return t;
}

bool ColorToIdent(TColor color, AnsiString& identifier) { return ColorTypeInfo().IntToIdent(color, identifier); }

bool IdentToColor(const AnsiString& identifier, TColor& color) {
  std::int64_t v = 0;
  if (!ColorTypeInfo().IdentToInt(identifier, v)) return false;
  color = static_cast<TColor>(v);
  return true;
}

AnsiString ColorToString(TColor color) {
  AnsiString id;
  if (ColorToIdent(color, id)) return id;
  return "$" + IntToHex(static_cast<std::uint32_t>(color), 8);
}

TColor StringToColor(const AnsiString& text) {
  std::int64_t v = 0;
  if (!ColorTypeInfo().OrdinalFromText(text, v)) throw EConvertError("'" + text + "' is not a valid colour value");
  return static_cast<TColor>(v);
}

TColor ColorToRGB(TColor color) {
  if (color >= 0) return color;
  const auto index = static_cast<std::uint32_t>(color) & 0xFFu;
  if (index < std::size(kPalette)) return kPalette[index];
  return clBlack;
}

}  // namespace platform
