// List boxes, headless: TListBox and TCheckListBox.
//
// Items is the list, one line per item (edited directly or through the
// list box; either way the next change set carries it). ItemIndex is the
// item with the focus rectangle (-1: none); without MultiSelect it is also
// the one selected item. With MultiSelect every item has its own selected
// mark (Selected); SelCount counts them. Setting ItemIndex by code selects
// that item alone and runs no event; an index out of range leaves none.
// Sorted keeps Items in order (as TStringList sorts). Marks of items that
// are no longer there are forgotten when Items shrink.
//
// The user (the renderer reports it): UserSelect chooses an item (with
// Ctrl toggling it in a MultiSelect list, with Shift extending the
// selection from ItemIndex) and runs OnClick; UserDblClick chooses it and
// runs OnDblClick. Dropped (false) when the list is hidden, disabled or
// the index out of range.
//
// Check-list boxes add a check mark per item (Checked); the user's
// UserToggleCheck flips it and runs OnClickCheck.
#pragma once

#include <memory>
#include <vector>

#include "platform/StringList.h"
#include "platform/ui/StdCtrls.h"

namespace platform {

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
const TTypeInfo& EnumTypeInfo(TListBoxStyle);

class TListBox : public TWinControl {
  PLATFORM_CLASS(TListBox)

 public:
  explicit TListBox(TComponent* owner);

  TStringList* Items() const { return items_.get(); }
  void SetItems(const TStringList& items);
  int Count() const { return items_->Count(); }
  int ItemIndex() const;
  void SetItemIndex(int index);
  bool MultiSelect() const { return multiSelect_; }
  // Turning it off keeps ItemIndex as the one selected item.
  void SetMultiSelect(bool v);
  bool Selected(int index) const;
  void SetSelected(int index, bool v);
  int SelCount() const;
  void ClearSelection();
  // The selected items' indexes, comma-separated ("0,3"); what the renderer
  // marks.
  AnsiString SelectedItems() const;
  bool Sorted() const { return items_->Sorted(); }
  void SetSorted(bool v);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int v) { ChangeProperty(itemHeight_, v < 1 ? 1 : v, "ItemHeight"); }
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle v) { ChangeProperty(style_, v, "Style"); }
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { ChangeProperty(align_, v, "Align"); }

  bool UserSelect(int index, TShiftState shift = TShiftState());
  bool UserDblClick(int index);

  TNotifyEvent OnDblClick;

 protected:
  void Loaded() override;
  bool TakesUserInput(int index) const;
  // The marks, as many as there are items.
  std::vector<bool>& Marks(std::vector<bool>& marks) const;

 private:
  std::unique_ptr<TStringList> items_ = std::make_unique<TStringList>();
  mutable std::vector<bool> selected_;
  int itemIndex_ = -1;
  bool multiSelect_ = false;
  int itemHeight_ = 13;
  TListBoxStyle style_ = lbStandard;
  TAlign align_ = alNone;
};

class TCheckListBox : public TListBox {
  PLATFORM_CLASS(TCheckListBox)

 public:
  explicit TCheckListBox(TComponent* owner) : TListBox(owner) {}

  bool Checked(int index) const;
  void SetChecked(int index, bool v);
  // The checked items' indexes, comma-separated.
  AnsiString CheckedItems() const;

  bool UserToggleCheck(int index);

  TNotifyEvent OnClickCheck;

 private:
  mutable std::vector<bool> checked_;
};

}  // namespace platform
