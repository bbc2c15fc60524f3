#include "platform/AnsiString.h"

#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/StringList.h"
#include "platform/TestSupport.h"

namespace platform {
namespace {

using testing::A;
using testing::Bytes;

TEST(AnsiString, SearchesStepOverDoubleByteCharacters) {
  // In GBK the character 乙 is 0xD2 0xD2 and 丁 is 0xB6 0xA1; the bytes
  // "\xD2\xB6" straddle a character boundary and must not be found.
  AnsiString s = Bytes("\xD2\xD2\xB6\xA1");
  EXPECT_EQ(s.Pos(Bytes("\xD2\xB6")), 0u);
  EXPECT_EQ(s.Pos(Bytes("\xB6\xA1")), 3u);
  // A trail byte that equals "\" (0x5C) is not a path separator.
  AnsiString path = Bytes("\x81\x5C" "a\\b");
  EXPECT_EQ(path.Pos("\\"), 4u);
  EXPECT_EQ(AnsiString("abc").Pos(""), 0u) << "an empty needle is never found";
  EXPECT_EQ(AnsiString("abcabc").Pos("c", 4), 6u);
}

TEST(AnsiString, CaseFoldingTouchesAsciiLettersOnly) {
  // 0x81 0x61 is a GBK character whose trail byte is "a".
  AnsiString s = Bytes("ab\x81\x61");
  EXPECT_EQ(UpperCase(s), Bytes("AB\x81\x61"));
  EXPECT_TRUE(SameText("Corvane", "CORVANE"));
  EXPECT_FALSE(SameText(Bytes("\x81\x61"), Bytes("\x81\x41")));
}

TEST(AnsiString, TruncationKeepsWholeCharacters) {
  AnsiString s = A(u8"a人事");  // 1 + 2 + 2 bytes
  EXPECT_EQ(s.Truncated(2), AnsiString("a"));
  EXPECT_EQ(s.Truncated(3), A(u8"a人"));
  EXPECT_TRUE(s.IsLeadByteAt(2));
  EXPECT_FALSE(s.IsLeadByteAt(3));
}

TEST(AnsiString, TrimAndReplace) {
  EXPECT_EQ(Trim(Bytes(" \t\r\nx y\x01 ")), AnsiString("x y"));
  EXPECT_EQ(StringReplaceAll("a,b,,c", ",", ";"), AnsiString("a;b;;c"));
  EXPECT_EQ(StringReplaceAll("$$x", "$$", "$$db.."), AnsiString("$$db..x")) << "no rescan of new text";
  EXPECT_EQ(StringReplaceAll("abc", "", "x"), AnsiString("abc"));
}

TEST(StringList, TextNamesAndSortedLookup) {
  TStringList list;
  list.SetText("b=2\r\na=1=x\nc\r");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Values("A"), AnsiString("1=x")) << "split at the first =, name case ignored";
  EXPECT_EQ(list.Names(2), AnsiString(""));
  EXPECT_EQ(list.Text(), AnsiString("b=2\r\na=1=x\r\nc\r\n"));
  list.SetValue("b", "");
  EXPECT_EQ(list.Count(), 2);
  list.SetSorted(true);
  EXPECT_EQ(list[0], AnsiString("a=1=x"));
  int at = -1;
  EXPECT_TRUE(list.Find("C", at));
  EXPECT_EQ(at, 1);
  EXPECT_THROW(list[5], EStringListError);
}

TEST(StringList, OwnedObjectsAreFreedWithTheirLines) {
  struct Counted : TObject {
    explicit Counted(int* n) : n(n) { ++*n; }
    ~Counted() override { --*n; }
    int* n;
  };
  int alive = 0;
  {
    TStringList list(true);
    list.AddObject("x", new Counted(&alive));
    list.AddObject("y", new Counted(&alive));
    list.Delete(0);
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);
}

}  // namespace
}  // namespace platform
