// The process's alert log, as seen from below the module's kernel.
//
// Layers beneath the kernel (the utilities) record alerts through this
// hook; the kernel installs its alert-log writer here when the module
// starts (kv::InstallAlertLog). Without a writer an alert goes to standard
// error, so nothing is lost silently.
#pragma once

#include "AnsiString.h"

namespace platform {

// name, text, kind ("D", "M", "Y") -> false when the write failed.
using AlertWriter = bool (*)(const AnsiString& name, const AnsiString& text, const AnsiString& kind);

void SetAlertWriter(AlertWriter writer);
bool ReportAlert(const AnsiString& name, const AnsiString& text, const AnsiString& kind = "D");

}  // namespace platform
