// Code pages and the two text conversions of the operating system.
//
// All code-page work of the process goes through this one layer: the
// process ANSI code page (the registry stand-in's value "ACP", default 936),
// the lead-byte tests that byte-string operations use to step over
// double-byte characters, and MultiByteToWideChar / WideCharToMultiByte on
// glibc iconv. The extended-BIG5 mapping (pairs that code page 950 does not
// define, carried through private code points) lives inside the 950
// conversion and is switched on by SetExtendedBig5.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

using WideString = std::u16string;

constexpr unsigned CP_ACP = 0;
constexpr unsigned CP_UTF8 = 65001;

// The process ANSI code page. Read once from the registry stand-in (value
// "ACP"); 936 when it is missing or not a number.
unsigned ProcessCodePage();

// Replaces the process code page while the object lives (tests only).
class ScopedCodePage {
 public:
  explicit ScopedCodePage(unsigned codePage);
  ~ScopedCodePage();
  ScopedCodePage(const ScopedCodePage&) = delete;
  ScopedCodePage& operator=(const ScopedCodePage&) = delete;

 private:
  unsigned previous_;
};

// Resolves CP_ACP to the process code page.
unsigned EffectiveCodePage(unsigned codePage);

// True when the code page is one of the double-byte pages this layer knows
// (936, 950) and b may start a double-byte character in it.
bool IsLeadByte(unsigned codePage, unsigned char b);

// Length in bytes (1 or 2) of the character starting at bytes[i]; a lead
// byte at the very end counts as one byte.
std::size_t CharLength(unsigned codePage, std::string_view bytes, std::size_t i);

// True when the code page can be converted by this layer.
bool IsSupportedCodePage(unsigned codePage);

// Whole-text conversions. Bytes that do not form a character of the code
// page become U+003F; characters the code page lacks become "?". With
// usedDefault given, it is set when any replacement happened.
WideString ToWide(std::string_view bytes, unsigned codePage, bool* usedDefault = nullptr);
std::string FromWide(std::u16string_view text, unsigned codePage, bool* usedDefault = nullptr);

// UTF-8 at the operating-system boundary (file names, stdout, tests).
std::string WideToUtf8(std::u16string_view text);
WideString Utf8ToWide(std::string_view utf8);

// Stand-ins of the operating system's functions, with their contract: a
// zero output size asks for the size needed; the result is the number of
// units written (or needed), 0 on failure. The flags are accepted and
// ignored, and the default character is always "?". Counts of -1 mean "up to and including the terminating zero".
int MultiByteToWideChar(unsigned codePage, unsigned flags, const char* bytes, int byteCount,
                        char16_t* out, int outSize);
int WideCharToMultiByte(unsigned codePage, unsigned flags, const char16_t* text, int charCount,
                        char* out, int outSize, const char* defaultChar, int* usedDefault);

// The extended-BIG5 mapping of code page 950 (pairs with a second byte in
// 0x80-0xA0, and 0xA3 0xC0-0xDF / 0xA3 0xE1-0xFE). Off by default; the
// module switches it on at load when the process code page is 950 and the
// machine setting UseKBIG5 is not "0".
void SetExtendedBig5(bool on);
bool ExtendedBig5();

// The private code point of an extended pair, or 0 when the pair is not one.
char16_t ExtendedBig5CodePoint(unsigned char lead, unsigned char trail);
// The pair of an extended code point; false when the code point has none.
bool ExtendedBig5Pair(char16_t codePoint, unsigned char& lead, unsigned char& trail);

}  // namespace platform
