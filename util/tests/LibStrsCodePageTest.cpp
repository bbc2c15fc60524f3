#include <gtest/gtest.h>

#include <vector>

#include "platform/CodePage.h"
#include "platform/TestSupport.h"
#include "platform/Variant.h"
#include "util/LibStrs.h"

namespace kv {
namespace {

using platform::AnsiString;
using platform::Variant;
using platform::WideString;
using platform::testing::A;
using platform::testing::Bytes;

const WideString kChinese = u"中文";
const AnsiString kGb = Bytes("\xD6\xD0\xCE\xC4");    // 中文 in code page 936
const AnsiString kBig5 = Bytes("\xA4\xA4\xA4\xE5");  // 中文 in code page 950

TEST(LibStrsCodePage, WideToAnsi) {
  const struct {
    const char* name;
    WideString text;
    unsigned codePage;
    AnsiString bytes;
  } cases[] = {
      {"GB", kChinese, 936, kGb},
      {"BIG5", kChinese, 950, kBig5},
      {"ASCII", u"abc", 950, "abc"},
      {"empty", u"", 950, ""},
      {"unknown code page falls back to the process code page", kChinese, 12345, kGb},
      {"process code page by CP_ACP", kChinese, platform::CP_ACP, kGb},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WideToAnsi(c.text, c.codePage), c.bytes);
  }
}

TEST(LibStrsCodePage, AnsiToWide) {
  const struct {
    const char* name;
    AnsiString bytes;
    unsigned codePage;
    WideString text;
  } cases[] = {
      {"GB", kGb, 936, kChinese},
      {"BIG5", kBig5, 950, kChinese},
      {"BIG5 with trail byte \\", Bytes("\xB3\x5C"), 950, u"許"},
      {"empty", "", 936, u""},
      {"unknown code page falls back to the process code page", kGb, 12345, kChinese},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AnsiToWide(c.bytes, c.codePage), c.text);
  }
}

TEST(LibStrsCodePage, RoundTripsThroughBothCodePages) {
  const struct {
    unsigned codePage;
    WideString text;
  } cases[] = {
      {936, u"人事异动单"}, {950, u"人事異動單"}, {936, u"員工資料"}, {950, u"員工資料"},
      {936, u"功許"},       {950, u"功許"},       {936, u"A1-b;c|d"}, {950, u"A1-b;c|d"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "code page " << c.codePage);
    EXPECT_EQ(AnsiToWide(WideToAnsi(c.text, c.codePage), c.codePage), c.text);
  }
}

TEST(LibStrsCodePage, CharacterMissingFromTheCodePageIsReplacedNotFallenBack) {
  EXPECT_EQ(WideToAnsi(u"动", 950), "?");
}

// A Variant that is a byte text with exactly these bytes (equality of
// Variants would also accept a wide text of the same characters).
void ExpectBytes(const Variant& v, const AnsiString& bytes) {
  ASSERT_EQ(platform::VarType(v), platform::varString) << v;
  EXPECT_EQ(v.AsString(), bytes);
}

void ExpectWide(const Variant& v, const WideString& text) {
  ASSERT_EQ(platform::VarType(v), platform::varOleStr) << v;
  EXPECT_EQ(v.AsWide(), text);
}

TEST(LibStrsCodePage, VariantToAnsiOfSingleValues) {
  ExpectBytes(VariantToAnsi(Variant(kChinese), 950), kBig5);
  ExpectBytes(VariantToAnsi(Variant(kChinese), 936), kGb);
  ExpectBytes(VariantToAnsi(Variant(kGb), 950), kBig5);  // read in the process code page first

  for (const Variant& same : {platform::Unassigned(), platform::Null(), Variant(42), Variant(2.5)}) {
    SCOPED_TRACE(testing::Message() << same);
    const Variant result = VariantToAnsi(same, 950);
    EXPECT_EQ(platform::VarType(result), platform::VarType(same));
    EXPECT_EQ(result, same);
  }

  Variant text(kChinese);
  ExpectBytes(VariantToAnsi(platform::ByRef(text), 950), kBig5);
}

TEST(LibStrsCodePage, VariantToAnsiOfAOneDimensionalArray) {
  const Variant nested = platform::VarArrayOf({Variant(kChinese), Variant(7)});
  const Variant value = platform::VarArrayOf({Variant(kChinese), Variant(1), Variant(kGb), nested});
  const Variant result = VariantToAnsi(value, 950);

  ASSERT_EQ(platform::VarArrayDimCount(result), 1);
  ASSERT_EQ(platform::VarArrayHighBound(result, 1), 3);
  ExpectBytes(result[0], kBig5);
  EXPECT_EQ(result[1], Variant(1));
  ExpectBytes(result[2], kGb);  // byte texts in an array are kept
  const Variant inner = result[3];
  ASSERT_EQ(platform::VarArrayDimCount(inner), 1);
  ExpectBytes(inner[0], kBig5);
  EXPECT_EQ(inner[1], Variant(7));
  ExpectWide(value[0], kChinese);  // the argument itself is untouched
}

