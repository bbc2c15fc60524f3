#include "server/storage/DialectRewriter.h"

#include <algorithm>
#include <span>
#include <map>
#include <optional>
#include <vector>

#include "server/storage/SqlLexer.h"

namespace storage {

namespace {

constexpr int kMaxDepth = 100;
constexpr std::size_t npos = static_cast<std::size_t>(-1);

enum class Kind { Text, Numeric, Unknown };

bool OneOf(std::string_view word, std::span<const std::string_view> list) {
  return std::any_of(list.begin(), list.end(), [&](std::string_view w) { return EqualsIgnoreCase(w, word); });
}

constexpr std::string_view kKeywords[] = {
    "SELECT", "FROM",  "WHERE",  "AND",    "OR",     "NOT",    "IN",      "IS",     "NULL",   "LIKE",
    "BETWEEN", "CASE", "WHEN",   "THEN",   "ELSE",   "END",    "AS",      "ON",     "JOIN",   "LEFT",
    "RIGHT",  "INNER", "OUTER",  "FULL",   "CROSS",  "GROUP",  "BY",      "ORDER",  "HAVING", "UNION",
    "ALL",    "DISTINCT", "TOP", "EXISTS", "ASC",    "DESC",   "LIMIT",   "OFFSET", "WITH",   "SET",
    "VALUES", "INTO",  "ESCAPE", "EXCEPT", "INTERSECT", "FETCH", "FOR"};
constexpr std::string_view kTableHints[] = {"NOLOCK",  "READUNCOMMITTED", "UPDLOCK", "ROWLOCK",
                                                          "HOLDLOCK", "READPAST",       "NOWAIT",  "TABLOCK",
                                                          "PAGLOCK", "XLOCK"};
constexpr std::string_view kTextFunctions[] = {
    "SUBSTRING", "SUBSTR", "LEFT",  "RIGHT", "UPPER", "LOWER", "LTRIM", "RTRIM",  "TRIM",
    "RPAD",      "LPAD",   "REPLACE", "REPLICATE", "SPACE", "CHAR", "NCHAR", "GETDATE"};
constexpr std::string_view kNumericFunctions[] = {
    "COUNT", "SUM",   "AVG",   "LEN",  "LENGTH", "DATALENGTH", "CHARINDEX", "ABS",   "ROUND",
    "FLOOR", "CEILING", "CEIL", "POWER", "SQRT", "SIGN",       "YEAR",      "MONTH", "DAY"};
constexpr std::string_view kFirstArgumentFunctions[] = {"COALESCE", "ISNULL", "IFNULL",
                                                                     "NULLIF",   "MIN",    "MAX"};
constexpr std::string_view kTextTypes[] = {"CHAR", "VARCHAR", "NCHAR", "NVARCHAR", "TEXT", "NTEXT"};
constexpr std::string_view kNumericTypes[] = {"INT",   "INTEGER", "BIGINT", "SMALLINT", "TINYINT",
                                                            "NUMERIC", "DECIMAL", "FLOAT", "REAL",    "MONEY",
                                                            "BIT",   "DOUBLE",  "NUMBER"};

bool IsKeyword(std::string_view word) { return OneOf(word, kKeywords); }

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class RewriteRun {
 public:
  RewriteRun(std::string_view sql, const DialectContext& context) : sql_(sql), context_(context) {}

  RewriteResult Run() {
    tokens_ = TokenizeSql(sql_, SqlFlavour::Module);
    for (const auto& t : tokens_) {
      out_.emplace_back(t.Text(sql_));
      removed_.push_back(false);
      if (t.unterminated) {
        return Refuse(t.kind == SqlTokenKind::String ? "unterminated string"
                      : t.kind == SqlTokenKind::Comment ? "unterminated comment"
                                                        : "unterminated quoted name");
      }
    }
    if (sql_.find('\0') != std::string_view::npos) return Refuse("the statement contains a NUL character");
    if (!context_.company.empty() && !IsPlainIdentifier(context_.company))
      return Refuse("the company database name is not a plain identifier");
    company_ = AsciiLower(context_.company);

    if (!Index()) return Refuse(error_);
    QuotedNames();
    NationalStrings();
    if (!DollarPrefixes() || !DoubleDots()) return Refuse(error_);
    TableHints();
    if (!Index() || !Top()) return Refuse(error_);
    if (!Index()) return Refuse(error_);
    Aliases();
    Functions();
    Concatenation();
    if (context_.engine == Engine::Postgres) LikeEscapes();

    RewriteResult result;
    result.ok = true;
    for (const auto& piece : out_) result.sql += piece;
    return result;
  }

 private:
  RewriteResult Refuse(std::string why) { return RewriteResult{false, {}, std::move(why)}; }
  bool Fail(std::string why) {
    if (error_.empty()) error_ = std::move(why);
    return false;
  }

  // --- significant tokens -------------------------------------------------

  // Rebuilds the list of significant (not blank, not removed) tokens and
  // their parenthesis structure.
  bool Index() {
    sig_.clear();
    for (std::size_t i = 0; i < tokens_.size(); ++i)
      if (!tokens_[i].IsBlank() && !removed_[i]) sig_.push_back(i);
    partner_.assign(sig_.size(), npos);
    groupKind_.assign(sig_.size(), std::nullopt);
    caseEnd_.assign(sig_.size(), npos);
    std::vector<std::size_t> open, cases;
    for (std::size_t p = 0; p < sig_.size(); ++p) {
      if (Kw(p, "CASE")) {
        cases.push_back(p);
      } else if (Kw(p, "END") && !cases.empty()) {
        caseEnd_[cases.back()] = p;
        cases.pop_back();
      }
      if (Sym(p, "(")) {
        open.push_back(p);
        if (open.size() > kMaxDepth) return Fail("the statement nests parentheses too deeply");
      } else if (Sym(p, ")")) {
        if (open.empty()) return Fail("unbalanced parentheses");
        partner_[p] = open.back();
        partner_[open.back()] = p;
        open.pop_back();
      }
    }
    if (!open.empty()) return Fail("unbalanced parentheses");
    return true;
  }

  std::size_t Count() const { return sig_.size(); }
  const SqlToken& Tok(std::size_t p) const { return tokens_[sig_[p]]; }
  std::string_view Txt(std::size_t p) const { return p < Count() ? Tok(p).Text(sql_) : std::string_view(); }
  SqlTokenKind KindAt(std::size_t p) const { return Tok(p).kind; }
  bool Sym(std::size_t p, std::string_view s) const {
    return p < Count() && KindAt(p) == SqlTokenKind::Symbol && Txt(p) == s;
  }
  bool Kw(std::size_t p, std::string_view word) const {
    return p < Count() && KindAt(p) == SqlTokenKind::Word && EqualsIgnoreCase(Txt(p), word);
  }
  bool IsName(std::size_t p) const {
    if (p >= Count()) return false;
    if (KindAt(p) == SqlTokenKind::QuotedName) return true;
    return KindAt(p) == SqlTokenKind::Word && !IsKeyword(Txt(p));
  }
  // Adjacent in the text: no blank between the two tokens.
  bool Touching(std::size_t p, std::size_t q) const { return q < Count() && sig_[q] == sig_[p] + 1; }

  // The name a Word or QuotedName token stands for.
  std::string NameOf(std::size_t p) const {
    std::string_view t = Txt(p);
    if (KindAt(p) != SqlTokenKind::QuotedName) return std::string(t);
    return Unquote(t);
  }
  static std::string Unquote(std::string_view t) {
    char close = t.front() == '[' ? ']' : t.front();
    std::string inner;
    for (std::size_t i = 1; i + 1 < t.size(); ++i) {
      inner += t[i];
      if (t[i] == close && t[i + 1] == close) ++i;
    }
    return inner;
  }

  bool OperandEnd(std::size_t p) const {
    switch (KindAt(p)) {
      case SqlTokenKind::String:
      case SqlTokenKind::Number:
      case SqlTokenKind::Parameter:
      case SqlTokenKind::QuotedName: return true;
      case SqlTokenKind::Word: return !IsKeyword(Txt(p)) || Kw(p, "NULL") || Kw(p, "END");
      case SqlTokenKind::Symbol: return Txt(p) == ")";
      default: return false;
    }
  }

  void RemoveTokens(std::size_t fromToken, std::size_t toToken) {
    for (std::size_t i = fromToken; i <= toToken; ++i) {
      removed_[i] = true;
      out_[i].clear();
    }
  }

  // Removes a construct and keeps one blank where it stood: "T(nolock) x"
  // and "T (nolock) x" both become "T x".
  void RemoveConstruct(std::size_t fromToken, std::size_t toToken) {
    RemoveTokens(fromToken, toToken);
    auto blank = [&](std::size_t i) { return tokens_[i].kind == SqlTokenKind::Space && !out_[i].empty(); };
    bool before = fromToken > 0 && blank(fromToken - 1);
    bool after = toToken + 1 < tokens_.size() && blank(toToken + 1);
    if (before && after) out_[toToken + 1].clear();
    else if (!before && !after && fromToken > 0 && toToken + 1 < tokens_.size()) out_[fromToken] = " ";
  }

  // --- rewrites on names and prefixes --------------------------------------

  void QuotedNames() {
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
      if (tokens_[i].kind != SqlTokenKind::QuotedName) continue;
      std::string name = Unquote(tokens_[i].Text(sql_));
      if (IsPlainIdentifier(name) && !IsKeyword(name)) {
        out_[i] = name;
      } else {
        std::string quoted = "\"";
        for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        out_[i] = quoted + "\"";
      }
    }
  }

