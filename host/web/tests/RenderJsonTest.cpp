// Browser messages: values by kind, snapshots with owners and pictures,
// browser input accepted or refused; the PNG and web-font files.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host/web/FontFile.h"
#include "host/web/PngWriter.h"
#include "host/web/RenderJson.h"
#include "platform/TestSupport.h"
#include "platform/ui/Colors.h"

namespace hostweb {
namespace {

using nlohmann::json;
using platform::RenderValue;
using platform::testing::A;

TEST(RenderJsonTest, ValuesByKind) {
  struct Case {
    const char* name;
    RenderValue value;
    const char* expected;
  };
  const Case cases[] = {
      {"text carries UTF-8 and its code page", RenderValue::OfText(A(u8"姓名")), R"({"cp":936,"text":"姓名"})"},
      {"plain integer is a number", RenderValue::OfInteger(42, "42"), "42"},
      {"negative integer", RenderValue::OfInteger(-11, "-11"), "-11"},
      {"identifier keeps its name", RenderValue::OfInteger(5, "alClient"), R"({"int":5,"name":"alClient"})"},
      {"boolean", RenderValue::OfBoolean(true), "true"},
      // TColor is 0x00BBGGRR: blue in the high byte.
      {"colour as CSS hex", RenderValue::OfColor(0x00FF8000, "$00FF8000"), R"({"name":"$00FF8000","rgb":"#0080ff"})"},
      {"clNone stays a marker", RenderValue::OfColor(platform::clNone, "clNone"), R"({"name":"clNone","rgb":null})"},
      {"float keeps its text", RenderValue::OfFloat("1.5"), R"({"float":"1.5"})"},
      {"reference", RenderValue::OfReference(77), R"({"ref":77})"},
  };
  for (const Case& c : cases) EXPECT_EQ(ValueJson(c.value), c.expected) << c.name;
}

TEST(RenderJsonTest, SnapshotCarriesOwnersAndPictures) {
  platform::FormSnapshot snapshot;
  snapshot.FormId = 10;
  platform::RenderNode form;
  form.InstanceId = 10;
  form.ClassName = "TForm";
  form.Name = "frmA";
  form.Properties["Caption"] = RenderValue::OfText(A(u8"资料"));
  platform::RenderNode list;
  list.InstanceId = 11;
  list.ClassName = "TImageList";
  list.Name = "imgs";
  snapshot.Nodes = {form, list};
  NodeExtras extras;
  extras.Owners[11] = 10;
  extras.Pictures[11]["Images"] = PictureRef{0xABCDEF, 16, 16, 3};

  const json j = json::parse(SnapshotMessage(snapshot, extras));
  EXPECT_EQ(j["type"], "form");
  EXPECT_EQ(j["form"], 10);
  ASSERT_EQ(j["nodes"].size(), 2u);
  EXPECT_EQ(j["nodes"][0]["owner"], 0);
  EXPECT_EQ(j["nodes"][0]["props"]["Caption"]["text"], "资料");
  EXPECT_EQ(j["nodes"][1]["owner"], 10);
  EXPECT_EQ(j["nodes"][1]["props"]["Images"], json::parse(R"({"pic":"0000000000abcdef","w":16,"h":16,"count":3})"));
}

TEST(RenderJsonTest, BrokenTextDoesNotLoseTheMessage) {
  platform::ChangeSet changes;
  changes.FormId = 3;
  platform::RenderChange change;
  change.InstanceId = 4;
  RenderValue broken = RenderValue::OfText("x");
  broken.Utf8 = "a\xFF" "b";  // not UTF-8
  change.Properties["Caption"] = broken;
  changes.Changed.push_back(change);
  changes.Destroyed.push_back(9);
  const json j = json::parse(ChangesMessage(changes, {}));
  EXPECT_EQ(j["changed"][0]["props"]["Caption"]["text"], "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(j["destroyed"], json::array({9}));
}

TEST(RenderJsonTest, BrowserInputAcceptedAndRefused) {
  struct Case {
    const char* name;
    const char* message;
    bool accepted;
  };
  const Case cases[] = {
      {"key with modifiers", R"({"t":"key","form":5,"vk":112,"ctrl":true})", true},
      {"character", R"({"t":"char","form":5,"text":"张"})", true},
      {"click", R"({"t":"click","id":8})", true},
      {"page", R"({"t":"page","id":8,"index":1})", true},
      {"hello", R"({"t":"hello","width":1280,"height":800})", true},
      {"grid click", R"({"t":"gridclick","id":8,"x":30,"y":40,"ctrl":true})", true},
      {"grid scroll", R"({"t":"scroll","id":8,"top":20})", true},
      {"item chosen", R"({"t":"select","id":8,"index":2})", true},
      {"item without index", R"({"t":"select","id":8})", false},
      {"grid click without y", R"({"t":"gridclick","id":8,"x":30})", false},
      {"grid scroll before the first row", R"({"t":"scroll","id":8,"top":-1})", false},
      {"not JSON", "{t:key", false},
      {"not an object", "[1,2]", false},
      {"unknown kind", R"({"t":"eval","id":1})", false},
      {"kind not a text", R"({"t":5})", false},
      {"missing target", R"({"t":"click"})", false},
      {"target zero", R"({"t":"click","id":0})", false},
      {"target negative", R"({"t":"click","id":-4})", false},
      {"target a text", R"({"t":"click","id":"8"})", false},
      {"key code out of range", R"({"t":"key","form":5,"vk":4000})", false},
      {"empty character", R"({"t":"char","form":5,"text":""})", false},
      {"character not a text", R"({"t":"char","form":5,"text":65})", false},
      {"negative page", R"({"t":"page","id":8,"index":-1})", false},
      {"invalid UTF-8", "{\"t\":\"char\",\"form\":5,\"text\":\"\xFF\"}", false},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto input = ParseBrowserInput(c.message, error);
    EXPECT_EQ(input.has_value(), c.accepted) << c.name << ": " << error;
    if (!c.accepted) {
      EXPECT_FALSE(error.empty()) << c.name;
    }
  }
  // A deeply nested message is refused without exhausting the stack.
  std::string error;
  const std::string deep = std::string(30000, '[') + std::string(30000, ']');
  EXPECT_FALSE(ParseBrowserInput(deep, error));
  const auto key = ParseBrowserInput(R"({"t":"key","form":5,"vk":112,"ctrl":true,"shift":false})", error);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->Kind, BrowserInputKind::Key);
  EXPECT_EQ(key->Target, 5u);
  EXPECT_EQ(key->Key, 112);
  EXPECT_TRUE(key->Ctrl);
  EXPECT_FALSE(key->Shift);
  EXPECT_FALSE(key->Alt);
}

std::uint32_t Be32(const std::string& d, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(d[at])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 2])) << 8 |
         static_cast<unsigned char>(d[at + 3]);
}

