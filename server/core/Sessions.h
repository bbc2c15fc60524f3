// Sessions: logins, session tokens, and what the system database says of
// a user (company grants, rights records, program settings, messages).
//
// A login checks the password against the stored salted hash and opens a
// session: a random token, of which only a hash is stored, so that the
// system data alone gives nobody a live session. The token is the
// credential the client presents in every handshake (see Credential.h).
// Sessions live in the database, so several server processes on one
// PostgreSQL database share them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/PasswordHash.h"
#include "server/core/SystemData.h"
#include "server/storage/Connection.h"

namespace server {

struct UserIdentity {
  std::string userId;
  std::string userName;
  std::string userGroup;
  friend bool operator==(const UserIdentity&, const UserIdentity&) = default;
};

struct LoginResult {
  bool ok = false;
  std::string token;    // when ok
  std::string message;  // when not: for the user
};

// The text a refused login shows (the same for an unknown user and a wrong
// password, so that it does not tell which user codes exist).
inline constexpr const char* kLoginRefused = "The user code or the password is not correct.";

LoginResult LogIn(storage::Connection& db, std::string_view userId, std::string_view password);
// Opens a session for a user whose identity was proven otherwise (the
// challenge-response login); returns the token.
std::string OpenSession(storage::Connection& db, std::string_view userId);
// The user of an open session; empty for an unknown or ended token.
std::optional<UserIdentity> SessionUser(storage::Connection& db, std::string_view token);
void LogOut(storage::Connection& db, std::string_view token);

std::optional<UserIdentity> FindUser(storage::Connection& db, std::string_view userId);
// The stored verifier of an enabled user.
std::optional<PasswordVerifier> UserVerifier(storage::Connection& db, std::string_view userId);

// Company databases (lower case) granted to the user, in name order.
std::vector<std::string> GrantedDatabases(storage::Connection& db, std::string_view userId);
bool IsGranted(storage::Connection& db, std::string_view userId, std::string_view database);
struct CompanyEntry {
  std::string companyId;
  std::string database;
  std::string companyName;
  friend bool operator==(const CompanyEntry&, const CompanyEntry&) = default;
};
// The companies whose databases are granted to the user, by company code.
std::vector<CompanyEntry> GrantedCompanies(storage::Connection& db, std::string_view userId);
// The database of a company code.
std::optional<std::string> CompanyDatabase(storage::Connection& db, std::string_view companyId);

std::optional<ProgramRights> RightsOf(storage::Connection& db, std::string_view userId, std::string_view program);
// The settings lines of a program; empty when the program is not defined.
std::optional<std::vector<std::string>> ProgramSettings(storage::Connection& db, std::string_view program);
std::optional<std::string> MessageText(storage::Connection& db, std::string_view code);
std::optional<std::string> FormatDocument(storage::Connection& db, std::string_view companyId,
                                          std::string_view program);

// "YYYYMMDDhh:mm:ss" now, local time (the system columns' stamp).
std::string StampNow();
// "YYYYMMDD" today, local time.
std::string Today();

}  // namespace server
