#include "platform/ui/DBGrids.h"

#include <algorithm>
#include <cstdio>

#include "platform/CodePage.h"
#include "platform/data/BooleanField.h"
#include "platform/data/ClientDataSet.h"
#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Form.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TDBGridOption) {
  static const TTypeInfo t = TTypeInfo::Enumeration(
      "TDBGridOption", {"dgEditing", "dgAlwaysShowEditor", "dgTitles", "dgIndicator", "dgColumnResize", "dgColLines",
                        "dgRowLines", "dgTabs", "dgRowSelect", "dgAlwaysShowSelection", "dgConfirmDelete",
                        "dgCancelOnExit", "dgMultiSelect", "dgWordWrap"});
  return t;
}

const TTypeInfo& SetTypeInfo(TDBGridOptions) {
  static const TTypeInfo t = TTypeInfo::Set("TDBGridOptions", EnumTypeInfo(TDBGridOption{}));
  return t;
}

const TTypeInfo& EnumTypeInfo(TDBGridKeyOption) {
  static const TTypeInfo t =
      TTypeInfo::Enumeration("TDBGridKeyOption", {"dgEnterToTab", "dgAllowDelete", "dgAllowInsert"});
  return t;
}

const TTypeInfo& SetTypeInfo(TDBGridKeyOptions) {
  static const TTypeInfo t = TTypeInfo::Set("TDBGridKeyOptions", EnumTypeInfo(TDBGridKeyOption{}));
  return t;
}

namespace {

// A cell text as one entry of a tab-separated line.
AnsiString CellEntry(const AnsiString& text) {
  std::string bytes = text.Bytes();
  for (char& c : bytes)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return AnsiString::FromBytes(bytes);
}

AnsiString JoinCells(const std::vector<AnsiString>& cells) {
  AnsiString line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i) line += '\t';
    line += cells[i];
  }
  return line;
}

AnsiString HexColor(TColor color) {
  const auto rgb = static_cast<std::uint32_t>(ColorToRGB(color));
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  return AnsiString(buf);
}

AnsiString FontStyleText(const TFont& font) {
  AnsiString s;
  if (font.Style().Contains(fsBold)) s += 'b';
  if (font.Style().Contains(fsItalic)) s += 'i';
  if (font.Style().Contains(fsUnderline)) s += 'u';
  if (font.Style().Contains(fsStrikeOut)) s += 's';
  return s;
}

}  // namespace

// --- TColumnTitle ---

const TClassInfo& TColumnTitle::StaticClass() {
  static const TClassInfo info = TClassBuilder<TColumnTitle>("TColumnTitle", TPersistent::StaticClass())
                                     .String("Caption", &TColumnTitle::Caption, &TColumnTitle::SetCaption)
                                     .Integer("Color", ColorTypeInfo(), &TColumnTitle::Color, &TColumnTitle::SetColor)
                                     .Default(clBtnFace)
                                     .Object("Font", &TColumnTitle::Font, &TColumnTitle::SetFont)
                                     .Build();
  return info;
}

TColumnTitle::TColumnTitle(TColumn& column) : column_(column), font_(std::make_unique<TFont>()) {
  SetOwnerProperty(&column, "Title");
  font_->SetOwnerProperty(this, "Font");
}

TColumnTitle::~TColumnTitle() = default;

AnsiString TColumnTitle::Caption() const {
  if (captionSet_) return caption_;
  TField* field = column_.Field();
  return field ? field->DisplayLabel() : column_.FieldName();
}

void TColumnTitle::SetCaption(const AnsiString& caption) {
  if (captionSet_ && caption_ == caption) return;
  captionSet_ = true;
  caption_ = caption;
  MarkChanged("Caption");
}

void TColumnTitle::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TColumnTitle*>(&source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  caption_ = other->caption_;
  captionSet_ = other->captionSet_;
  color_ = other->color_;
  font_->Assign(*other->font_);
  MarkChanged("Caption");
}

// --- TColumn ---

const TClassInfo& TColumn::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TColumn>("TColumn", TCollectionItem::StaticClass())
          .String("FieldName", &TColumn::FieldName, &TColumn::SetFieldName)
          .Object("Title", &TColumn::Title, &TColumn::SetTitle)
          .Integer("Width", &TColumn::Width, &TColumn::SetWidth)
          .Boolean("ReadOnly", &TColumn::ReadOnly, &TColumn::SetReadOnly).Default(false)
          .Boolean("Visible", &TColumn::Visible, &TColumn::SetVisible).Default(true)
          .Integer("Color", ColorTypeInfo(), &TColumn::Color, &TColumn::SetColor)
          .String("CheckBoxValues", &TColumn::CheckBoxValues, &TColumn::SetCheckBoxValues)
          .Build();
  return info;
}

// The item joins its collection only when it is whole: joining reports a
// change, and the grid then reads every column.
TColumn::TColumn(TCollection* collection) : TCollectionItem(nullptr) {
  title_ = std::make_unique<TColumnTitle>(*this);
  if (auto* columns = dynamic_cast<TDBGridColumns*>(collection); columns && columns->Grid()) {
    title_->Font()->Assign(*columns->Grid()->TitleFont());
    title_->color_ = columns->Grid()->FixedColor();
  }
  SetCollection(collection);
}

