// List views, tree views and list boxes: selection and its events, the
// user's input, sorting, and what the renderer and language files see.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Form.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/ListView.h"
#include "platform/ui/PropertyAccess.h"
#include "platform/ui/Render.h"
#include "platform/ui/TreeView.h"

namespace platform::listcontrolstest {

using testing::A;

struct TLog {
  std::vector<std::string> entries;
  bool allow = true;
  AnsiString editedTo;

  void Click(TObject*) { entries.push_back("click"); }
  void DblClick(TObject*) { entries.push_back("dblclick"); }
  void SelectItem(TObject*, TListItem* item, bool selected) {
    entries.push_back(std::string(selected ? "select " : "deselect ") + item->Caption().c_str());
  }
  void Editing(TObject*, TListItem*, bool& allowEdit) { allowEdit = allow; }
  void Edited(TObject*, TListItem*, AnsiString& s) {
    if (!editedTo.IsEmpty()) s = editedTo;
  }
  void NodeChanging(TObject*, TTreeNode* node, bool& allowChange) {
    entries.push_back(std::string("changing to ") + (node ? node->Text().c_str() : "none"));
    allowChange = allow;
  }
  void NodeChange(TObject*, TTreeNode* node) {
    entries.push_back(std::string("change ") + (node ? node->Text().c_str() : "none"));
  }
};

class ListControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 400, 300);
    form_->Show();
  }
  void TearDown() override {
    delete form_.get();
    Application().Reset();
  }

  template <typename T>
  T* Make(const char* name) {
    auto* c = new T(form_.get());
    c->SetName(name);
    c->SetParent(form_.get());
    return c;
  }

  TListView* MakeListView() {
    auto* view = Make<TListView>("lvMain");
    for (const char* caption : {"Code", "Name"}) view->Columns()->Add()->SetCaption(caption);
    for (const char* caption : {"beta", "alpha", "gamma"}) view->Items()->Add(caption)->AddSubItem("sub");
    view->OnClick = TNotifyEvent::Bind<&TLog::Click>(&log_);
    view->OnDblClick = TNotifyEvent::Bind<&TLog::DblClick>(&log_);
    view->OnSelectItem = TLVSelectItemEvent::Bind<&TLog::SelectItem>(&log_);
    view->OnEditing = TLVEditingEvent::Bind<&TLog::Editing>(&log_);
    view->OnEdited = TLVEditedEvent::Bind<&TLog::Edited>(&log_);
    return view;
  }

  TComponentPtr<TForm> form_;
  TLog log_;
};

// --- list views ---

