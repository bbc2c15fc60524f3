// Pictures, headless: TBitmap (24-bit pixels with a transparent colour),
// TImageList, the platform's numbered button pictures and the generated
// disabled image of a single-image button.
//
// A bitmap is a value; ContentHash identifies its content (size,
// transparent colour and pixels), so the renderer sends a picture once and
// refers to it by hash afterwards. Pixels are TColor values 0x00BBGGRR;
// reading outside the bitmap gives clNone, writing outside does nothing.
//
// ButtonPicture(n): the numbered pictures buttons ask for by number,
// 16x16, drawn here (no files); picture 8 is the look-up picture. A number
// outside 1..ButtonPictureCount() gives an empty bitmap.
//
// MakeDisabledImage(bitmap): every pixel that is not the transparent colour
// becomes black when dark (red + green + blue below 384) or when one of its
// four neighbours is the transparent colour (outside the bitmap counts as
// not transparent); all others become transparent. That mask is drawn twice
// onto a button-face background: offset by one pixel right and down in the
// highlight colour, then in place in the shadow colour. The result is twice
// as wide: the given bitmap on the left, the disabled one on the right; its
// transparent colour is the given one's.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ui/Colors.h"
#include "platform/ui/Component.h"

namespace platform {

class TBitmap {
 public:
  TBitmap() = default;
  // Filled with fill.
  TBitmap(int width, int height, TColor fill = clBlack);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  // Negative sizes are taken as 0; the content is kept where it fits, new
  // pixels are fill.
  void SetSize(int width, int height, TColor fill = clBlack);

  // An RGB colour (system colours are resolved); clNone outside.
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);
  void FillRect(int left, int top, int right, int bottom, TColor color);  // right, bottom exclusive
  // Copies source with its top-left corner at (x, y), clipped.
  void Draw(int x, int y, const TBitmap& source);

  // The colour drawn as see-through (the bottom-left pixel by default, as
  // the class library's glyphs); Transparent false draws every pixel.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor color) { transparentColor_ = ColorToRGB(color); hasTransparentColor_ = true; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) { transparent_ = v; }

  // A hash of size, transparency and pixels (FNV-1a, 64-bit).
  std::uint64_t ContentHash() const;
  friend bool operator==(const TBitmap& a, const TBitmap& b);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<TColor> pixels_;
  TColor transparentColor_ = clNone;
  bool hasTransparentColor_ = false;
  bool transparent_ = true;
};

class TImageList : public TComponent {
  PLATFORM_CLASS(TImageList)

 public:
  explicit TImageList(TComponent* owner);

  int Width() const { return width_; }
  void SetWidth(int v) { ChangeProperty(width_, v < 1 ? 1 : v, "Width"); }
  int Height() const { return height_; }
  void SetHeight(int v) { ChangeProperty(height_, v < 1 ? 1 : v, "Height"); }
  int Count() const { return static_cast<int>(images_.size()); }

  // Adds image (resized to Width x Height, its content kept from the
  // top-left) and returns its index.
  int Add(const TBitmap& image);
  // A bitmap as wide as several images adds each Width-wide part; returns
  // the index of the first, -1 when it holds none.
  int AddStrip(const TBitmap& strip);
  // The image at index; an empty bitmap for an index not in the list.
  TBitmap Image(int index) const;
  bool Delete(int index);
  void Clear();

 private:
  int width_ = 16;
  int height_ = 16;
  std::vector<TBitmap> images_;
};

// The number of numbered button pictures (numbered from 1).
int ButtonPictureCount();
// The picture number 8, the look-up picture.
constexpr int kLookupPicture = 8;
TBitmap ButtonPicture(int number);

TBitmap MakeDisabledImage(const TBitmap& bitmap);

// Picture index of a strip of count pictures of equal width side by side
// (a button glyph: up, disabled, ...), keeping the strip's transparency;
// an empty bitmap for an index outside the strip.
TBitmap GlyphStripPart(const TBitmap& strip, int count, int index);

}  // namespace platform
