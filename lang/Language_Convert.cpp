#include "Language_Convert.h"

#include "kernel/CorvaneINI.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/StringList.h"

using platform::AnsiString;

namespace kv {

namespace {

CharTablesState g_tables;

std::uint16_t ParseCode(const AnsiString& value) {
  // Characters 2 to 5 of the value: four hexadecimal digits in capitals.
  if (value.Length() < 5) throw platform::EConvertError("'" + value + "' is not a valid integer value");
  unsigned code = 0;
  for (std::size_t i = 2; i <= 5; ++i) {
    char c = value[i];
    unsigned d;
    if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
    else if (c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
    else throw platform::EConvertError("'" + value.SubString(2, 4) + "' is not a valid integer value");
    code = code * 16 + d;
  }
  return static_cast<std::uint16_t>(code);
}

bool GbPair(const std::string& s, std::size_t i) {
  return i + 1 < s.size() && static_cast<unsigned char>(s[i]) >= 0x81 &&
         static_cast<unsigned char>(s[i + 1]) != 0x7F;
}

bool Big5Pair(const std::string& s, std::size_t i) {
  if (i + 1 >= s.size()) return false;
  unsigned char l = static_cast<unsigned char>(s[i]);
  unsigned char t = static_cast<unsigned char>(s[i + 1]);
  return l >= 0x80 && ((t >= 0x40 && t <= 0x7E) || (t >= 0xA1 && t <= 0xFE));
}

// One character through the code pages: read in `from`, written in `to`.
std::string ThroughCodePages(std::string_view pair, unsigned from, unsigned to) {
  return platform::FromWide(platform::ToWide(pair, from), to);
}

void AppendCode(std::string& out, std::uint16_t code) {
  out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

}  // namespace

int GbIndex(unsigned char l, unsigned char t) {
  if (((l >= 0xA1 && l <= 0xA9) || (l >= 0xB0 && l <= 0xF7)) && t >= 0xA1 && t <= 0xFE)
    return 94 * (l - 0xA1) + (t - 0xA1);
  if (l >= 0x81 && l <= 0xA0 && t >= 0x40 && t <= 0xFE) return 8178 + 191 * (l - 0x81) + (t - 0x40);
  if (l >= 0xAA && l <= 0xFE && t >= 0x40 && t <= 0xA0) return 14290 + 97 * (l - 0xAA) + (t - 0x40);
  if (l >= 0xA8 && l <= 0xA9 && t >= 0x40 && t <= 0xA0) return 22535 + 97 * (l - 0xA8) + (t - 0x40);
  return -1;
}

int Big5Index(unsigned char l, unsigned char t) {
  int r = static_cast<int>(l) - 0xA1;
  if (t >= 0x40 && t <= 0x7E) return 157 * r + (t - 0x40);
  if (t >= 0xA1 && t <= 0xFE) return 157 * r + 63 + (t - 0xA1);
  return -1;
}

void LoadCharTables() {
  AnsiString folder = TCorvaneIniC().ClientPath;
  if (!platform::FileExists(folder + "Language")) {
    folder = platform::ExtractFilePath(platform::ExecutablePath());
    folder = platform::IncludeTrailingPathDelimiter(folder);
    if (!platform::FileExists(folder + "Language")) {
      platform::ShowMessage("Can't find file Language !!");
      return;
    }
  }
  std::string bytes;
  if (!platform::ReadFileBytes(folder + "Language", bytes))
    throw platform::EInOutError("Cannot read " + folder + "Language", 5);
  platform::TStringList lines;
  lines.SetText(AnsiString::FromBytes(bytes));

  std::vector<AnsiString> values;
  std::size_t big5Lines = 0, gbLines = 0;
  for (int i = 0; i < lines.Count(); ++i) {
    const AnsiString& line = lines[i];
    if (line.SubString(1, 1) == "[" || platform::Trim(line).IsEmpty()) continue;
    if (line.SubString(1, 4) == "BIG5") ++big5Lines;
    if (line.SubString(1, 2) == "GB") ++gbLines;
    std::size_t eq = line.Pos("=");
    values.push_back(eq == 0 ? AnsiString() : line.Mid(eq + 1));
  }
  CharTablesState tables;
  std::size_t k = 0;
  for (; k < values.size() && k < big5Lines; ++k) tables.big5.push_back(ParseCode(values[k]));
  for (; k < values.size() && k < big5Lines + gbLines; ++k) tables.gb.push_back(ParseCode(values[k]));
  tables.folder = folder;
  tables.loaded = true;
  g_tables = std::move(tables);
}

const CharTablesState& CharTables() { return g_tables; }

void ResetCharTables() { g_tables = CharTablesState(); }

AnsiString GbToBig5Text(const AnsiString& text) {
  if (!g_tables.loaded) LoadCharTables();
  const std::string& s = text.Bytes();
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    unsigned char l = static_cast<unsigned char>(s[i]);
    if (l == 0x80) {  // the euro sign of 936 is 0xA3 0xE1 in 950
      out += "\xA3\xE1";
      ++i;
      continue;
    }
    if (GbPair(s, i)) {
      int index = GbIndex(l, static_cast<unsigned char>(s[i + 1]));
      std::uint16_t code = 0;
      if (index >= 0 && static_cast<std::size_t>(index) < g_tables.gb.size())
        code = g_tables.gb[static_cast<std::size_t>(index)];
      if (code != 0) AppendCode(out, code);
      else out += ThroughCodePages(std::string_view(s).substr(i, 2), 936, 950);
      i += 2;
      continue;
    }
    out.push_back(s[i]);
    ++i;
  }
  return AnsiString::FromBytes(out);
}

AnsiString Big5ToGbText(const AnsiString& text) {
  if (!g_tables.loaded) LoadCharTables();
  const std::string& s = text.Bytes();
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (Big5Pair(s, i)) {
      unsigned char l = static_cast<unsigned char>(s[i]);
      unsigned char t = static_cast<unsigned char>(s[i + 1]);
      if (l == 0xA3 && t == 0xE1) {
        out.push_back('\x80');
      } else {
        int index = Big5Index(l, t);
        std::uint16_t code = 0;
        if (index >= 0 && static_cast<std::size_t>(index) < g_tables.big5.size())
          code = g_tables.big5[static_cast<std::size_t>(index)];
        if (code != 0) AppendCode(out, code);
        else out += ThroughCodePages(std::string_view(s).substr(i, 2), 950, 936);
      }
      i += 2;
      continue;
    }
    out.push_back(s[i]);
    ++i;
  }
  return AnsiString::FromBytes(out);
}

}  // namespace kv
