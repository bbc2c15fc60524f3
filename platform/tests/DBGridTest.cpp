// The data grid over a client data set filled from the local provider:
// columns, the render state of the visible rows, keys, clicks, editing
// in a cell, the selection of records and scrolling with packets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DataTestSupport.h"
#include "platform/Exceptions.h"
#include "platform/data/DataSource.h"
#include "platform/ui/Application.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Form.h"
#include "platform/ui/PropertyAccess.h"
#include "platform/ui/StdCtrls.h"

namespace platform::dbgridtest {
namespace {

using namespace platform::testing;

using SetTextAction = Action<TFieldSetTextEvent, TField*, const AnsiString&>;
using CellColorsAction = Action<TCalcCellColorsEvent, TObject*, TField*, TGridDrawState, bool, TFont*, TColor&>;
using TitleImageAction = Action<TCalcTitleImageEvent, TObject*, TField*, int&>;
using ColumnAction = Action<TDBGridClickEvent, TColumn*>;
using BlankAction = Action<TBlankAreaClickEvent, TObject*, TColumn*>;

std::string Str(const AnsiString& s) { return s.c_str(); }

std::vector<std::string> Lines(const TStringList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(Str(list[i]));
  return out;
}

std::vector<DataRow> NumberedRows(int count) {
  std::vector<DataRow> rows;
  for (int i = 1; i <= count; ++i) rows.push_back(Row({i, AnsiString::FromBytes("n" + std::to_string(i)), i % 2 == 0}));
  return rows;
}

// A shown form with a grid of four visible data rows (18-pixel rows below
// an 18-pixel title row) over six records ID, NAME, OK, and an edit to
// move the focus to. Columns: the indicator, then ID, NAME, OK by their
// default widths.
class DBGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.AddProvider("pvdGrid", {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10), Meta("OK", ftBoolean)},
                         NumberedRows(6));
    cds.SetRemoteServer(&provider);
    cds.SetProviderName("pvdGrid");
    cds.Open();
    source.SetDataSet(&cds);
    form = CreateForm<TForm>(&owner);
    form->SetBounds(0, 0, 400, 300);
    grid = new TDBGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 18 + 4 * 18);
    grid->SetDataSource(&source);
    other = new TEdit(form);
    other->SetParent(form);
    form->Show();
    grid->SetFocus();
    cds.AfterScroll = scrolls.Bind();
  }
  void TearDown() override { Application().Reset(); }

  std::vector<std::string> Cells() const { return Lines(*grid->View()->Cells()); }
  std::string CellAt(int row, int col) const {
    std::string line = Str((*grid->View()->Cells())[row]);
    for (int c = 0; c < col; ++c) line = line.substr(line.find('\t') + 1);
    return line.substr(0, line.find('\t'));
  }
  void Key(Word key, TShiftState shift = {}) { grid->KeyDown(key, shift); }
  void Type(const char* text) {
    for (const char* p = text; *p; ++p) {
      char key = *p;
      grid->KeyPress(key);
    }
  }
  // The middle of a cell: col from 0 (-1 the indicator), row from 0 (-1
  // the title row).
  void ClickCell(int col, int row, TShiftState shift = {}) {
    int x = col < 0 ? 5 : TDBGrid::IndicatorWidth + 2;
    for (int c = 0; c < col; ++c) x += grid->VisibleColumns()[c]->Width();
    grid->MouseDown(x, 18 + row * 18 + 9, shift);
  }
  // The default width of a column: 8 pixels per character and 4.
  static std::string WidthOf(const TField& field) { return std::to_string(field.DisplayWidth() * 8 + 4); }

  TComponent owner{nullptr};
  TLocalProvider provider{&owner};
  TClientDataSet cds{&owner};
  TDataSource source{&owner};
  TForm* form = nullptr;
  TDBGrid* grid = nullptr;
  TEdit* other = nullptr;
  int scrollCount = 0;
  DataSetAction scrolls{[this](TDataSet*) { ++scrollCount; }};
};

