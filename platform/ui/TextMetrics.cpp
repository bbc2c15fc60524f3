#include "platform/ui/TextMetrics.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <mutex>

#include "platform/CodePage.h"

namespace platform {

namespace {

constexpr const char* kDefaultFontFile = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

// The one face every text is measured with; opened on first use.
class FontFace {
 public:
  ~FontFace() { Close(); }

  bool Open(const std::string& path) {
    Close();
    tried_ = true;
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return false;
    }
    if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
      face_ = nullptr;
      return false;
    }
    return true;
  }
  FT_Face Face() {
    if (!tried_) Open(kDefaultFontFile);
    return face_;
  }

 private:
  void Close() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
    face_ = nullptr;
    library_ = nullptr;
  }

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  bool tried_ = false;
};

std::mutex& FaceMutex() {
  static std::mutex m;
  return m;
}

FontFace& TheFace() {
  static FontFace face;
  return face;
}

int PixelsOf(int height) {
  const int pixels = std::abs(height);
  return pixels == 0 ? 13 : pixels;
}

// The code points of UTF-16 text (an unpaired surrogate stands for itself).
template <typename S, typename F>
void ForEachCodePoint(const S& text, F f) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    f(c);
  }
}

}  // namespace

unsigned CodePageOfCharset(int charset) {
  switch (charset) {
    case GB2312_CHARSET: return 936;
    case CHINESEBIG5_CHARSET: return 950;
    default: return ProcessCodePage();
  }
}

bool SetTextMetricsFontFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(FaceMutex());
  return TheFace().Open(path);
}

std::string DefaultTextMetricsFontFile() { return kDefaultFontFile; }

bool TextMetricsHaveFont() {
  std::lock_guard<std::mutex> lock(FaceMutex());
  return TheFace().Face() != nullptr;
}

TTextSize MeasureText(const AnsiString& text, const AnsiString& fontName, int height, TFontStyles style,
                      unsigned codePage) {
  (void)fontName;  // every font is drawn with the one face
  const int pixels = PixelsOf(height);
  std::lock_guard<std::mutex> lock(FaceMutex());
  FT_Face face = TheFace().Face();
  if (!face || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) != 0) {
    return {static_cast<int>(text.Length()) * ((pixels + 1) / 2), pixels + 2};
  }
  const bool bold = style.Contains(fsBold);
  long width = 0;
  ForEachCodePoint(ToWide(text.Bytes(), codePage), [&](char32_t c) {
    const FT_UInt glyph = FT_Get_Char_Index(face, c);
    if (glyph != 0 && FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) == 0) {
      width += (face->glyph->advance.x + 32) >> 6;
    } else {
      // A character the face lacks takes a full or half cell.
      width += c >= 0x2E80 ? pixels : (pixels + 1) / 2;
    }
    if (bold) ++width;
  });
  const FT_Size_Metrics& m = face->size->metrics;
  const int lineHeight = static_cast<int>((m.ascender - m.descender + 63) >> 6);
  return {static_cast<int>(width), lineHeight};
}

TTextSize MeasureText(const AnsiString& text, const TFont& font) {
  return MeasureText(text, font.Name(), font.Height(), font.Style(), CodePageOfCharset(font.Charset()));
}

}  // namespace platform
