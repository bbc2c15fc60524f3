// The labelled controls: where the caption label stands, how label and
// look-up button follow their control, the button's click, the parts
// destroyed by someone else, and what the renderer is shown.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DataTestSupport.h"
#include "TestRenderer.h"
#include "controls/KvcEdit.h"
#include "platform/FloatFormat.h"
#include "platform/TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/FormResource.h"
#include "platform/ui/PropertyAccess.h"
#include "platform/ui/Render.h"

namespace kv::kvcedittest {
namespace {

using namespace platform;
using namespace platform::testing;

// A form that records the look-up requests it handles, by control name.
class TLookupForm : public TForm {
 public:
  explicit TLookupForm(TComponent* owner) : TForm(owner) {}
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_F2LOOKUP) {
      TWinControl* control = LookupRequestControl(message);
      Requests.push_back(control ? control->Name().c_str() : "?");
      return;
    }
    TForm::WndProc(message);
  }
  std::vector<std::string> Requests;
};

// The four labelled classes, made by name.
struct LabelledClass {
  const char* name;
  std::function<TWinControl*(TComponent*)> make;
};

const std::vector<LabelledClass>& LabelledClasses() {
  static const std::vector<LabelledClass> classes = {
      {"TKvDBEdit", [](TComponent* o) -> TWinControl* { return new TKvDBEdit(o); }},
      {"TKvBtnDBEdit", [](TComponent* o) -> TWinControl* { return new TKvBtnDBEdit(o); }},
      {"TKvDBComboBox", [](TComponent* o) -> TWinControl* { return new TKvDBComboBox(o); }},
      {"TKvComboBox", [](TComponent* o) -> TWinControl* { return new TKvComboBox(o); }},
  };
  return classes;
}

TLabel* EditLabelOf(const TComponent& control) { return dynamic_cast<TLabel*>(control.FindComponent("EditLabel")); }

// A shown form over a slip data set: TE001 (employee), TE003 (change item).
class Labelled : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.AddProvider("pvdMain", {Meta("TE001", ftString, 10), Meta("TE003", ftString, 4)},
                         {Row({"E001", "0002"}), Row({"E002", "0005"}), Row({"E003", "9999"})});
    cds.SetRemoteServer(&provider);
    cds.SetProviderName("pvdMain");
    cds.Open();
    source.SetDataSet(&cds);
    form = CreateForm<TLookupForm>(&owner);
    form->SetName("frmSlip");
    panel = new TPanel(form);
    panel->SetName("pnlHead");
    panel->SetParent(form);
    other = new TEdit(form);
    other->SetName("edOther");
    other->SetParent(form);
    form->Show();
    other->SetFocus();
  }
  void TearDown() override { Application().Reset(); }

  TKvBtnDBEdit* MakeButtonEdit() {
    auto* edit = new TKvBtnDBEdit(form);
    edit->SetName("edTE001");
    edit->SetParent(form);
    edit->SetBounds(100, 30, 120, 21);
    edit->SetDataSource(&source);
    edit->SetDataField("TE001");
    return edit;
  }

  TComponent owner{nullptr};
  TLocalProvider provider{&owner};
  TClientDataSet cds{&owner};
  TDataSource source{&owner};
  TLookupForm* form = nullptr;
  TPanel* panel = nullptr;
  TEdit* other = nullptr;
};

TEST_F(Labelled, LabelStandsByPositionAndSpacing) {
  // A label of 65 x 13.
  struct Case {
    const char* name;
    const char* position;
    int spacing;
    int controlHeight;
    int left, top;
  };
  const Case cases[] = {
      {"left of a 21 high control: 4 lower", "lpLeft", 4, 21, 31, 54},
      {"right of a 12 high control: -1 div 2 is 0", "lpRight", 4, 12, 224, 50},
      {"right, no spacing", "lpRight", 0, 21, 220, 54},
      {"above", "lpAbove", 4, 21, 100, 33},
      {"below", "lpBelow", 6, 21, 100, 77},
  };
  for (const LabelledClass& k : LabelledClasses()) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(k.name) + ": " + c.name);
      TWinControl* control = k.make(form);
      control->SetParent(form);
      ASSERT_EQ(SetPropValue(*control, "LabelPosition", c.position).Status, TPropStatus::psOk);
      ASSERT_EQ(SetPropValue(*control, "LabelSpacing", IntToStr(c.spacing)).Status, TPropStatus::psOk);
      TLabel* label = EditLabelOf(*control);
      ASSERT_NE(label, nullptr);
      label->SetAutoSize(false);
      label->SetWidth(65);
      label->SetHeight(13);
      control->SetBounds(100, 50, 120, c.controlHeight);
      EXPECT_EQ(label->Left(), c.left);
      EXPECT_EQ(label->Top(), c.top);
      EXPECT_EQ(label->Width(), 65);
      EXPECT_EQ(label->Height(), 13);
      delete control;
    }
  }
}

