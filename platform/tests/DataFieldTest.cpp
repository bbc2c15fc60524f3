// Fields: every type's conversions and texts, the class library's errors,
// read-only and validate refusals, text events, field order, calculated
// and run-time created fields, and edit masks.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/TestSupport.h"
#include "platform/data/BlobField.h"
#include "platform/data/BooleanField.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DateTimeField.h"
#include "platform/data/EditMask.h"
#include "platform/data/FloatField.h"
#include "platform/data/NumericField.h"
#include "platform/data/RowWindow.h"
#include "platform/data/StringField.h"
#include "platform/tests/DataTestSupport.h"

namespace platform {
namespace {

using testing::A;
using testing::Meta;
using testing::Row;

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message().c_str();
  }
  return "no error";
}

// An in-memory data set with one field of every type, in edit state.
class Fields : public ::testing::Test {
 protected:
  void SetUp() override {
    cds.SetName("cdsTypes");
    TFieldDefs& defs = *cds.FieldDefs();
    defs.AddFieldDef("S", ftString, 10);
    defs.AddFieldDef("FX", ftFixedChar, 6);
    defs.AddFieldDef("SI", ftSmallint);
    defs.AddFieldDef("I", ftInteger);
    defs.AddFieldDef("W", ftWord);
    defs.AddFieldDef("L", ftLargeint);
    defs.AddFieldDef("F", ftFloat);
    defs.AddFieldDef("C", ftCurrency);
    defs.AddFieldDef("B", ftBCD, 2);
    defs.AddFieldDef("BO", ftBoolean);
    defs.AddFieldDef("D", ftDate);
    defs.AddFieldDef("T", ftTime);
    defs.AddFieldDef("DT", ftDateTime);
    defs.AddFieldDef("M", ftMemo);
    defs.AddFieldDef("BL", ftBlob);
    cds.CreateDataSet();
    cds.Append();
  }

 public:
  TField& F(const char* name) { return cds.FieldByName(name); }

 protected:

  TComponent owner{nullptr};
  TClientDataSet cds{&owner};
};

TEST_F(Fields, DefaultFieldsHaveTheClassOfTheirType) {
  const std::vector<std::pair<const char*, const char*>> classes = {
      {"S", "TStringField"},   {"FX", "TStringField"},   {"SI", "TSmallintField"}, {"I", "TIntegerField"},
      {"W", "TWordField"},     {"L", "TLargeintField"},  {"F", "TFloatField"},     {"C", "TCurrencyField"},
      {"B", "TBCDField"},      {"BO", "TBooleanField"},  {"D", "TDateField"},      {"T", "TTimeField"},
      {"DT", "TDateTimeField"}, {"M", "TMemoField"},     {"BL", "TBlobField"}};
  ASSERT_EQ(cds.FieldCount(), static_cast<int>(classes.size()));
  for (std::size_t i = 0; i < classes.size(); ++i) {
    SCOPED_TRACE(classes[i].first);
    TField* f = cds.Fields(static_cast<int>(i));
    EXPECT_EQ(f->FieldName(), classes[i].first);
    EXPECT_STREQ(f->ClassName(), classes[i].second);
    EXPECT_EQ(f->Index(), static_cast<int>(i));
    EXPECT_EQ(f->FieldNo(), static_cast<int>(i) + 1);
  }
  EXPECT_EQ(F("S").Size(), 10);
  EXPECT_EQ(F("S").DisplayWidth(), 10);
}

struct ConversionCase {
  const char* name;
  const char* field;
  std::function<void(TField&)> write;
  AnsiString asString;
  AnsiString displayText;
  AnsiString text;
};

