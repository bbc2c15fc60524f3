#include "platform/wire/WireFrame.h"

#include "platform/wire/WireErrors.h"

namespace platform {

std::string WireFrameHeader(std::size_t bodyBytes) {
  const auto n = static_cast<std::uint32_t>(bodyBytes);
  std::string header(kWireFrameHeaderBytes, '\0');
  header[0] = static_cast<char>(n >> 24);
  header[1] = static_cast<char>(n >> 16);
  header[2] = static_cast<char>(n >> 8);
  header[3] = static_cast<char>(n);
  return header;
}

std::uint32_t WireFrameLength(const char* header) {
  auto b = [&](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(header[i])); };
  return (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
}

std::optional<std::string> WireFrameReader::Next() {
  const std::size_t available = buffer_.size() - consumed_;
  if (available < kWireFrameHeaderBytes) return std::nullopt;
  const std::uint32_t length = WireFrameLength(buffer_.data() + consumed_);
  if (length == 0) throw EWireProtocolError("A frame announces an empty message");
  if (length > maxBody_)
    throw EWireProtocolError("A frame announces " + AnsiString(std::to_string(length).c_str()) +
                             " bytes, above the limit of " + AnsiString(std::to_string(maxBody_).c_str()));
  if (available - kWireFrameHeaderBytes < length) return std::nullopt;
  if (consumed_ == 0 && buffer_.size() == kWireFrameHeaderBytes + length) {
    // The usual case, one whole frame: hand over the buffer itself.
    std::string body = std::move(buffer_);
    body.erase(0, kWireFrameHeaderBytes);
    buffer_.clear();
    return body;
  }
  std::string body = buffer_.substr(consumed_ + kWireFrameHeaderBytes, length);
  consumed_ += kWireFrameHeaderBytes + length;
  if (consumed_ == buffer_.size()) {
    buffer_.clear();
    consumed_ = 0;
  } else if (consumed_ > 64 * 1024) {
    buffer_.erase(0, consumed_);
    consumed_ = 0;
  }
  return body;
}

}  // namespace platform
