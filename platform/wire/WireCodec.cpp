// The one translation unit that uses msgpack-cxx (without its Boost parts).
#define MSGPACK_NO_BOOST 1
#include <msgpack.hpp>

#include "platform/wire/WireCodec.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/VarArray.h"
#include "platform/wire/WireErrors.h"

namespace platform {

namespace {

// Ext type codes of the value encoding (see WireCodec.h).
enum Ext : std::int8_t {
  kExtEmpty = 1,
  kExtInteger = 2,
  kExtCurrency = 3,
  kExtDate = 4,
  kExtWide = 5,
  kExtRawText = 6,
  kExtError = 7,
  kExtObject = 8,
};

constexpr std::size_t kMaxClassNameBytes = 255;

AnsiString Num(std::uint64_t n) { return AnsiString(std::to_string(n).c_str()); }

[[noreturn]] void Malformed(const AnsiString& what) { throw EWireProtocolError("Malformed wire message: " + what); }

void PutBig(char* out, std::uint64_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) {
    out[i] = static_cast<char>(v & 0xFF);
    v >>= 8;
  }
}

std::uint64_t GetBig(const char* in, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<unsigned char>(in[i]);
  return v;
}

bool IsAscii(std::string_view s) {
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + i, sizeof word);
    if (word & 0x8080808080808080ULL) return false;
  }
  for (; i < s.size(); ++i)
    if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
  return true;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  auto cont = [&](std::size_t k) { return k < n && (at(k) & 0xC0) == 0x80; };
  while (i < n) {
    unsigned char b = at(i);
    if (b < 0x80) {
      ++i;
    } else if (b >= 0xC2 && b <= 0xDF) {
      if (!cont(i + 1)) return false;
      i += 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      if (!cont(i + 1) || !cont(i + 2)) return false;
      unsigned char b1 = at(i + 1);
      if (b == 0xE0 && b1 < 0xA0) return false;   // overlong
      if (b == 0xED && b1 >= 0xA0) return false;  // surrogate
      i += 3;
    } else if (b >= 0xF0 && b <= 0xF4) {
      if (!cont(i + 1) || !cont(i + 2) || !cont(i + 3)) return false;
      unsigned char b1 = at(i + 1);
      if (b == 0xF0 && b1 < 0x90) return false;   // overlong
      if (b == 0xF4 && b1 >= 0x90) return false;  // above U+10FFFF
      i += 4;
    } else {
      return false;
    }
  }
  return true;
}

const char* KindName(TVarType type) {
  switch (type) {
    case varSmallint: return "Smallint";
    case varByte: return "Byte";
    case varWord: return "Word";
    case varLongWord: return "LongWord";
    case varInt64: return "Int64";
    default: return "integer";
  }
}

// Encoding -------------------------------------------------------------------

struct StringSink {
  std::string* out;
  void write(const char* p, std::size_t n) { out->append(p, n); }
};

class Encoder {
 public:
  Encoder(const WireCodec& codec, WireObjectMap* objects, std::string& out)
      : codec_(codec), objects_(objects), sink_{&out}, pk_(sink_) {}

