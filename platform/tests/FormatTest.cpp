// Formatting and conversion against the reference table made with
// FreePascal's SysUtils (tools/fpcref, docs/format-reference.md), plus the
// cases the table cannot show: SafeFormat on texts from outside, bounds,
// double-byte text and the clock.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Exceptions.h"
#include "platform/FloatFormat.h"
#include "platform/Format.h"
#include "platform/TestSupport.h"

namespace platform {
namespace {

using testing::A;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// --- the reference table -------------------------------------------------

struct Row {
  int line = 0;
  std::string kind, pattern, result;
  std::vector<std::string> args;

  std::string Key() const {
    std::string key = kind + "\t" + pattern;
    for (const std::string& a : args) key += "\t" + a;
    return key;
  }
};

std::string Unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 >= s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    if (c == 't') out += '\t';
    else if (c == 'n') out += '\n';
    else if (c == 'r') out += '\r';
    else if (c == 'x' && i + 2 < s.size()) {
      out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else out += c;
  }
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> cells;
  std::size_t start = 0;
  while (true) {
    std::size_t tab = line.find('\t', start);
    cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return cells;
}

const std::vector<Row>& Reference() {
  static const std::vector<Row> rows = [] {
    std::vector<Row> out;
    std::ifstream in(CORVANE_FORMAT_REFERENCE, std::ios::binary);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      if (line.empty() || line[0] == '#') continue;
      std::vector<std::string> cells = SplitTabs(line);
      if (cells.size() < 3) continue;
      Row row;
      row.line = number;
      row.kind = cells[0];
      row.pattern = Unescape(cells[1]);
      row.result = cells[2];
      row.args.assign(cells.begin() + 3, cells.end());
      out.push_back(row);
    }
    return out;
  }();
  return rows;
}

double DoubleArg(const std::string& cell) {
  std::uint64_t bits = std::stoull(cell.substr(cell.rfind('/') + 1), nullptr, 16);
  return std::bit_cast<double>(bits);
}

std::string Bits(double value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%016llX",
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
  return buffer;
}

FormatArg MakeArg(const std::string& cell) {
  std::string value = Unescape(cell.substr(2));
  switch (cell[0]) {
    case 'i': return FormatArg(std::stoi(value));
    case 'j': return FormatArg(static_cast<long long>(std::stoll(value)));
    case 'd': return FormatArg(DoubleArg(cell));
    case 'm': return FormatArg(Currency::FromScaled(std::stoll(value)));
    case 's': return FormatArg(AnsiString::FromBytes(value));
    case 'c': return FormatArg(value[0]);
    case 'p':
      return FormatArg(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(std::stoull(value, nullptr, 16))));
  }
  ADD_FAILURE() << "unknown argument " << cell;
  return FormatArg(0);
}

int IntArg(const Row& r, std::size_t i) { return std::stoi(r.args.at(i).substr(2)); }

// The result in the table's notation, floating-point results as "=#" and
// their bits.
std::string Evaluate(const Row& r) {
  AnsiString pattern = AnsiString::FromBytes(r.pattern);
  if (r.kind == "format") {
    std::vector<FormatArg> args;
    for (const std::string& a : r.args) args.push_back(MakeArg(a));
    try {
      return "=" + Format(pattern, args).Bytes();
    } catch (const EConvertError& e) {
      return std::string("!EConvertError: ") + e.Message().Bytes();
    }
  }
  if (r.kind == "formatfloat") return "=" + FormatFloat(pattern, DoubleArg(r.args.at(0))).Bytes();
  if (r.kind == "floattostr") return "=" + FloatToStr(DoubleArg(r.args.at(0))).Bytes();
  if (r.kind == "formatdatetime") return "=" + FormatDateTime(pattern, DoubleArg(r.args.at(0))).Bytes();
  if (r.kind == "decode") {
    double v = DoubleArg(r.args.at(0));
    int y, m, d, h, n, s, ms;
    DecodeDate(v, y, m, d);
    DecodeTime(v, h, n, s, ms);
    return "=" + std::to_string(y) + "-" + std::to_string(m) + "-" + std::to_string(d) + " " + std::to_string(h) +
           ":" + std::to_string(n) + ":" + std::to_string(s) + "." + std::to_string(ms) + " " +
           std::to_string(DayOfWeek(v));
  }
  TDateTime t = 0;
  if (r.kind == "encodedate")
    return TryEncodeDate(IntArg(r, 0), IntArg(r, 1), IntArg(r, 2), t) ? "=#" + Bits(t) : "!false";
  if (r.kind == "encodetime")
    return TryEncodeTime(IntArg(r, 0), IntArg(r, 1), IntArg(r, 2), IntArg(r, 3), t) ? "=#" + Bits(t) : "!false";
  if (r.kind == "strtodate") return TryStrToDate(pattern, t) ? "=#" + Bits(t) : "!false";
  if (r.kind == "strtofloat") {
    double v = 0;
    return TryStrToFloat(pattern, v) ? "=#" + Bits(v) : "!false";
  }
  if (r.kind == "strtoint") {
    int v = 0;
    return TryStrToInt(pattern, v) ? "=" + std::to_string(v) : "!false";
  }
  if (r.kind == "strtoint64") {
    std::int64_t v = 0;
    return TryStrToInt64(pattern, v) ? "=" + std::to_string(v) : "!false";
  }
  ADD_FAILURE() << "line " << r.line << ": unknown kind " << r.kind;
  return "";
}

