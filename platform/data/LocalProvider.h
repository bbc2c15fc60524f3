// TLocalProvider: providers that keep their rows in memory, standing in for
// the application server where a test or an in-memory build needs one.
//
// Each provider has its metadata and its rows (with nested rows). Opening
// returns the rows the selector picks for the request (all rows by
// default) in packets of the requested size; applying a delta works on a
// copy of the rows and keeps it only when no more rows were refused than
// MaxErrors allows, as a server transaction would.
//
// Rows are found by their key fields (mfKey; every field when none is
// flagged), compared with the delta row's original values; when the level
// has a field FLAG, its stored value must equal the original too. A row
// that is not found is refused with "Record not found or changed by another
// user", an insert whose key exists with "Key violation", a null required
// field with "Field 'X' must have a value". The row check refuses further
// rows on demand. A refused header row is not applied and neither are its
// nested rows (they are not reported separately). Inserted and changed rows
// are written parent first, deleted ones children first.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/data/ProviderConnection.h"
#include "platform/data/RemoteServer.h"

namespace platform {

class TLocalProvider : public TCustomRemoteServer {
  PLATFORM_CLASS(TLocalProvider)

 public:
  explicit TLocalProvider(TComponent* owner = nullptr) : TCustomRemoteServer(owner) {}

  // Picks the rows of an opening (to interpret the request's parameters).
  using RowSelector = std::function<std::vector<DataRow>(const ProviderRequest&, const std::vector<DataRow>&)>;
  // Refuses a delta row with a message (nullopt accepts it). path is the
  // row's path in the delta tree.
  using RowCheck =
      std::function<std::optional<AnsiString>(const AnsiString& provider, const DeltaRow& row, const std::vector<int>& path)>;

  // Declares a provider (replacing one of the same name). The rows must
  // have the shape of the metadata (EDataPacketError otherwise).
  void AddProvider(const AnsiString& name, std::vector<FieldMeta> fields, std::vector<DataRow> rows = {});
  bool HasProvider(const AnsiString& name) const;
  const std::vector<FieldMeta>& Fields(const AnsiString& name) const;
  const std::vector<DataRow>& Rows(const AnsiString& name) const;
  std::vector<DataRow>& Rows(const AnsiString& name);
  void SetRowSelector(const AnsiString& name, RowSelector selector);
  void SetRowCheck(RowCheck check) { check_ = std::move(check); }

  // What the provider received, for tests.
  const std::vector<ProviderRequest>& Requests(const AnsiString& name) const;
  const std::vector<Delta>& AppliedDeltas(const AnsiString& name) const;

  DataPacket OpenProvider(const AnsiString& provider, const ProviderRequest& request) override;
  DataPacket NextPacket(const AnsiString& provider, const ProviderRequest& request) override;
  ReconcileAnswer ApplyDelta(const AnsiString& provider, const Delta& delta, int maxErrors) override;
  int RecordCount(const AnsiString& provider) override;

 private:
  struct Provider {
    AnsiString name;
    std::vector<FieldMeta> fields;
    std::vector<DataRow> rows;
    RowSelector selector;
    std::vector<DataRow> selection;  // rows of the last opening
    std::vector<ProviderRequest> requests;
    std::vector<Delta> deltas;
  };
  struct ApplyRun;

  Provider& Get(const AnsiString& name);
  const Provider& Get(const AnsiString& name) const;
  DataPacket Packet(const Provider& p, int from, int count, bool withFields) const;

  std::map<AnsiString, Provider> providers_;  // key: name in upper case
  RowCheck check_;
};

}  // namespace platform
