#include "host/web/PictureStore.h"

#include "host/web/PngWriter.h"

namespace hostweb {

std::uint64_t PictureStore::Add(const platform::TBitmap& bitmap) {
  const std::uint64_t hash = bitmap.ContentHash();
  {
    std::lock_guard lock(mutex_);
    if (pngs_.count(hash)) return hash;
  }
  std::string png = EncodePng(bitmap);
  std::lock_guard lock(mutex_);
  pngs_.emplace(hash, std::move(png));
  return hash;
}

std::optional<std::string> PictureStore::Png(std::uint64_t hash) const {
  std::lock_guard lock(mutex_);
  auto it = pngs_.find(hash);
  if (it == pngs_.end()) return std::nullopt;
  return it->second;
}

}  // namespace hostweb
