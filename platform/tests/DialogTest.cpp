// Message dialogs, message boxes and the scripted dialog service; the
// standard controls they are built from (labels, buttons, edits, check
// boxes, panels): their keys, their behaviour and their property tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FormResource.h"
#include "platform/ui/PropertyAccess.h"
#include "platform/ui/StdCtrls.h"

namespace platform::dialogtest {

using testing::A;

std::string U(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::vector<std::string> Strings(const std::vector<AnsiString>& texts) {
  std::vector<std::string> out;
  for (const AnsiString& t : texts) out.push_back(t.ToUtf8());
  return out;
}

// A form whose Save button asks before it saves, and goes on afterwards.
class TAskingForm : public TForm {
  PLATFORM_CLASS(TAskingForm)

 public:
  explicit TAskingForm(TComponent* owner) : TForm(owner) {
    save = new TButton(this);
    save->SetName("btnSave");
    save->SetParent(this);
    save->OnClick = TNotifyEvent::Bind<&TAskingForm::SaveClick>(this);
  }
  void SaveClick(TObject*) {
    Log.push_back("asking");
    const TModalResult answer = MessageDlg(A(u8"保存修改吗？"), mtConfirmation, mbYesNoCancel);
    Log.push_back("answer " + std::to_string(answer));
    Log.push_back(ModalLevelText());
  }
  static std::string ModalLevelText() { return "modal level " + std::to_string(Application().ModalLevel()); }

  TButton* save;
  std::vector<std::string> Log;
};

const TClassInfo& TAskingForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TAskingForm>("TAskingForm", TForm::StaticClass()).Build();
  return info;
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A modal loop waiting for an answer nobody scripted fails at once.
    Application().SetIdleHandler([] {
      ADD_FAILURE() << "a modal loop went idle without an answer";
      Application().Terminate();
    });
  }
  void TearDown() override {
    Application().SetIdleHandler(nullptr);
    Application().Reset();
  }

  // Failures of a script are failures of the test.
  static ScopedDialogScript::FailureHandler FailTest() {
    return [](const AnsiString& failure) { ADD_FAILURE() << failure.ToUtf8(); };
  }
  // Failures a test expects are collected instead.
  ScopedDialogScript::FailureHandler Collect() {
    return [this](const AnsiString& failure) { collected_.push_back(failure.ToUtf8()); };
  }

  std::vector<std::string> collected_;
};

TEST_F(DialogTest, ADialogIsAnsweredInsideAHandlerThatGoesOnAfterTheAnswer) {
  TComponent owner(nullptr);
  auto* form = CreateForm<TAskingForm>(&owner);
  form->Show();
  ScopedDialogScript script(FailTest());
  script.Answer("No");

  ASSERT_TRUE(Application().DispatchClick(form->save));

  EXPECT_EQ(form->Log, (std::vector<std::string>{"asking", "answer " + std::to_string(mrNo), "modal level 0"}));
  ASSERT_EQ(script.Shown().size(), 1u);
  const TShownDialog& shown = script.Shown()[0];
  EXPECT_EQ(shown.Caption, "Confirm");
  EXPECT_EQ(shown.Text, A(u8"保存修改吗？"));
  EXPECT_EQ(shown.Type, mtConfirmation);
  EXPECT_EQ(Strings(shown.Buttons), (std::vector<std::string>{"Yes", "No", "Cancel"}));
  EXPECT_EQ(shown.DefaultButton, "Yes");
  EXPECT_EQ(shown.Pressed, "No");
  EXPECT_EQ(script.PendingAnswers(), 0);
  EXPECT_TRUE(form->Active());
}

