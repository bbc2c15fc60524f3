#include "host/web/WebServer.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>

#include "host/web/FontFile.h"
#include "host/web/PictureStore.h"
#include "host/web/WebRenderer.h"
#include "host/web/WebTransport.h"
#include "platform/ui/Application.h"

namespace hostweb {

namespace {

std::string RandomSecret() {
  std::random_device device;
  std::string out;
  static const char kHex[] = "0123456789abcdef";
  for (int i = 0; i < 32; ++i) out += kHex[device() & 0xF];
  return out;
}

bool SameSecret(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

const char* ContentType(const std::string& path) {
  static const std::pair<const char*, const char*> kTypes[] = {
      {".html", "text/html; charset=utf-8"}, {".js", "text/javascript; charset=utf-8"},
      {".mjs", "text/javascript; charset=utf-8"}, {".css", "text/css; charset=utf-8"},
      {".png", "image/png"}, {".svg", "image/svg+xml"}, {".ico", "image/x-icon"},
  };
  for (const auto& [ext, type] : kTypes) {
    const std::string e = ext;
    if (path.size() > e.size() && path.compare(path.size() - e.size(), e.size(), e) == 0) return type;
  }
  return nullptr;
}

// A relative path inside the static root: letters, digits, "-", "_", "."
// and "/" between segments that do not start with "." (no "..", no hidden
// files), and none of the folders the client does not need served.
bool SafeStaticPath(const std::string& path) {
  if (path.empty() || path.size() > 200 || path.front() == '/' || path.back() == '/') return false;
  bool segmentStart = true;
  for (char ch : path) {
    const bool ok = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '-' ||
                    ch == '_' || ch == '.' || ch == '/';
    if (!ok) return false;
    if (segmentStart && (ch == '.' || ch == '/')) return false;
    segmentStart = ch == '/';
  }
  return path.rfind("node_modules/", 0) != 0 && path.rfind("tests/", 0) != 0;
}

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

HttpResponse Plain(int status, const char* text) {
  HttpResponse r;
  r.Status = status;
  r.Body = std::string(text) + "\n";
  return r;
}

}  // namespace

struct WebServer::Impl {
  WebServerOptions options;
  std::string secret;
  std::string fontFile;
  std::string origin;  // "http://127.0.0.1:PORT"
  std::string host;    // "127.0.0.1:PORT"
  PictureStore pictures;
  WebTransport transport;
  std::unique_ptr<WebRenderer> renderer;
  std::uint64_t connection = 0;  // the browser view the UI thread talks to
  std::atomic<bool> connected{false};
  // Queued calls hold the server weakly: it may be stopped before they run.
  std::shared_ptr<Impl*> alive = std::make_shared<Impl*>(this);

  std::mutex fontMutex;
  std::optional<std::string> font;  // loaded on the first request
  bool fontLoaded = false;

  template <typename F>
  void OnUiThread(F call) {
    platform::Application().QueueCall([weak = std::weak_ptr<Impl*>(alive), call = std::move(call)]() mutable {
      if (auto self = weak.lock()) call(**self);
    });
  }

  bool Trusted(const HttpRequest& req) const {
    return req.Host == host && (!req.HasOrigin || req.Origin == origin);
  }

  // The path after "/SECRET/", or nullopt when the request does not name
  // the secret.
  std::optional<std::string> LocalPath(const std::string& target) const {
    std::string path = target.substr(0, target.find_first_of("?#"));
    const std::string prefix = "/" + secret;
    if (path.size() < prefix.size() || !SameSecret(std::string_view(path).substr(0, prefix.size()), prefix))
      return std::nullopt;
    path.erase(0, prefix.size());
    if (path.empty()) return std::string("\x01");  // the folder without its slash
    if (path.front() != '/') return std::nullopt;
    return path.substr(1);
  }

