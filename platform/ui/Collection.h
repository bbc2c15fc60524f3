// TCollection and TCollectionItem: owned, ordered lists of persistent
// items published as one property (list-view columns, status-bar panels,
// grid columns).
//
// A collection owns its items; an item created with a collection adds
// itself at the end, and deleting an item removes it. Items are numbered
// by Index (their position) and by ID (given once, never reused within the
// collection). A change of an item, and adding, deleting or moving items,
// reaches the collection's Update and, by default, marks the collection's
// owner property ("Columns") changed; BeginUpdate / EndUpdate gather the
// changes of a batch into one.
//
// TIndexedItems is what a property path ("Columns_1.Caption",
// "Items_2.Text") walks into: collections, and the item lists of list and
// tree views, implement it.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/Persistent.h"

namespace platform {

class TCollection;

// Elements of a property reached by index.
class TIndexedItems {
 public:
  virtual ~TIndexedItems() = default;
  virtual int ItemCount() const = 0;
  // The element at index, 0 <= index < ItemCount().
  virtual TPersistent* ItemAt(int index) const = 0;
};

class TCollectionItem : public TPersistent {
  PLATFORM_CLASS(TCollectionItem)

 public:
  // Adds the item at the end of collection (which may be null).
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  // Moves the item into another collection (or out of any: the caller
  // then owns it).
  void SetCollection(TCollection* collection);
  int Index() const;
  // Moves the item to another position (clamped to the list).
  void SetIndex(int index);
  int ID() const { return id_; }
  // The name a list of the items shows; the class name by default.
  virtual AnsiString DisplayName() const;

  // Reports the change to the collection.
  void MarkChanged(const AnsiString& propertyName) override;

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

class TCollection : public TPersistent, public TIndexedItems {
  PLATFORM_CLASS(TCollection)

 public:
  // A collection of items of itemClass, a class with an item factory
  // (ClassBuilder.h).
  explicit TCollection(const TClassInfo& itemClass);
  ~TCollection() override;

  const TClassInfo& ItemClass() const { return *itemClass_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises EListError for an index out of range.
  TCollectionItem* Items(int index) const;
  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  TCollectionItem* FindItemID(int id) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // Copies a collection: as many items, each assigned from its original.
  void Assign(const TPersistent& source) override;

  int ItemCount() const override { return Count(); }
  TPersistent* ItemAt(int index) const override { return Items(index); }

 protected:
  // Called when item changed, or with nullptr when items were added,
  // deleted or moved; not while an update is open (EndUpdate then calls it
  // once with nullptr). The default marks the owner's property.
  virtual void Update(TCollectionItem* item);

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  void Changed(TCollectionItem* item);

  const TClassInfo* itemClass_;
  std::vector<std::unique_ptr<TCollectionItem>> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
  bool changedInUpdate_ = false;
};

// A collection typed by its item class.
template <typename Item>
class TCollectionOf : public TCollection {
 public:
  TCollectionOf() : TCollection(Item::StaticClass()) {}
  Item* Items(int index) const { return static_cast<Item*>(TCollection::Items(index)); }
  Item* Add() { return static_cast<Item*>(TCollection::Add()); }
  Item* Insert(int index) { return static_cast<Item*>(TCollection::Insert(index)); }
};

}  // namespace platform
