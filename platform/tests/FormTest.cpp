// Forms, the application's message loop and its input entry point:
// key preview, focus by tab order, closing, deferred frees, posted
// messages, modal loops inside handlers, termination and exceptions.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Form.h"
#include "platform/ui/FormResource.h"

namespace platform::formtest {

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

// An edit box that records the keys it is given; with WantReturns it keeps
// Enter for itself, as a memo does.
class TFormTestEdit : public TWinControl {
  PLATFORM_CLASS(TFormTestEdit)

 public:
  explicit TFormTestEdit(TComponent* owner) : TWinControl(owner) {}
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool v) { ChangeProperty(wantReturns_, v, "WantReturns"); }
  bool WantsKey(Word key, TShiftState) const override { return wantReturns_ && key == VK_RETURN; }
  void KeyDown(Word& key, TShiftState shift) override {
    Log().push_back(Name().Bytes() + ".KeyDown " + std::to_string(key));
    TWinControl::KeyDown(key, shift);
  }
  void KeyPress(char& key) override {
    Log().push_back(Name().Bytes() + ".KeyPress " + std::to_string(static_cast<int>(key)));
    TWinControl::KeyPress(key);
  }

 private:
  bool wantReturns_ = false;
};

const TClassInfo& TFormTestEdit::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TFormTestEdit>("TFormTestEdit", TWinControl::StaticClass())
          .Boolean("WantReturns", &TFormTestEdit::WantReturns, &TFormTestEdit::SetWantReturns)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TFormTestEdit);

class TFormTestPanel : public TWinControl {
  PLATFORM_CLASS(TFormTestPanel)

 public:
  explicit TFormTestPanel(TComponent* owner) : TWinControl(owner) {}
};

