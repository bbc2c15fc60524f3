#include "platform/data/RecordStore.h"

#include <algorithm>
#include <atomic>

namespace platform::data_detail {

namespace {

const Variant& NullValue() {
  static const Variant null = Null();
  return null;
}

}  // namespace

std::uint64_t NextRecordId() {
  static std::atomic<std::uint64_t> next{1};
  return next.fetch_add(1);
}

const Variant& StoredRecord::Value(std::size_t slot) const {
  return slot < values.size() ? values[slot] : NullValue();
}

bool StoredRecord::HasChangesBelow() const {
  if (status != TUpdateStatus::usUnmodified) return true;
  for (const auto& store : nested)
    if (store && store->ChangeCount() > 0) return true;
  return false;
}

RecordStore::RecordStore(FieldList fields) : fields_(std::move(fields)) {
  nestedPositions_ = NestedFieldPositions(*fields_);
  for (int p : nestedPositions_)
    nestedFields_.push_back(std::make_shared<const std::vector<FieldMeta>>((*fields_)[static_cast<std::size_t>(p)].nested));
}

StoredRecord* RecordStore::Find(std::uint64_t id) const {
  for (const auto& r : records_)
    if (r->id == id) return r.get();
  return nullptr;
}

int RecordStore::IndexOf(std::uint64_t id) const {
  for (std::size_t i = 0; i < records_.size(); ++i)
    if (records_[i]->id == id) return static_cast<int>(i);
  return -1;
}

std::unique_ptr<StoredRecord> RecordStore::NewRecord() const {
  auto record = std::make_unique<StoredRecord>();
  record->id = NextRecordId();
  record->values.assign(fields_->size(), Null());
  for (std::size_t k = 0; k < nestedPositions_.size(); ++k) {
    record->values[static_cast<std::size_t>(nestedPositions_[k])] = Variant();
    record->nested.push_back(std::make_shared<RecordStore>(nestedFields_[k]));
  }
  record->status = TUpdateStatus::usInserted;
  return record;
}

void RecordStore::AppendRows(const std::vector<DataRow>& rows) {
  for (const DataRow& row : rows) {
    auto record = std::make_unique<StoredRecord>();
    record->id = NextRecordId();
    record->values = row.values;
    for (std::size_t k = 0; k < nestedPositions_.size(); ++k) {
      record->values[static_cast<std::size_t>(nestedPositions_[k])] = Variant();
      auto store = std::make_shared<RecordStore>(nestedFields_[k]);
      if (k < row.nested.size()) store->AppendRows(row.nested[k]);
      record->nested.push_back(std::move(store));
    }
    records_.push_back(std::move(record));
  }
  Touch();
}

StoredRecord* RecordStore::Insert(std::unique_ptr<StoredRecord> record, std::uint64_t before) {
  int at = before ? IndexOf(before) : -1;
  StoredRecord* raw = record.get();
  if (at < 0) records_.push_back(std::move(record));
  else records_.insert(records_.begin() + at, std::move(record));
  Touch();
  return raw;
}

void RecordStore::Modify(StoredRecord& record, std::vector<Variant> values) {
  if (record.status == TUpdateStatus::usUnmodified) {
    record.original = record.values;
    record.status = TUpdateStatus::usModified;
  }
  record.values = std::move(values);
  Touch();
}

void RecordStore::Delete(std::uint64_t id) {
  int at = IndexOf(id);
  if (at < 0) return;
  StoredRecord& record = *records_[static_cast<std::size_t>(at)];
  if (record.status == TUpdateStatus::usInserted) {
    records_.erase(records_.begin() + at);
  } else {
    if (record.status == TUpdateStatus::usUnmodified) record.original = record.values;
    record.status = TUpdateStatus::usDeleted;
  }
  Touch();
}

DataRow RecordStore::RowOf(const StoredRecord& record) const {
  DataRow row;
  row.values.assign(fields_->size(), Null());
  for (std::size_t i = 0; i < fields_->size(); ++i) row.values[i] = record.Value(i);
  for (std::size_t k = 0; k < nestedPositions_.size(); ++k) {
    row.values[static_cast<std::size_t>(nestedPositions_[k])] = Variant();
    row.nested.push_back(k < record.nested.size() && record.nested[k] ? record.nested[k]->CurrentRows()
                                                                       : std::vector<DataRow>{});
  }
  return row;
}

std::vector<DataRow> RecordStore::CurrentRows() const {
  std::vector<DataRow> rows;
  for (const auto& r : records_)
    if (r->status != TUpdateStatus::usDeleted) rows.push_back(RowOf(*r));
  return rows;
}

int RecordStore::ChangeCount() const {
  int count = 0;
  for (const auto& r : records_) {
    if (r->status != TUpdateStatus::usUnmodified) ++count;
    // The detail rows of a deleted record go with it: one change.
    if (r->status == TUpdateStatus::usDeleted) continue;
    for (const auto& store : r->nested)
      if (store) count += store->ChangeCount();
  }
  return count;
}

void RecordStore::CancelUpdates() {
  std::erase_if(records_, [](const auto& r) { return r->status == TUpdateStatus::usInserted; });
  for (auto& r : records_) {
    if (r->status != TUpdateStatus::usUnmodified) {
      r->values = r->original;
      r->original.clear();
      r->status = TUpdateStatus::usUnmodified;
    }
    for (auto& store : r->nested)
      if (store) store->CancelUpdates();
  }
  Touch();
}

void RecordStore::MergeChangeLog() {
  std::erase_if(records_, [](const auto& r) { return r->status == TUpdateStatus::usDeleted; });
  for (auto& r : records_) {
    r->original.clear();
    r->status = TUpdateStatus::usUnmodified;
    for (auto& store : r->nested)
      if (store) store->MergeChangeLog();
  }
  Touch();
}

void RecordStore::RevertRecord(std::uint64_t id) {
  int at = IndexOf(id);
  if (at < 0) return;
  StoredRecord& record = *records_[static_cast<std::size_t>(at)];
  switch (record.status) {
    case TUpdateStatus::usInserted:
      records_.erase(records_.begin() + at);
      break;
    case TUpdateStatus::usModified:
    case TUpdateStatus::usDeleted:
      record.values = record.original;
      record.original.clear();
      record.status = TUpdateStatus::usUnmodified;
      break;
    case TUpdateStatus::usUnmodified:
      return;
  }
  Touch();
}

void RecordStore::MergeRecord(std::uint64_t id) {
  int at = IndexOf(id);
  if (at < 0) return;
  StoredRecord& record = *records_[static_cast<std::size_t>(at)];
  if (record.status == TUpdateStatus::usDeleted) {
    records_.erase(records_.begin() + at);
  } else {
    record.original.clear();
    record.status = TUpdateStatus::usUnmodified;
  }
  Touch();
}

void RecordStore::Clear() {
  records_.clear();
  Touch();
}

DeltaRow RecordStore::DeleteRowOf(const StoredRecord& record, std::vector<DeltaSource>& sources,
                                  const std::vector<int>& path, const std::vector<int>& chain) {
  DeltaRow row;
  row.kind = TUpdateKind::ukDelete;
  const auto& original = record.OriginalValues();
  row.original.assign(fields_->size(), Null());
  for (std::size_t i = 0; i < fields_->size(); ++i) row.original[i] = i < original.size() ? original[i] : Null();
  for (std::size_t k = 0; k < nestedPositions_.size(); ++k) {
    row.original[static_cast<std::size_t>(nestedPositions_[k])] = Variant();
    std::vector<DeltaRow> rows;
    if (k < record.nested.size() && record.nested[k]) {
      RecordStore& store = *record.nested[k];
      std::vector<int> subChain = chain;
      subChain.push_back(static_cast<int>(k));
      for (const auto& r : store.records_) {
        if (r->status == TUpdateStatus::usInserted) continue;
        std::vector<int> subPath = path;
        subPath.push_back(static_cast<int>(k));
        subPath.push_back(static_cast<int>(rows.size()));
        sources.push_back({subPath, store.shared_from_this(), r->id, subChain});
        rows.push_back(store.DeleteRowOf(*r, sources, subPath, subChain));
      }
    }
    row.nested.push_back(std::move(rows));
  }
  return row;
}

void RecordStore::BuildDelta(std::vector<DeltaRow>& out, std::vector<DeltaSource>& sources,
                             const std::vector<int>& prefix, const std::vector<int>& chain) {
  std::size_t n = fields_->size();
  for (const auto& r : records_) {
    if (!r->HasChangesBelow()) continue;
    std::vector<int> path = prefix;
    path.push_back(static_cast<int>(out.size()));
    sources.push_back({path, shared_from_this(), r->id, chain});
    if (r->status == TUpdateStatus::usDeleted) {
      out.push_back(DeleteRowOf(*r, sources, path, chain));
      continue;
    }
    DeltaRow row;
    row.kind = r->status == TUpdateStatus::usInserted ? TUpdateKind::ukInsert : TUpdateKind::ukModify;
    row.current.assign(n, Null());
    for (std::size_t i = 0; i < n; ++i) row.current[i] = r->Value(i);
    if (row.kind == TUpdateKind::ukInsert) {
      row.changed.assign(n, true);
    } else {
      const auto& original = r->OriginalValues();
      row.original.assign(n, Null());
      row.changed.assign(n, false);
      for (std::size_t i = 0; i < n; ++i) {
        row.original[i] = i < original.size() ? original[i] : Null();
        row.changed[i] = r->status == TUpdateStatus::usModified && !(row.original[i] == row.current[i]);
      }
    }
    for (std::size_t k = 0; k < nestedPositions_.size(); ++k) {
      auto slot = static_cast<std::size_t>(nestedPositions_[k]);
      row.current[slot] = Variant();
      if (!row.original.empty()) row.original[slot] = Variant();
      if (row.kind == TUpdateKind::ukModify) row.changed[slot] = false;
      std::vector<DeltaRow> rows;
      if (k < r->nested.size() && r->nested[k]) {
        std::vector<int> subPrefix = path;
        subPrefix.push_back(static_cast<int>(k));
        std::vector<int> subChain = chain;
        subChain.push_back(static_cast<int>(k));
        r->nested[k]->BuildDelta(rows, sources, subPrefix, subChain);
      }
      row.nested.push_back(std::move(rows));
    }
    out.push_back(std::move(row));
  }
}

}  // namespace platform::data_detail
