// The calculator's arithmetic: an expression of numbers, + - * /, unary
// signs and parentheses, parsed by a small recursive-descent parser. The
// text is never run as code; anything else in it is an error with a
// message for the user.
//
// Numbers are written with "." as the decimal separator; blanks are
// ignored. Division by zero, a result too large to hold, nesting deeper
// than kMaxCalcDepth and texts longer than kMaxCalcLength are errors.
#pragma once

#include "platform/AnsiString.h"

namespace host {

inline constexpr int kMaxCalcDepth = 64;
inline constexpr std::size_t kMaxCalcLength = 1024;

struct TCalcResult {
  bool Ok = false;
  double Value = 0;
  platform::AnsiString Error;  // for the user, when not Ok
};

TCalcResult EvaluateExpression(const platform::AnsiString& expression);

// The value as the calculator shows it: at most ten decimals, no trailing
// zeros, "." as the separator, "-0" shown as "0".
platform::AnsiString FormatCalcValue(double value);

}  // namespace host