const TClassInfo& TFormTestPanel::StaticClass() {
  static const TClassInfo info = TClassBuilder<TFormTestPanel>("TFormTestPanel", TWinControl::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TFormTestPanel);

class TFormTestButton : public TWinControl {
  PLATFORM_CLASS(TFormTestButton)

 public:
  explicit TFormTestButton(TComponent* owner) : TWinControl(owner) {}
};

const TClassInfo& TFormTestButton::StaticClass() {
  static const TClassInfo info = TClassBuilder<TFormTestButton>("TFormTestButton", TWinControl::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TFormTestButton);

// The form read from TEntryForm.form: it previews keys (consuming F2 and
// '+'), answers close queries and chooses its close action as the test
// sets them; btnClose runs whatever the test puts in OnButton.
class TEntryForm : public TForm {
  PLATFORM_CLASS(TEntryForm)

 public:
  explicit TEntryForm(TComponent* owner) : TForm(owner) {}

  TFormTestEdit* Edit(const char* name) const { return dynamic_cast<TFormTestEdit*>(FindComponent(name)); }

  void FormKeyDown(TObject*, Word& key, TShiftState) {
    Log().push_back("form.KeyDown " + std::to_string(key));
    if (key == VK_F1 + 1) key = 0;
  }
  void FormKeyPress(TObject*, char& key) {
    Log().push_back("form.KeyPress " + std::to_string(static_cast<int>(key)));
    if (key == '+') key = 0;
  }
  void FormCloseQuery(TObject*, bool& canClose) {
    Log().push_back("form.CloseQuery");
    canClose = AllowClose;
  }
  void FormClose(TObject*, TCloseAction& action) {
    Log().push_back("form.Close");
    action = Action;
  }
  void FormDestroy(TObject*) { Log().push_back("form.Destroy"); }
  void btnCloseClick(TObject*) {
    Log().push_back("click begin");
    if (OnButton) OnButton();
    Log().push_back("click end");
  }

  bool AllowClose = true;
  TCloseAction Action = caHide;
  std::function<void()> OnButton;
};

const TClassInfo& TEntryForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TEntryForm>("TEntryForm", TForm::StaticClass())
                                     .PUBLISHED_HANDLER(TEntryForm, FormKeyDown)
                                     .PUBLISHED_HANDLER(TEntryForm, FormKeyPress)
                                     .PUBLISHED_HANDLER(TEntryForm, FormCloseQuery)
                                     .PUBLISHED_HANDLER(TEntryForm, FormClose)
                                     .PUBLISHED_HANDLER(TEntryForm, FormDestroy)
                                     .PUBLISHED_HANDLER(TEntryForm, btnCloseClick)
                                     .Build();
  return info;
}
PLATFORM_FORM_RESOURCE(TEntryForm);

// A dialog without a resource: a posted WM_USER message sets its modal
// result (the scripted answer), and its OnShow runs what the test sets.
constexpr unsigned kAnswer = WM_USER + 1;

class TAnswerDialog : public TForm {
  PLATFORM_CLASS(TAnswerDialog)

 public:
  explicit TAnswerDialog(TComponent* owner) : TForm(owner) {
    OnShow = TNotifyEvent::Bind<&TAnswerDialog::DialogShow>(this);
    OnHide = TNotifyEvent::Bind<&TAnswerDialog::DialogHide>(this);
  }
  void DialogHide(TObject*) {
    if (WhenHidden) WhenHidden();
  }
  void DialogShow(TObject*) {
    Log().push_back(Name().Bytes() + ".Show");
    if (WhenShown) WhenShown();
  }
  void WndProc(TMessage& message) override {
    if (message.Msg == kAnswer) {
      Log().push_back(Name().Bytes() + ".Answer " + std::to_string(message.WParam));
      if (WhenAnswered) WhenAnswered();
      SetModalResult(static_cast<TModalResult>(message.WParam));
      return;
    }
    TForm::WndProc(message);
  }
  std::function<void()> WhenShown;
  std::function<void()> WhenAnswered;
  std::function<void()> WhenHidden;
};

const TClassInfo& TAnswerDialog::StaticClass() {
  static const TClassInfo info = TClassBuilder<TAnswerDialog>("TAnswerDialog", TForm::StaticClass()).Build();
  return info;
}

struct ErrorRecorder {
  void OnError(TObject*, const Exception& e) { Errors.push_back(std::string(e.ClassName()) + ": " + e.Message().Bytes()); }
  std::vector<std::string> Errors;
};

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Log().clear();
    // A modal loop that would wait for an answer nobody scripted fails at
    // once instead of hanging.
    Application().SetIdleHandler([] {
      ADD_FAILURE() << "a loop went idle without a scripted answer";
      Application().Terminate();
    });
    form_ = CreateForm<TEntryForm>(&owner_);
  }
  void TearDown() override {
    Application().SetIdleHandler(nullptr);
    Application().OnException = nullptr;
    Application().Reset();
  }

  TEntryForm* ShowEntry() {
    form_->Show();
    Log().clear();
    return form_.get();
  }

  TComponent owner_{nullptr};
  TComponentPtr<TEntryForm> form_;
};

TEST_F(FormTest, ResourceBuildsTheFormAndShowFocusesTheFirstControlInTabOrder) {
  ASSERT_TRUE(form_);
  EXPECT_TRUE(form_->KeyPreview());
  EXPECT_FALSE(form_->Visible());
  TFormTestEdit* memo = form_->Edit("edMemo");
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->Parent(), form_->FindComponent("pnlBody"));
  EXPECT_EQ(memo->ParentForm(), form_.get());
  EXPECT_TRUE(memo->WantReturns());

  ShowEntry();
  EXPECT_TRUE(form_->Visible());
  EXPECT_TRUE(form_->Active());
  EXPECT_EQ(form_->ActiveControl(), form_->Edit("edName"));
  EXPECT_TRUE(form_->Edit("edName")->Focused());
  EXPECT_THROW(form_->Edit("edHidden")->SetFocus(), EInvalidOperation);
  EXPECT_THROW(form_->Edit("edDisabled")->SetFocus(), EInvalidOperation);

  struct Counter {
    int calls = 0;
    void Hit(TObject*) { ++calls; }
  } resized;
  form_->OnResize = TNotifyEvent::Bind<&Counter::Hit>(&resized);
  form_->SetWidth(400);
  form_->SetBounds(0, 0, 400, 240);
  form_->SetWidth(400);
  EXPECT_EQ(resized.calls, 2);
  form_->OnResize = nullptr;
}