TColumn::~TColumn() = default;

TDBGrid* TColumn::Grid() const {
  auto* columns = dynamic_cast<TDBGridColumns*>(Collection());
  return columns ? columns->Grid() : nullptr;
}

TField* TColumn::Field() const {
  TDBGrid* grid = Grid();
  TDataSet* ds = grid ? grid->DataSet() : nullptr;
  return ds && ds->Active() && !fieldName_.IsEmpty() ? ds->FindField(fieldName_) : nullptr;
}

int TColumn::Width() const {
  if (widthSet_) return width_;
  TField* field = Field();
  return field ? field->DisplayWidth() * 8 + 4 : 64;
}

void TColumn::SetWidth(int width) {
  if (width < 0) width = 0;
  if (widthSet_ && width_ == width) return;
  widthSet_ = true;
  width_ = width;
  MarkChanged("Width");
}

TColor TColumn::Color() const {
  if (colorSet_) return color_;
  TDBGrid* grid = Grid();
  return grid ? grid->TControl::Color() : clWindow;
}

void TColumn::SetColor(TColor color) {
  if (colorSet_ && color_ == color) return;
  colorSet_ = true;
  color_ = color;
  MarkChanged("Color");
}

bool TColumn::CheckedTexts(AnsiString& checked, AnsiString& unchecked) const {
  if (!checkBoxValues_.IsEmpty()) {
    const std::string& v = checkBoxValues_.Bytes();
    const auto at = v.find(';');
    checked = AnsiString::FromBytes(v.substr(0, at));
    unchecked = at == std::string::npos ? AnsiString() : AnsiString::FromBytes(v.substr(at + 1));
    return true;
  }
  auto* boolean = dynamic_cast<TBooleanField*>(Field());
  if (!boolean) return false;
  const std::string& v = boolean->DisplayValues().Bytes();
  const auto at = v.find(';');
  checked = AnsiString::FromBytes(v.substr(0, at));
  unchecked = at == std::string::npos ? AnsiString() : AnsiString::FromBytes(v.substr(at + 1));
  return true;
}

bool TColumn::ShowsCheckBox() const {
  AnsiString checked, unchecked;
  return CheckedTexts(checked, unchecked);
}

AnsiString TColumn::DisplayName() const { return fieldName_.IsEmpty() ? TCollectionItem::DisplayName() : fieldName_; }

void TColumn::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TColumn*>(&source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  fieldName_ = other->fieldName_;
  title_->Assign(*other->title_);
  width_ = other->width_;
  widthSet_ = other->widthSet_;
  readOnly_ = other->readOnly_;
  visible_ = other->visible_;
  color_ = other->color_;
  colorSet_ = other->colorSet_;
  checkBoxValues_ = other->checkBoxValues_;
  MarkChanged("FieldName");
}

// --- TDBGridColumns ---

const TClassInfo& TDBGridColumns::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TDBGridColumns>("TDBGridColumns", TCollection::StaticClass()).Build();
  return info;
}

void TDBGridColumns::RebuildColumns() {
  BeginUpdate();
  Clear();
  if (TDataSet* ds = grid_ ? grid_->DataSet() : nullptr) {
    for (TField* field : ds->FieldList())
      if (field->Visible()) Add()->SetFieldName(field->FieldName());
  }
  EndUpdate();
}

void TDBGridColumns::Update(TCollectionItem* item) {
  // Only the published collection marks the grid's property; the default
  // columns are the grid's own.
  if (grid_ && grid_->Columns() == this) TCollection::Update(item);
  if (grid_) grid_->ColumnsChanged();
}

// --- TBookmarkList ---

bool TBookmarkList::Contains(const TBookmark& bookmark) const { return IndexOf(bookmark) >= 0; }

