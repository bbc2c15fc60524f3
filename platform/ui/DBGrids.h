// TDBGrid: the data grid, with its columns (TColumn, TDBGridColumns), its
// list of selected records (TBookmarkList) and its render state
// (TDBGridView).
//
// The grid shows the rows of the data set of its DataSource, one column
// per TColumn of Columns; while Columns is empty it shows one column per
// visible field, in field order, made afresh whenever the field list
// changes. A column names its field by FieldName; its title is
// Title.Caption (the field's DisplayLabel until a caption is set), its
// width Width (DisplayWidth * 8 + 4 pixels until a width is set).
//
// Drawing: the render state is the visible rows only. They are read
// through a row window (RowWindow.h), so drawing never moves the cursor
// and raises no record event; while a row is read, the fields read that
// row, so the cell colour handler (OnCalcCellColors) sees the drawn
// record's values. Each cell gets its display text, its brush and font
// colours and, for a check-box cell, whether it is checked; each title
// its caption, brush colour and image (OnCalcTitleAttributes,
// OnCalcTitleImage, TitleImages). The state is computed again after every
// notification of the data set and every change of the grid's own
// properties, and is published as the sub-object "View", so a change of
// any visible cell reaches the renderer as one change of "View.*".
//
// Geometry (pixels, no border): the title row is DefaultRowHeight high
// when dgTitles is set, data rows DefaultRowHeight, the indicator column
// IndicatorWidth wide when dgIndicator is set. TopRow is the first row of
// the row window shown; it follows the current record when the cursor
// leaves the visible rows, and ScrollTo moves it without moving the
// cursor. Scrolling or paging past the rows fetched so far fetches the
// next packets of a client data set.
//
// Input (MouseDown, CellClick, KeyDown, KeyPress): a click on a data row
// makes its record current (posting or cancelling a pending record first,
// as any navigation does) and selects the clicked column; a click on a
// title runs OnTitleClick; a click below the last row, within the columns,
// runs BlankAreaClick (OnBlankAreaClick). With dgMultiSelect, Ctrl+click
// toggles the record in SelectedRows, a click without Ctrl clears them,
// Shift+Up/Down adds the records passed. Keys: Up/Down move by a record,
// Down on the last record appends when editing and inserting are allowed;
// PageUp/PageDown by the visible rows; Left/Right, Tab/Shift+Tab (with
// dgTabs), Home/End move between columns (Tab wraps to the next record's
// first column); Ctrl+Home/Ctrl+End go to the first/last record; Enter
// moves like Tab with dgEnterToTab; F2 opens the cell editor; Esc closes
// it unchanged and, pressed again, cancels the record; Space toggles a
// check-box cell. Typing into a cell of a column that can be edited puts
// the data set into edit (AutoEdit, as TDBEdit does), replaces the cell's
// text, and the text reaches the field through TField::SetText (OnSetText,
// mask, OnValidate) when the cell is left or the record posted. A text the
// field refuses keeps the editor open on it, and the exception goes on.
//
// A column shows check boxes when its field is boolean, or when its
// CheckBoxValues names the checked and the unchecked text ("Y;N").
//
// The renderer reaches a grid's cells through DispatchGridMouseDown and
// DispatchGridScroll, which take the same checks as the application's
// input entry points (a grid that is gone, hidden, disabled or outside the
// modal form gets nothing).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/StringList.h"
#include "platform/data/DataSource.h"
#include "platform/data/RowWindow.h"
#include "platform/ui/Collection.h"
#include "platform/ui/Control.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/GridDrawState.h"

