// The render interface: a small form rendered to a snapshot and then to
// change sets holding exactly what changed, input by instance id, and
// components created and freed while the form shows.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "TestRenderer.h"
#include "platform/TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Form.h"
#include "platform/ui/Render.h"

namespace platform::rendertest {

using platform::testing::A;

// An edit box that records the keys and characters it is given.
class TRenderTestEdit : public TWinControl {
  PLATFORM_CLASS(TRenderTestEdit)

 public:
  explicit TRenderTestEdit(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }
  void KeyDown(Word& key, TShiftState shift) override {
    Keys.push_back(std::to_string(key) + (shift.Contains(ssCtrl) ? "+ctrl" : ""));
    TWinControl::KeyDown(key, shift);
  }
  void KeyPress(char& key) override {
    Keys.push_back(std::string("char ") + key);
    TWinControl::KeyPress(key);
  }
  std::vector<std::string> Keys;
};

const TClassInfo& TRenderTestEdit::StaticClass() {
  static const TClassInfo info = TClassBuilder<TRenderTestEdit>("TRenderTestEdit", TWinControl::StaticClass()).Build();
  return info;
}

// A button that counts its clicks.
class TRenderTestButton : public TWinControl {
  PLATFORM_CLASS(TRenderTestButton)

 public:
  explicit TRenderTestButton(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    OnClick = TNotifyEvent::Bind<&TRenderTestButton::Clicked>(this);
  }
  void Clicked(TObject*) { ++Clicks; }
  int Clicks = 0;
};

const TClassInfo& TRenderTestButton::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TRenderTestButton>("TRenderTestButton", TWinControl::StaticClass()).Build();
  return info;
}

// The demonstration form: a label, an edit box and a button.
class TRenderDemoForm : public TForm {
  PLATFORM_CLASS(TRenderDemoForm)

 public:
  explicit TRenderDemoForm(TComponent* owner) : TForm(owner) {
    SetName("frmDemo");
    SetCaption(A(u8"客户资料"));
    lblTitle = new TControl(this);
    lblTitle->SetName("lblTitle");
    lblTitle->SetParent(this);
    lblTitle->SetCaption(A(u8"名称:"));
    edName = new TRenderTestEdit(this);
    edName->SetName("edName");
    edName->SetParent(this);
    edName->SetBounds(80, 8, 120, 21);
    btnOK = new TRenderTestButton(this);
    btnOK->SetName("btnOK");
    btnOK->SetParent(this);
    btnOK->SetCaption("OK");
    btnOK->SetColor(clRed);
  }
  TControl* lblTitle;
  TRenderTestEdit* edName;
  TRenderTestButton* btnOK;
};

const TClassInfo& TRenderDemoForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TRenderDemoForm>("TRenderDemoForm", TForm::StaticClass()).Build();
  return info;
}

std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::set<std::string> Keys(const RenderProperties& properties) {
  std::set<std::string> keys;
  for (const auto& [name, value] : properties) keys.insert(name);
  return keys;
}

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = CreateForm<TRenderDemoForm>(&owner_);
    form_->Show();
    TTestRenderer::Round();
    ASSERT_EQ(renderer_.Snapshots.size(), 1u);
    renderer_.Clear();
  }
  void TearDown() override {
    if (form_) form_->Free();
    Application().Reset();
  }

  // The one change set of the round; fails when there is none or more.
  ChangeSet RoundChanges() {
    renderer_.ChangeSets.clear();
    TTestRenderer::Round();
    EXPECT_EQ(renderer_.ChangeSets.size(), 1u);
    return renderer_.ChangeSets.empty() ? ChangeSet{} : renderer_.ChangeSets.front();
  }

  TComponent owner_{nullptr};
  TComponentPtr<TRenderDemoForm> form_;
  TTestRenderer renderer_;
  TRenderHost host_{renderer_};
};

