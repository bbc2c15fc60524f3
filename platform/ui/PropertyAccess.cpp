#include "platform/ui/PropertyAccess.h"

#include <ostream>

#include "platform/FloatFormat.h"
#include "platform/StringList.h"
#include "platform/ui/Collection.h"

namespace platform {

namespace {

const char* StatusName(TPropStatus s) {
  switch (s) {
    case TPropStatus::psOk: return "psOk";
    case TPropStatus::psNoProperty: return "psNoProperty";
    case TPropStatus::psNotAnObject: return "psNotAnObject";
    case TPropStatus::psBadPath: return "psBadPath";
    case TPropStatus::psIndexOutOfRange: return "psIndexOutOfRange";
    case TPropStatus::psBadValue: return "psBadValue";
    case TPropStatus::psReadOnly: return "psReadOnly";
  }
  return "?";
}

TPropResult Fail(TPropStatus status, const AnsiString& message, bool ignoreFailures) {
  if (!ignoreFailures) {
    if (status == TPropStatus::psBadValue) throw EPropertyConvertError(message);
    throw EPropertyError(message);
  }
  return TPropResult{status, message};
}

AnsiString Quoted(const AnsiString& s) { return "'" + s + "'"; }

const TPropInfo& Require(const TPersistent& instance, const AnsiString& name) {
  const TPropInfo* p = GetPropInfo(instance, name);
  if (!p) throw EPropertyError("Property " + name + " does not exist");
  return *p;
}

const TPropInfo& RequireKind(const TPersistent& instance, const AnsiString& name, bool ok) {
  const TPropInfo& p = Require(instance, name);
  if (!ok) throw EPropertyError("Invalid property type: " + name + " is of type " + p.PropType().Name());
  return p;
}

bool IsOrdinalKind(TTypeKind k) {
  return k == TTypeKind::tkInteger || k == TTypeKind::tkChar || k == TTypeKind::tkEnumeration ||
         k == TTypeKind::tkSet;
}

void CheckWritable(const TPropInfo& p) {
  if (!p.IsWritable()) throw EPropertyError("Property " + p.Name() + " is read-only");
}

bool InRange(const TTypeInfo& type, std::int64_t value) {
  if (type.Kind() == TTypeKind::tkSet) {
    const int n = type.ElementType()->EnumCount();
    return n >= 64 || (static_cast<std::uint64_t>(value) >> n) == 0;
  }
  return value >= type.MinValue() && value <= type.MaxValue();
}

// "Name_12" -> ("Name", 12). False when the segment has no "_" followed by
// digits only; an index too large for a line or element is kept as -1.
bool SplitIndexed(const AnsiString& segment, AnsiString& name, long long& index, bool& hasUnderscore) {
  const std::string& b = segment.Bytes();
  const std::size_t us = b.rfind('_');
  hasUnderscore = us != std::string::npos;
  if (!hasUnderscore) return false;
  name = AnsiString::FromBytes(std::string_view(b).substr(0, us));
  const std::string digits = b.substr(us + 1);
  if (digits.empty() || name.IsEmpty()) return false;
  long long n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    if (n <= 1000000000LL) n = n * 10 + (c - '0');
  }
  index = n;
  return true;
}

// Walks every segment but the last. On success object is the object the
// last segment applies to.
TPropResult WalkPath(TPersistent& root, const AnsiString& path, TPersistent*& object, AnsiString& last,
                     bool ignoreFailures) {
  std::vector<AnsiString> segments;
  const std::string& b = path.Bytes();
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = b.find('.', start);
    segments.push_back(
        AnsiString::FromBytes(std::string_view(b).substr(start, dot == std::string::npos ? std::string::npos : dot - start)));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  for (const AnsiString& s : segments)
    if (s.IsEmpty()) return Fail(TPropStatus::psBadPath, "Invalid property path " + Quoted(path), ignoreFailures);

  TPersistent* current = &root;
  for (std::size_t i = 0; i + 1 < segments.size(); ++i) {
    const AnsiString& segment = segments[i];
    AnsiString name;
    long long index = 0;
    bool hasUnderscore = false;
    const bool indexed = SplitIndexed(segment, name, index, hasUnderscore);
    if (hasUnderscore) {
      if (!indexed || !(SameText(name, "Items") || SameText(name, "Columns")))
        return Fail(TPropStatus::psBadPath, "Invalid property path " + Quoted(path) + " at " + Quoted(segment),
                    ignoreFailures);
      const TPropInfo* p = GetPropInfo(*current, name);
      auto* items = p && p->Kind() == TTypeKind::tkClass ? dynamic_cast<TIndexedItems*>(p->GetObject(*current)) : nullptr;
      if (!items)
        return Fail(TPropStatus::psNotAnObject, name + " of " + current->ClassName() + " is not a list of items",
                    ignoreFailures);
      if (index >= items->ItemCount())
        return Fail(TPropStatus::psIndexOutOfRange,
                    "Index " + IntToStr(index) + " of " + name + " is out of range (" + IntToStr(items->ItemCount()) +
                        " items)",
                    ignoreFailures);
      current = items->ItemAt(static_cast<int>(index));
      if (!current) return Fail(TPropStatus::psNotAnObject, "No item at " + Quoted(segment), ignoreFailures);
      continue;
    }
    const TPropInfo* p = GetPropInfo(*current, segment);
    if (!p)
      return Fail(TPropStatus::psNoProperty,
                  "Property " + segment + " does not exist in " + AnsiString(current->ClassName()), ignoreFailures);
    auto* next = p->Kind() == TTypeKind::tkClass ? dynamic_cast<TPersistent*>(p->GetObject(*current)) : nullptr;
    if (!next)
      return Fail(TPropStatus::psNotAnObject, "Property " + segment + " does not hold an object", ignoreFailures);
    current = next;
  }
  object = current;
  last = segments.back();
  return TPropResult();
}

// Line n of the string-list property named by "Name_n"; list is null when
// the segment is no such form.
TStringList* IndexedLines(TPersistent& object, const AnsiString& segment, long long& line) {
  AnsiString name;
  bool hasUnderscore = false;
  if (!SplitIndexed(segment, name, line, hasUnderscore)) return nullptr;
  const TPropInfo* p = GetPropInfo(object, name);
  if (!p || !p->PropType().IsStringList()) return nullptr;
  return dynamic_cast<TStringList*>(p->GetObject(object));
}

}  // namespace

