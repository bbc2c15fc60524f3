// Private to the platform: the parsed form of an INI text, shared by
// TIniFile (bytes in the process code page) and the registry stand-in
// (UTF-8). The parser looks only at bytes below 0x80 that cannot be trail
// bytes of a double-byte character ("=", blanks) or that sit at fixed places
// ("[" first, "]" last), so it needs no code page; name comparison is the
// caller's.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ini {

struct Line {
  enum class Kind { Other, Section, Key } kind = Kind::Other;
  std::string raw;    // the line as in the file, without its line break
  std::string name;   // section name or key
  std::string value;  // key value, trimmed and unquoted
};

using SameName = std::function<bool(std::string_view, std::string_view)>;

std::vector<Line> Parse(std::string_view text);
std::string Serialize(const std::vector<Line>& lines);
std::string QuoteValue(std::string_view value);

// Index range [begin, end) of the section's lines after its header; begin
// is npos when the section is absent.
struct Range {
  std::size_t header;
  std::size_t begin;
  std::size_t end;
};
constexpr std::size_t npos = static_cast<std::size_t>(-1);
Range FindSection(const std::vector<Line>& lines, std::string_view section, const SameName& same);

bool AsciiSame(std::string_view a, std::string_view b);

}  // namespace platform::ini