TEST_F(Fields, ValuesConvertAndShowByTheirType) {
  const std::vector<ConversionCase> cases = {
      {"string", "S", [](TField& f) { f.SetAsString("hello"); }, "hello", "hello", "hello"},
      {"string cut to its size in bytes", "S", [](TField& f) { f.SetAsString("abcdefghijkl"); }, "abcdefghij",
       "abcdefghij", "abcdefghij"},
      {"double-byte text cut before a character it would split", "S",
       [](TField& f) { f.SetAsString(A(u8"a一二三四五")); }, A(u8"a一二三四"), A(u8"a一二三四"), A(u8"a一二三四")},
      {"double-byte text that fits whole", "S", [](TField& f) { f.SetAsString(A(u8"一二三四五")); },
       A(u8"一二三四五"), A(u8"一二三四五"), A(u8"一二三四五")},
      {"empty text is a value of a string", "S", [](TField& f) { f.SetAsString(""); }, "", "", ""},
      {"fixed-length text reads without trailing blanks", "FX", [](TField& f) { f.SetAsString("ab  "); }, "ab", "ab",
       "ab"},
      {"small integer from text with blanks", "SI", [](TField& f) { f.SetAsString("  12"); }, "12", "12", "12"},
      {"integer from a float rounds", "I", [](TField& f) { f.SetAsFloat(2.5); }, "2", "2", "2"},
      {"integer from a variant text", "I", [](TField& f) { f.SetAsVariant("41"); }, "41", "41", "41"},
      {"word at its top", "W", [](TField& f) { f.SetAsInteger(65535); }, "65535", "65535", "65535"},
      {"large integer beyond a double's digits", "L", [](TField& f) { f.SetAsLargeInt(9007199254740993LL); },
       "9007199254740993", "9007199254740993", "9007199254740993"},
      {"float", "F", [](TField& f) { f.SetAsFloat(2.5); }, "2.5", "2.5", "2.5"},
      {"currency shows money", "C", [](TField& f) { f.SetAsFloat(1234.5); }, "1234.5", "1,234.50", "1234.50"},
      {"BCD keeps its decimals", "B", [](TField& f) { f.SetAsString("12.345"); }, "12.35", "12.35", "12.35"},
      {"boolean from the beginning of its text", "BO", [](TField& f) { f.SetAsString("t"); }, "True", "True", "True"},
      {"boolean false", "BO", [](TField& f) { f.SetAsBoolean(false); }, "False", "False", "False"},
      {"date keeps the day only", "D", [](TField& f) { f.SetAsDateTime(EncodeDate(2024, 3, 5) + 0.5); }, "2024/03/05",
       "2024/03/05", "2024/03/05"},
      {"time from text", "T", [](TField& f) { f.SetAsString("13:45"); }, "13:45:00", "13:45:00", "13:45:00"},
      {"date and time from text", "DT", [](TField& f) { f.SetAsString("2024/03/05 13:45:10"); }, "2024/03/05 13:45:10",
       "2024/03/05 13:45:10", "2024/03/05 13:45:10"},
      {"memo is never cut", "M", [](TField& f) { f.SetAsString(AnsiString(300, 'x')); }, AnsiString(300, 'x'), "(MEMO)",
       AnsiString(300, 'x')},
      {"blob", "BL", [](TField& f) { static_cast<TBlobField&>(f).SetBytes(std::string("\x01\x00\x02", 3)); },
       AnsiString("\x01\x00\x02", 3), "(BLOB)", "(BLOB)"},
      {"cleared number", "I", [](TField& f) {
         f.SetAsInteger(5);
         f.Clear();
       }, "", "", ""},
      {"empty text clears a number", "F", [](TField& f) {
         f.SetAsFloat(5);
         f.SetAsString("");
       }, "", "", ""},
      {"null memo", "M", [](TField& f) { f.Clear(); }, "", "(Memo)", ""},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(c.name);
    TField& f = F(c.field);
    c.write(f);
    EXPECT_EQ(f.AsString(), c.asString);
    EXPECT_EQ(f.DisplayText(), c.displayText);
    EXPECT_EQ(f.Text(), c.text);
  }
}

TEST_F(Fields, TypedReadsAndNulls) {
  F("B").SetAsString("12.345");
  EXPECT_EQ(F("B").AsCurrency().scaled, 123500);
  EXPECT_EQ(F("B").AsInteger(), 12);
  F("D").SetAsString("2024/02/29");
  EXPECT_EQ(F("D").AsDateTime(), EncodeDate(2024, 2, 29));
  F("DT").SetAsString("2024/03/05 13:45:10");
  EXPECT_DOUBLE_EQ(F("DT").AsDateTime(), EncodeDate(2024, 3, 5) + EncodeTime(13, 45, 10, 0));
  F("S").SetAsString("42");
  EXPECT_EQ(F("S").AsInteger(), 42);
  EXPECT_EQ(F("S").AsFloat(), 42.0);
  F("S").SetAsString("Yes");
  EXPECT_TRUE(F("S").AsBoolean());
  F("I").SetAsInteger(7);
  EXPECT_EQ(F("I").AsVariant(), Variant(7));
  EXPECT_EQ(VarType(F("SI").AsVariant()), varNull);
  EXPECT_TRUE(F("SI").IsNull());
  EXPECT_EQ(F("SI").AsInteger(), 0);
  EXPECT_FALSE(F("BO").AsBoolean());
  F("SI").SetAsInteger(3);
  EXPECT_EQ(VarType(F("SI").AsVariant()), varSmallint);
  EXPECT_EQ(VarType(F("W").Value()), varNull);
}

