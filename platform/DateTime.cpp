#include "DateTime.h"

#include <time.h>

#include <cmath>
#include <string>
#include <string_view>

#include "Exceptions.h"

namespace platform {
namespace {

// Day 1 is 0001-01-01; TDateTime 0 (1899-12-30) is day kDateDelta.
constexpr std::int64_t kDateDelta = 693594;
constexpr std::int64_t kLastDay = 3652059;  // 9999-12-31
constexpr std::int64_t kMsPerDay = 86400000;

const int kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                               {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// A TDateTime as whole days and milliseconds into the day, rounded to the
// nearest millisecond. The time is the fraction's magnitude whatever the
// value's sign, so -1.25 is the day before 1899-12-30 at 06:00.
struct TimeStamp {
  bool valid = false;
  std::int64_t date = 0;  // day number, 1 = 0001-01-01
  std::int64_t time = 0;  // milliseconds, 0 .. kMsPerDay - 1
};

TimeStamp ToTimeStamp(TDateTime value) {
  TimeStamp stamp;
  if (!std::isfinite(value)) return stamp;
  double ms = std::rint(value * static_cast<double>(kMsPerDay));
  // Beyond this the day number is out of range anyway; the bound keeps the
  // conversion to an integer defined.
  if (std::fabs(ms) > 1e18) return stamp;
  auto total = static_cast<std::int64_t>(ms);
  stamp.date = kDateDelta + total / kMsPerDay;
  stamp.time = (total < 0 ? -total : total) % kMsPerDay;
  stamp.valid = stamp.date >= 1 && stamp.date <= kLastDay;
  return stamp;
}

struct Parts {
  int year = 0, month = 0, day = 0, dayOfWeek = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

Parts Decode(TDateTime value) {
  Parts p;
  TimeStamp stamp = ToTimeStamp(value);
  if (!stamp.valid) return p;
  std::int64_t t = stamp.date - 1;
  int year = 1;
  year += static_cast<int>(t / 146097) * 400;
  t %= 146097;
  std::int64_t centuries = t / 36524;
  t %= 36524;
  if (centuries == 4) {  // the last day of a 400-year cycle
    centuries = 3;
    t += 36524;
  }
  year += static_cast<int>(centuries) * 100;
  year += static_cast<int>(t / 1461) * 4;
  t %= 1461;
  std::int64_t years = t / 365;
  t %= 365;
  if (years == 4) {  // the last day of a leap cycle
    years = 3;
    t += 365;
  }
  year += static_cast<int>(years);
  const int* days = kMonthDays[IsLeapYear(year) ? 1 : 0];
  int month = 0;
  while (t >= days[month]) {
    t -= days[month];
    ++month;
  }
  p.year = year;
  p.month = month + 1;
  p.day = static_cast<int>(t) + 1;
  p.dayOfWeek = static_cast<int>(stamp.date % 7) + 1;
  p.hour = static_cast<int>(stamp.time / 3600000);
  p.minute = static_cast<int>(stamp.time / 60000 % 60);
  p.second = static_cast<int>(stamp.time / 1000 % 60);
  p.millisecond = static_cast<int>(stamp.time % 1000);
  return p;
}

std::string Number(int value, int digits) {
  std::string text = std::to_string(value < 0 ? 0 : value);
  if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
  return text;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(std::string_view s, std::size_t at, std::string_view prefix) {
  if (s.size() - at < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (Upper(s[at + i]) != prefix[i]) return false;
  return true;
}

class DateFormatter {
 public:
  explicit DateFormatter(TDateTime value) : p_(Decode(value)), s_(FormatSettings()) {}

  void Append(std::string_view f, std::string& out, int depth = 0) {
    // The nested formats are the fixed settings; the bound only guards
    // against settings that name themselves.
    if (depth > 2) return;
    const unsigned codePage = ProcessCodePage();
    char lastToken = ' ';
    std::size_t i = 0;
    while (i < f.size()) {
      char c = f[i];
      if (IsLeadByte(codePage, static_cast<unsigned char>(c)) && i + 1 < f.size()) {
        out.append(f.substr(i, 2));
        i += 2;
        continue;
      }
      char token = Upper(c);
      std::size_t count = Count(f, i);
      if (token >= 'A' && token <= 'Z') {
        // m and mm after an hour are minutes.
        if (token == 'M' && lastToken == 'H' && count <= 2) token = 'N';
        lastToken = token;
      }
      switch (token) {
        case 'Y':
          out += count <= 2 ? Number(p_.year % 100, 2) : Number(p_.year, 4);
          i += count;
          break;
        case 'M':
          if (count <= 2) out += Number(p_.month, static_cast<int>(count));
          else if (p_.month >= 1) out += (count == 3 ? s_.ShortMonthNames : s_.LongMonthNames)[p_.month - 1].Bytes();
          i += count;
          break;
        case 'D':
          if (count <= 2) out += Number(p_.day, static_cast<int>(count));
          else if (count <= 4) {
            if (p_.dayOfWeek >= 1) out += (count == 3 ? s_.ShortDayNames : s_.LongDayNames)[p_.dayOfWeek - 1].Bytes();
          } else {
            Append((count == 5 ? s_.ShortDateFormat : s_.LongDateFormat).View(), out, depth + 1);
          }
          i += count;
          break;
        case 'H': {
          int hour = p_.hour;
          if (TwelveHourClock(f, i + count)) hour = hour % 12 == 0 ? 12 : hour % 12;
          out += Number(hour, count >= 2 ? 2 : 1);
          i += count;
          break;
        }
        case 'N':
          out += Number(p_.minute, count >= 2 ? 2 : 1);
          i += count;
          break;
        case 'S':
          out += Number(p_.second, count >= 2 ? 2 : 1);
          i += count;
          break;
        case 'Z':
          out += Number(p_.millisecond, count >= 2 ? 3 : 1);
          i += count;
          break;
        case 'T':
          Append((count == 1 ? s_.ShortTimeFormat : s_.LongTimeFormat).View(), out, depth + 1);
          i += count;
          break;
        case 'C':
          Append(s_.ShortDateFormat.View(), out, depth + 1);
          if (p_.hour != 0 || p_.minute != 0 || p_.second != 0) {
            out += ' ';
            Append(s_.LongTimeFormat.View(), out, depth + 1);
          }
          i += count;
          break;
        case 'A':
          i += AmPm(f, i, out);
          break;
        case '/':
          out += s_.DateSeparator;
          ++i;
          break;
        case ':':
          out += s_.TimeSeparator;
          ++i;
          break;
        case '"':
        case '\'': {
          std::size_t end = f.find(c, i + 1);
          if (end == std::string_view::npos) end = f.size();
          out.append(f.substr(i + 1, end - i - 1));
          i = end + 1;
          break;
        }
        default:
          out += c;
          ++i;
          break;
      }
    }
  }

 private:
  // The length of the run of the same letter (any case) at i.
  static std::size_t Count(std::string_view f, std::size_t i) {
    std::size_t n = 1;
    while (i + n < f.size() && Upper(f[i + n]) == Upper(f[i])) ++n;
    return n;
  }

  // An hour is on the 12-hour clock when an am/pm pattern follows before
  // the next hour (quoted text is skipped).
  static bool TwelveHourClock(std::string_view f, std::size_t i) {
    char quote = 0;
    for (; i < f.size(); ++i) {
      char c = f[i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == 'a' || c == 'A') {
        return StartsWithNoCase(f, i, "AM/PM") || StartsWithNoCase(f, i, "A/P") ||
               StartsWithNoCase(f, i, "AMPM");
      } else if (c == 'h' || c == 'H') {
        return false;
      }
    }
    return false;
  }

  // Writes the am/pm pattern at i and returns its length; a lone "a" is
  // written as it stands.
  std::size_t AmPm(std::string_view f, std::size_t i, std::string& out) {
    bool pm = p_.hour >= 12;
    if (StartsWithNoCase(f, i, "AM/PM")) {
      out.append(f.substr(pm ? i + 3 : i, 2));
      return 5;
    }
    if (StartsWithNoCase(f, i, "A/P")) {
      out += f[pm ? i + 2 : i];
      return 3;
    }
    if (StartsWithNoCase(f, i, "AMPM")) {
      out += (pm ? s_.TimePMString : s_.TimeAMString).Bytes();
      return 4;
    }
    out += f[i];
    return 1;
  }

  Parts p_;
  const TFormatSettings& s_;
};

AnsiString Text(const std::string& s) { return AnsiString(s.data(), s.size()); }

// Reads one unsigned number of 1 to 4 digits.
bool ReadNumber(std::string_view s, std::size_t& i, int& value, int& digits) {
  value = 0;
  digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    if (++digits > 4) return false;
    value = value * 10 + (s[i] - '0');
    ++i;
  }
  return digits > 0;
}

struct LocalClock {
  int year, month, day, hour, minute, second, millisecond;
};

LocalClock ReadLocalClock() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  ::localtime_r(&now.tv_sec, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
          local.tm_min,         // a leap second reads as the last second
          local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(now.tv_nsec / 1000000)};
}

}  // namespace

const TFormatSettings& FormatSettings() {
  static const TFormatSettings settings;
  return settings;
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  return kMonthDays[IsLeapYear(year) ? 1 : 0][month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
    return false;
  const int* days = kMonthDays[IsLeapYear(year) ? 1 : 0];
  std::int64_t dayOfYear = day;
  for (int m = 0; m < month - 1; ++m) dayOfYear += days[m];
  std::int64_t y = year - 1;
  result = static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + dayOfYear - kDateDelta);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    return false;
  std::int64_t ms = ((static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
  result = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime result = 0;
  if (!TryEncodeDate(year, month, day, result)) throw EConvertError("Invalid argument to date encode");
  return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  TDateTime result = 0;
  if (!TryEncodeTime(hour, minute, second, millisecond, result))
    throw EConvertError("Invalid argument to time encode");
  return result;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  Parts p = Decode(value);
  year = p.year;
  month = p.month;
  day = p.day;
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
  Parts p = Decode(value);
  hour = p.hour;
  minute = p.minute;
  second = p.second;
  millisecond = p.millisecond;
}

int DayOfWeek(TDateTime value) { return Decode(value).dayOfWeek; }

TDateTime Now() {
  LocalClock c = ReadLocalClock();
  TDateTime date = 0, time = 0;
  TryEncodeDate(c.year, c.month, c.day, date);
  TryEncodeTime(c.hour, c.minute, c.second, c.millisecond, time);
  return date + time;
}

TDateTime Date() {
  LocalClock c = ReadLocalClock();
  TDateTime date = 0;
  TryEncodeDate(c.year, c.month, c.day, date);
  return date;
}

TDateTime Time() {
  LocalClock c = ReadLocalClock();
  TDateTime time = 0;
  TryEncodeTime(c.hour, c.minute, c.second, c.millisecond, time);
  return time;
}

AnsiString FormatDateTime(const AnsiString& format, TDateTime value) {
  std::string out;
  DateFormatter formatter(value);
  formatter.Append(format.IsEmpty() ? std::string_view("c") : format.View(), out);
  return Text(out);
}

AnsiString DateToStr(TDateTime value) { return FormatDateTime("ddddd", value); }
AnsiString TimeToStr(TDateTime value) { return FormatDateTime("tt", value); }
AnsiString DateTimeToStr(TDateTime value) { return FormatDateTime("c", value); }

bool TryStrToDate(const AnsiString& text, TDateTime& value) {
  const TFormatSettings& s = FormatSettings();
  std::string_view t = text.View();
  while (!t.empty() && static_cast<unsigned char>(t.front()) <= ' ') t.remove_prefix(1);
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ') t.remove_suffix(1);

  // The order of year, month and day in the short date format.
  std::string order;
  for (char c : s.ShortDateFormat.View()) {
    char u = Upper(c);
    if ((u == 'Y' || u == 'M' || u == 'D') && order.find(u) == std::string::npos) order += u;
  }
  if (order.size() != 3) order = "YMD";

  int numbers[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  std::size_t i = 0;
  for (int part = 0; part < 3; ++part) {
    if (part > 0) {
      if (i >= t.size() || t[i] != s.DateSeparator) return false;
      ++i;
    }
    if (!ReadNumber(t, i, numbers[part], digits[part])) return false;
  }
  if (i != t.size()) return false;

  int year = 0, month = 0, day = 0, yearDigits = 0;
  for (int part = 0; part < 3; ++part) {
    switch (order[static_cast<std::size_t>(part)]) {
      case 'Y':
        year = numbers[part];
        yearDigits = digits[part];
        break;
      case 'M':
        month = numbers[part];
        break;
      default:
        day = numbers[part];
        break;
    }
  }
  if (yearDigits <= 2) {
    int currentYear = 0, m = 0, d = 0;
    DecodeDate(Date(), currentYear, m, d);
    int base = currentYear - s.TwoDigitYearCenturyWindow;
    year += base / 100 * 100;
    if (s.TwoDigitYearCenturyWindow > 0 && year < base) year += 100;
  }
  return TryEncodeDate(year, month, day, value);
}

TDateTime StrToDateDef(const AnsiString& text, TDateTime defaultValue) {
  TDateTime value = 0;
  return TryStrToDate(text, value) ? value : defaultValue;
}

}  // namespace platform
