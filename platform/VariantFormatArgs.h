// Format arguments that arrive as a variant array (message arguments from
// the server).
#pragma once

#include <vector>

#include "Format.h"
#include "Variant.h"

namespace platform {

// The elements of a one-dimensional array, in index order, as Format
// arguments: texts as String arguments, Smallint, Integer, Byte and Word as
// Integer, LongWord and Int64 as Int64, Single, Double and Date as Extended,
// Currency as Currency, Boolean as the text "True" / "False", Empty and
// Null as an empty text. Empty or Null instead of an array gives no
// arguments, any other single value one. An element that is an array, an
// object or an Error raises EVariantTypeCastError; an array of more than
// one dimension raises EVariantInvalidArgError.
std::vector<FormatArg> ToFormatArgs(const Variant& array);

}  // namespace platform
