// Dates and times as the class library keeps them: a TDateTime is a day
// count in a double, 0 = 30 December 1899, the fraction the time of day.
//
// Formatting patterns (case-insensitive): y yy yyyy, m mm mmm mmmm (minutes
// when right after h or hh), d dd ddd dddd, h hh, n nn, s ss, z zzz,
// am/pm a/p ampm, c (short date + long time), ddddd (short date), t tt,
// "/" the date separator, ":" the time separator, text in quotes literal.
// The system settings are fixed (see FormatSettings), never the locale's.
#pragma once

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
// Reads a date in the short date format's order with the date separator.
bool TryStrToDate(const AnsiString& text, TDateTime& value);
TDateTime StrToDateDef(const AnsiString& text, TDateTime defaultValue);

}  // namespace platform
