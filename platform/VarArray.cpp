#include "VarArray.h"

#include <cstring>
#include <limits>

#include "Exceptions.h"

namespace platform {

namespace {

[[noreturn]] void BadIndex() { throw EVariantBadIndexError("Variant or safe array index out of bounds"); }
[[noreturn]] void CreateError() { throw EVariantInvalidArgError("Error creating variant or safe array"); }

// Largest storage an array may take; beyond it creation fails cleanly
// instead of exhausting memory on a bound that came from outside.
constexpr long long kMaxArrayBytes = 1LL << 30;

}  // namespace

VarArray::VarArray(TVarType elementType, std::vector<Bound> bounds)
    : elementType_(elementType), bounds_(std::move(bounds)) {
  auto count = static_cast<std::size_t>(CountOf(bounds_, elementType_));
  if (IsBytes()) bytes_.assign(count, '\0');
  else items_.assign(count, Zero());
}

bool VarArray::IsArrayElementType(TVarType type) {
  switch (type) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varOleStr:
    case varBoolean:
    case varVariant:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      return true;
    default:
      return false;
  }
}

long long VarArray::CountOf(const std::vector<Bound>& bounds, TVarType elementType) {
  const long long elementSize = elementType == varByte ? 1 : static_cast<long long>(sizeof(Variant));
  const long long maxCount = kMaxArrayBytes / elementSize;
  long long count = 1;
  for (const Bound& b : bounds) {
    if (b.count == 0) return 0;
    if (b.count > maxCount / count) return -1;
    count *= b.count;
  }
  return count;
}

std::vector<VarArray::Bound> VarArray::CheckedBounds(std::span<const int> lowHigh, TVarType elementType) {
  if (lowHigh.empty() || lowHigh.size() % 2 != 0 || lowHigh.size() / 2 > 64) CreateError();
  std::vector<Bound> bounds;
  for (std::size_t i = 0; i < lowHigh.size(); i += 2) {
    long long count = static_cast<long long>(lowHigh[i + 1]) - lowHigh[i] + 1;
    if (count < 0 || count > std::numeric_limits<int>::max()) CreateError();
    bounds.push_back(Bound{lowHigh[i], static_cast<int>(count)});
  }
  if (CountOf(bounds, elementType) < 0) CreateError();
  return bounds;
}

Variant VarArray::Zero() const {
  switch (elementType_) {
    case varVariant: return Variant();
    case varOleStr: return Variant(WideString());
    case varBoolean: return Variant(false);
    default: return VarAsType(Variant(0), elementType_);
  }
}

std::size_t VarArray::Offset(std::span<const int> indices) const {
  if (indices.size() != bounds_.size()) BadIndex();
  std::size_t offset = 0;
  std::size_t stride = 1;
  for (std::size_t d = 0; d < bounds_.size(); ++d) {
    long long i = static_cast<long long>(indices[d]) - bounds_[d].low;
    if (i < 0 || i >= bounds_[d].count) BadIndex();
    offset += static_cast<std::size_t>(i) * stride;
    stride *= static_cast<std::size_t>(bounds_[d].count);
  }
  return offset;
}

Variant VarArray::Get(std::size_t offset) const {
  if (IsBytes()) return Variant(static_cast<unsigned char>(bytes_[offset]));
  return items_[offset];
}

void VarArray::Put(std::size_t offset, const Variant& value) {
  if (IsBytes()) {
    bytes_[offset] = static_cast<char>(VarAsType(value, varByte).Deref().AsInteger());
    return;
  }
  // Converted (or copied) first: value may live inside this very array.
  Variant stored = elementType_ == varVariant ? value.Deref() : VarAsType(value, elementType_);
  items_[offset] = std::move(stored);
}

void VarArray::ResizeLast(int count) {
  std::vector<Bound> bounds = bounds_;
  bounds.back().count = count;
  long long total = CountOf(bounds, elementType_);
  if (total < 0) CreateError();
  if (IsBytes()) bytes_.resize(static_cast<std::size_t>(total), '\0');
  else items_.resize(static_cast<std::size_t>(total), Zero());
  bounds_ = std::move(bounds);
}

// The array functions of Variant.h ----------------------------------------

Variant VarArrayCreate(std::span<const int> bounds, TVarType elementType) {
  if (!VarArray::IsArrayElementType(elementType)) throw EVariantInvalidArgError("Invalid variant type");
  auto array = std::make_unique<VarArray>(elementType, VarArray::CheckedBounds(bounds, elementType));
  return Variant(varArray | elementType, Variant::Payload(Variant::ArrayBox(std::move(array))));
}

