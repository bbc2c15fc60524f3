#include "server/storage/Result.h"

#include <cassert>

#include "server/storage/SqlLexer.h"

namespace storage {

std::optional<std::size_t> Result::ColumnIndex(std::string_view name) const {
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (EqualsIgnoreCase(columns[i].name, name)) return i;
  return std::nullopt;
}

const Value& Result::At(std::size_t row, std::string_view column) const {
  auto index = ColumnIndex(column);
  assert(index && row < rows.size());
  return rows[row][*index];
}

}  // namespace storage