TEST_F(DialogTest, TheDialogIsBuiltFromNamedComponentsThatCanBeAdjustedBeforeShowing) {
  TComponentPtr<TMessageForm> dialog(CreateMessageDialog("Delete the row?", mtWarning, mbOKCancel, mbCancel));
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->Caption(), "Warning");
  EXPECT_EQ(dialog->MessageText(), "Delete the row?");
  auto* ok = dynamic_cast<TButton*>(dialog->FindComponent("OK"));
  auto* cancel = dynamic_cast<TButton*>(dialog->FindComponent("Cancel"));
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(ok->Caption(), "OK");
  EXPECT_EQ(ok->ModalResult(), mrOk);
  // The default asked for is the only one marked and comes first in tab order.
  EXPECT_FALSE(ok->Default());
  EXPECT_TRUE(cancel->Default());
  EXPECT_TRUE(cancel->Cancel());
  EXPECT_EQ(cancel->TabOrder(), 0);
  EXPECT_EQ(dialog->ActiveControl(), cancel);
  EXPECT_EQ(dialog->FindComponent("Yes"), nullptr);

  // What programs do with it: their own caption, texts and results.
  dialog->SetCaption(A(u8"销售订单"));
  ok->SetCaption(A(u8"确定"));
  cancel->SetCaption(A(u8"取消"));
  cancel->SetModalResult(mrAbort);
  dialog->MessageLabel()->SetCaption(A(u8"删除这一行吗？"));

  ScopedDialogScript script(FailTest());
  std::vector<std::string> seenCaptions;
  script.Answer("Cancel", [&](TMessageForm& shown) {
    for (TButton* b : shown.Buttons()) seenCaptions.push_back(b->Caption().ToUtf8());
  });
  EXPECT_EQ(dialog->ShowModal(), mrAbort);
  EXPECT_EQ(seenCaptions, (std::vector<std::string>{U(u8"确定"), U(u8"取消")}));
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Shown()[0].Caption, A(u8"销售订单"));
  EXPECT_EQ(script.Shown()[0].Text, A(u8"删除这一行吗？"));
  EXPECT_FALSE(dialog->Visible());
  dialog->Free();
}

