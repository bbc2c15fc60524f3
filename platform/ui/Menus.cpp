#include "platform/ui/Menus.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <string>

#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Control.h"
#include "platform/ui/Form.h"

namespace platform {

namespace {

struct TKeyName {
  Word key;
  const char* name;
};

// Named keys besides letters, digits and F1..F12.
constexpr TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"},  {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},   {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},  {VK_DELETE, "Del"},
};

bool SameAscii(const std::string& a, const char* b) {
  const std::string other = b;
  if (a.size() != other.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(other[i])))
      return false;
  }
  return true;
}

// The key a name stands for; 0 when none.
Word KeyOfName(const std::string& name) {
  if (name.size() == 1) {
    const auto c = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(name[0])));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    return 0;
  }
  if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3 &&
      std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const int n = std::stoi(name.substr(1));
    if (n >= 1 && n <= 12) return static_cast<Word>(VK_F1 + n - 1);
    return 0;
  }
  for (const TKeyName& k : kKeyNames) {
    if (SameAscii(name, k.name)) return k.key;
  }
  return 0;
}

std::string NameOfKey(Word key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F12) return "F" + std::to_string(key - VK_F1 + 1);
  for (const TKeyName& k : kKeyNames) {
    if (k.key == key) return k.name;
  }
  return "";
}

}  // namespace

TShortCut ShortCut(Word key, TShiftState shift) {
  if (key == 0 || key > 0xFF) return scNone;
  TShortCut s = key;
  if (shift.Contains(ssShift)) s |= scShift;
  if (shift.Contains(ssCtrl)) s |= scCtrl;
  if (shift.Contains(ssAlt)) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift) {
  key = shortCut & 0xFF;
  shift = TShiftState();
  if (shortCut & scShift) shift.Include(ssShift);
  if (shortCut & scCtrl) shift.Include(ssCtrl);
  if (shortCut & scAlt) shift.Include(ssAlt);
}

TShortCut TextToShortCut(const AnsiString& text) {
  std::string rest = Trim(text).c_str();
  TShortCut modifiers = 0;
  // "Ctrl++" would name the plus key, which has no name here; a trailing
  // "+" is taken as part of the key name and fails.
  while (true) {
    const std::size_t plus = rest.find('+');
    if (plus == std::string::npos || plus == 0 || plus + 1 == rest.size()) break;
    const std::string part = rest.substr(0, plus);
    if (SameAscii(part, "Ctrl")) modifiers |= scCtrl;
    else if (SameAscii(part, "Shift")) modifiers |= scShift;
    else if (SameAscii(part, "Alt")) modifiers |= scAlt;
    else return scNone;
    rest = rest.substr(plus + 1);
  }
  if (rest.empty()) return scNone;
  const Word key = KeyOfName(rest);
  if (key == 0) return scNone;
  return static_cast<TShortCut>(key | modifiers);
}

AnsiString ShortCutToText(TShortCut shortCut) {
  const std::string name = NameOfKey(shortCut & 0xFF);
  if (name.empty()) return "";
  std::string text;
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scAlt) text += "Alt+";
  text += name;
  return AnsiString(text.c_str());
}

AnsiString StripHotkey(const AnsiString& caption) {
  const std::string in = caption.c_str();
  std::string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '&') {
      if (i + 1 < in.size() && in[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += in[i];
    // A double-byte character is copied whole (its second byte is never "&"
    // in the process code page, but keeps the scan aligned).
    if (caption.IsLeadByteAt(i + 1) && i + 1 < in.size()) out += in[++i];
  }
  return AnsiString(out.c_str());
}

char GetHotkey(const AnsiString& caption) {
  const std::string in = caption.c_str();
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (caption.IsLeadByteAt(i + 1) && i + 1 < in.size()) {
      ++i;
      continue;
    }
    if (in[i] != '&') continue;
    if (i + 1 >= in.size()) return 0;
    if (in[i + 1] == '&') {
      ++i;
      continue;
    }
    const auto c = static_cast<unsigned char>(in[i + 1]);
    if (c >= 0x80) return 0;  // a double-byte accelerator has no key
    return static_cast<char>(std::toupper(c));
  }
  return 0;
}

// --- TMenuItem ---