TEST_F(RenderTest, SnapshotHoldsTheFormAndItsControlsInCreationOrderWithEveryPublishedValue) {
  form_->Hide();
  TTestRenderer::Round();
  EXPECT_EQ(renderer_.Hidden, std::vector<std::uint64_t>{form_->InstanceId()});
  form_->Show();
  TTestRenderer::Round();
  ASSERT_EQ(renderer_.Snapshots.size(), 1u);
  const FormSnapshot& snapshot = renderer_.Snapshots.front();

  EXPECT_EQ(snapshot.FormId, form_->InstanceId());
  ASSERT_EQ(snapshot.Nodes.size(), 4u);
  const std::vector<TComponent*> order{form_.get(), form_->lblTitle, form_->edName, form_->btnOK};
  for (std::size_t i = 0; i < order.size(); ++i) {
    SCOPED_TRACE(order[i]->Name().ToUtf8());
    const RenderNode& node = snapshot.Nodes[i];
    EXPECT_EQ(node.InstanceId, order[i]->InstanceId());
    EXPECT_EQ(node.Name, order[i]->Name());
    EXPECT_EQ(node.ClassName, order[i]->ClassType().Name());
    EXPECT_EQ(node.ParentId, i == 0 ? 0u : form_->InstanceId());
    // Every published property but the events, sub-objects flattened.
    for (const TPropInfo* p : order[i]->ClassType().Properties()) {
      if (p->Kind() == TTypeKind::tkMethod) {
        EXPECT_EQ(node.Properties.count(p->Name().Bytes()), 0u) << p->Name().ToUtf8();
      } else if (p->Kind() == TTypeKind::tkClass && !p->IsReference()) {
        EXPECT_EQ(node.Properties.count(p->Name().Bytes() + ".Name"), 1u) << p->Name().ToUtf8();
      } else {
        EXPECT_EQ(node.Properties.count(p->Name().Bytes()), 1u) << p->Name().ToUtf8();
      }
    }
  }

  const RenderProperties& formProps = snapshot.Nodes[0].Properties;
  const RenderValue& caption = formProps.at("Caption");
  EXPECT_EQ(caption.Kind, TRenderValueKind::Text);
  EXPECT_EQ(caption.Text, A(u8"客户资料"));
  EXPECT_EQ(caption.CodePage, ProcessCodePage());
  EXPECT_EQ(caption.Utf8, U8(u8"客户资料"));
  // The system colour is resolved; the identifier stays as text.
  const RenderValue& color = formProps.at("Color");
  EXPECT_EQ(color.Kind, TRenderValueKind::Color);
  EXPECT_EQ(color.Integer, ColorToRGB(clBtnFace));
  EXPECT_NE(color.Integer, static_cast<std::uint32_t>(clBtnFace));
  EXPECT_EQ(color.Text, "clBtnFace");
  EXPECT_EQ(formProps.at("Visible"), RenderValue::OfBoolean(true));
  EXPECT_EQ(formProps.at("ActiveControl"), RenderValue::OfReference(form_->edName->InstanceId()));
  EXPECT_EQ(formProps.at("WindowState").Text, "wsNormal");

  const RenderProperties& edit = snapshot.Nodes[2].Properties;
  EXPECT_EQ(edit.at("Left").Kind, TRenderValueKind::Integer);
  EXPECT_EQ(edit.at("Left").Integer, 80);
  EXPECT_EQ(edit.at("Width").Integer, 120);
  EXPECT_EQ(snapshot.Nodes[3].Properties.at("Color").Integer, clRed);

  // What the snapshot holds is not sent again.
  renderer_.Clear();
  TTestRenderer::Round();
  EXPECT_TRUE(renderer_.ChangeSets.empty());
}

