// Bit buttons (kinds, glyphs) and gauges (progress within its range), and
// what the renderer sees of them.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/Application.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Form.h"
#include "platform/ui/Gauges.h"
#include "platform/ui/Render.h"

namespace platform::bitbtntest {

class BitBtnGaugeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 300, 200);
  }
  void TearDown() override {
    delete form_.get();
    Application().Reset();
  }
  TBitBtn* Button() {
    auto* b = new TBitBtn(form_.get());
    b->SetParent(form_.get());
    return b;
  }

  TComponentPtr<TForm> form_;
};

TEST_F(BitBtnGaugeTest, KindGivesTheStandardRole) {
  const struct {
    TBitBtnKind kind;
    const char* caption;
    TModalResult result;
    bool isDefault, isCancel;
  } cases[] = {
      {bkOK, "OK", mrOk, true, false},     {bkCancel, "Cancel", mrCancel, false, true},
      {bkYes, "&Yes", mrYes, true, false}, {bkNo, "&No", mrNo, false, true},
      {bkClose, "&Close", mrNone, false, false}, {bkRetry, "&Retry", mrRetry, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    TBitBtn* b = Button();
    b->SetKind(c.kind);
    EXPECT_EQ(b->Caption(), c.caption);
    EXPECT_EQ(b->ModalResult(), c.result);
    EXPECT_EQ(b->Default(), c.isDefault);
    EXPECT_EQ(b->Cancel(), c.isCancel);
    delete b;
  }
  // Back to custom keeps what the button has.
  TBitBtn* b = Button();
  b->SetKind(bkOK);
  b->SetKind(bkCustom);
  EXPECT_EQ(b->Caption(), "OK");
  EXPECT_EQ(b->ModalResult(), mrOk);
}

TEST_F(BitBtnGaugeTest, ModalResultAndCloseButtonsEndTheirForm) {
  form_->Show();
  TBitBtn* ok = Button();
  ok->SetKind(bkOK);
  TBitBtn* close = Button();
  close->SetKind(bkClose);
  close->Click();
  EXPECT_FALSE(form_->Visible());  // closed (hidden, the default close action)
  EXPECT_EQ(form_->ModalResult(), mrNone);
  form_->Show();
  ok->Click();
  EXPECT_EQ(form_->ModalResult(), mrOk);
}

TEST_F(BitBtnGaugeTest, GlyphReachesTheRendererByContentHash) {
  TBitBtn* b = Button();
  EXPECT_EQ(RenderPropertiesOf(*b).at("Glyph").Text, "");
  EXPECT_FALSE(b->MakeDisabledGlyph());
  TBitmap picture(16, 16, clRed);
  picture.FillRect(4, 4, 12, 12, clBlue);
  b->SetGlyph(picture);
  const RenderProperties before = RenderPropertiesOf(*b);
  EXPECT_EQ(before.at("Glyph").Text.Length(), 16u);
  EXPECT_EQ(before.at("NumGlyphs").Integer, 1);
  b->TakeChanges();
  ASSERT_TRUE(b->MakeDisabledGlyph());
  EXPECT_EQ(b->Glyph().Width(), 32);
  EXPECT_EQ(b->GlyphPart(0), picture);
  EXPECT_TRUE(b->GlyphPart(2).Empty());
  const RenderProperties after = RenderPropertiesOf(*b);
  EXPECT_NE(after.at("Glyph").Text, before.at("Glyph").Text);
  EXPECT_EQ(b->TakeChanges(), (std::vector<AnsiString>{"Glyph", "NumGlyphs"}));
}

TEST_F(BitBtnGaugeTest, GaugeProgressStaysInItsRange) {
  auto* gauge = new TGauge(form_.get());
  const struct {
    const char* name;
    int min, max, progress;
    int expected, percent;
  } cases[] = {
      {"inside", 0, 200, 50, 50, 25},
      {"above", 0, 200, 500, 200, 100},
      {"below", 10, 20, 3, 10, 0},
      {"min above max", 50, 40, 45, 50, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    gauge->SetMinValue(0);
    gauge->SetMaxValue(100);
    gauge->SetMinValue(c.min);
    gauge->SetMaxValue(c.max);
    gauge->SetProgress(c.progress);
    EXPECT_EQ(gauge->Progress(), c.expected);
    EXPECT_EQ(gauge->PercentDone(), c.percent);
  }
  // A range that shrinks below the progress takes it along.
  gauge->SetMinValue(0);
  gauge->SetMaxValue(40);
  gauge->SetProgress(30);
  gauge->SetMaxValue(10);
  EXPECT_EQ(gauge->Progress(), 10);
  gauge->SetProgress(8);
  gauge->AddProgress(5);
  EXPECT_EQ(gauge->Progress(), 10);
  gauge->SetForeColor(clBlue);
  const RenderProperties p = RenderPropertiesOf(*gauge);
  EXPECT_EQ(p.at("Progress").Integer, 10);
  EXPECT_EQ(p.at("MaxValue").Integer, 10);
  EXPECT_EQ(p.at("ForeColor").Integer, ColorToRGB(clBlue));
}

}  // namespace platform::bitbtntest
