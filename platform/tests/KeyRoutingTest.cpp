// Keys a form passes on: menu shortcuts after the key preview (the form's
// main menu, the focused control's pop-up menu), and Ctrl+Tab /
// Ctrl+PageDown stepping through the pages of the page control that holds
// the focus, with the change veto.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/Application.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Form.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace platform::keyroutingtest {

struct TLog {
  std::vector<std::string> entries;
  Word consumeInPreview = 0;
  bool allowPageChange = true;

  void ItemClick(TObject* sender) {
    entries.push_back("menu " + std::string(static_cast<TMenuItem*>(sender)->Caption().c_str()));
  }
  void FormKeyDown(TObject*, Word& key, TShiftState) {
    if (key != 0 && key == consumeInPreview) {
      entries.push_back("preview");
      key = 0;
    }
  }
  void ControlKeyDown(TObject* sender, Word& key, TShiftState) {
    entries.push_back(std::string(static_cast<TComponent*>(sender)->Name().c_str()) + " key " + std::to_string(key));
  }
  void Changing(TObject*, bool& allow) {
    entries.push_back("changing");
    allow = allowPageChange;
  }
  void Change(TObject*) { entries.push_back("change"); }
};

class KeyRoutingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = new TForm(nullptr);
    form_->SetName("frmKeys");
    form_->SetKeyPreview(true);
    form_->OnKeyDown = TKeyEvent::Bind<&TLog::FormKeyDown>(&log_);

    auto* menu = new TMainMenu(form_.get());
    TMenuItem* file = menu->Items()->Add("File");
    Item(file->Add("Save", TextToShortCut("Ctrl+S")));
    Item(file->Add("Refresh", TextToShortCut("F5")))->SetEnabled(false);
    TMenuItem* hidden = file->Add("Tools");
    hidden->SetVisible(false);
    Item(hidden->Add("Options", TextToShortCut("F6")));
    Item(file->Add("Hidden", TextToShortCut("F7")))->SetVisible(false);

    auto* rowMenu = new TPopupMenu(form_.get());
    Item(rowMenu->Items()->Add("Delete row", TextToShortCut("Ctrl+Del")));

    edHead_ = Edit("edHead", form_.get());
    pages_ = new TPageControl(form_.get());
    pages_->SetName("pcBody");
    pages_->SetParent(form_.get());
    pages_->SetBounds(0, 40, 300, 200);
    for (const char* name : {"tsOne", "tsTwo", "tsThree", "tsFour"}) {
      auto* sheet = new TTabSheet(form_.get());
      sheet->SetName(name);
      sheet->SetPageControl(pages_);
    }
    edOne_ = Edit("edOne", pages_->Pages(0));
    edOne_->SetPopupMenu(rowMenu);
    edTwo_ = Edit("edTwo", pages_->Pages(1));
    // tsThree has no control; tsFour has no tab.
    pages_->Pages(3)->SetTabVisible(false);
    pages_->SetActivePageIndex(0);
    pages_->OnChanging = TTabChangingEvent::Bind<&TLog::Changing>(&log_);
    pages_->OnChange = TNotifyEvent::Bind<&TLog::Change>(&log_);
    form_->Show();
  }
  void TearDown() override {
    delete form_.get();
    Application().Reset();
  }

  TMenuItem* Item(TMenuItem* item) {
    item->OnClick = TNotifyEvent::Bind<&TLog::ItemClick>(&log_);
    return item;
  }
  TEdit* Edit(const char* name, TWinControl* parent) {
    auto* edit = new TEdit(form_.get());
    edit->SetName(name);
    edit->SetParent(parent);
    edit->SetBounds(8, 8, 100, 21);
    edit->OnKeyDown = TKeyEvent::Bind<&TLog::ControlKeyDown>(&log_);
    return edit;
  }
  void Press(Word key, TShiftState shift) { ASSERT_TRUE(Application().DispatchKey(form_.get(), key, shift)); }

  TComponentPtr<TForm> form_;
  TLog log_;
  TEdit *edHead_, *edOne_, *edTwo_;
  TPageControl* pages_;
};

