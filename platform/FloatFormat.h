// Numbers to text and back, by the class library's rules. The decimal
// separator is always "." and there is no locale: results never depend on
// the environment.
#pragma once

#include <cstdint>

#include "AnsiString.h"
#include "Currency.h"

namespace platform {

// Picture formatting: "#" optional digit, "0" required digit, "," anywhere
// in the integer part groups thousands, the first "." is the decimal point,
// "E+" / "E-" / "e+" / "e-" scientific, texts in quotes literal, ";"
// separates the positive, negative and zero sections. Rounds half away from
// zero. An empty format gives FloatToStr.
//
// The value is first written with 17 significant digits (every digit a
// double holds) and that text is rounded to the format's decimals, so
// 2.675 (binary 2.67499999999999982...) gives "2.67" with "0.00". The
// decimal point is written only before a fraction digit ("#,##0." gives
// "1,235"). An empty negative or zero section means the first one; an
// empty first section, and values of 1E17 and more in a fixed-point
// section, give FloatToStr. NaN and infinities give "NAN", "INF", "-INF".
AnsiString FormatFloat(const AnsiString& format, double value);

// The shortest general form with 15 significant digits ("5", "5.5",
// "1E15", "1E-5"): scientific when the decimal exponent is 15 or more, or
// when the value is below 0.0001.
AnsiString FloatToStr(double value);
// The exact decimal text of a currency value ("1234.5", "-0.0001").
AnsiString CurrToStr(Currency value);

// The conversions of Format's floating-point placeholders (Format.h):
// type is one of e f g n m (lower case), precision the placeholder's
// precision or -1 when it has none. e: d.ddd...E+ddd with `precision`
// (default 15, 2 to 17) significant digits; f: fixed with `precision`
// (default 2, at most 18) decimals of the exact binary value; n: as f with
// thousands separators; m: as n (there is no currency symbol); g: the
// general form of FloatToStr with `precision` (default 15, 2 to 17)
// significant digits. A result that rounds to zero has no minus sign.
AnsiString FormatFloatPlaceholder(char type, double value, int precision);
AnsiString FormatFloatPlaceholder(char type, Currency value, int precision);

// Text to number. StrToFloat and StrToInt raise EConvertError
// ("'x' is not a valid floating point value" / "... integer value").
// Floats: blanks and control characters around the number are accepted;
// "." is the only decimal point, "," is not a separator, an exponent is
// allowed, "INF" and "NAN" are not numbers; values too small for a double
// read as 0, too large ones fail. Currency texts round half away from zero
// to four decimals.
bool TryStrToFloat(const AnsiString& text, double& value);
double StrToFloat(const AnsiString& text);
double StrToFloatDef(const AnsiString& text, double defaultValue);
bool TryStrToCurr(const AnsiString& text, Currency& value);

// Integers accept leading blanks, an optional sign, then decimal digits or
// "$" / "x" / "0x" hexadecimal; nothing may follow. A value out of range
// fails; hexadecimal takes the full width unsigned ("$FFFFFFFF" is -1 as
// an int).
bool TryStrToInt(const AnsiString& text, int& value);
bool TryStrToInt64(const AnsiString& text, std::int64_t& value);
int StrToInt(const AnsiString& text);
int StrToIntDef(const AnsiString& text, int defaultValue);
std::int64_t StrToInt64Def(const AnsiString& text, std::int64_t defaultValue);

AnsiString IntToStr(std::int64_t value);
// Upper-case hexadecimal with at least `digits` digits.
AnsiString IntToHex(std::int64_t value, int digits);

}  // namespace platform