int TBookmarkList::IndexOf(const TBookmark& bookmark) const {
  auto it = std::find(items_.begin(), items_.end(), bookmark);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

bool TBookmarkList::CurrentRowSelected() const {
  TDataSet* ds = grid_.DataSet();
  return ds && ds->Active() && Contains(ds->Bookmark());
}

void TBookmarkList::SetCurrentRowSelected(bool selected) {
  TDataSet* ds = grid_.DataSet();
  if (!ds || !ds->Active()) return;
  Select(ds->Bookmark(), selected);
}

void TBookmarkList::Select(const TBookmark& bookmark, bool selected) {
  if (bookmark.IsEmpty()) return;
  const int at = IndexOf(bookmark);
  if (selected == (at >= 0)) return;
  if (selected) items_.push_back(bookmark);
  else items_.erase(items_.begin() + at);
  grid_.Invalidate();
}

void TBookmarkList::Clear() {
  if (items_.empty()) return;
  items_.clear();
  grid_.Invalidate();
}

void TBookmarkList::SelectAll() {
  TDataSet* ds = grid_.DataSet();
  if (!ds || !ds->Active()) return;
  if (auto* cds = dynamic_cast<TClientDataSet*>(ds))
    while (cds->HasMoreRows() && cds->GetNextPacket() > 0) {
    }
  TRowWindow window(*ds);
  items_.clear();
  for (int row = 0; row < window.RowCount(); ++row) {
    const TBookmark b = window.Bookmark(row);
    if (!b.IsEmpty()) items_.push_back(b);
  }
  grid_.Invalidate();
}

bool TBookmarkList::Refresh() {
  TDataSet* ds = grid_.DataSet();
  const std::size_t before = items_.size();
  items_.erase(std::remove_if(items_.begin(), items_.end(),
                              [ds](const TBookmark& b) { return !ds || !ds->Active() || !ds->BookmarkValid(b); }),
               items_.end());
  return items_.size() != before;
}

// --- TDBGridView ---

const TClassInfo& TDBGridView::StaticClass() {
  static const TClassInfo info = TClassBuilder<TDBGridView>("TDBGridView", TPersistent::StaticClass())
                                     .Integer("TopRow", &TDBGridView::TopRow, nullptr)
                                     .Integer("RowCount", &TDBGridView::RowCount, nullptr)
                                     .Integer("VisibleRows", &TDBGridView::VisibleRows, nullptr)
                                     .Integer("CurrentRow", &TDBGridView::CurrentRow, nullptr)
                                     .Integer("Col", &TDBGridView::Col, nullptr)
                                     .Boolean("EditorMode", &TDBGridView::EditorMode, nullptr)
                                     .String("EditText", &TDBGridView::EditText, nullptr)
                                     .Strings("Titles", &TDBGridView::Titles)
                                     .Strings("TitleColors", &TDBGridView::TitleColors)
                                     .Strings("TitleImages", &TDBGridView::TitleImages)
                                     .Strings("ColWidths", &TDBGridView::ColWidths)
                                     .Strings("Cells", &TDBGridView::Cells)
                                     .Strings("CellColors", &TDBGridView::CellColors)
                                     .Strings("CellChecks", &TDBGridView::CellChecks)
                                     .Strings("CellPictures", &TDBGridView::CellPictures)
                                     .Strings("Selection", &TDBGridView::Selection)
                                     .Strings("BlankRowColors", &TDBGridView::BlankRowColors)
                                     .Build();
  return info;
}

TDBGridView::TDBGridView() = default;

bool TDBGridView::Take(Data data) {
  if (data == data_) return false;
  data_ = std::move(data);
  const std::vector<AnsiString>* sources[] = {&data_.Titles, &data_.TitleColors, &data_.TitleImages,
                                              &data_.ColWidths, &data_.Cells, &data_.CellColors,
                                              &data_.CellChecks, &data_.CellPictures, &data_.Selection,
                                              &data_.BlankRowColors};
  for (int i = 0; i < 10; ++i) {
    lists_[i].Clear();
    for (const AnsiString& line : *sources[i]) lists_[i].Add(line);
  }
  MarkChanged("Cells");
  return true;
}

// --- the grid's link ---

class TDBGrid::GridLink : public TFieldDataLink {
 public:
  explicit GridLink(TDBGrid& grid) : grid_(grid) {}

 protected:
  void ActiveChanged() override { grid_.LinkActive(); }
  void EditingChanged() override { grid_.LinkEditingChanged(); }
  void DataSetChanged() override { grid_.LinkDataChanged(); }
  void DataSetScrolled(int) override { grid_.LinkDataChanged(); }
  void RecordChanged(TField*) override { grid_.LinkDataChanged(); }
  void LayoutChanged() override { grid_.LinkLayoutChanged(); }
  void UpdateData() override { grid_.LinkUpdateData(); }
  void DataSetDestroyed() override { grid_.LinkActive(); }
  void FocusControl(TField* field) override {
    if (!field) return;
    const auto& shown = grid_.VisibleColumns();
    for (std::size_t i = 0; i < shown.size(); ++i)
      if (shown[i]->Field() == field) {
        grid_.SetSelectedIndex(static_cast<int>(i));
        if (grid_.CanFocus()) grid_.SetFocus();
        return;
      }
  }

 private:
  TDBGrid& grid_;
};

// --- TDBGrid ---

const TClassInfo& TDBGrid::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TDBGrid>("TDBGrid", TWinControl::StaticClass())
          .Reference("DataSource", &TDBGrid::DataSource, &TDBGrid::SetDataSource)
          .Object("Columns", &TDBGrid::Columns, &TDBGrid::SetColumns)
          .Set("Options", &TDBGrid::Options, &TDBGrid::SetOptions)
          .Set("KeyOptions", &TDBGrid::KeyOptions, &TDBGrid::SetKeyOptions)
          .Boolean("ReadOnly", &TDBGrid::ReadOnly, &TDBGrid::SetReadOnly).Default(false)
          .Integer("DefaultRowHeight", &TDBGrid::DefaultRowHeight, &TDBGrid::SetDefaultRowHeight).Default(18)
          .Integer("FixedColor", ColorTypeInfo(), &TDBGrid::FixedColor, &TDBGrid::SetFixedColor).Default(clBtnFace)
          .Object("TitleFont", &TDBGrid::TitleFont, &TDBGrid::SetTitleFont)
          .Reference("TitleImages", &TDBGrid::TitleImages, &TDBGrid::SetTitleImages)
          .Integer("SelectedIndex", &TDBGrid::SelectedIndex, &TDBGrid::SetSelectedIndex)
          .Object("View", &TDBGrid::View)
          .Event("OnTitleClick", &TDBGrid::OnTitleClick)
          .Event("OnTitleButtonClick", &TDBGrid::OnTitleButtonClick)
          .Event("OnCalcCellColors", &TDBGrid::OnCalcCellColors)
          .Event("OnCalcTitleAttributes", &TDBGrid::OnCalcTitleAttributes)
          .Event("OnCalcTitleImage", &TDBGrid::OnCalcTitleImage)
          .Event("OnBlankAreaClick", &TDBGrid::OnBlankAreaClick)
          .Event("OnColEnter", &TDBGrid::OnColEnter)
          .Event("OnColExit", &TDBGrid::OnColExit)
          .Event("OnCellClick", &TDBGrid::OnCellClick)
          .Event("OnDblClick", &TDBGrid::OnDblClick)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDBGrid);

