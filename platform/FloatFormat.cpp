#include "FloatFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "Exceptions.h"

namespace platform {
namespace {

// A decimal number 0.d1 d2 d3 ... x 10^exponent with d1 != 0; no digits is
// zero. Digits never end in "0".
struct Decimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;

  bool IsZero() const { return digits.empty(); }
};

void StripTrailingZeros(Decimal& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
}

// Every digit of the binary value: a double's exact decimal expansion has
// at most 767 significant digits, so this text is exact and rounding it
// never rounds twice.
Decimal ExactDecimal(double value) {
  Decimal d;
  d.negative = value < 0;
  if (value == 0 || !std::isfinite(value)) return d;
  char buffer[800];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                              std::chars_format::scientific, 766);
  std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  std::size_t e = text.find('e');
  for (std::size_t i = 0; i < e; ++i)
    if (text[i] != '.') d.digits += text[i];
  int exponent = 0;
  std::string_view expText = text.substr(e + 1);
  if (!expText.empty() && expText.front() == '+') expText.remove_prefix(1);
  std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
  d.exponent = exponent + 1;
  StripTrailingZeros(d);
  return d;
}

Decimal CurrencyDecimal(Currency value) {
  Decimal d;
  d.negative = value.scaled < 0;
  // The magnitude of the most negative value still fits an unsigned.
  std::uint64_t magnitude = d.negative ? 0 - static_cast<std::uint64_t>(value.scaled)
                                       : static_cast<std::uint64_t>(value.scaled);
  if (magnitude == 0) return d;
  d.digits = std::to_string(magnitude);
  d.exponent = static_cast<int>(d.digits.size()) - 4;
  StripTrailingZeros(d);
  return d;
}

// Keeps the first `keep` digits, rounding half away from zero.
void RoundAt(Decimal& d, long keep) {
  if (keep >= static_cast<long>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    d.exponent = 0;
    return;
  }
  bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    long i = keep - 1;
    while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
      d.digits[static_cast<std::size_t>(i)] = '0';
      --i;
    }
    if (i < 0) {
      d.digits.insert(d.digits.begin(), '1');
      d.digits.resize(std::max<std::size_t>(1, static_cast<std::size_t>(keep)));
      ++d.exponent;
    } else {
      ++d.digits[static_cast<std::size_t>(i)];
    }
  }
  StripTrailingZeros(d);
}

void RoundToSignificant(Decimal& d, int digits) { RoundAt(d, digits); }
void RoundToDecimals(Decimal& d, int decimals) {
  if (!d.IsZero()) RoundAt(d, static_cast<long>(d.exponent) + decimals);
}

// The digit at 0-based position i of the digit string (0 past its end).
char DigitAt(const Decimal& d, long i) {
  return i >= 0 && i < static_cast<long>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0';
}

// Integer digits of a value already rounded: empty for values below 1.
std::string IntegerDigits(const Decimal& d) {
  std::string out;
  for (long i = 0; i < d.exponent; ++i) out += DigitAt(d, i);
  return out;
}

std::string Grouped(const std::string& digits) {
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    out += digits[i];
    std::size_t remaining = digits.size() - i - 1;
    if (remaining > 0 && remaining % 3 == 0) out += ',';
  }
  return out;
}

std::string FixedText(const Decimal& d, int decimals, bool group) {
  std::string integer = IntegerDigits(d);
  if (integer.empty()) integer = "0";
  std::string out = group ? Grouped(integer) : integer;
  if (decimals > 0) {
    out += '.';
    for (int i = 0; i < decimals; ++i) out += DigitAt(d, static_cast<long>(d.exponent) + i);
  }
  return out;
}

std::string ExponentDigits(int exponent, int minDigits) {
  std::string digits = std::to_string(exponent < 0 ? -static_cast<long>(exponent) : exponent);
  if (static_cast<int>(digits.size()) < minDigits)
    digits.insert(0, static_cast<std::size_t>(minDigits) - digits.size(), '0');
  return digits;
}

// d.ddd (precision digits) E sign exponent.
std::string ExponentText(const Decimal& d, int precision, int expDigits) {
  std::string out(1, DigitAt(d, 0));
  if (precision > 1) {
    out += '.';
    for (int i = 1; i < precision; ++i) out += DigitAt(d, i);
  }
  int exponent = d.IsZero() ? 0 : d.exponent - 1;
  out += 'E';
  out += exponent < 0 ? '-' : '+';
  out += ExponentDigits(exponent, expDigits);
  return out;
}

