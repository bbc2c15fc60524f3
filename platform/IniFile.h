// TIniFile: sections of key=value lines in a text file.
//
// Every call reads the file afresh (nothing is cached between readers, so a
// changed file is seen by the next read) and every write rewrites it at
// once. Section and key names are compared without regard to ASCII case.
// A line splits at its first "="; key and value are trimmed of blanks, and a
// value wrapped in double quotes loses them, so a value with leading or
// trailing blanks is written quoted and read back whole. ";" has no special
// meaning inside a value; a line that starts with ";" is a comment. Lines
// that are neither a section, a key nor a comment are ignored. The file
// holds bytes in the process code page.
#pragma once

#include "AnsiString.h"
#include "StringList.h"

namespace platform {

class TIniFile : public TObject {
 public:
  explicit TIniFile(AnsiString fileName) : fileName_(std::move(fileName)) {}
  const char* ClassName() const override { return "TIniFile"; }
  const AnsiString& FileName() const { return fileName_; }

  AnsiString ReadString(const AnsiString& section, const AnsiString& ident,
                        const AnsiString& defaultValue) const;
  // The value as a decimal (or "$"/"0x" hexadecimal) integer; the default
  // when absent or not a number.
  int ReadInteger(const AnsiString& section, const AnsiString& ident, int defaultValue) const;
  bool ReadBool(const AnsiString& section, const AnsiString& ident, bool defaultValue) const;
  bool SectionExists(const AnsiString& section) const;
  bool ValueExists(const AnsiString& section, const AnsiString& ident) const;
  // Key names of a section, in file order.
  void ReadSection(const AnsiString& section, TStringList& keys) const;
  // The section as name=value lines, in file order.
  void ReadSectionValues(const AnsiString& section, TStringList& lines) const;
  void ReadSections(TStringList& sections) const;

  // Writes raise EIniFileException when the file cannot be written, and
  // when a name or value holds a line break, a key holds "=" or is blank,
  // or a section name holds "]" (the line would not read back).
  void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value);
  void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
  void WriteBool(const AnsiString& section, const AnsiString& ident, bool value);
  void DeleteKey(const AnsiString& section, const AnsiString& ident);
  void EraseSection(const AnsiString& section);

 private:
  AnsiString fileName_;
};

}  // namespace platform
