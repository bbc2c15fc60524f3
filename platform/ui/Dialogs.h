// Message dialogs and message boxes: ordinary forms of the platform.
//
// CreateMessageDialog builds a TMessageForm from a text, a type and a set
// of buttons. Its components have names, so callers adjust them before
// ShowModal: the label "Message" holds the text (the renderer draws the
// icon of DialogType() beside it), and each button is
// a TButton named after its kind ("Yes", "No", "OK", "Cancel", "Abort",
// "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help") with the class
// library's caption and modal result. The buttons stand in that order; the
// default button (Enter) is the one asked for when it is in the set, else
// OK, else Yes, else the first; it comes first in tab order and is the
// only one marked Default. The cancel button (Esc) is Cancel, else No,
// else OK. The caption follows the type ("Warning", "Error",
// "Information", "Confirm"; a custom dialog shows the application title).
//
// MessageDlg shows such a dialog and returns the modal result (mrCancel
// when the dialog was closed otherwise). MessageBox is the system message
// box on top of the same form: its flags choose the buttons, the icon and
// the default button; it returns IDOK, IDYES ... UseMessageDialogs routes
// ShowMessage (MessageBox.h) through a dialog with an OK button.
//
// The dialog service: every message dialog, when shown, is reported to the
// installed dialog observer (SetDialogObserver). Tests install a
// ScopedDialogScript, which answers each dialog by pressing the button
// named in its queue, as a user would (a disabled or hidden button cannot
// be pressed), and records what every dialog showed. A dialog shown with
// no answer left, or an answer naming a button the dialog does not have,
// is reported to the script's failure handler with the dialog's caption
// and text, and the dialog ends at once with mrCancel, so nothing waits.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/ui/SetOf.h"
#include "platform/ui/StdCtrls.h"

namespace platform {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
const TTypeInfo& EnumTypeInfo(TMsgDlgType);

enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
const TTypeInfo& EnumTypeInfo(TMsgDlgBtn);
using TMsgDlgButtons = SetOf<TMsgDlgBtn>;

inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// The component name, caption and modal result of a button kind.
const char* MsgDlgButtonName(TMsgDlgBtn button);
const char* MsgDlgButtonCaption(TMsgDlgBtn button);
TModalResult MsgDlgButtonResult(TMsgDlgBtn button);
// The dialog caption of a type ("" for mtCustom).
const char* MsgDlgTypeCaption(TMsgDlgType type);

// The form CreateMessageDialog builds.
class TMessageForm : public TForm {
  PLATFORM_CLASS(TMessageForm)

 public:
  explicit TMessageForm(TComponent* owner);

  TMsgDlgType DialogType() const { return dialogType_; }
  void SetDialogType(TMsgDlgType v) { ChangeProperty(dialogType_, v, "DialogType"); }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int v) { ChangeProperty(helpContext_, v, "HelpContext"); }

  // The label with the text; nullptr when the caller freed it.
  TLabel* MessageLabel() const;
  AnsiString MessageText() const;
  // The dialog's buttons in the order they stand.
  std::vector<TButton*> Buttons() const;

  // Enter and Esc without a focused control press the Default / Cancel
  // button.
  void KeyDown(Word& key, TShiftState shift) override;

 protected:
  void DoShow() override;

 private:
  TMsgDlgType dialogType_ = mtCustom;
  int helpContext_ = 0;
};

// A new dialog without owner; the caller frees it (Free()).
TMessageForm* CreateMessageDialog(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                                  std::optional<TMsgDlgBtn> defaultButton = std::nullopt);

TModalResult MessageDlg(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx = 0,
                        std::optional<TMsgDlgBtn> defaultButton = std::nullopt);

// --- the system message box ---
constexpr unsigned MB_OK = 0x0000;
constexpr unsigned MB_OKCANCEL = 0x0001;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x0002;
constexpr unsigned MB_YESNOCANCEL = 0x0003;
constexpr unsigned MB_YESNO = 0x0004;
constexpr unsigned MB_RETRYCANCEL = 0x0005;
constexpr unsigned MB_ICONHAND = 0x0010;
constexpr unsigned MB_ICONERROR = MB_ICONHAND;
constexpr unsigned MB_ICONQUESTION = 0x0020;
constexpr unsigned MB_ICONEXCLAMATION = 0x0030;
constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr unsigned MB_ICONASTERISK = 0x0040;
constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr unsigned MB_DEFBUTTON1 = 0x0000;
constexpr unsigned MB_DEFBUTTON2 = 0x0100;
constexpr unsigned MB_DEFBUTTON3 = 0x0200;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Unknown button or icon bits show an OK box without icon; a default
// button beyond the last one leaves the first as default.
int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags = MB_OK);

// Routes ShowMessage through a message dialog (OK, the application title
// as caption); returns the presenter it replaced.
MessagePresenter UseMessageDialogs();

// --- the dialog service ---
using DialogObserver = std::function<void(TMessageForm& dialog)>;
// Installs the observer told of every message dialog shown; returns the
// previous one.
DialogObserver SetDialogObserver(DialogObserver observer);

// What a dialog showed, and the button pressed on it ("" when none).
struct TShownDialog {
  AnsiString Caption;
  AnsiString Text;
  TMsgDlgType Type = mtCustom;
  std::vector<AnsiString> Buttons;  // names, in the order they stand
  AnsiString DefaultButton;
  AnsiString Pressed;
};

// Answers message dialogs by script for its lifetime (tests), and routes
// ShowMessage through message dialogs meanwhile. Answers still queued when
// it ends are reported as failures.
class ScopedDialogScript {
 public:
  using FailureHandler = std::function<void(const AnsiString& failure)>;

  explicit ScopedDialogScript(FailureHandler onFailure);
  ~ScopedDialogScript();
  ScopedDialogScript(const ScopedDialogScript&) = delete;
  ScopedDialogScript& operator=(const ScopedDialogScript&) = delete;

  // The next dialog is answered by pressing this button; adjust, when
  // given, runs first on the shown dialog (to look at it or change it).
  ScopedDialogScript& Answer(const AnsiString& buttonName, std::function<void(TMessageForm&)> adjust = nullptr);

  const std::vector<TShownDialog>& Shown() const;
  const std::vector<AnsiString>& Failures() const;
  int PendingAnswers() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
  DialogObserver previousObserver_;
  MessagePresenter previousPresenter_;
};

}  // namespace platform
