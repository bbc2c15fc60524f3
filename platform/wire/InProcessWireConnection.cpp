#include "platform/wire/InProcessWireConnection.h"

#include "platform/wire/WireErrors.h"
#include "platform/wire/WireServerSession.h"

namespace platform {

namespace {

class InProcessWireConnection final : public WireConnection {
 public:
  InProcessWireConnection(std::shared_ptr<const WireServerConfig> server, const WireClientOptions& options)
      : WireConnection(options), session_(std::make_unique<WireServerSession>(std::move(server))) {}
  ~InProcessWireConnection() override = default;

  static std::shared_ptr<WireConnection> Open(std::shared_ptr<const WireServerConfig> server,
                                              const WireClientOptions& options) {
    auto connection = std::make_shared<InProcessWireConnection>(std::move(server), options);
    connection->Handshake(options.credential);
    return connection;
  }

 protected:
  std::string Exchange(const std::string& body) override {
    WireServerSession::Outcome outcome = Deliver(body);
    if (outcome.reply.empty()) {
      MarkClosed();
      throw EWireClosed("The server closed the connection");
    }
    return std::move(outcome.reply);
  }

  void Send(const std::string& body) override { Deliver(body); }

  // As over TCP, the server lets go of the session's objects at once.
  void Disconnect() noexcept override { session_.reset(); }

 private:
  WireServerSession::Outcome Deliver(const std::string& body) {
    if (!session_) throw EWireClosed("The connection to the server is closed");
    WireServerSession::Outcome outcome = session_->Handle(body);
    if (outcome.close) {
      MarkClosed();
      session_.reset();
    }
    return outcome;
  }

  std::unique_ptr<WireServerSession> session_;
};

}  // namespace

std::shared_ptr<WireConnection> ConnectWireInProcess(std::shared_ptr<const WireServerConfig> server,
                                                     const WireClientOptions& options) {
  return InProcessWireConnection::Open(std::move(server), options);
}

}  // namespace platform
