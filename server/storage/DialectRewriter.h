// DialectRewriter: turns a statement of the module's SQL dialect into the
// SQL of one engine.
//
// The module writes its statements for a server dialect of its own era:
// "$$" before a table and "<database>..table" name the company database,
// "TOP n" limits rows, "(nolock)" is a table hint, "+" joins texts,
// ISNULL(a, b) and GETDATE() are functions of that dialect. The rewriter
// works on tokens (strings, quoted names and comments are never touched)
// and changes only these constructs:
//
//   $$T, <db>..T        -> <company>.T / <db>.T (lower case; the sandbox
//                          refuses a database other than the session's)
//   [name], "name"      -> name (quoted only when not a plain identifier)
//   N'text'             -> 'text'
//   SELECT [DISTINCT] TOP n | TOP (n) ... -> SELECT ... LIMIT n, at the end
//                          of that query (before its closing parenthesis)
//   T (nolock), T WITH (NOLOCK, ...) -> T (table hints dropped)
//   ISNULL(a, b)        -> COALESCE(a, b)
//   GETDATE()           -> the local date and time as text 'YYYY-MM-DD HH:MM:SS'
//   a + b               -> a || b when the operands are texts (see below)
//   x LIKE p            -> x LIKE p ESCAPE '' on PostgreSQL, whose LIKE
//                          would otherwise treat "\" as an escape
//
// "+" is concatenation when at least one operand of a chain a + b + ... is
// known to be text (a string literal, a text column of the catalogue, a
// text function such as SUBSTRING or RPAD, or a chain that is itself text)
// and none is known to be a number; a chain next to "*", "/", "%" or "-"
// stays arithmetic. When no operand's type is known, "+" stays as written.
//
// What cannot be rewritten is refused with a reason rather than guessed:
// TOP in a compound query (UNION, EXCEPT, INTERSECT) or in a query that has
// its own LIMIT, TOP n PERCENT, TOP ... WITH TIES, a TOP count that is not
// a whole number or a parameter, "$$" without a company or without a table
// name, unterminated strings, comments or names, and nesting deeper than
// 100 parentheses.
#pragma once

#include <string>
#include <string_view>

#include "server/storage/Catalogue.h"
#include "server/storage/StorageConfig.h"

namespace storage {

struct DialectContext {
  Engine engine = Engine::Sqlite;
  // The session's company database (what "$$" means); may be empty when
  // the statement names none.
  std::string company;
  // Column types for deciding what "+" means; may be null.
  const Catalogue* catalogue = nullptr;
};

struct RewriteResult {
  bool ok = false;
  std::string sql;    // the engine's statement when ok
  std::string error;  // why not, when not ok
};

class DialectRewriter {
 public:
  explicit DialectRewriter(DialectContext context) : context_(std::move(context)) {}

  RewriteResult Rewrite(std::string_view moduleSql) const;

 private:
  DialectContext context_;
};

}  // namespace storage
