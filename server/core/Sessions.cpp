#include "server/core/Sessions.h"

#include <ctime>

#include "server/storage/Transaction.h"

namespace server {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

std::string TextAt(const storage::Result& r, std::size_t row, std::string_view column) {
  const storage::Value& v = r.At(row, column);
  return v.IsNull() ? std::string() : v.AsText();
}

std::string TimeText(const char* format) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, format, &local);
  return buffer;
}

}  // namespace

std::string StampNow() { return TimeText("%Y%m%d%H:%M:%S"); }
std::string Today() { return TimeText("%Y%m%d"); }

std::optional<UserIdentity> FindUser(storage::Connection& db, std::string_view userId) {
  auto r = db.Execute("SELECT USER_ID, USER_NAME, USER_GROUP FROM SYS_USER WHERE USER_ID = ?", {userId});
  if (r.rows.empty()) return std::nullopt;
  return UserIdentity{TextAt(r, 0, "USER_ID"), TextAt(r, 0, "USER_NAME"), TextAt(r, 0, "USER_GROUP")};
}

std::optional<PasswordVerifier> UserVerifier(storage::Connection& db, std::string_view userId) {
  auto r = db.Execute("SELECT PW_SALT, PW_ROUNDS, PW_HASH FROM SYS_USER WHERE USER_ID = ? AND DISABLED <> 'Y'",
                      {userId});
  if (r.rows.empty()) return std::nullopt;
  return PasswordVerifier{TextAt(r, 0, "PW_SALT"), static_cast<int>(r.At(0, "PW_ROUNDS").AsInteger()),
                          TextAt(r, 0, "PW_HASH")};
}

std::string OpenSession(storage::Connection& db, std::string_view userId) {
  std::string token = RandomHex(32);
  db.Execute("INSERT INTO SYS_SESSION (TOKEN_HASH, USER_ID, CREATED, ENDED) VALUES (?, ?, ?, '')",
             {Sha256Hex(token), userId, StampNow()});
  return token;
}

LoginResult LogIn(storage::Connection& db, std::string_view userId, std::string_view password) {
  std::optional<PasswordVerifier> verifier = UserVerifier(db, userId);
  if (!verifier) {
    // Spend the same time as for a known user, so that timing does not
    // tell which user codes exist.
    DeriveKey(password, "00", kPasswordRounds);
    return {false, {}, kLoginRefused};
  }
  if (!CheckPassword(*verifier, password)) return {false, {}, kLoginRefused};
  return {true, OpenSession(db, userId), {}};
}

std::optional<UserIdentity> SessionUser(storage::Connection& db, std::string_view token) {
  if (token.empty()) return std::nullopt;
  auto r = db.Execute(
      "SELECT U.USER_ID, U.USER_NAME, U.USER_GROUP FROM SYS_SESSION S JOIN SYS_USER U ON U.USER_ID = S.USER_ID "
      "WHERE S.TOKEN_HASH = ? AND S.ENDED = '' AND U.DISABLED <> 'Y'",
      {Sha256Hex(token)});
  if (r.rows.empty()) return std::nullopt;
  return UserIdentity{TextAt(r, 0, "USER_ID"), TextAt(r, 0, "USER_NAME"), TextAt(r, 0, "USER_GROUP")};
}

void LogOut(storage::Connection& db, std::string_view token) {
  db.Execute("UPDATE SYS_SESSION SET ENDED = ? WHERE TOKEN_HASH = ?", {StampNow(), Sha256Hex(token)});
}

std::vector<std::string> GrantedDatabases(storage::Connection& db, std::string_view userId) {
  auto r = db.Execute("SELECT DB_NAME FROM SYS_USER_COMPANY WHERE USER_ID = ? ORDER BY DB_NAME", {userId});
  std::vector<std::string> out;
  for (std::size_t i = 0; i < r.rows.size(); ++i) out.push_back(TextAt(r, i, "DB_NAME"));
  return out;
}

bool IsGranted(storage::Connection& db, std::string_view userId, std::string_view database) {
  auto r = db.Execute("SELECT 1 FROM SYS_USER_COMPANY WHERE USER_ID = ? AND DB_NAME = ?", {userId, Lower(database)});
  return !r.rows.empty();
}

std::vector<CompanyEntry> GrantedCompanies(storage::Connection& db, std::string_view userId) {
  auto r = db.Execute(
      "SELECT C.COMPANY_ID, C.DB_NAME, C.COMPANY_NAME FROM SYS_COMPANY C JOIN SYS_USER_COMPANY G "
      "ON G.DB_NAME = C.DB_NAME WHERE G.USER_ID = ? ORDER BY C.COMPANY_ID",
      {userId});
  std::vector<CompanyEntry> out;
  for (std::size_t i = 0; i < r.rows.size(); ++i)
    out.push_back({TextAt(r, i, "COMPANY_ID"), TextAt(r, i, "DB_NAME"), TextAt(r, i, "COMPANY_NAME")});
  return out;
}

std::optional<std::string> CompanyDatabase(storage::Connection& db, std::string_view companyId) {
  auto r = db.Execute("SELECT DB_NAME FROM SYS_COMPANY WHERE COMPANY_ID = ?", {companyId});
  if (r.rows.empty()) return std::nullopt;
  return TextAt(r, 0, "DB_NAME");
}

std::optional<ProgramRights> RightsOf(storage::Connection& db, std::string_view userId, std::string_view program) {
  auto r = db.Execute(
      "SELECT POWER_DATA, EX_POWER, GROUP_LIST, BASE_LIMITED FROM SYS_RIGHTS WHERE USER_ID = ? AND PROGRAM = ?",
      {userId, program});
  if (r.rows.empty()) return std::nullopt;
  return ProgramRights{TextAt(r, 0, "POWER_DATA"), TextAt(r, 0, "EX_POWER"), TextAt(r, 0, "GROUP_LIST"),
                       TextAt(r, 0, "BASE_LIMITED")};
}

std::optional<std::vector<std::string>> ProgramSettings(storage::Connection& db, std::string_view program) {
  auto p = db.Execute("SELECT PROGRAM FROM SYS_PROGRAM WHERE PROGRAM = ?", {program});
  if (p.rows.empty()) return std::nullopt;
  auto r = db.Execute("SELECT LINE_TEXT FROM SYS_PROGRAM_SETTING WHERE PROGRAM = ? ORDER BY LINE_NO", {program});
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < r.rows.size(); ++i) lines.push_back(TextAt(r, i, "LINE_TEXT"));
  return lines;
}

std::optional<std::string> MessageText(storage::Connection& db, std::string_view code) {
  auto r = db.Execute("SELECT MSG_TEXT FROM SYS_MESSAGE WHERE MSG_CODE = ?", {code});
  if (r.rows.empty()) return std::nullopt;
  return TextAt(r, 0, "MSG_TEXT");
}

std::optional<std::string> FormatDocument(storage::Connection& db, std::string_view companyId,
                                          std::string_view program) {
  auto r = db.Execute("SELECT FORMAT_XML FROM SYS_FORMAT WHERE COMPANY_ID = ? AND PROGRAM = ?", {companyId, program});
  if (r.rows.empty()) return std::nullopt;
  return TextAt(r, 0, "FORMAT_XML");
}

}  // namespace server
