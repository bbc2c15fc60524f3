// The client and server configuration readers, the password stored form
// and the module-path rule.
//
// Each installation side has one machine-wide registry key that names its
// folder and one initialisation file in that folder or in a per-user
// profile folder below it. TCorvaneIniC reads the client file CorvaneC.ini,
// TCorvaneIniS the server file CorvaneS.ini. A reader does all its reading
// in its constructor and never writes: it is a snapshot of the registry and
// the file at that moment, so every user creates one, copies the fields it
// needs and lets it go. Readers report failures in ErrorCode and never
// raise.
//
// Paths follow the platform's rules: "\" and "/" are both delimiters, a
// trailing "\" is added to a folder that ends in neither, and a path with a
// drive letter or a leading "/" is absolute.
#pragma once

#include <cstdint>

#include "platform/AnsiString.h"
#include "platform/StringList.h"
#include "platform/Variant.h"

namespace kv {

// The machine-wide registry key of the installation.
inline constexpr const char* kCorvaneRegistryKey = "Software\\KVT\\Corvane";

// The error codes of the readers (message type ";" code).
inline constexpr const char* kErrorNoRegistryKey = "E;000015";
inline constexpr const char* kErrorNoServerAddress = "E;000016";

class TCorvaneIniC {
 public:
  TCorvaneIniC();

  platform::AnsiString ClientPath;               // registry ClientPath with a trailing delimiter
  platform::AnsiString ProfilePath;              // folder of the ini file used
  platform::AnsiString ProfileType = "0";        // registry ProfileType; "0": one shared profile
  platform::AnsiString ProfileName = "Default";  // the user name when per-user profiles are on
  platform::AnsiString UICodePage;               // starts as SysCodePage
  platform::AnsiString DBCodePage = "936";
  platform::AnsiString SysCodePage;              // "936", "950" or "437"
  std::uint8_t UIConvertMode = 0;
  std::uint8_t DataConvertMode = 0;
  bool SupportCallBack = false;
  platform::AnsiString IniFileName;              // full path of CorvaneC.ini
  // [0, i] host (String), [1, i] port (Integer) for host i of ComputerName;
  // Unassigned when no address was read.
  platform::Variant ServerAddresses;
  platform::AnsiString ErrorCode;                // "E;000015", "E;000016" or empty
  platform::AnsiString LangType = "ENG";
  // name=folder lines of [WorkDLLPath], each folder made absolute against
  // ClientPath; a single line ClientPath + "C_PKG\" when the section is
  // empty. With ErrorCode "E;000016" the lines stay as read.
  platform::TStringList WorkDLLPaths;
  platform::AnsiString ProductVersion;
  platform::AnsiString CreateGifBeforeSendJX = "Y";
  platform::AnsiString AutoCheckNewMsg = "1";
  platform::AnsiString CheckInterval = "1";
  platform::AnsiString PopupMsg = "1";
  platform::AnsiString LoginCheck = "0";
};

class TCorvaneIniS {
 public:
  TCorvaneIniS();

  platform::AnsiString ServerPath;               // registry ServerPath with a trailing delimiter
  platform::AnsiString ProfilePath;
  platform::AnsiString ProfileType = "0";
  platform::AnsiString ProfileName = "Default";
  platform::AnsiString UICodePage;
  platform::AnsiString DBCodePage = "936";
  platform::AnsiString SysCodePage;
  std::uint8_t UIConvertMode = 0;
  std::uint8_t DataConvertMode = 0;
  bool SupportCallBack = false;
  platform::AnsiString IniFileName;              // full path of CorvaneS.ini
  // A 4 x 8 array [0..3, 0..7]. Rows: 0 main database, 1 temporary database,
  // 2 password-control service, 3 data-exchange database. Columns of rows 0
  // and 1: alias, user name, password (decoded), database type, database
  // name, server (row 0) or driver (row 1), connection and command time-out
  // (Integer). Row 2: computer name, server port, client socket port
  // (Integer), database code order. Row 3: alias, user name, password as
  // stored. Every other cell is Unassigned. The array exists even when
  // nothing was read.
  platform::Variant DBSettings;
  platform::AnsiString ErrorCode;                // "E;000015" or empty
  platform::TStringList WorkDLLPaths;            // as the client's, against ServerPath, default "S_PKG\"
  platform::AnsiString ProductVersion;
  std::uint8_t DBKind = 0;                       // 1 ORACLE, 2 DB2, else 0
  platform::AnsiString SystemControlAddress;
  platform::AnsiString OtherSystemControlAddress;
};

// The stored form of a password: two lower-case hexadecimal digits per
// byte, the byte at 1-based position i rotated right by (i mod 8) bits. An
// empty password is stored as the encoding of a marker text. This is an
// obfuscation the configuration files rely on, not a protection.
platform::AnsiString EncodePassword(const platform::AnsiString& text);
// The inverse: an odd final digit is ignored, the marker gives the empty
// text. A pair that is not hexadecimal stops the decoding: the result is
// the text "UH_Rrk_Zvrjihys_Kifaf" and an exception report is written.
platform::AnsiString DecodePassword(const platform::AnsiString& stored);

// A module folder against a base folder (which ends with a delimiter): a
// path with a drive letter or a leading "/" is returned as is, a leading
// "\" is replaced by the base, any other path is appended to the base.
platform::AnsiString MakeModulePath(const platform::AnsiString& path, const platform::AnsiString& base);

}  // namespace kv
