#include "kernel/CorvaneINI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/TestSupport.h"

namespace kv {
namespace {

using platform::AnsiString;
using platform::Variant;
using platform::testing::A;
using platform::testing::TempFolder;

// A client and server installation in a fresh folder, with its registry.
class Installation {
 public:
  TempFolder dir;

  std::string ClientFolder() const { return dir.File("client"); }
  std::string ServerFolder() const { return dir.File("server"); }
  AnsiString Client() const { return AnsiString::FromUtf8(ClientFolder()) + "\\"; }
  AnsiString Server() const { return AnsiString::FromUtf8(ServerFolder()) + "\\"; }

  void Registry(const std::string& values) const {
    dir.WriteRegistry("[HKEY_LOCAL_MACHINE\\Software\\KVT\\Corvane]\n" + values);
  }
  void Standard(const std::string& extra = "") const {
    Registry("ClientPath=" + ClientFolder() + "\nServerPath=" + ServerFolder() + "\n" + extra);
  }
  void ClientIni(const std::string& text, const std::string& at = "client/CorvaneC.ini") const { dir.Write(at, text); }
  void ServerIni(const std::string& text) const { dir.Write("server/CorvaneS.ini", text); }
};

std::vector<std::string> Lines(const platform::TStringList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i].ToUtf8());
  return out;
}

int Columns(const Variant& array) { return platform::VarArrayHighBound(array, 2) + 1; }

TEST(TCorvaneIniC, ReportsWhatCouldNotBeRead) {
  Installation inst;
  {
    TCorvaneIniC ini;
    EXPECT_EQ(ini.ErrorCode, AnsiString("E;000015")) << "no registry file";
    EXPECT_TRUE(ini.ClientPath.IsEmpty());
    EXPECT_TRUE(ini.IniFileName.IsEmpty());
    EXPECT_EQ(ini.ProfileType, AnsiString("0"));
    EXPECT_EQ(ini.ProfileName, AnsiString("Default"));
    EXPECT_EQ(ini.LangType, AnsiString("ENG"));
    EXPECT_TRUE(platform::VarIsEmpty(ini.ServerAddresses));
    EXPECT_EQ(ini.WorkDLLPaths.Count(), 0);
  }
  inst.dir.WriteRegistry("[Software\\KVT\\Other]\nClientPath=/x\n");
  EXPECT_EQ(TCorvaneIniC().ErrorCode, AnsiString("E;000015")) << "the key is missing";

  inst.Registry("ServerPath=" + inst.ServerFolder() + "\nProfileType=1\n");
  {
    TCorvaneIniC ini;
    EXPECT_TRUE(ini.ErrorCode.IsEmpty()) << "an empty installation path is no error";
    EXPECT_TRUE(ini.IniFileName.IsEmpty()) << "nothing more is read";
    EXPECT_EQ(ini.ProfileType, AnsiString("1"));
    EXPECT_TRUE(platform::VarIsEmpty(ini.ServerAddresses));
  }

  inst.Standard();
  {
    TCorvaneIniC ini;  // no CorvaneC.ini at all: every key takes its default
    EXPECT_TRUE(ini.ErrorCode.IsEmpty());
    EXPECT_EQ(ini.ClientPath, inst.Client());
    EXPECT_EQ(ini.IniFileName, inst.Client() + "CorvaneC.ini");
    ASSERT_EQ(Columns(ini.ServerAddresses), 1);
    EXPECT_EQ(ini.ServerAddresses.GetElement({0, 0}), Variant("127.0.0.1"));
    EXPECT_EQ(ini.ServerAddresses.GetElement({1, 0}), Variant(211));
    EXPECT_EQ(Lines(ini.WorkDLLPaths), std::vector<std::string>{(inst.Client() + "C_PKG\\").ToUtf8()});
  }

  inst.ClientIni("[Server Information]\nComputerName= ; \n[WorkDLLPath]\nMods=\\mods\n");
  {
    TCorvaneIniC ini;
    EXPECT_EQ(ini.ErrorCode, AnsiString("E;000016"));
    EXPECT_TRUE(platform::VarIsEmpty(ini.ServerAddresses));
    EXPECT_EQ(Lines(ini.WorkDLLPaths), std::vector<std::string>{"Mods=\\mods"}) << "left as read";
  }
}

