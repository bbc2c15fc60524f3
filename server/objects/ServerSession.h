// ServerSession: the state of one application-server object — who is
// logged in, the storage connection it uses, the program and company its
// Connect named, and what later calls refer to (the count of the last
// query, the numbering switch, the top-row limit, the last number given,
// the filter of the saved schemes).
//
// Every call that names an identity, a company or a database checks it
// against this session (Require...).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Exceptions.h"
#include "server/core/Sessions.h"
#include "server/objects/ServerContext.h"
#include "server/storage/Connection.h"

namespace server {

// Refusals the client sees as the error value of its call.
class EServerRefusal : public platform::Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EServerRefusal"; }
};

// The settings text of a program, by name (ASCII case ignored).
class ProgramDefinition {
 public:
  ProgramDefinition() = default;
  ProgramDefinition(std::string code, std::vector<std::string> lines);
  const std::string& Code() const { return code_; }
  const std::vector<std::string>& Lines() const { return lines_; }
  // The value of a setting; empty when absent.
  std::string Value(std::string_view name) const;
  bool Has(std::string_view name) const;
  // The packet size: MAX_RECORD, always 1..40 (absent or not a number: 40).
  int MaxRecord() const;

 private:
  std::string code_;
  std::vector<std::string> lines_;
  std::map<std::string, std::string> values_;  // upper-case name -> value
};

class ServerSession {
 public:
  ServerSession(std::shared_ptr<ServerContext> context, SessionIdentity identity);

  ServerContext& Context() { return *context_; }
  const UserIdentity& User() const { return identity_.user; }
  // The storage connection of this session (opened on first use).
  storage::Connection& Db();

  // Connect: checks and records the program, company and database.
  void Connect(const std::string& program, const std::string& userId, const std::string& companyId,
               const std::string& database);
  bool Connected() const { return connected_; }
  // Raises EServerRefusal when Connect has not succeeded.
  void RequireConnected() const;
  // Raises EServerRefusal unless the database is the session's.
  void RequireDatabase(std::string_view database) const;
  void RequireCompany(std::string_view companyId) const;
  void RequireUser(std::string_view userId) const;

  const std::string& Program() const { return program_; }
  const std::string& CompanyId() const { return companyId_; }
  const std::string& Database() const { return database_; }
  const ProgramDefinition& Definition() const { return definition_; }
  const ProgramRights& Rights() const { return rights_; }
  bool HasRightsRecord() const { return hasRights_; }
  // The program right at a 1-based position of the rights field of
  // POWER_DATA (2 edit, 3 delete, 9 add): "Y" grants.
  bool HasRight(int position) const;

  // A coded message text in UTF-8, or the fallback when there is none.
  std::string Message(std::string_view code, std::string_view fallback);

  // Per-connection state of the providers and server methods.
  int lastCount = 0;
  bool numberOnInsert = false;  // SetIsSeq
  int topRow = 0;               // SetTopRow; 0: no limit
  std::string lastSeqNo;        // WhatIs("SEQNO")
  std::string schemeUser;       // LoadTable filter
  std::string schemeProgram;

 private:
  std::shared_ptr<ServerContext> context_;
  SessionIdentity identity_;
  std::unique_ptr<storage::Connection> db_;
  bool connected_ = false;
  std::string program_, companyId_, database_;
  ProgramDefinition definition_;
  ProgramRights rights_;
  bool hasRights_ = false;
};

}  // namespace server
