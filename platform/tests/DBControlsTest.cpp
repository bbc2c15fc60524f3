// Data sources and the data-aware controls over a client data set filled
// from the local provider.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DataTestSupport.h"
#include "platform/Exceptions.h"
#include "platform/data/DataSource.h"
#include "platform/ui/Application.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/Render.h"

namespace platform::dbcontrolstest {
namespace {

using namespace platform::testing;

using SetTextAction = Action<TFieldSetTextEvent, TField*, const AnsiString&>;
using GetTextAction = Action<TFieldGetTextEvent, TField*, AnsiString&, bool>;

std::string Str(const AnsiString& s) { return s.c_str(); }

// A data set of three rows on a data source, and a shown form with a data
// edit on NAME and a plain edit to move the focus to. NAME displays as
// "<name>" and edits as "name"; OnSetText stores the text in upper case.
class DBControls : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.AddProvider("pvdFlat", {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10), Meta("OK", ftString, 5)},
                         {Row({1, "one", "yes"}), Row({2, "two", "no"}), Row({3, "three", Variant()})});
    cds.SetRemoteServer(&provider);
    cds.SetProviderName("pvdFlat");
    cds.Open();
    Name().OnGetText = getText.Bind();
    Name().OnSetText = setText.Bind();
    source.SetDataSet(&cds);
    form = CreateForm<TForm>(&owner);
    edit = new TDBEdit(form);
    edit->SetParent(form);
    other = new TEdit(form);
    other->SetParent(form);
    edit->SetDataSource(&source);
    edit->SetDataField("NAME");
    form->Show();
    other->SetFocus();
  }
  void TearDown() override { Application().Reset(); }

  TField& Name() { return cds.FieldByName("NAME"); }
  void Type(const char* text) {
    for (const char* p = text; *p; ++p) {
      char key = *p;
      edit->KeyPress(key);
    }
  }

  TComponent owner{nullptr};
  TLocalProvider provider{&owner};
  TClientDataSet cds{&owner};
  TDataSource source{&owner};
  TForm* form = nullptr;
  TDBEdit* edit = nullptr;
  TEdit* other = nullptr;
  std::vector<std::string> setTexts;
  GetTextAction getText{[](TField* f, AnsiString& text, bool display) {
    text = display ? "<" + f->AsString() + ">" : f->AsString();
  }};
  SetTextAction setText{[this](TField* f, const AnsiString& text) {
    setTexts.push_back(Str(text));
    f->SetAsString(UpperCase(text));
  }};
};

// Records the data source's events as "state dsEdit" and "data" / "data NAME".
struct SourceLog {
  std::vector<std::string> entries;
  void State(TObject* sender) {
    entries.push_back("state " + Str(DataSetStateName(static_cast<TDataSource*>(sender)->State())));
  }
  void Data(TObject*, TField* field) { entries.push_back(field ? "data " + Str(field->FieldName()) : "data"); }
  void Hook(TDataSource& source) {
    source.OnStateChange = TNotifyEvent::Bind<&SourceLog::State>(this);
    source.OnDataChange = TDataChangeEvent::Bind<&SourceLog::Data>(this);
  }
};

TEST_F(DBControls, DataSourceReportsStateAndDataChanges) {
  SourceLog log;
  TDataSource fresh{&owner};
  log.Hook(fresh);
  fresh.SetDataSet(&cds);
  EXPECT_EQ(log.entries, (std::vector<std::string>{"state dsBrowse"}));
  log.entries.clear();
  cds.Next();
  cds.Edit();
  Name().SetAsString("x");
  cds.Post();
  cds.First();
  EXPECT_EQ(log.entries, (std::vector<std::string>{"data", "state dsEdit", "data", "data NAME", "state dsBrowse",
                                                   "data", "data"}));
  log.entries.clear();
  fresh.SetEnabled(false);
  EXPECT_EQ(fresh.State(), TDataSetState::dsInactive);
  cds.Next();
  fresh.SetEnabled(true);
  EXPECT_EQ(log.entries, (std::vector<std::string>{"state dsInactive", "state dsBrowse"}));
}

