// TransactionSql: the statements the module sends through TransactionSQL,
// run as one transaction.
//
// The module sends one kind only: deleting the attachment records of a
// document, "DELETE FROM ATTACH WHERE Parent = '...' AND CompanyID = '...'
// AND KeyValues = '...'". A statement is accepted only in that shape — a
// DELETE from a table of the allow-list, with a WHERE of "column =
// 'text'" terms joined by AND, every column one of the table's declared
// columns — and is then run as a parameterised DELETE on the session's
// company database, so a quote inside a value cannot change the
// statement. Anything else refuses the whole call before anything runs.
#pragma once

#include <string>
#include <vector>

#include "server/storage/Catalogue.h"
#include "server/storage/Connection.h"

namespace server {

struct TransactionSqlResult {
  bool ok = false;
  std::string message;         // why not, when not ok
  std::int64_t deletedRows = 0;
};

// The tables TransactionSQL may delete from.
const std::vector<std::string>& TransactionSqlTables();

// statements: UTF-8 texts in the module's dialect ("$$ATTACH" and
// "<database>..ATTACH" name the session's company database).
TransactionSqlResult RunTransactionSql(storage::Connection& db, const storage::Catalogue& catalogue,
                                       const std::vector<std::string>& statements);

}  // namespace server
