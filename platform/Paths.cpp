#include "Paths.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

namespace platform {

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

bool Exists(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0;
}

// Listings of folders, kept while the folder's modification time is unchanged.
class ListingCache {
 public:
  std::vector<std::string> Names(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = cache_.find(folder);
    if (it != cache_.end() && it->second.mtimeSec == st.st_mtim.tv_sec &&
        it->second.mtimeNsec == st.st_mtim.tv_nsec)
      return it->second.names;
    Entry entry{st.st_mtim.tv_sec, st.st_mtim.tv_nsec, {}};
    if (DIR* d = ::opendir(folder.c_str())) {
      while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") entry.names.push_back(name);
      }
      ::closedir(d);
    }
    std::sort(entry.names.begin(), entry.names.end());
    cache_[folder] = entry;
    return entry.names;
  }

 private:
  struct Entry {
    long mtimeSec;
    long mtimeNsec;
    std::vector<std::string> names;
  };
  std::mutex mutex_;
  std::map<std::string, Entry> cache_;
};

ListingCache& Listings() {
  static ListingCache cache;
  return cache;
}

std::string Resolve(const std::string& literal) {
  if (literal.empty() || Exists(literal)) return literal;
  // Walk the components, replacing each missing one by its case-insensitive twin.
  bool absolute = literal[0] == '/';
  std::string resolved = absolute ? "/" : "";
  std::size_t i = absolute ? 1 : 0;
  while (i <= literal.size()) {
    std::size_t j = literal.find('/', i);
    if (j == std::string::npos) j = literal.size();
    std::string part = literal.substr(i, j - i);
    if (!part.empty()) {
      std::string candidate = resolved + part;
      if (!Exists(candidate) && part != "." && part != "..") {
        std::string folder = resolved.empty() ? "." : resolved;
        for (const std::string& name : Listings().Names(folder)) {
          if (SameNameIgnoringCase(name, part)) {
            candidate = resolved + name;
            break;
          }
        }
      }
      resolved = candidate;
      if (j < literal.size()) resolved += '/';
    } else if (j < literal.size() && !resolved.empty() && resolved.back() != '/') {
      resolved += '/';
    }
    i = j + 1;
  }
  return resolved;
}

bool WildcardMatch(const char* p, const char* s) {
  while (*p) {
    if (*p == '*') {
      ++p;
      if (!*p) return true;
      for (; *s; ++s)
        if (WildcardMatch(p, s)) return true;
      return false;
    }
    if (!*s) return false;
    if (*p != '?' && AsciiUpper(*p) != AsciiUpper(*s)) return false;
    ++p;
    ++s;
  }
  return *s == 0;
}

std::size_t LastDelimiter(const AnsiString& path) {
  // 1-based position of the last "\" or "/" at a character boundary.
  std::size_t last = 0;
  const std::string& b = path.Bytes();
  unsigned cp = ProcessCodePage();
  for (std::size_t i = 0; i < b.size();) {
    if (IsPathDelimiter(b[i])) last = i + 1;
    i += CharLength(cp, b, i);
  }
  return last;
}

}  // namespace

bool IsPathDelimiter(char c) { return c == '\\' || c == '/'; }

std::string OsPathLiteral(const AnsiString& path) {
  std::string utf8 = path.ToUtf8();
  for (char& c : utf8)
    if (c == '\\') c = '/';
  return utf8;
}

std::string OsPath(const AnsiString& path) { return Resolve(OsPathLiteral(path)); }

