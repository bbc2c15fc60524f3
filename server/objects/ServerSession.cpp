#include "server/objects/ServerSession.h"

#include <cstdlib>

namespace server {

namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

std::string Trim(std::string_view s) {
  std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  std::size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

bool SameIdentifier(std::string_view a, std::string_view b) { return Upper(Trim(a)) == Upper(Trim(b)); }

}  // namespace

ProgramDefinition::ProgramDefinition(std::string code, std::vector<std::string> lines)
    : code_(std::move(code)), lines_(std::move(lines)) {
  for (const std::string& line : lines_) {
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    values_[Upper(Trim(line.substr(0, eq)))] = Trim(line.substr(eq + 1));
  }
}

std::string ProgramDefinition::Value(std::string_view name) const {
  auto it = values_.find(Upper(name));
  return it == values_.end() ? std::string() : it->second;
}

bool ProgramDefinition::Has(std::string_view name) const { return values_.count(Upper(name)) > 0; }

int ProgramDefinition::MaxRecord() const {
  std::string text = Value("MAX_RECORD");
  char* end = nullptr;
  long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < 1) return 40;
  return n > 40 ? 40 : static_cast<int>(n);
}

ServerSession::ServerSession(std::shared_ptr<ServerContext> context, SessionIdentity identity)
    : context_(std::move(context)), identity_(std::move(identity)) {}

storage::Connection& ServerSession::Db() {
  if (!db_) db_ = context_->OpenConnection();
  return *db_;
}

void ServerSession::Connect(const std::string& program, const std::string& userId, const std::string& companyId,
                            const std::string& database) {
  connected_ = false;
  RequireUser(userId);
  storage::Connection& db = Db();
  // The session may have ended (log-out) since the handshake.
  if (!identity_.token.empty() && !SessionUser(db, identity_.token))
    throw EServerRefusal("The session has ended; log in again.");
  std::string canonical = Trim(database);
  for (char& c : canonical)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  if (!storage::Connection::IsValidCompanyName(canonical) || !IsGranted(db, User().userId, canonical))
    throw EServerRefusal("The user " + User().userId + " may not use the company database \"" + Trim(database) +
                         "\".");
  std::optional<std::string> ofCompany = CompanyDatabase(db, Trim(companyId));
  if (!ofCompany || *ofCompany != canonical)
    throw EServerRefusal("The company \"" + Trim(companyId) + "\" does not use the database \"" + Trim(database) +
                         "\".");
  std::optional<std::vector<std::string>> lines = ProgramSettings(db, Trim(program));
  if (!lines) throw EServerRefusal("The program \"" + Trim(program) + "\" is not defined on the server.");
  std::optional<ProgramRights> rights = RightsOf(db, User().userId, Trim(program));
  db.UseCompany(canonical);
  program_ = Trim(program);
  companyId_ = Trim(companyId);
  database_ = canonical;
  definition_ = ProgramDefinition(program_, std::move(*lines));
  hasRights_ = rights.has_value();
  rights_ = rights.value_or(ProgramRights{});
  lastCount = 0;
  lastSeqNo.clear();
  connected_ = true;
}

void ServerSession::RequireConnected() const {
  if (!connected_) throw EServerRefusal("The server object is not connected: call Connect first.");
}

void ServerSession::RequireDatabase(std::string_view database) const {
  RequireConnected();
  if (!SameIdentifier(database, database_))
    throw EServerRefusal("The database \"" + Trim(database) + "\" is not the one this connection uses.");
}

void ServerSession::RequireCompany(std::string_view companyId) const {
  RequireConnected();
  if (!SameIdentifier(companyId, companyId_))
    throw EServerRefusal("The company \"" + Trim(companyId) + "\" is not the one this connection uses.");
}

void ServerSession::RequireUser(std::string_view userId) const {
  if (identity_.user.userId.empty() || Trim(userId) != identity_.user.userId)
    throw EServerRefusal("The user \"" + Trim(userId) + "\" is not the user logged in to this session.");
}

bool ServerSession::HasRight(int position) const {
  // POWER_DATA "a,b,c,rights,group rights,others' rights": the rights of
  // the program are the fourth comma field.
  std::string_view power = rights_.powerData;
  for (int skip = 0; skip < 3; ++skip) {
    std::size_t comma = power.find(',');
    if (comma == std::string_view::npos) return false;
    power.remove_prefix(comma + 1);
  }
  std::string_view field = power.substr(0, power.find(','));
  return position >= 1 && static_cast<std::size_t>(position) <= field.size() &&
         (field[position - 1] == 'Y' || field[position - 1] == 'y');
}

std::string ServerSession::Message(std::string_view code, std::string_view fallback) {
  try {
    if (auto text = MessageText(Db(), code)) return *text;
  } catch (...) {
    // A message that cannot be read falls back to the built-in text.
  }
  return std::string(fallback);
}

}  // namespace server
