#include "server/company/CompanyText.h"

#include <cstdint>

#include "platform/CodePage.h"

namespace company {

platform::AnsiString FromDb(std::string_view utf8) {
  return platform::AnsiString::FromBytes(platform::FromWide(platform::Utf8ToWide(utf8), kDbCodePage));
}

std::string ToDb(const platform::AnsiString& text) {
  return platform::WideToUtf8(platform::ToWide(text.View(), kDbCodePage));
}

std::string ArgText(const platform::Variant& value) {
  const platform::Variant& v = value.Deref();
  if (platform::VarIsEmptyOrNull(v)) return {};
  if (v.Type() == platform::varOleStr) return platform::WideToUtf8(v.AsWide());
  return ToDb(v.AsString());
}

std::size_t DbLength(std::string_view utf8) {
  return platform::FromWide(platform::Utf8ToWide(utf8), kDbCodePage).size();
}

platform::Variant ToVariant(const storage::Value& value) {
  switch (value.Type()) {
    case storage::ValueType::Null: return platform::Variant(platform::AnsiString());
    case storage::ValueType::Integer: {
      std::int64_t v = value.AsInteger();
      if (v >= INT32_MIN && v <= INT32_MAX) return platform::Variant(static_cast<int>(v));
      return platform::Variant(static_cast<long long>(v));
    }
    case storage::ValueType::Double: return platform::Variant(value.AsDouble());
    case storage::ValueType::Text: return platform::Variant(FromDb(value.AsText()));
    case storage::ValueType::Blob: {
      const auto& b = value.AsBlob();
      return platform::VarByteArrayOf(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
    }
  }
  return {};
}

platform::Variant RowToVariant(const storage::Row& row) {
  std::vector<platform::Variant> cells;
  cells.reserve(row.size());
  for (const auto& v : row) cells.push_back(ToVariant(v));
  return platform::VarArrayOf(std::move(cells));
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

}  // namespace company
