#include "platform/data/FilterExpression.h"

#include <optional>
#include <vector>

#include "platform/DateTime.h"
#include "platform/FloatFormat.h"
#include "platform/data/DatabaseError.h"

namespace platform::data_detail {

namespace {

enum class Tok { End, Name, Text, Number, Op, LParen, RParen, Comma };

struct Token {
  Tok kind = Tok::End;
  AnsiString text;
};

[[noreturn]] void FilterError(const AnsiString& what) { throw EDatabaseError("Invalid filter expression: " + what); }

class Lexer {
 public:
  explicit Lexer(const AnsiString& text) : s_(text.View()) {}

  Token Next() {
    while (i_ < s_.size() && static_cast<unsigned char>(s_[i_]) <= ' ') ++i_;
    if (i_ >= s_.size()) return {};
    char c = s_[i_];
    if (c == '\'') {
      AnsiString text;
      ++i_;
      for (;;) {
        if (i_ >= s_.size()) FilterError("a text is not closed");
        std::size_t len = CharLength(ProcessCodePage(), s_, i_);
        if (len == 1 && s_[i_] == '\'') {
          if (i_ + 1 < s_.size() && s_[i_ + 1] == '\'') {
            text += '\'';
            i_ += 2;
            continue;
          }
          ++i_;
          return {Tok::Text, text};
        }
        text += AnsiString(s_.data() + i_, len);
        i_ += len;
      }
    }
    if (c == '[') {
      std::size_t end = s_.find(']', i_);
      if (end == std::string_view::npos) FilterError("a field name in brackets is not closed");
      Token t{Tok::Name, AnsiString(s_.data() + i_ + 1, end - i_ - 1)};
      i_ = end + 1;
      return t;
    }
    if ((c >= '0' && c <= '9') || (c == '.' && i_ + 1 < s_.size() && s_[i_ + 1] >= '0' && s_[i_ + 1] <= '9')) {
      std::size_t start = i_;
      while (i_ < s_.size() && ((s_[i_] >= '0' && s_[i_] <= '9') || s_[i_] == '.')) ++i_;
      if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
        std::size_t save = i_++;
        if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
        if (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') {
          while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
        } else {
          i_ = save;
        }
      }
      return {Tok::Number, AnsiString(s_.data() + start, i_ - start)};
    }
    if (IsNameChar(c)) {
      std::size_t start = i_;
      while (i_ < s_.size() && (IsNameChar(s_[i_]) || (s_[i_] >= '0' && s_[i_] <= '9'))) ++i_;
      return {Tok::Name, AnsiString(s_.data() + start, i_ - start)};
    }
    ++i_;
    switch (c) {
      case '(': return {Tok::LParen, "("};
      case ')': return {Tok::RParen, ")"};
      case ',': return {Tok::Comma, ","};
      case '=': return {Tok::Op, "="};
      case '<':
        if (i_ < s_.size() && (s_[i_] == '>' || s_[i_] == '=')) return {Tok::Op, AnsiString(1, '<') + s_[i_++]};
        return {Tok::Op, "<"};
      case '>':
        if (i_ < s_.size() && s_[i_] == '=') {
          ++i_;
          return {Tok::Op, ">="};
        }
        return {Tok::Op, ">"};
      default: break;
    }
    FilterError(AnsiString("unexpected character '") + c + "'");
  }

 private:
  static bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
  }
  std::string_view s_;
  std::size_t i_ = 0;
};

bool IsTrue(const Variant& v) { return VarType(v) == varBoolean && v.AsBool(); }
Variant Bool(bool b) { return Variant(b); }

bool IsNumberLike(const Variant& v) {
  TVarType t = VarType(v) & varTypeMask;
  return VarIsNumeric(v) || t == varDate;
}

