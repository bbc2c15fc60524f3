// Counter: the named-function service of a session ("Com_Counter").
//
// GetSysInfo answers the company's system parameters; GETCOUNTER runs one
// named server function (names compared without regard to ASCII case):
//
//   SimpleSql / SimpleSQL  [sql, "F1,F2,...", Database, "N"]: the module's
//       query, rewritten for the engine and run in the sandbox; rows of the
//       listed fields in list order (columns matched by name or alias;
//       all columns when no list); Empty when no row.
//   TransactionSQL  [[stmt, ...], ""]: the deletes of attachment rows the
//       module sends ("DELETE FROM ATTACH WHERE col = 'v' AND ..."), as
//       parameterised statements in one transaction; anything else is
//       refused before any statement runs. Answers 0.
//   QueryUDFData  [formula, "", Database, "N", [values]]: the formula is a
//       query (or, when it does not start with SELECT or WITH, an
//       expression to select) in the module's dialect whose "?" take the
//       source values in order; it runs in the sandbox; rows.
//   GetUserDefine  [CompanyID, UserID, ProgramCode, group]: the group's
//       settings as "<group><element>value</element>...</group>", the
//       program's own value before the all-program one; "" when none.
//   SetUserDefine  [CompanyID, UserID, scope, path, value]: path
//       "group/element" stores one value; path "." takes value as the whole
//       group element and stores each child. Answers "" or the error text.
//   INSERTJXJOB  [jobArray]: queues a sign-off job: 0 queued, 1 the
//       document is queued already, 2 the job could not be written.
//   GetJXApprove  [UserID, formID, messageText, "936"]: the approval
//       history text of a job; "" (no approvals are recorded here).
//   CallWebService  [address, argument, request, "N"]: refused: this
//       server relays no web-service calls.
//
// The company and database a call names (GetSysInfo's CompanyID, the
// third GETCOUNTER argument [CompanyID, Database], the parameters that
// name them) must be the session's; the user named must be the session's
// user. Other failures raise, with a text the module logs or shows.
#pragma once

#include <span>

#include "platform/DispatchTable.h"
#include "server/company/CompanySession.h"

namespace validator {

class Counter : public platform::Dispatchable<Counter> {
 public:
  explicit Counter(company::CompanySessionPtr session) : session_(std::move(session)) {}

  static const platform::DispatchTable<Counter>& AutomationMembers();

  // A 2-D array [0..1, 0..n-1]: [0, i] a parameter name, [1, i] its value.
  platform::Variant GetSysInfo(platform::Variant& companyId);
  // (var functionName, var parameters[, [CompanyID, Database]]).
  platform::Variant GETCOUNTER(std::span<platform::Variant> args);

  platform::Variant SimpleSql(const platform::Variant& params);
  platform::Variant TransactionSQL(const platform::Variant& params);
  platform::Variant QueryUDFData(const platform::Variant& params);
  platform::Variant GetUserDefine(const platform::Variant& params);
  platform::Variant SetUserDefine(const platform::Variant& params);
  platform::Variant INSERTJXJOB(const platform::Variant& params);
  platform::Variant GetJXApprove(const platform::Variant& params);
  platform::Variant CallWebService(const platform::Variant& params);

 private:
  void CheckCompany(const std::string& companyId) const;
  void CheckDatabase(const std::string& database) const;
  void CheckUser(const std::string& userId) const;
  storage::Result Sandboxed(const std::string& moduleSql, std::span<const storage::Value> params);
  void StoreSetting(const std::string& user, const std::string& scope, const std::string& group,
                    const std::string& element, const std::string& value);

  company::CompanySessionPtr session_;
};

// The twenty "*" that name the all-program scope of a user setting.
inline constexpr const char* kAllProgramsScope = "********************";

}  // namespace validator
