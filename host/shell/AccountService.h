// IAccountService: what the host asks of the application server for its
// own login: the login itself, the programs the user may run with their
// rights, the server's message texts and the service objects of the
// host's connection.
//
// The host holds one implementation for the process; a login that
// succeeds sets the process-wide session credential, which every
// connection presents afterwards.
#pragma once

#include <string>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Variant.h"

namespace host {

struct TLoginResult {
  bool Ok = false;
  platform::AnsiString Message;   // for the user, when refused
  std::string Credential;         // the session credential, when accepted
  platform::AnsiString UserName;  // display name of the user
  platform::AnsiString Database;  // the company's database
};

// One program of the user's menu: its code, name and rights mask
// (platform/ProgramController.h bits).
struct TProgramEntry {
  platform::AnsiString Code;
  platform::AnsiString Name;
  int Rights = 0;
};

class IAccountService {
 public:
  virtual ~IAccountService() = default;
  // Checks the user's password for the company.
  virtual TLoginResult LogIn(const platform::AnsiString& user, const platform::AnsiString& company,
                             const platform::AnsiString& password) = 0;
  virtual void LogOut() = 0;
  // The programs the logged-in user may run, in menu order. Raises when
  // the rights cannot be read.
  virtual std::vector<TProgramEntry> Programs() = 0;
  // The server's text of a coded message (type letter, six-digit code);
  // empty when it has none.
  virtual platform::AnsiString MessageText(const platform::AnsiString& type, const platform::AnsiString& code) = 0;
  // A service object of the host's connection: "Validator" or "Counter";
  // Empty when the server offers none.
  virtual platform::Variant ServiceObject(const platform::AnsiString& name) = 0;
};

}  // namespace host
