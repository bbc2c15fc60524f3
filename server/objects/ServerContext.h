// ServerContext: what every session of one application server shares —
// where the storage is, the declared catalogue of the company databases,
// and a connection to the system database for checking credentials.
//
// MakeWireServerConfig turns it into the configuration of the wire server
// (the daemon's TCP server and the in-process server of "127.0.0.1"
// alike): the authenticator that checks session credentials, and the
// classes a client may create:
//   "MarnoSrv.Class1"   the application-server object (MarnoSrv.h)
//   "F2WindowS.Class1"  the look-up connection's object (no members)
//   "Corvane.Messages"  the coded message texts: Text(code)
//   "Corvane.Session"   User(), Companies() (the granted companies as
//                       [CompanyID, database, name] rows), Programs() (the
//                       programs the user has a rights record of that
//                       grants something, as [code, name, rights mask]
//                       rows), LogOut()
//   "Corvane.Login"     the password login (LoginObject.h); the only class a
//                       login connection may create
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>

#include "platform/wire/WireServerConfig.h"
#include "server/company/CompanySession.h"
#include "server/core/Sessions.h"
#include "server/storage/Catalogue.h"
#include "server/storage/StorageConfig.h"

namespace server {

// A service object bound to the company a MarnoSrv object connected to
// ("Com_Validator", "Com_Counter"), handed out by its CreateService.
struct CompanyServiceClass {
  std::string name;  // compared without regard to ASCII case
  std::function<platform::AutoObjectPtr(company::CompanySessionPtr)> create;
};

struct ServerSettings {
  storage::StorageConfig storage;
  // The tables of every company database (packet metadata comes from it).
  std::shared_ptr<const storage::Catalogue> companyCatalogue;
  // Accept the fixed test identity without a login (see Credential.h);
  // never on in an installation.
  bool allowTestIdentity = false;
  std::vector<CompanyServiceClass> companyServices{};
};

// What the authenticator found out about a connection.
struct SessionIdentity {
  UserIdentity user;      // empty for a login connection
  std::string token;      // the session's token
  std::string loginUser;  // a login connection: the user who logs in
  bool LoginOnly() const { return !loginUser.empty(); }
};

class ServerContext {
 public:
  explicit ServerContext(ServerSettings settings);
  const ServerSettings& Settings() const { return settings_; }
  const storage::Catalogue& CompanyCatalogue() const;

  // Logs a user in on the system database (the host's in-process login),
  // counting failures like the login over the network.
  LoginResult LogIn(std::string_view userId, std::string_view password);

  // Repeated failed logins: after kMaxFailedLogins in a row a user's logins
  // are refused for kLoginLockout, whatever the password.
  static constexpr int kMaxFailedLogins = 5;
  static constexpr std::chrono::seconds kLoginLockout{60};
  bool LoginLocked(const std::string& userId);
  void LoginFailed(const std::string& userId);
  void LoginSucceeded(const std::string& userId);

  // A new connection to the storage (one per server object).
  std::unique_ptr<storage::Connection> OpenConnection() const;

  // Runs work on the shared system connection, one caller at a time; the
  // connection is opened again after it was lost.
  template <typename F>
  auto WithSystem(F&& work) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!system_) system_ = OpenConnection();
    try {
      return work(*system_);
    } catch (...) {
      system_.reset();
      throw;
    }
  }

 private:
  ServerSettings settings_;
  std::mutex mutex_;
  std::unique_ptr<storage::Connection> system_;
  struct Failures {
    int count = 0;
    std::chrono::steady_clock::time_point lockedUntil{};
  };
  std::mutex loginMutex_;
  std::map<std::string, Failures> failures_;
};

// The text of a login refused after too many failures.
inline constexpr const char* kLoginLockedOut = "Too many failed logins for this user; try again in a minute.";

// The program rights mask (platform/ProgramController.h bits) of a
// POWER_DATA text: its fourth comma field by 1-based character, "Y"
// granting: 1 query, 2 edit, 3 delete, 4 confirm, 5 cancel confirmation,
// 6 print, 9 add, 12 void.
int ProgramRightsMask(std::string_view powerData);

std::shared_ptr<const platform::WireServerConfig> MakeWireServerConfig(std::shared_ptr<ServerContext> context);

// Makes the server reachable in this process under the address
// "127.0.0.1" (platform::SetInProcessServer); nullptr removes it.
void InstallInProcessServer(std::shared_ptr<ServerContext> context);

}  // namespace server