TDBGrid::TDBGrid(TComponent* owner)
    : TWinControl(owner),
      link_(std::make_unique<GridLink>(*this)),
      columns_(std::make_unique<TDBGridColumns>(this)),
      defaultColumns_(std::make_unique<TDBGridColumns>(this)),
      selected_(*this),
      view_(std::make_unique<TDBGridView>()),
      titleFont_(std::make_unique<TFont>()) {
  columns_->SetOwnerProperty(this, "Columns");
  view_->SetOwnerProperty(this, "View");
  titleFont_->SetOwnerProperty(this, "TitleFont");
  options_ = TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                            dgConfirmDelete, dgCancelOnExit};
  keyOptions_ = TDBGridKeyOptions{dgAllowDelete, dgAllowInsert};
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(0, 0, 320, 120);
  Invalidate();
}

TDBGrid::~TDBGrid() {
  // The link calls back into the grid; detach it while the grid is whole,
  // without drawing again.
  destroying_ = true;
  link_->SetDataSource(nullptr);
  link_.reset();
  if (titleImages_) titleImages_->RemoveFreeNotification(this);
}

TDataSource* TDBGrid::DataSource() const { return link_ ? link_->DataSource() : nullptr; }

TDataSet* TDBGrid::DataSet() const {
  TDataSet* ds = link_ ? link_->DataSet() : nullptr;
  return ds && ds->Active() ? ds : nullptr;
}

void TDBGrid::SetDataSource(TDataSource* dataSource) {
  if (dataSource == link_->DataSource()) return;
  link_->SetDataSource(dataSource);
  MarkChanged("DataSource");
}

void TDBGrid::SetColumns(TDBGridColumns* columns) {
  if (columns && columns != columns_.get()) columns_->Assign(*columns);
}

void TDBGrid::SetOptions(TDBGridOptions options) {
  if (!ChangeProperty(options_, options, "Options")) return;
  if (!options_.Contains(dgMultiSelect)) selected_.Clear();
  Invalidate();
}

void TDBGrid::SetReadOnly(bool on) {
  if (!ChangeProperty(readOnly_, on, "ReadOnly")) return;
  if (on) HideEditor();
}

void TDBGrid::SetDefaultRowHeight(int height) {
  if (ChangeProperty(rowHeight_, std::max(1, height), "DefaultRowHeight")) Invalidate();
}

void TDBGrid::SetFixedColor(TColor color) {
  if (ChangeProperty(fixedColor_, color, "FixedColor")) Invalidate();
}

void TDBGrid::SetTitleImages(TImageList* images) {
  if (titleImages_ == images) return;
  if (titleImages_) titleImages_->RemoveFreeNotification(this);
  titleImages_ = images;
  if (titleImages_) titleImages_->FreeNotification(this);
  MarkChanged("TitleImages");
  Invalidate();
}

void TDBGrid::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == titleImages_) {
    titleImages_ = nullptr;
    Invalidate();
  }
}

void TDBGrid::Loaded() {
  TWinControl::Loaded();
  RebuildShown();
}

void TDBGrid::Resize() { Invalidate(); }

void TDBGrid::MarkChanged(const AnsiString& propertyName) {
  TWinControl::MarkChanged(propertyName);
  if (propertyName == "Color" || propertyName == "Font") Invalidate();
}

// --- columns ---

void TDBGrid::ColumnsChanged() {
  if (updating_ || destroying_) return;
  RebuildShown();
}

void TDBGrid::RebuildShown() {
  if (destroying_) return;
  updating_ = true;
  if (columns_->Count() == 0) {
    // The default columns follow the field list.
    bool same = static_cast<int>(defaultColumns_->Count()) > 0 || !DataSet();
    TDataSet* ds = DataSet();
    if (ds) {
      std::vector<AnsiString> names;
      for (TField* field : ds->FieldList())
        if (field->Visible()) names.push_back(field->FieldName());
      same = static_cast<int>(names.size()) == defaultColumns_->Count();
      for (int i = 0; same && i < defaultColumns_->Count(); ++i)
        same = defaultColumns_->Items(i)->FieldName() == names[static_cast<std::size_t>(i)];
    } else {
      same = defaultColumns_->Count() == 0;
    }
    if (!same) {
      if (ds) defaultColumns_->RebuildColumns();
      else defaultColumns_->Clear();
    }
  } else if (defaultColumns_->Count() > 0) {
    defaultColumns_->Clear();
  }
  updating_ = false;
  TDBGridColumns& source = columns_->Count() > 0 ? *columns_ : *defaultColumns_;
  shown_.clear();
  for (int i = 0; i < source.Count(); ++i)
    if (source.Items(i)->Visible()) shown_.push_back(source.Items(i));
  if (col_ >= static_cast<int>(shown_.size())) col_ = std::max(0, static_cast<int>(shown_.size()) - 1);
  Invalidate();
}

