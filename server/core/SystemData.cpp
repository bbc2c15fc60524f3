#include "server/core/SystemData.h"

#include "server/core/PasswordHash.h"
#include "server/core/SystemCatalogue.h"
#include "server/storage/Transaction.h"

namespace server {

namespace {

void CheckSize(std::string_view what, std::string_view value, std::size_t size, bool required = true) {
  if (required && value.empty()) throw ESystemDataError(std::string(what) + " is empty");
  if (value.size() > size)
    throw ESystemDataError(std::string(what) + " \"" + std::string(value) + "\" is longer than " +
                           std::to_string(size) + " bytes");
}

// Replaces the row with the key: a delete and an insert in one transaction.
void Replace(storage::Connection& db, const std::string& table, const std::vector<std::string>& keyColumns,
             const std::vector<std::string>& columns, const std::vector<storage::Value>& values) {
  std::string where, names, marks;
  for (std::size_t i = 0; i < keyColumns.size(); ++i) where += (i ? " AND " : "") + keyColumns[i] + " = ?";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    names += (i ? ", " : "") + columns[i];
    marks += i ? ", ?" : "?";
  }
  std::vector<storage::Value> keys(values.begin(), values.begin() + static_cast<long>(keyColumns.size()));
  auto run = [&] {
    db.Execute("DELETE FROM " + table + " WHERE " + where, keys);
    db.Execute("INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")", values);
  };
  if (db.InTransaction()) {
    run();
    return;
  }
  storage::Transaction t = db.Begin(storage::TransactionMode::Write);
  run();
  t.Commit();
}

}  // namespace

void CreateSystemSchema(storage::Connection& db) { db.ApplySchema(SystemCatalogue()); }

void AddCompany(storage::Connection& db, std::string_view companyId, std::string_view database,
                std::string_view companyName) {
  CheckSize("company code", companyId, 20);
  if (!storage::Connection::IsValidCompanyName(database))
    throw ESystemDataError("\"" + std::string(database) + "\" cannot name a company database");
  CheckSize("company name", companyName, 80, false);
  std::string lower;
  for (char c : database) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  Replace(db, "SYS_COMPANY", {"COMPANY_ID"}, {"COMPANY_ID", "DB_NAME", "COMPANY_NAME"},
          {companyId, lower, companyName});
}

void AddUser(storage::Connection& db, std::string_view userId, std::string_view password, std::string_view userName,
             std::string_view userGroup) {
  CheckSize("user code", userId, 20);
  CheckSize("user name", userName, 60, false);
  CheckSize("user group", userGroup, 10, false);
  PasswordVerifier v = MakeVerifier(password);
  Replace(db, "SYS_USER", {"USER_ID"},
          {"USER_ID", "USER_NAME", "USER_GROUP", "PW_SALT", "PW_ROUNDS", "PW_HASH", "DISABLED"},
          {userId, userName, userGroup, v.salt, v.rounds, v.hash, "N"});
}

void SetPassword(storage::Connection& db, std::string_view userId, std::string_view password) {
  PasswordVerifier v = MakeVerifier(password);
  auto r = db.Execute("UPDATE SYS_USER SET PW_SALT = ?, PW_ROUNDS = ?, PW_HASH = ? WHERE USER_ID = ?",
                      {v.salt, v.rounds, v.hash, userId});
  if (r.affectedRows == 0) throw ESystemDataError("there is no user \"" + std::string(userId) + "\"");
}

void GrantCompany(storage::Connection& db, std::string_view userId, std::string_view database) {
  CheckSize("user code", userId, 20);
  if (!storage::Connection::IsValidCompanyName(database))
    throw ESystemDataError("\"" + std::string(database) + "\" cannot name a company database");
  std::string lower;
  for (char c : database) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  Replace(db, "SYS_USER_COMPANY", {"USER_ID", "DB_NAME"}, {"USER_ID", "DB_NAME"}, {userId, lower});
}

void StoreRights(storage::Connection& db, std::string_view userId, std::string_view program,
                 const ProgramRights& rights) {
  CheckSize("user code", userId, 20);
  CheckSize("program code", program, 20);
  CheckSize("POWER_DATA", rights.powerData, 255, false);
  CheckSize("GROUP_LIST", rights.groupList, 255, false);
  Replace(db, "SYS_RIGHTS", {"USER_ID", "PROGRAM"},
          {"USER_ID", "PROGRAM", "POWER_DATA", "EX_POWER", "GROUP_LIST", "BASE_LIMITED"},
          {userId, program, rights.powerData, rights.exPower, rights.groupList, rights.baseLimited});
}

void StoreProgram(storage::Connection& db, std::string_view program, std::string_view programName,
                  const std::vector<std::string>& settingLines) {
  CheckSize("program code", program, 20);
  CheckSize("program name", programName, 80, false);
  auto write = [&] {
    Replace(db, "SYS_PROGRAM", {"PROGRAM"}, {"PROGRAM", "PROGRAM_NAME"}, {program, programName});
    db.Execute("DELETE FROM SYS_PROGRAM_SETTING WHERE PROGRAM = ?", {program});
    int line = 0;
    for (const std::string& text : settingLines)
      db.Execute("INSERT INTO SYS_PROGRAM_SETTING (PROGRAM, LINE_NO, LINE_TEXT) VALUES (?, ?, ?)",
                 {program, ++line, text});
  };
  if (db.InTransaction()) return write();
  storage::Transaction t = db.Begin(storage::TransactionMode::Write);
  write();
  t.Commit();
}

void StoreMessage(storage::Connection& db, std::string_view code, std::string_view text) {
  CheckSize("message code", code, 20);
  Replace(db, "SYS_MESSAGE", {"MSG_CODE"}, {"MSG_CODE", "MSG_TEXT"}, {code, text});
}

void StoreMessages(storage::Connection& db, const std::vector<std::pair<std::string, std::string>>& messages) {
  auto write = [&] {
    for (const auto& [code, text] : messages) StoreMessage(db, code, text);
  };
  if (db.InTransaction()) return write();
  storage::Transaction t = db.Begin(storage::TransactionMode::Write);
  write();
  t.Commit();
}

void StoreFormat(storage::Connection& db, std::string_view companyId, std::string_view program,
                 std::string_view xml) {
  CheckSize("company code", companyId, 20);
  CheckSize("program code", program, 20);
  Replace(db, "SYS_FORMAT", {"COMPANY_ID", "PROGRAM"}, {"COMPANY_ID", "PROGRAM", "FORMAT_XML"},
          {companyId, program, xml});
}

}  // namespace server
