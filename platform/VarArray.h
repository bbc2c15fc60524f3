// Private to the platform: the storage of a variant array.
//
// Elements are kept in the class library's safe-array order, the first
// index varying fastest, so that changing the high bound of the last
// dimension only lengthens or shortens the storage. Arrays of element type
// varByte keep their bytes in a string (a 100 000-byte image is 100 000
// bytes); every other element type keeps Variants of that type.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "Variant.h"

namespace platform {

class VarArray {
 public:
  struct Bound {
    int low;
    int count;  // high - low + 1, never negative
  };

  // Bounds and element type must have been checked (CheckedBounds,
  // IsArrayElementType).
  VarArray(TVarType elementType, std::vector<Bound> bounds);

  TVarType ElementType() const { return elementType_; }
  const std::vector<Bound>& Bounds() const { return bounds_; }
  std::size_t Count() const { return IsBytes() ? bytes_.size() : items_.size(); }
  bool IsBytes() const { return elementType_ == varByte; }

  // Storage position of an element; EVariantBadIndexError for a wrong
  // number of indices or an index outside its bounds.
  std::size_t Offset(std::span<const int> indices) const;
  Variant Get(std::size_t offset) const;
  // Stores value converted to the element type.
  void Put(std::size_t offset, const Variant& value);

  std::vector<Variant>& Items() { return items_; }
  const std::vector<Variant>& Items() const { return items_; }
  std::string& Bytes() { return bytes_; }
  const std::string& Bytes() const { return bytes_; }

  // New count of the last dimension.
  void ResizeLast(int count);

  // True for the element types VarArrayCreate accepts.
  static bool IsArrayElementType(TVarType type);
  // Bounds from low/high pairs; EVariantInvalidArgError when they do not
  // describe an array this platform can hold.
  static std::vector<Bound> CheckedBounds(std::span<const int> lowHigh, TVarType elementType);
  // The element count of the bounds, or -1 when it is larger than an array
  // of the element type may be.
  static long long CountOf(const std::vector<Bound>& bounds, TVarType elementType);

 private:
  Variant Zero() const;

  TVarType elementType_;
  std::vector<Bound> bounds_;
  std::vector<Variant> items_;
  std::string bytes_;
};

}  // namespace platform
