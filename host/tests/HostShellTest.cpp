// The host's calling sequence against the test program modules, the bad
// starts the host must survive, the login form and the program menu.
#include <gtest/gtest.h>

#include <algorithm>

#include "HostTestSupport.h"
#include "host/shell/LoginForm.h"
#include "host/shell/ProgramMenuForm.h"
#include "host/shell/ProgramModule.h"
#include "platform/Automation.h"
#include "platform/ClassRegistry.h"
#include "platform/ProgramController.h"
#include "platform/wire/SessionCredential.h"

namespace hosttest {

using platform::kNotifyClosing;
using platform::kNotifyCreated;
using platform::kNotifyDestroying;
using platform::kNotifyHidden;
using platform::kNotifyShown;

class CallingSequenceTest : public HostFixture {
 protected:
  CallingSequenceTest() {
    center.OnProgramNotify = [this](const AnsiString& code, int n) { seen.push_back(n); };
  }
  ~CallingSequenceTest() override { center.OnProgramNotify = nullptr; }
  int Run(host::TRunRequest request, AnsiString& message, Variant& result) {
    return center.RunProgram(request, message, result);
  }
  std::vector<int> seen;
};

TEST_F(CallingSequenceTest, ModelessRunOpensShowsAndReleasesAfterTheUserCloses) {
  host::TRunRequest request;
  request.ProgramCode = "TestPrg";
  request.Action = 4;
  AnsiString message;
  Variant result;
  ASSERT_EQ(Run(request, message, result), host::kRunOk) << message.c_str();
  EXPECT_EQ(seen, (std::vector<int>{kNotifyCreated, kNotifyShown}));

  platform::TCustomForm* form = VisibleForm("TestProgramForm");
  ASSERT_NE(form, nullptr);
  // Open parameter array: user, company, database, host window, extra.
  EXPECT_EQ(Caption(form, "lblOpen"), AnsiString("KV|DEMO|demo_db|0|HaldenWorkCenter"));
  // The user's rights of the program, unnarrowed.
  EXPECT_EQ(Caption(form, "lblAction"), AnsiString("action=4 rights=0x1F param="));
  EXPECT_EQ(center.OpenCount(), 1);

  form->Close();  // as the user does: the form frees itself (caFree)
  platform::Application().ProcessMessages();
  platform::Application().ProcessMessages();
  EXPECT_EQ(seen, (std::vector<int>{kNotifyCreated, kNotifyShown, kNotifyClosing, kNotifyHidden, kNotifyDestroying}));
  EXPECT_EQ(center.OpenCount(), 0);
  EXPECT_EQ(VisibleForm("TestProgramForm"), nullptr);
}

TEST_F(CallingSequenceTest, ConditionAndActionParameterReachTheForm) {
  struct Case {
    const char* name;
    Variant condition;
    const char* shown;
  } cases[] = {
      {"condition text", Variant("TE001='A'"), "TE001='A'"},
      {"condition with its data", platform::VarArrayOf({Variant("cond"), Variant(5)}), "cond|5"},
  };
  for (const Case& c : cases) {
    host::TRunRequest request;
    request.ProgramCode = "TESTPRG";
    request.Action = 10;
    request.ActionParam = Variant("P");
    request.Condition = c.condition;
    AnsiString message;
    Variant result;
    ASSERT_EQ(Run(request, message, result), host::kRunOk) << c.name;
    platform::TCustomForm* form = VisibleForm("TestProgramForm");
    ASSERT_NE(form, nullptr) << c.name;
    EXPECT_EQ(Caption(form, "lblCondition"), AnsiString(c.shown)) << c.name;
    EXPECT_EQ(Caption(form, "lblAction"), AnsiString("action=10 rights=0x1F param=P")) << c.name;
    center.CloseAll();
    EXPECT_EQ(center.OpenCount(), 0) << c.name;
  }
}

TEST_F(CallingSequenceTest, ModalRunHandsBackTheReturnValueAfterTwoCloseNotifications) {
  host::TRunRequest request;
  request.ProgramCode = "TESTPRG";
  request.Modal = true;
  request.Condition = Variant("return:saved-42");
  AnsiString message;
  Variant result;
  ASSERT_EQ(Run(request, message, result), host::kRunOk) << message.c_str();
  EXPECT_EQ(platform::VarToStr(result), AnsiString("saved-42"));
  EXPECT_EQ(std::count(seen.begin(), seen.end(), kNotifyClosing), 2);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), kNotifyDestroying);
  EXPECT_EQ(center.OpenCount(), 0);
}

