// IProviderConnection: how a client data set reaches the providers of its
// application server.
//
// A client data set names its provider (ProviderName) and holds an
// observing pointer to a connection (RemoteServer). Opening asks for the
// first packet, scrolling past the last fetched row may ask for the next,
// ApplyUpdates sends one delta and receives one answer. The remote
// connection of the wire and TLocalProvider implement it. A connection
// raises a typed operational error when it cannot answer at all; refused
// rows are values in the answer, never exceptions.
//
// ProviderRequest carries what the client knows, so that a provider need
// not keep a cursor between calls: the parameters of the opening, the
// packet size, how many rows the client already holds and the key values
// of the last of them (the fields flagged mfKey, in field order; Empty on
// the first packet).
//
// Variant layout (array conventions as in DataPacket.h):
// ProviderRequest = [params: Variant, commandText: String,
//                    packetRecords: Integer, rowsFetched: Integer,
//                    lastKey: Array of values or Empty]
#pragma once

#include <iosfwd>

#include "platform/AnsiString.h"
#include "platform/Variant.h"
#include "platform/data/DataPacket.h"
#include "platform/data/Delta.h"
#include "platform/data/ReconcileAnswer.h"

namespace platform {

struct ProviderRequest {
  // The provider parameters of the data set (for the module's providers
  // the array [where, order]).
  Variant params;
  AnsiString commandText;
  // Rows per packet: -1 all rows, 0 only the metadata, n > 0 at most n.
  int packetRecords = -1;
  int rowsFetched = 0;
  Variant lastKey;

  friend bool operator==(const ProviderRequest&, const ProviderRequest&) = default;
};

Variant ToVariant(const ProviderRequest& request);
ProviderRequest ProviderRequestFromVariant(const Variant& v);
std::ostream& operator<<(std::ostream& os, const ProviderRequest& request);

class IProviderConnection {
 public:
  virtual ~IProviderConnection() = default;
  // The first packet of the provider for the request (metadata and rows).
  virtual DataPacket OpenProvider(const AnsiString& provider, const ProviderRequest& request) = 0;
  // The next packet after request.rowsFetched rows; its metadata may be
  // left empty.
  virtual DataPacket NextPacket(const AnsiString& provider, const ProviderRequest& request) = 0;
  // Applies the delta. maxErrors: -1 no limit; n >= 0: when more than n
  // rows are refused, everything is undone (rolledBack).
  virtual ReconcileAnswer ApplyDelta(const AnsiString& provider, const Delta& delta, int maxErrors) = 0;
  // How many rows matched the last opening of the provider.
  virtual int RecordCount(const AnsiString& provider) = 0;
};

}  // namespace platform
