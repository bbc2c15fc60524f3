// Layout resolved by the platform: Align, Anchors, a label's AutoSize
// measured with the text metrics, and CheckLayout on a small form with
// known faults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/Layout.h"
#include "platform/ui/PropertyAccess.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/TextMetrics.h"

namespace platform::layouttest {

using testing::A;

using TBounds = std::vector<int>;

TBounds BoundsOf(const TControl& c) { return {c.Left(), c.Top(), c.Width(), c.Height()}; }

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = new TForm(nullptr);
    form_->SetName("frmLayout");
    form_->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override {
    delete form_.get();
    Application().Reset();
  }

  template <typename T>
  T* Make(const char* name, TWinControl* parent, TBounds b) {
    auto* c = new T(form_.get());
    c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(b[0], b[1], b[2], b[3]);
    return c;
  }

  TComponentPtr<TForm> form_;
};

TEST_F(LayoutTest, AlignedChildrenShareTheClientAreaInSideOrder) {
  auto* host = Make<TPanel>("pnlHost", form_.get(), {0, 0, 300, 200});
  struct Child {
    const char* name;
    TAlign align;
    TBounds given;
    TBounds expected;
  };
  // Each takes its side of what is left, in the order made.
  const Child children[] = {
      {"top1", alTop, {0, 0, 10, 20}, {0, 0, 300, 20}},
      {"top2", alTop, {0, 50, 10, 30}, {0, 20, 300, 30}},
      {"bottom", alBottom, {0, 0, 10, 25}, {0, 175, 300, 25}},
      {"left", alLeft, {0, 0, 40, 10}, {0, 50, 40, 125}},
      {"right", alRight, {0, 0, 50, 10}, {250, 50, 50, 125}},
      {"client", alClient, {0, 0, 10, 10}, {40, 50, 210, 125}},
  };
  std::vector<TPanel*> made;
  for (const Child& c : children) {
    TPanel* p = Make<TPanel>(c.name, host, c.given);
    p->SetAlign(c.align);
    made.push_back(p);
  }
  for (std::size_t i = 0; i < made.size(); ++i) EXPECT_EQ(BoundsOf(*made[i]), children[i].expected) << children[i].name;
  // alTop ones go in the order of their Top: moving one above another
  // swaps them.
  made[1]->SetTop(-1);
  EXPECT_EQ(BoundsOf(*made[1]), (TBounds{0, 0, 300, 30}));
  EXPECT_EQ(BoundsOf(*made[0]), (TBounds{0, 30, 300, 20}));

  // Hiding the top bar gives its space to the others; resizing the host
  // lays them out again.
  made[0]->SetVisible(false);
  EXPECT_EQ(BoundsOf(*made[1]), (TBounds{0, 0, 300, 30}));
  EXPECT_EQ(BoundsOf(*made[5]), (TBounds{40, 30, 210, 145}));
  host->SetBounds(0, 0, 500, 300);
  EXPECT_EQ(BoundsOf(*made[2]), (TBounds{0, 275, 500, 25}));
  EXPECT_EQ(BoundsOf(*made[5]), (TBounds{40, 30, 410, 245}));
  // An aligned control that grows pushes the client one aside.
  made[3]->SetWidth(100);
  EXPECT_EQ(BoundsOf(*made[5]), (TBounds{100, 30, 350, 245}));
  // One that goes gives its space back.
  delete made[3];
  EXPECT_EQ(BoundsOf(*made[5]), (TBounds{0, 30, 450, 245}));
}

