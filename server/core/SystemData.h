// SystemData: writing the system database (installation and demo data).
//
// All texts are UTF-8, as the storage holds them. Every function writes
// through parameterised statements and replaces an existing record of the
// same key, so an installation can be written again over itself.
// Failures of the storage raise storage::EStorageError; a value that does
// not fit (an identifier too long, an empty user) raises
// server::ESystemDataError.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Exceptions.h"
#include "server/storage/Connection.h"

namespace server {

class ESystemDataError : public platform::Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "ESystemDataError"; }
};

// Creates or upgrades the system tables (SystemCatalogue).
void CreateSystemSchema(storage::Connection& db);

// A company: the code the module sends as CompanyID and its database name
// (a plain identifier, see storage::Connection::IsValidCompanyName).
void AddCompany(storage::Connection& db, std::string_view companyId, std::string_view database,
                std::string_view companyName);

// A user with a password (stored as a salted hash) and a group
// (USER_GROUP of the user information).
void AddUser(storage::Connection& db, std::string_view userId, std::string_view password, std::string_view userName,
             std::string_view userGroup);
// Sets a new password.
void SetPassword(storage::Connection& db, std::string_view userId, std::string_view password);

// Lets the user use the company database.
void GrantCompany(storage::Connection& db, std::string_view userId, std::string_view database);

// A user's rights record for a program: the user information lines
// POWER_DATA, EX_POWER, GROUP_LIST and BaseLimited that SvrData sends.
struct ProgramRights {
  std::string powerData;
  std::string exPower;
  std::string groupList;
  std::string baseLimited;
};
void StoreRights(storage::Connection& db, std::string_view userId, std::string_view program,
                 const ProgramRights& rights);

// A program definition: its code, name and settings text, one
// "NAME=VALUE" line per element (M11_TABLE, M11_KEY, M11_SELECT, D11_TABLE,
// D11_KEY, D11_SELECT, MAX_RECORD, ...), kept in order.
void StoreProgram(storage::Connection& db, std::string_view program, std::string_view programName,
                  const std::vector<std::string>& settingLines);

// Coded message texts: code "E/000001" (kind, "/", number) and its text,
// with placeholders as the caller passes arguments.
void StoreMessage(storage::Connection& db, std::string_view code, std::string_view text);
void StoreMessages(storage::Connection& db, const std::vector<std::pair<std::string, std::string>>& messages);

// A settings document (GetFormat) of a company and program.
void StoreFormat(storage::Connection& db, std::string_view companyId, std::string_view program,
                 std::string_view xml);

}  // namespace server
