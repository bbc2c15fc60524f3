#include "platform/ui/Application.h"

#include <algorithm>
#include <cassert>

#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

// --- TApplication ---

const TClassInfo& TApplication::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TApplication>("TApplication", TComponent::StaticClass())
          .String("Title", &TApplication::Title, &TApplication::SetTitle)
          .Boolean("ShowHint", &TApplication::ShowHint, &TApplication::SetShowHint)
          .Integer("HintPause", &TApplication::HintPause, &TApplication::SetHintPause)
          .Integer("HintHidePause", &TApplication::HintHidePause, &TApplication::SetHintHidePause)
          .Integer("HintShortPause", &TApplication::HintShortPause, &TApplication::SetHintShortPause)
          .Event("OnException", &TApplication::OnException)
          .Build();
  return info;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner), uiThread_(std::this_thread::get_id()) {}

TApplication::~TApplication() {
  BeginDestroy();
  DestroyComponents();
}

TApplication& Application() {
  // Lives until the process ends: controls and forms may outlive any
  // static object.
  static TApplication* const application = new TApplication(nullptr);
  return *application;
}

void TApplication::Run() {
  assert(IsUIThread());
  while (!Terminated()) HandleMessage();
  if (ModalLevel() > 0) return;
  // The pending frees are carried out; everything else queued is dropped.
  std::deque<QueuedMessage> rest;
  {
    std::lock_guard lock(mutex_);
    rest.swap(queue_);
  }
  for (QueuedMessage& m : rest)
    if (m.Release)
      if (auto* form = dynamic_cast<TCustomForm*>(FindControl(m.Message.Handle))) pendingReleases_.push_back(form);
  FreePendingReleases();
}

bool TApplication::TakeMessage(QueuedMessage& message) {
  std::lock_guard lock(mutex_);
  if (queue_.empty()) return false;
  message = std::move(queue_.front());
  queue_.pop_front();
  return true;
}

void TApplication::HandleMessage() {
  assert(IsUIThread());
  // Once terminated, nothing more happens inside a modal loop: every loop
  // returns first.
  if (Terminated() && ModalLevel() > 0) return;
  QueuedMessage message;
  if (TakeMessage(message)) {
    try {
      Dispatch(message);
    } catch (...) {
      HandleException(this);
    }
    FreePendingReleases();
    return;
  }
  if (idle_) {
    try {
      idle_();
    } catch (...) {
      HandleException(this);
    }
  }
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [this] { return !queue_.empty() || terminated_ || wakeUps_ > 0; });
  wakeUps_ = 0;
}

void TApplication::ProcessMessages() {
  assert(IsUIThread());
  // Only what is queued now: a message posted by a handler waits for the
  // next round.
  std::size_t count;
  {
    std::lock_guard lock(mutex_);
    count = queue_.size();
  }
  QueuedMessage message;
  for (; count > 0; --count) {
    if (Terminated() && ModalLevel() > 0) return;
    if (!TakeMessage(message)) break;
    try {
      Dispatch(message);
    } catch (...) {
      HandleException(this);
    }
    FreePendingReleases();
  }
}

void TApplication::Dispatch(QueuedMessage& message) {
  if (message.Call) {
    message.Call();
    return;
  }
  TWinControl* target = FindControl(message.Message.Handle);
  if (!target) return;  // the window has gone
  if (message.Release) {
    if (auto* form = dynamic_cast<TCustomForm*>(target)) pendingReleases_.push_back(form);
    return;
  }
  TFormBusy busy(target->ParentForm());
  target->WndProc(message.Message);
}

void TApplication::FreePendingReleases() {
  if (Terminated() && ModalLevel() > 0) return;
  while (true) {
    auto it = std::find_if(pendingReleases_.begin(), pendingReleases_.end(), [](const TComponentPtr<TCustomForm>& p) {
      return !p || (p->BusyCount() == 0 && !p->Modal());
    });
    if (it == pendingReleases_.end()) return;
    TCustomForm* form = it->get();
    pendingReleases_.erase(it);
    if (!form) continue;
    // A form released twice is freed once.
    std::erase_if(pendingReleases_, [form](const TComponentPtr<TCustomForm>& p) { return p.get() == form; });
    form->Free();
  }
}

void TApplication::Terminate() {
  {
    std::lock_guard lock(mutex_);
    terminated_ = true;
  }
  wake_.notify_all();
}

