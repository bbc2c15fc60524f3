#include "Variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "Automation.h"
#include "Exceptions.h"
#include "VarArray.h"

namespace platform {

Variant::Variant(bool v) : type_(varBoolean), value_(std::int64_t{v ? -1 : 0}) {}
Variant::Variant(short v) : type_(varSmallint), value_(std::int64_t{v}) {}
Variant::Variant(int v) : type_(varInteger), value_(std::int64_t{v}) {}
Variant::Variant(long v) : type_(varInt64), value_(std::int64_t{v}) {}
Variant::Variant(long long v) : type_(varInt64), value_(static_cast<std::int64_t>(v)) {}
Variant::Variant(unsigned char v) : type_(varByte), value_(std::int64_t{v}) {}
Variant::Variant(unsigned short v) : type_(varWord), value_(std::int64_t{v}) {}
Variant::Variant(unsigned v) : type_(varLongWord), value_(std::int64_t{v}) {}
Variant::Variant(float v) : type_(varSingle), value_(double{v}) {}
Variant::Variant(double v) : type_(varDouble), value_(v) {}
Variant::Variant(Currency v) : type_(varCurrency), value_(v.scaled) {}
Variant::Variant(char c) : type_(varString), value_(AnsiString(1, c)) {}
Variant::Variant(const char* text) : type_(varString), value_(AnsiString(text)) {}
Variant::Variant(AnsiString text) : type_(varString), value_(std::move(text)) {}
Variant::Variant(const char16_t* text) : type_(varOleStr), value_(WideString(text ? text : u"")) {}
Variant::Variant(WideString text) : type_(varOleStr), value_(std::move(text)) {}
Variant::Variant(AutoObjectPtr object) {
  if (object) {
    type_ = varDispatch;
    value_ = std::move(object);
  }
}

Variant Variant::FromDateTime(TDateTime value) { return Variant(varDate, Payload(double{value})); }
Variant Variant::FromVarBool(std::int16_t raw) { return Variant(varBoolean, Payload(std::int64_t{raw})); }
Variant Variant::FromError(std::int32_t scode) { return Variant(varError, Payload(std::int64_t{scode})); }

Variant::Variant(Variant&& other) noexcept : type_(other.type_), value_(std::move(other.value_)) {
  other.type_ = varEmpty;
  other.value_ = std::monostate{};
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    type_ = other.type_;
    value_ = std::move(other.value_);
    other.type_ = varEmpty;
    other.value_ = std::monostate{};
  }
  return *this;
}

Variant::ArrayBox::ArrayBox(std::unique_ptr<VarArray> a) : array(std::move(a)) {}
Variant::ArrayBox::ArrayBox(const ArrayBox& other)
    : array(other.array ? std::make_unique<VarArray>(*other.array) : nullptr) {}
Variant::ArrayBox::ArrayBox(ArrayBox&& other) noexcept = default;
Variant::ArrayBox& Variant::ArrayBox::operator=(const ArrayBox& other) {
  if (this != &other) array = other.array ? std::make_unique<VarArray>(*other.array) : nullptr;
  return *this;
}
Variant::ArrayBox& Variant::ArrayBox::operator=(ArrayBox&& other) noexcept = default;
Variant::ArrayBox::~ArrayBox() = default;

const Variant& Variant::Deref() const {
  const Variant* v = this;
  while (v->type_ == (varByRef | varVariant)) v = std::get<Variant*>(v->value_);
  return *v;
}

Variant& Variant::Deref() {
  Variant* v = this;
  while (v->type_ == (varByRef | varVariant)) v = std::get<Variant*>(v->value_);
  return *v;
}

const VarArray& Variant::Array() const {
  const Variant& v = Deref();
  if (!(v.type_ & varArray)) throw EVariantInvalidArgError("Variant is not an array");
  return *std::get<ArrayBox>(v.value_).array;
}

VarArray& Variant::Array() {
  Variant& v = Deref();
  if (!(v.type_ & varArray)) throw EVariantInvalidArgError("Variant is not an array");
  return *std::get<ArrayBox>(v.value_).array;
}

Variant Unassigned() { return Variant(); }
Variant Null() {
  Variant v;
  v.type_ = varNull;
  return v;
}
Variant VarFromDateTime(TDateTime value) { return Variant::FromDateTime(value); }
Variant VarAsError(std::int32_t scode) { return Variant::FromError(scode); }
Variant EmptyParam() { return Variant::FromError(DISP_E_PARAMNOTFOUND); }