TEST_F(DBGrid, DefaultColumnsFollowTheVisibleFields) {
  EXPECT_EQ(Lines(*grid->View()->Titles()), (std::vector<std::string>{"ID", "NAME", "OK"}));
  EXPECT_EQ(Lines(*grid->View()->ColWidths()),
            (std::vector<std::string>{WidthOf(cds.FieldByName("ID")), "84", WidthOf(cds.FieldByName("OK"))}));
  cds.FieldByName("NAME").SetDisplayLabel("Name");
  cds.FieldByName("ID").SetVisible(false);
  EXPECT_EQ(Lines(*grid->View()->Titles()), (std::vector<std::string>{"Name", "OK"}));
  EXPECT_EQ(grid->Columns()->Count(), 0);  // default columns are not published
}

TEST_F(DBGrid, DefinedColumnsAreReachedByPropertyPath) {
  for (const char* name : {"NAME", "ID", "OK"}) grid->Columns()->Add()->SetFieldName(name);
  EXPECT_EQ(Lines(*grid->View()->Titles()), (std::vector<std::string>{"NAME", "ID", "OK"}));
  struct Case {
    const char* path;
    const char* value;
  } cases[] = {{"Columns_0.Title.Caption", "Name"}, {"Columns_1.Width", "30"},
               {"Columns_1.Title.Font.Color", "clRed"}, {"Columns_2.Visible", "False"}};
  for (const Case& c : cases) EXPECT_TRUE(SetPropValueByPath(*grid, c.path, c.value)) << c.path;
  EXPECT_EQ(Lines(*grid->View()->Titles()), (std::vector<std::string>{"Name", "ID"}));
  EXPECT_EQ(Lines(*grid->View()->ColWidths()), (std::vector<std::string>{"84", "30"}));  // NAME: 10 characters
  EXPECT_EQ(grid->Columns()->Items(1)->Title()->Font()->Color(), clRed);
  EXPECT_EQ(CellAt(0, 0), "n1");
  EXPECT_EQ(SetPropValueByPath(*grid, "Columns_7.Width", "5", true).Status, TPropStatus::psIndexOutOfRange);
  // A column of a field the data set lacks shows an empty column.
  grid->Columns()->Items(0)->SetFieldName("MISSING");
  EXPECT_EQ(CellAt(0, 0), "");
}

TEST_F(DBGrid, DrawsTheVisibleRowsWithoutMovingTheCursor) {
  cds.FieldByName("NAME").OnGetText = TFieldGetTextEvent::FromFunction(
      [](void*, TField* f, AnsiString& text, bool display) { text = display ? "<" + f->AsString() + ">" : f->AsString(); },
      nullptr);
  grid->Invalidate();
  EXPECT_EQ(Cells(), (std::vector<std::string>{"1\t<n1>\t", "2\t<n2>\t", "3\t<n3>\t", "4\t<n4>\t"}));
  EXPECT_EQ(Lines(*grid->View()->CellChecks()), (std::vector<std::string>{"\t\t0", "\t\t1", "\t\t0", "\t\t1"}));
  grid->ScrollTo(2);
  EXPECT_EQ(grid->View()->TopRow(), 2);
  EXPECT_EQ(CellAt(0, 0), "3");
  EXPECT_EQ(CellAt(3, 0), "6");
  EXPECT_EQ(grid->View()->CurrentRow(), -1);  // the current record is scrolled out
  grid->ScrollTo(50);
  EXPECT_EQ(grid->View()->TopRow(), 2);  // the last rows fill the grid
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_EQ(scrollCount, 0);
  // Moving the cursor out of the visible rows brings it back into view.
  cds.First();
  EXPECT_EQ(grid->View()->TopRow(), 0);
  cds.Last();
  EXPECT_EQ(grid->View()->TopRow(), 2);
  EXPECT_EQ(grid->View()->CurrentRow(), 3);
}

