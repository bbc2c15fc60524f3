#include "platform/wire/WireCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/Automation.h"
#include "platform/TestSupport.h"
#include "platform/wire/WireErrors.h"
#include "platform/wire/WireFrame.h"

namespace platform {
namespace {

using testing::A;

// Equal values of the same kinds, element types and bounds, all the way
// down (operator== alone lets Integer 1 equal Double 1.0).
::testing::AssertionResult SameValue(const Variant& expected, const Variant& actual) {
  if (expected.Type() != actual.Type())
    return ::testing::AssertionFailure() << "kind " << VarTypeAsText(actual.Type()) << " instead of "
                                         << VarTypeAsText(expected.Type()) << ": " << actual;
  if (VarIsArray(expected)) {
    const int dims = VarArrayDimCount(expected);
    if (VarArrayDimCount(actual) != dims) return ::testing::AssertionFailure() << "dimensions differ: " << actual;
    for (int d = 1; d <= dims; ++d)
      if (VarArrayLowBound(expected, d) != VarArrayLowBound(actual, d) ||
          VarArrayHighBound(expected, d) != VarArrayHighBound(actual, d))
        return ::testing::AssertionFailure() << "bounds of dimension " << d << " differ: " << actual;
    if ((expected.Type() & varTypeMask) == varByte) {
      if (VarArrayBytes(expected) != VarArrayBytes(actual)) return ::testing::AssertionFailure() << "bytes differ";
      return ::testing::AssertionSuccess();
    }
    auto e = VarArrayElements(expected);
    auto a = VarArrayElements(actual);
    for (std::size_t i = 0; i < e.size(); ++i) {
      auto r = SameValue(e[i], a[i]);
      if (!r) return r << " (element " << i << ")";
    }
    return ::testing::AssertionSuccess();
  }
  if (expected.Type() == varString) {
    if (expected.AsString().Bytes() != actual.AsString().Bytes())
      return ::testing::AssertionFailure() << actual << " instead of " << expected;
    return ::testing::AssertionSuccess();
  }
  if (!(expected == actual)) return ::testing::AssertionFailure() << actual << " instead of " << expected;
  return ::testing::AssertionSuccess();
}

Variant TwoByThree() {
  Variant v = VarArrayCreate({0, 1, 0, 2}, varVariant);
  v.PutElement({0, 0}, A(u8"姓名"));
  v.PutElement({1, 0}, 1);
  v.PutElement({0, 2}, Null());
  v.PutElement({1, 2}, VarArrayOf({Variant(true), Variant(2.5)}));
  return v;
}

Variant Typed(TVarType type, std::initializer_list<Variant> items, int low = 0) {
  Variant v = VarArrayCreate({low, low + static_cast<int>(items.size()) - 1}, type);
  int i = low;
  for (const Variant& item : items) v.PutElement({i++}, item);
  return v;
}

struct RoundTrip {
  const char* name;
  Variant value;
};

TEST(WireCodecTest, EveryKindRoundTripsWithItsKind) {
  const std::vector<RoundTrip> cases = {
      {"empty", Unassigned()},
      {"null", Null()},
      {"true", Variant(true)},
      {"false", Variant(false)},
      {"integer", Variant(-123456)},
      {"integer min", Variant(std::numeric_limits<int>::min())},
      {"integer max", Variant(std::numeric_limits<int>::max())},
      {"smallint", Variant(static_cast<short>(-32768))},
      {"byte", Variant(static_cast<unsigned char>(255))},
      {"word", Variant(static_cast<unsigned short>(65535))},
      {"longword", Variant(4294967295u)},
      {"int64 min", Variant(std::numeric_limits<long long>::min())},
      {"int64 small", Variant(7LL)},
      {"single", Variant(1.5f)},
      {"double", Variant(0.1)},
      {"double infinity", Variant(-std::numeric_limits<double>::infinity())},
      {"currency", Variant(Currency::FromScaled(std::numeric_limits<std::int64_t>::max()))},
      {"date", VarFromDateTime(45292.75)},
      {"ascii text", Variant("SELECT * FROM PALTE")},
      {"empty text", Variant(AnsiString())},
      {"chinese text", Variant(A(u8"人事异动单"))},
      {"bytes that are no text", Variant(testing::Bytes("\xFF\xFE\x81"))},
      {"wide text", Variant(WideString(u"\u4EBA\u4E8B \U0001F600"))},
      {"error", VarAsError(-2147352572)},
      {"omitted argument", EmptyParam()},
      {"variant array", VarArrayOf({1, "a", Null(), Unassigned()})},
      {"nested arrays", VarArrayOf({VarArrayOf({VarArrayOf({1})}), VarArrayOf({})})},
      {"two dimensions", TwoByThree()},
      {"integer array from 1", Typed(varInteger, {1, 2, 3}, 1)},
      {"wide text array", Typed(varOleStr, {WideString(u"a"), WideString(u"\u4E2D")})},
      {"boolean array", Typed(varBoolean, {true, false})},
      {"byte array", VarByteArrayOf(std::string("GIF89a\0\x01\xFF", 9))},
      {"byte array from 1", VarArrayCreate({1, 4}, varByte)},
      {"empty byte array", VarByteArrayOf("")},
      {"empty array", VarArrayCreate({0, -1}, varVariant)},
  };
  const WireCodec codec;
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(SameValue(c.value, codec.DecodeValue(codec.EncodeValue(c.value))));
  }
}

TEST(WireCodecTest, NaNRoundTrips) {
  const WireCodec codec;
  Variant v = codec.DecodeValue(codec.EncodeValue(Variant(std::nan(""))));
  EXPECT_EQ(v.Type(), varDouble);
  EXPECT_TRUE(std::isnan(v.AsDouble()));
}

TEST(WireCodecTest, ByRefTravelsAsTheValueItRefersTo) {
  const WireCodec codec;
  Variant target = A(u8"部门");
  EXPECT_TRUE(SameValue(target, codec.DecodeValue(codec.EncodeValue(ByRef(target)))));
}

TEST(WireCodecTest, ByteTextTravelsAsUtf8AndArrivesInTheReceiversCodePage) {
  const WireCodec gb(936);
  const std::string encoded = gb.EncodeValue(Variant(A(u8"中文")));
  EXPECT_NE(encoded.find(reinterpret_cast<const char*>(u8"中文")), std::string::npos);
  // A receiver in code page 950 gets the same characters in its own bytes.
  const WireCodec big5(950);
  Variant received = big5.DecodeValue(encoded);
  ASSERT_EQ(received.Type(), varString);
  EXPECT_EQ(ToWide(received.AsString().Bytes(), 950), Utf8ToWide(reinterpret_cast<const char*>(u8"中文")));
}

TEST(WireCodecTest, BytesThatAreNoTextTravelRawWithTheirCodePage) {
  const WireCodec codec(936);
  const std::string bytes("\xFF\xFF", 2);
  const std::string encoded = codec.EncodeValue(Variant(testing::Bytes(bytes)));
  // ext 8 of 6 bytes, type 6: the code page and the bytes as they are.
  ASSERT_EQ(encoded.size(), 9u);
  EXPECT_EQ(static_cast<unsigned char>(encoded[0]), 0xC7);
  EXPECT_EQ(encoded[2], 6);
  EXPECT_EQ(encoded.substr(3, 4), std::string("\0\0\x03\xA8", 4));  // 936
  EXPECT_EQ(encoded.substr(7), bytes);
}

TEST(WireCodecTest, ByteArraysTravelAsBinary) {
  const WireCodec codec;
  const std::string encoded = codec.EncodeValue(VarByteArrayOf("abc"));
  EXPECT_EQ(encoded, std::string("\xC4\x03" "abc", 5));
}

TEST(WireCodecTest, ObjectsNeedAConnection) {
  struct Local : AutoObject {
    Variant Invoke(std::string_view, InvokeKind, std::span<Variant>) override { return {}; }
  };
  const WireCodec codec;
  EXPECT_THROW(codec.EncodeValue(Variant(std::make_shared<Local>())), EWireError);
  EXPECT_THROW(codec.EncodeValue(VarArrayOf({1, Variant(std::make_shared<Local>())})), EWireError);
}

TEST(WireCodecTest, SendersRefuseWhatReceiversWouldReject) {
  WireLimits limits;
  limits.maxArrayDepth = 3;
  limits.maxFrameBytes = 1000;
  const WireCodec codec(0, limits);
  Variant deep = VarArrayOf({VarArrayOf({VarArrayOf({VarArrayOf({1})})})});
  EXPECT_THROW(codec.EncodeValue(deep), EWireError);
  WireResult big;
  big.result = VarByteArrayOf(std::string(2000, 'x'));
  EXPECT_THROW(codec.Encode(big), EWireError);
}

TEST(WireCodecTest, MessagesRoundTrip) {
  const WireCodec codec;
  WireCall call;
  call.request = 42;
  call.object = 7;
  call.member = "CheckValue";
  call.kind = InvokeKind::PropertyPut;
  call.args = {A(u8"人事"), VarArrayOf({1, 2}), Null()};
  call.byRef = {0, 2};
  WireMessage decoded = codec.Decode(codec.Encode(call));
  auto* c = std::get_if<WireCall>(&decoded);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->request, 42u);
  EXPECT_EQ(c->object, 7u);
  EXPECT_EQ(c->member, AnsiString("CheckValue"));
  EXPECT_EQ(c->kind, InvokeKind::PropertyPut);
  ASSERT_EQ(c->args.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(SameValue(call.args[i], c->args[i]));
  EXPECT_EQ(c->byRef, (std::vector<std::uint32_t>{0, 2}));

  WireFault fault;
  fault.request = 9;
  fault.className = "EConvertError";
  fault.message = A(u8"日期错误!");
  fault.source = "Validator";
  fault.code = static_cast<std::int32_t>(0x8000FFFFu);
  decoded = codec.Decode(codec.Encode(fault));
  auto* f = std::get_if<WireFault>(&decoded);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->message, fault.message);
  EXPECT_EQ(f->className, fault.className);
  EXPECT_EQ(f->source, fault.source);
  EXPECT_EQ(f->code, fault.code);

