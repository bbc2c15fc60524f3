// TCustomForm and TForm: a top-level window of the application, headless.
//
// Life: create a form with CreateForm<T>(owner), which constructs it, reads
// the form resources of its class chain (InitInheritedComponent, below
// TCustomForm) and runs OnCreate. A form is freed by its owner, by Free(),
// or later by Release() / the close action caFree, which post the free so
// it happens after the current event. OnDestroy runs in BeforeDestruction,
// which every free the platform carries out calls first; code that deletes
// a form itself calls Free(). A form without an owner that may free itself
// (caFree, Release) must not be held by a std::unique_ptr; observe it with
// a TComponentPtr.
//
// Showing: Show() makes the form visible (OnShow first), activates it
// (OnActivate) and focuses its ActiveControl or, without one, the first
// control in tab order. Hide() hides it (OnHide). ShowModal() shows it and
// runs a nested message loop until ModalResult is set (a button, code, a
// posted message), then asks the form to close (OnCloseQuery, OnClose; a
// refusal or caNone clears ModalResult and the loop goes on), hides it and
// returns the result. While the loop runs, input for every other form is
// dropped (Application.h). When the application terminates, every nested
// loop returns mrCancel.
//
// Closing: Close() on a modal form sets ModalResult mrCancel. Otherwise it
// asks OnCloseQuery (CanClose, true by default), then OnClose with the
// action caHide, which the handler may change: caNone keeps the form as it
// is, caHide hides it, caMinimize minimises it, caFree hides it and
// releases it. A close request posted as WM_CLOSE runs Close() when the
// message is handled.
//
// Keys: with KeyPreview the form's OnKeyDown / OnKeyPress / OnKeyUp see a
// key before the focused control and consume it by setting it to 0. A key
// left over goes to the menu shortcuts (IsShortCut), then to the focused
// control; what it leaves may switch pages (SelectPageForKey). Enter
// (as a character) and Tab (as a key) not consumed by the form or by the
// control, and not wanted by the control (WantsKey), move the focus to the
// next control in tab order (Shift+Tab to the previous one).
#pragma once

#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Control.h"

namespace platform {

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
const TTypeInfo& EnumTypeInfo(TWindowState);

class TCustomForm : public TWinControl {
  PLATFORM_CLASS(TCustomForm)

 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  // Reads the form's resources and runs OnCreate; CreateForm calls it once
  // the form is fully constructed. Raises what the resource reader raises.
  void AfterConstruction();
  // Runs OnDestroy (once) and enters csDestroying.
  void BeforeDestruction();
  // Frees the form now. Never from one of its own handlers: use Release.
  void Free();
  // Frees the form after the current event (a posted free).
  void Release();

  // --- showing ---
  void SetVisible(bool v) override;
  void Show();
  void Hide();
  TModalResult ShowModal();
  bool Modal() const { return modal_; }
  // The client area is the form's whole Width x Height (the renderer draws
  // the caption, menu bar and border outside it), so these are the size.
  int ClientWidth() const { return Width(); }
  void SetClientWidth(int v) { SetWidth(v); }
  int ClientHeight() const { return Height(); }
  void SetClientHeight(int v) { SetHeight(v); }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult v);
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState v) { ChangeProperty(windowState_, v, "WindowState"); }
  // The form the application's screen treats as active.
  bool Active() const;

  // --- closing ---
  void Close();
  // Runs OnCloseQuery; true when the form may close.
  virtual bool CloseQuery();

  // --- focus ---
  TWinControl* ActiveControl() const { return activeControl_.get(); }
  // Moves the focus (OnExit of the old control, then OnEnter of the new).
  // A control that is not on this form is a programmer error; one that
  // cannot take the focus raises EInvalidOperation once the form is
  // showing (before, it is only remembered).
  void SetActiveControl(TWinControl* control);
  // Moves the focus to the next (previous) control after current in tab
  // order, wrapping around.
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
  void FocusControl(TWinControl* control) { SetActiveControl(control); }

  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool v) { ChangeProperty(keyPreview_, v, "KeyPreview"); }

  // A key the form's key preview left is offered to the menus: the pop-up
  // menus of the focused control and of its parents, then the menus the
  // form owns (DispatchMenuShortCut). Sets key to 0 and returns true when
  // an item's OnClick ran.
  virtual bool IsShortCut(Word& key, TShiftState shift);
  // Ctrl+Tab and Ctrl+PageDown choose the next page of the page control
  // that holds the focus, Ctrl+Shift+Tab and Ctrl+PageUp the previous one,
  // as a user's choice (OnChanging may refuse it). Sets key to 0 and
  // returns true when the key was such a key and a page control held the
  // focus.
  bool SelectPageForKey(Word& key, TShiftState shift);

  // WM_CLOSE runs Close(); other messages are the descendants'.
  void WndProc(TMessage& message) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnResize;

  // The application's bookkeeping: how many of the form's handlers are
  // running (a busy form is not freed).
  int BusyCount() const { return busy_; }

 protected:
  virtual void DoShow() { OnShow(this); }
  virtual void DoHide() { OnHide(this); }
  virtual void DoClose(TCloseAction& action) { OnClose(this, action); }
  virtual void Activate() { OnActivate(this); }
  virtual void Deactivate() { OnDeactivate(this); }
  void Resize() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TApplication;
  friend class TScreen;
  friend class TFormBusy;
  void CloseModal();
  void FocusFirst();

  TComponentPtr<TWinControl> activeControl_;
  TModalResult modalResult_ = mrNone;
  TWindowState windowState_ = wsNormal;
  bool keyPreview_ = false;
  bool modal_ = false;
  bool created_ = false;
  bool destroyRun_ = false;
  int busy_ = 0;
};

class TForm : public TCustomForm {
  PLATFORM_CLASS(TForm)

 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// Marks a form busy while one of its handlers runs (the application does
// not free it meanwhile).
class TFormBusy {
 public:
  explicit TFormBusy(TCustomForm* form) : form_(form) {
    if (form_) ++form_->busy_;
  }
  ~TFormBusy() {
    if (form_) --form_->busy_;
  }
  TFormBusy(const TFormBusy&) = delete;
  TFormBusy& operator=(const TFormBusy&) = delete;

 private:
  TComponentPtr<TCustomForm> form_;
};

// Constructs a form of class T, reads its resources and runs OnCreate.
template <typename T>
T* CreateForm(TComponent* owner) {
  static_assert(std::is_base_of_v<TCustomForm, T>);
  std::unique_ptr<T> form(new T(owner));
  form->AfterConstruction();
  return form.release();
}

}  // namespace platform