Variant ByRef(Variant& target) {
  return Variant(varByRef | varVariant, Variant::Payload(&target.Deref()));
}

// Type tests --------------------------------------------------------------

TVarType VarType(const Variant& v) { return v.Type(); }
bool VarIsType(const Variant& v, TVarType type) { return v.Deref().Type() == type; }
bool VarIsEmpty(const Variant& v) { return v.Deref().Type() == varEmpty; }
bool VarIsNull(const Variant& v) { return v.Deref().Type() == varNull; }
bool VarIsEmptyOrNull(const Variant& v) { return VarIsEmpty(v) || VarIsNull(v); }
bool VarIsArray(const Variant& v) { return (v.Deref().Type() & varArray) != 0; }
bool VarIsDispatch(const Variant& v) { return v.Deref().Type() == varDispatch; }

bool VarIsStr(const Variant& v) {
  TVarType t = v.Deref().Type();
  return t == varString || t == varOleStr;
}

bool VarIsNumeric(const Variant& v) {
  switch (v.Deref().Type()) {
    case varSmallint:
    case varInteger:
    case varInt64:
    case varByte:
    case varWord:
    case varLongWord:
    case varBoolean:
    case varSingle:
    case varDouble:
    case varCurrency:
      return true;
    default:
      return false;
  }
}

bool VarIsEmptyParam(const Variant& v) {
  const Variant& d = v.Deref();
  return d.Type() == varError && d.AsError() == DISP_E_PARAMNOTFOUND;
}

// Equality ------------------------------------------------------------------