  void Value(const Variant& value, int depth = 0) {
    const Variant& v = value.Deref();
    const TVarType type = v.Type();
    if (type & varArray) {
      Array(v, depth + 1);
      return;
    }
    switch (type) {
      case varEmpty: pk_.pack_ext(0, kExtEmpty); return;
      case varNull: pk_.pack_nil(); return;
      case varBoolean: v.AsBool() ? pk_.pack_true() : pk_.pack_false(); return;
      case varInteger: pk_.pack_int64(v.AsInt64()); return;
      case varSmallint:
      case varByte:
      case varWord:
      case varLongWord:
      case varInt64: {
        char data[9];
        data[0] = static_cast<char>(type);
        PutBig(data + 1, static_cast<std::uint64_t>(v.AsInt64()), 8);
        Ext(kExtInteger, data, sizeof data);
        return;
      }
      case varSingle: pk_.pack_float(static_cast<float>(v.AsDouble())); return;
      case varDouble: pk_.pack_double(v.AsDouble()); return;
      case varCurrency: {
        char data[8];
        PutBig(data, static_cast<std::uint64_t>(v.AsCurrency().scaled), 8);
        Ext(kExtCurrency, data, sizeof data);
        return;
      }
      case varDate: {
        double d = v.AsDateTime();
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        char data[8];
        PutBig(data, bits, 8);
        Ext(kExtDate, data, sizeof data);
        return;
      }
      case varString: Text(v.AsString()); return;
      case varOleStr: {
        std::string utf8 = WideToUtf8(v.AsWide());
        Ext(kExtWide, utf8.data(), utf8.size());
        return;
      }
      case varError: {
        char data[4];
        PutBig(data, static_cast<std::uint32_t>(v.AsError()), 4);
        Ext(kExtError, data, sizeof data);
        return;
      }
      case varDispatch: Object(v.AsDispatch()); return;
      default:
        throw EWireError("A value of type " + VarTypeAsText(type) + " cannot be sent over the wire");
    }
  }

  // Byte text: UTF-8 when it converts both ways, else its raw bytes tagged
  // with the code page.
  void Text(const AnsiString& text) {
    const std::string& bytes = text.Bytes();
    if (IsAscii(bytes)) {
      Str(bytes);
      return;
    }
    const unsigned cp = codec_.CodePage();
    bool lossy = false;
    WideString wide = ToWide(bytes, cp, &lossy);
    if (!lossy && FromWide(wide, cp) == bytes) {
      Str(WideToUtf8(wide));
      return;
    }
    std::string data(4, '\0');
    PutBig(data.data(), cp, 4);
    data += bytes;
    Ext(kExtRawText, data.data(), data.size());
  }

  void Bin(std::string_view bytes) {
    pk_.pack_bin(static_cast<std::uint32_t>(bytes.size()));
    pk_.pack_bin_body(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  }

  void Unsigned(std::uint64_t n) { pk_.pack_uint64(n); }
  void Signed(std::int64_t n) { pk_.pack_int64(n); }
  void ArrayHeader(std::size_t n) { pk_.pack_array(static_cast<std::uint32_t>(n)); }

 private:
  void Str(std::string_view s) {
    pk_.pack_str(static_cast<std::uint32_t>(s.size()));
    pk_.pack_str_body(s.data(), static_cast<std::uint32_t>(s.size()));
  }

  void Ext(std::int8_t type, const char* data, std::size_t n) {
    pk_.pack_ext(n, type);
    pk_.pack_ext_body(data, static_cast<std::uint32_t>(n));
  }

  void Object(const AutoObjectPtr& object) {
    if (!objects_)
      throw EWireError("The object of class " + object->AutoClassName() + " cannot be sent without a connection");
    WireObjectRef ref = objects_->HandleOf(object);
    std::string data(8, '\0');
    PutBig(data.data(), ref.handle, 8);
    if (ref.className.Length() <= kMaxClassNameBytes && IsAscii(ref.className.Bytes())) data += ref.className.Bytes();
    Ext(kExtObject, data.data(), data.size());
  }

  void Array(const Variant& v, int depth) {
    if (depth > codec_.Limits().maxArrayDepth)
      throw EWireError("Arrays nested deeper than " + Num(codec_.Limits().maxArrayDepth) +
                       " levels cannot be sent over the wire");
    const TVarType elementType = v.Type() & varTypeMask;
    const int dims = VarArrayDimCount(v);
    if (dims > codec_.Limits().maxDimensions)
      throw EWireError("Arrays of more than " + Num(codec_.Limits().maxDimensions) +
                       " dimensions cannot be sent over the wire");
    if (elementType == varByte && dims == 1 && VarArrayLowBound(v, 1) == 0) {
      Bin(VarArrayBytes(v));
      return;
    }
    ArrayHeader(3);
    Unsigned(elementType);
    ArrayHeader(static_cast<std::size_t>(dims) * 2);
    for (int d = 1; d <= dims; ++d) {
      Signed(VarArrayLowBound(v, d));
      Signed(VarArrayHighBound(v, d));
    }
    if (elementType == varByte) {
      Bin(VarArrayBytes(v));
      return;
    }
    std::span<const Variant> items = VarArrayElements(v);
    ArrayHeader(items.size());
    for (const Variant& item : items) Value(item, depth);
  }

  const WireCodec& codec_;
  WireObjectMap* objects_;
  StringSink sink_;
  msgpack::packer<StringSink> pk_;
};

// About the encoded size of a value, so that the output grows once.
std::size_t SizeHint(const Variant& value) {
  const Variant& v = value.Deref();
  const TVarType type = v.Type();
  if (type & varArray) {
    if ((type & varTypeMask) == varByte) return VarArrayBytes(v).size() + 16;
    std::size_t n = 16;
    for (const Variant& item : VarArrayElements(v)) n += SizeHint(item);
    return n;
  }
  switch (type) {
    case varString: return v.AsString().Length() * 3 / 2 + 8;  // two GBK bytes are three UTF-8 bytes
    case varOleStr: return v.AsWide().size() * 3 + 8;
    default: return 10;
  }
}

// Decoding -------------------------------------------------------------------

// The first pass: checks nesting and claimed sizes before anything is
// allocated for them.
struct Scan : msgpack::null_visitor {
  std::size_t budget = 0;  // elements the containers may still claim
  int depth = 0;
  int maxDepth = 0;
  const char* failure = nullptr;

