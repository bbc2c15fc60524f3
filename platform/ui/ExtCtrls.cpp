#include "platform/ui/ExtCtrls.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TScrollStyle) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
  return t;
}

const TTypeInfo& EnumTypeInfo(TComboBoxStyle) {
  static const TTypeInfo t = TTypeInfo::Enumeration(
      "TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"});
  return t;
}

namespace {

// The lines of text, broken at CR LF, CR or LF; a break at the end leaves
// an empty last line.
std::vector<AnsiString> SplitLines(const AnsiString& text) {
  std::vector<AnsiString> lines;
  const std::string& bytes = text.Bytes();
  std::string line;
  bool any = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    any = true;
    if (c == '\r' || c == '\n') {
      lines.push_back(AnsiString::FromBytes(line));
      line.clear();
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      continue;
    }
    line += c;
  }
  if (any) lines.push_back(AnsiString::FromBytes(line));
  return lines;
}

}  // namespace

// --- TMemo ---

const TClassInfo& TMemo::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TMemo>("TMemo", TWinControl::StaticClass())
          .Enumeration("Align", &TMemo::Align, &TMemo::SetAlign).Default(alNone)
          .Strings("Lines", &TMemo::Lines, &TMemo::SetLines)
          .Integer("MaxLength", &TMemo::MaxLength, &TMemo::SetMaxLength).Default(0)
          .Boolean("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly).Default(false)
          .Enumeration("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars).Default(ssNone)
          .Boolean("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns).Default(true)
          .Boolean("WantTabs", &TMemo::WantTabs, &TMemo::SetWantTabs).Default(false)
          .Boolean("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap).Default(true)
          .Event("OnChange", &TMemo::OnChange)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TMemo);

TMemo::TMemo(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 89);
  SetTabStop(true);
  SetColor(clWindow);
}

AnsiString TMemo::Text() const {
  AnsiString text;
  for (int i = 0; i < lines_->Count(); ++i) {
    if (i > 0) text += "\r\n";
    text += (*lines_)[i];
  }
  return text;
}

bool TMemo::StoreText(const AnsiString& text) {
  if (text == Text()) return false;
  lines_->Clear();
  for (const AnsiString& line : SplitLines(text)) lines_->Add(line);
  MarkChanged("Lines");
  if (!Loading()) OnChange(this);
  return true;
}

void TMemo::SetText(const AnsiString& text) { StoreText(text); }

void TMemo::SetLines(const TStringList& lines) {
  if (lines.Count() == lines_->Count()) {
    bool same = true;
    for (int i = 0; i < lines.Count() && same; ++i) same = lines[i] == (*lines_)[i];
    if (same) return;
  }
  *lines_ = lines;
  MarkChanged("Lines");
  if (!Loading()) OnChange(this);
}

bool TMemo::EnterText(const AnsiString& text) {
  if (readOnly_) return false;
  AnsiString value = text;
  if (maxLength_ > 0) value = value.Truncated(static_cast<std::size_t>(maxLength_));
  StoreText(value);
  return true;
}

bool TMemo::WantsKey(Word key, TShiftState shift) const {
  if (key == VK_RETURN) return wantReturns_;
  if (key == VK_TAB) return wantTabs_ && !shift.Contains(ssCtrl);
  return false;
}

void TMemo::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (key == 0) return;
  const auto byte = static_cast<unsigned char>(key);
  const AnsiString text = Text();
  if (key == '\b') {
    key = 0;
    pendingLead_ = 0;
    if (readOnly_ || text.IsEmpty()) return;
    if (text.Length() >= 2 && text.SubString(text.Length() - 1, 2) == "\r\n") {
      StoreText(text.SubString(1, text.Length() - 2));
      return;
    }
    // Dropping one byte without splitting a character drops the whole last
    // character, a double-byte one included.
    StoreText(text.Truncated(text.Length() - 1));
    return;
  }
  AnsiString typed;
  if (key == '\r') {
    if (!wantReturns_) return;  // the form's key: the focus moves on
    typed = "\r\n";
  } else if (key == '\t') {
    if (!wantTabs_) return;
    typed = "\t";
  } else if (byte < 0x20) {
    return;
  } else if (pendingLead_) {
    typed += pendingLead_;
    typed += static_cast<char>(byte);
    pendingLead_ = 0;
  } else if (IsLeadByte(ProcessCodePage(), byte)) {
    key = 0;
    if (!readOnly_) pendingLead_ = static_cast<char>(byte);
    return;
  } else {
    typed += static_cast<char>(byte);
  }
  key = 0;
  if (readOnly_) {
    pendingLead_ = 0;
    return;
  }
  const AnsiString next = text + typed;
  // A character (or line break) that does not fit is refused whole.
  if (maxLength_ > 0 && next.Length() > static_cast<std::size_t>(maxLength_)) return;
  StoreText(next);
}

void TMemo::KeyDown(Word& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == VK_RETURN && wantReturns_) return;  // the line break arrives as a character
  PressFormButtonForKey(*this, key);
}

// --- TComboBox ---