TEST_F(Labelled, LabelFollowsItsControl) {
  for (const LabelledClass& k : LabelledClasses()) {
    SCOPED_TRACE(k.name);
    TWinControl* control = k.make(form);
    TLabel* label = EditLabelOf(*control);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->FocusControl(), control);
    EXPECT_EQ(label->Caption().Bytes(), "");
    ASSERT_EQ(SetPropValue(*control, "Caption", A(u8"员工编号")).Status, TPropStatus::psOk);
    EXPECT_EQ(label->Caption(), A(u8"员工编号"));
    AnsiString caption;
    GetPropValue(*control, "Caption", caption);
    EXPECT_EQ(caption, A(u8"员工编号"));

    control->SetParent(panel);
    EXPECT_EQ(label->Parent(), panel);
    control->SetParent(form);
    EXPECT_EQ(label->Parent(), form);
    // The label keeps the size its caption gives it.
    const int w = label->Width(), h = label->Height();
    control->SetBounds(200, 100, 120, 21);
    EXPECT_EQ(label->Left(), 200 - w - 4);
    control->SetTop(120);
    EXPECT_EQ(label->Top(), 120 + (21 - h) / 2);
    control->SetHeight(25);
    EXPECT_EQ(label->Top(), 120 + (25 - h) / 2);
    control->SetWidth(60);
    EXPECT_EQ(label->Left(), 200 - w - 4);
    ASSERT_EQ(SetPropValue(*control, "LabelPosition", "lpRight").Status, TPropStatus::psOk);
    EXPECT_EQ(label->Left(), 200 + 60 + 4);
    ASSERT_EQ(SetPropValue(*control, "LabelPosition", "lpLeft").Status, TPropStatus::psOk);

    control->SetVisible(false);
    EXPECT_FALSE(label->Visible());
    control->SetVisible(true);
    EXPECT_TRUE(label->Visible());
    control->SetEnabled(false);
    EXPECT_FALSE(label->Enabled());
    control->SetEnabled(true);
    EXPECT_TRUE(label->Enabled());

    // A negative spacing is ignored.
    ASSERT_EQ(SetPropValue(*control, "LabelSpacing", "-3").Status, TPropStatus::psOk);
    AnsiString spacing;
    GetPropValue(*control, "LabelSpacing", spacing);
    EXPECT_EQ(spacing.Bytes(), "4");
    EXPECT_EQ(label->Left(), 200 - w - 4);
    delete control;
  }
}

TEST_F(Labelled, CaptionIsTheLabelsNotTheEditsText) {
  TKvBtnDBEdit* edit = MakeButtonEdit();
  edit->SetCaption(A(u8"员工编号"));
  EXPECT_EQ(edit->Text().Bytes(), "E001");
  EXPECT_EQ(edit->Caption(), A(u8"员工编号"));
  cds.Next();
  EXPECT_EQ(edit->Text().Bytes(), "E002");
  EXPECT_EQ(edit->EditLabel()->Caption(), A(u8"员工编号"));
}

