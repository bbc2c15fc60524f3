#include "platform/ui/Grids.h"

#include <algorithm>
#include <string>

#include "platform/ui/ClassBuilder.h"
#include "platform/ui/ComponentPtr.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TGridOption) {
  static const TTypeInfo t = TTypeInfo::Enumeration(
      "TGridOption", {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect",
                      "goDrawFocusSelected", "goRowSizing", "goColSizing", "goRowMoving", "goColMoving", "goEditing",
                      "goTabs", "goRowSelect", "goAlwaysShowEditor", "goThumbTracking"});
  return t;
}

const TTypeInfo& SetTypeInfo(TGridOptions) {
  static const TTypeInfo t = TTypeInfo::Set("TGridOptions", EnumTypeInfo(TGridOption{}));
  return t;
}

namespace {

// Counts never grow beyond this: a language file or a setting cannot make
// a grid exhaust memory.
constexpr int kMaxCount = 65536;

AnsiString Number(long long v) { return AnsiString(std::to_string(v).c_str()); }

}  // namespace

// --- TGridRow, TGridRows ---

const TClassInfo& TGridRow::StaticClass() {
  static const TClassInfo info = TClassBuilder<TGridRow>("TGridRow", TPersistent::StaticClass())
                                     .Integer("Row", &TGridRow::Row, nullptr)
                                     .Integer("Height", &TGridRow::Height, nullptr)
                                     .Strings("Cells", &TGridRow::Cells)
                                     .Strings("Colors", &TGridRow::Colors)
                                     .Strings("FontColors", &TGridRow::FontColors)
                                     .Build();
  return info;
}

const TClassInfo& TGridRows::StaticClass() {
  static const TClassInfo info = TClassBuilder<TGridRows>("TGridRows", TPersistent::StaticClass()).Build();
  return info;
}

int TGridRows::ItemCount() const {
  // Rebuilt on every count: the renderer asks for the count first, then
  // for each row.
  std::vector<int> rows;
  for (int r = 0; r < grid_->FixedRows(); ++r) rows.push_back(r);
  const int last = std::min(grid_->RowCount(), grid_->TopRow() + grid_->VisibleRowCount());
  for (int r = grid_->TopRow(); r < last; ++r) rows.push_back(r);
  rows_.clear();
  for (int r : rows) {
    auto row = std::make_unique<TGridRow>();
    row->row_ = r;
    row->height_ = grid_->RowHeights(r);
    for (int c = 0; c < grid_->ColCount(); ++c) {
      const TGridCellDisplay d = grid_->CellDisplay(c, r);
      row->cells_->Add(d.Text);
      row->colors_->Add(Number(ColorToRGB(d.Color)));
      row->fontColors_->Add(Number(ColorToRGB(d.FontColor)));
    }
    rows_.push_back(std::move(row));
  }
  return static_cast<int>(rows_.size());
}

TPersistent* TGridRows::ItemAt(int index) const {
  if (index < 0 || index >= static_cast<int>(rows_.size())) return nullptr;
  return rows_[static_cast<std::size_t>(index)].get();
}

// --- TStringGrid ---

