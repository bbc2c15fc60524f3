// Components for the user-interface core tests: a small form-like
// container, a few control-like components and a non-visual source. They
// publish one property of every kind and record what happens to them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/StringList.h"
#include "platform/ui/Collection.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Component.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/Font.h"

namespace platform::uitest {

enum TTestAlign { talNone, talTop, talBottom, talClient };
const TTypeInfo& EnumTypeInfo(TTestAlign);

enum TTestAnchorKind { takLeft, takTop, takRight, takBottom };
using TTestAnchors = SetOf<TTestAnchorKind>;
const TTypeInfo& EnumTypeInfo(TTestAnchorKind);
const TTypeInfo& SetTypeInfo(TTestAnchors);

// A non-visual component; Active requested while loading waits for Loaded.
class TTestSource : public TComponent {
  PLATFORM_CLASS(TTestSource)

 public:
  explicit TTestSource(TComponent* owner) : TComponent(owner) {}
  bool Active() const { return active_; }
  void SetActive(bool on);
  int Activations() const { return activations_; }
  int LoadedCalls() const { return loadedCalls_; }

 protected:
  void Loaded() override;

 private:
  bool active_ = false;
  bool activeRequested_ = false;
  int activations_ = 0;
  int loadedCalls_ = 0;
};

// A control: placed inside a parent, with one published property of every
// kind.
class TTestControl : public TComponent {
  PLATFORM_CLASS(TTestControl)

 public:
  explicit TTestControl(TComponent* owner);
  ~TTestControl() override;

  int Left() const { return left_; }
  void SetLeft(int v) { Set(left_, v, "Left"); }
  int Top() const { return top_; }
  void SetTop(int v) { Set(top_, v, "Top"); }
  int Width() const { return width_; }
  void SetWidth(int v) { Set(width_, v, "Width"); }
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v) { Set(caption_, v, "Caption"); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Set(visible_, v, "Visible"); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Set(color_, v, "Color"); }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor v) { Set(cursor_, v, "Cursor"); }
  TTestAlign Align() const { return align_; }
  void SetAlign(TTestAlign v) { Set(align_, v, "Align"); }
  TTestAnchors Anchors() const { return anchors_; }
  void SetAnchors(TTestAnchors v) { Set(anchors_, v, "Anchors"); }
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char v) { Set(passwordChar_, v, "PasswordChar"); }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { Set(ratio_, v, "Ratio"); }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* font) { font_->Assign(*font); }
  TTestSource* Source() const { return source_; }
  void SetSource(TTestSource* source);
  // A read-only property.
  int Handle() const { return 42; }

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return parent_.get(); }
  void SetParentComponent(TComponent* parent) override { parent_ = parent; }

  void Click() { OnClick(this); }

  TNotifyEvent OnClick;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;

  // What the tests look at.
  int SetsWhileLoading() const { return setsWhileLoading_; }
  int LoadedCalls() const { return loadedCalls_; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

 private:
  template <typename V, typename W>
  void Set(V& field, const W& value, const char* name) {
    if (Loading()) ++setsWhileLoading_;
    ChangeProperty(field, value, name);
  }

  int left_ = 0, top_ = 0, width_ = 75;
  AnsiString caption_;
  bool visible_ = true;
  TColor color_ = clBtnFace;
  TCursor cursor_ = crDefault;
  TTestAlign align_ = talNone;
  TTestAnchors anchors_{takLeft, takTop};
  char passwordChar_ = 0;
  double ratio_ = 1.0;
  std::unique_ptr<TFont> font_;
  TTestSource* source_ = nullptr;
  TComponentPtr<TComponent> parent_;
  int setsWhileLoading_ = 0;
  int loadedCalls_ = 0;
};

// A memo: its lines.
class TTestMemo : public TTestControl {
  PLATFORM_CLASS(TTestMemo)

 public:
  explicit TTestMemo(TComponent* owner) : TTestControl(owner) {}
  TStringList* Lines() const { return lines_.get(); }

 private:
  std::unique_ptr<TStringList> lines_ = std::make_unique<TStringList>();
};

// A combo box: items and the selected index.
class TTestCombo : public TTestControl {
  PLATFORM_CLASS(TTestCombo)

 public:
  explicit TTestCombo(TComponent* owner) : TTestControl(owner) {}
  TStringList* Items() const { return items_.get(); }
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int i) { ChangeProperty(itemIndex_, i, "ItemIndex"); }

 private:
  std::unique_ptr<TStringList> items_ = std::make_unique<TStringList>();
  int itemIndex_ = -1;
};

// A column of a list view.
class TTestColumn : public TCollectionItem {
  PLATFORM_CLASS(TTestColumn)

 public:
  explicit TTestColumn(TCollection* collection) : TCollectionItem(collection) {}
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v) { ChangeProperty(caption_, v, "Caption"); }
  int Width() const { return width_; }
  void SetWidth(int v) { ChangeProperty(width_, v, "Width"); }
  void Assign(const TPersistent& source) override;

 private:
  AnsiString caption_;
  int width_ = 50;
};

// A list view: its columns.
class TTestListView : public TTestControl {
  PLATFORM_CLASS(TTestListView)

 public:
  explicit TTestListView(TComponent* owner);
  TCollectionOf<TTestColumn>* Columns() const { return columns_.get(); }

 private:
  std::unique_ptr<TCollectionOf<TTestColumn>> columns_ = std::make_unique<TCollectionOf<TTestColumn>>();
};

// The form-like container: owns everything its resources create and
// publishes the handlers they wire.
class TTestForm : public TComponent {
  PLATFORM_CLASS(TTestForm)

 public:
  explicit TTestForm(TComponent* owner);
  ~TTestForm() override;

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v) { ChangeProperty(caption_, v, "Caption"); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { ChangeProperty(color_, v, "Color"); }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* font) { font_->Assign(*font); }

  TNotifyEvent OnShow;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TKeyEvent OnKeyDown;

  // Published handlers; each appends its name (and its sender's) to Calls.
  void FormShow(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void btnOKClick(TObject* sender);
  void btnCancelClick(TObject* sender);
  void edNameKeyDown(TObject* sender, Word& key, TShiftState shift);

  std::vector<std::string> Calls;
  int LoadedCalls() const { return loadedCalls_; }

 protected:
  void Loaded() override;
  void Record(const char* handler, TObject* sender);

 private:
  AnsiString caption_;
  TColor color_ = clBtnFace;
  std::unique_ptr<TFont> font_;
  int loadedCalls_ = 0;
};

// Forms whose resources are embedded in the test binary.
class TTestBaseForm : public TTestForm {
  PLATFORM_CLASS(TTestBaseForm)

 public:
  explicit TTestBaseForm(TComponent* owner) : TTestForm(owner) {}
};

class TTestDerivedForm : public TTestBaseForm {
  PLATFORM_CLASS(TTestDerivedForm)

 public:
  explicit TTestDerivedForm(TComponent* owner) : TTestBaseForm(owner) {}
  void btnHelpClick(TObject* sender);
};

// A form that the tests give resource texts of their own.
class TTestPlainForm : public TTestForm {
  PLATFORM_CLASS(TTestPlainForm)

 public:
  explicit TTestPlainForm(TComponent* owner) : TTestForm(owner) {}
};

}  // namespace platform::uitest
