// Private header of host_web: the pictures the browser may fetch, by
// content hash.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/ui/Graphics.h"

namespace hostweb {

// Filled on the UI thread, read by the server's I/O thread. A picture once
// added stays for the life of the server (the same hash is never encoded
// twice).
class PictureStore {
 public:
  // Adds the bitmap's PNG under its content hash; returns the hash.
  std::uint64_t Add(const platform::TBitmap& bitmap);
  std::optional<std::string> Png(std::uint64_t hash) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::uint64_t, std::string> pngs_;
};

}  // namespace hostweb