void TDBGrid::SetSelectedIndex(int index) {
  if (Loading()) {
    col_ = index;
    return;
  }
  if (shown_.empty()) return;
  index = std::clamp(index, 0, static_cast<int>(shown_.size()) - 1);
  if (index == col_) return;
  UpdateData();
  SetCol(index);
}

void TDBGrid::SetCol(int col) {
  if (col == col_) return;
  OnColExit(this);
  HideEditor();
  col_ = col;
  MarkChanged("SelectedIndex");
  Invalidate();
  OnColEnter(this);
}

TColumn* TDBGrid::SelectedColumn() const {
  return col_ >= 0 && col_ < static_cast<int>(shown_.size()) ? shown_[static_cast<std::size_t>(col_)] : nullptr;
}

TField* TDBGrid::SelectedField() const {
  TColumn* column = SelectedColumn();
  return column ? column->Field() : nullptr;
}

void TDBGrid::SetSelectedField(TField* field) {
  if (!field) return;
  for (std::size_t i = 0; i < shown_.size(); ++i)
    if (shown_[i]->Field() == field) {
      SetSelectedIndex(static_cast<int>(i));
      return;
    }
}

// --- link notifications ---

void TDBGrid::LinkActive() {
  if (destroying_) return;
  HideEditor();
  topRow_ = 0;
  if (!DataSet()) selected_.Clear();
  RebuildShown();
  FollowCursor();
}

void TDBGrid::LinkLayoutChanged() {
  RebuildShown();
  FollowCursor();
}

void TDBGrid::LinkDataChanged() {
  // Records that went (deleted, filtered out) leave the selection.
  selected_.Refresh();
  FollowCursor();
}

void TDBGrid::LinkEditingChanged() {
  if (!link_->Editing()) HideEditor();
  Invalidate();
}

void TDBGrid::LinkUpdateData() {
  if (!editorMode_ || !editorChanged_) return;
  TField* field = SelectedField();
  if (!field) return;
  field->SetText(editText_);
  editorChanged_ = false;
}

// --- geometry and scrolling ---

int TDBGrid::TitleHeight() const { return options_.Contains(dgTitles) ? rowHeight_ : 0; }

int TDBGrid::RowCapacity() const { return std::max(0, (Height() - TitleHeight()) / rowHeight_); }

int TDBGrid::CurrentWindowRow() const {
  TDataSet* ds = DataSet();
  return ds ? TRowWindow(*ds).CurrentRow() : -1;
}

void TDBGrid::FetchFor(int lastRow) {
  auto* cds = dynamic_cast<TClientDataSet*>(DataSet());
  if (!cds) return;
  while (TRowWindow(*cds).RowCount() <= lastRow && cds->HasMoreRows())
    if (cds->GetNextPacket() <= 0) break;
}

void TDBGrid::FollowCursor() {
  const int current = CurrentWindowRow();
  const int capacity = std::max(1, RowCapacity());
  if (current >= 0) {
    if (current < topRow_) topRow_ = current;
    else if (current >= topRow_ + capacity) topRow_ = current - capacity + 1;
  }
  TDataSet* ds = DataSet();
  const int rows = ds ? TRowWindow(*ds).RowCount() : 0;
  topRow_ = std::clamp(topRow_, 0, std::max(0, rows - capacity));
  Invalidate();
}

void TDBGrid::ScrollTo(int topRow) {
  TDataSet* ds = DataSet();
  if (!ds) return;
  const int capacity = std::max(1, RowCapacity());
  // Rows beyond the last fetched one come with the next packets.
  FetchFor(std::max(0, topRow) + capacity - 1);
  const int rows = TRowWindow(*ds).RowCount();
  topRow_ = std::clamp(topRow, 0, std::max(0, rows - capacity));
  Invalidate();
}

TDBGrid::GridCoord TDBGrid::MouseCoord(int x, int y) const {
  GridCoord c;
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return c;
  if (y < TitleHeight()) c.Row = -1;
  else c.Row = (y - TitleHeight()) / rowHeight_;
  int left = options_.Contains(dgIndicator) ? IndicatorWidth : 0;
  if (x < left) {
    c.Col = -1;
    return c;
  }
  for (std::size_t i = 0; i < shown_.size(); ++i) {
    const int w = shown_[i]->Width();
    if (x < left + w) {
      c.Col = static_cast<int>(i);
      return c;
    }
    left += w;
  }
  c.Col = -2;
  return c;
}

// --- selection of records and navigation ---

bool TDBGrid::MoveToRow(int row) {
  TDataSet* ds = DataSet();
  if (!ds) return false;
  TRowWindow window(*ds);
  if (row < 0 || row >= window.RowCount()) return false;
  if (row == window.CurrentRow()) return true;
  const TBookmark target = window.Bookmark(row);
  if (target.IsEmpty()) return false;
  // Leaving the record posts or cancels it, which can renumber the rows:
  // the target is found again by its bookmark.
  ds->CheckBrowseMode();
  if (!ds->BookmarkValid(target)) return false;
  const int now = window.CurrentRow();
  int at = -1;
  for (int r = 0; r < window.RowCount(); ++r)
    if (window.Bookmark(r) == target) {
      at = r;
      break;
    }
  if (at < 0) return false;
  if (at != now) ds->MoveBy(at - now);
  return true;
}

