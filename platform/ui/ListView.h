// List views, headless: TListView with its TListColumn columns and TListItem
// items.
//
// Columns and Items are collections, published as "Columns" and "Items",
// so language files and the renderer reach them by index
// ("Columns_1.Caption", "Items_0.Caption"). An item has a caption, sub-items
// (the texts of the further columns in report style, changed through the
// item so the change reaches the renderer), an image index and a selected
// mark.
//
// Selection: without MultiSelect at most one item is selected, and
// selecting one deselects the other. Every change of an item's selected
// mark (by code or by the user) runs OnSelectItem with the item and its
// new mark, the deselection first. ItemIndex is the first selected item
// (-1: none); setting it selects that item alone (out of range: none).
//
// The user (the renderer reports it): UserSelectItem chooses an item
// (with Ctrl added to a MultiSelect selection, toggling) and runs OnClick;
// UserDblClickItem chooses it and runs OnDblClick; UserEditCaption ends an
// in-place edit of a caption: OnEditing may refuse the edit, OnEdited may
// change the text (or set it back to the old caption). All of them are
// dropped (false) when the view is hidden, disabled or the index out of
// range; editing also when ReadOnly.
//
// SortType stText keeps the items in the order of their captions (byte
// order, ASCII case ignored, ties in the order they came).
#pragma once

#include <memory>

#include "platform/StringList.h"
#include "platform/ui/Collection.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/StdCtrls.h"

namespace platform {

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
const TTypeInfo& EnumTypeInfo(TViewStyle);

enum TSortType { stNone, stData, stText, stBoth };
const TTypeInfo& EnumTypeInfo(TSortType);

class TListView;
class TListItem;

// (Sender, Item, Selected)
using TLVSelectItemEvent = TEvent<"TLVSelectItemEvent", TObject*, TListItem*, bool>;
// (Sender, Item, var AllowEdit)
using TLVEditingEvent = TEvent<"TLVEditingEvent", TObject*, TListItem*, bool&>;
// (Sender, Item, var S)
using TLVEditedEvent = TEvent<"TLVEditedEvent", TObject*, TListItem*, AnsiString&>;

class TListColumn : public TCollectionItem {
  PLATFORM_CLASS(TListColumn)

 public:
  explicit TListColumn(TCollection* collection) : TCollectionItem(collection) {}

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v) { ChangeProperty(caption_, v, "Caption"); }
  int Width() const { return width_; }
  void SetWidth(int v) { ChangeProperty(width_, v < 0 ? 0 : v, "Width"); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { ChangeProperty(alignment_, v, "Alignment"); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v) { ChangeProperty(autoSize_, v, "AutoSize"); }

  AnsiString DisplayName() const override { return caption_.IsEmpty() ? TCollectionItem::DisplayName() : caption_; }
  void Assign(const TPersistent& source) override;

 private:
  AnsiString caption_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = false;
};

using TListColumns = TCollectionOf<TListColumn>;

class TListItem : public TCollectionItem {
  PLATFORM_CLASS(TListItem)

 public:
  explicit TListItem(TCollection* collection);

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v);
  // The texts of the further columns.
  const TStringList* SubItems() const { return subItems_.get(); }
  void SetSubItems(const TStringList& items);
  void AddSubItem(const AnsiString& text);
  // Sets sub-item index, adding empty ones until it exists.
  void SetSubItem(int index, const AnsiString& text);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v) { ChangeProperty(imageIndex_, v < -1 ? -1 : v, "ImageIndex"); }
  bool Selected() const { return selected_; }
  // Through the list view: keeps a single selection single, runs
  // OnSelectItem.
  void SetSelected(bool v);

  // The list view of the item; nullptr outside one.
  TListView* ListView() const;
  void Assign(const TPersistent& source) override;
  AnsiString DisplayName() const override { return caption_.IsEmpty() ? TCollectionItem::DisplayName() : caption_; }

 private:
  friend class TListView;
  AnsiString caption_;
  std::unique_ptr<TStringList> subItems_ = std::make_unique<TStringList>();
  int imageIndex_ = -1;
  bool selected_ = false;
};

class TListItems : public TCollectionOf<TListItem> {
 public:
  explicit TListItems(TListView* view) : view_(view) {}
  // A new item with that caption at the end (then sorted).
  TListItem* Add(const AnsiString& caption = AnsiString());

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TListView* view_;
};

class TListView : public TWinControl {
  PLATFORM_CLASS(TListView)

 public:
  explicit TListView(TComponent* owner);
  ~TListView() override;

  TListColumns* Columns() const { return columns_.get(); }
  void SetColumns(const TListColumns& columns) { columns_->Assign(columns); }
  TListItems* Items() const { return items_.get(); }
  void SetItems(const TListItems& items) { items_->Assign(items); }

  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle v) { ChangeProperty(viewStyle_, v, "ViewStyle"); }
  bool MultiSelect() const { return multiSelect_; }
  // Turning it off keeps the first selected item only.
  void SetMultiSelect(bool v);
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool v) { ChangeProperty(rowSelect_, v, "RowSelect"); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { ChangeProperty(readOnly_, v, "ReadOnly"); }
  TSortType SortType() const { return sortType_; }
  void SetSortType(TSortType v);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { ChangeProperty(align_, v, "Align"); }
  TImageList* LargeImages() const { return largeImages_.get(); }
  void SetLargeImages(TImageList* images);
  TImageList* SmallImages() const { return smallImages_.get(); }
  void SetSmallImages(TImageList* images);

  // The first selected item; nullptr when none.
  TListItem* Selected() const;
  int SelCount() const;
  int ItemIndex() const;
  void SetItemIndex(int index);
  // Deselects every item.
  void ClearSelection();
  // Sorts the items by caption once (whatever SortType).
  void AlphaSort();

  // The user's input; see above.
  bool UserSelectItem(int index, TShiftState shift = TShiftState());
  bool UserDblClickItem(int index);
  bool UserEditCaption(int index, const AnsiString& text);

  TNotifyEvent OnDblClick;
  TLVSelectItemEvent OnSelectItem;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;

 private:
  friend class TListItem;
  friend class TListItems;
  void ChangeSelected(TListItem* item, bool selected);
  void SortIfNeeded();
  bool TakesUserInput(int index) const;

  std::unique_ptr<TListColumns> columns_ = std::make_unique<TListColumns>();
  std::unique_ptr<TListItems> items_;
  TViewStyle viewStyle_ = vsIcon;
  bool multiSelect_ = false;
  bool rowSelect_ = false;
  bool readOnly_ = false;
  bool sorting_ = false;
  TSortType sortType_ = stNone;
  TAlign align_ = alNone;
  TComponentPtr<TImageList> largeImages_;
  TComponentPtr<TImageList> smallImages_;
};

}  // namespace platform
