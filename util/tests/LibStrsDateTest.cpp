#include <gtest/gtest.h>

#include <vector>

#include "platform/DateTime.h"
#include "platform/TestSupport.h"
#include "util/LibStrs.h"

namespace kv {
namespace {

using platform::AnsiString;
using platform::EncodeDate;
using platform::EncodeTime;
using platform::TDateTime;
using platform::testing::A;

struct DateTextCase {
  const char* name;
  int type;
  AnsiString separator;
  TDateTime date;
  AnsiString text;
};

TEST(LibStrsDate, DateToText) {
  const TDateTime march5 = EncodeDate(2024, 3, 5);
  const std::vector<DateTextCase> cases = {
      {"type 1", 1, "/", march5, "2024/03/05"},
      {"type 2", 2, "/", march5, "03/05/2024"},
      {"type 3", 3, "-", march5, "05-03-2024"},
      {"type 4, three-digit year", 4, "/", march5, "113/03/05"},
      {"type 5, three-digit year", 5, "/", march5, "113/03/05"},
      {"type 4, two-digit year", 4, "/", EncodeDate(2005, 3, 5), "94/03/05"},
      {"type 5, padded to three digits", 5, "/", EncodeDate(2005, 3, 5), "094/03/05"},
      {"type 1, year padded to four digits", 1, "/", EncodeDate(812, 1, 2), "0812/01/02"},
      {"no separator", 1, "", march5, "20240305"},
      {"first character of the separator", 1, ".-", march5, "2024.03.05"},
      {"double-byte separator kept whole", 1, A(u8"年"), march5,
       AnsiString("2024") + A(u8"年") + "03" + A(u8"年") + "05"},
      {"time of day is not shown", 1, "/", march5 + 0.75, "2024/03/05"},
      {"date 0 is empty", 1, "/", 0, ""},
      {"unknown type is empty", 6, "/", march5, ""},
      {"type 0 is empty", 0, "/", march5, ""},
      {"date beyond the calendar is empty", 1, "/", 1e9, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DateToText(c.type, c.separator, c.date), c.text);
  }
}

TEST(LibStrsDate, DateTimeToText) {
  const TDateTime at = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
  const std::vector<DateTextCase> cases = {
      {"type 1", 1, "/", at, "2024/03/05 14:07:09:045"},
      {"type 2", 2, "/", at, "03/05/2024 14:07:09:045"},
      {"type 3", 3, ".", at, "05.03.2024 14:07:09:045"},
      {"type 4", 4, "/", at, "113/03/05 14:07:09:045"},
      {"type 5", 5, "/", EncodeDate(2005, 3, 5) + EncodeTime(0, 0, 1, 0), "094/03/05 00:00:01:000"},
      {"midnight", 1, "-", EncodeDate(2024, 3, 5), "2024-03-05 00:00:00:000"},
      {"0 is empty", 1, "/", 0, ""},
      {"unknown type is empty", 9, "/", at, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DateTimeToText(c.type, c.separator, c.date), c.text);
  }
}

struct ParseCase {
  const char* name;
  AnsiString text;
  int type;
  AnsiString separator;
  TDateTime date;
};

TEST(LibStrsDate, TextToDate) {
  const TDateTime march5 = EncodeDate(2024, 3, 5);
  const std::vector<ParseCase> cases = {
      {"type 1", "2024/3/5", 1, "/", march5},
      {"type 2", "3/5/2024", 2, "/", march5},
      {"type 3", "5-3-2024", 3, "-", march5},
      {"type 4", "113/03/05", 4, "/", march5},
      {"type 5", "094.03.05", 5, ".", EncodeDate(2005, 3, 5)},
      {"blanks around the parts", " 2024 / 03 / 05 ", 1, "/", march5},
      {"first character of the separator", "2024/3/5", 1, "/x", march5},
      {"day beyond the month rolls over", "2023/2/31", 1, "/", EncodeDate(2023, 3, 3)},
      {"leap day stays", "2024/2/29", 1, "/", EncodeDate(2024, 2, 29)},
      {"day rolls over the year", "2023/12/32", 1, "/", EncodeDate(2024, 1, 1)},
      {"empty text", "", 1, "/", 0},
      {"blank text", "   ", 1, "/", 0},
      {"month 13", "2024/13/1", 1, "/", 0},
      {"year 10000", "10000/1/1", 1, "/", 0},
      {"zero day", "2024/3/0", 1, "/", 0},
      {"zero month", "2024/0/5", 1, "/", 0},
      {"negative part", "2024/-3/5", 1, "/", 0},
      {"not a number", "2024/Mar/5", 1, "/", 0},
      {"hexadecimal is not a number", "2024/$3/5", 1, "/", 0},
      {"two parts only", "2024/3", 1, "/", 0},
      {"other separator", "2024-3-5", 1, "/", 0},
      {"no separator given", "20240305", 1, "", 0},
      {"unknown type", "2024/3/5", 6, "/", 0},
      {"type 4 year overflow", "2147483647/1/1", 4, "/", 0},
      {"huge number", "99999999999/1/1", 1, "/", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextToDate(c.text, c.type, c.separator), c.date);
  }
}

TEST(LibStrsDate, DateTextRoundTripsForEveryType) {
  const TDateTime dates[] = {EncodeDate(2024, 3, 5), EncodeDate(1999, 12, 31), EncodeDate(1912, 1, 1)};
  for (int type = 1; type <= 5; ++type) {
    for (TDateTime d : dates) {
      SCOPED_TRACE(testing::Message() << "type " << type << " day " << d);
      EXPECT_EQ(TextToDate(DateToText(type, "/", d), type, "/"), d);
    }
  }
}

struct YmdCase {
  const char* name;
  AnsiString text;
  int type;
  AnsiString separator;
  AnsiString ymd;
};

TEST(LibStrsDate, TextToYmd) {
  const std::vector<YmdCase> cases = {
      {"type 1", "2024/3/5", 1, "/", "20240305"},
      {"type 2", "3/5/2024", 2, "/", "20240305"},
      {"type 3", "5/3/2024", 3, "/", "20240305"},
      {"type 4", "113/3/5", 4, "/", "20240305"},
      {"type 5", "094/03/05", 5, "/", "20050305"},
      {"other type reads as type 1", "2024/3/5", 0, "/", "20240305"},
      {"blanks around the parts", " 2024 /  3/ 5 ", 1, "/", "20240305"},
      {"fixed positions without a separator", "20240305", 1, "", "20240305"},
      {"fixed positions, blanks trimmed first", " 20240305 ", 1, "", "20240305"},
      {"calendar not checked", "2023/2/31", 1, "/", "20230231"},
      {"zero month", "2024/0/5", 1, "/", "0"},
      {"zero month at fixed positions", "20240005", 1, "", "0"},
      {"short text at fixed positions", "202403", 1, "", "0"},
      {"not a number", "2024/x/5", 1, "/", "0"},
      {"missing part", "2024/3", 1, "/", "0"},
      {"empty text", "", 1, "/", "0"},
      {"blank text", "  ", 2, "/", "0"},
      {"type 4 year overflow", "2147483647/1/1", 4, "/", "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextToYmd(c.text, c.type, c.separator), c.ymd);
  }
}

struct StoredCase {
  const char* name;
  AnsiString ymd;
  bool valid;
  TDateTime date;  // YmdToDate
};

TEST(LibStrsDate, StoredDateText) {
  const std::vector<StoredCase> cases = {
      {"ordinary date", "20240305", true, EncodeDate(2024, 3, 5)},
      {"lowest stored date", "17530101", true, EncodeDate(1753, 1, 1)},
      {"highest stored date", "99991231", true, EncodeDate(9999, 12, 31)},
      {"31 December 1752 is below the range", "17521231", false, EncodeDate(1752, 12, 31)},
      {"30 February", "20230230", false, 0},
      {"29 February of a leap year", "20240229", true, EncodeDate(2024, 2, 29)},
      {"29 February of a common year", "20230229", false, 0},
      {"zero month", "20240005", false, 0},
      {"zero day", "20240300", false, 0},
      {"zero year", "00000101", false, 0},
      {"seven characters", "2024035", false, 0},
      {"nine characters", "202403051", false, 0},
      {"blanks inside", "2024 3 5", false, 0},
      {"hexadecimal part", "2024$1$5", false, 0},
      {"signed part", "2024-1-5", false, 0},
      {"letters", "2024MMDD", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsValidYmd(c.ymd), c.valid);
    EXPECT_EQ(YmdToDate(c.ymd), c.date);
  }
  EXPECT_TRUE(IsValidYmd(""));
  EXPECT_EQ(YmdToDate(""), 0);
}

struct DateTimeCase {
  const char* name;
  AnsiString text;
  TDateTime value;
};

TEST(LibStrsDate, YmdTimeToDateTime) {
  const std::vector<DateTimeCase> cases = {
      {"date and time", "20240305140709045", EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45)},
      {"date without time", "20240305", EncodeDate(2024, 3, 5)},
      {"zero date gives the time alone", "00000000123000000", EncodeTime(12, 30, 0, 0)},
      {"zero month gives the time alone", "20240005080000000", EncodeTime(8, 0, 0, 0)},
      {"non-numeric parts read as 0", "20240305xx30", EncodeDate(2024, 3, 5) + EncodeTime(0, 30, 0, 0)},
      {"impossible date", "20230230120000000", 0},
      {"impossible hour", "20240305250000000", 0},
      {"impossible minute", "20240305126000000", 0},
      {"empty text", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DOUBLE_EQ(YmdTimeToDateTime(c.text), c.value);
  }
}

// Before 30 December 1899 the day count is negative; the time of day still
// runs forward within the day.
TEST(LibStrsDate, YmdTimeToDateTimeBefore1900KeepsTheDay) {
  const TDateTime value = YmdTimeToDateTime("18000101060000000");
  int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, ms = 0;
  platform::DecodeDate(value, y, m, d);
  platform::DecodeTime(value, h, n, s, ms);
  EXPECT_EQ(y, 1800);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(n, 0);
}

}  // namespace
}  // namespace kv
