// ColumnDef: one declared column of a table.
//
// The declared catalogue (ColumnDef, TableDef, Catalogue) is what the
// server knows about its tables: the drivers create tables from it and the
// server builds packet metadata from it, never from the engine, so both
// engines describe a table identically.
#pragma once

#include <optional>
#include <string>

#include "server/storage/Value.h"

namespace storage {

enum class ColumnType {
  Text,     // VARCHAR of `size` code-page bytes, binary collation
  Memo,     // unbounded text, binary collation
  Integer,  // 64-bit integer
  Float,    // double
  Blob,     // bytes
};

const char* ColumnTypeName(ColumnType type);

struct ColumnDef {
  std::string name{};
  ColumnType type = ColumnType::Text;
  // Text: the size in bytes of the database code page (a character of code
  // page 936 takes one or two). The server checks values against it; the
  // engines refuse texts of more than `size` characters.
  int size = 0;
  bool nullable = false;
  // Part of the primary key; key columns form the key in declaration order.
  bool key = false;
  // Default for inserts that leave the column out; when absent a NOT NULL
  // column defaults to '' or 0 (text columns store '' rather than NULL).
  std::optional<Value> defaultValue{};
  // The schema version that added the column (see Catalogue).
  int since = 1;

  friend bool operator==(const ColumnDef&, const ColumnDef&) = default;
};

}  // namespace storage
