#include "platform/ui/ListBox.h"

#include <algorithm>
#include <string>

#include "platform/ui/ClassBuilder.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TListBoxStyle) {
  static const TTypeInfo t =
      TTypeInfo::Enumeration("TListBoxStyle", {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"});
  return t;
}

namespace {

AnsiString IndexList(const std::vector<bool>& marks) {
  std::string out;
  for (std::size_t i = 0; i < marks.size(); ++i) {
    if (!marks[i]) continue;
    if (!out.empty()) out += ',';
    out += std::to_string(i);
  }
  return AnsiString(out.c_str());
}

}  // namespace

// --- TListBox ---

const TClassInfo& TListBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TListBox>("TListBox", TWinControl::StaticClass())
          .Enumeration("Align", &TListBox::Align, &TListBox::SetAlign).Default(alNone)
          .Integer("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight).Default(13)
          .Strings("Items", &TListBox::Items, &TListBox::SetItems)
          .Integer("ItemIndex", &TListBox::ItemIndex, &TListBox::SetItemIndex).Default(-1)
          .Boolean("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect).Default(false)
          .String("SelectedItems", &TListBox::SelectedItems, nullptr)
          .Boolean("Sorted", &TListBox::Sorted, &TListBox::SetSorted).Default(false)
          .Enumeration("Style", &TListBox::Style, &TListBox::SetStyle).Default(lbStandard)
          .Event("OnDblClick", &TListBox::OnDblClick)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TListBox);

TListBox::TListBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 97);
  SetColor(clWindow);
}

std::vector<bool>& TListBox::Marks(std::vector<bool>& marks) const {
  marks.resize(static_cast<std::size_t>(items_->Count()), false);
  return marks;
}

void TListBox::SetItems(const TStringList& items) {
  if (&items == items_.get()) return;
  items_->Clear();
  for (int i = 0; i < items.Count(); ++i) items_->Add(items[i]);
  MarkChanged("Items");
}

int TListBox::ItemIndex() const { return itemIndex_ < items_->Count() ? itemIndex_ : -1; }

void TListBox::SetItemIndex(int index) {
  // A resource may set ItemIndex before its Items: kept until Loaded.
  if (index < -1 || (!Loading() && index >= items_->Count())) index = -1;
  std::vector<bool>& marks = Marks(selected_);
  std::fill(marks.begin(), marks.end(), false);
  if (index >= 0 && index < items_->Count()) marks[static_cast<std::size_t>(index)] = true;
  ChangeProperty(itemIndex_, index, "ItemIndex");
  MarkChanged("SelectedItems");
}

void TListBox::Loaded() {
  TWinControl::Loaded();
  SetItemIndex(itemIndex_);
}

void TListBox::SetMultiSelect(bool v) {
  if (!ChangeProperty(multiSelect_, v, "MultiSelect") || v) return;
  SetItemIndex(ItemIndex());
}

bool TListBox::Selected(int index) const {
  if (index < 0 || index >= items_->Count()) return false;
  return Marks(selected_)[static_cast<std::size_t>(index)];
}

void TListBox::SetSelected(int index, bool v) {
  if (index < 0 || index >= items_->Count()) return;
  if (!multiSelect_) {
    if (v) SetItemIndex(index);
    else if (index == ItemIndex()) SetItemIndex(-1);
    return;
  }
  std::vector<bool>& marks = Marks(selected_);
  if (marks[static_cast<std::size_t>(index)] == v) return;
  marks[static_cast<std::size_t>(index)] = v;
  MarkChanged("SelectedItems");
}

int TListBox::SelCount() const {
  const std::vector<bool>& marks = Marks(selected_);
  return static_cast<int>(std::count(marks.begin(), marks.end(), true));
}

void TListBox::ClearSelection() {
  std::vector<bool>& marks = Marks(selected_);
  if (std::find(marks.begin(), marks.end(), true) == marks.end()) return;
  std::fill(marks.begin(), marks.end(), false);
  MarkChanged("SelectedItems");
}

AnsiString TListBox::SelectedItems() const { return IndexList(Marks(selected_)); }

void TListBox::SetSorted(bool v) {
  if (v == items_->Sorted()) return;
  items_->SetSorted(v);
  // Sorting moves the items away from their marks.
  ClearSelection();
  ChangeProperty(itemIndex_, -1, "ItemIndex");
  MarkChanged("Sorted");
}

bool TListBox::TakesUserInput(int index) const {
  return Showing() && EnabledChain() && index >= 0 && index < items_->Count();
}

bool TListBox::UserSelect(int index, TShiftState shift) {
  if (!TakesUserInput(index)) return false;
  if (multiSelect_ && shift.Contains(ssCtrl)) {
    SetSelected(index, !Selected(index));
    ChangeProperty(itemIndex_, index, "ItemIndex");
  } else if (multiSelect_ && shift.Contains(ssShift) && ItemIndex() >= 0) {
    const int from = std::min(ItemIndex(), index), to = std::max(ItemIndex(), index);
    std::vector<bool>& marks = Marks(selected_);
    for (int i = 0; i < static_cast<int>(marks.size()); ++i) marks[static_cast<std::size_t>(i)] = i >= from && i <= to;
    MarkChanged("SelectedItems");
    ChangeProperty(itemIndex_, index, "ItemIndex");
  } else {
    SetItemIndex(index);
  }
  Click();
  return true;
}

bool TListBox::UserDblClick(int index) {
  if (!TakesUserInput(index)) return false;
  if (!multiSelect_ || !Selected(index)) SetItemIndex(index);
  OnDblClick(this);
  return true;
}

// --- TCheckListBox ---

const TClassInfo& TCheckListBox::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCheckListBox>("TCheckListBox", TListBox::StaticClass())
                                     .String("CheckedItems", &TCheckListBox::CheckedItems, nullptr)
                                     .Event("OnClickCheck", &TCheckListBox::OnClickCheck)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TCheckListBox);

bool TCheckListBox::Checked(int index) const {
  if (index < 0 || index >= Count()) return false;
  return Marks(checked_)[static_cast<std::size_t>(index)];
}

void TCheckListBox::SetChecked(int index, bool v) {
  if (index < 0 || index >= Count()) return;
  std::vector<bool>& marks = Marks(checked_);
  if (marks[static_cast<std::size_t>(index)] == v) return;
  marks[static_cast<std::size_t>(index)] = v;
  MarkChanged("CheckedItems");
}

AnsiString TCheckListBox::CheckedItems() const { return IndexList(Marks(checked_)); }

bool TCheckListBox::UserToggleCheck(int index) {
  if (!TakesUserInput(index)) return false;
  SetChecked(index, !Checked(index));
  OnClickCheck(this);
  return true;
}

}  // namespace platform