const TClassInfo& TMenuItem::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TMenuItem>("TMenuItem", TComponent::StaticClass())
          .String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
          .Integer("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Default(0)
          .Boolean("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false)
          .Boolean("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false)
          .Integer("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0)
          .Boolean("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true)
          .Boolean("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true)
          .String("Hint", &TMenuItem::Hint, &TMenuItem::SetHint)
          .Integer("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1)
          .Event("OnClick", &TMenuItem::OnClick)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TMenuItem);

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  // The children are freed with this item (they are owned by it); they
  // must not reach back into this item's list while that happens.
  for (TMenuItem* child : items_) child->parent_ = nullptr;
  items_.clear();
  if (parent_) {
    auto& siblings = parent_->items_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_->MarkChanged("Items");
  }
}

TMenuItem* TMenuItem::Items(int index) const {
  assert(index >= 0 && index < Count());
  return items_[static_cast<std::size_t>(index)];
}

TMenuItem* TMenuItem::Add(const AnsiString& caption, TShortCut shortCut) {
  auto* item = new TMenuItem(this);
  item->caption_ = caption;
  item->shortCut_ = shortCut;
  item->parent_ = this;
  items_.push_back(item);
  MarkChanged("Items");
  return item;
}

bool TMenuItem::Delete(int index) {
  if (index < 0 || index >= Count()) return false;
  delete items_[static_cast<std::size_t>(index)];  // unlinks itself
  return true;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  const auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

bool TMenuItem::Available() const {
  for (const TMenuItem* i = this; i; i = i->parent_) {
    if (!i->visible_ || !i->enabled_) return false;
  }
  return true;
}

void TMenuItem::SetChecked(bool v) {
  if (!ChangeProperty(checked_, v, "Checked")) return;
  if (!v || !radioItem_ || !parent_) return;
  for (TMenuItem* sibling : parent_->items_) {
    if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_)
      sibling->ChangeProperty(sibling->checked_, false, "Checked");
  }
}

TComponent* TMenuItem::GetParentComponent() const {
  if (!parent_) return nullptr;
  // The root item is never shown: the menu stands for it.
  if (auto* menu = dynamic_cast<TMenu*>(parent_->Owner()); menu && menu->Items() == parent_) return menu;
  return parent_;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  TMenuItem* target = nullptr;
  if (auto* menu = dynamic_cast<TMenu*>(parent)) target = menu->Items();
  else if (auto* item = dynamic_cast<TMenuItem*>(parent)) target = item;
  else if (parent)
    throw EComponentError(AnsiString("Menu item '") + Name() + "' cannot have " + parent->Name() +
                          " as its parent");
  if (target == parent_) return;
  for (const TMenuItem* p = target; p; p = p->parent_)
    if (p == this) throw EComponentError(AnsiString("Menu item '") + Name() + "' cannot be placed inside itself");
  if (parent_) {
    auto& siblings = parent_->items_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_->MarkChanged("Items");
  }
  parent_ = target;
  if (target) {
    target->items_.push_back(this);
    target->MarkChanged("Items");
  }
}

void TMenuItem::Click() {
  if (!enabled_) return;
  OnClick(this);
}

TMenuItem* TMenuItem::FindShortCut(TShortCut shortCut) {
  if (shortCut == scNone || !visible_ || !enabled_) return nullptr;
  if (shortCut_ == shortCut && !IsLine()) return this;
  for (TMenuItem* child : items_) {
    if (TMenuItem* found = child->FindShortCut(shortCut)) return found;
  }
  return nullptr;
}

// --- TMenu ---

const TClassInfo& TMenu::StaticClass() {
  static const TClassInfo info = TClassBuilder<TMenu>("TMenu", TComponent::StaticClass()).Build();
  return info;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {}

bool TMenu::IsShortCut(Word key, TShiftState shift) {
  const TShortCut s = ShortCut(key, shift);
  if (s == scNone) return false;
  // The root is never shown, so its own state does not hide the menu.
  for (int i = 0; i < items_->Count(); ++i) {
    if (TMenuItem* found = items_->Items(i)->FindShortCut(s)) {
      found->Click();
      return true;
    }
  }
  return false;
}

const TClassInfo& TMainMenu::StaticClass() {
  static const TClassInfo info = TClassBuilder<TMainMenu>("TMainMenu", TMenu::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TMainMenu);

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

const TClassInfo& TPopupMenu::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TPopupMenu>("TPopupMenu", TMenu::StaticClass())
          .Boolean("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true)
          .Event("OnPopup", &TPopupMenu::OnPopup)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TPopupMenu);

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

void TPopupMenu::Popup(int x, int y) {
  OnPopup(this);
  popupX_ = x;
  popupY_ = y;
  open_ = true;
  MarkChanged("Open");
}

namespace {

// Whether menu is the pop-up menu of a control in owner's tree, and of one
// that has the focus or holds the focused control.
void FindPopupOwners(const TComponent& owner, const TPopupMenu* menu, const TWinControl* focused, bool& attached,
                     bool& onFocus) {
  for (int i = 0; i < owner.ComponentCount(); ++i) {
    const TComponent* c = owner.Components(i);
    if (const auto* control = dynamic_cast<const TControl*>(c); control && control->PopupMenu() == menu) {
      attached = true;
      const auto* windowed = dynamic_cast<const TWinControl*>(control);
      if (focused && (control == focused || (windowed && windowed->ContainsControl(focused)))) onFocus = true;
    }
    FindPopupOwners(*c, menu, focused, attached, onFocus);
  }
}

}  // namespace

bool DispatchMenuShortCut(TCustomForm& form, Word& key, TShiftState shift) {
  if (key == 0) return false;
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < form.ComponentCount(); ++i) {
      TComponent* c = form.Components(i);
      TMenu* menu = pass == 0 ? static_cast<TMenu*>(dynamic_cast<TMainMenu*>(c))
                              : static_cast<TMenu*>(dynamic_cast<TPopupMenu*>(c));
      if (!menu) continue;
      // A control's pop-up menu answers only while the focus is on that
      // control: its Ctrl+Delete must not delete a grid row while the user
      // edits a field elsewhere.
      if (pass == 1) {
        bool attached = false, onFocus = false;
        FindPopupOwners(form, static_cast<TPopupMenu*>(menu), form.ActiveControl(), attached, onFocus);
        if (attached && !onFocus) continue;
      }
      if (menu->IsShortCut(key, shift)) {
        key = 0;
        return true;
      }
    }
  }
  return false;
}

}  // namespace platform
