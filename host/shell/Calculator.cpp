#include "host/shell/Calculator.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace host {

using platform::AnsiString;

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  TCalcResult Run() {
    TCalcResult result;
    SkipBlanks();
    if (pos_ == text_.size()) return Fail("Enter an expression to calculate.");
    double value = 0;
    if (!Expression(value, 0)) return Fail(error_);
    SkipBlanks();
    if (pos_ != text_.size()) return Fail(Unexpected());
    if (!std::isfinite(value)) return Fail("The result is too large.");
    result.Ok = true;
    result.Value = value;
    return result;
  }

 private:
  TCalcResult Fail(const std::string& error) {
    TCalcResult result;
    result.Error = AnsiString::FromBytes(error);
    return result;
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  bool Peek(char c) {
    SkipBlanks();
    return pos_ < text_.size() && text_[pos_] == c;
  }
  std::string Unexpected() {
    if (pos_ >= text_.size()) return "The expression ends too early.";
    unsigned char c = static_cast<unsigned char>(text_[pos_]);
    std::string shown = c >= 0x21 && c < 0x7F ? std::string("\"") + static_cast<char>(c) + "\"" : "a character";
    return "The expression has " + shown + " at position " + std::to_string(pos_ + 1) +
           ", where a number, an operator or a parenthesis belongs.";
  }
  bool Error(std::string text) {
    if (error_.empty()) error_ = std::move(text);
    return false;
  }

  bool Expression(double& value, int depth) {
    if (!Term(value, depth)) return false;
    while (Peek('+') || Peek('-')) {
      char op = text_[pos_++];
      double right = 0;
      if (!Term(right, depth)) return false;
      value = op == '+' ? value + right : value - right;
    }
    return true;
  }

  bool Term(double& value, int depth) {
    if (!Factor(value, depth)) return false;
    while (Peek('*') || Peek('/')) {
      char op = text_[pos_++];
      double right = 0;
      if (!Factor(right, depth)) return false;
      if (op == '/') {
        if (right == 0) return Error("Division by zero.");
        value /= right;
      } else {
        value *= right;
      }
      if (!std::isfinite(value)) return Error("The result is too large.");
    }
    return true;
  }

  bool Factor(double& value, int depth) {
    if (depth > kMaxCalcDepth) return Error("The expression is nested too deeply.");
    SkipBlanks();
    if (pos_ >= text_.size()) return Error("The expression ends too early.");
    char c = text_[pos_];
    if (c == '+' || c == '-') {
      ++pos_;
      if (!Factor(value, depth + 1)) return false;
      if (c == '-') value = -value;
      return true;
    }
    if (c == '(') {
      ++pos_;
      if (!Expression(value, depth + 1)) return false;
      if (!Peek(')')) return Error(pos_ >= text_.size() ? "A closing parenthesis is missing." : Unexpected());
      ++pos_;
      return true;
    }
    if ((c >= '0' && c <= '9') || c == '.') return Number(value);
    return Error(Unexpected());
  }

  bool Number(double& value) {
    std::size_t start = pos_;
    bool point = false;
    int digits = 0;
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c >= '0' && c <= '9') {
        ++digits;
      } else if (c == '.' && !point) {
        point = true;
      } else {
        break;
      }
      ++pos_;
    }
    if (digits == 0) {
      pos_ = start;
      return Error(Unexpected());
    }
    if (pos_ < text_.size() && text_[pos_] == '.') return Error(Unexpected());
    value = std::strtod(std::string(text_.substr(start, pos_ - start)).c_str(), nullptr);
    if (!std::isfinite(value)) return Error("The result is too large.");
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::string error_;
};

}  // namespace

TCalcResult EvaluateExpression(const AnsiString& expression) {
  if (expression.Length() > kMaxCalcLength) {
    TCalcResult result;
    result.Error = "The expression is too long.";
    return result;
  }
  return Parser(expression.View()).Run();
}

AnsiString FormatCalcValue(double value) {
  char buffer[64];
  // Beyond 15 digits a fixed notation would show digits a double does not
  // hold.
  if (std::fabs(value) >= 1e15) std::snprintf(buffer, sizeof buffer, "%.15g", value);
  else std::snprintf(buffer, sizeof buffer, "%.10f", value);
  std::string text = buffer;
  if (text.find('.') != std::string::npos && text.find('e') == std::string::npos) {
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return AnsiString::FromBytes(text);
}

}  // namespace host
