// SystemCatalogue: the tables of the system database (users, their
// company grants and program rights, the company list, program
// definitions with their settings, message texts, sessions, saved query
// schemes and settings documents).
//
// The system database is apart from every company database, so statements
// the client builds (which the sandbox confines to the session's company)
// never reach it. Table names start with "SYS_" so that they never clash
// with company tables, which the storage requires.
#pragma once

#include "server/storage/Catalogue.h"

namespace server {

const storage::Catalogue& SystemCatalogue();

}  // namespace server