  void NationalStrings() {
    for (std::size_t i = 0; i + 1 < tokens_.size(); ++i) {
      if (tokens_[i].kind == SqlTokenKind::Word && EqualsIgnoreCase(tokens_[i].Text(sql_), "N") &&
          tokens_[i + 1].kind == SqlTokenKind::String)
        RemoveTokens(i, i);
    }
  }

  bool DollarPrefixes() {
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
      if (tokens_[i].kind != SqlTokenKind::DollarPrefix) continue;
      bool named = i + 1 < tokens_.size() && (tokens_[i + 1].kind == SqlTokenKind::Word ||
                                               tokens_[i + 1].kind == SqlTokenKind::QuotedName);
      if (!named) return Fail("\"$$\" must be followed by a table name");
      if (company_.empty()) return Fail("\"$$\" names the company database, but none is in use");
      out_[i] = company_ + ".";
    }
    return true;
  }

  // <db>..table: the table of that database's default owner.
  bool DoubleDots() {
    for (std::size_t p = 0; p + 3 < Count(); ++p) {
      if (!IsName(p) || !Sym(p + 1, ".") || !Sym(p + 2, ".") || !Touching(p, p + 1) || !Touching(p + 1, p + 2) ||
          !Touching(p + 2, p + 3) || !IsName(p + 3))
        continue;
      std::string database = NameOf(p);
      if (!IsPlainIdentifier(database)) return Fail("database name \"" + database + "\" is not a plain identifier");
      out_[sig_[p]] = AsciiLower(database);
      RemoveTokens(sig_[p + 2], sig_[p + 2]);
    }
    return true;
  }