std::ostream& operator<<(std::ostream& os, TPropStatus status) { return os << StatusName(status); }

std::ostream& operator<<(std::ostream& os, const TPropResult& result) {
  os << result.Status;
  if (!result.Message.IsEmpty()) os << " (" << result.Message << ")";
  return os;
}

const TPropInfo* GetPropInfo(const TPersistent& instance, const AnsiString& name) {
  return instance.ClassType().FindProperty(name);
}

bool IsPublishedProp(const TPersistent& instance, const AnsiString& name) {
  return GetPropInfo(instance, name) != nullptr;
}

TTypeKind PropType(const TPersistent& instance, const AnsiString& name) { return Require(instance, name).Kind(); }

const TTypeInfo& PropTypeInfo(const TPersistent& instance, const AnsiString& name) {
  return Require(instance, name).PropType();
}

std::int64_t GetOrdProp(const TPersistent& instance, const AnsiString& name) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, IsOrdinalKind(p.Kind()));
  return p.GetOrd(instance);
}

void SetOrdProp(TPersistent& instance, const AnsiString& name, std::int64_t value) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, IsOrdinalKind(p.Kind()));
  CheckWritable(p);
  if (!InRange(p.PropType(), value))
    throw EPropertyConvertError("Invalid property value " + IntToStr(value) + " for " + name);
  p.SetOrd(instance, value);
}

AnsiString GetEnumProp(const TPersistent& instance, const AnsiString& name) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkEnumeration);
  return p.PropType().OrdinalToText(p.GetOrd(instance));
}

void SetEnumProp(TPersistent& instance, const AnsiString& name, const AnsiString& identifier) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkEnumeration);
  CheckWritable(p);
  const std::int64_t v = p.PropType().EnumValue(Trim(identifier));
  if (v < 0) throw EPropertyConvertError("Invalid property value " + Quoted(identifier) + " for " + name);
  p.SetOrd(instance, v);
}

AnsiString GetSetProp(const TPersistent& instance, const AnsiString& name) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkSet);
  return p.PropType().OrdinalToText(p.GetOrd(instance));
}

void SetSetProp(TPersistent& instance, const AnsiString& name, const AnsiString& text) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkSet);
  SetPropValue(instance, p, text, false);
}

AnsiString GetStrProp(const TPersistent& instance, const AnsiString& name) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkString);
  return p.GetStr(instance);
}

void SetStrProp(TPersistent& instance, const AnsiString& name, const AnsiString& value) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkString);
  CheckWritable(p);
  p.SetStr(instance, value);
}

double GetFloatProp(const TPersistent& instance, const AnsiString& name) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkFloat);
  return p.GetFloat(instance);
}

void SetFloatProp(TPersistent& instance, const AnsiString& name, double value) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkFloat);
  CheckWritable(p);
  p.SetFloat(instance, value);
}

TObject* GetObjectProp(const TPersistent& instance, const AnsiString& name) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkClass);
  return p.GetObject(instance);
}

void SetObjectProp(TPersistent& instance, const AnsiString& name, TObject* value) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkClass);
  CheckWritable(p);
  if (!p.SetObject(instance, value))
    throw EPropertyConvertError("Invalid property value: " + name + " takes a " + p.PropType().Name());
}

TMethod GetMethodProp(const TPersistent& instance, const AnsiString& name) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkMethod);
  return p.GetMethod(instance);
}

void SetMethodProp(TPersistent& instance, const AnsiString& name, const TMethod& value) {
  const TPropInfo& p = Require(instance, name);
  RequireKind(instance, name, p.Kind() == TTypeKind::tkMethod);
  CheckWritable(p);
  if (!p.SetMethod(instance, value))
    throw EPropertyConvertError("Invalid property value: the handler does not fit " + name + " (" +
                                p.PropType().Name() + ")");
}

