// DbText: texts between the storage (UTF-8) and the server objects
// (AnsiString in the process code page, which the handshake makes the
// client's code page too). Conversions happen here and nowhere else.
#pragma once

#include <string>
#include <string_view>

#include "platform/AnsiString.h"

namespace server {

// UTF-8 from the database as process code-page bytes; a character the code
// page lacks becomes "?".
platform::AnsiString FromDb(std::string_view utf8);
// Process code-page bytes as UTF-8 for the database.
std::string ToDb(const platform::AnsiString& text);
// Bytes a UTF-8 text takes in the process code page (field sizes count them).
std::size_t CodePageLength(std::string_view utf8);

}  // namespace server
