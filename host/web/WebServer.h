// The host's web server: serves the browser client (web/) and the forms of
// this process to one browser, over HTTP and one WebSocket on 127.0.0.1.
//
// Start attaches to the application's forms (it creates the render host,
// platform/ui/Render.h) and listens; Url is the address to open. Every
// request must carry the per-start secret as the first path segment, name
// 127.0.0.1 and the port as its Host, and, when the browser sends an
// Origin, come from that same origin; anything else is refused. Browser
// input is posted to the application's message loop and applied there,
// never on the server's I/O thread.
//
// One browser view at a time: a second socket with the secret takes over
// (the first one is closed and told so) and gets fresh snapshots of every
// visible form, as does a browser that reconnects. While no browser is
// connected, the forms and their loops go on as they are.
//
// Start, Stop and the destructor run on the UI thread.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace hostweb {

struct WebServerOptions {
  unsigned short Port = 0;   // 0: any free port
  std::string StaticRoot;    // the folder of the browser client (index.html, *.js, *.css)
  std::string Secret;        // empty: a fresh random secret
  std::string FontFile;      // the CJK font served as a web font; empty: the installed one, when found
  std::size_t MaxMessageBytes = 64 * 1024;  // a larger browser message closes its socket
  // Told on the UI thread when a browser view connects (true) or goes (false).
  std::function<void(bool connected)> OnConnection;
};

class WebServer {
 public:
  WebServer();
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Raises std::runtime_error when the port cannot be bound or the static
  // root has no index.html.
  void Start(const WebServerOptions& options);
  // Closes the browser's socket, stops listening and detaches from the
  // forms. Idempotent.
  void Stop();

  // "http://127.0.0.1:PORT/SECRET/"; empty before Start.
  std::string Url() const;
  unsigned short Port() const;
  const std::string& Secret() const;
  // The font file served, empty when none was found.
  const std::string& FontFile() const;
  bool Connected() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace hostweb
