// Delta: the changes of a client data set, sent to its provider in one
// ApplyUpdates call.
//
// A delta row is one changed row: its kind, the values it had when it was
// read (original) and the values it has now (current), with one changed
// flag per field. A row holds the delta rows of its nested data sets, so
// that a header and its detail rows are applied together; a header row
// whose own fields did not change but whose details did is a ukModify row
// with no changed flag set (it changes nothing itself).
//
//   ukInsert: original is empty, current holds every field, every changed
//             flag is true (null is a value like any other).
//   ukModify: original and current hold every field; changed[i] says
//             whether field i was written with a value different from the
//             original (a field set to Null from a value is changed).
//   ukDelete: original holds every field, current is empty, no flags.
//
// Nested delete rows of a deleted header are included (the stored detail
// rows it had); the provider writes deletes children first, inserts parent
// first. Fields of the delta are the data fields of the packet the rows
// came from (calculated fields are not part of it).
//
// Variant layout (see DataPacket.h for FieldMeta and array conventions):
// DeltaRow = [kind: Integer (TUpdateKind), original: Array of values,
//             current: Array of values, changed: Array of Boolean,
//             nested: Array (one element per nested field, in field order)
//                     of Array of DeltaRow]
//            original/current/changed are empty arrays where the kind
//            has none; value slots of nested fields are Empty.
// Delta    = [fields: Array of FieldMeta, rows: Array of DeltaRow]
#pragma once

#include <iosfwd>
#include <vector>

#include "platform/Variant.h"
#include "platform/data/DataPacket.h"
#include "platform/data/DataTypes.h"

namespace platform {

struct DeltaRow {
  TUpdateKind kind = TUpdateKind::ukModify;
  std::vector<Variant> original;
  std::vector<Variant> current;
  std::vector<bool> changed;
  std::vector<std::vector<DeltaRow>> nested;

  // True when the row changes something itself (not only its details).
  bool ChangesItself() const;
  friend bool operator==(const DeltaRow&, const DeltaRow&) = default;
};

struct Delta {
  std::vector<FieldMeta> fields;
  std::vector<DeltaRow> rows;

  bool IsEmpty() const { return rows.empty(); }
  friend bool operator==(const Delta&, const Delta&) = default;
};

Variant ToVariant(const Delta& delta);
Delta DeltaFromVariant(const Variant& v);
// Checks a row's lists against the metadata, recursively (EDataPacketError).
void CheckDeltaRowShape(const std::vector<FieldMeta>& fields, const DeltaRow& row, int depth = 0);

std::ostream& operator<<(std::ostream& os, const DeltaRow& row);
std::ostream& operator<<(std::ostream& os, const Delta& delta);

}  // namespace platform