TEST_F(Labelled, ButtonStandsRightOfTheEditAndFollowsIt) {
  TKvBtnDBEdit* edit = MakeButtonEdit();
  TGSpeedButton* button = edit->F2Button();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button, edit->FindComponent("F2Button"));
  EXPECT_EQ(button->Parent(), form);
  EXPECT_TRUE(button->Flat());
  EXPECT_EQ(button->GlyphIndex(), kLookupPicture);
  struct Case {
    const char* name;
    std::function<void()> change;
    int left, top, side;
  };
  const std::vector<Case> cases = {
      {"21 high at left 100, width 120", [] {}, 222, 30, 21},
      {"wider spacing", [&] { edit->SetButtonSpacing(5); }, 225, 30, 21},
      {"moved", [&] { edit->SetLeft(10); }, 135, 30, 21},
      {"taller", [&] { edit->SetHeight(25); }, 135, 30, 25},
      {"lower", [&] { edit->SetTop(60); }, 135, 60, 25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.change();
    EXPECT_EQ(button->Left(), c.left);
    EXPECT_EQ(button->Top(), c.top);
    EXPECT_EQ(button->Width(), c.side);
    EXPECT_EQ(button->Height(), c.side);
  }
  edit->SetParent(panel);
  EXPECT_EQ(button->Parent(), panel);

  edit->SetVisible(false);
  EXPECT_FALSE(button->Visible());
  EXPECT_FALSE(edit->EditLabel()->Visible());
  edit->SetVisible(true);
  edit->SetEnabled(false);
  EXPECT_FALSE(button->Enabled());
  EXPECT_TRUE(button->Visible());

  edit->SetGlyphIndex(11);
  EXPECT_EQ(button->GlyphIndex(), 11);
  edit->SetButtonHint(A(u8"员工信息查询"));
  EXPECT_EQ(button->Hint(), A(u8"员工信息查询"));
}

TEST_F(Labelled, ButtonClickCallsOnDialogOrPostsTheLookupRequest) {
  TKvBtnDBEdit* edit = MakeButtonEdit();
  TGSpeedButton* button = edit->F2Button();

  // Without OnDialog: the edit takes the focus and the request is posted.
  ASSERT_TRUE(Application().DispatchClick(button));
  EXPECT_EQ(form->ActiveControl(), edit);
  Application().ProcessMessages();
  EXPECT_EQ(form->Requests, (std::vector<std::string>{"edTE001"}));

  // With OnDialog: only the handler, with the edit as sender.
  form->Requests.clear();
  other->SetFocus();
  std::vector<TObject*> senders;
  struct Dialog {
    std::vector<TObject*>* senders;
    void Run(TObject* sender) { senders->push_back(sender); }
  } dialog{&senders};
  edit->OnDialog = TNotifyEvent::Bind<&Dialog::Run>(&dialog);
  ASSERT_TRUE(Application().DispatchClick(button));
  Application().ProcessMessages();
  EXPECT_EQ(senders, (std::vector<TObject*>{edit}));
  EXPECT_EQ(form->ActiveControl(), other);
  EXPECT_TRUE(form->Requests.empty());

  // A disabled edit disables its button, and gets no request either way.
  edit->OnDialog = TNotifyEvent();
  edit->SetEnabled(false);
  EXPECT_FALSE(Application().DispatchClick(button));
  edit->ButtonClick(button);
  Application().ProcessMessages();
  EXPECT_TRUE(form->Requests.empty());
  EXPECT_EQ(form->ActiveControl(), other);
}

TEST_F(Labelled, PartsDestroyedBySomeoneElseAreForgotten) {
  TKvBtnDBEdit* edit = MakeButtonEdit();
  edit->SetCaption(A(u8"员工编号"));
  delete edit->EditLabel();
  delete edit->F2Button();
  EXPECT_EQ(edit->EditLabel(), nullptr);
  EXPECT_EQ(edit->F2Button(), nullptr);
  EXPECT_EQ(edit->FindComponent("EditLabel"), nullptr);
  // What concerned them does nothing now.
  edit->SetCaption(A(u8"异动日期"));
  EXPECT_EQ(edit->Caption().Bytes(), "");
  edit->SetBounds(0, 0, 80, 21);
  edit->SetVisible(false);
  edit->SetParent(panel);
  edit->SetButtonHint("x");
  EXPECT_EQ(edit->ButtonHint().Bytes(), "");
  edit->SetGlyphIndex(9);
  EXPECT_EQ(edit->GlyphIndex(), 9);
  EXPECT_EQ(edit->Parent(), panel);
}

