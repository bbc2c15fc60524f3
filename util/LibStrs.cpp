#include "util/LibStrs.h"

#include <climits>
#include <cmath>
#include <exception>
#include <string>
#include <span>
#include <utility>
#include <vector>

#include "platform/AlertSink.h"
#include "platform/Exceptions.h"
#include "platform/FloatFormat.h"
#include "platform/Format.h"

namespace kv {

using platform::AnsiString;
using platform::TDateTime;
using platform::Variant;
using platform::WideString;

namespace {

// 0-based offset of the first occurrence of needle in bytes at a character
// boundary at or after the boundary `from`; npos when there is none or
// needle is empty. Walking the text once by characters keeps repeated
// searches linear and never matches a trail byte of a double-byte character.
std::size_t FindFrom(const std::string& bytes, const std::string& needle, std::size_t from) {
  if (needle.empty()) return std::string::npos;
  const unsigned cp = platform::ProcessCodePage();
  std::size_t i = from;
  while (i + needle.size() <= bytes.size()) {
    if (bytes.compare(i, needle.size(), needle) == 0) return i;
    i += platform::CharLength(cp, bytes, i);
  }
  return std::string::npos;
}

// A date or duration part: decimal digits only (no sign, blank or
// hexadecimal form), fitting an int. A text such as "2024 3$5" is therefore
// never taken for a date.
bool ReadDigits(const AnsiString& text, int& value) {
  if (text.IsEmpty()) return false;
  long long v = 0;
  for (char c : text.Bytes()) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > INT_MAX) return false;
  }
  value = static_cast<int>(v);
  return true;
}

int DigitsOr(const AnsiString& text, int fallback) {
  int v = 0;
  return ReadDigits(text, v) ? v : fallback;
}

// The separator of the date display types: the first character of the
// separator text (both bytes of a double-byte one), none when it is empty.
AnsiString DateSeparatorOf(const AnsiString& separator) {
  if (separator.IsEmpty()) return {};
  return separator.SubString(1, platform::CharLength(platform::ProcessCodePage(), separator.View(), 0));
}

// The days before 1 January 0001 and after 31 December 9999: between them
// lie the dates (with their times) the calendar functions can take apart.
constexpr double kDayBeforeFirst = -693594.0;
constexpr double kDayAfterLast = 2958466.0;

bool IsDisplayableDate(TDateTime value) {
  return std::isfinite(value) && value > kDayBeforeFirst && value < kDayAfterLast;
}

// The three numbers of a typed date, in the order typed.
struct DateParts {
  int p1 = 0;
  int p2 = 0;
  int p3 = 0;
};

// Cuts the three parts of a typed date at the separator; each trimmed
// part that is not a number reads as `invalid`.
DateParts CutDateParts(const AnsiString& text, const AnsiString& separator, int invalid) {
  AnsiString rest = text;
  AnsiString s = DateSeparatorOf(separator);
  DateParts parts;
  parts.p1 = DigitsOr(platform::Trim(CutToken(rest, s)), invalid);
  parts.p2 = DigitsOr(platform::Trim(CutToken(rest, s)), invalid);
  parts.p3 = DigitsOr(platform::Trim(CutToken(rest, s)), invalid);
  return parts;
}

// Shortest decimal form read back: the value as the user would write it.
double Reread(double x) {
  double v = 0;
  try {
    if (platform::TryStrToFloat(platform::FloatToStr(x), v)) return v;
  } catch (const std::exception&) {
  }
  return x;
}

// The hours, minutes and seconds of a duration text trimmed; false unless
// it is longer than seven characters of digits and ":" in three parts.
bool ReadDuration(const AnsiString& text, std::int64_t& seconds) {
  AnsiString t = platform::Trim(text);
  if (t.Length() <= 7 || PieceCount(t, ":") != 3) return false;
  for (char c : t.Bytes())
    if (c != ':' && (c < '0' || c > '9')) return false;
  int h = 0, m = 0, s = 0;
  if (!ReadDigits(platform::Trim(GetToken(t, ":", 1)), h) ||
      !ReadDigits(platform::Trim(GetToken(t, ":", 2)), m) ||
      !ReadDigits(platform::Trim(GetToken(t, ":", 3)), s))
    return false;
  seconds = std::int64_t{h} * 3600 + std::int64_t{m} * 60 + s;
  return true;
}

void LogConversionFailure(const char* line, const AnsiString& message) {
  platform::ReportAlert("libstrs", AnsiString(line) + message, "D");
}

AnsiString MessageOf(const std::exception& e) {
  if (auto* pe = dynamic_cast<const platform::Exception*>(&e)) return pe->Message();
  return AnsiString(e.what());
}

