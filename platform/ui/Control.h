// TControl and TWinControl: the base of every visual control, headless.
//
// A control keeps its state (bounds, visibility, texts, colours, font, tab
// order) and raises its events; it knows nothing of drawing. The renderer
// reads the published properties and takes their change marks
// (Component.h).
//
// Parent and owner are different relations: the owner (usually the form)
// destroys the control; the parent (a windowed control) lists it among its
// children, in z-order (the order they were parented, the last on top). A
// control placed inside another in a form resource gets that one as its
// parent (HasParent / SetParentComponent). A parent that goes first leaves
// its children without a parent.
//
// Windowed controls (TWinControl) can take the focus: CanFocus is true when
// the control and every parent up to its form are visible and enabled.
// The focus itself is the form's ActiveControl (Form.h). Keys reach the
// focused control through the application's input entry point
// (Application.h), after the form's key preview.
//
// Window handles are opaque integers, created on demand by Handle() and
// never given to another window; a posted message names its window by
// handle, so a message for a window that has gone is dropped.
//
// Controls are used on the UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/ui/Colors.h"
#include "platform/ui/Component.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Event.h"
#include "platform/ui/Font.h"

namespace platform {

// An operation that the control's state does not allow (focusing a hidden
// control, showing a visible form modally).
PLATFORM_EXCEPTION_CLASS(EInvalidOperation, Exception);

using THandle = std::uintptr_t;

// Key codes of the keys the system handles by number.
constexpr Word VK_BACK = 8;
constexpr Word VK_TAB = 9;
constexpr Word VK_RETURN = 13;
constexpr Word VK_ESCAPE = 27;
constexpr Word VK_SPACE = 32;
constexpr Word VK_PRIOR = 33;
constexpr Word VK_NEXT = 34;
constexpr Word VK_END = 35;
constexpr Word VK_HOME = 36;
constexpr Word VK_LEFT = 37;
constexpr Word VK_UP = 38;
constexpr Word VK_RIGHT = 39;
constexpr Word VK_DOWN = 40;
constexpr Word VK_INSERT = 45;
constexpr Word VK_DELETE = 46;
constexpr Word VK_F1 = 112;
constexpr Word VK_F12 = 123;

// A window message: the window it is for, its number and two parameters.
struct TMessage {
  THandle Handle = 0;
  unsigned Msg = 0;
  std::intptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_USER = 0x0400;

// The edges of its parent a control keeps its distance to when the parent
// is resized (Layout.h).
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = SetOf<TAnchorKind>;
const TTypeInfo& EnumTypeInfo(TAnchorKind);
const TTypeInfo& SetTypeInfo(TAnchors);

class TWinControl;
class TCustomForm;
class TPopupMenu;

class TControl : public TComponent {
  PLATFORM_CLASS(TControl)

 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // --- parent ---
  TWinControl* Parent() const { return parent_; }
  // Moves the control to the end of the new parent's children (the top of
  // its z-order). A parent that is this control or one of its children is
  // a programmer error.
  virtual void SetParent(TWinControl* parent);
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;

  // --- bounds (pixels at 96 dpi, relative to the parent) ---
  int Left() const { return left_; }
  void SetLeft(int v) { ChangeProperty(left_, v, "Left"); }
  int Top() const { return top_; }
  void SetTop(int v) { ChangeProperty(top_, v, "Top"); }
  int Width() const { return width_; }
  void SetWidth(int v);
  int Height() const { return height_; }
  void SetHeight(int v);
  void SetBounds(int left, int top, int width, int height);

  // --- state ---
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v) { ChangeProperty(visible_, v, "Visible"); }
  void Show() { SetVisible(true); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v) { ChangeProperty(enabled_, v, "Enabled"); }
  // Visible, and every parent up to the top visible too.
  bool Showing() const;
  // Enabled, and every parent up to the top enabled too.
  bool EnabledChain() const;

