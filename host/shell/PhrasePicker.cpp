#include "host/shell/PhrasePicker.h"

#include <algorithm>

#include "host/shell/FormBuilding.h"
#include "host/shell/LookupWindow.h"
#include "platform/FloatFormat.h"
#include "platform/ui/ClassBuilder.h"

namespace host {

using detail::Place;
using platform::AnsiString;
using platform::Variant;
using platform::Word;

const platform::TClassInfo& TPhrasePickerForm::StaticClass() {
  static const platform::TClassInfo info =
      platform::TClassBuilder<TPhrasePickerForm>("TPhrasePickerForm", platform::TForm::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TPhrasePickerForm);

TPhrasePickerForm::TPhrasePickerForm(platform::TComponent* owner) : TForm(owner) {
  SetName("PhrasePickerForm");
  SetCaption("Common phrases");
  SetBounds(0, 0, 420, 380);
  SetKeyPreview(true);
  Place<platform::TLabel>(this, this, "lblFilter", 16, 20, 60, 20, "Find");
  edFilter = Place<platform::TEdit>(this, this, "edFilter", 80, 16, 324, 24);
  edFilter->SetTabStop(true);
  lbPhrases = Place<platform::TListBox>(this, this, "lbPhrases", 16, 52, 388, 240);
  lbPhrases->SetTabStop(true);
  lbPhrases->OnDblClick = platform::TNotifyEvent::Bind<&TPhrasePickerForm::lbPhrasesDblClick>(this);
  lblStatus = Place<platform::TLabel>(this, this, "lblStatus", 16, 300, 388, 20);
  btnOK = Place<platform::TButton>(this, this, "btnOK", 228, 330, 84, 28, "OK");
  btnOK->SetDefault(true);
  btnOK->SetTabStop(true);
  btnOK->OnClick = platform::TNotifyEvent::Bind<&TPhrasePickerForm::btnOKClick>(this);
  btnCancel = Place<platform::TButton>(this, this, "btnCancel", 320, 330, 84, 28, "Cancel");
  btnCancel->SetCancel(true);
  btnCancel->SetTabStop(true);
  btnCancel->SetModalResult(platform::mrCancel);
  OnKeyDown = platform::TKeyEvent::Bind<&TPhrasePickerForm::FormKeyDown>(this);
  OnKeyPress = platform::TKeyPressEvent::Bind<&TPhrasePickerForm::FormKeyPress>(this);
  SetActiveControl(edFilter);
}

bool TPhrasePickerForm::Open(const Variant& validator, const AnsiString& currentText) {
  validator_ = validator;
  if (!Reload(platform::Trim(currentText))) {
    error_ = lblStatus->Caption();
    return false;
  }
  edFilter->OnChange = platform::TNotifyEvent::Bind<&TPhrasePickerForm::edFilterChange>(this);
  return true;
}

bool TPhrasePickerForm::Reload(const AnsiString& start) {
  AnsiString filter = platform::Trim(edFilter->Text());
  TLookupPage page = ReadLookupPage(validator_, kPhraseTable, kPhraseKind, start, filter);
  platform::TStringList items;
  for (const Variant& row : page.Rows) items.Add(RowCell(row, 0));
  lbPhrases->SetItems(items);
  if (!page.Ok) {
    lblStatus->SetCaption(page.Error);
    return false;
  }
  if (!page.Rows.empty()) {
    // The current text places the list where it would stand.
    lbPhrases->SetItemIndex(start.IsEmpty() ? 0 : page.StartRow);
  }
  if (page.Rows.empty())
    lblStatus->SetCaption(filter.IsEmpty() ? AnsiString("There are no common phrases yet.")
                                           : "No phrase contains \"" + filter + "\".");
  else if (static_cast<int>(page.Rows.size()) >= kLookupRowLimit)
    lblStatus->SetCaption("Only the first " + platform::IntToStr(static_cast<int>(page.Rows.size())) +
                          " phrases are shown; type more to narrow the list.");
  else
    lblStatus->SetCaption(platform::IntToStr(static_cast<int>(page.Rows.size())) +
                          (page.Rows.size() == 1 ? " phrase." : " phrases."));
  return true;
}

void TPhrasePickerForm::edFilterChange(platform::TObject*) { Reload(AnsiString()); }

void TPhrasePickerForm::btnOKClick(platform::TObject*) {
  int index = lbPhrases->ItemIndex();
  if (index < 0 || index >= lbPhrases->Count()) {
    lblStatus->SetCaption("Choose a phrase first.");
    return;
  }
  result_ = lbPhrases->Items()->Strings(index);
  SetModalResult(platform::mrOk);
}

void TPhrasePickerForm::lbPhrasesDblClick(platform::TObject*) {
  if (lbPhrases->ItemIndex() >= 0) btnOKClick(this);
}

void TPhrasePickerForm::FormKeyPress(platform::TObject*, char& key) {
  if (consumedChar_ && key == consumedChar_) key = 0;
  consumedChar_ = 0;
}

void TPhrasePickerForm::FormKeyDown(platform::TObject*, Word& key, platform::TShiftState shift) {
  using namespace platform;
  consumedChar_ = 0;
  const int count = lbPhrases->Count();
  const int index = lbPhrases->ItemIndex();
  const int page = 10;
  const bool inFilter = ActiveControl() == edFilter;
  int to = -2;
  switch (key) {
    case VK_UP: to = index < 0 ? 0 : index - 1; break;
    case VK_DOWN: to = index + 1; break;
    case VK_PRIOR: to = index - page; break;
    case VK_NEXT: to = index < 0 ? page - 1 : index + page; break;
    case VK_HOME:
      if (!inFilter || shift.Contains(ssCtrl)) to = 0;
      break;
    case VK_END:
      if (!inFilter || shift.Contains(ssCtrl)) to = count - 1;
      break;
    case VK_RETURN:
      if (ActiveControl() == btnCancel) return;
      key = 0;
      consumedChar_ = '\r';
      btnOKClick(this);
      return;
    case VK_ESCAPE:
      key = 0;
      SetModalResult(mrCancel);
      return;
    default: return;
  }
  if (to == -2) return;
  key = 0;
  if (count > 0) lbPhrases->SetItemIndex(std::clamp(to, 0, count - 1));
}

}  // namespace host
