#include "host/shell/LookupWindow.h"

#include <algorithm>

#include "host/shell/FormBuilding.h"
#include "platform/Automation.h"
#include "platform/Exceptions.h"
#include "platform/FloatFormat.h"
#include "platform/ui/ClassBuilder.h"

namespace host {

using detail::Place;
using platform::AnsiString;
using platform::TButton;
using platform::Variant;
using platform::Word;

const platform::TClassInfo& TLookupWindowForm::StaticClass() {
  static const platform::TClassInfo info =
      platform::TClassBuilder<TLookupWindowForm>("TLookupWindowForm", platform::TForm::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TLookupWindowForm);

namespace {

int Count(const Variant& array) {
  if (!platform::VarIsArray(array)) return 0;
  return platform::VarArrayHighBound(array, 1) - platform::VarArrayLowBound(array, 1) + 1;
}

Variant At(const Variant& array, int i) { return array[platform::VarArrayLowBound(array, 1) + i]; }

Variant ElementOr(const Variant& array, int i) {
  const Variant& a = array.Deref();
  if (i < 0 || i >= Count(a)) return Variant();
  return At(a, i);
}

bool Flag(const Variant& v) {
  if (platform::VarIsEmptyOrNull(v)) return false;
  try {
    return v.AsBool();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

AnsiString RowCell(const Variant& row, int i) {
  if (i < 0 || i >= Count(row)) return AnsiString();
  return platform::VarToStr(At(row, i));
}

TLookupPage ReadLookupPage(const Variant& validator, const AnsiString& table, const AnsiString& kind,
                           const AnsiString& startValue, const AnsiString& filter) {
  TLookupPage page;
  if (!platform::VarIsDispatch(validator)) {
    page.Error = "The look-up window cannot reach the server: the connection offers no validation service.";
    return page;
  }
  Variant answer;
  try {
    answer = platform::OleCall(validator, "LookupRows", {Variant(table), Variant(kind), Variant(startValue),
                                                         Variant(filter)});
  } catch (const platform::Exception& e) {
    page.Error = e.Message();
    return page;
  } catch (const std::exception& e) {
    page.Error = AnsiString(e.what());
    return page;
  }
  const AnsiString unreadable =
      "The server's answer for the look-up window " + table + " " + kind + " is not readable.";
  if (Count(answer) < 4) {
    page.Error = unreadable;
    return page;
  }
  const Variant captions = At(answer, 1);
  const Variant rows = At(answer, 2);
  if (!platform::VarIsArray(captions) || !platform::VarIsArray(rows)) {
    page.Error = unreadable;
    return page;
  }
  page.Title = platform::VarToStr(At(answer, 0));
  for (const Variant& c : platform::VarArrayElements(captions)) page.Captions.push_back(platform::VarToStr(c));
  for (const Variant& r : platform::VarArrayElements(rows)) {
    if (!platform::VarIsArray(r) || Count(r) == 0) {
      page.Error = unreadable;
      page.Rows.clear();
      return page;
    }
    page.Rows.push_back(r);
  }
  const Variant start = At(answer, 3);
  page.StartRow = platform::VarIsEmptyOrNull(start) ? 0 : start.AsInteger();
  page.StartRow = std::clamp(page.StartRow, 0, std::max(0, static_cast<int>(page.Rows.size()) - 1));
  page.Ok = true;
  return page;
}

bool ReadLookupRequest(const Variant& params, TLookupRequest& request, AnsiString& error) {
  request.Table = platform::Trim(platform::VarToStr(ElementOr(params, 0)));
  request.Kind = platform::Trim(platform::VarToStr(ElementOr(params, 1)));
  request.Multiple = Flag(ElementOr(params, 3));
  request.StartText = platform::Trim(platform::VarToStr(ElementOr(params, 4)));
  request.FilterByStart = Flag(ElementOr(params, 9));
  if (request.Table.IsEmpty() || request.Kind.IsEmpty()) {
    error = "The look-up window was opened without a table and kind to look up.";
    return false;
  }
  return true;
}

// --- the window ---

TLookupWindowForm::TLookupWindowForm(platform::TComponent* owner) : TForm(owner) {
  SetName("LookupWindowForm");
  SetCaption("Look up");
  SetBounds(0, 0, 560, 420);
  SetKeyPreview(true);
  Place<platform::TLabel>(this, this, "lblFilter", 16, 20, 60, 20, "Find");
  edFilter = Place<platform::TEdit>(this, this, "edFilter", 80, 16, 464, 24);
  edFilter->SetTabStop(true);
  grdRows = Place<platform::TStringGrid>(this, this, "grdRows", 16, 52, 528, 280);
  grdRows->SetTabStop(true);
  grdRows->SetOptions({platform::goFixedVertLine, platform::goFixedHorzLine, platform::goVertLine,
                       platform::goHorzLine, platform::goRowSelect});
  grdRows->SetDefaultColWidth(120);
  grdRows->OnDblClick = platform::TNotifyEvent::Bind<&TLookupWindowForm::grdRowsDblClick>(this);
  lblStatus = Place<platform::TLabel>(this, this, "lblStatus", 16, 340, 528, 20);
  btnOK = Place<TButton>(this, this, "btnOK", 368, 370, 84, 28, "OK");
  btnOK->SetDefault(true);
  btnOK->SetTabStop(true);
  btnOK->OnClick = platform::TNotifyEvent::Bind<&TLookupWindowForm::btnOKClick>(this);
  btnCancel = Place<TButton>(this, this, "btnCancel", 460, 370, 84, 28, "Cancel");
  btnCancel->SetCancel(true);
  btnCancel->SetTabStop(true);
  btnCancel->SetModalResult(platform::mrCancel);
  OnKeyDown = platform::TKeyEvent::Bind<&TLookupWindowForm::FormKeyDown>(this);
  OnKeyPress = platform::TKeyPressEvent::Bind<&TLookupWindowForm::FormKeyPress>(this);
  SetActiveControl(edFilter);
}

bool TLookupWindowForm::Open(const Variant& validator, const TLookupRequest& request) {
  validator_ = validator;
  request_ = request;
  firstCell_ = request.Multiple ? 1 : 0;
  // The starting text either filters (it goes into the filter box) or
  // places the current row where that code would stand; not both.
  if (request_.FilterByStart) {
    edFilter->SetText(request_.StartText);
    request_.StartText = AnsiString();
  }
  edFilter->OnChange = platform::TNotifyEvent::Bind<&TLookupWindowForm::edFilterChange>(this);
  TLookupPage page = ReadLookupPage(validator_, request_.Table, request_.Kind, request_.StartText,
                                    platform::Trim(edFilter->Text()));
  if (!page.Ok) {
    error_ = page.Error;
    return false;
  }
  if (!page.Title.IsEmpty()) SetCaption(page.Title);
  ShowPage(page, page.StartRow);
  return true;
}

void TLookupWindowForm::Reload() {
  AnsiString filter = platform::Trim(edFilter->Text());
  TLookupPage page = ReadLookupPage(validator_, request_.Table, request_.Kind, request_.StartText, filter);
  if (!page.Ok) {
    page.Rows.clear();
    ShowPage(page, 0);
    statusBase_ = page.Error;
    UpdateStatus();
    return;
  }
  // A list the user narrowed starts at its first row.
  ShowPage(page, 0);
}

void TLookupWindowForm::ShowPage(const TLookupPage& page, int current) {
  rows_ = page.Rows;
  int cells = static_cast<int>(page.Captions.size());
  for (const Variant& r : rows_) cells = std::max(cells, Count(r));
  cells = std::max(cells, 1);
  grdRows->SetRowCount(1);
  grdRows->SetColCount(cells + firstCell_);
  grdRows->SetFixedCols(firstCell_);
  grdRows->SetRowCount(std::max(2, RowCount() + 1));
  grdRows->SetFixedRows(1);
  if (firstCell_) {
    grdRows->SetColWidths(0, 24);
    grdRows->SetCells(0, 0, AnsiString());
  }
  for (int c = 0; c < cells; ++c)
    grdRows->SetCells(c + firstCell_, 0, c < static_cast<int>(page.Captions.size()) ? page.Captions[c] : AnsiString());
  for (int r = 0; r < std::max(1, RowCount()); ++r) {
    for (int c = 0; c < cells; ++c)
      grdRows->SetCells(c + firstCell_, r + 1, r < RowCount() ? RowCell(rows_[r], c) : AnsiString());
    if (firstCell_) grdRows->SetCells(0, r + 1, r < RowCount() && Marked(r) ? AnsiString("*") : AnsiString());
  }
  if (RowCount() > 0) grdRows->SetRow(std::clamp(current, 0, RowCount() - 1) + 1);

  AnsiString filter = platform::Trim(edFilter->Text());
  AnsiString status;
  if (RowCount() == 0)
    status = filter.IsEmpty() ? AnsiString("There are no rows to choose from.")
                              : "No row has a code or name containing \"" + filter + "\".";
  else if (RowCount() >= kLookupRowLimit)
    status = "Only the first " + platform::IntToStr(RowCount()) + " rows are shown; type more to narrow the list.";
  else
    status = platform::IntToStr(RowCount()) + (RowCount() == 1 ? " row." : " rows.");
  statusBase_ = status;
  UpdateStatus();
}

void TLookupWindowForm::UpdateStatus() {
  AnsiString status = statusBase_;
  if (request_.Multiple) status += " " + platform::IntToStr(static_cast<int>(marks_.size())) + " marked (Space marks).";
  lblStatus->SetCaption(status);
}

int TLookupWindowForm::CurrentRow() const { return RowCount() == 0 ? -1 : grdRows->Row() - 1; }

bool TLookupWindowForm::Marked(int index) const {
  if (index < 0 || index >= RowCount()) return false;
  AnsiString code = RowCell(rows_[index], 0);
  return std::any_of(marks_.begin(), marks_.end(), [&](const Variant& m) { return RowCell(m, 0) == code; });
}

void TLookupWindowForm::ToggleMark(int index) {
  if (!request_.Multiple || index < 0 || index >= RowCount()) return;
  AnsiString code = RowCell(rows_[index], 0);
  auto found = std::find_if(marks_.begin(), marks_.end(), [&](const Variant& m) { return RowCell(m, 0) == code; });
  if (found == marks_.end()) marks_.push_back(rows_[index]);
  else marks_.erase(found);
  grdRows->SetCells(0, index + 1, Marked(index) ? AnsiString("*") : AnsiString());
  UpdateStatus();
}

void TLookupWindowForm::edFilterChange(platform::TObject*) { Reload(); }

void TLookupWindowForm::btnOKClick(platform::TObject*) {
  std::vector<Variant> picked;
  if (request_.Multiple && !marks_.empty()) {
    picked = marks_;
  } else if (CurrentRow() >= 0) {
    picked.push_back(rows_[CurrentRow()]);
  } else {
    lblStatus->SetCaption("There is no row to pick.");
    return;
  }
  result_ = platform::VarArrayOf(std::move(picked));
  SetModalResult(platform::mrOk);
}

void TLookupWindowForm::grdRowsDblClick(platform::TObject*) {
  if (CurrentRow() >= 0) btnOKClick(this);
}

void TLookupWindowForm::FormKeyPress(platform::TObject*, char& key) {
  if (consumedChar_ && key == consumedChar_) key = 0;
  consumedChar_ = 0;
}

void TLookupWindowForm::FormKeyDown(platform::TObject*, Word& key, platform::TShiftState shift) {
  using namespace platform;
  consumedChar_ = 0;
  const bool inFilter = ActiveControl() == edFilter;
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
      if (ActiveControl() != grdRows) {
        grdRows->KeyDown(key, shift);
        key = 0;
      }
      break;
    case VK_RETURN:
      if (ActiveControl() == btnCancel) break;
      key = 0;
      consumedChar_ = '\r';
      btnOKClick(this);
      break;
    case VK_ESCAPE:
      key = 0;
      SetModalResult(mrCancel);
      break;
    case VK_SPACE:
      if (request_.Multiple && (shift.Contains(ssCtrl) || !inFilter) && ActiveControl() != btnOK &&
          ActiveControl() != btnCancel) {
        key = 0;
        consumedChar_ = ' ';
        ToggleMark(CurrentRow());
      }
      break;
    default: break;
  }
}

}  // namespace host
