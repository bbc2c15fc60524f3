// TSocketConnection: the connection of a data module to the application
// server, and the provider connection of its client data sets.
//
// Setting Connected to true opens a wire connection (WireConnection.h) to
// the endpoint, Address or, when Address is empty, Host:
// - "127.0.0.1": in-process, on the server installed in this process
//   (InProcessServer.h), without a socket;
// - any other name or address: TCP to Port (default 211), within
//   ConnectTimeout; each call then waits at most CallTimeout for its
//   answer (milliseconds).
// The handshake presents the process's session credential
// (SessionCredential.h). Then the server's object of class ServerName
// ("MarnoSrv.Class1" by default) is created; AppServer holds it for
// late-bound calls (OleCall(connection.AppServer(), "SvrData", {})).
// BeforeConnect and AfterConnect surround the opening, BeforeDisconnect
// and AfterDisconnect the closing. An opening that fails leaves the
// connection closed and raises: EWireError when there is no endpoint, no
// in-process server or no server listening, EWireRefused when the server
// refuses the credential, EWireFault when it does not offer ServerName.
// Connected reads false once the connection was lost (after a time-out);
// it is not opened again by itself.
// Changing the endpoint, the port or the server name closes an open
// connection. Connected set while the component is read from a resource is
// carried out in Loaded. The destructor closes without events.
//
// Callbacks from the server are not supported: SupportCallbacks is false
// and setting it raises EWireError. ObjectBroker is kept for resources
// that name one but is not used (the endpoint decides).
//
// As a provider connection, AppServer answers the provider protocol
// (opened on demand when the connection was not opened or was closed):
//   AS_GetRecords(provider: String, request: ProviderRequest) -> DataPacket
//       the opening: the first packet with its metadata
//   AS_GetNextPacket(provider: String, request: ProviderRequest) -> DataPacket
//       the packet after request.rowsFetched rows, with the metadata too
//       (the rows' layout depends on it)
//   AS_ApplyUpdates(provider: String, delta: Delta, maxErrors: Integer)
//       -> ReconcileAnswer
//   AS_GetRecordCount(provider: String) -> Integer
//       the rows that matched the last opening
//   AS_GetProviderNames() -> Array of String
// with the Variant layouts of ProviderConnection.h, DataPacket.h,
// Delta.h and ReconcileAnswer.h. TProviderDispatch (ProviderDispatch.h) is
// the server side. An answer that does not have its layout raises
// EDataPacketError; an error value of the server raises EWireFault with
// the server's text.
#pragma once

#include <memory>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Variant.h"
#include "platform/data/RemoteServer.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Event.h"

namespace platform {

class WireConnection;

inline constexpr const char* kInProcessAddress = "127.0.0.1";

class TSocketConnection : public TCustomRemoteServer {
  PLATFORM_CLASS(TSocketConnection)

 public:
  explicit TSocketConnection(TComponent* owner);
  ~TSocketConnection() override;

  const AnsiString& Address() const { return address_; }
  void SetAddress(const AnsiString& address);
  const AnsiString& Host() const { return host_; }
  void SetHost(const AnsiString& host);
  int Port() const { return port_; }
  void SetPort(int port);
  const AnsiString& ServerName() const { return serverName_; }
  void SetServerName(const AnsiString& name);
  // The server's fixed class identifier, kept for the resources (the
  // server is created by ServerName).
  const AnsiString& ServerGUID() const { return serverGuid_; }
  void SetServerGUID(const AnsiString& guid) { ChangeProperty(serverGuid_, guid, "ServerGUID"); }
  bool SupportCallbacks() const { return false; }
  void SetSupportCallbacks(bool on);
  TComponent* ObjectBroker() const { return objectBroker_.get(); }
  void SetObjectBroker(TComponent* broker);
  int ConnectTimeout() const { return connectTimeout_; }
  void SetConnectTimeout(int ms);
  int CallTimeout() const { return callTimeout_; }
  void SetCallTimeout(int ms);

  // The endpoint used: Address, or Host when Address is empty.
  const AnsiString& Endpoint() const { return address_.IsEmpty() ? host_ : address_; }
  bool IsInProcess() const { return Endpoint() == kInProcessAddress; }

  bool Connected() const;
  void SetConnected(bool on);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }

  // The server's object (a Dispatch Variant); opens the connection when it
  // is closed. After the connection was lost its calls raise EWireClosed
  // until Connected is set again (a new session with new server objects).
  Variant AppServer();

  DataPacket OpenProvider(const AnsiString& provider, const ProviderRequest& request) override;
  DataPacket NextPacket(const AnsiString& provider, const ProviderRequest& request) override;
  ReconcileAnswer ApplyDelta(const AnsiString& provider, const Delta& delta, int maxErrors) override;
  int RecordCount(const AnsiString& provider) override;
  std::vector<AnsiString> GetProviderNames();

  TNotifyEvent BeforeConnect;
  TNotifyEvent AfterConnect;
  TNotifyEvent BeforeDisconnect;
  TNotifyEvent AfterDisconnect;

 protected:
  void Loaded() override;

 private:
  void DoConnect();
  void DoDisconnect();
  void Drop() noexcept;
  // Closes before a setting of the connection changes.
  void CloseForChange();
  AnsiString Prefix() const;

  AnsiString address_;
  AnsiString host_;
  int port_ = 211;
  AnsiString serverName_ = "MarnoSrv.Class1";
  AnsiString serverGuid_;
  TComponentPtr<TComponent> objectBroker_;
  int connectTimeout_ = 10000;
  int callTimeout_ = 30000;
  bool connectRequested_ = false;  // Connected read from a resource
  std::shared_ptr<WireConnection> connection_;
  Variant appServer_;
};

}  // namespace platform
