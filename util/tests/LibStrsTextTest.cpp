#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TestSupport.h"
#include "platform/Variant.h"
#include "util/LibStrs.h"

namespace kv {
namespace {

using platform::AnsiString;
using platform::Variant;
using platform::testing::A;
using platform::testing::Bytes;

// "東" (0x96 0x7C) and "乗" (0x81 0x5C) in code page 936: their trail bytes
// are "|" and "\".
AnsiString East() { return A(u8"東"); }
AnsiString Jo() { return A(u8"乗"); }

TEST(LibStrsText, DoubleByteSamplesHaveDelimiterTrailBytes) {
  ASSERT_EQ(East(), Bytes("\x96\x7C"));
  ASSERT_EQ(Jo(), Bytes("\x81\x5C"));
}

struct PadCase {
  const char* name;
  AnsiString text;
  int width;
  char fill;
  AnsiString left;
  AnsiString right;
};

TEST(LibStrsText, PadLeftAndRight) {
  const std::vector<PadCase> cases = {
      {"shorter text is filled", "7", 3, '0', "007", "700"},
      {"blank is the default fill", "ab", 4, ' ', "  ab", "ab  "},
      {"text of the width stays", "abc", 3, '*', "abc", "abc"},
      {"longer text stays", "abcd", 2, '*', "abcd", "abcd"},
      {"empty text is all fill", "", 2, '-', "--", "--"},
      {"zero width", "ab", 0, '*', "ab", "ab"},
      {"negative width", "ab", -3, '*', "ab", "ab"},
      {"width counts bytes of a double-byte text", A(u8"中"), 4, '*', AnsiString("**") + A(u8"中"),
       A(u8"中") + "**"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.fill == ' ') {
      EXPECT_EQ(PadLeft(c.text, c.width), c.left);
      EXPECT_EQ(PadRight(c.text, c.width), c.right);
    }
    EXPECT_EQ(PadLeft(c.text, c.width, c.fill), c.left);
    EXPECT_EQ(PadRight(c.text, c.width, c.fill), c.right);
  }
}

struct TokenCase {
  const char* name;
  AnsiString text;
  AnsiString delimiter;
  int n;
  AnsiString token;
};

TEST(LibStrsText, GetToken) {
  const std::vector<TokenCase> cases = {
      {"first piece", "a;b;c", ";", 1, "a"},
      {"middle piece", "a;b;c", ";", 2, "b"},
      {"last piece runs to the end", "a;b;c", ";", 3, "c"},
      {"fewer pieces than n", "a;b;c", ";", 4, ""},
      {"empty piece after a trailing delimiter", "a;", ";", 2, ""},
      {"empty piece between delimiters", "a;;c", ";", 2, ""},
      {"piece after an empty one", "a;;c", ";", 3, "c"},
      {"text without the delimiter is one piece", "abc", ";", 1, "abc"},
      {"multi-byte delimiter", "k1||k2||k3", "||", 2, "k2"},
      {"half a multi-byte delimiter is no delimiter", "k1|k2||k3", "||", 1, "k1|k2"},
      {"n of zero", "a;b", ";", 0, ""},
      {"negative n", "a;b", ";", -1, ""},
      {"empty text", "", ";", 1, ""},
      {"empty delimiter never matches", "a;b", "", 1, "a;b"},
      {"empty delimiter, second piece", "a;b", "", 2, ""},
      {"search is case-sensitive", "aXbxc", "x", 1, "aXb"},
      {"trail byte | does not split", East() + "|" + A(u8"西"), "|", 1, East()},
      {"piece after a double-byte character", East() + "|" + A(u8"西"), "|", 2, A(u8"西")},
      {"trail byte \\ does not split", Jo() + "\\" + Jo(), "\\", 2, Jo()},
      {"double-byte delimiter", A(u8"甲，乙，丙"), A(u8"，"), 3, A(u8"丙")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GetToken(c.text, c.delimiter, c.n), c.token);
  }
}

struct CountCase {
  const char* name;
  AnsiString text;
  AnsiString delimiter;
  int count;
};

TEST(LibStrsText, PieceCount) {
  const std::vector<CountCase> cases = {
      {"empty text", "", ";", 0},
      {"text without the delimiter", "abc", ";", 1},
      {"three pieces", "a;b;c", ";", 3},
      {"trailing delimiter", "a;", ";", 2},
      {"only a delimiter", ";", ";", 2},
      {"multi-byte delimiter counts whole occurrences", "a|||b", "||", 2},
      {"empty delimiter", "a;b", "", 1},
      {"trail bytes are not delimiters", East() + East() + "|" + East(), "|", 2},
      {"trail bytes \\ are not delimiters", Jo() + "\\" + Jo() + Jo(), "\\", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PieceCount(c.text, c.delimiter), c.count);
  }
}

TEST(LibStrsText, ZeroPad) {
  const struct {
    const char* name;
    int value;
    int width;
    AnsiString text;
  } cases[] = {
      {"zero-filled to the width", 7, 3, "007"},
      {"wider value stays", 12345, 4, "12345"},
      {"zero width", 5, 0, "5"},
      {"negative width", 5, -2, "5"},
      {"zero", 0, 2, "00"},
      {"sign before the zeros", -5, 3, "-005"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ZeroPad(c.value, c.width), c.text);
  }
}

TEST(LibStrsText, CutToken) {
  const struct {
    const char* name;
    AnsiString text;
    AnsiString delimiter;
    AnsiString head;
    AnsiString rest;
  } cases[] = {
      {"head and rest", "a,b,c", ",", "a", "b,c"},
      {"delimiter at the start", ",b", ",", "", "b"},
      {"delimiter at the end", "a,", ",", "a", ""},
      {"no delimiter takes all", "abc", ",", "abc", ""},
      {"multi-byte delimiter", "x::y", "::", "x", "y"},
      {"empty delimiter takes all", "a,b", "", "a,b", ""},
      {"empty text", "", ",", "", ""},
      {"trail byte | is not a delimiter", East() + "|x", "|", East(), "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AnsiString text = c.text;
    EXPECT_EQ(CutToken(text, c.delimiter), c.head);
    EXPECT_EQ(text, c.rest);
  }
}

TEST(LibStrsText, CutTokenRepeatedlyWalksThePieces) {
  AnsiString text = "2024/3/5";
  EXPECT_EQ(CutToken(text, "/"), "2024");
  EXPECT_EQ(CutToken(text, "/"), "3");
  EXPECT_EQ(CutToken(text, "/"), "5");
  EXPECT_EQ(text, "");
  EXPECT_EQ(CutToken(text, "/"), "");
}

TEST(LibStrsText, ReplaceAll) {
  const struct {
    const char* name;
    AnsiString text;
    AnsiString old;
    AnsiString with;
    bool trim;
    AnsiString result;
  } cases[] = {
      {"every comma becomes a semicolon", "a,b,,c", ",", ";", false, "a;b;;c"},
      {"a change of case only is not made", "abcab", "a", "A", false, "abcab"},
      {"equal ignoring case, longer texts", "Field,field", "field", "FIELD", false, "Field,field"},
      {"search is case-sensitive", "aAa", "A", "b", false, "aba"},
      {"nothing to replace", "abc", "x", "y", false, "abc"},
      {"removal", "2024/03/05", "/", "", false, "20240305"},
      {"trimmed when asked", "  a b \t", " ", " ", true, "a b"},
      {"trim after removal", " / / ", "/", "", true, ""},
      {"not trimmed without the flag", " a,b ", ",", ";", false, " a;b "},
      {"empty old leaves the text", "abc", "", "x", false, "abc"},
      {"empty old still trims", "  abc ", "", "x", true, "abc"},
      {"trail byte | is not replaced", East() + "|", "|", ";", false, East() + ";"},
      {"trail byte \\ is not replaced", Jo() + "\\" + Jo(), "\\", "/", false, Jo() + "/" + Jo()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReplaceAll(c.text, c.old, c.with, c.trim), c.result);
  }
}

// The replacement may contain the text it replaces: the database prefix
// "$$" becomes a database name followed by "..", and a name that itself
// holds "$$" must neither loop nor be replaced again.
TEST(LibStrsText, ReplaceAllDoesNotRescanReplacedText) {
  EXPECT_EQ(ReplaceAll("select * from $$ADMMB, $$CMSMV", "$$", "DB$$1..", false),
            "select * from DB$$1..ADMMB, DB$$1..CMSMV");
  EXPECT_EQ(ReplaceAll("aa", "a", "aa", false), "aaaa");
  EXPECT_EQ(ReplaceAll("$$$", "$$", "$", false), "$$");
}

TEST(LibStrsText, ChooseAndIsEmptyOrNull) {
  EXPECT_EQ(Choose(true, Variant(1), Variant("b")), Variant(1));
  EXPECT_EQ(Choose(false, Variant(1), Variant("b")), Variant("b"));

  const struct {
    const char* name;
    Variant value;
    bool emptyOrNull;
  } cases[] = {
      {"unassigned", platform::Unassigned(), true},
      {"null", platform::Null(), true},
      {"empty text is a value", Variant(""), false},
      {"zero is a value", Variant(0), false},
      {"array is a value", platform::VarArrayOf({Variant(1)}), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsEmptyOrNull(c.value), c.emptyOrNull);
  }
  Variant null = platform::Null();
  EXPECT_TRUE(IsEmptyOrNull(platform::ByRef(null)));
}

TEST(LibStrsText, IsLocalHost) {
  EXPECT_TRUE(IsLocalHost("127.0.0.1"));
  for (const char* other : {"localhost", " 127.0.0.1", "127.0.0.2", "127.0.0.10", "", "::1"}) {
    SCOPED_TRACE(other);
    EXPECT_FALSE(IsLocalHost(other));
  }
}

TEST(LibStrsText, LocalButtonCaption) {
  const struct {
    const char* name;
    AnsiString caption;
  } cases[] = {
      {"Yes", A(u8"是(&Y)")},       {"No", A(u8"否(&N)")},          {"OK", A(u8"确定")},
      {"Cancel", A(u8"取消")},      {"Abort", A(u8"中断(&A)")},     {"Retry", A(u8"重试(&R)")},
      {"Ignore", A(u8"忽略(&I)")},  {"All", A(u8"全部(&A)")},       {"NoToAll", A(u8"全否(&o)")},
      {"YesToAll", A(u8"全是(&A)")}, {"Help", A(u8"帮助(&H)")},
      {"Close", "Close"},           {"yes", "yes"},                 {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LocalButtonCaption(c.name), c.caption);
  }
}

}  // namespace
}  // namespace kv
