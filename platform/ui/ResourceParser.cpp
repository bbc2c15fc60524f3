#include "platform/ui/ResourceParser.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "platform/FloatFormat.h"
#include "platform/ui/FormResource.h"

namespace platform::resource_detail {

namespace {

[[noreturn]] void Fail(std::string_view resource, int line, const std::string& reason) {
  throw EResourceError(AnsiString::FromBytes(resource), line, AnsiString::FromBytes(reason));
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The line of the first byte that is not well-formed UTF-8, or 0.
int FirstInvalidUtf8Line(std::string_view text) {
  int line = 1;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') ++line;
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      n = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3;
      cp = c & 0x07;
    } else {
      return line;
    }
    for (std::size_t k = 1; k <= n; ++k) {
      if (i + k >= text.size()) return line;
      const auto d = static_cast<unsigned char>(text[i + k]);
      if ((d & 0xC0) != 0x80) return line;
      cp = (cp << 6) | (d & 0x3F);
    }
    const std::uint32_t minimum = n == 1 ? 0x80 : n == 2 ? 0x800 : 0x10000;
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return line;
    i += n + 1;
  }
  return 0;
}

// --- version guards ---

bool EvaluateGuard(std::string_view condition, std::string_view version, std::string_view resource, int line) {
  std::size_t i = 0;
  auto skip = [&] {
    while (i < condition.size() && IsSpace(condition[i])) ++i;
  };
  skip();
  std::size_t start = i;
  while (i < condition.size() && IsLetter(condition[i])) ++i;
  if (!SameWord(condition.substr(start, i - start), "version"))
    Fail(resource, line, "a version guard reads \"#if version <operator> <number>\"");
  skip();
  start = i;
  while (i < condition.size() && (condition[i] == '<' || condition[i] == '>' || condition[i] == '=' ||
                                  condition[i] == '!'))
    ++i;
  const std::string_view op = condition.substr(start, i - start);
  skip();
  start = i;
  while (i < condition.size() && !IsSpace(condition[i])) ++i;
  const std::string_view number = condition.substr(start, i - start);
  skip();
  if (i != condition.size()) Fail(resource, line, "unexpected text after the version guard's number");
  bool ok = true;
  CompareVersions(number, "0", &ok);
  if (!ok) Fail(resource, line, "'" + std::string(number) + "' is not a version number");
  if (version.empty()) Fail(resource, line, "the framework version of the library is not set");
  const int c = CompareVersions(version, number, &ok);
  if (!ok) Fail(resource, line, "the framework version '" + std::string(version) + "' is not a version number");
  if (op == "=" || op == "==") return c == 0;
  if (op == "<>" || op == "!=") return c != 0;
  if (op == "<") return c < 0;
  if (op == "<=") return c <= 0;
  if (op == ">") return c > 0;
  if (op == ">=") return c >= 0;
  Fail(resource, line, "unknown operator '" + std::string(op) + "' in a version guard");
}

// Blanks the lines of version branches that do not apply and the guard
// lines themselves, so line numbers stay those of the file.
std::string ApplyVersionGuards(std::string_view text, std::string_view version, std::string_view resource) {
  struct Frame {
    bool parentActive;
    bool active;
    bool taken;
    bool inElse;
    int line;
  };
  std::vector<Frame> frames;
  std::string out;
  out.reserve(text.size());
  int line = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t nl = text.find('\n', pos);
    const std::string_view raw = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    ++line;
    std::size_t k = 0;
    while (k < raw.size() && (raw[k] == ' ' || raw[k] == '\t')) ++k;
    std::string_view body = raw.substr(k);
    while (!body.empty() && (body.back() == '\r' || body.back() == ' ' || body.back() == '\t')) body.remove_suffix(1);
    auto directive = [&](std::string_view word) {
      return body.size() >= word.size() && body.substr(0, word.size()) == word &&
             (body.size() == word.size() || IsSpace(body[word.size()]));
    };
    const bool active = frames.empty() || frames.back().active;
    bool isDirective = true;
    if (directive("#if")) {
      const bool condition = EvaluateGuard(body.substr(3), version, resource, line);
      frames.push_back({active, active && condition, condition, false, line});
    } else if (directive("#else")) {
      if (frames.empty() || frames.back().inElse) Fail(resource, line, "#else without #if");
      if (body.size() != 5) Fail(resource, line, "unexpected text after #else");
      Frame& f = frames.back();
      f.inElse = true;
      f.active = f.parentActive && !f.taken;
    } else if (directive("#endif")) {
      if (frames.empty()) Fail(resource, line, "#endif without #if");
      if (body.size() != 6) Fail(resource, line, "unexpected text after #endif");
      frames.pop_back();
    } else {
      isDirective = false;
    }
    if (!isDirective && active) out.append(raw);
    if (nl == std::string_view::npos) break;
    out += '\n';
    pos = nl + 1;
  }
  if (!frames.empty()) Fail(resource, frames.back().line, "#if without #endif");
  return out;
}