  // T (nolock), T WITH (NOLOCK, ROWLOCK): table hints have no meaning here.
  void TableHints() {
    for (std::size_t p = 1; p < Count(); ++p) {
      if (!Sym(p, "(")) continue;
      std::size_t close = partner_[p];
      if (close == p + 1) continue;
      bool hints = true;
      for (std::size_t q = p + 1; q < close && hints; ++q)
        hints = ((q - p) % 2 == 1) ? (KindAt(q) == SqlTokenKind::Word && OneOf(Txt(q), kTableHints)) : Sym(q, ",");
      if (!hints || (close - p) % 2 != 0) continue;
      std::size_t first = p;
      if (Kw(p - 1, "WITH") && p >= 2 && IsName(p - 2)) first = p - 1;
      else if (!IsName(p - 1)) continue;
      RemoveConstruct(sig_[first], sig_[close]);
    }
  }

  // SELECT [DISTINCT|ALL] TOP n ... -> SELECT ... LIMIT n
  bool Top() {
    for (std::size_t p = 0; p < Count(); ++p) {
      if (!Kw(p, "SELECT")) continue;
      std::size_t q = p + 1;
      if (Kw(q, "DISTINCT") || Kw(q, "ALL")) ++q;
      if (!Kw(q, "TOP")) continue;
      std::size_t last;
      std::string count;
      if (q + 1 < Count() && KindAt(q + 1) == SqlTokenKind::Number && AllDigits(Txt(q + 1))) {
        count = Txt(q + 1);
        last = q + 1;
      } else if (Sym(q + 1, "(") && q + 2 < Count() && KindAt(q + 2) == SqlTokenKind::Number &&
                 AllDigits(Txt(q + 2)) && Sym(q + 3, ")")) {
        count = Txt(q + 2);
        last = q + 3;
      } else {
        return Fail("TOP needs a whole number of rows");
      }
      if (Kw(last + 1, "PERCENT")) return Fail("TOP ... PERCENT cannot be rewritten");
      if (Kw(last + 1, "WITH") && Kw(last + 2, "TIES")) return Fail("TOP ... WITH TIES cannot be rewritten");

      // The end of this query: the parenthesis that closes its level, a
      // ";" or the end of the text. Inner groups are stepped over, so every
      // token is looked at once per TOP of its own level.
      std::size_t end = Count();
      for (std::size_t r = last + 1; r < Count(); ++r) {
        if (Sym(r, "(")) { r = partner_[r]; continue; }
        if (Sym(r, ")") || Sym(r, ";")) { end = r; break; }
        if (Kw(r, "UNION") || Kw(r, "EXCEPT") || Kw(r, "INTERSECT"))
          return Fail("TOP in a compound query cannot be rewritten");
        if (Kw(r, "LIMIT") || Kw(r, "OFFSET") || Kw(r, "FETCH"))
          return Fail("TOP in a query with its own row limit cannot be rewritten");
        if (Kw(r, "SELECT")) return Fail("TOP before a second query cannot be rewritten");
      }
      if (end <= last + 1) return Fail("TOP without a select list");
      out_[sig_[end - 1]] += " LIMIT " + count;
      RemoveConstruct(sig_[q], sig_[last]);
    }
    return true;
  }