// The bounds of every dimension as low/high pairs.
std::vector<int> BoundsOf(const Variant& array) {
  std::vector<int> bounds;
  for (int dim = 1; dim <= platform::VarArrayDimCount(array); ++dim) {
    bounds.push_back(platform::VarArrayLowBound(array, dim));
    bounds.push_back(platform::VarArrayHighBound(array, dim));
  }
  return bounds;
}

// A copy of an array with every element passed through convert. Arrays of
// a typed element kind other than wide text (numbers, bytes) hold no texts
// and are returned as they are. An array of wide texts keeps its kind when
// the elements stay wide texts (toBytes false); otherwise it becomes a
// variant array, so that its elements can hold byte texts.
template <class Convert>
Variant ConvertElements(const Variant& array, bool toBytes, Convert convert) {
  const platform::TVarType elementType = platform::VarType(array) & platform::varTypeMask;
  if (elementType != platform::varVariant && elementType != platform::varOleStr) return array;
  Variant result = array;
  if (elementType == platform::varOleStr && toBytes)
    result = platform::VarArrayCreate(BoundsOf(array), platform::varVariant);
  std::span<const Variant> from = platform::VarArrayElements(array);
  std::span<Variant> to = platform::VarArrayElements(result);
  for (std::size_t i = 0; i < from.size(); ++i) to[i] = convert(from[i]);
  return result;
}

// The wide text of a byte text read in the process code page, or the
// wide text itself.
WideString WideOf(const Variant& text) {
  return platform::VarType(text) == platform::varOleStr ? text.AsWide() : text.AsString().ToWide();
}

// The bytes of a wide text narrowed in the process code page, or the byte
// text itself.
AnsiString BytesOf(const Variant& text) {
  return platform::VarType(text) == platform::varString ? text.AsString()
                                                         : AnsiString::FromWide(text.AsWide());
}

Variant ToAnsiValue(const Variant& value, unsigned codePage, bool topLevel);

// Array elements: wide texts are converted, nested arrays of a
// one-dimensional array recursively; byte texts are already bytes.
Variant ToAnsiElement(const Variant& element, unsigned codePage, bool nested) {
  if (nested && platform::VarIsArray(element)) return ToAnsiValue(element, codePage, false);
  if (platform::VarType(element) == platform::varOleStr) return WideToAnsi(element.AsWide(), codePage);
  return element;
}

Variant ToAnsiValue(const Variant& value, unsigned codePage, bool topLevel) {
  const Variant& v = value.Deref();
  if (platform::VarIsArray(v)) {
    switch (platform::VarArrayDimCount(v)) {
      case 1:
        return ConvertElements(v, true, [&](const Variant& e) { return ToAnsiElement(e, codePage, true); });
      case 2:
        return ConvertElements(v, true, [&](const Variant& e) { return ToAnsiElement(e, codePage, false); });
      default: return v;
    }
  }
  if (topLevel && platform::VarIsStr(v)) return WideToAnsi(WideOf(v), codePage);
  return v;
}

Variant ToWideValue(const Variant& value, unsigned codePage);

// Array elements: byte and wide texts alike are read in the code page,
// nested arrays of a one-dimensional array recursively.
Variant ToWideElement(const Variant& element, unsigned codePage, bool nested) {
  if (nested && platform::VarIsArray(element)) return ToWideValue(element, codePage);
  if (platform::VarIsStr(element)) return AnsiToWide(BytesOf(element), codePage);
  return element;
}

Variant ToWideValue(const Variant& value, unsigned codePage) {
  const Variant& v = value.Deref();
  if (platform::VarIsArray(v)) {
    switch (platform::VarArrayDimCount(v)) {
      case 1:
        return ConvertElements(v, false, [&](const Variant& e) { return ToWideElement(e, codePage, true); });
      case 2:
        return ConvertElements(v, false, [&](const Variant& e) { return ToWideElement(e, codePage, false); });
      default: return v;
    }
  }
  if (platform::VarIsStr(v)) return AnsiToWide(BytesOf(v), codePage);
  return v;
}

}  // namespace

// ---- Text -------------------------------------------------------------

AnsiString PadLeft(const AnsiString& text, int width, char fill) {
  if (width <= 0 || text.Length() >= static_cast<std::size_t>(width)) return text;
  return AnsiString(static_cast<std::size_t>(width) - text.Length(), fill) + text;
}

AnsiString PadRight(const AnsiString& text, int width, char fill) {
  if (width <= 0 || text.Length() >= static_cast<std::size_t>(width)) return text;
  return text + AnsiString(static_cast<std::size_t>(width) - text.Length(), fill);
}