TEST_F(FormTest, KeyPreviewSeesKeysFirstAndMayConsumeThem) {
  struct Case {
    const char* name;
    bool preview;
    Word key;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"consumed by the form", true, VK_F1 + 1, {"form.KeyDown 113"}},
      {"passed on to the control", true, VK_F1 + 2, {"form.KeyDown 114", "edName.KeyDown 114"}},
      {"no preview: the control alone", false, VK_F1 + 1, {"edName.KeyDown 113"}},
  };
  ShowEntry();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form_->SetKeyPreview(c.preview);
    Log().clear();
    EXPECT_TRUE(Application().DispatchKey(form_.get(), c.key, TShiftState()));
    EXPECT_EQ(Log(), c.expected);
  }
  form_->SetKeyPreview(true);
  Log().clear();
  Application().DispatchChar(form_.get(), '+');
  Application().DispatchChar(form_.get(), '1');
  EXPECT_EQ(Log(), (std::vector<std::string>{"form.KeyPress 43", "form.KeyPress 49", "edName.KeyPress 49"}));
}

TEST_F(FormTest, EnterAndTabMoveTheFocusByTabOrder) {
  struct Case {
    const char* name;
    const char* from;
    bool isChar;  // Enter as a character, Tab as a key
    TShiftState shift;
    const char* to;
  };
  const Case cases[] = {
      {"Enter to the next in tab order, into the panel", "edName", true, {}, "edMemo"},
      {"Enter kept by a control that wants it", "edMemo", true, {}, "edMemo"},
      {"Tab leaves it, skipping hidden and disabled", "edMemo", false, {}, "edCode"},
      {"Enter wraps past a control without tab stop", "edCode", true, {}, "edName"},
      {"Shift+Tab goes back, wrapping", "edName", false, {ssShift}, "edCode"},
  };
  ShowEntry();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form_->Edit(c.from)->SetFocus();
    if (c.isChar) Application().DispatchChar(form_.get(), '\r');
    else Application().DispatchKey(form_.get(), VK_TAB, c.shift);
    ASSERT_NE(form_->ActiveControl(), nullptr);
    EXPECT_EQ(form_->ActiveControl()->Name(), c.to);
  }
}

