#include "server/storage/postgres/PostgresStatement.h"

#include "server/storage/postgres/PostgresConnection.h"

namespace storage {

Result PostgresStatement::DoExecute(std::span<const Value> params) {
  connection_.CheckUsable();
  if (params.size() != parameters_)
    throw EStorageError(ErrorKind::Syntax, "",
                        "the statement takes " + std::to_string(parameters_) + " parameters, not " +
                            std::to_string(params.size()));
  PgResult raw = connection_.Run(sql_, params);
  Result result;
  ReadColumns(raw.get(), result);
  ReadRows(raw.get(), result);
  result.affectedRows = AffectedRows(raw.get());
  return result;
}

}  // namespace storage
