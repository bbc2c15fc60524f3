// Private header of host_web: the CJK font served to the browser.
#pragma once

#include <optional>
#include <string>

namespace hostweb {

// The installed CJK font file (the one the platform measures text with);
// empty when none is installed.
std::string FindCjkFont();

// The font as a file a browser loads as a web font: a TrueType collection
// (.ttc) gives its first font as a single TrueType file; a plain font
// file is returned as it is. nullopt when the data is not a font or a
// table lies outside the data.
std::optional<std::string> WebFontData(const std::string& fileData);

}  // namespace hostweb