TEST_F(RenderTest, ChangeSetHoldsExactlyThePropertiesThatChanged) {
  std::set<std::string> fontKeys;
  for (const std::string& key : Keys(RenderPropertiesOf(*form_->edName)))
    if (key.rfind("Font.", 0) == 0) fontKeys.insert(key);
  ASSERT_TRUE(fontKeys.count("Font.Size"));

  struct Case {
    const char* name;
    void (*change)(TRenderDemoForm&);
    TComponent* (*target)(TRenderDemoForm&);
    std::set<std::string> keys;
  };
  auto edit = [](TRenderDemoForm& f) -> TComponent* { return f.edName; };
  auto button = [](TRenderDemoForm& f) -> TComponent* { return f.btnOK; };
  const Case cases[] = {
      {"text", [](TRenderDemoForm& f) { f.edName->SetText(A(u8"张三")); }, edit, {"Caption"}},
      {"colour", [](TRenderDemoForm& f) { f.btnOK->SetColor(clWindow); }, button, {"Color"}},
      {"set twice", [](TRenderDemoForm& f) { f.edName->SetLeft(1), f.edName->SetLeft(90); }, edit, {"Left"}},
      {"bounds", [](TRenderDemoForm& f) { f.edName->SetBounds(90, 30, 120, 21); }, edit, {"Top"}},
      {"font", [](TRenderDemoForm& f) { f.edName->Font()->SetSize(12); }, edit, fontKeys},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.change(*form_);
    const ChangeSet changes = RoundChanges();
    EXPECT_EQ(changes.FormId, form_->InstanceId());
    EXPECT_TRUE(changes.Created.empty());
    EXPECT_TRUE(changes.Destroyed.empty());
    ASSERT_EQ(changes.Changed.size(), 1u);
    TComponent* target = c.target(*form_);
    EXPECT_EQ(changes.Changed[0].InstanceId, target->InstanceId());
    EXPECT_EQ(Keys(changes.Changed[0].Properties), c.keys);
    // The values are the current ones, converted as in a snapshot.
    const RenderProperties now = RenderPropertiesOf(*target);
    for (const auto& [key, value] : changes.Changed[0].Properties) EXPECT_EQ(value, now.at(key)) << key;
  }
  EXPECT_EQ(form_->edName->Left(), 90);

  // Setting a value a property already has changes nothing.
  form_->btnOK->SetCaption("OK");
  form_->edName->SetLeft(90);
  renderer_.Clear();
  TTestRenderer::Round();
  EXPECT_TRUE(renderer_.ChangeSets.empty());
}

TEST_F(RenderTest, ChangesAreSentOncePerRound) {
  form_->btnOK->SetCaption("Save");
  form_->edName->SetEnabled(false);
  form_->btnOK->SetCaption("Store");
  const ChangeSet changes = RoundChanges();
  ASSERT_EQ(changes.Changed.size(), 2u);
  // In the order of the owner tree, each component once.
  EXPECT_EQ(changes.Changed[0].InstanceId, form_->edName->InstanceId());
  EXPECT_EQ(changes.Changed[0].Properties.at("Enabled"), RenderValue::OfBoolean(false));
  EXPECT_EQ(changes.Changed[1].InstanceId, form_->btnOK->InstanceId());
  EXPECT_EQ(changes.Changed[1].Properties.at("Caption").Text, "Store");

  renderer_.Clear();
  TTestRenderer::Round();
  TTestRenderer::Round();
  EXPECT_TRUE(renderer_.ChangeSets.empty());
}

