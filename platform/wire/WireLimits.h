// The limits every receiver of wire messages enforces, so that no message
// can make it allocate much more than the message's own size or recurse
// without bound.
#pragma once

#include <cstddef>

namespace platform {

struct WireLimits {
  // Largest message body a frame may carry; a frame announcing more closes
  // the connection, and a sender refuses to send more.
  std::size_t maxFrameBytes = 16 * 1024 * 1024;
  // Most values one message may hold, array elements counted one by one
  // (a byte array counts as one value).
  std::size_t maxValues = 1'000'000;
  // Deepest nesting of arrays within one value (an array of arrays is 2).
  int maxArrayDepth = 32;
  // Most dimensions of one array.
  int maxDimensions = 16;
};

}  // namespace platform