TEST_F(FormTest, CloseQueryAndCloseActionDecideWhatCloseDoes) {
  struct Case {
    const char* name;
    bool allow;
    TCloseAction action;
    bool visibleAfter;
    TWindowState state;
    bool freedAfterEvent;
  };
  const Case cases[] = {
      {"query refuses", false, caHide, true, wsNormal, false},
      {"hide", true, caHide, false, wsNormal, false},
      {"none keeps it", true, caNone, true, wsNormal, false},
      {"minimise", true, caMinimize, true, wsMinimized, false},
      {"free after the event", true, caFree, false, wsNormal, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TComponentPtr<TEntryForm> form(CreateForm<TEntryForm>(&owner_));
    form->Show();
    form->AllowClose = c.allow;
    form->Action = c.action;
    form->OnButton = [&] { form->Close(); };
    Log().clear();
    ASSERT_TRUE(Application().DispatchClick(dynamic_cast<TControl*>(form->FindComponent("btnClose"))));
    std::vector<std::string> expected{"click begin", "form.CloseQuery"};
    if (c.allow) expected.push_back("form.Close");
    expected.push_back("click end");
    EXPECT_EQ(Log(), expected);
    // Nothing is freed inside the event.
    ASSERT_TRUE(form);
    EXPECT_EQ(form->Visible(), c.visibleAfter);
    EXPECT_EQ(form->WindowState(), c.state);
    Application().ProcessMessages();
    EXPECT_EQ(!form, c.freedAfterEvent);
    if (c.freedAfterEvent) {
      EXPECT_EQ(Log().back(), "form.Destroy");
    }
    if (form) form->Free();
  }
}

TEST_F(FormTest, PostedCloseRequestIsHandledAfterTheCurrentEvent) {
  ShowEntry();
  form_->Action = caFree;
  form_->OnButton = [&] { Application().PostMessage(form_->Handle(), WM_CLOSE); };
  ASSERT_TRUE(Application().DispatchClick(dynamic_cast<TControl*>(form_->FindComponent("btnClose"))));
  EXPECT_EQ(Log(), (std::vector<std::string>{"click begin", "click end"}));
  ASSERT_TRUE(form_);
  const THandle handle = form_->Handle();
  Application().ProcessMessages();  // the close request posts the free
  Application().ProcessMessages();  // the free
  EXPECT_EQ(Log(), (std::vector<std::string>{"click begin", "click end", "form.CloseQuery", "form.Close", "form.Destroy"}));
  EXPECT_FALSE(form_);
  EXPECT_EQ(Application().FindControl(handle), nullptr);
  // A message for the window that has gone is dropped.
  Application().PostMessage(handle, WM_CLOSE);
  Application().ProcessMessages();
  EXPECT_EQ(Log().size(), 5u);
}

TEST_F(FormTest, InputForGoneHiddenDisabledOrNonModalControlsIsDropped) {
  ShowEntry();
  int clicks = 0;
  form_->OnButton = [&] { ++clicks; };
  auto* button = dynamic_cast<TControl*>(form_->FindComponent("btnClose"));
  button->SetVisible(false);
  EXPECT_FALSE(Application().DispatchClick(button));
  button->SetVisible(true);
  form_->SetEnabled(false);
  EXPECT_FALSE(Application().DispatchClick(button));
  EXPECT_FALSE(Application().DispatchKey(form_.get(), VK_TAB, {}));
  form_->SetEnabled(true);
  EXPECT_TRUE(Application().DispatchClick(button));
  delete button;
  EXPECT_FALSE(Application().DispatchClick(button));  // the pointer is only compared
  EXPECT_EQ(clicks, 1);
}

TEST_F(FormTest, ModalFormInsideAHandlerReturnsTheScriptedAnswerAndTheHandlerGoesOn) {
  ShowEntry();
  TModalResult result = mrNone;
  bool mainTookInput = true;
  bool dialogTookInput = false;
  form_->OnButton = [&] {
    TComponentPtr<TAnswerDialog> dialog(CreateForm<TAnswerDialog>(form_.get()));
    dialog->SetName("dlgAsk");
    dialog->WhenAnswered = [&] {
      mainTookInput = Application().DispatchKey(form_.get(), VK_F1 + 2, {});
      dialogTookInput = Application().DispatchKey(dialog.get(), VK_F1 + 2, {});
    };
    Application().PostMessage(dialog->Handle(), kAnswer, mrOk);
    result = dialog->ShowModal();
    Log().push_back("modal result " + std::to_string(result));
    EXPECT_FALSE(dialog->Visible());
    EXPECT_EQ(Application().ModalLevel(), 0);
    dialog->Release();
  };
  ASSERT_TRUE(Application().DispatchClick(dynamic_cast<TControl*>(form_->FindComponent("btnClose"))));
  EXPECT_EQ(result, mrOk);
  EXPECT_FALSE(mainTookInput);
  EXPECT_TRUE(dialogTookInput);
  EXPECT_EQ(Log(), (std::vector<std::string>{"click begin", "dlgAsk.Show", "dlgAsk.Answer 1", "modal result 1", "click end"}));
  EXPECT_TRUE(form_->Active());
}

TEST_F(FormTest, ModalCloseQueryRefusalKeepsTheLoopRunning) {
  TComponentPtr<TAnswerDialog> dialog(CreateForm<TAnswerDialog>(&owner_));
  dialog->SetName("dlgAsk");
  int queries = 0;
  struct Refuser {
    int* queries;
    void Query(TObject*, bool& canClose) { canClose = ++*queries > 1; }
  } refuser{&queries};
  dialog->OnCloseQuery = TCloseQueryEvent::Bind<&Refuser::Query>(&refuser);
  Application().PostMessage(dialog->Handle(), kAnswer, mrCancel);
  Application().PostMessage(dialog->Handle(), kAnswer, mrYes);
  EXPECT_EQ(dialog->ShowModal(), mrYes);
  EXPECT_EQ(queries, 2);
}

TEST_F(FormTest, TerminateEndsEveryNestedLoopWithCancelBeforeAnythingIsFreed) {
  TComponentPtr<TAnswerDialog> outer(CreateForm<TAnswerDialog>(&owner_));
  TComponentPtr<TAnswerDialog> inner(CreateForm<TAnswerDialog>(&owner_));
  outer->SetName("dlgOuter");
  inner->SetName("dlgInner");
  TModalResult innerResult = mrNone;
  outer->WhenShown = [&] {
    Application().QueueCall([&] {
      innerResult = inner->ShowModal();
      Log().push_back("inner returned, entry form alive " + std::to_string(bool(form_)));
    });
  };
  inner->WhenShown = [&] {
    Application().QueueCall([&] {
      form_->Release();
      Application().Terminate();
    });
  };
  // A handler that lets queued messages through while the loops unwind.
  inner->WhenHidden = [] { Application().ProcessMessages(); };
  const TModalResult outerResult = outer->ShowModal();
  Log().push_back("outer returned, entry form alive " + std::to_string(bool(form_)));
  EXPECT_EQ(innerResult, mrCancel);
  EXPECT_EQ(outerResult, mrCancel);
  // A loop started after Terminate returns at once.
  inner->WhenShown = nullptr;
  EXPECT_EQ(inner->ShowModal(), mrCancel);
  Application().Run();  // ends at once and carries out the pending free
  EXPECT_FALSE(form_);
  EXPECT_EQ(Log(), (std::vector<std::string>{"dlgOuter.Show", "dlgInner.Show", "inner returned, entry form alive 1",
                                             "outer returned, entry form alive 1", "dlgInner.Show", "form.Destroy"}));
}

TEST_F(FormTest, ExceptionsFromHandlersReachOnExceptionExceptTheSilentAbort) {
  struct Case {
    const char* name;
    std::function<void()> raise;
    std::vector<std::string> reported;
  };
  const Case cases[] = {
      {"silent abort", [] { Abort(); }, {}},
      {"platform exception", [] { throw EConvertError("bad value"); }, {"EConvertError: bad value"}},
      {"standard exception", [] { throw std::runtime_error("broken"); }, {"Exception: broken"}},
  };
  ShowEntry();
  auto* button = dynamic_cast<TControl*>(form_->FindComponent("btnClose"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ErrorRecorder recorder;
    Application().OnException = TExceptionEvent::Bind<&ErrorRecorder::OnError>(&recorder);
    form_->OnButton = c.raise;
    EXPECT_TRUE(Application().DispatchClick(button));
    Application().QueueCall(c.raise);
    Application().ProcessMessages();
    std::vector<std::string> expected = c.reported;
    expected.insert(expected.end(), c.reported.begin(), c.reported.end());
    EXPECT_EQ(recorder.Errors, expected);
  }
  // Without a handler the message is shown.
  Application().OnException = nullptr;
  std::vector<std::string> shown;
  ScopedMessagePresenter presenter([&](const AnsiString& text) { shown.push_back(text.Bytes()); });
  Application().QueueCall([] { throw EConvertError("shown"); });
  Application().QueueCall([] { Abort(); });
  Application().ProcessMessages();
  EXPECT_EQ(shown, std::vector<std::string>{"shown"});
}

TEST_F(FormTest, PostsFromOtherThreadsAreHandledInOrderOnTheUIThread) {
  std::vector<int> seen;
  bool onUIThread = true;
  std::thread poster([&] {
    for (int i = 0; i < 50; ++i)
      Application().QueueCall([&, i] {
        seen.push_back(i);
        onUIThread = onUIThread && Application().IsUIThread();
      });
    Application().QueueCall([] { Application().Terminate(); });
  });
  Application().SetIdleHandler(nullptr);
  Application().Run();
  poster.join();
  ASSERT_EQ(seen.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
  EXPECT_TRUE(onUIThread);
}

TEST(ScreenTest, WaitCursorIsRestoredAndBeepNotifies) {
  Screen().SetCursor(crDefault);
  {
    TScreenCursor wait;
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    {
      TScreenCursor hand(crHandPoint);
      EXPECT_EQ(Screen().Cursor(), crHandPoint);
    }
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
  }
  EXPECT_EQ(Screen().Cursor(), crDefault);
  int notified = 0;
  const int before = Application().BeepCount();
  Application().SetBeepHandler([&] { ++notified; });
  Application().Beep();
  Application().Beep();
  Application().SetBeepHandler(nullptr);
  EXPECT_EQ(notified, 2);
  EXPECT_EQ(Application().BeepCount(), before + 2);
}

}  // namespace platform::formtest
