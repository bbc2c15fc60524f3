// Format: the class library's C-style formatting of texts.
//
// Placeholders: "%" [index ":"] ["-"] [width] ["." precision] type, with
// "*" allowed for index, width and precision (taken from the arguments), and
// the types d u e f g n m p s x (upper case means the same; "%S" is a plain
// text placeholder) and "%%". Precision on d, u and x is a minimum number of
// digits, zero-filled; on s a maximum length in bytes (a double-byte
// character is never cut in half). An index sets the argument the next
// placeholder takes. A negative width from "*" counts as its magnitude, a
// negative precision as 0. u and x show an int as its 32 bits, a 64-bit
// value as its 64 bits; the floating-point types are described at
// FormatFloatPlaceholder (FloatFormat.h).
//
// Format raises EConvertError, as the class library does, when a
// placeholder has no argument ("No argument for format '...'"), an
// argument does not fit its type, the type letter is unknown, the text ends
// inside a placeholder, or a width or precision is above 65535 ("Format
// '...' invalid or incompatible with argument"); the message quotes the
// first 31 bytes of the format. SafeFormat is for texts that come from
// outside the program (server messages): it never raises, leaves a
// placeholder it cannot fill as it stands, and ignores surplus arguments;
// arguments are taken in the same order as by Format (one of the wrong
// type is used up by its placeholder, an index moves on the same way).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "AnsiString.h"
#include "Currency.h"

namespace platform {

// One argument of Format, as the class library's "array of const" holds it.
class FormatArg {
 public:
  enum class Kind { Integer, Int64, Extended, Currency, String, Char, Pointer };

  FormatArg(int v) : kind_(Kind::Integer), int_(v) {}                       // NOLINT
  FormatArg(unsigned v) : kind_(Kind::Int64), int_(v) {}                    // NOLINT
  FormatArg(long v) : kind_(Kind::Int64), int_(v) {}                        // NOLINT
  FormatArg(long long v) : kind_(Kind::Int64), int_(v) {}                   // NOLINT
  FormatArg(double v) : kind_(Kind::Extended), float_(v) {}                 // NOLINT
  FormatArg(Currency v) : kind_(Kind::Currency), int_(v.scaled) {}          // NOLINT
  FormatArg(const AnsiString& v) : kind_(Kind::String), text_(v) {}         // NOLINT
  FormatArg(const char* v) : kind_(Kind::String), text_(v) {}               // NOLINT
  FormatArg(char v) : kind_(Kind::Char), text_(1, v) {}                     // NOLINT
  FormatArg(const void* v)                                                  // NOLINT
      : kind_(Kind::Pointer), int_(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(v))) {}

  Kind kind() const { return kind_; }
  std::int64_t AsInt() const { return int_; }
  double AsFloat() const { return float_; }
  const AnsiString& AsText() const { return text_; }

 private:
  Kind kind_;
  std::int64_t int_ = 0;
  double float_ = 0;
  AnsiString text_;
};

AnsiString Format(const AnsiString& format, std::span<const FormatArg> args);
inline AnsiString Format(const AnsiString& format, std::initializer_list<FormatArg> args) {
  return Format(format, std::span<const FormatArg>(args.begin(), args.size()));
}

AnsiString SafeFormat(const AnsiString& format, std::span<const FormatArg> args) noexcept;
inline AnsiString SafeFormat(const AnsiString& format, std::initializer_list<FormatArg> args) noexcept {
  return SafeFormat(format, std::span<const FormatArg>(args.begin(), args.size()));
}

}  // namespace platform