namespace {

enum class Group { Empty, Null, Integer, Float, Currency, Boolean, Text, Dispatch, Error, Array, Other };

Group GroupOf(TVarType t) {
  if (t & varArray) return Group::Array;
  switch (t) {
    case varEmpty: return Group::Empty;
    case varNull: return Group::Null;
    case varSmallint:
    case varInteger:
    case varInt64:
    case varByte:
    case varWord:
    case varLongWord:
      return Group::Integer;
    case varSingle:
    case varDouble:
    case varDate:
      return Group::Float;
    case varCurrency: return Group::Currency;
    case varBoolean: return Group::Boolean;
    case varString:
    case varOleStr:
      return Group::Text;
    case varDispatch: return Group::Dispatch;
    case varError: return Group::Error;
    default: return Group::Other;
  }
}

bool SameDouble(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

bool operator==(const Variant& left, const Variant& right) {
  const Variant& a = left.Deref();
  const Variant& b = right.Deref();
  Group ga = GroupOf(a.type_);
  Group gb = GroupOf(b.type_);
  auto isNumber = [](Group g) { return g == Group::Integer || g == Group::Float || g == Group::Currency; };
  if (isNumber(ga) && isNumber(gb)) {
    if (ga == gb && ga != Group::Float) return std::get<std::int64_t>(a.value_) == std::get<std::int64_t>(b.value_);
    if (ga == Group::Float && gb == Group::Float) return SameDouble(std::get<double>(a.value_), std::get<double>(b.value_));
    // Mixed kinds. An integer against a currency: compare in units of 1/10000.
    auto scaledOf = [](const Variant& v, Group g, long double& out) {
      if (g == Group::Currency) out = static_cast<long double>(std::get<std::int64_t>(v.value_));
      else out = static_cast<long double>(std::get<std::int64_t>(v.value_)) * 10000.0L;
    };
    if (ga != Group::Float && gb != Group::Float) {
      long double x, y;
      scaledOf(a, ga, x);
      scaledOf(b, gb, y);
      return x == y;  // exact: 64-bit mantissa
    }
    // A float against an integer (exact in long double) or a currency (as
    // the nearest double, the way the class library converts it).
    auto floatOf = [](const Variant& v, Group g) -> long double {
      switch (g) {
        case Group::Float: return std::get<double>(v.value_);
        case Group::Currency: return static_cast<double>(std::get<std::int64_t>(v.value_)) / 10000.0;
        default: return static_cast<long double>(std::get<std::int64_t>(v.value_));
      }
    };
    return floatOf(a, ga) == floatOf(b, gb);
  }
  if (ga != gb) return false;
  switch (ga) {
    case Group::Empty:
    case Group::Null:
      return true;
    case Group::Boolean:
      return (std::get<std::int64_t>(a.value_) != 0) == (std::get<std::int64_t>(b.value_) != 0);
    case Group::Error:
      return std::get<std::int64_t>(a.value_) == std::get<std::int64_t>(b.value_);
    case Group::Dispatch:
      return std::get<AutoObjectPtr>(a.value_) == std::get<AutoObjectPtr>(b.value_);
    case Group::Text:
      if (a.type_ == varString && b.type_ == varString)
        return std::get<AnsiString>(a.value_) == std::get<AnsiString>(b.value_);
      return a.AsWide() == b.AsWide();
    case Group::Array: {
      const VarArray& x = *std::get<Variant::ArrayBox>(a.value_).array;
      const VarArray& y = *std::get<Variant::ArrayBox>(b.value_).array;
      if (x.Bounds().size() != y.Bounds().size()) return false;
      for (std::size_t i = 0; i < x.Bounds().size(); ++i)
        if (x.Bounds()[i].low != y.Bounds()[i].low || x.Bounds()[i].count != y.Bounds()[i].count) return false;
      if (x.IsBytes() && y.IsBytes()) return x.Bytes() == y.Bytes();
      for (std::size_t i = 0; i < x.Count(); ++i)
        if (!(x.Get(i) == y.Get(i))) return false;
      return true;
    }
    default:
      return false;
  }
}

// Printing ------------------------------------------------------------------

namespace {

void PrintDouble(std::ostream& os, double d) {
  char buffer[64];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, d);
  os.write(buffer, r.ptr - buffer);
}

void PrintCurrency(std::ostream& os, std::int64_t scaled) {
  // Digits of the magnitude, without overflow for the most negative value.
  unsigned long long m = scaled < 0 ? 0ULL - static_cast<unsigned long long>(scaled)
                                    : static_cast<unsigned long long>(scaled);
  char frac[8];
  std::snprintf(frac, sizeof frac, "%04llu", m % 10000);
  os << (scaled < 0 ? "-" : "") << m / 10000 << '.' << frac;
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const Variant& v) {
  if (v.type_ == (varByRef | varVariant)) return os << "ByRef(" << v.Deref() << ')';
  if (v.type_ & varArray) {
    const VarArray& a = *std::get<Variant::ArrayBox>(v.value_).array;
    os << VarTypeAsText(v.type_).c_str() << '[';
    for (std::size_t i = 0; i < a.Bounds().size(); ++i) {
      if (i) os << ", ";
      os << a.Bounds()[i].low << ".." << a.Bounds()[i].low + a.Bounds()[i].count - 1;
    }
    os << "]{";
    // Long arrays (images) show their start only.
    const std::size_t shown = a.IsBytes() ? 32 : 16;
    for (std::size_t i = 0; i < a.Count() && i < shown; ++i) {
      if (i) os << ", ";
      if (a.IsBytes()) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(a.Bytes()[i]));
        os << hex;
      } else {
        os << a.Items()[i];
      }
    }
    if (a.Count() > shown) os << ", ... (" << a.Count() << " elements)";
    return os << '}';
  }
  switch (v.type_) {
    case varEmpty: return os << "Empty";
    case varNull: return os << "Null";
    case varSingle:
      os << "Single(";
      PrintDouble(os, static_cast<float>(std::get<double>(v.value_)));
      return os << ')';
    case varDouble:
    case varDate:
      os << VarTypeAsText(v.type_).c_str() << '(';
      PrintDouble(os, std::get<double>(v.value_));
      return os << ')';
    case varCurrency:
      os << "Currency(";
      PrintCurrency(os, std::get<std::int64_t>(v.value_));
      return os << ')';
    case varBoolean:
      return os << "Boolean(" << (std::get<std::int64_t>(v.value_) ? "True" : "False") << ')';
    case varError: {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(std::get<std::int64_t>(v.value_)));
      return os << "Error(" << hex << ')';
    }
    case varString: return os << "String(" << std::get<AnsiString>(v.value_) << ')';
    case varOleStr: return os << "OleStr(u\"" << WideToUtf8(std::get<WideString>(v.value_)) << "\")";
    case varDispatch: {
      const AutoObjectPtr& p = std::get<AutoObjectPtr>(v.value_);
      return os << "Dispatch(" << p->AutoClassName().ToUtf8() << " at " << static_cast<const void*>(p.get()) << ')';
    }
    default:
      return os << VarTypeAsText(v.type_).c_str() << '(' << std::get<std::int64_t>(v.value_) << ')';
  }
}

}  // namespace platform
