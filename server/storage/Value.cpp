#include "server/storage/Value.h"

#include <cassert>
#include <iomanip>
#include <ostream>

namespace storage {

const char* ValueTypeName(ValueType type) {
  switch (type) {
    case ValueType::Null: return "null";
    case ValueType::Integer: return "integer";
    case ValueType::Double: return "double";
    case ValueType::Text: return "text";
    case ValueType::Blob: return "blob";
  }
  return "?";
}

std::int64_t Value::AsInteger() const {
  assert(Type() == ValueType::Integer);
  return std::get<std::int64_t>(data_);
}

double Value::AsDouble() const {
  if (Type() == ValueType::Integer) return static_cast<double>(std::get<std::int64_t>(data_));
  assert(Type() == ValueType::Double);
  return std::get<double>(data_);
}

const std::string& Value::AsText() const {
  assert(Type() == ValueType::Text);
  return std::get<std::string>(data_);
}

const Blob& Value::AsBlob() const {
  assert(Type() == ValueType::Blob);
  return std::get<Blob>(data_);
}

bool IsStorableText(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == 0) return false;
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t n = (c >= 0xC2 && c <= 0xDF) ? 1 : (c >= 0xE0 && c <= 0xEF) ? 2 : (c >= 0xF0 && c <= 0xF4) ? 3 : 0;
    if (n == 0 || i + n >= s.size()) return false;
    unsigned char c1 = static_cast<unsigned char>(s[i + 1]);
    // Overlong forms, surrogates and code points above U+10FFFF.
    if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F) || (c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 > 0x8F))
      return false;
    for (std::size_t k = 1; k <= n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n + 1;
  }
  return true;
}

std::ostream& operator<<(std::ostream& os, ValueType t) { return os << ValueTypeName(t); }

std::ostream& operator<<(std::ostream& os, const Value& v) {
  switch (v.Type()) {
    case ValueType::Null: return os << "NULL";
    case ValueType::Integer: return os << v.AsInteger();
    case ValueType::Double: return os << std::setprecision(17) << v.AsDouble() << "d";
    case ValueType::Text: return os << '"' << v.AsText() << '"';
    case ValueType::Blob: {
      os << "x'";
      for (unsigned char b : v.AsBlob()) os << std::hex << std::setw(2) << std::setfill('0') << int(b);
      return os << std::dec << std::setfill(' ') << "'";
    }
  }
  return os;
}

}  // namespace storage
