// The conversions of Variant (declared in Variant.h).
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "Automation.h"
#include "DateTime.h"
#include "Exceptions.h"
#include "FloatFormat.h"
#include "Variant.h"

namespace platform {

struct VariantAccess {
  static std::int64_t Int(const Variant& v) { return std::get<std::int64_t>(v.value_); }
  static double Float(const Variant& v) { return std::get<double>(v.value_); }
  static const AnsiString& Text(const Variant& v) { return std::get<AnsiString>(v.value_); }
  static const WideString& Wide(const Variant& v) { return std::get<WideString>(v.value_); }
  static const AutoObjectPtr& Object(const Variant& v) { return std::get<AutoObjectPtr>(v.value_); }
};

namespace {

using A = VariantAccess;

[[noreturn]] void CastError(TVarType from, TVarType to) {
  throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(from) + ") into type (" +
                              VarTypeAsText(to) + ")");
}

[[noreturn]] void OverflowError(TVarType from, TVarType to) {
  throw EVariantOverflowError("Overflow while converting variant of type (" + VarTypeAsText(from) +
                              ") into type (" + VarTypeAsText(to) + ")");
}

bool IsIntegerType(TVarType t) {
  switch (t) {
    case varSmallint:
    case varInteger:
    case varInt64:
    case varByte:
    case varWord:
    case varLongWord:
      return true;
    default:
      return false;
  }
}

bool IsFloatType(TVarType t) { return t == varSingle || t == varDouble || t == varDate; }

// The text of a String or OleStr Variant as bytes, trimmed.
AnsiString TrimmedText(const Variant& v) {
  return Trim(v.Type() == varString ? A::Text(v) : AnsiString::FromWide(A::Wide(v)));
}

// Rounds to nearest, ties to even, and checks the range of the target.
std::int64_t RoundChecked(long double value, TVarType from, TVarType to, std::int64_t lo, std::int64_t hi) {
  if (std::isnan(value)) OverflowError(from, to);
  long double r = std::nearbyint(value);
  if (!(r >= static_cast<long double>(lo) && r <= static_cast<long double>(hi))) OverflowError(from, to);
  return static_cast<std::int64_t>(r);
}

std::int64_t IntegerIn(const Variant& v, TVarType to, std::int64_t lo, std::int64_t hi) {
  TVarType t = v.Type();
  std::int64_t result = 0;
  if (IsIntegerType(t)) {
    result = A::Int(v);
  } else if (IsFloatType(t)) {
    return RoundChecked(A::Float(v), t, to, lo, hi);
  } else {
    switch (t) {
      case varEmpty:
        return 0;
      case varBoolean:
        result = A::Int(v) ? -1 : 0;
        break;
      case varCurrency: {
        // Whole units, rounding ties to even.
        std::int64_t scaled = A::Int(v);
        std::int64_t q = scaled / 10000;
        std::int64_t r = scaled % 10000;
        std::int64_t ar = r < 0 ? -r : r;
        if (ar > 5000 || (ar == 5000 && (q % 2 != 0))) q += r < 0 ? -1 : 1;
        result = q;
        break;
      }
      case varString:
      case varOleStr: {
        AnsiString text = TrimmedText(v);
        double d = 0;
        if (TryStrToInt64(text, result)) break;
        if (TryStrToFloat(text, d)) return RoundChecked(d, t, to, lo, hi);
        CastError(t, to);
      }
      default:
        CastError(t, to);
    }
  }
  if (result < lo || result > hi) OverflowError(t, to);
  return result;
}

double DoubleOf(const Variant& v, TVarType to) {
  TVarType t = v.Type();
  if (IsIntegerType(t)) return static_cast<double>(A::Int(v));
  if (IsFloatType(t)) return A::Float(v);
  switch (t) {
    case varEmpty: return 0;
    case varBoolean: return A::Int(v) ? -1 : 0;
    case varCurrency: return Currency::FromScaled(A::Int(v)).ToDouble();
    case varString:
    case varOleStr: {
      AnsiString text = TrimmedText(v);
      double d = 0;
      if (to == varDate) {
        TDateTime date = 0;
        if (TryStrToDate(text, date)) return date;
      } else if (TryStrToFloat(text, d)) {
        return d;
      }
      CastError(t, to);
    }
    default:
      CastError(t, to);
  }
}

}  // namespace

AnsiString VarTypeAsText(TVarType type) {
  AnsiString name;
  switch (type & varTypeMask) {
    case varEmpty: name = "Empty"; break;
    case varNull: name = "Null"; break;
    case varSmallint: name = "Smallint"; break;
    case varInteger: name = "Integer"; break;
    case varSingle: name = "Single"; break;
    case varDouble: name = "Double"; break;
    case varCurrency: name = "Currency"; break;
    case varDate: name = "Date"; break;
    case varOleStr: name = "OleStr"; break;
    case varDispatch: name = "Dispatch"; break;
    case varError: name = "Error"; break;
    case varBoolean: name = "Boolean"; break;
    case varVariant: name = "Variant"; break;
    case varByte: name = "Byte"; break;
    case varWord: name = "Word"; break;
    case varLongWord: name = "LongWord"; break;
    case varInt64: name = "Int64"; break;
    case varString: name = "String"; break;
    default: name = "Unknown"; break;
  }
  if (type & varArray) name = "Array " + name;
  if (type & varByRef) name = "ByRef " + name;
  return name;
}

