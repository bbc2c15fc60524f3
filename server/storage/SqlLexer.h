// Private header of the storage layer (not for use outside server/storage).
//
// A tokenizer for SQL texts, in three flavours: the module's dialect (the
// statements the client builds), SQLite and PostgreSQL. It never fails: a
// string, quoted name or comment that does not end runs to the end of the
// text and is marked unterminated. Tokens cover the text without gaps, so
// joining their texts gives the input back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace storage {

enum class SqlFlavour {
  Module,    // '...' strings, "..." and [...] names, nested /* */ comments, "$$" prefixes
  Sqlite,    // '...' strings, "...", [...] and `...` names, flat comments, ?NNN :a @a $a parameters
  Postgres,  // '...' and E'...' strings, $tag$...$tag$ strings, "..." names, nested comments, $n parameters
};

enum class SqlTokenKind {
  Space,
  Comment,
  Word,          // keyword or plain name (letters, digits, "_", bytes above 0x7F)
  QuotedName,    // "name", [name], `name`
  String,        // a string literal, with its quotes and prefix (E'...', $$...$$)
  Number,
  Parameter,     // ?, ?NNN, :name, @name, $name (SQLite), $n (PostgreSQL)
  DollarPrefix,  // "$$" before a table name (module dialect)
  Symbol,        // operators and punctuation; "||", "<=", ">=", "<>", "!=", "::" are one token
};

struct SqlToken {
  SqlTokenKind kind;
  std::size_t begin;
  std::size_t end;
  bool unterminated = false;

  std::string_view Text(std::string_view sql) const { return sql.substr(begin, end - begin); }
  bool IsBlank() const { return kind == SqlTokenKind::Space || kind == SqlTokenKind::Comment; }
};

std::vector<SqlToken> TokenizeSql(std::string_view sql, SqlFlavour flavour);

// Letters, digits and "_", not starting with a digit; not empty.
bool IsPlainIdentifier(std::string_view name);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);  // ASCII letters only
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);

}  // namespace storage
