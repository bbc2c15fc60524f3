#include "platform/data/SocketConnection.h"

#include <chrono>
#include <string>

#include "platform/Automation.h"
#include "platform/data/DatabaseError.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/wire/InProcessServer.h"
#include "platform/wire/InProcessWireConnection.h"
#include "platform/wire/SessionCredential.h"
#include "platform/wire/TcpWireConnection.h"
#include "platform/wire/WireConnection.h"
#include "platform/wire/WireErrors.h"

namespace platform {

const TClassInfo& TSocketConnection::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TSocketConnection>("TSocketConnection", TCustomRemoteServer::StaticClass())
          .String("Address", &TSocketConnection::Address, &TSocketConnection::SetAddress)
          .String("Host", &TSocketConnection::Host, &TSocketConnection::SetHost)
          .Integer("Port", &TSocketConnection::Port, &TSocketConnection::SetPort)
          .Default(211)
          .String("ServerName", &TSocketConnection::ServerName, &TSocketConnection::SetServerName)
          .Default("MarnoSrv.Class1")
          .String("ServerGUID", &TSocketConnection::ServerGUID, &TSocketConnection::SetServerGUID)
          .Boolean("SupportCallbacks", &TSocketConnection::SupportCallbacks, &TSocketConnection::SetSupportCallbacks)
          .Default(false)
          .Reference("ObjectBroker", &TSocketConnection::ObjectBroker, &TSocketConnection::SetObjectBroker)
          .Integer("ConnectTimeout", &TSocketConnection::ConnectTimeout, &TSocketConnection::SetConnectTimeout)
          .Default(10000)
          .Integer("CallTimeout", &TSocketConnection::CallTimeout, &TSocketConnection::SetCallTimeout)
          .Default(30000)
          .Boolean("Connected", &TSocketConnection::Connected, &TSocketConnection::SetConnected)
          .Default(false)
          .Event("BeforeConnect", &TSocketConnection::BeforeConnect)
          .Event("AfterConnect", &TSocketConnection::AfterConnect)
          .Event("BeforeDisconnect", &TSocketConnection::BeforeDisconnect)
          .Event("AfterDisconnect", &TSocketConnection::AfterDisconnect)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TSocketConnection);

TSocketConnection::TSocketConnection(TComponent* owner) : TCustomRemoteServer(owner) {}

TSocketConnection::~TSocketConnection() { Drop(); }

AnsiString TSocketConnection::Prefix() const { return Name().IsEmpty() ? AnsiString() : Name() + ": "; }

void TSocketConnection::CloseForChange() {
  if (Connected()) SetConnected(false);
}

void TSocketConnection::SetAddress(const AnsiString& address) {
  if (address == address_) return;
  CloseForChange();
  ChangeProperty(address_, address, "Address");
}

void TSocketConnection::SetHost(const AnsiString& host) {
  if (host == host_) return;
  CloseForChange();
  ChangeProperty(host_, host, "Host");
}

void TSocketConnection::SetPort(int port) {
  if (port == port_) return;
  CloseForChange();
  ChangeProperty(port_, port, "Port");
}

void TSocketConnection::SetServerName(const AnsiString& name) {
  if (name == serverName_) return;
  CloseForChange();
  ChangeProperty(serverName_, name, "ServerName");
}

void TSocketConnection::SetSupportCallbacks(bool on) {
  if (on) throw EWireError(Prefix() + "Callbacks from the application server are not supported");
}

void TSocketConnection::SetObjectBroker(TComponent* broker) {
  if (broker == objectBroker_.get()) return;
  objectBroker_ = broker;
  MarkChanged("ObjectBroker");
}

void TSocketConnection::SetConnectTimeout(int ms) { ChangeProperty(connectTimeout_, ms, "ConnectTimeout"); }

void TSocketConnection::SetCallTimeout(int ms) { ChangeProperty(callTimeout_, ms, "CallTimeout"); }

bool TSocketConnection::Connected() const { return connection_ && connection_->Connected(); }