TEST_F(Fields, FormatsShapeDisplayAndEditText) {
  auto& i = static_cast<TIntegerField&>(F("I"));
  i.SetDisplayFormat("#,##0");
  i.SetEditFormat("0");
  i.SetAsInteger(1234567);
  EXPECT_EQ(i.DisplayText(), "1,234,567");
  EXPECT_EQ(i.Text(), "1234567");
  auto& f = static_cast<TFloatField&>(F("F"));
  f.SetDisplayFormat("0.00");
  f.SetAsFloat(2.5);
  EXPECT_EQ(f.DisplayText(), "2.50");
  EXPECT_EQ(f.Text(), "2.50");  // no edit format: the display format
  auto& bo = static_cast<TBooleanField&>(F("BO"));
  bo.SetDisplayValues("Y;N");
  bo.SetAsString("n");
  EXPECT_EQ(bo.DisplayText(), "N");
  EXPECT_FALSE(bo.AsBoolean());
  auto& d = static_cast<TDateTimeField&>(F("D"));
  d.SetDisplayFormat("yyyy-mm-dd");
  d.SetAsDateTime(EncodeDate(2024, 3, 5));
  EXPECT_EQ(d.DisplayText(), "2024-03-05");
  EXPECT_EQ(d.Text(), "2024/03/05");
}

struct ErrorCase {
  const char* name;
  std::function<void(Fields&)> write;
  std::string message;
};

TEST_F(Fields, BadValuesRaiseTheClassLibrarysErrorsAndChangeNothing) {
  F("I").SetAsInteger(1);
  F("SI").SetAsInteger(1);
  const std::vector<ErrorCase> cases = {
      {"text that is no integer", [](Fields& t) { t.F("I").SetAsString("12a"); },
       "'12a' is not a valid integer value for field 'I'"},
      {"small integer out of range", [](Fields& t) { t.F("SI").SetAsInteger(70000); },
       "70000 is not a valid value for field 'SI'. The allowed range is -32768 to 32767"},
      {"word below zero", [](Fields& t) { t.F("W").SetAsInteger(-1); },
       "-1 is not a valid value for field 'W'. The allowed range is 0 to 65535"},
      {"integer too large for its type", [](Fields& t) { t.F("I").SetAsFloat(1e12); },
       "1000000000000 is not a valid value for field 'I'. The allowed range is -2147483648 to 2147483647"},
      {"text that is no float", [](Fields& t) { t.F("F").SetAsString("1,5"); },
       "'1,5' is not a valid floating point value for field 'F'"},
      {"text that is no boolean", [](Fields& t) { t.F("BO").SetAsString("maybe"); },
       "'maybe' is not a valid boolean value for field 'BO'"},
      {"text that is no date", [](Fields& t) { t.F("D").SetAsString("2024/13/01"); }, "'2024/13/01' is not a valid date"},
      {"text that is no time", [](Fields& t) { t.F("T").SetAsString("25:00"); }, "'25:00' is not a valid time"},
      {"the display label names the field", [](Fields& t) {
         t.F("I").SetDisplayLabel("Quantity");
         t.F("I").SetAsString("x");
       }, "'x' is not a valid integer value for field 'Quantity'"},
      {"an object is no number", [](Fields& t) { t.F("I").SetAsVariant(VarArrayOf({1, 2})); },
       "Could not convert variant of type (Array Variant) into type (Int64)"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ErrorOf([&] { c.write(*this); }), c.message);
  }
  EXPECT_EQ(F("I").AsInteger(), 1);
  EXPECT_EQ(F("SI").AsInteger(), 1);
}

