// Published properties: the property table, text conversion of every kind
// with identifiers, and paths as the language files write them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UiTestComponents.h"
#include "platform/TestSupport.h"
#include "platform/ui/PropertyAccess.h"

namespace platform::uitest {
namespace {

using testing::A;

AnsiString Get(const TPersistent& object, const char* path) {
  AnsiString text;
  const TPropResult r = GetPropValueByPath(object, path, text);
  EXPECT_TRUE(r) << path << ": " << r;
  return text;
}

TEST(PropertyTest, TablesAreInheritedAndKeepDeclarationOrder) {
  TTestMemo memo(nullptr);
  std::vector<std::string> names;
  for (const TPropInfo* p : memo.ClassType().Properties()) names.push_back(p->Name().Bytes());
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(names[0], "Name");
  EXPECT_EQ(names[1], "Tag");
  EXPECT_EQ(names[2], "Left");
  EXPECT_EQ(names.back(), "Lines");

  EXPECT_TRUE(IsPublishedProp(memo, "left"));
  EXPECT_FALSE(IsPublishedProp(memo, "Items"));
  EXPECT_EQ(&GetPropInfo(memo, "Left")->DeclaringClass(), &TTestControl::StaticClass());
  // Type tests by name, as the language and code-page steps make them.
  EXPECT_EQ(PropTypeInfo(memo, "Font").Name(), "TFont");
  EXPECT_EQ(PropTypeInfo(memo, "Font").ClassType(), &TFont::StaticClass());
  EXPECT_TRUE(PropTypeInfo(memo, "Lines").IsStringList());
  EXPECT_EQ(PropTypeInfo(memo, "Lines").Name(), "TStrings");
  EXPECT_EQ(PropTypeInfo(memo, "Align").Name(), "TTestAlign");
  EXPECT_EQ(PropType(memo, "Visible"), TTypeKind::tkEnumeration);
  EXPECT_EQ(PropTypeInfo(memo, "Visible").Name(), "Boolean");
  EXPECT_TRUE(GetPropInfo(memo, "Source")->IsReference());
  EXPECT_FALSE(GetPropInfo(memo, "Font")->IsReference());
  EXPECT_EQ(PropType(memo, "OnClick"), TTypeKind::tkMethod);
  EXPECT_THROW(PropType(memo, "Nothing"), EPropertyError);

  EXPECT_TRUE(GetPropInfo(memo, "Width")->IsDefault(memo));
  memo.SetWidth(10);
  EXPECT_FALSE(GetPropInfo(memo, "Width")->IsDefault(memo));
  EXPECT_FALSE(GetPropInfo(memo, "Left")->HasDefault());
}

TEST(PropertyTest, TextConvertsByTheKindOfTheProperty) {
  struct Case {
    const char* name;
    const char* path;
    const char* text;
    const char* readBack;
  };
  const Case cases[] = {
      {"integer trimmed", "Left", " 12 ", "12"},
      {"integer hexadecimal", "Left", "$10", "16"},
      {"negative integer", "Top", "-13", "-13"},
      {"colour identifier", "Color", "clRed", "clRed"},
      {"colour identifier in any case", "Color", " CLBTNFACE", "clBtnFace"},
      {"colour number with an identifier", "Color", "255", "clRed"},
      {"system colour in hexadecimal", "Color", "$80000005", "clWindow"},
      {"system colour as a number", "Color", "-2147483634", "clHighlightText"},
      {"colour without identifier", "Color", "15532027", "15532027"},
      {"cursor identifier", "Cursor", "crHourGlass", "crHourGlass"},
      {"cursor number", "Cursor", "-21", "crHandPoint"},
      {"enumeration trimmed", "Align", " talClient ", "talClient"},
      {"enumeration by ordinal", "Align", "1", "talTop"},
      {"boolean in any case", "Visible", "false", "False"},
      {"set in brackets", "Anchors", "[takRight, takBottom]", "[takRight,takBottom]"},
      {"set without brackets", "Anchors", " takTop ", "[takTop]"},
      {"empty set", "Anchors", "[]", "[]"},
      {"empty text is the empty set", "Anchors", "", "[]"},
      {"character", "PasswordChar", "*", "*"},
      {"float", "Ratio", "2.5", "2.5"},
      {"string kept as it is", "Caption", " a b ", " a b "},
      {"charset identifier", "Font.Charset", "GB2312_CHARSET", "GB2312_CHARSET"},
      {"charset number", "Font.Charset", " 136", "CHINESEBIG5_CHARSET"},
      {"font style set", "Font.Style", "[fsBold,fsUnderline]", "[fsBold,fsUnderline]"},
      {"font size", "Font.Size", "9", "9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestControl control(nullptr);
    const TPropResult r = SetPropValueByPath(control, c.path, c.text);
    ASSERT_TRUE(r) << r;
    EXPECT_EQ(Get(control, c.path), c.readBack);
  }
  TTestControl control(nullptr);
  SetPropValue(control, "Color", "clRed");
  EXPECT_EQ(control.Color(), 0x0000FF);
  SetPropValueByPath(control, "Font.Charset", "GB2312_CHARSET");
  EXPECT_EQ(control.Font()->Charset(), 134);
  SetPropValueByPath(control, "Font.Size", "9");
  EXPECT_EQ(control.Font()->Height(), -12);
}

TEST(PropertyTest, ValuesThatDoNotConvertLeaveThePropertyAlone) {
  struct Case {
    const char* name;
    const char* path;
    const char* text;
    TPropStatus status;
  };
  const Case cases[] = {
      {"integer with letters", "Left", "12abc", TPropStatus::psBadValue},
      {"identifier for a plain integer", "Left", "clRed", TPropStatus::psBadValue},
      {"integer beyond 32 bits", "Left", "4294967296", TPropStatus::psBadValue},
      {"unknown colour", "Color", "clBogus", TPropStatus::psBadValue},
      {"cursor out of range", "Cursor", "40000", TPropStatus::psBadValue},
      {"unknown enumeration identifier", "Align", "talMiddle", TPropStatus::psBadValue},
      {"enumeration ordinal out of range", "Align", "9", TPropStatus::psBadValue},
      {"unknown set element", "Anchors", "[takLeft, takNowhere]", TPropStatus::psBadValue},
      {"unclosed set", "Anchors", "[takLeft", TPropStatus::psBadValue},
      {"two characters", "PasswordChar", "ab", TPropStatus::psBadValue},
      {"float that is no number", "Ratio", "x", TPropStatus::psBadValue},
      {"charset out of range", "Font.Charset", "300", TPropStatus::psBadValue},
      {"object from text", "Font", "Arial", TPropStatus::psBadValue},
      {"event from text", "OnClick", "btnOKClick", TPropStatus::psBadValue},
      {"read-only", "Handle", "1", TPropStatus::psReadOnly},
      {"no such property", "Bogus", "1", TPropStatus::psNoProperty},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestControl control(nullptr);
    control.SetAnchors(TTestAnchors{takLeft});
    AnsiString before;
    const bool readable = static_cast<bool>(GetPropValueByPath(control, c.path, before));
    control.TakeChanges();

    const TPropResult quiet = SetPropValueByPath(control, c.path, c.text, true);
    EXPECT_EQ(quiet.Status, c.status) << quiet;
    EXPECT_FALSE(quiet.Message.IsEmpty());
    if (readable) {
      EXPECT_EQ(Get(control, c.path), before);
    }
    EXPECT_TRUE(control.TakeChanges().empty());

    if (c.status == TPropStatus::psBadValue)
      EXPECT_THROW(SetPropValueByPath(control, c.path, c.text), EPropertyConvertError);
    else
      EXPECT_THROW(SetPropValueByPath(control, c.path, c.text), EPropertyError);
  }
}

class PropertyPathTest : public ::testing::Test {
 protected:
  PropertyPathTest() {
    lv = new TTestListView(&form);
    lv->SetName("lvMain");
    lv->SetCaption("list");
    lv->Columns()->Add()->SetCaption("zero");
    lv->Columns()->Add()->SetCaption("one");
    combo = new TTestCombo(&form);
    combo->SetName("cboKind");
    for (const char* s : {"a", "b", "c"}) combo->Items()->Add(s);
    combo->SetItemIndex(1);
    memo = new TTestMemo(&form);
    memo->SetName("mmoMsg");
  }

  TTestForm form{nullptr};
  TTestListView* lv;
  TTestCombo* combo;
  TTestMemo* memo;
};

TEST_F(PropertyPathTest, EveryPathFormSetsItsTarget) {
  EXPECT_TRUE(SetPropValueByPath(*lv, "Font.Name", A(u8"宋体")));
  EXPECT_EQ(lv->Font()->Name(), A(u8"宋体"));

  EXPECT_TRUE(SetPropValueByPath(*lv, "Columns_1.Caption", A(u8"名称")));
  EXPECT_EQ(lv->Columns()->Items(1)->Caption(), A(u8"名称"));
  EXPECT_EQ(lv->Columns()->Items(0)->Caption(), "zero");

  // Line n of a string list; empty lines are added until it exists, and the
  // combo's selection stays.
  EXPECT_TRUE(SetPropValueByPath(*combo, "Items_5", "f"));
  ASSERT_EQ(combo->Items()->Count(), 6);
  EXPECT_EQ((*combo->Items())[2], "c");
  EXPECT_EQ((*combo->Items())[3], "");
  EXPECT_EQ((*combo->Items())[4], "");
  EXPECT_EQ((*combo->Items())[5], "f");
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_TRUE(SetPropValueByPath(*combo, "items_0", "A"));
  EXPECT_EQ((*combo->Items())[0], "A");

  EXPECT_TRUE(SetPropValueByPath(*memo, "Lines_0", A(u8"第一行")));
  ASSERT_EQ(memo->Lines()->Count(), 1);
  EXPECT_EQ((*memo->Lines())[0], A(u8"第一行"));
  EXPECT_EQ(Get(*memo, "Lines_0"), A(u8"第一行"));
}

TEST_F(PropertyPathTest, PathsThatCannotBeFollowedChangeNothing) {
  struct Case {
    const char* name;
    const char* path;
    TPropStatus status;
  };
  const Case cases[] = {
      {"element index out of range", "Columns_2.Caption", TPropStatus::psIndexOutOfRange},
      {"element index far out of range", "Columns_99999999999.Caption", TPropStatus::psIndexOutOfRange},
      {"indexed segment of another name", "Bogus_1.Caption", TPropStatus::psBadPath},
      {"indexed segment without a number", "Columns_.Caption", TPropStatus::psBadPath},
      {"indexed segment with letters", "Columns_x.Caption", TPropStatus::psBadPath},
      {"items that are not an item list", "Font_0.Name", TPropStatus::psBadPath},
      {"middle segment that is no object", "Caption.Name", TPropStatus::psNotAnObject},
      {"reference holding nothing", "Source.Name", TPropStatus::psNotAnObject},
      {"unknown middle segment", "Frame.Caption", TPropStatus::psNoProperty},
      {"unknown last segment", "Font.Weight", TPropStatus::psNoProperty},
      {"line of a property that is no list", "Caption_1", TPropStatus::psNoProperty},
      {"empty segment", "Font..Name", TPropStatus::psBadPath},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CollectChanges(form);
    const TPropResult r = SetPropValueByPath(*lv, c.path, "new", true);
    EXPECT_EQ(r.Status, c.status) << r;
    EXPECT_EQ(lv->Caption(), "list");
    EXPECT_EQ(lv->Columns()->Items(1)->Caption(), "one");
    EXPECT_EQ(lv->Columns()->Count(), 2);
    EXPECT_TRUE(CollectChanges(form).empty());
    EXPECT_THROW(SetPropValueByPath(*lv, c.path, "new"), EPropertyError);
  }
  // A line index a language file could use to exhaust memory is refused.
  const TPropResult far = SetPropValueByPath(*memo, "Lines_99999999", "x", true);
  EXPECT_EQ(far.Status, TPropStatus::psIndexOutOfRange);
  EXPECT_EQ(memo->Lines()->Count(), 0);
}

TEST(PropertyTest, TypedAccessRaisesForUnknownNamesAndOtherKinds) {
  TTestControl control(nullptr);
  SetOrdProp(control, "Align", talClient);
  EXPECT_EQ(control.Align(), talClient);
  EXPECT_EQ(GetEnumProp(control, "Align"), "talClient");
  SetEnumProp(control, "Visible", "False");
  EXPECT_FALSE(control.Visible());
  SetSetProp(control, "Anchors", "[takRight]");
  EXPECT_EQ(GetSetProp(control, "Anchors"), "[takRight]");
  SetStrProp(control, "Caption", "c");
  EXPECT_EQ(GetStrProp(control, "Caption"), "c");
  SetFloatProp(control, "Ratio", 0.5);
  EXPECT_EQ(GetFloatProp(control, "Ratio"), 0.5);

  EXPECT_THROW(SetOrdProp(control, "Align", 7), EPropertyConvertError);
  EXPECT_THROW(SetEnumProp(control, "Align", "talMiddle"), EPropertyConvertError);
  EXPECT_THROW(GetOrdProp(control, "Caption"), EPropertyError);
  EXPECT_THROW(GetStrProp(control, "Nothing"), EPropertyError);
  EXPECT_THROW(SetOrdProp(control, "Handle", 1), EPropertyError);
  EXPECT_EQ(control.Align(), talClient);
}

TEST(PropertyTest, ObjectPropertiesCopyOwnedObjectsAndCheckTheirClass) {
  TTestControl control(nullptr);
  TFont font;
  font.SetName("Tahoma");
  font.SetStyle(TFontStyles{fsBold});
  SetObjectProp(control, "Font", &font);
  font.SetName("Other");  // the control holds a copy
  EXPECT_EQ(control.Font()->Name(), "Tahoma");
  EXPECT_TRUE(control.Font()->Style().Contains(fsBold));
  EXPECT_EQ(GetObjectProp(control, "Font"), control.Font());

  TTestSource source(nullptr);
  SetObjectProp(control, "Source", &source);
  EXPECT_EQ(control.Source(), &source);
  TTestControl notASource(nullptr);
  EXPECT_THROW(SetObjectProp(control, "Source", &notASource), EPropertyConvertError);
  EXPECT_THROW(SetObjectProp(control, "Font", &source), EPropertyConvertError);
  EXPECT_EQ(control.Source(), &source);
  SetObjectProp(control, "Source", nullptr);
  EXPECT_EQ(control.Source(), nullptr);
}

TEST(PropertyTest, ColoursAndFontSizesConvert) {
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToString(RGB(251, 255, 236)), "$00ECFFFB");
  EXPECT_EQ(StringToColor("$00ECFFFB"), 15532027);
  EXPECT_EQ(StringToColor("clWindow"), clWindow);
  EXPECT_EQ(static_cast<std::uint32_t>(clWindow), 0x80000005u);
  EXPECT_THROW(StringToColor("clNothing"), EConvertError);
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(clRed), clRed);

