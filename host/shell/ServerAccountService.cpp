#include "host/shell/ServerAccountService.h"

#include "platform/Automation.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/data/SocketConnection.h"
#include "platform/wire/SessionCredential.h"
#include "platform/wire/WireErrors.h"
#include "server/objects/Credential.h"
#include "server/objects/LoginObject.h"

namespace host {

using platform::AnsiString;
using platform::Variant;

namespace {

Variant ElementOr(const Variant& array, int index) {
  if (!platform::VarIsArray(array)) return Variant();
  if (index < platform::VarArrayLowBound(array, 1) || index > platform::VarArrayHighBound(array, 1)) return Variant();
  return array[index];
}

std::unique_ptr<platform::TSocketConnection> Connect(const AnsiString& address, int port, const char* serverName) {
  auto connection = std::make_unique<platform::TSocketConnection>(nullptr);
  connection->SetAddress(address);
  connection->SetPort(port);
  connection->SetServerName(serverName);
  connection->SetConnected(true);
  return connection;
}

// Sets the process's credential for the life of a scope, then restores
// the one before.
class TCredentialScope {
 public:
  explicit TCredentialScope(const std::string& credential) : before_(platform::SessionCredential()) {
    platform::SetSessionCredential(credential);
  }
  ~TCredentialScope() { platform::SetSessionCredential(before_); }
  TCredentialScope(const TCredentialScope&) = delete;
  TCredentialScope& operator=(const TCredentialScope&) = delete;

 private:
  std::string before_;
};

}  // namespace

TServerAccountService::TServerAccountService() : address_(platform::kInProcessAddress) {
  platform::TRegistry registry;
  if (!registry.OpenKeyReadOnly("Software\\KVT\\Corvane")) return;
  AnsiString base = platform::Trim(registry.ReadString("ClientPath"));
  if (base.IsEmpty()) return;
  platform::TIniFile ini(platform::IncludeTrailingPathDelimiter(base) + "CorvaneC.ini");
  AnsiString hosts = platform::Trim(ini.ReadString("Server Information", "ComputerName", platform::kInProcessAddress));
  // The first host of the list.
  std::size_t semicolon = hosts.Pos(";");
  if (semicolon > 0) hosts = platform::Trim(hosts.SubString(1, semicolon - 1));
  if (!hosts.IsEmpty()) address_ = hosts;
  port_ = ini.ReadInteger("Server Information", "ServerPort", 211);
}

TServerAccountService::~TServerAccountService() = default;

TLoginResult TServerAccountService::LogIn(const AnsiString& user, const AnsiString& company,
                                          const AnsiString& password) {
  LogOut();
  TLoginResult result;
  std::string token;
  {
    TCredentialScope scope(server::LoginCredentialText(user.Bytes()));
    // A connection that cannot be made raises: the server cannot be reached.
    auto login = Connect(address_, port_, "Corvane.Login");
    try {
      token = server::LogInOverWire(login->AppServer(), password.Bytes());
    } catch (const platform::EWireFault& refused) {
      result.Message = refused.Message();
      return result;
    }
  }
  const std::string credential = server::SessionCredentialText(token);
  TCredentialScope scope(credential);
  session_ = Connect(address_, port_, "Corvane.Session");
  Variant me = session_->AppServer();
  Variant companies = platform::OleCall(me, "Companies");
  const AnsiString wanted = platform::UpperCase(platform::Trim(company));
  if (platform::VarIsArray(companies)) {
    for (int i = platform::VarArrayLowBound(companies, 1); i <= platform::VarArrayHighBound(companies, 1); ++i) {
      Variant row = companies[i];
      if (platform::UpperCase(platform::Trim(platform::VarToStr(ElementOr(row, 0)))) != wanted) continue;
      result.Ok = true;
      company_ = platform::Trim(platform::VarToStr(ElementOr(row, 0)));
      database_ = platform::VarToStr(ElementOr(row, 1));
      break;
    }
  }
  if (!result.Ok) {
    try {
      platform::OleCall(me, "LogOut");
    } catch (const std::exception&) {
      // The session ends with the server anyway.
    }
    session_.reset();
    result.Message = "The user " + user + " may not use the company " + platform::Trim(company) +
                     " (or there is no such company).";
    return result;
  }
  result.Credential = credential;
  result.Database = database_;
  result.UserName = platform::VarToStr(ElementOr(platform::OleCall(me, "User"), 1));
  if (result.UserName.IsEmpty()) result.UserName = user;
  user_ = user;
  return result;
}

void TServerAccountService::LogOut() {
  server_.reset();
  if (session_) {
    try {
      if (session_->Connected()) platform::OleCall(session_->AppServer(), "LogOut");
    } catch (const std::exception&) {
      // The server may be gone already; the session is forgotten anyway.
    }
  }
  session_.reset();
  user_ = AnsiString();
  company_ = AnsiString();
  database_ = AnsiString();
  program_ = AnsiString();
}

Variant TServerAccountService::Session() {
  if (!session_ || !session_->Connected()) {
    if (user_.IsEmpty()) throw platform::Exception("Nobody is logged in.");
    session_ = Connect(address_, port_, "Corvane.Session");
  }
  return session_->AppServer();
}

Variant TServerAccountService::Server() {
  if (server_ && server_->Connected()) return server_->AppServer();
  if (program_.IsEmpty()) Programs();
  if (program_.IsEmpty()) throw platform::Exception("The user has no program to bind the services to.");
  auto connection = Connect(address_, port_, "MarnoSrv.Class1");
  Variant args = platform::VarArrayOf({Variant(program_), Variant(user_), Variant(company_), Variant(database_), Variant(true)});
  platform::OleCall(connection->AppServer(), "Connect", {platform::ByRef(args)});
  server_ = std::move(connection);
  return server_->AppServer();
}

std::vector<TProgramEntry> TServerAccountService::Programs() {
  // [[code, name, rights mask], ...]
  Variant list = platform::OleCall(Session(), "Programs");
  std::vector<TProgramEntry> programs;
  if (!platform::VarIsArray(list)) return programs;
  for (int i = platform::VarArrayLowBound(list, 1); i <= platform::VarArrayHighBound(list, 1); ++i) {
    Variant row = list[i];
    TProgramEntry entry;
    entry.Code = platform::VarToStr(ElementOr(row, 0));
    entry.Name = platform::VarToStr(ElementOr(row, 1));
    entry.Rights = ElementOr(row, 2).AsInteger();
    if (!entry.Code.IsEmpty()) programs.push_back(entry);
  }
  if (!programs.empty()) program_ = programs.front().Code;
  return programs;
}

AnsiString TServerAccountService::MessageText(const AnsiString& type, const AnsiString& code) {
  try {
    auto messages = Connect(address_, port_, "Corvane.Messages");
    return platform::VarToStr(platform::OleCall(messages->AppServer(), "Text", {Variant(type + "/" + code)}));
  } catch (const std::exception&) {
    return AnsiString();
  }
}

Variant TServerAccountService::ServiceObject(const AnsiString& name) {
  try {
    return platform::OleCall(Server(), "CreateService", {Variant("Com_" + name)});
  } catch (const std::exception&) {
    return Variant();
  }
}

}  // namespace host