TEST_F(Fields, ReadOnlyFieldsRefuseEveryWrite) {
  F("S").SetAsString("kept");
  F("S").SetReadOnly(true);
  const std::vector<std::pair<const char*, std::function<void()>>> writes = {
      {"text", [&] { F("S").SetAsString("x"); }},
      {"edit text", [&] { F("S").SetText("x"); }},
      {"value", [&] { F("S").SetAsVariant("x"); }},
      {"clear", [&] { F("S").Clear(); }},
  };
  for (const auto& [name, write] : writes) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ErrorOf(write), "Field 'S' cannot be modified");
  }
  F("S").SetDisplayLabel("Name");
  EXPECT_EQ(ErrorOf([&] { F("S").SetAsString("x"); }), "Field 'Name' cannot be modified");
  EXPECT_EQ(F("S").AsString(), "kept");
  EXPECT_FALSE(F("S").CanModify());
  EXPECT_TRUE(F("I").CanModify());
}

TEST_F(Fields, AValidateHandlerThatRaisesRefusesTheAssignment) {
  F("I").SetAsInteger(10);
  EXPECT_EQ(VarType(F("I").OldValue()), varNull);
  cds.Post();
  cds.MergeChangeLog();
  cds.Edit();
  std::vector<std::string> seen;
  testing::FieldAction validate{[&](TField* f) {
    seen.push_back(std::string(f->AsString().c_str()) + " was " + std::string(VarToStr(f->OldValue()).c_str()));
    if (f->AsInteger() < 0) throw EDatabaseError("negative");
  }};
  F("I").OnValidate = validate.Bind();
  EXPECT_EQ(ErrorOf([&] { F("I").SetAsInteger(-5); }), "negative");
  EXPECT_EQ(F("I").AsInteger(), 10);
  F("I").SetAsInteger(20);
  EXPECT_EQ(F("I").AsInteger(), 20);
  // The handler saw each new value while the field still had its old one.
  EXPECT_EQ(seen, (std::vector<std::string>{"-5 was 10", "20 was 10"}));
}

TEST_F(Fields, TextEventsReplaceTheFieldsOwnTexts) {
  struct Texts {
    static void Get(void*, TField* f, AnsiString& text, bool display) {
      text = display ? "[" + f->AsString() + "]" : f->AsString() + "!";
    }
    static void Set(void*, TField* f, const AnsiString& text) { f->SetAsString(StringReplaceAll(text, "-", "")); }
  };
  TField& s = F("S");
  s.OnGetText = TFieldGetTextEvent::FromFunction(&Texts::Get, nullptr);
  s.OnSetText = TFieldSetTextEvent::FromFunction(&Texts::Set, nullptr);
  s.SetText("ab-cd");
  EXPECT_EQ(s.AsString(), "abcd");
  EXPECT_EQ(s.DisplayText(), "[abcd]");
  EXPECT_EQ(s.Text(), "abcd!");
  s.SetAsString("x-y");  // a plain assignment does not go through OnSetText
  EXPECT_EQ(s.AsString(), "x-y");
}

TEST_F(Fields, MovingTheIndexMovesTheFieldInTheList) {
  TField& m = F("M");
  m.SetIndex(0);
  EXPECT_EQ(cds.Fields(0), &m);
  EXPECT_EQ(F("S").Index(), 1);
  m.SetIndex(100);
  EXPECT_EQ(cds.Fields(cds.FieldCount() - 1), &m);
  EXPECT_EQ(m.FieldNo(), 14);  // its column does not change
}

TEST(FieldMetadata, ColumnFlagsReachDefaultFields) {
  TLocalProvider provider;
  provider.AddProvider("p", {Meta("K", ftString, 4, mfKey | mfRequired), Meta("R", ftInteger, 0, mfReadOnly),
                             Meta("H", ftString, 2, mfHidden)},
                       {Row({"a", 1, "x"})});
  TClientDataSet cds(nullptr);
  cds.SetRemoteServer(&provider);
  cds.SetProviderName("p");
  cds.Open();
  EXPECT_TRUE(cds.FieldByName("K").Required());
  EXPECT_EQ(cds.FieldByName("K").Size(), 4);
  EXPECT_TRUE(cds.FieldByName("R").ReadOnly());
  EXPECT_FALSE(cds.FieldByName("H").Visible());
  cds.Edit();
  EXPECT_EQ(ErrorOf([&] { cds.FieldByName("R").SetAsInteger(2); }), "Field 'R' cannot be modified");
}

