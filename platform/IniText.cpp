#include "IniText.h"

namespace platform::ini {

namespace {

std::string_view TrimView(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

bool AsciiSame(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::vector<Line> Parse(std::string_view text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    Line line;
    line.raw = std::string(text.substr(start, end - start));
    std::string_view t = TrimView(line.raw);
    if (!t.empty() && t.front() == '[') {
      std::size_t close = t.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        line.kind = Line::Kind::Section;
        line.name = std::string(TrimView(t.substr(1, close - 1)));
      }
    } else if (!t.empty() && t.front() != ';') {
      std::size_t eq = t.find('=');
      if (eq != std::string_view::npos) {
        std::string_view key = TrimView(t.substr(0, eq));
        if (!key.empty()) {
          line.kind = Line::Kind::Key;
          line.name = std::string(key);
          std::string_view value = TrimView(t.substr(eq + 1));
          if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
          line.value = std::string(value);
        }
      }
    }
    lines.push_back(std::move(line));
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

std::string Serialize(const std::vector<Line>& lines) {
  std::string out;
  for (const Line& line : lines) {
    out += line.raw;
    out += "\r\n";
  }
  return out;
}

std::string QuoteValue(std::string_view value) {
  bool needs = !value.empty() &&
               (static_cast<unsigned char>(value.front()) <= ' ' ||
                static_cast<unsigned char>(value.back()) <= ' ' ||
                (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
  return needs ? "\"" + std::string(value) + "\"" : std::string(value);
}

Range FindSection(const std::vector<Line>& lines, std::string_view section, const SameName& same) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind == Line::Kind::Section && same(lines[i].name, section)) {
      std::size_t end = i + 1;
      while (end < lines.size() && lines[end].kind != Line::Kind::Section) ++end;
      return {i, i + 1, end};
    }
  }
  return {npos, npos, npos};
}

}  // namespace platform::ini
