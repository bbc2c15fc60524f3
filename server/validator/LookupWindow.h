// LookupWindow: the rows the look-up window shows for a table and kind.
//
// Each table and kind is one declaration: the window's title, its columns
// (a field of the query and its caption) and the query; the first column
// is the code the window hands back. The host draws the window; the server
// answers the rows, ordered by code, optionally filtered by a text that
// the code or the name contains, with the row where the starting value
// would stand.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Variant.h"
#include "server/company/CompanySession.h"

namespace validator {

struct LookupColumn {
  const char* field;       // an expression of the query's FROM part
  const char8_t* caption;  // as shown, UTF-8
};

struct LookupDef {
  const char* table;
  const char* kind;
  const char8_t* title;
  const char* from;  // FROM part, the table first
  std::vector<LookupColumn> columns;
  // When set, only the rows of the session's user and those for everybody
  // ('') are shown.
  const char* userColumn = nullptr;
};

std::span<const LookupDef> LookupDefs();
const LookupDef* FindLookup(std::string_view table, std::string_view kind);

struct LookupRows {
  std::string title;                  // UTF-8
  std::vector<std::string> captions;  // UTF-8
  std::vector<storage::Row> rows;
  std::size_t startRow = 0;  // the first row whose code is not below the starting value
  bool truncated = false;    // more rows matched than were answered
};

// Raises platform::Exception for an unknown table and kind.
LookupRows QueryLookup(company::CompanySession& session, std::string_view table, std::string_view kind,
                       std::string_view startValue, std::string_view filter = {}, std::size_t maxRows = 500);

// [title, [captions...], [[cells...]...], startRow] with texts in code
// page 936, for the host's window.
platform::Variant LookupRowsToVariant(const LookupRows& rows);

}  // namespace validator