TEST_F(LayoutTest, MemosComboBoxesAndRadioGroupsAlignAndFormsTakeAClientSize) {
  auto* memo = Make<TMemo>("mmoNote", form_.get(), {5, 5, 10, 10});
  auto* combo = Make<TComboBox>("cbxKind", form_.get(), {5, 5, 10, 21});
  auto* radio = Make<TRadioGroup>("rgpMode", form_.get(), {5, 5, 60, 10});
  // As a resource or a settings document would set them.
  ASSERT_TRUE(SetPropValueByPath(*combo, "Align", A(u8"alTop")));
  ASSERT_TRUE(SetPropValueByPath(*radio, "Align", A(u8"alLeft")));
  ASSERT_TRUE(SetPropValueByPath(*memo, "Align", A(u8"alClient")));
  EXPECT_EQ(BoundsOf(*combo), (TBounds{0, 0, 400, 21}));
  EXPECT_EQ(BoundsOf(*radio), (TBounds{0, 21, 60, 279}));
  EXPECT_EQ(BoundsOf(*memo), (TBounds{60, 21, 340, 279}));
  // The client size is the form's size; setting it lays the form out.
  ASSERT_TRUE(SetPropValueByPath(*form_, "ClientWidth", A(u8"618")));
  ASSERT_TRUE(SetPropValueByPath(*form_, "ClientHeight", A(u8"443")));
  EXPECT_EQ(form_->Width(), 618);
  EXPECT_EQ(form_->ClientHeight(), 443);
  EXPECT_EQ(BoundsOf(*memo), (TBounds{60, 21, 558, 422}));
}

TEST_F(LayoutTest, AnchorsKeepTheirDistanceWhenTheParentIsResized) {
  const struct {
    const char* name;
    TAnchors anchors;
    TBounds expected;  // after 200 x 100 -> 300 x 150
  } cases[] = {
      {"left top", {akLeft, akTop}, {150, 10, 40, 20}},
      {"right top", {akRight, akTop}, {250, 10, 40, 20}},
      {"left and right", {akLeft, akRight, akTop}, {150, 10, 140, 20}},
      {"neither side keeps its centre", {akTop}, {200, 10, 40, 20}},
      {"top and bottom", {akLeft, akTop, akBottom}, {150, 10, 40, 70}},
      {"bottom only", {akLeft, akBottom}, {150, 60, 40, 20}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto* host = Make<TPanel>("pnlHost", form_.get(), {0, 0, 200, 100});
    auto* edit = Make<TEdit>("edAnchored", host, {150, 10, 40, 20});
    edit->SetAnchors(c.anchors);
    host->SetBounds(0, 0, 300, 150);
    EXPECT_EQ(BoundsOf(*edit), c.expected);
    // Back to the first size is back to the first place: nothing drifts.
    host->SetBounds(0, 0, 200, 100);
    EXPECT_EQ(BoundsOf(*edit), (TBounds{150, 10, 40, 20}));
    // A place given by code is the new base.
    edit->SetLeft(100);
    host->SetBounds(0, 0, 300, 150);
    EXPECT_EQ(edit->Left(), c.expected[0] - 50);
    delete edit;
    delete host;
  }
}

TEST_F(LayoutTest, TextIsMeasuredInTheFontAndFallsBackToAFixedWidthPerByte) {
  ASSERT_TRUE(TextMetricsHaveFont()) << "the CJK font of scripts/deps.sh is not installed";
  const TTextSize cjk = MeasureText(A(u8"测试"), "SimSun", -12, {}, 936);
  EXPECT_EQ(cjk.Width, 24);  // two full cells
  EXPECT_GE(cjk.Height, 12);
  EXPECT_LT(MeasureText("ii", "SimSun", -12, {}, 936).Width, MeasureText("WW", "SimSun", -12, {}, 936).Width);
  EXPECT_EQ(MeasureText("Code", "SimSun", -12, {fsBold}, 936).Width,
            MeasureText("Code", "SimSun", -12, {}, 936).Width + 4);
  EXPECT_GT(MeasureText("Code", "SimSun", -16, {}, 936).Width, MeasureText("Code", "SimSun", -12, {}, 936).Width);
  EXPECT_EQ(CodePageOfCharset(CHINESEBIG5_CHARSET), 950u);
  EXPECT_EQ(CodePageOfCharset(GB2312_CHARSET), 936u);
  EXPECT_EQ(CodePageOfCharset(DEFAULT_CHARSET), ProcessCodePage());

  ASSERT_FALSE(SetTextMetricsFontFile("missing-font.ttf"));
  const struct {
    const char* name;
    AnsiString text;
    int height;
    TTextSize expected;
  } fallback[] = {
      {"ASCII", "abc", -12, {18, 14}},
      {"double-byte counts two bytes", A(u8"测试"), -12, {24, 14}},
      {"odd height rounds up", "ab", -13, {14, 15}},
  };
  for (const auto& f : fallback) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(MeasureText(f.text, "SimSun", f.height, {}, 936), f.expected);
  }
  EXPECT_TRUE(SetTextMetricsFontFile(DefaultTextMetricsFontFile()));
}