  // Caption and Text are the same text.
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v) { ChangeProperty(caption_, v, "Caption"); }
  const AnsiString& Text() const { return caption_; }
  void SetText(const AnsiString& v) { SetCaption(v); }
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& v) { ChangeProperty(hint_, v, "Hint"); }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { ChangeProperty(showHint_, v, "ShowHint"); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { ChangeProperty(color_, v, "Color"); }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* font) { font_->Assign(*font); }
  // The menu a right click opens; its shortcuts work while the control or
  // one of its children has the focus.
  TPopupMenu* PopupMenu() const;
  void SetPopupMenu(TPopupMenu* menu);

  // --- layout (Layout.h) ---
  // akLeft and akTop by default.
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors v);

  // --- tab order (used by windowed controls) ---
  // The place among the parent's windowed children when the focus moves
  // by tab order; a new control takes the next free number. Controls of
  // equal numbers keep the order they were parented in.
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int v) { ChangeProperty(tabOrder_, v, "TabOrder"); }
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v) { ChangeProperty(tabStop_, v, "TabStop"); }

  // The form the control is placed on (through its parents); nullptr when
  // none.
  TCustomForm* ParentForm() const;

  // Runs OnClick (a programmatic click runs the same handler).
  virtual void Click();
  TNotifyEvent OnClick;

  // Besides recording the mark: a change of bounds made by code takes the
  // control's place as the base of its anchors; a change of Align,
  // Visible or of an aligned control's bounds lays the parent out again; a
  // label's AutoSize follows its caption and font (Layout.h).
  void MarkChanged(const AnsiString& propertyName) override;

 protected:
  // Width or Height changed (not while the control is read from its
  // resource).
  virtual void Resize() {}
  // Takes the place read from the resource as the base of the anchors.
  void Loaded() override;

 private:
  friend class TWinControl;
  friend struct LayoutAccess;
  // The place the anchors keep: the bounds the control was given and the
  // size of its parent at that time.
  struct AnchorBase {
    int left = 0, top = 0, width = 0, height = 0;
    int parentWidth = 0, parentHeight = 0;
  };
  void UpdateAnchorBase();
  AnchorBase anchorBase_;
  TAnchors anchors_{akLeft, akTop};
  TComponentPtr<TPopupMenu> popupMenu_;
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  AnsiString caption_;
  AnsiString hint_;
  bool showHint_ = false;
  TColor color_ = clBtnFace;
  std::unique_ptr<TFont> font_;
  int tabOrder_ = -1;
  bool tabStop_ = false;
};

class TWinControl : public TControl {
  PLATFORM_CLASS(TWinControl)

 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // --- children in z-order (bottom first) ---
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const;
  bool ContainsControl(const TControl* control) const;  // a child, grandchild ...

  // The windowed descendants in tab order (each child before its own
  // children), every one of them whatever its state.
  std::vector<TWinControl*> TabOrderList() const;
  // The next (or previous) control after current in this control's tab
  // order list that can take the focus, wrapping around; with checkTabStop
  // only controls with TabStop count. nullptr when there is none.
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop) const;

  // --- focus ---
  virtual bool CanFocus() const;
  // Raises EInvalidOperation when the control cannot take the focus.
  virtual void SetFocus();
  bool Focused() const;
  // True when the control handles this key itself, so Enter or Tab does
  // not move the focus (a memo's Enter, a grid's Tab).
  virtual bool WantsKey(Word key, TShiftState shift) const { return false; }

  // --- the window ---
  THandle Handle();
  bool HandleAllocated() const { return handle_ != 0; }
  // Handles a message posted to this window; the default does nothing.
  virtual void WndProc(TMessage& message) {}

  // --- keys (the application's input entry point calls them) ---
  virtual void KeyDown(Word& key, TShiftState shift) { OnKeyDown(this, key, shift); }
  virtual void KeyPress(char& key) { OnKeyPress(this, key); }
  virtual void KeyUp(Word& key, TShiftState shift) { OnKeyUp(this, key, shift); }
  // The focus arrives or leaves.
  virtual void DoEnter() { OnEnter(this); }
  virtual void DoExit() { OnExit(this); }

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // Lays the children out: anchors first, then the aligned children
  // (Layout.h). Runs by itself when the control is resized, when a child's
  // Align or visibility changes and once the control is read.
  void Realign();
  bool Aligning() const { return aligning_ > 0; }

 protected:
  void Resize() override { Realign(); }
  void Loaded() override;

 private:
  friend class TControl;
  friend struct LayoutAccess;
  int aligning_ = 0;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void CollectTabOrder(std::vector<TWinControl*>& list) const;

  std::vector<TControl*> controls_;
  THandle handle_ = 0;
};

}  // namespace platform
