// The second set of standard controls: page controls and their pages,
// status bars, progress bars, memos, combo boxes and radio groups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/PropertyAccess.h"

namespace platform::controlstest {

using testing::A;

// Records the events of the controls it is wired to, in order.
struct EventLog {
  std::vector<std::string> entries;
  bool allowChange = true;
  TPageControl* pages = nullptr;

  void Changing(TObject*, bool& allow) {
    entries.push_back("changing from " + std::to_string(pages ? pages->ActivePageIndex() : -2));
    allow = allowChange;
  }
  void Change(TObject*) { entries.push_back("change"); }
  void Select(TObject*) { entries.push_back("select"); }
  void Click(TObject*) { entries.push_back("click"); }
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = new TForm(nullptr);
    form_->SetName("frmControls");
    // The user reaches the controls of a form on screen only.
    form_->Show();
  }
  void TearDown() override {
    delete form_.get();
    Application().Reset();
  }

  // A page control with three pages on the form.
  TPageControl* MakePages() {
    auto* pages = new TPageControl(form_.get());
    pages->SetParent(form_.get());
    for (const char* name : {"tsHead", "tsLines", "tsNotes"}) {
      auto* sheet = new TTabSheet(form_.get());
      sheet->SetName(name);
      sheet->SetPageControl(pages);
    }
    log_.pages = pages;
    pages->OnChanging = TTabChangingEvent::Bind<&EventLog::Changing>(&log_);
    pages->OnChange = TNotifyEvent::Bind<&EventLog::Change>(&log_);
    return pages;
  }

  TComponentPtr<TForm> form_;
  EventLog log_;
};

// --- page controls ---

TEST_F(ControlsTest, PagesFollowTheirPageControlAndOnlyTheActiveOneShows) {
  TPageControl* pages = MakePages();
  ASSERT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(pages->Pages(1)->Name(), "tsLines");
  EXPECT_EQ(pages->Pages(3), nullptr);
  EXPECT_EQ(pages->Pages(-1), nullptr);
  EXPECT_EQ(pages->ActivePageIndex(), -1);

  pages->SetActivePageIndex(1);
  EXPECT_EQ(pages->ActivePage(), pages->Pages(1));
  EXPECT_TRUE(pages->Pages(1)->Visible());
  EXPECT_FALSE(pages->Pages(0)->Visible());
  EXPECT_TRUE(log_.entries.empty()) << "a change by code runs no events";

  // Moving a page keeps it active; taking it out leaves no active page.
  TTabSheet* lines = pages->Pages(1);
  lines->SetPageIndex(0);
  EXPECT_EQ(pages->Pages(0), lines);
  EXPECT_EQ(pages->ActivePageIndex(), 0);
  lines->SetPageControl(nullptr);
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(pages->ActivePage(), nullptr);
  EXPECT_EQ(lines->PageIndex(), -1);

  // A sheet of another page control is not taken; a page that goes is
  // forgotten.
  pages->SetActivePage(lines);
  EXPECT_EQ(pages->ActivePage(), nullptr);
  pages->SetActivePageIndex(1);
  delete pages->Pages(1);
  EXPECT_EQ(pages->PageCount(), 1);
  EXPECT_EQ(pages->ActivePage(), nullptr);
}

TEST_F(ControlsTest, UserPageChangeAsksOnChangingWhichMayRefuse) {
  struct Case {
    const char* name;
    bool allow;
    int expectedIndex;
    std::vector<std::string> expectedEvents;
  };
  const Case cases[] = {
      {"allowed", true, 2, {"changing from 0", "change"}},
      {"vetoed", false, 0, {"changing from 0"}},
  };
  TPageControl* pages = MakePages();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    pages->SetActivePageIndex(0);
    log_.entries.clear();
    log_.allowChange = c.allow;
    EXPECT_EQ(pages->UserSelectPage(2), c.allow);
    EXPECT_EQ(pages->ActivePageIndex(), c.expectedIndex);
    EXPECT_EQ(log_.entries, c.expectedEvents);
    EXPECT_EQ(pages->Pages(2)->Visible(), c.allow);
  }
}

