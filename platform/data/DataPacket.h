// DataPacket: the rows a provider sends a client data set, with their
// field metadata. FieldMeta and DataRow are its parts; Delta.h and
// ReconcileAnswer.h hold the values that travel back.
//
// All three are regular values: copyable, comparable (values compare by
// Variant equality) and printable for test failures. The wire carries them
// as Variants; the layouts below are fixed.
//
// FieldMeta   = [name: String, type: Integer (TFieldType), size: Integer,
//                precision: Integer, flags: Integer (TFieldMetaFlag bits),
//                nested: Array of FieldMeta (empty unless type = ftDataSet)]
// DataRow     = Array with one element per field of the metadata, in field
//               order: the field's value (Null for a null value), and for a
//               field of type ftDataSet the Array of its nested DataRows.
// DataPacket  = [fields: Array of FieldMeta, rows: Array of DataRow,
//                moreRows: Boolean, codePage: Integer]
//
// Every array is one-dimensional with low bound 0 (VarArrayOf); an empty
// list is an array with no element. Sizes count bytes in the packet's code
// page (a string field of size 10 holds ten bytes, five Chinese characters
// of code page 936); codePage 0 means the process code page. Values keep
// the Variant kinds of their field types: String for strings and memos,
// Smallint, Integer, Word and Int64 for the integers, Double for floats,
// Currency for currency and BCD fields, Boolean, Date for dates, times and
// date-times, and a byte array for blobs and bytes.
//
// FromVariant checks the whole layout and raises EDataPacketError naming
// the first thing that is wrong; it accepts any element kind a value
// converts from (an Integer size given as a Double, say). Nesting deeper
// than kMaxNestingDepth levels is refused.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Variant.h"
#include "platform/data/DataTypes.h"

namespace platform {

enum TFieldMetaFlag : std::uint32_t {
  mfRequired = 1,  // the field must have a value when a row is posted
  mfReadOnly = 2,  // the client may not write it
  mfKey = 4,       // part of the row's key: the provider finds stored rows by these fields
  mfHidden = 8,    // not shown by default (its field starts invisible)
  mfFixed = 16,    // a fixed-length string
};

inline constexpr int kMaxNestingDepth = 16;

struct FieldMeta {
  AnsiString name;
  TFieldType type = ftUnknown;
  int size = 0;       // bytes for strings; decimals for BCD; 0 otherwise
  int precision = 0;  // digits of a BCD or float field, 0 when not declared
  std::uint32_t flags = 0;
  std::vector<FieldMeta> nested;  // the fields of a nested data set

  bool Has(TFieldMetaFlag flag) const { return (flags & flag) != 0; }
  friend bool operator==(const FieldMeta&, const FieldMeta&) = default;
};

// Position of the field with the name (ASCII case ignored), -1 when absent.
int FindFieldMeta(const std::vector<FieldMeta>& fields, const AnsiString& name);
// The positions of the ftDataSet fields, in field order: DataRow::nested[k]
// belongs to field NestedFieldPositions(fields)[k].
std::vector<int> NestedFieldPositions(const std::vector<FieldMeta>& fields);

struct DataRow {
  // One value per field; the slot of a nested field is Empty.
  std::vector<Variant> values;
  // One list of rows per nested field, in field order.
  std::vector<std::vector<DataRow>> nested;

  friend bool operator==(const DataRow&, const DataRow&) = default;
};

struct DataPacket {
  std::vector<FieldMeta> fields;
  std::vector<DataRow> rows;
  bool moreRows = false;  // the provider holds further rows for the next packet
  unsigned codePage = 0;

  friend bool operator==(const DataPacket&, const DataPacket&) = default;
};

Variant ToVariant(const FieldMeta& meta);
Variant ToVariant(const std::vector<FieldMeta>& fields);
Variant ToVariant(const DataPacket& packet);
// A row's Variant needs its metadata for the nested slots.
Variant RowToVariant(const std::vector<FieldMeta>& fields, const DataRow& row);

FieldMeta FieldMetaFromVariant(const Variant& v);
std::vector<FieldMeta> FieldMetasFromVariant(const Variant& v);
DataPacket DataPacketFromVariant(const Variant& v);
DataRow RowFromVariant(const std::vector<FieldMeta>& fields, const Variant& v);

// Checks that a row has one value per field and one row list per nested
// field, recursively; raises EDataPacketError otherwise.
void CheckRowShape(const std::vector<FieldMeta>& fields, const DataRow& row, int depth = 0);

std::ostream& operator<<(std::ostream& os, const FieldMeta& meta);
std::ostream& operator<<(std::ostream& os, const DataRow& row);
std::ostream& operator<<(std::ostream& os, const DataPacket& packet);

namespace data_detail {
// Shared by the Variant readers of the data values (private to the layer).
const Variant& Element(const Variant& array, int index, const char* what);
int ElementCount(const Variant& array, const char* what);
[[noreturn]] void BadLayout(const AnsiString& what);
}  // namespace data_detail

}  // namespace platform