TEST_F(RenderTest, InputByInstanceIdReachesTheControl) {
  EXPECT_TRUE(renderer_.Click(host_, form_->btnOK->InstanceId()));
  EXPECT_EQ(form_->btnOK->Clicks, 1);

  // Keys go to the focused control of the target's form.
  ASSERT_EQ(form_->ActiveControl(), form_->edName);
  EXPECT_TRUE(renderer_.Key(host_, form_->edName->InstanceId(), 'A', TShiftState{ssCtrl}));
  EXPECT_TRUE(renderer_.Char(host_, form_->InstanceId(), 'x'));
  EXPECT_EQ(form_->edName->Keys, (std::vector<std::string>{"65+ctrl", "char x"}));

  // Typed text arrives in the process code page and comes back as a change.
  EXPECT_TRUE(renderer_.Type(host_, form_->edName->InstanceId(), U8(u8"李四")));
  EXPECT_EQ(form_->edName->Text(), A(u8"李四"));
  EXPECT_TRUE(renderer_.Focus(host_, form_->btnOK->InstanceId()));
  EXPECT_EQ(form_->ActiveControl(), form_->btnOK);
  const ChangeSet changes = RoundChanges();
  ASSERT_EQ(changes.Changed.size(), 2u);
  EXPECT_EQ(changes.Changed[0].InstanceId, form_->InstanceId());
  EXPECT_EQ(changes.Changed[0].Properties.at("ActiveControl"), RenderValue::OfReference(form_->btnOK->InstanceId()));
  EXPECT_EQ(changes.Changed[1].Properties.at("Caption").Utf8, U8(u8"李四"));

  // A close request closes the form in the loop; the renderer hears of it.
  EXPECT_TRUE(renderer_.Close(host_, form_->InstanceId()));
  renderer_.Clear();
  TTestRenderer::Round();
  EXPECT_FALSE(form_->Visible());
  EXPECT_EQ(renderer_.Hidden, std::vector<std::uint64_t>{form_->InstanceId()});
}