const TClassInfo& TStringGrid::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TStringGrid>("TStringGrid", TWinControl::StaticClass())
          .Enumeration("Align", &TStringGrid::Align, &TStringGrid::SetAlign).Default(alNone)
          .Integer("ColCount", &TStringGrid::ColCount, &TStringGrid::SetColCount).Default(5)
          .Integer("RowCount", &TStringGrid::RowCount, &TStringGrid::SetRowCount).Default(5)
          .Integer("FixedCols", &TStringGrid::FixedCols, &TStringGrid::SetFixedCols).Default(1)
          .Integer("FixedRows", &TStringGrid::FixedRows, &TStringGrid::SetFixedRows).Default(1)
          .Integer("DefaultColWidth", &TStringGrid::DefaultColWidth, &TStringGrid::SetDefaultColWidth).Default(64)
          .Integer("DefaultRowHeight", &TStringGrid::DefaultRowHeight, &TStringGrid::SetDefaultRowHeight).Default(24)
          .Integer("FixedColor", ColorTypeInfo(), &TStringGrid::FixedColor, &TStringGrid::SetFixedColor)
          .Default(clBtnFace)
          .Set("Options", &TStringGrid::Options, &TStringGrid::SetOptions)
          .Default(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect})
          .Integer("Col", &TStringGrid::Col, &TStringGrid::SetCol)
          .Integer("Row", &TStringGrid::Row, &TStringGrid::SetRow)
          .Integer("TopRow", &TStringGrid::TopRow, &TStringGrid::SetTopRow)
          .String("ColWidths", &TStringGrid::ColWidthsText, nullptr)
          .Object("VisibleRows", &TStringGrid::VisibleRows)
          .Event("OnDblClick", &TStringGrid::OnDblClick)
          .Event("OnDrawCell", &TStringGrid::OnDrawCell)
          .Event("OnSelectCell", &TStringGrid::OnSelectCell)
          .Event("OnSetEditText", &TStringGrid::OnSetEditText)
          .Event("OnTopLeftChanged", &TStringGrid::OnTopLeftChanged)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TStringGrid);

TStringGrid::TStringGrid(TComponent* owner)
    : TWinControl(owner), visibleRows_(std::make_unique<TGridRows>(this)) {
  Reshape();
  SetBounds(0, 0, 320, 120);
  SetColor(clWindow);
}

TStringGrid::~TStringGrid() = default;

void TStringGrid::Reshape() {
  colWidths_.resize(static_cast<std::size_t>(colCount_), defaultColWidth_);
  rowHeights_.resize(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
  cells_.resize(static_cast<std::size_t>(rowCount_));
  for (auto& row : cells_) row.resize(static_cast<std::size_t>(colCount_));
  if (!Loading()) ClampCurrent();
  MarkChanged("ColWidths");
  RowsChanged();
}

void TStringGrid::ClampCurrent() {
  // The current cell stays a non-fixed cell (the fixed one when the grid
  // has no other).
  ChangeProperty(col_, std::clamp(col_, std::min(fixedCols_, colCount_ - 1), colCount_ - 1), "Col");
  ChangeProperty(row_, std::clamp(row_, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1), "Row");
  SetTopRow(topRow_);
  KeepRowInView();
}

void TStringGrid::SetColCount(int v) {
  v = std::clamp(v, 1, kMaxCount);
  if (!ChangeProperty(colCount_, v, "ColCount")) return;
  if (fixedCols_ >= v) ChangeProperty(fixedCols_, v - 1, "FixedCols");
  Reshape();
}

void TStringGrid::SetRowCount(int v) {
  v = std::clamp(v, 1, kMaxCount);
  if (!ChangeProperty(rowCount_, v, "RowCount")) return;
  if (fixedRows_ >= v) ChangeProperty(fixedRows_, v - 1, "FixedRows");
  Reshape();
}

void TStringGrid::SetFixedCols(int v) {
  v = std::clamp(v, 0, colCount_ - 1);
  if (!ChangeProperty(fixedCols_, v, "FixedCols")) return;
  if (!Loading()) ClampCurrent();
  RowsChanged();
}

void TStringGrid::SetFixedRows(int v) {
  v = std::clamp(v, 0, rowCount_ - 1);
  if (!ChangeProperty(fixedRows_, v, "FixedRows")) return;
  if (!Loading()) ClampCurrent();
  RowsChanged();
}

void TStringGrid::SetDefaultColWidth(int v) {
  v = std::max(0, v);
  if (!ChangeProperty(defaultColWidth_, v, "DefaultColWidth")) return;
  std::fill(colWidths_.begin(), colWidths_.end(), v);
  MarkChanged("ColWidths");
}

void TStringGrid::SetDefaultRowHeight(int v) {
  v = std::max(0, v);
  if (!ChangeProperty(defaultRowHeight_, v, "DefaultRowHeight")) return;
  std::fill(rowHeights_.begin(), rowHeights_.end(), v);
  if (!Loading()) ClampCurrent();
  RowsChanged();
}

int TStringGrid::ColWidths(int col) const {
  return col >= 0 && col < colCount_ ? colWidths_[static_cast<std::size_t>(col)] : 0;
}

void TStringGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= colCount_) return;
  int& w = colWidths_[static_cast<std::size_t>(col)];
  if (w == std::max(0, width)) return;
  w = std::max(0, width);
  MarkChanged("ColWidths");
}

