// MarnoSrv: the application-server object "MarnoSrv.Class1" of a data
// module's connection. One object is one session (ServerSession): the
// identity of the connection's credential, its own storage connection,
// and the state its calls refer to.
//
// Members (names without regard to ASCII case; errors are the error value
// of the call, never a status):
//   Connect(var [ProgramCode, UserID, CompanyID, Database, ...]) -> 0
//       refuses (raises) when the user is not the session's, the database
//       is not granted to the user or not the company's, or the program is
//       not defined
//   SvrData() -> "NAME=VALUE" lines (CR LF): USER_GROUP, GROUP_LIST,
//       POWER_DATA, EX_POWER, BaseLimited, MAX_RECORD (1..40), then the
//       program's settings
//   WhatIs / Whatis("TODAY" | "SQLTYPE" | "SEQNO")
//   GetRecCount() -> the row count of the last pvdMain opening
//   SetIsSeq(flag), SetTopRow(rows)
//   GetFormat(CompanyID, ProgramCode) -> settings document or ""
//   GetBaseLimitedRecs(prefix, where, rowCount) -> [rowCount, []]
//   LoadTable([UserID, ProgramCode]), InsertConTable([...]),
//   DeleteConTable([...]), ChangeConName([...], [...]) -> "" or error text
//   SimpleSql(sql, fieldList, database) -> rows (see SimpleSql.h)
//   TransactionSQL([[statement, ...], ""]) -> 0 (see TransactionSql.h)
//   GetMessageText(code) -> the coded message text ("" when none)
//   CreateService(name) -> a service object of ServerSettings::companyServices
//       bound to the connected user, company and database (its handle)
// and the provider members (ProviderDispatch.h) for pvdMain, pvdColor and
// pvdConSave.
#pragma once

#include <memory>
#include <span>

#include "platform/DispatchTable.h"
#include "platform/data/ProviderDispatch.h"
#include "server/objects/ProgramProvider.h"
#include "server/objects/SchemeProvider.h"
#include "server/objects/ServerSession.h"

namespace server {

class MarnoSrv : public platform::Dispatchable<MarnoSrv> {
 public:
  MarnoSrv(std::shared_ptr<ServerContext> context, SessionIdentity identity);
  static const platform::DispatchTable<MarnoSrv>& AutomationMembers();

  platform::Variant Invoke(std::string_view name, platform::InvokeKind kind,
                           std::span<platform::Variant> args) override;

  int Connect(platform::Variant& args);
  platform::AnsiString SvrData();
  platform::Variant WhatIs(const platform::AnsiString& item);
  int GetRecCount();
  void SetIsSeq(const platform::Variant& flag);
  void SetTopRow(const platform::Variant& rows);
  platform::Variant GetFormat(std::span<platform::Variant> args);
  platform::Variant GetBaseLimitedRecs(const platform::AnsiString& prefix, const platform::AnsiString& where,
                                       int rowCount);
  platform::AnsiString LoadTable(const platform::Variant& args);
  platform::AnsiString InsertConTable(const platform::Variant& args);
  platform::AnsiString DeleteConTable(const platform::Variant& args);
  platform::AnsiString ChangeConName(const platform::Variant& oldName, const platform::Variant& newName);
  platform::Variant SimpleSql(std::span<platform::Variant> args);
  int TransactionSQL(std::span<platform::Variant> args);
  platform::AnsiString GetMessageText(const platform::AnsiString& code);
  platform::Variant CreateService(const platform::AnsiString& name);

  ServerSession& Session() { return session_; }

 private:
  ServerSession session_;
  ProgramProvider main_;
  ProgramProvider color_;
  SchemeProvider schemes_;
  std::shared_ptr<platform::TProviderDispatch> providers_;
};

}  // namespace server
