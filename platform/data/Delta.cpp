#include "platform/data/Delta.h"

#include <ostream>

#include "platform/data/DatabaseError.h"

namespace platform {

using data_detail::BadLayout;
using data_detail::Element;
using data_detail::ElementCount;

namespace {

Variant ValuesToVariant(const std::vector<Variant>& values) { return VarArrayOf(values); }

std::vector<Variant> ValuesFrom(const Variant& v, const char* what) {
  int n = ElementCount(v, what);
  std::vector<Variant> values;
  values.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) values.push_back(Element(v, i, what).Deref());
  return values;
}

Variant RowToVariant(const std::vector<FieldMeta>& fields, const DeltaRow& row) {
  std::vector<Variant> changed;
  for (bool c : row.changed) changed.emplace_back(c);
  std::vector<int> nestedPositions = NestedFieldPositions(fields);
  std::vector<Variant> nested;
  for (std::size_t k = 0; k < row.nested.size(); ++k) {
    std::vector<Variant> rows;
    const auto& meta = fields[static_cast<std::size_t>(nestedPositions[k])].nested;
    for (const DeltaRow& r : row.nested[k]) rows.push_back(RowToVariant(meta, r));
    nested.push_back(VarArrayOf(std::move(rows)));
  }
  return VarArrayOf({Variant(static_cast<int>(row.kind)), ValuesToVariant(row.original),
                     ValuesToVariant(row.current), VarArrayOf(std::move(changed)), VarArrayOf(std::move(nested))});
}

DeltaRow RowFrom(const std::vector<FieldMeta>& fields, const Variant& v, int depth) {
  if (depth > kMaxNestingDepth) BadLayout("nesting is too deep");
  if (ElementCount(v, "delta row") != 5) BadLayout("a delta row needs five elements");
  DeltaRow row;
  int kind = 0;
  try {
    kind = Element(v, 0, "delta row").AsInteger();
  } catch (const EVariantError&) {
    BadLayout("a delta row kind is not a number");
  }
  if (kind < 0 || kind > 2) BadLayout("a delta row has an unknown kind");
  row.kind = static_cast<TUpdateKind>(kind);
  row.original = ValuesFrom(Element(v, 1, "delta row"), "original values");
  row.current = ValuesFrom(Element(v, 2, "delta row"), "current values");
  for (const Variant& c : ValuesFrom(Element(v, 3, "delta row"), "changed flags")) {
    if (VarType(c) != varBoolean) BadLayout("a changed flag is not a boolean");
    row.changed.push_back(c.AsBool());
  }
  const Variant& nested = Element(v, 4, "delta row");
  std::vector<int> positions = NestedFieldPositions(fields);
  if (ElementCount(nested, "nested deltas") != static_cast<int>(positions.size()))
    BadLayout("a delta row does not have one list per nested field");
  for (std::size_t k = 0; k < positions.size(); ++k) {
    const Variant& list = Element(nested, static_cast<int>(k), "nested deltas");
    std::vector<DeltaRow> rows;
    int n = ElementCount(list, "nested delta rows");
    for (int i = 0; i < n; ++i)
      rows.push_back(RowFrom(fields[static_cast<std::size_t>(positions[k])].nested, Element(list, i, "nested delta rows"),
                             depth + 1));
    row.nested.push_back(std::move(rows));
  }
  CheckDeltaRowShape(fields, row, depth);
  return row;
}

}  // namespace

bool DeltaRow::ChangesItself() const {
  if (kind != TUpdateKind::ukModify) return true;
  for (bool c : changed)
    if (c) return true;
  return false;
}

void CheckDeltaRowShape(const std::vector<FieldMeta>& fields, const DeltaRow& row, int depth) {
  if (depth > kMaxNestingDepth) BadLayout("nesting is too deep");
  std::size_t n = fields.size();
  bool ok = false;
  switch (row.kind) {
    case TUpdateKind::ukInsert:
      ok = row.original.empty() && row.current.size() == n && row.changed.size() == n;
      break;
    case TUpdateKind::ukModify:
      ok = row.original.size() == n && row.current.size() == n && row.changed.size() == n;
      break;
    case TUpdateKind::ukDelete:
      ok = row.original.size() == n && row.current.empty() && row.changed.empty();
      break;
  }
  if (!ok) BadLayout("a " + UpdateKindName(row.kind) + " delta row does not have one value per field");
  std::vector<int> positions = NestedFieldPositions(fields);
  if (row.nested.size() != positions.size()) BadLayout("a delta row does not have one list per nested field");
  for (std::size_t k = 0; k < positions.size(); ++k)
    for (const DeltaRow& r : row.nested[k])
      CheckDeltaRowShape(fields[static_cast<std::size_t>(positions[k])].nested, r, depth + 1);
}

Variant ToVariant(const Delta& delta) {
  std::vector<Variant> rows;
  for (const DeltaRow& r : delta.rows) {
    CheckDeltaRowShape(delta.fields, r);
    rows.push_back(RowToVariant(delta.fields, r));
  }
  return VarArrayOf({ToVariant(delta.fields), VarArrayOf(std::move(rows))});
}

Delta DeltaFromVariant(const Variant& v) {
  if (ElementCount(v, "delta") != 2) BadLayout("a delta needs two elements");
  Delta delta;
  delta.fields = FieldMetasFromVariant(Element(v, 0, "delta"));
  const Variant& rows = Element(v, 1, "delta");
  int n = ElementCount(rows, "delta rows");
  for (int i = 0; i < n; ++i) delta.rows.push_back(RowFrom(delta.fields, Element(rows, i, "delta rows"), 0));
  return delta;
}

std::ostream& operator<<(std::ostream& os, const DeltaRow& row) {
  os << UpdateKindName(row.kind).ToUtf8() << "(";
  auto list = [&os](const std::vector<Variant>& values) {
    os << "[";
    for (std::size_t i = 0; i < values.size(); ++i) os << (i ? ", " : "") << values[i];
    os << "]";
  };
  list(row.original);
  os << " -> ";
  list(row.current);
  if (!row.changed.empty()) {
    os << " changed ";
    for (bool c : row.changed) os << (c ? '1' : '0');
  }
  for (const auto& rows : row.nested) {
    os << " {";
    for (std::size_t i = 0; i < rows.size(); ++i) os << (i ? ", " : "") << rows[i];
    os << "}";
  }
  return os << ")";
}

std::ostream& operator<<(std::ostream& os, const Delta& delta) {
  os << "Delta{";
  for (std::size_t i = 0; i < delta.fields.size(); ++i) os << (i ? ", " : "") << delta.fields[i];
  os << ";";
  for (const DeltaRow& r : delta.rows) os << " " << r;
  return os << "}";
}

}  // namespace platform
