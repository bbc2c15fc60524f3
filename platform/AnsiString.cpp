#include "AnsiString.h"

#include <cassert>
#include <ostream>

namespace platform {

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// 0-based index of needle in hay at a character boundary, from a boundary
// `from`; npos when absent.
std::size_t FindAtBoundary(std::string_view hay, std::string_view needle, std::size_t from,
                           bool ignoreCase) {
  if (needle.empty() || needle.size() > hay.size()) return std::string_view::npos;
  unsigned cp = ProcessCodePage();
  std::size_t i = from;
  while (i + needle.size() <= hay.size()) {
    bool match = true;
    for (std::size_t k = 0; k < needle.size(); ++k) {
      char a = hay[i + k], b = needle[k];
      if (ignoreCase ? AsciiUpper(a) != AsciiUpper(b) : a != b) {
        match = false;
        break;
      }
    }
    if (match) return i;
    i += CharLength(cp, hay, i);
  }
  return std::string_view::npos;
}

}  // namespace

AnsiString AnsiString::FromWide(std::u16string_view text) {
  return AnsiString(platform::FromWide(text, CP_ACP));
}

AnsiString AnsiString::FromUtf8(std::string_view utf8) { return FromWide(Utf8ToWide(utf8)); }

char AnsiString::operator[](std::size_t i) const {
  assert(i >= 1 && i <= bytes_.size());
  return bytes_[i - 1];
}

WideString AnsiString::ToWide() const { return platform::ToWide(bytes_, CP_ACP); }

std::string AnsiString::ToUtf8() const { return WideToUtf8(ToWide()); }

std::size_t AnsiString::Pos(const AnsiString& needle, std::size_t from) const {
  if (from < 1) from = 1;
  // Move `from` to the character boundary at or after it.
  unsigned cp = ProcessCodePage();
  std::size_t start = 0;
  while (start < from - 1 && start < bytes_.size()) start += CharLength(cp, bytes_, start);
  std::size_t at = FindAtBoundary(bytes_, needle.bytes_, start, false);
  return at == std::string_view::npos ? 0 : at + 1;
}

AnsiString AnsiString::SubString(std::size_t start, std::size_t count) const {
  if (start < 1) start = 1;
  if (start > bytes_.size()) return {};
  return AnsiString(bytes_.substr(start - 1, count));
}

bool AnsiString::IsLeadByteAt(std::size_t i) const {
  if (i < 1 || i >= bytes_.size()) return false;
  unsigned cp = ProcessCodePage();
  std::size_t k = 0;
  while (k < i - 1) k += CharLength(cp, bytes_, k);
  return k == i - 1 && CharLength(cp, bytes_, k) == 2;
}

AnsiString AnsiString::Truncated(std::size_t n) const {
  if (bytes_.size() <= n) return *this;
  unsigned cp = ProcessCodePage();
  std::size_t k = 0;
  while (k < n) {
    std::size_t len = CharLength(cp, bytes_, k);
    if (k + len > n) break;
    k += len;
  }
  return AnsiString(bytes_.substr(0, k));
}

std::ostream& operator<<(std::ostream& os, const AnsiString& s) {
  return os << '"' << s.ToUtf8() << "\" (cp" << ProcessCodePage() << ')';
}

AnsiString UpperCase(const AnsiString& s) {
  // Trail bytes of double-byte characters may be ASCII letters: only
  // single-byte characters are changed.
  std::string out = s.Bytes();
  unsigned cp = ProcessCodePage();
  for (std::size_t i = 0; i < out.size();) {
    std::size_t len = CharLength(cp, out, i);
    if (len == 1) out[i] = AsciiUpper(out[i]);
    i += len;
  }
  return AnsiString::FromBytes(out);
}

AnsiString LowerCase(const AnsiString& s) {
  std::string out = s.Bytes();
  unsigned cp = ProcessCodePage();
  for (std::size_t i = 0; i < out.size();) {
    std::size_t len = CharLength(cp, out, i);
    if (len == 1) out[i] = AsciiLower(out[i]);
    i += len;
  }
  return AnsiString::FromBytes(out);
}

int CompareText(const AnsiString& a, const AnsiString& b) {
  AnsiString x = UpperCase(a);
  AnsiString y = UpperCase(b);
  int c = x.Bytes().compare(y.Bytes());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool SameText(const AnsiString& a, const AnsiString& b) {
  return a.Length() == b.Length() && CompareText(a, b) == 0;
}

int CompareStr(const AnsiString& a, const AnsiString& b) {
  int c = a.Bytes().compare(b.Bytes());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

AnsiString Trim(const AnsiString& s) { return TrimRight(TrimLeft(s)); }

AnsiString TrimLeft(const AnsiString& s) {
  const std::string& b = s.Bytes();
  std::size_t i = 0;
  while (i < b.size() && IsBlank(b[i])) ++i;
  return AnsiString::FromBytes(std::string_view(b).substr(i));
}

AnsiString TrimRight(const AnsiString& s) {
  // A trail byte is never <= ' ' in the double-byte pages, so trimming from
  // the right cannot split a character.
  const std::string& b = s.Bytes();
  std::size_t n = b.size();
  while (n > 0 && IsBlank(b[n - 1])) --n;
  return AnsiString::FromBytes(std::string_view(b).substr(0, n));
}

AnsiString StringReplaceAll(const AnsiString& s, const AnsiString& old, const AnsiString& with,
                            bool ignoreCase) {
  if (old.IsEmpty()) return s;
  std::string_view hay = s.View();
  std::string out;
  std::size_t pos = 0;
  for (;;) {
    std::size_t at = FindAtBoundary(hay, old.View(), pos, ignoreCase);
    if (at == std::string_view::npos) break;
    out.append(hay.substr(pos, at - pos));
    out.append(with.Bytes());
    pos = at + old.Length();
  }
  out.append(hay.substr(pos));
  return AnsiString::FromBytes(out);
}

bool StartsText(const AnsiString& prefix, const AnsiString& s) {
  return prefix.Length() <= s.Length() && SameText(s.SubString(1, prefix.Length()), prefix);
}

bool EndsText(const AnsiString& suffix, const AnsiString& s) {
  return suffix.Length() <= s.Length() &&
         SameText(s.SubString(s.Length() - suffix.Length() + 1, suffix.Length()), suffix);
}

}  // namespace platform
