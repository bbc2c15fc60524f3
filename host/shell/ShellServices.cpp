#include "host/shell/ShellServices.h"

#include <sys/stat.h>

#include <ctime>
#include <mutex>

#include "platform/Paths.h"
#include "platform/ui/Dialogs.h"

namespace host {

using platform::AnsiString;

namespace {

struct ShellState {
  TShellSink sink;
  std::vector<TShellRequest> kept;
};

ShellState& State() {
  static ShellState state;
  return state;
}

void Send(TShellRequestKind kind, const AnsiString& target) {
  TShellRequest request{kind, target};
  if (State().sink) State().sink(request);
  else State().kept.push_back(request);
}

bool StartsWithNoCase(const AnsiString& text, const char* prefix) {
  return platform::UpperCase(text.SubString(1, std::char_traits<char>::length(prefix))) ==
         platform::UpperCase(AnsiString(prefix));
}

}  // namespace

TShellSink SetShellSink(TShellSink sink) {
  TShellSink previous = std::move(State().sink);
  State().sink = std::move(sink);
  return previous;
}

std::vector<TShellRequest> TakeShellRequests() {
  std::vector<TShellRequest> kept;
  kept.swap(State().kept);
  return kept;
}

bool ShellOpenDocument(const AnsiString& path) {
  if (!platform::FileExists(path)) {
    platform::MessageDlg("The document " + platform::ExtractFileName(path) + " cannot be opened: the file does not exist.",
                         platform::mtError, {platform::mbOK});
    return false;
  }
  Send(TShellRequestKind::OpenDocument, path);
  return true;
}

bool IsWebAddress(const AnsiString& url) {
  AnsiString text = platform::Trim(url);
  std::size_t schemeLength = 0;
  if (StartsWithNoCase(text, "http://")) schemeLength = 7;
  else if (StartsWithNoCase(text, "https://")) schemeLength = 8;
  else return false;
  AnsiString rest = text.Mid(schemeLength + 1);
  if (rest.IsEmpty() || rest[1] == '/') return false;
  // Control characters and blanks would let an address carry more than one.
  for (char c : text.View())
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return false;
  return true;
}

bool ShellOpenUrl(const AnsiString& url) {
  if (!IsWebAddress(url)) {
    platform::MessageDlg("Only web addresses (http or https) can be opened: " + platform::Trim(url),
                         platform::mtWarning, {platform::mbOK});
    return false;
  }
  Send(TShellRequestKind::OpenUrl, platform::Trim(url));
  return true;
}

void ShellHelp(const AnsiString& topic) { Send(TShellRequestKind::Help, topic); }

AnsiString ModulePropertiesText(const AnsiString& path) {
  struct stat info {};
  if (::stat(platform::OsPath(path).c_str(), &info) != 0) return "The file " + path + " does not exist.";
  char stamp[32] = {0};
  std::tm local{};
  localtime_r(&info.st_mtime, &local);
  std::strftime(stamp, sizeof stamp, "%Y/%m/%d %H:%M:%S", &local);
  return "Name: " + platform::ExtractFileName(path) + "\r\nFolder: " + platform::ExtractFilePath(path) +
         "\r\nSize: " + AnsiString::FromBytes(std::to_string(static_cast<long long>(info.st_size))) + " bytes\r\nModified: " +
         AnsiString(stamp);
}

void ShellShowProperties(const AnsiString& path) {
  platform::MessageDlg(ModulePropertiesText(path), platform::mtInformation, {platform::mbOK});
}

}  // namespace host