// The general form of a value already rounded to `precision` digits.
std::string GeneralText(const Decimal& d, int precision) {
  if (d.IsZero()) return "0";
  std::string out;
  if (d.exponent > precision || d.exponent < -3) {
    out += d.digits[0];
    if (d.digits.size() > 1) {
      out += '.';
      out.append(d.digits, 1, std::string::npos);
    }
    out += 'E';
    int exponent = d.exponent - 1;
    if (exponent < 0) out += '-';
    out += ExponentDigits(exponent, 0);
  } else if (d.exponent <= 0) {
    out = "0.";
    out.append(static_cast<std::size_t>(-d.exponent), '0');
    out += d.digits;
  } else {
    out = IntegerDigits(d);
    if (static_cast<long>(d.digits.size()) > d.exponent) {
      out += '.';
      out.append(d.digits, static_cast<std::size_t>(d.exponent), std::string::npos);
    }
  }
  return out;
}

const char* NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

std::string PlaceholderText(char type, Decimal d, int precision) {
  std::string body;
  switch (type) {
    case 'e': {
      int digits = precision < 0 ? 15 : std::clamp(precision, 2, 17);
      RoundToSignificant(d, digits);
      body = ExponentText(d, digits, 3);
      break;
    }
    case 'g': {
      int digits = precision < 0 ? 15 : std::clamp(precision, 2, 17);
      RoundToSignificant(d, digits);
      body = GeneralText(d, digits);
      break;
    }
    case 'f':
    case 'n':
    case 'm': {
      int decimals = precision < 0 ? 2 : std::min(precision, 18);
      RoundToDecimals(d, decimals);
      body = FixedText(d, decimals, type != 'f');
      break;
    }
    default:
      return std::string();
  }
  return d.negative && !d.IsZero() ? "-" + body : body;
}

AnsiString Text(const std::string& s) { return AnsiString(s.data(), s.size()); }

// --- FormatFloat ---------------------------------------------------------

// One element of a picture section.
struct PictureItem {
  enum Kind { IntegerDigit, FractionDigit, DecimalPoint, Literal, Exponent } kind;
  bool required = false;  // "0" rather than "#"
  std::string text;       // Literal: the text; Exponent: "E" or "e"
  bool exponentSign = false;  // Exponent: "+" (always signed) rather than "-"
  int exponentDigits = 0;
};

struct Picture {
  std::vector<PictureItem> items;
  int integerDigits = 0;
  int fractionDigits = 0;
  int requiredInteger = 0;   // placeholders from the first "0" to the point
  int requiredFraction = 0;  // fraction placeholders up to the last "0"
  bool grouping = false;
  bool scientific = false;
};