  TFont font;
  font.SetHeight(-13);
  EXPECT_EQ(font.Size(), 10);
  font.SetSize(9);
  EXPECT_EQ(font.Height(), -12);
  TFont copy;
  copy.Assign(font);
  EXPECT_TRUE(copy == font);
  EXPECT_THROW(copy.Assign(TTestColumn(nullptr)), EConvertError);
}


TEST(PropertyTest, CollectionsOwnTheirItemsAndCopyThemByAssign) {
  TTestListView a(nullptr), b(nullptr);
  a.Columns()->Add()->SetCaption("x");
  a.Columns()->Add()->SetCaption("y");
  TTestColumn* z = a.Columns()->Add();
  z->SetCaption("z");
  z->SetIndex(0);
  a.Columns()->Delete(1);
  std::vector<std::string> captions;
  for (int i = 0; i < a.Columns()->Count(); ++i) captions.push_back(a.Columns()->Items(i)->Caption().Bytes());
  EXPECT_EQ(captions, (std::vector<std::string>{"z", "y"}));
  EXPECT_EQ(z->ID(), 2);
  EXPECT_EQ(a.Columns()->Add()->ID(), 3);  // identities are never given twice
  EXPECT_EQ(a.Columns()->FindItemID(2), z);

  b.Columns()->Add()->SetCaption("old");
  b.TakeChanges();
  b.Columns()->Assign(*a.Columns());
  ASSERT_EQ(b.Columns()->Count(), 3);
  EXPECT_EQ(b.Columns()->Items(0)->Caption(), "z");
  z->SetCaption("changed");
  EXPECT_EQ(b.Columns()->Items(0)->Caption(), "z");  // copies, not shared items
  EXPECT_EQ(b.TakeChanges(), (std::vector<AnsiString>{"Columns"}));
  EXPECT_THROW(b.Columns()->Items(3), EListError);
  EXPECT_THROW(b.Columns()->Assign(*a.Font()), EConvertError);
}

}  // namespace
}  // namespace platform::uitest