void TDBGrid::MoveRecord(int distance, TShiftState shift) {
  TDataSet* ds = DataSet();
  if (!ds || distance == 0) return;
  UpdateData();
  const bool extend = options_.Contains(dgMultiSelect) && shift.Contains(ssShift);
  if (extend) selected_.SetCurrentRowSelected(true);
  if (distance < 0 && ds->State() == TDataSetState::dsInsert && !ds->Modified() && ds->Eof()) {
    // Up from an untouched appended record only drops it.
    ds->Cancel();
    return;
  }
  // Moving past the rows fetched is the data set's business (fetch on
  // demand, or its BeforeScroll handler).
  const int moved = ds->MoveBy(distance);
  if (extend) selected_.SetCurrentRowSelected(true);
  if (distance == 1 && moved == 0 && ds->State() == TDataSetState::dsBrowse && CanInsert()) ds->Append();
}

void TDBGrid::MoveColumn(int delta, bool wrap) {
  if (shown_.empty()) return;
  UpdateData();
  const int last = static_cast<int>(shown_.size()) - 1;
  int col = col_ + delta;
  if (col < 0 || col > last) {
    if (!wrap) return;
    TDataSet* ds = DataSet();
    if (!ds) return;
    const int before = CurrentWindowRow();
    MoveRecord(delta > 0 ? 1 : -1, {});
    if (CurrentWindowRow() == before && ds->State() != TDataSetState::dsInsert) return;
    col = delta > 0 ? 0 : last;
  }
  SetCol(col);
}

void TDBGrid::MouseDown(int x, int y, TShiftState shift) {
  const GridCoord c = MouseCoord(x, y);
  if (c.Row == -2) return;
  CellClick(c.Col, c.Row, shift);
  // The second press of a double click: the handler sees the record and
  // column the first press selected.
  if (shift.Contains(ssDouble)) OnDblClick(this);
}

void TDBGrid::CellClick(int col, int row, TShiftState shift) {
  if (CanFocus() && !Focused()) SetFocus();
  if (col == -2) return;  // right of the columns
  TColumn* column = col >= 0 && col < static_cast<int>(shown_.size()) ? shown_[static_cast<std::size_t>(col)] : nullptr;
  if (row == -1) {
    if (!options_.Contains(dgTitles) || !column) return;
    OnTitleClick(column);
    OnTitleButtonClick(this, column->FieldName());
    return;
  }
  TDataSet* ds = DataSet();
  if (!ds) return;
  const int windowRow = topRow_ + row;
  if (row >= 0 && windowRow >= TRowWindow(*ds).RowCount()) {
    if (col >= 0 || (col == -1 && !shown_.empty())) {
      UpdateData();
      BlankAreaClick(column);
    }
    return;
  }
  UpdateData();
  if (options_.Contains(dgMultiSelect)) {
    if (!shift.Contains(ssCtrl) && !shift.Contains(ssShift)) selected_.Clear();
  }
  // Only a click on the cell that is already current toggles a check box.
  const bool sameCell = windowRow == CurrentWindowRow() && col == col_;
  if (!MoveToRow(windowRow)) return;
  if (options_.Contains(dgMultiSelect) && shift.Contains(ssCtrl))
    selected_.SetCurrentRowSelected(!selected_.CurrentRowSelected());
  else if (options_.Contains(dgMultiSelect) && shift.Contains(ssShift))
    selected_.SetCurrentRowSelected(true);
  if (column) {
    SetCol(col);
    if (sameCell && column->ShowsCheckBox()) ToggleCheckBox();
  }
  OnCellClick(this);
}

void TDBGrid::BlankAreaClick(TColumn* column) { OnBlankAreaClick(this, column); }

// --- cell editor ---

bool TDBGrid::CanInsert() const {
  TDataSet* ds = DataSet();
  return ds && ds->CanModify() && options_.Contains(dgEditing) && keyOptions_.Contains(dgAllowInsert) && !readOnly_;
}

bool TDBGrid::CanEditCell() const {
  TDataSet* ds = DataSet();
  TColumn* column = SelectedColumn();
  TField* field = column ? column->Field() : nullptr;
  return ds && field && options_.Contains(dgEditing) && !options_.Contains(dgRowSelect) && !readOnly_ &&
         !column->ReadOnly() && !field->ReadOnly() && field->CanModify() && ds->CanModify();
}

bool TDBGrid::EditCell() {
  if (!CanEditCell()) return false;
  if (!link_->Editing()) {
    if (TDataSource* source = link_->DataSource()) source->Edit();
  }
  return link_->DataSet() && (link_->DataSet()->State() == TDataSetState::dsEdit ||
                              link_->DataSet()->State() == TDataSetState::dsInsert);
}

bool TDBGrid::ShowEditor() {
  if (editorMode_) return true;
  if (!EditCell()) return false;
  editorMode_ = true;
  editorChanged_ = false;
  editText_ = SelectedField()->Text();
  Invalidate();
  return true;
}