TEST_F(DialogTest, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
  struct Case {
    const char* name;
    TMsgDlgButtons buttons;
    std::optional<TMsgDlgBtn> defaultButton;
    Word key;
    TModalResult expected;  // mrNone: the key does nothing
  };
  const Case cases[] = {
      {"Enter: OK before Yes", TMsgDlgButtons{mbYes, mbOK}, std::nullopt, VK_RETURN, mrOk},
      {"Enter: Yes without OK", mbYesNoCancel, std::nullopt, VK_RETURN, mrYes},
      {"Enter: the default asked for", mbYesNoCancel, mbNo, VK_RETURN, mrNo},
      {"Enter: a default not in the set is ignored", mbOKCancel, mbYes, VK_RETURN, mrOk},
      {"Esc: Cancel", mbYesNoCancel, std::nullopt, VK_ESCAPE, mrCancel},
      {"Esc: No without Cancel", mbYesNo, std::nullopt, VK_ESCAPE, mrNo},
      {"Esc: OK alone", TMsgDlgButtons{mbOK}, std::nullopt, VK_ESCAPE, mrOk},
      {"Esc: nothing to cancel with", mbAbortRetryIgnore, std::nullopt, VK_ESCAPE, mrNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TComponentPtr<TMessageForm> dialog(CreateMessageDialog("Go on?", mtConfirmation, c.buttons, c.defaultButton));
    TModalResult afterKey = -1;
    Application().QueueCall([&] {
      TCustomForm* modal = Application().ModalForm();
      ASSERT_EQ(modal, dialog.get());
      EXPECT_TRUE(Application().DispatchKey(modal, c.key, TShiftState()));
      afterKey = modal->ModalResult();
      if (afterKey == mrNone) modal->SetModalResult(mrIgnore);
    });
    const TModalResult result = dialog->ShowModal();
    EXPECT_EQ(afterKey, c.expected);
    EXPECT_EQ(result, c.expected == mrNone ? mrIgnore : c.expected);
    dialog->Free();
  }
}

TEST_F(DialogTest, EnterInAnEditOfAFormPressesItsDefaultButton) {
  TComponent owner(nullptr);
  auto* form = CreateForm<TForm>(&owner);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = new TButton(form);
  cancel->SetParent(form);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  struct Counter {
    int clicks = 0;
    void Click(TObject*) { ++clicks; }
  } okClicks;
  ok->OnClick = TNotifyEvent::Bind<&Counter::Click>(&okClicks);

  for (Word key : {VK_RETURN, VK_ESCAPE}) {
    SCOPED_TRACE(key);
    Application().QueueCall([&] {
      EXPECT_EQ(form->ActiveControl(), edit);
      Application().DispatchKey(form, key, TShiftState());
    });
    EXPECT_EQ(form->ShowModal(), key == VK_RETURN ? mrOk : mrCancel);
  }
  EXPECT_EQ(okClicks.clicks, 1);

  // A disabled default button is not pressed.
  ok->SetEnabled(false);
  TModalResult afterKey = -1;
  Application().QueueCall([&] {
    Application().DispatchKey(form, VK_RETURN, TShiftState());
    afterKey = form->ModalResult();
    form->SetModalResult(mrIgnore);
  });
  form->ShowModal();
  EXPECT_EQ(afterKey, mrNone);
}

TEST_F(DialogTest, EachButtonAnswersWithItsModalResult) {
  struct Case {
    TMsgDlgBtn button;
    const char* name;
    const char* caption;
    TModalResult expected;
  };
  const Case cases[] = {
      {mbYes, "Yes", "&Yes", mrYes},           {mbNo, "No", "&No", mrNo},
      {mbOK, "OK", "OK", mrOk},                {mbCancel, "Cancel", "Cancel", mrCancel},
      {mbAbort, "Abort", "&Abort", mrAbort},   {mbRetry, "Retry", "&Retry", mrRetry},
      {mbIgnore, "Ignore", "&Ignore", mrIgnore}, {mbAll, "All", "&All", mrAll},
      {mbNoToAll, "NoToAll", "N&o to All", mrNoToAll}, {mbYesToAll, "YesToAll", "Yes to &All", mrYesToAll},
  };
  const TMsgDlgButtons all{mbYes,   mbNo,  mbOK,      mbCancel,   mbAbort, mbRetry,
                           mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedDialogScript script(FailTest());
    std::string caption;
    script.Answer(c.name, [&](TMessageForm& d) {
      if (auto* b = dynamic_cast<TButton*>(d.FindComponent(c.name))) caption = b->Caption().Bytes();
    });
    EXPECT_EQ(MessageDlg("Which?", mtInformation, all, 0), c.expected);
    EXPECT_EQ(caption, c.caption);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(Strings(script.Shown()[0].Buttons),
              (std::vector<std::string>{"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll",
                                        "YesToAll", "Help"}));
  }

  // Help closes nothing: the next answer is for the same dialog.
  ScopedDialogScript script(FailTest());
  script.Answer("Help").Answer("OK");
  EXPECT_EQ(MessageDlg("Need help?", mtInformation, TMsgDlgButtons{mbOK, mbHelp}, 42), mrOk);
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Shown()[0].Pressed, "OK");
  EXPECT_EQ(script.Shown()[0].Caption, "Information");
}