TEST_F(DBGrid, KeysMoveBetweenRecordsAndColumns) {
  struct Case {
    const char* name;
    std::vector<std::pair<Word, TShiftState>> keys;
    int recNo;
    int col;
  } cases[] = {
      {"down", {{VK_DOWN, {}}}, 2, 0},
      {"down then up", {{VK_DOWN, {}}, {VK_UP, {}}}, 1, 0},
      {"page down by the visible rows", {{VK_NEXT, {}}}, 5, 0},
      {"page up stops at the first", {{VK_NEXT, {}}, {VK_PRIOR, {}}, {VK_PRIOR, {}}}, 1, 0},
      {"right and end", {{VK_RIGHT, {}}, {VK_END, {}}}, 1, 2},
      {"home", {{VK_END, {}}, {VK_HOME, {}}}, 1, 0},
      {"right stops at the last column", {{VK_END, {}}, {VK_RIGHT, {}}}, 1, 2},
      {"tab wraps to the next record", {{VK_TAB, {}}, {VK_TAB, {}}, {VK_TAB, {}}}, 2, 0},
      {"shift+tab wraps back", {{VK_DOWN, {}}, {VK_TAB, TShiftState{ssShift}}}, 1, 2},
      {"ctrl+end and ctrl+home", {{VK_END, TShiftState{ssCtrl}}}, 6, 0},
  };
  for (const Case& c : cases) {
    cds.First();
    grid->SetSelectedIndex(0);
    for (auto [key, shift] : c.keys) Key(key, shift);
    EXPECT_EQ(cds.RecNo(), c.recNo) << c.name;
    EXPECT_EQ(grid->SelectedIndex(), c.col) << c.name;
    EXPECT_EQ(grid->View()->Col(), c.col) << c.name;
  }
  EXPECT_TRUE(grid->WantsKey(VK_TAB, {}));
  grid->SetOptions(grid->Options() - TDBGridOptions{dgTabs});
  EXPECT_FALSE(grid->WantsKey(VK_TAB, {}));
}

TEST_F(DBGrid, DownOnTheLastRecordAppendsWhenInsertingIsAllowed) {
  struct Case {
    const char* name;
    bool readOnly;
    bool allowInsert;
    bool appends;
  } cases[] = {{"allowed", false, true, true}, {"read-only grid", true, true, false},
               {"no insert option", false, false, false}};
  for (const Case& c : cases) {
    grid->SetReadOnly(c.readOnly);
    grid->SetKeyOptions(c.allowInsert ? TDBGridKeyOptions{dgAllowInsert} : TDBGridKeyOptions{});
    cds.Last();
    Key(VK_DOWN);
    EXPECT_EQ(cds.State() == TDataSetState::dsInsert, c.appends) << c.name;
    if (c.appends) {
      EXPECT_EQ(grid->View()->RowCount(), 7) << c.name;
      EXPECT_EQ(grid->View()->CurrentRow(), 3) << c.name;
      Key(VK_UP);  // an untouched new record is dropped
      EXPECT_EQ(cds.State(), TDataSetState::dsBrowse) << c.name;
      EXPECT_EQ(cds.RecordCount(), 6) << c.name;
      EXPECT_EQ(cds.RecNo(), 6) << c.name;
    }
  }
}

TEST_F(DBGrid, TypingEditsTheFieldThroughSetText) {
  std::vector<std::string> setTexts;
  SetTextAction setText{[&](TField* f, const AnsiString& text) {
    setTexts.push_back(Str(text));
    f->SetAsString(UpperCase(text));
  }};
  cds.FieldByName("NAME").OnSetText = setText.Bind();
  grid->SetSelectedIndex(1);
  Type("ab");
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(CellAt(0, 1), "ab");
  EXPECT_EQ(Str(grid->View()->EditText()), "ab");
  EXPECT_TRUE(setTexts.empty());  // not before the cell is left
  Type("\b");
  Type("x");
  Key(VK_DOWN);
  EXPECT_EQ(setTexts, (std::vector<std::string>{"ax"}));
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(cds.RecNo(), 2);
  EXPECT_EQ(CellAt(0, 1), "AX");
  EXPECT_EQ(Str(cds.Lookup("ID", 1, "NAME").AsString()), "AX");
  // Esc closes the editor unchanged, a second Esc cancels the record.
  Type("zz");
  Key(VK_ESCAPE);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  Key(VK_ESCAPE);
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(CellAt(1, 1), "n2");
  // F2 opens the editor on the field's text.
  Key(VK_F1 + 1);
  EXPECT_EQ(Str(grid->EditText()), "n2");
}