AnsiString GetToken(const AnsiString& text, const AnsiString& delimiter, int n) {
  if (n < 1 || text.IsEmpty()) return {};
  const std::string& bytes = text.Bytes();
  std::size_t start = 0;
  for (int piece = 1; piece < n; ++piece) {
    std::size_t at = FindFrom(bytes, delimiter.Bytes(), start);
    if (at == std::string::npos) return {};
    start = at + delimiter.Length();
  }
  std::size_t end = FindFrom(bytes, delimiter.Bytes(), start);
  if (end == std::string::npos) end = bytes.size();
  return AnsiString::FromBytes(std::string_view(bytes).substr(start, end - start));
}

int PieceCount(const AnsiString& text, const AnsiString& delimiter) {
  if (text.IsEmpty()) return 0;
  int count = 1;
  std::size_t at = 0;
  while ((at = FindFrom(text.Bytes(), delimiter.Bytes(), at)) != std::string::npos) {
    ++count;
    at += delimiter.Length();
  }
  return count;
}

AnsiString ZeroPad(int value, int width) {
  try {
    return platform::Format("%.*d", {width < 0 ? 0 : width, value});
  } catch (const std::exception&) {
    return platform::IntToStr(value);
  }
}

AnsiString CutToken(AnsiString& text, const AnsiString& delimiter) {
  std::size_t at = FindFrom(text.Bytes(), delimiter.Bytes(), 0);
  if (at == std::string::npos) return std::exchange(text, AnsiString());
  AnsiString head = text.SubString(1, at);
  text = text.Mid(at + delimiter.Length() + 1);
  return head;
}

AnsiString ReplaceAll(const AnsiString& text, const AnsiString& old, const AnsiString& with, bool trim) {
  AnsiString result = text;
  // A change of case only is never made; an empty old matches nothing.
  if (!old.IsEmpty() && !platform::SameText(old, with))
    result = platform::StringReplaceAll(text, old, with, false);
  return trim ? platform::Trim(result) : result;
}

Variant Choose(bool flag, const Variant& whenTrue, const Variant& whenFalse) {
  return flag ? whenTrue : whenFalse;
}

bool IsEmptyOrNull(const Variant& value) { return platform::VarIsEmptyOrNull(value); }

bool IsLocalHost(const AnsiString& address) { return address == "127.0.0.1"; }

AnsiString LocalButtonCaption(const AnsiString& name) {
  static const std::pair<const char*, const char*> kCaptions[] = {
      {"Yes", "是(&Y)"},        {"No", "否(&N)"},          {"OK", "确定"},
      {"Cancel", "取消"},       {"Abort", "中断(&A)"},     {"Retry", "重试(&R)"},
      {"Ignore", "忽略(&I)"},   {"All", "全部(&A)"},       {"NoToAll", "全否(&o)"},
      {"YesToAll", "全是(&A)"}, {"Help", "帮助(&H)"},
  };
  for (const auto& [button, caption] : kCaptions)
    if (name == button) return caption;
  return name;
}

// ---- Dates ------------------------------------------------------------

AnsiString DateToText(int type, const AnsiString& separator, TDateTime date) {
  if (date == 0 || !IsDisplayableDate(date)) return {};
  int y = 0, m = 0, d = 0;
  platform::DecodeDate(date, y, m, d);
  const AnsiString s = DateSeparatorOf(separator);
  try {
    switch (type) {
      case 1: return platform::Format("%.4d%s%.2d%s%.2d", {y, s, m, s, d});
      case 2: return platform::Format("%.2d%s%.2d%s%.4d", {m, s, d, s, y});
      case 3: return platform::Format("%.2d%s%.2d%s%.4d", {d, s, m, s, y});
      case 4: return platform::Format("%.2d%s%.2d%s%.2d", {y - 1911, s, m, s, d});
      case 5: return platform::Format("%.3d%s%.2d%s%.2d", {y - 1911, s, m, s, d});
      default: return {};
    }
  } catch (const std::exception&) {
    return {};
  }
}

