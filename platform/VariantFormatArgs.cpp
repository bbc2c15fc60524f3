#include "VariantFormatArgs.h"

#include "Exceptions.h"

namespace platform {

namespace {

FormatArg ArgOf(const Variant& value) {
  const Variant& v = value.Deref();
  switch (v.Type()) {
    case varSmallint:
    case varInteger:
    case varByte:
    case varWord:
      return FormatArg(v.AsInteger());
    case varLongWord:
    case varInt64:
      return FormatArg(static_cast<long long>(v.AsInt64()));
    case varSingle:
    case varDouble:
    case varDate:
      return FormatArg(v.AsDouble());
    case varCurrency:
      return FormatArg(v.AsCurrency());
    case varEmpty:
    case varNull:
      return FormatArg(AnsiString());
    default:
      // Texts and Boolean as their text; anything else raises here.
      return FormatArg(v.AsString());
  }
}

}  // namespace

std::vector<FormatArg> ToFormatArgs(const Variant& array) {
  const Variant& v = array.Deref();
  std::vector<FormatArg> args;
  if (VarIsEmptyOrNull(v)) return args;
  if (!VarIsArray(v)) {
    args.push_back(ArgOf(v));
    return args;
  }
  if (VarArrayDimCount(v) != 1) throw EVariantInvalidArgError("Invalid argument");
  int low = VarArrayLowBound(v, 1);
  int high = VarArrayHighBound(v, 1);
  for (long long i = low; i <= high; ++i) args.push_back(ArgOf(v[static_cast<int>(i)]));
  return args;
}

}  // namespace platform