TEST_F(DialogTest, MessageBoxFlagsChooseButtonsIconAndDefault) {
  struct Case {
    const char* name;
    unsigned flags;
    const char* press;
    std::vector<std::string> buttons;
    const char* defaultButton;
    TMsgDlgType type;
    int expected;
  };
  const Case cases[] = {
      {"plain", MB_OK, "OK", {"OK"}, "OK", mtCustom, IDOK},
      {"error icon", MB_OK | MB_ICONERROR, "OK", {"OK"}, "OK", mtError, IDOK},
      {"question, second default", MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, "Cancel",
       {"Yes", "No", "Cancel"}, "No", mtConfirmation, IDCANCEL},
      {"retry counts before cancel", MB_RETRYCANCEL | MB_ICONWARNING | MB_DEFBUTTON2, "Retry",
       {"Cancel", "Retry"}, "Cancel", mtWarning, IDRETRY},
      {"third default", MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, "Abort", {"Abort", "Retry", "Ignore"}, "Ignore",
       mtCustom, IDABORT},
      {"default beyond the buttons", MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON3, "No", {"Yes", "No"}, "Yes",
       mtInformation, IDNO},
      {"unknown button bits", 0x000E, "OK", {"OK"}, "OK", mtCustom, IDOK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedDialogScript script(FailTest());
    script.Answer(c.press);
    EXPECT_EQ(MessageBox(A(u8"文件已存在"), "Error!!", c.flags), c.expected);
    ASSERT_EQ(script.Shown().size(), 1u);
    const TShownDialog& shown = script.Shown()[0];
    EXPECT_EQ(shown.Caption, "Error!!");
    EXPECT_EQ(shown.Text, A(u8"文件已存在"));
    EXPECT_EQ(Strings(shown.Buttons), c.buttons);
    EXPECT_EQ(shown.DefaultButton, c.defaultButton);
    EXPECT_EQ(shown.Type, c.type);
  }
}

TEST_F(DialogTest, ADialogTheScriptCannotAnswerFailsWithItsCaptionAndText) {
  {
    ScopedDialogScript script(Collect());
    EXPECT_EQ(MessageDlg(A(u8"连接服务器失败"), mtError, TMsgDlgButtons{mbOK}), mrCancel);
    ASSERT_EQ(collected_.size(), 1u);
    EXPECT_NE(collected_[0].find("\"Error\""), std::string::npos) << collected_[0];
    EXPECT_NE(collected_[0].find(U(u8"连接服务器失败")), std::string::npos) << collected_[0];
    EXPECT_EQ(Application().ModalLevel(), 0);

    collected_.clear();
    script.Answer("Yes");
    EXPECT_EQ(MessageDlg("Overwrite?", mtWarning, mbOKCancel), mrCancel);
    ASSERT_EQ(collected_.size(), 1u);
    EXPECT_NE(collected_[0].find("\"Yes\""), std::string::npos) << collected_[0];
    EXPECT_NE(collected_[0].find("Overwrite?"), std::string::npos) << collected_[0];
    EXPECT_NE(collected_[0].find("OK, Cancel"), std::string::npos) << collected_[0];

    // A button the user cannot press is not pressed by the script either.
    collected_.clear();
    script.Answer("OK", [](TMessageForm& d) { dynamic_cast<TButton*>(d.FindComponent("OK"))->SetEnabled(false); });
    EXPECT_EQ(MessageDlg("Print?", mtConfirmation, mbOKCancel), mrCancel);
    ASSERT_EQ(collected_.size(), 1u);
    EXPECT_NE(collected_[0].find("Print?"), std::string::npos) << collected_[0];

    collected_.clear();
    script.Answer("Cancel");
  }
  // An answer never used is reported when the script ends.
  ASSERT_EQ(collected_.size(), 1u);
  EXPECT_NE(collected_[0].find("\"Cancel\""), std::string::npos) << collected_[0];
}

TEST_F(DialogTest, ShowMessageGoesThroughADialogWhileAScriptRuns) {
  const AnsiString savedTitle = Application().Title();
  Application().SetTitle(A(u8"采购管理"));
  std::vector<std::string> presented;
  ScopedMessagePresenter outer([&](const AnsiString& text) { presented.push_back(text.ToUtf8()); });
  {
    ScopedDialogScript script(FailTest());
    script.Answer("OK");
    ShowMessage(A(u8"已保存"));
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Caption, A(u8"采购管理"));
    EXPECT_EQ(script.Shown()[0].Text, A(u8"已保存"));
    EXPECT_EQ(Strings(script.Shown()[0].Buttons), std::vector<std::string>{"OK"});
  }
  EXPECT_TRUE(presented.empty());
  ShowMessage("after");
  EXPECT_EQ(presented, std::vector<std::string>{"after"});
  Application().SetTitle(savedTitle);
}