AnsiString DateTimeToText(int type, const AnsiString& separator, TDateTime dateTime) {
  if (dateTime == 0 || !IsDisplayableDate(dateTime)) return {};
  int y = 0, m = 0, d = 0, h = 0, n = 0, sec = 0, ms = 0;
  platform::DecodeDate(dateTime, y, m, d);
  platform::DecodeTime(dateTime, h, n, sec, ms);
  const AnsiString s = DateSeparatorOf(separator);
  try {
    switch (type) {
      case 1:
        return platform::Format("%.4d%s%.2d%s%.2d %.2d:%.2d:%.2d:%.3d", {y, s, m, s, d, h, n, sec, ms});
      case 2:
        return platform::Format("%.2d%s%.2d%s%.4d %.2d:%.2d:%.2d:%.3d", {m, s, d, s, y, h, n, sec, ms});
      case 3:
        return platform::Format("%.2d%s%.2d%s%.4d %.2d:%.2d:%.2d:%.3d", {d, s, m, s, y, h, n, sec, ms});
      case 4:
        return platform::Format("%.2d%s%.2d%s%.2d %.2d:%.2d:%.2d:%.3d",
                                {y - 1911, s, m, s, d, h, n, sec, ms});
      case 5:
        return platform::Format("%.3d%s%.2d%s%.2d %.2d:%.2d:%.2d:%.3d",
                                {y - 1911, s, m, s, d, h, n, sec, ms});
      default: return {};
    }
  } catch (const std::exception&) {
    return {};
  }
}

TDateTime TextToDate(const AnsiString& text, int type, const AnsiString& separator) {
  const AnsiString t = platform::Trim(text);
  if (t.IsEmpty()) return 0;
  const DateParts p = CutDateParts(t, separator, -1);
  if (p.p1 <= 0 || p.p2 <= 0 || p.p3 <= 0) return 0;
  long long year = 0;
  int month = 0, day = 0;
  switch (type) {
    case 1: year = p.p1, month = p.p2, day = p.p3; break;
    case 2: year = p.p3, month = p.p1, day = p.p2; break;
    case 3: year = p.p3, month = p.p2, day = p.p1; break;
    case 4:
    case 5: year = p.p1 + 1911LL, month = p.p2, day = p.p3; break;
    default: return 0;
  }
  if (year > 9999) return 0;
  TDateTime first = 0;
  if (!platform::TryEncodeDate(static_cast<int>(year), month, 1, first)) return 0;
  // Days past the month's end roll on into the following months.
  return first + (day - 1);
}

TDateTime YmdToDate(const AnsiString& ymd) {
  if (ymd.Length() != 8) return 0;
  const int y = DigitsOr(ymd.SubString(1, 4), 0);
  const int m = DigitsOr(ymd.SubString(5, 2), 0);
  const int d = DigitsOr(ymd.SubString(7, 2), 0);
  TDateTime date = 0;
  if (y == 0 || m == 0 || d == 0 || !platform::TryEncodeDate(y, m, d, date)) return 0;
  return date;
}

bool IsValidYmd(const AnsiString& ymd) {
  if (ymd.IsEmpty()) return true;
  return YmdToDate(ymd) != 0 && AnsiString("17530101") <= ymd && ymd <= AnsiString("99991231");
}

AnsiString TextToYmd(const AnsiString& text, int type, const AnsiString& separator) {
  const AnsiString t = platform::Trim(text);
  if (t.IsEmpty()) return "0";
  DateParts p;
  if (!separator.IsEmpty()) {
    p = CutDateParts(t, separator, 0);
  } else {
    p.p1 = DigitsOr(t.SubString(1, 4), 0);
    p.p2 = DigitsOr(t.SubString(5, 2), 0);
    p.p3 = DigitsOr(t.SubString(7, 2), 0);
  }
  if (p.p1 <= 0 || p.p2 <= 0 || p.p3 <= 0) return "0";
  switch (type) {
    case 2: return ZeroPad(p.p3, 4) + ZeroPad(p.p1, 2) + ZeroPad(p.p2, 2);
    case 3: return ZeroPad(p.p3, 4) + ZeroPad(p.p2, 2) + ZeroPad(p.p1, 2);
    case 4:
    case 5:
      if (p.p1 > INT_MAX - 1911) return "0";
      return ZeroPad(p.p1 + 1911, 4) + ZeroPad(p.p2, 2) + ZeroPad(p.p3, 2);
    default: return ZeroPad(p.p1, 4) + ZeroPad(p.p2, 2) + ZeroPad(p.p3, 2);
  }
}

TDateTime YmdTimeToDateTime(const AnsiString& text) {
  auto part = [&text](std::size_t start, std::size_t count) {
    return DigitsOr(text.SubString(start, count), 0);
  };
  const int y = part(1, 4), mo = part(5, 2), d = part(7, 2);
  const int h = part(9, 2), mi = part(11, 2), s = part(13, 2), ms = part(15, 3);
  TDateTime time = 0;
  if (!platform::TryEncodeTime(h, mi, s, ms, time)) return 0;
  if (y == 0 || mo == 0 || d == 0) return time;
  TDateTime date = 0;
  if (!platform::TryEncodeDate(y, mo, d, date)) return 0;
  // Before 30 December 1899 the day count is negative while the time of
  // day still counts forward: the fraction is taken away.
  return date < 0 ? date - time : date + time;
}

