#include "AlertSink.h"

#include <atomic>
#include <cstdio>

namespace platform {

namespace {
std::atomic<AlertWriter> g_writer{nullptr};
}

void SetAlertWriter(AlertWriter writer) { g_writer.store(writer); }

bool ReportAlert(const AnsiString& name, const AnsiString& text, const AnsiString& kind) {
  if (AlertWriter writer = g_writer.load()) return writer(name, text, kind);
  std::string line = name.ToUtf8() + ": " + text.ToUtf8();
  std::fprintf(stderr, "%s\n", line.c_str());
  return true;
}

}  // namespace platform
