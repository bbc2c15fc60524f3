// Validator: the validation and query service of a session ("Com_Validator").
//
// CheckValue and QueryData answer the table and check-code pairs of
// CheckCodes.h on the session's company database; QueryMaxSeq proposes
// the next document number of a table. The database a call names must be
// the session's; another one is refused. BaseLimited holds the user's
// base-data rights token, as the module sets it before every call.
//
// Failures (an unknown pair, too few key values, another company's
// database, a storage error) raise; the module treats a raised call as
// "not found".
#pragma once

#include "platform/DispatchTable.h"
#include "server/company/CompanySession.h"

namespace validator {

class Validator : public platform::Dispatchable<Validator> {
 public:
  explicit Validator(company::CompanySessionPtr session) : session_(std::move(session)) {}

  static const platform::DispatchTable<Validator>& AutomationMembers();

  // Found: result is the first matching row (a 1-D array of its columns);
  // not found: false and result Empty.
  bool CheckValue(const platform::AnsiString& table, const platform::AnsiString& code, platform::Variant& database,
                  platform::Variant& keys, platform::Variant& result);
  // Found: result is an array of rows, each a 1-D array.
  bool QueryData(const platform::AnsiString& table, const platform::AnsiString& code, platform::Variant& database,
                 platform::Variant& keys, platform::Variant& result);
  // The next number of the last field of keyFieldList (comma-terminated)
  // among the rows whose other listed fields equal keyValues; with a date
  // (YYYYMMDD) and a field longer than 8 the number is the date followed
  // by a serial of that date. The number is zero-padded to the field size.
  bool QueryMaxSeq(platform::Variant& table, platform::Variant& keyFieldList, const platform::Variant& keyValues,
                   platform::Variant& date, platform::Variant& programCode, platform::Variant& database,
                   platform::Variant& number);

  // For the host's look-up window (not a member the module calls): the
  // rows of a table and kind from a starting value, as
  // LookupRowsToVariant (LookupWindow.h) lays them out.
  platform::Variant LookupRows(const platform::AnsiString& table, const platform::AnsiString& kind,
                               const platform::Variant& startValue, const platform::Variant& filter);

  platform::AnsiString GetBaseLimited() const { return baseLimited_; }
  void SetBaseLimited(const platform::AnsiString& value) { baseLimited_ = value; }

 private:
  storage::Result Run(const platform::AnsiString& table, const platform::AnsiString& code,
                      const platform::Variant& database, const platform::Variant& keys);
  void CheckDatabase(const platform::Variant& database) const;

  company::CompanySessionPtr session_;
  platform::AnsiString baseLimited_;
};

// The key values of a call as UTF-8 texts: the elements of a 1-D array, or
// one scalar value.
std::vector<std::string> KeyTexts(const platform::Variant& keys);

}  // namespace validator
