#include "platform/ui/Collection.h"

#include <algorithm>
#include <cassert>

#include "platform/Exceptions.h"
#include "platform/FloatFormat.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TCollectionItem::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCollectionItem>("TCollectionItem", TPersistent::StaticClass()).Build();
  return info;
}

const TClassInfo& TCollection::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCollection>("TCollection", TPersistent::StaticClass()).Build();
  return info;
}

TCollectionItem::TCollectionItem(TCollection* collection) {
  if (collection) collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
  if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == collection_) return;
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& items = collection_->items_;
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].get() == this) return static_cast<int>(i);
  return -1;
}

void TCollectionItem::SetIndex(int index) {
  const int current = Index();
  if (current < 0) return;
  auto& items = collection_->items_;
  index = std::clamp(index, 0, static_cast<int>(items.size()) - 1);
  if (index == current) return;
  if (index < current)
    std::rotate(items.begin() + index, items.begin() + current, items.begin() + current + 1);
  else
    std::rotate(items.begin() + current, items.begin() + current + 1, items.begin() + index + 1);
  collection_->Changed(nullptr);
}

AnsiString TCollectionItem::DisplayName() const { return AnsiString(ClassName()); }

void TCollectionItem::MarkChanged(const AnsiString& propertyName) {
  if (collection_) collection_->Changed(this);
}

TCollection::TCollection(const TClassInfo& itemClass) : itemClass_(&itemClass) {
  assert(itemClass.CanCreateItem() && "a collection needs an item class with an item factory");
}

TCollection::~TCollection() {
  // The items go without reporting changes: the collection is going too.
  while (!items_.empty()) {
    std::unique_ptr<TCollectionItem> item = std::move(items_.back());
    items_.pop_back();
    item->collection_ = nullptr;
  }
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return items_[static_cast<std::size_t>(index)].get();
}

TCollectionItem* TCollection::Add() { return itemClass_->CreateItem(this); }

TCollectionItem* TCollection::Insert(int index) {
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) { delete Items(index); }

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  while (!items_.empty()) delete items_.back().get();
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (const auto& item : items_)
    if (item->ID() == id) return item.get();
  return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  assert(updateCount_ > 0);
  if (--updateCount_ == 0 && changedInUpdate_) {
    changedInUpdate_ = false;
    Update(nullptr);
  }
}

void TCollection::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TCollection*>(&source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  struct UpdateScope {
    TCollection& c;
    explicit UpdateScope(TCollection& collection) : c(collection) { c.BeginUpdate(); }
    ~UpdateScope() { c.EndUpdate(); }
  } scope(*this);
  Clear();
  for (const auto& item : other->items_) Add()->Assign(*item);
}

void TCollection::Update(TCollectionItem* item) { TPersistent::MarkChanged(AnsiString()); }

void TCollection::InsertItem(TCollectionItem* item) {
  items_.emplace_back();
  items_.back().reset(item);
  item->collection_ = this;
  item->id_ = nextId_++;
  Changed(nullptr);
}

void TCollection::RemoveItem(TCollectionItem* item) {
  auto it = std::find_if(items_.begin(), items_.end(), [item](const auto& p) { return p.get() == item; });
  assert(it != items_.end());
  it->release();
  items_.erase(it);
  item->collection_ = nullptr;
  Changed(nullptr);
}

void TCollection::Changed(TCollectionItem* item) {
  if (updateCount_ > 0) changedInUpdate_ = true;
  else Update(item);
}

}  // namespace platform