namespace platform {

class TDBGrid;
class TColumn;

enum TDBGridOption {
  dgEditing,
  dgAlwaysShowEditor,
  dgTitles,
  dgIndicator,
  dgColumnResize,
  dgColLines,
  dgRowLines,
  dgTabs,
  dgRowSelect,
  dgAlwaysShowSelection,
  dgConfirmDelete,
  dgCancelOnExit,
  dgMultiSelect,
  dgWordWrap,
};
using TDBGridOptions = SetOf<TDBGridOption>;
const TTypeInfo& EnumTypeInfo(TDBGridOption);
const TTypeInfo& SetTypeInfo(TDBGridOptions);

enum TDBGridKeyOption { dgEnterToTab, dgAllowDelete, dgAllowInsert };
using TDBGridKeyOptions = SetOf<TDBGridKeyOption>;
const TTypeInfo& EnumTypeInfo(TDBGridKeyOption);
const TTypeInfo& SetTypeInfo(TDBGridKeyOptions);


// (Column)
using TDBGridClickEvent = TEvent<"TDBGridClickEvent", TColumn*>;
// (Sender, FieldName) - a title clicked, by its field's name.
using TTitleButtonClickEvent = TEvent<"TTitleButtonClickEvent", TObject*, const AnsiString&>;
// (Sender, Field, State, Highlight, Font, var BrushColor): the colours of
// one data cell, while the fields read the drawn row.
using TCalcCellColorsEvent =
    TEvent<"TCalcCellColorsEvent", TObject*, TField*, TGridDrawState, bool, TFont*, TColor&>;
// (Sender, Field, Font, var BrushColor): the colours of one title.
using TCalcTitleAttributesEvent = TEvent<"TCalcTitleAttributesEvent", TObject*, TField*, TFont*, TColor&>;
// (Sender, Field, var ImageIndex): the picture of one title in TitleImages
// (-1: none).
using TCalcTitleImageEvent = TEvent<"TCalcTitleImageEvent", TObject*, TField*, int&>;
// (Sender, Column): a click below the last row; Column may be null.
using TBlankAreaClickEvent = TEvent<"TBlankAreaClickEvent", TObject*, TColumn*>;

class TColumnTitle : public TPersistent {
  PLATFORM_CLASS(TColumnTitle)

 public:
  explicit TColumnTitle(TColumn& column);
  ~TColumnTitle() override;

  // The field's DisplayLabel until a caption is set.
  AnsiString Caption() const;
  void SetCaption(const AnsiString& caption);
  TColor Color() const { return color_; }
  void SetColor(TColor color) { ChangeProperty(color_, color, "Color"); }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* font) { font_->Assign(*font); }
  void Assign(const TPersistent& source) override;

 private:
  friend class TColumn;
  TColumn& column_;
  AnsiString caption_;
  bool captionSet_ = false;
  TColor color_ = clBtnFace;
  std::unique_ptr<TFont> font_;
};

class TColumn : public TCollectionItem {
  PLATFORM_CLASS(TColumn)

 public:
  explicit TColumn(TCollection* collection);
  ~TColumn() override;

  const AnsiString& FieldName() const { return fieldName_; }
  void SetFieldName(const AnsiString& name) { ChangeProperty(fieldName_, name, "FieldName"); }
  // The field of that name in the grid's open data set, or null.
  TField* Field() const;
  TColumnTitle* Title() const { return title_.get(); }
  void SetTitle(TColumnTitle* title) { title_->Assign(*title); }
  // DisplayWidth * 8 + 4 of the field (64 without one) until set.
  int Width() const;
  void SetWidth(int width);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on) { ChangeProperty(readOnly_, on, "ReadOnly"); }
  bool Visible() const { return visible_; }
  void SetVisible(bool on) { ChangeProperty(visible_, on, "Visible"); }
  // The brush of the column's cells; the grid's Color until set.
  TColor Color() const;
  void SetColor(TColor color);
  // "checked;unchecked": the cells show check boxes (empty: only for a
  // boolean field).
  const AnsiString& CheckBoxValues() const { return checkBoxValues_; }
  void SetCheckBoxValues(const AnsiString& v) { ChangeProperty(checkBoxValues_, v, "CheckBoxValues"); }
  // Whether the cells show check boxes, and the texts they toggle between.
  bool ShowsCheckBox() const;
  bool CheckedTexts(AnsiString& checked, AnsiString& unchecked) const;

  TDBGrid* Grid() const;
  AnsiString DisplayName() const override;
  void Assign(const TPersistent& source) override;

 private:
  AnsiString fieldName_;
  std::unique_ptr<TColumnTitle> title_;
  int width_ = 0;
  bool widthSet_ = false;
  bool readOnly_ = false;
  bool visible_ = true;
  TColor color_ = clWindow;
  bool colorSet_ = false;
  AnsiString checkBoxValues_;
};

