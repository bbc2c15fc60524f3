// Per-machine user definitions: the file UserDef.ini in the client
// installation folder.
//
// It keeps choices that are not stored on the server; in this module the
// default voucher (print) format of a print program, in the section
// "VoucherFormatDef" under the key program code + "_" + qualifier. A
// TUserDefIni reads the section on creation; the forms create one for each
// lookup or change and let it go. Keys are compared without regard to
// case. A missing file reads as empty and the first store creates it;
// writes that fail raise platform::EIniFileException.
#pragma once

#include "platform/AnsiString.h"
#include "platform/StringList.h"

namespace kv {

// The format name that stands for "no default format".
inline constexpr const char* kNewFormat = "<New>";

class TUserDefIni {
 public:
  // Builds FileName from the client configuration and loads.
  TUserDefIni();

  platform::AnsiString FileName;     // ClientPath (+ "\") + "UserDef.ini"
  platform::TStringList Definitions;  // key=value lines of the section, as last read

  // Re-reads the section into Definitions, in file order.
  void Load();
  // The format name stored for the program and qualifier, or "<New>".
  platform::AnsiString GetDefaultFormat(const platform::AnsiString& programCode,
                                        const platform::AnsiString& qualifier) const;
  // Stores the format name (the program code in upper case), or deletes the
  // entry when the name is "<New>" in any letter case; then loads again.
  void SetDefaultFormat(const platform::AnsiString& programCode, const platform::AnsiString& qualifier,
                        const platform::AnsiString& formatName);
  // Deletes the entry; then loads again.
  void DeleteDefaultFormat(const platform::AnsiString& programCode, const platform::AnsiString& qualifier);
};

// A qualifier made fit for a key: every "=" becomes "$EQUAL$".
platform::AnsiString EscapeKeyPart(const platform::AnsiString& text);

}  // namespace kv
