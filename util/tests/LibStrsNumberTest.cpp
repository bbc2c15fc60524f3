#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "util/LibStrs.h"

namespace kv {
namespace {

using platform::AnsiString;

TEST(LibStrsNumber, RoundDecimals) {
  const struct {
    const char* name;
    int decimals;
    double x;
    double rounded;
  } cases[] = {
      {"2.675 rounds up although stored below", 2, 2.675, 2.68},
      {"-2.675 rounds away from zero", 2, -2.675, -2.68},
      {"1.005 to two decimals", 2, 1.005, 1.01},
      {"below the half rounds down", 2, 2.674999, 2.67},
      {"zero decimals, half up", 0, 2.5, 3},
      {"zero decimals, negative half", 0, -2.5, -3},
      {"already short enough", 3, 1.25, 1.25},
      {"four decimals", 4, 0.12345, 0.1235},
      {"large value", 2, 123456789.125, 123456789.13},
      {"negative decimals read as zero", -1, 7.6, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DOUBLE_EQ(RoundDecimals(c.decimals, c.x), c.rounded);
  }
}

TEST(LibStrsNumber, RoundDecimalsOfZeroIsPositiveZero) {
  EXPECT_FALSE(std::signbit(RoundDecimals(2, 0.0)));
  EXPECT_FALSE(std::signbit(RoundDecimals(2, -0.001)));
  EXPECT_EQ(RoundDecimals(2, -0.001), 0.0);
}

TEST(LibStrsNumber, RoundDecimalsLeavesNonFiniteValues) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(RoundDecimals(2, inf), inf);
  EXPECT_EQ(RoundDecimals(2, -inf), -inf);
  EXPECT_TRUE(std::isnan(RoundDecimals(2, std::nan(""))));
}

TEST(LibStrsNumber, CompareNumbers) {
  const struct {
    const char* name;
    double a;
    double b;
    int result;
  } cases[] = {
      {"0.1 + 0.2 equals 0.3", 0.1 + 0.2, 0.3, 0},
      {"equal values", 5, 5, 0},
      {"within the tolerance", 1.0, 1.0 + 5e-11, 0},
      {"just beyond the tolerance", 1.0, 1.0 + 1e-9, -1},
      {"smaller", 1, 2, -1},
      {"larger", 2, 1, 1},
      {"negative against positive", -0.5, 0.5, -1},
      {"negative and positive zero", -0.0, 0.0, 0},
      {"equal infinities", std::numeric_limits<double>::infinity(),
       std::numeric_limits<double>::infinity(), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CompareNumbers(c.a, c.b), c.result);
  }
}

TEST(LibStrsNumber, SecondsToDuration) {
  const struct {
    const char* name;
    std::int64_t seconds;
    AnsiString text;
  } cases[] = {
      {"zero", 0, "0000:00:00"},
      {"one hour, one minute and one second", 3661, "0001:01:01"},
      {"negative below a minute", -59, "-0000:00:59"},
      {"negative hours", -3600, "-0001:00:00"},
      {"minutes only", 1800, "0000:30:00"},
      {"more than four hour digits", 100000LL * 3600 + 61, "100000:01:01"},
      {"largest count", INT64_MAX, "2562047788015215:30:07"},
      {"most negative count", INT64_MIN, "-2562047788015215:30:08"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SecondsToDuration(c.seconds), c.text);
  }
}

TEST(LibStrsNumber, AddDurations) {
  const DurationSum none{0, "000:00:00"};
  const struct {
    const char* name;
    AnsiString t1;
    AnsiString t2;
    int sign;
    DurationSum sum;
  } cases[] = {
      {"typed duration to seconds", "0001:30:00", "0000:00:00", 1, {5400, "0001:30:00"}},
      {"one hour less thirty minutes", "0001:00:00", "0000:30:00", -1, {1800, "0000:30:00"}},
      {"sum of two", "0001:00:05", "0002:59:55", 1, {14400, "0004:00:00"}},
      {"negative result", "0000:10:00", "0001:00:00", -1, {-3000, "-0000:50:00"}},
      {"minutes and seconds are not capped", "0000:99:99", "0000:00:00", 1, {6039, "0001:40:39"}},
      {"blanks around are trimmed", " 0001:00:00 ", "0000:00:00", 1, {3600, "0001:00:00"}},
      {"sign of 2", "0001:00:00", "0000:30:00", 2, none},
      {"sign of 0", "0001:00:00", "0000:30:00", 0, none},
      {"seven characters are too short", "1:00:00", "0000:00:00", 1, none},
      {"second text too short", "0001:00:00", "0:0:0", 1, none},
      {"two parts", "00001:0000", "0000:00:00", 1, none},
      {"four parts", "01:00:00:00", "0000:00:00", 1, none},
      {"letters", "000a:00:00", "0000:00:00", 1, none},
      {"sign inside", "-001:00:00", "0000:00:00", 1, none},
      {"empty part", "000001::00", "0000:00:00", 1, none},
      {"hours beyond an integer", "99999999999:00:00", "0000:00:00", 1, none},
      {"empty texts", "", "", 1, none},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const DurationSum sum = AddDurations(c.t1, c.t2, c.sign);
    EXPECT_EQ(sum.Seconds, c.sum.Seconds);
    EXPECT_EQ(sum.Text, c.sum.Text);
  }
}

}  // namespace
}  // namespace kv
