// Dates and times as the class library keeps them: a TDateTime is a day
// count in a double, 0 = 30 December 1899, the fraction the time of day.
//
// Formatting patterns (case-insensitive): y yy yyyy, m mm mmm mmmm (m and
// mm are minutes when the last pattern letter before them was h or hh,
// whatever separators stand between), d dd ddd dddd, ddddd (short date),
// dddddd (long date), h hh, n nn, s ss, z zzz, am/pm a/p (12-hour clock,
// written in the case of the pattern), ampm (TimeAMString / TimePMString),
// c (short date, and the long time unless the time is 00:00:00), t tt
// (short / long time), "/" the date separator, ":" the time separator,
// text in quotes literal, anything else as it stands.
// The system settings are fixed (see FormatSettings), never the locale's.
//
// Decoding rounds to the nearest millisecond (23:59:59.9996 is the next
// day). A value before 30 December 1899 counts its days backwards, but its
// fraction is still the time of that day: -1.25 is 29 December 1899 06:00.
// Values outside 0001-01-01 .. 9999-12-31 (and NaN) decode to zeros.
#pragma once

#include <array>
#include <cstdint>

#include "AnsiString.h"

namespace platform {

using TDateTime = double;

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  AnsiString ShortDateFormat = "yyyy/mm/dd";
  AnsiString LongDateFormat = "yyyy/mm/dd";
  AnsiString ShortTimeFormat = "hh:nn";
  AnsiString LongTimeFormat = "hh:nn:ss";
  AnsiString TimeAMString = "AM";
  AnsiString TimePMString = "PM";
  // Two-digit years read by TryStrToDate fall within this many years
  // before the current year and the rest of the century after it.
  int TwoDigitYearCenturyWindow = 50;
  std::array<AnsiString, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<AnsiString, 12> LongMonthNames{"January", "February", "March",     "April",
                                            "May",     "June",     "July",      "August",
                                            "September", "October", "November", "December"};
  std::array<AnsiString, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<AnsiString, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};
};

// The process's settings (one set, never changed by the environment).
const TFormatSettings& FormatSettings();

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);

// Raise EConvertError ("Invalid argument to date encode" / "... time encode").
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
int DayOfWeek(TDateTime value);  // 1 = Sunday

TDateTime Now();
TDateTime Date();  // today, no time
TDateTime Time();  // now, no date

AnsiString FormatDateTime(const AnsiString& format, TDateTime value);
AnsiString DateToStr(TDateTime value);      // short date format
AnsiString TimeToStr(TDateTime value);      // long time format
AnsiString DateTimeToStr(TDateTime value);  // short date, and long time when there is a time
// Reads a date in the short date format's order (year, month, day) with
// the date separator: three numbers, blanks around allowed; a year of one
// or two digits falls in the century window. Anything else fails.
bool TryStrToDate(const AnsiString& text, TDateTime& value);
TDateTime StrToDateDef(const AnsiString& text, TDateTime defaultValue);

}  // namespace platform