  bool Fail(const char* why) {
    if (!failure) failure = why;
    return false;
  }
  bool start_array(std::uint32_t n) {
    if (++depth > maxDepth) return Fail("nested too deeply");
    if (n > budget) return Fail("an array claims more elements than the message can hold");
    budget -= n;
    return true;
  }
  bool end_array() {
    --depth;
    return true;
  }
  bool start_map(std::uint32_t) { return Fail("a map is no part of the protocol"); }
  void parse_error(std::size_t, std::size_t) { Fail("not MessagePack"); }
  void insufficient_bytes(std::size_t, std::size_t) { Fail("truncated"); }
};

bool ReferenceAll(msgpack::type::object_type, std::size_t, void*) { return true; }

class Decoder {
 public:
  Decoder(const WireCodec& codec, WireObjectMap* objects) : codec_(codec), objects_(objects) {}

  // Parses the bytes after the checks of the first pass.
  msgpack::object_handle Parse(std::string_view bytes) {
    const WireLimits& limits = codec_.Limits();
    if (bytes.size() > limits.maxFrameBytes)
      Malformed(Num(bytes.size()) + " bytes exceed the limit of " + Num(limits.maxFrameBytes) + " bytes");
    if (bytes.empty()) Malformed("empty");
    Scan scan;
    scan.budget = std::min(bytes.size(), limits.maxValues);
    // A message array, an argument list, two levels per value array and a
    // bounds list.
    scan.maxDepth = 2 * limits.maxArrayDepth + 3;
    std::size_t off = 0;
    bool parsed = msgpack::parse(bytes.data(), bytes.size(), off, scan);
    if (scan.failure) Malformed(scan.failure);
    if (!parsed) Malformed("not MessagePack");
    if (off != bytes.size()) Malformed(Num(bytes.size() - off) + " bytes after the end of the message");
    msgpack::unpack_limit limit(bytes.size(), 0, bytes.size(), bytes.size(), bytes.size(),
                                static_cast<std::size_t>(scan.maxDepth));
    std::size_t offset = 0;
    return msgpack::unpack(bytes.data(), bytes.size(), offset, &ReferenceAll, nullptr, limit);
  }