// --- tokens ---

enum class Tok { End, Ident, Integer, Float, Quoted, CharCode, Symbol };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // identifier, or the string's UTF-8 bytes
  std::int64_t integer = 0;
  double real = 0;
  char symbol = 0;
  int line = 0;
  bool glued = false;  // no blank or comment between this token and the one before
};

class Lexer {
 public:
  Lexer(std::string_view text, std::string_view resource) : text_(text), resource_(resource) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  }

  Token Next() {
    bool glued = true;
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
        glued = false;
      } else if (IsSpace(c)) {
        ++pos_;
        glued = false;
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        glued = false;
      } else {
        break;
      }
    }
    Token t;
    t.line = line_;
    t.glued = glued;
    if (pos_ >= text_.size()) return t;
    const char c = text_[pos_];
    if (IsLetter(c)) {
      const std::size_t start = pos_;
      while (pos_ < text_.size() && (IsLetter(text_[pos_]) || IsDigit(text_[pos_]))) ++pos_;
      t.kind = Tok::Ident;
      t.text = std::string(text_.substr(start, pos_ - start));
      return t;
    }
    if (IsDigit(c)) return Number(t);
    if (c == '$') {
      ++pos_;
      t.kind = Tok::Integer;
      t.integer = Hex(t.line);
      return t;
    }
    if (c == '\'') return Quoted(t);
    if (c == '#') {
      ++pos_;
      std::int64_t code = 0;
      if (pos_ < text_.size() && text_[pos_] == '$') {
        ++pos_;
        code = Hex(t.line);
      } else {
        if (pos_ >= text_.size() || !IsDigit(text_[pos_])) Fail(resource_, t.line, "a character code is # and a number");
        code = Decimal(t.line);
      }
      if (code <= 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        Fail(resource_, t.line, "#" + std::to_string(code) + " is not a character");
      t.kind = Tok::CharCode;
      AppendUtf8(t.text, static_cast<std::uint32_t>(code));
      return t;
    }
    if (std::string_view("=:.,[]()<>+-").find(c) != std::string_view::npos) {
      ++pos_;
      t.kind = Tok::Symbol;
      t.symbol = c;
      return t;
    }
    if (static_cast<unsigned char>(c) >= 0x80) Fail(resource_, t.line, "text outside quotes must be ASCII");
    Fail(resource_, t.line, std::string("unexpected character '") + c + "'");
  }

 private:
  std::int64_t Decimal(int line) {
    std::int64_t v = 0;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) {
      if (v > (std::numeric_limits<std::int64_t>::max() - 9) / 10) Fail(resource_, line, "number too large");
      v = v * 10 + (text_[pos_++] - '0');
    }
    return v;
  }

  std::int64_t Hex(int line) {
    const std::size_t start = pos_;
    std::uint64_t v = 0;
    while (pos_ < text_.size() && IsHexDigit(text_[pos_])) {
      if (pos_ - start >= 16) Fail(resource_, line, "number too large");
      const char h = text_[pos_++];
      v = v * 16 + static_cast<std::uint64_t>(IsDigit(h) ? h - '0' : (h | 0x20) - 'a' + 10);
    }
    if (pos_ == start) Fail(resource_, line, "'$' must be followed by hexadecimal digits");
    // Eight digits are a 32-bit value with its top bit as the sign, as the
    // class library writes colours ("$80000005").
    if (pos_ - start <= 8) return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return static_cast<std::int64_t>(v);
  }

  Token Number(Token t) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    bool isFloat = false;
    if (pos_ + 1 < text_.size() && text_[pos_] == '.' && IsDigit(text_[pos_ + 1])) {
      isFloat = true;
      ++pos_;
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      std::size_t p = pos_ + 1;
      if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) ++p;
      if (p < text_.size() && IsDigit(text_[p])) {
        isFloat = true;
        pos_ = p;
        while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
      }
    }
    if (pos_ < text_.size() && IsLetter(text_[pos_])) Fail(resource_, t.line, "a number runs into a name");
    const std::string digits(text_.substr(start, pos_ - start));
    if (isFloat) {
      t.kind = Tok::Float;
      errno = 0;
      t.real = std::strtod(digits.c_str(), nullptr);
      if (errno == ERANGE) Fail(resource_, t.line, "number out of range");
      return t;
    }
    t.kind = Tok::Integer;
    errno = 0;
    const long long v = std::strtoll(digits.c_str(), nullptr, 10);
    if (errno == ERANGE) Fail(resource_, t.line, "number too large");
    t.integer = v;
    return t;
  }

  Token Quoted(Token t) {
    ++pos_;
    t.kind = Tok::Quoted;
    while (true) {
      if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r')
        Fail(resource_, t.line, "a string is not closed on its line");
      const char c = text_[pos_++];
      if (c == '\'') {
        if (pos_ < text_.size() && text_[pos_] == '\'') {
          t.text += '\'';
          ++pos_;
          continue;
        }
        return t;
      }
      t.text += c;
    }
  }

  std::string_view text_;
  std::string_view resource_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