TPropResult GetPropValue(const TPersistent& instance, const AnsiString& name, AnsiString& text) {
  const TPropInfo* p = GetPropInfo(instance, name);
  if (!p) return TPropResult{TPropStatus::psNoProperty, "Property " + name + " does not exist"};
  switch (p->Kind()) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
      text = p->PropType().OrdinalToText(p->GetOrd(instance));
      return TPropResult();
    case TTypeKind::tkFloat:
      text = FloatToStr(p->GetFloat(instance));
      return TPropResult();
    case TTypeKind::tkString:
      text = p->GetStr(instance);
      return TPropResult();
    case TTypeKind::tkClass:
    case TTypeKind::tkMethod:
      break;
  }
  return TPropResult{TPropStatus::psBadValue, "Property " + name + " has no text form"};
}

TPropResult SetPropValue(TPersistent& instance, const AnsiString& name, const AnsiString& text, bool ignoreFailures) {
  const TPropInfo* p = GetPropInfo(instance, name);
  if (!p)
    return Fail(TPropStatus::psNoProperty,
                "Property " + name + " does not exist in " + AnsiString(instance.ClassName()), ignoreFailures);
  return SetPropValue(instance, *p, text, ignoreFailures);
}

TPropResult SetPropValue(TPersistent& instance, const TPropInfo& p, const AnsiString& text, bool ignoreFailures) {
  const AnsiString invalid = "Invalid property value " + Quoted(text) + " for " + p.Name();
  try {
    switch (p.Kind()) {
      case TTypeKind::tkInteger:
      case TTypeKind::tkChar:
      case TTypeKind::tkEnumeration:
      case TTypeKind::tkSet: {
        std::int64_t v = 0;
        if (!p.PropType().OrdinalFromText(text, v)) return Fail(TPropStatus::psBadValue, invalid, ignoreFailures);
        if (!p.IsWritable())
          return Fail(TPropStatus::psReadOnly, "Property " + p.Name() + " is read-only", ignoreFailures);
        p.SetOrd(instance, v);
        return TPropResult();
      }
      case TTypeKind::tkFloat: {
        double v = 0;
        if (!TryStrToFloat(text, v)) return Fail(TPropStatus::psBadValue, invalid, ignoreFailures);
        if (!p.IsWritable())
          return Fail(TPropStatus::psReadOnly, "Property " + p.Name() + " is read-only", ignoreFailures);
        p.SetFloat(instance, v);
        return TPropResult();
      }
      case TTypeKind::tkString:
        if (!p.IsWritable())
          return Fail(TPropStatus::psReadOnly, "Property " + p.Name() + " is read-only", ignoreFailures);
        p.SetStr(instance, text);
        return TPropResult();
      case TTypeKind::tkClass:
      case TTypeKind::tkMethod:
        break;
    }
    return Fail(TPropStatus::psBadValue, "Property " + p.Name() + " cannot be set from text", ignoreFailures);
  } catch (const Exception& e) {
    // Without ignoreFailures nothing is caught here: Fail's own errors and
    // the setter's reach the caller as they are.
    if (!ignoreFailures) throw;
    return TPropResult{TPropStatus::psBadValue, e.Message()};
  }
}

TPropResult GetPropValueByPath(const TPersistent& root, const AnsiString& path, AnsiString& text) {
  TPersistent* object = nullptr;
  AnsiString last;
  // Reading walks the same way as writing; nothing is changed.
  TPropResult walked = WalkPath(const_cast<TPersistent&>(root), path, object, last, true);
  if (!walked) return walked;
  if (GetPropInfo(*object, last)) return GetPropValue(*object, last, text);
  long long line = 0;
  if (TStringList* lines = IndexedLines(*object, last, line)) {
    if (line >= lines->Count())
      return TPropResult{TPropStatus::psIndexOutOfRange, "Line " + IntToStr(line) + " does not exist"};
    text = (*lines)[static_cast<int>(line)];
    return TPropResult();
  }
  return TPropResult{TPropStatus::psNoProperty,
                     "Property " + last + " does not exist in " + AnsiString(object->ClassName())};
}

TPropResult SetPropValueByPath(TPersistent& root, const AnsiString& path, const AnsiString& text,
                               bool ignoreFailures) {
  TPersistent* object = nullptr;
  AnsiString last;
  TPropResult walked = WalkPath(root, path, object, last, ignoreFailures);
  if (!walked) return walked;
  if (const TPropInfo* p = GetPropInfo(*object, last)) return SetPropValue(*object, *p, text, ignoreFailures);
  long long line = 0;
  if (TStringList* lines = IndexedLines(*object, last, line)) {
    if (line > kMaxLineIndex)
      return Fail(TPropStatus::psIndexOutOfRange, "Line " + IntToStr(line) + " is beyond the last line allowed",
                  ignoreFailures);
    while (lines->Count() <= line) lines->Add(AnsiString());
    lines->SetString(static_cast<int>(line), text);
    return TPropResult();
  }
  return Fail(TPropStatus::psNoProperty, "Property " + last + " does not exist in " + AnsiString(object->ClassName()),
              ignoreFailures);
}

}  // namespace platform