// What is compared: a floating-point result by its bits, a failure by the
// exception class (this library words its messages as the class library
// does; ReportsFaultsInTheClassLibraryWording checks them).
std::string Comparable(const std::string& result) {
  if (result.rfind("!", 0) == 0 && result != "!false") return result.substr(0, result.find(':'));
  return result;
}

// A result cell of the table in the notation of Evaluate.
std::string Expected(const std::string& cell) {
  if (cell.rfind("=d:", 0) == 0) return "=#" + cell.substr(cell.rfind('/') + 1);
  if (cell.rfind("=", 0) == 0) return "=" + Unescape(cell.substr(1));
  return Comparable(cell);
}

// Rows where this library deliberately gives another result than the
// reference; each is explained in docs/format-reference.md.
struct Deviation {
  const char* key;     // kind, pattern and arguments as in the table
  const char* result;  // ours, in the table's notation
};

const Deviation kDeviations[] = {
    // e and g: 15 significant digits unless a precision says otherwise.
    {"format\t%e\td:1234.5/40934A0000000000", "=1.23450000000000E+003"},
    {"format\t%e\td:1/3FF0000000000000", "=1.00000000000000E+000"},
    {"format\t%e\td:0/0000000000000000", "=0.00000000000000E+000"},
    {"format\t%e\td:0.33333333333333331/3FD5555555555555", "=3.33333333333333E-001"},
    {"format\t%e\td:-1.0000000000000001E300/FE37E43C8800759C", "=-1.00000000000000E+300"},
    {"format\t%g\td:0.29999999999999999/3FD3333333333333", "=0.3"},
    {"format\t%g\td:0.33333333333333331/3FD5555555555555", "=0.333333333333333"},
    {"format\t%g\td:1.2345678901234568E17/437B69B4BA630F35", "=1.23456789012346E17"},
    {"format\t%g\td:1000000000000000/430C6BF526340000", "=1E15"},
    {"format\t%g\td:0.000010000000000000001/3EE4F8B588E368F1", "=1E-5"},
    {"format\t%g\td:9.9999999999999995E-8/3E7AD7F29ABCAF48", "=1E-7"},
    // A format that ends inside a placeholder, or names no known type, is
    // an error.
    {"format\tabc%", "!EConvertError"},
    {"format\tabc%\ti:1", "!EConvertError"},
    {"format\t%k\ti:5", "!EConvertError"},
    // Below 0.0001 the general form is scientific.
    {"floattostr\t\td:0.000010000000000000001/3EE4F8B588E368F1", "=1E-5"},
    {"floattostr\t\td:0.00001234/3EE9E0FCAF9380FC", "=1.234E-5"},
    // "#" places show no digit for a value that rounds to zero.
    {"formatfloat\t#,##0.##\td:9.9999999999999995E-8/3E7AD7F29ABCAF48", "=0"},
    {"formatfloat\t#,##0.##\td:-0.0040000000000000001/BF70624DD2F1A9FC", "=-0"},
    {"formatfloat\t#,##0.##\td:0.001/3F50624DD2F1A9FC", "=0"},
    {"formatfloat\t##0.##\td:9.9999999999999995E-8/3E7AD7F29ABCAF48", "=0"},
    {"formatfloat\t##0.##\td:-0.0040000000000000001/BF70624DD2F1A9FC", "=-0"},
    {"formatfloat\t##0.##\td:0.001/3F50624DD2F1A9FC", "=0"},
    {"formatfloat\t##0.###\td:9.9999999999999995E-8/3E7AD7F29ABCAF48", "=0"},
    {"formatfloat\t#,##0.###\td:9.9999999999999995E-8/3E7AD7F29ABCAF48", "=0"},
    {"formatfloat\t#.##\td:9.9999999999999995E-8/3E7AD7F29ABCAF48", "="},
    {"formatfloat\t#.##\td:-0.0040000000000000001/BF70624DD2F1A9FC", "=-"},
    {"formatfloat\t#.##\td:0.001/3F50624DD2F1A9FC", "="},
    // An empty negative section means the first section.
    {"formatfloat\t#,##0.00;;Zero\td:-0.5/BFE0000000000000", "=-0.50"},
    {"formatfloat\t#,##0.00;;Zero\td:-1234.5/C0934A0000000000", "=-1,234.50"},
    {"formatfloat\t#,##0.00;;Zero\td:-0.0040000000000000001/BF70624DD2F1A9FC", "=-0.00"},
    {"formatfloat\t0.00;\td:-5/C014000000000000", "=-5.00"},
    // m and mm after an hour are minutes, whatever stands between; other
    // letters are written as they stand.
    {"formatdatetime\th m\td:45296.546632465281/40E61E117E035E2A", "=13 7"},
    {"formatdatetime\tm h m\td:45296.546632465281/40E61E117E035E2A", "=1 13 7"},
    {"formatdatetime\tmm yy hh mm\td:45296.546632465281/40E61E117E035E2A", "=01 24 13 07"},
    {"formatdatetime\tx\"\td:45296.546632465281/40E61E117E035E2A", "=x"},
    {"formatdatetime\ta\td:45296.546632465281/40E61E117E035E2A", "=a"},
    {"formatdatetime\th am\td:45296.546632465281/40E61E117E035E2A", "=13 a1"},
    // The day of the week is that of the rounded date.
    {"decode\t\td:45296.999999995365/40E61E1FFFFFFD83", "=2024-1-6 0:0:0.0 7"},
    // Out of range fails; "&" (octal) and "%" (binary) are not prefixes.
    {"strtoint\t2147483648", "!false"},
    {"strtoint\t-2147483649", "!false"},
    {"strtoint\t9223372036854775807", "!false"},
    {"strtoint\t$100000000", "!false"},
    {"strtoint\t$FFFFFFFFFFFFFFFF", "!false"},
    {"strtoint\t&17", "!false"},
    {"strtoint64\t&17", "!false"},
    {"strtoint\t%101", "!false"},
    {"strtoint64\t%101", "!false"},
    // Not numbers.
    {"strtofloat\tinf", "!false"},
    {"strtofloat\tnan", "!false"},
};