TEST(TCorvaneIniC, BuildsOneAddressColumnPerHost) {
  struct Case {
    const char* name;
    const char* computerName;
    std::vector<std::string> hosts;
  } cases[] = {
      {"two hosts and a final semicolon", "alpha;beta;", {"alpha", "beta"}},
      {"a single host", "alpha", {"alpha"}},
      {"an empty host between two semicolons", "alpha;;beta", {"alpha", "", "beta"}},
      {"pieces are not trimmed", "alpha ; beta", {"alpha ", " beta"}},
      {"only one final semicolon is dropped", "alpha;;", {"alpha"}},
      {"a leading semicolon", ";alpha", {"", "alpha"}},
  };
  Installation inst;
  inst.Standard();
  for (const Case& c : cases) {
    inst.ClientIni(std::string("[Server Information]\nComputerName=") + c.computerName + "\nServerPort=3000\n");
    TCorvaneIniC ini;
    EXPECT_TRUE(ini.ErrorCode.IsEmpty()) << c.name;
    ASSERT_EQ(platform::VarArrayDimCount(ini.ServerAddresses), 2) << c.name;
    EXPECT_EQ(platform::VarArrayHighBound(ini.ServerAddresses, 1), 1) << c.name;
    ASSERT_EQ(Columns(ini.ServerAddresses), static_cast<int>(c.hosts.size())) << c.name;
    for (std::size_t i = 0; i < c.hosts.size(); ++i) {
      int column = static_cast<int>(i);
      EXPECT_EQ(ini.ServerAddresses.GetElement({0, column}), Variant(AnsiString(c.hosts[i].c_str()))) << c.name;
      EXPECT_EQ(platform::VarType(ini.ServerAddresses.GetElement({1, column})), platform::varInteger) << c.name;
      EXPECT_EQ(ini.ServerAddresses.GetElement({1, column}), Variant(3000)) << c.name;
    }
  }
}

TEST(TCorvaneIniC, FallsBackFromTheUserProfileToTheSharedFile) {
  Installation inst;
  inst.Standard("ProfileType=1\n");
  inst.ClientIni("[Client Components]\nLangType=CHS\n");
  AnsiString user = platform::UserName();
  {
    TCorvaneIniC ini;
    EXPECT_EQ(ini.ProfilePath, inst.Client()) << "the profile folder has no CorvaneC.ini";
    EXPECT_EQ(ini.IniFileName, inst.Client() + "CorvaneC.ini");
    EXPECT_EQ(ini.ProfileName, user);
    EXPECT_EQ(ini.LangType, AnsiString("CHS"));
  }
  inst.ClientIni("[Client Components]\nLangType=CHT\n", "client/Profile/" + user.ToUtf8() + "/CorvaneC.ini");
  {
    TCorvaneIniC ini;
    EXPECT_EQ(ini.ProfilePath, inst.Client() + "Profile\\" + user + "\\");
    EXPECT_EQ(ini.IniFileName, ini.ProfilePath + "CorvaneC.ini");
    EXPECT_EQ(ini.LangType, AnsiString("CHT")) << "the user's own file";
  }
  inst.Standard("ProfileType=0\n");
  EXPECT_EQ(TCorvaneIniC().ProfileName, AnsiString("Default"));
  EXPECT_EQ(TCorvaneIniC().LangType, AnsiString("CHS"));
}

