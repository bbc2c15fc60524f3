// LibStrs: the module's conventions for texts, dates, numbers, durations
// and code pages, as free functions.
//
// Texts are byte texts in the process code page: every search for a
// delimiter or a text is case-sensitive and steps over double-byte
// characters, so the trail byte of a Chinese character never matches. A
// "trimmed" text has lost its leading and trailing blanks and control
// characters.
//
// Dates are the class library's day counts (0 = 30 December 1899). The
// date display types 1-5 of the system setting SYS001 are:
//   1  year s month s day            ("2024/03/05")
//   2  month s day s year            ("03/05/2024")
//   3  day s month s year            ("05/03/2024")
//   4  (year - 1911) s month s day   at least two year digits ("113/03/05")
//   5  (year - 1911) s month s day   at least three year digits ("094/03/05")
// where s is the first character of the separator text (none when it is
// empty). Stored dates are "YYYYMMDD" texts between "17530101" and
// "99991231".
//
// Durations are texts hours ":" minutes ":" seconds with at least four hour
// digits ("0000:00:00"), "-" in front of a negative one.
//
// None of the functions keeps state or raises: invalid input gives the
// neutral result each one states.
#pragma once

#include <cstdint>

#include "platform/AnsiString.h"
#include "platform/CodePage.h"
#include "platform/DateTime.h"
#include "platform/Variant.h"

namespace kv {

// ---- Text -------------------------------------------------------------

// Adds fill characters on the left (right) of a text shorter than width
// bytes, up to width; a text of width bytes or more is returned unchanged.
platform::AnsiString PadLeft(const platform::AnsiString& text, int width, char fill = ' ');
platform::AnsiString PadRight(const platform::AnsiString& text, int width, char fill = ' ');

// The n-th (from 1) piece of text between delimiters; the last piece runs
// to the end of the text. Empty when there are fewer than n pieces. An
// empty delimiter never matches (the whole text is the only piece).
platform::AnsiString GetToken(const platform::AnsiString& text, const platform::AnsiString& delimiter,
                              int n);

// 0 for an empty text, else the number of delimiter occurrences + 1.
int PieceCount(const platform::AnsiString& text, const platform::AnsiString& delimiter);

// value with at least width digits, zero-filled ("%.*d"; a sign comes
// before the zeros).
platform::AnsiString ZeroPad(int value, int width);

// Removes and returns the head of text up to the first delimiter; text
// keeps what follows the delimiter. Without a delimiter the whole text is
// the head and text becomes empty.
platform::AnsiString CutToken(platform::AnsiString& text, const platform::AnsiString& delimiter);

// Replaces every occurrence of old by with, left to right; replaced text is
// not searched again, so with may contain old. Nothing is replaced when old
// is empty or when old and with differ only in the case of ASCII letters.
// With trim set, the result is trimmed.
platform::AnsiString ReplaceAll(const platform::AnsiString& text, const platform::AnsiString& old,
                                const platform::AnsiString& with, bool trim);

// whenTrue when flag is set, else whenFalse.
platform::Variant Choose(bool flag, const platform::Variant& whenTrue, const platform::Variant& whenFalse);

// True for an unassigned (empty) or null value.
bool IsEmptyOrNull(const platform::Variant& value);

// True exactly for "127.0.0.1".
bool IsLocalHost(const platform::AnsiString& address);

// The Chinese caption of a message-box button by its name ("Yes", "No",
// "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll",
// "Help"; names compared exactly); any other name is returned unchanged.
platform::AnsiString LocalButtonCaption(const platform::AnsiString& name);

// ---- Dates ------------------------------------------------------------

// The date part of date in the display type (see above); empty for the
// date 0 and for a type outside 1-5.
platform::AnsiString DateToText(int type, const platform::AnsiString& separator, platform::TDateTime date);

// As DateToText, followed by " hh:nn:ss:zzz"; empty for 0 and for a type
// outside 1-5.
platform::AnsiString DateTimeToText(int type, const platform::AnsiString& separator,
                                    platform::TDateTime dateTime);

// Reads a date typed in the display type, its three parts cut at the
// separator text. A day beyond the month's end rolls into the following
// month(s) (2023/2/31 is 3 March 2023). 0 when the text is empty, a part is
// not a number above 0, the year or month is impossible or the type is not
// 1-5.
platform::TDateTime TextToDate(const platform::AnsiString& text, int type,
                               const platform::AnsiString& separator);

// "YYYYMMDD" (exactly eight digits) to a date; 0 when it is not one.
platform::TDateTime YmdToDate(const platform::AnsiString& ymd);

// True for an empty text and for a calendar date "YYYYMMDD" between
// "17530101" and "99991231".
bool IsValidYmd(const platform::AnsiString& ymd);

// Reads a date typed in the display type into "YYYYMMDD". With a separator
// text the parts are cut at it; without one they are the characters 1-4,
// 5-6 and 7-8. "0" unless all three parts are numbers above 0. The calendar
// is not checked (see IsValidYmd). A type outside 2-5 reads as type 1.
platform::AnsiString TextToYmd(const platform::AnsiString& text, int type,
                               const platform::AnsiString& separator);

// "YYYYMMDDhhnnsszzz" to a date and time; a missing or non-numeric part is
// 0, a zero year, month or day gives the time alone, an impossible value 0.
platform::TDateTime YmdTimeToDateTime(const platform::AnsiString& text);

// ---- Numbers and durations --------------------------------------------

// x rounded to the given number of decimals, a final 5 rounding away from
// zero even when its binary form lies just below it (2.675 -> 2.68).
// Non-finite values are returned unchanged.
double RoundDecimals(int decimals, double x);

// -1, 0 or 1; numbers within 1e-10 of each other (after reading both as
// their shortest decimal form) are equal.
int CompareNumbers(double a, double b);

// The result of AddDurations.
struct DurationSum {
  std::int64_t Seconds = 0;
  platform::AnsiString Text = "000:00:00";
  friend bool operator==(const DurationSum&, const DurationSum&) = default;
};

// t1 + sign x t2 for two duration texts "h:mm:ss" (each trimmed longer than
// seven characters, digits and ":" only, three parts) and sign 1 or -1.
// Anything else gives {0, "000:00:00"}.
DurationSum AddDurations(const platform::AnsiString& t1, const platform::AnsiString& t2, int sign);

// Seconds as a duration text ("0001:01:01", "-0000:00:59"; 0 gives
// "0000:00:00").
platform::AnsiString SecondsToDuration(std::int64_t seconds);

// ---- Code pages -------------------------------------------------------

// Wide text to bytes of the code page, and back. When the code page gives
// no result (unknown code page, nothing to convert) the process code page
// is used instead.
platform::AnsiString WideToAnsi(const platform::WideString& text, unsigned codePage);
platform::WideString AnsiToWide(const platform::AnsiString& text, unsigned codePage);

// Converts the texts of a value handed to or returned from the server into
// bytes of codePage (VariantToAnsi: wide texts are converted, a byte text is
// read in the process code page first) or into wide text read from bytes of
// codePage (VariantToWide: byte texts are read in it, a wide text is first
// narrowed in the process code page). One-dimensional arrays are converted
// element by element, nested arrays recursively; two-dimensional arrays
// have their text elements converted; arrays of more dimensions, empty and
// null values and values of other kinds are returned as they are. A failure
// is written to the alert log ("libstrs") and the value returned unchanged.
platform::Variant VariantToAnsi(const platform::Variant& value, unsigned codePage);
platform::Variant VariantToWide(const platform::Variant& value, unsigned codePage);

}  // namespace kv