TEST_F(DBControls, DataSourceForgetsADestroyedDataSet) {
  auto* ds = new TClientDataSet(&owner);
  ds->SetRemoteServer(&provider);
  ds->SetProviderName("pvdFlat");
  ds->Open();
  TDataSource s{&owner};
  s.SetDataSet(ds);
  TDBText label{form};
  label.SetDataSource(&s);
  label.SetDataField("ID");
  EXPECT_EQ(Str(label.Caption()), "1");
  delete ds;
  EXPECT_EQ(s.DataSet(), nullptr);
  EXPECT_EQ(Str(label.Caption()), "");
}

TEST_F(DBControls, EditShowsDisplayTextUnlessFocusedWhileEditing) {
  EXPECT_EQ(Str(edit->Text()), "<one>");
  edit->SetFocus();
  EXPECT_EQ(Str(edit->Text()), "<one>");  // focused, but browsing
  cds.Edit();
  EXPECT_EQ(Str(edit->Text()), "one");
  other->SetFocus();
  EXPECT_EQ(Str(edit->Text()), "<one>");
}

TEST_F(DBControls, TypingFollowsAutoEdit) {
  struct Case {
    const char* name;
    bool autoEdit;
    TDataSetState state;
    const char* text;
  };
  for (const Case& c : {Case{"auto edit", true, TDataSetState::dsEdit, "onex"},
                        Case{"no auto edit", false, TDataSetState::dsBrowse, "<one>"}}) {
    SCOPED_TRACE(c.name);
    cds.Cancel();
    other->SetFocus();
    source.SetAutoEdit(c.autoEdit);
    edit->SetFocus();
    Type("x");
    EXPECT_EQ(cds.State(), c.state);
    EXPECT_EQ(Str(edit->Text()), c.text);
    EXPECT_EQ(edit->EnterText("typed"), c.autoEdit);
  }
}

TEST_F(DBControls, LeavingTheEditWritesThroughOnSetText) {
  edit->SetFocus();
  Type("\bX");
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  EXPECT_EQ(Str(Name().AsString()), "one");  // nothing written while typing
  other->SetFocus();
  EXPECT_EQ(setTexts, (std::vector<std::string>{"onX"}));
  EXPECT_EQ(Str(Name().AsString()), "ONX");
  EXPECT_EQ(Str(edit->Text()), "<ONX>");
  cds.Post();
  EXPECT_EQ(setTexts.size(), 1u);  // already written: Post does not write again
  EXPECT_EQ(Str(Name().AsString()), "ONX");
}

TEST_F(DBControls, PostWritesThePendingText) {
  edit->SetFocus();
  edit->EnterText("new");
  cds.Post();
  EXPECT_EQ(setTexts, (std::vector<std::string>{"new"}));
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Str(Name().AsString()), "NEW");
  EXPECT_EQ(Str(edit->Text()), "<NEW>");
}

// Text a renderer sends for a control is entered the way typing is: the
// data set goes into edit and the text reaches the field on Post; a
// read-only edit refuses it.
TEST_F(DBControls, TextFromTheRendererIsEnteredAsTyping) {
  struct NoRenderer : IRenderer {
    void OnFormShown(const FormSnapshot&) override {}
    void OnChanges(const ChangeSet&) override {}
    void OnFormHidden(std::uint64_t) override {}
    void OnFormClosed(std::uint64_t) override {}
  } renderer;
  TRenderHost host(renderer);
  RenderInput input;
  input.Kind = TRenderInputKind::Text;
  input.TargetId = edit->InstanceId();
  input.Utf8Text = "typed";
  edit->SetFocus();
  ASSERT_TRUE(host.Apply(input));
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  cds.Post();
  EXPECT_EQ(setTexts, (std::vector<std::string>{"typed"}));
  EXPECT_EQ(Str(Name().AsString()), "TYPED");

  edit->SetReadOnly(true);
  input.Utf8Text = "refused";
  host.Apply(input);
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Str(edit->Text()), "<TYPED>");
}

