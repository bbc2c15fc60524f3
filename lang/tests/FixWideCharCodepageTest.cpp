#include "lang/FixWideCharCodepage.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/TestSupport.h"

namespace kv {
namespace {

using platform::testing::TempFolder;

TEST(ConversionFix, SwitchFollowsCodePageAndMachineSetting) {
  struct Case {
    const char* name;
    unsigned codePage;
    const char* registry;
    bool on;
  } cases[] = {
      {"950 without a registry", 950, nullptr, true},
      {"950 without the value", 950, "[Software\\KVT\\Corvane]\nClientPath=/x\n", true},
      {"950 with UseKBIG5=1", 950, "[Software\\KVT\\Corvane]\nUseKBIG5=1\n", true},
      {"950 with UseKBIG5=0", 950, "[Software\\KVT\\Corvane]\nUseKBIG5=0\n", false},
      {"936 system", 936, "[Software\\KVT\\Corvane]\nUseKBIG5=1\n", false},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    if (c.registry) dir.WriteRegistry(c.registry);
    platform::ScopedCodePage cp(c.codePage);
    InstallConversionFix();
    EXPECT_EQ(platform::ExtendedBig5(), c.on) << c.name;
    char16_t out[2] = {};
    int n = FixedMultiByteToWideChar(950, 0, "\xA3\xE1", 2, out, 2);
    EXPECT_EQ(n, 1) << c.name;
    EXPECT_EQ(out[0], c.on ? 0xC122 : 0x20AC) << c.name;
    RemoveConversionFix();
    EXPECT_FALSE(platform::ExtendedBig5()) << c.name;
  }
}

TEST(ConversionFix, NarrowingReturnsTheAdjustedCount) {
  TempFolder dir;
  platform::ScopedCodePage cp(950);
  InstallConversionFix();
  const char16_t text[] = {u'a', 0xA001, 0xC122, u'\u4E00'};
  int needed = FixedWideCharToMultiByte(950, 0, text, 4, nullptr, 0, nullptr, nullptr);
  EXPECT_EQ(needed, 7);
  char out[8] = {};
  EXPECT_EQ(FixedWideCharToMultiByte(950, 0, text, 4, out, needed, nullptr, nullptr), 7);
  EXPECT_EQ(std::string(out, 7), "a\x81\x80\xA3\xE1\xA4\x40");
  RemoveConversionFix();
}

}  // namespace
}  // namespace kv
