// The plain message box of the class library (ShowMessage).
//
// The platform has no screen of its own: a message goes to the installed
// presenter (the host's user interface, or a test's recorder). Without one
// it is written to standard error as UTF-8, so nothing is lost silently.
#pragma once

#include <functional>

#include "AnsiString.h"

namespace platform {

using MessagePresenter = std::function<void(const AnsiString& text)>;

void ShowMessage(const AnsiString& text);

// Installs a presenter and returns the previous one.
MessagePresenter SetMessagePresenter(MessagePresenter presenter);

// Installs a presenter for the lifetime of the object (tests).
class ScopedMessagePresenter {
 public:
  explicit ScopedMessagePresenter(MessagePresenter presenter)
      : previous_(SetMessagePresenter(std::move(presenter))) {}
  ~ScopedMessagePresenter() { SetMessagePresenter(std::move(previous_)); }
  ScopedMessagePresenter(const ScopedMessagePresenter&) = delete;
  ScopedMessagePresenter& operator=(const ScopedMessagePresenter&) = delete;

 private:
  MessagePresenter previous_;
};

}  // namespace platform
