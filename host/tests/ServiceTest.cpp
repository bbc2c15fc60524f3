// The manager's other members, the service windows, the shell services
// and the calculator's parser.
#include <gtest/gtest.h>

#include <cmath>

#include "HostTestSupport.h"
#include "host/shell/Calculator.h"
#include "host/shell/LookupService.h"
#include "host/shell/ShellServices.h"
#include "platform/Automation.h"
#include "platform/ClassRegistry.h"

namespace hosttest {

TEST(CalculatorTest, EvaluatesArithmeticAndRefusesEverythingElse) {
  struct Case {
    const char* expression;
    bool ok;
    double value;
    const char* errorPart;
  } cases[] = {
      {"1+2*3", true, 7, ""},
      {"(1+2)*3", true, 9, ""},
      {" 10 / 4 ", true, 2.5, ""},
      {"-3 - -2", true, -1, ""},
      {"2*(3+(4-1))/3", true, 4, ""},
      {".5+1.25", true, 1.75, ""},
      {"1.2.3", false, 0, "position 4"},
      {"", false, 0, "Enter an expression"},
      {"1+", false, 0, "ends too early"},
      {"(1+2", false, 0, "closing parenthesis"},
      {"1+2)", false, 0, "\")\" at position 4"},
      {"4/0", false, 0, "Division by zero"},
      {"4/(2-2)", false, 0, "Division by zero"},
      {"system(1)", false, 0, "\"s\" at position 1"},
      {"1e5", false, 0, "\"e\" at position 2"},
      {"2**3", false, 0, "\"*\" at position 3"},
      {"1e308*10", false, 0, "position 2"},
  };
  for (const Case& c : cases) {
    host::TCalcResult r = host::EvaluateExpression(c.expression);
    EXPECT_EQ(r.Ok, c.ok) << c.expression;
    if (c.ok) EXPECT_DOUBLE_EQ(r.Value, c.value) << c.expression;
    else EXPECT_NE(r.Error.Pos(c.errorPart), 0u) << c.expression << ": " << r.Error.c_str();
  }
}

TEST(CalculatorTest, RefusesNestingAndLengthBeyondItsLimitsAndLargeResults) {
  std::string deep(200, '(');
  deep += "1" + std::string(200, ')');
  EXPECT_NE(host::EvaluateExpression(AnsiString::FromBytes(deep)).Error.Pos("nested too deeply"), 0u);
  std::string longText(2000, '1');
  EXPECT_NE(host::EvaluateExpression(AnsiString::FromBytes(longText)).Error.Pos("too long"), 0u);
  std::string huge = "9" + std::string(300, '9') + "*" + "9" + std::string(300, '9');
  EXPECT_NE(host::EvaluateExpression(AnsiString::FromBytes(huge)).Error.Pos("too large"), 0u);
}

TEST(CalculatorTest, FormatsValuesAsTheCalculatorShowsThem) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {{7, "7"}, {2.5, "2.5"}, {-0.0, "0"}, {1.0 / 3, "0.3333333333"}, {-12.125, "-12.125"}, {1e20, "1e+20"}};
  for (const Case& c : cases) EXPECT_EQ(host::FormatCalcValue(c.value), AnsiString(c.text)) << c.text;
}

TEST(ShellServicesTest, OnlyWebAddressesOpen) {
  struct Case {
    const char* url;
    bool ok;
  } cases[] = {{"http://example.org/a", true},   {"HTTPS://example.org", true}, {"file:///etc/passwd", false},
               {"javascript:alert(1)", false},   {"http://", false},            {"http:///x", false},
               {"http://a b", false},            {"ftp://example.org", false},  {"", false}};
  for (const Case& c : cases) EXPECT_EQ(host::IsWebAddress(c.url), c.ok) << c.url;

  std::vector<AnsiString> failures;
  platform::ScopedDialogScript script([&](const AnsiString& f) { failures.push_back(f); });
  script.Answer("OK");
  host::TakeShellRequests();
  EXPECT_TRUE(host::ShellOpenUrl(" https://example.org/help "));
  EXPECT_FALSE(host::ShellOpenUrl("file:///etc/passwd"));
  std::vector<host::TShellRequest> kept = host::TakeShellRequests();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].Kind, host::TShellRequestKind::OpenUrl);
  EXPECT_EQ(kept[0].Target, AnsiString("https://example.org/help"));
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_NE(script.Shown()[0].Text.Pos("Only web addresses"), 0u);
  EXPECT_TRUE(failures.empty());
}

class ManagerTest : public HostFixture {};