void TDBGrid::HideEditor() {
  if (!editorMode_) return;
  editorMode_ = false;
  editorChanged_ = false;
  editText_ = AnsiString();
  Invalidate();
}

void TDBGrid::UpdateData() {
  if (!editorMode_) return;
  if (editorChanged_) {
    TField* field = SelectedField();
    // An exception (the field refusing the text) keeps the editor open.
    if (field) field->SetText(editText_);
    editorChanged_ = false;
  }
  HideEditor();
}

void TDBGrid::ToggleCheckBox() {
  TColumn* column = SelectedColumn();
  AnsiString checked, unchecked;
  if (!column || !column->CheckedTexts(checked, unchecked) || !EditCell()) return;
  TField* field = column->Field();
  field->SetText(SameText(field->Text(), checked) ? unchecked : checked);
}

AnsiString TDBGrid::CellText(const TColumn& column) const {
  if (editorMode_ && &column == SelectedColumn()) return editText_;
  TField* field = column.Field();
  return field ? field->DisplayText() : AnsiString();
}

// --- keys ---

bool TDBGrid::WantsKey(Word key, TShiftState shift) const {
  if (key == VK_TAB) return options_.Contains(dgTabs) && !shift.Contains(ssCtrl);
  if (key == VK_RETURN) return editorMode_ || keyOptions_.Contains(dgEnterToTab);
  return false;
}

void TDBGrid::KeyDown(Word& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == 0) return;
  TDataSet* ds = DataSet();
  if (!ds) return;
  const bool ctrl = shift.Contains(ssCtrl);
  switch (key) {
    case VK_UP: MoveRecord(-1, shift); break;
    case VK_DOWN: MoveRecord(1, shift); break;
    case VK_PRIOR: MoveRecord(-std::max(1, RowCapacity()), shift); break;
    case VK_NEXT: MoveRecord(std::max(1, RowCapacity()), shift); break;
    case VK_LEFT:
      if (editorMode_) return;
      MoveColumn(-1, false);
      break;
    case VK_RIGHT:
      if (editorMode_) return;
      MoveColumn(1, false);
      break;
    case VK_HOME:
      if (ctrl) {
        UpdateData();
        ds->First();
      } else if (!editorMode_) {
        SetSelectedIndex(0);
      } else {
        return;
      }
      break;
    case VK_END:
      if (ctrl) {
        UpdateData();
        ds->Last();
      } else if (!editorMode_) {
        SetSelectedIndex(static_cast<int>(shown_.size()) - 1);
      } else {
        return;
      }
      break;
    case VK_TAB:
      if (!options_.Contains(dgTabs) || ctrl) return;
      MoveColumn(shift.Contains(ssShift) ? -1 : 1, true);
      break;
    case VK_F1 + 1:  // F2
      if (editorMode_) UpdateData();
      else ShowEditor();
      break;
    case VK_ESCAPE:
      if (editorMode_) HideEditor();
      else if (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert) ds->Cancel();
      else return;
      break;
    default: return;
  }
  key = 0;
}

void TDBGrid::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (key == 0 || !DataSet()) return;
  const auto byte = static_cast<unsigned char>(key);
  if (key == '\r') {
    if (editorMode_ || keyOptions_.Contains(dgEnterToTab)) {
      key = 0;
      if (keyOptions_.Contains(dgEnterToTab)) MoveColumn(1, true);
      else UpdateData();
    }
    return;
  }
  TColumn* column = SelectedColumn();
  if (key == ' ' && column && column->ShowsCheckBox() && !editorMode_) {
    key = 0;
    ToggleCheckBox();
    return;
  }
  if (key != '\b' && byte < 0x20) return;
  key = 0;
  if (!editorMode_) {
    if (!EditCell()) return;
    editorMode_ = true;
    // Typing replaces the cell's text.
    editText_ = AnsiString();
  }
  if (byte == '\b') {
    if (!editText_.IsEmpty()) editText_ = editText_.Truncated(editText_.Length() - 1);
  } else {
    editText_ += static_cast<char>(byte);
  }
  editorChanged_ = true;
  Invalidate();
}

void TDBGrid::DoExit() {
  // Leaving the grid writes the cell being edited; a refused text keeps
  // the focus.
  try {
    UpdateData();
  } catch (...) {
    if (CanFocus() && !Focused()) SetFocus();
    throw;
  }
  TWinControl::DoExit();
}

// --- drawing ---

AnsiString TDBGrid::FormatColor(TColor color) const { return HexColor(color); }

void TDBGrid::CalcCellColors(const CellInfo& cell, TFont& font, TColor& brush) {
  brush = cell.Column ? cell.Column->Color() : TControl::Color();
  const bool highlight = cell.Selected || (cell.Current && options_.Contains(dgRowSelect));
  if (highlight) {
    brush = clHighlight;
    font.SetColor(clHighlightText);
  }
  OnCalcCellColors(this, cell.Field, cell.State, highlight, &font, brush);
}

AnsiString TDBGrid::CheckPicture(const CellInfo&, bool checked, int) const { return checked ? "1" : "0"; }

std::vector<TColor> TDBGrid::BlankRowColorList(int, int) const { return {}; }

