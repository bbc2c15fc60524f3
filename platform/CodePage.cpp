#include "CodePage.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "Exceptions.h"
#include "Registry.h"

namespace platform {

namespace {

std::atomic<unsigned> g_overrideCodePage{0};
std::atomic<bool> g_extendedBig5{false};

unsigned ReadProcessCodePage() {
  // The registry stand-in keeps the value where the operating system keeps
  // it; anything that is not a positive number leaves the default.
  std::string value = ReadMachineValueUtf8("SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP");
  unsigned cp = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return 936;
    cp = cp * 10 + static_cast<unsigned>(c - '0');
    if (cp > 100000) return 936;
  }
  return cp == 0 ? 936 : cp;
}

const char* IconvName(unsigned cp) {
  switch (cp) {
    case 936: return "CP936";
    case 950: return "CP950";
    case 437: return "CP437";
    case 1252: return "CP1252";
    case 65001: return "UTF-8";
    default: return nullptr;
  }
}

// One iconv descriptor per direction and code page and thread: descriptors
// carry shift state and must not be shared between threads.
class IconvCache {
 public:
  ~IconvCache() {
    for (auto& [key, cd] : cds_) iconv_close(cd);
  }
  iconv_t Get(unsigned cp, bool toWide) {
    auto key = std::make_pair(cp, toWide);
    auto it = cds_.find(key);
    if (it != cds_.end()) {
      iconv(it->second, nullptr, nullptr, nullptr, nullptr);
      return it->second;
    }
    const char* name = IconvName(cp);
    if (name == nullptr) throw EConvertError("Code page " + std::to_string(cp) + " is not supported");
    iconv_t cd = toWide ? iconv_open("UTF-16LE", name) : iconv_open(name, "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw EConvertError(std::string("No converter for ") + name);
    cds_.emplace(key, cd);
    return cd;
  }

 private:
  std::map<std::pair<unsigned, bool>, iconv_t> cds_;
};

thread_local IconvCache t_iconv;

// Bytes taken by one unreadable character: a lead byte keeps its follower
// only when that could be a trail byte, so ASCII after a bad lead survives.
std::size_t UnreadableLength(unsigned cp, std::string_view bytes, std::size_t pos) {
  if (CharLength(cp, bytes, pos) == 1) return 1;
  unsigned char next = static_cast<unsigned char>(bytes[pos + 1]);
  return (next < 0x40 || next == 0x7F) ? 1 : 2;
}

// Converts a run of bytes that needs no special handling; invalid sequences
// are replaced one character at a time.
void AppendWide(std::string_view bytes, unsigned cp, WideString& out, bool& usedDefault) {
  if (bytes.empty()) return;
  iconv_t cd = t_iconv.Get(cp, true);
  std::size_t pos = 0;
  char16_t buffer[512];
  while (pos < bytes.size()) {
    char* in = const_cast<char*>(bytes.data() + pos);
    std::size_t inLeft = bytes.size() - pos;
    char* outp = reinterpret_cast<char*>(buffer);
    std::size_t outLeft = sizeof buffer;
    std::size_t rc = iconv(cd, &in, &inLeft, &outp, &outLeft);
    int err = errno;
    out.append(buffer, (sizeof buffer - outLeft) / sizeof(char16_t));
    pos = bytes.size() - inLeft;
    if (rc != static_cast<std::size_t>(-1)) break;
    if (err == E2BIG) continue;
    // EILSEQ or EINVAL: one character of the code page cannot be read.
    out.push_back(u'?');
    usedDefault = true;
    pos += UnreadableLength(cp, bytes, pos);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
}

void AppendBytes(std::u16string_view text, unsigned cp, std::string& out, bool& usedDefault) {
  if (text.empty()) return;
  iconv_t cd = t_iconv.Get(cp, false);
  std::size_t pos = 0;
  char buffer[1024];
  while (pos < text.size()) {
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data() + pos));
    std::size_t inLeft = (text.size() - pos) * sizeof(char16_t);
    char* outp = buffer;
    std::size_t outLeft = sizeof buffer;
    std::size_t rc = iconv(cd, &in, &inLeft, &outp, &outLeft);
    int err = errno;
    out.append(buffer, sizeof buffer - outLeft);
    pos = text.size() - inLeft / sizeof(char16_t);
    if (rc != static_cast<std::size_t>(-1)) break;
    if (err == E2BIG) continue;
    out.push_back('?');
    usedDefault = true;
    // A valid surrogate pair is one character; anything else one unit.
    char16_t c = text[pos];
    bool pair = c >= 0xD800 && c <= 0xDBFF && pos + 1 < text.size() && text[pos + 1] >= 0xDC00 &&
                text[pos + 1] <= 0xDFFF;
    pos += pair ? 2 : 1;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
}

bool ExtendedActive(unsigned cp) { return cp == 950 && g_extendedBig5.load(); }

}  // namespace

unsigned ProcessCodePage() {
  unsigned forced = g_overrideCodePage.load();
  if (forced != 0) return forced;
  static const unsigned cp = ReadProcessCodePage();
  return cp;
}

ScopedCodePage::ScopedCodePage(unsigned codePage) : previous_(g_overrideCodePage.load()) {
  g_overrideCodePage.store(codePage);
}

ScopedCodePage::~ScopedCodePage() { g_overrideCodePage.store(previous_); }

unsigned EffectiveCodePage(unsigned codePage) {
  return codePage == CP_ACP ? ProcessCodePage() : codePage;
}

bool IsLeadByte(unsigned codePage, unsigned char b) {
  unsigned cp = EffectiveCodePage(codePage);
  if (cp == 936) return b >= 0x81 && b <= 0xFE;
  if (cp == 950) return (b >= 0x81 && b <= 0xFE) || (b == 0xFF && ExtendedActive(cp));
  return false;
}

std::size_t CharLength(unsigned codePage, std::string_view bytes, std::size_t i) {
  if (i + 1 < bytes.size() && IsLeadByte(codePage, static_cast<unsigned char>(bytes[i]))) return 2;
  return 1;
}

bool IsSupportedCodePage(unsigned codePage) {
  return IconvName(EffectiveCodePage(codePage)) != nullptr;
}

char16_t ExtendedBig5CodePoint(unsigned char lead, unsigned char trail) {
  if (lead >= 0x81 && trail >= 0x80 && trail <= 0xA0)
    return static_cast<char16_t>(0x2000 + 256 * trail + (lead - 0x80));
  if (lead == 0xA3 && ((trail >= 0xC0 && trail <= 0xDF) || (trail >= 0xE1 && trail <= 0xFE)))
    return static_cast<char16_t>(0xC041 + trail);
  return 0;
}

bool ExtendedBig5Pair(char16_t codePoint, unsigned char& lead, unsigned char& trail) {
  unsigned h = codePoint >> 8;
  unsigned w = codePoint & 0xFF;
  if (h >= 0xA0 && h <= 0xC0 && w >= 0x01 && w <= 0x7E) {
    lead = static_cast<unsigned char>(w + 0x80);
    trail = static_cast<unsigned char>(h - 0x20);
    return true;
  }
  if (h == 0xC1 && ((w >= 0x01 && w <= 0x20) || (w >= 0x22 && w <= 0x3F))) {
    lead = 0xA3;
    trail = static_cast<unsigned char>(w + 0xBF);
    return true;
  }
  return false;
}

void SetExtendedBig5(bool on) { g_extendedBig5.store(on); }
bool ExtendedBig5() { return g_extendedBig5.load(); }

WideString ToWide(std::string_view bytes, unsigned codePage, bool* usedDefault) {
  unsigned cp = EffectiveCodePage(codePage);
  WideString out;
  out.reserve(bytes.size());
  bool replaced = false;
  if (!ExtendedActive(cp)) {
    AppendWide(bytes, cp, out, replaced);
  } else {
    // Runs of ordinary text go through iconv; extended pairs are mapped
    // here, character by character in step with the bytes.
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
      std::size_t len = CharLength(cp, bytes, i);
      char16_t ext = len == 2 ? ExtendedBig5CodePoint(static_cast<unsigned char>(bytes[i]),
                                                      static_cast<unsigned char>(bytes[i + 1]))
                              : 0;
      if (ext != 0) {
        AppendWide(bytes.substr(runStart, i - runStart), cp, out, replaced);
        out.push_back(ext);
        runStart = i + 2;
      }
      i += len;
    }
    AppendWide(bytes.substr(runStart), cp, out, replaced);
  }
  if (usedDefault) *usedDefault = replaced;
  return out;
}

