#include "platform/ui/ListView.h"

#include <algorithm>
#include <vector>

#include "platform/ui/ClassBuilder.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TViewStyle) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
  return t;
}

const TTypeInfo& EnumTypeInfo(TSortType) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TSortType", {"stNone", "stData", "stText", "stBoth"});
  return t;
}

// --- TListColumn ---

const TClassInfo& TListColumn::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TListColumn>("TListColumn", TCollectionItem::StaticClass())
          .Enumeration("Alignment", &TListColumn::Alignment, &TListColumn::SetAlignment).Default(taLeftJustify)
          .Boolean("AutoSize", &TListColumn::AutoSize, &TListColumn::SetAutoSize).Default(false)
          .String("Caption", &TListColumn::Caption, &TListColumn::SetCaption)
          .Integer("Width", &TListColumn::Width, &TListColumn::SetWidth).Default(50)
          .Build();
  return info;
}

void TListColumn::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TListColumn*>(&source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  SetCaption(other->caption_);
  SetWidth(other->width_);
  SetAlignment(other->alignment_);
  SetAutoSize(other->autoSize_);
}

// --- TListItem ---

const TClassInfo& TListItem::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TListItem>("TListItem", TCollectionItem::StaticClass())
          .String("Caption", &TListItem::Caption, &TListItem::SetCaption)
          .Integer("ImageIndex", &TListItem::ImageIndex, &TListItem::SetImageIndex).Default(-1)
          .Boolean("Selected", &TListItem::Selected, &TListItem::SetSelected).Default(false)
          .Strings("SubItems", &TListItem::SubItems, &TListItem::SetSubItems)
          .Build();
  return info;
}

TListItem::TListItem(TCollection* collection) : TCollectionItem(collection) {}

TListView* TListItem::ListView() const {
  return Collection() ? dynamic_cast<TListView*>(Collection()->GetOwner()) : nullptr;
}

void TListItem::SetCaption(const AnsiString& v) { ChangeProperty(caption_, v, "Caption"); }

void TListItem::SetSubItems(const TStringList& items) {
  if (&items == subItems_.get()) return;
  subItems_->Clear();
  for (int i = 0; i < items.Count(); ++i) subItems_->Add(items[i]);
  MarkChanged("SubItems");
}

void TListItem::AddSubItem(const AnsiString& text) {
  subItems_->Add(text);
  MarkChanged("SubItems");
}

void TListItem::SetSubItem(int index, const AnsiString& text) {
  if (index < 0 || index > 65535) return;
  while (subItems_->Count() <= index) subItems_->Add(AnsiString());
  if ((*subItems_)[index] == text) return;
  subItems_->Delete(index);
  subItems_->Insert(index, text);
  MarkChanged("SubItems");
}

void TListItem::SetSelected(bool v) {
  if (v == selected_) return;
  if (TListView* view = ListView()) {
    view->ChangeSelected(this, v);
    return;
  }
  ChangeProperty(selected_, v, "Selected");
}

void TListItem::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TListItem*>(&source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  SetCaption(other->caption_);
  SetSubItems(*other->subItems_);
  SetImageIndex(other->imageIndex_);
}

// --- TListItems ---

TListItem* TListItems::Add(const AnsiString& caption) {
  BeginUpdate();
  TListItem* item = TCollectionOf<TListItem>::Add();
  item->SetCaption(caption);
  EndUpdate();
  return item;
}

void TListItems::Update(TCollectionItem* item) {
  TCollectionOf<TListItem>::Update(item);
  if (view_ && !view_->Destroying()) view_->SortIfNeeded();
}

// --- TListView ---

