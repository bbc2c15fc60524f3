// String lists edited in place (a memo's Lines, the Items of a combo box,
// a radio group or a list box) mark their control's property, so the next
// change set carries the new lines.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/Application.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/StdCtrls.h"
#include "TestRenderer.h"

namespace platform::changemarkstest {

using rendertest::TTestRenderer;

TEST(ChangeMarks, DirectEditsOfStringListsReachTheNextChangeSet) {
  struct Case {
    const char* name;
    std::function<TWinControl*(TComponent*)> make;
    const char* property;
    std::function<TStringList*(TWinControl*)> list;
  };
  const Case cases[] = {
      {"memo lines", [](TComponent* o) { return new TMemo(o); }, "Lines",
       [](TWinControl* c) { return static_cast<TMemo*>(c)->Lines(); }},
      {"combo box items", [](TComponent* o) { return new TComboBox(o); }, "Items",
       [](TWinControl* c) { return static_cast<TComboBox*>(c)->Items(); }},
      {"radio group items", [](TComponent* o) { return new TRadioGroup(o); }, "Items",
       [](TWinControl* c) { return static_cast<TRadioGroup*>(c)->Items(); }},
      {"list box items", [](TComponent* o) { return new TListBox(o); }, "Items",
       [](TWinControl* c) { return static_cast<TListBox*>(c)->Items(); }},
  };
  const struct {
    const char* name;
    std::function<void(TStringList&)> edit;
    std::string expected;
  } edits[] = {
      {"add", [](TStringList& l) { l.Add("third"); }, "first\r\nsecond\r\nthird\r\n"},
      {"delete", [](TStringList& l) { l.Delete(0); }, "second\r\n"},
      {"clear", [](TStringList& l) { l.Clear(); }, ""},
  };
  for (const Case& c : cases) {
    for (const auto& e : edits) {
      SCOPED_TRACE(std::string(c.name) + ", " + e.name);
      TComponentPtr<TForm> form(new TForm(nullptr));
      TWinControl* control = c.make(form.get());
      control->SetParent(form.get());
      c.list(control)->Add("first");
      c.list(control)->Add("second");
      TTestRenderer renderer;
      {
        TRenderHost host(renderer);
        form->Show();
        TTestRenderer::Round();
        ASSERT_EQ(renderer.Snapshots.size(), 1u);
        e.edit(*c.list(control));
        TTestRenderer::Round();
        ASSERT_EQ(renderer.ChangeSets.size(), 1u);
        const RenderChange* change = nullptr;
        for (const RenderChange& ch : renderer.ChangeSets[0].Changed)
          if (ch.InstanceId == control->InstanceId()) change = &ch;
        ASSERT_NE(change, nullptr);
        const RenderProperties& changed = change->Properties;
        ASSERT_EQ(changed.count(c.property), 1u);
        EXPECT_EQ(changed.at(c.property).Utf8, e.expected);
        // Unchanged lines send nothing the next round.
        TTestRenderer::Round();
        EXPECT_EQ(renderer.ChangeSets.size(), 1u);
      }
      delete form.get();
      Application().Reset();
    }
  }
}

// A password edit's text never reaches the renderer: the snapshot and the
// change sets carry one mark per byte, typed text included.
TEST(ChangeMarks, PasswordEditsSendOnlyMarks) {
  TComponentPtr<TForm> form(new TForm(nullptr));
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  edit->SetName("edPassword");
  edit->SetText("abc");
  edit->SetPasswordChar('*');
  TTestRenderer renderer;
  {
    TRenderHost host(renderer);
    form->Show();
    TTestRenderer::Round();
    const RenderNode* node = renderer.SnapshotNode("edPassword");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Properties.at("Text").Utf8, "***");
    ASSERT_TRUE(renderer.Type(host, edit->InstanceId(), "secret"));
    TTestRenderer::Round();
    EXPECT_EQ(edit->Text(), AnsiString("secret"));
    ASSERT_EQ(renderer.ChangeSets.size(), 1u);
    ASSERT_EQ(renderer.ChangeSets[0].Changed.size(), 1u);
    EXPECT_EQ(renderer.ChangeSets[0].Changed[0].Properties.at("Text").Utf8, "******");
    // Clearing the mark shows the text again.
    edit->SetPasswordChar(0);
    TTestRenderer::Round();
    ASSERT_EQ(renderer.ChangeSets.size(), 2u);
    EXPECT_EQ(renderer.ChangeSets[1].Changed[0].Properties.at("Text").Utf8, "secret");
  }
  delete form.get();
  Application().Reset();
}

}  // namespace platform::changemarkstest
