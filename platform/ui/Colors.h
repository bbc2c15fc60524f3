// TColor: colours as the class library stores them.
//
// A colour is red in the lowest byte, green in the next and blue in the
// third (0x00BBGGRR). A value with the top bit set, 0x80000000 plus an
// index, names a system colour (clBtnFace is 0x8000000F); ColorToRGB
// resolves it through the platform's one fixed palette, which the renderer
// uses too. clNone and clDefault are markers, not colours.
//
// Published colour properties have the type ColorTypeInfo(): they accept
// the identifiers below ("clRed", "clBtnFace") or a number ("255",
// "$0000FF", "-2147483633").
#pragma once

#include <cstdint>

#include "platform/AnsiString.h"
#include "platform/ui/TypeInfo.h"

namespace platform {

using TColor = std::int32_t;

constexpr TColor RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<TColor>(red | (green << 8) | (blue << 16));
}

constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<std::uint32_t>(index)); }

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The published type "TColor".
const TTypeInfo& ColorTypeInfo();

// Identifier of a colour ("clRed"); false when it has none.
bool ColorToIdent(TColor color, AnsiString& identifier);
// Colour of an identifier (ASCII case ignored); false when it names none.
bool IdentToColor(const AnsiString& identifier, TColor& color);
// The identifier, else "$00BBGGRR".
AnsiString ColorToString(TColor color);
// An identifier or a number; EConvertError when it is neither.
TColor StringToColor(const AnsiString& text);

// The colour itself: system colours resolved through the palette, other
// values unchanged.
TColor ColorToRGB(TColor color);

}  // namespace platform
