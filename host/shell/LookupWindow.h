// The look-up window behind Com_F2Window's F2GetData, and the reading of
// the server's look-up rows that the phrase picker shares.
//
// The rows come from the validator of the host's own server connection:
// LookupRows(table, kind, starting value, filter) answers [title,
// [captions...], [[cells...]...], start row], texts in the module's code
// page, the first cell of a row the code the module stores. The server
// answers at most kLookupRowLimit rows.
//
// The window: a filter box, the rows in a grid (the server's captions as
// the title row) and OK / Cancel. Every change of the filter text asks the
// server again for the rows whose code or name contains it. Keys: Up,
// Down, PageUp and PageDown move the current row also while the filter
// box has the focus; Enter picks, Esc cancels; with multiple choice Space
// (outside the filter box) and Ctrl+Space (anywhere) mark or unmark the
// current row, and the mark column shows "*". A double click picks the
// row. Marks outlive a change of the filter. OK with multiple choice hands
// back the marked rows in the order they were marked, or the current row
// when none is marked.
//
// The answer is an array of rows, each the server's 1-D array of cells;
// Empty when cancelled or when there is no row to pick.
#pragma once

#include <vector>

#include "platform/Variant.h"
#include "platform/ui/Form.h"
#include "platform/ui/Grids.h"
#include "platform/ui/StdCtrls.h"

namespace host {

inline constexpr int kLookupRowLimit = 500;

// One answer of the server's LookupRows.
struct TLookupPage {
  bool Ok = false;
  platform::AnsiString Error;  // for the user, when not Ok
  platform::AnsiString Title;
  std::vector<platform::AnsiString> Captions;
  std::vector<platform::Variant> Rows;  // each a 1-D array of cells
  int StartRow = 0;                     // where the starting value would stand
};

// Asks the validator; never raises (a failure is Ok false with a text).
TLookupPage ReadLookupPage(const platform::Variant& validator, const platform::AnsiString& table,
                           const platform::AnsiString& kind, const platform::AnsiString& startValue,
                           const platform::AnsiString& filter);
// Cell i of a row as text; empty outside the row.
platform::AnsiString RowCell(const platform::Variant& row, int i);

// What F2GetData's parameter array asks for.
struct TLookupRequest {
  platform::AnsiString Table;
  platform::AnsiString Kind;
  platform::AnsiString StartText;
  bool Multiple = false;       // element 3: the user may pick several rows
  bool FilterByStart = false;  // element 9: the starting text filters the rows
};

// Reads the request from F2GetData's 19-element array; false (with a text
// for the user) when it names no table or kind.
bool ReadLookupRequest(const platform::Variant& params, TLookupRequest& request, platform::AnsiString& error);

class TLookupWindowForm : public platform::TForm {
  PLATFORM_CLASS(TLookupWindowForm)

 public:
  explicit TLookupWindowForm(platform::TComponent* owner);
  // Reads the first rows; false (error in ErrorText) when the server
  // refused them.
  bool Open(const platform::Variant& validator, const TLookupRequest& request);
  const platform::AnsiString& ErrorText() const { return error_; }

  platform::TEdit* edFilter = nullptr;
  platform::TStringGrid* grdRows = nullptr;
  platform::TLabel* lblStatus = nullptr;
  platform::TButton* btnOK = nullptr;
  platform::TButton* btnCancel = nullptr;

  // The rows shown now and the marks of multiple choice.
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // Index into the rows shown; -1 when there is none.
  int CurrentRow() const;
  bool Marked(int index) const;
  void ToggleMark(int index);
  // The answer after OK (see above).
  const platform::Variant& Result() const { return result_; }

 private:
  void Reload();
  void ShowPage(const TLookupPage& page, int current);
  void UpdateStatus();
  void edFilterChange(platform::TObject* sender);
  void btnOKClick(platform::TObject* sender);
  void grdRowsDblClick(platform::TObject* sender);
  void FormKeyDown(platform::TObject* sender, platform::Word& key, platform::TShiftState shift);
  void FormKeyPress(platform::TObject* sender, char& key);

  platform::Variant validator_;
  TLookupRequest request_;
  std::vector<platform::Variant> rows_;
  std::vector<platform::Variant> marks_;  // the marked rows, in the order marked
  int firstCell_ = 0;  // the grid column of a row's cell 0 (1 with the mark column)
  platform::AnsiString error_;
  char consumedChar_ = 0;  // the character of a key the form took itself
  platform::AnsiString statusBase_;
  platform::Variant result_;
};

}  // namespace host
