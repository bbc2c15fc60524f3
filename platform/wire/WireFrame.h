// Frames: how messages travel on a byte stream. A frame is a 4-byte
// big-endian body length followed by the body (one encoded message). A
// length of zero or above the receiver's frame limit is a protocol
// violation: the receiver closes the connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::size_t kWireFrameHeaderBytes = 4;

// The header of a frame carrying `bodyBytes`.
std::string WireFrameHeader(std::size_t bodyBytes);
// The body length a header announces.
std::uint32_t WireFrameLength(const char* header);

// Splits a received byte stream into frame bodies. Bytes are appended as
// they arrive; Next gives each complete body in turn. A header announcing
// an empty body or more than the limit raises EWireProtocolError. Memory
// grows with the bytes received, never with what a header announces.
class WireFrameReader {
 public:
  explicit WireFrameReader(std::size_t maxBodyBytes) : maxBody_(maxBodyBytes) {}

  void Append(const char* data, std::size_t n) { buffer_.append(data, n); }
  std::optional<std::string> Next();
  // True while part of a frame has arrived and the rest has not.
  bool Partial() const { return buffer_.size() > consumed_; }

 private:
  std::size_t maxBody_;
  std::string buffer_;
  std::size_t consumed_ = 0;  // bytes of buffer_ already handed out
};

}  // namespace platform