TEST_F(Labelled, DesignerTakesTheFieldsDisplayLabelAsCaption) {
  cds.FieldByName("TE001").SetDisplayLabel(A(u8"员工编号"));
  struct Case {
    const char* name;
    bool designing;
    std::string caption;
  };
  const Case cases[] = {{"in the designer", true, A(u8"员工编号").Bytes()}, {"at run time", false, "kept"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TKvDBEdit edit{form};
    TKvDBComboBox combo{form};
    edit.SetDesigning(c.designing);
    combo.SetDesigning(c.designing);
    edit.SetCaption("kept");
    combo.SetCaption("kept");
    edit.SetDataSource(&source);
    combo.SetDataSource(&source);
    edit.SetDataField("TE001");
    combo.SetDataField("TE001");
    EXPECT_EQ(edit.Caption().Bytes(), c.caption);
    EXPECT_EQ(combo.Caption().Bytes(), c.caption);
  }
}

TEST_F(Labelled, DBComboBoxShowsTheMappedItemOfTheField) {
  auto* combo = new TKvDBComboBox(form);
  combo->SetName("cboTE003");
  combo->SetParent(form);
  combo->SetStyle(csDropDownList);
  combo->SetMapList(true);
  TStringList items;
  for (const char8_t* item : {u8"公司调动\t0001", u8"部门调动\t0002", u8"离职\t0003", u8"职等异动\t0005"})
    items.Add(A(item));
  combo->SetItems(items);
  combo->SetCaption(A(u8"异动项目"));
  combo->SetDataSource(&source);
  combo->SetDataField("TE003");
  struct Case {
    const char* name;
    int index;
    std::u8string text;
  };
  const Case cases[] = {{"0002", 1, u8"部门调动"}, {"0005", 3, u8"职等异动"}, {"no item holds 9999", -1, u8""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(combo->ItemIndex(), c.index);
    EXPECT_EQ(combo->Text(), A(c.text.c_str()));
    cds.Next();
  }
  cds.First();
  ASSERT_TRUE(combo->UserSelect(2));
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  EXPECT_EQ(cds.FieldByName("TE003").AsString().Bytes(), "0003");
  EXPECT_EQ(combo->Text(), A(u8"离职"));
  EXPECT_EQ(combo->Caption(), A(u8"异动项目"));
}

TEST_F(Labelled, RendererSeesLabelButtonAndMappedText) {
  rendertest::TTestRenderer renderer;
  TRenderHost host(renderer);
  form->Hide();
  TKvBtnDBEdit* edit = MakeButtonEdit();
  edit->SetCaption(A(u8"员工编号"));
  auto* combo = new TKvDBComboBox(form);
  combo->SetName("cboTE003");
  combo->SetParent(form);
  combo->SetMapList(true);
  TStringList items;
  items.Add(A(u8"公司调动\t0001"));
  items.Add(A(u8"部门调动\t0002"));
  combo->SetItems(items);
  combo->SetDataSource(&source);
  combo->SetDataField("TE003");
  form->Show();
  rendertest::TTestRenderer::Round();
  ASSERT_EQ(renderer.Snapshots.size(), 1u);

  auto node = [&](const TComponent* c) -> const RenderNode* {
    for (const RenderNode& n : renderer.Snapshots.back().Nodes)
      if (n.InstanceId == c->InstanceId()) return &n;
    return nullptr;
  };
  const RenderNode* label = node(edit->EditLabel());
  const RenderNode* button = node(edit->F2Button());
  const RenderNode* editNode = node(edit);
  const RenderNode* comboNode = node(combo);
  ASSERT_TRUE(label && button && editNode && comboNode);
  EXPECT_EQ(label->ParentId, form->InstanceId());
  EXPECT_EQ(button->ParentId, form->InstanceId());
  EXPECT_EQ(label->Properties.at("Caption").Utf8, reinterpret_cast<const char*>(u8"员工编号"));
  EXPECT_EQ(editNode->Properties.at("Caption").Utf8, reinterpret_cast<const char*>(u8"员工编号"));
  EXPECT_EQ(editNode->Properties.at("Text").Utf8, "E001");
  EXPECT_EQ(button->Properties.at("Left").Integer, 222);
  EXPECT_EQ(label->Properties.at("Left").Integer, 100 - edit->EditLabel()->Width() - 4);
  EXPECT_EQ(comboNode->Properties.at("Text").Utf8, reinterpret_cast<const char*>(u8"部门调动"));

  // Moving the edit sends the label's and the button's new places.
  renderer.ChangeSets.clear();
  edit->SetLeft(150);
  rendertest::TTestRenderer::Round();
  ASSERT_EQ(renderer.ChangeSets.size(), 1u);
  std::map<std::uint64_t, std::int64_t> lefts;
  for (const RenderChange& change : renderer.ChangeSets[0].Changed)
    if (change.Properties.count("Left")) lefts[change.InstanceId] = change.Properties.at("Left").Integer;
  EXPECT_EQ(lefts[edit->InstanceId()], 150);
  EXPECT_EQ(lefts[edit->EditLabel()->InstanceId()], 150 - edit->EditLabel()->Width() - 4);
  EXPECT_EQ(lefts[edit->F2Button()->InstanceId()], 272);

  // Typing as the user does: the record enters edit and the edit shows it.
  renderer.ChangeSets.clear();
  ASSERT_TRUE(renderer.Focus(host, edit->InstanceId()));
  ASSERT_TRUE(renderer.Char(host, edit->InstanceId(), '9'));
  rendertest::TTestRenderer::Round();
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  std::string shown;
  for (const ChangeSet& set : renderer.ChangeSets)
    for (const RenderChange& change : set.Changed)
      if (change.InstanceId == edit->InstanceId() && change.Properties.count("Text"))
        shown = change.Properties.at("Text").Utf8;
  EXPECT_EQ(shown, "E0019");
}

TEST_F(Labelled, ReadFromAFormResource) {
  // The order of the settings is the resource's: the label and the buttons
  // stand right whatever comes first.
  static const char8_t text[] = u8R"(object frmSlip: TForm
  object edTE001: TKvBtnDBEdit
    Caption = '员工编号'
    LabelPosition = lpAbove
    GlyphIndex = 39
    ButtonHint = '员工信息查询'
    Left = 100
    Top = 30
    Width = 120
    Height = 21
  end
  object edTE005: TKvDBEdit
    Left = 100
    Top = 60
    Width = 80
    Height = 21
    Caption = '异动后'
  end
  object btnTE005: TF2Button
    F2Control = edTE005
  end
  object cboTE003: TKvDBComboBox
    Style = csDropDownList
    MapList = True
    Items = (
      '公司调动'#9'0001'
      '部门调动'#9'0002')
    Caption = '异动项目'
  end
end
)";
  const TFormResource resource{"TForm", "KvcEditTest.cpp", reinterpret_cast<const unsigned char*>(text),
                               sizeof(text) - 1};
  const TFormResource* chain[] = {&resource};
  auto* slip = new TLookupForm(&owner);
  ReadComponentResources(*slip, chain, ThisModule());

  auto* edit = dynamic_cast<TKvBtnDBEdit*>(slip->FindComponent("edTE001"));
  auto* after = dynamic_cast<TKvDBEdit*>(slip->FindComponent("edTE005"));
  auto* lookup = dynamic_cast<TF2Button*>(slip->FindComponent("btnTE005"));
  auto* combo = dynamic_cast<TKvDBComboBox*>(slip->FindComponent("cboTE003"));
  ASSERT_TRUE(edit && after && lookup && combo);
  EXPECT_EQ(edit->Caption(), A(u8"员工编号"));
  EXPECT_EQ(edit->EditLabel()->Parent(), slip);
  EXPECT_EQ(edit->EditLabel()->Left(), 100);
  EXPECT_EQ(edit->EditLabel()->Top(), 30 - edit->EditLabel()->Height() - 4);
  TGSpeedButton* button = edit->F2Button();
  EXPECT_EQ(button->Parent(), slip);
  EXPECT_EQ(button->Left(), 222);
  EXPECT_EQ(button->Width(), 21);
  EXPECT_EQ(button->GlyphIndex(), 39);
  EXPECT_EQ(button->Caption().Bytes(), "39");  // beyond the picture set: the number shows
  EXPECT_EQ(button->Hint(), A(u8"员工信息查询"));
  EXPECT_EQ(after->EditLabel()->Left(), 100 - after->EditLabel()->Width() - 4);
  EXPECT_EQ(lookup->F2Control(), after);
  EXPECT_EQ(lookup->Left(), 182);
  EXPECT_EQ(lookup->Top(), 60);
  EXPECT_EQ(lookup->Height(), 21);
  EXPECT_EQ(combo->Caption(), A(u8"异动项目"));
  EXPECT_EQ(combo->Items()->Count(), 2);
  EXPECT_EQ(combo->DisplayItem(1), A(u8"部门调动"));
  EXPECT_EQ(combo->StoredItem(1).Bytes(), "0002");
}

}  // namespace
}  // namespace kv::kvcedittest
