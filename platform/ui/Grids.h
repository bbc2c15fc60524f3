// String grids, headless: TStringGrid, a table of texts with fixed title
// rows and columns.
//
// Size: ColCount x RowCount cells, of which the first FixedCols columns
// and FixedRows rows are fixed (titles; never current, never scrolled).
// Counts are at least 1 and fixed counts at most one less than the count,
// as the class library keeps them. Cells keep their texts when the counts
// change (cells outside the new size go). Column widths and row heights
// start at DefaultColWidth / DefaultRowHeight; ColWidths(i) changes one.
//
// The current cell is (Col, Row), always a non-fixed cell. A move by the
// user (UserSelectCell, the arrow and page keys, Tab with goTabs) asks
// OnSelectCell first, which may refuse it; a move by code (SetCol, SetRow)
// asks it too, as the class library does. The current row is kept in view:
// TopRow (the first non-fixed row shown) follows it. TopRow set by code or
// by the user's scroll (UserScroll) is clamped so the last page stays
// full, and runs OnTopLeftChanged.
//
// Rendering: the grid's state for the renderer is its visible rows only
// ("VisibleRows": the fixed rows, then the rows from TopRow that fit into
// Height), each with its row number, height, the texts of its cells and
// their colours. OnDrawCell is the drawing hook: it is asked for every
// visible cell with the cell's text and colours and may change them, so
// the renderer shows what the handler decides. "ColWidths" carries every
// column width, comma-separated.
//
// Editing: with goEditing the user's text for a non-fixed cell
// (UserEditCell) is stored and OnSetEditText runs; without it, or for a
// fixed cell, the edit is refused.
#pragma once

#include <memory>
#include <vector>

#include "platform/StringList.h"
#include "platform/ui/Collection.h"
#include "platform/ui/GridDrawState.h"
#include "platform/ui/StdCtrls.h"

namespace platform {

enum TGridOption {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSizing,
  goColSizing,
  goRowMoving,
  goColMoving,
  goEditing,
  goTabs,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking
};
using TGridOptions = SetOf<TGridOption>;
const TTypeInfo& EnumTypeInfo(TGridOption);
const TTypeInfo& SetTypeInfo(TGridOptions);

// What a cell shows; OnDrawCell may change it.
struct TGridCellDisplay {
  AnsiString Text;
  TColor Color = clWindow;
  TColor FontColor = clWindowText;
};

// (Sender, ACol, ARow, var CanSelect)
using TSelectCellEvent = TEvent<"TSelectCellEvent", TObject*, int, int, bool&>;
// (Sender, ACol, ARow, State, var Display)
using TDrawCellEvent = TEvent<"TDrawCellEvent", TObject*, int, int, TGridDrawState, TGridCellDisplay&>;
// (Sender, ACol, ARow, Value)
using TSetEditEvent = TEvent<"TSetEditEvent", TObject*, int, int, const AnsiString&>;

class TStringGrid;

// One visible row as the renderer sees it.
class TGridRow : public TPersistent {
  PLATFORM_CLASS(TGridRow)

 public:
  int Row() const { return row_; }
  int Height() const { return height_; }
  TStringList* Cells() const { return cells_.get(); }
  // Each cell's background and text colours as resolved RGB, one line per
  // cell.
  TStringList* Colors() const { return colors_.get(); }
  TStringList* FontColors() const { return fontColors_.get(); }

 private:
  friend class TGridRows;
  int row_ = 0;
  int height_ = 0;
  std::unique_ptr<TStringList> cells_ = std::make_unique<TStringList>();
  std::unique_ptr<TStringList> colors_ = std::make_unique<TStringList>();
  std::unique_ptr<TStringList> fontColors_ = std::make_unique<TStringList>();
};

// The visible rows, computed when asked for.
class TGridRows : public TPersistent, public TIndexedItems {
  PLATFORM_CLASS(TGridRows)

 public:
  explicit TGridRows(const TStringGrid* grid) : grid_(grid) {}
  int ItemCount() const override;
  TPersistent* ItemAt(int index) const override;

 private:
  const TStringGrid* grid_;
  mutable std::vector<std::unique_ptr<TGridRow>> rows_;
};

class TStringGrid : public TWinControl {
  PLATFORM_CLASS(TStringGrid)

 public:
  explicit TStringGrid(TComponent* owner);
  ~TStringGrid() override;

  // --- size ---
  int ColCount() const { return colCount_; }
  void SetColCount(int v);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int v);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int v);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int v);
  int DefaultColWidth() const { return defaultColWidth_; }
  // Sets every column to the width.
  void SetDefaultColWidth(int v);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int v);
  // Out of range: 0 (reads) or ignored (writes).
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);
  AnsiString ColWidthsText() const;

  // --- cells ---
  // Out of range: empty (reads) or ignored (writes).
  AnsiString Cells(int col, int row) const;
  void SetCells(int col, int row, const AnsiString& text);
  // The texts of a row, one line per column.
  void GetRow(int row, TStringList& out) const;

  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions v) { ChangeProperty(options_, v, "Options"); }
  TColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(TColor v);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { ChangeProperty(align_, v, "Align"); }

  // --- current cell and scrolling ---
  int Col() const { return col_; }
  int Row() const { return row_; }
  // Through OnSelectCell; false when refused or out of the non-fixed cells.
  bool SetCol(int col) { return MoveTo(col, row_); }
  bool SetRow(int row) { return MoveTo(col_, row); }
  bool MoveTo(int col, int row);
  int TopRow() const { return topRow_; }
  void SetTopRow(int row);
  // How many non-fixed rows fit below the fixed rows (at least 1).
  int VisibleRowCount() const;

  // --- the user (the renderer reports it) ---
  // Dropped (false) when the grid is hidden or disabled, the cell out of
  // range or fixed, or OnSelectCell refuses; runs OnClick after a move.
  bool UserSelectCell(int col, int row);
  bool UserScroll(int topRow);
  bool UserEditCell(int col, int row, const AnsiString& text);
  // Arrows, PageUp/PageDown, Ctrl+Home/End, and Tab with goTabs.
  void KeyDown(Word& key, TShiftState shift) override;
  bool WantsKey(Word key, TShiftState shift) const override;

  // What cell (col, row) shows, after OnDrawCell.
  TGridCellDisplay CellDisplay(int col, int row) const;
  TGridRows* VisibleRows() const { return visibleRows_.get(); }

  TSelectCellEvent OnSelectCell;
  TDrawCellEvent OnDrawCell;
  TSetEditEvent OnSetEditText;
  TNotifyEvent OnTopLeftChanged;
  TNotifyEvent OnDblClick;

 protected:
  void Loaded() override;
  void Resize() override;

 private:
  void Reshape();
  void ClampCurrent();
  void KeepRowInView();
  bool TakesUserInput() const;
  void RowsChanged() { MarkChanged("VisibleRows"); }

  int colCount_ = 5, rowCount_ = 5;
  int fixedCols_ = 1, fixedRows_ = 1;
  int defaultColWidth_ = 64, defaultRowHeight_ = 24;
  std::vector<int> colWidths_, rowHeights_;
  std::vector<std::vector<AnsiString>> cells_;  // [row][col]
  TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  TColor fixedColor_ = clBtnFace;
  TAlign align_ = alNone;
  int col_ = 1, row_ = 1, topRow_ = 1;
  std::unique_ptr<TGridRows> visibleRows_;
};

}  // namespace platform
