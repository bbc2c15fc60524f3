#include "platform/data/ProviderDispatch.h"

#include <algorithm>
#include <string>

#include "platform/Variant.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Delta.h"
#include "platform/data/ReconcileAnswer.h"

namespace platform {

namespace {

constexpr std::string_view kMembers[] = {"AS_GetRecords", "AS_GetNextPacket", "AS_ApplyUpdates",
                                         "AS_GetRecordCount", "AS_GetProviderNames"};

}  // namespace

const DispatchTable<TProviderDispatch>& TProviderDispatch::AutomationMembers() {
  static const auto table = DispatchTable<TProviderDispatch>("TProviderDispatch")
                                .Method("AS_GetRecords", &TProviderDispatch::AS_GetRecords)
                                .Method("AS_GetNextPacket", &TProviderDispatch::AS_GetNextPacket)
                                .Method("AS_ApplyUpdates", &TProviderDispatch::AS_ApplyUpdates)
                                .Method("AS_GetRecordCount", &TProviderDispatch::AS_GetRecordCount)
                                .Method("AS_GetProviderNames", &TProviderDispatch::AS_GetProviderNames);
  return table;
}

bool TProviderDispatch::IsProviderMember(std::string_view member) {
  return std::any_of(std::begin(kMembers), std::end(kMembers),
                     [member](std::string_view name) { return SameMemberName(name, member); });
}

void TProviderDispatch::AddProvider(const AnsiString& name, IProviderConnection& connection) {
  for (Entry& e : providers_) {
    if (SameText(e.name, name)) {
      e = Entry{name, &connection, {}, false};
      return;
    }
  }
  providers_.push_back(Entry{name, &connection, {}, false});
}

TProviderDispatch::Entry& TProviderDispatch::Find(const AnsiString& provider) {
  for (Entry& e : providers_)
    if (SameText(e.name, provider)) return e;
  throw EDatabaseError("Provider '" + provider + "' not found");
}

Variant TProviderDispatch::AS_GetRecords(const AnsiString& provider, const Variant& request) {
  Entry& e = Find(provider);
  DataPacket packet = e.connection->OpenProvider(e.name, ProviderRequestFromVariant(request));
  e.fields = packet.fields;
  e.opened = true;
  return ToVariant(packet);
}

Variant TProviderDispatch::AS_GetNextPacket(const AnsiString& provider, const Variant& request) {
  Entry& e = Find(provider);
  DataPacket packet = e.connection->NextPacket(e.name, ProviderRequestFromVariant(request));
  if (packet.fields.empty()) {
    if (!e.opened && !packet.rows.empty())
      throw EDataPacketError("A next packet of provider '" + e.name + "' was asked for before it was opened");
    packet.fields = e.fields;
  }
  return ToVariant(packet);
}

Variant TProviderDispatch::AS_ApplyUpdates(const AnsiString& provider, const Variant& delta, int maxErrors) {
  Entry& e = Find(provider);
  if (maxErrors < -1) throw EDatabaseError("MaxErrors must be -1 or more, not " + AnsiString::FromBytes(std::to_string(maxErrors)));
  return ToVariant(e.connection->ApplyDelta(e.name, DeltaFromVariant(delta), maxErrors));
}

int TProviderDispatch::AS_GetRecordCount(const AnsiString& provider) {
  Entry& e = Find(provider);
  return e.connection->RecordCount(e.name);
}

Variant TProviderDispatch::AS_GetProviderNames() {
  std::vector<Variant> names;
  names.reserve(providers_.size());
  for (const Entry& e : providers_) names.emplace_back(e.name);
  return VarArrayOf(names);
}

}  // namespace platform