// --- declarations ---

class Parser {
 public:
  Parser(std::string_view text, std::string_view resource) : lexer_(text, resource), resource_(resource) {
    Advance();
  }

  ObjectDecl Resource() {
    if (!IsWord("object") && !IsWord("inherited")) Fail(resource_, t_.line, "a resource begins with object or inherited");
    ObjectDecl root = Object();
    if (t_.kind != Tok::End) Fail(resource_, t_.line, "text after the end of the resource");
    return root;
  }

 private:
  void Advance() { t_ = lexer_.Next(); }
  bool IsWord(std::string_view word) const { return t_.kind == Tok::Ident && SameWord(t_.text, word); }
  bool IsSymbol(char c) const { return t_.kind == Tok::Symbol && t_.symbol == c; }
  bool IsStringPart() const { return t_.kind == Tok::Quoted || t_.kind == Tok::CharCode; }

  std::string Describe() const {
    switch (t_.kind) {
      case Tok::End: return "the end of the text";
      case Tok::Ident: return "'" + t_.text + "'";
      case Tok::Integer:
      case Tok::Float: return "a number";
      case Tok::Quoted:
      case Tok::CharCode: return "a string";
      case Tok::Symbol: return std::string("'") + t_.symbol + "'";
    }
    return "?";
  }

  std::string Identifier(const char* what) {
    if (t_.kind != Tok::Ident) Fail(resource_, t_.line, std::string("expected ") + what + ", found " + Describe());
    std::string s = t_.text;
    Advance();
    return s;
  }

  void Expect(char symbol) {
    if (!IsSymbol(symbol)) Fail(resource_, t_.line, std::string("expected '") + symbol + "', found " + Describe());
    Advance();
  }

  ObjectDecl Object() {
    ObjectDecl o;
    o.line = t_.line;
    o.inherited = IsWord("inherited");
    Advance();
    o.name = Identifier("a component name");
    Expect(':');
    o.className = Identifier("a class name");
    while (true) {
      if (t_.kind == Tok::End)
        Fail(resource_, o.line, "object " + o.name + " has no end");
      if (IsWord("end")) {
        Advance();
        return o;
      }
      if (IsWord("object") || IsWord("inherited")) {
        o.children.push_back(Object());
        continue;
      }
      if (t_.kind != Tok::Ident) Fail(resource_, t_.line, "expected a property, an object or end, found " + Describe());
      o.properties.push_back(PropertyLine());
    }
  }