TEST_F(DBGrid, ARefusedTextKeepsTheEditorOpen) {
  FieldAction validate{[](TField* f) {
    if (f->AsString() == "bad") throw Exception("NAME must not be bad");
  }};
  cds.FieldByName("NAME").OnValidate = validate.Bind();
  grid->SetSelectedIndex(1);
  Type("bad");
  EXPECT_THROW(Key(VK_DOWN), Exception);
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(Str(grid->EditText()), "bad");
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  EXPECT_EQ(Str(cds.FieldByName("NAME").AsString()), "n1");
  // Leaving the grid is refused the same way; the focus stays.
  EXPECT_THROW(other->SetFocus(), Exception);
  EXPECT_TRUE(grid->Focused());
}

TEST_F(DBGrid, TypingIsRefusedWhereTheCellCannotBeEdited) {
  struct Case {
    const char* name;
    std::function<void()> setup;
  } cases[] = {
      {"read-only grid", [&] { grid->SetReadOnly(true); }},
      {"no dgEditing", [&] { grid->SetOptions(grid->Options() - TDBGridOptions{dgEditing}); }},
      {"read-only field", [&] { cds.FieldByName("NAME").SetReadOnly(true); }},
      {"read-only data set", [&] { cds.SetReadOnly(true); }},
      {"no AutoEdit", [&] { source.SetAutoEdit(false); }},
      {"row select", [&] { grid->SetOptions(grid->Options() + TDBGridOptions{dgRowSelect}); }},
  };
  for (const Case& c : cases) {
    c.setup();
    grid->SetSelectedIndex(1);
    Type("q");
    EXPECT_FALSE(grid->EditorMode()) << c.name;
    EXPECT_EQ(cds.State(), TDataSetState::dsBrowse) << c.name;
    EXPECT_EQ(CellAt(0, 1), "n1") << c.name;
    grid->SetReadOnly(false);
    grid->SetOptions(grid->Options() + TDBGridOptions{dgEditing} - TDBGridOptions{dgRowSelect});
    cds.FieldByName("NAME").SetReadOnly(false);
    cds.SetReadOnly(false);
    source.SetAutoEdit(true);
  }
  // A read-only column as well.
  grid->Columns()->Add()->SetFieldName("NAME");
  grid->Columns()->Items(0)->SetReadOnly(true);
  Type("q");
  EXPECT_FALSE(grid->EditorMode());
}

TEST_F(DBGrid, ClicksSelectCellsTitlesAndTheBlankArea) {
  std::vector<std::string> titles, blanks;
  ColumnAction titleClick{[&](TColumn* c) { titles.push_back(Str(c->FieldName())); }};
  BlankAction blankClick{[&](TObject*, TColumn* c) { blanks.push_back(c ? Str(c->FieldName()) : "-"); }};
  grid->OnTitleClick = titleClick.Bind();
  grid->OnBlankAreaClick = blankClick.Bind();
  other->SetFocus();
  ClickCell(2, 2);
  EXPECT_TRUE(grid->Focused());
  EXPECT_EQ(cds.RecNo(), 3);
  EXPECT_EQ(grid->SelectedIndex(), 2);
  EXPECT_EQ(Str(grid->SelectedField()->FieldName()), "OK");
  ClickCell(1, -1);
  EXPECT_EQ(titles, (std::vector<std::string>{"NAME"}));
  // Three records in the four rows: the fourth row is blank.
  cds.SetFilter("ID <= 3");
  cds.SetFiltered(true);
  ClickCell(0, 3);
  ClickCell(-1, 3);
  ClickCell(3, 3);  // right of the columns
  EXPECT_EQ(blanks, (std::vector<std::string>{"ID", "-"}));
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
  grid->MouseDown(TDBGrid::IndicatorWidth + 3, 400);  // outside the grid
  EXPECT_EQ(blanks.size(), 2u);
  // A double click runs OnDblClick on the record its first press chose.
  std::vector<int> doubles;
  Action<TNotifyEvent, TObject*> dbl{[&](TObject*) { doubles.push_back(cds.FieldByName("ID").AsInteger()); }};
  grid->OnDblClick = dbl.Bind();
  ClickCell(1, 1);
  ClickCell(1, 1, TShiftState{ssDouble});
  EXPECT_EQ(doubles, (std::vector<int>{2}));
}