// --- the controls ---

struct ChangeCounter {
  int changes = 0;
  void Changed(TObject*) { ++changes; }
};

TEST_F(DialogTest, PropertyTablesAreSetByName) {
  TComponent owner(nullptr);
  auto* label = new TLabel(&owner);
  auto* button = new TButton(&owner);
  auto* edit = new TEdit(&owner);
  auto* check = new TCheckBox(&owner);
  auto* panel = new TPanel(&owner);
  edit->SetName("edCode");
  struct Case {
    TPersistent* instance;
    const char* property;
    const char* text;
  };
  const Case cases[] = {
      {label, "Alignment", "taCenter"},    {label, "AutoSize", "False"},     {label, "Transparent", "True"},
      {button, "ModalResult", "6"},     {button, "Default", "True"},
      {button, "Cancel", "True"},          {edit, "MaxLength", "8"},         {edit, "ReadOnly", "True"},
      {edit, "CharCase", "ecLowerCase"},   {edit, "Text", "abc"},            {check, "State", "cbGrayed"},
      {check, "AllowGrayed", "True"},      {panel, "BevelOuter", "bvLowered"}, {panel, "Align", "alClient"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.property);
    EXPECT_TRUE(SetPropValue(*c.instance, c.property, c.text));
    AnsiString text;
    EXPECT_TRUE(GetPropValue(*c.instance, c.property, text));
    EXPECT_EQ(text, c.text);
  }
  SetObjectProp(*label, "FocusControl", edit);
  EXPECT_EQ(label->FocusControl(), edit);
  EXPECT_EQ(button->ModalResult(), mrYes);
  EXPECT_EQ(edit->MaxLength(), 8);
  EXPECT_EQ(check->State(), cbGrayed);
  EXPECT_FALSE(check->Checked());
  EXPECT_EQ(panel->Align(), alClient);
  EXPECT_FALSE(SetPropValue(*check, "State", "cbMaybe", true));
  EXPECT_EQ(check->State(), cbGrayed);

  // A label forgets a focus control that goes.
  delete edit;
  EXPECT_EQ(label->FocusControl(), nullptr);
}

