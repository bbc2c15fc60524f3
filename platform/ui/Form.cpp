#include "platform/ui/Form.h"

#include <cassert>

#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/FormResource.h"
#include "platform/ui/Menus.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TWindowState) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"});
  return t;
}

const TClassInfo& TCustomForm::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TCustomForm>("TCustomForm", TWinControl::StaticClass())
          .Boolean("Visible", &TCustomForm::Visible, &TCustomForm::SetVisible)
          .Default(false)
          .Boolean("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview)
          .Default(false)
          .Reference("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
          .Enumeration("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState)
          .Default(wsNormal)
          .Integer("ModalResult", &TCustomForm::ModalResult, &TCustomForm::SetModalResult)
          .Integer("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth)
          .Integer("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight)
          .Event("OnCreate", &TCustomForm::OnCreate)
          .Event("OnDestroy", &TCustomForm::OnDestroy)
          .Event("OnShow", &TCustomForm::OnShow)
          .Event("OnHide", &TCustomForm::OnHide)
          .Event("OnActivate", &TCustomForm::OnActivate)
          .Event("OnDeactivate", &TCustomForm::OnDeactivate)
          .Event("OnClose", &TCustomForm::OnClose)
          .Event("OnCloseQuery", &TCustomForm::OnCloseQuery)
          .Event("OnResize", &TCustomForm::OnResize)
          .Build();
  return info;
}

const TClassInfo& TForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TForm>("TForm", TCustomForm::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TForm);

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  TControl::SetVisible(false);
  SetTabStop(false);
  Screen().AddForm(this);
}

TCustomForm::~TCustomForm() {
  // The controls go before the members they might use.
  BeginDestroy();
  DestroyComponents();
  Application().EndModal(this);
  Screen().RemoveForm(this);
}

void TCustomForm::AfterConstruction() {
  assert(!created_);
  created_ = true;
  InitInheritedComponent(*this, TCustomForm::StaticClass());
  OnCreate(this);
}

void TCustomForm::BeforeDestruction() {
  if (destroyRun_) return;
  destroyRun_ = true;
  try {
    OnDestroy(this);
  } catch (...) {
    Application().HandleException(this);
  }
  BeginDestroy();
}

void TCustomForm::Free() {
  assert(busy_ == 0 && !modal_);
  BeforeDestruction();
  delete this;
}

void TCustomForm::Release() { Application().PostRelease(this); }

void TCustomForm::SetVisible(bool v) {
  if (v == Visible()) return;
  if (Loading() || Destroying()) {
    TControl::SetVisible(v);
    return;
  }
  TComponentPtr<TCustomForm> self(this);
  if (v) {
    DoShow();
    if (!self) return;
    TControl::SetVisible(true);
    FocusFirst();
    if (!self) return;
    Screen().ActivateForm(this);
  } else {
    DoHide();
    if (!self) return;
    TControl::SetVisible(false);
    if (Screen().ActiveForm() == this) Screen().ActivateForm(nullptr);
  }
}

void TCustomForm::Show() {
  SetVisible(true);
  if (Visible()) Screen().ActivateForm(this);
}

void TCustomForm::Hide() { SetVisible(false); }

bool TCustomForm::Active() const { return Screen().ActiveForm() == this; }

TModalResult TCustomForm::ShowModal() {
  if (Visible() || modal_ || !Enabled()) throw EInvalidOperation("Cannot make a visible window modal");
  TApplication& app = Application();
  TFormBusy busy(this);
  modal_ = true;
  SetModalResult(mrNone);
  app.BeginModal(this);
  struct EndModal {
    TCustomForm* form;
    ~EndModal() {
      form->modal_ = false;
      Application().EndModal(form);
    }
  } endModal{this};
  Show();
  while (true) {
    if (app.Terminated()) {
      modalResult_ = mrCancel;
      break;
    }
    if (modalResult_ != mrNone) {
      CloseModal();
      if (modalResult_ != mrNone) break;
    }
    app.HandleMessage();
  }
  const TModalResult result = modalResult_;
  Hide();
  return result;
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  if (action == caNone) SetModalResult(mrNone);
  else if (action == caFree) Release();
}

void TCustomForm::Close() {
  if (modal_) {
    SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  switch (action) {
    case caNone:
      break;
    case caHide:
      Hide();
      break;
    case caMinimize:
      SetWindowState(wsMinimized);
      break;
    case caFree:
      Hide();
      Release();
      break;
  }
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_.get()) return;
  assert(!control || (control != this && control->ParentForm() == this));
  if (!Visible() || Loading()) {
    activeControl_ = control;
    MarkChanged("ActiveControl");
    return;
  }
  if (control && !control->CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  TComponentPtr<TWinControl> previous = activeControl_;
  TComponentPtr<TWinControl> next(control);
  // OnExit already sees the control the focus goes to.
  activeControl_ = control;
  MarkChanged("ActiveControl");
  if (previous) previous->DoExit();
  if (next && activeControl_.get() == next.get()) next->DoEnter();
}

void TCustomForm::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(current, goForward, checkTabStop)) SetActiveControl(next);
}

void TCustomForm::FocusFirst() {
  TWinControl* target = activeControl_.get();
  if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true, true);
  activeControl_ = nullptr;
  if (target) SetActiveControl(target);
}

void TCustomForm::SetModalResult(TModalResult v) {
  ChangeProperty(modalResult_, v, "ModalResult");
  if (modal_ && v != mrNone) Application().WakeUp();
}

bool TCustomForm::IsShortCut(Word& key, TShiftState shift) {
  if (key == 0) return false;
  // The focused control's own pop-up menu first, then its parents' (the
  // menu nearest the focus wins), then the form's menus.
  for (TControl* c = activeControl_.get(); c && c != this; c = c->Parent()) {
    TPopupMenu* menu = c->PopupMenu();
    if (menu && menu->IsShortCut(key, shift)) {
      key = 0;
      return true;
    }
  }
  return DispatchMenuShortCut(*this, key, shift);
}

bool TCustomForm::SelectPageForKey(Word& key, TShiftState shift) {
  if (!shift.Contains(ssCtrl) || shift.Contains(ssAlt)) return false;
  bool goForward;
  if (key == VK_TAB) goForward = !shift.Contains(ssShift);
  else if ((key == VK_NEXT || key == VK_PRIOR) && !shift.Contains(ssShift)) goForward = key == VK_NEXT;
  else return false;
  // The page control nearest the focus: the focused one, or the one whose
  // page holds the focused control.
  for (TControl* c = activeControl_.get(); c && c != this; c = c->Parent()) {
    if (auto* pages = dynamic_cast<TPageControl*>(c)) {
      key = 0;
      pages->SelectNextPage(goForward);
      return true;
    }
  }
  return false;
}

void TCustomForm::Resize() {
  TWinControl::Resize();
  OnResize(this);
}

void TCustomForm::WndProc(TMessage& message) {
  if (message.Msg == WM_CLOSE) Close();
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
}

}  // namespace platform