std::map<std::string, std::string> DeviationMap() {
  std::map<std::string, std::string> map;
  for (const Deviation& d : kDeviations) map[d.key] = d.result;
  return map;
}

void CheckKind(const std::string& kind) {
  const std::map<std::string, std::string> deviations = DeviationMap();
  int rows = 0;
  for (const Row& r : Reference()) {
    if (r.kind != kind) continue;
    ++rows;
    std::string expected = Expected(r.result);
    auto deviation = deviations.find(r.Key());
    if (deviation != deviations.end()) {
      EXPECT_NE(Comparable(deviation->second), expected)
          << "line " << r.line << " agrees with the reference: drop it from kDeviations";
      expected = Comparable(deviation->second);
    }
    EXPECT_EQ(Comparable(Evaluate(r)), expected) << "line " << r.line << ": " << kind << " [" << r.pattern << "]"
                                                 << (r.args.empty() ? "" : " " + r.args[0]);
  }
  EXPECT_GT(rows, 0) << "no " << kind << " rows in the reference table";
}

TEST(FormatReference, EveryDeviationNamesARow) {
  std::map<std::string, int> keys;
  for (const Row& r : Reference()) keys[r.Key()] = r.line;
  for (const Deviation& d : kDeviations) EXPECT_TRUE(keys.count(d.key)) << "no reference row for " << d.key;
}

