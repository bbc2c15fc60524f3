// WireServerSession: the server side of one connection, the generic
// dispatcher between wire messages and automation objects.
//
// It answers the handshake, holds the objects the session created (the
// handle table), decodes each call, invokes the target object by member
// name with the call's arguments (by-reference ones as ByRef Variants the
// object writes through), and encodes the result and the new values of the
// by-reference arguments. No exception leaves it: a failure of the called
// object, an unknown member, a class that is not in the allow-list and a
// result that cannot be encoded become a Fault, the error value of the
// call, and the session goes on.
//
// A message that breaks the protocol closes the session: one that cannot
// be decoded, any message before the handshake other than Hello, a refused
// handshake, a message only a server sends, and a call or release naming a
// handle the session does not hold (the call gets a Fault first). The
// transport then closes the connection; other sessions are not affected.
//
// Calls of one session must be handed to Handle one at a time, in order.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/wire/WireCodec.h"
#include "platform/wire/WireServerConfig.h"

namespace platform {

class WireServerSession {
 public:
  explicit WireServerSession(std::shared_ptr<const WireServerConfig> config);
  ~WireServerSession();
  WireServerSession(const WireServerSession&) = delete;
  WireServerSession& operator=(const WireServerSession&) = delete;

  struct Outcome {
    std::string reply;   // the body to send back; empty when there is none
    bool close = false;  // close the connection (after sending the reply)
  };
  // Handles one message body.
  Outcome Handle(std::string_view body) noexcept;

  bool Open() const { return open_; }
  bool Welcomed() const { return welcomed_; }
  // Objects the session holds for its client.
  std::size_t ObjectCount() const;
  const WireSessionContext& Context() const { return context_; }

 private:
  class Objects;

  Outcome Hello(const WireHello& hello);
  Outcome Call(WireCall& call);
  Outcome Release(const WireRelease& release);
  Outcome Close(std::string reply = {});
  Variant CreateObject(std::span<Variant> args);

  std::shared_ptr<const WireServerConfig> config_;
  WireCodec codec_;
  std::unique_ptr<Objects> objects_;
  WireSessionContext context_;
  bool open_ = true;
  bool welcomed_ = false;
};

}  // namespace platform
