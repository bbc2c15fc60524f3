// Events: handler values bound in code and wired by name, compared for
// identity, read and written by published name, saved, cleared and
// restored; event types of other parameters.
#include <gtest/gtest.h>

#include <vector>

#include "UiTestComponents.h"
#include "platform/ui/PropertyAccess.h"

namespace platform::uitest {
namespace {

TEST(EventTest, IdentityIsTheSameMethodOfTheSameObject) {
  TTestForm a(nullptr), b(nullptr);
  const TNotifyEvent okOnA = TNotifyEvent::Bind<&TTestForm::btnOKClick>(&a);
  struct Case {
    const char* name;
    TNotifyEvent other;
    bool same;
  };
  const Case cases[] = {
      {"bound again", TNotifyEvent::Bind<&TTestForm::btnOKClick>(&a), true},
      {"other object", TNotifyEvent::Bind<&TTestForm::btnOKClick>(&b), false},
      {"other method", TNotifyEvent::Bind<&TTestForm::btnCancelClick>(&a), false},
      {"no handler", TNotifyEvent(), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(okOnA == c.other, c.same);
    EXPECT_EQ(okOnA.Method() == c.other.Method(), c.same);
  }
  EXPECT_TRUE(okOnA.Assigned());
  EXPECT_FALSE(TNotifyEvent().Assigned());
  EXPECT_EQ(TNotifyEvent().Method(), TMethod());
}

TEST(EventTest, HandlersRunOnTheirObjectAndMayChangeVarParameters) {
  TTestForm form(nullptr);
  auto* ed = new TTestControl(&form);
  ed->SetName("edName");
  ed->OnKeyDown = TKeyEvent::Bind<&TTestForm::edNameKeyDown>(&form);

  Word enter = 13;
  ed->OnKeyDown(ed, enter, TShiftState());
  EXPECT_EQ(enter, 0);  // consumed
  Word shifted = 13;
  ed->OnKeyDown(ed, shifted, TShiftState{ssShift});
  EXPECT_EQ(shifted, 13);
  EXPECT_EQ(form.Calls, (std::vector<std::string>{"edNameKeyDown(edName)", "edNameKeyDown(edName)"}));

  TCloseAction action = caHide;
  form.OnClose = TCloseEvent::Bind<&TTestForm::FormClose>(&form);
  form.OnClose(&form, action);
  EXPECT_EQ(action, caFree);

  TTestControl idle(nullptr);
  idle.Click();  // no handler: nothing happens
  EXPECT_EQ(form.Calls.size(), 3u);
}

TEST(EventTest, EventsAreSavedClearedAndRestoredByPublishedName) {
  TTestForm form(nullptr);
  auto* btn = new TTestControl(&form);
  btn->SetName("btn");
  btn->OnClick = TNotifyEvent::Bind<&TTestForm::btnOKClick>(&form);
  btn->OnKeyDown = TKeyEvent::Bind<&TTestForm::edNameKeyDown>(&form);
  const char* const names[] = {"OnClick", "OnKeyDown", "OnKeyPress"};

  std::vector<TMethod> saved;
  for (const char* n : names) saved.push_back(GetMethodProp(*btn, n));
  for (const char* n : names) SetMethodProp(*btn, n, TMethod());
  EXPECT_FALSE(btn->OnClick.Assigned());
  EXPECT_FALSE(btn->OnKeyDown.Assigned());
  btn->Click();
  EXPECT_TRUE(form.Calls.empty());

  for (std::size_t i = 0; i < saved.size(); ++i) SetMethodProp(*btn, names[i], saved[i]);
  for (std::size_t i = 0; i < saved.size(); ++i) EXPECT_EQ(GetMethodProp(*btn, names[i]), saved[i]) << names[i];
  EXPECT_EQ(btn->OnClick, TNotifyEvent::Bind<&TTestForm::btnOKClick>(&form));
  EXPECT_FALSE(btn->OnKeyPress.Assigned());
  btn->Click();
  EXPECT_EQ(form.Calls, (std::vector<std::string>{"btnOKClick(btn)"}));
}

TEST(EventTest, AHandlerOfOtherParametersIsRefused) {
  TTestForm form(nullptr);
  TTestControl btn(nullptr);
  btn.OnKeyDown = TKeyEvent::Bind<&TTestForm::edNameKeyDown>(&form);
  const TMethod click = TNotifyEvent::Bind<&TTestForm::btnOKClick>(&form).Method();
  EXPECT_THROW(SetMethodProp(btn, "OnKeyDown", click), EPropertyConvertError);
  EXPECT_EQ(btn.OnKeyDown, TKeyEvent::Bind<&TTestForm::edNameKeyDown>(&form));
  EXPECT_THROW(SetMethodProp(btn, "Caption", click), EPropertyError);
  EXPECT_THROW(GetMethodProp(btn, "OnNothing"), EPropertyError);
}

TEST(EventTest, PublishedHandlersAreFoundByNameAndInherited) {
  TTestDerivedForm form(nullptr);
  const TClassInfo& cls = form.ClassType();
  const THandlerInfo* ok = cls.FindHandler("BTNOKCLICK");  // declared by TTestForm
  const THandlerInfo* help = cls.FindHandler("btnHelpClick");
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(cls.FindHandler("btnNothing"), nullptr);
  EXPECT_EQ(TTestForm::StaticClass().FindHandler("btnHelpClick"), nullptr);

  // Wired by name or bound in code, the value is the same.
  const TMethod byName = ok->Bind(form);
  EXPECT_EQ(byName, TNotifyEvent::Bind<&TTestForm::btnOKClick>(&form).Method());
  EXPECT_EQ(cls.HandlerName(byName), "btnOKClick");
  EXPECT_EQ(cls.HandlerName(TMethod()), "");

  TTestControl btn(nullptr);
  SetMethodProp(btn, "OnClick", help->Bind(form));
  btn.SetName("btnHelp");
  btn.Click();
  EXPECT_EQ(form.Calls, (std::vector<std::string>{"btnHelpClick(btnHelp)"}));
}

// An event type declared by a layer for its own purposes.
using TCountEvent = TEvent<"TCountEvent", TObject*, int&>;

struct Counter {
  int step = 1;
  void Count(TObject*, int& total) { total += step; }
};

TEST(EventTest, NewEventTypesAreDeclaredByNameAndParameters) {
  EXPECT_EQ(TCountEvent::TypeInfo().Name(), "TCountEvent");
  EXPECT_EQ(TCountEvent::TypeInfo().Kind(), TTypeKind::tkMethod);
  EXPECT_EQ(TNotifyEvent::TypeInfo().Name(), "TNotifyEvent");
  EXPECT_FALSE(*TCountEvent::TypeInfo().Signature() == *TNotifyEvent::TypeInfo().Signature());

  Counter byTwo{2};
  TCountEvent e = TCountEvent::Bind<&Counter::Count>(&byTwo);
  int total = 1;
  e(nullptr, total);
  e(nullptr, total);
  EXPECT_EQ(total, 5);
  EXPECT_TRUE(e.Method().Fits(*TCountEvent::TypeInfo().Signature()));
  EXPECT_FALSE(e.Method().Fits(*TNotifyEvent::TypeInfo().Signature()));
  EXPECT_EQ(TCountEvent::FromMethod(e.Method()), e);
}

}  // namespace
}  // namespace platform::uitest
