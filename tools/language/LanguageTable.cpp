#include "LanguageTable.h"

#include <opencc/opencc.h>

#include <map>
#include <mutex>
#include <stdexcept>

#include "platform/CodePage.h"

namespace corvane::tools {

namespace {

// Converts one character (given as a pair in code page `from`) to the
// other script and code page `to`; 0 when any step has no answer.
std::uint16_t MapPair(unsigned char lead, unsigned char trail, unsigned from, unsigned to,
                      const char* config) {
  char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  bool replaced = false;
  std::u16string wide = platform::ToWide(std::string_view(pair, 2), from, &replaced);
  if (replaced || wide.size() != 1) return 0;
  std::string converted = ConvertScript(platform::WideToUtf8(wide), config);
  std::u16string target = platform::Utf8ToWide(converted);
  if (target.size() != 1) return 0;
  std::string bytes = platform::FromWide(target, to, &replaced);
  if (replaced || bytes.size() != 2) return 0;
  return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[0]) << 8) |
                                    static_cast<unsigned char>(bytes[1]));
}

char Hex(unsigned v) { return "0123456789ABCDEF"[v & 15]; }

}  // namespace

namespace {

// The conversions opened so far; closed when the process ends.
class OpenConversions {
 public:
  ~OpenConversions() {
    for (auto& [name, od] : open_) opencc_close(od);
  }
  opencc_t Get(const char* config) {
    auto it = open_.find(config);
    if (it != open_.end()) return it->second;
    opencc_t od = opencc_open(config);
    if (od == reinterpret_cast<opencc_t>(-1))
      throw std::runtime_error(std::string("cannot open the character conversion ") + config);
    return open_.emplace(config, od).first->second;
  }

 private:
  std::map<std::string, opencc_t> open_;
};

}  // namespace

std::string ConvertScript(const std::string& utf8, const char* config) {
  static std::mutex mutex;
  static OpenConversions conversions;
  std::lock_guard<std::mutex> lock(mutex);
  char* out = opencc_convert_utf8(conversions.Get(config), utf8.data(), utf8.size());
  if (out == nullptr) return utf8;
  std::string result(out);
  opencc_convert_utf8_free(out);
  return result;
}

bool GbPairAt(int index, unsigned char& lead, unsigned char& trail) {
  if (index < 0) return false;
  if (index <= 8177) {
    lead = static_cast<unsigned char>(0xA1 + index / 94);
    trail = static_cast<unsigned char>(0xA1 + index % 94);
    return (lead <= 0xA9 || lead >= 0xB0);
  }
  if (index <= 14289) {
    lead = static_cast<unsigned char>(0x81 + (index - 8178) / 191);
    trail = static_cast<unsigned char>(0x40 + (index - 8178) % 191);
    return trail != 0x7F;
  }
  if (index <= 22534) {
    lead = static_cast<unsigned char>(0xAA + (index - 14290) / 97);
    trail = static_cast<unsigned char>(0x40 + (index - 14290) % 97);
    return trail != 0x7F;
  }
  if (index <= 22728) {
    lead = static_cast<unsigned char>(0xA8 + (index - 22535) / 97);
    trail = static_cast<unsigned char>(0x40 + (index - 22535) % 97);
    return trail != 0x7F;
  }
  return false;
}

bool Big5PairAt(int index, unsigned char& lead, unsigned char& trail) {
  if (index < 0 || index >= kBig5TableSize) return false;
  lead = static_cast<unsigned char>(0xA1 + index / 157);
  int offset = index % 157;
  trail = static_cast<unsigned char>(offset < 63 ? 0x40 + offset : 0xA1 + (offset - 63));
  return true;
}

LanguageTables BuildLanguageTables() {
  LanguageTables tables;
  tables.big5.resize(kBig5TableSize);
  tables.gb.resize(kGbTableSize);
  unsigned char l = 0, t = 0;
  for (int i = 0; i < kBig5TableSize; ++i)
    if (Big5PairAt(i, l, t)) tables.big5[static_cast<std::size_t>(i)] = MapPair(l, t, 950, 936, "tw2s.json");
  for (int j = 0; j < kGbTableSize; ++j)
    if (GbPairAt(j, l, t)) tables.gb[static_cast<std::size_t>(j)] = MapPair(l, t, 936, 950, "s2tw.json");
  return tables;
}

std::string LanguageFileText(const LanguageTables& tables) {
  std::string out = "[BIG5]\r\n";
  auto entry = [&out](const char* prefix, std::size_t i, std::uint16_t code) {
    out += prefix;
    out += std::to_string(i);
    out += "=$";
    out += Hex(code >> 12);
    out += Hex(code >> 8);
    out += Hex(code >> 4);
    out += Hex(code);
    out += "\r\n";
  };
  for (std::size_t i = 0; i < tables.big5.size(); ++i) entry("BIG5_", i, tables.big5[i]);
  out += "[GB]\r\n";
  for (std::size_t j = 0; j < tables.gb.size(); ++j) entry("GB_", j, tables.gb[j]);
  return out;
}

}  // namespace corvane::tools
