#include "server/storage/SqlLexer.h"

namespace storage {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsWordStart(char c) { return IsAsciiLetter(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80; }
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c); }

class Lexer {
 public:
  Lexer(std::string_view sql, SqlFlavour flavour) : s_(sql), flavour_(flavour) {}

  std::vector<SqlToken> Run() {
    std::vector<SqlToken> tokens;
    while (pos_ < s_.size()) tokens.push_back(Next());
    return tokens;
  }

 private:
  char At(std::size_t i) const { return i < s_.size() ? s_[i] : '\0'; }

  SqlToken Make(SqlTokenKind kind, std::size_t begin, bool unterminated = false) {
    return SqlToken{kind, begin, pos_, unterminated};
  }

  SqlToken Next() {
    std::size_t begin = pos_;
    char c = s_[pos_];
    if (IsSpace(c)) {
      while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
      return Make(SqlTokenKind::Space, begin);
    }
    if (c == '-' && At(pos_ + 1) == '-') {
      while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
      return Make(SqlTokenKind::Comment, begin);
    }
    if (c == '/' && At(pos_ + 1) == '*') return BlockComment(begin);
    if (c == '\'') return Quoted(begin, '\'', SqlTokenKind::String, false);
    if (c == '"') return Quoted(begin, '"', SqlTokenKind::QuotedName, false);
    if (c == '[' && flavour_ != SqlFlavour::Postgres) return Bracketed(begin, ']');
    if (c == '`' && flavour_ == SqlFlavour::Sqlite) return Quoted(begin, '`', SqlTokenKind::QuotedName, false);
    if (IsDigit(c) || (c == '.' && IsDigit(At(pos_ + 1)))) return NumberToken(begin);
    if (c == '?') {
      ++pos_;
      if (flavour_ == SqlFlavour::Sqlite)
        while (IsDigit(At(pos_))) ++pos_;
      return Make(SqlTokenKind::Parameter, begin);
    }
    if (c == '$') return Dollar(begin);
    if ((c == ':' || c == '@') && flavour_ == SqlFlavour::Sqlite && IsWordStart(At(pos_ + 1))) {
      ++pos_;
      while (IsWordChar(At(pos_))) ++pos_;
      return Make(SqlTokenKind::Parameter, begin);
    }
    if ((c == '@' || c == '#') && flavour_ == SqlFlavour::Module && IsWordChar(At(pos_ + 1))) {
      ++pos_;
      while (IsWordChar(At(pos_)) || At(pos_) == '@' || At(pos_) == '#') ++pos_;
      return Make(SqlTokenKind::Word, begin);
    }
    if (IsWordStart(c)) {
      // E'...' is PostgreSQL's string with backslash escapes.
      if ((c == 'E' || c == 'e') && flavour_ == SqlFlavour::Postgres && At(pos_ + 1) == '\'') {
        ++pos_;
        return Quoted(begin, '\'', SqlTokenKind::String, true);
      }
      while (pos_ < s_.size() && (IsWordChar(s_[pos_]) || (s_[pos_] == '$' && flavour_ != SqlFlavour::Module)))
        ++pos_;
      return Make(SqlTokenKind::Word, begin);
    }
    static constexpr std::string_view kPairs[] = {"||", "<=", ">=", "<>", "!=", "::", "=="};
    for (std::string_view pair : kPairs) {
      if (s_.substr(pos_, 2) == pair) {
        pos_ += 2;
        return Make(SqlTokenKind::Symbol, begin);
      }
    }
    ++pos_;
    return Make(SqlTokenKind::Symbol, begin);
  }

  SqlToken BlockComment(std::size_t begin) {
    // SQLite ends a comment at the first "*/"; the module's dialect and
    // PostgreSQL nest them.
    bool nests = flavour_ != SqlFlavour::Sqlite;
    int depth = 0;
    while (pos_ < s_.size()) {
      if (s_[pos_] == '/' && At(pos_ + 1) == '*' && (nests || depth == 0)) {
        ++depth;
        pos_ += 2;
      } else if (s_[pos_] == '*' && At(pos_ + 1) == '/') {
        pos_ += 2;
        if (--depth == 0) return Make(SqlTokenKind::Comment, begin);
      } else {
        ++pos_;
      }
    }
    return Make(SqlTokenKind::Comment, begin, true);
  }

