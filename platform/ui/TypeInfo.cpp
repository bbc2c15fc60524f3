#include "platform/ui/TypeInfo.h"

#include <cassert>
#include <limits>

#include "platform/FloatFormat.h"

namespace platform {

TTypeInfo TTypeInfo::Integer(const char* name, std::int64_t minValue, std::int64_t maxValue,
                             std::vector<TIdentMapEntry> identifiers) {
  TTypeInfo t(name, TTypeKind::tkInteger);
  t.min_ = minValue;
  t.max_ = maxValue;
  t.identMap_ = std::move(identifiers);
  return t;
}

TTypeInfo TTypeInfo::Enumeration(const char* name, std::initializer_list<const char*> identifiers) {
  TTypeInfo t(name, TTypeKind::tkEnumeration);
  for (const char* id : identifiers) t.names_.emplace_back(id);
  assert(!t.names_.empty() && t.names_.size() <= 64);
  t.min_ = 0;
  t.max_ = static_cast<std::int64_t>(t.names_.size()) - 1;
  return t;
}

TTypeInfo TTypeInfo::Set(const char* name, const TTypeInfo& elementType) {
  assert(elementType.Kind() == TTypeKind::tkEnumeration);
  TTypeInfo t(name, TTypeKind::tkSet);
  t.element_ = &elementType;
  return t;
}

TTypeInfo TTypeInfo::Class(const char* name, const TClassInfo* classInfo) {
  TTypeInfo t(name, TTypeKind::tkClass);
  t.class_ = classInfo;
  return t;
}

TTypeInfo TTypeInfo::Method(const char* name, const std::type_info& signature) {
  TTypeInfo t(name, TTypeKind::tkMethod);
  t.signature_ = &signature;
  return t;
}

TTypeInfo TTypeInfo::Simple(const char* name, TTypeKind kind) {
  assert(kind == TTypeKind::tkChar || kind == TTypeKind::tkFloat || kind == TTypeKind::tkString);
  TTypeInfo t(name, kind);
  if (kind == TTypeKind::tkChar) {
    t.min_ = 0;
    t.max_ = 255;
  }
  return t;
}

bool TTypeInfo::IsOrdinal() const {
  return kind_ == TTypeKind::tkInteger || kind_ == TTypeKind::tkChar || kind_ == TTypeKind::tkEnumeration ||
         kind_ == TTypeKind::tkSet;
}

AnsiString TTypeInfo::EnumName(std::int64_t ordinal) const {
  if (ordinal < 0 || ordinal >= static_cast<std::int64_t>(names_.size())) return AnsiString();
  return names_[static_cast<std::size_t>(ordinal)];
}

std::int64_t TTypeInfo::EnumValue(const AnsiString& identifier) const {
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (SameText(names_[i], identifier)) return static_cast<std::int64_t>(i);
  return -1;
}

bool TTypeInfo::IdentToInt(const AnsiString& identifier, std::int64_t& value) const {
  for (const TIdentMapEntry& e : identMap_)
    if (SameText(AnsiString(e.Name), identifier)) {
      value = e.Value;
      return true;
    }
  return false;
}

bool TTypeInfo::IntToIdent(std::int64_t value, AnsiString& identifier) const {
  for (const TIdentMapEntry& e : identMap_)
    if (e.Value == value) {
      identifier = e.Name;
      return true;
    }
  return false;
}

AnsiString TTypeInfo::OrdinalToText(std::int64_t value) const {
  switch (kind_) {
    case TTypeKind::tkInteger: {
      AnsiString id;
      if (IntToIdent(value, id)) return id;
      return IntToStr(value);
    }
    case TTypeKind::tkChar:
      return AnsiString(1, static_cast<char>(value));
    case TTypeKind::tkEnumeration: {
      AnsiString id = EnumName(value);
      return id.IsEmpty() ? IntToStr(value) : id;
    }
    case TTypeKind::tkSet: {
      AnsiString text = "[";
      bool first = true;
      for (int i = 0; i < element_->EnumCount() && i < 64; ++i) {
        if ((static_cast<std::uint64_t>(value) & (std::uint64_t{1} << i)) == 0) continue;
        if (!first) text += ',';
        text += element_->EnumName(i);
        first = false;
      }
      return text + "]";
    }
    default:
      assert(false && "not an ordinal type");
      return AnsiString();
  }
}

namespace {

// StrToInt's forms. A type of 32 bits reads hexadecimal at the full
// width, as the class library does ("$80000005" is a system colour).
bool ReadNumber(const AnsiString& text, std::int64_t& value, std::int64_t minValue, std::int64_t maxValue) {
  if (minValue >= std::numeric_limits<std::int32_t>::min() && maxValue <= std::numeric_limits<std::int32_t>::max()) {
    int v = 0;
    if (!TryStrToInt(text, v)) return false;
    value = v;
    return true;
  }
  return TryStrToInt64(text, value);
}

bool IsIdentifier(const AnsiString& text) {
  if (text.IsEmpty()) return false;
  for (std::size_t i = 1; i <= text.Length(); ++i) {
    const unsigned char c = text.ByteAt(i);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    const bool digit = c >= '0' && c <= '9';
    if (!(letter || (digit && i > 1))) return false;
  }
  return true;
}

}  // namespace

bool TTypeInfo::OrdinalFromText(const AnsiString& text, std::int64_t& value) const {
  if (kind_ == TTypeKind::tkChar) {
    if (text.Length() != 1) return false;
    value = text.ByteAt(1);
    return true;
  }
  const AnsiString t = Trim(text);
  switch (kind_) {
    case TTypeKind::tkInteger: {
      std::int64_t v = 0;
      if (IdentToInt(t, v)) {
        value = v;
        return true;
      }
      if (IsIdentifier(t) || !ReadNumber(t, v, min_, max_)) return false;
      if (v < min_ || v > max_) return false;
      value = v;
      return true;
    }
    case TTypeKind::tkEnumeration: {
      const std::int64_t byName = EnumValue(t);
      if (byName >= 0) {
        value = byName;
        return true;
      }
      std::int64_t v = 0;
      if (!ReadNumber(t, v, min_, max_) || v < min_ || v > max_) return false;
      value = v;
      return true;
    }
    case TTypeKind::tkSet: {
      AnsiString body = t;
      if (!body.IsEmpty() && body[1] == '[') {
        if (body[body.Length()] != ']') return false;
        body = body.SubString(2, body.Length() - 2);
      }
      std::uint64_t bits = 0;
      const std::string& bytes = body.Bytes();
      std::size_t start = 0;
      if (!Trim(body).IsEmpty()) {
        while (true) {
          const std::size_t comma = bytes.find(',', start);
          const AnsiString element =
              Trim(AnsiString::FromBytes(std::string_view(bytes).substr(start, comma == std::string::npos
                                                                                  ? std::string::npos
                                                                                  : comma - start)));
          const std::int64_t ordinal = element_->EnumValue(element);
          if (ordinal < 0) return false;
          bits |= std::uint64_t{1} << ordinal;
          if (comma == std::string::npos) break;
          start = comma + 1;
        }
      }
      value = static_cast<std::int64_t>(bits);
      return true;
    }
    default:
      assert(false && "not an ordinal type");
      return false;
  }
}

const TTypeInfo& IntegerTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Integer("Integer", std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max());
  return t;
}

const TTypeInfo& Int64TypeInfo() {
  static const TTypeInfo t = TTypeInfo::Integer("Int64", std::numeric_limits<std::int64_t>::min(),
                                                std::numeric_limits<std::int64_t>::max());
  return t;
}

const TTypeInfo& BooleanTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Enumeration("Boolean", {"False", "True"});
  return t;
}

const TTypeInfo& CharTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Simple("Char", TTypeKind::tkChar);
  return t;
}

const TTypeInfo& StringTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Simple("String", TTypeKind::tkString);
  return t;
}

const TTypeInfo& FloatTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Simple("Double", TTypeKind::tkFloat);
  return t;
}

const TTypeInfo& StringsTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Class("TStrings", nullptr);
  return t;
}

}  // namespace platform