TEST(LibStrsCodePage, VariantToAnsiOfAWideTextArray) {
  Variant value = platform::VarArrayCreate({1, 2}, platform::varOleStr);
  value.PutElement({1}, Variant(kChinese));
  value.PutElement({2}, Variant(u"x"));
  const Variant result = VariantToAnsi(value, 950);
  EXPECT_EQ(platform::VarArrayLowBound(result, 1), 1);
  ExpectBytes(result.GetElement({1}), kBig5);
  ExpectBytes(result.GetElement({2}), "x");
}

TEST(LibStrsCodePage, VariantToAnsiOfATwoDimensionalArray) {
  Variant value = platform::VarArrayCreate({0, 1, 0, 1}, platform::varVariant);
  value.PutElement({0, 0}, Variant(kChinese));
  value.PutElement({1, 0}, Variant(3));
  value.PutElement({0, 1}, platform::VarArrayOf({Variant(kChinese)}));
  value.PutElement({1, 1}, Variant(u"ab"));
  const Variant result = VariantToAnsi(value, 950);

  ASSERT_EQ(platform::VarArrayDimCount(result), 2);
  ExpectBytes(result.GetElement({0, 0}), kBig5);
  EXPECT_EQ(result.GetElement({1, 0}), Variant(3));
  ExpectBytes(result.GetElement({1, 1}), "ab");
  // Arrays inside a two-dimensional array are not converted.
  ExpectWide(result.GetElement({0, 1})[0], kChinese);
}

TEST(LibStrsCodePage, ArraysOfThreeDimensionsStay) {
  Variant value = platform::VarArrayCreate({0, 0, 0, 0, 0, 1}, platform::varVariant);
  value.PutElement({0, 0, 0}, Variant(kChinese));
  value.PutElement({0, 0, 1}, Variant(kGb));
  const Variant toAnsi = VariantToAnsi(value, 950);
  ASSERT_EQ(platform::VarArrayDimCount(toAnsi), 3);
  ExpectWide(toAnsi.GetElement({0, 0, 0}), kChinese);
  const Variant toWide = VariantToWide(value, 950);
  ASSERT_EQ(platform::VarArrayDimCount(toWide), 3);
  ExpectBytes(toWide.GetElement({0, 0, 1}), kGb);
}

TEST(LibStrsCodePage, VariantToWideOfSingleValues) {
  ExpectWide(VariantToWide(Variant(kBig5), 950), kChinese);
  ExpectWide(VariantToWide(Variant(kGb), 936), kChinese);
  // A wide text is narrowed in the process code page and read in the
  // given one.
  ExpectWide(VariantToWide(Variant(kChinese), 936), kChinese);
  ExpectWide(VariantToWide(Variant(kChinese), 950), platform::ToWide(kGb.View(), 950));

  for (const Variant& same : {platform::Unassigned(), platform::Null(), Variant(true)}) {
    SCOPED_TRACE(testing::Message() << same);
    const Variant result = VariantToWide(same, 936);
    EXPECT_EQ(platform::VarType(result), platform::VarType(same));
    EXPECT_EQ(result, same);
  }
}

TEST(LibStrsCodePage, VariantToWideOfArrays) {
  const Variant value = platform::VarArrayOf(
      {Variant(kBig5), Variant(u"ab"), Variant(5), platform::VarArrayOf({Variant(kBig5)})});
  const Variant result = VariantToWide(value, 950);
  ExpectWide(result[0], kChinese);
  ExpectWide(result[1], u"ab");
  EXPECT_EQ(result[2], Variant(5));
  ExpectWide(result[3][0], kChinese);

  Variant grid = platform::VarArrayCreate({0, 0, 1, 2}, platform::varVariant);
  grid.PutElement({0, 1}, Variant(kGb));
  grid.PutElement({0, 2}, Variant(kChinese));
  const Variant converted = VariantToWide(grid, 936);
  EXPECT_EQ(platform::VarArrayLowBound(converted, 2), 1);
  ExpectWide(converted.GetElement({0, 1}), kChinese);
  ExpectWide(converted.GetElement({0, 2}), kChinese);

  Variant typed = platform::VarArrayCreate({0, 0}, platform::varOleStr);
  typed.PutElement({0}, Variant(kChinese));
  const Variant same = VariantToWide(typed, 936);
  EXPECT_EQ(platform::VarType(same), platform::varArray | platform::varOleStr);
  ExpectWide(same[0], kChinese);
}

TEST(LibStrsCodePage, ByteArraysAndNumberArraysStay) {
  const Variant bytes = platform::VarByteArrayOf("\xD6\xD0");
  EXPECT_EQ(VariantToAnsi(bytes, 950), bytes);
  EXPECT_EQ(VariantToWide(bytes, 950), bytes);
  EXPECT_EQ(platform::VarArrayBytes(VariantToWide(bytes, 950)), "\xD6\xD0");
}

}  // namespace
}  // namespace kv
