#include "UserDefINI.h"

#include "CorvaneINI.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

namespace kv {

using platform::AnsiString;

namespace {

const char* const kSection = "VoucherFormatDef";

AnsiString KeyOf(const AnsiString& programCode, const AnsiString& qualifier) {
  return programCode + "_" + EscapeKeyPart(qualifier);
}

}  // namespace

AnsiString EscapeKeyPart(const AnsiString& text) { return platform::StringReplaceAll(text, "=", "$EQUAL$"); }

TUserDefIni::TUserDefIni() {
  AnsiString folder = TCorvaneIniC().ClientPath;
  // Without an installation folder the name stays relative (the current
  // directory), rather than becoming a file at the root of the file system.
  if (!folder.IsEmpty()) folder = platform::IncludeTrailingPathDelimiter(folder);
  FileName = folder + "UserDef.ini";
  Load();
}

void TUserDefIni::Load() {
  Definitions.Clear();
  if (platform::FileExists(FileName)) platform::TIniFile(FileName).ReadSectionValues(kSection, Definitions);
}

AnsiString TUserDefIni::GetDefaultFormat(const AnsiString& programCode, const AnsiString& qualifier) const {
  int index = Definitions.IndexOfName(KeyOf(programCode, qualifier));
  return index < 0 ? AnsiString(kNewFormat) : Definitions.ValueFromIndex(index);
}

void TUserDefIni::SetDefaultFormat(const AnsiString& programCode, const AnsiString& qualifier,
                                   const AnsiString& formatName) {
  platform::TIniFile ini(FileName);
  if (!platform::SameText(formatName, kNewFormat))
    ini.WriteString(kSection, KeyOf(platform::UpperCase(programCode), qualifier), formatName);
  else
    ini.DeleteKey(kSection, KeyOf(programCode, qualifier));
  Load();
}

void TUserDefIni::DeleteDefaultFormat(const AnsiString& programCode, const AnsiString& qualifier) {
  platform::TIniFile(FileName).DeleteKey(kSection, KeyOf(programCode, qualifier));
  Load();
}

}  // namespace kv
