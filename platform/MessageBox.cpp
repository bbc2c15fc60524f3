#include "MessageBox.h"

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

std::mutex g_mutex;
MessagePresenter g_presenter;

}  // namespace

void ShowMessage(const AnsiString& text) {
  MessagePresenter presenter;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    presenter = g_presenter;
  }
  if (presenter) {
    presenter(text);
    return;
  }
  std::string utf8 = text.ToUtf8();
  std::fprintf(stderr, "%s\n", utf8.c_str());
}

MessagePresenter SetMessagePresenter(MessagePresenter presenter) {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::swap(g_presenter, presenter);
  return presenter;
}

}  // namespace platform
