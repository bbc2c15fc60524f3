// The data-aware combo box, radio group and memo over a client data set
// filled from the local provider: what they show of the field, and how a
// choice, typing and keys reach the field.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DataTestSupport.h"
#include "platform/Exceptions.h"
#include "platform/data/DataSource.h"
#include "platform/ui/Application.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/Render.h"

namespace platform::dbchoicetest {
namespace {

using namespace platform::testing;

std::string Str(const AnsiString& s) { return s.c_str(); }

using SetTextAction = Action<TFieldSetTextEvent, TField*, const AnsiString&>;

TStringList Lines(std::initializer_list<const char*> lines) {
  TStringList list;
  for (const char* line : lines) list.Add(line);
  return list;
}

// Three rows: KIND 0002 / 0009 / null, NOTE a two-line memo / null / "x";
// a shown form with a combo box on KIND (items mapped First 0001, Second
// 0002, Third 0003), a radio group on KIND, a memo on NOTE and a plain
// edit to move the focus to.
class DBChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.AddProvider("pvdKinds", {Meta("ID", ftInteger, 0, mfKey), Meta("KIND", ftString, 4), Meta("NOTE", ftMemo)},
                         {Row({1, "0002", "first line\r\nsecond line"}), Row({2, "0009", Variant()}),
                          Row({3, Variant(), "x"})});
    cds.SetRemoteServer(&provider);
    cds.SetProviderName("pvdKinds");
    cds.Open();
    source.SetDataSet(&cds);
    form = CreateForm<TForm>(&owner);
    combo = new TDBComboBox(form);
    combo->SetParent(form);
    combo->SetMapList(true);
    combo->SetItems(Lines({"First\t0001", "Second\t0002", "Third\t0003"}));
    combo->SetDataSource(&source);
    combo->SetDataField("KIND");
    radio = new TDBRadioGroup(form);
    radio->SetParent(form);
    radio->SetItems(Lines({"First", "Second", "0009"}));
    radio->SetValues(Lines({"0001", "0002"}));  // the third button stands for its caption
    radio->SetDataSource(&source);
    radio->SetDataField("KIND");
    memo = new TDBMemo(form);
    memo->SetParent(form);
    memo->SetDataSource(&source);
    memo->SetDataField("NOTE");
    other = new TEdit(form);
    other->SetParent(form);
    form->Show();
    other->SetFocus();
  }
  void TearDown() override { Application().Reset(); }

  TField& Kind() { return cds.FieldByName("KIND"); }
  TField& Note() { return cds.FieldByName("NOTE"); }
  void Key(TWinControl& control, Word key) {
    Word k = key;
    control.KeyDown(k, {});
  }
  void Type(TWinControl& control, const char* text) {
    for (const char* p = text; *p; ++p) {
      char key = *p;
      control.KeyPress(key);
    }
  }

  TComponent owner{nullptr};
  TLocalProvider provider{&owner};
  TClientDataSet cds{&owner};
  TDataSource source{&owner};
  TForm* form = nullptr;
  TDBComboBox* combo = nullptr;
  TDBRadioGroup* radio = nullptr;
  TDBMemo* memo = nullptr;
  TEdit* other = nullptr;
};