bool TApplication::Terminated() const {
  std::lock_guard lock(mutex_);
  return terminated_;
}

void TApplication::WakeUp() {
  {
    std::lock_guard lock(mutex_);
    ++wakeUps_;
  }
  wake_.notify_all();
}

void TApplication::Reset() {
  assert(IsUIThread() && ModalLevel() == 0);
  {
    std::lock_guard lock(mutex_);
    terminated_ = false;
  }
  ProcessMessages();
  std::lock_guard lock(mutex_);
  queue_.clear();
  wakeUps_ = 0;
}

void TApplication::PostMessage(THandle window, unsigned msg, std::intptr_t wParam, std::intptr_t lParam) {
  QueuedMessage m;
  m.Message = TMessage{window, msg, wParam, lParam, 0};
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(m));
  }
  wake_.notify_all();
}

void TApplication::QueueCall(std::function<void()> call) {
  assert(call);
  QueuedMessage m;
  m.Call = std::move(call);
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(m));
  }
  wake_.notify_all();
}

void TApplication::PostRelease(TCustomForm* form) {
  QueuedMessage m;
  m.Message.Handle = form->Handle();
  m.Release = true;
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(m));
  }
  wake_.notify_all();
}

// --- modality ---

TCustomForm* TApplication::ModalForm() const { return modalForms_.empty() ? nullptr : modalForms_.back(); }

bool TApplication::AcceptsInput(const TCustomForm* form) const {
  return form && (modalForms_.empty() || modalForms_.back() == form);
}

void TApplication::BeginModal(TCustomForm* form) { modalForms_.push_back(form); }

void TApplication::EndModal(TCustomForm* form) {
  auto it = std::find(modalForms_.rbegin(), modalForms_.rend(), form);
  if (it != modalForms_.rend()) modalForms_.erase(std::next(it).base());
}

// --- controls and windows ---

void TApplication::RegisterControl(TControl* control) { live_.insert(control); }

void TApplication::UnregisterControl(TControl* control) { live_.erase(control); }

THandle TApplication::AllocateHandle(TWinControl* control) {
  lastHandle_ += 4;
  windows_[lastHandle_] = control;
  return lastHandle_;
}

bool TApplication::IsLive(const TControl* control) const { return control && live_.count(control) != 0; }

TControl* TApplication::FindControlById(std::uint64_t instanceId) const {
  for (const TControl* c : live_)
    if (c->InstanceId() == instanceId) return const_cast<TControl*>(c);
  return nullptr;
}

TWinControl* TApplication::FindControl(THandle handle) const {
  auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : it->second;
}

// --- input ---

TWinControl* TApplication::InputTarget(TCustomForm* form) const {
  TWinControl* target = form->ActiveControl();
  if (!target || !IsLive(target) || target->ParentForm() != form || !target->Showing() || !target->EnabledChain())
    return nullptr;
  return target;
}

namespace {

bool FormTakesInput(const TApplication& app, TCustomForm* form) {
  return app.IsLive(form) && !form->Destroying() && form->Showing() && form->Enabled() && app.AcceptsInput(form);
}

}  // namespace

bool TApplication::DispatchKey(TCustomForm* form, Word key, TShiftState shift) {
  if (!FormTakesInput(*this, form)) return false;
  TComponentPtr<TCustomForm> f(form);
  TFormBusy busy(form);
  try {
    TComponentPtr<TWinControl> target(InputTarget(form));
    if (form->KeyPreview() || !target) {
      form->KeyDown(key, shift);
      if (key == 0 || !f) return true;
      target = InputTarget(form);
    }
    if (form->IsShortCut(key, shift) || !f) return true;
    target = InputTarget(form);
    if (target) {
      target->KeyDown(key, shift);
      if (key == 0 || !f) return true;
    }
    if (form->SelectPageForKey(key, shift) || !f) return true;
    if (key == VK_TAB && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt) &&
        !(target && target->WantsKey(key, shift)))
      form->SelectNext(target.get(), !shift.Contains(ssShift), true);
  } catch (...) {
    HandleException(form);
  }
  return true;
}