void TDBGrid::Invalidate() {
  if (computing_ || destroying_ || !view_) return;
  computing_ = true;
  TDBGridView::Data d;
  d.TopRow = topRow_;
  d.Col = shown_.empty() ? -1 : col_;
  d.EditorMode = editorMode_;
  d.EditText = editText_;
  TDataSet* ds = DataSet();
  try {
    for (TColumn* column : shown_) {
      TField* field = column->Field();
      d.Titles.push_back(CellEntry(column->Title()->Caption()));
      d.ColWidths.push_back(AnsiString::FromBytes(std::to_string(column->Width())));
      TFont font;
      font.Assign(*column->Title()->Font());
      TColor brush = column->Title()->Color();
      int image = -1;
      if (ds) {
        OnCalcTitleAttributes(this, field, &font, brush);
        OnCalcTitleImage(this, field, image);
      }
      if (image >= 0 && (!titleImages_ || image >= titleImages_->Count())) image = -1;
      d.TitleColors.push_back(HexColor(brush) + " " + HexColor(font.Color()) + " " + FontStyleText(font));
      d.TitleImages.push_back(AnsiString::FromBytes(std::to_string(image)));
    }
    if (ds) {
      TRowWindow window(*ds);
      d.RowCount = window.RowCount();
      const int current = window.CurrentRow();
      const int capacity = RowCapacity();
      const int last = std::min(d.RowCount, topRow_ + capacity);
      d.VisibleRows = std::max(0, last - topRow_);
      for (int r = topRow_; r < last; ++r) {
        const int visible = r - topRow_;
        if (r == current) d.CurrentRow = visible;
        const TBookmark bookmark = window.Bookmark(r);
        const bool selected = !bookmark.IsEmpty() && selected_.Contains(bookmark);
        std::vector<AnsiString> texts, colors, checks, pictures;
        window.Read(r, [&] {
          for (std::size_t c = 0; c < shown_.size(); ++c) {
            TColumn* column = shown_[c];
            TField* field = column->Field();
            CellInfo cell;
            cell.Column = column;
            cell.Field = field;
            cell.Row = visible;
            cell.RecNo = r + 1;
            cell.Current = r == current;
            cell.Selected = selected;
            if (cell.Current && (static_cast<int>(c) == col_ || options_.Contains(dgRowSelect)))
              cell.State.Include(gdFocused);
            if (selected || (cell.Current && options_.Contains(dgRowSelect))) cell.State.Include(gdSelected);
            AnsiString checked, unchecked;
            const bool checkBox = column->CheckedTexts(checked, unchecked);
            AnsiString text;
            if (cell.Current && editorMode_ && static_cast<int>(c) == col_) text = editText_;
            else if (field) text = field->DisplayText();
            TFont font;
            font.Assign(*Font());
            TColor brush = clWindow;
            CalcCellColors(cell, font, brush);
            colors.push_back(HexColor(brush) + " " + HexColor(font.Color()) + " " + FontStyleText(font));
            if (checkBox && field) {
              const bool isChecked = SameText(field->Text(), checked);
              checks.push_back(isChecked ? "1" : "0");
              pictures.push_back(CheckPicture(cell, isChecked, column->Width()));
              text = AnsiString();
            } else {
              checks.push_back(AnsiString());
              pictures.push_back(AnsiString());
            }
            texts.push_back(CellEntry(text));
          }
        });
        d.Cells.push_back(JoinCells(texts));
        d.CellColors.push_back(JoinCells(colors));
        d.CellChecks.push_back(JoinCells(checks));
        d.CellPictures.push_back(JoinCells(pictures));
        d.Selection.push_back(selected ? "1" : "0");
      }
      for (TColor color : BlankRowColorList(std::max(0, capacity - d.VisibleRows), d.VisibleRows))
        d.BlankRowColors.push_back(HexColor(color));
    }
  } catch (...) {
    computing_ = false;
    // A drawing handler that fails must not break the data-set command
    // that asked for the drawing.
    Application().HandleException(this);
    return;
  }
  computing_ = false;
  view_->Take(std::move(d));
}

// --- renderer input ---

namespace {

TDBGrid* GridForInput(std::uint64_t id) {
  TApplication& app = Application();
  auto* grid = dynamic_cast<TDBGrid*>(app.FindControlById(id));
  if (!grid || !app.IsLive(grid) || grid->Destroying() || !grid->Showing() || !grid->EnabledChain()) return nullptr;
  TCustomForm* form = grid->ParentForm();
  if (!form || !app.AcceptsInput(form)) return nullptr;
  return grid;
}

template <typename F>
bool RunInput(std::uint64_t id, F f) {
  TDBGrid* grid = GridForInput(id);
  if (!grid) return false;
  TFormBusy busy(grid->ParentForm());
  try {
    f(*grid);
  } catch (...) {
    Application().HandleException(grid);
  }
  return true;
}

}  // namespace

bool DispatchGridMouseDown(std::uint64_t gridId, int x, int y, TShiftState shift) {
  return RunInput(gridId, [&](TDBGrid& grid) { grid.MouseDown(x, y, shift); });
}

bool DispatchGridScroll(std::uint64_t gridId, int topRow) {
  return RunInput(gridId, [&](TDBGrid& grid) { grid.ScrollTo(topRow); });
}

}  // namespace platform
