// The component model: ownership and creation order, names, free
// notification, the class-name chain, virtual construction and the change
// marks the renderer collects.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UiTestComponents.h"
#include "platform/TestSupport.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/LibModule.h"
#include "platform/ui/PropertyAccess.h"

namespace platform::uitest {
namespace {

// Records its destruction and whether it was already marked destroying.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* owner, const char* name, std::vector<std::string>* log) : TComponent(owner), log_(log) {
    SetName(name);
  }
  ~TProbe() override { log_->push_back(Name().Bytes() + (Destroying() ? "/destroying" : "/alive")); }

 private:
  std::vector<std::string>* log_;
};

std::vector<std::string> Names(const TComponent& owner) {
  std::vector<std::string> names;
  for (int i = 0; i < owner.ComponentCount(); ++i) names.push_back(owner.Components(i)->Name().Bytes());
  return names;
}

std::vector<std::string> Texts(const std::vector<AnsiString>& list) {
  std::vector<std::string> out;
  for (const AnsiString& s : list) out.push_back(s.Bytes());
  return out;
}

TEST(ComponentTest, OwnerListsComponentsInCreationOrderAndFindsThemByName) {
  TTestForm form(nullptr);
  auto* a = new TTestControl(&form);
  a->SetName("btnA");
  auto* b = new TTestMemo(&form);
  b->SetName("mmoB");
  auto* c = new TTestSource(&form);
  c->SetName("srcC");

  EXPECT_EQ(Names(form), (std::vector<std::string>{"btnA", "mmoB", "srcC"}));
  EXPECT_EQ(b->Owner(), &form);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(form.FindComponent("MMOB"), b);
  EXPECT_EQ(form.FindComponent("mmoX"), nullptr);
  EXPECT_EQ(form.FindComponent(""), nullptr);
  EXPECT_THROW(form.Components(3), EListError);

  delete b;  // an owned component may be freed by anyone: it leaves the list
  EXPECT_EQ(Names(form), (std::vector<std::string>{"btnA", "srcC"}));
  EXPECT_EQ(form.FindComponent("mmoB"), nullptr);
  EXPECT_EQ(c->ComponentIndex(), 1);
}

TEST(ComponentTest, OwnerDestroysItsComponentsLastCreatedFirst) {
  std::vector<std::string> log;
  {
    auto owner = std::make_unique<TProbe>(nullptr, "owner", &log);
    new TProbe(owner.get(), "first", &log);
    auto* second = new TProbe(owner.get(), "second", &log);
    new TProbe(second, "grandchild", &log);
    new TProbe(owner.get(), "third", &log);
  }
  // The owner's own destructor body runs before the component part marks
  // the tree destroying; its components are destroyed afterwards, each
  // already marked.
  EXPECT_EQ(log, (std::vector<std::string>{"owner/alive", "third/destroying", "second/destroying",
                                           "grandchild/destroying", "first/destroying"}));
}

TEST(ComponentTest, InsertAndRemoveMoveOwnership) {
  TTestForm first(nullptr), second(nullptr);
  auto* c = new TTestControl(&first);
  c->SetName("btnMove");
  second.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &second);
  EXPECT_EQ(first.ComponentCount(), 0);
  EXPECT_EQ(second.FindComponent("btnMove"), c);

  second.RemoveComponent(c);
  std::unique_ptr<TTestControl> own(c);  // the caller owns it now
  EXPECT_EQ(c->Owner(), nullptr);
  EXPECT_EQ(second.ComponentCount(), 0);

  auto* clash = new TTestControl(&first);
  clash->SetName("btnMove");
  EXPECT_THROW(first.InsertComponent(own.get()), EComponentError);
  EXPECT_EQ(own->Owner(), nullptr);
}

