#include "FixWideCharCodepage.h"

#include "platform/CodePage.h"
#include "platform/Registry.h"

namespace kv {

bool ConversionFixWanted() {
  if (platform::ProcessCodePage() != 950) return false;
  platform::TRegistry reg;
  if (!reg.OpenKeyReadOnly("Software\\KVT\\Corvane")) return true;
  if (!reg.ValueExists("UseKBIG5")) return true;
  return reg.ReadString("UseKBIG5") != "0";
}

void InstallConversionFix() {
  if (ConversionFixWanted()) platform::SetExtendedBig5(true);
}

void RemoveConversionFix() {
  if (ConversionFixWanted()) platform::SetExtendedBig5(false);
}

int FixedMultiByteToWideChar(unsigned codePage, unsigned flags, const char* bytes, int byteCount,
                             char16_t* out, int outSize) {
  return platform::MultiByteToWideChar(codePage, flags, bytes, byteCount, out, outSize);
}

int FixedWideCharToMultiByte(unsigned codePage, unsigned flags, const char16_t* text, int charCount,
                             char* out, int outSize, const char* defaultChar, int* usedDefault) {
  return platform::WideCharToMultiByte(codePage, flags, text, charCount, out, outSize, defaultChar,
                                       usedDefault);
}

}  // namespace kv
