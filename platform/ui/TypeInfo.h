// TTypeInfo: the run-time description of a published property's type.
//
// Every published property (ClassInfo.h) names one TTypeInfo. The kinds are
// those of the class library: integers (optionally with an identifier map,
// so colours, cursors and font charsets accept "clRed", "crHourGlass",
// "GB2312_CHARSET"), characters, enumerations with their identifiers
// (Boolean is the enumeration False, True), floats, strings, sets of an
// enumeration, objects (a class of the component model, or a string list)
// and methods (event types, identified by their C++ signature).
//
// Type descriptions are immutable objects with static storage duration;
// they are compared by address only within one library, by Name() across
// libraries.
//
// An enumeration or set type used by a published property is found by the
// property table through an overload found by argument-dependent lookup,
// declared next to the enumeration:
//
//   enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
//   const TTypeInfo& EnumTypeInfo(TAlign);          // "TAlign", identifiers
//   const TTypeInfo& SetTypeInfo(SetOf<TAnchorKind>);  // "TAnchors"
//
// and defined once in a .cpp with TTypeInfo::Enumeration / TTypeInfo::Set.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <typeinfo>
#include <vector>

#include "platform/AnsiString.h"

namespace platform {

class TClassInfo;

enum class TTypeKind { tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod };

// One identifier of an integer type's identifier map ("clRed" = 0x0000FF).
struct TIdentMapEntry {
  std::int64_t Value;
  const char* Name;
};

class TTypeInfo {
 public:
  // An integer type with its range and, optionally, its identifiers.
  static TTypeInfo Integer(const char* name, std::int64_t minValue, std::int64_t maxValue,
                           std::vector<TIdentMapEntry> identifiers = {});
  // An enumeration; the ordinal of each identifier is its position.
  static TTypeInfo Enumeration(const char* name, std::initializer_list<const char*> identifiers);
  // A set whose elements are the values of an enumeration type.
  static TTypeInfo Set(const char* name, const TTypeInfo& elementType);
  // A class of the component model (classInfo), or a string list (nullptr).
  static TTypeInfo Class(const char* name, const TClassInfo* classInfo);
  // An event type: its signature is typeid of void(*)(Args...).
  static TTypeInfo Method(const char* name, const std::type_info& signature);
  // tkChar, tkFloat and tkString.
  static TTypeInfo Simple(const char* name, TTypeKind kind);

  const AnsiString& Name() const { return name_; }
  TTypeKind Kind() const { return kind_; }
  bool IsOrdinal() const;

  // Ordinal range (integers, characters, enumerations).
  std::int64_t MinValue() const { return min_; }
  std::int64_t MaxValue() const { return max_; }

  // Enumerations: identifier of an ordinal (empty when out of range), and
  // the ordinal of an identifier compared without regard to ASCII case
  // (-1 when it names none).
  int EnumCount() const { return static_cast<int>(names_.size()); }
  AnsiString EnumName(std::int64_t ordinal) const;
  std::int64_t EnumValue(const AnsiString& identifier) const;

  // Integer identifier maps. IntToIdent gives the first identifier of the
  // value; IdentToInt compares without regard to ASCII case.
  bool HasIdentMap() const { return !identMap_.empty(); }
  bool IdentToInt(const AnsiString& identifier, std::int64_t& value) const;
  bool IntToIdent(std::int64_t value, AnsiString& identifier) const;
  const std::vector<TIdentMapEntry>& IdentMap() const { return identMap_; }

  // Sets: the enumeration of the elements.
  const TTypeInfo* ElementType() const { return element_; }
  // Classes: the class of the property's objects; nullptr for string lists.
  const TClassInfo* ClassType() const { return class_; }
  bool IsStringList() const { return kind_ == TTypeKind::tkClass && class_ == nullptr; }
  // Methods: the handler signature (compare with ==, which works across
  // libraries).
  const std::type_info* Signature() const { return signature_; }

  // Text of an ordinal value, as the class library writes it: integers as
  // their identifier when the map has one, else decimal; characters as the
  // one byte; enumerations as the identifier; sets as "[a,b]".
  AnsiString OrdinalToText(std::int64_t value) const;
  // Reads an ordinal from text, the text trimmed first. Integers: an
  // identifier of the map, else a number (StrToInt's forms, "$FF"
  // included) within the range; characters: exactly one byte (not
  // trimmed); enumerations: an identifier, or its ordinal as a number;
  // sets: identifiers separated by ",", with or without "[" "]". False
  // when the text does not convert.
  bool OrdinalFromText(const AnsiString& text, std::int64_t& value) const;

 private:
  TTypeInfo(const char* name, TTypeKind kind) : name_(name), kind_(kind) {}

  AnsiString name_;
  TTypeKind kind_;
  std::int64_t min_ = 0;
  std::int64_t max_ = 0;
  std::vector<AnsiString> names_;
  std::vector<TIdentMapEntry> identMap_;
  const TTypeInfo* element_ = nullptr;
  const TClassInfo* class_ = nullptr;
  const std::type_info* signature_ = nullptr;
};

// The built-in types.
const TTypeInfo& IntegerTypeInfo();   // "Integer", 32 bits
const TTypeInfo& Int64TypeInfo();     // "Int64"
const TTypeInfo& BooleanTypeInfo();   // "Boolean": False, True
const TTypeInfo& CharTypeInfo();      // "Char", one byte
const TTypeInfo& StringTypeInfo();    // "String"
const TTypeInfo& FloatTypeInfo();     // "Double"
const TTypeInfo& StringsTypeInfo();   // "TStrings": a TStringList property

}  // namespace platform
