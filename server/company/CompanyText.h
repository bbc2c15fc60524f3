// CompanyText: texts between the company database (UTF-8) and the server
// objects (AnsiString in the database code page 936, which is what the
// module's packets and messages use).
#pragma once

#include <string>
#include <string_view>

#include "platform/AnsiString.h"
#include "platform/Variant.h"
#include "server/storage/Result.h"

namespace company {

// The code page texts are delivered in.
constexpr unsigned kDbCodePage = 936;

// UTF-8 from the database as code-page-936 bytes ("?" for a character the
// code page lacks).
platform::AnsiString FromDb(std::string_view utf8);
// Code-page-936 bytes as UTF-8 for the database.
std::string ToDb(const platform::AnsiString& text);
// The text of an argument as UTF-8: wide text directly, byte text as code
// page 936, numbers as their text, Empty and Null as "".
std::string ArgText(const platform::Variant& value);
// Bytes a UTF-8 text takes in code page 936 (text column sizes count them).
std::size_t DbLength(std::string_view utf8);

// A database value for the module: texts in code page 936, NULL as an
// empty text (a look-up answer is read as field texts), integers as
// Integer when they fit, blobs as byte arrays.
platform::Variant ToVariant(const storage::Value& value);
// A row as a one-dimensional array with low bound 0.
platform::Variant RowToVariant(const storage::Row& row);

// ASCII case-insensitive comparison of names.
bool SameText(std::string_view a, std::string_view b);
std::string UpperAscii(std::string_view text);

}  // namespace company