TEST_F(ControlsTest, UserCannotChooseHiddenTabsOrPagesOfAHiddenOrDisabledControl) {
  struct Case {
    const char* name;
    void (*arrange)(TPageControl&);
  };
  const Case cases[] = {
      {"tab hidden", [](TPageControl& p) { p.Pages(1)->SetTabVisible(false); }},
      {"page disabled", [](TPageControl& p) { p.Pages(1)->SetEnabled(false); }},
      {"control disabled", [](TPageControl& p) { p.SetEnabled(false); }},
      {"control hidden", [](TPageControl& p) { p.SetVisible(false); }},
      {"form disabled", [](TPageControl& p) { p.ParentForm()->SetEnabled(false); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    log_.entries.clear();
    TPageControl* pages = MakePages();
    pages->SetActivePageIndex(0);
    c.arrange(*pages);
    EXPECT_FALSE(pages->UserSelectPage(1));
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    EXPECT_TRUE(log_.entries.empty());
    // The other pages stay reachable while the control takes input.
    if (pages->EnabledChain() && pages->Showing()) EXPECT_TRUE(pages->UserSelectPage(2));
  }
  TearDown();
  SetUp();
  TPageControl* pages = MakePages();
  pages->SetActivePageIndex(0);
  EXPECT_FALSE(pages->UserSelectPage(0)) << "the active page";
  EXPECT_FALSE(pages->UserSelectPage(3)) << "out of range";
  EXPECT_FALSE(pages->UserSelectPage(-1)) << "out of range";
  // A hidden tab can still be shown by code.
  pages->Pages(2)->SetTabVisible(false);
  pages->SetActivePageIndex(2);
  EXPECT_EQ(pages->ActivePageIndex(), 2);
}

TEST_F(ControlsTest, PageControlAndPagesPublishTheirProperties) {
  TPageControl* pages = MakePages();
  pages->SetName("pcMain");
  AnsiString text;
  ASSERT_TRUE(GetPropValue(*pages->Pages(1), "TabVisible", text));
  EXPECT_EQ(text, "True");
  SetPropValue(*pages->Pages(1), "TabVisible", "False");
  EXPECT_FALSE(pages->Pages(1)->TabVisible());
  EXPECT_NE(GetPropInfo(*pages, "OnChanging"), nullptr);
}

// --- status bars ---

TEST_F(ControlsTest, StatusPanelsAreReachedByCollectionAndTheirChangesMarkPanels) {
  auto* bar = new TStatusBar(form_.get());
  bar->SetParent(form_.get());
  for (int i = 0; i < 3; ++i) bar->Panels()->Add()->SetWidth(80 + i);
  bar->TakeChanges();

  bar->Panels()->Items(1)->SetText(A(u8"操作员"));
  EXPECT_EQ(bar->Panels()->Items(1)->Text(), A(u8"操作员"));
  const auto changes = bar->TakeChanges();
  EXPECT_NE(std::find(changes.begin(), changes.end(), AnsiString("Panels")), changes.end());

  // Text by name on a panel, as language files and settings set it.
  ASSERT_TRUE(SetPropValue(*bar->Panels()->Items(2), "Text", "ready"));
  EXPECT_EQ(bar->Panels()->Items(2)->Text(), "ready");
  EXPECT_EQ(bar->Panels()->Items(0)->Width(), 80);
  bar->Panels()->Items(0)->SetWidth(-5);
  EXPECT_EQ(bar->Panels()->Items(0)->Width(), 0);

  bar->SetSimplePanel(true);
  bar->SetSimpleText("saving");
  EXPECT_TRUE(bar->SimplePanel());
  EXPECT_EQ(bar->SimpleText(), "saving");

  // A copy of the panels.
  TStatusBar other(nullptr);
  other.SetPanels(*bar->Panels());
  ASSERT_EQ(other.Panels()->Count(), 3);
  EXPECT_EQ(other.Panels()->Items(1)->Text(), A(u8"操作员"));
  EXPECT_EQ(other.Panels()->Items(2)->Width(), 82);
}

// --- progress bars ---

TEST_F(ControlsTest, ProgressBarStaysInRangeAndStartsOverPastMax) {
  TProgressBar bar(nullptr);
  bar.SetMax(25);
  std::vector<int> seen;
  for (int i = 0; i < 4; ++i) {
    bar.StepIt();
    seen.push_back(bar.Position());
  }
  EXPECT_EQ(seen, (std::vector<int>{10, 20, 0, 10}));

  struct Case {
    const char* name;
    int set;
    int expected;
  };
  const Case cases[] = {{"inside", 7, 7}, {"below Min", -3, 0}, {"above Max", 99, 25}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bar.SetPosition(c.set);
    EXPECT_EQ(bar.Position(), c.expected);
  }
  bar.StepBy(-100);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetPosition(20);
  bar.SetMax(15);
  EXPECT_EQ(bar.Position(), 15) << "a smaller range takes the position along";
  bar.SetMin(18);
  EXPECT_EQ(bar.Position(), 18) << "an unsound range holds the position at Min";
}

// --- memos ---

TEST_F(ControlsTest, MemoKeepsEnterAsALineBreakUnlessWantReturnsIsOff) {
  auto* memo = new TMemo(form_.get());
  memo->SetParent(form_.get());
  auto* ok = new TButton(form_.get());
  ok->SetParent(form_.get());
  ok->SetDefault(true);
  ok->OnClick = TNotifyEvent::Bind<&EventLog::Click>(&log_);
  memo->SetFocus();

  for (char ch : std::string("ab")) Application().DispatchChar(form_.get(), ch);
  Application().DispatchKey(form_.get(), VK_RETURN, TShiftState());
  Application().DispatchChar(form_.get(), '\r');
  Application().DispatchChar(form_.get(), 'c');
  EXPECT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Text(), "ab\r\nc");
  EXPECT_TRUE(memo->Focused()) << "Enter stays in the memo";
  EXPECT_TRUE(log_.entries.empty()) << "the Default button is not pressed";

  Application().DispatchChar(form_.get(), '\b');
  Application().DispatchChar(form_.get(), '\b');
  EXPECT_EQ(memo->Text(), "ab");

  memo->SetWantReturns(false);
  Application().DispatchKey(form_.get(), VK_RETURN, TShiftState());
  EXPECT_EQ(log_.entries, std::vector<std::string>{"click"});
  EXPECT_EQ(memo->Text(), "ab");
}

TEST_F(ControlsTest, MemoLinesTextAndUserEntryLimits) {
  TMemo memo(nullptr);
  memo.OnChange = TNotifyEvent::Bind<&EventLog::Change>(&log_);
  memo.SetText("one\r\ntwo\nthree");
  ASSERT_EQ(memo.Lines()->Count(), 3);
  EXPECT_EQ((*memo.Lines())[2], "three");
  EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree");
  memo.SetText("one\r\ntwo\r\nthree");
  EXPECT_EQ(log_.entries.size(), 1u) << "the same text again is no change";

  // Set through the property path, as a language file does.
  ASSERT_TRUE(SetPropValueByPath(memo, "Lines_1", "TWO"));
  EXPECT_EQ((*memo.Lines())[1], "TWO");

  // The user's text is cut to MaxLength bytes, never inside a character.
  memo.SetMaxLength(5);
  EXPECT_TRUE(memo.EnterText(A(u8"甲乙丙")));
  EXPECT_EQ(memo.Text(), A(u8"甲乙"));
  char key = 'x';
  memo.KeyPress(key);
  EXPECT_EQ(memo.Text(), A(u8"甲乙x"));
  key = 'y';
  memo.KeyPress(key);
  EXPECT_EQ(memo.Text(), A(u8"甲乙x")) << "a character beyond MaxLength is refused";

  memo.SetReadOnly(true);
  EXPECT_FALSE(memo.EnterText("changed"));
  key = '\b';
  memo.KeyPress(key);
  EXPECT_EQ(memo.Text(), A(u8"甲乙x"));
  EXPECT_TRUE(memo.WantsKey(VK_RETURN, TShiftState()));
  EXPECT_FALSE(memo.WantsKey(VK_TAB, TShiftState()));
}

// --- combo boxes ---

class ComboTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    combo_ = new TComboBox(form_.get());
    combo_->SetParent(form_.get());
    for (const char* item : {"north", "south", "east"}) combo_->Items()->Add(item);
    combo_->OnChange = TNotifyEvent::Bind<&EventLog::Change>(&log_);
  }
  TComboBox* combo_ = nullptr;
};