TEST_F(DBGrid, MultiSelectKeepsBookmarksOfTheChosenRecords) {
  grid->SetOptions(grid->Options() + TDBGridOptions{dgMultiSelect});
  ClickCell(0, 1, TShiftState{ssCtrl});
  ClickCell(0, 3, TShiftState{ssCtrl});
  EXPECT_EQ(grid->SelectedRows().Count(), 2);
  EXPECT_EQ(Lines(*grid->View()->Selection()), (std::vector<std::string>{"0", "1", "0", "1"}));
  ClickCell(0, 1, TShiftState{ssCtrl});  // toggles off
  EXPECT_EQ(Lines(*grid->View()->Selection()), (std::vector<std::string>{"0", "0", "0", "1"}));
  Key(VK_UP, TShiftState{ssShift});  // extends over the records passed, from the second
  EXPECT_EQ(Lines(*grid->View()->Selection()), (std::vector<std::string>{"1", "1", "0", "1"}));
  ClickCell(0, 0);  // a plain click clears
  EXPECT_EQ(grid->SelectedRows().Count(), 0);
  grid->SelectedRows().SelectAll();
  EXPECT_EQ(grid->SelectedRows().Count(), 6);
  EXPECT_EQ(cds.RecNo(), 1);
  // A deleted record leaves the list.
  cds.Delete();
  EXPECT_EQ(grid->SelectedRows().Count(), 5);
  grid->SetOptions(grid->Options() - TDBGridOptions{dgMultiSelect});
  EXPECT_EQ(grid->SelectedRows().Count(), 0);
}

TEST_F(DBGrid, CellColourHandlerReadsTheDrawnRecord) {
  CellColorsAction colors{[&](TObject*, TField* field, TGridDrawState, bool, TFont* font, TColor& brush) {
    if (cds.FieldByName("ID").AsInteger() == 3) brush = clRed;
    if (field && field->FieldName() == "NAME") font->SetStyle(TFontStyles{fsBold});
  }};
  grid->OnCalcCellColors = colors.Bind();
  grid->Invalidate();
  const std::vector<std::string> lines = Lines(*grid->View()->CellColors());
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "#FFFFFF #000000 \t#FFFFFF #000000 b\t#FFFFFF #000000 ");
  EXPECT_EQ(lines[2], "#FF0000 #000000 \t#FF0000 #000000 b\t#FF0000 #000000 ");
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_EQ(scrollCount, 0);
}

TEST_F(DBGrid, TitleImagesComeFromTheImageList) {
  TImageList images{&owner};
  images.Add(TBitmap(16, 16, clRed));
  images.Add(TBitmap(16, 16, clBlue));
  TitleImageAction image{[](TObject*, TField* field, int& index) {
    if (field->FieldName() == "ID") index = 1;
    if (field->FieldName() == "OK") index = 5;  // not in the list
  }};
  grid->OnCalcTitleImage = image.Bind();
  grid->Invalidate();
  EXPECT_EQ(Lines(*grid->View()->TitleImages()), (std::vector<std::string>{"-1", "-1", "-1"}));
  grid->SetTitleImages(&images);
  EXPECT_EQ(Lines(*grid->View()->TitleImages()), (std::vector<std::string>{"1", "-1", "-1"}));
}