int TStringGrid::RowHeights(int row) const {
  return row >= 0 && row < rowCount_ ? rowHeights_[static_cast<std::size_t>(row)] : 0;
}

void TStringGrid::SetRowHeights(int row, int height) {
  if (row < 0 || row >= rowCount_) return;
  int& h = rowHeights_[static_cast<std::size_t>(row)];
  if (h == std::max(0, height)) return;
  h = std::max(0, height);
  RowsChanged();
}

AnsiString TStringGrid::ColWidthsText() const {
  std::string out;
  for (int w : colWidths_) {
    if (!out.empty()) out += ',';
    out += std::to_string(w);
  }
  return AnsiString(out.c_str());
}

AnsiString TStringGrid::Cells(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return AnsiString();
  return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void TStringGrid::SetCells(int col, int row, const AnsiString& text) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return;
  AnsiString& cell = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
  if (cell == text) return;
  cell = text;
  // Only what is shown is sent; a cell out of view changes nothing there.
  if (row < fixedRows_ || (row >= topRow_ && row < topRow_ + VisibleRowCount())) RowsChanged();
}

void TStringGrid::GetRow(int row, TStringList& out) const {
  out.Clear();
  if (row < 0 || row >= rowCount_) return;
  for (const AnsiString& cell : cells_[static_cast<std::size_t>(row)]) out.Add(cell);
}

void TStringGrid::SetFixedColor(TColor v) {
  if (ChangeProperty(fixedColor_, v, "FixedColor")) RowsChanged();
}

int TStringGrid::VisibleRowCount() const {
  int space = Height();
  for (int r = 0; r < fixedRows_; ++r) space -= RowHeights(r);
  int n = 0;
  for (int r = topRow_; r < rowCount_ && space >= RowHeights(r); ++r) {
    space -= RowHeights(r);
    ++n;
  }
  // Past the last row, the space left counts in default rows.
  if (defaultRowHeight_ > 0 && space > 0 && topRow_ + n >= rowCount_) n += space / defaultRowHeight_;
  return std::max(1, n);
}

void TStringGrid::SetTopRow(int row) {
  // The last page stays full: the top row is at most the first of the last
  // rows that just fill the space below the fixed rows.
  int space = Height();
  for (int r = 0; r < fixedRows_; ++r) space -= RowHeights(r);
  int maxTop = rowCount_;
  while (maxTop > fixedRows_ && space >= RowHeights(maxTop - 1)) space -= RowHeights(--maxTop);
  const int minTop = std::min(fixedRows_, rowCount_ - 1);
  maxTop = std::clamp(maxTop, minTop, rowCount_ - 1);
  row = std::clamp(row, minTop, maxTop);
  if (!ChangeProperty(topRow_, row, "TopRow")) return;
  RowsChanged();
  if (!Loading()) OnTopLeftChanged(this);
}

void TStringGrid::KeepRowInView() {
  if (row_ < topRow_) SetTopRow(row_);
  else if (row_ >= topRow_ + VisibleRowCount()) SetTopRow(row_ - VisibleRowCount() + 1);
}