  Variant Value(const msgpack::object& o, int depth = 0) {
    using msgpack::type::object_type;
    switch (o.type) {
      case object_type::NIL: return Null();
      case object_type::BOOLEAN: return Variant(o.via.boolean);
      case object_type::POSITIVE_INTEGER:
        if (o.via.u64 > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
          Malformed("an Integer value " + Num(o.via.u64) + " is outside the 32-bit range");
        return Variant(static_cast<int>(o.via.u64));
      case object_type::NEGATIVE_INTEGER:
        if (o.via.i64 < std::numeric_limits<std::int32_t>::min())
          Malformed("an Integer value is outside the 32-bit range");
        return Variant(static_cast<int>(o.via.i64));
      case object_type::FLOAT32: return Variant(static_cast<float>(o.via.f64));
      case object_type::FLOAT64: return Variant(o.via.f64);
      case object_type::STR: return Variant(StrText(o));
      case object_type::BIN: return VarByteArrayOf(std::string_view(o.via.bin.ptr, o.via.bin.size));
      case object_type::ARRAY: return Array(o, depth + 1);
      case object_type::EXT: return ExtValue(o);
      default: Malformed("a map is no value");
    }
  }

  // A text field: a String value (str or raw bytes).
  AnsiString Text(const msgpack::object& o, const char* what) {
    if (o.type == msgpack::type::STR) return StrText(o);
    if (o.type == msgpack::type::EXT && o.via.ext.type() == kExtRawText) return RawText(o);
    Malformed(AnsiString(what) + " is no text");
  }

  std::uint64_t Unsigned(const msgpack::object& o, std::uint64_t max, const char* what) {
    if (o.type != msgpack::type::POSITIVE_INTEGER) Malformed(AnsiString(what) + " is no unsigned integer");
    if (o.via.u64 > max) Malformed(AnsiString(what) + " is out of range");
    return o.via.u64;
  }

  std::int64_t Signed(const msgpack::object& o, std::int64_t min, std::int64_t max, const char* what) {
    std::int64_t v = 0;
    if (o.type == msgpack::type::POSITIVE_INTEGER) {
      if (o.via.u64 > static_cast<std::uint64_t>(max)) Malformed(AnsiString(what) + " is out of range");
      v = static_cast<std::int64_t>(o.via.u64);
    } else if (o.type == msgpack::type::NEGATIVE_INTEGER) {
      v = o.via.i64;
    } else {
      Malformed(AnsiString(what) + " is no integer");
    }
    if (v < min || v > max) Malformed(AnsiString(what) + " is out of range");
    return v;
  }

  const msgpack::object_array& List(const msgpack::object& o, const char* what) {
    if (o.type != msgpack::type::ARRAY) Malformed(AnsiString(what) + " is no array");
    return o.via.array;
  }

  std::string Bin(const msgpack::object& o, const char* what) {
    if (o.type != msgpack::type::BIN) Malformed(AnsiString(what) + " is no binary");
    return std::string(o.via.bin.ptr, o.via.bin.size);
  }

 private:
  AnsiString StrText(const msgpack::object& o) {
    std::string_view utf8(o.via.str.ptr, o.via.str.size);
    if (IsAscii(utf8)) return AnsiString::FromBytes(utf8);
    if (!IsValidUtf8(utf8)) Malformed("a text is not valid UTF-8");
    return AnsiString::FromBytes(FromWide(Utf8ToWide(utf8), codec_.CodePage()));
  }

  AnsiString RawText(const msgpack::object& o) {
    const msgpack::object_ext& e = o.via.ext;
    if (e.size < 4) Malformed("a raw text has no code page");
    const auto cp = static_cast<unsigned>(GetBig(e.data(), 4));
    std::string_view bytes(e.data() + 4, e.size - 4);
    if (cp == codec_.CodePage()) return AnsiString::FromBytes(bytes);
    if (cp == CP_ACP || !IsSupportedCodePage(cp)) Malformed("a raw text is in the unknown code page " + Num(cp));
    return AnsiString::FromBytes(FromWide(ToWide(bytes, cp), codec_.CodePage()));
  }

  void ExpectSize(const msgpack::object_ext& e, std::uint32_t size, const char* kind) {
    if (e.size != size) Malformed(AnsiString("a ") + kind + " value has " + Num(e.size) + " bytes instead of " + Num(size));
  }

  Variant ExtValue(const msgpack::object& o) {
    const msgpack::object_ext& e = o.via.ext;
    switch (e.type()) {
      case kExtEmpty: ExpectSize(e, 0, "Empty"); return Variant();
      case kExtInteger: {
        ExpectSize(e, 9, "typed integer");
        const auto type = static_cast<TVarType>(static_cast<unsigned char>(e.data()[0]));
        const auto v = static_cast<std::int64_t>(GetBig(e.data() + 1, 8));
        auto check = [&](std::int64_t lo, std::int64_t hi) {
          if (v < lo || v > hi) Malformed(AnsiString("a ") + KindName(type) + " value is out of range");
        };
        switch (type) {
          case varSmallint: check(-32768, 32767); return Variant(static_cast<short>(v));
          case varByte: check(0, 255); return Variant(static_cast<unsigned char>(v));
          case varWord: check(0, 65535); return Variant(static_cast<unsigned short>(v));
          case varLongWord: check(0, 0xFFFFFFFFLL); return Variant(static_cast<unsigned>(v));
          case varInt64: return Variant(static_cast<long long>(v));
          default: break;
        }
        Malformed("a typed integer has the unknown type code " + Num(type));
      }
      case kExtCurrency:
        ExpectSize(e, 8, "Currency");
        return Variant(Currency::FromScaled(static_cast<std::int64_t>(GetBig(e.data(), 8))));
      case kExtDate: {
        ExpectSize(e, 8, "Date");
        std::uint64_t bits = GetBig(e.data(), 8);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return Variant::FromDateTime(TDateTime(d));
      }
      case kExtWide: {
        std::string_view utf8(e.data(), e.size);
        if (!IsValidUtf8(utf8)) Malformed("a wide text is not valid UTF-8");
        return Variant(Utf8ToWide(utf8));
      }
      case kExtRawText: return Variant(RawText(o));
      case kExtError:
        ExpectSize(e, 4, "Error");
        return Variant::FromError(static_cast<std::int32_t>(static_cast<std::uint32_t>(GetBig(e.data(), 4))));
      case kExtObject: {
        if (e.size < 8 || e.size > 8 + kMaxClassNameBytes) Malformed("an object reference has a wrong size");
        WireObjectRef ref;
        ref.handle = GetBig(e.data(), 8);
        std::string_view name(e.data() + 8, e.size - 8);
        if (!IsAscii(name)) Malformed("the class name of an object reference is not ASCII");
        ref.className = AnsiString::FromBytes(name);
        if (!objects_) Malformed("an object reference arrived where none can be");
        AutoObjectPtr object = objects_->ObjectOf(ref);
        if (!object) Malformed("the object handle " + Num(ref.handle) + " is unknown");
        return Variant(std::move(object));
      }
      default: Malformed("the value kind " + Num(static_cast<std::uint8_t>(e.type())) + " is unknown");
    }
  }

  Variant Array(const msgpack::object& o, int depth) {
    const WireLimits& limits = codec_.Limits();
    if (depth > limits.maxArrayDepth) Malformed("arrays are nested deeper than " + Num(limits.maxArrayDepth) + " levels");
    const msgpack::object_array& a = o.via.array;
    if (a.size != 3) Malformed("an array value has " + Num(a.size) + " parts instead of 3");
    const auto elementType = static_cast<TVarType>(Unsigned(a.ptr[0], 0xFFFF, "the element type of an array"));
    if (!VarArray::IsArrayElementType(elementType))
      Malformed("the element type " + Num(elementType) + " of an array is no array element type");
    const msgpack::object_array& bounds = List(a.ptr[1], "the bounds of an array");
    if (bounds.size == 0 || bounds.size % 2 != 0)
      Malformed("the bounds of an array are " + Num(bounds.size) + " numbers, not low and high pairs");
    if (bounds.size / 2 > static_cast<std::uint32_t>(limits.maxDimensions))
      Malformed("an array has more than " + Num(limits.maxDimensions) + " dimensions");

    const msgpack::object& items = a.ptr[2];
    std::uint64_t count = 0;
    if (elementType == varByte) {
      if (items.type != msgpack::type::BIN) Malformed("the elements of a byte array are no binary");
      count = items.via.bin.size;
    } else {
      count = List(items, "the elements of an array").size;
    }

    std::vector<int> lowHigh;
    lowHigh.reserve(bounds.size);
    // Every element is in the message, so a product above the count there
    // is only noted, never computed.
    std::uint64_t product = 1;
    bool empty = false;
    bool above = false;
    for (std::uint32_t i = 0; i < bounds.size; i += 2) {
      const auto low = Signed(bounds.ptr[i], std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                              "a low bound");
      const auto high = Signed(bounds.ptr[i + 1], std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                               "a high bound");
      if (high < low - 1) Malformed("an array's high bound is below its low bound");
      const auto n = static_cast<std::uint64_t>(high - low + 1);
      if (n == 0) empty = true;
      else if (product > count / n) above = true;
      else product *= n;
      lowHigh.push_back(static_cast<int>(low));
      lowHigh.push_back(static_cast<int>(high));
    }
    if (empty ? count != 0 : (above || product != count))
      Malformed("an array's bounds do not match its " + Num(count) + " elements");

    Variant array = VarArrayCreate(lowHigh, elementType);
    if (elementType == varByte) {
      std::span<std::uint8_t> bytes = VarArrayLock(array);
      if (count) std::memcpy(bytes.data(), items.via.bin.ptr, count);
      return array;
    }
    std::span<Variant> target = VarArrayElements(array);
    const msgpack::object_array& list = items.via.array;
    for (std::uint32_t i = 0; i < list.size; ++i) {
      Variant item = Value(list.ptr[i], depth);
      if (elementType != varVariant && item.Type() != elementType)
        Malformed("an array of " + VarTypeAsText(elementType) + " holds a value of type " + VarTypeAsText(item.Type()));
      target[i] = std::move(item);
    }
    return array;
  }

  const WireCodec& codec_;
  WireObjectMap* objects_;
};

InvokeKind KindOf(std::uint64_t n) {
  switch (n) {
    case 0: return InvokeKind::Method;
    case 1: return InvokeKind::PropertyGet;
    default: return InvokeKind::PropertyPut;
  }
}

std::uint64_t CodeOf(InvokeKind kind) {
  switch (kind) {
    case InvokeKind::Method: return 0;
    case InvokeKind::PropertyGet: return 1;
    case InvokeKind::PropertyPut: return 2;
  }
  return 0;
}

void ExpectParts(const msgpack::object_array& a, std::uint32_t n, const char* kind) {
  if (a.size != n)
    Malformed(AnsiString("a ") + kind + " message has " + Num(a.size) + " parts instead of " + Num(n));
}

template <class F>
auto Guarded(F&& run) -> decltype(run()) {
  try {
    return run();
  } catch (const EWireError&) {
    throw;
  } catch (const Exception& e) {
    throw EWireProtocolError("Malformed wire message: " + e.Message());
  } catch (const std::bad_alloc&) {
    throw EWireProtocolError("Malformed wire message: too large to decode");
  } catch (const std::exception& e) {
    throw EWireProtocolError("Malformed wire message: " + AnsiString(e.what()));
  }
}

}  // namespace

WireCodec::WireCodec(unsigned codePage, WireLimits limits)
    : codePage_(codePage ? codePage : ProcessCodePage()), limits_(limits) {}

std::string WireCodec::EncodeValue(const Variant& value, WireObjectMap* objects) const {
  std::string out;
  Encoder(*this, objects, out).Value(value);
  return out;
}

Variant WireCodec::DecodeValue(std::string_view bytes, WireObjectMap* objects) const {
  return Guarded([&] {
    Decoder decoder(*this, objects);
    msgpack::object_handle handle = decoder.Parse(bytes);
    return decoder.Value(handle.get());
  });
}

std::string WireCodec::Encode(const WireMessage& message, WireObjectMap* objects) const {
  std::string out;
  std::size_t hint = 64;
  if (auto* call = std::get_if<WireCall>(&message)) {
    for (const Variant& arg : call->args) hint += SizeHint(arg);
  } else if (auto* result = std::get_if<WireResult>(&message)) {
    hint += SizeHint(result->result);
    for (const Variant& value : result->byRefValues) hint += SizeHint(value);
  }
  out.reserve(std::min(hint, limits_.maxFrameBytes + 1));
  Encoder e(*this, objects, out);
  std::visit(
      [&](const auto& m) {
        using M = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<M, WireHello>) {
          e.ArrayHeader(4);
          e.Unsigned(static_cast<std::uint64_t>(WireMessageKind::Hello));
          e.Unsigned(m.version);
          e.Unsigned(m.codePage);
          e.Bin(m.credential);
        } else if constexpr (std::is_same_v<M, WireWelcome>) {
          e.ArrayHeader(4);
          e.Unsigned(static_cast<std::uint64_t>(WireMessageKind::Welcome));
          e.Unsigned(m.version);
          e.Unsigned(m.codePage);
          e.Unsigned(m.maxFrameBytes);
        } else if constexpr (std::is_same_v<M, WireRefused>) {
          e.ArrayHeader(2);
          e.Unsigned(static_cast<std::uint64_t>(WireMessageKind::Refused));
          e.Text(m.message);
        } else if constexpr (std::is_same_v<M, WireCall>) {
          e.ArrayHeader(7);
          e.Unsigned(static_cast<std::uint64_t>(WireMessageKind::Call));
          e.Unsigned(m.request);
          e.Unsigned(m.object);
          e.Text(m.member);
          e.Unsigned(CodeOf(m.kind));
          e.ArrayHeader(m.args.size());
          for (const Variant& arg : m.args) e.Value(arg);
          e.ArrayHeader(m.byRef.size());
          for (std::uint32_t position : m.byRef) e.Unsigned(position);
        } else if constexpr (std::is_same_v<M, WireResult>) {
          e.ArrayHeader(4);
          e.Unsigned(static_cast<std::uint64_t>(WireMessageKind::Result));
          e.Unsigned(m.request);
          e.Value(m.result);
          e.ArrayHeader(m.byRefValues.size());
          for (const Variant& value : m.byRefValues) e.Value(value);
        } else if constexpr (std::is_same_v<M, WireFault>) {
          e.ArrayHeader(6);
          e.Unsigned(static_cast<std::uint64_t>(WireMessageKind::Fault));
          e.Unsigned(m.request);
          e.Text(m.className);
          e.Text(m.message);
          e.Text(m.source);
          e.Signed(m.code);
        } else if constexpr (std::is_same_v<M, WireRelease>) {
          e.ArrayHeader(3);
          e.Unsigned(static_cast<std::uint64_t>(WireMessageKind::Release));
          e.Unsigned(m.object);
          e.Unsigned(m.count);
        }
      },
      message);
  if (out.size() > limits_.maxFrameBytes)
    throw EWireError("A message of " + Num(out.size()) + " bytes exceeds the frame limit of " +
                     Num(limits_.maxFrameBytes) + " bytes");
  return out;
}

