// Menus and shortcut keys, tool bars and picture buttons, image lists, the
// numbered button pictures and the generated disabled image.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ui/Form.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Menus.h"
#include "platform/ui/ToolBar.h"

namespace platform::menutest {

// Records what was clicked or popped up, by caption (menu items, buttons)
// or by a fixed text.
struct TLog {
  std::vector<std::string> entries;
  TPopupMenu* watched = nullptr;

  void Clicked(TObject* sender) {
    if (auto* item = dynamic_cast<TMenuItem*>(sender)) entries.push_back(item->Caption().c_str());
    else if (auto* control = dynamic_cast<TControl*>(sender)) entries.push_back(control->Caption().c_str());
    else entries.push_back("?");
  }
  void Popped(TObject* sender) {
    entries.push_back(watched && watched->IsOpen() ? "popup (already open)" : "popup");
    // The handler may change the menu before it opens.
    if (watched) watched->Items()->Items(0)->SetEnabled(false);
  }
  TNotifyEvent Click() { return TNotifyEvent::Bind<&TLog::Clicked>(this); }
};

// --- shortcuts ---

TEST(ShortCutText, RoundTripsAndKeyValues) {
  const struct {
    const char* text;
    Word key;
    TShiftState shift;
  } cases[] = {
      {"F5", static_cast<Word>(VK_F1 + 4), {}},
      {"Ctrl+F1", VK_F1, {ssCtrl}},
      {"Shift+F2", static_cast<Word>(VK_F1 + 1), {ssShift}},
      {"Alt+X", 'X', {ssAlt}},
      {"Ctrl+Shift+A", 'A', {ssCtrl, ssShift}},
      {"F12", VK_F12, {}},
      {"Ctrl+Del", VK_DELETE, {ssCtrl}},
      {"Enter", VK_RETURN, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const TShortCut s = TextToShortCut(c.text);
    EXPECT_EQ(s, ShortCut(c.key, c.shift));
    EXPECT_EQ(std::string(ShortCutToText(s).c_str()), c.text);
    Word key = 0;
    TShiftState shift;
    ShortCutToKey(s, key, shift);
    EXPECT_EQ(key, c.key);
    EXPECT_EQ(shift, c.shift);
  }
}

TEST(ShortCutText, ReadsModifiersInAnyOrderAndCaseAndRefusesWhatNamesNoKey) {
  EXPECT_EQ(TextToShortCut("shift+ctrl+a"), TextToShortCut("Ctrl+Shift+A"));
  EXPECT_EQ(TextToShortCut(" ctrl+f1 "), static_cast<TShortCut>(scCtrl | VK_F1));
  for (const char* bad : {"", "Ctrl+", "+", "F13", "F0", "Hyper+X", "Ctrl+Foo", "AB", "Ctrl++"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(TextToShortCut(bad), scNone);
  }
  EXPECT_EQ(std::string(ShortCutToText(scNone).c_str()), "");
  EXPECT_EQ(std::string(ShortCutToText(scCtrl | 0x07).c_str()), "");  // a key without a name
}

TEST(MenuCaption, AcceleratorCharacter) {
  EXPECT_EQ(GetHotkey("&File"), 'F');
  EXPECT_EQ(GetHotkey("Save &as"), 'A');
  EXPECT_EQ(GetHotkey("A&&B"), 0);
  EXPECT_EQ(GetHotkey("End&"), 0);
  EXPECT_EQ(GetHotkey("Plain"), 0);
  EXPECT_EQ(std::string(StripHotkey("&Save && close").c_str()), "Save & close");
}

// --- menus ---

// A form with a main menu and a pop-up menu, both owned by the form.
class MenuFormTest : public ::testing::Test {
 protected:
  MenuFormTest() {
    form = new TForm(&owner);
    mainMenu = new TMainMenu(form);
    TMenuItem* file = mainMenu->Items()->Add("&File");
    open = file->Add("&Open", TextToShortCut("Ctrl+O"));
    save = file->Add("&Save", TextToShortCut("Ctrl+S"));
    hiddenTop = mainMenu->Items()->Add("&Tools");
    hiddenFind = hiddenTop->Add("&Find", TextToShortCut("F5"));
    popup = new TPopupMenu(form);
    popupFind = popup->Items()->Add("Find again", TextToShortCut("F5"));
    for (TMenuItem* item : {open, save, hiddenFind, popupFind}) item->OnClick = log.Click();
  }

  TComponent owner{nullptr};
  TForm* form;
  TMainMenu* mainMenu;
  TPopupMenu* popup;
  TMenuItem *open, *save, *hiddenTop, *hiddenFind, *popupFind;
  TLog log;
};

TEST_F(MenuFormTest, ShortCutClicksTheAvailableItemOnly) {
  save->SetEnabled(false);
  hiddenTop->SetVisible(false);
  const struct {
    const char* name;
    Word key;
    TShiftState shift;
    bool consumed;
    std::vector<std::string> clicked;
  } cases[] = {
      {"enabled item", 'O', {ssCtrl}, true, {"&Open"}},
      {"disabled item", 'S', {ssCtrl}, false, {}},
      {"child of a hidden item: the pop-up menu's item", static_cast<Word>(VK_F1 + 4), {}, true, {"Find again"}},
      {"other modifiers", 'O', {ssCtrl, ssShift}, false, {}},
      {"no shortcut", 'Q', {}, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    log.entries.clear();
    Word key = c.key;
    EXPECT_EQ(DispatchMenuShortCut(*form, key, c.shift), c.consumed);
    EXPECT_EQ(key, c.consumed ? 0 : c.key);
    EXPECT_EQ(log.entries, c.clicked);
  }
}

TEST_F(MenuFormTest, MainMenuComesBeforePopupMenu) {
  Word key = VK_F1 + 4;
  EXPECT_TRUE(DispatchMenuShortCut(*form, key, TShiftState()));
  EXPECT_EQ(log.entries, std::vector<std::string>{"&Find"});
  EXPECT_FALSE(popup->IsShortCut('O', TShiftState{ssCtrl}));  // each menu only knows its own items
}

TEST_F(MenuFormTest, FreedItemsLeaveTheTree) {
  TMenuItem* file = open->Parent();
  ASSERT_EQ(file->Count(), 2);
  delete open;
  ASSERT_EQ(file->Count(), 1);
  EXPECT_EQ(file->Items(0), save);
  EXPECT_TRUE(file->Delete(0));
  EXPECT_FALSE(file->Delete(0));
  EXPECT_EQ(file->Count(), 0);
  Word key = 'O';
  EXPECT_FALSE(DispatchMenuShortCut(*form, key, TShiftState{ssCtrl}));
}

TEST_F(MenuFormTest, PopupRunsOnPopupBeforeItOpens) {
  log.watched = popup;
  popup->OnPopup = TNotifyEvent::Bind<&TLog::Popped>(&log);
  EXPECT_FALSE(popup->IsOpen());
  popup->Popup(40, 50);
  EXPECT_EQ(log.entries, std::vector<std::string>{"popup"});
  EXPECT_TRUE(popup->IsOpen());
  EXPECT_EQ(popup->PopupX(), 40);
  EXPECT_EQ(popup->PopupY(), 50);
  EXPECT_FALSE(popupFind->Enabled());  // changed by the handler
  popupFind->Click();                  // a disabled item does not run OnClick
  EXPECT_EQ(log.entries.size(), 1u);
}

TEST(MenuItem, RadioItemsUncheckTheirGroupOnly) {
  TMainMenu menu(nullptr);
  TMenuItem* view = menu.Items()->Add("View");
  TMenuItem* a = view->Add("Large");
  TMenuItem* b = view->Add("Small");
  TMenuItem* other = view->Add("Sorted");  // another group
  TMenuItem* plain = view->Add("Status bar");  // not a radio item
  a->SetRadioItem(true);
  b->SetRadioItem(true);
  other->SetRadioItem(true);
  other->SetGroupIndex(1);
  for (TMenuItem* i : {a, other, plain}) i->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(other->Checked());
  EXPECT_TRUE(plain->Checked());
}

// --- tool bars ---

TEST(ToolButton, DropDownMenuAndClick) {
  TComponent owner(nullptr);
  auto* bar = new TToolBar(&owner);
  auto* menu = new TPopupMenu(&owner);
  TLog log;
  log.watched = menu;
  menu->Items()->Add("Recent");
  menu->OnPopup = TNotifyEvent::Bind<&TLog::Popped>(&log);

  auto* button = new TToolButton(&owner);
  button->SetParent(bar);
  button->SetCaption("Open");
  button->SetStyle(tbsDropDown);
  button->SetDropdownMenu(menu);
  button->SetBounds(10, 2, 23, 22);
  button->OnClick = log.Click();

  button->Click();  // the button part runs its handler only
  EXPECT_EQ(log.entries, std::vector<std::string>{"Open"});
  EXPECT_FALSE(menu->IsOpen());

  EXPECT_TRUE(button->DropDown());  // the arrow opens the menu below the button
  EXPECT_EQ(log.entries, (std::vector<std::string>{"Open", "popup"}));
  EXPECT_TRUE(menu->IsOpen());
  EXPECT_EQ(menu->PopupX(), 10);
  EXPECT_EQ(menu->PopupY(), 24);

  menu->CloseUp();
  button->OnClick = nullptr;
  button->Click();  // without a handler a click opens the menu
  EXPECT_TRUE(menu->IsOpen());

  menu->CloseUp();
  log.entries.clear();
  bar->SetEnabled(false);  // a disabled bar disables its buttons
  EXPECT_FALSE(button->DropDown());
  button->Click();
  EXPECT_TRUE(log.entries.empty());
  EXPECT_FALSE(menu->IsOpen());

  delete menu;  // the button lets go of a freed menu
  EXPECT_EQ(button->DropdownMenu(), nullptr);
}

TEST(ToolButton, GroupedCheckButtonsAndSeparators) {
  TComponent owner(nullptr);
  auto* bar = new TToolBar(&owner);
  const auto add = [&](const char* caption, TToolButtonStyle style, bool grouped) {
    auto* b = new TToolButton(&owner);
    b->SetParent(bar);
    b->SetCaption(caption);
    b->SetStyle(style);
    b->SetGrouped(grouped);
    return b;
  };
  TToolButton* left = add("Left", tbsCheck, true);
  TToolButton* center = add("Center", tbsCheck, true);
  TToolButton* separator = add("", tbsSeparator, false);
  TToolButton* bold = add("Bold", tbsCheck, true);
  TToolButton* italic = add("Italic", tbsCheck, false);
  ASSERT_EQ(bar->ButtonCount(), 5);
  EXPECT_EQ(bar->Buttons(2), separator);
  EXPECT_EQ(bar->Buttons(5), nullptr);

  left->Click();
  bold->Click();  // past the separator: another group
  center->Click();
  EXPECT_FALSE(left->Down());
  EXPECT_TRUE(center->Down());
  EXPECT_TRUE(bold->Down());
  center->Click();  // the down button of a group stays down
  EXPECT_TRUE(center->Down());
  italic->Click();
  italic->Click();  // an ungrouped check button toggles
  EXPECT_FALSE(italic->Down());
  TLog log;
  separator->OnClick = log.Click();
  separator->Click();
  EXPECT_TRUE(log.entries.empty());
}

// --- pictures ---

TBitmap Square(int size, TColor color) {
  TBitmap b(size, size, color);
  b.SetTransparentColor(clFuchsia);
  return b;
}

TEST(ImageList, IndicesAndToolBarPictures) {
  TComponent owner(nullptr);
  auto* images = new TImageList(&owner);
  EXPECT_EQ(images->Add(Square(16, clRed)), 0);
  EXPECT_EQ(images->Add(Square(16, clGreen)), 1);
  EXPECT_EQ(images->Add(Square(8, clBlue)), 2);  // fitted to 16 x 16
  EXPECT_EQ(images->Count(), 3);
  EXPECT_EQ(images->Image(1).ContentHash(), Square(16, clGreen).ContentHash());
  EXPECT_EQ(images->Image(2).Width(), 16);
  EXPECT_EQ(images->Image(2).Pixel(7, 7), clBlue);
  EXPECT_TRUE(images->Image(3).Empty());
  EXPECT_TRUE(images->Image(-1).Empty());

  TBitmap strip(32, 16, clYellow);
  strip.FillRect(16, 0, 32, 16, clNavy);
  EXPECT_EQ(images->AddStrip(strip), 3);
  EXPECT_EQ(images->Count(), 5);
  EXPECT_EQ(images->Image(4).Pixel(0, 0), clNavy);
  EXPECT_EQ(images->AddStrip(TBitmap(15, 16)), -1);

  auto* bar = new TToolBar(&owner);
  bar->SetImages(images);
  auto* button = new TToolButton(&owner);
  button->SetParent(bar);
  button->SetImageIndex(1);
  EXPECT_EQ(bar->ButtonImage(*button), Square(16, clGreen));
  button->SetImageIndex(9);
  EXPECT_TRUE(bar->ButtonImage(*button).Empty());
  delete images;
  EXPECT_EQ(bar->Images(), nullptr);
}

TEST(ButtonPictures, LookupPictureExistsAndDiffersFromTheOthers) {
  const TBitmap lookup = ButtonPicture(kLookupPicture);
  EXPECT_EQ(kLookupPicture, 8);
  ASSERT_FALSE(lookup.Empty());
  EXPECT_EQ(lookup.Width(), 16);
  EXPECT_EQ(lookup.Height(), 16);
  std::set<std::uint64_t> hashes;
  for (int n = 1; n <= ButtonPictureCount(); ++n) {
    SCOPED_TRACE(n);
    const TBitmap picture = ButtonPicture(n);
    ASSERT_FALSE(picture.Empty());
    EXPECT_EQ(picture, ButtonPicture(n));  // the same picture every time
    EXPECT_NE(picture.Pixel(8, 8), clNone);
    EXPECT_EQ(picture.TransparentColor(), picture.Pixel(0, 15));  // see-through corner
    hashes.insert(picture.ContentHash());
  }
  EXPECT_EQ(hashes.size(), static_cast<std::size_t>(ButtonPictureCount()));
  EXPECT_TRUE(ButtonPicture(0).Empty());
  EXPECT_TRUE(ButtonPicture(ButtonPictureCount() + 1).Empty());
}

// The fixture: a 5 x 5 bitmap, a 3 x 3 block of white in a transparent
// border, its centre pixel the case's colour. T transparent, W white, C the
// centre; in the disabled half F button face, H highlight, S shadow.
TBitmap Fixture(TColor centre) {
  TBitmap b(5, 5, clFuchsia);
  b.FillRect(1, 1, 4, 4, clWhite);
  b.SetPixel(2, 2, centre);
  return b;
}

TEST(DisabledImage, DarkAndEdgePixelsBecomeTheEmbossedMask) {
  const struct {
    const char* name;
    TColor centre;
    std::vector<std::string> disabled;
  } cases[] = {
      // Every white pixel but the centre touches the transparent border.
      {"bright centre stays button face", clWhite, {"FFFFF", "FSSSF", "FSHSH", "FSSSH", "FFHHH"}},
      {"sum 384 is not dark", RGB(128, 128, 128), {"FFFFF", "FSSSF", "FSHSH", "FSSSH", "FFHHH"}},
      {"sum 383 is dark", RGB(127, 128, 128), {"FFFFF", "FSSSF", "FSSSH", "FSSSH", "FFHHH"}},
  };
  const std::map<char, TColor> colours = {
      {'F', ColorToRGB(clBtnFace)}, {'H', ColorToRGB(clBtnHighlight)}, {'S', ColorToRGB(clBtnShadow)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TBitmap original = Fixture(c.centre);
    const TBitmap result = MakeDisabledImage(original);
    ASSERT_EQ(result.Width(), 10);
    ASSERT_EQ(result.Height(), 5);
    EXPECT_EQ(result.TransparentColor(), clFuchsia);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 5; ++x) {
        SCOPED_TRACE(::testing::Message() << "x " << x << " y " << y);
        EXPECT_EQ(result.Pixel(x, y), original.Pixel(x, y));
        EXPECT_EQ(result.Pixel(5 + x, y), colours.at(c.disabled[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]));
      }
    }
  }
  EXPECT_TRUE(MakeDisabledImage(TBitmap()).Empty());
}

TEST(SpeedButton, SinglePictureGlyphGetsItsDisabledPicture) {
  TComponent owner(nullptr);
  auto* button = new TSpeedButton(&owner);
  EXPECT_FALSE(button->MakeDisabledGlyph());  // no glyph
  const TBitmap lookup = ButtonPicture(kLookupPicture);
  button->SetGlyph(lookup);
  ASSERT_TRUE(button->MakeDisabledGlyph());
  EXPECT_EQ(button->NumGlyphs(), 2);
  EXPECT_EQ(button->Glyph().Width(), 32);
  EXPECT_EQ(button->GlyphPart(0), lookup);
  TBitmap disabled = MakeDisabledImage(lookup);
  EXPECT_EQ(button->GlyphPart(1).Pixel(8, 8), disabled.Pixel(24, 8));
  EXPECT_TRUE(button->GlyphPart(2).Empty());
  EXPECT_FALSE(button->MakeDisabledGlyph());  // two pictures already
  EXPECT_EQ(button->Glyph().Width(), 32);
}

}  // namespace platform::menutest
