#include "platform/ui/Dialogs.h"

#include <algorithm>
#include <cassert>
#include <deque>

#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TMsgDlgType) {
  static const TTypeInfo t = TTypeInfo::Enumeration(
      "TMsgDlgType", {"mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom"});
  return t;
}

const TTypeInfo& EnumTypeInfo(TMsgDlgBtn) {
  static const TTypeInfo t = TTypeInfo::Enumeration(
      "TMsgDlgBtn", {"mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry", "mbIgnore", "mbAll", "mbNoToAll",
                     "mbYesToAll", "mbHelp"});
  return t;
}

namespace {

struct ButtonKind {
  const char* Name;
  const char* Caption;
  TModalResult Result;
};

constexpr TMsgDlgBtn kButtonOrder[] = {mbYes,   mbNo,     mbOK,  mbCancel,  mbAbort, mbRetry,
                                       mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp};

constexpr ButtonKind kButtons[] = {
    {"Yes", "&Yes", mrYes},       {"No", "&No", mrNo},           {"OK", "OK", mrOk},
    {"Cancel", "Cancel", mrCancel}, {"Abort", "&Abort", mrAbort},  {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore}, {"All", "&All", mrAll},        {"NoToAll", "N&o to All", mrNoToAll},
    {"YesToAll", "Yes to &All", mrYesToAll}, {"Help", "&Help", mrNone},
};

bool ValidButton(TMsgDlgBtn b) { return b >= mbYes && b <= mbHelp; }

DialogObserver& Observer() {
  static DialogObserver observer;
  return observer;
}

constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 6;
constexpr int kCharWidth = 6;  // the fixed metric of the headless text model
constexpr int kLineHeight = 13;

}  // namespace

const char* MsgDlgButtonName(TMsgDlgBtn button) {
  assert(ValidButton(button));
  return kButtons[button].Name;
}
const char* MsgDlgButtonCaption(TMsgDlgBtn button) {
  assert(ValidButton(button));
  return kButtons[button].Caption;
}
TModalResult MsgDlgButtonResult(TMsgDlgBtn button) {
  assert(ValidButton(button));
  return kButtons[button].Result;
}

const char* MsgDlgTypeCaption(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: break;
  }
  return "";
}

// --- TMessageForm ---

const TClassInfo& TMessageForm::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TMessageForm>("TMessageForm", TForm::StaticClass())
          .Enumeration("DialogType", &TMessageForm::DialogType, &TMessageForm::SetDialogType)
          .Integer("HelpContext", &TMessageForm::HelpContext, &TMessageForm::SetHelpContext)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TMessageForm);

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner) {}

TLabel* TMessageForm::MessageLabel() const { return dynamic_cast<TLabel*>(FindComponent("Message")); }

AnsiString TMessageForm::MessageText() const {
  const TLabel* label = MessageLabel();
  return label ? label->Caption() : AnsiString();
}

std::vector<TButton*> TMessageForm::Buttons() const {
  std::vector<TButton*> buttons;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(Controls(i))) buttons.push_back(b);
  return buttons;
}

void TMessageForm::KeyDown(Word& key, TShiftState shift) {
  TForm::KeyDown(key, shift);
  PressFormButtonForKey(*this, key);
}

void TMessageForm::DoShow() {
  TForm::DoShow();
  // A copy: the observer may install another one while it runs.
  if (DialogObserver observer = Observer()) observer(*this);
}

