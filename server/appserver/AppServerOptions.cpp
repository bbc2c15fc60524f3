#include "server/appserver/AppServerOptions.h"

#include <CLI/CLI.hpp>
#include <filesystem>

#include "platform/IniFile.h"

namespace server {

namespace {

std::string Read(const platform::TIniFile& ini, const char* section, const char* key, const char* fallback) {
  return ini.ReadString(section, key, fallback).ToUtf8();
}

}  // namespace

AppServerOptionsResult ParseAppServerOptions(const std::vector<std::string>& args) {
  CLI::App app{"corvane-appserver: the application server (one session per connection)", "corvane-appserver"};
  AppServerOptions o;
  o.configFile = "CorvaneS.ini";
  std::optional<std::string> engine, database, address;
  std::optional<int> port, workers;
  app.add_option("-c,--config", o.configFile, "the server's CorvaneS.ini");
  app.add_option("-e,--engine", engine, "SQLITE or POSTGRESQL (overrides MainDBType)");
  app.add_option("-d,--database", database, "SQLite file or PostgreSQL connection (overrides MainDBName)");
  app.add_option("-a,--address", address, "address to listen on (overrides ListenAddress)");
  app.add_option("-p,--port", port, "port to listen on (overrides ServerPort)")->check(CLI::Range(0, 65535));
  app.add_option("-w,--workers", workers, "worker threads")->check(CLI::Range(1, 256));
  app.add_flag("--allow-test-identity", o.allowTestIdentity,
               "accept the fixed test identity without a login (never in an installation)");
  std::vector<std::string> rest(args.rbegin(), args.rend());
  if (!rest.empty()) rest.pop_back();  // the program name
  try {
    app.parse(rest);
  } catch (const CLI::ParseError& e) {
    AppServerOptionsResult r;
    r.exitCode = e.get_exit_code();
    r.message = e.get_name() == "CallForHelp" ? app.help() : std::string(e.what());
    return r;
  }

  std::filesystem::path file(o.configFile);
  std::string folder = file.has_parent_path() ? file.parent_path().string() : std::string(".");
  platform::TIniFile ini(platform::AnsiString::FromUtf8(o.configFile));
  std::string type = engine.value_or(Read(ini, "DBE Setting", "MainDBType", "SQLITE"));
  std::optional<storage::Engine> kind = storage::ParseEngine(type);
  if (!kind)
    return {std::nullopt, "The database type \"" + type + "\" is not supported; use SQLITE or POSTGRESQL.", 2};
  o.storage.engine = *kind;
  o.storage.target = database.value_or(Read(ini, "DBE Setting", "MainDBName", ""));
  if (o.storage.target.empty()) {
    if (*kind == storage::Engine::Postgres)
      return {std::nullopt, "No PostgreSQL database is configured (MainDBName or --database).", 2};
    o.storage.target = "corvane.db";
  }
  if (*kind == storage::Engine::Sqlite && std::filesystem::path(o.storage.target).is_relative())
    o.storage.target = (std::filesystem::path(folder) / o.storage.target).string();
  int seconds = ini.ReadInteger("DBE Setting", "MainCommandTimeOut", 5);
  // The file's default of 3000 was meant for another engine: a writer
  // waits for a lock at most a minute.
  o.storage.busyTimeout = std::chrono::seconds(std::clamp(seconds, 1, 60));
  o.address = address.value_or(Read(ini, "DBPasswordCtrl", "ListenAddress", "0.0.0.0"));
  int p = port.value_or(ini.ReadInteger("DBPasswordCtrl", "ServerPort", 211));
  if (p < 0 || p > 65535) return {std::nullopt, "The server port " + std::to_string(p) + " is not a port number.", 2};
  o.port = static_cast<unsigned short>(p);
  o.workers = workers.value_or(std::clamp(ini.ReadInteger("DBPasswordCtrl", "Workers", 4), 1, 256));
  return {o, {}, 0};
}

}  // namespace server