// ---- Numbers and durations --------------------------------------------

double RoundDecimals(int decimals, double x) {
  if (!std::isfinite(x)) return x;
  try {
    double v = Reread(x);
    v += v > 0 ? 1e-12 : -1e-12;
    // Beyond 30 decimals a double has nothing left to round.
    const int n = decimals < 0 ? 0 : (decimals > 30 ? 30 : decimals);
    double result = 0;
    if (!platform::TryStrToFloat(platform::Format("%.*f", {n, v}), result)) return x;
    return result == 0 ? 0.0 : result;  // no negative zero from the nudge
  } catch (const std::exception&) {
    return x;
  }
}

int CompareNumbers(double a, double b) {
  const double x = Reread(a);
  const double y = Reread(b);
  if (std::isnan(x) || std::isnan(y) || x == y) return 0;
  if (std::fabs(x - y) < 1e-10) return 0;
  return x < y ? -1 : 1;
}

DurationSum AddDurations(const AnsiString& t1, const AnsiString& t2, int sign) {
  std::int64_t s1 = 0, s2 = 0;
  if ((sign != 1 && sign != -1) || !ReadDuration(t1, s1) || !ReadDuration(t2, s2)) return {};
  const std::int64_t total = s1 + sign * s2;
  return {total, SecondsToDuration(total)};
}

AnsiString SecondsToDuration(std::int64_t seconds) {
  if (seconds == 0) return "0000:00:00";
  try {
    // Unsigned, so that the most negative count has a magnitude too.
    const std::uint64_t m = seconds < 0 ? 0 - static_cast<std::uint64_t>(seconds)
                                        : static_cast<std::uint64_t>(seconds);
    const auto hours = static_cast<long long>(m / 3600);
    const auto minutes = static_cast<int>((m / 60) % 60);
    const auto secs = static_cast<int>(m % 60);
    return platform::Format("%s%.4d:%.2d:%.2d", {seconds < 0 ? "-" : "", hours, minutes, secs});
  } catch (const std::exception&) {
    return "0000:00:00";
  }
}

// ---- Code pages -------------------------------------------------------

AnsiString WideToAnsi(const WideString& text, unsigned codePage) {
  try {
    if (!text.empty() && text.size() <= static_cast<std::size_t>(INT_MAX / 2)) {
      const int count = static_cast<int>(text.size());
      int n = platform::WideCharToMultiByte(codePage, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
      if (n > 0) {
        std::string bytes(static_cast<std::size_t>(n), '\0');
        n = platform::WideCharToMultiByte(codePage, 0, text.data(), count, bytes.data(), n, nullptr, nullptr);
        if (n > 0) {
          bytes.resize(static_cast<std::size_t>(n));
          return AnsiString::FromBytes(bytes);
        }
      }
    }
  } catch (const std::exception&) {
    // falls back to the process code page below
  }
  return AnsiString::FromWide(text);
}

WideString AnsiToWide(const AnsiString& text, unsigned codePage) {
  try {
    if (!text.IsEmpty() && text.Length() <= static_cast<std::size_t>(INT_MAX)) {
      const int count = static_cast<int>(text.Length());
      int n = platform::MultiByteToWideChar(codePage, 0, text.c_str(), count, nullptr, 0);
      if (n > 0) {
        WideString wide(static_cast<std::size_t>(n), u'\0');
        n = platform::MultiByteToWideChar(codePage, 0, text.c_str(), count, wide.data(), n);
        if (n > 0) {
          wide.resize(static_cast<std::size_t>(n));
          return wide;
        }
      }
    }
  } catch (const std::exception&) {
    // falls back to the process code page below
  }
  return text.ToWide();
}

}  // namespace kv

namespace kv {

Variant VariantToAnsi(const Variant& value, unsigned codePage) {
  try {
    return ToAnsiValue(value, codePage, true);
  } catch (const std::exception& e) {
    LogConversionFailure("LINE[2735] ", MessageOf(e));
    return value.Deref();
  }
}

Variant VariantToWide(const Variant& value, unsigned codePage) {
  try {
    return ToWideValue(value, codePage);
  } catch (const std::exception& e) {
    LogConversionFailure("LINE[115] ", MessageOf(e));
    return value.Deref();
  }
}

}  // namespace kv
