#include "host/shell/ServerAccountService.h"

#include "platform/Automation.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/data/SocketConnection.h"
#include "platform/wire/SessionCredential.h"

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
  TLoginResult result;
  connection_.reset();
  platform::SetSessionCredential("L1 " + user.Bytes());
  Variant answer;
  try {
    auto login = Connect(address_, port_, "Corvane.Login");
    answer = platform::OleCall(login->AppServer(), "LogIn", {Variant(user), Variant(company), Variant(password)});
  } catch (...) {
    platform::SetSessionCredential("");
    throw;
  }
  platform::SetSessionCredential("");
  if (!ElementOr(answer, 0).AsBool()) {
    result.Message = platform::VarToStr(ElementOr(answer, 1));
    return result;
  }
  result.Ok = true;
  result.Credential = "S1 " + platform::VarToStr(ElementOr(answer, 1)).Bytes();
  result.Database = platform::VarToStr(ElementOr(answer, 2));
  result.UserName = user;
  user_ = user;
  company_ = company;
  database_ = result.Database;
  return result;
}

void TServerAccountService::LogOut() {
  connection_.reset();
  user_ = AnsiString();
}

Variant TServerAccountService::Server() {
  if (!connection_ || !connection_->Connected()) connection_ = Connect(address_, port_, "MarnoSrv.Class1");
  return connection_->AppServer();
}

std::vector<TProgramEntry> TServerAccountService::Programs() {
  // [[code, name, rights mask], ...]
  Variant list = platform::OleCall(Server(), "UserPrograms", {Variant(user_), Variant(company_)});
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
  return programs;
}

AnsiString TServerAccountService::MessageText(const AnsiString& type, const AnsiString& code) {
  try {
    auto messages = Connect(address_, port_, "Corvane.Messages");
    return platform::VarToStr(platform::OleCall(messages->AppServer(), "GetMessage", {Variant(type), Variant(code)}));
  } catch (const std::exception&) {
    return AnsiString();
  }
}

Variant TServerAccountService::ServiceObject(const AnsiString& name) {
  try {
    return platform::OleCall(Server(), "Com_" + name.Bytes(), {});
  } catch (const std::exception&) {
    return Variant();
  }
}

}  // namespace host
