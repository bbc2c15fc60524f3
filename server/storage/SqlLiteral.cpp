#include "server/storage/SqlLiteral.h"

#include <charconv>
#include <cmath>

namespace storage {

std::string DoubleText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

std::string SqlLiteral(const Value& value, Engine engine) {
  switch (value.Type()) {
    case ValueType::Null: return "NULL";
    case ValueType::Integer: return std::to_string(value.AsInteger());
    case ValueType::Double: return DoubleText(value.AsDouble());
    case ValueType::Text: {
      std::string out = "'";
      for (char c : value.AsText()) out += c == '\'' ? std::string("''") : std::string(1, c);
      return out + "'";
    }
    case ValueType::Blob: {
      static constexpr char kHex[] = "0123456789abcdef";
      std::string hex;
      for (unsigned char b : value.AsBlob()) {
        hex += kHex[b >> 4];
        hex += kHex[b & 15];
      }
      return engine == Engine::Postgres ? "'\\x" + hex + "'::bytea" : "X'" + hex + "'";
    }
  }
  return "NULL";
}

}  // namespace storage
