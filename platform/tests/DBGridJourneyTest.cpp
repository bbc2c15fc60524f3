// A user's journey through a data-aware edit and a grid over a client
// data set filled from the local provider, driven through the render
// interface the way a browser drives it, with the assertions on what the
// renderer receives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DataTestSupport.h"
#include "TestRenderer.h"
#include "platform/data/DataSource.h"
#include "platform/ui/Application.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Form.h"
#include "platform/ui/Render.h"

namespace platform::dbgridjourney {
namespace {

using namespace platform::testing;
using rendertest::TTestRenderer;
using BlankAction = Action<TBlankAreaClickEvent, TObject*, TColumn*>;

// The form: an edit on NAME above a grid of five 18-pixel rows below its
// title row, showing ID and NAME (widths 40 and 100).
class DBGridJourney : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.AddProvider("pvdPeople", {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10)},
                         {Row({1, "ann"}), Row({2, "bob"}), Row({3, "cy"})});
    cds.SetRemoteServer(&provider);
    cds.SetProviderName("pvdPeople");
    cds.Open();
    cds.FieldByName("NAME").OnSetText = upper.Bind();
    source.SetDataSet(&cds);
    form = CreateForm<TForm>(&owner);
    form->SetBounds(0, 0, 400, 300);
    edit = new TDBEdit(form);
    edit->SetName("edName");
    edit->SetParent(form);
    edit->SetTabStop(true);
    edit->SetDataSource(&source);
    edit->SetDataField("NAME");
    grid = new TDBGrid(form);
    grid->SetName("gdMain");
    grid->SetParent(form);
    grid->SetBounds(0, 30, 200, 18 * 6);
    grid->SetDataSource(&source);
    for (const char* name : {"ID", "NAME"}) grid->Columns()->Add()->SetFieldName(name);
    grid->Columns()->Items(0)->SetWidth(40);
    grid->Columns()->Items(1)->SetWidth(100);
    grid->OnBlankAreaClick = appendOnBlank.Bind();
    form->Show();
    TTestRenderer::Round();
  }
  void TearDown() override { Application().Reset(); }

  // The last value the renderer received for a property of a component:
  // from the change sets, newest first, else from the snapshot.
  std::string Received(const TComponent& component, const std::string& property) const {
    for (auto it = renderer.ChangeSets.rbegin(); it != renderer.ChangeSets.rend(); ++it) {
      for (const RenderChange& change : it->Changed)
        if (change.InstanceId == component.InstanceId()) {
          auto p = change.Properties.find(property);
          if (p != change.Properties.end()) return p->second.Utf8.empty() ? p->second.Text.c_str() : p->second.Utf8;
        }
    }
    for (const RenderNode& node : renderer.Snapshots.back().Nodes)
      if (node.InstanceId == component.InstanceId()) {
        auto p = node.Properties.find(property);
        if (p != node.Properties.end()) return p->second.Utf8.empty() ? p->second.Text.c_str() : p->second.Utf8;
      }
    return "<none>";
  }
  // A click in the middle of a cell (col 0 or 1, visible row from 0).
  void ClickGrid(int col, int row, TShiftState shift = {}) {
    const int x = TDBGrid::IndicatorWidth + (col == 0 ? 20 : 40 + 50);
    ASSERT_TRUE(DispatchGridMouseDown(grid->InstanceId(), x, 18 + row * 18 + 9, shift));
    TTestRenderer::Round();
  }

  TComponent owner{nullptr};
  TLocalProvider provider{&owner};
  TClientDataSet cds{&owner};
  TDataSource source{&owner};
  TForm* form = nullptr;
  TDBEdit* edit = nullptr;
  TDBGrid* grid = nullptr;
  TTestRenderer renderer;
  TRenderHost host{renderer};
  Action<TFieldSetTextEvent, TField*, const AnsiString&> upper{
      [](TField* f, const AnsiString& text) { f->SetAsString(UpperCase(text)); }};
  BlankAction appendOnBlank{[this](TObject*, TColumn*) { cds.Append(); }};
};

