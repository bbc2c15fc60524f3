// The framework data grid: row colours by record number and for the
// current record, the empty rows below the last record, the check
// pictures, and the click below the last row that appends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "DataTestSupport.h"
#include "controls/FDBGrid.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/PropertyAccess.h"

namespace kv::fdbgridtest {
namespace {

using namespace platform;
using namespace platform::testing;

std::string Hex(TColor color) {
  const auto rgb = static_cast<unsigned>(ColorToRGB(color));
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  return buf;
}

std::vector<std::string> Lines(const TStringList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i].c_str());
  return out;
}

// A shown form with a grid of five data rows below its title row, over
// the records ID, NAME, SEL ("Y"/"N") of the provider "pvdRows".
class FDBGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.AddProvider("pvdRows", {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10), Meta("SEL", ftString, 1)},
                         {Row({1, "a", "Y"}), Row({2, "b", "N"}), Row({3, "c", "Y"})});
    Open(3);
    source.SetDataSet(&cds);
    form = CreateForm<TForm>(&owner);
    form->SetBounds(0, 0, 400, 300);
    grid = new TFDBGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 18 * 6);
    grid->SetDataSource(&source);
    form->Show();
  }
  void TearDown() override { Application().Reset(); }

  // Opens on the first count records.
  void Open(int count) {
    cds.Close();
    provider.SetRowSelector("pvdRows", [count](const ProviderRequest&, const std::vector<DataRow>& rows) {
      std::vector<DataRow> out;
      for (const DataRow& row : rows)
        if (row.values[0].AsInteger() <= count) out.push_back(row);
      return out;
    });
    cds.SetRemoteServer(&provider);
    cds.SetProviderName("pvdRows");
    cds.Open();
  }
  // The brush of the first cell of each visible row.
  std::vector<std::string> RowBrushes() const {
    std::vector<std::string> out;
    for (const std::string& line : Lines(*grid->View()->CellColors())) out.push_back(line.substr(0, 7));
    return out;
  }
  std::vector<std::string> Blank() const { return Lines(*grid->View()->BlankRowColors()); }
  void ClickBelow(int col, int row = 4) {
    int x = TDBGrid::IndicatorWidth + 2;
    for (int c = 0; c < col; ++c) x += grid->VisibleColumns()[c]->Width();
    grid->MouseDown(x, 18 + row * 18 + 9);
  }

  TColor Odd() const { return grid->GridColors()->OddRecColor(); }
  TColor Even() const { return grid->GridColors()->EvenRecColor(); }
  TColor Focus() const { return grid->GridColors()->FocusRecColor(); }

  TComponent owner{nullptr};
  TLocalProvider provider{&owner};
  TClientDataSet cds{&owner};
  TDataSource source{&owner};
  TForm* form = nullptr;
  TFDBGrid* grid = nullptr;
};

TEST_F(FDBGrid, PublishedDefaults) {
  struct Case {
    const char* path;
    const char* value;
  } cases[] = {{"GridColors.OddRecColor", "15532027"}, {"GridColors.EvenRecColor", "15202766"},
               {"GridColors.FocusRecColor", "15916215"}, {"GrawGridInBlank", "True"},
               {"CHNCurrencyFields._Enabled", "False"}, {"CHNCurrencyFields.CurrencyNames", ";;"},
               {"CHNCurrencyFields.DecimalNumber", "2"}, {"CHNCurrencyFields.GridLineColor", "clSilver"}};
  for (const Case& c : cases) {
    AnsiString text;
    ASSERT_TRUE(GetPropValueByPath(*grid, c.path, text)) << c.path;
    EXPECT_EQ(std::string(text.c_str()), c.value) << c.path;
  }
}

