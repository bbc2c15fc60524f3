// Value: one parameter or result cell of a storage statement.
//
// A value is NULL, a 64-bit integer, a double, a text or a blob. Text is
// UTF-8, as the databases hold it; the server converts from and to the
// database code page at its own edge, never here. Values are regular:
// copyable, comparable (kind first, then contents) and printable.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace storage {

enum class ValueType { Null, Integer, Double, Text, Blob };

const char* ValueTypeName(ValueType type);

using Blob = std::vector<unsigned char>;

class Value {
 public:
  Value() = default;  // NULL
  Value(std::int64_t v) : data_(v) {}
  Value(int v) : data_(static_cast<std::int64_t>(v)) {}
  Value(long long v) : data_(static_cast<std::int64_t>(v)) {}
  Value(double v) : data_(v) {}
  Value(std::string utf8) : data_(std::move(utf8)) {}
  Value(std::string_view utf8) : data_(std::string(utf8)) {}
  Value(const char* utf8) : data_(std::string(utf8 ? utf8 : "")) {}
  Value(Blob bytes) : data_(std::move(bytes)) {}
  Value(bool) = delete;  // no boolean type in the databases: say 0 or 1

  static Value Null() { return Value(); }

  ValueType Type() const { return static_cast<ValueType>(data_.index()); }
  bool IsNull() const { return Type() == ValueType::Null; }

  // Typed access; asking for another type is a programmer error.
  std::int64_t AsInteger() const;
  double AsDouble() const;  // an integer converts
  const std::string& AsText() const;
  const Blob& AsBlob() const;

  friend bool operator==(const Value&, const Value&) = default;

 private:
  std::variant<std::monostate, std::int64_t, double, std::string, Blob> data_;
};

// Whether a text can be stored: valid UTF-8 without NUL characters. The
// drivers refuse other texts (ErrorKind::Constraint) on both engines.
bool IsStorableText(std::string_view utf8);

std::ostream& operator<<(std::ostream& os, const Value& v);
std::ostream& operator<<(std::ostream& os, ValueType t);

}  // namespace storage