TEST_F(CallingSequenceTest, ManagerExecWorkRunsAProgramWithNarrowedRights) {
  Variant manager = platform::CreateOleObject(host::kManagerClassName);
  Variant caller = platform::VarArrayOf({Variant("KV"), Variant("DEMO"), Variant("TESTPRG"), Variant(0)});
  Variant parameter = Variant("");
  Variant action = platform::VarArrayOf({Variant(0), Variant(4), Variant()});
  Variant mode = Variant(2);
  Variant out;
  Variant code = platform::OleCall(manager, "ExecWork",
                                   {platform::ByRef(caller), platform::ByRef(parameter), platform::ByRef(action),
                                    platform::ByRef(mode), platform::ByRef(out)});
  EXPECT_EQ(code.AsInteger(), host::kRunOk);
  platform::TCustomForm* form = VisibleForm("TestProgramForm");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(Caption(form, "lblAction"), AnsiString("action=0 rights=0x04 param="));
  EXPECT_EQ(platform::OleCall(manager, "DependencyVersion").AsInteger(), 8000);
  center.CloseAll();

  // Another user's or company's identity is refused.
  Variant other = platform::VarArrayOf({Variant("SOMEONE"), Variant("DEMO"), Variant("TESTPRG"), Variant(0)});
  code = platform::OleCall(manager, "ExecWork",
                           {platform::ByRef(other), platform::ByRef(parameter), platform::ByRef(action),
                            platform::ByRef(mode), platform::ByRef(out)});
  EXPECT_EQ(code.AsInteger(), host::kRunNoRight);
  EXPECT_EQ(center.OpenCount(), 0);
}

TEST_F(CallingSequenceTest, BadStartsGiveTheirCodeAndAClearTextAndTheHostGoesOn) {
  struct Case {
    const char* name;
    const char* program;
    const char* condition;
    int code;
    const char* textPart;
  } cases[] = {
      {"module file missing", "MISSING", "", host::kRunFileMissing, "MISSINGC.so"},
      {"library without GetController", "NOENTRY", "", host::kRunLoadFailed, "not a program module"},
      {"GetController raises", "FAILCTL", "", host::kRunNoComponent, "Not Assign"},
      {"program not in the user's rights", "OTHER", "", host::kRunNoRight, "no right"},
      {"code that names a path", "../TESTPRG", "", host::kRunNoRight, "no right"},
      {"form raises while shown", "TESTPRG", "raise-on-show", host::kRunUnexpected, "cannot be shown"},
  };
  for (const Case& c : cases) {
    seen.clear();
    host::TRunRequest request;
    request.ProgramCode = c.program;
    if (*c.condition) request.Condition = Variant(c.condition);
    AnsiString message;
    Variant result;
    EXPECT_EQ(Run(request, message, result), c.code) << c.name;
    EXPECT_NE(message.Pos(c.textPart), 0u) << c.name << ": " << message.c_str();
    EXPECT_EQ(center.OpenCount(), 0) << c.name;
    EXPECT_EQ(VisibleForm("TestProgramForm"), nullptr) << c.name;
  }
  // Still running: a good program opens.
  host::TRunRequest good;
  good.ProgramCode = "TESTPRG";
  AnsiString message;
  Variant result;
  EXPECT_EQ(Run(good, message, result), host::kRunOk) << message.c_str();
  EXPECT_EQ(center.OpenCount(), 1);
}

TEST_F(CallingSequenceTest, FailedStartAndUnreadableRightsHaveTheirCodes) {
  AnsiString message;
  Variant result;
  host::TRunRequest request;
  request.ProgramCode = "TESTPRG";

  // The program's start refuses the company: Open answers -1.
  center.LogOut();
  ASSERT_TRUE(center.LogIn("KV", "NOSTART", "secret").Ok);
  EXPECT_EQ(center.RunProgram(request, message, result), host::kRunInitError);
  EXPECT_NE(message.Pos("could not be started"), 0u) << message.c_str();
  EXPECT_EQ(center.OpenCount(), 0);

  TFakeAccounts broken;
  broken.rightsFail = true;
  host::TWorkCenter noRights(broken, {AnsiString(HOST_TEST_PROGRAMS)});
  ASSERT_TRUE(noRights.LogIn("KV", "DEMO", "secret").Ok);
  EXPECT_EQ(noRights.RunProgram(request, message, result), host::kRunRightsError);
  EXPECT_NE(message.Pos("rights table missing"), 0u) << message.c_str();
  EXPECT_EQ(noRights.OpenCount(), 0);
  noRights.LogOut();
}

