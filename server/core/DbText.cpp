#include "server/core/DbText.h"

#include "platform/CodePage.h"

namespace server {

platform::AnsiString FromDb(std::string_view utf8) {
  return platform::AnsiString::FromBytes(
      platform::FromWide(platform::Utf8ToWide(utf8), platform::ProcessCodePage()));
}

std::string ToDb(const platform::AnsiString& text) {
  return platform::WideToUtf8(platform::ToWide(text.View(), platform::ProcessCodePage()));
}

std::size_t CodePageLength(std::string_view utf8) { return FromDb(utf8).Length(); }

}  // namespace server
