#include "server/objects/ServerContext.h"

#include "platform/DispatchTable.h"
#include "platform/ProgramController.h"
#include "platform/wire/InProcessServer.h"
#include "server/core/DbText.h"
#include "server/objects/Credential.h"
#include "server/objects/LoginObject.h"
#include "server/objects/MarnoSrv.h"
#include "server/storage/OpenStorage.h"

namespace server {

namespace {

// The look-up connection's object: the module only connects it.
class F2WindowS : public platform::Dispatchable<F2WindowS> {
 public:
  static const platform::DispatchTable<F2WindowS>& AutomationMembers() {
    static const auto table = platform::DispatchTable<F2WindowS>("F2WindowS.Class1");
    return table;
  }
};

// "Corvane.Messages": Text(code) -> the coded message text, "" when none.
class Messages : public platform::Dispatchable<Messages> {
 public:
  explicit Messages(std::shared_ptr<ServerContext> context) : context_(std::move(context)) {}
  static const platform::DispatchTable<Messages>& AutomationMembers() {
    static const auto table = platform::DispatchTable<Messages>("Corvane.Messages").Method("Text", &Messages::Text);
    return table;
  }
  platform::AnsiString Text(const platform::AnsiString& code) {
    auto text = context_->WithSystem([&](storage::Connection& db) { return MessageText(db, ToDb(code)); });
    return FromDb(text.value_or(""));
  }

 private:
  std::shared_ptr<ServerContext> context_;
};

// "Corvane.Session": the logged-in user, the companies granted to them,
// and the log-out.
class SessionObject : public platform::Dispatchable<SessionObject> {
 public:
  SessionObject(std::shared_ptr<ServerContext> context, SessionIdentity identity)
      : context_(std::move(context)), identity_(std::move(identity)) {}
  static const platform::DispatchTable<SessionObject>& AutomationMembers() {
    static const auto table = platform::DispatchTable<SessionObject>("Corvane.Session")
                                  .Method("User", &SessionObject::User)
                                  .Method("Companies", &SessionObject::Companies)
                                  .Method("Programs", &SessionObject::Programs)
                                  .Method("LogOut", &SessionObject::LogOut);
    return table;
  }
  // [UserID, user name, user group]
  platform::Variant User() {
    const UserIdentity& u = identity_.user;
    return platform::VarArrayOf({platform::Variant(FromDb(u.userId)), platform::Variant(FromDb(u.userName)),
                                 platform::Variant(FromDb(u.userGroup))});
  }
  // One [CompanyID, database, company name] per granted company.
  platform::Variant Companies() {
    auto entries = context_->WithSystem([&](storage::Connection& db) { return GrantedCompanies(db, identity_.user.userId); });
    std::vector<platform::Variant> out;
    for (const CompanyEntry& e : entries)
      out.push_back(platform::VarArrayOf({platform::Variant(FromDb(e.companyId)), platform::Variant(FromDb(e.database)),
                                          platform::Variant(FromDb(e.companyName))}));
    return platform::VarArrayOf(std::move(out));
  }
  // One [program code, program name, rights mask] per defined program the
  // user has a rights record of that grants something, by program code
  // (the host's menu).
  platform::Variant Programs() {
    auto r = context_->WithSystem([&](storage::Connection& db) {
      return db.Execute(
          "SELECT P.PROGRAM, P.PROGRAM_NAME, R.POWER_DATA FROM SYS_RIGHTS R "
          "JOIN SYS_PROGRAM P ON P.PROGRAM = R.PROGRAM WHERE R.USER_ID = ? ORDER BY P.PROGRAM",
          {identity_.user.userId});
    });
    auto text = [&](std::size_t row, std::size_t column) {
      const storage::Value& v = r.rows[row][column];
      return v.IsNull() ? std::string() : v.AsText();
    };
    std::vector<platform::Variant> out;
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
      int mask = ProgramRightsMask(text(i, 2));
      if (mask == 0) continue;  // a record that grants nothing opens nothing
      out.push_back(platform::VarArrayOf(
          {platform::Variant(FromDb(text(i, 0))), platform::Variant(FromDb(text(i, 1))), mask}));
    }
    return platform::VarArrayOf(std::move(out));
  }
  // Ends the session: connections presenting its token are refused from now.
  void LogOut() {
    if (identity_.token.empty()) return;
    context_->WithSystem([&](storage::Connection& db) {
      server::LogOut(db, identity_.token);
      return 0;
    });
  }

 private:
  std::shared_ptr<ServerContext> context_;
  SessionIdentity identity_;
};

std::shared_ptr<SessionIdentity> IdentityOf(const platform::WireSessionContext& c) {
  return std::static_pointer_cast<SessionIdentity>(c.identity);
}

// Objects of a session need a logged-in user; a login connection gets none.
SessionIdentity RequireSession(const platform::WireSessionContext& c) {
  auto identity = IdentityOf(c);
  if (!identity || identity->LoginOnly() || identity->user.userId.empty())
    throw EServerRefusal("This connection has not logged in.");
  return *identity;
}

}  // namespace