TEST_F(DBControls, RefusedValueKeepsTextAndFocus) {
  struct Case {
    const char* name;
    std::function<void()> refuse;
  };
  const std::vector<Case> cases = {{"abort", [] { Abort(); }},
                                   {"error", [] { throw EConvertError("'bad' is not a valid name"); }}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FieldAction validate{[&](TField* f) {
      if (f->NewValue() == Variant("BAD")) c.refuse();
    }};
    Name().OnValidate = validate.Bind();
    edit->SetFocus();
    edit->EnterText("bad");
    EXPECT_ANY_THROW(other->SetFocus());
    EXPECT_EQ(form->ActiveControl(), edit);
    EXPECT_EQ(Str(edit->Text()), "bad");
    EXPECT_EQ(Str(Name().AsString()), "one");
    EXPECT_ANY_THROW(cds.Post());
    EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
    EXPECT_EQ(Str(edit->Text()), "bad");
    edit->EnterText("good");
    other->SetFocus();
    EXPECT_EQ(Str(Name().AsString()), "GOOD");
    cds.Cancel();
    Name().OnValidate = TFieldNotifyEvent();
  }
}

TEST_F(DBControls, ScrollingAndRelinkingRedraw) {
  cds.Next();
  EXPECT_EQ(Str(edit->Text()), "<two>");
  cds.Last();
  EXPECT_EQ(Str(edit->Text()), "<three>");
  source.SetDataSet(nullptr);
  EXPECT_EQ(Str(edit->Text()), "");
  EXPECT_EQ(edit->Field(), nullptr);
  cds.First();
  source.SetDataSet(&cds);
  EXPECT_EQ(Str(edit->Text()), "<one>");
  edit->SetDataSource(nullptr);
  EXPECT_EQ(Str(edit->Text()), "");
  edit->SetDataSource(&source);
  EXPECT_EQ(Str(edit->Text()), "<one>");
  cds.Close();
  EXPECT_EQ(Str(edit->Text()), "");
  cds.Open();
  EXPECT_EQ(Str(edit->Text()), "<one>");
}

TEST_F(DBControls, DisabledControlsRedrawOnceWhenEnabled) {
  int changes = 0;
  struct Counter {
    int* n;
    void Change(TObject*) { ++*n; }
  } counter{&changes};
  edit->OnChange = TNotifyEvent::Bind<&Counter::Change>(&counter);
  cds.DisableControls();
  cds.Next();
  cds.Next();
  EXPECT_EQ(Str(edit->Text()), "<one>");
  EXPECT_EQ(changes, 0);
  cds.EnableControls();
  EXPECT_EQ(Str(edit->Text()), "<three>");
  EXPECT_EQ(changes, 1);
  edit->OnChange = TNotifyEvent();
}

TEST_F(DBControls, EditIsReadOnlyWhenAskedOrTheFieldIs) {
  // A field's read-only flag is taken when the control redraws.
  auto redraw = [this] {
    cds.Next();
    cds.Prior();
  };
  struct Case {
    const char* name;
    std::function<void()> lock, unlock;
  };
  const std::vector<Case> cases = {
      {"ReadOnly", [this] { edit->SetReadOnly(true); }, [this] { edit->SetReadOnly(false); }},
      {"read-only field", [&] { Name().SetReadOnly(true); redraw(); },
       [&] { Name().SetReadOnly(false); redraw(); }},
  };
  edit->SetFocus();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.lock();
    EXPECT_TRUE(edit->ReadOnly());
    EXPECT_FALSE(edit->EnterText("x"));
    Type("y");
    EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Str(edit->Text()), "<one>");
    c.unlock();
    EXPECT_FALSE(edit->ReadOnly());
  }
  edit->SetDataField("NOSUCH");
  EXPECT_TRUE(edit->ReadOnly());
  EXPECT_EQ(Str(edit->Text()), "");
}

TEST_F(DBControls, TextAndCheckBoxFollowTheirFields) {
  TDBText label{form};
  label.SetDataSource(&source);
  label.SetDataField("NAME");
  TDBCheckBox box{form};
  box.SetParent(form);
  box.SetDataSource(&source);
  box.SetValueChecked("yes");
  box.SetValueUnchecked("no");
  box.SetDataField("OK");
  EXPECT_EQ(Str(label.Caption()), "<one>");
  EXPECT_EQ(box.State(), cbChecked);
  cds.Next();
  EXPECT_EQ(Str(label.Caption()), "<two>");
  EXPECT_EQ(box.State(), cbUnchecked);
  box.Click();
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  EXPECT_EQ(Str(cds.FieldByName("OK").AsString()), "yes");
  EXPECT_EQ(box.State(), cbChecked);
  cds.Post();
  cds.Next();
  EXPECT_EQ(box.State(), cbGrayed);  // null
}

}  // namespace
}  // namespace platform::dbcontrolstest