class TDBGridColumns : public TCollectionOf<TColumn> {
  PLATFORM_CLASS(TDBGridColumns)

 public:
  explicit TDBGridColumns(TDBGrid* grid) : grid_(grid) {}
  TDBGrid* Grid() const { return grid_; }
  // One column per field of the grid's data set (visible fields only).
  void RebuildColumns();

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TDBGrid* grid_;
};

// The selected records of a grid, as bookmarks in the order they were
// selected.
class TBookmarkList {
 public:
  explicit TBookmarkList(TDBGrid& grid) : grid_(grid) {}

  int Count() const { return static_cast<int>(items_.size()); }
  const TBookmark& Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  const std::vector<TBookmark>& List() const { return items_; }
  bool Contains(const TBookmark& bookmark) const;
  int IndexOf(const TBookmark& bookmark) const;
  // Whether the current record is selected; setting it adds it at the end
  // or removes it.
  bool CurrentRowSelected() const;
  void SetCurrentRowSelected(bool selected);
  void Select(const TBookmark& bookmark, bool selected);
  void Clear();
  // Every record of the data set (fetching every packet), in cursor order.
  void SelectAll();
  // Drops bookmarks of records that are gone; true when any was dropped.
  bool Refresh();

 private:
  TDBGrid& grid_;
  std::vector<TBookmark> items_;
};

// What the renderer draws of a grid: the visible rows only. Lines of the
// per-row lists are the visible data rows from the top; cells are
// separated by a tab in column order (tabs and line breaks inside texts
// become blanks). Colours are "#RRGGBB".
class TDBGridView : public TPersistent {
  PLATFORM_CLASS(TDBGridView)

 public:
  TDBGridView();

  struct Data {
    int TopRow = 0;
    int RowCount = 0;       // rows of the row window
    int VisibleRows = 0;    // data rows drawn
    int CurrentRow = -1;    // visible row of the current record, -1 when not shown
    int Col = -1;           // selected column
    bool EditorMode = false;
    AnsiString EditText;
    std::vector<AnsiString> Titles, TitleColors, TitleImages, ColWidths;
    std::vector<AnsiString> Cells, CellColors, CellChecks, CellPictures, Selection;
    std::vector<AnsiString> BlankRowColors;  // the empty rows painted below the last row
    friend bool operator==(const Data&, const Data&) = default;
  };

  const Data& Get() const { return data_; }
  // Takes new data; true (and the properties marked) when it differs.
  bool Take(Data data);

  int TopRow() const { return data_.TopRow; }
  int RowCount() const { return data_.RowCount; }
  int VisibleRows() const { return data_.VisibleRows; }
  int CurrentRow() const { return data_.CurrentRow; }
  int Col() const { return data_.Col; }
  bool EditorMode() const { return data_.EditorMode; }
  const AnsiString& EditText() const { return data_.EditText; }
  TStringList* Titles() const { return &lists_[0]; }
  TStringList* TitleColors() const { return &lists_[1]; }
  TStringList* TitleImages() const { return &lists_[2]; }
  TStringList* ColWidths() const { return &lists_[3]; }
  TStringList* Cells() const { return &lists_[4]; }
  TStringList* CellColors() const { return &lists_[5]; }
  TStringList* CellChecks() const { return &lists_[6]; }
  TStringList* CellPictures() const { return &lists_[7]; }
  TStringList* Selection() const { return &lists_[8]; }
  TStringList* BlankRowColors() const { return &lists_[9]; }