TEST_F(RenderTest, InputForUnknownOrUnfitTargetsIsDropped) {
  auto* gone = new TRenderTestButton(form_.get());
  gone->SetParent(form_.get());
  const std::uint64_t goneId = gone->InstanceId();
  delete gone;
  form_->btnOK->SetVisible(false);

  struct Case {
    const char* name;
    bool (*send)(TTestRenderer&, TRenderHost&, TRenderDemoForm&, std::uint64_t goneId);
  };
  const Case cases[] = {
      {"click on a freed control",
       [](TTestRenderer& r, TRenderHost& h, TRenderDemoForm&, std::uint64_t id) { return r.Click(h, id); }},
      {"key for a freed control",
       [](TTestRenderer& r, TRenderHost& h, TRenderDemoForm&, std::uint64_t id) { return r.Key(h, id, 'A'); }},
      {"text for a freed control",
       [](TTestRenderer& r, TRenderHost& h, TRenderDemoForm&, std::uint64_t id) { return r.Type(h, id, "x"); }},
      {"id never given",
       [](TTestRenderer& r, TRenderHost& h, TRenderDemoForm&, std::uint64_t) { return r.Click(h, ~0ull); }},
      {"id 0", [](TTestRenderer& r, TRenderHost& h, TRenderDemoForm&, std::uint64_t) { return r.Char(h, 0, 'x'); }},
      {"click on a hidden control",
       [](TTestRenderer& r, TRenderHost& h, TRenderDemoForm& f, std::uint64_t) {
         return r.Click(h, f.btnOK->InstanceId());
       }},
      {"focus on a hidden control",
       [](TTestRenderer& r, TRenderHost& h, TRenderDemoForm& f, std::uint64_t) {
         return r.Focus(h, f.btnOK->InstanceId());
       }},
      {"focus on a control that is not windowed",
       [](TTestRenderer& r, TRenderHost& h, TRenderDemoForm& f, std::uint64_t) {
         return r.Focus(h, f.lblTitle->InstanceId());
       }},
      {"close request for a control",
       [](TTestRenderer& r, TRenderHost& h, TRenderDemoForm& f, std::uint64_t) {
         return r.Close(h, f.edName->InstanceId());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(c.send(renderer_, host_, *form_, goneId));
  }
  EXPECT_EQ(form_->btnOK->Clicks, 0);
  EXPECT_TRUE(form_->edName->Keys.empty());
  EXPECT_EQ(form_->ActiveControl(), form_->edName);
  TTestRenderer::Round();
  EXPECT_TRUE(form_->Visible());
}

TEST_F(RenderTest, ControlsCreatedAndFreedAtRunTimeAppearInTheChangeSet) {
  auto* extra = new TRenderTestEdit(form_.get());
  extra->SetName("edExtra");
  extra->SetParent(form_.get());
  extra->SetCaption("new");
  ChangeSet changes = RoundChanges();
  ASSERT_EQ(changes.Created.size(), 1u);
  const RenderNode& node = changes.Created[0];
  EXPECT_EQ(node.InstanceId, extra->InstanceId());
  EXPECT_EQ(node.Name, "edExtra");
  EXPECT_EQ(node.ClassName, "TRenderTestEdit");
  EXPECT_EQ(node.ParentId, form_->InstanceId());
  EXPECT_EQ(node.Properties.at("Caption").Text, "new");
  EXPECT_EQ(Keys(node.Properties), Keys(RenderPropertiesOf(*extra)));
  // The new control is sent whole, not again as changed.
  for (const RenderChange& change : changes.Changed) EXPECT_NE(change.InstanceId, extra->InstanceId());
  EXPECT_TRUE(changes.Destroyed.empty());

  // Once known, its changes are ordinary changes.
  extra->SetTop(50);
  changes = RoundChanges();
  EXPECT_TRUE(changes.Created.empty());
  ASSERT_EQ(changes.Changed.size(), 1u);
  EXPECT_EQ(Keys(changes.Changed[0].Properties), std::set<std::string>{"Top"});

  const std::uint64_t freedId = form_->btnOK->InstanceId();
  delete form_->btnOK;
  form_->btnOK = nullptr;
  changes = RoundChanges();
  EXPECT_EQ(changes.Destroyed, std::vector<std::uint64_t>{freedId});
  EXPECT_TRUE(changes.Created.empty());
  EXPECT_FALSE(renderer_.Click(host_, freedId));
}

TEST_F(RenderTest, AModalDialogIsRenderedAndAnsweredWhileOtherFormsTakeNoInput) {
  TComponentPtr<TRenderDemoForm> dialog(CreateForm<TRenderDemoForm>(nullptr));
  std::vector<bool> accepted;
  // Input given from a callback is queued to the loop: here, the modal
  // loop of the dialog.
  renderer_.WhenShown = [&](const FormSnapshot& snapshot) {
    if (snapshot.FormId != dialog->InstanceId()) return;
    accepted.push_back(renderer_.Click(host_, form_->btnOK->InstanceId()));
    accepted.push_back(renderer_.Type(host_, dialog->edName->InstanceId(), "Wang"));
    accepted.push_back(renderer_.Close(host_, dialog->InstanceId()));
  };
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  renderer_.WhenShown = nullptr;

  EXPECT_EQ(accepted, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(form_->btnOK->Clicks, 0);
  EXPECT_EQ(dialog->edName->Text(), "Wang");
  ASSERT_FALSE(renderer_.Snapshots.empty());
  EXPECT_EQ(renderer_.Snapshots.back().FormId, dialog->InstanceId());

  renderer_.Clear();
  TTestRenderer::Round();
  EXPECT_EQ(renderer_.Hidden, std::vector<std::uint64_t>{dialog->InstanceId()});
  EXPECT_TRUE(renderer_.Click(host_, form_->btnOK->InstanceId()));
  EXPECT_EQ(form_->btnOK->Clicks, 1);
  dialog->Free();
}

TEST_F(RenderTest, AFreedFormIsReportedClosed) {
  const std::uint64_t id = form_->InstanceId();
  form_->Free();
  TTestRenderer::Round();
  EXPECT_EQ(renderer_.Closed, std::vector<std::uint64_t>{id});
  EXPECT_FALSE(host_.Shows(id));
  EXPECT_TRUE(renderer_.ChangeSets.empty());
}

}  // namespace platform::rendertest
