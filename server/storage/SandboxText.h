// Private header of the storage layer (not for use outside server/storage).
//
// The checks on the text of a statement the client built, made before the
// engine sees it: one statement (a ";" may only be followed by blanks and
// comments), that is a query (its first word, after comments and opening
// parentheses, is SELECT or WITH), with no NUL byte and nothing left
// unterminated. The engines' own sandboxes (authorizer, read-only role)
// stand behind this check; it only makes the common refusals uniform.
#pragma once

#include <string>
#include <string_view>

#include "server/storage/SqlLexer.h"

namespace storage {

// Empty when the text passes, else why not.
std::string SandboxTextProblem(std::string_view sql, SqlFlavour flavour);

}  // namespace storage