  HttpResponse Http(const HttpRequest& req) {
    if (!Trusted(req)) return Plain(403, "Forbidden");
    if (req.Method != "GET" && req.Method != "HEAD") return Plain(405, "Method not allowed");
    const auto local = LocalPath(req.Target);
    if (!local) return Plain(404, "Not found");
    if (*local == "\x01") {
      HttpResponse r = Plain(302, "Found");
      r.Headers.emplace_back("Location", "/" + secret + "/");
      return r;
    }
    HttpResponse r;
    r.Headers.emplace_back("Referrer-Policy", "no-referrer");
    const std::string& path = *local;
    if (path.rfind("pic/", 0) == 0) {
      const std::string name = path.substr(4);
      if (name.size() != 20 || name.compare(16, 4, ".png") != 0) return Plain(404, "Not found");
      std::uint64_t hash = 0;
      for (int i = 0; i < 16; ++i) {
        const char ch = name[i];
        const int digit = ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10 : -1;
        if (digit < 0) return Plain(404, "Not found");
        hash = hash << 4 | static_cast<std::uint64_t>(digit);
      }
      auto png = pictures.Png(hash);
      if (!png) return Plain(404, "Not found");
      r.ContentType = "image/png";
      r.Body = std::move(*png);
      r.Headers.emplace_back("Cache-Control", "private, max-age=86400, immutable");
      return r;
    }
    if (path == "font/cjk.ttf") {
      std::lock_guard lock(fontMutex);
      if (!fontLoaded) {
        fontLoaded = true;
        if (!fontFile.empty())
          if (auto data = ReadFile(fontFile)) font = WebFontData(*data);
        if (!fontFile.empty() && !font)
          std::fprintf(stderr, "The font %s cannot be served; the browser uses its own fonts\n", fontFile.c_str());
      }
      if (!font) return Plain(404, "Not found");
      r.ContentType = "font/ttf";
      r.Body = *font;
      r.Headers.emplace_back("Cache-Control", "private, max-age=86400");
      return r;
    }
    const std::string file = path.empty() ? "index.html" : path;
    const char* type = ContentType(file);
    if (!type || !SafeStaticPath(file)) return Plain(404, "Not found");
    auto data = ReadFile(std::filesystem::path(options.StaticRoot) / file);
    if (!data) return Plain(404, "Not found");
    r.ContentType = type;
    r.Body = std::move(*data);
    r.Headers.emplace_back("Content-Security-Policy",
                           "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self'; "
                           "font-src 'self'; connect-src 'self' ws://" + host +
                               "; frame-ancestors 'none'; base-uri 'none'; form-action 'none'");
    return r;
  }

  bool AcceptSocket(const HttpRequest& req) const {
    // A browser always sends Origin with a socket request; without it the
    // request did not come from the page.
    return req.Host == host && req.HasOrigin && req.Origin == origin && req.Method == "GET" &&
           LocalPath(req.Target) == std::optional<std::string>("ws");
  }

  void Send(std::string message) {
    if (connection) transport.Send(connection, std::move(message));
  }
};

WebServer::WebServer() : impl_(std::make_unique<Impl>()) {}

WebServer::~WebServer() { Stop(); }

void WebServer::Start(const WebServerOptions& options) {
  Impl& impl = *impl_;
  if (impl.renderer) throw std::runtime_error("The web server is already started");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::path(options.StaticRoot) / "index.html", ec))
    throw std::runtime_error("The browser client is missing: no index.html in " + options.StaticRoot);
  impl.options = options;
  impl.secret = options.Secret.empty() ? RandomSecret() : options.Secret;
  impl.fontFile = options.FontFile.empty() ? FindCjkFont() : options.FontFile;

  TransportHandlers handlers;
  handlers.Http = [&impl](const HttpRequest& req) { return impl.Http(req); };
  handlers.AcceptSocket = [&impl](const HttpRequest& req) { return impl.AcceptSocket(req); };
  handlers.Opened = [&impl](std::uint64_t id) {
    impl.OnUiThread([id](Impl& self) {
      self.connection = id;
      self.connected = true;
      if (self.renderer) self.renderer->Restart();
      if (self.options.OnConnection) self.options.OnConnection(true);
    });
  };
  handlers.Message = [&impl](std::uint64_t id, std::string message) {
    impl.OnUiThread([id, message = std::move(message)](Impl& self) {
      if (id == self.connection && self.renderer) self.renderer->ApplyMessage(message);
    });
  };
  handlers.Closed = [&impl](std::uint64_t id) {
    impl.OnUiThread([id](Impl& self) {
      if (id != self.connection) return;
      self.connection = 0;
      self.connected = false;
      if (self.options.OnConnection) self.options.OnConnection(false);
    });
  };
  impl.renderer = std::make_unique<WebRenderer>(impl.pictures, [&impl](std::string m) { impl.Send(std::move(m)); });
  TransportOptions transport;
  transport.Port = options.Port;
  transport.MaxMessageBytes = options.MaxMessageBytes;
  try {
    impl.host = "127.0.0.1:" + std::to_string(impl.transport.Listen(transport));
  } catch (...) {
    impl.renderer.reset();
    throw;
  }
  impl.origin = "http://" + impl.host;
  impl.transport.Run(std::move(handlers));
}

void WebServer::Stop() {
  Impl& impl = *impl_;
  impl.transport.Stop();
  impl.renderer.reset();
  impl.connection = 0;
  impl.connected = false;
}

std::string WebServer::Url() const {
  if (impl_->host.empty()) return {};
  return "http://" + impl_->host + "/" + impl_->secret + "/";
}

unsigned short WebServer::Port() const { return impl_->transport.Port(); }
const std::string& WebServer::Secret() const { return impl_->secret; }
const std::string& WebServer::FontFile() const { return impl_->fontFile; }
bool WebServer::Connected() const { return impl_->connected; }

}  // namespace hostweb
