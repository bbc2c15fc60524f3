// CompanyCatalogue: the tables of a company database.
//
// One company database holds everything the program module may read with
// statements it builds itself (the sandbox confines those to the session's
// company): the base data (companies, departments, positions, grades,
// education levels, employees), the personnel change slip (PALTE with its
// detail PALTZ), the company's program records, its record in the company
// list and the names of its users (never their credentials, which stay in
// the system database), system parameters, sign-off settings and routes,
// common phrases, per-user settings, the sign-off job queue and the
// smaller tables the module's framework reads (colours, formulas, links,
// number formats, currencies, attachments, print formats).
//
// Text sizes are bytes of code page 936, as the module's packets declare
// them. Every text column is NOT NULL with '' as its default.
#pragma once

#include <string_view>

#include "server/storage/Catalogue.h"

namespace company {

const storage::Catalogue& CompanyCatalogue();

// The columns every document and base-data table carries, in order:
// COMPANY, CREATOR, USR_GROUP, CREATE_DATE, MODIFIER, MODI_DATE, FLAG.
bool IsSystemColumn(std::string_view column);

}  // namespace company
