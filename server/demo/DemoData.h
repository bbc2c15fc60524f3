// DemoData: a demo company a person can use, on either engine.
//
// SeedDemo writes, on a connection to the system database:
//  - the company database (created when missing, schema applied, its demo
//    tables replaced): companies, departments, positions, grades,
//    education levels, a few hundred employees with consistent dates,
//    personnel change slips, the company's program records, users by
//    name, system parameters, sign-off settings and routes, common phrases;
//  - the system data: the company, the users with passwords and their
//    rights records for the slip program, the program definition with its
//    settings lines, and every coded message text (messages.tsv).
// Writing it again replaces the demo data; nothing else is touched.
#pragma once

#include <string>
#include <vector>

#include "server/storage/Connection.h"

namespace demo {

struct DemoOptions {
  std::string companyId = "DEMO";
  std::string database = "demo";
  int employees = 300;
  unsigned seed = 20011205;  // the generated employees and slips follow from it
};

// The demo users: ID, password, name, group and what they may do.
struct DemoUser {
  std::string userId;
  std::string password;
  std::string userName;  // UTF-8
  std::string group;
  std::string powerData;  // POWER_DATA of the slip program
  std::string role;       // a line for the command's output
};
const std::vector<DemoUser>& DemoUsers();

// The settings lines of the slip program (M11_TABLE=PALTE, ...).
const std::vector<std::string>& SlipProgramSettings();

void SeedCompany(storage::Connection& db, const DemoOptions& options = {});
void SeedSystem(storage::Connection& db, const DemoOptions& options = {});
void SeedDemo(storage::Connection& db, const DemoOptions& options = {});

}  // namespace demo
