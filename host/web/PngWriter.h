// Private header of host_web: PNG files of bitmaps, for the browser.
#pragma once

#include <string>

#include "platform/ui/Graphics.h"

namespace hostweb {

// The bitmap as a PNG file (8-bit RGBA, stored without compression: the
// pictures are small and served on the local machine only). The
// transparent colour of a transparent bitmap becomes fully transparent.
std::string EncodePng(const platform::TBitmap& bitmap);

}  // namespace hostweb