Picture ParsePicture(std::string_view section) {
  Picture p;
  bool afterPoint = false;
  int firstRequired = -1;
  const unsigned codePage = ProcessCodePage();
  std::size_t i = 0;
  auto literal = [&](std::string_view text) {
    if (!p.items.empty() && p.items.back().kind == PictureItem::Literal) p.items.back().text += text;
    else p.items.push_back({PictureItem::Literal, false, std::string(text)});
  };
  while (i < section.size()) {
    char c = section[i];
    if (c == '"' || c == '\'') {
      std::size_t end = section.find(c, i + 1);
      if (end == std::string_view::npos) end = section.size();
      literal(section.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if ((c == '0' || c == '#') && !p.scientific) {
      if (afterPoint) {
        ++p.fractionDigits;
        if (c == '0') p.requiredFraction = p.fractionDigits;
        p.items.push_back({PictureItem::FractionDigit, c == '0', {}});
      } else {
        if (c == '0' && firstRequired < 0) firstRequired = p.integerDigits;
        ++p.integerDigits;
        p.items.push_back({PictureItem::IntegerDigit, c == '0', {}});
      }
      ++i;
    } else if (c == '.' && !p.scientific) {
      // Only the first point counts; a later one is dropped.
      if (!afterPoint) p.items.push_back({PictureItem::DecimalPoint, false, {}});
      afterPoint = true;
      ++i;
    } else if (c == ',' && !p.scientific) {
      p.grouping = true;
      ++i;
    } else if ((c == 'E' || c == 'e') && !p.scientific && i + 2 < section.size() &&
               (section[i + 1] == '+' || section[i + 1] == '-') && section[i + 2] == '0') {
      PictureItem item{PictureItem::Exponent, false, std::string(1, c)};
      item.exponentSign = section[i + 1] == '+';
      i += 2;
      int zeros = 0;
      while (i < section.size() && section[i] == '0') {
        ++zeros;
        ++i;
      }
      item.exponentDigits = std::min(zeros, 4);
      p.items.push_back(item);
      p.scientific = true;
    } else {
      // A double-byte character is copied whole: its trail byte may look
      // like "E".
      std::size_t n = CharLength(codePage, section, i);
      literal(section.substr(i, n));
      i += n;
    }
  }
  p.requiredInteger = firstRequired < 0 ? 0 : p.integerDigits - firstRequired;
  return p;
}

// Writes the section with the integer digits `integer` (already padded to
// the required count) and the fraction digits `fraction` (already cut to
// what is shown).
std::string Render(const Picture& p, const std::string& integer, const std::string& fraction,
                   const std::string& exponentText) {
  std::string out;
  const int k = p.integerDigits;
  const int length = static_cast<int>(integer.size());
  int placeholder = 0;
  int fractionIndex = 0;
  bool pointWritten = false;
  auto emitInteger = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      out += integer[static_cast<std::size_t>(i)];
      int remaining = length - i - 1;
      if (p.grouping && remaining > 0 && remaining % 3 == 0) out += ',';
    }
  };
  for (const PictureItem& item : p.items) {
    switch (item.kind) {
      case PictureItem::IntegerDigit: {
        // Integer digits are right-aligned to the placeholders; the first
        // placeholder takes every digit that has no placeholder of its own.
        int offset = k - length;
        if (placeholder == 0 && offset < 0) emitInteger(0, -offset + 1);
        else if (placeholder >= offset) emitInteger(placeholder - offset, placeholder - offset + 1);
        ++placeholder;
        break;
      }
      case PictureItem::DecimalPoint:
        // Without integer places the integer digits stand at the point; a
        // section without any digit place shows no digits at all.
        if (k == 0 && p.fractionDigits > 0) emitInteger(0, length);
        break;
      case PictureItem::FractionDigit:
        if (fractionIndex < static_cast<int>(fraction.size())) {
          if (!pointWritten) out += '.';
          pointWritten = true;
          out += fraction[static_cast<std::size_t>(fractionIndex)];
        }
        ++fractionIndex;
        break;
      case PictureItem::Literal:
        out += item.text;
        break;
      case PictureItem::Exponent:
        out += exponentText;
        break;
    }
  }
  return out;
}

std::string CutFraction(std::string fraction, int required) {
  while (static_cast<int>(fraction.size()) > required && fraction.back() == '0') fraction.pop_back();
  return fraction;
}

std::string PadInteger(std::string integer, int required) {
  if (static_cast<int>(integer.size()) < required)
    integer.insert(0, static_cast<std::size_t>(required) - integer.size(), '0');
  return integer;
}

std::string FormatSection(const Picture& p, double value, bool sign) {
  Decimal d = ExactDecimal(value);
  d.negative = false;
  RoundToSignificant(d, 17);
  std::string out = sign ? "-" : "";
  if (!p.scientific) {
    if (d.exponent >= 18) return FloatToStr(value).Bytes();
    RoundToDecimals(d, p.fractionDigits);
    std::string integer = PadInteger(IntegerDigits(d), p.requiredInteger);
    std::string fraction;
    for (int i = 0; i < p.fractionDigits; ++i) fraction += DigitAt(d, static_cast<long>(d.exponent) + i);
    return out + Render(p, integer, CutFraction(fraction, p.requiredFraction), "");
  }
  const PictureItem* exponentItem = nullptr;
  for (const PictureItem& item : p.items)
    if (item.kind == PictureItem::Exponent) exponentItem = &item;
  int digits = p.integerDigits + p.fractionDigits;
  if (digits > 0) RoundToSignificant(d, digits);
  int exponent = d.IsZero() ? 0 : d.exponent - p.integerDigits;
  std::string integer, fraction;
  for (int i = 0; i < p.integerDigits; ++i) integer += DigitAt(d, i);
  for (int i = 0; i < p.fractionDigits; ++i) fraction += DigitAt(d, p.integerDigits + i);
  std::string exponentText = exponentItem->text;
  if (exponent < 0) exponentText += '-';
  else if (exponentItem->exponentSign) exponentText += '+';
  exponentText += ExponentDigits(exponent, exponentItem->exponentDigits);
  return out + Render(p, integer, CutFraction(fraction, p.requiredFraction), exponentText);
}