struct TextResource {
  TextResource(const char* name, std::string text) : bytes(std::move(text)) {
    resource = TFormResource{name, "test", reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
  }
  std::string bytes;
  TFormResource resource{};
};

TEST_F(DialogTest, AResourceCreatesTheControlsByClassName) {
  TextResource r("TForm", U(u8R"(object PickForm: TForm
  Caption = '选择'
  object pnlTop: TPanel
    Align = alTop
    BevelOuter = bvNone
    Caption = ''
    object lblCode: TLabel
      Caption = '代码(&C)'
      FocusControl = edCode
      Alignment = taRightJustify
    end
    object edCode: TEdit
      Text = 'abc'
      MaxLength = 10
      CharCase = ecUpperCase
    end
    object chkAll: TCheckBox
      Caption = 'All'
      Checked = True
    end
  end
  object btnOK: TButton
    Caption = 'OK'
    Default = True
    ModalResult = 1
  end
end
)"));
  TComponent owner(nullptr);
  auto* form = new TForm(&owner);
  const TFormResource* chain[] = {&r.resource};
  ReadComponentResources(*form, chain, ThisModule());

  auto* panel = dynamic_cast<TPanel*>(form->FindComponent("pnlTop"));
  auto* label = dynamic_cast<TLabel*>(form->FindComponent("lblCode"));
  auto* edit = dynamic_cast<TEdit*>(form->FindComponent("edCode"));
  auto* check = dynamic_cast<TCheckBox*>(form->FindComponent("chkAll"));
  auto* button = dynamic_cast<TButton*>(form->FindComponent("btnOK"));
  ASSERT_TRUE(panel && label && edit && check && button);
  EXPECT_EQ(form->Caption(), A(u8"选择"));
  EXPECT_EQ(panel->Align(), alTop);
  EXPECT_EQ(panel->BevelOuter(), bvNone);
  EXPECT_EQ(label->Parent(), panel);
  EXPECT_EQ(label->Caption(), A(u8"代码(&C)"));
  EXPECT_EQ(label->FocusControl(), edit);  // named before it is read
  EXPECT_EQ(label->Alignment(), taRightJustify);
  EXPECT_EQ(edit->Text(), "ABC");
  EXPECT_EQ(edit->MaxLength(), 10);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(button->Parent(), form);
  EXPECT_TRUE(button->Default());
  EXPECT_EQ(button->ModalResult(), mrOk);
}

TEST_F(DialogTest, AnEditLimitsWhatTheUserEntersInBytesAndCase) {
  TComponent owner(nullptr);
  auto* edit = new TEdit(&owner);
  ChangeCounter counter;
  edit->OnChange = TNotifyEvent::Bind<&ChangeCounter::Changed>(&counter);

  edit->SetMaxLength(5);
  EXPECT_TRUE(edit->EnterText(A(u8"中文字")));
  EXPECT_EQ(edit->Text(), A(u8"中文"));  // the third character would be split
  EXPECT_EQ(counter.changes, 1);
  EXPECT_TRUE(edit->EnterText(A(u8"中文")));
  EXPECT_EQ(counter.changes, 1);  // the same text is no change

  // Typed bytes: a double-byte character arrives in two key presses and is
  // refused whole when it does not fit.
  edit->SetText("");
  edit->SetCharCase(ecUpperCase);
  edit->SetMaxLength(4);
  std::string typed = std::string("ab") + A(u8"中文").Bytes();
  for (char ch : typed) {
    char key = ch;
    edit->KeyPress(key);
    EXPECT_EQ(key, 0);
  }
  EXPECT_EQ(edit->Text(), "AB" + A(u8"中"));
  char back = '\b';
  edit->KeyPress(back);
  EXPECT_EQ(edit->Text(), "AB");

  // Code sets what it likes; the user cannot change a read-only edit.
  edit->SetText("longer than four");
  EXPECT_EQ(edit->Text(), "LONGER THAN FOUR");
  edit->SetReadOnly(true);
  const int before = counter.changes;
  EXPECT_FALSE(edit->EnterText("x"));
  char key = 'x';
  edit->KeyPress(key);
  EXPECT_EQ(edit->Text(), "LONGER THAN FOUR");
  EXPECT_EQ(counter.changes, before);
}

TEST_F(DialogTest, ACheckBoxRunsOnClickOnceForEachChangeOfState) {
  TComponent owner(nullptr);
  auto* check = new TCheckBox(&owner);
  ChangeCounter clicks;
  check->OnClick = TNotifyEvent::Bind<&ChangeCounter::Changed>(&clicks);

  check->Click();
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(clicks.changes, 1);
  check->SetChecked(true);
  EXPECT_EQ(clicks.changes, 1);
  check->Click();
  EXPECT_EQ(check->State(), cbUnchecked);
  EXPECT_EQ(clicks.changes, 2);

  check->SetAllowGrayed(true);
  std::vector<TCheckBoxState> cycle;
  for (int i = 0; i < 3; ++i) {
    check->Click();
    cycle.push_back(check->State());
  }
  EXPECT_EQ(cycle, (std::vector<TCheckBoxState>{cbChecked, cbGrayed, cbUnchecked}));
  EXPECT_EQ(clicks.changes, 5);
}

}  // namespace platform::dialogtest