TEST_F(FDBGrid, RowsAlternateByRecordNumberAndTheCurrentRecordHasItsColour) {
  EXPECT_EQ(RowBrushes(), (std::vector<std::string>{Hex(Focus()), Hex(Even()), Hex(Odd())}));
  cds.Next();
  EXPECT_EQ(RowBrushes(), (std::vector<std::string>{Hex(Odd()), Hex(Focus()), Hex(Odd())}));
  // Every cell of the row, not only the first; the font is the grid's.
  grid->Font()->SetColor(clNavy);
  const std::string odd = Hex(Odd()) + " " + Hex(clNavy) + " ";
  EXPECT_EQ(Lines(*grid->View()->CellColors())[0], odd + "\t" + odd + "\t" + odd);
  // Changing a colour draws again and marks the property.
  grid->TakeChanges();
  grid->GridColors()->SetOddRecColor(clYellow);
  EXPECT_EQ(RowBrushes(), (std::vector<std::string>{Hex(clYellow), Hex(Focus()), Hex(clYellow)}));
  const std::vector<AnsiString> marked = grid->TakeChanges();
  EXPECT_NE(std::find(marked.begin(), marked.end(), AnsiString("GridColors")), marked.end());
}

TEST_F(FDBGrid, TheCellColourEventRunsLast) {
  Action<TCalcCellColorsEvent, TObject*, TField*, TGridDrawState, bool, TFont*, TColor&> paint{
      [this](TObject*, TField*, TGridDrawState, bool, TFont* font, TColor& brush) {
        if (cds.FieldByName("ID").AsInteger() == 2) {
          brush = clRed;
          font->SetColor(clWhite);
        }
      }};
  grid->OnCalcCellColors = paint.Bind();
  grid->Invalidate();
  EXPECT_EQ(RowBrushes(), (std::vector<std::string>{Hex(Focus()), Hex(clRed), Hex(Odd())}));
  EXPECT_EQ(Lines(*grid->View()->CellColors())[1].substr(8, 7), Hex(clWhite));
}

TEST_F(FDBGrid, EmptyRowsBelowTheLastRecordContinueTheAlternation) {
  struct Case {
    const char* name;
    int records;
    bool blankOn;
    std::vector<TColor> expected;
  } cases[] = {
      {"two records: the first empty row odd", 2, true, {Odd(), Even(), Odd()}},
      {"three records: the first empty row even", 3, true, {Even(), Odd()}},
      {"no records: odd first", 0, true, {Odd(), Even(), Odd(), Even(), Odd()}},
      {"switched off", 2, false, {}},
  };
  for (const Case& c : cases) {
    grid->SetGrawGridInBlank(c.blankOn);
    Open(c.records);
    std::vector<std::string> expected;
    for (TColor color : c.expected) expected.push_back(Hex(color));
    EXPECT_EQ(Blank(), expected) << c.name;
  }
  // The current record's colour does not count as the last row colour.
  grid->SetGrawGridInBlank(true);
  Open(2);
  cds.Last();
  EXPECT_EQ(Blank()[0], Hex(Odd()));
}

TEST_F(FDBGrid, CheckPicturesAreCentredWhateverTheColumnWidth) {
  TColumn* column = grid->Columns()->Add();
  column->SetFieldName("SEL");
  column->SetCheckBoxValues("Y;N");
  const TBitmap& checked = TFDBGrid::CheckedPicture();
  const TBitmap& unchecked = TFDBGrid::UncheckedPicture();
  ASSERT_EQ(checked.Width(), 19);
  ASSERT_EQ(checked.Height(), 14);
  ASSERT_NE(checked.ContentHash(), unchecked.ContentHash());
  auto entry = [](const TBitmap& picture, int left, int top) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%016llx@%d,%d", static_cast<unsigned long long>(picture.ContentHash()), left, top);
    return std::string(buf);
  };
  struct Case {
    int width;
    int left;
  } cases[] = {{19, 2}, {40, 12}, {41, 13}, {100, 42}, {10, -2}};
  for (const Case& c : cases) {
    column->SetWidth(c.width);
    // top: (18 - 14) div 2 + 1
    EXPECT_EQ(Lines(*grid->View()->CellPictures()),
              (std::vector<std::string>{entry(checked, c.left, 3), entry(unchecked, c.left, 3), entry(checked, c.left, 3)}))
        << c.width;
  }
  grid->SetDefaultRowHeight(24);
  EXPECT_EQ(Lines(*grid->View()->CellPictures())[0], entry(checked, -2, 6));  // (24 - 14) div 2 + 1
}

