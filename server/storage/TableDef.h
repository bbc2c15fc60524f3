// TableDef: one declared table with its columns, key and indexes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "server/storage/ColumnDef.h"

namespace storage {

struct IndexDef {
  std::string name{};
  std::vector<std::string> columns{};
  bool unique = false;
  int since = 1;
  friend bool operator==(const IndexDef&, const IndexDef&) = default;
};

struct TableDef {
  std::string name{};
  std::vector<ColumnDef> columns{};
  std::vector<IndexDef> indexes{};
  // The schema version that added the table.
  int since = 1;

  // Column by name, ASCII case ignored; nullptr when absent.
  const ColumnDef* FindColumn(std::string_view column) const;
  std::vector<const ColumnDef*> KeyColumns() const;

  friend bool operator==(const TableDef&, const TableDef&) = default;
};

}  // namespace storage