  // --- names of tables and their aliases -----------------------------------

  void Aliases() {
    for (std::size_t p = 0; p < Count(); ++p) {
      if (!Kw(p, "FROM") && !Kw(p, "JOIN")) continue;
      std::size_t r = p + 1;
      while (true) {
        if (r < Count() && KindAt(r) == SqlTokenKind::DollarPrefix) ++r;
        if (!IsName(r)) break;
        std::string table = NameOf(r++);
        while (Sym(r, ".") && IsName(r + 1)) {
          table = NameOf(r + 1);
          r += 2;
        }
        aliases_[AsciiLower(table)] = table;
        if (Kw(r, "AS")) ++r;
        if (IsName(r) && !Sym(r + 1, ".")) aliases_[AsciiLower(NameOf(r++))] = table;
        if (!Kw(p, "FROM") || !Sym(r, ",")) break;
        ++r;
      }
    }
  }

  Kind ColumnKind(const std::string& qualifier, const std::string& column) const {
    if (!context_.catalogue || column == "*") return Kind::Unknown;
    std::string table = qualifier;
    if (auto it = aliases_.find(AsciiLower(qualifier)); it != aliases_.end()) table = it->second;
    auto type = context_.catalogue->TypeOf(table, column);
    if (!type) return Kind::Unknown;
    switch (*type) {
      case ColumnType::Text:
      case ColumnType::Memo: return Kind::Text;
      case ColumnType::Integer:
      case ColumnType::Float: return Kind::Numeric;
      case ColumnType::Blob: return Kind::Unknown;
    }
    return Kind::Unknown;
  }

  // --- functions -------------------------------------------------------------

