#include "host/shell/ProgramMenuForm.h"

#include "host/shell/FormBuilding.h"
#include "host/shell/WorkCenter.h"
#include "platform/ProgramController.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Dialogs.h"

namespace host {

using detail::Place;
using platform::AnsiString;
using platform::TButton;
using platform::TLabel;

const platform::TClassInfo& TProgramMenuForm::StaticClass() {
  static const platform::TClassInfo info =
      platform::TClassBuilder<TProgramMenuForm>("TProgramMenuForm", platform::TForm::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TProgramMenuForm);

namespace {
constexpr int kRowHeight = 32;
constexpr int kTop = 48;
}  // namespace

TProgramMenuForm::TProgramMenuForm(platform::TComponent* owner) : TForm(owner) {
  SetName("ProgramMenu");
  SetCaption("HaldenWorkCenter");
  SetBounds(0, 0, 520, 200);
  Place<TLabel>(this, this, "lblPrograms", 16, 16, 300, 20, "Programs");
  lblOpen = Place<TLabel>(this, this, "lblOpen", 16, 140, 480, 20);
  lblStatus = Place<TLabel>(this, this, "lblStatus", 16, 168, 480, 20);
}

TProgramMenuForm::~TProgramMenuForm() {
  if (center_) center_->OnProgramNotify = nullptr;
}

void TProgramMenuForm::SetWorkCenter(TWorkCenter* center) {
  center_ = center;
  if (!center_) return;
  center_->OnProgramNotify = [this](const AnsiString& code, int notification) { ProgramNotified(code, notification); };
  SetCaption("HaldenWorkCenter - " + center_->Identity().UserID + " / " + center_->Identity().CompanyID);

  const auto& programs = center_->Programs();
  int top = kTop;
  for (const TProgramEntry& entry : programs) {
    Place<TLabel>(this, this, "lbl" + entry.Code, 16, top + 6, 260, 20, entry.Code + "  " + entry.Name);
    auto* open = Place<TButton>(this, this, "btnOpen" + entry.Code, 290, top, 96, 28, "Open");
    open->SetTabStop(true);
    open->OnClick = platform::TNotifyEvent::Bind<&TProgramMenuForm::ProgramButtonClick>(this);
    entries_[open] = Entry{entry.Code, 0};
    if (entry.Rights & platform::kRightAdd) {
      auto* add = Place<TButton>(this, this, "btnNew" + entry.Code, 396, top, 96, 28, "New");
      add->SetTabStop(true);
      add->OnClick = platform::TNotifyEvent::Bind<&TProgramMenuForm::ProgramButtonClick>(this);
      entries_[add] = Entry{entry.Code, platform::kActionAdd};
    }
    top += kRowHeight;
  }
  if (programs.empty())
    Place<TLabel>(this, this, "lblNoPrograms", 16, top + 6, 480, 20, "You have no programs to run in this company.");
  else
    top -= kRowHeight;
  lblOpen->SetTop(top + kRowHeight + 16);
  lblStatus->SetTop(top + kRowHeight + 44);
  SetHeight(top + kRowHeight + 110);
}

void TProgramMenuForm::ProgramButtonClick(platform::TObject* sender) {
  auto found = entries_.find(sender);
  if (found == entries_.end()) return;
  OpenProgram(found->second.Code, found->second.Action);
}

int TProgramMenuForm::OpenProgram(const AnsiString& code, int action) {
  if (!center_) return kRunNoRight;
  TRunRequest request;
  request.ProgramCode = code;
  request.Action = action;
  request.Rights = 0;
  AnsiString message;
  platform::Variant unused;
  lblStatus->SetCaption("Opening " + code + " ...");
  int result = center_->RunProgram(request, message, unused);
  if (result != kRunOk) {
    lblStatus->SetCaption(message);
    platform::MessageDlg(message, platform::mtError, {platform::mbOK});
  }
  ShowOpenPrograms();
  return result;
}

void TProgramMenuForm::ProgramNotified(const AnsiString& code, int notification) {
  switch (notification) {
    case platform::kNotifyCreated: lblStatus->SetCaption(code + " is starting."); break;
    case platform::kNotifyShown: lblStatus->SetCaption(code + " is open."); break;
    case platform::kNotifyHidden: lblStatus->SetCaption(code + " is hidden."); break;
    case platform::kNotifyClosing: lblStatus->SetCaption(code + " is closing."); break;
    case platform::kNotifyDestroying:
      lblStatus->SetCaption(code + " was closed.");
      // Back to the menu.
      if (!Visible()) Show();
      break;
    default: break;
  }
  ShowOpenPrograms();
}

void TProgramMenuForm::ShowOpenPrograms() {
  if (!center_) return;
  AnsiString text;
  for (const AnsiString& code : center_->OpenPrograms()) {
    if (code.IsEmpty()) continue;
    text += text.IsEmpty() ? "Open now: " + code : ", " + code;
  }
  lblOpen->SetCaption(text);
}

}  // namespace host