  WireHello hello;
  hello.codePage = 936;
  hello.credential = std::string("t\0k", 3);
  decoded = codec.Decode(codec.Encode(hello));
  ASSERT_TRUE(std::holds_alternative<WireHello>(decoded));
  EXPECT_EQ(std::get<WireHello>(decoded).credential, hello.credential);
}

// Hostile input ---------------------------------------------------------------

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct Hostile {
  const char* name;
  std::string bytes;
  const char* says;  // part of the error text
};

TEST(WireCodecTest, MalformedValuesRaiseClearErrors) {
  using S = std::string;
  const std::vector<Hostile> cases = {
      {"nothing", S(), "empty"},
      {"truncated text", S("\xA5" "ab"), "truncated"},
      {"truncated ext", S("\xD7\x04\x01\x02", 4), "truncated"},
      {"array claiming 4G elements", S("\xDD\xFF\xFF\xFF\xFF\xC0", 6), "claims more elements"},
      {"bin claiming 4G bytes", S("\xC6\xFF\xFF\xFF\xFF" "ab", 7), "truncated"},
      {"nested too deeply", Repeat(S("\x93\x0C\x92\x00\x00", 5), 200) + "\xC0", "nested too deeply"},
      {"arrays deeper than the limit", Repeat(S("\x93\x0C\x92\x00\x00\x91", 6), 33) + "\xC0", "nested deeper"},
      {"map", S("\x81\xC0\xC0"), "map"},
      {"trailing bytes", S("\xC0\xC0"), "after the end"},
      {"reserved byte", S("\xC1"), "not MessagePack"},
      {"unknown ext", S("\xD4\x63\x00", 3), "unknown"},
      {"Empty with data", S("\xD4\x01\x00", 3), "Empty"},
      {"Smallint out of range", S("\xC7\x09\x02\x02\x00\x00\x00\x00\x00\x00\x9C\x40", 12), "Smallint"},
      {"unknown integer kind", S("\xC7\x09\x02\x63\x00\x00\x00\x00\x00\x00\x00\x01", 12), "type code"},
      {"integer beyond 32 bits", S("\xCE\xFF\xFF\xFF\xFF"), "32-bit"},
      {"Currency of 4 bytes", S("\xD6\x03\x00\x00\x00\x01", 6), "Currency"},
      {"invalid UTF-8", S("\xA2\xC3\x28"), "UTF-8"},
      {"surrogate in UTF-8", S("\xA3\xED\xA0\x80"), "UTF-8"},
      {"raw text in an unknown code page", S("\xC7\x05\x06\x00\x00\x30\x39" "a", 8), "code page"},
      {"raw text without code page", S("\xD5\x06\x00\x01", 4), "code page"},
      {"array of 2 parts", S("\x92\x0C\x92\x00\x00", 5), "parts"},
      {"bounds that do not match", S("\x93\x0C\x92\x00\x05\x92\x01\x02", 8), "do not match"},
      {"bounds of 2G elements", S("\x93\x0C\x92\x00\xCE\x7F\xFF\xFF\xFF\x90", 10), "do not match"},
      {"bounds of 2G x 2G elements", S("\x93\x0C\x94\x00\xCE\x7F\xFF\xFF\xFF\x00\xCE\x7F\xFF\xFF\xFF\x91\xC0", 17),
       "do not match"},
      {"odd bounds", S("\x93\x0C\x93\x00\x00\x00\x91\xC0", 8), "pairs"},
      {"high below low", S("\x93\x0C\x92\x05\x02\x90", 6), "below"},
      {"String is no element type", S("\x93\xCD\x01\x00\x92\x00\x00\x91\xA1" "a", 10), "element type"},
      {"integer array holding text", S("\x93\x03\x92\x00\x00\x91\xA1" "a", 8), "holds"},
      {"byte array without binary", S("\x93\x11\x92\x00\x00\x91\x01", 7), "binary"},
      {"object without a connection", S("\xD7\x08\x00\x00\x00\x00\x00\x00\x00\x05", 10), "object reference"},
  };
  const WireCodec codec;
  for (const Hostile& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      Variant v = codec.DecodeValue(c.bytes);
      ADD_FAILURE() << "decoded as " << v;
    } catch (const EWireProtocolError& e) {
      EXPECT_NE(e.Message().Bytes().find(c.says), std::string::npos) << e.Message();
    }
  }
}

