// TDataSetField: a column whose value in each record is a nested data set
// (ftDataSet): the detail rows of that record.
//
// A client data set bound to the field (its DataSetField property) shows
// the rows nested in the master's current record and follows the master
// as it moves; its changes are part of the master's change log and travel
// inside the master's delta. NestedDataSet is that data set; when none is
// bound, the field makes one of its own on first use (owned by the field),
// so every record's nested rows can be reached. The field itself has no
// value: it reads as null and cannot be written.
#pragma once

#include <vector>

#include "platform/data/Field.h"

namespace platform {

class TClientDataSet;

class TDataSetField : public TField {
  PLATFORM_CLASS(TDataSetField)

 public:
  explicit TDataSetField(TComponent* owner);
  ~TDataSetField() override;

  // The data set bound to this field (the first one bound through its
  // DataSetField property), or one the field makes; opened when the
  // master is active.
  TClientDataSet* NestedDataSet();
  // The metadata of the nested rows (empty while the master is closed and
  // has never been opened).
  const std::vector<FieldMeta>& NestedFields() const;
  // Every cursor on the nested rows: bound data sets and their clones.
  const std::vector<TDataSet*>& Cursors() const { return cursors_; }

  Variant ConvertValue(const Variant& value) const override;
  AnsiString ValueToString(const Variant& stored) const override;
  AnsiString FormatText(const Variant& stored, bool display) const override;
  void DescribeTo(FieldMeta& meta) const override;
  void TakeMeta(const FieldMeta& meta, bool isDefault) override;

 private:
  friend class TDataSet;
  std::vector<TDataSet*> cursors_;
  std::vector<FieldMeta> nestedFields_;
  TClientDataSet* own_ = nullptr;  // made by NestedDataSet, owned as a component
};

}  // namespace platform