TEST_F(FDBGrid, AClickBelowTheLastRowAppendsWhenTheGridMayInsert) {
  struct Case {
    const char* name;
    std::function<void()> setup;
    bool appends;
  } cases[] = {
      {"editable grid", [] {}, true},
      {"read-only grid", [this] { grid->SetReadOnly(true); }, false},
      {"without insert permission", [this] { grid->SetKeyOptions({}); }, false},
      {"without editing", [this] { grid->SetOptions(grid->Options() - TDBGridOptions{dgEditing}); }, false},
      {"read-only data set", [this] { cds.SetReadOnly(true); }, false},
  };
  for (const Case& c : cases) {
    Open(2);
    grid->SetReadOnly(false);
    grid->SetKeyOptions({dgAllowInsert});
    grid->SetOptions(grid->Options() + TDBGridOptions{dgEditing});
    cds.SetReadOnly(false);
    grid->SetSelectedIndex(0);
    c.setup();
    ClickBelow(1);
    EXPECT_EQ(cds.State() == TDataSetState::dsInsert, c.appends) << c.name;
    EXPECT_EQ(grid->View()->RowCount(), c.appends ? 3 : 2) << c.name;
    EXPECT_EQ(grid->SelectedIndex(), c.appends ? 1 : 0) << c.name;
    if (cds.State() == TDataSetState::dsInsert) cds.Cancel();
  }
  // A click right of the columns adds nothing.
  Open(2);
  ClickBelow(3);
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
}

TEST_F(FDBGrid, AClickBelowAnUntouchedNewRecord) {
  // Appended and untouched: only the clicked column is selected.
  Open(2);
  cds.Append();
  ClickBelow(2);
  EXPECT_EQ(cds.State(), TDataSetState::dsInsert);
  EXPECT_EQ(grid->View()->RowCount(), 3);
  EXPECT_EQ(grid->SelectedIndex(), 2);
  cds.Cancel();
  // Inserted before the first record: cancelled, and a record appended.
  cds.First();
  cds.Insert();
  ASSERT_EQ(grid->View()->CurrentRow(), 0);
  ClickBelow(1);
  EXPECT_EQ(cds.State(), TDataSetState::dsInsert);
  EXPECT_EQ(grid->View()->RowCount(), 3);
  EXPECT_EQ(grid->View()->CurrentRow(), 2);
  EXPECT_TRUE(cds.Eof());
  // With something entered, the new record is posted before appending.
  cds.FieldByName("ID").SetAsInteger(9);
  ClickBelow(0);
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(grid->View()->CurrentRow(), 3);
}

TEST_F(FDBGrid, SelectedListsTheSelectedRecords) {
  grid->SetOptions(grid->Options() + TDBGridOptions{dgMultiSelect});
  grid->SelectedRows().SelectAll();
  ASSERT_EQ(grid->Selected()->Count(), 3);
  grid->SelectedRows().Clear();
  EXPECT_EQ(grid->Selected()->Count(), 0);
  cds.Last();
  grid->SelectedRows().SetCurrentRowSelected(true);
  ASSERT_EQ(grid->Selected()->Count(), 1);
  EXPECT_EQ(std::string((*grid->Selected())[0].c_str()), std::to_string(cds.Bookmark().id));
  // A selected record that is not the current one is highlighted.
  cds.First();
  EXPECT_EQ(RowBrushes()[2], Hex(clHighlight));
}

}  // namespace
}  // namespace kv::fdbgridtest