TEST(ProgramModuleTest, FindsModulesByCodeInTheFoldersInOrder) {
  std::vector<AnsiString> folders = {AnsiString("/nonexistent/"), AnsiString(HOST_TEST_PROGRAMS)};
  EXPECT_EQ(host::FindProgramModule("TESTPRG", folders), AnsiString(HOST_TEST_PROGRAMS) + "TESTPRGC.so");
  EXPECT_TRUE(host::FindProgramModule("NOPE", folders).IsEmpty());
  struct Case {
    const char* code;
    bool valid;
  } cases[] = {{"VORN21", true}, {"TestPrg", true}, {"", false}, {"../x", false}, {"a/b", false}, {"a.b", false}};
  for (const Case& c : cases) EXPECT_EQ(host::IsValidProgramCode(c.code), c.valid) << c.code;
}

// --- login form ---

TEST(LoginFormTest, RefusedLoginTellsTheUserAndKeepsTheFormForAnotherTry) {
  TFakeAccounts accounts;
  host::TWorkCenter center(accounts, {});
  std::vector<AnsiString> failures;
  platform::ScopedDialogScript script([&](const AnsiString& f) { failures.push_back(f); });
  script.Answer("OK");

  platform::TComponentPtr<host::TLoginForm> form(platform::CreateForm<host::TLoginForm>(nullptr));
  form->SetWorkCenter(&center);
  form->Show();
  form->edUser->EnterText("KV");
  form->edCompany->EnterText("DEMO");
  form->edPassword->EnterText("wrong");
  platform::Application().DispatchClick(form->btnOK);

  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Shown()[0].Text, AnsiString("The user code or the password is not correct."));
  EXPECT_EQ(form->lblStatus->Caption(), AnsiString("The user code or the password is not correct."));
  EXPECT_TRUE(form->edPassword->Text().IsEmpty());
  EXPECT_FALSE(center.LoggedIn());
  EXPECT_TRUE(platform::SessionCredential().empty());

  form->edPassword->EnterText("secret");
  platform::Application().DispatchClick(form->btnOK);
  EXPECT_EQ(form->ModalResult(), platform::mrOk);
  EXPECT_TRUE(center.LoggedIn());
  EXPECT_EQ(platform::SessionCredential(), "S1 token");
  EXPECT_TRUE(failures.empty());
  center.LogOut();
  EXPECT_TRUE(platform::SessionCredential().empty());
  form->Free();
}

// --- program menu ---

TEST_F(CallingSequenceTest, MenuListsTheProgramsAndRunsSeveralAtOnce) {
  platform::TComponentPtr<host::TProgramMenuForm> menu(platform::CreateForm<host::TProgramMenuForm>(nullptr));
  menu->SetWorkCenter(&center);
  menu->Show();
  // New only with the add right.
  EXPECT_NE(menu->FindComponent("btnOpenTESTPRG"), nullptr);
  EXPECT_NE(menu->FindComponent("btnNewTESTPRG"), nullptr);
  EXPECT_NE(menu->FindComponent("btnOpenTESTTWO"), nullptr);
  EXPECT_EQ(menu->FindComponent("btnNewTESTTWO"), nullptr);

  auto click = [&](const char* name) {
    return platform::Application().DispatchClick(dynamic_cast<platform::TControl*>(menu->FindComponent(name)));
  };
  ASSERT_TRUE(click("btnNewTESTPRG"));
  ASSERT_TRUE(click("btnOpenTESTTWO"));
  EXPECT_EQ(center.OpenCount(), 2);
  EXPECT_EQ(menu->lblOpen->Caption(), AnsiString("Open now: TESTPRG, TESTTWO"));

  platform::TCustomForm* first = VisibleForm("TestProgramForm");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Caption(first, "lblAction"), AnsiString("action=1 rights=0x1F param="));
  first->Close();
  platform::Application().ProcessMessages();
  platform::Application().ProcessMessages();
  EXPECT_EQ(center.OpenCount(), 1);
  EXPECT_EQ(menu->lblStatus->Caption(), AnsiString("TESTPRG was closed."));
  EXPECT_TRUE(menu->Visible());

  // A program that cannot start is reported; the menu stays.
  std::vector<AnsiString> failures;
  platform::ScopedDialogScript script([&](const AnsiString& f) { failures.push_back(f); });
  script.Answer("OK");
  ASSERT_TRUE(click("btnOpenMISSING"));
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_NE(script.Shown()[0].Text.Pos("MISSINGC.so"), 0u);
  EXPECT_TRUE(menu->Visible());
  EXPECT_TRUE(failures.empty());
  center.CloseAll();
  menu->Free();
}

}  // namespace hosttest
