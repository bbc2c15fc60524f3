// Picture buttons by number and the look-up button: the picture and
// caption a number gives, aligning and binding the look-up button, and the
// look-up request its click posts to the form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/F2Button.h"
#include "platform/FloatFormat.h"
#include "platform/TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"

namespace kv::f2buttontest {
namespace {

using namespace platform;
using platform::testing::A;

// A form that records the look-up requests it handles, by control name
// ("?" for a control that has gone).
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

// A numbered picture set of three pictures, 16 x 16 except number 2
// (32 x 16: two images), number 3 unreadable.
class TThreePictures : public TButtonPictureLibrary {
 public:
  int GetMaxBmpID() const override { return 3; }
  TBitmap LoadBmp(int number) const override {
    if (number == 3) throw Exception("damaged");
    return TBitmap(number == 2 ? 32 : 16, 16, clRed);
  }
};

class LookupButton : public ::testing::Test {
 protected:
  void SetUp() override {
    form = CreateForm<TLookupForm>(&owner);
    form->SetName("frmTest");
    edit = new TEdit(form);
    edit->SetName("edCode");
    edit->SetParent(form);
    edit->SetBounds(100, 30, 120, 21);
    other = new TEdit(form);
    other->SetName("edOther");
    other->SetParent(form);
    button = new TF2Button(form);
    button->SetName("btnCode");
    button->SetParent(form);
    form->Show();
    other->SetFocus();
  }
  void TearDown() override { Application().Reset(); }

  static ScopedDialogScript::FailureHandler FailTest() {
    return [](const AnsiString& failure) { ADD_FAILURE() << failure.ToUtf8(); };
  }