  void Functions() {
    for (std::size_t p = 0; p < Count(); ++p) {
      if (KindAt(p) != SqlTokenKind::Word || !Sym(p + 1, "(")) continue;
      if (Kw(p, "ISNULL") && !(p > 0 && OperandEnd(p - 1))) {
        out_[sig_[p]] = "COALESCE";
      } else if (Kw(p, "GETDATE") && Sym(p + 2, ")")) {
        out_[sig_[p]] = context_.engine == Engine::Postgres
                            ? "to_char(LOCALTIMESTAMP, 'YYYY-MM-DD HH24:MI:SS')"
                            : "strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')";
        for (std::size_t i = sig_[p] + 1; i <= sig_[p + 2]; ++i) out_[i].clear();
      }
    }
  }

  // --- "+" between texts -------------------------------------------------------

  struct Chain {
    std::size_t end = npos;  // first position after the chain; npos: no operand here
    Kind kind = Kind::Unknown;
    bool concatenation = false;
    std::vector<std::size_t> plus;  // positions of the "+" operators
  };

  Kind TypeWordKind(std::size_t p) const {
    if (p >= Count() || KindAt(p) != SqlTokenKind::Word) return Kind::Unknown;
    if (OneOf(Txt(p), kTextTypes)) return Kind::Text;
    if (OneOf(Txt(p), kNumericTypes)) return Kind::Numeric;
    return Kind::Unknown;
  }

  Kind FunctionKind(std::size_t p) {
    std::size_t open = p + 1, close = partner_[open];
    std::string_view name = Txt(p);
    if (OneOf(name, kTextFunctions)) return Kind::Text;
    if (OneOf(name, kNumericFunctions)) return Kind::Numeric;
    if (EqualsIgnoreCase(name, "CONVERT")) return TypeWordKind(open + 1);
    if (EqualsIgnoreCase(name, "CAST")) {
      for (std::size_t r = open + 1; r < close; ++r) {
        if (Sym(r, "(")) r = partner_[r];
        else if (Kw(r, "AS")) return TypeWordKind(r + 1);
      }
      return Kind::Unknown;
    }
    if (OneOf(name, kFirstArgumentFunctions)) {
      Chain first = ParseChain(open + 1);
      if (first.end != npos && (first.end == close || Sym(first.end, ","))) return first.kind;
    }
    return Kind::Unknown;
  }

  Kind GroupKind(std::size_t open) {
    if (groupKind_[open]) return *groupKind_[open];
    std::size_t close = partner_[open];
    Kind kind = Kind::Unknown;
    if (close > open + 1) {
      Chain inner = ParseChain(open + 1);
      if (inner.end == close) kind = inner.kind;
    }
    groupKind_[open] = kind;
    return kind;
  }

  // One operand: a literal, a (qualified) column, a function call, a
  // parenthesised expression or a CASE expression, with unary signs.
  std::size_t ParsePrimary(std::size_t p, Kind& kind) {
    bool signed_ = false;
    while (Sym(p, "-") || Sym(p, "+")) {
      signed_ = true;
      ++p;
    }
    if (p >= Count()) return npos;
    std::size_t end = npos;
    switch (KindAt(p)) {
      case SqlTokenKind::String: kind = Kind::Text; end = p + 1; break;
      case SqlTokenKind::Number: kind = Kind::Numeric; end = p + 1; break;
      case SqlTokenKind::Parameter: kind = Kind::Unknown; end = p + 1; break;
      case SqlTokenKind::Symbol:
        if (!Sym(p, "(")) return npos;
        kind = GroupKind(p);
        end = partner_[p] + 1;
        break;
      case SqlTokenKind::Word:
        if (Sym(p + 1, "(") && (!IsKeyword(Txt(p)) || Kw(p, "LEFT") || Kw(p, "RIGHT"))) {
          kind = FunctionKind(p);
          end = partner_[p + 1] + 1;
          break;
        }
        if (IsKeyword(Txt(p))) {
          if (Kw(p, "NULL")) {
            kind = Kind::Unknown;
            end = p + 1;
          } else if (Kw(p, "CASE")) {
            if (caseEnd_[p] == npos) return npos;
            end = caseEnd_[p] + 1;
            kind = Kind::Unknown;
          } else {
            return npos;
          }
          break;
        }
        [[fallthrough]];
      case SqlTokenKind::QuotedName:
      case SqlTokenKind::DollarPrefix: {
        std::size_t last = p;
        if (KindAt(p) == SqlTokenKind::DollarPrefix) {
          if (!IsName(p + 1)) return npos;
          last = p + 1;
        }
        std::string qualifier;
        while (Sym(last + 1, ".") && (IsName(last + 2) || Sym(last + 2, "*"))) {
          qualifier = NameOf(last);
          last += 2;
        }
        kind = Sym(last, "*") ? Kind::Unknown : ColumnKind(qualifier, NameOf(last));
        end = last + 1;
        break;
      }
      default: return npos;
    }
    if (signed_) kind = Kind::Numeric;
    return end;
  }

