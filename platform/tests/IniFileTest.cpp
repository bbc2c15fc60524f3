#include "platform/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Exceptions.h"
#include "platform/Registry.h"
#include "platform/TestSupport.h"

namespace platform {
namespace {

using testing::TempFolder;

TEST(IniFile, ReadsSectionsKeysAndValuesWithTheirRules) {
  TempFolder dir;
  dir.Write("a.ini",
            "; comment\r\n[Server Information]\r\n ComputerName = host1;host2; \r\n"
            "ServerPort=abc\r\nbroken line\r\n[codepage]\r\nUICodePage=950\r\n"
            "Fmt=\"  #,##0.00;-#,##0.00 \"\r\n");
  TIniFile ini(AnsiString::FromUtf8(dir.File("a.ini")));
  EXPECT_EQ(ini.ReadString("server information", "COMPUTERNAME", "x"), AnsiString("host1;host2;"));
  EXPECT_EQ(ini.ReadInteger("Server Information", "ServerPort", 211), 211) << "not a number";
  EXPECT_EQ(ini.ReadInteger("Server Information", "Missing", 211), 211);
  EXPECT_EQ(ini.ReadString("CodePage", "UICodePage", ""), AnsiString("950"));
  EXPECT_EQ(ini.ReadString("CodePage", "Fmt", ""), AnsiString("  #,##0.00;-#,##0.00 "));
  TStringList keys;
  ini.ReadSection("Server Information", keys);
  EXPECT_EQ(keys.Text(), AnsiString("ComputerName\r\nServerPort\r\n"));
}

TEST(IniFile, WritesRoundTripAndAreSeenByTheNextReader) {
  TempFolder dir;
  TIniFile ini(AnsiString::FromUtf8(dir.File("sub/u.ini")));
  EXPECT_THROW(ini.WriteString("S", "k", "v"), EIniFileException) << "the folder is missing";
  TIniFile ok(AnsiString::FromUtf8(dir.File("u.ini")));
  ok.WriteString("VoucherFormatDef", "PRT01_A$EQUAL$B", "  lead;trail  ");
  ok.WriteString("VoucherFormatDef", "second", "2");
  ok.WriteString("voucherformatdef", "SECOND", "3");
  TIniFile reader(AnsiString::FromUtf8(dir.File("u.ini")));
  EXPECT_EQ(reader.ReadString("VoucherFormatDef", "prt01_a$equal$b", ""), AnsiString("  lead;trail  "));
  TStringList values;
  reader.ReadSectionValues("VoucherFormatDef", values);
  EXPECT_EQ(values.Count(), 2);
  EXPECT_EQ(values.Values("second"), AnsiString("3"));
  ok.DeleteKey("VoucherFormatDef", "SECOND");
  EXPECT_FALSE(reader.ValueExists("VoucherFormatDef", "second"));
  EXPECT_THROW(ok.WriteString("VoucherFormatDef", "k", "a\r\nInjected=1"), EIniFileException);
  EXPECT_THROW(ok.WriteString("VoucherFormatDef", "a=b", "v"), EIniFileException);
  EXPECT_FALSE(reader.ValueExists("VoucherFormatDef", "Injected"));
  ok.EraseSection("VoucherFormatDef");
  EXPECT_FALSE(reader.SectionExists("VoucherFormatDef"));
}

TEST(Registry, ReadsMachineValuesFromTheStandInFile) {
  TempFolder dir;
  TRegistry missing;
  EXPECT_FALSE(missing.OpenKeyReadOnly("Software\\KVT\\Corvane")) << "no registry file";
  dir.WriteRegistry(reinterpret_cast<const char*>(
      u8"[HKEY_LOCAL_MACHINE\\Software\\KVT\\Corvane]\nClientPath=/opt/客户\n"
      u8"[Classes]\nMarnoSrv.Class1=/x/MarnoSrv.so\n"));
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\KVT\\Corvane"));
  EXPECT_EQ(reg.ReadString("clientpath"), testing::A(u8"/opt/客户"));
  EXPECT_FALSE(reg.ValueExists("ServerPath"));
  EXPECT_EQ(RegisteredClassLibrary("marnosrv.class1"), "/x/MarnoSrv.so");
}

}  // namespace
}  // namespace platform
