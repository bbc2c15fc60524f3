// The code-page fix-up for traditional-Chinese workstations.
//
// Text on such workstations may hold double-byte pairs that code page 950
// does not define. While the module is loaded, the process's conversions
// carry those pairs through fixed private code points so that they survive
// a round trip. The mapping itself lives in the platform's one conversion
// layer (platform/CodePage.h); this unit decides when it is on.
#pragma once

namespace kv {

// True when the process code page is 950 and the machine setting UseKBIG5
// (registry key "Software\KVT\Corvane") is not "0"; a missing key or value
// counts as on.
bool ConversionFixWanted();

// Run once at module load and unload.
void InstallConversionFix();
void RemoveConversionFix();

// The process's conversions with the fix-up (the platform's functions,
// which apply the mapping while it is installed).
int FixedMultiByteToWideChar(unsigned codePage, unsigned flags, const char* bytes, int byteCount,
                             char16_t* out, int outSize);
int FixedWideCharToMultiByte(unsigned codePage, unsigned flags, const char16_t* text, int charCount,
                             char* out, int outSize, const char* defaultChar, int* usedDefault);

}  // namespace kv