TEST(WireCodecTest, MalformedMessagesRaiseClearErrors) {
  using S = std::string;
  const std::vector<Hostile> cases = {
      {"no array", S("\x04"), "no array"},
      {"no kind", S("\x90"), "no kind"},
      {"unknown kind", S("\x91\x63"), "kind 99"},
      {"Call of 3 parts", S("\x93\x04\x01\x01"), "parts"},
      {"Call with text as request number", S("\x97\x04\xA1" "x" "\x01\xA1" "A\x00\x90\x90", 10), "request number"},
      {"invoke kind 3", S("\x97\x04\x01\x01\xA1" "A\x03\x90\x90", 9), "invoke kind"},
      {"by-reference position beyond the arguments", S("\x97\x04\x01\x01\xA1" "A\x00\x91\xC0\x91\x01", 11),
       "by-reference position"},
      {"by-reference positions repeated", S("\x97\x04\x01\x01\xA1" "A\x00\x92\xC0\xC0\x92\x00\x00", 13),
       "ascending"},
      {"release count zero", S("\x93\x07\x01\x00", 4), "zero"},
      {"Hello without credential", S("\x93\x01\x01\xCD\x03\xA8", 6), "parts"},
  };
  const WireCodec codec;
  for (const Hostile& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      codec.Decode(c.bytes);
      ADD_FAILURE() << "decoded";
    } catch (const EWireProtocolError& e) {
      EXPECT_NE(e.Message().Bytes().find(c.says), std::string::npos) << e.Message();
    }
  }
}