  // A doubled quote stands for itself; with backslashes, "\" escapes the
  // next byte.
  SqlToken Quoted(std::size_t begin, char quote, SqlTokenKind kind, bool backslashes) {
    ++pos_;
    while (pos_ < s_.size()) {
      char c = s_[pos_];
      if (backslashes && c == '\\') {
        pos_ += 2;
        continue;
      }
      ++pos_;
      if (c == quote) {
        if (At(pos_) == quote) {
          ++pos_;
          continue;
        }
        return Make(kind, begin);
      }
    }
    pos_ = s_.size();
    return Make(kind, begin, true);
  }

  SqlToken Bracketed(std::size_t begin, char close) {
    ++pos_;
    while (pos_ < s_.size()) {
      if (s_[pos_++] == close) {
        if (At(pos_) == close && flavour_ == SqlFlavour::Module) {  // ]] inside [...]
          ++pos_;
          continue;
        }
        return Make(SqlTokenKind::QuotedName, begin);
      }
    }
    return Make(SqlTokenKind::QuotedName, begin, true);
  }

  SqlToken NumberToken(std::size_t begin) {
    if (s_[pos_] == '0' && (At(pos_ + 1) == 'x' || At(pos_ + 1) == 'X')) {
      pos_ += 2;
      while (IsWordChar(At(pos_))) ++pos_;
      return Make(SqlTokenKind::Number, begin);
    }
    while (IsDigit(At(pos_))) ++pos_;
    if (At(pos_) == '.' && At(pos_ + 1) != '.') {
      ++pos_;
      while (IsDigit(At(pos_))) ++pos_;
    }
    if ((At(pos_) == 'e' || At(pos_) == 'E') &&
        (IsDigit(At(pos_ + 1)) || ((At(pos_ + 1) == '+' || At(pos_ + 1) == '-') && IsDigit(At(pos_ + 2))))) {
      pos_ += 2;
      while (IsDigit(At(pos_))) ++pos_;
    }
    return Make(SqlTokenKind::Number, begin);
  }

  SqlToken Dollar(std::size_t begin) {
    switch (flavour_) {
      case SqlFlavour::Module:
        if (At(pos_ + 1) == '$') {
          pos_ += 2;
          return Make(SqlTokenKind::DollarPrefix, begin);
        }
        break;
      case SqlFlavour::Sqlite:
        if (IsWordChar(At(pos_ + 1))) {
          ++pos_;
          while (IsWordChar(At(pos_))) ++pos_;
          return Make(SqlTokenKind::Parameter, begin);
        }
        break;
      case SqlFlavour::Postgres: {
        if (IsDigit(At(pos_ + 1))) {
          ++pos_;
          while (IsDigit(At(pos_))) ++pos_;
          return Make(SqlTokenKind::Parameter, begin);
        }
        // $tag$ ... $tag$, the tag empty or a name not starting with a digit.
        std::size_t i = pos_ + 1;
        while (i < s_.size() && IsWordChar(s_[i]) && !(i == pos_ + 1 && IsDigit(s_[i]))) ++i;
        if (At(i) == '$') {
          std::string_view tag = s_.substr(pos_, i + 1 - pos_);
          std::size_t close = s_.find(tag, i + 1);
          if (close == std::string_view::npos) {
            pos_ = s_.size();
            return Make(SqlTokenKind::String, begin, true);
          }
          pos_ = close + tag.size();
          return Make(SqlTokenKind::String, begin);
        }
        break;
      }
    }
    ++pos_;
    return Make(SqlTokenKind::Symbol, begin);
  }

  std::string_view s_;
  SqlFlavour flavour_;
  std::size_t pos_ = 0;
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::vector<SqlToken> TokenizeSql(std::string_view sql, SqlFlavour flavour) { return Lexer(sql, flavour).Run(); }

bool IsPlainIdentifier(std::string_view name) {
  if (name.empty() || IsDigit(name[0])) return false;
  for (char c : name)
    if (!(IsAsciiLetter(c) || IsDigit(c) || c == '_')) return false;
  return true;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Upper(c);
  return out;
}

}  // namespace storage