TEST_F(KeyRoutingTest, MenuShortCutsRunAfterTheKeyPreviewAndOnlyForAvailableItems) {
  const struct {
    const char* name;
    const char* focus;
    Word key;
    TShiftState shift;
    Word consumedInPreview;
    std::vector<std::string> expected;
  } cases[] = {
      {"main menu item", "edHead", 'S', {ssCtrl}, 0, {"menu Save"}},
      {"the preview consumes the key first", "edHead", 'S', {ssCtrl}, 'S', {"preview"}},
      {"other modifiers reach the control", "edHead", 'S', {ssCtrl, ssShift}, 0, {"edHead key 83"}},
      {"disabled item", "edHead", VK_F1 + 4, {}, 0, {"edHead key 116"}},
      {"item under a hidden item", "edHead", VK_F1 + 5, {}, 0, {"edHead key 117"}},
      {"hidden item", "edHead", VK_F1 + 6, {}, 0, {"edHead key 118"}},
      {"pop-up menu of the focused control", "edOne", VK_DELETE, {ssCtrl}, 0, {"menu Delete row"}},
      {"pop-up menu of another control", "edHead", VK_DELETE, {ssCtrl}, 0, {"edHead key 46"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    form_->SetActiveControl(static_cast<TWinControl*>(form_->FindComponent(c.focus)));
    log_.entries.clear();
    log_.consumeInPreview = c.consumedInPreview;
    Press(c.key, c.shift);
    EXPECT_EQ(log_.entries, c.expected);
  }
}

TEST_F(KeyRoutingTest, PopupShortCutsFollowTheFocusIntoChildren) {
  // A pop-up menu of a parent answers for its children too.
  auto* menu = new TPopupMenu(form_.get());
  Item(menu->Items()->Add("Page help", TextToShortCut("Ctrl+H")));
  pages_->SetPopupMenu(menu);
  form_->SetActiveControl(edOne_);
  Press('H', {ssCtrl});
  EXPECT_EQ(log_.entries, std::vector<std::string>{"menu Page help"});
  log_.entries.clear();
  form_->SetActiveControl(edHead_);
  Press('H', {ssCtrl});
  EXPECT_EQ(log_.entries, std::vector<std::string>{"edHead key 72"});
}

TEST_F(KeyRoutingTest, CtrlTabStepsThroughThePagesTheUserCanChoose) {
  // The focused control sees the key first; the page changes as a user's
  // choice, and the focus follows onto the page shown (its first control,
  // or the page control when the page has none; a focused page control
  // keeps the focus).
  const struct {
    const char* name;
    Word key;
    TShiftState shift;
    int expectedPage;
    const char* expectedFocus;
    std::vector<std::string> expectedEvents;
  } steps[] = {
      {"Ctrl+Tab", VK_TAB, {ssCtrl}, 1, "edTwo", {"edOne key 9", "changing", "change"}},
      {"Ctrl+PageDown", VK_NEXT, {ssCtrl}, 2, "pcBody", {"edTwo key 34", "changing", "change"}},
      {"past the last choosable page wraps (tsFour has no tab)", VK_TAB, {ssCtrl}, 0, "pcBody", {"changing", "change"}},
      {"Ctrl+Shift+Tab wraps backwards", VK_TAB, {ssCtrl, ssShift}, 2, "pcBody", {"changing", "change"}},
      {"Ctrl+PageUp", VK_PRIOR, {ssCtrl}, 1, "pcBody", {"changing", "change"}},
  };
  form_->SetActiveControl(edOne_);
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    log_.entries.clear();
    Press(s.key, s.shift);
    EXPECT_EQ(pages_->ActivePageIndex(), s.expectedPage);
    EXPECT_EQ(log_.entries, s.expectedEvents);
    TWinControl* focus = form_->ActiveControl();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus->Showing());
    EXPECT_EQ(focus->Name(), s.expectedFocus);
  }
}

TEST_F(KeyRoutingTest, PageKeysHonourTheVetoAndNeedAPageControlAroundTheFocus) {
  form_->SetActiveControl(edOne_);
  log_.allowPageChange = false;
  Press(VK_TAB, {ssCtrl});
  EXPECT_EQ(pages_->ActivePageIndex(), 0);
  EXPECT_EQ(form_->ActiveControl(), edOne_);
  EXPECT_EQ(log_.entries, (std::vector<std::string>{"edOne key 9", "changing"}));

  // Outside the page control Ctrl+Tab is an ordinary key: the control has
  // it, and the focus stays (no tab-order move with Ctrl).
  log_.allowPageChange = true;
  form_->SetActiveControl(edHead_);
  log_.entries.clear();
  Press(VK_TAB, {ssCtrl});
  EXPECT_EQ(pages_->ActivePageIndex(), 0);
  EXPECT_EQ(form_->ActiveControl(), edHead_);
  EXPECT_EQ(log_.entries, std::vector<std::string>{"edHead key 9"});

  // Alt with it is not a page key.
  form_->SetActiveControl(edOne_);
  log_.entries.clear();
  Press(VK_NEXT, {ssCtrl, ssAlt});
  EXPECT_EQ(pages_->ActivePageIndex(), 0);
}

}  // namespace platform::keyroutingtest