TEST(FormatReference, Format) { CheckKind("format"); }
TEST(FormatReference, FormatFloat) { CheckKind("formatfloat"); }
TEST(FormatReference, FloatToStr) { CheckKind("floattostr"); }
TEST(FormatReference, FormatDateTime) { CheckKind("formatdatetime"); }
TEST(FormatReference, DecodeDateAndTime) { CheckKind("decode"); }
TEST(FormatReference, EncodeDate) { CheckKind("encodedate"); }
TEST(FormatReference, EncodeTime) { CheckKind("encodetime"); }
TEST(FormatReference, StrToInt) {
  CheckKind("strtoint");
  CheckKind("strtoint64");
}
TEST(FormatReference, StrToFloat) { CheckKind("strtofloat"); }
TEST(FormatReference, StrToDate) { CheckKind("strtodate"); }

// --- Format: what the table cannot show ----------------------------------

struct FaultCase {
  const char* name;
  AnsiString format;
  std::vector<FormatArg> args;
  AnsiString message;
};

TEST(Format, ReportsFaultsInTheClassLibraryWording) {
  const FaultCase cases[] = {
      {"too few arguments", "%s=%s", {"a"}, "No argument for format '%s=%s'"},
      {"index past the arguments", "%3:s", {"a"}, "No argument for format '%3:s'"},
      {"%d given a string", "%d", {"x"}, "Format '%d' invalid or incompatible with argument"},
      {"%s given an integer", "%s", {5}, "Format '%s' invalid or incompatible with argument"},
      {"%f given an integer", "%f", {5}, "Format '%f' invalid or incompatible with argument"},
      {"text ending in %", "abc%", {}, "Format 'abc%' invalid or incompatible with argument"},
      {"unknown type letter", "%k", {5}, "Format '%k' invalid or incompatible with argument"},
      {"width too large", "%65536d", {5}, "Format '%65536d' invalid or incompatible with argument"},
      {"width from * too large", "%*d", {70000, 5}, "Format '%*d' invalid or incompatible with argument"},
      {"* given a string", "%*d", {"x", 5}, "Format '%*d' invalid or incompatible with argument"},
      {"long format cut to 31 bytes", "EDBEngineError Error %.2d: Code: %d, Message: %s", {},
       "No argument for format 'EDBEngineError Error %.2d: Code'"},
      // 16 double-byte characters: byte 31 is a lead byte and is left out.
      {"cut before a double-byte character", A(u8"错误错误错误错误错误错误错误错误%d"), {},
       A(u8"No argument for format '错误错误错误错误错误错误错误错'")},
  };
  for (const FaultCase& c : cases) {
    try {
      Format(c.format, c.args);
      ADD_FAILURE() << c.name << ": no exception";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.name;
    }
  }
}

struct TextCase {
  const char* name;
  AnsiString format;
  std::vector<FormatArg> args;
  AnsiString expected;
};