const TClassInfo& TComboBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TComboBox>("TComboBox", TWinControl::StaticClass())
          .Enumeration("Align", &TComboBox::Align, &TComboBox::SetAlign).Default(alNone)
          .Enumeration("Style", &TComboBox::Style, &TComboBox::SetStyle).Default(csDropDown)
          .Integer("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount).Default(8)
          .Strings("Items", &TComboBox::Items, &TComboBox::SetItems)
          .Integer("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex).Default(-1)
          .String("Text", &TComboBox::Text, &TComboBox::SetText)
          .Event("OnChange", &TComboBox::OnChange)
          .Event("OnSelect", &TComboBox::OnSelect)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TComboBox);

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

int TComboBox::IndexOfText(const AnsiString& text) const {
  for (int i = 0; i < items_->Count(); ++i)
    if ((*items_)[i] == text) return i;
  return -1;
}

int TComboBox::ItemIndex() const {
  if (itemIndex_ < 0) return -1;
  if (itemIndex_ < items_->Count() && (*items_)[itemIndex_] == selectedText_) return itemIndex_;
  itemIndex_ = IndexOfText(selectedText_);
  return itemIndex_;
}

AnsiString TComboBox::Text() const {
  if (style_ == csDropDownList) return ItemIndex() >= 0 ? selectedText_ : AnsiString();
  return TControl::Text();
}

void TComboBox::Store(int index, const AnsiString& text) {
  const int indexBefore = ItemIndex();
  const AnsiString textBefore = Text();
  itemIndex_ = index;
  selectedText_ = index >= 0 ? (*items_)[index] : AnsiString();
  TControl::SetText(text);
  if (ItemIndex() != indexBefore) MarkChanged("ItemIndex");
  if (Text() != textBefore) MarkChanged("Text");
}

void TComboBox::SetItems(const TStringList& items) {
  const int indexBefore = ItemIndex();
  *items_ = items;
  MarkChanged("Items");
  if (ItemIndex() != indexBefore) MarkChanged("ItemIndex");
}

void TComboBox::SetItemIndex(int index) {
  if (Loading()) loadedIndex_ = index;
  if (index < 0 || index >= items_->Count()) {
    Store(-1, "");
    return;
  }
  Store(index, (*items_)[index]);
}

void TComboBox::SetText(const AnsiString& text) {
  const int index = IndexOfText(text);
  if (style_ == csDropDownList) Store(index, index >= 0 ? text : AnsiString());
  else Store(index, text);
}

void TComboBox::SetStyle(TComboBoxStyle v) {
  if (v < csDropDown || v > csOwnerDrawVariable) v = csDropDown;
  const AnsiString textBefore = Text();
  if (!ChangeProperty(style_, v, "Style")) return;
  // A list-only box shows its selection alone.
  if (style_ == csDropDownList) TControl::SetText(Text());
  if (Text() != textBefore) MarkChanged("Text");
}

void TComboBox::Loaded() {
  TWinControl::Loaded();
  if (loadedIndex_ >= 0) SetItemIndex(loadedIndex_);
  loadedIndex_ = -1;
}

bool TComboBox::UserSelect(int index) {
  if (!Showing() || !EnabledChain()) return false;
  if (index < 0 || index >= items_->Count()) return false;
  Store(index, (*items_)[index]);
  if (OnSelect) OnSelect(this);
  else OnChange(this);
  return true;
}

bool TComboBox::UserEnterText(const AnsiString& text) {
  if (!Showing() || !EnabledChain() || style_ == csDropDownList) return false;
  if (text == Text()) return true;
  Store(IndexOfText(text), text);
  OnChange(this);
  return true;
}

void TComboBox::KeyDown(Word& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  PressFormButtonForKey(*this, key);
}

// --- TRadioGroup ---

const TClassInfo& TRadioGroup::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TRadioGroup>("TRadioGroup", TWinControl::StaticClass())
          .Enumeration("Align", &TRadioGroup::Align, &TRadioGroup::SetAlign).Default(alNone)
          .Integer("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns).Default(1)
          .Integer("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex).Default(-1)
          .Strings("Items", &TRadioGroup::Items, &TRadioGroup::SetItems)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TRadioGroup);

TRadioGroup::TRadioGroup(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 105);
  SetTabStop(true);
}

void TRadioGroup::SetItems(const TStringList& items) {
  const int indexBefore = ItemIndex();
  *items_ = items;
  MarkChanged("Items");
  if (ItemIndex() != indexBefore) MarkChanged("ItemIndex");
}

int TRadioGroup::ItemIndex() const {
  if (itemIndex_ < 0) return -1;
  return std::min(itemIndex_, items_->Count() - 1);
}

void TRadioGroup::SetItemIndex(int index) {
  if (index < -1) index = -1;
  const int before = ItemIndex();
  itemIndex_ = index;
  if (ItemIndex() == before) return;
  MarkChanged("ItemIndex");
  if (!Loading()) Click();
}

void TRadioGroup::SetColumns(int v) { ChangeProperty(columns_, std::clamp(v, 1, 16), "Columns"); }

bool TRadioGroup::UserSelect(int index) {
  if (!Showing() || !EnabledChain()) return false;
  if (index < 0 || index >= items_->Count()) return false;
  SetItemIndex(index);
  return true;
}

}  // namespace platform
