// SetOf<E>: a set of the values of an enumeration, the class library's
// "set of" type (TFontStyles, TShiftState, TComponentState).
//
// The elements are the enumerators 0..63 of E; the set is a regular value
// (copyable, comparable, printable through Bits()). Published set
// properties are read and written through Bits() (PropertyAccess.h).
#pragma once

#include <cassert>
#include <cstdint>
#include <initializer_list>

namespace platform {

template <typename E>
class SetOf {
 public:
  using Element = E;

  constexpr SetOf() = default;
  constexpr SetOf(std::initializer_list<E> elements) {
    for (E e : elements) Include(e);
  }
  static constexpr SetOf FromBits(std::uint64_t bits) {
    SetOf s;
    s.bits_ = bits;
    return s;
  }

  constexpr std::uint64_t Bits() const { return bits_; }
  constexpr bool Contains(E e) const { return (bits_ & Mask(e)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr SetOf& Include(E e) {
    bits_ |= Mask(e);
    return *this;
  }
  constexpr SetOf& Exclude(E e) {
    bits_ &= ~Mask(e);
    return *this;
  }

  // Union, difference and intersection, as "+", "-" and "*" on sets.
  friend constexpr SetOf operator+(SetOf a, SetOf b) { return FromBits(a.bits_ | b.bits_); }
  friend constexpr SetOf operator-(SetOf a, SetOf b) { return FromBits(a.bits_ & ~b.bits_); }
  friend constexpr SetOf operator*(SetOf a, SetOf b) { return FromBits(a.bits_ & b.bits_); }
  friend constexpr bool operator==(SetOf a, SetOf b) = default;

 private:
  static constexpr std::uint64_t Mask(E e) {
    const auto ordinal = static_cast<std::uint64_t>(e);
    assert(ordinal < 64);
    return std::uint64_t{1} << ordinal;
  }
  std::uint64_t bits_ = 0;
};

}  // namespace platform