bool TApplication::DispatchKeyUp(TCustomForm* form, Word key, TShiftState shift) {
  if (!FormTakesInput(*this, form)) return false;
  TComponentPtr<TCustomForm> f(form);
  TFormBusy busy(form);
  try {
    TComponentPtr<TWinControl> target(InputTarget(form));
    if (form->KeyPreview() || !target) {
      form->KeyUp(key, shift);
      if (key == 0 || !f) return true;
      target = InputTarget(form);
    }
    if (target) target->KeyUp(key, shift);
  } catch (...) {
    HandleException(form);
  }
  return true;
}

bool TApplication::DispatchChar(TCustomForm* form, char ch) {
  if (!FormTakesInput(*this, form)) return false;
  TComponentPtr<TCustomForm> f(form);
  TFormBusy busy(form);
  try {
    TComponentPtr<TWinControl> target(InputTarget(form));
    if (form->KeyPreview() || !target) {
      form->KeyPress(ch);
      if (ch == 0 || !f) return true;
      target = InputTarget(form);
    }
    if (target) {
      target->KeyPress(ch);
      if (ch == 0 || !f) return true;
    }
    if (ch == '\r' && !(target && target->WantsKey(VK_RETURN, TShiftState())))
      form->SelectNext(target.get(), true, true);
  } catch (...) {
    HandleException(form);
  }
  return true;
}

bool TApplication::DispatchClick(TControl* control) {
  if (!IsLive(control) || control->Destroying() || !control->Showing() || !control->EnabledChain()) return false;
  TCustomForm* form = control->ParentForm();
  if (!form || !AcceptsInput(form)) return false;
  TFormBusy busy(form);
  try {
    control->Click();
  } catch (...) {
    HandleException(control);
  }
  return true;
}

// --- exceptions ---

void TApplication::HandleException(TObject* sender) {
  auto report = [&](const Exception& e) {
    if (!OnException) {
      ShowException(e);
      return;
    }
    try {
      OnException(sender, e);
    } catch (const EAbort&) {
    } catch (const Exception& inner) {
      ShowException(inner);
    } catch (const std::exception& inner) {
      ShowException(Exception(inner.what()));
    }
  };
  try {
    throw;
  } catch (const EAbort&) {
    // The silent abort.
  } catch (const Exception& e) {
    report(e);
  } catch (const std::exception& e) {
    report(Exception(e.what()));
  } catch (...) {
    report(Exception("Unknown exception"));
  }
}

void TApplication::ShowException(const Exception& e) { ShowMessage(e.Message()); }

AnsiString TApplication::ExeName() const { return ExecutablePath(); }

void TApplication::Beep() {
  ++beeps_;
  if (beepHandler_) beepHandler_();
}

// --- TScreen ---

const TClassInfo& TScreen::StaticClass() {
  static const TClassInfo info = TClassBuilder<TScreen>("TScreen", TComponent::StaticClass())
                                     .Integer("Cursor", CursorTypeInfo(), &TScreen::Cursor, &TScreen::SetCursor)
                                     .Build();
  return info;
}

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

TScreen& Screen() {
  static TScreen* const screen = new TScreen(nullptr);
  return *screen;
}

TWinControl* TScreen::ActiveControl() const { return activeForm_ ? activeForm_->ActiveControl() : nullptr; }

TCustomForm* TScreen::Forms(int index) const {
  assert(index >= 0 && index < FormCount());
  return forms_[static_cast<std::size_t>(index)];
}

void TScreen::SetSize(int width, int height) {
  ChangeProperty(width_, width, "Width");
  ChangeProperty(height_, height, "Height");
}

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) {
  std::erase(forms_, form);
  if (activeForm_.get() == form) {
    activeForm_ = nullptr;
    ActivateForm(nullptr);
  }
}

void TScreen::ActivateForm(TCustomForm* form) {
  if (!form) {
    for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
      if (*it != activeForm_.get() && (*it)->Visible() && !(*it)->Destroying()) {
        form = *it;
        break;
      }
  }
  if (form == activeForm_.get()) return;
  TComponentPtr<TCustomForm> previous = activeForm_;
  activeForm_ = form;
  if (previous && !previous->Destroying()) previous->Deactivate();
  if (form && activeForm_.get() == form) form->Activate();
}

TScreenCursor::TScreenCursor(TCursor cursor) : saved_(Screen().Cursor()) { Screen().SetCursor(cursor); }

TScreenCursor::~TScreenCursor() { Screen().SetCursor(saved_); }

}  // namespace platform
