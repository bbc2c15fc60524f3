#include "XmlEncoding.h"

#include "CodePage.h"

namespace platform::xml {

namespace {

enum class Kind { Unknown, Utf16, Latin1, CodePage };

struct Encoding {
  Kind kind = Kind::Unknown;
  unsigned codePage = 0;
};

std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// The encoding names the platform's documents use, with their usual aliases.
// GB2312 is read as code page 936, its superset, as the operating system does.
Encoding Lookup(std::string_view declared) {
  static const struct {
    const char* name;
    Kind kind;
    unsigned codePage;
  } table[] = {
      {"UTF-8", Kind::CodePage, CP_UTF8},        {"UTF8", Kind::CodePage, CP_UTF8},
      {"US-ASCII", Kind::CodePage, CP_UTF8},     {"ASCII", Kind::CodePage, CP_UTF8},
      {"UTF-16", Kind::Utf16, 0},                {"UTF-16LE", Kind::Utf16, 0},
      {"UTF-16BE", Kind::Utf16, 0},              {"UCS-2", Kind::Utf16, 0},
      {"ISO-10646-UCS-2", Kind::Utf16, 0},       {"UNICODE", Kind::Utf16, 0},
      {"GB2312", Kind::CodePage, 936},           {"GBK", Kind::CodePage, 936},
      {"CP936", Kind::CodePage, 936},            {"MS936", Kind::CodePage, 936},
      {"WINDOWS-936", Kind::CodePage, 936},      {"X-GBK", Kind::CodePage, 936},
      {"CSGB2312", Kind::CodePage, 936},         {"EUC-CN", Kind::CodePage, 936},
      {"GB_2312-80", Kind::CodePage, 936},       {"BIG5", Kind::CodePage, 950},
      {"BIG-5", Kind::CodePage, 950},            {"CP950", Kind::CodePage, 950},
      {"MS950", Kind::CodePage, 950},            {"WINDOWS-950", Kind::CodePage, 950},
      {"CSBIG5", Kind::CodePage, 950},           {"X-X-BIG5", Kind::CodePage, 950},
      {"ISO-8859-1", Kind::Latin1, 0},           {"ISO_8859-1", Kind::Latin1, 0},
      {"LATIN1", Kind::Latin1, 0},               {"L1", Kind::Latin1, 0},
      {"CP819", Kind::Latin1, 0},                {"WINDOWS-1252", Kind::CodePage, 1252},
      {"CP1252", Kind::CodePage, 1252},          {"IBM437", Kind::CodePage, 437},
      {"CP437", Kind::CodePage, 437},
  };
  std::string upper = AsciiUpper(declared);
  for (const auto& entry : table)
    if (upper == entry.name) return {entry.kind, entry.codePage};
  return {};
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Checks that UTF-16 text has no unpaired surrogate.
bool ValidUtf16(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

bool DecodeUtf16(std::string_view bytes, bool bigEndian, std::string& utf8, std::string& reason) {
  if (bytes.size() % 2 != 0) {
    reason = "The UTF-16 text ends in the middle of a character.";
    return false;
  }
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
    auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    text.push_back(static_cast<char16_t>((hi << 8) | lo));
  }
  if (!ValidUtf16(text)) {
    reason = "An invalid character was found in the UTF-16 text.";
    return false;
  }
  utf8 = WideToUtf8(text);
  return true;
}

// Characters the code page lacks become character references; markup is
// ASCII and always representable.
std::string EncodeWithReferences(std::u16string_view text, unsigned codePage) {
  bool usedDefault = false;
  std::string bytes = FromWide(text, codePage, &usedDefault);
  if (!usedDefault) return bytes;
  bytes.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::size_t n = 1;
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      n = 2;
    }
    bool lacking = false;
    std::string one = FromWide(text.substr(i, n), codePage, &lacking);
    if (lacking) bytes += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
    else bytes += one;
    i += n - 1;
  }
  return bytes;
}

}  // namespace

