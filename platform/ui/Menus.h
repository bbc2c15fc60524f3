// Menus, headless: TMenuItem, TMainMenu and TPopupMenu, and shortcut keys
// (TShortCut, TextToShortCut, ShortCutToText).
//
// A menu keeps its item tree; the renderer draws it and reports clicks
// (TMenuItem::Click; an item with child items is clicked before its
// submenu opens, so its OnClick may prepare them). Child items made by
// Add are owned by their parent item, in order; items read from a form
// resource (nested inside their menu or item) are owned by the form and
// listed by their parent the same way. A caption "-" is a separator line; "&" marks the accelerator
// character ("&&" is a literal "&").
//
// Shortcuts: a TShortCut is the virtual key in the low byte with scShift,
// scCtrl and scAlt for the modifiers. The text form is the modifiers in the
// order "Ctrl+", "Shift+", "Alt+" and the key name ("F5", "Ctrl+F1",
// "Ctrl+Shift+A"); modifiers are read in any order and case. A text that
// names no key gives 0 (no shortcut).
//
// A menu's IsShortCut clicks the item whose shortcut matches, when the
// item and all its parents are visible and enabled, and tells whether it
// did. DispatchMenuShortCut offers a key a form did not consume to the
// menus the form owns (its main menu first); a pop-up menu that is a
// control's PopupMenu answers only while that control (or one of its
// children) has the focus. The form's key handling calls it
// (TCustomForm::IsShortCut) after the key preview.
//
// Radio items: checking a RadioItem unchecks the other radio items of the
// same GroupIndex under the same parent.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/ui/Component.h"
#include "platform/ui/Event.h"

namespace platform {

class TCustomForm;

using TShortCut = std::uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(Word key, TShiftState shift);
// The key and modifiers of a shortcut.
void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift);
// 0 for a text that names no key (an empty text included).
TShortCut TextToShortCut(const AnsiString& text);
// "" for 0 or a key without a name.
AnsiString ShortCutToText(TShortCut shortCut);

// The caption without its accelerator marks ("&&" becomes "&").
AnsiString StripHotkey(const AnsiString& caption);
// The accelerator character of a caption, upper-cased; 0 when it has none.
char GetHotkey(const AnsiString& caption);

class TMenuItem : public TComponent {
  PLATFORM_CLASS(TMenuItem)

 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v) { ChangeProperty(caption_, v, "Caption"); }
  bool IsLine() const { return caption_ == "-"; }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut v) { ChangeProperty(shortCut_, v, "ShortCut"); }
  bool Checked() const { return checked_; }
  // Checking a radio item unchecks its group.
  void SetChecked(bool v);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool v) { ChangeProperty(radioItem_, v, "RadioItem"); }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v) { ChangeProperty(groupIndex_, v, "GroupIndex"); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { ChangeProperty(enabled_, v, "Enabled"); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { ChangeProperty(visible_, v, "Visible"); }
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& v) { ChangeProperty(hint_, v, "Hint"); }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v) { ChangeProperty(imageIndex_, v, "ImageIndex"); }

  // --- child items, owned, in order ---
  int Count() const { return static_cast<int>(items_.size()); }
  // Asserts a valid index.
  TMenuItem* Items(int index) const;
  TMenuItem* Parent() const { return parent_; }
  // A new child item at the end.
  TMenuItem* Add(const AnsiString& caption, TShortCut shortCut = scNone);
  // Frees the child item at index; false when there is none.
  bool Delete(int index);
  int IndexOf(const TMenuItem* item) const;
  // Visible and enabled, and so is every parent.
  bool Available() const;

  // Runs OnClick when enabled (a programmatic click runs the same handler).
  virtual void Click();

  // Items nested in a form resource: the enclosing item or menu is the
  // parent (the form owns them all, the parent lists them in order). An
  // item of a menu reports the menu as its parent component.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  // A TMenuItem or a TMenu (then its root item); anything else raises
  // EComponentError. The item moves to the end of the new parent's items.
  void SetParentComponent(TComponent* parent) override;
  // The available item in this tree (this item included) with shortCut.
  TMenuItem* FindShortCut(TShortCut shortCut);

  TNotifyEvent OnClick;

 private:
  AnsiString caption_;
  AnsiString hint_;
  TShortCut shortCut_ = scNone;
  int groupIndex_ = 0;
  int imageIndex_ = -1;
  bool checked_ = false;
  bool radioItem_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
};

// What TMainMenu and TPopupMenu share: the root of the item tree.
class TMenu : public TComponent {
  PLATFORM_CLASS(TMenu)

 public:
  explicit TMenu(TComponent* owner);

  // The root item (not shown itself); its children are the menu.
  TMenuItem* Items() const { return items_; }
  // Clicks the available item with the shortcut of key and shift; true
  // when one was clicked.
  bool IsShortCut(Word key, TShiftState shift);

 private:
  TMenuItem* items_;
};

class TMainMenu : public TMenu {
  PLATFORM_CLASS(TMainMenu)

 public:
  explicit TMainMenu(TComponent* owner);
};

class TPopupMenu : public TMenu {
  PLATFORM_CLASS(TPopupMenu)

 public:
  explicit TPopupMenu(TComponent* owner);

  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool v) { ChangeProperty(autoPopup_, v, "AutoPopup"); }
  // Runs OnPopup, then opens the menu at the screen point (the renderer
  // shows it while IsOpen); the handler may change the items first.
  void Popup(int x, int y);
  // The menu closes (the renderer reports it).
  void CloseUp() { open_ = false; }
  bool IsOpen() const { return open_; }
  int PopupX() const { return popupX_; }
  int PopupY() const { return popupY_; }

  TNotifyEvent OnPopup;

 private:
  bool autoPopup_ = true;
  bool open_ = false;
  int popupX_ = 0;
  int popupY_ = 0;
};

// Offers a key the form did not consume to the menus the form owns: its
// main menus first, then its pop-up menus (a control's only while the
// focus is on it). Sets key to 0 and returns true when an item was clicked.
bool DispatchMenuShortCut(TCustomForm& form, Word& key, TShiftState shift);

}  // namespace platform