std::string FromWide(std::u16string_view text, unsigned codePage, bool* usedDefault) {
  unsigned cp = EffectiveCodePage(codePage);
  std::string out;
  out.reserve(text.size() * 2);
  bool replaced = false;
  if (!ExtendedActive(cp)) {
    AppendBytes(text, cp, out, replaced);
  } else {
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      unsigned char lead = 0, trail = 0;
      if (ExtendedBig5Pair(text[i], lead, trail)) {
        AppendBytes(text.substr(runStart, i - runStart), cp, out, replaced);
        out.push_back(static_cast<char>(lead));
        out.push_back(static_cast<char>(trail));
        runStart = i + 1;
      }
    }
    AppendBytes(text.substr(runStart), cp, out, replaced);
  }
  if (usedDefault) *usedDefault = replaced;
  return out;
}

std::string WideToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

WideString Utf8ToWide(std::string_view s) {
  WideString out;
  out.reserve(s.size());
  std::size_t i = 0;
  auto cont = [&](std::size_t k) {
    return k < s.size() && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80;
  };
  while (i < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    char32_t c = 0xFFFD;
    std::size_t len = 1;
    if (b < 0x80) {
      c = b;
    } else if (b >= 0xC2 && b < 0xE0 && cont(i + 1)) {
      c = ((b & 0x1F) << 6) | (s[i + 1] & 0x3F);
      len = 2;
    } else if (b >= 0xE0 && b < 0xF0 && cont(i + 1) && cont(i + 2)) {
      c = ((b & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
      len = 3;
      if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    } else if (b >= 0xF0 && b < 0xF5 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
      c = ((b & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) |
          (s[i + 3] & 0x3F);
      len = 4;
      if (c < 0x10000 || c > 0x10FFFF) c = 0xFFFD;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += len;
  }
  return out;
}

int MultiByteToWideChar(unsigned codePage, unsigned /*flags*/, const char* bytes, int byteCount,
                        char16_t* out, int outSize) {
  if (bytes == nullptr || outSize < 0 || byteCount < -1 || byteCount == 0) return 0;
  std::size_t n = byteCount == -1 ? std::strlen(bytes) + 1 : static_cast<std::size_t>(byteCount);
  if (!IsSupportedCodePage(codePage)) return 0;
  WideString wide = ToWide(std::string_view(bytes, n), codePage);
  if (outSize == 0) return static_cast<int>(wide.size());
  if (out == nullptr || wide.size() > static_cast<std::size_t>(outSize)) return 0;
  std::memcpy(out, wide.data(), wide.size() * sizeof(char16_t));
  return static_cast<int>(wide.size());
}

int WideCharToMultiByte(unsigned codePage, unsigned /*flags*/, const char16_t* text, int charCount,
                        char* out, int outSize, const char* /*defaultChar*/, int* usedDefault) {
  if (text == nullptr || outSize < 0 || charCount < -1 || charCount == 0) return 0;
  std::size_t n = 0;
  if (charCount == -1) {
    while (text[n] != 0) ++n;
    ++n;
  } else {
    n = static_cast<std::size_t>(charCount);
  }
  if (!IsSupportedCodePage(codePage)) return 0;
  bool replaced = false;
  std::string bytes = FromWide(std::u16string_view(text, n), codePage, &replaced);
  if (usedDefault) *usedDefault = replaced ? 1 : 0;
  if (outSize == 0) return static_cast<int>(bytes.size());
  if (out == nullptr || bytes.size() > static_cast<std::size_t>(outSize)) return 0;
  std::memcpy(out, bytes.data(), bytes.size());
  return static_cast<int>(bytes.size());
}

}  // namespace platform
