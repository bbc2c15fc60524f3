// TServerAccountService: IAccountService over the application server
// named by the client configuration ("127.0.0.1": the server in this
// process; any other address: TCP).
//
// The login opens a login connection (credential "L1 <user>"), creates
// "Corvane.Login" and calls its LogIn(user, company, password), which
// answers [accepted, token or refusal text, company database]. The token
// becomes the session credential "S1 <token>"; from then on the host's
// own connection creates "MarnoSrv.Class1" (programs and rights,
// validator, counter) and "Corvane.Messages" (message texts).
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

 private:
  platform::Variant Server();

  platform::AnsiString address_;
  int port_ = 211;
  platform::AnsiString user_;
  platform::AnsiString company_;
  platform::AnsiString database_;
  std::unique_ptr<platform::TSocketConnection> connection_;
};

}  // namespace host