// The positive, negative and zero sections (at most three; a further ";"
// ends the zero section).
std::vector<std::string_view> Sections(std::string_view format) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  char quote = 0;
  for (std::size_t i = 0; i <= format.size(); ++i) {
    char c = i < format.size() ? format[i] : ';';
    if (quote) {
      if (c == quote) quote = 0;
      if (i < format.size()) continue;
    } else if (c == '"' || c == '\'') {
      quote = c;
      continue;
    }
    if (c == ';' || i == format.size()) {
      sections.push_back(format.substr(start, i - start));
      start = i + 1;
      if (sections.size() == 3) break;
    }
  }
  return sections;
}

// --- text to number ------------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the integer syntax; `bits` is 32 or 64. Decimal values must fit the
// signed range, hexadecimal ones the unsigned width.
bool ParseInteger(std::string_view s, int bits, std::int64_t& value) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return false;
  std::uint64_t magnitude = 0;
  if (hex) {
    const std::uint64_t limit = bits == 32 ? 0xFFFFFFFFull : ~0ull;
    for (; i < s.size(); ++i) {
      int h = HexValue(s[i]);
      if (h < 0) return false;
      if (magnitude > (limit >> 4)) return false;
      magnitude = magnitude << 4 | static_cast<std::uint64_t>(h);
    }
    std::int64_t signedValue = bits == 32 ? static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude))
                                          : static_cast<std::int64_t>(magnitude);
    value = negative ? static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(signedValue)) : signedValue;
    if (bits == 32) value = static_cast<std::int32_t>(value);
    return true;
  }
  const std::uint64_t limit = (bits == 32 ? 0x7FFFFFFFull : 0x7FFFFFFFFFFFFFFFull) + (negative ? 1 : 0);
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c < '0' || c > '9') return false;
    std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (magnitude > (limit - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  value = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// A number text: sign, digits with at most one ".", optional exponent. On
// success `body` is the text without its sign.
bool ScanNumber(std::string_view s, bool& negative, std::string_view& body) {
  std::size_t i = 0;
  negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  std::size_t start = i;
  int digits = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') ++digits;
    else if (c == '.' && !point) point = true;
    else break;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expStart = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    if (i == expStart) return false;
  }
  if (i != s.size()) return false;
  body = s.substr(start);
  return true;
}

// The exact decimal of a scanned number text (for currency).
void TextDecimal(std::string_view body, bool negative, Decimal& d) {
  d = Decimal{};
  d.negative = negative;
  long pointAt = -1;
  long count = 0;
  std::size_t i = 0;
  std::string digits;
  for (; i < body.size() && body[i] != 'e' && body[i] != 'E'; ++i) {
    if (body[i] == '.') {
      pointAt = count;
      continue;
    }
    digits += body[i];
    ++count;
  }
  if (pointAt < 0) pointAt = count;
  long exponent = 0;
  if (i < body.size()) {
    std::string_view e = body.substr(i + 1);
    bool expNegative = false;
    if (!e.empty() && (e.front() == '+' || e.front() == '-')) {
      expNegative = e.front() == '-';
      e.remove_prefix(1);
    }
    for (char c : e) {
      exponent = exponent * 10 + (c - '0');
      if (exponent > 100000) break;  // far outside any range
    }
    if (expNegative) exponent = -exponent;
  }
  std::size_t lead = digits.find_first_not_of('0');
  if (lead == std::string::npos) return;  // zero
  d.digits = digits.substr(lead);
  d.exponent = static_cast<int>(std::clamp<long>(pointAt - static_cast<long>(lead) + exponent, -200000, 200000));
  StripTrailingZeros(d);
}

bool DecimalToCurrency(Decimal d, Currency& value) {
  RoundToDecimals(d, 4);
  if (d.IsZero()) {
    value = Currency{0};
    return true;
  }
  if (d.exponent > 15) return false;
  std::uint64_t magnitude = 0;
  for (long i = 0; i < static_cast<long>(d.exponent) + 4; ++i)
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(DigitAt(d, i) - '0');
  const std::uint64_t limit = 0x7FFFFFFFFFFFFFFFull + (d.negative ? 1 : 0);
  if (magnitude > limit) return false;
  value.scaled = d.negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

[[noreturn]] void InvalidInteger(const AnsiString& text) {
  throw EConvertError("'" + text + "' is not a valid integer value");
}

}  // namespace

AnsiString FloatToStr(double value) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  Decimal d = ExactDecimal(value);
  RoundToSignificant(d, 15);
  std::string body = GeneralText(d, 15);
  return Text(d.negative && !d.IsZero() ? "-" + body : body);
}