  TComponent owner{nullptr};
  TLookupForm* form = nullptr;
  TEdit* edit = nullptr;
  TEdit* other = nullptr;
  TF2Button* button = nullptr;
};

TEST_F(LookupButton, GlyphNumberChoosesPictureOrCaption) {
  TThreePictures pictures;
  const TButtonPictureLibrary* previous = SetButtonPictureLibrary(&pictures);
  struct Case {
    const char* name;
    int number;
    bool picture;
    int numGlyphs;
    const char* caption;
    bool error;
  };
  const Case cases[] = {
      {"a picture of one image", 1, true, 1, "", false},
      {"a picture of two images", 2, true, 2, "", false},
      {"0 clears the picture", 0, false, 1, "0", false},
      {"above the highest number", 4, false, 1, "4", false},
      {"an unreadable picture", 3, false, 1, "3", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TGSpeedButton b{form};
    b.SetGlyphIndex(1);  // a picture to clear
    b.SetNumGlyphs(1);
    ScopedDialogScript script(FailTest());
    if (c.error) script.Answer("OK");
    b.SetGlyphIndex(c.number);
    EXPECT_EQ(b.GlyphIndex(), c.number);
    EXPECT_EQ(!b.Glyph().Empty(), c.picture);  // the picture of number 1 goes in every case
    EXPECT_EQ(b.NumGlyphs(), c.numGlyphs);
    EXPECT_EQ(b.Caption().Bytes(), c.caption);
    ASSERT_EQ(script.Shown().size(), c.error ? 1u : 0u);
    if (c.error) {
      EXPECT_EQ(script.Shown()[0].Text, A(u8"读取 BMP 发生错误"));
      EXPECT_EQ(script.Shown()[0].Type, mtError);
    }
  }
  SetButtonPictureLibrary(previous);
}

TEST_F(LookupButton, PlatformPicturesShowTheLookupPictureAndNumbersBeyondThem) {
  EXPECT_EQ(button->GlyphIndex(), kLookupPicture);
  EXPECT_TRUE(button->Flat());
  EXPECT_EQ(button->Glyph(), ButtonPicture(kLookupPicture));
  EXPECT_EQ(button->Caption().Bytes(), "");
  button->SetGlyphIndex(ButtonPictureCount() + 27);  // a number the forms use beyond the set
  EXPECT_TRUE(button->Glyph().Empty());
  EXPECT_EQ(button->Caption(), IntToStr(ButtonPictureCount() + 27));
}

TEST_F(LookupButton, AlignsRightOfItsControl) {
  struct Case {
    const char* name;
    bool autoAlign;
    int gap;
    int left, top, width, height;
  };
  const Case cases[] = {
      {"default gap", true, 2, 222, 30, 21, 21},
      {"wider gap", true, 10, 230, 30, 21, 21},
      {"without AutoAlign", false, 5, 0, 0, 23, 22},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TF2Button b{form};
    b.SetParent(form);
    b.SetBounds(0, 0, 23, 22);
    b.SetAutoAlign(c.autoAlign);
    b.SetGap(c.gap);
    b.SetF2Control(edit);
    EXPECT_EQ(b.F2Control(), edit);
    EXPECT_EQ(b.Left(), c.left);
    EXPECT_EQ(b.Top(), c.top);
    EXPECT_EQ(b.Width(), c.width);
    EXPECT_EQ(b.Height(), c.height);
  }
}

TEST_F(LookupButton, ASecondButtonForTheSameControlIsRefused) {
  button->SetF2Control(edit);
  TF2Button second{form};
  second.SetParent(form);
  second.SetF2Control(other);
  {
    ScopedDialogScript script(FailTest());
    script.Answer("OK");
    second.SetF2Control(edit);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, A(u8"不能同时有两个 F2Button 指到同一个 Edit."));
    EXPECT_EQ(script.Shown()[0].Type, mtError);
  }
  EXPECT_EQ(second.F2Control(), other);  // the old binding stays
  // Once the first lets go, the control can be bound again.
  button->SetF2Control(nullptr);
  second.SetF2Control(edit);
  EXPECT_EQ(second.F2Control(), edit);
}

TEST_F(LookupButton, ClickFocusesTheControlAndPostsTheRequest) {
  std::vector<std::string> order;
  struct Recorder {
    std::vector<std::string>* order;
    TLookupForm* form;
    TEdit* edit;
    void Clicked(TObject*) { order->push_back(edit->Focused() ? "click, focused" : "click"); }
  } recorder{&order, form, edit};
  button->OnClick = TNotifyEvent::Bind<&Recorder::Clicked>(&recorder);
  button->SetF2Control(edit);
  ASSERT_TRUE(Application().DispatchClick(button));
  EXPECT_EQ(order, (std::vector<std::string>{"click"}));  // the button's own handler first
  EXPECT_EQ(form->ActiveControl(), edit);
  EXPECT_TRUE(form->Requests.empty());  // posted, not yet handled
  Application().ProcessMessages();
  EXPECT_EQ(form->Requests, (std::vector<std::string>{"edCode"}));
}

TEST_F(LookupButton, NoRequestForAControlThatCannotTakeIt) {
  struct Case {
    const char* name;
    std::function<void()> set, reset;
  };
  const std::vector<Case> cases = {
      {"disabled", [this] { edit->SetEnabled(false); }, [this] { edit->SetEnabled(true); }},
      {"hidden", [this] { edit->SetVisible(false); }, [this] { edit->SetVisible(true); }},
      {"no control", [this] { button->SetF2Control(nullptr); }, [] {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    button->SetF2Control(edit);
    other->SetFocus();
    c.set();
    button->Click();
    Application().ProcessMessages();
    EXPECT_TRUE(form->Requests.empty());
    EXPECT_EQ(form->ActiveControl(), other);
    c.reset();
  }
}

TEST_F(LookupButton, RequestForAControlGoneMeanwhileNamesNone) {
  button->SetF2Control(edit);
  button->Click();
  delete edit;
  EXPECT_EQ(button->F2Control(), nullptr);  // the binding ends with the control
  Application().ProcessMessages();
  EXPECT_EQ(form->Requests, (std::vector<std::string>{"?"}));
}

}  // namespace
}  // namespace kv::f2buttontest
