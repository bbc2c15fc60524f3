// TFont: the font of a control, a form, a grid title or a hint.
//
// A font is an owned sub-object: its control creates it, publishes it as
// "Font" (or "TitleFont") and attaches it with SetOwnerProperty, so any
// change of the font marks the control's property for the renderer; the
// control's SetFont copies (Assign) instead of sharing. OnChange tells the
// owner as well (controls with ParentFont use it).
//
// Height and Size describe the same thing at the platform's fixed 96
// pixels per inch: a negative Height is the character height in pixels,
// Size is points (Size 9 is Height -12; Height -13 is Size 10). Charset
// keeps the class library's character-set numbers; the renderer derives
// the text's code page from it. The font's metrics are the platform's, not
// the class library's.
#pragma once

#include <cstdint>

#include "platform/AnsiString.h"
#include "platform/ui/Colors.h"
#include "platform/ui/Event.h"
#include "platform/ui/Persistent.h"
#include "platform/ui/SetOf.h"

namespace platform {

using TFontCharset = std::uint8_t;

constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset MAC_CHARSET = 77;
constexpr TFontCharset SHIFTJIS_CHARSET = 128;
constexpr TFontCharset HANGEUL_CHARSET = 129;
constexpr TFontCharset JOHAB_CHARSET = 130;
constexpr TFontCharset GB2312_CHARSET = 134;
constexpr TFontCharset CHINESEBIG5_CHARSET = 136;
constexpr TFontCharset GREEK_CHARSET = 161;
constexpr TFontCharset TURKISH_CHARSET = 162;
constexpr TFontCharset VIETNAMESE_CHARSET = 163;
constexpr TFontCharset HEBREW_CHARSET = 177;
constexpr TFontCharset ARABIC_CHARSET = 178;
constexpr TFontCharset BALTIC_CHARSET = 186;
constexpr TFontCharset RUSSIAN_CHARSET = 204;
constexpr TFontCharset THAI_CHARSET = 222;
constexpr TFontCharset EASTEUROPE_CHARSET = 238;
constexpr TFontCharset OEM_CHARSET = 255;

// The published type "TFontCharset": 0..255 with the identifiers above.
const TTypeInfo& CharsetTypeInfo();
bool CharsetToIdent(int charset, AnsiString& identifier);
bool IdentToCharset(const AnsiString& identifier, int& charset);

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = SetOf<TFontStyle>;
const TTypeInfo& EnumTypeInfo(TFontStyle);
const TTypeInfo& SetTypeInfo(TFontStyles);

enum TFontPitch { fpDefault, fpVariable, fpFixed };
const TTypeInfo& EnumTypeInfo(TFontPitch);

class TFont : public TPersistent {
  PLATFORM_CLASS(TFont)

 public:
  static constexpr int PixelsPerInch = 96;

  // "MS Sans Serif", Height -11 (Size 8), DEFAULT_CHARSET, clWindowText.
  TFont() = default;

  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset charset) { Change(charset_, charset, "Charset"); }
  TColor Color() const { return color_; }
  void SetColor(TColor color) { Change(color_, color, "Color"); }
  int Height() const { return height_; }
  void SetHeight(int height) { Change(height_, height, "Height"); }
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& name) { Change(name_, name, "Name"); }
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch) { Change(pitch_, pitch, "Pitch"); }
  int Size() const;
  void SetSize(int size);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style) { Change(style_, style, "Style"); }

  // Copies every attribute of another font; OnChange runs once.
  void Assign(const TPersistent& source) override;
  friend bool operator==(const TFont& a, const TFont& b);

  TNotifyEvent OnChange;

 private:
  template <typename V>
  void Change(V& field, const V& value, const char* propertyName) {
    if (ChangeProperty(field, value, propertyName)) OnChange(this);
  }

  TFontCharset charset_ = DEFAULT_CHARSET;
  TColor color_ = clWindowText;
  int height_ = -11;
  AnsiString name_ = "MS Sans Serif";
  TFontPitch pitch_ = fpDefault;
  TFontStyles style_;
};

// MulDiv of the operating system: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c);

}  // namespace platform
