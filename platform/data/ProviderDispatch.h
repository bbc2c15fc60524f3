// TProviderDispatch: the server side of the provider protocol. An
// automation object that answers the provider members a socket connection
// calls on its application-server object (SocketConnection.h) from named
// provider connections (a TLocalProvider, or the server's own providers).
//
// Members (provider names compare without regard to ASCII case):
//   AS_GetRecords(provider: String, request: ProviderRequest) -> DataPacket
//   AS_GetNextPacket(provider: String, request: ProviderRequest) -> DataPacket
//   AS_ApplyUpdates(provider: String, delta: Delta, maxErrors: Integer)
//       -> ReconcileAnswer
//   AS_GetRecordCount(provider: String) -> Integer
//   AS_GetProviderNames() -> Array of String
// A next packet always carries the metadata (the Variant layout of its
// rows depends on it): when the provider leaves it out, the dispatcher
// fills in the metadata of the provider's last opening through it, and a
// next packet with rows for a provider it never opened raises
// EDataPacketError. The values have the Variant layouts of ProviderConnection.h,
// DataPacket.h, Delta.h and ReconcileAnswer.h. A malformed request or
// delta raises EDataPacketError and an unknown provider EDatabaseError
// "Provider 'X' not found"; over the wire either becomes the error value
// of the call. Refused rows are part of the answer.
//
// An application-server class that has members of its own holds a
// TProviderDispatch and hands it the calls for which IsProviderMember is
// true.
#pragma once

#include <string_view>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/DispatchTable.h"
#include "platform/Variant.h"
#include "platform/data/ProviderConnection.h"

namespace platform {

class TProviderDispatch : public Dispatchable<TProviderDispatch> {
 public:
  static const DispatchTable<TProviderDispatch>& AutomationMembers();
  // True for the names of the members above (ASCII case ignored).
  static bool IsProviderMember(std::string_view member);

  // Offers the provider of the connection under its name (replacing one of
  // the same name). The connection is observed: it must outlive this
  // object.
  void AddProvider(const AnsiString& name, IProviderConnection& connection);

  Variant AS_GetRecords(const AnsiString& provider, const Variant& request);
  Variant AS_GetNextPacket(const AnsiString& provider, const Variant& request);
  Variant AS_ApplyUpdates(const AnsiString& provider, const Variant& delta, int maxErrors);
  int AS_GetRecordCount(const AnsiString& provider);
  Variant AS_GetProviderNames();

 private:
  struct Entry {
    AnsiString name;
    IProviderConnection* connection;
    std::vector<FieldMeta> fields;  // of the last opening
    bool opened = false;
  };
  Entry& Find(const AnsiString& provider);

  std::vector<Entry> providers_;  // in the order they were added
};

}  // namespace platform
