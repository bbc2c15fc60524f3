#include "platform/ui/Graphics.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ui/ClassBuilder.h"

namespace platform {

// --- TBitmap ---

TBitmap::TBitmap(int width, int height, TColor fill) { SetSize(width, height, fill); }

void TBitmap::SetSize(int width, int height, TColor fill) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == 0 || height == 0) width = height = 0;
  std::vector<TColor> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), ColorToRGB(fill));
  for (int y = 0; y < std::min(height, height_); ++y) {
    for (int x = 0; x < std::min(width, width_); ++x)
      pixels[static_cast<std::size_t>(y) * width + x] = pixels_[static_cast<std::size_t>(y) * width_ + x];
  }
  width_ = width;
  height_ = height;
  pixels_ = std::move(pixels);
}

TColor TBitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
  return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y) * width_ + x] = ColorToRGB(color);
}

void TBitmap::FillRect(int left, int top, int right, int bottom, TColor color) {
  for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, width_); ++x) SetPixel(x, y, color);
  }
}

void TBitmap::Draw(int x, int y, const TBitmap& source) {
  for (int sy = 0; sy < source.height_; ++sy) {
    for (int sx = 0; sx < source.width_; ++sx) SetPixel(x + sx, y + sy, source.Pixel(sx, sy));
  }
}

TColor TBitmap::TransparentColor() const {
  if (hasTransparentColor_) return transparentColor_;
  if (Empty()) return clNone;
  return Pixel(0, height_ - 1);
}

std::uint64_t TBitmap::ContentHash() const {
  std::uint64_t h = 14695981039346656037ull;
  const auto mix = [&h](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      h ^= (v >> (8 * i)) & 0xFF;
      h *= 1099511628211ull;
    }
  };
  mix(static_cast<std::uint32_t>(width_));
  mix(static_cast<std::uint32_t>(height_));
  mix(transparent_ ? static_cast<std::uint32_t>(TransparentColor()) : 0xFFFFFFFFu);
  for (TColor p : pixels_) mix(static_cast<std::uint32_t>(p));
  return h;
}

bool operator==(const TBitmap& a, const TBitmap& b) {
  return a.width_ == b.width_ && a.height_ == b.height_ && a.transparent_ == b.transparent_ &&
         (!a.transparent_ || a.TransparentColor() == b.TransparentColor()) && a.pixels_ == b.pixels_;
}

// --- TImageList ---

const TClassInfo& TImageList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TImageList>("TImageList", TComponent::StaticClass())
          .Integer("Width", &TImageList::Width, &TImageList::SetWidth).Default(16)
          .Integer("Height", &TImageList::Height, &TImageList::SetHeight).Default(16)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TImageList);

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

int TImageList::Add(const TBitmap& image) {
  TBitmap copy = image;
  if (copy.Width() != width_ || copy.Height() != height_) {
    const TColor fill = image.Empty() ? clBlack : image.TransparentColor();
    copy = TBitmap(width_, height_, fill);
    copy.Draw(0, 0, image);
    if (!image.Empty()) copy.SetTransparentColor(image.TransparentColor());
  }
  images_.push_back(std::move(copy));
  MarkChanged("Images");
  return Count() - 1;
}

int TImageList::AddStrip(const TBitmap& strip) {
  const int parts = strip.Width() / width_;
  if (parts == 0) return -1;
  const int first = Count();
  for (int i = 0; i < parts; ++i) {
    TBitmap part(width_, height_, strip.TransparentColor());
    part.Draw(-i * width_, 0, strip);
    part.SetTransparentColor(strip.TransparentColor());
    Add(part);
  }
  return first;
}

TBitmap TImageList::Image(int index) const {
  if (index < 0 || index >= Count()) return TBitmap();
  return images_[static_cast<std::size_t>(index)];
}

bool TImageList::Delete(int index) {
  if (index < 0 || index >= Count()) return false;
  images_.erase(images_.begin() + index);
  MarkChanged("Images");
  return true;
}

void TImageList::Clear() {
  if (images_.empty()) return;
  images_.clear();
  MarkChanged("Images");
}

// --- the numbered button pictures ---

