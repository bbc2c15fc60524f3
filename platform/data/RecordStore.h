// Private to the data layer: the rows of a data set and their change log.
//
// A RecordStore holds the records of one level: the rows of a top-level
// client data set, or the detail rows nested in one record of its master.
// Records keep their natural order (packet order, inserted rows where they
// were inserted); deleted records stay, marked, until the change log is
// merged or cancelled, so that the delta and CancelUpdates can see them.
// Every record owns one store per nested field. Clones share a store
// (std::shared_ptr: the store lives while any cursor on it does), and so
// does a detail cursor with the record that holds its rows.
//
// version changes on every change that can alter what a cursor shows or
// its order, so cursors rebuild their row lists lazily.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Variant.h"
#include "platform/data/DataPacket.h"
#include "platform/data/DataTypes.h"
#include "platform/data/Delta.h"

namespace platform::data_detail {

class RecordStore;
using FieldList = std::shared_ptr<const std::vector<FieldMeta>>;

struct StoredRecord {
  std::uint64_t id = 0;
  // The data slots: one per metadata field (a nested field's slot is
  // Empty), then the internally calculated fields of the cursor that wrote
  // them. Slots past the end read as Null.
  std::vector<Variant> values;
  // The values as read or last merged; empty while the record is
  // unmodified (the values are then the original) and for inserted rows.
  std::vector<Variant> original;
  TUpdateStatus status = TUpdateStatus::usUnmodified;
  std::vector<std::shared_ptr<RecordStore>> nested;  // one per nested field, in field order

  const Variant& Value(std::size_t slot) const;
  const std::vector<Variant>& OriginalValues() const { return original.empty() ? values : original; }
  // True when the record or any record nested below it is changed.
  bool HasChangesBelow() const;
};

// A globally unique record id (bookmarks stay valid across clones).
std::uint64_t NextRecordId();

// One entry per delta row: where the row came from, for reconciling.
struct DeltaSource {
  std::vector<int> path;
  std::shared_ptr<RecordStore> store;
  std::uint64_t recordId = 0;
  std::vector<int> nestedChain;  // nested field ordinals from the top level down
};

class RecordStore : public std::enable_shared_from_this<RecordStore> {
 public:
  explicit RecordStore(FieldList fields);

  const FieldList& Fields() const { return fields_; }
  std::size_t FieldCount() const { return fields_->size(); }
  std::uint64_t Version() const { return version_; }
  void Touch() { ++version_; }

  const std::vector<std::unique_ptr<StoredRecord>>& Records() const { return records_; }
  StoredRecord* Find(std::uint64_t id) const;
  // Natural position of a record, -1 when absent.
  int IndexOf(std::uint64_t id) const;

  // A new record with Null values and empty nested stores (not yet stored).
  std::unique_ptr<StoredRecord> NewRecord() const;
  // Appends rows as read (unmodified); the shape must have been checked.
  void AppendRows(const std::vector<DataRow>& rows);
  // Stores a new record before the record with the id (at the end when
  // before is 0 or absent).
  StoredRecord* Insert(std::unique_ptr<StoredRecord> record, std::uint64_t before);
  // Writes new values into a stored record, logging the change.
  void Modify(StoredRecord& record, std::vector<Variant> values);
  // Deletes a record: an inserted one goes, any other is marked.
  void Delete(std::uint64_t id);

  // The rows as they are now (deleted rows left out), with nested rows.
  std::vector<DataRow> CurrentRows() const;
  // Number of changed records here and below.
  int ChangeCount() const;
  void CancelUpdates();
  void MergeChangeLog();
  // Undoes the change of one record (its nested rows keep theirs).
  void RevertRecord(std::uint64_t id);
  // Takes the change of one record as applied (deleted records go).
  void MergeRecord(std::uint64_t id);
  void Clear();

  // Appends the delta rows of this store to out; sources receives one
  // entry per delta row (the prefix is the path of the level above).
  // The store must be held by a shared_ptr.
  void BuildDelta(std::vector<DeltaRow>& out, std::vector<DeltaSource>& sources, const std::vector<int>& prefix,
                  const std::vector<int>& chain);

 private:
  DataRow RowOf(const StoredRecord& record) const;
  DeltaRow DeleteRowOf(const StoredRecord& record, std::vector<DeltaSource>& sources, const std::vector<int>& path,
                       const std::vector<int>& chain);

  FieldList fields_;
  std::vector<int> nestedPositions_;
  std::vector<FieldList> nestedFields_;
  std::vector<std::unique_ptr<StoredRecord>> records_;
  std::uint64_t version_ = 1;
};

}  // namespace platform::data_detail
