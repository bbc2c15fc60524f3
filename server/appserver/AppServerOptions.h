// AppServerOptions: what the daemon corvane-appserver runs with, from
// CorvaneS.ini and the command line (the command line wins).
//
// CorvaneS.ini (process code page):
//   [DBE Setting]    MainDBType   SQLITE (default) or POSTGRESQL
//                    MainDBName   SQLite: the system database file, relative
//                                 to the folder of CorvaneS.ini; PostgreSQL:
//                                 a libpq connection string or URL
//                    MainCommandTimeOut  busy time-out in seconds (default 5)
//   [DBPasswordCtrl] ServerPort   the port to listen on (default 211)
//                    ListenAddress the address to listen on (default 0.0.0.0)
//                    Workers      worker threads (default 4)
// Other database types of the file (MSSQL, ORACLE, DB2) are refused with a
// clear message.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "server/storage/StorageConfig.h"

namespace server {

struct AppServerOptions {
  std::string configFile;  // UTF-8 path of CorvaneS.ini
  storage::StorageConfig storage;
  std::string address = "0.0.0.0";
  unsigned short port = 211;
  int workers = 4;
  bool allowTestIdentity = false;
};

struct AppServerOptionsResult {
  std::optional<AppServerOptions> options;
  std::string message;  // the problem, or the help text
  int exitCode = 0;
};

// Parses the command line (argv[0] included) and reads the configuration
// file it names (default: CorvaneS.ini in the working folder; a missing
// file leaves the defaults).
AppServerOptionsResult ParseAppServerOptions(const std::vector<std::string>& args);

}  // namespace server
