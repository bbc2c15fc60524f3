#include "IniFile.h"

#include "Exceptions.h"
#include "IniText.h"
#include "Paths.h"

namespace platform {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return SameText(AnsiString::FromBytes(a), AnsiString::FromBytes(b));
}

std::vector<ini::Line> Load(const AnsiString& fileName) {
  std::string bytes;
  if (!ReadFileBytes(fileName, bytes)) return {};
  return ini::Parse(bytes);
}

void Store(const AnsiString& fileName, const std::vector<ini::Line>& lines) {
  if (!WriteFileBytes(fileName, ini::Serialize(lines)))
    throw EIniFileException("Unable to write to " + fileName);
}

const ini::Line* FindKey(const std::vector<ini::Line>& lines, const AnsiString& section,
                         const AnsiString& ident) {
  ini::Range r = ini::FindSection(lines, section.View(), SameName);
  if (r.begin == ini::npos) return nullptr;
  for (std::size_t i = r.begin; i < r.end; ++i)
    if (lines[i].kind == ini::Line::Kind::Key && SameName(lines[i].name, ident.View())) return &lines[i];
  return nullptr;
}

bool ParseInteger(const std::string& text, int& value) {
  if (text.empty()) return false;
  std::size_t i = 0;
  bool negative = false;
  if (text[0] == '-' || text[0] == '+') {
    negative = text[0] == '-';
    i = 1;
  }
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  long long v = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFLL) return false;
  }
  if (negative) v = -v;
  if (base == 10 && (v > 2147483647LL || v < -2147483648LL)) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& ident,
                                const AnsiString& defaultValue) const {
  auto lines = Load(fileName_);
  const ini::Line* line = FindKey(lines, section, ident);
  return line ? AnsiString::FromBytes(line->value) : defaultValue;
}

int TIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int defaultValue) const {
  auto lines = Load(fileName_);
  const ini::Line* line = FindKey(lines, section, ident);
  int value = 0;
  return line && ParseInteger(line->value, value) ? value : defaultValue;
}

bool TIniFile::ReadBool(const AnsiString& section, const AnsiString& ident, bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(const AnsiString& section) const {
  auto lines = Load(fileName_);
  return ini::FindSection(lines, section.View(), SameName).begin != ini::npos;
}

bool TIniFile::ValueExists(const AnsiString& section, const AnsiString& ident) const {
  auto lines = Load(fileName_);
  return FindKey(lines, section, ident) != nullptr;
}

void TIniFile::ReadSection(const AnsiString& section, TStringList& keys) const {
  keys.Clear();
  auto lines = Load(fileName_);
  ini::Range r = ini::FindSection(lines, section.View(), SameName);
  if (r.begin == ini::npos) return;
  for (std::size_t i = r.begin; i < r.end; ++i)
    if (lines[i].kind == ini::Line::Kind::Key) keys.Add(AnsiString::FromBytes(lines[i].name));
}

void TIniFile::ReadSectionValues(const AnsiString& section, TStringList& out) const {
  out.Clear();
  auto lines = Load(fileName_);
  ini::Range r = ini::FindSection(lines, section.View(), SameName);
  if (r.begin == ini::npos) return;
  for (std::size_t i = r.begin; i < r.end; ++i)
    if (lines[i].kind == ini::Line::Kind::Key)
      out.Add(AnsiString::FromBytes(lines[i].name + "=" + lines[i].value));
}

void TIniFile::ReadSections(TStringList& sections) const {
  sections.Clear();
  for (const auto& line : Load(fileName_))
    if (line.kind == ini::Line::Kind::Section) sections.Add(AnsiString::FromBytes(line.name));
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) {
  // A line break would end the line and smuggle further keys into the file.
  for (const AnsiString* part : {&section, &ident, &value})
    if (part->Bytes().find_first_of("\r\n") != std::string::npos)
      throw EIniFileException("Unable to write to " + fileName_ + ": a line break in a name or value");
  if (Trim(ident).IsEmpty() || ident.Pos("=") != 0 || section.Pos("]") != 0)
    throw EIniFileException("Unable to write to " + fileName_ + ": invalid name");
  auto lines = Load(fileName_);
  ini::Line entry;
  entry.kind = ini::Line::Kind::Key;
  entry.name = Trim(ident).Bytes();
  entry.value = value.Bytes();
  entry.raw = entry.name + "=" + ini::QuoteValue(entry.value);
  ini::Range r = ini::FindSection(lines, section.View(), SameName);
  if (r.begin == ini::npos) {
    if (!lines.empty() && !lines.back().raw.empty()) lines.push_back(ini::Line{});
    ini::Line header;
    header.kind = ini::Line::Kind::Section;
    header.name = section.Bytes();
    header.raw = "[" + section.Bytes() + "]";
    lines.push_back(header);
    lines.push_back(entry);
  } else {
    bool replaced = false;
    std::size_t lastKey = r.header;
    for (std::size_t i = r.begin; i < r.end; ++i) {
      if (lines[i].kind != ini::Line::Kind::Key) continue;
      lastKey = i;
      if (SameName(lines[i].name, ident.View())) {
        lines[i] = entry;
        replaced = true;
        break;
      }
    }
    if (!replaced) lines.insert(lines.begin() + static_cast<long>(lastKey + 1), entry);
  }
  Store(fileName_, lines);
}

void TIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
  WriteString(section, ident, AnsiString(std::to_string(value).c_str()));
}

void TIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident) {
  auto lines = Load(fileName_);
  ini::Range r = ini::FindSection(lines, section.View(), SameName);
  if (r.begin == ini::npos) return;
  for (std::size_t i = r.begin; i < r.end; ++i) {
    if (lines[i].kind == ini::Line::Kind::Key && SameName(lines[i].name, ident.View())) {
      lines.erase(lines.begin() + static_cast<long>(i));
      Store(fileName_, lines);
      return;
    }
  }
}

void TIniFile::EraseSection(const AnsiString& section) {
  auto lines = Load(fileName_);
  ini::Range r = ini::FindSection(lines, section.View(), SameName);
  if (r.begin == ini::npos) return;
  lines.erase(lines.begin() + static_cast<long>(r.header), lines.begin() + static_cast<long>(r.end));
  Store(fileName_, lines);
}

}  // namespace platform
