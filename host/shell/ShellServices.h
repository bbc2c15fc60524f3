// Shell services: what the programs ask of the desktop, turned into
// requests for the browser that shows this host's forms.
//
// Opening a document with its default application becomes a download or
// viewer request for the file; opening an address becomes a new browser
// tab, for http and https addresses only (anything else is refused with a
// message: a program must not make the browser run a local handler); the
// "properties" request shows the module file's information in a message
// dialog; help requests are handed on with their topic. Requests go to the
// installed sink (the web server); without one they are kept, newest last,
// for whoever asks (tests, a browser that connects later).
#pragma once

#include <functional>
#include <vector>

#include "platform/AnsiString.h"

namespace host {

enum class TShellRequestKind { OpenDocument, OpenUrl, Help };

struct TShellRequest {
  TShellRequestKind Kind = TShellRequestKind::OpenDocument;
  platform::AnsiString Target;  // file path, address or help topic
};

using TShellSink = std::function<void(const TShellRequest& request)>;

// Installs the sink; returns the previous one.
TShellSink SetShellSink(TShellSink sink);
// The requests kept while no sink was installed; Take empties the list.
std::vector<TShellRequest> TakeShellRequests();

// False (after telling the user) when the file does not exist.
bool ShellOpenDocument(const platform::AnsiString& path);
// False (after telling the user) for an address that is not http or https.
bool ShellOpenUrl(const platform::AnsiString& url);
// True for "http://..." and "https://..." addresses with a host part
// (scheme compared without regard to ASCII case).
bool IsWebAddress(const platform::AnsiString& url);
void ShellHelp(const platform::AnsiString& topic);
// Shows name, folder, size and modification time of a module file.
void ShellShowProperties(const platform::AnsiString& path);
// The text ShellShowProperties shows.
platform::AnsiString ModulePropertiesText(const platform::AnsiString& path);

}  // namespace host