TMessageForm* CreateMessageDialog(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                                  std::optional<TMsgDlgBtn> defaultButton) {
  if (type < mtWarning || type > mtCustom) type = mtCustom;
  std::vector<TMsgDlgBtn> kinds;
  for (TMsgDlgBtn b : kButtonOrder)
    if (buttons.Contains(b)) kinds.push_back(b);
  // A dialog without buttons could never be answered.
  if (kinds.empty()) kinds.push_back(mbOK);
  const auto has = [&](TMsgDlgBtn b) { return std::find(kinds.begin(), kinds.end(), b) != kinds.end(); };

  TMsgDlgBtn defaultKind = kinds.front();
  if (defaultButton && ValidButton(*defaultButton) && has(*defaultButton)) defaultKind = *defaultButton;
  else if (has(mbOK)) defaultKind = mbOK;
  else if (has(mbYes)) defaultKind = mbYes;
  std::optional<TMsgDlgBtn> cancelKind;
  if (has(mbCancel)) cancelKind = mbCancel;
  else if (has(mbNo)) cancelKind = mbNo;
  else if (has(mbOK)) cancelKind = mbOK;

  auto* form = CreateForm<TMessageForm>(nullptr);
  try {
    form->SetName("MessageDialog");
    form->SetDialogType(type);
    form->SetCaption(type == mtCustom ? Application().Title() : AnsiString(MsgDlgTypeCaption(type)));

    auto* label = new TLabel(form);
    label->SetName("Message");
    label->SetParent(form);
    label->SetCaption(msg);
    label->SetWordWrap(true);
    // The text's extent in the fixed metric: its longest line, its lines.
    int lines = 1;
    std::size_t longest = 0, current = 0;
    for (char c : msg.Bytes()) {
      if (c == '\n') {
        ++lines;
        current = 0;
      } else if (c != '\r') {
        longest = std::max(longest, ++current);
      }
    }
    const int textWidth = static_cast<int>(std::min<std::size_t>(longest, 100)) * kCharWidth;
    const int textHeight = lines * kLineHeight;
    const int iconSpace = type == mtCustom ? 0 : 32 + kMargin;
    label->SetBounds(kMargin + iconSpace, kMargin, textWidth, textHeight);

    const int count = static_cast<int>(kinds.size());
    const int buttonsWidth = count * kButtonWidth + (count - 1) * kButtonGap;
    const int clientWidth = std::max(iconSpace + textWidth, buttonsWidth) + 2 * kMargin;
    const int buttonTop = kMargin + std::max(textHeight, type == mtCustom ? 0 : 32) + 2 * kMargin;
    int left = (clientWidth - buttonsWidth) / 2;
    TButton* defaultControl = nullptr;
    int tabOrder = 1;
    for (TMsgDlgBtn kind : kinds) {
      auto* button = new TButton(form);
      button->SetName(MsgDlgButtonName(kind));
      button->SetParent(form);
      button->SetCaption(MsgDlgButtonCaption(kind));
      button->SetModalResult(MsgDlgButtonResult(kind));
      button->SetBounds(left, buttonTop, kButtonWidth, kButtonHeight);
      button->SetDefault(kind == defaultKind);
      button->SetCancel(cancelKind && kind == *cancelKind);
      if (kind == defaultKind) {
        button->SetTabOrder(0);
        defaultControl = button;
      } else {
        button->SetTabOrder(tabOrder++);
      }
      left += kButtonWidth + kButtonGap;
    }
    form->SetBounds(0, 0, clientWidth, buttonTop + kButtonHeight + kMargin);
    form->SetActiveControl(defaultControl);
  } catch (...) {
    form->Free();
    throw;
  }
  return form;
}

TModalResult MessageDlg(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx,
                        std::optional<TMsgDlgBtn> defaultButton) {
  TComponentPtr<TMessageForm> dialog(CreateMessageDialog(msg, type, buttons, defaultButton));
  struct FreeDialog {
    TComponentPtr<TMessageForm>& dialog;
    ~FreeDialog() {
      if (dialog) dialog->Free();
    }
  } freeDialog{dialog};
  dialog->SetHelpContext(helpCtx);
  return dialog->ShowModal();
}

int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags) {
  // The buttons in the box's own order (which the default button counts).
  std::vector<TMsgDlgBtn> kinds;
  switch (flags & 0x000F) {
    case MB_OKCANCEL: kinds = {mbOK, mbCancel}; break;
    case MB_ABORTRETRYIGNORE: kinds = {mbAbort, mbRetry, mbIgnore}; break;
    case MB_YESNOCANCEL: kinds = {mbYes, mbNo, mbCancel}; break;
    case MB_YESNO: kinds = {mbYes, mbNo}; break;
    case MB_RETRYCANCEL: kinds = {mbRetry, mbCancel}; break;
    default: kinds = {mbOK}; break;
  }
  TMsgDlgButtons buttons;
  for (TMsgDlgBtn b : kinds) buttons.Include(b);
  TMsgDlgType type = mtCustom;
  switch (flags & 0x00F0) {
    case MB_ICONHAND: type = mtError; break;
    case MB_ICONQUESTION: type = mtConfirmation; break;
    case MB_ICONEXCLAMATION: type = mtWarning; break;
    case MB_ICONASTERISK: type = mtInformation; break;
    default: break;
  }
  const std::size_t defaultIndex = (flags & 0x0F00) >> 8;
  const TMsgDlgBtn defaultKind = defaultIndex < kinds.size() ? kinds[defaultIndex] : kinds.front();

  TComponentPtr<TMessageForm> dialog(CreateMessageDialog(text, type, buttons, defaultKind));
  struct FreeDialog {
    TComponentPtr<TMessageForm>& dialog;
    ~FreeDialog() {
      if (dialog) dialog->Free();
    }
  } freeDialog{dialog};
  dialog->SetCaption(caption);
  return dialog->ShowModal();
}

MessagePresenter UseMessageDialogs() {
  return SetMessagePresenter([](const AnsiString& text) { MessageDlg(text, mtCustom, TMsgDlgButtons{mbOK}); });
}