WireMessage WireCodec::Decode(std::string_view body, WireObjectMap* objects) const {
  return Guarded([&]() -> WireMessage {
    Decoder d(*this, objects);
    msgpack::object_handle handle = d.Parse(body);
    const msgpack::object_array& a = d.List(handle.get(), "a message");
    if (a.size == 0) Malformed("a message has no kind");
    const auto kind = d.Unsigned(a.ptr[0], 255, "the message kind");
    switch (static_cast<WireMessageKind>(kind)) {
      case WireMessageKind::Hello: {
        if (a.size < 2) Malformed("a Hello message has no version");
        WireHello m;
        m.version = static_cast<std::uint32_t>(d.Unsigned(a.ptr[1], 0xFFFFFFFFu, "the protocol version"));
        if (m.version != kWireProtocolVersion) return m;  // refused for its version alone
        ExpectParts(a, 4, "Hello");
        m.codePage = static_cast<std::uint32_t>(d.Unsigned(a.ptr[2], 0xFFFFFFFFu, "the code page"));
        m.credential = d.Bin(a.ptr[3], "the credential");
        return m;
      }
      case WireMessageKind::Welcome: {
        ExpectParts(a, 4, "Welcome");
        WireWelcome m;
        m.version = static_cast<std::uint32_t>(d.Unsigned(a.ptr[1], 0xFFFFFFFFu, "the protocol version"));
        m.codePage = static_cast<std::uint32_t>(d.Unsigned(a.ptr[2], 0xFFFFFFFFu, "the code page"));
        m.maxFrameBytes = d.Unsigned(a.ptr[3], ~std::uint64_t{0}, "the frame limit");
        return m;
      }
      case WireMessageKind::Refused: {
        ExpectParts(a, 2, "Refused");
        return WireRefused{d.Text(a.ptr[1], "the refusal")};
      }
      case WireMessageKind::Call: {
        ExpectParts(a, 7, "Call");
        WireCall m;
        m.request = d.Unsigned(a.ptr[1], ~std::uint64_t{0}, "the request number");
        m.object = d.Unsigned(a.ptr[2], ~std::uint64_t{0}, "the object handle");
        m.member = d.Text(a.ptr[3], "the member name");
        m.kind = KindOf(d.Unsigned(a.ptr[4], 2, "the invoke kind"));
        const msgpack::object_array& args = d.List(a.ptr[5], "the arguments");
        m.args.reserve(args.size);
        for (std::uint32_t i = 0; i < args.size; ++i) m.args.push_back(d.Value(args.ptr[i]));
        const msgpack::object_array& byRef = d.List(a.ptr[6], "the by-reference positions");
        m.byRef.reserve(byRef.size);
        for (std::uint32_t i = 0; i < byRef.size; ++i) {
          auto position = static_cast<std::uint32_t>(
              d.Unsigned(byRef.ptr[i], args.size ? args.size - 1 : 0, "a by-reference position"));
          if (args.size == 0 || (!m.byRef.empty() && position <= m.byRef.back()))
            Malformed("the by-reference positions are not ascending positions of arguments");
          m.byRef.push_back(position);
        }
        return m;
      }
      case WireMessageKind::Result: {
        ExpectParts(a, 4, "Result");
        WireResult m;
        m.request = d.Unsigned(a.ptr[1], ~std::uint64_t{0}, "the request number");
        m.result = d.Value(a.ptr[2]);
        const msgpack::object_array& values = d.List(a.ptr[3], "the by-reference values");
        m.byRefValues.reserve(values.size);
        for (std::uint32_t i = 0; i < values.size; ++i) m.byRefValues.push_back(d.Value(values.ptr[i]));
        return m;
      }
      case WireMessageKind::Fault: {
        ExpectParts(a, 6, "Fault");
        WireFault m;
        m.request = d.Unsigned(a.ptr[1], ~std::uint64_t{0}, "the request number");
        m.className = d.Text(a.ptr[2], "the class name of an error");
        m.message = d.Text(a.ptr[3], "the text of an error");
        m.source = d.Text(a.ptr[4], "the source of an error");
        m.code = static_cast<std::int32_t>(d.Signed(a.ptr[5], std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max(), "an error code"));
        return m;
      }
      case WireMessageKind::Release: {
        ExpectParts(a, 3, "Release");
        WireRelease m;
        m.object = d.Unsigned(a.ptr[1], ~std::uint64_t{0}, "the object handle");
        m.count = d.Unsigned(a.ptr[2], ~std::uint64_t{0}, "the release count");
        if (m.count == 0) Malformed("a release count is zero");
        return m;
      }
    }
    Malformed("the message kind " + Num(kind) + " is unknown");
  });
}

}  // namespace platform
