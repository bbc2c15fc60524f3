// A form read from its resource (TMenuForm.form) with menus nested in the
// resource, a pop-up menu wired to a grid, aligned panels, an anchored bit
// button and a gauge: the menu tree, its shortcuts through the form's key
// handling, and the layout once the form is read and resized.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Form.h"
#include "platform/ui/FormResource.h"
#include "platform/ui/Gauges.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Render.h"
#include "platform/ui/StdCtrls.h"

namespace platform::resourceformtest {

using testing::A;

class TMenuForm : public TForm {
  PLATFORM_CLASS(TMenuForm)

 public:
  explicit TMenuForm(TComponent* owner) : TForm(owner) {}

  template <typename T>
  T* Get(const char* name) const {
    auto* c = dynamic_cast<T*>(FindComponent(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }

  void miFileClick(TObject*) { Log.push_back("opening miFile"); }
  void ItemClick(TObject* sender) { Log.push_back(static_cast<TComponent*>(sender)->Name().c_str()); }

  std::vector<std::string> Log;
};

const TClassInfo& TMenuForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TMenuForm>("TMenuForm", TForm::StaticClass())
                                     .PUBLISHED_HANDLER(TMenuForm, miFileClick)
                                     .PUBLISHED_HANDLER(TMenuForm, ItemClick)
                                     .Build();
  return info;
}
PLATFORM_FORM_RESOURCE(TMenuForm);

class ResourceFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = CreateForm<TMenuForm>(nullptr);
    form_->Show();
  }
  void TearDown() override {
    delete form_.get();
    Application().Reset();
  }

  TComponentPtr<TMenuForm> form_;
};

TEST_F(ResourceFormTest, MenuItemsNestInTheirMenuInResourceOrder) {
  auto* menu = form_->Get<TMainMenu>("mnuMain");
  auto* file = form_->Get<TMenuItem>("miFile");
  ASSERT_EQ(menu->Items()->Count(), 2);
  EXPECT_EQ(menu->Items()->Items(0), file);
  EXPECT_EQ(menu->Items()->Items(1), form_->Get<TMenuItem>("miView"));
  ASSERT_EQ(file->Count(), 3);
  std::vector<std::string> names;
  for (int i = 0; i < file->Count(); ++i) names.push_back(file->Items(i)->Name().c_str());
  EXPECT_EQ(names, (std::vector<std::string>{"miSave", "miLine", "miRefresh"}));
  EXPECT_TRUE(file->Items(1)->IsLine());
  EXPECT_EQ(file->Items(0)->Caption(), A(u8"保存(&S)"));
  EXPECT_EQ(file->Items(0)->Owner(), form_.get());  // the form owns them all
  EXPECT_EQ(form_->Get<TMenuItem>("miDeleteRow")->Parent(), form_->Get<TPopupMenu>("popRows")->Items());

  // The renderer sees the tree through the parents.
  const FormSnapshot snapshot = SnapshotOf(*form_);
  const auto node = [&](const char* name) {
    for (const RenderNode& n : snapshot.Nodes)
      if (n.Name == name) return n;
    ADD_FAILURE() << name;
    return RenderNode{};
  };
  EXPECT_EQ(node("miSave").ParentId, file->InstanceId());
  EXPECT_EQ(node("miFile").ParentId, menu->InstanceId());
  EXPECT_EQ(node("miSave").Properties.at("ShortCut").Integer, TextToShortCut("Ctrl+S"));

  // An item freed by code leaves its parent; a bad parent is refused.
  delete form_->Get<TMenuItem>("miLine");
  EXPECT_EQ(file->Count(), 2);
  EXPECT_THROW(file->SetParentComponent(form_->Get<TPanel>("pnlHead")), EComponentError);
  EXPECT_THROW(file->SetParentComponent(file->Items(0)), EComponentError);
}

TEST_F(ResourceFormTest, ShortCutsOfResourceMenusRunThroughTheFormsKeys) {
  const struct {
    const char* name;
    const char* focus;
    Word key;
    TShiftState shift;
    std::vector<std::string> clicked;
  } cases[] = {
      {"main menu item", "edCode", 'S', {ssCtrl}, {"miSave"}},
      {"disabled item", "edCode", VK_F1 + 4, {}, {}},
      {"second top item's child", "edCode", VK_F1 + 5, {}, {"miToolBar"}},
      {"grid's pop-up menu, focus elsewhere", "edCode", VK_DELETE, {ssCtrl}, {}},
      {"grid's pop-up menu, focus on the grid", "sgLines", VK_DELETE, {ssCtrl}, {"miDeleteRow"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    form_->SetActiveControl(form_->Get<TWinControl>(c.focus));
    form_->Log.clear();
    ASSERT_TRUE(Application().DispatchKey(form_.get(), c.key, c.shift));
    EXPECT_EQ(form_->Log, c.clicked);
  }
  form_->Get<TMenuItem>("miFile")->Click();
  EXPECT_EQ(form_->Log.back(), "opening miFile");
}

TEST_F(ResourceFormTest, ReadFormIsLaidOutAndFollowsItsSize) {
  const auto bounds = [&](const char* name) {
    auto* c = form_->Get<TControl>(name);
    return std::vector<int>{c->Left(), c->Top(), c->Width(), c->Height()};
  };
  const struct {
    const char* name;
    int width, height;
    std::vector<std::vector<int>> expected;  // pnlHead, sgLines, pnlFoot, btnOK
  } sizes[] = {
      {"as read", 400, 300, {{0, 0, 400, 41}, {0, 41, 400, 226}, {0, 267, 400, 33}, {230, 4, 75, 25}}},
      {"wider and taller", 500, 420, {{0, 0, 500, 41}, {0, 41, 500, 346}, {0, 387, 500, 33}, {330, 4, 75, 25}}},
      {"back", 400, 300, {{0, 0, 400, 41}, {0, 41, 400, 226}, {0, 267, 400, 33}, {230, 4, 75, 25}}},
  };
  for (const auto& s : sizes) {
    SCOPED_TRACE(s.name);
    form_->SetBounds(0, 0, s.width, s.height);
    EXPECT_EQ(bounds("pnlHead"), s.expected[0]);
    EXPECT_EQ(bounds("sgLines"), s.expected[1]);
    EXPECT_EQ(bounds("pnlFoot"), s.expected[2]);
    EXPECT_EQ(bounds("btnOK"), s.expected[3]);
    EXPECT_TRUE(CheckLayout(*form_).empty()) << ::testing::PrintToString(CheckLayout(*form_));
  }
  // Read from the resource, the gauge's progress is clamped once its
  // range is read; the label takes the size of its caption.
  EXPECT_EQ(form_->Get<TGauge>("ggProgress")->Progress(), 50);
  auto* label = form_->Get<TLabel>("lblCode");
  EXPECT_GT(label->Width(), 0);
  EXPECT_NE(label->Width(), 65);  // not the default width any more
  EXPECT_EQ(form_->Get<TBitBtn>("btnOK")->Kind(), bkOK);
}

}  // namespace platform::resourceformtest
