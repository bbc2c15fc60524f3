// TApplication and TScreen: the application object with the one message
// loop of the process, and the screen (active form, forms, cursor).
//
// One UI thread: the thread that first asks for Application() runs the
// message loop and uses every component. Other threads only post to it:
// PostMessage and QueueCall are safe from any thread; the messages are
// handled in the order posted, on the UI thread, by Run, HandleMessage,
// ProcessMessages and the nested loops of ShowModal. A message names its
// window by handle (Control.h); one for a window that has gone is dropped.
//
// Modality is application-wide: while a modal loop runs, input (the entry
// points below) for any form but the innermost modal one is dropped, and
// so is input for a control that is gone, hidden or disabled when it is
// dispatched.
//
// Frees are deferred: Release posts the free of a form, which happens when
// the message is handled and the form has no handler running and no modal
// loop; until then it stays pending. Terminate makes every nested modal
// loop return mrCancel before anything is freed: once terminated, no
// message is handled inside a modal loop, and Run, when the outermost loop
// ends, carries out the pending frees and drops the other messages.
//
// An exception escaping a handler called from the loop or from an input
// entry point goes to HandleException: EAbort is swallowed silently; any
// other reaches OnException when it is assigned, else ShowException (the
// message through ShowMessage, MessageBox.h).
//
// Both objects live until the process ends.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/Form.h"

namespace platform {

using TExceptionEvent = TEvent<"TExceptionEvent", TObject*, const Exception&>;  // (Sender, E)

class TApplication : public TComponent {
  PLATFORM_CLASS(TApplication)

 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  // --- the loop ---
  // Handles messages until Terminate, then carries out the pending frees.
  void Run();
  // Handles one message; without one, runs the idle handler and, when
  // still nothing is queued and the application is not terminated, waits
  // for one.
  void HandleMessage();
  // Handles the messages queued now, without waiting.
  void ProcessMessages();
  // Ends Run and every nested modal loop (each returns mrCancel). Safe
  // from any thread.
  void Terminate();
  bool Terminated() const;
  // Ends a wait of HandleMessage without a message (a modal result set
  // outside a message). Safe from any thread.
  void WakeUp();
  // Clears Terminated and drops every queued message, carrying out the
  // pending frees first (for a host that runs the loop again, and tests).
  void Reset();

  // --- posting (safe from any thread) ---
  void PostMessage(THandle window, unsigned msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
  // Runs call on the UI thread in turn with the messages.
  void QueueCall(std::function<void()> call);
  // Runs when the loop has nothing to do (the renderer sends its change
  // sets then; tests make a loop without a scripted answer fail).
  void SetIdleHandler(std::function<void()> handler) { idle_ = std::move(handler); }

  // --- modality ---
  // The innermost modal form; nullptr when no modal loop runs.
  TCustomForm* ModalForm() const;
  int ModalLevel() const { return static_cast<int>(modalForms_.size()); }
  // True when input for form may be dispatched now.
  bool AcceptsInput(const TCustomForm* form) const;

  // --- input entry points (the renderer calls them; true when delivered) ---
  // The key goes to the form (KeyPreview), then to the menu shortcuts
  // (TCustomForm::IsShortCut), then to its focused control; what is left
  // may switch pages (Ctrl+Tab, TCustomForm::SelectPageForKey), and Tab
  // not consumed moves the focus by tab order.
  bool DispatchKey(TCustomForm* form, Word key, TShiftState shift);
  bool DispatchKeyUp(TCustomForm* form, Word key, TShiftState shift);
  // The character goes to the form (KeyPreview) and then to the focused
  // control; Enter ('\r') not consumed moves the focus by tab order.
  bool DispatchChar(TCustomForm* form, char ch);
  bool DispatchClick(TControl* control);
  // True when control exists (it may have gone since the renderer saw it).
  bool IsLive(const TControl* control) const;
  TControl* FindControlById(std::uint64_t instanceId) const;
  TWinControl* FindControl(THandle handle) const;

  // --- exceptions ---
  // Called in a catch block: reports the exception being handled.
  void HandleException(TObject* sender);
  void ShowException(const Exception& e);
  TExceptionEvent OnException;

  // --- hints ---
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { ChangeProperty(showHint_, v, "ShowHint"); }
  int HintPause() const { return hintPause_; }
  void SetHintPause(int ms) { ChangeProperty(hintPause_, ms, "HintPause"); }
  int HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(int ms) { ChangeProperty(hintHidePause_, ms, "HintHidePause"); }
  int HintShortPause() const { return hintShortPause_; }
  void SetHintShortPause(int ms) { ChangeProperty(hintShortPause_, ms, "HintShortPause"); }

  // --- the rest of the application object ---
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& v) { ChangeProperty(title_, v, "Title"); }
  TCustomForm* MainForm() const { return mainForm_.get(); }
  void SetMainForm(TCustomForm* form) { mainForm_ = form; }
  AnsiString ExeName() const;
  // The system's default beep, as a notification to the renderer.
  void Beep();
  int BeepCount() const { return beeps_; }
  void SetBeepHandler(std::function<void()> handler) { beepHandler_ = std::move(handler); }

