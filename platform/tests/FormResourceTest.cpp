// Form resources: the embedded resources of a form class and its
// descendant, the loading state, version guards, and the strict reader's
// errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UiTestComponents.h"
#include "platform/TestSupport.h"
#include "platform/ui/FormResource.h"
#include "platform/ui/LibModule.h"
#include "platform/ui/PropertyAccess.h"

namespace platform::uitest {
namespace {

using testing::A;

// A resource made from a text of the test.
struct TextResource {
  TextResource(const char* name, std::string text) : bytes(std::move(text)) {
    resource = TFormResource{name, "test", reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
  }
  std::string bytes;
  TFormResource resource{};
};

class FormResourceTest : public ::testing::Test {
 protected:
  FormResourceTest() : savedVersion_(ThisModule().FrameworkVersion()) { ThisModule().SetFrameworkVersion("9.0"); }
  ~FormResourceTest() override { ThisModule().SetFrameworkVersion(savedVersion_); }

  static void Load(TComponent& root, const std::string& text) {
    TextResource r("TTestPlainForm", text);
    const TFormResource* chain[] = {&r.resource};
    ReadComponentResources(root, chain, ThisModule());
  }

  template <typename T>
  static T* Find(const TComponent& root, const char* name) {
    T* c = dynamic_cast<T*>(root.FindComponent(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }

 private:
  AnsiString savedVersion_;
};

std::vector<std::string> Names(const TComponent& owner) {
  std::vector<std::string> names;
  for (int i = 0; i < owner.ComponentCount(); ++i) names.push_back(owner.Components(i)->Name().Bytes());
  return names;
}

TEST_F(FormResourceTest, TheClassResourceBuildsTheComponentTree) {
  TTestBaseForm form(nullptr);
  ASSERT_TRUE(InitInheritedComponent(form, TTestForm::StaticClass()));

  EXPECT_EQ(form.Name(), "frmBase");
  EXPECT_EQ(form.Caption(), A(u8"基础窗体"));
  EXPECT_EQ(form.Font()->Charset(), GB2312_CHARSET);
  EXPECT_EQ(form.Font()->Height(), -13);
  EXPECT_EQ(form.Font()->Name(), A(u8"宋体"));
  EXPECT_EQ(Names(form),
            (std::vector<std::string>{"srcMain", "btnOK", "btnCancel", "pnlHead", "edName", "lvMain", "mmoMsg", "cboKind"}));
  for (int i = 0; i < form.ComponentCount(); ++i) EXPECT_EQ(form.Components(i)->Owner(), &form);

  auto* btnOK = Find<TTestControl>(form, "btnOK");
  auto* btnCancel = Find<TTestControl>(form, "btnCancel");
  auto* pnlHead = Find<TTestControl>(form, "pnlHead");
  auto* edName = Find<TTestControl>(form, "edName");
  ASSERT_TRUE(btnOK && btnCancel && pnlHead && edName);
  EXPECT_EQ(btnOK->Caption(), A(u8"确定"));
  EXPECT_EQ(btnOK->Left(), 10);
  EXPECT_EQ(btnOK->Source(), form.FindComponent("srcMain"));
  EXPECT_EQ(btnCancel->Color(), clWindow);
  EXPECT_EQ(btnCancel->Cursor(), crHandPoint);
  EXPECT_EQ(pnlHead->Align(), talTop);
  EXPECT_EQ(edName->Anchors(), (TTestAnchors{takLeft, takTop, takRight}));
  EXPECT_EQ(edName->PasswordChar(), '*');
  EXPECT_EQ(edName->Ratio(), 0.75);
  // Nesting is the parent relation.
  EXPECT_EQ(edName->GetParentComponent(), pnlHead);
  EXPECT_EQ(pnlHead->GetParentComponent(), &form);

  auto* lv = Find<TTestListView>(form, "lvMain");
  ASSERT_TRUE(lv);
  ASSERT_EQ(lv->Columns()->Count(), 2);
  EXPECT_EQ(lv->Columns()->Items(0)->Caption(), A(u8"代码"));
  EXPECT_EQ(lv->Columns()->Items(0)->Width(), 80);
  EXPECT_EQ(lv->Columns()->Items(1)->Caption(), A(u8"名称"));
  EXPECT_EQ(lv->Columns()->Items(1)->Width(), 50);

  auto* mmo = Find<TTestMemo>(form, "mmoMsg");
  ASSERT_TRUE(mmo);
  EXPECT_FALSE(mmo->Visible());
  ASSERT_EQ(mmo->Lines()->Count(), 3);
  EXPECT_EQ((*mmo->Lines())[0], A(u8"第一行"));
  EXPECT_EQ((*mmo->Lines())[1], "second 'line'");
  EXPECT_EQ((*mmo->Lines())[2], "ab\tc");
  EXPECT_EQ(form.FindComponent("cboOld"), nullptr);

  // Handlers are wired by name to the form's methods.
  form.OnShow(&form);
  btnOK->Click();
  btnCancel->Click();
  Word key = 13;
  edName->OnKeyDown(edName, key, TShiftState());
  EXPECT_EQ(key, 0);
  EXPECT_EQ(form.Calls, (std::vector<std::string>{"FormShow(frmBase)", "btnOKClick(btnOK)", "btnCancelClick(btnCancel)",
                                                  "edNameKeyDown(edName)"}));
}

TEST_F(FormResourceTest, ComponentsAreLoadingWhileReadAndLoadedOnceAfterwards) {
  TTestBaseForm form(nullptr);
  InitInheritedComponent(form, TTestForm::StaticClass());
  auto* src = Find<TTestSource>(form, "srcMain");
  ASSERT_TRUE(src);
  // Active was asked for while loading and carried out when loading ended.
  EXPECT_TRUE(src->Active());
  EXPECT_EQ(src->Activations(), 1);
  EXPECT_EQ(src->LoadedCalls(), 1);
  EXPECT_EQ(form.LoadedCalls(), 1);
  for (const char* name : {"btnOK", "btnCancel", "pnlHead", "edName", "mmoMsg"}) {
    auto* c = Find<TTestControl>(form, name);
    ASSERT_TRUE(c);
    EXPECT_GT(c->SetsWhileLoading(), 0) << name;  // its settings were made while it was loading
  }
  for (const char* name : {"btnOK", "btnCancel", "pnlHead", "edName", "lvMain", "mmoMsg", "cboKind"}) {
    SCOPED_TRACE(name);
    auto* c = Find<TTestControl>(form, name);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->LoadedCalls(), 1);
    EXPECT_FALSE(c->ComponentState().Contains(csLoading));
    EXPECT_FALSE(c->ComponentState().Contains(csReading));
  }
  EXPECT_FALSE(form.Loading());
  // Outside loading the same request is carried out at once.
  src->SetActive(false);
  src->SetActive(true);
  EXPECT_EQ(src->Activations(), 2);
}

TEST_F(FormResourceTest, ADescendantStatesOnlyWhatItAddsOrChanges) {
  std::vector<std::string> chain;
  for (const TFormResource* r : ResourceChain(TTestDerivedForm::StaticClass(), TTestForm::StaticClass()))
    chain.push_back(r->Name);
  EXPECT_EQ(chain, (std::vector<std::string>{"TTestBaseForm", "TTestDerivedForm"}));

  TTestDerivedForm form(nullptr);
  ASSERT_TRUE(InitInheritedComponent(form, TTestForm::StaticClass()));
  EXPECT_EQ(form.Name(), "frmDerived");
  EXPECT_EQ(form.Caption(), A(u8"派生窗体"));
  EXPECT_EQ(form.Font()->Name(), A(u8"宋体"));  // the ancestor's setting stays
  EXPECT_EQ(Names(form), (std::vector<std::string>{"srcMain", "btnOK", "btnCancel", "pnlHead", "edName", "lvMain",
                                                   "mmoMsg", "cboKind", "btnHelp"}));

  auto* btnOK = Find<TTestControl>(form, "btnOK");
  auto* edName = Find<TTestControl>(form, "edName");
  auto* btnHelp = Find<TTestControl>(form, "btnHelp");
  auto* lv = Find<TTestListView>(form, "lvMain");
  ASSERT_TRUE(btnOK && edName && btnHelp && lv);
  EXPECT_EQ(btnOK->Left(), 200);
  EXPECT_EQ(btnOK->Top(), 200);
  EXPECT_EQ(btnOK->Caption(), A(u8"确定"));
  EXPECT_EQ(edName->Caption(), "x");
  EXPECT_EQ(edName->GetParentComponent(), form.FindComponent("pnlHead"));
  EXPECT_EQ(btnHelp->GetParentComponent(), &form);
  ASSERT_EQ(lv->Columns()->Count(), 1);  // a collection is restated whole
  EXPECT_EQ(lv->Columns()->Items(0)->Caption(), A(u8"只有一列"));

  btnHelp->Click();
  btnOK->Click();
  EXPECT_EQ(form.Calls, (std::vector<std::string>{"btnHelpClick(btnHelp)", "btnOKClick(btnOK)"}));
  // Read by two resources, loaded once.
  EXPECT_EQ(btnOK->LoadedCalls(), 1);
  EXPECT_EQ(form.LoadedCalls(), 1);
}

TEST_F(FormResourceTest, ASecondFormOfTheSameOwnerGetsAName) {
  TTestForm owner(nullptr);
  auto* first = new TTestBaseForm(&owner);
  auto* second = new TTestBaseForm(&owner);
  InitInheritedComponent(*first, TTestForm::StaticClass());
  InitInheritedComponent(*second, TTestForm::StaticClass());
  EXPECT_EQ(first->Name(), "frmBase");
  EXPECT_EQ(second->Name(), "frmBase_1");
  EXPECT_FALSE(InitInheritedComponent(owner, TTestForm::StaticClass()));  // no resource of its own
}

TEST_F(FormResourceTest, VersionGuardsChooseTheBranchOfTheFrameworkVersion) {
  struct Case {
    const char* version;
    const char* condition;
    bool taken;
  };
  const Case cases[] = {
      {"9.0", ">= 9.0", true},     {"9", ">= 9.0", true},         {"10.1", ">= 9.0", true},
      {"5.0.28", ">= 9.0", false}, {"5.0.28", "< 9", true},      {"5.0.28", "= 5.0.28", true},
      {"5.0.28", "<> 5.0.28", false}, {"5.0.3", "> 5.0.28", false}, {"9.0", "<= 9.0.0", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.version) + " " + c.condition);
    ThisModule().SetFrameworkVersion(c.version);
    TTestPlainForm form(nullptr);
    Load(form, std::string("object frmPlain: TTestPlainForm\n#if version ") + c.condition +
                   "\n  Caption = 'taken'\n#else\n  Caption = 'other'\n#endif\nend\n");
    EXPECT_EQ(form.Caption(), c.taken ? "taken" : "other");
  }
  ThisModule().SetFrameworkVersion("5.0.28");
  TTestBaseForm old(nullptr);
  InitInheritedComponent(old, TTestForm::StaticClass());
  EXPECT_NE(old.FindComponent("cboOld"), nullptr);
  EXPECT_EQ(old.FindComponent("cboKind"), nullptr);
}

TEST_F(FormResourceTest, ReferencesMayNameComponentsDeclaredLater) {
  TTestPlainForm form(nullptr);
  Load(form,
       "object frmPlain: TTestPlainForm\n"
       "  object btnFirst: TTestControl\n"
       "    Source = srcLater\n"
       "  end\n"
       "  object srcLater: TTestSource\n"
       "  end\n"
       "end\n");
  auto* btn = Find<TTestControl>(form, "btnFirst");
  ASSERT_TRUE(btn);
  EXPECT_EQ(btn->Source(), form.FindComponent("srcLater"));
}

TEST_F(FormResourceTest, TheReaderRefusesWhatItDoesNotKnow) {
  struct Case {
    const char* name;
    std::string body;  // inside "object frmPlain: TTestPlainForm" ... "end", from line 2
    int line;
    const char* reason;
  };
  const Case cases[] = {
      {"unknown class", "  object x: TBogus\n  end\n", 2, "unknown class"},
      {"class that is no component", "  object f: TFont\n  end\n", 2, "cannot be created"},
      {"unknown property", "  Captoin = 'x'\n", 2, "unknown property 'Captoin'"},
      {"unknown sub-object property", "  Font.Weight = 1\n", 2, "unknown property 'Weight'"},
      {"path through a value", "  Caption.Name = 'x'\n", 2, "not a sub-object"},
      {"unknown enumeration identifier", "  object b: TTestControl\n    Align = talMiddle\n  end\n", 3,
       "unknown identifier 'talMiddle'"},
      {"enumeration given a number", "  object b: TTestControl\n    Align = 1\n  end\n", 3, "takes an identifier"},
      {"unknown colour identifier", "  Color = clBogus\n", 2, "unknown identifier 'clBogus'"},
      {"unknown set element", "  object b: TTestControl\n    Anchors = [takLeft, takUp]\n  end\n", 3,
       "unknown identifier 'takUp'"},
      {"integer out of range", "  object b: TTestControl\n    Cursor = 40000\n  end\n", 3, "out of the range"},
      {"string for an integer", "  object b: TTestControl\n    Left = 'ten'\n  end\n", 3, "takes a number"},
      {"identifier for a string", "  Caption = Title\n", 2, "takes a string"},
      {"two characters for a character", "  object b: TTestControl\n    PasswordChar = '**'\n  end\n", 3,
       "one character"},
      {"read-only property", "  object b: TTestControl\n    Handle = 1\n  end\n", 3, "read-only"},
      {"unknown handler", "  OnShow = FormHide\n", 2, "unknown handler 'FormHide'"},
      {"handler of other parameters", "  OnShow = edNameKeyDown\n", 2, "does not fit OnShow"},
      {"unknown component reference", "  object b: TTestControl\n    Source = srcNone\n  end\n", 3,
       "unknown component 'srcNone'"},
      {"reference of another class", "  object b: TTestControl\n    Source = b\n  end\n", 3, "takes a TTestSource"},
      {"lines for a collection", "  object lv: TTestListView\n    Columns = ('a')\n  end\n", 3, "takes items"},
      {"property set twice", "  Caption = 'a'\n  Caption = 'b'\n", 3, "set twice"},
      {"component declared twice", "  object b: TTestControl\n  end\n  object b: TTestControl\n  end\n", 4,
       "already exists"},
      {"inherited component missing", "  inherited btnNone: TTestControl\n  end\n", 2, "not in the ancestor"},
      {"text code page 936 lacks", "  Caption = '\xF0\x9F\x98\x80'\n", 2, "code page 936"},
      {"bytes that are not UTF-8", "  Caption = '\xB5\xA5'\n", 2, "not UTF-8"},
      {"string not closed", "  Caption = 'open\n", 2, "not closed"},
      {"non-ASCII outside quotes", "  Caption = \xE4\xB8\xAD\n", 2, "ASCII"},
      {"#if without #endif", "#if version >= 9\n  Caption = 'a'\n", 2, "#if without #endif"},
      {"#endif without #if", "#endif\n", 2, "#endif without #if"},
      {"malformed guard", "#if release >= 9\n#endif\n", 2, "version guard"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestPlainForm form(nullptr);
    try {
      Load(form, "object frmPlain: TTestPlainForm\n" + c.body + "end\n");
      ADD_FAILURE() << "no error";
    } catch (const EResourceError& e) {
      EXPECT_EQ(e.ResourceName(), "TTestPlainForm");
      EXPECT_EQ(e.Line(), c.line) << e.Message();
      EXPECT_NE(e.Reason().Bytes().find(c.reason), std::string::npos) << e.Message();
      EXPECT_NE(e.Message().Bytes().find("line " + std::to_string(c.line)), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(form.Loading());
    for (int i = 0; i < form.ComponentCount(); ++i) EXPECT_FALSE(form.Components(i)->Loading());
  }
}

TEST_F(FormResourceTest, TheResourceMustDescribeItsClass) {
  struct Case {
    const char* name;
    const char* text;
    int line;
    const char* reason;
  };
  const Case cases[] = {
      {"another class", "object frmPlain: TTestBaseForm\nend\n", 1, "describes class TTestBaseForm"},
      {"first resource inherited", "inherited frmPlain: TTestPlainForm\nend\n", 1, "begins with object"},
      {"no end", "object frmPlain: TTestPlainForm\n  Caption = 'a'\n", 1, "has no end"},
      {"text after the end", "object frmPlain: TTestPlainForm\nend\nend\n", 3, "after the end"},
      {"empty", "", 1, "begins with object"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestPlainForm form(nullptr);
    try {
      Load(form, c.text);
      ADD_FAILURE() << "no error";
    } catch (const EResourceError& e) {
      EXPECT_EQ(e.Line(), c.line) << e.Message();
      EXPECT_NE(e.Reason().Bytes().find(c.reason), std::string::npos) << e.Message();
    }
  }
  ThisModule().SetFrameworkVersion("");
  TTestPlainForm form(nullptr);
  EXPECT_THROW(Load(form, "object frmPlain: TTestPlainForm\n#if version >= 9\n#endif\nend\n"), EResourceError);
}

TEST_F(FormResourceTest, ResourcesAreEmbeddedInTheLibraryThatOwnsTheClass) {
  const TFormResource* base = ThisModule().FindResource("ttestbaseform");
  ASSERT_NE(base, nullptr);
  EXPECT_STREQ(base->Name, "TTestBaseForm");
  EXPECT_NE(std::string(base->SourceFile).find("data/ui/TTestBaseForm.form"), std::string::npos);
  EXPECT_EQ(base->Text().substr(0, 24), "object frmBase: TTestBas");
  EXPECT_EQ(PlatformModule().FindResource("TTestBaseForm"), nullptr);
  EXPECT_EQ(ThisModule().Resources().size(), 2u);
  for (const TFormResource* r : ThisModule().Resources()) EXPECT_EQ(ThisModule().FindResource(r->Name), r);
}

TEST(CompareVersionsTest, PartsCompareAsNumbers) {
  bool ok = false;
  EXPECT_EQ(CompareVersions("9.0", "9", &ok), 0);
  EXPECT_TRUE(ok);
  EXPECT_EQ(CompareVersions("5.0.28", "5.0.3"), 1);
  EXPECT_EQ(CompareVersions("5.0.28", "9.0"), -1);
  for (const char* bad : {"", "9.", ".9", "9.x", "-1"}) {
    CompareVersions(bad, "1", &ok);
    EXPECT_FALSE(ok) << bad;
  }
}

}  // namespace
}  // namespace platform::uitest
