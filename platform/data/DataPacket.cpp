#include "platform/data/DataPacket.h"

#include <ostream>

#include "platform/data/DatabaseError.h"

namespace platform {

namespace data_detail {

void BadLayout(const AnsiString& what) { throw EDataPacketError("Invalid data packet: " + what); }

int ElementCount(const Variant& array, const char* what) {
  const Variant& a = array.Deref();
  if (!VarIsArray(a) || VarArrayDimCount(a) != 1 || VarType(a) != (varArray | varVariant))
    BadLayout(AnsiString(what) + " is not a list");
  return VarArrayHighBound(a, 1) - VarArrayLowBound(a, 1) + 1;
}

const Variant& Element(const Variant& array, int index, const char* what) {
  const Variant& a = array.Deref();
  int count = ElementCount(a, what);
  if (index < 0 || index >= count) BadLayout(AnsiString(what) + " has too few elements");
  return VarArrayElements(a)[static_cast<std::size_t>(index)];
}

}  // namespace data_detail

using data_detail::BadLayout;
using data_detail::Element;
using data_detail::ElementCount;

namespace {

int ReadInt(const Variant& v, const char* what) {
  try {
    return v.AsInteger();
  } catch (const EVariantError&) {
    BadLayout(AnsiString(what) + " is not a number");
  }
}

bool ReadBool(const Variant& v, const char* what) {
  try {
    return v.AsBool();
  } catch (const EVariantError&) {
    BadLayout(AnsiString(what) + " is not a boolean");
  }
}

AnsiString ReadText(const Variant& v, const char* what) {
  if (!VarIsStr(v)) BadLayout(AnsiString(what) + " is not a text");
  return v.AsString();
}

FieldMeta MetaFromVariant(const Variant& v, int depth) {
  if (depth > kMaxNestingDepth) BadLayout("nesting is too deep");
  if (ElementCount(v, "field") != 6) BadLayout("a field needs six elements");
  FieldMeta meta;
  meta.name = ReadText(Element(v, 0, "field"), "field name");
  if (meta.name.IsEmpty()) BadLayout("a field has no name");
  meta.type = static_cast<TFieldType>(ReadInt(Element(v, 1, "field"), "field type"));
  if (!IsPacketFieldType(meta.type)) BadLayout("field '" + meta.name + "' has an unknown type");
  meta.size = ReadInt(Element(v, 2, "field"), "field size");
  meta.precision = ReadInt(Element(v, 3, "field"), "field precision");
  if (meta.size < 0 || meta.precision < 0) BadLayout("field '" + meta.name + "' has a negative size");
  meta.flags = static_cast<std::uint32_t>(ReadInt(Element(v, 4, "field"), "field flags"));
  const Variant& nested = Element(v, 5, "field");
  int count = ElementCount(nested, "nested fields");
  if (count > 0 && meta.type != ftDataSet) BadLayout("field '" + meta.name + "' is no data set but has nested fields");
  for (int i = 0; i < count; ++i) meta.nested.push_back(MetaFromVariant(Element(nested, i, "nested fields"), depth + 1));
  return meta;
}

std::vector<FieldMeta> MetasFromVariant(const Variant& v, int depth) {
  std::vector<FieldMeta> fields;
  int count = ElementCount(v, "field list");
  for (int i = 0; i < count; ++i) {
    fields.push_back(MetaFromVariant(Element(v, i, "field list"), depth));
    for (int j = 0; j < i; ++j)
      if (SameText(fields[static_cast<std::size_t>(j)].name, fields.back().name))
        BadLayout("field '" + fields.back().name + "' is declared twice");
  }
  return fields;
}

DataRow RowFrom(const std::vector<FieldMeta>& fields, const Variant& v, int depth) {
  if (depth > kMaxNestingDepth) BadLayout("nesting is too deep");
  int count = ElementCount(v, "row");
  if (count != static_cast<int>(fields.size())) BadLayout("a row does not have one value per field");
  DataRow row;
  row.values.resize(fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const Variant& value = Element(v, static_cast<int>(i), "row");
    if (fields[i].type == ftDataSet) {
      std::vector<DataRow> rows;
      int n = ElementCount(value, "nested rows");
      rows.reserve(static_cast<std::size_t>(n));
      for (int r = 0; r < n; ++r) rows.push_back(RowFrom(fields[i].nested, Element(value, r, "nested rows"), depth + 1));
      row.nested.push_back(std::move(rows));
    } else {
      if (VarIsArray(value) && fields[i].type != ftBlob && fields[i].type != ftBytes && fields[i].type != ftVarBytes)
        BadLayout("field '" + fields[i].name + "' holds a list");
      row.values[i] = value.Deref();
    }
  }
  return row;
}

Variant MetaListToVariant(const std::vector<FieldMeta>& fields) {
  std::vector<Variant> items;
  items.reserve(fields.size());
  for (const FieldMeta& f : fields) items.push_back(ToVariant(f));
  return VarArrayOf(std::move(items));
}

}  // namespace

int FindFieldMeta(const std::vector<FieldMeta>& fields, const AnsiString& name) {
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (SameText(fields[i].name, name)) return static_cast<int>(i);
  return -1;
}

std::vector<int> NestedFieldPositions(const std::vector<FieldMeta>& fields) {
  std::vector<int> positions;
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i].type == ftDataSet) positions.push_back(static_cast<int>(i));
  return positions;
}