TEST(TCorvaneIniC, DerivesCodePagesAndConversionModes) {
  struct Case {
    const char* name;
    unsigned system;
    const char* section;
    const char* sys, *ui, *db;
    int uiMode, dataMode;
  } cases[] = {
      {"code page 1252 without a section", 1252, "", "437", "437", "936", 0, 0},
      {"UI 936, DB 950 on a 950 system", 950, "UICodePage=936\nDBCodePage=950\n", "950", "936", "950", 4, 1},
      {"a 950 system without a section", 950, "", "950", "950", "936", 2, 2},
      {"UI 950 on a 936 system", 936, "UICodePage=950\n", "936", "950", "936", 2, 2},
      {"UI 936, DB 950 on a 936 system", 936, "UICodePage=936\nDBCodePage=950\n", "936", "936", "950", 0, 1},
      {"everything 936", 936, "", "936", "936", "936", 0, 0},
      {"UI 437", 950, "UICodePage=437\n", "950", "437", "936", 0, 0},
  };
  Installation inst;
  inst.Standard();
  for (const Case& c : cases) {
    platform::ScopedCodePage cp(c.system);
    inst.ClientIni(std::string("[CodePage]\n") + c.section);
    TCorvaneIniC ini;
    EXPECT_EQ(ini.SysCodePage, AnsiString(c.sys)) << c.name;
    EXPECT_EQ(ini.UICodePage, AnsiString(c.ui)) << c.name;
    EXPECT_EQ(ini.DBCodePage, AnsiString(c.db)) << c.name;
    EXPECT_EQ(ini.UIConvertMode, c.uiMode) << c.name;
    EXPECT_EQ(ini.DataConvertMode, c.dataMode) << c.name;
  }
  platform::ScopedCodePage cp(950);
  inst.dir.WriteRegistry("");
  TCorvaneIniC unread;
  EXPECT_EQ(unread.ErrorCode, AnsiString("E;000015"));
  EXPECT_EQ(unread.UIConvertMode, 2) << "the modes of the defaults";
  EXPECT_EQ(unread.DataConvertMode, 2);
}

TEST(TCorvaneIniC, ReadsEveryKeyWithItsDefault) {
  Installation inst;
  inst.Standard();
  inst.ClientIni(
      "[Client Components]\nLangType=CHT\n[ProductVersion]\nVersion=9.0\n[UserDefine]\nCreateGifBeforeSendJX=N\n"
      "[TaskMessageCenter Setting]\nAutoCheckNewMsg=0\nCheckInterval=5\nPopupMsg=0\nLoginCheck=1\n");
  TCorvaneIniC ini;
  EXPECT_EQ(ini.LangType, AnsiString("CHT"));
  EXPECT_EQ(ini.ProductVersion, AnsiString("9.0"));
  EXPECT_EQ(ini.CreateGifBeforeSendJX, AnsiString("N"));
  EXPECT_EQ(ini.AutoCheckNewMsg, AnsiString("0"));
  EXPECT_EQ(ini.CheckInterval, AnsiString("5"));
  EXPECT_EQ(ini.PopupMsg, AnsiString("0"));
  EXPECT_EQ(ini.LoginCheck, AnsiString("1"));

  inst.ClientIni("[Other]\n");
  TCorvaneIniC defaults;
  EXPECT_EQ(defaults.ProductVersion, AnsiString(""));
  EXPECT_EQ(defaults.CreateGifBeforeSendJX, AnsiString("Y"));
  EXPECT_EQ(defaults.AutoCheckNewMsg, AnsiString("1"));
  EXPECT_EQ(defaults.CheckInterval, AnsiString("1"));
  EXPECT_EQ(defaults.PopupMsg, AnsiString("1"));
  EXPECT_EQ(defaults.LoginCheck, AnsiString("0"));
  EXPECT_FALSE(defaults.SupportCallBack);

  struct Case {
    const char* value;
    bool on;
  } callBack[] = {{"1", true}, {"y", true}, {"Yes", true}, {"TRUE", true},
                  {"0", false}, {"2", false}, {"on", false}, {"", false}};
  for (const Case& c : callBack) {
    inst.ClientIni(std::string("[Server Information]\nSupportCallBack=") + c.value + "\n");
    EXPECT_EQ(TCorvaneIniC().SupportCallBack, c.on) << c.value;
  }
}

TEST(TCorvaneIniC, MakesModuleFoldersAbsoluteAgainstTheClientPath) {
  Installation inst;
  inst.Standard();
  inst.ClientIni(
      "[WorkDLLPath]\nLead=\\mods\nDrive=D:\\pkg\nRooted=/opt/pkg/\nRelative=sub/dir\nPlain=C_PKG\\\n");
  TCorvaneIniC ini;
  AnsiString client = inst.Client();
  EXPECT_EQ(Lines(ini.WorkDLLPaths), (std::vector<std::string>{
                                         ("Lead=" + client + "mods\\").ToUtf8(),
                                         "Drive=D:\\pkg\\",
                                         "Rooted=/opt/pkg/",
                                         ("Relative=" + client + "sub/dir\\").ToUtf8(),
                                         ("Plain=" + client + "C_PKG\\").ToUtf8(),
                                     }));
}

