// Catalogue: the declared tables of one database (the system data, or a
// company database) at one schema version.
//
// Connection::ApplySchema creates the tables of a catalogue and upgrades
// an older database to its version: a database records its version, and
// tables, columns and indexes whose `since` is newer are added. Upgrades
// only add; renaming or dropping is not declared here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/storage/TableDef.h"

namespace storage {

struct Catalogue {
  int version = 1;
  std::vector<TableDef> tables{};

  // Table by name, ASCII case ignored; nullptr when absent.
  const TableDef* FindTable(std::string_view table) const;
  // The column of a table; with an empty or unknown table name, the
  // column when exactly one declared type is found for that name across
  // all tables.
  std::optional<ColumnType> TypeOf(std::string_view table, std::string_view column) const;

  // Empty when the catalogue is well-formed, else what is wrong with it:
  // names must be plain identifiers (letters, digits, "_"; not starting
  // with a digit), unique, and not reserved for the storage itself; text
  // columns need a size; versions are 1..version.
  std::string Problem() const;

  friend bool operator==(const Catalogue&, const Catalogue&) = default;
};

}  // namespace storage