TEST_F(LayoutTest, AutoSizeLabelsFollowTheirCaptionAndFont) {
  auto* label = Make<TLabel>("lblName", form_.get(), {200, 10, 65, 13});
  label->SetCaption("Name");
  const int narrow = label->Width();
  EXPECT_EQ(narrow, MeasureText("Name", *label->Font()).Width);
  EXPECT_EQ(label->Height(), MeasureText("Name", *label->Font()).Height);
  label->SetCaption("&Name");  // the accelerator mark is not drawn
  EXPECT_EQ(label->Width(), narrow);
  label->Font()->SetStyle({fsBold});
  EXPECT_GT(label->Width(), narrow);

  // Right-justified labels keep their right edge.
  label->SetAlignment(taRightJustify);
  const int right = label->Left() + label->Width();
  label->SetCaption(A(u8"名称和编号"));
  EXPECT_EQ(label->Left() + label->Width(), right);

  // Without AutoSize, or with WordWrap, the size stays as given.
  label->SetAutoSize(false);
  label->SetWidth(30);
  label->SetCaption("A much longer caption");
  EXPECT_EQ(label->Width(), 30);
}

TEST_F(LayoutTest, CheckLayoutNamesOverlapsAndControlsOutsideTheirParent) {
  form_->SetBounds(0, 0, 300, 200);
  Make<TEdit>("edCode", form_.get(), {8, 8, 100, 21});
  Make<TEdit>("edName", form_.get(), {100, 4, 100, 21});  // overlaps edCode
  Make<TEdit>("edHidden", form_.get(), {8, 8, 100, 21})->SetVisible(false);  // hidden: not drawn
  Make<TEdit>("edTouching", form_.get(), {8, 29, 100, 21});  // touches edCode's bottom edge only
  auto* panel = Make<TPanel>("pnlFoot", form_.get(), {0, 150, 300, 40});
  Make<TButton>("btnOK", panel, {250, 8, 75, 25});  // past the panel's right edge
  auto* pages = Make<TPageControl>("pcBody", form_.get(), {0, 60, 300, 85});
  for (const char* name : {"tsOne", "tsTwo"}) {
    auto* sheet = new TTabSheet(form_.get());
    sheet->SetName(name);
    sheet->SetPageControl(pages);
  }
  pages->SetActivePageIndex(0);
  // On the page not shown, still checked: the page is 292 x 57.
  Make<TEdit>("edDeep", pages->Pages(1), {8, 40, 100, 21});

  std::vector<std::string> problems;
  for (const TLayoutProblem& p : CheckLayout(*form_)) problems.push_back(p.Text.c_str());
  EXPECT_EQ(problems, (std::vector<std::string>{
                          "edName overlaps edCode",
                          "btnOK leaves pnlFoot (left 250, top 8, width 75, height 25 in 300 x 40)",
                          "edDeep leaves tsTwo (left 8, top 40, width 100, height 21 in 292 x 57)",
                      }));
  const std::vector<TLayoutProblem> found = CheckLayout(*form_);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].Kind, TLayoutProblem::Overlap);
  EXPECT_EQ(found[0].Other, form_->FindComponent("edCode"));
  EXPECT_EQ(found[1].Kind, TLayoutProblem::OutsideParent);
  EXPECT_EQ(found[1].Other, panel);
}

}  // namespace platform::layouttest