  Property PropertyLine() {
    Property p;
    p.line = t_.line;
    p.path = Identifier("a property name");
    while (IsSymbol('.')) {
      Advance();
      p.path += '.';
      p.path += Identifier("a property name after '.'");
    }
    Expect('=');
    p.value = ValueOf();
    return p;
  }

  Value ValueOf() {
    Value v;
    v.line = t_.line;
    if (IsSymbol('-') || IsSymbol('+')) {
      const bool negative = t_.symbol == '-';
      Advance();
      if (t_.kind == Tok::Integer) {
        v.kind = Value::Kind::Integer;
        v.integer = negative ? -t_.integer : t_.integer;
      } else if (t_.kind == Tok::Float) {
        v.kind = Value::Kind::Float;
        v.real = negative ? -t_.real : t_.real;
      } else {
        Fail(resource_, t_.line, "expected a number after the sign, found " + Describe());
      }
      Advance();
      return v;
    }
    switch (t_.kind) {
      case Tok::Integer:
        v.kind = Value::Kind::Integer;
        v.integer = t_.integer;
        Advance();
        return v;
      case Tok::Float:
        v.kind = Value::Kind::Float;
        v.real = t_.real;
        Advance();
        return v;
      case Tok::Quoted:
      case Tok::CharCode:
        v.kind = Value::Kind::String;
        v.text = String();
        return v;
      case Tok::Ident:
        v.kind = Value::Kind::Identifier;
        v.text = t_.text;
        Advance();
        if (IsSymbol('.')) Fail(resource_, t_.line, "a value names a component of this resource only");
        return v;
      case Tok::Symbol:
        break;
      case Tok::End:
        Fail(resource_, t_.line, "expected a value, found the end of the text");
    }
    if (IsSymbol('[')) {
      v.kind = Value::Kind::Set;
      Advance();
      if (!IsSymbol(']')) {
        v.elements.push_back(Identifier("a set element"));
        while (IsSymbol(',')) {
          Advance();
          v.elements.push_back(Identifier("a set element"));
        }
      }
      Expect(']');
      return v;
    }
    if (IsSymbol('(')) {
      v.kind = Value::Kind::List;
      Advance();
      while (!IsSymbol(')')) {
        if (!IsStringPart()) Fail(resource_, t_.line, "expected a string or ')', found " + Describe());
        v.elements.push_back(String());
      }
      Advance();
      return v;
    }
    if (IsSymbol('<')) {
      v.kind = Value::Kind::Collection;
      Advance();
      while (!IsSymbol('>')) {
        if (!IsWord("item")) Fail(resource_, t_.line, "expected item or '>', found " + Describe());
        Item item;
        item.line = t_.line;
        Advance();
        while (!IsWord("end")) {
          if (t_.kind != Tok::Ident) Fail(resource_, t_.line, "expected a property or end, found " + Describe());
          item.properties.push_back(PropertyLine());
        }
        Advance();
        v.items.push_back(std::move(item));
      }
      Advance();
      return v;
    }
    Fail(resource_, t_.line, "expected a value, found " + Describe());
  }

  // Parts written next to each other, or joined by "+", make one string.
  std::string String() {
    std::string s = t_.text;
    Advance();
    while (true) {
      if (IsStringPart() && t_.glued) {
        s += t_.text;
        Advance();
      } else if (IsSymbol('+')) {
        Advance();
        if (!IsStringPart()) Fail(resource_, t_.line, "expected a string after '+', found " + Describe());
        s += t_.text;
        Advance();
      } else {
        return s;
      }
    }
  }

  Lexer lexer_;
  std::string_view resource_;
  Token t_;
};

}  // namespace

ObjectDecl ParseResource(std::string_view text, std::string_view frameworkVersion, std::string_view resourceName) {
  if (const int bad = FirstInvalidUtf8Line(text)) Fail(resourceName, bad, "the text is not UTF-8");
  const std::string prepared = ApplyVersionGuards(text, frameworkVersion, resourceName);
  return Parser(prepared, resourceName).Resource();
}

}  // namespace platform::resource_detail
