// The string grid: size and cells, the current cell and OnSelectCell,
// scrolling, keys, editing, and its visible rows as the renderer sees
// them (with the OnDrawCell hook).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/Application.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Form.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Render.h"

namespace platform::gridtest {

struct TLog {
  std::vector<std::string> entries;
  int refuseRow = -1;

  void SelectCell(TObject*, int col, int row, bool& canSelect) {
    entries.push_back("select " + std::to_string(col) + "," + std::to_string(row));
    if (row == refuseRow) canSelect = false;
  }
  void TopLeft(TObject* sender) {
    entries.push_back("top " + std::to_string(static_cast<TStringGrid*>(sender)->TopRow()));
  }
  // Negative amounts in red, as a grid of figures draws them.
  void DrawCell(TObject*, int col, int row, TGridDrawState state, TGridCellDisplay& d) {
    if (!state.Contains(gdFixed) && d.Text.Bytes().starts_with('-')) d.FontColor = clRed;
  }
};

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 400, 300);
    grid_ = new TStringGrid(form_.get());
    grid_->SetName("sgLines");
    grid_->SetParent(form_.get());
    // One fixed row of 20 and rows of 20 in 100 pixels: 4 rows show.
    grid_->SetDefaultRowHeight(20);
    grid_->SetBounds(0, 0, 300, 100);
    grid_->SetColCount(4);
    grid_->SetRowCount(11);
    for (int r = 0; r < grid_->RowCount(); ++r)
      for (int c = 0; c < grid_->ColCount(); ++c)
        grid_->SetCells(c, r, AnsiString((std::to_string(c) + ":" + std::to_string(r)).c_str()));
    grid_->OnSelectCell = TSelectCellEvent::Bind<&TLog::SelectCell>(&log_);
    grid_->OnTopLeftChanged = TNotifyEvent::Bind<&TLog::TopLeft>(&log_);
    form_->Show();
  }
  void TearDown() override {
    delete form_.get();
    Application().Reset();
  }

  TComponentPtr<TForm> form_;
  TStringGrid* grid_;
  TLog log_;
};

TEST_F(GridTest, CountsKeepFixedCellsBelowThemAndCellsSurviveResizing) {
  EXPECT_EQ(grid_->VisibleRowCount(), 4);
  grid_->SetFixedCols(9);  // at most one less than the count
  EXPECT_EQ(grid_->FixedCols(), 3);
  EXPECT_EQ(grid_->Col(), 3);  // the current cell left the fixed columns
  grid_->SetFixedCols(1);
  grid_->SetColCount(2);
  EXPECT_EQ(grid_->Cells(1, 5), "1:5");
  EXPECT_EQ(grid_->Cells(3, 5), "");  // gone with its column
  grid_->SetColCount(4);
  EXPECT_EQ(grid_->Cells(3, 5), "");
  EXPECT_EQ(grid_->ColWidthsText(), "64,64,64,64");
  grid_->SetColWidths(2, 120);
  grid_->SetColWidths(9, 1);  // out of range: ignored
  EXPECT_EQ(grid_->ColWidthsText(), "64,64,120,64");
  grid_->SetCells(7, 7, "x");  // out of range: ignored
  EXPECT_EQ(grid_->Cells(7, 7), "");
  grid_->SetRowCount(0);
  EXPECT_EQ(grid_->RowCount(), 1);
  EXPECT_EQ(grid_->FixedRows(), 0);
}

TEST_F(GridTest, MovesAskOnSelectCellAndKeepTheCurrentRowInView) {
  const struct {
    const char* name;
    Word key;
    TShiftState shift;
    int refuseRow;
    int col, row, top;
    std::vector<std::string> events;
  } steps[] = {
      {"down", VK_DOWN, {}, -1, 1, 2, 1, {"select 1,2"}},
      {"refused", VK_DOWN, {}, 3, 1, 2, 1, {"select 1,3"}},
      {"page down scrolls", VK_NEXT, {}, -1, 1, 6, 3, {"select 1,6", "top 3"}},
      {"Ctrl+End", VK_END, {ssCtrl}, -1, 3, 10, 7, {"select 3,10", "top 7"}},
      {"right at the edge stays", VK_RIGHT, {}, -1, 3, 10, 7, {}},
      {"Ctrl+Home", VK_HOME, {ssCtrl}, -1, 1, 1, 1, {"select 1,1", "top 1"}},
      {"up never reaches the fixed row", VK_UP, {}, -1, 1, 1, 1, {}},
  };
  form_->SetActiveControl(grid_);
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    log_.entries.clear();
    log_.refuseRow = s.refuseRow;
    ASSERT_TRUE(Application().DispatchKey(form_.get(), s.key, s.shift));
    EXPECT_EQ(grid_->Col(), s.col);
    EXPECT_EQ(grid_->Row(), s.row);
    EXPECT_EQ(grid_->TopRow(), s.top);
    EXPECT_EQ(log_.entries, s.events);
  }
}