TEST(Format, PlaceholdersBeyondTheReference) {
  const TextCase cases[] = {
      {"index taken from an argument", "%*:s", {2, "a", "b"}, "b"},
      {"precision cuts text without splitting a character", "%.3s|", {A(u8"人事部")}, A(u8"人|")},
      {"precision keeps whole characters", "%.4s|", {A(u8"人事部")}, A(u8"人事|")},
      {"largest width", "%5d", {-42}, "  -42"},
      {"fixed decimals stop at 18", "%.40f", {1.5}, "1.500000000000000000"},
      {"every digit of a large value", "%.0f", {1e25}, "10000000000000000905969664"},
      {"not-a-number", "%f|%e", {std::nan(""), -kInfinity}, "NAN|-INF"},
      {"currency keeps its four decimals", "%.4f|%g", {Currency::FromScaled(-1), Currency::FromScaled(-1)},
       "-0.0001|-0.0001"},
      {"unsigned argument", "%u|%x", {4294967295u, 4294967295u}, "4294967295|FFFFFFFF"},
      {"pointer", "%p", {reinterpret_cast<const void*>(static_cast<std::uintptr_t>(0xBEEF))},
       "000000000000BEEF"},
      {"width on a literal percent", "%3%|", {}, "  %|"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(Format(c.format, c.args), c.expected) << c.name;
  EXPECT_EQ(Format("%65535d", {1}).Length(), 65535u);
}

TEST(SafeFormat, LeavesWhatItCannotFillAndNeverRaises) {
  const TextCase cases[] = {
      {"missing argument", "%s and %d", {"x"}, "x and %d"},
      {"wrong type uses its argument up", "%d rows, %s", {"many", "done"}, "%d rows, done"},
      {"unknown type", "%k%s", {"x"}, "%kx"},
      {"percent at the end", "100%", {}, "100%"},
      {"percent before a blank", A(u8"完成率 100% 以上"), {}, A(u8"完成率 100% 以上")},
      {"literal percent", "50%% done", {}, "50% done"},
      {"surplus arguments", "%s", {"a", "b", 3}, "a"},
      {"index past the arguments moves on", "%5:s|%s|%0:s", {"a"}, "%5:s|%s|a"},
      {"width above the limit", "%99999999999d", {5}, "%99999999999d"},
      {"good placeholders still filled", "%.2d/%s/%5.1f", {3, "x", 2.25}, "03/x/  2.3"},
  };
  for (const TextCase& c : cases) {
    AnsiString out;
    EXPECT_NO_THROW(out = SafeFormat(c.format, c.args)) << c.name;
    EXPECT_EQ(out, c.expected) << c.name;
  }
}

// Random formats and arguments, a fixed seed: SafeFormat gives a text,
// Format gives the same text or raises EConvertError and nothing else, and
// neither reads or writes out of bounds (the sanitizer build checks that).
TEST(SafeFormat, RandomFormatsGiveDefinedResults) {
  const std::string alphabet = "%%%%%%-*.:0123456789012dsfegnmpuxSDk |\xB0\xA1\xD2";
  const std::vector<FormatArg> pool = {5,    -7,        static_cast<long long>(-1) << 40,
                                       1234.5, std::nan(""), Currency::FromScaled(-12345678),
                                       "text", A(u8"中文"), 'c',
                                       static_cast<const void*>(nullptr), 70000, -3};
  std::mt19937 random(20240105);
  int raised = 0, formatted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string format;
    for (int n = static_cast<int>(random() % 16); n > 0; --n) format += alphabet[random() % alphabet.size()];
    std::vector<FormatArg> args;
    for (int n = static_cast<int>(random() % 5); n > 0; --n) args.push_back(pool[random() % pool.size()]);
    AnsiString f = AnsiString::FromBytes(format);
    AnsiString safe = SafeFormat(f, args);
    EXPECT_EQ(SafeFormat(f, args), safe) << "not deterministic: " << format;
    EXPECT_LE(safe.Length(), format.size() * 65536 + 64) << format;
    try {
      AnsiString strict = Format(f, args);
      EXPECT_EQ(strict, safe) << "Format and SafeFormat differ on " << format;
      ++formatted;
    } catch (const EConvertError&) {
      ++raised;
    } catch (...) {
      ADD_FAILURE() << "Format raised something else than EConvertError on " << format;
    }
  }
  EXPECT_GT(raised, 1000);
  EXPECT_GT(formatted, 1000);
}

TEST(FormatFloat, RandomPicturesAndDatePatternsGiveDefinedResults) {
  const std::string pictureChars = "0#.,;Ee+-\"'x %\\0#0#";
  const std::string dateChars = "ymdhnszacAMPtT/:\"' -ymdhn";
  const double values[] = {0, -0.0, 1234.5678, -0.004, 1e300, -1e-300, 5e-324, 1e17,
                           std::nan(""), kInfinity, 45296.546632465281, -693594.5, 3e6};
  std::mt19937 random(1899);
  for (int round = 0; round < 20000; ++round) {
    std::string picture, pattern;
    for (int n = static_cast<int>(random() % 16); n > 0; --n) picture += pictureChars[random() % pictureChars.size()];
    for (int n = static_cast<int>(random() % 16); n > 0; --n) pattern += dateChars[random() % dateChars.size()];
    double v = values[random() % std::size(values)];
    AnsiString number, date;
    EXPECT_NO_THROW(number = FormatFloat(AnsiString::FromBytes(picture), v)) << picture;
    EXPECT_NO_THROW(date = FormatDateTime(AnsiString::FromBytes(pattern), v)) << pattern;
    EXPECT_LE(number.Length(), picture.size() * 2 + 400) << picture;
    EXPECT_LE(date.Length(), pattern.size() * 20 + 20) << pattern;
  }
}

// --- numbers -------------------------------------------------------------

TEST(FormatFloat, CasesTheReferenceGetsWrongOrCannotShow) {
  const struct {
    const char* name;
    AnsiString picture;
    double value;
    AnsiString expected;
  } cases[] = {
      {"required zero after an optional place", "0.0#", 0.001, "0.0"},
      {"not-a-number", "#,##0.00", std::nan(""), "NAN"},
      {"infinity", "#,##0.00", -kInfinity, "-INF"},
      {"tie rounds away from zero", "0.00", -0.125, "-0.13"},
      {"digits without a place of their own go to the first place", "0\\0", 1234.56, "123\\5"},
      {"double-byte text is copied whole", A(u8"0 元"), 5, A(u8"5 元")},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.picture, c.value), c.expected) << c.name;
  EXPECT_EQ(FloatToStr(std::nan("")), AnsiString("NAN"));
  EXPECT_EQ(FloatToStr(kInfinity), AnsiString("INF"));
}