namespace {

constexpr TColor kPictureBackground = clFuchsia;
constexpr int kPictureSize = 16;

void Line(TBitmap& b, int x0, int y0, int x1, int y1, TColor c, int thickness = 1) {
  const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  while (true) {
    b.FillRect(x0, y0, x0 + thickness, y0 + thickness, c);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

// A ring of the given radii (squared distances) around (cx, cy).
void Ring(TBitmap& b, int cx, int cy, int inner2, int outer2, TColor ring, TColor inside) {
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
      if (d2 <= outer2) b.SetPixel(x, y, d2 >= inner2 ? ring : inside);
    }
  }
}

// A filled triangle pointing left (dir -1) or right (dir 1), or up (-2) /
// down (2).
void Arrow(TBitmap& b, int dir, TColor c) {
  for (int i = 0; i < 6; ++i) {
    const int lo = 8 - i - 1, hi = 8 + i;
    const int at = (dir == -1 || dir == -2) ? 4 + i : 11 - i;
    if (dir == -1 || dir == 1) b.FillRect(at, lo, at + 1, hi, c);
    else b.FillRect(lo, at, hi, at + 1, c);
  }
}

TBitmap DrawPicture(int number) {
  TBitmap b(kPictureSize, kPictureSize, kPictureBackground);
  b.SetTransparentColor(kPictureBackground);
  switch (number) {
    case 1:  // confirm: a check mark
      Line(b, 2, 8, 6, 12, clGreen, 2);
      Line(b, 6, 12, 13, 3, clGreen, 2);
      break;
    case 2:  // cancel: a cross
      Line(b, 3, 3, 12, 12, clRed, 2);
      Line(b, 12, 3, 3, 12, clRed, 2);
      break;
    case 3:  // add: a plus
      b.FillRect(7, 2, 9, 14, clNavy);
      b.FillRect(2, 7, 14, 9, clNavy);
      break;
    case 4:  // remove: a minus
      b.FillRect(2, 7, 14, 9, clMaroon);
      break;
    case 5:  // prior: left arrow
      Arrow(b, -1, clNavy);
      break;
    case 6:  // next: right arrow
      Arrow(b, 1, clNavy);
      break;
    case 7:  // save: a disk
      b.FillRect(2, 2, 14, 14, clNavy);
      b.FillRect(4, 2, 12, 7, clWhite);
      b.FillRect(5, 10, 11, 14, clSilver);
      break;
    case kLookupPicture:  // look-up: a magnifying glass
      Ring(b, 6, 6, 10, 25, clBlack, clAqua);
      Line(b, 9, 9, 13, 13, clMaroon, 2);
      break;
    case 9:  // up arrow
      Arrow(b, -2, clNavy);
      break;
    case 10:  // down arrow
      Arrow(b, 2, clNavy);
      break;
    case 11:  // edit: a pencil
      Line(b, 3, 12, 12, 3, clOlive, 2);
      b.FillRect(2, 13, 4, 15, clBlack);
      break;
    case 12:  // refresh: a ring with a gap
      Ring(b, 8, 8, 16, 36, clGreen, kPictureBackground);
      b.FillRect(8, 1, 15, 8, kPictureBackground);
      Arrow(b, 2, clGreen);
      break;
    default:
      return TBitmap();
  }
  return b;
}

}  // namespace

int ButtonPictureCount() { return 12; }

TBitmap ButtonPicture(int number) {
  if (number < 1 || number > ButtonPictureCount()) return TBitmap();
  return DrawPicture(number);
}

// --- the disabled image ---

TBitmap GlyphStripPart(const TBitmap& strip, int count, int index) {
  if (strip.Empty() || index < 0 || index >= count) return TBitmap();
  const int w = strip.Width() / count;
  if (w == 0) return TBitmap();
  TBitmap part(w, strip.Height(), strip.TransparentColor());
  part.Draw(-index * w, 0, strip);
  part.SetTransparentColor(strip.TransparentColor());
  part.SetTransparent(strip.Transparent());
  return part;
}

TBitmap MakeDisabledImage(const TBitmap& bitmap) {
  if (bitmap.Empty()) return TBitmap();
  const int w = bitmap.Width(), h = bitmap.Height();
  const TColor transparent = bitmap.TransparentColor();
  const auto isTransparent = [&](int x, int y) {
    const TColor p = bitmap.Pixel(x, y);  // clNone outside: not transparent
    return p != clNone && p == transparent;
  };
  std::vector<bool> mask(static_cast<std::size_t>(w) * h, false);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (isTransparent(x, y)) continue;
      const TColor p = bitmap.Pixel(x, y);
      const int sum = (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
      const bool edge = isTransparent(x - 1, y) || isTransparent(x + 1, y) || isTransparent(x, y - 1) ||
                        isTransparent(x, y + 1);
      mask[static_cast<std::size_t>(y) * w + x] = sum < 384 || edge;
    }
  }
  TBitmap disabled(w, h, clBtnFace);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (mask[static_cast<std::size_t>(y) * w + x]) disabled.SetPixel(x + 1, y + 1, clBtnHighlight);
    }
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (mask[static_cast<std::size_t>(y) * w + x]) disabled.SetPixel(x, y, clBtnShadow);
    }
  }
  TBitmap result(2 * w, h, transparent);
  result.Draw(0, 0, bitmap);
  result.Draw(w, 0, disabled);
  result.SetTransparentColor(transparent);
  result.SetTransparent(bitmap.Transparent());
  return result;
}

}  // namespace platform
