// TClientDataSet: a data set whose rows come from a provider (or from a
// data packet, or are created in memory) and whose changes are kept in a
// change log until they are applied as one delta.
//
// Sources of rows, in this order when opening:
// - DataSetField set: the rows nested in the master's current record (a
//   nested data set, see DataSet.h); its changes belong to the master;
// - a clone (CloneCursor): the rows of another client data set, shared;
// - RemoteServer and ProviderName set: the provider's first packet, asked
//   for with ProviderParams (the module's providers take the array [where,
//   order]), CommandText and PacketRecords;
// - a packet given with SetData;
// - otherwise "Name: Missing data provider or data packet". CreateDataSet
//   opens an empty in-memory data set from FieldDefs (or, when there are
//   none, from the data fields).
//
// PacketRecords: -1 fetches every row at once (the default), n > 0 n rows
// per packet, 0 only the metadata. GetNextPacket fetches the next packet
// and returns how many rows it brought (0 once the provider has no more);
// the cursor stays where it is and the links hear deDataSetChange. With
// FetchOnDemand (the default) moving past the last fetched row, Last and
// Locate fetch further packets themselves.
//
// The change log records inserted, modified and deleted rows, nested rows
// included. ChangeCount counts changed rows (for a nested data set: those
// below the master's current record). ApplyUpdates(MaxErrors) posts a
// pending record, sends every change as one delta, and reconciles the
// answer: applied rows leave the change log; each refused row raises
// OnReconcileError of the data set that shows it (a nested data set for a
// refused detail row, when it has a handler; else the top-level one) with
// the action raSkip, so the row stays in the change log unless the handler
// decides otherwise (DataTypes.h). When the provider rolled back (more
// rows refused than MaxErrors allows; with 0 the first refusal) no row was
// applied and every change stays. The result is the number of refused
// rows. A nested data set applies through its top-level master.
//
// Indexes: IndexFieldNames orders ascending by the fields (";"-joined);
// IndexName selects a definition of IndexDefs (TIndexDef, with
// ixDescending); setting one clears the other; "" for both is the natural
// order. The cursor stays on its record when the order changes.
//
// CloneCursor makes this data set a second cursor on the source's rows:
// same rows and change log, its own position and fields; unless reset, the
// source's order, filter (and OnFilterRecord) and read-only flag are
// copied. A clone of a nested data set follows the master like the source.
#pragma once

#include <memory>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Variant.h"
#include "platform/data/DataPacket.h"
#include "platform/data/DataSet.h"
#include "platform/data/Delta.h"
#include "platform/data/FieldDefs.h"
#include "platform/data/IndexDefs.h"
#include "platform/data/ProviderConnection.h"
#include "platform/data/ReconcileAnswer.h"
#include "platform/data/RemoteServer.h"

namespace platform {

class TClientDataSet;

// (DataSet, E, UpdateKind, var Action)
using TReconcileErrorEvent =
    TEvent<"TReconcileErrorEvent", TClientDataSet*, EReconcileError&, TUpdateKind, TReconcileAction&>;

class TClientDataSet : public TDataSet {
  PLATFORM_CLASS(TClientDataSet)

 public:
  explicit TClientDataSet(TComponent* owner);
  ~TClientDataSet() override;

  // --- where the rows come from ---
  TCustomRemoteServer* RemoteServer() const { return remoteServer_; }
  void SetRemoteServer(TCustomRemoteServer* server);
  // A connection that is no component (for code that holds one itself);
  // RemoteServer takes precedence.
  IProviderConnection* ProviderConnection() const;
  void SetProviderConnection(IProviderConnection* connection) { connection_ = connection; }
  const AnsiString& ProviderName() const { return providerName_; }
  void SetProviderName(const AnsiString& name);
  const AnsiString& CommandText() const { return commandText_; }
  void SetCommandText(const AnsiString& text) { commandText_ = text; }
  const Variant& ProviderParams() const { return providerParams_; }
  void SetProviderParams(const Variant& params) { providerParams_ = params; }
  // Closes the data set and opens it again with the parameters.
  void OpenWithParams(const Variant& params);
  int PacketRecords() const { return packetRecords_; }
  void SetPacketRecords(int count);
  bool FetchOnDemand() const { return fetchOnDemand_; }
  void SetFetchOnDemand(bool on) { fetchOnDemand_ = on; }
  // Rows fetched so far, and whether the provider said it has more.
  int FetchedRowCount() const { return fetchedRows_; }
  bool HasMoreRows() const { return moreRows_; }
  int GetNextPacket();
  TDataSetField* DataSetField() const { return MasterField(); }
  void SetDataSetField(TDataSetField* field);