AnsiString CurrToStr(Currency value) {
  Decimal d = CurrencyDecimal(value);
  // 19 digits hold every currency value, so the general form never needs
  // an exponent.
  std::string body = GeneralText(d, 19);
  return Text(d.negative && !d.IsZero() ? "-" + body : body);
}

AnsiString FormatFloatPlaceholder(char type, double value, int precision) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  return Text(PlaceholderText(type, ExactDecimal(value), precision));
}

AnsiString FormatFloatPlaceholder(char type, Currency value, int precision) {
  return Text(PlaceholderText(type, CurrencyDecimal(value), precision));
}

AnsiString FormatFloat(const AnsiString& format, double value) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  if (format.IsEmpty()) return FloatToStr(value);
  std::vector<std::string_view> sections = Sections(format.View());
  std::size_t wanted = value > 0 ? 0 : value < 0 ? 1 : 2;
  std::size_t used = wanted < sections.size() && !sections[wanted].empty() ? wanted : 0;
  if (sections[used].empty()) return FloatToStr(value);
  Picture picture = ParsePicture(sections[used]);
  // A negative value in its own section is written without a sign: the
  // section says how negatives look.
  bool sign = value < 0 && used == 0;
  return Text(FormatSection(picture, value, sign));
}

bool TryStrToFloat(const AnsiString& text, double& value) {
  bool negative = false;
  std::string_view body;
  if (!ScanNumber(Trimmed(text.View()), negative, body)) return false;
  double parsed = 0;
  auto result = std::from_chars(body.data(), body.data() + body.size(), parsed, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small for a double reads as zero; too large fails.
    Decimal d;
    TextDecimal(body, false, d);
    if (d.IsZero() || d.exponent > 0) return false;
    parsed = 0;
  } else if (result.ec != std::errc() || result.ptr != body.data() + body.size()) {
    return false;
  }
  value = negative ? -parsed : parsed;
  return true;
}

double StrToFloat(const AnsiString& text) {
  double value = 0;
  if (!TryStrToFloat(text, value)) throw EConvertError("'" + text + "' is not a valid floating point value");
  return value;
}

double StrToFloatDef(const AnsiString& text, double defaultValue) {
  double value = 0;
  return TryStrToFloat(text, value) ? value : defaultValue;
}

bool TryStrToCurr(const AnsiString& text, Currency& value) {
  bool negative = false;
  std::string_view body;
  if (!ScanNumber(Trimmed(text.View()), negative, body)) return false;
  Decimal d;
  TextDecimal(body, negative, d);
  return DecimalToCurrency(d, value);
}

bool TryStrToInt(const AnsiString& text, int& value) {
  std::int64_t v = 0;
  if (!ParseInteger(text.View(), 32, v)) return false;
  value = static_cast<int>(v);
  return true;
}

bool TryStrToInt64(const AnsiString& text, std::int64_t& value) {
  return ParseInteger(text.View(), 64, value);
}

int StrToInt(const AnsiString& text) {
  int value = 0;
  if (!TryStrToInt(text, value)) InvalidInteger(text);
  return value;
}

int StrToIntDef(const AnsiString& text, int defaultValue) {
  int value = 0;
  return TryStrToInt(text, value) ? value : defaultValue;
}

std::int64_t StrToInt64Def(const AnsiString& text, std::int64_t defaultValue) {
  std::int64_t value = 0;
  return TryStrToInt64(text, value) ? value : defaultValue;
}

AnsiString IntToStr(std::int64_t value) { return Text(std::to_string(value)); }

AnsiString IntToHex(std::int64_t value, int digits) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint64_t>(value), 16);
  std::string hex(buffer, result.ptr);
  for (char& c : hex) c = static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
  int width = std::clamp(digits, 0, 32);
  if (static_cast<int>(hex.size()) < width) hex.insert(0, static_cast<std::size_t>(width) - hex.size(), '0');
  return Text(hex);
}

}  // namespace platform