// Negative, 0 or positive; nullopt when either side is null.
std::optional<int> CompareValues(const Variant& a, const Variant& b, bool caseInsensitive) {
  if (VarIsEmptyOrNull(a) || VarIsEmptyOrNull(b)) return std::nullopt;
  if (VarType(a) == varBoolean || VarType(b) == varBoolean) {
    try {
      bool x = a.AsBool(), y = b.AsBool();
      return x == y ? 0 : (x ? 1 : -1);
    } catch (const EVariantError&) {
      return std::nullopt;
    }
  }
  if (IsNumberLike(a) || IsNumberLike(b)) {
    auto number = [](const Variant& v, double& out) {
      if (IsNumberLike(v)) {
        out = v.AsDouble();
        return true;
      }
      AnsiString text = Trim(v.AsString());
      if (TryStrToFloat(text, out)) return true;
      TDateTime d = 0;
      if (TryStrToDate(text, d)) {
        out = d;
        return true;
      }
      return false;
    };
    double x = 0, y = 0;
    if (number(a, x) && number(b, y)) return x < y ? -1 : (x > y ? 1 : 0);
  }
  AnsiString x = VarToStr(a), y = VarToStr(b);
  int c = caseInsensitive ? CompareText(x, y) : CompareStr(x, y);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// '%' any run of characters, '_' one character (a double-byte character
// counts as one).
bool LikeMatch(std::string_view s, std::size_t i, std::string_view p, std::size_t j, bool ci) {
  unsigned cp = ProcessCodePage();
  while (j < p.size()) {
    if (p[j] == '%') {
      while (j < p.size() && p[j] == '%') ++j;
      if (j == p.size()) return true;
      for (std::size_t k = i; k <= s.size(); k += (k < s.size() ? CharLength(cp, s, k) : 1))
        if (LikeMatch(s, k, p, j, ci)) return true;
      return false;
    }
    if (i >= s.size()) return false;
    std::size_t sl = CharLength(cp, s, i);
    if (p[j] == '_') {
      i += sl;
      ++j;
      continue;
    }
    std::size_t pl = CharLength(cp, p, j);
    if (sl != pl) return false;
    for (std::size_t k = 0; k < sl; ++k) {
      char a = s[i + k], b = p[j + k];
      if (ci && sl == 1) {
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
      }
      if (a != b) return false;
    }
    i += sl;
    j += pl;
  }
  return i == s.size();
}

class Literal : public FilterExpression {
 public:
  explicit Literal(Variant v) : v_(std::move(v)) {}
  void CollectFields(std::vector<AnsiString>&) const override {}
  Variant Evaluate(const FieldReader&, TFilterOptions) const override { return v_; }
  const Variant& Value() const { return v_; }

 private:
  Variant v_;
};

class FieldRef : public FilterExpression {
 public:
  explicit FieldRef(AnsiString name) : name_(std::move(name)) {}
  void CollectFields(std::vector<AnsiString>& names) const override { names.push_back(name_); }
  Variant Evaluate(const FieldReader& read, TFilterOptions) const override { return read(name_); }

 private:
  AnsiString name_;
};

using Node = std::unique_ptr<FilterExpression>;

class Logical : public FilterExpression {
 public:
  enum Kind { And, Or, Not };
  Logical(Kind kind, Node a, Node b) : kind_(kind), a_(std::move(a)), b_(std::move(b)) {}
  void CollectFields(std::vector<AnsiString>& names) const override {
    a_->CollectFields(names);
    if (b_) b_->CollectFields(names);
  }
  Variant Evaluate(const FieldReader& read, TFilterOptions o) const override {
    bool a = IsTrue(a_->Evaluate(read, o));
    switch (kind_) {
      case Not: return Bool(!a);
      case And: return Bool(a && IsTrue(b_->Evaluate(read, o)));
      case Or: return Bool(a || IsTrue(b_->Evaluate(read, o)));
    }
    return Bool(false);
  }

 private:
  Kind kind_;
  Node a_, b_;
};

class Comparison : public FilterExpression {
 public:
  Comparison(AnsiString op, Node a, Node b) : op_(std::move(op)), a_(std::move(a)), b_(std::move(b)) {}
  void CollectFields(std::vector<AnsiString>& names) const override {
    a_->CollectFields(names);
    b_->CollectFields(names);
  }
  Variant Evaluate(const FieldReader& read, TFilterOptions o) const override {
    Variant a = a_->Evaluate(read, o);
    Variant b = b_->Evaluate(read, o);
    if (VarIsEmptyOrNull(a) || VarIsEmptyOrNull(b)) return Bool(false);
    // 'ab*' matches texts beginning with "ab".
    if ((op_ == "=" || op_ == "<>") && !o.noPartialCompare && dynamic_cast<const Literal*>(b_.get()) && VarIsStr(b)) {
      AnsiString pattern = b.AsString();
      if (!pattern.IsEmpty() && pattern[pattern.Length()] == '*') {
        AnsiString prefix = pattern.SubString(1, pattern.Length() - 1);
        AnsiString text = VarToStr(a);
        AnsiString head = text.SubString(1, prefix.Length());
        bool same = o.caseInsensitive ? SameText(head, prefix) : head == prefix;
        return Bool(op_ == "=" ? same : !same);
      }
    }
    std::optional<int> c = CompareValues(a, b, o.caseInsensitive);
    if (!c) return Bool(false);
    if (op_ == "=") return Bool(*c == 0);
    if (op_ == "<>") return Bool(*c != 0);
    if (op_ == "<") return Bool(*c < 0);
    if (op_ == ">") return Bool(*c > 0);
    if (op_ == "<=") return Bool(*c <= 0);
    return Bool(*c >= 0);
  }

 private:
  AnsiString op_;
  Node a_, b_;
};

class IsNull : public FilterExpression {
 public:
  IsNull(Node a, bool negate) : a_(std::move(a)), negate_(negate) {}
  void CollectFields(std::vector<AnsiString>& names) const override { a_->CollectFields(names); }
  Variant Evaluate(const FieldReader& read, TFilterOptions o) const override {
    return Bool(VarIsEmptyOrNull(a_->Evaluate(read, o)) != negate_);
  }

 private:
  Node a_;
  bool negate_;
};

class Like : public FilterExpression {
 public:
  Like(Node a, Node pattern, bool negate) : a_(std::move(a)), pattern_(std::move(pattern)), negate_(negate) {}
  void CollectFields(std::vector<AnsiString>& names) const override {
    a_->CollectFields(names);
    pattern_->CollectFields(names);
  }
  Variant Evaluate(const FieldReader& read, TFilterOptions o) const override {
    Variant a = a_->Evaluate(read, o), p = pattern_->Evaluate(read, o);
    if (VarIsEmptyOrNull(a) || VarIsEmptyOrNull(p)) return Bool(false);
    AnsiString text = VarToStr(a), pattern = VarToStr(p);
    return Bool(LikeMatch(text.View(), 0, pattern.View(), 0, o.caseInsensitive) != negate_);
  }

 private:
  Node a_, pattern_;
  bool negate_;
};

class In : public FilterExpression {
 public:
  In(Node a, std::vector<Node> list, bool negate) : a_(std::move(a)), list_(std::move(list)), negate_(negate) {}
  void CollectFields(std::vector<AnsiString>& names) const override {
    a_->CollectFields(names);
    for (const Node& n : list_) n->CollectFields(names);
  }
  Variant Evaluate(const FieldReader& read, TFilterOptions o) const override {
    Variant a = a_->Evaluate(read, o);
    if (VarIsEmptyOrNull(a)) return Bool(false);
    bool found = false;
    for (const Node& n : list_) {
      std::optional<int> c = CompareValues(a, n->Evaluate(read, o), o.caseInsensitive);
      if (c && *c == 0) found = true;
    }
    return Bool(found != negate_);
  }

 private:
  Node a_;
  std::vector<Node> list_;
  bool negate_;
};

class Parser {
 public:
  explicit Parser(const AnsiString& text) : lexer_(text) { Advance(); }

  Node Parse() {
    Node n = OrExpr();
    if (tok_.kind != Tok::End) FilterError("unexpected '" + tok_.text + "'");
    return n;
  }

 private:
  void Advance() { tok_ = lexer_.Next(); }
  bool IsKeyword(const char* word) const { return tok_.kind == Tok::Name && SameText(tok_.text, word); }
  void Expect(Tok kind, const char* what) {
    if (tok_.kind != kind) FilterError(AnsiString("expected ") + what);
    Advance();
  }

  // Nesting deep enough to exhaust the stack is refused.
  struct Depth {
    explicit Depth(int& d) : d_(d) {
      if (++d_ > 200) FilterError("the expression is nested too deeply");
    }
    ~Depth() { --d_; }
    int& d_;
  };

  Node OrExpr() {
    Depth guard(depth_);
    Node n = AndExpr();
    while (IsKeyword("OR")) {
      Advance();
      n = std::make_unique<Logical>(Logical::Or, std::move(n), AndExpr());
    }
    return n;
  }
  Node AndExpr() {
    Node n = NotExpr();
    while (IsKeyword("AND")) {
      Advance();
      n = std::make_unique<Logical>(Logical::And, std::move(n), NotExpr());
    }
    return n;
  }
  Node NotExpr() {
    Depth guard(depth_);
    if (IsKeyword("NOT")) {
      Advance();
      return std::make_unique<Logical>(Logical::Not, NotExpr(), nullptr);
    }
    return Condition();
  }
  Node Condition() {
    Node left = Operand();
    if (tok_.kind == Tok::Op) {
      AnsiString op = tok_.text;
      Advance();
      return std::make_unique<Comparison>(op, std::move(left), Operand());
    }
    if (IsKeyword("IS")) {
      Advance();
      bool negate = false;
      if (IsKeyword("NOT")) {
        negate = true;
        Advance();
      }
      if (!IsKeyword("NULL")) FilterError("expected NULL after IS");
      Advance();
      return std::make_unique<IsNull>(std::move(left), negate);
    }
    bool negate = false;
    if (IsKeyword("NOT")) {
      negate = true;
      Advance();
    }
    if (IsKeyword("LIKE")) {
      Advance();
      return std::make_unique<Like>(std::move(left), Operand(), negate);
    }
    if (IsKeyword("IN")) {
      Advance();
      Expect(Tok::LParen, "'(' after IN");
      std::vector<Node> list;
      list.push_back(Operand());
      while (tok_.kind == Tok::Comma) {
        Advance();
        list.push_back(Operand());
      }
      Expect(Tok::RParen, "')'");
      return std::make_unique<In>(std::move(left), std::move(list), negate);
    }
    if (negate) FilterError("expected LIKE or IN after NOT");
    return left;
  }
  Node Operand() {
    Token t = tok_;
    switch (t.kind) {
      case Tok::LParen: {
        Advance();
        Node n = OrExpr();
        Expect(Tok::RParen, "')'");
        return n;
      }
      case Tok::Text:
        Advance();
        return std::make_unique<Literal>(Variant(t.text));
      case Tok::Number: {
        Advance();
        double v = 0;
        if (!TryStrToFloat(t.text, v)) FilterError("'" + t.text + "' is not a number");
        return std::make_unique<Literal>(Variant(v));
      }
      case Tok::Name:
        Advance();
        if (SameText(t.text, "NULL")) return std::make_unique<Literal>(Null());
        if (SameText(t.text, "TRUE")) return std::make_unique<Literal>(Variant(true));
        if (SameText(t.text, "FALSE")) return std::make_unique<Literal>(Variant(false));
        return std::make_unique<FieldRef>(t.text);
      case Tok::End: FilterError("the expression ends too early");
      default: FilterError("unexpected '" + t.text + "'");
    }
  }

  Lexer lexer_;
  Token tok_;
  int depth_ = 0;
};

}  // namespace

std::unique_ptr<FilterExpression> FilterExpression::Parse(const AnsiString& text) { return Parser(text).Parse(); }

bool FilterExpression::Matches(const FieldReader& read, TFilterOptions options) const {
  return IsTrue(Evaluate(read, options));
}

}  // namespace platform::data_detail
