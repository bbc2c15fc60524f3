#include "kernel/UserDefINI.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Exceptions.h"
#include "platform/TestSupport.h"

namespace kv {
namespace {

using platform::AnsiString;
using platform::testing::A;
using platform::testing::TempFolder;

class UserDefinitions : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.WriteRegistry("[Software\\KVT\\Corvane]\nClientPath=" + dir.File("client") + "\n");
    dir.Write("client/CorvaneC.ini", "");
  }
  std::string File() const { return dir.Read("client/UserDef.ini"); }

  TempFolder dir;
};

TEST_F(UserDefinitions, ReadsAMissingFileAsEmptyAndCreatesItOnTheFirstStore) {
  TUserDefIni defs;
  EXPECT_EQ(defs.FileName, AnsiString::FromUtf8(dir.File("client")) + "\\UserDef.ini");
  EXPECT_EQ(defs.Definitions.Count(), 0);
  EXPECT_EQ(defs.GetDefaultFormat("PRT01", "x"), AnsiString("<New>"));

  defs.SetDefaultFormat("prt01", A(u8"单据"), A(u8"格式一"));
  EXPECT_EQ(File(), (A(u8"[VoucherFormatDef]\r\nPRT01_单据=格式一\r\n")).Bytes()) << "the program code in upper case";
  EXPECT_EQ(defs.Definitions.Text(), A(u8"PRT01_单据=格式一\r\n")) << "loaded again after the store";
  EXPECT_EQ(TUserDefIni().GetDefaultFormat("Prt01", A(u8"单据")), A(u8"格式一")) << "keys ignore case";
}

TEST_F(UserDefinitions, EscapesEqualSignsInTheQualifier) {
  EXPECT_EQ(EscapeKeyPart("A=B=C"), AnsiString("A$EQUAL$B$EQUAL$C"));
  EXPECT_EQ(EscapeKeyPart("plain"), AnsiString("plain"));
  TUserDefIni defs;
  defs.SetDefaultFormat("PRT01", "A=B", "Standard");
  EXPECT_NE(File().find("PRT01_A$EQUAL$B=Standard\r\n"), std::string::npos) << File();
  EXPECT_EQ(TUserDefIni().GetDefaultFormat("PRT01", "A=B"), AnsiString("Standard"));
  EXPECT_EQ(TUserDefIni().GetDefaultFormat("PRT01", "A"), AnsiString("<New>"));
}

TEST_F(UserDefinitions, RemovesTheEntryForNewInAnyCaseAndOnDelete) {
  TUserDefIni defs;
  for (const char* newName : {"<New>", "<NEW>", "<new>"}) {
    defs.SetDefaultFormat("PRT01", "q", "Standard");
    defs.SetDefaultFormat("PRT02", "q", "Other");
    ASSERT_EQ(defs.GetDefaultFormat("PRT01", "q"), AnsiString("Standard"));
    defs.SetDefaultFormat("prt01", "q", newName);
    EXPECT_EQ(defs.GetDefaultFormat("PRT01", "q"), AnsiString("<New>")) << newName;
    EXPECT_EQ(File().find("PRT01_q"), std::string::npos) << newName;
    EXPECT_EQ(defs.GetDefaultFormat("PRT02", "q"), AnsiString("Other")) << "other entries stay";
  }
  defs.DeleteDefaultFormat("prt02", "q");
  EXPECT_EQ(defs.GetDefaultFormat("PRT02", "q"), AnsiString("<New>")) << "the object reads the file again";
  EXPECT_EQ(TUserDefIni().Definitions.Count(), 0);
}

TEST_F(UserDefinitions, RaisesWhenTheFileCannotBeWritten) {
  dir.WriteRegistry("[Software\\KVT\\Corvane]\nClientPath=" + dir.File("missing/client") + "/\n");
  TUserDefIni defs;
  EXPECT_EQ(defs.FileName, AnsiString::FromUtf8(dir.File("missing/client") + "/UserDef.ini"));
  EXPECT_THROW(defs.SetDefaultFormat("PRT01", "q", "Standard"), platform::EIniFileException);
  EXPECT_EQ(defs.GetDefaultFormat("PRT01", "q"), AnsiString("<New>"));

  dir.WriteRegistry("[Software\\KVT\\Corvane]\nClientPath=\n");
  EXPECT_EQ(TUserDefIni().FileName, AnsiString("UserDef.ini")) << "no installation: relative, not at the root";
}

}  // namespace
}  // namespace kv
