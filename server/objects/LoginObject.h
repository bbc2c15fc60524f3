// LoginObject: "Corvane.Login", the password login over a connection that
// presented a login credential ("L1 <user>", Credential.h). The password
// never travels: Challenge gives the user's salt, rounds and a fresh
// challenge; Answer takes HMAC-SHA-256(PBKDF2(password, salt, rounds),
// challenge) in hex and returns the new session's token, the credential
// of the connections that follow. A wrong answer raises; each challenge
// serves one answer. LogInOverWire is the client's side.
#pragma once

#include <memory>
#include <string>

#include "platform/DispatchTable.h"
#include "server/objects/ServerContext.h"

namespace server {

class LoginObject : public platform::Dispatchable<LoginObject> {
 public:
  LoginObject(std::shared_ptr<ServerContext> context, std::string user);
  static const platform::DispatchTable<LoginObject>& AutomationMembers();

  platform::Variant Challenge();
  platform::AnsiString Answer(const platform::AnsiString& proof);

 private:
  std::shared_ptr<ServerContext> context_;
  std::string user_;
  std::string challenge_;
  std::optional<PasswordVerifier> verifier_;
};

// Logs in through a "Corvane.Login" object of a login connection; returns
// the session token, or raises with the server's refusal.
std::string LogInOverWire(const platform::Variant& loginObject, std::string_view password);

}  // namespace server