TEST(FloatFormat, ParsingFailuresAndDefaults) {
  EXPECT_THROW(StrToInt("12a"), EConvertError);
  try {
    StrToFloat("1,5");
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), AnsiString("'1,5' is not a valid floating point value"));
  }
  try {
    StrToInt("2147483648");
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), AnsiString("'2147483648' is not a valid integer value"));
  }
  EXPECT_EQ(StrToIntDef(" $1F", -1), 31);
  EXPECT_EQ(StrToIntDef("", -1), -1);
  EXPECT_EQ(StrToInt64Def("-9223372036854775808", 0), INT64_MIN);
  EXPECT_EQ(StrToInt64Def("-9223372036854775809", 7), 7);
  EXPECT_EQ(StrToFloatDef("1e", 2.5), 2.5);
  EXPECT_EQ(StrToFloat(" -1.5E+2 "), -150.0);
  EXPECT_EQ(IntToStr(INT64_MIN), AnsiString("-9223372036854775808"));
  EXPECT_EQ(IntToHex(255, 4), AnsiString("00FF"));
  EXPECT_EQ(IntToHex(-1, 1), AnsiString("FFFFFFFFFFFFFFFF"));
}

TEST(Currency, RoundsHalfAwayFromZeroFromTheExactValue) {
  // 0.03125 is exact in binary: a tie at the fifth decimal.
  EXPECT_EQ(Currency::FromDouble(0.03125).scaled, 313);
  EXPECT_EQ(Currency::FromDouble(-0.03125).scaled, -313);
  EXPECT_EQ(Currency::FromDouble(2.675).scaled, 26750);
  EXPECT_EQ(Currency::FromDouble(0.00004999).scaled, 0);
  EXPECT_EQ(Currency::FromDouble(-922337203685477.0).scaled, -9223372036854770000);
  EXPECT_THROW(Currency::FromDouble(1e300), EConvertError);
  EXPECT_THROW(Currency::FromDouble(std::nan("")), EConvertError);

  Currency c;
  ASSERT_TRUE(TryStrToCurr(" 1.00005 ", c));
  EXPECT_EQ(c.scaled, 10001);
  ASSERT_TRUE(TryStrToCurr("-1.00005", c));
  EXPECT_EQ(c.scaled, -10001);
  ASSERT_TRUE(TryStrToCurr("922337203685477.5807", c));
  EXPECT_EQ(c.scaled, INT64_MAX);
  EXPECT_FALSE(TryStrToCurr("922337203685477.5808", c));
  ASSERT_TRUE(TryStrToCurr("-922337203685477.5808", c));
  EXPECT_EQ(c.scaled, INT64_MIN);
  ASSERT_TRUE(TryStrToCurr("1.5e3", c));
  EXPECT_EQ(c.scaled, 15000000);
  EXPECT_FALSE(TryStrToCurr("1,5", c));

  EXPECT_EQ(CurrToStr(Currency::FromScaled(12345000)), AnsiString("1234.5"));
  EXPECT_EQ(CurrToStr(Currency::FromScaled(-1)), AnsiString("-0.0001"));
  EXPECT_EQ(CurrToStr(Currency::FromScaled(0)), AnsiString("0"));
  EXPECT_EQ(CurrToStr(Currency::FromScaled(INT64_MIN)), AnsiString("-922337203685477.5808"));
}

// --- dates ---------------------------------------------------------------