TEST(TCorvaneIniC, SeesAChangedFileInTheNextReader) {
  Installation inst;
  inst.Registry("ClientPath=" + inst.ClientFolder() + "/\n");
  inst.ClientIni("[Client Components]\nLangType=CHS\n");
  TCorvaneIniC first;
  EXPECT_EQ(first.ClientPath, AnsiString::FromUtf8(inst.ClientFolder() + "/")) << "a trailing / is a delimiter";
  inst.ClientIni("[Client Components]\nLangType=CHT\n");
  EXPECT_EQ(first.LangType, AnsiString("CHS"));
  EXPECT_EQ(TCorvaneIniC().LangType, AnsiString("CHT"));
}

TEST(TCorvaneIniS, FillsTheDatabaseSettingsInTheirCells) {
  Installation inst;
  inst.Standard();
  inst.ServerIni(
      "[ProductVersion]\nVersion=9.0\n[CodePage]\nUICodePage=950\n"
      "[DBE Setting]\nMainUserName=admin\nXXXXXX=" + EncodePassword("abc").ToUtf8() +
      "\nMainAlias=Main\nMainDBType=oracle\nMainDBName=erp\nMainServerName=db1\n"
      "SystemControlAddress=ctl\nOtherSystemControlAddress=  \nMainConnectionTimeOut=30\nMainCommandTimeOut=x\n"
      "TempAlias=T\nTempUserName=tu\nTempPassword=" + EncodePassword("").ToUtf8() +
      "\nTempDBType=SQLITE\nTempDBName=tmp\nTempDriverName=drv\nTempConnectionTimeOut=31\nTempCommandTimeOut=32\n"
      "DataBaseCodeOrder=Chinese_PRC_BIN\nEctAlias=E\nEctUserName=eu\nEctPassword=b0986c\n"
      "[DBPasswordCtrl]\nComputerName= pw-host \nServerPort=2000\nClientSocketPort=2001\nSupportCallBack=yes\n"
      "[WorkDLLPath]\nS=\\spkg\n");
  TCorvaneIniS ini;
  EXPECT_TRUE(ini.ErrorCode.IsEmpty());
  EXPECT_EQ(ini.ServerPath, inst.Server());
  EXPECT_EQ(ini.IniFileName, inst.Server() + "CorvaneS.ini");
  EXPECT_EQ(ini.ProductVersion, AnsiString("9.0"));
  EXPECT_EQ(ini.UICodePage, AnsiString("950"));
  EXPECT_EQ(ini.UIConvertMode, 2);
  EXPECT_EQ(ini.DataConvertMode, 2);
  EXPECT_TRUE(ini.SupportCallBack);
  EXPECT_EQ(ini.DBKind, 1) << "ORACLE without regard to case";
  EXPECT_EQ(ini.SystemControlAddress, AnsiString("ctl"));
  EXPECT_EQ(ini.OtherSystemControlAddress, AnsiString("db1")) << "blank: the main server";
  EXPECT_EQ(Lines(ini.WorkDLLPaths), std::vector<std::string>{("S=" + inst.Server() + "spkg\\").ToUtf8()});

  const Variant expected[4][8] = {
      {"Main", "admin", "abc", "oracle", "erp", "db1", 30, 3000},
      {"T", "tu", "", "SQLITE", "tmp", "drv", 31, 32},
      {"pw-host", 2000, 2001, "Chinese_PRC_BIN", Variant(), Variant(), Variant(), Variant()},
      {"E", "eu", "b0986c", Variant(), Variant(), Variant(), Variant(), Variant()},
  };
  ASSERT_EQ(platform::VarArrayHighBound(ini.DBSettings, 1), 3);
  ASSERT_EQ(platform::VarArrayHighBound(ini.DBSettings, 2), 7);
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 8; ++column)
      EXPECT_EQ(ini.DBSettings.GetElement({row, column}), expected[row][column]) << row << "," << column;
}