void CheckRowShape(const std::vector<FieldMeta>& fields, const DataRow& row, int depth) {
  if (depth > kMaxNestingDepth) BadLayout("nesting is too deep");
  if (row.values.size() != fields.size()) BadLayout("a row does not have one value per field");
  std::vector<int> nested = NestedFieldPositions(fields);
  if (row.nested.size() != nested.size()) BadLayout("a row does not have one row list per nested field");
  for (std::size_t k = 0; k < nested.size(); ++k)
    for (const DataRow& r : row.nested[k])
      CheckRowShape(fields[static_cast<std::size_t>(nested[k])].nested, r, depth + 1);
}

Variant ToVariant(const FieldMeta& meta) {
  return VarArrayOf({Variant(meta.name), Variant(static_cast<int>(meta.type)), Variant(meta.size),
                     Variant(meta.precision), Variant(static_cast<int>(meta.flags)), MetaListToVariant(meta.nested)});
}

Variant ToVariant(const std::vector<FieldMeta>& fields) { return MetaListToVariant(fields); }

Variant RowToVariant(const std::vector<FieldMeta>& fields, const DataRow& row) {
  CheckRowShape(fields, row);
  std::vector<Variant> items(fields.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].type == ftDataSet) {
      std::vector<Variant> rows;
      for (const DataRow& r : row.nested[k]) rows.push_back(RowToVariant(fields[i].nested, r));
      ++k;
      items[i] = VarArrayOf(std::move(rows));
    } else {
      items[i] = row.values[i];
    }
  }
  return VarArrayOf(std::move(items));
}

Variant ToVariant(const DataPacket& packet) {
  std::vector<Variant> rows;
  rows.reserve(packet.rows.size());
  for (const DataRow& r : packet.rows) rows.push_back(RowToVariant(packet.fields, r));
  return VarArrayOf({MetaListToVariant(packet.fields), VarArrayOf(std::move(rows)), Variant(packet.moreRows),
                     Variant(static_cast<int>(packet.codePage))});
}

FieldMeta FieldMetaFromVariant(const Variant& v) { return MetaFromVariant(v, 0); }

std::vector<FieldMeta> FieldMetasFromVariant(const Variant& v) { return MetasFromVariant(v, 0); }

DataRow RowFromVariant(const std::vector<FieldMeta>& fields, const Variant& v) { return RowFrom(fields, v, 0); }

DataPacket DataPacketFromVariant(const Variant& v) {
  if (ElementCount(v, "data packet") != 4) BadLayout("a data packet needs four elements");
  DataPacket packet;
  packet.fields = MetasFromVariant(Element(v, 0, "data packet"), 0);
  const Variant& rows = Element(v, 1, "data packet");
  int n = ElementCount(rows, "row list");
  packet.rows.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) packet.rows.push_back(RowFrom(packet.fields, Element(rows, i, "row list"), 0));
  packet.moreRows = ReadBool(Element(v, 2, "data packet"), "more-rows flag");
  int cp = ReadInt(Element(v, 3, "data packet"), "code page");
  if (cp < 0) BadLayout("the code page is negative");
  packet.codePage = static_cast<unsigned>(cp);
  return packet;
}

std::ostream& operator<<(std::ostream& os, const FieldMeta& meta) {
  os << meta.name.ToUtf8() << ":" << FieldTypeName(meta.type).ToUtf8();
  if (meta.size) os << "(" << meta.size << ")";
  if (meta.flags) os << " flags=" << meta.flags;
  if (!meta.nested.empty()) {
    os << " {";
    for (std::size_t i = 0; i < meta.nested.size(); ++i) os << (i ? ", " : "") << meta.nested[i];
    os << "}";
  }
  return os;
}

std::ostream& operator<<(std::ostream& os, const DataRow& row) {
  os << "(";
  for (std::size_t i = 0; i < row.values.size(); ++i) os << (i ? ", " : "") << row.values[i];
  for (const auto& rows : row.nested) {
    os << " [";
    for (std::size_t i = 0; i < rows.size(); ++i) os << (i ? ", " : "") << rows[i];
    os << "]";
  }
  return os << ")";
}

std::ostream& operator<<(std::ostream& os, const DataPacket& packet) {
  os << "DataPacket{fields: ";
  for (std::size_t i = 0; i < packet.fields.size(); ++i) os << (i ? ", " : "") << packet.fields[i];
  os << "; rows:";
  for (const DataRow& r : packet.rows) os << " " << r;
  return os << (packet.moreRows ? "; more" : "") << "}";
}

}  // namespace platform