  bool IsUIThread() const { return std::this_thread::get_id() == uiThread_; }

 private:
  friend class TControl;
  friend class TWinControl;
  friend class TCustomForm;

  struct QueuedMessage {
    TMessage Message;
    std::function<void()> Call;
    bool Release = false;
  };

  void RegisterControl(TControl* control);
  void UnregisterControl(TControl* control);
  THandle AllocateHandle(TWinControl* control);
  void BeginModal(TCustomForm* form);
  void EndModal(TCustomForm* form);
  void PostRelease(TCustomForm* form);
  void Dispatch(QueuedMessage& message);
  void FreePendingReleases();
  bool TakeMessage(QueuedMessage& message);
  TWinControl* InputTarget(TCustomForm* form) const;

  std::thread::id uiThread_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<QueuedMessage> queue_;
  bool terminated_ = false;
  int wakeUps_ = 0;
  std::function<void()> idle_;
  std::vector<TCustomForm*> modalForms_;
  std::vector<TComponentPtr<TCustomForm>> pendingReleases_;
  std::unordered_set<const TControl*> live_;
  std::unordered_map<THandle, TWinControl*> windows_;
  THandle lastHandle_ = 0x10000;
  bool showHint_ = true;
  int hintPause_ = 500;
  int hintHidePause_ = 2500;
  int hintShortPause_ = 50;
  AnsiString title_;
  TComponentPtr<TCustomForm> mainForm_;
  int beeps_ = 0;
  std::function<void()> beepHandler_;
};

class TScreen : public TComponent {
  PLATFORM_CLASS(TScreen)

 public:
  explicit TScreen(TComponent* owner);

  // The global cursor; crDefault lets each control show its own.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor v) { ChangeProperty(cursor_, v, "Cursor"); }

  TCustomForm* ActiveForm() const { return activeForm_.get(); }
  TWinControl* ActiveControl() const;
  // The forms that exist, in creation order.
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int index) const;

  // The desktop, in pixels (the renderer sets the browser's).
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height);

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  // Makes form the active one (OnDeactivate of the old, OnActivate of the
  // new); nullptr activates the most recent visible form.
  void ActivateForm(TCustomForm* form);

  TCursor cursor_ = crDefault;
  TComponentPtr<TCustomForm> activeForm_;
  std::vector<TCustomForm*> forms_;
  int width_ = 1024;
  int height_ = 768;
};

// Sets the screen cursor for its lifetime and restores the one before
// ("wait cursor" around a long operation).
class TScreenCursor {
 public:
  explicit TScreenCursor(TCursor cursor = crHourGlass);
  ~TScreenCursor();
  TScreenCursor(const TScreenCursor&) = delete;
  TScreenCursor& operator=(const TScreenCursor&) = delete;

 private:
  TCursor saved_;
};

TApplication& Application();
TScreen& Screen();

}  // namespace platform
