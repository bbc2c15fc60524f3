// Variant: the automation value of the class library (OleVariant).
//
// A Variant holds one value of a kind named by its type code (VarType):
// Empty (Unassigned) and Null, which are distinct; the integers Smallint,
// Integer, Int64, Byte, Word and LongWord; Single and Double; Currency;
// Date (a TDateTime day count, 0 = 30 December 1899); String (byte text in
// the process code page) and OleStr (wide text); Boolean in automation form
// (16 bits, true = -1, any non-zero value reads as true); Dispatch (an
// automation object); Error (an SCODE: EmptyParam() marks an omitted
// optional argument); arrays; and ByRef.
//
// Arrays have one or more dimensions, each with its own low and high bound
// (VarArrayCreate({0, 1, 0, n - 1}, varVariant) is [0..1, 0..n-1]).
// Elements are Variants (which may themselves be arrays) or, for element
// type varByte, bytes kept compactly. Copying a Variant copies an array
// deeply; a Dispatch copy shares the object.
//
// ByRef refers to another Variant: it is how a caller hands its own
// variable to an automation call as a by-reference argument. Reads,
// conversions, tests (VarIsNull, VarIsArray ...) and comparisons follow the
// reference; VarType shows varByRef | varVariant. Assigning to a ByRef
// Variant replaces it (it does not write through): a callee writes through
// with Deref() or by declaring a Variant& parameter (DispatchTable.h). A
// ByRef is valid only while its target lives and is meant for call
// arguments only; array elements never hold one (PutElement stores the
// value referred to).
//
// Conversions follow the class library and raise its errors:
// EVariantTypeCastError "Could not convert variant of type (String) into
// type (Integer)" when a value has no meaning in the target type (Null,
// text that is no number, arrays, objects), EVariantOverflowError when it
// does not fit ("Overflow while converting variant of type (Double) into
// type (Integer)"). Floats become integers by rounding to nearest, ties to
// even. Texts are parsed after trimming blanks, integers by StrToInt's
// rules (hexadecimal included); a text holding a fractional number
// converts to an integer by the same rounding. Texts "True" and "False"
// convert to Boolean only, not to numbers.
//
// Equality (operator==) never raises:
// - ByRef compares the Variant referred to.
// - Empty equals only Empty and Null only Null.
// - The numeric kinds (integers, Single, Double, Currency, Date) compare by
//   value across kinds: Integer 1 == Double 1.0 == Currency 1. A Currency
//   is compared with a float as the double nearest to it.
// - Boolean equals only Boolean, by truth (any non-zero is true).
// - String and OleStr compare as wide text (the String widened in the
//   process code page); texts never equal numbers.
// - Arrays are equal when their dimensions and bounds are equal and their
//   elements are pairwise equal (the element types may differ).
// - Dispatch equals Dispatch holding the same object; Error equals Error
//   with the same SCODE. Everything else across kinds is unequal.
// NaN equals NaN, so equality stays reflexive.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "AnsiString.h"
#include "CodePage.h"
#include "Currency.h"
#include "DateTime.h"

namespace platform {

class AutoObject;
// Automation objects are reference counted, as the automation interfaces
// they stand in for: a Variant copy, a form field and a caller's local may
// all hold the same object, and it goes when the last of them lets go.
using AutoObjectPtr = std::shared_ptr<AutoObject>;
class VarArray;

// Type codes, with the class library's values.
using TVarType = std::uint16_t;
inline constexpr TVarType varEmpty = 0x0000;
inline constexpr TVarType varNull = 0x0001;
inline constexpr TVarType varSmallint = 0x0002;
inline constexpr TVarType varInteger = 0x0003;
inline constexpr TVarType varSingle = 0x0004;
inline constexpr TVarType varDouble = 0x0005;
inline constexpr TVarType varCurrency = 0x0006;
inline constexpr TVarType varDate = 0x0007;
inline constexpr TVarType varOleStr = 0x0008;
inline constexpr TVarType varDispatch = 0x0009;
inline constexpr TVarType varError = 0x000A;
inline constexpr TVarType varBoolean = 0x000B;
inline constexpr TVarType varVariant = 0x000C;  // element type of variant arrays
inline constexpr TVarType varByte = 0x0011;
inline constexpr TVarType varWord = 0x0012;
inline constexpr TVarType varLongWord = 0x0013;
inline constexpr TVarType varInt64 = 0x0014;
inline constexpr TVarType varString = 0x0100;
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;
inline constexpr TVarType varByRef = 0x4000;

// The SCODE of an omitted optional argument ("parameter not found").
inline constexpr std::int32_t DISP_E_PARAMNOTFOUND = static_cast<std::int32_t>(0x80020004u);

class Variant {
 public:
  Variant() noexcept = default;  // Empty
  Variant(bool v);                // NOLINT: Boolean, -1 / 0
  Variant(short v);               // NOLINT: Smallint
  Variant(int v);                 // NOLINT: Integer
  Variant(long v);                // NOLINT: Int64
  Variant(long long v);           // NOLINT: Int64
  Variant(unsigned char v);       // NOLINT: Byte
  Variant(unsigned short v);      // NOLINT: Word
  Variant(unsigned v);            // NOLINT: LongWord
  Variant(float v);               // NOLINT: Single
  Variant(double v);              // NOLINT: Double
  Variant(Currency v);            // NOLINT
  Variant(char c);                // NOLINT: a one-byte String, as a character is
  Variant(const char* text);      // NOLINT: String (program literal)
  Variant(AnsiString text);       // NOLINT: String
  Variant(const char16_t* text);  // NOLINT: OleStr
  Variant(WideString text);       // NOLINT: OleStr
  // Dispatch; a null pointer gives Empty, so that a Dispatch Variant always
  // holds an object.
  Variant(AutoObjectPtr object);  // NOLINT
  template <class D>
    requires(!std::is_same_v<D, AutoObject>)
  Variant(std::shared_ptr<D> object) : Variant(AutoObjectPtr(std::move(object))) {}  // NOLINT
  // Any other pointer would silently become a Boolean.
  template <class P>
  Variant(P*) = delete;

