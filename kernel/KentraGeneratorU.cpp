#include "KentraGeneratorU.h"

#include "CorvaneINI.h"
#include "platform/AlertSink.h"
#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "platform/Registry.h"

namespace kv {

using platform::AnsiString;

namespace {

// Where the exception report goes when the registry cannot help (the
// temporary folder of the platform the logs were first written on has no
// counterpart here).
const char* const kLastResortFolder = "/tmp/";

// The registry's installation path (ClientPath, else ServerPath); false when
// the key cannot be opened.
bool InstallationPath(AnsiString& path) {
  platform::TRegistry registry;
  if (!registry.OpenKeyReadOnly(kCorvaneRegistryKey)) return false;
  path = registry.ReadString("ClientPath");
  if (path.IsEmpty()) path = registry.ReadString("ServerPath");
  registry.CloseKey();
  return true;
}

AnsiString LogFolder(const AnsiString& root) { return platform::IncludeTrailingPathDelimiter(root) + "Log"; }

// Opens, appends and closes: nothing stays open between lines.
bool AppendLine(const AnsiString& folder, const AnsiString& fileName, const AnsiString& line) {
  if (!platform::ForceDirectories(folder)) return false;
  return platform::AppendFileBytes(platform::IncludeTrailingPathDelimiter(folder) + fileName, line.Bytes() + "\r\n");
}

}  // namespace

bool WriteAlert(const AnsiString& name, const AnsiString& text, const AnsiString& kind) {
  try {
    AnsiString root;
    if (!InstallationPath(root) || root.IsEmpty()) root = platform::ExtractFilePath(platform::ExecutablePath());
    platform::TDateTime now = platform::Now();
    const char* period = kind == "M" ? "yyyymm" : kind == "Y" ? "yyyy" : "yyyymmdd";
    AnsiString fileName = "Alert_" + name + "_" + platform::FormatDateTime(period, now);
    if (name.Pos(".") == 0) fileName += ".log";
    AnsiString line = "[" + platform::FormatDateTime("YYYY/MM/DD hh:nn:ss:zzz", now) + "] " + text;
    return AppendLine(LogFolder(root), fileName, line);
  } catch (...) {
    return false;
  }
}

bool WriteReportLine(const AnsiString& text) {
  try {
    AnsiString root;
    if (!InstallationPath(root)) root = kLastResortFolder;
    else if (root.IsEmpty()) root = platform::TempPath();
    if (root.IsEmpty()) root = kLastResortFolder;
    platform::TDateTime now = platform::Now();
    const platform::TFormatSettings& settings = platform::FormatSettings();
    AnsiString fileName = "Alert_KentraGenerator_" + platform::FormatDateTime("yyyymmdd", now) + ".log";
    AnsiString stamp = platform::FormatDateTime(settings.ShortDateFormat + " " + settings.LongTimeFormat, now);
    return AppendLine(LogFolder(root), fileName, "[" + stamp + "] " + text);
  } catch (...) {
    return false;
  }
}

void WriteExceptionReport(const platform::Exception* exception, const AnsiString& context,
                          const AnsiString& message) {
  try {
    const AnsiString dashes(34, '-');
    AnsiString header = dashes;
    if (!platform::Trim(context).IsEmpty()) header += " on " + context + " ";
    WriteReportLine(header + dashes);

    if (exception) {
      WriteReportLine("讯息信息:");
      int count = 1;
      if (auto* db = dynamic_cast<const platform::EDBEngineError*>(exception)) {
        count = static_cast<int>(db->Errors().size());
        for (int i = 0; i < count; ++i) {
          const auto& error = db->Errors()[static_cast<std::size_t>(i)];
          WriteReportLine(platform::Format("EDBEngineError Error %.2d: Code: %d, Message: %s",
                                           {i + 1, static_cast<int>(error.code), error.message}));
        }
      } else if (auto* os = dynamic_cast<const platform::EWin32Error*>(exception)) {
        WriteReportLine(platform::Format("EWin32Error Error %.2d: Code: %d, Message: %s",
                                         {1, static_cast<int>(os->ErrorCode()), os->Message()}));
      } else if (auto* io = dynamic_cast<const platform::EInOutError*>(exception)) {
        WriteReportLine(platform::Format("EInOutError Error %.2d: Code: %d, Message: %s",
                                         {1, static_cast<int>(io->ErrorCode()), io->Message()}));
      } else {
        WriteReportLine(platform::Format("Exception is %s\r\nMessage %.2d: ",
                                         {AnsiString(exception->ClassName()), 1}) +
                        exception->Message());
      }
      WriteReportLine(platform::Format("ErrorMessage Count: %d", {count}));
    }

    AnsiString note = platform::Trim(message);
    if (!note.IsEmpty()) WriteReportLine("Programer Message: " + note);
  } catch (...) {
    // The report is diagnostics only: a failure to format or write it is dropped.
  }
}

void InstallAlertLog() { platform::SetAlertWriter(&WriteAlert); }

}  // namespace kv