TEST(TCorvaneIniS, TakesItsDefaultsAndReportsAMissingKey) {
  Installation inst;
  {
    TCorvaneIniS ini;
    EXPECT_EQ(ini.ErrorCode, AnsiString("E;000015"));
    EXPECT_EQ(platform::VarArrayDimCount(ini.DBSettings), 2) << "the array exists, all Unassigned";
    EXPECT_TRUE(platform::VarIsEmpty(ini.DBSettings.GetElement({0, 0})));
  }
  inst.Standard();
  TCorvaneIniS ini;
  const Variant expected[4][8] = {
      {"Halden", "sa", "", "MSSQL", "", "", 300, 3000},
      {"HaldenTemp", "sa", "", "PARADOX", "", "PostgreSQL", 300, 3000},
      {"", 211, 1024, "Chinese_Taiwan_Stroke_BIN", Variant(), Variant(), Variant(), Variant()},
      {"EDIDATA", "sa", "", Variant(), Variant(), Variant(), Variant(), Variant()},
  };
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 8; ++column)
      EXPECT_EQ(ini.DBSettings.GetElement({row, column}), expected[row][column]) << row << "," << column;
  EXPECT_TRUE(ini.ErrorCode.IsEmpty()) << "no address list, so never E;000016";
  EXPECT_EQ(ini.DBKind, 0);
  EXPECT_TRUE(ini.SystemControlAddress.IsEmpty());
  EXPECT_EQ(Lines(ini.WorkDLLPaths), std::vector<std::string>{(inst.Server() + "S_PKG\\").ToUtf8()});

  for (const char* kind : {"DB2", "db2"}) {
    inst.ServerIni(std::string("[DBE Setting]\nMainDBType=") + kind + "\n");
    EXPECT_EQ(TCorvaneIniS().DBKind, 2) << kind;
  }
}

TEST(Password, StoresEachByteRotatedAsTwoHexDigits) {
  EXPECT_EQ(EncodePassword("abc"), AnsiString("b0986c"));
  EXPECT_EQ(DecodePassword("b0986c"), AnsiString("abc"));
  EXPECT_EQ(DecodePassword("B0986C"), AnsiString("abc")) << "hexadecimal in either case";
  EXPECT_EQ(DecodePassword("b0986c7"), AnsiString("abc")) << "an odd final digit is ignored";
  EXPECT_EQ(DecodePassword(""), AnsiString(""));

  std::string every;
  for (int b = 1; b < 256; ++b) every += static_cast<char>(b);
  AnsiString all = AnsiString::FromBytes(every);
  AnsiString stored = EncodePassword(all);
  EXPECT_EQ(stored.Length(), 2 * all.Length());
  EXPECT_EQ(stored, platform::LowerCase(stored));
  EXPECT_EQ(DecodePassword(stored), all) << "every byte, past the eighth position too";
  EXPECT_EQ(DecodePassword(EncodePassword(A(u8"密码"))), A(u8"密码"));

  AnsiString empty = EncodePassword("");
  EXPECT_EQ(empty, EncodePassword("LU_Uml_MzEmecFpyo_SovDoimHyveAbVgehw"));
  EXPECT_EQ(DecodePassword(empty), AnsiString("")) << "the marker is the empty password";
}

TEST(Password, ReportsAStoredFormThatIsNotHexadecimal) {
  Installation inst;
  inst.Standard();
  for (const char* bad : {"b0zz6c", "0x", "b0 98"}) {
    EXPECT_EQ(DecodePassword(bad), AnsiString("UH_Rrk_Zvrjihys_Kifaf")) << bad;
  }
  std::string report;
  for (const AnsiString& name : platform::FindFiles(inst.Client() + "Log", "Alert_KentraGenerator_*.log"))
    report += inst.dir.Read("client/Log/" + name.ToUtf8());
  EXPECT_NE(report.find(A(u8"Programer Message: 解析 Sa 时发生错误!").Bytes()), std::string::npos) << report;
  EXPECT_NE(report.find(" on " + EncodePassword("DecodeSQLSa").ToUtf8() + " "), std::string::npos) << report;
}

TEST(MakeModulePath, KeepsAbsolutePathsAndJoinsTheOthers) {
  struct Case {
    const char* path;
    const char* expected;
  } cases[] = {
      {"D:\\pkg\\", "D:\\pkg\\"},     {"/opt/pkg/", "/opt/pkg/"},   {"\\mods\\", "/base/mods\\"},
      {"mods\\", "/base/mods\\"},     {"", "/base/"},               {"\\", "/base/"},
  };
  for (const Case& c : cases) EXPECT_EQ(MakeModulePath(c.path, "/base/"), AnsiString(c.expected)) << c.path;
}

}  // namespace
}  // namespace kv
