#include "host/web/FontFile.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace hostweb {

namespace {

std::uint32_t Get32(const std::string& d, std::size_t at) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(d[at])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 3]));
}

std::uint16_t Get16(const std::string& d, std::size_t at) {
  return static_cast<std::uint16_t>((static_cast<unsigned char>(d[at]) << 8) | static_cast<unsigned char>(d[at + 1]));
}

void Set32(std::string& d, std::size_t at, std::uint32_t v) {
  d[at] = static_cast<char>(v >> 24);
  d[at + 1] = static_cast<char>(v >> 16);
  d[at + 2] = static_cast<char>(v >> 8);
  d[at + 3] = static_cast<char>(v);
}

bool IsSfntVersion(std::uint32_t v) { return v == 0x00010000u || v == 0x4F54544Fu /* OTTO */ || v == 0x74727565u; }

}  // namespace

std::string FindCjkFont() {
  static const char* const kCandidates[] = {
      "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
      "/usr/share/fonts/wqy-zenhei/wqy-zenhei.ttc",
      "/usr/local/share/fonts/wqy-zenhei.ttc",
  };
  std::error_code ec;
  for (const char* path : kCandidates)
    if (std::filesystem::is_regular_file(path, ec)) return path;
  return {};
}

std::optional<std::string> WebFontData(const std::string& d) {
  if (d.size() < 12) return std::nullopt;
  const std::uint32_t tag = Get32(d, 0);
  if (IsSfntVersion(tag)) return d;
  if (tag != 0x74746366u /* ttcf */) return std::nullopt;
  const std::uint32_t fonts = Get32(d, 8);
  if (fonts == 0 || d.size() < 16) return std::nullopt;
  const std::size_t font = Get32(d, 12);
  if (font + 12 > d.size() || !IsSfntVersion(Get32(d, font))) return std::nullopt;
  const std::size_t tables = Get16(d, font + 4);
  const std::size_t directory = 12 + 16 * tables;
  if (font + directory > d.size()) return std::nullopt;

  // The offset table and directory of that font, then each table copied
  // after it (4-byte aligned) with its offset rewritten.
  std::string out = d.substr(font, directory);
  for (std::size_t i = 0; i < tables; ++i) {
    const std::size_t record = 12 + 16 * i;
    const std::size_t offset = Get32(out, record + 8);
    const std::size_t length = Get32(out, record + 12);
    if (offset > d.size() || length > d.size() - offset) return std::nullopt;
    while (out.size() % 4) out += '\0';
    Set32(out, record + 8, static_cast<std::uint32_t>(out.size()));
    out.append(d, offset, length);
  }
  while (out.size() % 4) out += '\0';
  return out;
}

}  // namespace hostweb
