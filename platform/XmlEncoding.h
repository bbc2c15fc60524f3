// Private to the platform: the byte encodings of XML files.
//
// The parser works on UTF-8 only; these functions turn the bytes of a file
// into UTF-8 and a serialised document back into the bytes of its declared
// encoding, through the code-page layer.
#pragma once

#include <string>
#include <string_view>

namespace platform::xml {

// The value of the encoding pseudo-attribute of the XML declaration that
// starts the text (an ASCII-compatible text), or empty.
std::string DeclaredEncoding(std::string_view text);

// File bytes to UTF-8 without a byte-order mark. A byte-order mark decides
// first (UTF-8, UTF-16 LE/BE); UTF-16 without one is recognised by its
// first character "<"; otherwise the declaration names the encoding, and a
// file without one is UTF-8. False, with the reason, when the encoding is
// not supported or a byte sequence is not a character of it.
bool DecodeDocumentBytes(std::string_view bytes, std::string& utf8, std::string& reason);

// A serialised document (UTF-8) to the bytes of the encoding its own
// declaration names (UTF-8 without a declaration; UTF-16 is written
// little-endian with a byte-order mark). Characters the encoding lacks are
// written as character references. False, with the reason, when the
// declared encoding is not supported.
bool EncodeDocumentText(std::string_view utf8, std::string& bytes, std::string& reason);

}  // namespace platform::xml
