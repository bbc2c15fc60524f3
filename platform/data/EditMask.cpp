#include "platform/data/EditMask.h"

#include "platform/CodePage.h"
#include "platform/DateTime.h"

namespace platform {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The characters of a text, each one or two bytes.
std::vector<std::string_view> Characters(const AnsiString& text) {
  std::vector<std::string_view> out;
  std::string_view s = text.View();
  unsigned cp = ProcessCodePage();
  for (std::size_t i = 0; i < s.size();) {
    std::size_t n = CharLength(cp, s, i);
    out.push_back(s.substr(i, n));
    i += n;
  }
  return out;
}

}  // namespace

TEditMask::TEditMask(const AnsiString& mask) {
  std::string_view s = mask.View();
  Case letterCase = Case::Keep;
  std::size_t i = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c == ';') break;
    switch (c) {
      case '\\':
        if (i + 1 < s.size()) positions_.push_back({Kind::Literal, s[++i], letterCase});
        break;
      case '>':
        letterCase = Case::Upper;
        break;
      case '<':
        if (i + 1 < s.size() && s[i + 1] == '>') {
          letterCase = Case::Keep;
          ++i;
        } else {
          letterCase = Case::Lower;
        }
        break;
      case '!': break;
      case '0': positions_.push_back({Kind::Digit, 0, letterCase}); break;
      case '9': positions_.push_back({Kind::DigitOpt, 0, letterCase}); break;
      case '#': positions_.push_back({Kind::DigitSign, 0, letterCase}); break;
      case 'L': positions_.push_back({Kind::Letter, 0, letterCase}); break;
      case 'l': positions_.push_back({Kind::LetterOpt, 0, letterCase}); break;
      case 'A': positions_.push_back({Kind::AlnumReq, 0, letterCase}); break;
      case 'a': positions_.push_back({Kind::AlnumOpt, 0, letterCase}); break;
      case 'C': positions_.push_back({Kind::AnyReq, 0, letterCase}); break;
      case 'c': positions_.push_back({Kind::AnyOpt, 0, letterCase}); break;
      case ':': positions_.push_back({Kind::Literal, FormatSettings().TimeSeparator, letterCase}); break;
      case '/': positions_.push_back({Kind::Literal, FormatSettings().DateSeparator, letterCase}); break;
      default: positions_.push_back({Kind::Literal, c, letterCase}); break;
    }
  }
  // ";1; " : literals kept, blank character.
  if (i < s.size() && s[i] == ';') {
    ++i;
    if (i < s.size() && s[i] != ';') saveLiterals_ = s[i++] != '0';
    if (i < s.size() && s[i] == ';') {
      ++i;
      if (i < s.size()) blank_ = s[i];
    }
  }
}

AnsiString TEditMask::Template() const {
  AnsiString out;
  for (const Position& p : positions_) out += p.kind == Kind::Literal ? p.literal : blank_;
  return out;
}

bool TEditMask::Accepts(const Position& p, std::string_view ch) const {
  bool blank = ch.empty() || (ch.size() == 1 && (ch[0] == blank_ || ch[0] == ' '));
  char c = ch.size() == 1 ? ch[0] : '\0';
  switch (p.kind) {
    case Kind::Literal: return ch.size() == 1 && c == p.literal;
    case Kind::Digit: return ch.size() == 1 && IsDigit(c);
    case Kind::DigitOpt: return blank || (ch.size() == 1 && IsDigit(c));
    case Kind::DigitSign: return blank || (ch.size() == 1 && (IsDigit(c) || c == '+' || c == '-'));
    case Kind::Letter: return ch.size() == 1 && IsLetter(c);
    case Kind::LetterOpt: return blank || (ch.size() == 1 && IsLetter(c));
    case Kind::AlnumReq: return ch.size() == 1 && (IsLetter(c) || IsDigit(c));
    case Kind::AlnumOpt: return blank || (ch.size() == 1 && (IsLetter(c) || IsDigit(c)));
    case Kind::AnyReq: return !blank;
    case Kind::AnyOpt: return true;
  }
  return false;
}

bool TEditMask::IsBlank(const AnsiString& maskedText) const {
  std::vector<std::string_view> chars = Characters(maskedText);
  for (std::size_t i = 0; i < chars.size(); ++i) {
    if (i < positions_.size() && positions_[i].kind == Kind::Literal) continue;
    if (!(chars[i].size() == 1 && (chars[i][0] == blank_ || chars[i][0] == ' '))) return false;
  }
  return true;
}

bool TEditMask::Fits(const AnsiString& maskedText) const {
  if (positions_.empty()) return true;
  std::vector<std::string_view> chars = Characters(maskedText);
  if (chars.size() > positions_.size()) return false;
  for (std::size_t i = 0; i < positions_.size(); ++i) {
    std::string_view ch = i < chars.size() ? chars[i] : std::string_view();
    if (positions_[i].kind == Kind::Literal && ch.empty()) continue;
    if (!Accepts(positions_[i], ch)) return false;
  }
  return true;
}

AnsiString TEditMask::Apply(const AnsiString& value) const {
  std::vector<std::string_view> chars = Characters(value);
  std::size_t next = 0;
  AnsiString out;
  for (const Position& p : positions_) {
    if (p.kind == Kind::Literal) {
      out += p.literal;
      continue;
    }
    if (next >= chars.size()) {
      out += blank_;
      continue;
    }
    std::string_view ch = chars[next++];
    if (ch.size() == 1 && p.letterCase != Case::Keep && IsLetter(ch[0])) {
      char c = ch[0];
      if (p.letterCase == Case::Upper && c >= 'a') c = static_cast<char>(c - 32);
      if (p.letterCase == Case::Lower && c <= 'Z') c = static_cast<char>(c + 32);
      out += c;
    } else {
      out += AnsiString(ch.data(), ch.size());
    }
  }
  return out;
}

AnsiString TEditMask::StripLiterals(const AnsiString& maskedText) const {
  std::vector<std::string_view> chars = Characters(maskedText);
  AnsiString out;
  for (std::size_t i = 0; i < chars.size(); ++i)
    if (i >= positions_.size() || positions_[i].kind != Kind::Literal) out += AnsiString(chars[i].data(), chars[i].size());
  return out;
}

}  // namespace platform