TEST_F(DBGrid, CheckBoxCellsToggleBetweenTheirValues) {
  provider.AddProvider("pvdFlags", {Meta("ID", ftInteger, 0, mfKey), Meta("SEL", ftString, 1)},
                       {Row({1, "Y"}), Row({2, "N"}), Row({3, Variant()})});
  cds.Close();
  cds.SetProviderName("pvdFlags");
  cds.Open();
  grid->Columns()->Add()->SetFieldName("SEL");
  grid->Columns()->Items(0)->SetCheckBoxValues("Y;N");
  EXPECT_EQ(Lines(*grid->View()->CellChecks()), (std::vector<std::string>{"1", "0", "0"}));
  EXPECT_EQ(Cells(), (std::vector<std::string>{"", "", ""}));  // a check box shows no text
  char space = ' ';
  grid->KeyPress(space);
  EXPECT_EQ(Str(cds.FieldByName("SEL").AsString()), "N");
  ClickCell(0, 2);  // a click on another row only moves there
  EXPECT_EQ(cds.RecNo(), 3);
  EXPECT_EQ(Str(cds.Lookup("ID", 1, "SEL").AsString()), "N");
  ClickCell(0, 2);  // a click on the current cell toggles
  EXPECT_EQ(Str(cds.FieldByName("SEL").AsString()), "Y");
  EXPECT_EQ(Lines(*grid->View()->CellChecks()), (std::vector<std::string>{"0", "0", "1"}));
}

TEST_F(DBGrid, ScrollingFetchesFurtherPackets) {
  provider.AddProvider("pvdMany", {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10), Meta("OK", ftBoolean)},
                       NumberedRows(20));
  cds.Close();
  cds.SetProviderName("pvdMany");
  cds.SetPacketRecords(5);
  cds.Open();
  EXPECT_EQ(cds.FetchedRowCount(), 5);
  grid->ScrollTo(4);  // rows 4 to 7 need the second packet
  EXPECT_EQ(cds.FetchedRowCount(), 10);
  EXPECT_EQ(CellAt(3, 0), "8");
  EXPECT_EQ(cds.RecNo(), 1);
  cds.First();
  for (int i = 0; i < 3; ++i) Key(VK_NEXT);
  EXPECT_EQ(cds.RecNo(), 13);
  EXPECT_EQ(cds.FetchedRowCount(), 15);
  EXPECT_EQ(grid->View()->CurrentRow(), 3);
}

TEST_F(DBGrid, RendererInputReachesOnlyAGridThatTakesInput) {
  EXPECT_TRUE(DispatchGridMouseDown(grid->InstanceId(), TDBGrid::IndicatorWidth + 10, 18 + 18 + 9));
  EXPECT_EQ(cds.RecNo(), 2);
  EXPECT_TRUE(DispatchGridScroll(grid->InstanceId(), 1));
  EXPECT_EQ(grid->TopRow(), 1);
  grid->SetEnabled(false);
  EXPECT_FALSE(DispatchGridMouseDown(grid->InstanceId(), TDBGrid::IndicatorWidth + 10, 18 + 9));
  EXPECT_FALSE(DispatchGridScroll(grid->InstanceId(), 0));
  EXPECT_EQ(grid->TopRow(), 1);
  EXPECT_FALSE(DispatchGridScroll(other->InstanceId(), 0));  // not a grid
}

TEST_F(DBGrid, DetachingTheDataSourceEmptiesTheGrid) {
  grid->SetDataSource(nullptr);
  EXPECT_TRUE(Cells().empty());
  EXPECT_TRUE(Lines(*grid->View()->Titles()).empty());
  grid->SetDataSource(&source);
  EXPECT_EQ(Cells().size(), 4u);
  cds.Close();
  EXPECT_TRUE(Cells().empty());
  delete grid;  // the data source forgets the grid
  cds.Open();
  EXPECT_EQ(cds.RecNo(), 1);
}

}  // namespace
}  // namespace platform::dbgridtest
