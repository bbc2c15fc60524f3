// Text metrics: the size a text takes on screen, measured with FreeType from
// the one CJK font the browser is served as its web font, so AutoSize and
// placement rules give the sizes the user sees.
//
// Every font name maps to that font face (the renderer draws every font
// with it); the height is the font's pixel height (a negative TFont.Height,
// or the cell height for a positive one). A bold font is one pixel wider per
// character, as a synthesised bold is. When the font file cannot be read,
// every byte of the text is (pixels + 1) / 2 wide and a line is pixels + 2
// high, so layouts stay stable on a machine without the font.
//
// Thread-safe.
#pragma once

#include <string>

#include "platform/AnsiString.h"
#include "platform/ui/Font.h"

namespace platform {

struct TTextSize {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TTextSize&, const TTextSize&) = default;
};

// The code page a font's charset decodes text with: 936 for GB2312, 950 for
// BIG5, the process code page for ANSI, DEFAULT and any other charset.
unsigned CodePageOfCharset(int charset);

// The size of one line of text (bytes in codePage) in the font fontName of
// heightPixels (TFont.Height: negative for the character height) and style.
TTextSize MeasureText(const AnsiString& text, const AnsiString& fontName, int height, TFontStyles style,
                      unsigned codePage);
// The same in font, decoded with its charset's code page.
TTextSize MeasureText(const AnsiString& text, const TFont& font);

// The font file measured with; the default is the installed
// fonts-wqy-zenhei face. Returns false (and measures with the fixed
// fallback) when the file cannot be read. For tests and installations that
// keep the font elsewhere.
bool SetTextMetricsFontFile(const std::string& path);
// The installed face measured with unless another is set.
std::string DefaultTextMetricsFontFile();
// True when text is measured with a font file (not the fallback).
bool TextMetricsHaveFont();

}  // namespace platform
