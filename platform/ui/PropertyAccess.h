// Published properties read and written by name and by dotted path: what
// form resources, language files, per-user settings and the renderer use.
//
// Typed access (GetOrdProp, SetStrProp, GetMethodProp ...) is for code that
// knows the property: an unknown name or a property of another kind raises
// EPropertyError, as the class library does.
//
// Text access converts by the property's kind:
// - integers: the text trimmed; an identifier of the type's map ("clRed",
//   "crHourGlass", "GB2312_CHARSET") or a number ("255", "$FF",
//   "-2147483633") within the type's range;
// - enumerations (Boolean included): the text trimmed; an identifier
//   (ASCII case ignored) or its ordinal;
// - sets: the text trimmed; identifiers separated by ",", with or without
//   "[" "]" ("[fsBold, fsItalic]", "", "[]");
// - characters: exactly one byte;
// - floats: TryStrToFloat's forms; strings: the text as it is;
// - objects and events cannot be set from text.
//
// Paths (SetPropValueByPath) are segments separated by ".", left to right:
// - Name: a published property of the current object; before the last
//   segment it must be an object-valued property holding a persistent
//   object, which becomes the current object ("Font.Charset");
// - Items_n, Columns_n before the last segment: element n (from 0) of the
//   indexed items (a collection, a list view's columns or items, a tree
//   view's nodes) held by the property Items or Columns
//   ("Columns_1.Caption", "Items_2.Text"); a middle segment with "_" of
//   any other name, or without a number, stops the path;
// - Name_n as the last segment, when there is no property of that full
//   name: line n of the string-list property Name ("Items_3", "Lines_0");
//   empty lines are added until line n exists (n at most kMaxLineIndex).
// Whatever stops a path leaves every object unchanged: an element index
// out of range included, and a value that does not convert.
//
// Every text operation answers a TPropResult. With ignoreFailures the
// failure is only reported there (language files and settings skip what
// does not apply); without it, it raises EPropertyError (an unknown name or
// a path that cannot be followed) or EPropertyConvertError (a value that
// does not convert). Exceptions raised by a property's setter propagate,
// except with ignoreFailures, where they become a psBadValue result.
#pragma once

#include <cstdint>
#include <iosfwd>

#include "platform/AnsiString.h"
#include "platform/Exceptions.h"
#include "platform/ui/ClassInfo.h"
#include "platform/ui/Persistent.h"

namespace platform {

PLATFORM_EXCEPTION_CLASS(EPropertyError, Exception);
PLATFORM_EXCEPTION_CLASS(EPropertyConvertError, EConvertError);

enum class TPropStatus {
  psOk,
  psNoProperty,       // no published property of that name
  psNotAnObject,      // a middle segment is not an object-valued property holding an object
  psBadPath,          // a malformed segment ("Bogus_1." in the middle, "Items_", "a..b")
  psIndexOutOfRange,  // an element or line index beyond the list
  psBadValue,         // the text does not convert, or the setter refused it
  psReadOnly,         // the property has no setter
};

struct TPropResult {
  TPropStatus Status = TPropStatus::psOk;
  AnsiString Message;

  explicit operator bool() const { return Status == TPropStatus::psOk; }
  friend bool operator==(const TPropResult& a, const TPropResult& b) { return a.Status == b.Status; }
};
std::ostream& operator<<(std::ostream& os, const TPropResult& result);
std::ostream& operator<<(std::ostream& os, TPropStatus status);

// The highest line index a path may create in a string list.
constexpr int kMaxLineIndex = 65535;

// --- lookup ---
const TPropInfo* GetPropInfo(const TPersistent& instance, const AnsiString& name);  // nullptr when none
bool IsPublishedProp(const TPersistent& instance, const AnsiString& name);
// The kind and type of a property; EPropertyError when there is none.
TTypeKind PropType(const TPersistent& instance, const AnsiString& name);
const TTypeInfo& PropTypeInfo(const TPersistent& instance, const AnsiString& name);

// --- typed access (EPropertyError for an unknown name or another kind) ---
std::int64_t GetOrdProp(const TPersistent& instance, const AnsiString& name);
void SetOrdProp(TPersistent& instance, const AnsiString& name, std::int64_t value);
AnsiString GetEnumProp(const TPersistent& instance, const AnsiString& name);
// EPropertyConvertError for an identifier the type does not have.
void SetEnumProp(TPersistent& instance, const AnsiString& name, const AnsiString& identifier);
AnsiString GetSetProp(const TPersistent& instance, const AnsiString& name);  // "[fsBold,fsItalic]"
void SetSetProp(TPersistent& instance, const AnsiString& name, const AnsiString& text);
AnsiString GetStrProp(const TPersistent& instance, const AnsiString& name);
void SetStrProp(TPersistent& instance, const AnsiString& name, const AnsiString& value);
double GetFloatProp(const TPersistent& instance, const AnsiString& name);
void SetFloatProp(TPersistent& instance, const AnsiString& name, double value);
TObject* GetObjectProp(const TPersistent& instance, const AnsiString& name);
// EPropertyConvertError when value is not of the property's class.
void SetObjectProp(TPersistent& instance, const AnsiString& name, TObject* value);
TMethod GetMethodProp(const TPersistent& instance, const AnsiString& name);
// EPropertyConvertError when the handler's parameters differ from the
// event's.
void SetMethodProp(TPersistent& instance, const AnsiString& name, const TMethod& value);

// --- text access ---
TPropResult GetPropValue(const TPersistent& instance, const AnsiString& name, AnsiString& text);
TPropResult SetPropValue(TPersistent& instance, const AnsiString& name, const AnsiString& text,
                         bool ignoreFailures = false);
// The same for a property already looked up.
TPropResult SetPropValue(TPersistent& instance, const TPropInfo& property, const AnsiString& text,
                         bool ignoreFailures = false);
TPropResult GetPropValueByPath(const TPersistent& root, const AnsiString& path, AnsiString& text);
TPropResult SetPropValueByPath(TPersistent& root, const AnsiString& path, const AnsiString& text,
                               bool ignoreFailures = false);

}  // namespace platform