std::string DeclaredEncoding(std::string_view text) {
  if (text.substr(0, 5) != "<?xml" || text.size() < 6 || !IsBlank(text[5])) return {};
  std::size_t end = text.find("?>");
  std::string_view decl = text.substr(0, end == std::string_view::npos ? text.size() : end);
  std::size_t pos = 5;
  while (pos < decl.size()) {
    while (pos < decl.size() && IsBlank(decl[pos])) ++pos;
    std::size_t nameStart = pos;
    while (pos < decl.size() && !IsBlank(decl[pos]) && decl[pos] != '=') ++pos;
    std::string_view name = decl.substr(nameStart, pos - nameStart);
    while (pos < decl.size() && IsBlank(decl[pos])) ++pos;
    if (pos >= decl.size() || decl[pos] != '=') return {};
    ++pos;
    while (pos < decl.size() && IsBlank(decl[pos])) ++pos;
    if (pos >= decl.size() || (decl[pos] != '"' && decl[pos] != '\'')) return {};
    char quote = decl[pos++];
    std::size_t close = decl.find(quote, pos);
    if (close == std::string_view::npos) return {};
    if (name == "encoding") return std::string(decl.substr(pos, close - pos));
    pos = close + 1;
  }
  return {};
}

bool DecodeDocumentBytes(std::string_view bytes, std::string& utf8, std::string& reason) {
  utf8.clear();
  reason.clear();
  auto at = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u; };
  bool utf8Mark = at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF;
  if (utf8Mark) bytes.remove_prefix(3);
  else if (at(0) == 0xFF && at(1) == 0xFE && !(at(2) == 0 && at(3) == 0))
    return DecodeUtf16(bytes.substr(2), false, utf8, reason);
  else if (at(0) == 0xFE && at(1) == 0xFF) return DecodeUtf16(bytes.substr(2), true, utf8, reason);
  else if ((at(0) == 0 && at(1) == 0 && at(2) == 0xFE && at(3) == 0xFF) ||
           (at(0) == 0xFF && at(1) == 0xFE && at(2) == 0 && at(3) == 0)) {
    reason = "System does not support the specified encoding: UTF-32.";
    return false;
  } else if (at(0) == '<' && at(1) == 0 && at(2) != 0x100u)
    return DecodeUtf16(bytes, false, utf8, reason);
  else if (at(0) == 0 && at(1) == '<')
    return DecodeUtf16(bytes, true, utf8, reason);

  // A byte-order mark wins over the declaration.
  std::string declared = utf8Mark ? std::string() : DeclaredEncoding(bytes);
  Encoding encoding = declared.empty() ? Encoding{Kind::CodePage, CP_UTF8} : Lookup(declared);
  switch (encoding.kind) {
    case Kind::Unknown:
      reason = "System does not support the specified encoding: " + declared + ".";
      return false;
    case Kind::Utf16:
      reason = "The file declares the encoding " + declared + " but is not written in it.";
      return false;
    case Kind::Latin1: {
      std::u16string text(bytes.begin(), bytes.end());
      for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
      utf8 = WideToUtf8(text);
      return true;
    }
    case Kind::CodePage: {
      bool invalid = false;
      WideString text = ToWide(bytes, encoding.codePage, &invalid);
      if (invalid) {
        reason = "An invalid character was found for the encoding " +
                 (declared.empty() ? std::string("UTF-8") : declared) + ".";
        return false;
      }
      utf8 = WideToUtf8(text);
      return true;
    }
  }
  return false;
}

bool EncodeDocumentText(std::string_view utf8, std::string& bytes, std::string& reason) {
  bytes.clear();
  reason.clear();
  std::string declared = DeclaredEncoding(utf8);
  if (declared.empty()) {
    bytes.assign(utf8);
    return true;
  }
  Encoding encoding = Lookup(declared);
  switch (encoding.kind) {
    case Kind::Unknown:
      reason = "System does not support the specified encoding: " + declared + ".";
      return false;
    case Kind::Utf16: {
      WideString text = Utf8ToWide(utf8);
      bytes.reserve(2 + text.size() * 2);
      bytes += "\xFF\xFE";
      for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
      }
      return true;
    }
    case Kind::Latin1: {
      WideString text = Utf8ToWide(utf8);
      for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
          c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
          ++i;
        }
        if (c < 0x100) bytes.push_back(static_cast<char>(c));
        else bytes += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
      }
      return true;
    }
    case Kind::CodePage:
      if (encoding.codePage == CP_UTF8) bytes.assign(utf8);
      else bytes = EncodeWithReferences(Utf8ToWide(utf8), encoding.codePage);
      return true;
  }
  return false;
}

}  // namespace platform::xml