  bool Arithmetic(std::size_t p) const { return Sym(p, "*") || Sym(p, "/") || Sym(p, "%") || Sym(p, "-"); }

  Chain ParseChain(std::size_t p) {
    Chain chain;
    Kind first;
    std::size_t end = ParsePrimary(p, first);
    if (end == npos) return chain;
    bool anyText = first == Kind::Text, anyNumber = first == Kind::Numeric, allNumber = anyNumber, pipes = false;
    while (Sym(end, "+") || Sym(end, "||")) {
      Kind next;
      std::size_t after = ParsePrimary(end + 1, next);
      if (after == npos) break;
      if (Sym(end, "+")) chain.plus.push_back(end);
      else pipes = true;
      anyText = anyText || next == Kind::Text;
      anyNumber = anyNumber || next == Kind::Numeric;
      allNumber = allNumber && next == Kind::Numeric;
      end = after;
    }
    chain.end = end;
    bool operators = !chain.plus.empty() || pipes;
    if (!operators) {
      chain.kind = first;
    } else if (Arithmetic(end) || (p > 0 && Arithmetic(p - 1))) {
      chain.kind = Kind::Unknown;
    } else if ((anyText || pipes) && !anyNumber) {
      chain.kind = Kind::Text;
      chain.concatenation = true;
    } else if (allNumber && !pipes) {
      chain.kind = Kind::Numeric;
    }
    return chain;
  }

  void Concatenation() {
    for (std::size_t p = 0; p < Count(); ++p) {
      if (p > 0 && (OperandEnd(p - 1) || Sym(p - 1, ".") || Sym(p - 1, "+") || Sym(p - 1, "||") ||
                    KindAt(p - 1) == SqlTokenKind::DollarPrefix))
        continue;
      Chain chain = ParseChain(p);
      if (chain.end == npos || !chain.concatenation) continue;
      for (std::size_t op : chain.plus) out_[sig_[op]] = "||";
    }
  }

  // --- LIKE on PostgreSQL ------------------------------------------------------

  void LikeEscapes() {
    for (std::size_t p = 0; p < Count(); ++p) {
      if (!Kw(p, "LIKE")) continue;
      Chain pattern = ParseChain(p + 1);
      if (pattern.end == npos || Kw(pattern.end, "ESCAPE")) continue;
      out_[sig_[pattern.end - 1]] += " ESCAPE ''";
    }
  }

  std::string_view sql_;
  const DialectContext& context_;
  std::string company_;
  std::vector<SqlToken> tokens_;
  std::vector<std::string> out_;
  std::vector<bool> removed_;
  std::vector<std::size_t> sig_;
  std::vector<std::size_t> partner_;
  std::vector<std::size_t> caseEnd_;  // the END of each CASE
  std::vector<std::optional<Kind>> groupKind_;
  std::map<std::string, std::string> aliases_;
  std::string error_;
};

}  // namespace

RewriteResult DialectRewriter::Rewrite(std::string_view moduleSql) const { return RewriteRun(moduleSql, context_).Run(); }

}  // namespace storage