AnsiString Variant::AsString() const {
  const Variant& v = Deref();
  TVarType t = v.type_;
  if (IsIntegerType(t)) return IntToStr(A::Int(v));
  switch (t) {
    case varEmpty: return AnsiString();
    case varSingle:
    case varDouble: return FloatToStr(A::Float(v));
    case varDate: return DateTimeToStr(A::Float(v));
    case varCurrency: return CurrToStr(Currency::FromScaled(A::Int(v)));
    case varBoolean: return A::Int(v) ? "True" : "False";
    case varString: return A::Text(v);
    case varOleStr: return AnsiString::FromWide(A::Wide(v));
    default: CastError(t, varString);
  }
}

WideString Variant::AsWide() const {
  const Variant& v = Deref();
  switch (v.type_) {
    case varOleStr: return A::Wide(v);
    case varString: return A::Text(v).ToWide();
    case varNull:
    case varError:
    case varDispatch:
      CastError(v.type_, varOleStr);
    default:
      if (v.type_ & varArray) CastError(v.type_, varOleStr);
      return v.AsString().ToWide();
  }
}

int Variant::AsInteger() const {
  return static_cast<int>(IntegerIn(Deref(), varInteger, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max()));
}

std::int64_t Variant::AsInt64() const {
  return IntegerIn(Deref(), varInt64, std::numeric_limits<std::int64_t>::min(),
                   std::numeric_limits<std::int64_t>::max());
}

double Variant::AsDouble() const { return DoubleOf(Deref(), varDouble); }

TDateTime Variant::AsDateTime() const { return DoubleOf(Deref(), varDate); }

Currency Variant::AsCurrency() const {
  const Variant& v = Deref();
  TVarType t = v.type_;
  constexpr std::int64_t kMaxUnits = std::numeric_limits<std::int64_t>::max() / 10000;
  if (t == varCurrency) return Currency::FromScaled(A::Int(v));
  if (IsIntegerType(t) || t == varBoolean) {
    std::int64_t units = t == varBoolean ? (A::Int(v) ? -1 : 0) : A::Int(v);
    if (units > kMaxUnits || units < -kMaxUnits) OverflowError(t, varCurrency);
    return Currency::FromScaled(units * 10000);
  }
  if (t == varString || t == varOleStr) {
    Currency c;
    if (TryStrToCurr(TrimmedText(v), c)) return c;
    CastError(t, varCurrency);
  }
  double d = DoubleOf(v, varCurrency);
  // Kept a little inside the 64-bit range so that rounding cannot leave it.
  if (!(std::fabs(d) < 922337203685477.0)) OverflowError(t, varCurrency);
  return Currency::FromDouble(d);
}

bool Variant::AsBool() const {
  const Variant& v = Deref();
  TVarType t = v.type_;
  if (IsIntegerType(t) || t == varBoolean || t == varCurrency) return A::Int(v) != 0;
  if (IsFloatType(t)) return A::Float(v) != 0;
  switch (t) {
    case varEmpty: return false;
    case varString:
    case varOleStr: {
      AnsiString text = TrimmedText(v);
      if (SameText(text, "True")) return true;
      if (SameText(text, "False")) return false;
      double d = 0;
      if (TryStrToFloat(text, d)) return d != 0;
      CastError(t, varBoolean);
    }
    default:
      CastError(t, varBoolean);
  }
}

AutoObjectPtr Variant::AsDispatch() const {
  const Variant& v = Deref();
  if (v.type_ == varDispatch) return A::Object(v);
  if (v.type_ == varEmpty) return nullptr;
  CastError(v.type_, varDispatch);
}

std::int32_t Variant::AsError() const {
  const Variant& v = Deref();
  if (v.type_ != varError) CastError(v.type_, varError);
  return static_cast<std::int32_t>(A::Int(v));
}

AnsiString VarToStr(const Variant& v) { return VarIsNull(v) ? AnsiString() : v.AsString(); }

WideString VarToWideStr(const Variant& v) { return VarIsNull(v) ? WideString() : v.AsWide(); }

Variant VarAsType(const Variant& value, TVarType type) {
  const Variant& v = value.Deref();
  if (v.type_ == type) return v;
  TVarType t = v.type_;
  switch (type) {
    case varEmpty: return Variant();
    case varNull: return Null();
    case varSmallint: return Variant(static_cast<short>(IntegerIn(v, type, INT16_MIN, INT16_MAX)));
    case varInteger: return Variant(v.AsInteger());
    case varInt64: return Variant(static_cast<long long>(v.AsInt64()));
    case varByte: return Variant(static_cast<unsigned char>(IntegerIn(v, type, 0, UINT8_MAX)));
    case varWord: return Variant(static_cast<unsigned short>(IntegerIn(v, type, 0, UINT16_MAX)));
    case varLongWord: return Variant(static_cast<unsigned>(IntegerIn(v, type, 0, UINT32_MAX)));
    case varSingle: {
      double d = DoubleOf(v, varSingle);
      if (std::isfinite(d) && std::fabs(d) > FLT_MAX) OverflowError(t, varSingle);
      return Variant(static_cast<float>(d));
    }
    case varDouble: return Variant(v.AsDouble());
    case varDate: return Variant::FromDateTime(v.AsDateTime());
    case varCurrency: return Variant(v.AsCurrency());
    case varBoolean: return Variant(v.AsBool());
    case varString: return Variant(v.AsString());
    case varOleStr: return Variant(v.AsWide());
    case varDispatch: return Variant(v.AsDispatch());
    default: throw EVariantInvalidArgError("Invalid variant type");
  }
}

}  // namespace platform