DialogObserver SetDialogObserver(DialogObserver observer) {
  DialogObserver previous = std::move(Observer());
  Observer() = std::move(observer);
  return previous;
}

// --- ScopedDialogScript ---

struct ScopedDialogScript::State {
  struct Step {
    AnsiString Button;
    std::function<void(TMessageForm&)> Adjust;
  };
  FailureHandler OnFailure;
  std::deque<Step> Answers;
  std::vector<TShownDialog> Shown;
  std::vector<AnsiString> Failures;

  void Fail(const AnsiString& failure) {
    Failures.push_back(failure);
    if (OnFailure) OnFailure(failure);
  }

  static AnsiString Describe(const TMessageForm& dialog) {
    return AnsiString("\"") + dialog.Caption() + "\": " + dialog.MessageText();
  }

  // The dialog is shown: record it and take the next answer.
  void DialogShown(TMessageForm& dialog) {
    TShownDialog shown;
    shown.Caption = dialog.Caption();
    shown.Text = dialog.MessageText();
    shown.Type = dialog.DialogType();
    for (TButton* b : dialog.Buttons()) {
      shown.Buttons.push_back(b->Name());
      if (b->Default()) shown.DefaultButton = b->Name();
    }
    Shown.push_back(std::move(shown));
    TakeAnswer(dialog, Shown.size() - 1);
  }

  void TakeAnswer(TMessageForm& dialog, std::size_t record) {
    if (Answers.empty()) {
      Fail("Dialog without a scripted answer " + Describe(dialog));
      dialog.SetModalResult(mrCancel);
      return;
    }
    Step step = std::move(Answers.front());
    Answers.pop_front();
    if (step.Adjust) step.Adjust(dialog);
    // Pressed from the dialog's own loop, as the user would.
    std::weak_ptr<State> weak = Self;
    auto target = std::make_shared<TComponentPtr<TMessageForm>>(&dialog);
    Application().QueueCall([weak, target, record, button = step.Button] {
      std::shared_ptr<State> state = weak.lock();
      TMessageForm* form = target->get();
      if (!state || !form || !form->Modal()) return;
      state->Press(*form, record, button);
    });
  }

  void Press(TMessageForm& dialog, std::size_t record, const AnsiString& name) {
    auto* button = dynamic_cast<TButton*>(dialog.FindComponent(name));
    if (!button || !dialog.ContainsControl(button)) {
      AnsiString names;
      for (TButton* b : dialog.Buttons()) names += (names.IsEmpty() ? "" : ", ") + b->Name();
      Fail("Dialog " + Describe(dialog) + " has no button \"" + name + "\" (buttons: " + names + ")");
      dialog.SetModalResult(mrCancel);
      return;
    }
    if (!Application().DispatchClick(button)) {
      Fail("Button \"" + name + "\" of dialog " + Describe(dialog) + " cannot be pressed");
      dialog.SetModalResult(mrCancel);
      return;
    }
    if (record < Shown.size()) Shown[record].Pressed = name;
    // A button without a modal result (Help) leaves the dialog open: the
    // next answer is for the same dialog.
    TComponentPtr<TMessageForm> alive(&dialog);
    if (alive && alive->Modal() && alive->ModalResult() == mrNone) TakeAnswer(*alive, record);
  }

  std::weak_ptr<State> Self;
};

ScopedDialogScript::ScopedDialogScript(FailureHandler onFailure) : state_(std::make_shared<State>()) {
  state_->OnFailure = std::move(onFailure);
  state_->Self = state_;
  std::weak_ptr<State> weak = state_;
  previousObserver_ = SetDialogObserver([weak](TMessageForm& dialog) {
    if (std::shared_ptr<State> state = weak.lock()) state->DialogShown(dialog);
  });
  previousPresenter_ = UseMessageDialogs();
}

ScopedDialogScript::~ScopedDialogScript() {
  SetMessagePresenter(std::move(previousPresenter_));
  SetDialogObserver(std::move(previousObserver_));
  for (const State::Step& step : state_->Answers)
    state_->Fail("Scripted answer \"" + step.Button + "\" was never used");
}

ScopedDialogScript& ScopedDialogScript::Answer(const AnsiString& buttonName,
                                               std::function<void(TMessageForm&)> adjust) {
  state_->Answers.push_back({buttonName, std::move(adjust)});
  return *this;
}

const std::vector<TShownDialog>& ScopedDialogScript::Shown() const { return state_->Shown; }
const std::vector<AnsiString>& ScopedDialogScript::Failures() const { return state_->Failures; }
int ScopedDialogScript::PendingAnswers() const { return static_cast<int>(state_->Answers.size()); }

}  // namespace platform
