#include "lang/Language_Convert.h"

#include <gtest/gtest.h>

#include <vector>

#include "language/LanguageTable.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/MessageBox.h"
#include "platform/TestSupport.h"

namespace kv {
namespace {

using platform::AnsiString;
using platform::testing::Bytes;
using platform::testing::TempFolder;

std::string Entries(const char* prefix, const std::vector<std::uint16_t>& codes) {
  std::string out;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    char value[8];
    std::snprintf(value, sizeof value, "$%04X", codes[i]);
    out += std::string(prefix) + std::to_string(i) + "=" + value + "\r\n";
  }
  return out;
}

class CharTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetCharTables();
    dir_.WriteRegistry("[Software\\KVT\\Corvane]\nClientPath=" + dir_.Path() + "/client\n");
  }
  void TearDown() override { ResetCharTables(); }

  void WriteLanguage(const std::string& text) { dir_.Write("client/Language", text); }

  TempFolder dir_;
  std::vector<AnsiString> shown_;
  platform::ScopedMessagePresenter presenter_{[this](const AnsiString& t) { shown_.push_back(t); }};
};

// 人 is GB 0xC8 0xCB at position 3708 of the GB table; the table below
// ends just before it, and maps position 3707 (0xC8 0xCA) to BIG5 0xA4 0x40.
TEST_F(CharTableTest, TableEntriesWinAndEverythingElseGoesThroughTheCodePages) {
  std::vector<std::uint16_t> gb(3708, 0);
  gb[3707] = 0xA440;
  std::vector<std::uint16_t> big5(2, 0);
  big5[1] = 0xB0A1;  // BIG5 0xA1 0x41 -> GB 0xB0 0xA1
  WriteLanguage("[BIG5]\r\n" + Entries("BIG5_", big5) + "\r\n[GB]\r\n" + Entries("GB_", gb));

  struct Case {
    const char* name;
    std::string gb;
    std::string big5;
  } cases[] = {
      {"ASCII passes", "abc 123", "abc 123"},
      {"euro sign", "\x80", "\xA3\xE1"},
      {"table entry", "\xC8\xCA", "\xA4\x40"},
      {"just past the table end: code pages", "\xC8\xCB", "\xA4\x48"},
      {"entry 0: code pages", "\xB0\xA1", "\xB0\xDA"},
      {"a final lead byte is kept", "a\xC8", "a\xC8"},
  };
  for (const auto& c : cases) EXPECT_EQ(GbToBig5Text(Bytes(c.gb)), Bytes(c.big5)) << c.name;
  EXPECT_EQ(Big5ToGbText(Bytes("\xA1\x41")), Bytes("\xB0\xA1")) << "BIG5 table entry";
  EXPECT_EQ(Big5ToGbText(Bytes("\xA3\xE1" "x")), Bytes("\x80" "x")) << "euro sign back";
  EXPECT_EQ(Big5ToGbText(Bytes("\xA4\x48")), Bytes("\xC8\xCB")) << "outside the table";
  EXPECT_EQ(Big5ToGbText(Bytes("z\xA4")), Bytes("z\xA4"));
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(CharTables().folder, platform::AnsiString::FromUtf8(dir_.Path() + "/client\\"));
}

TEST_F(CharTableTest, MissingFileWarnsOnEveryAttemptAndStillConverts) {
  EXPECT_EQ(GbToBig5Text(Bytes("\xC8\xCB")), Bytes("\xA4\x48"));
  EXPECT_EQ(Big5ToGbText(Bytes("\xA4\x48")), Bytes("\xC8\xCB"));
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_EQ(shown_[0], AnsiString("Can't find file Language !!"));
  EXPECT_FALSE(CharTables().loaded);
}

TEST_F(CharTableTest, MalformedCodesReachTheCaller) {
  for (const char* bad : {"$a440", "$A44", "$G440"}) {
    ResetCharTables();
    WriteLanguage(std::string("[BIG5]\r\nBIG5_0=") + bad + "\r\n");
    EXPECT_THROW(GbToBig5Text("x"), platform::EConvertError) << bad;
  }
}

TEST(CharTableIndex, PositionsFollowTheAreas) {
  struct Case {
    unsigned char l, t;
    int gb;
  } cases[] = {
      {0xA1, 0xA1, 0},     {0xF7, 0xFE, 8177},  {0xAA, 0xA1, -1},
      {0x81, 0x40, 8178},  {0xA0, 0xFE, 14289}, {0xAA, 0x40, 14290},
      {0xFE, 0xA0, 22534}, {0xA8, 0x40, 22535}, {0xA9, 0xA0, 22728},
  };
  for (const auto& c : cases) EXPECT_EQ(GbIndex(c.l, c.t), c.gb) << std::hex << +c.l << ' ' << +c.t;
  EXPECT_EQ(Big5Index(0xA1, 0x40), 0);
  EXPECT_EQ(Big5Index(0xA1, 0xA1), 63);
  EXPECT_EQ(Big5Index(0xA1, 0x80), -1);
  EXPECT_LT(Big5Index(0x90, 0x40), 0);
}

// The generated file, loaded the way an installation loads it, gives what
// the code pages and the script conversion give for the whole GB 2312 area.
TEST_F(CharTableTest, GeneratedTablesRoundTripTheGb2312Area) {
  WriteLanguage(corvane::tools::LanguageFileText(corvane::tools::BuildLanguageTables()));
  int checked = 0, mapped = 0;
  for (int index = 0; index <= 8177; ++index) {
    unsigned char l = 0, t = 0;
    if (!corvane::tools::GbPairAt(index, l, t)) continue;
    std::string pair{static_cast<char>(l), static_cast<char>(t)};
    bool replaced = false;
    std::u16string wide = platform::ToWide(pair, 936, &replaced);
    if (replaced) continue;
    ++checked;
    std::string traditional = corvane::tools::ConvertScript(platform::WideToUtf8(wide), "s2tw.json");
    std::string expected = platform::FromWide(platform::Utf8ToWide(traditional), 950, &replaced);
    if (replaced) expected = platform::FromWide(wide, 950);
    AnsiString big5 = GbToBig5Text(Bytes(pair));
    ASSERT_EQ(big5, Bytes(expected)) << "GB " << std::hex << +l << ' ' << +t;
    if (replaced || big5.Length() != 2) continue;
    ++mapped;
    std::string simplified = corvane::tools::ConvertScript(
        platform::WideToUtf8(platform::ToWide(big5.Bytes(), 950)), "tw2s.json");
    std::string back = platform::FromWide(platform::Utf8ToWide(simplified), 936, &replaced);
    if (replaced) back = platform::FromWide(platform::ToWide(big5.Bytes(), 950), 936);
    ASSERT_EQ(Big5ToGbText(big5), Bytes(back)) << "BIG5 of GB " << std::hex << +l << ' ' << +t;
  }
  EXPECT_GT(checked, 7000);
  EXPECT_GT(mapped, 6000);
  EXPECT_EQ(GbToBig5Text(platform::testing::A(u8"审核人事")), Bytes("\xBC\x66\xAE\xD6\xA4\x48\xA8\xC6"))
      << "s2tw keeps 审核 as 審核";
}

}  // namespace
}  // namespace kv
