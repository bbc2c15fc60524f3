// Files, folders and paths.
//
// The module builds paths as texts with "\" separators (ClientPath +
// "Profile\" + user + "\"); configuration may hold "/" as well. Both are
// separators here. At the operating-system boundary a path is converted to
// UTF-8, its separators become "/", and a name that does not exist exactly
// is resolved without regard to ASCII case (exact match first, else the
// first match in byte order), since callers spell the same folders
// differently. A leading "/" makes a path absolute, like a drive letter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AnsiString.h"

namespace platform {

bool IsPathDelimiter(char c);

// The operating-system form of a path (UTF-8, "/" separators, case resolved).
std::string OsPath(const AnsiString& path);
// The same without case resolution (for paths about to be created).
std::string OsPathLiteral(const AnsiString& path);

bool FileExists(const AnsiString& path);
bool DirectoryExists(const AnsiString& path);
// Creates the folder and every missing parent; false on failure.
bool ForceDirectories(const AnsiString& path);
// Creates one folder level; false on failure or when the parent is missing.
bool CreateDir(const AnsiString& path);
bool DeleteFile(const AnsiString& path);
// Copies a file; with failIfExists an existing target is left alone and
// the result is false.
bool CopyFile(const AnsiString& from, const AnsiString& to, bool failIfExists);

// Whole-file reads and writes of bytes; false on any failure.
bool ReadFileBytes(const AnsiString& path, std::string& bytes);
bool WriteFileBytes(const AnsiString& path, const std::string& bytes);
// Opens the file for appending (creating it), writes text and closes it.
bool AppendFileBytes(const AnsiString& path, const std::string& bytes);
std::int64_t FileSize(const AnsiString& path);  // -1 when missing

// File names in a folder matching a wildcard pattern ("*.JPG"; "*" and "?",
// ASCII case ignored), in the order the file system lists them.
std::vector<AnsiString> FindFiles(const AnsiString& folder, const AnsiString& pattern);

// Path texts, by the last "\" or "/".
AnsiString ExtractFilePath(const AnsiString& path);  // with the trailing delimiter
AnsiString ExtractFileName(const AnsiString& path);
AnsiString ExtractFileExt(const AnsiString& path);   // with the "."
AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext);
AnsiString IncludeTrailingPathDelimiter(const AnsiString& path);  // adds "\"
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& path);
// True for "/..." and for "X:..." (a drive letter).
bool IsAbsolutePath(const AnsiString& path);

// Process facts.
AnsiString UserName();          // the login name, at most 31 bytes
AnsiString TempPath();          // the user's temporary folder, with a trailing delimiter; at most 255 bytes
AnsiString ExecutablePath();    // full path of the running executable
AnsiString CurrentDirectory();
// Full path of the shared object (or executable) that contains address.
AnsiString ModuleFileName(const void* address);

}  // namespace platform
