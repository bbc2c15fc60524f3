// WireCodec: the MessagePack encoding of automation values and of the wire
// messages (WireMessage.h).
//
// Values (V). Every Variant kind travels with its kind:
//
//   Null                    nil
//   Empty (Unassigned)      ext 1, no data
//   Boolean                 true / false (arrives as -1 / 0)
//   Integer                 int (any MessagePack integer form within 32 bits)
//   Smallint, Byte, Word,   ext 2, 9 bytes: the type code (one byte: 0x02,
//   LongWord, Int64           0x11, 0x12, 0x13, 0x14), the value as a
//                             big-endian int64
//   Single                  float 32
//   Double                  float 64
//   Currency                ext 3, 8 bytes: the value x 10000, big-endian int64
//   Date                    ext 4, 8 bytes: the day count, big-endian IEEE double
//   String (byte text)      str: UTF-8 converted from the sender's code page;
//                           ext 6 instead when the bytes do not convert both
//                             ways (raw bytes): 4 bytes big-endian code page,
//                             then the bytes as they are
//   OleStr (wide text)      ext 5: UTF-8
//   Error                   ext 7, 4 bytes: the SCODE, big-endian int32
//   Dispatch                ext 8: 8 bytes big-endian handle, then the
//                             class name (ASCII, at most 255 bytes, may be
//                             empty); never a client object
//   byte array [0..n-1]     bin: the bytes
//   any other array         array of 3: [element type code,
//                             [low1, high1, low2, high2, ...],
//                             elements in storage order (first index
//                             fastest) as an array of V, or as bin when
//                             the element type is Byte]
//
// A ByRef is encoded as the value it refers to (by-reference travels as a
// flag of the call). Elements of an array of another element type than
// Variant must be of exactly that type. Maps and ext types other than the
// above are no values.
//
// Messages: an array whose first element is the WireMessageKind.
//
//   Hello    [1, version, code page, credential (bin)]
//   Welcome  [2, version, code page, frame limit]
//   Refused  [3, text]
//   Call     [4, request, object handle, member (text), kind (0 method,
//             1 property get, 2 property put), [V...] arguments,
//             [positions of by-reference arguments]]
//   Result   [5, request, V result, [V...] new by-reference values]
//   Fault    [6, request, class name (text), message (text), source (text), code]
//   Release  [7, object handle, count]
//
// Texts are encoded as String values (str, or ext 6 for raw bytes). A Hello
// of another protocol version is read up to its version only, so that it
// can be refused with a clear text.
//
// Decoding trusts nothing: before anything is built, one pass over the
// bytes checks the nesting depth, that the elements all containers claim
// fit in the bytes that are there, and the value limit (WireLimits.h); then
// every field is checked for its kind and range. Any violation raises
// EWireProtocolError with a text naming it. Truncated input, trailing
// bytes, invalid UTF-8, bounds that do not match the element count and
// out-of-range integers are violations.
#pragma once

#include <string>
#include <string_view>

#include "platform/Variant.h"
#include "platform/wire/WireLimits.h"
#include "platform/wire/WireMessage.h"
#include "platform/wire/WireObjectMap.h"

namespace platform {

class WireCodec {
 public:
  // codePage 0 is the process code page: byte text is converted from and
  // to it.
  explicit WireCodec(unsigned codePage = 0, WireLimits limits = {});

  unsigned CodePage() const { return codePage_; }
  const WireLimits& Limits() const { return limits_; }

  // Object references need a map; without one, encoding an object raises
  // EWireError and decoding a handle EWireProtocolError.
  std::string EncodeValue(const Variant& value, WireObjectMap* objects = nullptr) const;
  Variant DecodeValue(std::string_view bytes, WireObjectMap* objects = nullptr) const;

  // A message body. Encoding raises EWireError when the body would be
  // larger than the frame limit.
  std::string Encode(const WireMessage& message, WireObjectMap* objects = nullptr) const;
  WireMessage Decode(std::string_view body, WireObjectMap* objects = nullptr) const;

 private:
  unsigned codePage_;
  WireLimits limits_;
};

}  // namespace platform
