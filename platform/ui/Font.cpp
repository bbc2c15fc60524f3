#include "platform/ui/Font.h"

#include <cstdlib>

#include "platform/ui/ClassBuilder.h"

namespace platform {

const TTypeInfo& CharsetTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Integer("TFontCharset", 0, 255,
                                                {
                                                    {ANSI_CHARSET, "ANSI_CHARSET"},
                                                    {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
                                                    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
                                                    {MAC_CHARSET, "MAC_CHARSET"},
                                                    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
                                                    {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
                                                    {JOHAB_CHARSET, "JOHAB_CHARSET"},
                                                    {GB2312_CHARSET, "GB2312_CHARSET"},
                                                    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
                                                    {GREEK_CHARSET, "GREEK_CHARSET"},
                                                    {TURKISH_CHARSET, "TURKISH_CHARSET"},
                                                    {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
                                                    {HEBREW_CHARSET, "HEBREW_CHARSET"},
                                                    {ARABIC_CHARSET, "ARABIC_CHARSET"},
                                                    {BALTIC_CHARSET, "BALTIC_CHARSET"},
                                                    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
                                                    {THAI_CHARSET, "THAI_CHARSET"},
                                                    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
                                                    {OEM_CHARSET, "OEM_CHARSET"},
                                                });
  return t;
}

bool CharsetToIdent(int charset, AnsiString& identifier) { return CharsetTypeInfo().IntToIdent(charset, identifier); }

bool IdentToCharset(const AnsiString& identifier, int& charset) {
  std::int64_t v = 0;
  if (!CharsetTypeInfo().IdentToInt(identifier, v)) return false;
  charset = static_cast<int>(v);
  return true;
}

const TTypeInfo& EnumTypeInfo(TFontStyle) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  return t;
}

const TTypeInfo& SetTypeInfo(TFontStyles) {
  static const TTypeInfo t = TTypeInfo::Set("TFontStyles", EnumTypeInfo(TFontStyle{}));
  return t;
}

const TTypeInfo& EnumTypeInfo(TFontPitch) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
  return t;
}

const TClassInfo& TFont::StaticClass() {
  static const TClassInfo info = TClassBuilder<TFont>("TFont", TPersistent::StaticClass())
                                     .Integer("Charset", CharsetTypeInfo(), &TFont::Charset, &TFont::SetCharset)
                                     .Default(DEFAULT_CHARSET)
                                     .Integer("Color", ColorTypeInfo(), &TFont::Color, &TFont::SetColor)
                                     .Default(clWindowText)
                                     .Integer("Height", &TFont::Height, &TFont::SetHeight)
                                     .String("Name", &TFont::Name, &TFont::SetName)
                                     .Enumeration("Pitch", &TFont::Pitch, &TFont::SetPitch)
                                     .Default(fpDefault)
                                     .Integer("Size", &TFont::Size, &TFont::SetSize)
                                     .Set("Style", &TFont::Style, &TFont::SetStyle)
                                     .Default(TFontStyles())
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TFont);

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;  // as the operating system answers
  const long long product = static_cast<long long>(a) * b;
  const long long half = std::llabs(static_cast<long long>(c)) / 2;
  const bool negative = (product < 0) != (c < 0);
  const long long magnitude = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
  return static_cast<int>(negative ? -magnitude : magnitude);
}

int TFont::Size() const { return -MulDiv(height_, 72, PixelsPerInch); }

void TFont::SetSize(int size) {
  const int height = -MulDiv(size, PixelsPerInch, 72);
  if (height == height_) return;
  height_ = height;
  MarkChanged("Height");
  MarkChanged("Size");
  OnChange(this);
}

void TFont::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TFont*>(&source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (*other == *this) return;
  charset_ = other->charset_;
  color_ = other->color_;
  height_ = other->height_;
  name_ = other->name_;
  pitch_ = other->pitch_;
  style_ = other->style_;
  MarkChanged("Name");
  OnChange(this);
}

bool operator==(const TFont& a, const TFont& b) {
  return a.charset_ == b.charset_ && a.color_ == b.color_ && a.height_ == b.height_ && a.name_ == b.name_ &&
         a.pitch_ == b.pitch_ && a.style_ == b.style_;
}

}  // namespace platform
