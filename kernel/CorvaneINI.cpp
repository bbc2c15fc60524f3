#include "CorvaneINI.h"

#include <string>
#include <vector>

#include "KentraGeneratorU.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Registry.h"

namespace kv {

using platform::AnsiString;
using platform::TIniFile;
using platform::TStringList;
using platform::Variant;

namespace {

const char* const kEmptyPasswordMarker = "LU_Uml_MzEmecFpyo_SovDoimHyveAbVgehw";
const char* const kUndecodablePassword = "UH_Rrk_Zvrjihys_Kifaf";
const char* const kEncoderStart = "GD_Ixu_Spfzx_Luj_Kuerfsaw";

// The process code page reduced to the three the module knows.
AnsiString SystemCodePage() {
  unsigned cp = platform::ProcessCodePage();
  return cp == 936 ? "936" : cp == 950 ? "950" : "437";
}

std::uint8_t UIConvertModeOf(const AnsiString& ui, const AnsiString& sys) {
  if (ui == "950") return 2;
  if (ui == "936" && sys == "950") return 4;
  return 0;
}

std::uint8_t DataConvertModeOf(const AnsiString& ui, const AnsiString& db) {
  if (ui == "950" && db == "936") return 2;
  if (ui == "936" && db == "950") return 1;
  return 0;
}

bool IsTrueText(const AnsiString& value) {
  AnsiString upper = platform::UpperCase(value);
  return upper == "1" || upper == "Y" || upper == "YES" || upper == "TRUE";
}

// What locating an ini file yields; the reader copies it into its fields.
struct Location {
  bool read = false;         // a file name was found: read it
  AnsiString errorCode;
  AnsiString installPath;    // with a trailing delimiter
  AnsiString profileType = "0";
  AnsiString profileName = "Default";
  AnsiString profilePath;
  AnsiString iniFileName;
};

Location Locate(const char* pathValue, const char* iniName) {
  Location at;
  platform::TRegistry registry;
  if (!registry.OpenKeyReadOnly(kCorvaneRegistryKey)) {
    at.errorCode = kErrorNoRegistryKey;
    return at;
  }
  AnsiString path = registry.ReadString(pathValue);
  AnsiString profileType = registry.ReadString("ProfileType");
  registry.CloseKey();
  // An absent value means the shared profile, which "0" already says.
  if (!profileType.IsEmpty()) at.profileType = profileType;
  if (path.IsEmpty()) return at;

  at.installPath = platform::IncludeTrailingPathDelimiter(path);
  if (profileType.IsEmpty() || profileType == "0") {
    at.profilePath = at.installPath;
  } else {
    AnsiString user = platform::UserName();
    at.profilePath = at.installPath + "Profile\\" + user + "\\";
    at.profileName = user;
  }
  at.iniFileName = at.profilePath + iniName;
  if (!platform::FileExists(at.iniFileName)) {
    at.profilePath = at.installPath;
    at.iniFileName = at.installPath + iniName;
  }
  at.read = true;
  return at;
}

// The part both readers share: code-page defaults, then locating the file.
// False when there is nothing to read (the error code tells why, if any).
template <class Reader>
bool Start(Reader& reader, AnsiString& installPath, const char* pathValue, const char* iniName) {
  reader.SysCodePage = SystemCodePage();
  reader.UICodePage = reader.SysCodePage;
  reader.UIConvertMode = UIConvertModeOf(reader.UICodePage, reader.SysCodePage);
  reader.DataConvertMode = DataConvertModeOf(reader.UICodePage, reader.DBCodePage);
  Location at = Locate(pathValue, iniName);
  reader.ErrorCode = at.errorCode;
  reader.ProfileType = at.profileType;
  if (!at.read) return false;
  installPath = at.installPath;
  reader.ProfilePath = at.profilePath;
  reader.ProfileName = at.profileName;
  reader.IniFileName = at.iniFileName;
  return true;
}

// Each folder of [WorkDLLPath] made absolute against base, names kept; the
// default folder alone when the section is empty.
void MakeModuleFolders(const TStringList& raw, const AnsiString& base, const char* defaultFolder,
                       TStringList& folders) {
  folders.Clear();
  if (raw.Count() == 0) {
    folders.Add(base + defaultFolder);
    return;
  }
  for (int i = 0; i < raw.Count(); ++i) {
    AnsiString folder = platform::IncludeTrailingPathDelimiter(raw.ValueFromIndex(i));
    folders.Add(raw.Names(i) + "=" + MakeModulePath(folder, base));
  }
}

// The host list of ComputerName (already trimmed, without a final ";"): one
// column per piece, pieces not trimmed, an empty piece between two ";" kept.
Variant BuildServerAddresses(const AnsiString& hosts, int port) {
  std::vector<AnsiString> pieces;
  AnsiString rest = hosts;
  while (!rest.IsEmpty()) {
    std::size_t semicolon = rest.Pos(";");
    if (semicolon == 0) {
      pieces.push_back(rest);
      break;
    }
    pieces.push_back(rest.SubString(1, semicolon - 1));
    rest = rest.Mid(semicolon + 1);
  }
  Variant addresses = platform::VarArrayCreate({0, 1, 0, static_cast<int>(pieces.size()) - 1}, platform::varVariant);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    addresses.PutElement({0, static_cast<int>(i)}, Variant(pieces[i]));
    addresses.PutElement({1, static_cast<int>(i)}, Variant(port));
  }
  return addresses;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

TCorvaneIniC::TCorvaneIniC() {
  if (!Start(*this, ClientPath, "ClientPath", "CorvaneC.ini")) return;

  // In the order of the file's key table; GridViewDataPath belongs to the
  // grid layout store, which reads it itself.
  TIniFile ini(IniFileName);
  LangType = ini.ReadString("Client Components", "LangType", "ENG");
  ProductVersion = ini.ReadString("ProductVersion", "Version", "");
  CreateGifBeforeSendJX = ini.ReadString("UserDefine", "CreateGifBeforeSendJX", "Y");
  UICodePage = ini.ReadString("CodePage", "UICodePage", SysCodePage);
  DBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");
  SupportCallBack = IsTrueText(ini.ReadString("Server Information", "SupportCallBack", "0"));
  AnsiString hosts = platform::Trim(ini.ReadString("Server Information", "ComputerName", "127.0.0.1"));
  int port = ini.ReadInteger("Server Information", "ServerPort", 211);
  TStringList modules;
  ini.ReadSectionValues("WorkDLLPath", modules);
  WorkDLLPaths = modules;
  AutoCheckNewMsg = ini.ReadString("TaskMessageCenter Setting", "AutoCheckNewMsg", "1");
  CheckInterval = ini.ReadString("TaskMessageCenter Setting", "CheckInterval", "1");
  PopupMsg = ini.ReadString("TaskMessageCenter Setting", "PopupMsg", "1");
  LoginCheck = ini.ReadString("TaskMessageCenter Setting", "LoginCheck", "0");

  UIConvertMode = UIConvertModeOf(UICodePage, SysCodePage);
  DataConvertMode = DataConvertModeOf(UICodePage, DBCodePage);

  if (!hosts.IsEmpty() && hosts[hosts.Length()] == ';') hosts = hosts.SubString(1, hosts.Length() - 1);
  if (hosts.IsEmpty()) {
    ErrorCode = kErrorNoServerAddress;
    return;
  }
  ServerAddresses = BuildServerAddresses(hosts, port);
  MakeModuleFolders(modules, ClientPath, "C_PKG\\", WorkDLLPaths);
}

TCorvaneIniS::TCorvaneIniS() {
  DBSettings = platform::VarArrayCreate({0, 3, 0, 7}, platform::varVariant);
  if (!Start(*this, ServerPath, "ServerPath", "CorvaneS.ini")) return;

  TIniFile ini(IniFileName);
  auto text = [&](int row, int column, const char* section, const char* key, const char* defaultValue) {
    DBSettings.PutElement({row, column}, Variant(ini.ReadString(section, key, defaultValue)));
  };
  auto number = [&](int row, int column, const char* section, const char* key, int defaultValue) {
    DBSettings.PutElement({row, column}, Variant(ini.ReadInteger(section, key, defaultValue)));
  };
  auto password = [&](int row, int column, const char* key) {
    DBSettings.PutElement({row, column}, Variant(DecodePassword(ini.ReadString("DBE Setting", key, ""))));
  };
  auto orServer = [&](const char* key) {
    AnsiString value = ini.ReadString("DBE Setting", key, "");
    return platform::Trim(value).IsEmpty() ? DBSettings.GetElement({0, 5}).AsString() : value;
  };

  // In the order of the file's key table: the two address fall-backs read
  // the server name stored just before them.
  ProductVersion = ini.ReadString("ProductVersion", "Version", "");
  UICodePage = ini.ReadString("CodePage", "UICodePage", SysCodePage);
  DBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");
  text(0, 1, "DBE Setting", "MainUserName", "sa");
  password(0, 2, "XXXXXX");
  text(0, 0, "DBE Setting", "MainAlias", "Halden");
  text(0, 3, "DBE Setting", "MainDBType", "MSSQL");
  text(0, 4, "DBE Setting", "MainDBName", "");
  text(0, 5, "DBE Setting", "MainServerName", "");
  SystemControlAddress = orServer("SystemControlAddress");
  OtherSystemControlAddress = orServer("OtherSystemControlAddress");
  number(0, 6, "DBE Setting", "MainConnectionTimeOut", 300);
  number(0, 7, "DBE Setting", "MainCommandTimeOut", 3000);
  text(1, 0, "DBE Setting", "TempAlias", "HaldenTemp");
  text(1, 1, "DBE Setting", "TempUserName", "sa");
  password(1, 2, "TempPassword");
  text(1, 3, "DBE Setting", "TempDBType", "PARADOX");
  text(1, 4, "DBE Setting", "TempDBName", "");
  text(1, 5, "DBE Setting", "TempDriverName", "PostgreSQL");
  number(1, 6, "DBE Setting", "TempConnectionTimeOut", 300);
  number(1, 7, "DBE Setting", "TempCommandTimeOut", 3000);
  DBSettings.PutElement({2, 0}, Variant(platform::Trim(ini.ReadString("DBPasswordCtrl", "ComputerName", ""))));
  number(2, 1, "DBPasswordCtrl", "ServerPort", 211);
  number(2, 2, "DBPasswordCtrl", "ClientSocketPort", 1024);
  SupportCallBack = IsTrueText(ini.ReadString("DBPasswordCtrl", "SupportCallBack", "0"));
  text(2, 3, "DBE Setting", "DataBaseCodeOrder", "Chinese_Taiwan_Stroke_BIN");
  text(3, 0, "DBE Setting", "EctAlias", "EDIDATA");
  text(3, 1, "DBE Setting", "EctUserName", "sa");
  // Kept as stored: the data-exchange password is handed on undecoded.
  text(3, 2, "DBE Setting", "EctPassword", "");
  TStringList modules;
  ini.ReadSectionValues("WorkDLLPath", modules);

  AnsiString dbType = DBSettings.GetElement({0, 3}).AsString();
  DBKind = platform::SameText(dbType, "ORACLE") ? 1 : platform::SameText(dbType, "DB2") ? 2 : 0;
  UIConvertMode = UIConvertModeOf(UICodePage, SysCodePage);
  DataConvertMode = DataConvertModeOf(UICodePage, DBCodePage);
  MakeModuleFolders(modules, ServerPath, "S_PKG\\", WorkDLLPaths);
}

AnsiString EncodePassword(const AnsiString& text) {
  static const char digits[] = "0123456789abcdef";
  AnsiString result = kEncoderStart;
  const std::string& bytes = text.IsEmpty() ? std::string(kEmptyPasswordMarker) : text.Bytes();
  std::string stored;
  stored.reserve(bytes.size() * 2);
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    unsigned shift = (k + 1) % 8;
    unsigned b = static_cast<unsigned char>(bytes[k]);
    unsigned rotated = ((b >> shift) | (b << (8 - shift))) & 0xFF;
    stored += digits[rotated >> 4];
    stored += digits[rotated & 0x0F];
  }
  if (!stored.empty()) result = AnsiString::FromBytes(stored);
  return result;
}

AnsiString DecodePassword(const AnsiString& stored) {
  const std::string& digits = stored.Bytes();
  std::string text;
  text.reserve(digits.size() / 2);
  for (std::size_t k = 0; k + 1 < digits.size(); k += 2) {
    int hi = HexDigit(digits[k]);
    int lo = HexDigit(digits[k + 1]);
    if (hi < 0 || lo < 0) {
      WriteExceptionReport(nullptr, EncodePassword("DecodeSQLSa"), "解析 Sa 时发生错误!");
      return kUndecodablePassword;
    }
    unsigned shift = (k / 2 + 1) % 8;
    unsigned b = static_cast<unsigned>(hi * 16 + lo);
    text += static_cast<char>(((b << shift) | (b >> (8 - shift))) & 0xFF);
  }
  if (text == kEmptyPasswordMarker) return AnsiString();
  return AnsiString::FromBytes(text);
}

AnsiString MakeModulePath(const AnsiString& path, const AnsiString& base) {
  if (platform::IsAbsolutePath(path)) return path;
  if (!path.IsEmpty() && path[1] == '\\') return base + path.Mid(2);
  return base + path;
}

}  // namespace kv