class PersistentFields : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.AddProvider("p", {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10), Meta("QTY", ftInteger)},
                         {Row({1, "one", 2}), Row({2, "two", 3})});
    cds.SetName("cdsMain");
    cds.SetRemoteServer(&provider);
    cds.SetProviderName("p");
  }
  TComponent module{nullptr};
  TLocalProvider provider{&module};
  TClientDataSet cds{&module};
};

TEST_F(PersistentFields, OnlyThePersistentFieldsExist) {
  auto* name = new TStringField(&module);
  name->SetName("cdsMainNAME");
  name->SetFieldName("NAME");
  name->SetDataSet(&cds);
  cds.Open();
  EXPECT_EQ(cds.FieldCount(), 1);
  EXPECT_EQ(cds.FindField("ID"), nullptr);
  EXPECT_EQ(name->AsString(), "one");
  EXPECT_FALSE(cds.DefaultFields());
  EXPECT_EQ(module.FindComponent("cdsMainNAME"), name);
}

TEST_F(PersistentFields, PersistentFieldsMadeAfterAnOpeningReplaceTheDefaultOnes) {
  cds.Open();
  EXPECT_EQ(cds.FieldCount(), 3);
  TField* defaultName = &cds.FieldByName("NAME");
  EXPECT_EQ(defaultName->Owner(), &cds);
  cds.Close();
  auto* qty = new TIntegerField(&module);
  qty->SetFieldName("QTY");
  qty->SetDataSet(&cds);
  cds.Open();
  EXPECT_EQ(cds.FieldCount(), 1);
  EXPECT_EQ(cds.Fields(0), qty);
  EXPECT_EQ(qty->AsInteger(), 2);
}

TEST_F(PersistentFields, AFieldTheMetadataLacksOrOfAnotherTypeRefusesTheOpening) {
  auto* missing = new TStringField(&module);
  missing->SetFieldName("NOPE");
  missing->SetDataSet(&cds);
  EXPECT_EQ(ErrorOf([&] { cds.Open(); }), "cdsMain: Field 'NOPE' not found");
  EXPECT_FALSE(cds.Active());
  delete missing;
  auto* wrong = new TStringField(&module);
  wrong->SetFieldName("QTY");
  wrong->SetDataSet(&cds);
  EXPECT_EQ(ErrorOf([&] { cds.Open(); }), "cdsMain: Type mismatch for field 'QTY', expecting: String actual: Integer");
}

TEST_F(PersistentFields, AnInternallyCalculatedFieldMadeBeforeOpeningComesFirstAndStaysOne) {
  std::vector<TBookmark> selected;
  testing::DataSetAction calc{[&](TDataSet* d) {
    bool on = std::find(selected.begin(), selected.end(), d->Bookmark()) != selected.end();
    d->FieldByName("MultiSelected").SetAsString(on ? "Y" : "N");
  }};
  cds.OnCalcFields = calc.Bind();
  for (int opening = 0; opening < 3; ++opening) {
    if (!cds.FindField("MultiSelected")) {
      auto* f = new TStringField(&module);
      f->SetFieldName("MultiSelected");
      f->SetSize(1);
      f->SetFieldKind(TFieldKind::fkInternalCalc);
      f->SetReadOnly(true);
      f->SetDisplayLabel("Selected");
      f->SetDataSet(&cds);
      f->SetIndex(0);
    }
    cds.Open();
    EXPECT_EQ(cds.FieldCount(), 4);
    EXPECT_EQ(cds.Fields(0)->FieldName(), "MultiSelected");
    EXPECT_EQ(cds.Fields(1)->FieldName(), "ID");
    cds.Close();
  }
  cds.Open();
  cds.Next();
  selected.push_back(cds.Bookmark());
  TRowWindow rows(cds);
  TField& multi = cds.FieldByName("MultiSelected");
  EXPECT_EQ(rows.DisplayText(0, multi), "N");
  EXPECT_EQ(rows.DisplayText(1, multi), "Y");
  // Read-only: nobody else writes it.
  cds.Edit();
  EXPECT_EQ(ErrorOf([&] { multi.SetAsString("Y"); }), "Field 'Selected' cannot be modified");
}

