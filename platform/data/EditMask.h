// TEditMask: the entry masks of fields and masked edits ("99:99;1; ").
//
// A mask has up to three sections separated by ";": the picture, whether
// literals are kept in the text ("1", the default, or "0"), and the
// character that stands for an empty position (blank "_" by default). In
// the picture:
//   0 digit, required      9 digit or blank      # digit, sign or blank
//   L letter, required     l letter or blank
//   A letter or digit, required                 a letter or digit or blank
//   C any character, required                   c any character or blank
//   >  following letters upper case   <  lower case   <>  no change
//   !  accepted (it only changes how an edit control trims blanks)
//   \  the next character is a literal
//   :  the time separator     /  the date separator
// Every other character is a literal. Letters are ASCII letters; a
// double-byte character counts as one position where "C" or "c" allows
// any character.
//
// Template is the text of an empty entry (literals in their places, the
// blank elsewhere: "  :  " for "99:99;1; "); IsBlank tells whether a
// masked text holds nothing but literals and blanks; Fits checks a text
// kept with its literals against the picture (required positions filled,
// every position of the right kind); Apply lays a text without literals
// into the picture.
#pragma once

#include <vector>

#include "platform/AnsiString.h"

namespace platform {

class TEditMask {
 public:
  explicit TEditMask(const AnsiString& mask);

  bool IsEmpty() const { return positions_.empty(); }
  bool SaveLiterals() const { return saveLiterals_; }
  char BlankChar() const { return blank_; }
  AnsiString Template() const;
  bool IsBlank(const AnsiString& maskedText) const;
  bool Fits(const AnsiString& maskedText) const;
  // The text as the picture shows it (case conversions applied), given the
  // characters of its non-literal positions in order.
  AnsiString Apply(const AnsiString& value) const;
  // The text without its literals (what is stored when literals are not
  // kept), from a masked text.
  AnsiString StripLiterals(const AnsiString& maskedText) const;

 private:
  enum class Kind { Literal, Digit, DigitOpt, DigitSign, Letter, LetterOpt, AlnumReq, AlnumOpt, AnyReq, AnyOpt };
  enum class Case { Keep, Upper, Lower };
  struct Position {
    Kind kind;
    char literal;
    Case letterCase;
  };
  bool Accepts(const Position& p, std::string_view ch) const;

  std::vector<Position> positions_;
  bool saveLiterals_ = true;
  char blank_ = '_';
};

}  // namespace platform