TEST_F(ComboTest, ItemIndexAndTextFollowEachOtherInBothStyles) {
  struct Case {
    const char* name;
    TComboBoxStyle style;
    const char* text;
    int expectedIndex;
    const char* expectedText;
  };
  const Case cases[] = {
      {"drop-down: an item", csDropDown, "south", 1, "south"},
      {"drop-down: free text", csDropDown, "west", -1, "west"},
      {"drop-down: case counts", csDropDown, "SOUTH", -1, "SOUTH"},
      {"list: an item", csDropDownList, "east", 2, "east"},
      {"list: no item", csDropDownList, "west", -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    combo_->SetStyle(c.style);
    combo_->SetItemIndex(0);
    combo_->SetText(c.text);
    EXPECT_EQ(combo_->ItemIndex(), c.expectedIndex);
    EXPECT_EQ(combo_->Text(), c.expectedText);
  }
  combo_->SetItemIndex(1);
  EXPECT_EQ(combo_->Text(), "south");
  combo_->SetItemIndex(7);
  EXPECT_EQ(combo_->ItemIndex(), -1);
  EXPECT_EQ(combo_->Text(), "");
  EXPECT_TRUE(log_.entries.empty()) << "changes by code run no events";
}

TEST_F(ComboTest, ItemIndexFollowsItsItemWhenItemsChange) {
  combo_->SetItemIndex(1);  // south
  combo_->Items()->Insert(0, "centre");
  EXPECT_EQ(combo_->ItemIndex(), 2);
  combo_->Items()->Delete(0);
  combo_->Items()->Add("west");
  EXPECT_EQ(combo_->ItemIndex(), 1);
  combo_->Items()->Delete(1);
  EXPECT_EQ(combo_->ItemIndex(), -1) << "the selected item is gone";
  EXPECT_EQ(combo_->ItemIndex(), -1);
  combo_->Items()->Clear();
  combo_->SetItemIndex(0);
  EXPECT_EQ(combo_->ItemIndex(), -1);
}

TEST_F(ComboTest, UserChoiceAndTypingRunTheirEvents) {
  EXPECT_TRUE(combo_->UserSelect(2));
  EXPECT_EQ(combo_->Text(), "east");
  EXPECT_EQ(log_.entries, std::vector<std::string>{"change"});

  log_.entries.clear();
  combo_->OnSelect = TNotifyEvent::Bind<&EventLog::Select>(&log_);
  EXPECT_TRUE(combo_->UserSelect(0));
  EXPECT_EQ(log_.entries, std::vector<std::string>{"select"});

  log_.entries.clear();
  EXPECT_TRUE(combo_->UserEnterText("sou"));
  EXPECT_EQ(combo_->ItemIndex(), -1);
  EXPECT_TRUE(combo_->UserEnterText("south"));
  EXPECT_EQ(combo_->ItemIndex(), 1);
  EXPECT_EQ(log_.entries, (std::vector<std::string>{"change", "change"}));

  log_.entries.clear();
  EXPECT_FALSE(combo_->UserSelect(3));
  combo_->SetStyle(csDropDownList);
  EXPECT_FALSE(combo_->UserEnterText("north"));
  combo_->SetEnabled(false);
  EXPECT_FALSE(combo_->UserSelect(0));
  EXPECT_EQ(combo_->ItemIndex(), 1);
  EXPECT_TRUE(log_.entries.empty());
  combo_->SetDropDownCount(0);
  EXPECT_EQ(combo_->DropDownCount(), 1);
}

// The state a resource leaves while it is read, and the reader's last call.
template <typename Control>
struct TReadControl : Control {
  using Control::Control;
  using Control::Loaded;
};

TEST(ControlsReading, ValuesReadBeforeTheirRangeApplyOnceTheResourceIsRead) {
  TStringList items;
  for (const char* item : {"north", "south", "east"}) items.Add(item);
  TReadControl<TComboBox> combo(nullptr);
  combo.SetLoadingState(true, true);
  combo.SetItemIndex(1);  // resources write ItemIndex before Items
  combo.SetItems(items);
  combo.Loaded();
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(combo.Text(), "south");

  TReadControl<TProgressBar> bar(nullptr);
  bar.SetLoadingState(true, true);
  bar.SetPosition(150);
  bar.SetMax(200);
  bar.Loaded();
  EXPECT_EQ(bar.Position(), 150);
  bar.SetLoadingState(true, true);
  bar.SetPosition(500);
  bar.Loaded();
  EXPECT_EQ(bar.Position(), 200);
}

// --- radio groups ---

TEST_F(ControlsTest, RadioGroupSelectionRunsOnClickAndStaysWithinItems) {
  auto* group = new TRadioGroup(form_.get());
  group->SetParent(form_.get());
  group->OnClick = TNotifyEvent::Bind<&EventLog::Click>(&log_);
  group->SetItemIndex(1);
  EXPECT_EQ(group->ItemIndex(), -1) << "no items yet";
  EXPECT_TRUE(log_.entries.empty());

  for (const char* item : {"AND", "OR", "NOT"}) group->Items()->Add(item);
  EXPECT_EQ(group->ItemIndex(), 1);
  group->SetItemIndex(2);
  EXPECT_EQ(log_.entries, std::vector<std::string>{"click"});
  group->SetItemIndex(2);
  EXPECT_EQ(log_.entries.size(), 1u) << "the same button again is no click";

  EXPECT_TRUE(group->UserSelect(0));
  EXPECT_EQ(group->ItemIndex(), 0);
  EXPECT_FALSE(group->UserSelect(3));
  group->SetEnabled(false);
  EXPECT_FALSE(group->UserSelect(1));
  EXPECT_EQ(group->ItemIndex(), 0);
  EXPECT_EQ(log_.entries.size(), 2u);

  group->Items()->Delete(2);
  group->Items()->Delete(1);
  group->SetItemIndex(5);
  EXPECT_EQ(group->ItemIndex(), 0) << "beyond the items reads as the last";
  group->SetItemIndex(-7);
  EXPECT_EQ(group->ItemIndex(), -1);
  group->SetColumns(40);
  EXPECT_EQ(group->Columns(), 16);
}

// --- registration ---

TEST(ControlsRegistration, EveryControlIsCreatedByItsClassName) {
  for (const char* name :
       {"TPageControl", "TTabSheet", "TStatusBar", "TProgressBar", "TMemo", "TComboBox", "TRadioGroup"}) {
    SCOPED_TRACE(name);
    const TClassInfo* info = FindClass(name, ThisModule());
    ASSERT_NE(info, nullptr);
    std::unique_ptr<TComponent> made(info->CreateComponent(nullptr));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->ClassNameIs(name));
  }
}

}  // namespace platform::controlstest