TEST(DateTime, EveryDayEncodesAndDecodesBack) {
  TDateTime previous = 0;
  int days = 0;
  for (int year = 1; year <= 9999; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= DaysInAMonth(year, month); ++day) {
        TDateTime t = 0;
        ASSERT_TRUE(TryEncodeDate(year, month, day, t)) << year << "-" << month << "-" << day;
        if (days > 0) {
          ASSERT_EQ(t, previous + 1) << year << "-" << month << "-" << day;
        }
        int y, m, d;
        DecodeDate(t, y, m, d);
        ASSERT_TRUE(y == year && m == month && d == day) << year << "-" << month << "-" << day;
        previous = t;
        ++days;
      }
    }
  }
  EXPECT_EQ(days, 3652059);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 7)), 1) << "a Sunday";
}

TEST(DateTime, OutOfRangeValuesDecodeToZeros) {
  for (double v : {-693594.0, 2958466.0, 1e300, -1e300, std::nan(""), kInfinity}) {
    int y = -1, m = -1, d = -1, h = -1, n = -1, s = -1, ms = -1;
    DecodeDate(v, y, m, d);
    DecodeTime(v, h, n, s, ms);
    EXPECT_TRUE(y == 0 && m == 0 && d == 0 && h == 0 && n == 0 && s == 0 && ms == 0) << v;
    EXPECT_EQ(DayOfWeek(v), 0) << v;
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss dddd mmmm", v), AnsiString("0000/00/00 00:00:00  ")) << v;
  }
  EXPECT_THROW(EncodeDate(2024, 2, 30), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
}

TEST(DateTime, ClockReadsTheLocalTime) {
  // Read twice so that a change of second between the readings is seen.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::time_t before = std::time(nullptr);
    TDateTime now = Now(), date = Date(), time = Time();
    std::time_t after = std::time(nullptr);
    if (before != after) continue;
    std::tm local{};
    localtime_r(&before, &local);
    int y, m, d, h, n, s, ms;
    DecodeDate(now, y, m, d);
    DecodeTime(now, h, n, s, ms);
    EXPECT_EQ(y, local.tm_year + 1900);
    EXPECT_EQ(m, local.tm_mon + 1);
    EXPECT_EQ(d, local.tm_mday);
    EXPECT_EQ(h * 3600 + n * 60 + s, local.tm_hour * 3600 + local.tm_min * 60 + std::min(local.tm_sec, 59));
    EXPECT_EQ(date, std::floor(now));
    EXPECT_GE(time, 0.0);
    EXPECT_LT(time, 1.0);
    EXPECT_NEAR(time, now - date, 2.0 / 86400);
    return;
  }
  ADD_FAILURE() << "the clock kept changing seconds";
}

TEST(DateTime, TwoDigitYearsFallInTheCenturyWindow) {
  int currentYear, m, d;
  DecodeDate(Date(), currentYear, m, d);
  for (const char* text : {"00/01/05", "49/01/05", "50/01/05", "99/12/31", "7/1/5"}) {
    TDateTime t = 0;
    ASSERT_TRUE(TryStrToDate(text, t)) << text;
    int y;
    DecodeDate(t, y, m, d);
    EXPECT_GE(y, currentYear - 50) << text;
    EXPECT_LT(y, currentYear + 50) << text;
    EXPECT_EQ(y % 100, std::atoi(text)) << text;
  }
  EXPECT_EQ(StrToDateDef("2024/01/05x", -1), -1);
  EXPECT_EQ(StrToDateDef("2024 /01/05", -1), -1);
  EXPECT_EQ(StrToDateDef("02024/01/05", -1), -1);
  EXPECT_EQ(StrToDateDef("2024/01/05", -1), EncodeDate(2024, 1, 5));
}

TEST(DateTime, TextsOfTheFixedSettings) {
  TDateTime t = EncodeDate(2024, 1, 5) + EncodeTime(13, 7, 9, 45);
  EXPECT_EQ(DateToStr(t), AnsiString("2024/01/05"));
  EXPECT_EQ(TimeToStr(t), AnsiString("13:07:09"));
  EXPECT_EQ(DateTimeToStr(t), AnsiString("2024/01/05 13:07:09"));
  EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 1, 5)), AnsiString("2024/01/05"));
  EXPECT_EQ(FormatDateTime(A(u8"yyyy年mm月dd日"), t), A(u8"2024年01月05日"));
}

}  // namespace
}  // namespace platform