TEST_F(DBChoice, ComboBoxShowsTheItemThatHoldsTheField) {
  struct Case {
    const char* name;
    bool mapList;
    TComboBoxStyle style;
    TStringList items;
    // ItemIndex and Text on the three rows.
    int index[3];
    const char* text[3];
  };
  const Case cases[] = {
      {"mapped list", true, csDropDownList, Lines({"First\t0001", "Second\t0002"}), {1, -1, -1}, {"Second", "", ""}},
      {"mapped drop-down shows an unknown value", true, csDropDown, Lines({"First\t0001", "Second\t0002"}),
       {1, -1, -1}, {"Second", "0009", ""}},
      {"plain items", false, csDropDown, Lines({"0001", "0002", "0009"}), {1, 2, -1}, {"0002", "0009", ""}},
      {"tabs without MapList are item text", false, csDropDownList, Lines({"Second\t0002"}), {-1, -1, -1},
       {"", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    combo->SetStyle(c.style);
    combo->SetMapList(c.mapList);
    combo->SetItems(c.items);
    cds.First();
    for (int row = 0; row < 3; ++row) {
      SCOPED_TRACE(row + 1);
      EXPECT_EQ(combo->ItemIndex(), c.index[row]);
      EXPECT_EQ(Str(combo->Text()), c.text[row]);
      cds.Next();
    }
  }
}

TEST_F(DBChoice, ComboBoxChoiceWritesTheStoredValueAtOnce) {
  std::vector<std::string> seen;
  struct Watch {
    std::vector<std::string>* seen;
    TField* field;
    void Selected(TObject*) { seen->push_back("select " + Str(field->AsString())); }
  } watch{&seen, &Kind()};
  combo->OnSelect = TNotifyEvent::Bind<&Watch::Selected>(&watch);
  struct Case {
    const char* name;
    bool autoEdit;
    bool taken;
    TDataSetState state;
    const char* value;
    std::vector<std::string> seen;
  };
  const Case cases[] = {
      {"auto edit", true, true, TDataSetState::dsEdit, "0003", {"select 0003"}},
      {"no auto edit", false, false, TDataSetState::dsBrowse, "0002", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cds.Cancel();
    seen.clear();
    source.SetAutoEdit(c.autoEdit);
    EXPECT_EQ(combo->UserSelect(2), c.taken);
    EXPECT_EQ(cds.State(), c.state);
    EXPECT_EQ(Str(Kind().AsString()), c.value);
    EXPECT_EQ(seen, c.seen);  // the handler sees the written value
    EXPECT_EQ(Str(combo->Value()), c.value);
  }
}

TEST_F(DBChoice, RefusedChoiceLeavesBoxAndGroupAsTheyWere) {
  struct Case {
    const char* name;
    std::function<void()> refuse;
    std::function<bool()> choose;
  };
  const std::vector<Case> cases = {
      {"combo box, abort", [] { Abort(); }, [this] { return combo->UserSelect(2); }},
      {"combo box, error", [] { throw EConvertError("'0003' is not allowed here"); },
       [this] { return combo->UserSelect(2); }},
      {"radio group, abort", [] { Abort(); }, [this] { return radio->UserSelect(0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FieldAction validate{[&](TField* f) {
      if (f->NewValue() != Variant("0002")) c.refuse();
    }};
    Kind().OnValidate = validate.Bind();
    EXPECT_ANY_THROW(c.choose());
    EXPECT_EQ(Str(Kind().AsString()), "0002");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(Str(combo->Text()), "Second");
    EXPECT_EQ(radio->ItemIndex(), 1);
    Kind().OnValidate = TFieldNotifyEvent();
    cds.Cancel();
  }
}

TEST_F(DBChoice, TextTypedIntoTheComboBoxIsWrittenOnExitOrPost) {
  combo->SetStyle(csDropDown);
  combo->SetFocus();
  ASSERT_TRUE(combo->UserEnterText("Third"));
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(Str(Kind().AsString()), "0002");  // nothing written while typing
  other->SetFocus();
  EXPECT_EQ(Str(Kind().AsString()), "0003");
  // A text no item shows is stored as typed, at Post.
  combo->SetFocus();
  Type(*combo, "\b\b\b\b\bX9");
  EXPECT_EQ(Str(combo->Text()), "X9");
  EXPECT_EQ(combo->ItemIndex(), -1);
  cds.Post();
  EXPECT_EQ(Str(Kind().AsString()), "X9");
  EXPECT_EQ(Str(combo->Text()), "X9");
  // A list-only box takes no typed text.
  combo->SetStyle(csDropDownList);
  EXPECT_FALSE(combo->UserEnterText("First"));
}

TEST_F(DBChoice, ComboBoxKeys) {
  combo->SetStyle(csDropDownList);
  combo->SetFocus();
  struct Case {
    const char* name;
    std::function<void()> press;
    const char* value;
  };
  const std::vector<Case> cases = {
      {"Down chooses the next item", [this] { Key(*combo, VK_DOWN); }, "0003"},
      {"Down at the last item stays", [this] { Key(*combo, VK_DOWN); }, "0003"},
      {"Up chooses the previous item", [this] { Key(*combo, VK_UP); }, "0002"},
      {"a letter chooses the next item it starts", [this] { Type(*combo, "f"); }, "0001"},
      {"Delete without AllowClearKey keeps the value", [this] { Key(*combo, VK_DELETE); }, "0001"},
      {"Delete with AllowClearKey empties it", [this] { combo->SetAllowClearKey(true); Key(*combo, VK_DELETE); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.press();
    EXPECT_EQ(Str(Kind().AsString()), c.value);
    EXPECT_EQ(Str(combo->Value()), c.value);
  }
}

TEST_F(DBChoice, ReadOnlyBoxOrFieldRefusesInput) {
  struct Case {
    const char* name;
    std::function<void(bool)> lock;
  };
  const std::vector<Case> cases = {
      {"ReadOnly", [this](bool on) { combo->SetReadOnly(on); radio->SetReadOnly(on); memo->SetReadOnly(on); }},
      {"read-only fields", [this](bool on) { Kind().SetReadOnly(on); Note().SetReadOnly(on); cds.Next(); cds.Prior(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.lock(true);
    EXPECT_FALSE(combo->UserSelect(0));
    EXPECT_FALSE(radio->UserSelect(0));
    EXPECT_FALSE(memo->EnterText("new"));
    memo->SetFocus();
    Type(*memo, "y");
    EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Str(Kind().AsString()), "0002");
    EXPECT_EQ(Str(memo->Text()), "first line\r\nsecond line");
    other->SetFocus();
    c.lock(false);
    EXPECT_TRUE(radio->UserSelect(0));
    cds.Cancel();
  }
}

TEST_F(DBChoice, RadioGroupFollowsTheFieldByValue) {
  // Values first, the caption of a button without a value second.
  const int expected[] = {1, 2, -1};
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(row + 1);
    EXPECT_EQ(radio->ItemIndex(), expected[row]);
    cds.Next();
  }
  cds.First();
  ASSERT_TRUE(radio->UserSelect(2));
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  EXPECT_EQ(Str(Kind().AsString()), "0009");
  EXPECT_EQ(Str(radio->Value()), "0009");
  cds.Cancel();
  source.SetAutoEdit(false);
  EXPECT_FALSE(radio->UserSelect(0));
  EXPECT_EQ(radio->ItemIndex(), 1);
  EXPECT_EQ(Str(Kind().AsString()), "0002");
  radio->SetDataField("");
  EXPECT_EQ(radio->ItemIndex(), -1);
}

TEST_F(DBChoice, MemoShowsTheTextAndWritesWhenLeftOrPosted) {
  EXPECT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(Str((*memo->Lines())[1]), "second line");
  std::vector<std::string> setTexts;
  SetTextAction setText{[&](TField* f, const AnsiString& text) {
    setTexts.push_back(Str(text));
    f->SetAsString(text);
  }};
  Note().OnSetText = setText.Bind();
  memo->SetFocus();
  Type(*memo, "\r!");
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  EXPECT_EQ(Str(Note().AsString()), "first line\r\nsecond line");  // nothing written while typing
  other->SetFocus();
  EXPECT_EQ(setTexts, (std::vector<std::string>{"first line\r\nsecond line\r\n!"}));
  EXPECT_EQ(memo->Lines()->Count(), 3);
  memo->SetFocus();
  memo->EnterText("replaced");
  cds.Post();
  EXPECT_EQ(Str(Note().AsString()), "replaced");
  EXPECT_EQ(setTexts.size(), 2u);
  cds.Next();
  EXPECT_EQ(memo->Lines()->Count(), 0);  // null
  source.SetAutoEdit(false);
  Type(*memo, "z");
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(memo->Lines()->Count(), 0);
  Note().OnSetText = TFieldSetTextEvent();
}

TEST_F(DBChoice, NewItemsShowTheFieldsValueAtOnce) {
  // Translated texts: the stored values stay, the shown ones change.
  combo->SetStyle(csDropDownList);
  combo->SetItems(Lines({"Eins\t0001", "Zwei\t0002"}));
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(Str(combo->Text()), "Zwei");
  radio->SetValues(Lines({"0002", "0001"}));
  EXPECT_EQ(radio->ItemIndex(), 0);
  radio->SetItems(Lines({"Zwei", "Eins", "0009"}));
  EXPECT_EQ(radio->ItemIndex(), 0);
  radio->SetValues(Lines({}));  // now each button stands for its caption
  EXPECT_EQ(radio->ItemIndex(), -1);
}

TEST_F(DBChoice, RendererSeesTheShownTextOfAMappedItem) {
  const RenderProperties props = RenderPropertiesOf(*combo);
  EXPECT_EQ(props.at("Text").Utf8, "Second");
  EXPECT_EQ(props.at("ItemIndex").Integer, 1);
  EXPECT_EQ(props.at("MapList").Integer, 1);
  EXPECT_EQ(props.at("DataField").Utf8, "KIND");
  EXPECT_EQ(props.at("DataSource").Integer, static_cast<std::int64_t>(source.InstanceId()));
  EXPECT_EQ(RenderPropertiesOf(*radio).at("Values").Utf8, Str(radio->Values()->Text()));
  EXPECT_EQ(RenderPropertiesOf(*memo).at("DataField").Utf8, "NOTE");
  // A choice marks the shown text for the next change set.
  combo->TakeChanges();
  combo->UserSelect(0);
  const std::vector<AnsiString> changes = combo->TakeChanges();
  EXPECT_NE(std::find(changes.begin(), changes.end(), AnsiString("Text")), changes.end());
}

}  // namespace
}  // namespace platform::dbchoicetest