const TClassInfo& TListView::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TListView>("TListView", TWinControl::StaticClass())
          .Enumeration("Align", &TListView::Align, &TListView::SetAlign).Default(alNone)
          .Object("Columns", &TListView::Columns, &TListView::SetColumns)
          .Object("Items", &TListView::Items, &TListView::SetItems)
          .Integer("ItemIndex", &TListView::ItemIndex, &TListView::SetItemIndex).Default(-1)
          .Reference("LargeImages", &TListView::LargeImages, &TListView::SetLargeImages)
          .Boolean("MultiSelect", &TListView::MultiSelect, &TListView::SetMultiSelect).Default(false)
          .Boolean("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly).Default(false)
          .Boolean("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect).Default(false)
          .Reference("SmallImages", &TListView::SmallImages, &TListView::SetSmallImages)
          .Enumeration("SortType", &TListView::SortType, &TListView::SetSortType).Default(stNone)
          .Enumeration("ViewStyle", &TListView::ViewStyle, &TListView::SetViewStyle).Default(vsIcon)
          .Event("OnDblClick", &TListView::OnDblClick)
          .Event("OnEdited", &TListView::OnEdited)
          .Event("OnEditing", &TListView::OnEditing)
          .Event("OnSelectItem", &TListView::OnSelectItem)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TListView);

TListView::TListView(TComponent* owner) : TWinControl(owner), items_(std::make_unique<TListItems>(this)) {
  SetBounds(0, 0, 250, 150);
  SetColor(clWindow);
  columns_->SetOwnerProperty(this, "Columns");
  items_->SetOwnerProperty(this, "Items");
}

TListView::~TListView() {
  // The items go before the view they report to.
  BeginDestroy();
  items_.reset();
}

void TListView::SetLargeImages(TImageList* images) {
  if (largeImages_.get() == images) return;
  largeImages_ = images;
  MarkChanged("LargeImages");
}

void TListView::SetSmallImages(TImageList* images) {
  if (smallImages_.get() == images) return;
  smallImages_ = images;
  MarkChanged("SmallImages");
}

void TListView::SetMultiSelect(bool v) {
  if (!ChangeProperty(multiSelect_, v, "MultiSelect") || v) return;
  if (TListItem* first = Selected()) ChangeSelected(first, true);
}

void TListView::SetSortType(TSortType v) {
  if (ChangeProperty(sortType_, v, "SortType")) SortIfNeeded();
}

TListItem* TListView::Selected() const {
  if (!items_) return nullptr;
  for (int i = 0; i < items_->Count(); ++i)
    if (items_->Items(i)->selected_) return items_->Items(i);
  return nullptr;
}

int TListView::SelCount() const {
  int n = 0;
  for (int i = 0; i < items_->Count(); ++i) n += items_->Items(i)->selected_ ? 1 : 0;
  return n;
}

int TListView::ItemIndex() const {
  TListItem* item = Selected();
  return item ? item->Index() : -1;
}

void TListView::SetItemIndex(int index) {
  if (index < 0 || index >= items_->Count()) {
    ClearSelection();
    return;
  }
  // Selecting without MultiSelect deselects the others; with it, the
  // others are deselected here.
  TListItem* item = items_->Items(index);
  for (int i = 0; i < items_->Count(); ++i)
    if (items_->Items(i) != item) ChangeSelected(items_->Items(i), false);
  ChangeSelected(item, true);
}

void TListView::ClearSelection() {
  for (int i = 0; i < items_->Count(); ++i) ChangeSelected(items_->Items(i), false);
}

void TListView::ChangeSelected(TListItem* item, bool selected) {
  if (selected && !multiSelect_) {
    for (int i = 0; i < items_->Count(); ++i) {
      TListItem* other = items_->Items(i);
      if (other != item && other->selected_) ChangeSelected(other, false);
    }
  }
  if (item->selected_ == selected) return;
  item->ChangeProperty(item->selected_, selected, "Selected");
  MarkChanged("ItemIndex");
  if (!Loading() && !Destroying()) OnSelectItem(this, item, selected);
}

void TListView::AlphaSort() {
  if (sorting_ || !items_) return;
  sorting_ = true;
  std::vector<TListItem*> order;
  for (int i = 0; i < items_->Count(); ++i) order.push_back(items_->Items(i));
  std::stable_sort(order.begin(), order.end(),
                   [](const TListItem* a, const TListItem* b) { return CompareText(a->Caption(), b->Caption()) < 0; });
  items_->BeginUpdate();
  for (int i = 0; i < static_cast<int>(order.size()); ++i) order[static_cast<std::size_t>(i)]->SetIndex(i);
  items_->EndUpdate();
  sorting_ = false;
}

void TListView::SortIfNeeded() {
  if (sortType_ == stText || sortType_ == stBoth) AlphaSort();
}

bool TListView::TakesUserInput(int index) const {
  return Showing() && EnabledChain() && index >= 0 && index < items_->Count();
}

bool TListView::UserSelectItem(int index, TShiftState shift) {
  if (!TakesUserInput(index)) return false;
  TListItem* item = items_->Items(index);
  if (multiSelect_ && shift.Contains(ssCtrl)) ChangeSelected(item, !item->selected_);
  else SetItemIndex(index);
  Click();
  return true;
}

bool TListView::UserDblClickItem(int index) {
  if (!TakesUserInput(index)) return false;
  SetItemIndex(index);
  OnDblClick(this);
  return true;
}

bool TListView::UserEditCaption(int index, const AnsiString& text) {
  if (readOnly_ || !TakesUserInput(index)) return false;
  TListItem* item = items_->Items(index);
  bool allow = true;
  OnEditing(this, item, allow);
  if (!allow) return false;
  AnsiString s = text;
  OnEdited(this, item, s);
  item->SetCaption(s);
  return true;
}

}  // namespace platform