TEST(WireCodecTest, AHelloOfAnotherVersionIsReadForItsVersion) {
  const WireCodec codec;
  WireMessage m = codec.Decode(std::string("\x92\x01\x02", 3));
  ASSERT_TRUE(std::holds_alternative<WireHello>(m));
  EXPECT_EQ(std::get<WireHello>(m).version, 2u);
}

TEST(WireCodecTest, LimitsBoundWhatADecoderBuilds) {
  WireLimits limits;
  limits.maxValues = 100;
  limits.maxFrameBytes = 4096;
  const WireCodec small(0, limits);
  const WireCodec large;
  Variant many = VarArrayCreate({0, 199}, varVariant);
  EXPECT_THROW(small.DecodeValue(large.EncodeValue(many)), EWireProtocolError);
  EXPECT_THROW(small.DecodeValue(large.EncodeValue(VarByteArrayOf(std::string(5000, 'x')))), EWireProtocolError);
  EXPECT_NO_THROW(small.DecodeValue(large.EncodeValue(VarByteArrayOf(std::string(4000, 'x')))));
}

WireCall SampleCall() {
  WireCall call;
  call.request = 1000;
  call.object = 3;
  call.member = "QueryData";
  call.args = {A(u8"人事"), TwoByThree(), VarByteArrayOf("img"), Variant(Currency::FromScaled(5)), EmptyParam()};
  call.byRef = {1, 4};
  return call;
}