TEST_F(GridTest, ScrollingKeepsTheLastPageFullAndUserInputIsCheckedFirst) {
  EXPECT_TRUE(grid_->UserScroll(50));
  EXPECT_EQ(grid_->TopRow(), 7);  // rows 7..10 fill the grid
  EXPECT_TRUE(grid_->UserScroll(-3));
  EXPECT_EQ(grid_->TopRow(), 1);
  EXPECT_FALSE(grid_->UserSelectCell(0, 2));  // a fixed cell
  EXPECT_FALSE(grid_->UserSelectCell(1, 11));
  grid_->SetEnabled(false);
  EXPECT_FALSE(grid_->UserScroll(3));
  grid_->SetEnabled(true);

  EXPECT_FALSE(grid_->UserEditCell(1, 1, "typed"));  // no goEditing
  TGridOptions options = grid_->Options();
  options.Include(goEditing);
  grid_->SetOptions(options);
  EXPECT_FALSE(grid_->UserEditCell(0, 1, "typed"));  // fixed
  EXPECT_TRUE(grid_->UserEditCell(1, 1, "typed"));
  EXPECT_EQ(grid_->Cells(1, 1), "typed");
}

TEST_F(GridTest, TabWalksTheCellsOnlyWithGoTabs) {
  form_->SetActiveControl(grid_);
  grid_->MoveTo(3, 1);
  EXPECT_FALSE(grid_->WantsKey(VK_TAB, {}));
  TGridOptions options = grid_->Options();
  options.Include(goTabs);
  grid_->SetOptions(options);
  ASSERT_TRUE(Application().DispatchKey(form_.get(), VK_TAB, {}));
  EXPECT_EQ(grid_->Col(), 1);  // the next row's first non-fixed cell
  EXPECT_EQ(grid_->Row(), 2);
  EXPECT_EQ(form_->ActiveControl(), grid_);
  ASSERT_TRUE(Application().DispatchKey(form_.get(), VK_TAB, {ssShift}));
  EXPECT_EQ(grid_->Col(), 3);
  EXPECT_EQ(grid_->Row(), 1);
}

TEST_F(GridTest, RendererSeesTheVisibleRowsAsDrawn) {
  grid_->SetCells(2, 4, "-12.50");
  grid_->OnDrawCell = TDrawCellEvent::Bind<&TLog::DrawCell>(&log_);
  grid_->SetTopRow(3);
  RenderProperties p = RenderPropertiesOf(*grid_);
  EXPECT_EQ(p.at("VisibleRows.Count").Integer, 5);  // the fixed row and rows 3..6
  EXPECT_EQ(p.at("VisibleRows_0.Row").Integer, 0);
  EXPECT_EQ(p.at("VisibleRows_1.Row").Integer, 3);
  EXPECT_EQ(p.at("VisibleRows_2.Cells").Text, AnsiString("0:4\r\n1:4\r\n-12.50\r\n3:4\r\n"));
  EXPECT_EQ(p.at("VisibleRows_2.FontColors").Text,
            AnsiString((std::to_string(ColorToRGB(grid_->Font()->Color())) + "\r\n" +
                        std::to_string(ColorToRGB(grid_->Font()->Color())) + "\r\n" + std::to_string(ColorToRGB(clRed)) +
                        "\r\n" + std::to_string(ColorToRGB(grid_->Font()->Color())) + "\r\n")
                           .c_str()));
  EXPECT_EQ(p.at("VisibleRows_0.Colors").Text.Bytes().substr(0, std::to_string(ColorToRGB(clBtnFace)).size()),
            std::to_string(ColorToRGB(clBtnFace)));
  EXPECT_EQ(p.at("ColWidths").Text, "64,64,64,64");

  // A cell in view marks the rows; one out of view does not.
  grid_->TakeChanges();
  grid_->SetCells(1, 9, "hidden");
  EXPECT_TRUE(grid_->TakeChanges().empty());
  grid_->SetCells(1, 5, "shown");
  EXPECT_EQ(grid_->TakeChanges(), std::vector<AnsiString>{"VisibleRows"});
}

}  // namespace platform::gridtest
