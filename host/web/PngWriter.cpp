#include "host/web/PngWriter.h"

#include <array>
#include <cstdint>

namespace hostweb {

namespace {

const std::array<std::uint32_t, 256>& CrcTable() {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

std::uint32_t Crc(const std::string& data, std::size_t from) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = from; i < data.size(); ++i) c = CrcTable()[(c ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void Put32(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16);
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

void Chunk(std::string& out, const char* type, const std::string& data) {
  Put32(out, static_cast<std::uint32_t>(data.size()));
  std::string body = type;
  body += data;
  out += body;
  Put32(out, Crc(body, 0));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string Stored(const std::string& raw) {
  std::string z = "\x78\x01";
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
    const bool last = pos + n == raw.size();
    z += static_cast<char>(last ? 1 : 0);
    z += static_cast<char>(n & 0xFF);
    z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 0xFF);
    z += static_cast<char>((~n >> 8) & 0xFF);
    z.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  std::uint32_t a = 1, b = 0;
  for (unsigned char ch : raw) {
    a = (a + ch) % 65521;
    b = (b + a) % 65521;
  }
  Put32(z, (b << 16) | a);
  return z;
}

}  // namespace

std::string EncodePng(const platform::TBitmap& bitmap) {
  const int w = bitmap.Width() > 0 ? bitmap.Width() : 1;
  const int h = bitmap.Height() > 0 ? bitmap.Height() : 1;
  const bool empty = bitmap.Empty();
  const platform::TColor transparent = bitmap.TransparentColor();
  std::string raw;
  raw.reserve(static_cast<std::size_t>(h) * (1 + 4 * static_cast<std::size_t>(w)));
  for (int y = 0; y < h; ++y) {
    raw += '\0';  // filter: none
    for (int x = 0; x < w; ++x) {
      const auto c = static_cast<std::uint32_t>(empty ? platform::clNone : bitmap.Pixel(x, y));
      const bool clear = empty || (bitmap.Transparent() && static_cast<platform::TColor>(c) == transparent);
      raw += static_cast<char>(c & 0xFF);
      raw += static_cast<char>((c >> 8) & 0xFF);
      raw += static_cast<char>((c >> 16) & 0xFF);
      raw += static_cast<char>(clear ? 0 : 0xFF);
    }
  }
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string ihdr;
  Put32(ihdr, static_cast<std::uint32_t>(w));
  Put32(ihdr, static_cast<std::uint32_t>(h));
  ihdr += "\x08\x06";  // 8 bits, RGBA
  ihdr += std::string("\0\0\0", 3);
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", Stored(raw));
  Chunk(png, "IEND", "");
  return png;
}

}  // namespace hostweb