bool FileExists(const AnsiString& path) {
  struct stat st;
  return ::stat(OsPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const AnsiString& path) {
  struct stat st;
  return ::stat(OsPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const AnsiString& path) {
  return ::mkdir(OsPath(ExcludeTrailingPathDelimiter(path)).c_str(), 0777) == 0;
}

bool ForceDirectories(const AnsiString& path) {
  std::string p = OsPath(path);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  if (p.empty()) return false;
  struct stat st;
  if (::stat(p.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  for (std::size_t i = 1; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '/') {
      std::string prefix = p.substr(0, i);
      if (::stat(prefix.c_str(), &st) != 0) {
        if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
      } else if (!S_ISDIR(st.st_mode)) {
        return false;
      }
    }
  }
  return true;
}

bool DeleteFile(const AnsiString& path) { return ::unlink(OsPath(path).c_str()) == 0; }

bool CopyFile(const AnsiString& from, const AnsiString& to, bool failIfExists) {
  std::string bytes;
  if (!ReadFileBytes(from, bytes)) return false;
  std::string target = OsPath(to);
  int flags = O_WRONLY | O_CREAT | (failIfExists ? O_EXCL : O_TRUNC);
  int fd = ::open(target.c_str(), flags, 0666);
  if (fd < 0) return false;
  bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ok = (::close(fd) == 0) && ok;
  return ok;
}

bool ReadFileBytes(const AnsiString& path, std::string& bytes) {
  bytes.clear();
  FILE* f = std::fopen(OsPath(path).c_str(), "rb");
  if (!f) return false;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool WriteFileBytes(const AnsiString& path, const std::string& bytes) {
  std::string target = OsPath(path);
  FILE* f = std::fopen(target.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

bool AppendFileBytes(const AnsiString& path, const std::string& bytes) {
  FILE* f = std::fopen(OsPath(path).c_str(), "ab");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

std::int64_t FileSize(const AnsiString& path) {
  struct stat st;
  if (::stat(OsPath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return st.st_size;
}

std::vector<AnsiString> FindFiles(const AnsiString& folder, const AnsiString& pattern) {
  std::vector<AnsiString> out;
  std::string dir = OsPath(folder);
  if (dir.empty()) dir = ".";
  std::string pat = OsPathLiteral(pattern);
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      std::string full = dir + "/" + name;
      struct stat st;
      if (::stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
      if (WildcardMatch(pat.c_str(), name.c_str())) out.push_back(AnsiString::FromUtf8(name));
    }
    ::closedir(d);
  }
  return out;
}

AnsiString ExtractFilePath(const AnsiString& path) { return path.SubString(1, LastDelimiter(path)); }

AnsiString ExtractFileName(const AnsiString& path) { return path.Mid(LastDelimiter(path) + 1); }

AnsiString ExtractFileExt(const AnsiString& path) {
  AnsiString name = ExtractFileName(path);
  std::size_t dot = 0;
  for (std::size_t p = name.Pos("."); p != 0; p = name.Pos(".", p + 1)) dot = p;
  return dot == 0 ? AnsiString() : name.Mid(dot);
}

AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext) {
  AnsiString old = ExtractFileExt(path);
  return path.SubString(1, path.Length() - old.Length()) + ext;
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& path) {
  if (!path.IsEmpty() && IsPathDelimiter(path[path.Length()]) &&
      !(path.Length() >= 2 && path.IsLeadByteAt(path.Length() - 1)))
    return path;
  return path + "\\";
}

AnsiString ExcludeTrailingPathDelimiter(const AnsiString& path) {
  AnsiString p = path;
  while (p.Length() > 1 && IsPathDelimiter(p[p.Length()]) && !p.IsLeadByteAt(p.Length() - 1))
    p = p.SubString(1, p.Length() - 1);
  return p;
}

bool IsAbsolutePath(const AnsiString& path) {
  if (path.IsEmpty()) return false;
  if (path[1] == '/') return true;
  if (path.Length() >= 2 && path[2] == ':') {
    char c = AsciiUpper(path[1]);
    return c >= 'A' && c <= 'Z';
  }
  return false;
}

AnsiString UserName() {
  std::string name;
  if (const passwd* pw = ::getpwuid(::geteuid())) name = pw->pw_name;
  if (name.empty())
    if (const char* env = std::getenv("USER")) name = env;
  // The operating system's buffer holds 32 characters with the terminator.
  if (name.size() > 31) name.resize(31);
  return AnsiString::FromUtf8(name);
}

AnsiString TempPath() {
  std::string dir;
  if (const char* env = std::getenv("TMPDIR"); env && *env) dir = env;
  if (dir.empty()) dir = "/tmp";
  if (dir.back() != '/') dir += '/';
  if (dir.size() > 255) return {};
  return AnsiString::FromUtf8(dir);
}

AnsiString ExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return AnsiString::FromUtf8(std::string(buffer, static_cast<std::size_t>(n)));
}

AnsiString CurrentDirectory() {
  char buffer[PATH_MAX];
  if (!::getcwd(buffer, sizeof buffer)) return {};
  return AnsiString::FromUtf8(buffer);
}

AnsiString ModuleFileName(const void* address) {
  Dl_info info;
  if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  char buffer[PATH_MAX];
  if (::realpath(info.dli_fname, buffer) == nullptr) return AnsiString::FromUtf8(info.dli_fname);
  return AnsiString::FromUtf8(buffer);
}

}  // namespace platform