bool TStringGrid::MoveTo(int col, int row) {
  if (col < fixedCols_ || col >= colCount_ || row < fixedRows_ || row >= rowCount_) return false;
  if (col == col_ && row == row_) return true;
  if (!Loading()) {
    bool canSelect = true;
    TComponentPtr<TStringGrid> self(this);
    OnSelectCell(this, col, row, canSelect);
    if (!canSelect || !self) return false;
  }
  const bool rowChanged = ChangeProperty(row_, row, "Row");
  const bool colChanged = ChangeProperty(col_, col, "Col");
  if (!Loading()) KeepRowInView();
  // The focused cell is drawn apart.
  if (rowChanged || colChanged) RowsChanged();
  return true;
}

TGridCellDisplay TStringGrid::CellDisplay(int col, int row) const {
  TGridCellDisplay d;
  d.Text = Cells(col, row);
  TGridDrawState state;
  if (col < fixedCols_ || row < fixedRows_) {
    state.Include(gdFixed);
    d.Color = fixedColor_;
  } else {
    d.Color = Color();
    if (row == row_ && (col == col_ || options_.Contains(goRowSelect))) {
      state.Include(gdSelected);
      if (col == col_) state.Include(gdFocused);
      if (Focused() || options_.Contains(goRowSelect) || options_.Contains(goDrawFocusSelected)) {
        d.Color = clHighlight;
        d.FontColor = clHighlightText;
      }
    }
  }
  d.FontColor = state.Contains(gdFixed) ? Font()->Color() : d.FontColor;
  if (!state.Contains(gdFixed) && d.FontColor == clWindowText) d.FontColor = Font()->Color();
  OnDrawCell(const_cast<TStringGrid*>(this), col, row, state, d);
  return d;
}

bool TStringGrid::TakesUserInput() const { return Showing() && EnabledChain(); }

bool TStringGrid::UserSelectCell(int col, int row) {
  if (!TakesUserInput()) return false;
  if (!MoveTo(col, row)) return false;
  Click();
  return true;
}

bool TStringGrid::UserScroll(int topRow) {
  if (!TakesUserInput()) return false;
  SetTopRow(topRow);
  return true;
}

bool TStringGrid::UserEditCell(int col, int row, const AnsiString& text) {
  if (!TakesUserInput() || !options_.Contains(goEditing)) return false;
  if (col < fixedCols_ || col >= colCount_ || row < fixedRows_ || row >= rowCount_) return false;
  SetCells(col, row, text);
  OnSetEditText(this, col, row, text);
  return true;
}

bool TStringGrid::WantsKey(Word key, TShiftState shift) const {
  return key == VK_TAB && options_.Contains(goTabs) && !shift.Contains(ssCtrl);
}

void TStringGrid::KeyDown(Word& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == 0) return;
  const bool ctrl = shift.Contains(ssCtrl);
  int col = col_, row = row_;
  switch (key) {
    case VK_UP: --row; break;
    case VK_DOWN: ++row; break;
    case VK_LEFT: --col; break;
    case VK_RIGHT: ++col; break;
    case VK_PRIOR: row -= VisibleRowCount(); break;
    case VK_NEXT: row += VisibleRowCount(); break;
    case VK_HOME: if (ctrl) row = fixedRows_; col = fixedCols_; break;
    case VK_END: if (ctrl) row = rowCount_ - 1; col = colCount_ - 1; break;
    case VK_TAB:
      if (!WantsKey(key, shift)) return;
      // Tab walks the row, then goes on at the start of the next one.
      if (shift.Contains(ssShift)) {
        if (--col < fixedCols_) col = colCount_ - 1, --row;
      } else if (++col >= colCount_) {
        col = fixedCols_, ++row;
      }
      break;
    default: return;
  }
  key = 0;
  col = std::clamp(col, std::min(fixedCols_, colCount_ - 1), colCount_ - 1);
  row = std::clamp(row, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1);
  MoveTo(col, row);
}

void TStringGrid::Loaded() {
  TWinControl::Loaded();
  ClampCurrent();
}

void TStringGrid::Resize() {
  TWinControl::Resize();
  SetTopRow(topRow_);
  KeepRowInView();
  RowsChanged();
}

}  // namespace platform