  static Variant FromDateTime(TDateTime value);
  // A Boolean with the given 16-bit automation value (any non-zero is true).
  static Variant FromVarBool(std::int16_t raw);
  static Variant FromError(std::int32_t scode);

  Variant(const Variant&) = default;
  Variant& operator=(const Variant&) = default;
  // A moved-from Variant is Empty.
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;
  ~Variant() = default;

  // The type code without following a reference (VarType).
  TVarType Type() const { return type_; }

  // The Variant a ByRef refers to (through any chain of them), else itself.
  const Variant& Deref() const;
  Variant& Deref();

  // Conversions (see the header comment for the rules and errors).
  AnsiString AsString() const;  // Empty gives ""
  WideString AsWide() const;
  int AsInteger() const;
  std::int64_t AsInt64() const;
  double AsDouble() const;
  Currency AsCurrency() const;
  bool AsBool() const;  // "True"/"False" (any case) or a number
  TDateTime AsDateTime() const;
  // The object; nullptr for Empty; EVariantTypeCastError otherwise.
  AutoObjectPtr AsDispatch() const;
  // The 16-bit automation form of AsBool(): -1 or 0.
  std::int16_t AsVarBool() const { return AsBool() ? -1 : 0; }
  // The SCODE of an Error Variant (EVariantTypeCastError for other kinds).
  std::int32_t AsError() const;

  // Array elements by one index per dimension. Bad indices raise
  // EVariantBadIndexError ("Variant or safe array index out of bounds"), a
  // Variant that is no array EVariantInvalidArgError. A byte array's
  // elements read as Byte; a value put into an array of another element
  // type than varVariant is converted to that type first.
  Variant GetElement(std::initializer_list<int> indices) const;
  Variant GetElement(std::span<const int> indices) const;
  void PutElement(std::initializer_list<int> indices, const Variant& value);
  void PutElement(std::span<const int> indices, const Variant& value);
  // The element of a one-dimensional array (a copy).
  Variant operator[](int index) const;
  // The element itself, for arrays of element type varVariant only (to fill
  // nested arrays in place); EVariantInvalidArgError for others.
  Variant& ElementRef(std::initializer_list<int> indices);

  friend bool operator==(const Variant& a, const Variant& b);

 private:
  friend class VarArray;
  friend struct VariantAccess;
  friend Variant ByRef(Variant& target);
  friend Variant Null();
  friend Variant VarAsType(const Variant& v, TVarType type);
  friend Variant VarArrayCreate(std::span<const int> bounds, TVarType elementType);
  friend void VarArrayRedim(Variant& array, int highBound);
  friend std::span<const Variant> VarArrayElements(const Variant& array);
  friend std::span<Variant> VarArrayElements(Variant& array);
  friend std::string_view VarArrayBytes(const Variant& array);
  friend std::span<std::uint8_t> VarArrayLock(Variant& array);
  friend int VarArrayDimCount(const Variant& v);
  friend int VarArrayLowBound(const Variant& v, int dim);
  friend int VarArrayHighBound(const Variant& v, int dim);
  friend std::ostream& operator<<(std::ostream& os, const Variant& v);