TEST_F(DBGridJourney, EditAndGridShowWhatTheUserDid) {
  ASSERT_EQ(renderer.Snapshots.size(), 1u);
  EXPECT_EQ(Received(*grid, "View.Cells"), "1\tann\r\n2\tbob\r\n3\tcy\r\n");
  EXPECT_EQ(Received(*grid, "View.Titles"), "ID\r\nNAME\r\n");
  EXPECT_EQ(Received(*edit, "Text"), "ann");

  // A click on the second row makes its record current; the edit follows.
  ClickGrid(1, 1);
  EXPECT_EQ(Received(*grid, "View.CurrentRow"), "1");
  EXPECT_EQ(Received(*edit, "Text"), "bob");

  // Typing into the edit and tabbing out writes the field through its
  // OnSetText; the grid's row shows the new text.
  ASSERT_TRUE(renderer.Focus(host, edit->InstanceId()));
  for (char c : std::string("\b\b\bbea")) ASSERT_TRUE(renderer.Char(host, edit->InstanceId(), c));
  TTestRenderer::Round();
  EXPECT_EQ(Received(*edit, "Text"), "bea");
  EXPECT_EQ(Received(*grid, "View.Cells"), "1\tann\r\n2\tbob\r\n3\tcy\r\n");  // not yet written
  ASSERT_TRUE(renderer.Key(host, edit->InstanceId(), VK_TAB));
  TTestRenderer::Round();
  EXPECT_TRUE(grid->Focused());
  EXPECT_EQ(Received(*grid, "View.Cells"), "1\tann\r\n2\tBEA\r\n3\tcy\r\n");
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);

  // A click below the last row appends (the handler of the blank area),
  // posting the edited record first.
  ClickGrid(0, 4);
  EXPECT_EQ(cds.State(), TDataSetState::dsInsert);
  EXPECT_EQ(Received(*grid, "View.Cells"), "1\tann\r\n2\tBEA\r\n3\tcy\r\n\t\r\n");
  EXPECT_EQ(Received(*grid, "View.CurrentRow"), "3");
  EXPECT_EQ(Received(*edit, "Text"), "");
  EXPECT_EQ(cds.ChangeCount(), 1);

  // Typing into the new row's NAME cell, then Esc twice drops the record.
  ASSERT_TRUE(renderer.Key(host, grid->InstanceId(), VK_RIGHT));
  for (char c : std::string("dee")) ASSERT_TRUE(renderer.Char(host, grid->InstanceId(), c));
  TTestRenderer::Round();
  EXPECT_EQ(Received(*grid, "View.EditText"), "dee");
  EXPECT_EQ(Received(*grid, "View.Cells"), "1\tann\r\n2\tBEA\r\n3\tcy\r\n\tdee\r\n");
  ASSERT_TRUE(renderer.Key(host, grid->InstanceId(), VK_ESCAPE));
  ASSERT_TRUE(renderer.Key(host, grid->InstanceId(), VK_ESCAPE));
  TTestRenderer::Round();
  EXPECT_EQ(Received(*grid, "View.Cells"), "1\tann\r\n2\tBEA\r\n3\tcy\r\n");

  // Multi-select: Ctrl+click the first and the third row.
  grid->SetOptions(grid->Options() + TDBGridOptions{dgMultiSelect});
  ClickGrid(0, 0, TShiftState{ssCtrl});
  ClickGrid(0, 2, TShiftState{ssCtrl});
  EXPECT_EQ(Received(*grid, "View.Selection"), "1\r\n0\r\n1\r\n");
  ASSERT_EQ(grid->SelectedRows().Count(), 2);
  cds.GotoBookmark(grid->SelectedRows().Items(0));
  EXPECT_EQ(cds.FieldByName("ID").AsInteger(), 1);
  cds.GotoBookmark(grid->SelectedRows().Items(1));
  EXPECT_EQ(cds.FieldByName("ID").AsInteger(), 3);
}

TEST_F(DBGridJourney, ScrollInputShowsFurtherRowsWithoutMovingTheCursor) {
  std::vector<DataRow> rows;
  for (int i = 1; i <= 12; ++i) rows.push_back(Row({i, AnsiString::FromBytes("p" + std::to_string(i))}));
  provider.AddProvider("pvdMany", {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10)}, rows);
  cds.Close();
  cds.SetProviderName("pvdMany");
  cds.SetPacketRecords(4);
  cds.Open();
  TTestRenderer::Round();
  ASSERT_TRUE(DispatchGridScroll(grid->InstanceId(), 6));
  TTestRenderer::Round();
  EXPECT_EQ(Received(*grid, "View.TopRow"), "6");
  EXPECT_EQ(Received(*grid, "View.Cells"), "7\tp7\r\n8\tp8\r\n9\tp9\r\n10\tp10\r\n11\tp11\r\n");
  EXPECT_EQ(Received(*edit, "Text"), "p1");
  EXPECT_EQ(cds.RecNo(), 1);
  form->Hide();
  EXPECT_FALSE(DispatchGridScroll(grid->InstanceId(), 0));
}

}  // namespace
}  // namespace platform::dbgridjourney
