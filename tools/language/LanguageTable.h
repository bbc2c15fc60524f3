// Builds the character mapping file "Language" of an installation from the
// code pages and the simplified/traditional character conversion.
//
// The file lists a [BIG5] section with one entry per BIG5 position (lead
// bytes 0xA1-0xFE, 157 trail bytes each) holding the GB code of that
// character, then a [GB] section with one entry per GB position (22729,
// covering the GB 2312 area and the three extension areas) holding the BIG5
// code. Values are "$" and four upper-case hexadecimal digits; 0000 marks a
// character without mapping.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::tools {

// Converts UTF-8 text with one of the OpenCC configurations ("s2tw.json",
// "tw2s.json"). Opened once per process.
std::string ConvertScript(const std::string& utf8, const char* config);

struct LanguageTables {
  std::vector<std::uint16_t> big5;  // GB code per BIG5 position
  std::vector<std::uint16_t> gb;    // BIG5 code per GB position
};

LanguageTables BuildLanguageTables();
std::string LanguageFileText(const LanguageTables& tables);

// The pair at a table position (inverse of the position rules).
bool GbPairAt(int index, unsigned char& lead, unsigned char& trail);
bool Big5PairAt(int index, unsigned char& lead, unsigned char& trail);

constexpr int kGbTableSize = 22729;
constexpr int kBig5TableSize = 157 * 94;

}  // namespace corvane::tools
