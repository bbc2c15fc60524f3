// AnsiString: text as bytes in the process ANSI code page.
//
// The module's texts are byte strings, as on the platform it was written
// for: Chinese characters take two bytes, lengths and positions count
// bytes, and every search steps over double-byte characters by the
// lead-byte ranges of the process code page. AnsiString is a value type of
// its own so that such bytes are never mistaken for UTF-8: it converts to
// and from other text only through the named functions below.
//
// Positions taken and returned by Pos and SubString are 1-based, as in the
// class library (0 means "not found").
#pragma once

#include <compare>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

#include "CodePage.h"

namespace platform {

class AnsiString {
 public:
  AnsiString() = default;
  // From bytes already in the process code page: program literals (ASCII
  // in the platform; code page 936 in the module, see docs/architecture.md).
  AnsiString(const char* bytes) : bytes_(bytes ? bytes : "") {}  // NOLINT: literals are text
  AnsiString(const char* bytes, std::size_t n) : bytes_(bytes, n) {}
  AnsiString(std::size_t count, char c) : bytes_(count, c) {}

  static AnsiString FromBytes(std::string_view bytes) { return AnsiString(std::string(bytes)); }
  // Narrows wide text in the process code page (the implicit conversion of
  // the class library).
  static AnsiString FromWide(std::u16string_view text);
  // From UTF-8 (file names read from the operating system, tests).
  static AnsiString FromUtf8(std::string_view utf8);

  const std::string& Bytes() const { return bytes_; }
  std::string& MutableBytes() { return bytes_; }
  const char* c_str() const { return bytes_.c_str(); }
  std::string_view View() const { return bytes_; }
  std::size_t Length() const { return bytes_.size(); }
  bool IsEmpty() const { return bytes_.empty(); }
  // Byte at 1-based position i (no range check beyond an assertion).
  char operator[](std::size_t i) const;
  unsigned char ByteAt(std::size_t i) const { return static_cast<unsigned char>(bytes_[i - 1]); }

  WideString ToWide() const;       // widened in the process code page
  std::string ToUtf8() const;      // for the operating system and test output

  AnsiString& operator+=(const AnsiString& other) {
    bytes_ += other.bytes_;
    return *this;
  }
  AnsiString& operator+=(char c) {
    bytes_ += c;
    return *this;
  }
  friend AnsiString operator+(AnsiString a, const AnsiString& b) { return a += b; }
  friend AnsiString operator+(AnsiString a, const char* b) { return a += AnsiString(b); }
  friend AnsiString operator+(const char* a, const AnsiString& b) { return AnsiString(a) += b; }
  friend AnsiString operator+(AnsiString a, char c) { return a += c; }

  friend bool operator==(const AnsiString& a, const AnsiString& b) { return a.bytes_ == b.bytes_; }
  friend bool operator==(const AnsiString& a, const char* b) { return a.bytes_ == (b ? b : ""); }
  friend std::strong_ordering operator<=>(const AnsiString& a, const AnsiString& b) {
    return a.bytes_.compare(b.bytes_) <=> 0;
  }

  // 1-based position of the first occurrence of needle at a character
  // boundary at or after `from`; 0 when absent or when needle is empty.
  std::size_t Pos(const AnsiString& needle, std::size_t from = 1) const;
  // count bytes from the 1-based position start (clamped, like Copy).
  AnsiString SubString(std::size_t start, std::size_t count) const;
  // Bytes from the 1-based position start to the end.
  AnsiString Mid(std::size_t start) const { return SubString(start, npos); }
  // True when the byte at 1-based position i is the first byte of a
  // double-byte character that is complete in this text.
  bool IsLeadByteAt(std::size_t i) const;
  // Cuts to at most n bytes without splitting a double-byte character.
  AnsiString Truncated(std::size_t n) const;

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  explicit AnsiString(std::string bytes) : bytes_(std::move(bytes)) {}
  std::string bytes_;
};

// Prints as UTF-8 with the code page, so test failures are readable.
std::ostream& operator<<(std::ostream& os, const AnsiString& s);

// Case handling changes ASCII letters only; comparisons are byte-wise.
AnsiString UpperCase(const AnsiString& s);
AnsiString LowerCase(const AnsiString& s);
bool SameText(const AnsiString& a, const AnsiString& b);
int CompareText(const AnsiString& a, const AnsiString& b);
int CompareStr(const AnsiString& a, const AnsiString& b);

// Removes leading and/or trailing bytes up to and including the blank
// (blanks and control characters).
AnsiString Trim(const AnsiString& s);
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);

// Class-library Pos and Copy on 1-based positions.
inline std::size_t Pos(const AnsiString& needle, const AnsiString& s) { return s.Pos(needle); }
inline AnsiString Copy(const AnsiString& s, std::size_t start, std::size_t count) {
  return s.SubString(start, count);
}

// Replaces every occurrence of old at character boundaries, left to right,
// never rescanning replaced text; an empty old changes nothing.
AnsiString StringReplaceAll(const AnsiString& s, const AnsiString& old, const AnsiString& with,
                            bool ignoreCase = false);

bool StartsText(const AnsiString& prefix, const AnsiString& s);  // ASCII case-insensitive
bool EndsText(const AnsiString& suffix, const AnsiString& s);

}  // namespace platform

template <>
struct std::hash<platform::AnsiString> {
  std::size_t operator()(const platform::AnsiString& s) const noexcept {
    return std::hash<std::string>()(s.Bytes());
  }
};
