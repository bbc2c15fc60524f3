#include "server/objects/SchemeProvider.h"

#include "platform/data/Delta.h"
#include "platform/data/ReconcileAnswer.h"
#include "server/core/DbText.h"

namespace server {

using platform::DataPacket;
using platform::FieldMeta;

platform::DataPacket SchemeProvider::OpenProvider(const platform::AnsiString&, const platform::ProviderRequest&) {
  session_.RequireConnected();
  DataPacket packet;
  packet.codePage = platform::ProcessCodePage();
  packet.fields = {FieldMeta{"NCONDITION", platform::ftString, 20, 0, platform::mfKey, {}},
                   FieldMeta{"CREATOR", platform::ftString, 20, 0, platform::mfKey, {}},
                   FieldMeta{"PROGRAMME", platform::ftString, 20, 0, platform::mfKey, {}},
                   FieldMeta{"VCONDITION", platform::ftMemo, 0, 0, 0, {}},
                   FieldMeta{"ActivePage", platform::ftInteger, 0, 0, 0, {}},
                   FieldMeta{"CREATE_DATE", platform::ftString, 8, 0, 0, {}}};
  auto r = session_.Db().Execute(
      "SELECT NCONDITION, CREATOR, PROGRAMME, VCONDITION, ACTIVE_PAGE, CREATE_DATE FROM SYS_SCHEME "
      "WHERE CREATOR = ? AND PROGRAMME = ? ORDER BY NCONDITION",
      {session_.schemeUser, session_.schemeProgram});
  for (const auto& values : r.rows) {
    platform::DataRow row;
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i == 4) row.values.push_back(static_cast<int>(values[i].IsNull() ? 0 : values[i].AsInteger()));
      else row.values.push_back(platform::Variant(FromDb(values[i].IsNull() ? std::string() : values[i].AsText())));
    }
    packet.rows.push_back(std::move(row));
  }
  count_ = static_cast<int>(packet.rows.size());
  return packet;
}

platform::DataPacket SchemeProvider::NextPacket(const platform::AnsiString& provider,
                                                const platform::ProviderRequest& request) {
  // The first packet holds every scheme.
  DataPacket packet = OpenProvider(provider, request);
  packet.rows.clear();
  return packet;
}

platform::ReconcileAnswer SchemeProvider::ApplyDelta(const platform::AnsiString&, const platform::Delta&, int) {
  throw EServerRefusal("Saved schemes are changed through InsertConTable, DeleteConTable and ChangeConName.");
}

}  // namespace server