TEST(ComponentTest, NamesAreIdentifiersUniqueAmongTheOwnersComponents) {
  TTestForm form(nullptr);
  auto* a = new TTestControl(&form);
  auto* b = new TTestControl(&form);
  a->SetName("edName");
  for (const char* bad : {"1abc", "a b", "a-b", "ed.Name", "\xB5\xA5"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(b->SetName(bad), EComponentError);
    EXPECT_EQ(b->Name(), "");
  }
  EXPECT_THROW(b->SetName("EDNAME"), EComponentError);  // unique without regard to case
  a->SetName("EDNAME");                                  // renaming itself is fine
  EXPECT_EQ(a->Name(), "EDNAME");
  b->SetName("_ed2");
  EXPECT_EQ(form.FindComponent("_ED2"), b);
  // Through the property table a bad name is a quiet failure when asked.
  EXPECT_EQ(SetPropValue(*b, "Name", "x y", true).Status, TPropStatus::psBadValue);
  EXPECT_EQ(b->Name(), "_ed2");
}

TEST(ComponentTest, FreeNotificationClearsReferencesAcrossOwners) {
  auto other = std::make_unique<TTestForm>(nullptr);
  TTestForm form(nullptr);
  auto* source = new TTestSource(other.get());
  auto* control = new TTestControl(&form);
  control->SetSource(source);
  other.reset();  // destroys the source with its owner
  EXPECT_EQ(control->Source(), nullptr);
}

TEST(ComponentTest, OwnerTellsSiblingsWhenAComponentGoes) {
  TTestForm form(nullptr);
  auto* source = new TTestSource(&form);
  auto* control = new TTestControl(&form);
  control->SetSource(source);
  delete source;
  EXPECT_EQ(control->Source(), nullptr);
}

TEST(ComponentTest, ObserverThatGoesFirstIsForgotten) {
  TTestForm form(nullptr);
  auto source = std::make_unique<TTestSource>(nullptr);
  auto* control = new TTestControl(&form);
  control->SetSource(source.get());
  delete control;  // the source must not tell it anything later
  auto* next = new TTestControl(&form);
  next->SetSource(source.get());
  source.reset();
  EXPECT_EQ(next->Source(), nullptr);
}

TEST(ComponentTest, ComponentPtrClearsItselfAndCopiesObserveToo) {
  auto form = std::make_unique<TTestForm>(nullptr);
  auto* control = new TTestControl(form.get());
  TComponentPtr<TTestControl> p(control);
  TComponentPtr<TTestControl> copy = p;
  EXPECT_EQ(p.get(), control);
  delete control;
  EXPECT_FALSE(p);
  EXPECT_FALSE(copy);
  {
    TComponentPtr<TComponent> shortLived(form.get());
  }  // an observer that goes first is removed from the component's list
  TComponentPtr<TComponent> last(form.get());
  form.reset();
  EXPECT_EQ(last.get(), nullptr);
}

TEST(ComponentTest, ClassNameChainAndClassTests) {
  TTestForm form(nullptr);
  TTestMemo memo(nullptr);
  EXPECT_STREQ(memo.ClassName(), "TTestMemo");
  std::vector<std::string> chain;
  for (const AnsiString& name : memo.ClassNameChain()) chain.push_back(name.Bytes());
  EXPECT_EQ(chain, (std::vector<std::string>{"TTestMemo", "TTestControl", "TComponent", "TPersistent", "TObject"}));

  EXPECT_TRUE(memo.InheritsFrom(TTestControl::StaticClass()));
  EXPECT_TRUE(memo.InheritsFrom("ttestcontrol"));
  EXPECT_FALSE(memo.InheritsFrom(TTestCombo::StaticClass()));
  EXPECT_FALSE(form.InheritsFrom(TTestControl::StaticClass()));
  // The exact class test sees only the class itself.
  EXPECT_TRUE(memo.ClassNameIs("TTestMemo"));
  EXPECT_FALSE(memo.ClassNameIs("TTestControl"));
  EXPECT_EQ(&memo.ClassType(), &TTestMemo::StaticClass());
}

TEST(ComponentTest, ClassesAreCreatedByNameWithAnOwner) {
  TTestForm form(nullptr);
  const TClassInfo* memoClass = FindClass("ttestmemo", ThisModule());
  ASSERT_NE(memoClass, nullptr);
  ASSERT_TRUE(memoClass->CanCreateComponent());
  TComponent* made = memoClass->CreateComponent(&form);
  EXPECT_NE(dynamic_cast<TTestMemo*>(made), nullptr);
  EXPECT_EQ(made->Owner(), &form);
  EXPECT_EQ(form.ComponentCount(), 1);

  // The platform's classes are found from any library; a library's own are
  // not visible from the platform's.
  EXPECT_EQ(FindClass("TFont", ThisModule()), &TFont::StaticClass());
  EXPECT_FALSE(TFont::StaticClass().CanCreateComponent());
  EXPECT_EQ(PlatformModule().FindClass("TTestMemo"), nullptr);
  EXPECT_EQ(FindClass("TNoSuchClass", ThisModule()), nullptr);
}

// --- change marks ---

TEST(ComponentTest, SettersMarkWhatChangedOnceUntilTaken) {
  TTestControl c(nullptr);
  c.SetCaption("a");
  c.SetCaption("b");
  c.SetLeft(0);  // unchanged: no mark
  c.SetTop(5);
  EXPECT_TRUE(c.IsChanged("Caption"));
  EXPECT_EQ(Texts(c.TakeChanges()), (std::vector<std::string>{"Caption", "Top"}));
  EXPECT_TRUE(c.TakeChanges().empty());
  SetPropValue(c, "Width", "75");  // the value it has: no mark
  SetPropValue(c, "Width", "80");
  EXPECT_EQ(Texts(c.TakeChanges()), (std::vector<std::string>{"Width"}));
}

TEST(ComponentTest, SubObjectsAndListsMarkTheirOwnersProperty) {
  struct Case {
    const char* name;
    void (*change)(TTestListView&, TTestMemo&);
    const char* component;
    const char* property;
  };
  const Case cases[] = {
      {"font colour", [](TTestListView& lv, TTestMemo&) { lv.Font()->SetColor(clRed); }, "lv", "Font"},
      {"font size", [](TTestListView& lv, TTestMemo&) { lv.Font()->SetSize(12); }, "lv", "Font"},
      {"column added", [](TTestListView& lv, TTestMemo&) { lv.Columns()->Add(); }, "lv", "Columns"},
      {"column caption", [](TTestListView& lv, TTestMemo&) { lv.Columns()->Items(0)->SetCaption("x"); }, "lv",
       "Columns"},
      {"line edited in place", [](TTestListView&, TTestMemo& m) { m.Lines()->SetString(0, "changed"); }, "mmo",
       "Lines"},
      {"line added", [](TTestListView&, TTestMemo& m) { m.Lines()->Add("more"); }, "mmo", "Lines"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestForm form(nullptr);
    auto* lv = new TTestListView(&form);
    lv->SetName("lv");
    lv->Columns()->Add();
    auto* mmo = new TTestMemo(&form);
    mmo->SetName("mmo");
    mmo->Lines()->Add("first");
    CollectChanges(form);  // the round trip that showed the form

    c.change(*lv, *mmo);
    const std::vector<TComponentChanges> changes = CollectChanges(form);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Component->Name(), c.component);
    EXPECT_EQ(Texts(changes[0].Properties), (std::vector<std::string>{c.property}));
    EXPECT_TRUE(CollectChanges(form).empty());
  }
}

TEST(ComponentTest, ChangesOfATreeAreCollectedOncePerRoundTrip) {
  TTestForm form(nullptr);
  auto* a = new TTestControl(&form);
  a->SetName("a");
  auto* b = new TTestControl(&form);
  b->SetName("b");
  auto* untouched = new TTestControl(&form);
  untouched->SetName("c");
  CollectChanges(form);

  b->SetVisible(false);
  a->SetColor(clRed);
  form.SetCaption("title");
  a->SetColor(clBlue);
  std::vector<std::string> seen;
  for (const TComponentChanges& c : CollectChanges(form))
    for (const AnsiString& p : c.Properties) seen.push_back(c.Component->Name().Bytes() + "." + p.Bytes());
  EXPECT_EQ(seen, (std::vector<std::string>{".Caption", "a.Color", "b.Visible"}));
  EXPECT_TRUE(CollectChanges(form).empty());
  EXPECT_NE(a->InstanceId(), b->InstanceId());
}

}  // namespace
}  // namespace platform::uitest
