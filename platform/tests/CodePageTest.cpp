#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include "platform/TestSupport.h"

namespace platform {
namespace {

using testing::A;

struct ExtendedBig5Scope {
  explicit ExtendedBig5Scope(bool on) : previous(ExtendedBig5()) { SetExtendedBig5(on); }
  ~ExtendedBig5Scope() { SetExtendedBig5(previous); }
  bool previous;
};

TEST(CodePage, RoundTripsEachDoubleBytePage) {
  struct Case {
    const char* name;
    unsigned cp;
    std::string bytes;
    std::u16string wide;
  } cases[] = {
      {"GB text", 936, "\xC8\xCB\xCA\xC2", u"人事"},
      {"GB euro single byte", 936, "\x80", u"\u20AC"},
      {"BIG5 text", 950, "\xA4\x48\xA8\xC6", u"人事"},
      {"code page 437 box drawing", 437, "\xC4", u"\u2500"},
      {"ASCII in 950", 950, "abc", u"abc"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToWide(c.bytes, c.cp), c.wide) << c.name;
    EXPECT_EQ(FromWide(c.wide, c.cp), c.bytes) << c.name;
  }
}

TEST(CodePage, InvalidInputBecomesQuestionMarkPerCharacter) {
  bool used = false;
  // 0xFF is no GBK byte; 0x81 0x7F is no pair (the 0x7F survives); 0x81 0x40
  // is a pair glibc cannot read; a lead byte at the end stands alone.
  EXPECT_EQ(ToWide("a\xFF" "b\x81\x7F" "c\xB0", 936, &used), u"a?b?\x7F" "c?");
  EXPECT_TRUE(used);
  EXPECT_EQ(FromWide(u"x\u0E01y", 936, &used), "x?y");  // Thai has no GB form
  EXPECT_TRUE(used);
  EXPECT_EQ(FromWide(u"\xD800z", 950), "?z");  // lone surrogate
}

TEST(CodePage, SizeQueriesAndTheApiContract) {
  const char* gb = "\xC8\xCB" "a";
  EXPECT_EQ(MultiByteToWideChar(936, 0, gb, 3, nullptr, 0), 2);
  char16_t out[4] = {};
  EXPECT_EQ(MultiByteToWideChar(936, 0, gb, 3, out, 4), 2);
  EXPECT_EQ(out[0], u'\u4EBA');
  EXPECT_EQ(MultiByteToWideChar(936, 0, gb, 3, out, 1), 0) << "too small an output fails";
  EXPECT_EQ(MultiByteToWideChar(936, 0, gb, -1, out, 4), 3) << "-1 counts the terminator";
  EXPECT_EQ(WideCharToMultiByte(936, 0, u"人a", 2, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(MultiByteToWideChar(12345, 0, gb, 3, out, 4), 0) << "unknown code page";
}

TEST(CodePage, LeadBytesFollowTheCodePage) {
  EXPECT_TRUE(IsLeadByte(936, 0x81));
  EXPECT_FALSE(IsLeadByte(936, 0x80));
  EXPECT_FALSE(IsLeadByte(437, 0xC8));
  ScopedCodePage cp(950);
  EXPECT_TRUE(IsLeadByte(CP_ACP, 0xA4));
  EXPECT_EQ(CharLength(CP_ACP, "\xA4", 0), 1u) << "a lead byte at the end is one byte";
}

TEST(CodePage, ExtendedBig5MapsBothRangesOnlyWhenSwitchedOn) {
  struct Case {
    const char* name;
    std::string pair;
    char16_t codePoint;  // 0: not in the mapping
  } cases[] = {
      {"first row, lowest", "\x81\x80", 0xA001},
      {"first row, highest with a way back", "\xFE\xA0", 0xC07E},
      {"second row, low part", "\xA3\xC0", 0xC101},
      {"second row, high part", "\xA3\xE1", 0xC122},
      {"0xA3 0xE0 is skipped", "\xA3\xE0", 0},
      {"ordinary BIG5 pair", "\xA4\x40", 0},
  };
  ExtendedBig5Scope on(true);
  for (const auto& c : cases) {
    char16_t got = ExtendedBig5CodePoint(static_cast<unsigned char>(c.pair[0]),
                                         static_cast<unsigned char>(c.pair[1]));
    EXPECT_EQ(got, c.codePoint) << c.name;
    if (c.codePoint != 0) {
      EXPECT_EQ(ToWide(c.pair, 950), std::u16string(1, c.codePoint)) << c.name;
      EXPECT_EQ(FromWide(std::u16string(1, c.codePoint), 950), c.pair) << c.name;
    }
  }
  unsigned char l = 0, t = 0;
  EXPECT_FALSE(ExtendedBig5Pair(0xA07F, l, t)) << "low byte 0x7F has no way back";
  EXPECT_FALSE(ExtendedBig5Pair(0xC121, l, t));
}

TEST(CodePage, ExtendedBig5KeepsOrdinaryTextAndCountsInsertedBytes) {
  // ASCII, an ordinary BIG5 character, an extended pair of each row.
  std::string mixed = "a\xA4\x48\x81\x80" "b\xA3\xE5";
  {
    ExtendedBig5Scope on(true);
    std::u16string wide = ToWide(mixed, 950);
    EXPECT_EQ(wide, (std::u16string{u'a', u'\u4EBA', 0xA001, u'b', 0xC126}));
    EXPECT_EQ(FromWide(wide, 950), mixed);
    // The narrowing counts every byte it writes, the inserted ones too.
    EXPECT_EQ(WideCharToMultiByte(950, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                  nullptr, nullptr),
              static_cast<int>(mixed.size()));
    EXPECT_EQ(ToWide(mixed, 936), ToWide(mixed, 936)) << "other code pages pass unchanged";
  }
  ExtendedBig5Scope off(false);
  EXPECT_EQ(ToWide("\x81\x80", 950), u"?");
}

TEST(CodePage, Utf8BoundaryConversions) {
  EXPECT_EQ(Utf8ToWide(reinterpret_cast<const char*>(u8"人事\U0001F600")), u"人事\U0001F600");
  EXPECT_EQ(WideToUtf8(u"人事\U0001F600"), reinterpret_cast<const char*>(u8"人事\U0001F600"));
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong forms are rejected";
}

}  // namespace
}  // namespace platform