void ExpectOnlyProtocolErrors(const WireCodec& codec, const std::string& bytes) {
  try {
    codec.Decode(bytes);
  } catch (const EWireProtocolError&) {
  } catch (const std::exception& e) {
    ADD_FAILURE() << "unexpected " << typeid(e).name() << ": " << e.what();
  }
}

TEST(WireCodecTest, EveryTruncationOfAMessageIsRejected) {
  const WireCodec codec;
  const std::string whole = codec.Encode(SampleCall());
  for (std::size_t n = 0; n < whole.size(); ++n) {
    SCOPED_TRACE(n);
    EXPECT_THROW(codec.Decode(whole.substr(0, n)), EWireProtocolError);
  }
}

TEST(WireCodecTest, RandomAndMutatedBytesNeverGetPastTheDecoder) {
  const WireCodec codec;
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int i = 0; i < 3000; ++i) {
    std::string bytes(static_cast<std::size_t>(1 + random() % 64), '\0');
    for (char& c : bytes) c = static_cast<char>(byte(random));
    ExpectOnlyProtocolErrors(codec, bytes);
  }
  const std::string whole = codec.Encode(SampleCall());
  for (int i = 0; i < 3000; ++i) {
    std::string bytes = whole;
    for (int k = 0; k < 3; ++k) bytes[random() % bytes.size()] = static_cast<char>(byte(random));
    ExpectOnlyProtocolErrors(codec, bytes);
  }
}

// Frames ---------------------------------------------------------------------

TEST(WireFrameTest, ReaderSplitsAStreamIntoBodies) {
  WireFrameReader reader(100);
  const std::string stream = WireFrameHeader(3) + "abc" + WireFrameHeader(2) + "de" + WireFrameHeader(4) + "f";
  // Byte by byte, as a slow network delivers it.
  std::vector<std::string> bodies;
  for (char c : stream) {
    reader.Append(&c, 1);
    while (auto body = reader.Next()) bodies.push_back(*body);
  }
  EXPECT_EQ(bodies, (std::vector<std::string>{"abc", "de"}));
  EXPECT_TRUE(reader.Partial());
  reader.Append("ghi", 3);
  EXPECT_EQ(reader.Next(), std::optional<std::string>("fghi"));
  EXPECT_FALSE(reader.Partial());
}

TEST(WireFrameTest, ReaderRejectsEmptyAndOversizedFrames) {
  WireFrameReader empty(100);
  empty.Append(WireFrameHeader(0).data(), 4);
  EXPECT_THROW(empty.Next(), EWireProtocolError);
  WireFrameReader oversized(100);
  oversized.Append("\xFF\xFF\xFF\xFF", 4);
  EXPECT_THROW(oversized.Next(), EWireProtocolError);
}

}  // namespace
}  // namespace platform
