// Private header of the PostgreSQL driver (not for use outside server/storage).
//
// How values, results and errors cross libpq: parameters go as text
// (integers as int8, doubles as float8, texts untyped so that the
// statement decides, blobs as binary bytea); results come back as text and
// are read by their column's type.
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/storage/EStorageError.h"
#include "server/storage/Result.h"
#include "server/storage/Value.h"

namespace storage {

struct PgResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using PgResult = std::unique_ptr<PGresult, PgResultDeleter>;

class PgParams {
 public:
  explicit PgParams(std::span<const Value> values);
  int Count() const { return static_cast<int>(types_.size()); }
  const Oid* Types() const { return types_.data(); }
  const char* const* Values() const { return pointers_.data(); }
  const int* Lengths() const { return lengths_.data(); }
  const int* Formats() const { return formats_.data(); }

 private:
  std::vector<Oid> types_;
  std::vector<std::string> texts_;
  std::vector<const char*> pointers_;
  std::vector<int> lengths_;
  std::vector<int> formats_;
};

// The statement with "?" placeholders numbered $1, $2, ...; count receives
// their number. Raises ErrorKind::Syntax for "$n" placeholders.
std::string NumberPlaceholders(std::string_view sql, std::size_t& count);

// The failure a result (or, without one, the connection) reports.
EStorageError ErrorOf(PGconn* conn, const PGresult* result);

// Columns of a result; with rows, also its rows (appended to `into`).
void ReadColumns(const PGresult* result, Result& into);
void ReadRows(const PGresult* result, Result& into);
// The rows an INSERT, UPDATE or DELETE wrote; 0 for other statements.
std::int64_t AffectedRows(const PGresult* result);

}  // namespace storage
