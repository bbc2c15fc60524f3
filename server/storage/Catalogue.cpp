#include "server/storage/Catalogue.h"

#include <cmath>
#include <set>

#include "server/storage/SqlLexer.h"

namespace storage {

const char* ColumnTypeName(ColumnType type) {
  switch (type) {
    case ColumnType::Text: return "text";
    case ColumnType::Memo: return "memo";
    case ColumnType::Integer: return "integer";
    case ColumnType::Float: return "float";
    case ColumnType::Blob: return "blob";
  }
  return "?";
}

const ColumnDef* TableDef::FindColumn(std::string_view column) const {
  for (const auto& c : columns)
    if (EqualsIgnoreCase(c.name, column)) return &c;
  return nullptr;
}

std::vector<const ColumnDef*> TableDef::KeyColumns() const {
  std::vector<const ColumnDef*> key;
  for (const auto& c : columns)
    if (c.key) key.push_back(&c);
  return key;
}

const TableDef* Catalogue::FindTable(std::string_view table) const {
  for (const auto& t : tables)
    if (EqualsIgnoreCase(t.name, table)) return &t;
  return nullptr;
}

std::optional<ColumnType> Catalogue::TypeOf(std::string_view table, std::string_view column) const {
  if (const TableDef* t = table.empty() ? nullptr : FindTable(table)) {
    if (const ColumnDef* c = t->FindColumn(column)) return c->type;
    return std::nullopt;
  }
  std::optional<ColumnType> found;
  for (const auto& t : tables) {
    const ColumnDef* c = t.FindColumn(column);
    if (!c) continue;
    if (found && *found != c->type) return std::nullopt;
    found = c->type;
  }
  return found;
}

namespace {

bool Reserved(std::string_view name) {
  std::string lower = AsciiLower(name);
  return lower.starts_with("corvane_") || lower.starts_with("sqlite_") || lower.starts_with("pg_");
}

// Identifiers must fit PostgreSQL's 63 bytes.
std::string NameProblem(std::string_view what, std::string_view name) {
  if (!IsPlainIdentifier(name) || name.size() > 63)
    return std::string(what) + " name \"" + std::string(name) + "\" is not a plain identifier";
  if (Reserved(name)) return std::string(what) + " name \"" + std::string(name) + "\" is reserved";
  return {};
}

}  // namespace

std::string Catalogue::Problem() const {
  if (version < 1) return "schema version must be at least 1";
  std::set<std::string> tableNames, indexNames;
  for (const auto& t : tables) {
    if (auto p = NameProblem("table", t.name); !p.empty()) return p;
    if (!tableNames.insert(AsciiLower(t.name)).second) return "table " + t.name + " is declared twice";
    if (t.since < 1 || t.since > version) return "table " + t.name + " has a version outside 1.." + std::to_string(version);
    if (t.columns.empty()) return "table " + t.name + " has no columns";
    std::set<std::string> columnNames;
    for (const auto& c : t.columns) {
      if (auto p = NameProblem("column", c.name); !p.empty()) return p;
      if (!columnNames.insert(AsciiLower(c.name)).second)
        return "column " + t.name + "." + c.name + " is declared twice";
      if (c.type == ColumnType::Text && c.size <= 0) return "text column " + t.name + "." + c.name + " needs a size";
      if (c.since < t.since || c.since > version)
        return "column " + t.name + "." + c.name + " has a version outside " + std::to_string(t.since) + ".." +
               std::to_string(version);
      if (c.key && (c.nullable || c.since != t.since))
        return "key column " + t.name + "." + c.name + " must be NOT NULL and as old as its table";
      if (c.since > t.since && c.nullable == false && c.defaultValue && c.defaultValue->IsNull())
        return "column " + t.name + "." + c.name + " is added NOT NULL with a NULL default";
      if (c.defaultValue && !c.defaultValue->IsNull()) {
        ValueType v = c.defaultValue->Type();
        bool fits = (c.type == ColumnType::Text || c.type == ColumnType::Memo) ? v == ValueType::Text
                    : c.type == ColumnType::Integer                            ? v == ValueType::Integer
                    : c.type == ColumnType::Float ? (v == ValueType::Double || v == ValueType::Integer)
                                                  : v == ValueType::Blob;
        if (!fits) return "default of column " + t.name + "." + c.name + " does not fit its type";
        if (v == ValueType::Double && !std::isfinite(c.defaultValue->AsDouble()))
          return "default of column " + t.name + "." + c.name + " is not a finite number";
        if (v == ValueType::Text && c.defaultValue->AsText().find('\0') != std::string::npos)
          return "default of column " + t.name + "." + c.name + " holds a NUL character";
      }
    }
    for (const auto& i : t.indexes) {
      if (auto p = NameProblem("index", i.name); !p.empty()) return p;
      if (!indexNames.insert(AsciiLower(i.name)).second) return "index " + i.name + " is declared twice";
      if (i.columns.empty()) return "index " + i.name + " has no columns";
      if (i.since < t.since || i.since > version) return "index " + i.name + " has a version outside its table's";
      for (const auto& c : i.columns) {
        const ColumnDef* col = t.FindColumn(c);
        if (!col) return "index " + i.name + " names an unknown column " + c;
        if (col->since > i.since) return "index " + i.name + " is older than its column " + c;
      }
    }
  }
  return {};
}

}  // namespace storage