TEST_F(PersistentFields, CalculatedFieldsFollowTheRecordAndCannotBeWritten) {
  auto* total = new TIntegerField(&module);
  total->SetFieldName("TOTAL");
  total->SetFieldKind(TFieldKind::fkCalculated);
  total->SetDataSet(&cds);
  int calls = 0;
  testing::DataSetAction calc{[&](TDataSet* d) {
    ++calls;
    EXPECT_EQ(d->State(), TDataSetState::dsCalcFields);
    d->FieldByName("TOTAL").SetAsInteger(d->FieldByName("ID").AsInteger() * 100 + d->FieldByName("QTY").AsInteger());
  }};
  cds.OnCalcFields = calc.Bind();
  cds.Open();  // no persistent data field: the columns get default fields
  EXPECT_EQ(cds.FieldCount(), 4);
  EXPECT_EQ(total->AsInteger(), 102);
  cds.Next();
  EXPECT_EQ(total->AsInteger(), 203);
  cds.Edit();
  cds.FieldByName("QTY").SetAsInteger(9);
  EXPECT_EQ(total->AsInteger(), 209);
  EXPECT_EQ(ErrorOf([&] { total->SetAsInteger(1); }), "Field 'TOTAL' cannot be modified");
  EXPECT_GT(calls, 3);
  testing::DataSetAction writesData{[](TDataSet* d) { d->FieldByName("QTY").SetAsInteger(1); }};
  cds.OnCalcFields = writesData.Bind();
  EXPECT_EQ(ErrorOf([&] { cds.Cancel(); }), "cdsMain: Dataset not in edit or insert mode");
  cds.OnCalcFields = nullptr;
}

struct MaskCase {
  const char* mask;
  const char* templateText;
  std::vector<std::pair<const char*, bool>> fits;  // masked text, fits
};

TEST(EditMask, TemplateBlankAndFit) {
  const std::vector<MaskCase> cases = {
      {"99:99;1; ", "  :  ", {{"12:30", true}, {"  :  ", true}, {"1 :3 ", true}, {"ab:cd", false}, {"12:301", false}}},
      {"9999/99/99;1; ", "    /  /  ", {{"2024/03/05", true}, {"2024-03-05", false}}},
      {"0000;1;_", "____", {{"1234", true}, {"12_4", false}, {"123", false}}},
      {"LL-00;0;*", "**-**", {{"AB-12", true}, {"A1-12", false}}},
      {">lll;1;_", "___", {{"abc", true}, {"a1c", false}}},
  };
  for (const MaskCase& c : cases) {
    SCOPED_TRACE(c.mask);
    TEditMask mask(c.mask);
    EXPECT_EQ(mask.Template(), c.templateText);
    EXPECT_TRUE(mask.IsBlank(mask.Template()));
    for (const auto& [text, fits] : c.fits) {
      SCOPED_TRACE(text);
      EXPECT_EQ(mask.Fits(text), fits);
    }
  }
  TEditMask date("9999/99/99;1; ");
  EXPECT_FALSE(date.IsBlank("2024/  /  "));
  EXPECT_EQ(date.Apply("20240305"), "2024/03/05");
  EXPECT_EQ(date.StripLiterals("2024/03/05"), "20240305");
  EXPECT_EQ(TEditMask(">lll").Apply("abc"), "ABC");
  EXPECT_FALSE(TEditMask("99:99;0;_").SaveLiterals());
}

TEST_F(Fields, ValidateWithMaskRefusesATextThatDoesNotFit) {
  F("S").SetEditMask("99:99;1; ");
  F("S").SetText("ab:cd");
  EXPECT_EQ(F("S").AsString(), "ab:cd");  // the option is off
  cds.SetValidateWithMask(true);
  EXPECT_EQ(ErrorOf([&] { F("S").SetText("ab:cd"); }), "Invalid input value 'ab:cd' for field 'S'");
  F("S").SetText("  :  ");  // blank always fits
  EXPECT_EQ(F("S").AsString(), "  :  ");
  F("S").SetText("09:15");
  EXPECT_EQ(F("S").AsString(), "09:15");
}

}  // namespace
}  // namespace platform