  // --- in memory ---
  TFieldDefs* FieldDefs() const { return &fieldDefs_; }
  void CreateDataSet();
  // The rows as they are now (without the change log) with their metadata.
  DataPacket Data() const;
  // Loads a packet (its rows unmodified) and opens on it.
  void SetData(const DataPacket& packet);
  // Removes every row and the change log.
  void EmptyDataSet();

  // --- change log ---
  int ChangeCount() const;
  // The delta of the change log (of the top-level data set).
  Delta GetDelta() const;
  TUpdateStatus UpdateStatus() const;
  void CancelUpdates();
  void MergeChangeLog();
  void RevertRecord();
  int ApplyUpdates(int maxErrors);
  // The delta row being reconciled, while OnReconcileError runs (else
  // nullptr): its original and current values.
  const DeltaRow* ReconcilingRow() const { return reconcilingRow_; }

  // --- order ---
  const AnsiString& IndexFieldNames() const { return indexFieldNames_; }
  void SetIndexFieldNames(const AnsiString& names);
  const AnsiString& IndexName() const { return indexName_; }
  // Raises "Name: Index 'X' not found" for a name IndexDefs lacks.
  void SetIndexName(const AnsiString& name);
  TIndexDefs* IndexDefs() const { return &indexDefs_; }
  // The fields of the active order.
  int IndexFieldCount() const;
  TField* IndexFields(int index) const;

  // --- cursors ---
  void CloneCursor(TClientDataSet* source, bool reset, bool keepSettings = false);
  bool ReadOnly() const { return ReadOnlyFlag(); }
  void SetReadOnly(bool on) { SetReadOnlyFlag(on); }
  // The grid pack's option: texts assigned through a field's Text must
  // fit its edit mask (EditMask.h); a blank masked text always fits.
  bool ValidateWithMask() const { return validateWithMask_; }
  void SetValidateWithMask(bool on) { validateWithMask_ = on; }

  TReconcileErrorEvent OnReconcileError;

 protected:
  void InternalOpen() override;
  void InternalClose() override;
  bool FetchMore() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TClientDataSet& TopLevel();
  const TClientDataSet& TopLevel() const;
  IProviderConnection& Connection() const;
  ProviderRequest Request() const;
  int AddPacket(const DataPacket& packet);
  int FetchPacket();
  void Reconcile(const ReconcileAnswer& answer, std::vector<data_detail::DeltaSource> sources,
                 const std::vector<DeltaRow>& rows);
  TClientDataSet* ReconcileTarget(const std::vector<int>& chain);
  void ApplyIndexSettings();
  void SelectIndex(const AnsiString& fieldNames, const AnsiString& name, const char* property);
  void RefreshAfterLogChange();

  TCustomRemoteServer* remoteServer_ = nullptr;
  IProviderConnection* connection_ = nullptr;
  AnsiString providerName_;
  AnsiString commandText_;
  Variant providerParams_;
  int packetRecords_ = -1;
  bool fetchOnDemand_ = true;
  int fetchedRows_ = 0;
  bool moreRows_ = false;
  bool validateWithMask_ = false;
  mutable TFieldDefs fieldDefs_;
  mutable TIndexDefs indexDefs_;
  AnsiString indexFieldNames_;
  AnsiString indexName_;
  std::unique_ptr<DataPacket> data_;  // a packet given with SetData, until opened
  std::shared_ptr<data_detail::RecordStore> cloneStore_;
  std::vector<FieldMeta> cloneMetas_;
  bool creating_ = false;
  std::uint64_t lastFetchedId_ = 0;
  const DeltaRow* reconcilingRow_ = nullptr;
};

}  // namespace platform