void TSocketConnection::SetConnected(bool on) {
  if (Loading()) {
    connectRequested_ = on;
    return;
  }
  if (on == Connected()) {
    if (!on) Drop();  // a lost connection: nothing to tell
    return;
  }
  if (on) DoConnect();
  else DoDisconnect();
  MarkChanged("Connected");
}

void TSocketConnection::Loaded() {
  TCustomRemoteServer::Loaded();
  if (connectRequested_) {
    connectRequested_ = false;
    SetConnected(true);
  }
}

void TSocketConnection::DoConnect() {
  Drop();  // a connection that was lost
  BeforeConnect(this);  // may still set the endpoint
  const AnsiString endpoint = Endpoint();
  if (endpoint.IsEmpty()) throw EWireError(Prefix() + "No server address or host name is given");
  if (serverName_.IsEmpty()) throw EWireError(Prefix() + "No server name is given");
  const bool inProcess = IsInProcess();
  if (!inProcess && (port_ < 1 || port_ > 65535))
    throw EWireError(Prefix() + "Port " + AnsiString::FromBytes(std::to_string(port_)) + " is not a valid port number");
  if (connectTimeout_ <= 0 || callTimeout_ <= 0) throw EWireError(Prefix() + "The time-outs must be positive");

  WireClientOptions options;
  options.host = endpoint.c_str();
  options.port = static_cast<unsigned short>(port_);
  options.credential = SessionCredential();
  options.connectTimeout = std::chrono::milliseconds(connectTimeout_);
  options.callTimeout = std::chrono::milliseconds(callTimeout_);
  std::shared_ptr<WireConnection> connection;
  if (inProcess) {
    auto server = InProcessServer();
    if (!server)
      throw EWireError(Prefix() + "No application server is installed in this process for the address " +
                       kInProcessAddress);
    connection = ConnectWireInProcess(std::move(server), options);
  } else {
    connection = ConnectWireTcp(options);
  }
  try {
    appServer_ = Variant(connection->CreateObject(serverName_.c_str()));
  } catch (...) {
    connection->Close();
    throw;
  }
  connection_ = std::move(connection);
  AfterConnect(this);
}

void TSocketConnection::DoDisconnect() {
  BeforeDisconnect(this);
  Drop();
  AfterDisconnect(this);
}

void TSocketConnection::Drop() noexcept {
  appServer_ = Variant();  // gives the root object back first
  if (connection_) {
    connection_->Close();
    connection_.reset();
  }
}

Variant TSocketConnection::AppServer() {
  // A lost connection is not opened again behind the caller's back (the
  // server's objects and their state are gone): its calls raise
  // EWireClosed until Connected is set again.
  if (!connection_) SetConnected(true);
  return appServer_;
}

DataPacket TSocketConnection::OpenProvider(const AnsiString& provider, const ProviderRequest& request) {
  return DataPacketFromVariant(OleCall(AppServer(), "AS_GetRecords", {Variant(provider), ToVariant(request)}));
}

DataPacket TSocketConnection::NextPacket(const AnsiString& provider, const ProviderRequest& request) {
  return DataPacketFromVariant(OleCall(AppServer(), "AS_GetNextPacket", {Variant(provider), ToVariant(request)}));
}

ReconcileAnswer TSocketConnection::ApplyDelta(const AnsiString& provider, const Delta& delta, int maxErrors) {
  return ReconcileAnswerFromVariant(
      OleCall(AppServer(), "AS_ApplyUpdates", {Variant(provider), ToVariant(delta), Variant(maxErrors)}));
}

int TSocketConnection::RecordCount(const AnsiString& provider) {
  const Variant count = OleCall(AppServer(), "AS_GetRecordCount", {Variant(provider)});
  if (!VarIsNumeric(count)) throw EDataPacketError("The record count of provider '" + provider + "' is not a number");
  return count.AsInteger();
}

std::vector<AnsiString> TSocketConnection::GetProviderNames() {
  const Variant names = OleCall(AppServer(), "AS_GetProviderNames", {});
  std::vector<AnsiString> result;
  const int count = data_detail::ElementCount(names, "provider names");
  for (int i = 0; i < count; ++i) result.push_back(data_detail::Element(names, i, "provider names").AsString());
  return result;
}

}  // namespace platform