TEST_F(ListControlsTest, ListViewSelectionKeepsSingleSelectionsSingleAndReportsEveryChange) {
  struct Case {
    const char* name;
    bool multiSelect;
    std::vector<std::pair<int, TShiftState>> clicks;
    int expectedIndex;
    int expectedCount;
    std::vector<std::string> expectedEvents;
  };
  const Case cases[] = {
      {"single", false, {{0, {}}, {2, {}}}, 2, 1, {"select beta", "click", "deselect beta", "select gamma", "click"}},
      {"Ctrl without MultiSelect replaces", false, {{0, {}}, {1, {ssCtrl}}}, 1, 1,
       {"select beta", "click", "deselect beta", "select alpha", "click"}},
      {"Ctrl adds and toggles with MultiSelect", true, {{0, {}}, {2, {ssCtrl}}, {0, {ssCtrl}}}, 2, 1,
       {"select beta", "click", "select gamma", "click", "deselect beta", "click"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TListView* view = MakeListView();
    view->SetMultiSelect(c.multiSelect);
    for (const auto& [index, shift] : c.clicks) EXPECT_TRUE(view->UserSelectItem(index, shift));
    EXPECT_EQ(view->ItemIndex(), c.expectedIndex);
    EXPECT_EQ(view->SelCount(), c.expectedCount);
    EXPECT_EQ(log_.entries, c.expectedEvents);
    log_.entries.clear();
    delete view;
  }
}

TEST_F(ListControlsTest, ListViewDropsInputItCannotTakeAndLetsHandlersVetoCaptionEdits) {
  TListView* view = MakeListView();
  EXPECT_FALSE(view->UserSelectItem(3));
  EXPECT_FALSE(view->UserDblClickItem(-1));
  view->SetEnabled(false);
  EXPECT_FALSE(view->UserSelectItem(0));
  view->SetEnabled(true);
  EXPECT_TRUE(log_.entries.empty());

  EXPECT_TRUE(view->UserDblClickItem(1));
  EXPECT_EQ(log_.entries, (std::vector<std::string>{"select alpha", "dblclick"}));

  const struct {
    const char* name;
    bool allow;
    bool readOnly;
    const char* editedTo;
    bool accepted;
    const char* caption;
  } edits[] = {
      {"taken", true, false, "", true, "delta"},
      {"changed by OnEdited", true, false, "epsilon", true, "epsilon"},
      {"refused by OnEditing", false, false, "", false, "alpha"},
      {"read-only view", true, true, "", false, "alpha"},
  };
  for (const auto& e : edits) {
    SCOPED_TRACE(e.name);
    view->Items()->Items(1)->SetCaption("alpha");
    log_.allow = e.allow;
    log_.editedTo = e.editedTo;
    view->SetReadOnly(e.readOnly);
    EXPECT_EQ(view->UserEditCaption(1, "delta"), e.accepted);
    EXPECT_EQ(view->Items()->Items(1)->Caption(), e.caption);
  }
}

TEST_F(ListControlsTest, ListViewSortedByCaptionStaysSortedAndKeepsTheSelectedItem) {
  TListView* view = MakeListView();
  view->SetItemIndex(0);  // "beta"
  view->SetSortType(stText);
  const auto captions = [&] {
    std::vector<std::string> out;
    for (int i = 0; i < view->Items()->Count(); ++i) out.push_back(view->Items()->Items(i)->Caption().c_str());
    return out;
  };
  EXPECT_EQ(captions(), (std::vector<std::string>{"alpha", "beta", "gamma"}));
  EXPECT_EQ(view->Selected()->Caption(), "beta");
  view->Items()->Add("Aardvark");
  view->Items()->Items(3)->SetCaption("zeta");  // "gamma" after the add
  EXPECT_EQ(captions(), (std::vector<std::string>{"Aardvark", "alpha", "beta", "zeta"}));
  EXPECT_EQ(view->ItemIndex(), 2);
}

TEST_F(ListControlsTest, ListViewReachesRendererAndLanguagePathsByIndex) {
  TListView* view = MakeListView();
  view->SetViewStyle(vsReport);
  EXPECT_TRUE(SetPropValueByPath(*view, "Columns_1.Caption", A(u8"名称")));
  EXPECT_TRUE(SetPropValueByPath(*view, "Items_2.Caption", "third"));
  EXPECT_FALSE(SetPropValueByPath(*view, "Items_7.Caption", "none", true));  // out of range: nothing set

  view->Items()->Items(0)->SetSubItem(2, "far");
  const RenderProperties p = RenderPropertiesOf(*view);
  EXPECT_EQ(p.at("Columns.Count").Integer, 2);
  EXPECT_EQ(p.at("Columns_1.Caption").Text, A(u8"名称"));
  EXPECT_EQ(p.at("Items.Count").Integer, 3);
  EXPECT_EQ(p.at("Items_2.Caption").Utf8, "third");
  EXPECT_EQ(p.at("Items_0.SubItems").Text, AnsiString("sub\r\n\r\nfar\r\n"));
  EXPECT_EQ(p.at("ViewStyle").Text, "vsReport");

  // A change to an item marks the view's Items, so the change set carries
  // the collection again.
  view->TakeChanges();
  view->Items()->Items(1)->SetSelected(true);
  const std::vector<AnsiString> marks = view->TakeChanges();
  EXPECT_NE(std::find(marks.begin(), marks.end(), AnsiString("Items")), marks.end());
  EXPECT_NE(std::find(marks.begin(), marks.end(), AnsiString("ItemIndex")), marks.end());
}

// --- tree views ---

TEST_F(ListControlsTest, TreeViewListsNodesInDisplayOrderAndSelectsThroughOnChanging) {
  auto* tree = Make<TTreeView>("tvMain");
  TTreeNode* root = tree->Items()->Add("root");
  TTreeNode* a = root->AddChild("a");
  a->AddChild("a1");
  root->AddChild("b");
  tree->Items()->Add("second");
  tree->OnChanging = TTVChangingEvent::Bind<&TLog::NodeChanging>(&log_);
  tree->OnChange = TTVChangedEvent::Bind<&TLog::NodeChange>(&log_);

  std::vector<std::string> order;
  for (int i = 0; i < tree->Items()->Count(); ++i)
    order.push_back(tree->Items()->Item(i)->Text().c_str() + std::to_string(tree->Items()->Item(i)->Level()));
  EXPECT_EQ(order, (std::vector<std::string>{"root0", "a1", "a12", "b1", "second0"}));

  // Selecting a1 expands its parents, so the selection is shown.
  EXPECT_TRUE(tree->UserSelectNode(2));
  EXPECT_EQ(tree->Selected()->Text(), "a1");
  EXPECT_TRUE(root->Expanded());
  EXPECT_TRUE(a->Expanded());
  EXPECT_EQ(log_.entries, (std::vector<std::string>{"changing to a1", "change a1"}));

  log_.entries.clear();
  log_.allow = false;
  EXPECT_FALSE(tree->UserSelectNode(4));
  EXPECT_EQ(tree->Selected()->Text(), "a1");
  EXPECT_EQ(log_.entries, std::vector<std::string>{"changing to second"});
  EXPECT_FALSE(tree->UserSelectNode(5));  // out of range: dropped before asking

  // The selected node going leaves no selection.
  log_.entries.clear();
  a->Delete();
  EXPECT_EQ(tree->Selected(), nullptr);
  EXPECT_EQ(log_.entries, std::vector<std::string>{"change none"});
  EXPECT_EQ(tree->Items()->Count(), 3);
}

TEST_F(ListControlsTest, TreeViewNodesReachRendererAndLanguagePaths) {
  auto* tree = Make<TTreeView>("tvMain");
  TTreeNode* root = tree->Items()->Add("root");
  root->AddChild("child");
  EXPECT_TRUE(SetPropValueByPath(*tree, "Items_1.Text", A(u8"子项")));
  EXPECT_FALSE(SetPropValueByPath(*tree, "Items_2.Text", "none", true));
  tree->SetSelected(root->Item(0));
  const RenderProperties p = RenderPropertiesOf(*tree);
  EXPECT_EQ(p.at("Items.Count").Integer, 2);
  EXPECT_EQ(p.at("Items_1.Text").Text, A(u8"子项"));
  EXPECT_EQ(p.at("Items_1.Level").Integer, 1);
  EXPECT_EQ(p.at("Items_0.Expanded").Integer, 1);
  EXPECT_EQ(p.at("SelectedIndex").Integer, 1);
}

// --- list boxes ---

TEST_F(ListControlsTest, ListBoxSelectionByUserAndByCode) {
  struct Case {
    const char* name;
    bool multiSelect;
    std::vector<std::pair<int, TShiftState>> clicks;
    const char* selected;
    int itemIndex;
  };
  const Case cases[] = {
      {"single", false, {{1, {}}, {3, {}}}, "3", 3},
      {"Ctrl toggles with MultiSelect", true, {{1, {}}, {3, {ssCtrl}}, {1, {ssCtrl}}}, "3", 1},
      {"Shift extends from ItemIndex", true, {{1, {}}, {3, {ssShift}}}, "1,2,3", 3},
      {"Shift without MultiSelect selects one", false, {{1, {}}, {3, {ssShift}}}, "3", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* list = Make<TListBox>("lstNames");
    for (const char* s : {"a", "b", "c", "d"}) list->Items()->Add(s);
    list->SetMultiSelect(c.multiSelect);
    list->OnClick = TNotifyEvent::Bind<&TLog::Click>(&log_);
    log_.entries.clear();
    for (const auto& [index, shift] : c.clicks) EXPECT_TRUE(list->UserSelect(index, shift));
    EXPECT_EQ(list->SelectedItems(), c.selected);
    EXPECT_EQ(list->ItemIndex(), c.itemIndex);
    EXPECT_EQ(log_.entries.size(), c.clicks.size());
    EXPECT_FALSE(list->UserSelect(4));
    delete list;
  }
}

TEST_F(ListControlsTest, ListBoxItemsEditedDirectlyReachTheNextChangeSetAndForgetLostMarks) {
  auto* list = Make<TCheckListBox>("clbDays");
  for (const char* s : {"Mon", "Tue", "Wed"}) list->Items()->Add(s);
  list->SetItemIndex(2);
  list->SetChecked(1, true);
  EXPECT_TRUE(list->UserToggleCheck(0));
  EXPECT_EQ(list->CheckedItems(), "0,1");
  list->TakeChanges();

  list->Items()->Delete(2);  // directly, as the module's code does
  const std::vector<AnsiString> marks = list->TakeChanges();
  EXPECT_NE(std::find(marks.begin(), marks.end(), AnsiString("Items")), marks.end());
  EXPECT_EQ(list->ItemIndex(), -1);  // its item has gone
  EXPECT_EQ(list->SelCount(), 0);
  EXPECT_EQ(RenderPropertiesOf(*list).at("Items").Text, AnsiString("Mon\r\nTue\r\n"));
}

}  // namespace platform::listcontrolstest