Variant VarArrayOf(std::vector<Variant> values) {
  if (values.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) CreateError();
  Variant result = VarArrayCreate({0, static_cast<int>(values.size()) - 1}, varVariant);
  std::span<Variant> items = VarArrayElements(result);
  for (std::size_t i = 0; i < values.size(); ++i) {
    // A reference is stored as the value it refers to; the caller's
    // variable stays as it is.
    if (values[i].Type() == (varByRef | varVariant)) items[i] = values[i].Deref();
    else items[i] = std::move(values[i]);
  }
  return result;
}

Variant VarArrayOf(std::initializer_list<Variant> values) {
  std::vector<Variant> copies;
  copies.reserve(values.size());
  for (const Variant& v : values) copies.push_back(v.Deref());
  return VarArrayOf(std::move(copies));
}

Variant VarByteArrayOf(std::string_view bytes) {
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) CreateError();
  Variant result = VarArrayCreate({0, static_cast<int>(bytes.size()) - 1}, varByte);
  if (!bytes.empty()) std::memcpy(VarArrayLock(result).data(), bytes.data(), bytes.size());
  return result;
}

int VarArrayDimCount(const Variant& v) {
  if (!VarIsArray(v)) return 0;
  return static_cast<int>(v.Array().Bounds().size());
}

int VarArrayLowBound(const Variant& v, int dim) {
  const VarArray& a = v.Array();
  if (dim < 1 || dim > static_cast<int>(a.Bounds().size())) BadIndex();
  return a.Bounds()[dim - 1].low;
}

int VarArrayHighBound(const Variant& v, int dim) {
  const VarArray& a = v.Array();
  if (dim < 1 || dim > static_cast<int>(a.Bounds().size())) BadIndex();
  const VarArray::Bound& b = a.Bounds()[dim - 1];
  return static_cast<int>(static_cast<long long>(b.low) + b.count - 1);
}

void VarArrayRedim(Variant& array, int highBound) {
  VarArray& a = array.Array();
  long long count = static_cast<long long>(highBound) - a.Bounds().back().low + 1;
  if (count < 0 || count > std::numeric_limits<int>::max()) CreateError();
  a.ResizeLast(static_cast<int>(count));
}

std::span<const Variant> VarArrayElements(const Variant& array) {
  const VarArray& a = array.Array();
  if (a.IsBytes()) throw EVariantInvalidArgError("Invalid argument");
  return a.Items();
}

std::span<Variant> VarArrayElements(Variant& array) {
  VarArray& a = array.Array();
  if (a.IsBytes()) throw EVariantInvalidArgError("Invalid argument");
  return a.Items();
}

std::string_view VarArrayBytes(const Variant& array) {
  const VarArray& a = array.Array();
  if (!a.IsBytes()) throw EVariantInvalidArgError("Invalid argument");
  return a.Bytes();
}

std::span<std::uint8_t> VarArrayLock(Variant& array) {
  VarArray& a = array.Array();
  if (!a.IsBytes()) throw EVariantInvalidArgError("Invalid argument");
  return {reinterpret_cast<std::uint8_t*>(a.Bytes().data()), a.Bytes().size()};
}

// Element access of Variant ------------------------------------------------

Variant Variant::GetElement(std::span<const int> indices) const {
  const VarArray& a = Array();
  return a.Get(a.Offset(indices));
}

Variant Variant::GetElement(std::initializer_list<int> indices) const {
  return GetElement(std::span<const int>(indices.begin(), indices.size()));
}

void Variant::PutElement(std::span<const int> indices, const Variant& value) {
  VarArray& a = Array();
  a.Put(a.Offset(indices), value);
}

void Variant::PutElement(std::initializer_list<int> indices, const Variant& value) {
  PutElement(std::span<const int>(indices.begin(), indices.size()), value);
}

Variant Variant::operator[](int index) const {
  const int indices[] = {index};
  return GetElement(std::span<const int>(indices));
}

Variant& Variant::ElementRef(std::initializer_list<int> indices) {
  VarArray& a = Array();
  if (a.ElementType() != varVariant) throw EVariantInvalidArgError("Invalid argument");
  return a.Items()[a.Offset(std::span<const int>(indices.begin(), indices.size()))];
}

}  // namespace platform
