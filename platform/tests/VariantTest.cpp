#include "platform/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "platform/Automation.h"
#include "platform/Exceptions.h"
#include "platform/TestSupport.h"
#include "platform/VariantFormatArgs.h"

namespace platform {
namespace {

using testing::A;

std::string Printed(const Variant& v) {
  std::ostringstream os;
  os << v;
  return os.str();
}

// Checks a conversion: the value when error is null, else the exception
// class the text implies and the text itself.
template <class T, class F>
void ExpectConversion(const std::string& name, F convert, const T& expected, const char* error) {
  SCOPED_TRACE(name);
  if (!error) {
    EXPECT_EQ(convert(), expected);
    return;
  }
  const bool overflow = std::string(error).rfind("Overflow", 0) == 0;
  try {
    (void)convert();
    ADD_FAILURE() << "converted, expected: " << error;
  } catch (const EVariantOverflowError& e) {
    EXPECT_TRUE(overflow) << e.Message();
    EXPECT_EQ(e.Message(), AnsiString(error));
  } catch (const EVariantTypeCastError& e) {
    EXPECT_FALSE(overflow) << e.Message();
    EXPECT_EQ(e.Message(), AnsiString(error));
  }
}

class Dummy : public AutoObject {
 public:
  Variant Invoke(std::string_view, InvokeKind, std::span<Variant>) override { return Variant(); }
};

// Kinds -------------------------------------------------------------------

TEST(Variant, EveryKindHasItsTypeCodeAndName) {
  Variant target(5);
  struct Case {
    const char* name;
    Variant value;
    TVarType type;
    const char* typeName;
  } cases[] = {
      {"unassigned", Variant(), varEmpty, "Empty"},
      {"null", Null(), varNull, "Null"},
      {"smallint", Variant(short{-3}), varSmallint, "Smallint"},
      {"integer", Variant(7), varInteger, "Integer"},
      {"int64", Variant(7LL), varInt64, "Int64"},
      {"byte", Variant(static_cast<unsigned char>(7)), varByte, "Byte"},
      {"word", Variant(static_cast<unsigned short>(7)), varWord, "Word"},
      {"longword", Variant(7u), varLongWord, "LongWord"},
      {"single", Variant(1.5f), varSingle, "Single"},
      {"double", Variant(1.5), varDouble, "Double"},
      {"currency", Variant(Currency::FromScaled(15000)), varCurrency, "Currency"},
      {"date", VarFromDateTime(45000.25), varDate, "Date"},
      {"byte text", Variant("ab"), varString, "String"},
      {"one character", Variant('a'), varString, "String"},
      {"wide text", Variant(u"ab"), varOleStr, "OleStr"},
      {"boolean", Variant(true), varBoolean, "Boolean"},
      {"omitted argument", EmptyParam(), varError, "Error"},
      {"object", Variant(std::make_shared<Dummy>()), varDispatch, "Dispatch"},
      {"variant array", VarArrayOf({1, 2}), varArray | varVariant, "Array Variant"},
      {"byte array", VarByteArrayOf("xy"), varArray | varByte, "Array Byte"},
      {"reference", ByRef(target), varByRef | varVariant, "ByRef Variant"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(VarType(c.value), c.type);
    EXPECT_EQ(VarTypeAsText(VarType(c.value)), AnsiString(c.typeName));
  }
}

TEST(Variant, TypeTestsTellUnassignedNullTextsArraysAndObjectsApart) {
  Variant object = Variant(std::make_shared<Dummy>());
  Variant null = Null();
  struct Case {
    const char* name;
    Variant value;
    bool empty, isNull, str, array, dispatch;
  } cases[] = {
      {"unassigned", Variant(), true, false, false, false, false},
      {"null", Null(), false, true, false, false, false},
      {"byte text", Variant(""), false, false, true, false, false},
      {"wide text", Variant(u""), false, false, true, false, false},
      {"zero", Variant(0), false, false, false, false, false},
      {"array", VarArrayOf({}), false, false, false, true, false},
      {"object", object, false, false, false, false, true},
      {"a null object pointer is unassigned", Variant(AutoObjectPtr()), true, false, false, false, false},
      {"reference to null", ByRef(null), false, true, false, false, false},
      {"reference to an object", ByRef(object), false, false, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(VarIsEmpty(c.value), c.empty);
    EXPECT_EQ(VarIsNull(c.value), c.isNull);
    EXPECT_EQ(VarIsEmptyOrNull(c.value), c.empty || c.isNull);
    EXPECT_EQ(VarIsStr(c.value), c.str);
    EXPECT_EQ(VarIsArray(c.value), c.array);
    EXPECT_EQ(VarIsDispatch(c.value), c.dispatch);
  }
  Variant number(5);
  EXPECT_TRUE(VarIsType(ByRef(number), varInteger)) << "type tests follow a reference";
  EXPECT_FALSE(VarIsType(ByRef(number), varInt64));
  EXPECT_TRUE(VarIsNumeric(Variant(true)));
  EXPECT_TRUE(VarIsNumeric(Variant(Currency::FromScaled(1))));
  EXPECT_FALSE(VarIsNumeric(VarFromDateTime(1)));
  EXPECT_FALSE(VarIsNumeric(Variant("1")));
  EXPECT_TRUE(VarIsEmptyParam(EmptyParam()));
  EXPECT_FALSE(VarIsEmptyParam(VarAsError(1)));
  EXPECT_EQ(EmptyParam().AsError(), DISP_E_PARAMNOTFOUND);
}

TEST(Variant, BooleansHaveTheAutomationForm) {
  EXPECT_EQ(Variant(true).AsInteger(), -1);
  EXPECT_EQ(Variant(false).AsInteger(), 0);
  EXPECT_EQ(Variant(true).AsVarBool(), -1);
  Variant one = Variant::FromVarBool(1);
  EXPECT_TRUE(one.AsBool()) << "any non-zero value reads as true";
  EXPECT_EQ(one, Variant(true));
  EXPECT_EQ(one.AsVarBool(), -1);
  EXPECT_FALSE(Variant::FromVarBool(0).AsBool());
}

// Conversions -------------------------------------------------------------

TEST(VariantConversion, ToInteger) {
  Variant array = VarArrayOf({1});
  struct Case {
    const char* name;
    Variant value;
    int expected;
    const char* error;
  } cases[] = {
      {"unassigned is 0", Variant(), 0, nullptr},
      {"smallint", Variant(short{-12}), -12, nullptr},
      {"half rounds to even, down", Variant(2.5), 2, nullptr},
      {"half rounds to even, up", Variant(3.5), 4, nullptr},
      {"negative half", Variant(-2.5), -2, nullptr},
      {"below half", Variant(2.499), 2, nullptr},
      {"single", Variant(1.75f), 2, nullptr},
      {"currency half to even", Variant(Currency::FromScaled(25000)), 2, nullptr},
      {"currency above half", Variant(Currency::FromScaled(-35001)), -4, nullptr},
      {"date", VarFromDateTime(45000.75), 45001, nullptr},
      {"true", Variant(true), -1, nullptr},
      {"text", Variant("123"), 123, nullptr},
      {"text with blanks", Variant("  -45 "), -45, nullptr},
      {"text with a fraction", Variant("12.5"), 12, nullptr},
      {"wide text", Variant(u"77"), 77, nullptr},
      {"largest", Variant(2147483647LL), 2147483647, nullptr},
      {"null", Null(), 0, "Could not convert variant of type (Null) into type (Integer)"},
      {"letters", Variant("abc"), 0, "Could not convert variant of type (String) into type (Integer)"},
      {"empty text", Variant(""), 0, "Could not convert variant of type (String) into type (Integer)"},
      {"wide letters", Variant(u"1x"), 0, "Could not convert variant of type (OleStr) into type (Integer)"},
      {"array", array, 0, "Could not convert variant of type (Array Variant) into type (Integer)"},
      {"omitted argument", EmptyParam(), 0, "Could not convert variant of type (Error) into type (Integer)"},
      {"large double", Variant(3e9), 0, "Overflow while converting variant of type (Double) into type (Integer)"},
      {"not a number", Variant(std::nan("")), 0,
       "Overflow while converting variant of type (Double) into type (Integer)"},
      {"large int64", Variant(1LL << 40), 0, "Overflow while converting variant of type (Int64) into type (Integer)"},
      {"large longword", Variant(4000000000u), 0,
       "Overflow while converting variant of type (LongWord) into type (Integer)"},
      {"large text", Variant("99999999999"), 0,
       "Overflow while converting variant of type (String) into type (Integer)"},
  };
  for (const Case& c : cases)
    ExpectConversion(c.name, [&] { return c.value.AsInteger(); }, c.expected, c.error);
}

TEST(VariantConversion, ToInt64) {
  struct Case {
    const char* name;
    Variant value;
    std::int64_t expected;
    const char* error;
  } cases[] = {
      {"seconds beyond 32 bits", Variant(1e15), 1000000000000000LL, nullptr},
      {"largest text", Variant("9223372036854775807"), INT64_MAX, nullptr},
      {"longword", Variant(4000000000u), 4000000000LL, nullptr},
      {"too large", Variant(1e19), 0, "Overflow while converting variant of type (Double) into type (Int64)"},
      {"null", Null(), 0, "Could not convert variant of type (Null) into type (Int64)"},
  };
  for (const Case& c : cases)
    ExpectConversion(c.name, [&] { return c.value.AsInt64(); }, c.expected, c.error);
}

TEST(VariantConversion, ToString) {
  Variant object = Variant(std::make_shared<Dummy>());
  Variant array = VarArrayOf({1});
  struct Case {
    const char* name;
    Variant value;
    AnsiString expected;
    const char* error;
  } cases[] = {
      {"unassigned", Variant(), "", nullptr},
      {"integer", Variant(-42), "-42", nullptr},
      {"int64", Variant(1LL << 40), "1099511627776", nullptr},
      {"byte", Variant(static_cast<unsigned char>(200)), "200", nullptr},
      {"double", Variant(1.5), "1.5", nullptr},
      {"whole double", Variant(5.0), "5", nullptr},
      {"currency", Variant(Currency::FromScaled(125000)), "12.5", nullptr},
      {"true", Variant(true), "True", nullptr},
      {"false", Variant(false), "False", nullptr},
      {"date", VarFromDateTime(EncodeDate(2024, 3, 5)), "2024/03/05", nullptr},
      {"byte text", Variant(A(u8"中文")), A(u8"中文"), nullptr},
      {"wide text narrowed in the process code page", Variant(u"\u4E2D\u6587"), A(u8"中文"), nullptr},
      {"null", Null(), "", "Could not convert variant of type (Null) into type (String)"},
      {"array", array, "", "Could not convert variant of type (Array Variant) into type (String)"},
      {"object", object, "", "Could not convert variant of type (Dispatch) into type (String)"},
  };
  for (const Case& c : cases)
    ExpectConversion(c.name, [&] { return c.value.AsString(); }, c.expected, c.error);
  EXPECT_EQ(VarToStr(Null()), AnsiString("")) << "VarToStr reads Null as empty text";
  EXPECT_EQ(VarToStr(Variant(3)), AnsiString("3"));
}

TEST(VariantConversion, ToWideString) {
  struct Case {
    const char* name;
    Variant value;
    WideString expected;
    const char* error;
  } cases[] = {
      {"byte text widened", Variant(A(u8"中文")), u"\u4E2D\u6587", nullptr},
      {"wide text", Variant(u"x"), u"x", nullptr},
      {"integer", Variant(7), u"7", nullptr},
      {"unassigned", Variant(), u"", nullptr},
      {"null", Null(), u"", "Could not convert variant of type (Null) into type (OleStr)"},
  };
  for (const Case& c : cases)
    ExpectConversion(c.name, [&] { return c.value.AsWide(); }, c.expected, c.error);
  EXPECT_EQ(VarToWideStr(Null()), WideString());
}

TEST(VariantConversion, ToDoubleAndDate) {
  struct Case {
    const char* name;
    Variant value;
    double expected;
    const char* error;
  } cases[] = {
      {"text", Variant(" 1.25 "), 1.25, nullptr},
      {"currency", Variant(Currency::FromScaled(12345)), 1.2345, nullptr},
      {"true", Variant(true), -1, nullptr},
      {"int64", Variant(1LL << 40), 1099511627776.0, nullptr},
      {"comma is no separator", Variant("1,5"), 0,
       "Could not convert variant of type (String) into type (Double)"},
      {"null", Null(), 0, "Could not convert variant of type (Null) into type (Double)"},
  };
  for (const Case& c : cases)
    ExpectConversion(c.name, [&] { return c.value.AsDouble(); }, c.expected, c.error);

  struct DateCase {
    const char* name;
    Variant value;
    TDateTime expected;
    const char* error;
  } dates[] = {
      {"short date text", Variant("2024/03/05"), EncodeDate(2024, 3, 5), nullptr},
      {"day count", Variant(45000.5), 45000.5, nullptr},
      {"unassigned", Variant(), 0, nullptr},
      {"not a date", Variant("soon"), 0, "Could not convert variant of type (String) into type (Date)"},
  };
  for (const DateCase& c : dates)
    ExpectConversion(c.name, [&] { return c.value.AsDateTime(); }, c.expected, c.error);
}

TEST(VariantConversion, ToCurrency) {
  struct Case {
    const char* name;
    Variant value;
    std::int64_t scaled;
    const char* error;
  } cases[] = {
      {"integer", Variant(5), 50000, nullptr},
      {"double rounds to four decimals", Variant(1.23456), 12346, nullptr},
      {"text", Variant("12.34"), 123400, nullptr},
      {"too large", Variant(1e300), 0, "Overflow while converting variant of type (Double) into type (Currency)"},
      {"too large int64", Variant(INT64_MAX), 0,
       "Overflow while converting variant of type (Int64) into type (Currency)"},
      {"letters", Variant("x"), 0, "Could not convert variant of type (String) into type (Currency)"},
  };
  for (const Case& c : cases)
    ExpectConversion(c.name, [&] { return c.value.AsCurrency().scaled; }, c.scaled, c.error);
}

TEST(VariantConversion, ToBoolean) {
  struct Case {
    const char* name;
    Variant value;
    bool expected;
    const char* error;
  } cases[] = {
      {"unassigned", Variant(), false, nullptr},
      {"text true in any case", Variant("tRUE"), true, nullptr},
      {"text false", Variant(" FALSE "), false, nullptr},
      {"wide text", Variant(u"True"), true, nullptr},
      {"numeric text zero", Variant("0"), false, nullptr},
      {"numeric text", Variant("2"), true, nullptr},
      {"zero", Variant(0), false, nullptr},
      {"fraction", Variant(0.5), true, nullptr},
      {"yes", Variant("yes"), false, "Could not convert variant of type (String) into type (Boolean)"},
      {"null", Null(), false, "Could not convert variant of type (Null) into type (Boolean)"},
  };
  for (const Case& c : cases)
    ExpectConversion(c.name, [&] { return c.value.AsBool(); }, c.expected, c.error);
}

TEST(VariantConversion, VarAsTypeGivesTheKindAsked) {
  struct Case {
    const char* name;
    Variant value;
    TVarType type;
    Variant expected;
    const char* error;
  } cases[] = {
      {"double to integer", Variant(1.5), varInteger, Variant(2), nullptr},
      {"text to smallint", Variant("7"), varSmallint, Variant(short{7}), nullptr},
      {"integer to wide text", Variant(12), varOleStr, Variant(u"12"), nullptr},
      {"integer to byte text", Variant(12), varString, Variant("12"), nullptr},
      {"text to boolean", Variant("true"), varBoolean, Variant(true), nullptr},
      {"to null", Variant(3), varNull, Null(), nullptr},
      {"to unassigned", Variant(3), varEmpty, Variant(), nullptr},
      {"byte range", Variant(300), varByte, Variant(), "Overflow while converting variant of type (Integer) into type (Byte)"},
      {"word range", Variant(-1), varWord, Variant(), "Overflow while converting variant of type (Integer) into type (Word)"},
      {"null to integer", Null(), varInteger, Variant(), "Could not convert variant of type (Null) into type (Integer)"},
  };
  for (const Case& c : cases) {
    ExpectConversion(c.name, [&] { return VarType(VarAsType(c.value, c.type)); }, VarType(c.expected), c.error);
    if (!c.error) {
      EXPECT_EQ(VarAsType(c.value, c.type), c.expected) << c.name;
    }
  }
  EXPECT_THROW(VarAsType(Variant(1), varArray | varVariant), EVariantInvalidArgError);
}

// Equality and printing ---------------------------------------------------

TEST(Variant, EqualityAcrossKinds) {
  auto object = std::make_shared<Dummy>();
  Variant five(5);
  Variant blob = VarArrayCreate({0, 1}, varByte);
  blob.PutElement({0}, 1);
  blob.PutElement({1}, 2);
  struct Case {
    const char* name;
    Variant a, b;
    bool equal;
  } cases[] = {
      {"integer and double", Variant(1), Variant(1.0), true},
      {"integer and currency", Variant(1), Variant(Currency::FromScaled(10000)), true},
      {"currency and double", Variant(Currency::FromScaled(1000)), Variant(0.1), true},
      {"byte and int64", Variant(static_cast<unsigned char>(9)), Variant(9LL), true},
      {"int64 beyond double precision", Variant((1LL << 53) + 1), Variant(9007199254740992.0), false},
      {"different numbers", Variant(1), Variant(2), false},
      {"unassigned and null", Variant(), Null(), false},
      {"unassigned and zero", Variant(), Variant(0), false},
      {"unassigned and empty text", Variant(), Variant(""), false},
      {"null and null", Null(), Null(), true},
      {"text and number", Variant("1"), Variant(1), false},
      {"byte and wide text", Variant("ab"), Variant(u"ab"), true},
      {"chinese byte and wide text", Variant(A(u8"中")), Variant(u"\u4E2D"), true},
      {"texts differ in case", Variant("ab"), Variant("AB"), false},
      {"boolean and its integer", Variant(true), Variant(-1), false},
      {"booleans by truth", Variant::FromVarBool(1), Variant(true), true},
      {"arrays of equal values", VarArrayOf({1, "a"}), VarArrayOf({1.0, u"a"}), true},
      {"arrays of other bounds", VarArrayCreate({0, 1}, varVariant), VarArrayCreate({1, 2}, varVariant), false},
      {"byte and variant array", blob, VarArrayOf({1, 2}), true},
      {"array and scalar", VarArrayOf({1}), Variant(1), false},
      {"same object", Variant(object), Variant(object), true},
      {"other object", Variant(object), Variant(std::make_shared<Dummy>()), false},
      {"reference and value", ByRef(five), Variant(5), true},
      {"not a number", Variant(std::nan("")), Variant(std::nan("")), true},
      {"errors by code", VarAsError(5), VarAsError(5), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a == c.b, c.equal) << c.name << ": " << c.a << " vs " << c.b;
    EXPECT_EQ(c.b == c.a, c.equal) << c.name << " (swapped)";
  }
}

TEST(Variant, PrintsKindAndValue) {
  Variant target(5);
  struct Case {
    const char* name;
    Variant value;
    std::string printed;
  } cases[] = {
      {"unassigned", Variant(), "Empty"},
      {"null", Null(), "Null"},
      {"integer", Variant(5), "Integer(5)"},
      {"double", Variant(0.1), "Double(0.1)"},
      {"currency", Variant(Currency::FromScaled(-12345)), "Currency(-1.2345)"},
      {"boolean", Variant(true), "Boolean(True)"},
      {"byte text", Variant("ab"), "String(\"ab\" (cp936))"},
      {"wide text", Variant(u"ab"), "OleStr(u\"ab\")"},
      {"error", EmptyParam(), "Error(0x80020004)"},
      {"array", VarArrayOf({1, Variant()}), "Array Variant[0..1]{Integer(1), Empty}"},
      {"two dimensions", VarArrayCreate({0, 1, 2, 2}, varByte), "Array Byte[0..1, 2..2]{00, 00}"},
      {"reference", ByRef(target), "ByRef(Integer(5))"},
  };
  for (const Case& c : cases) EXPECT_EQ(Printed(c.value), c.printed) << c.name;
  std::string longArray = Printed(VarByteArrayOf(std::string(1000, 'A')));
  EXPECT_NE(longArray.find(", ... (1000 elements)}"), std::string::npos) << longArray;
  EXPECT_LT(longArray.size(), 200u);
}

// Values ------------------------------------------------------------------

TEST(Variant, CopiesAreDeepForArraysAndSharedForObjects) {
  Variant original = VarArrayOf({1, VarArrayOf({"a", "b"})});
  Variant copy = original;
  copy.PutElement({0}, 99);
  copy.ElementRef({1}).PutElement({0}, "changed");
  EXPECT_EQ(original[0], Variant(1));
  EXPECT_EQ(original[1][0], Variant("a")) << "the nested array is copied too";
  EXPECT_EQ(copy[1][0], Variant("changed"));

  auto object = std::make_shared<Dummy>();
  std::weak_ptr<Dummy> watch = object;
  Variant holder(object);
  object.reset();
  {
    Variant shared = holder;
    holder = Variant();
    EXPECT_FALSE(watch.expired()) << "the copy keeps the object";
  }
  EXPECT_TRUE(watch.expired()) << "released with the last holder";

  Variant moved = VarArrayOf({1});
  Variant target = std::move(moved);
  EXPECT_TRUE(VarIsEmpty(moved)) << "a moved-from Variant is unassigned";  // NOLINT(bugprone-use-after-move)
  EXPECT_TRUE(VarIsArray(target));
}

TEST(Variant, ReferencesReadThroughAndWriteOnlyThroughDeref) {
  Variant caller(1);
  Variant ref = ByRef(caller);
  EXPECT_EQ(ref.AsInteger(), 1);
  Variant refToRef = ByRef(ref);
  refToRef.Deref() = Variant("written");
  EXPECT_EQ(caller, Variant("written")) << "a reference to a reference reaches the final target";
  ref = Variant(2);
  EXPECT_EQ(caller, Variant("written")) << "assigning the reference replaces it";
  EXPECT_EQ(VarType(ref), varInteger);

  Variant array = VarArrayOf({0});
  Variant value(7);
  array.PutElement({0}, ByRef(value));
  value = Variant(8);
  EXPECT_EQ(VarType(array[0]), varInteger) << "arrays store the value referred to";
  EXPECT_EQ(array[0], Variant(7));
}

// Arrays ------------------------------------------------------------------

TEST(VariantArray, ServerAddressesShape) {
  const int n = 3;
  Variant addresses = VarArrayCreate({0, 1, 0, n - 1}, varVariant);
  for (int i = 0; i < n; ++i) {
    addresses.PutElement({0, i}, AnsiString("host") + char('0' + i));
    addresses.PutElement({1, i}, 211 + i);
  }
  EXPECT_EQ(VarArrayDimCount(addresses), 2);
  EXPECT_EQ(VarArrayLowBound(addresses, 1), 0);
  EXPECT_EQ(VarArrayHighBound(addresses, 1), 1);
  EXPECT_EQ(VarArrayLowBound(addresses, 2), 0);
  EXPECT_EQ(VarArrayHighBound(addresses, 2), n - 1);
  EXPECT_EQ(addresses.GetElement({0, 2}), Variant("host2"));
  EXPECT_EQ(addresses.GetElement({1, 1}).AsInteger(), 212);

  Variant settings = VarArrayCreate({0, 3, 0, 7}, varVariant);
  settings.PutElement({3, 7}, "last");
  int unassigned = 0;
  for (int i = 0; i <= 3; ++i)
    for (int j = 0; j <= 7; ++j) unassigned += VarIsEmpty(settings.GetElement({i, j}));
  EXPECT_EQ(unassigned, 31) << "every cell not set stays unassigned";
  EXPECT_EQ(settings.GetElement({3, 7}), Variant("last"));
}

TEST(VariantArray, BadIndicesAndDimensionsRaise) {
  Variant a = VarArrayCreate({1, 3, -2, 2}, varVariant);
  a.PutElement({1, -2}, "first");
  a.PutElement({3, 2}, "last");
  EXPECT_EQ(a.GetElement({1, -2}), Variant("first"));
  EXPECT_EQ(a.GetElement({3, 2}), Variant("last"));
  EXPECT_EQ(VarArrayLowBound(a, 2), -2);
  EXPECT_EQ(VarArrayHighBound(a, 2), 2);
  struct Case {
    const char* name;
    std::function<void()> run;
  } badIndex[] = {
      {"below the low bound", [&] { a.GetElement({0, 0}); }},
      {"above the high bound", [&] { a.PutElement({4, 0}, 1); }},
      {"second dimension", [&] { a.GetElement({1, 3}); }},
      {"too few indices", [&] { a.GetElement({1}); }},
      {"too many indices", [&] { a.GetElement({1, 0, 0}); }},
      {"index on a two-dimensional array", [&] { (void)a[1]; }},
      {"dimension 0", [&] { VarArrayLowBound(a, 0); }},
      {"dimension 3", [&] { VarArrayHighBound(a, 3); }},
  };
  for (const Case& c : badIndex) {
    SCOPED_TRACE(c.name);
    try {
      c.run();
      ADD_FAILURE() << "no error";
    } catch (const EVariantBadIndexError& e) {
      EXPECT_EQ(e.Message(), AnsiString("Variant or safe array index out of bounds"));
    }
  }
  Variant scalar(1);
  EXPECT_EQ(VarArrayDimCount(scalar), 0);
  EXPECT_THROW(VarArrayLowBound(scalar, 1), EVariantInvalidArgError);
  EXPECT_THROW(scalar.GetElement({0}), EVariantInvalidArgError);
  EXPECT_THROW(scalar.PutElement({0}, 1), EVariantInvalidArgError);
}

TEST(VariantArray, CreationRejectsBadBoundsAndTypes) {
  struct Case {
    const char* name;
    std::vector<int> bounds;
    TVarType type;
    const char* error;
  } cases[] = {
      {"no bounds", {}, varVariant, "Error creating variant or safe array"},
      {"odd number of bounds", {0, 1, 2}, varVariant, "Error creating variant or safe array"},
      {"high below low - 1", {5, 3}, varVariant, "Error creating variant or safe array"},
      {"more than memory", {0, 2000000000, 0, 2000000000}, varByte, "Error creating variant or safe array"},
      {"byte text elements", {0, 1}, varString, "Invalid variant type"},
      {"reference elements", {0, 1}, varByRef, "Invalid variant type"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      VarArrayCreate(c.bounds, c.type);
      ADD_FAILURE() << "created";
    } catch (const EVariantInvalidArgError& e) {
      EXPECT_EQ(e.Message(), AnsiString(c.error));
    }
  }
  Variant none = VarArrayCreate({1, 0}, varVariant);
  EXPECT_EQ(VarArrayLowBound(none, 1), 1);
  EXPECT_EQ(VarArrayHighBound(none, 1), 0) << "an empty dimension has high = low - 1";
  EXPECT_EQ(VarArrayHighBound(VarArrayOf({}), 1), -1);
}

TEST(VariantArray, TypedArraysHoldTheirElementType) {
  Variant numbers = VarArrayCreate({0, 2}, varInteger);
  EXPECT_EQ(VarType(numbers[0]), varInteger);
  EXPECT_EQ(numbers[0], Variant(0));
  numbers.PutElement({1}, "41");
  EXPECT_EQ(VarType(numbers[1]), varInteger);
  EXPECT_EQ(numbers[1].AsInteger(), 41);
  EXPECT_THROW(numbers.PutElement({2}, "x"), EVariantTypeCastError);
  EXPECT_THROW(numbers.ElementRef({0}), EVariantInvalidArgError) << "only variant elements are handed out";

  Variant texts = VarArrayCreate({0, 0}, varOleStr);
  EXPECT_EQ(VarType(texts[0]), varOleStr);
  EXPECT_EQ(texts[0].AsWide(), WideString());
}

TEST(VariantArray, ArraysOfArrays) {
  // [kind, code, [arguments]] and a look-up answer whose element 0 is an array.
  Variant desc = VarArrayOf({"E", 38, VarArrayOf({"a", "b"})});
  EXPECT_EQ(desc[2][1], Variant("b"));
  EXPECT_EQ(VarArrayHighBound(desc[2], 1), 1);
  Variant rows = VarArrayOf({VarArrayOf({"k1", 1}), VarArrayOf({"k2", 2})});
  rows.ElementRef({1}).PutElement({1}, 20);
  EXPECT_EQ(rows[1][1], Variant(20));
  EXPECT_EQ(rows[0][0], Variant("k1"));
  Variant self = VarArrayOf({1});
  self.PutElement({0}, self);
  EXPECT_EQ(self[0], VarArrayOf({1})) << "an array put into itself is stored as it was";
}

TEST(VariantArray, RedimChangesTheLastDimensionAndKeepsElements) {
  Variant grid = VarArrayCreate({0, 1, 0, 1}, varVariant);
  grid.PutElement({0, 0}, "a");
  grid.PutElement({1, 1}, "d");
  VarArrayRedim(grid, 3);
  EXPECT_EQ(VarArrayHighBound(grid, 2), 3);
  EXPECT_EQ(VarArrayHighBound(grid, 1), 1);
  EXPECT_EQ(grid.GetElement({0, 0}), Variant("a"));
  EXPECT_EQ(grid.GetElement({1, 1}), Variant("d"));
  EXPECT_TRUE(VarIsEmpty(grid.GetElement({1, 3})));
  VarArrayRedim(grid, 0);
  EXPECT_EQ(grid.GetElement({0, 0}), Variant("a"));
  EXPECT_THROW(grid.GetElement({1, 1}), EVariantBadIndexError);
  EXPECT_THROW(VarArrayRedim(grid, -2), EVariantInvalidArgError);

  Variant bytes = VarByteArrayOf("ab");
  VarArrayRedim(bytes, 3);
  EXPECT_EQ(VarArrayBytes(bytes), std::string_view("ab\0\0", 4));
}

TEST(VariantArray, ByteArraysKeepBytes) {
  std::string image(100000, '\0');
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
  Variant blob = VarByteArrayOf(image);
  EXPECT_EQ(VarType(blob), varArray | varByte);
  EXPECT_EQ(VarArrayHighBound(blob, 1), 99999);
  EXPECT_EQ(VarArrayBytes(blob), image);
  EXPECT_EQ(VarType(blob[3]), varByte);
  EXPECT_EQ(blob[3].AsInteger(), 21);
  Variant copies[50];
  for (Variant& c : copies) c = blob;
  VarArrayLock(copies[49])[0] = 0xFF;
  EXPECT_EQ(copies[49][0].AsInteger(), 255);
  EXPECT_EQ(blob[0].AsInteger(), 0);
  EXPECT_EQ(copies[0], blob);
  blob.PutElement({1}, 254);
  EXPECT_EQ(VarArrayBytes(blob)[1], '\xFE');
  EXPECT_THROW(blob.PutElement({1}, 256), EVariantOverflowError);
  EXPECT_THROW(VarArrayElements(blob), EVariantInvalidArgError);
  EXPECT_THROW(VarArrayBytes(VarArrayOf({1})), EVariantInvalidArgError);
}

// Format arguments --------------------------------------------------------

TEST(Variant, FormatArgumentsFromAnArray) {
  Variant args = VarArrayOf({"text", 5, 2.5, Currency::FromScaled(15000), 1LL << 40, true, Null(), u"w"});
  std::vector<FormatArg> list = ToFormatArgs(args);
  ASSERT_EQ(list.size(), 8u);
  EXPECT_EQ(list[0].kind(), FormatArg::Kind::String);
  EXPECT_EQ(list[0].AsText(), AnsiString("text"));
  EXPECT_EQ(list[1].kind(), FormatArg::Kind::Integer);
  EXPECT_EQ(list[1].AsInt(), 5);
  EXPECT_EQ(list[2].kind(), FormatArg::Kind::Extended);
  EXPECT_EQ(list[2].AsFloat(), 2.5);
  EXPECT_EQ(list[3].kind(), FormatArg::Kind::Currency);
  EXPECT_EQ(list[3].AsInt(), 15000);
  EXPECT_EQ(list[4].kind(), FormatArg::Kind::Int64);
  EXPECT_EQ(list[4].AsInt(), 1LL << 40);
  EXPECT_EQ(list[5].AsText(), AnsiString("True"));
  EXPECT_EQ(list[6].AsText(), AnsiString(""));
  EXPECT_EQ(list[7].AsText(), AnsiString("w"));
  EXPECT_TRUE(ToFormatArgs(Variant()).empty());
  EXPECT_EQ(ToFormatArgs(Variant("one")).size(), 1u);
  EXPECT_THROW(ToFormatArgs(VarArrayOf({VarArrayOf({1})})), EVariantTypeCastError);
  EXPECT_THROW(ToFormatArgs(VarArrayCreate({0, 1, 0, 1}, varVariant)), EVariantInvalidArgError);
}

}  // namespace
}  // namespace platform
