// CompanySession: what a server object needs to know about the session
// that asked for it: who (user), for which company (company code and its
// database) and the storage connection of the session.
//
// The connection belongs to the application server's session; `owner`
// keeps that session alive while objects handed to the client hold this
// one (automation objects are reference counted and may be released after
// the call that created them). Objects hold a CompanySession by shared_ptr.
#pragma once

#include <memory>
#include <string>

#include "server/storage/Connection.h"

namespace company {

struct CompanySession {
  storage::Connection* db = nullptr;
  std::shared_ptr<void> owner;  // keeps *db alive; may be empty when the caller guarantees it
  std::string companyId;        // the company's code (KVTMB.MB001), e.g. "DEMO"
  std::string database;         // its company database name, e.g. "demo"
  std::string userId;           // the logged-in user

  // The connection, with the session's company database in use.
  storage::Connection& Db() {
    if (db->Company() != LowerDatabase()) db->UseCompany(database);
    return *db;
  }
  std::string LowerDatabase() const {
    std::string s = database;
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  }
};

using CompanySessionPtr = std::shared_ptr<CompanySession>;

}  // namespace company