  // The array storage; copies deeply.
  struct ArrayBox {
    std::unique_ptr<VarArray> array;
    explicit ArrayBox(std::unique_ptr<VarArray> a);
    ArrayBox(const ArrayBox& other);
    ArrayBox(ArrayBox&& other) noexcept;
    ArrayBox& operator=(const ArrayBox& other);
    ArrayBox& operator=(ArrayBox&& other) noexcept;
    ~ArrayBox();
  };
  // Integers, Boolean, Error and Currency (scaled) are int64; Single, Double
  // and Date are double.
  using Payload =
      std::variant<std::monostate, std::int64_t, double, AnsiString, WideString, AutoObjectPtr, ArrayBox, Variant*>;

  Variant(TVarType type, Payload value) : type_(type), value_(std::move(value)) {}
  const VarArray& Array() const;  // raises EVariantInvalidArgError when no array
  VarArray& Array();

  TVarType type_ = varEmpty;
  Payload value_;
};

// Prints the kind and the value ("Integer(5)", "String("ab" (cp936))",
// "Array Variant[0..1]{Integer(1), Empty}"), for test failures.
std::ostream& operator<<(std::ostream& os, const Variant& v);

Variant Unassigned();  // Empty
Variant Null();
Variant VarFromDateTime(TDateTime value);
Variant VarAsError(std::int32_t scode);
// The value of an omitted optional argument: Error DISP_E_PARAMNOTFOUND.
Variant EmptyParam();
// A reference to the caller's Variant, for a by-reference argument. A
// reference to a ByRef refers to its final target.
Variant ByRef(Variant& target);

// Type tests (following references, except VarType).
TVarType VarType(const Variant& v);
bool VarIsType(const Variant& v, TVarType type);
bool VarIsEmpty(const Variant& v);
bool VarIsNull(const Variant& v);
bool VarIsEmptyOrNull(const Variant& v);
bool VarIsStr(const Variant& v);       // String or OleStr
bool VarIsNumeric(const Variant& v);   // integers, Boolean, Single, Double, Currency (not Date)
bool VarIsArray(const Variant& v);
bool VarIsDispatch(const Variant& v);  // holds an automation object
bool VarIsEmptyParam(const Variant& v);
// The class library's name of a type code: "Integer", "String", "OleStr",
// "Array Variant", "ByRef Variant" ...
AnsiString VarTypeAsText(TVarType type);

// Text of a value, Null giving "" (Empty too).
AnsiString VarToStr(const Variant& v);
WideString VarToWideStr(const Variant& v);
// The value converted to the kind of the type code (a scalar type, varEmpty
// or varNull); EVariantInvalidArgError ("Invalid variant type") for others.
Variant VarAsType(const Variant& v, TVarType type);

// Arrays. Bounds come in pairs, low and high, one pair per dimension; a
// high bound of low - 1 gives an empty dimension. Element types: varVariant,
// varByte, and the numeric types, varOleStr and varBoolean (elements then
// hold that type and start at its zero). Bad bounds or element types raise
// EVariantInvalidArgError ("Error creating variant or safe array" /
// "Invalid variant type").
Variant VarArrayCreate(std::span<const int> bounds, TVarType elementType);
inline Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elementType) {
  return VarArrayCreate(std::span<const int>(bounds.begin(), bounds.size()), elementType);
}
// A one-dimensional variant array with low bound 0.
Variant VarArrayOf(std::initializer_list<Variant> values);
Variant VarArrayOf(std::vector<Variant> values);
// A one-dimensional byte array with low bound 0 holding the bytes.
Variant VarByteArrayOf(std::string_view bytes);
// Number of dimensions; 0 when the Variant is no array.
int VarArrayDimCount(const Variant& v);
// Bounds of dimension dim (1-based); EVariantBadIndexError for a dimension
// the array does not have, EVariantInvalidArgError for no array.
int VarArrayLowBound(const Variant& v, int dim);
int VarArrayHighBound(const Variant& v, int dim);
// Changes the high bound of the last dimension, keeping the elements that
// remain; new elements start Empty (or zero).
void VarArrayRedim(Variant& array, int highBound);
// All elements in storage order (the first index varies fastest), for
// arrays whose element type is not varByte; EVariantInvalidArgError else.
std::span<const Variant> VarArrayElements(const Variant& array);
std::span<Variant> VarArrayElements(Variant& array);
// The bytes of a byte array, in storage order; EVariantInvalidArgError for
// other Variants.
std::string_view VarArrayBytes(const Variant& array);
std::span<std::uint8_t> VarArrayLock(Variant& array);

}  // namespace platform
