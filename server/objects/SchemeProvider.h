// SchemeProvider: "pvdConSave", the saved query schemes of the user and
// program the last LoadTable named (fields NCONDITION, CREATOR, PROGRAMME,
// VCONDITION, ActivePage, CREATE_DATE). It has no apply: schemes change
// only through InsertConTable, DeleteConTable and ChangeConName.
#pragma once

#include "platform/data/ProviderConnection.h"
#include "server/objects/ServerSession.h"

namespace server {

class SchemeProvider : public platform::IProviderConnection {
 public:
  explicit SchemeProvider(ServerSession& session) : session_(session) {}
  platform::DataPacket OpenProvider(const platform::AnsiString& provider,
                                    const platform::ProviderRequest& request) override;
  platform::DataPacket NextPacket(const platform::AnsiString& provider,
                                  const platform::ProviderRequest& request) override;
  platform::ReconcileAnswer ApplyDelta(const platform::AnsiString& provider, const platform::Delta& delta,
                                       int maxErrors) override;
  int RecordCount(const platform::AnsiString& provider) override { return count_; }

 private:
  ServerSession& session_;
  int count_ = 0;
};

}  // namespace server
