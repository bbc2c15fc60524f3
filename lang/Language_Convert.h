// Character-table conversion between GB (code page 936) and BIG5 (950).
//
// Two process-wide tables, read once from the mapping file "Language" of
// the client installation (or of the executable's folder), map each GB
// character to its BIG5 counterpart and back. Characters without an entry
// are converted through the code pages instead. The message dialog of the
// brokers uses this to show server texts in the workstation's script.
//
// The tables are loaded on the first conversion and kept for the process;
// they are used on the user-interface thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/AnsiString.h"

namespace kv {

// GB byte text to BIG5 byte text, and back.
platform::AnsiString GbToBig5Text(const platform::AnsiString& text);
platform::AnsiString Big5ToGbText(const platform::AnsiString& text);

// Reads the mapping file when the tables are not loaded yet. A missing
// file shows "Can't find file Language !!" and leaves them unloaded; a
// malformed code raises EConvertError.
void LoadCharTables();

// Position of a pair in the GB table, or -1 when none applies.
int GbIndex(unsigned char lead, unsigned char trail);
// Position of a pair in the BIG5 table (negative below the first lead byte
// 0xA1; -1 for a trail byte outside the BIG5 ranges).
int Big5Index(unsigned char lead, unsigned char trail);

// The loaded state, for tests and diagnostics.
struct CharTablesState {
  bool loaded = false;
  platform::AnsiString folder;
  std::vector<std::uint16_t> big5;  // GB code of each BIG5 character
  std::vector<std::uint16_t> gb;    // BIG5 code of each GB character
};
const CharTablesState& CharTables();
// Forgets the tables so that the next conversion loads them again (tests).
void ResetCharTables();

}  // namespace kv