TEST(PngWriterTest, PixelsAndTransparency) {
  platform::TBitmap bitmap(3, 2, platform::clWhite);
  bitmap.SetPixel(0, 0, static_cast<platform::TColor>(0x00FF0000));  // blue
  bitmap.SetTransparentColor(platform::clWhite);
  const std::string png = EncodePng(bitmap);
  ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(Be32(png, 16), 3u);
  EXPECT_EQ(Be32(png, 20), 2u);
  // IDAT after IHDR (13 bytes + CRC): zlib header, one stored block, the rows.
  const std::size_t idat = 8 + 12 + 13;
  EXPECT_EQ(png.substr(idat + 4, 4), "IDAT");
  const std::string rows = png.substr(idat + 8 + 2 + 5, 2 * (1 + 3 * 4));
  EXPECT_EQ(rows.substr(0, 5), std::string("\0\0\0\xFF\xFF", 5)) << "blue, opaque";
  EXPECT_EQ(rows[8], '\0') << "the transparent colour has no alpha";
  platform::TBitmap opaque = bitmap;
  opaque.SetTransparent(false);
  EXPECT_EQ(EncodePng(opaque)[idat + 8 + 2 + 5 + 8], '\xFF');
}

// A collection of two fonts sharing one table, as the CJK font files are.
std::string TwoFontCollection() {
  auto be32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
  };
  auto font = [&](std::uint32_t tableOffset) {
    return be32(0x00010000) + std::string("\0\x01\0\x10\0\0\0\0", 8) + "glyf" + be32(0x1234) + be32(tableOffset) +
           be32(5);
  };
  const std::uint32_t first = 20, second = first + 28, table = second + 28;
  std::string d = "ttcf" + be32(0x00010000) + be32(2) + be32(first) + be32(second);
  d += font(table) + font(table) + "HELLO";
  return d;
}

TEST(FontFileTest, CollectionGivesItsFirstFont) {
  const auto single = WebFontData(TwoFontCollection());
  ASSERT_TRUE(single);
  EXPECT_EQ(Be32(*single, 0), 0x00010000u);
  EXPECT_EQ(single->substr(12, 4), "glyf");
  const std::uint32_t offset = Be32(*single, 12 + 8);
  EXPECT_EQ(offset, 28u) << "the table follows the directory";
  EXPECT_EQ(single->substr(offset, 5), "HELLO");
  EXPECT_EQ(single->size() % 4, 0u);

  struct Case {
    const char* name;
    std::string data;
    bool accepted;
  };
  std::string outside = TwoFontCollection();
  outside[20 + 12 + 8 + 3] = '\x7F';  // the table offset past the end
  const Case cases[] = {
      {"plain TrueType is kept", std::string("\0\x01\0\0", 4) + std::string(8, '\0'), true},
      {"not a font", "GIF89a......", false},
      {"too short", "ttcf", false},
      {"table outside the file", outside, false},
  };
  for (const Case& c : cases) EXPECT_EQ(WebFontData(c.data).has_value(), c.accepted) << c.name;
}

}  // namespace
}  // namespace hostweb
