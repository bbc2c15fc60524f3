// TServerAccountService: IAccountService over the application server
// named by the client configuration ("127.0.0.1": the server installed in
// this process, when there is one; any other address: TCP).
//
// The login opens a login connection (credential "L1 <user>"), creates
// "Corvane.Login" and proves the password by its challenge
// (server::LogInOverWire); the password never travels. The token it
// answers becomes the session credential "S1 <token>", which every later
// connection of the process presents. The session's "Corvane.Session"
// object then tells the companies granted to the user (a company not
// among them refuses the login and ends the session), the programs of the
// menu with their rights (Programs) and ends the session (LogOut).
// Message texts come from "Corvane.Messages"; the validator and the
// counter from "MarnoSrv.Class1" CreateService, on a connection bound to
// the user, the company and one of the user's programs.
#pragma once

#include <memory>

#include "host/shell/AccountService.h"

namespace platform {
class TSocketConnection;
}

namespace host {

class TServerAccountService : public IAccountService {
 public:
  TServerAccountService();
  ~TServerAccountService() override;

  TLoginResult LogIn(const platform::AnsiString& user, const platform::AnsiString& company,
                     const platform::AnsiString& password) override;
  void LogOut() override;
  std::vector<TProgramEntry> Programs() override;
  platform::AnsiString MessageText(const platform::AnsiString& type, const platform::AnsiString& code) override;
  platform::Variant ServiceObject(const platform::AnsiString& name) override;

  const platform::AnsiString& Address() const { return address_; }
  int Port() const { return port_; }

 private:
  platform::Variant Session();
  platform::Variant Server();

  platform::AnsiString address_;
  int port_ = 211;
  platform::AnsiString user_;
  platform::AnsiString company_;
  platform::AnsiString database_;
  platform::AnsiString program_;  // a program of the user's menu, for the services' connection
  std::unique_ptr<platform::TSocketConnection> session_;
  std::unique_ptr<platform::TSocketConnection> server_;
};

}  // namespace host