 private:
  Data data_;
  mutable TStringList lists_[10];
};

class TDBGrid : public TWinControl {
  PLATFORM_CLASS(TDBGrid)

 public:
  explicit TDBGrid(TComponent* owner);
  ~TDBGrid() override;

  // --- data ---
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* dataSource);
  // The data set shown (null without an active data source).
  TDataSet* DataSet() const;

  // --- columns ---
  TDBGridColumns* Columns() const { return columns_.get(); }
  void SetColumns(TDBGridColumns* columns);
  // The columns shown: Columns' visible ones, or the default columns.
  const std::vector<TColumn*>& VisibleColumns() const { return shown_; }
  int SelectedIndex() const { return col_; }
  void SetSelectedIndex(int index);
  TColumn* SelectedColumn() const;
  TField* SelectedField() const;
  // Selects the first shown column of that field (none: nothing changes).
  void SetSelectedField(TField* field);

  // --- appearance ---
  TDBGridOptions Options() const { return options_; }
  void SetOptions(TDBGridOptions options);
  TDBGridKeyOptions KeyOptions() const { return keyOptions_; }
  void SetKeyOptions(TDBGridKeyOptions options) { ChangeProperty(keyOptions_, options, "KeyOptions"); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  int DefaultRowHeight() const { return rowHeight_; }
  void SetDefaultRowHeight(int height);
  TColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(TColor color);
  TFont* TitleFont() const { return titleFont_.get(); }
  void SetTitleFont(TFont* font) { titleFont_->Assign(*font); }
  TImageList* TitleImages() const { return titleImages_; }
  void SetTitleImages(TImageList* images);
  static constexpr int IndicatorWidth = 11;

  // --- geometry and scrolling ---
  int TitleHeight() const;
  // Data rows that fit below the titles.
  int RowCapacity() const;
  int TopRow() const { return topRow_; }
  // Shows the rows from topRow (clamped), fetching packets as needed;
  // the cursor stays.
  void ScrollTo(int topRow);
  // The cell at a point: column index (-1 for the indicator, -2 right of
  // the columns) and visible row (-1 for the title row).
  struct GridCoord {
    int Col = -2;
    int Row = -2;
  };
  GridCoord MouseCoord(int x, int y) const;

  // --- selection of records ---
  TBookmarkList& SelectedRows() { return selected_; }
  const TBookmarkList& SelectedRows() const { return selected_; }

  // --- cell editor ---
  bool EditorMode() const { return editorMode_; }
  const AnsiString& EditText() const { return editText_; }
  // Opens the editor on the selected cell with the field's text; false
  // when the cell cannot be edited now.
  bool ShowEditor();
  // Writes the editor's text into the field (OnSetText, OnValidate) and
  // closes it; an exception keeps it open.
  void UpdateData();
  // Closes the editor, dropping its text.
  void HideEditor();
  // Whether the selected cell can be edited (data set, field, column,
  // grid and options allow it).
  bool CanEditCell() const;
  // Whether the grid may add records (dgEditing, dgAllowInsert, not read
  // only, the data set can be modified).
  bool CanInsert() const;

  // --- input ---
  // A click at a point of the grid (pixels from its top-left corner);
  // with ssDouble it is the second press of a double click and runs
  // OnDblClick after the click.
  void MouseDown(int x, int y, TShiftState shift = {});
  // A click on a cell: column index (-1 indicator) and visible row (-1
  // title).
  void CellClick(int col, int row, TShiftState shift = {});
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  bool WantsKey(Word key, TShiftState shift) const override;
  void DoExit() override;

  // --- render state ---
  const TDBGridView* View() const { return view_.get(); }
  // Computes the render state again.
  void Invalidate();
  // The text a column shows for the current record (the editor's text
  // while it is open on that cell).
  AnsiString CellText(const TColumn& column) const;

  TDBGridClickEvent OnTitleClick;
  TTitleButtonClickEvent OnTitleButtonClick;
  TCalcCellColorsEvent OnCalcCellColors;
  TCalcTitleAttributesEvent OnCalcTitleAttributes;
  TCalcTitleImageEvent OnCalcTitleImage;
  TBlankAreaClickEvent OnBlankAreaClick;
  TNotifyEvent OnColEnter;
  TNotifyEvent OnColExit;
  TNotifyEvent OnCellClick;
  TNotifyEvent OnDblClick;

 protected:
  // One data cell being drawn: its field may be read (the fields read the
  // drawn row). RecNo is the row's 1-based position in the cursor order.
  struct CellInfo {
    TColumn* Column = nullptr;
    TField* Field = nullptr;
    int Row = 0;        // visible row
    int RecNo = 0;
    bool Current = false;
    bool Selected = false;  // in SelectedRows
    TGridDrawState State;
  };
  // Sets a data cell's colours: the column colour and the grid's font,
  // the highlight for selected records (and the current one with
  // dgRowSelect), then OnCalcCellColors.
  virtual void CalcCellColors(const CellInfo& cell, TFont& font, TColor& brush);
  // The picture of a check-box cell ("" for none): the renderer's id of a
  // picture and where it goes in the cell.
  virtual AnsiString CheckPicture(const CellInfo& cell, bool checked, int cellWidth) const;
  // The colours of the count empty rows below the drawnRows rows drawn
  // (none by default).
  virtual std::vector<TColor> BlankRowColorList(int count, int drawnRows) const;
  // A click below the last row, within the columns; runs OnBlankAreaClick.
  virtual void BlankAreaClick(TColumn* column);
  void Loaded() override;
  void Resize() override;
  // The grid's colour and font change what every cell shows.
  void MarkChanged(const AnsiString& propertyName) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  class GridLink;
  friend class GridLink;
  friend class TDBGridColumns;
  friend class TColumn;
  friend class TColumnTitle;

  void LinkActive();
  void LinkDataChanged();
  void LinkLayoutChanged();
  void LinkUpdateData();
  void LinkEditingChanged();
  void ColumnsChanged();
  void RebuildShown();
  void FollowCursor();
  void FetchFor(int lastRow);
  int CurrentWindowRow() const;
  bool MoveToRow(int row);
  void MoveRecord(int distance, TShiftState shift);
  void MoveColumn(int delta, bool wrap);
  void SetCol(int col);
  void ToggleCheckBox();
  bool EditCell();
  AnsiString FormatColor(TColor color) const;

  std::unique_ptr<GridLink> link_;
  std::unique_ptr<TDBGridColumns> columns_;
  std::unique_ptr<TDBGridColumns> defaultColumns_;
  std::vector<TColumn*> shown_;
  TBookmarkList selected_;
  std::unique_ptr<TDBGridView> view_;
  std::unique_ptr<TFont> titleFont_;
  TImageList* titleImages_ = nullptr;
  TDBGridOptions options_;
  TDBGridKeyOptions keyOptions_;
  bool readOnly_ = false;
  int rowHeight_ = 18;
  TColor fixedColor_ = clBtnFace;
  int topRow_ = 0;
  int col_ = 0;
  bool editorMode_ = false;
  AnsiString editText_;
  bool editorChanged_ = false;
  bool updating_ = false;
  bool computing_ = false;
  bool destroying_ = false;
};

// Renderer input for a grid, by instance id: a click at a point and a
// scroll to a first row. False when the input was dropped.
bool DispatchGridMouseDown(std::uint64_t gridId, int x, int y, TShiftState shift = {});
bool DispatchGridScroll(std::uint64_t gridId, int topRow);

}  // namespace platform