int ProgramRightsMask(std::string_view powerData) {
  for (int skip = 0; skip < 3; ++skip) {
    std::size_t comma = powerData.find(',');
    if (comma == std::string_view::npos) return 0;
    powerData.remove_prefix(comma + 1);
  }
  std::string_view field = powerData.substr(0, powerData.find(','));
  static constexpr std::pair<std::size_t, int> kBits[] = {
      {1, platform::kRightQuery},   {2, platform::kRightEdit},      {3, platform::kRightDelete},
      {4, platform::kRightConfirm}, {5, platform::kRightUnConfirm}, {6, platform::kRightPrint},
      {9, platform::kRightAdd},     {12, platform::kRightInvalid}};
  int mask = 0;
  for (const auto& [position, bit] : kBits)
    if (position <= field.size() && (field[position - 1] == 'Y' || field[position - 1] == 'y')) mask |= bit;
  return mask;
}

ServerContext::ServerContext(ServerSettings settings) : settings_(std::move(settings)) {}

const storage::Catalogue& ServerContext::CompanyCatalogue() const {
  static const storage::Catalogue empty;
  return settings_.companyCatalogue ? *settings_.companyCatalogue : empty;
}

bool ServerContext::LoginLocked(const std::string& userId) {
  std::lock_guard<std::mutex> lock(loginMutex_);
  auto it = failures_.find(userId);
  return it != failures_.end() && std::chrono::steady_clock::now() < it->second.lockedUntil;
}

void ServerContext::LoginFailed(const std::string& userId) {
  std::lock_guard<std::mutex> lock(loginMutex_);
  Failures& f = failures_[userId];
  if (++f.count >= kMaxFailedLogins) {
    f.count = 0;
    f.lockedUntil = std::chrono::steady_clock::now() + kLoginLockout;
  }
}

void ServerContext::LoginSucceeded(const std::string& userId) {
  std::lock_guard<std::mutex> lock(loginMutex_);
  failures_.erase(userId);
}

LoginResult ServerContext::LogIn(std::string_view userId, std::string_view password) {
  std::string user(userId);
  if (LoginLocked(user)) return {false, {}, kLoginLockedOut};
  LoginResult r = WithSystem([&](storage::Connection& db) { return server::LogIn(db, userId, password); });
  if (r.ok) LoginSucceeded(user);
  else LoginFailed(user);
  return r;
}

std::unique_ptr<storage::Connection> ServerContext::OpenConnection() const {
  return storage::OpenStorage(settings_.storage);
}

std::shared_ptr<const platform::WireServerConfig> MakeWireServerConfig(std::shared_ptr<ServerContext> context) {
  auto config = std::make_shared<platform::WireServerConfig>();
  config->authenticate = [context](platform::WireSessionContext& session) {
    const std::string& credential = session.credential;
    auto identity = std::make_shared<SessionIdentity>();
    if (credential.rfind("S1 ", 0) == 0) {
      identity->token = credential.substr(3);
      auto user = context->WithSystem([&](storage::Connection& db) { return SessionUser(db, identity->token); });
      if (!user) throw EServerRefusal("The session is not valid (any more); log in again.");
      identity->user = *user;
    } else if (credential.rfind("L1 ", 0) == 0 && credential.size() > 3) {
      identity->loginUser = credential.substr(3);
    } else if (credential.rfind("T1 ", 0) == 0 && context->Settings().allowTestIdentity) {
      auto user = context->WithSystem([&](storage::Connection& db) { return FindUser(db, credential.substr(3)); });
      if (!user) throw EServerRefusal("There is no such test user.");
      identity->user = *user;
    } else {
      throw EServerRefusal("The connection presents no valid credential; log in first.");
    }
    session.identity = identity;
    return true;
  };
  config->classes.push_back({"MarnoSrv.Class1", [context](const platform::WireSessionContext& c) {
                               return platform::AutoObjectPtr(std::make_shared<MarnoSrv>(context, RequireSession(c)));
                             }});
  config->classes.push_back({"F2WindowS.Class1", [](const platform::WireSessionContext& c) {
                               RequireSession(c);
                               return platform::AutoObjectPtr(std::make_shared<F2WindowS>());
                             }});
  config->classes.push_back({"Corvane.Messages", [context](const platform::WireSessionContext& c) {
                               RequireSession(c);
                               return platform::AutoObjectPtr(std::make_shared<Messages>(context));
                             }});
  config->classes.push_back({"Corvane.Session", [context](const platform::WireSessionContext& c) {
                               return platform::AutoObjectPtr(std::make_shared<SessionObject>(context, RequireSession(c)));
                             }});
  config->classes.push_back({"Corvane.Login", [context](const platform::WireSessionContext& c) {
                               auto identity = IdentityOf(c);
                               if (!identity || !identity->LoginOnly())
                                 throw EServerRefusal("Only a login connection can log in.");
                               return platform::AutoObjectPtr(std::make_shared<LoginObject>(context, identity->loginUser));
                             }});
  return config;
}

void InstallInProcessServer(std::shared_ptr<ServerContext> context) {
  platform::SetInProcessServer(context ? MakeWireServerConfig(std::move(context)) : nullptr);
}

}  // namespace server
