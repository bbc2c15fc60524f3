// Result: the rows a statement returned, with its column names and types.
//
// Results are read completely before a call returns (no cursor outlives a
// statement). Column names are as the engine reports them: PostgreSQL
// folds unquoted names to lower case, SQLite keeps the spelling of the
// statement, so look columns up with ColumnIndex, which ignores ASCII case.
// A column's type is its declared type where the engine knows one, else
// the type of its first non-NULL value (Null when every value is NULL).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/storage/Value.h"

namespace storage {

struct ResultColumn {
  std::string name;
  ValueType type = ValueType::Null;
  friend bool operator==(const ResultColumn&, const ResultColumn&) = default;
};

using Row = std::vector<Value>;

struct Result {
  std::vector<ResultColumn> columns;
  std::vector<Row> rows;
  // Rows written by an INSERT, UPDATE or DELETE; 0 for other statements.
  std::int64_t affectedRows = 0;

  std::optional<std::size_t> ColumnIndex(std::string_view name) const;
  // The cell of a row by column name; an unknown column is a programmer error.
  const Value& At(std::size_t row, std::string_view column) const;
};

}  // namespace storage