TEST_F(ManagerTest, AnswersVersionMessagesHelpAndRefusesWorksItDoesNotOffer) {
  Variant manager = platform::CreateOleObject(host::kManagerClassName);
  EXPECT_EQ(platform::OleCall(manager, "DependencyVersion").AsInteger(), 8000);
  // "T" messages are asked as "E".
  EXPECT_EQ(platform::OleCall(manager, "GetMessage", {Variant("T"), Variant("000032")}).AsString(),
            AnsiString("Start failed: %s"));
  EXPECT_TRUE(platform::OleCall(manager, "GetMessage", {Variant("E"), Variant("999999")}).AsString().IsEmpty());

  host::TakeShellRequests();
  platform::OleCall(manager, "CallHelp", {platform::VarArrayOf({Variant("TES"), Variant("11PR0000")})});
  std::vector<host::TShellRequest> kept = host::TakeShellRequests();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].Target, AnsiString("TES/11PR0000"));

  struct Case {
    const char* name;
    const char* program;
    int work;
    const char* textPart;
  } cases[] = {{"print", "TESTPRG", 6, "Printing"},
               {"voucher images", "TESTPRG", 11, "voucher images"},
               {"internal message", "TMCI05", 0, "internal messages"}};
  std::vector<AnsiString> failures;
  platform::ScopedDialogScript script([&](const AnsiString& f) { failures.push_back(f); });
  for (const Case& c : cases) {
    script.Answer("OK");
    Variant caller = platform::VarArrayOf({Variant("KV"), Variant("DEMO"), Variant(c.program)});
    Variant parameter;
    Variant action = platform::VarArrayOf({Variant(c.work), Variant(0), Variant()});
    Variant mode = Variant(0);
    Variant out;
    Variant code = platform::OleCall(manager, "ExecWork",
                                     {platform::ByRef(caller), platform::ByRef(parameter), platform::ByRef(action),
                                      platform::ByRef(mode), platform::ByRef(out)});
    EXPECT_EQ(code.AsInteger(), host::kRunNotAvailable) << c.name;
    ASSERT_FALSE(script.Shown().empty()) << c.name;
    EXPECT_NE(script.Shown().back().Text.Pos(c.textPart), 0u) << c.name;
    EXPECT_NE(script.Shown().back().Text.Pos("not available"), 0u) << c.name;
  }
  EXPECT_EQ(center.OpenCount(), 0);
  EXPECT_TRUE(failures.empty());
}

// Answers the next service window from inside its modal loop.
template <class F, class Fill>
void AnswerServiceWindow(const char* name, Fill fill) {
  platform::Application().QueueCall([name, fill] {
    for (int i = 0; i < platform::Screen().FormCount(); ++i)
      if (auto* f = dynamic_cast<F*>(platform::Screen().Forms(i)); f && f->Name() == name && f->Visible()) fill(*f);
  });
}

TEST_F(ManagerTest, CalculatorAndDatePickerWindowsAnswerThroughTheLookupService) {
  Variant manager = platform::CreateOleObject(host::kManagerClassName);
  Variant f2 = platform::OleCall(manager, "Com_F2Window");
  ASSERT_NE(f2.AsDispatch(), nullptr);

  // The expression arrives prefilled; a malformed one keeps the window.
  AnswerServiceWindow<host::TCalculatorForm>("CalculatorForm", [](host::TCalculatorForm& f) {
    EXPECT_EQ(f.edExpression->Text(), AnsiString("12*"));
    platform::Application().DispatchClick(f.btnOK);
    EXPECT_NE(f.lblResult->Caption().Pos("ends too early"), 0u);
    f.edExpression->EnterText("12*3.5");
    platform::Application().DispatchClick(f.btnOK);
  });
  Variant expression = Variant("12*");
  EXPECT_EQ(platform::OleCall(f2, "GetCalcValue", {platform::ByRef(expression), Variant(0)}).AsString(),
            AnsiString("42"));

  AnswerServiceWindow<host::TCalculatorForm>("CalculatorForm", [](host::TCalculatorForm& f) {
    platform::Application().DispatchClick(f.btnCancel);
  });
  EXPECT_TRUE(platform::OleCall(f2, "GetCalcValue", {platform::ByRef(expression), Variant(0)}).AsString().IsEmpty());

  // Date picker with the ROC year shown; an impossible date is refused.
  AnswerServiceWindow<host::TDatePickerForm>("DatePickerForm", [](host::TDatePickerForm& f) {
    EXPECT_EQ(f.edYear->Text(), AnsiString("2024"));
    EXPECT_TRUE(f.lblRocYear->Visible());
    EXPECT_EQ(f.lblRocYear->Caption(), AnsiString("ROC year 113"));
    f.edDay->EnterText("30");
    platform::Application().DispatchClick(f.btnOK);
    EXPECT_EQ(f.lblError->Caption(), AnsiString("This is not a valid date."));
    f.edDay->EnterText("29");
    platform::Application().DispatchClick(f.btnOK);
  });
  EXPECT_EQ(platform::OleCall(f2, "ShowInputDay",
                              {platform::VarArrayOf({Variant(true), Variant("20240215"), Variant("demo_db")})})
                .AsString(),
            AnsiString("20240229"));
}

}  // namespace hosttest
