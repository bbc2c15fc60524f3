#include "platform/data/ClientDataSet.h"

#include <algorithm>
#include <map>

#include "platform/FloatFormat.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSetField.h"
#include "platform/data/RecordStore.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

using data_detail::DeltaSource;
using data_detail::RecordStore;
using data_detail::StoredRecord;

const TClassInfo& TClientDataSet::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TClientDataSet>("TClientDataSet", TDataSet::StaticClass())
          .String("CommandText", &TClientDataSet::CommandText, &TClientDataSet::SetCommandText)
          .Reference("DataSetField", &TClientDataSet::DataSetField, &TClientDataSet::SetDataSetField)
          .Boolean("FetchOnDemand", &TClientDataSet::FetchOnDemand, &TClientDataSet::SetFetchOnDemand)
          .Default(true)
          .Object("FieldDefs", &TClientDataSet::FieldDefs)
          .Object("IndexDefs", &TClientDataSet::IndexDefs)
          .String("IndexFieldNames", &TClientDataSet::IndexFieldNames, &TClientDataSet::SetIndexFieldNames)
          .String("IndexName", &TClientDataSet::IndexName, &TClientDataSet::SetIndexName)
          .Integer("PacketRecords", &TClientDataSet::PacketRecords, &TClientDataSet::SetPacketRecords)
          .Default(-1)
          .String("ProviderName", &TClientDataSet::ProviderName, &TClientDataSet::SetProviderName)
          .Boolean("ReadOnly", &TClientDataSet::ReadOnly, &TClientDataSet::SetReadOnly)
          .Default(false)
          .Reference("RemoteServer", &TClientDataSet::RemoteServer, &TClientDataSet::SetRemoteServer)
          .Boolean("ValidateWithMask", &TClientDataSet::ValidateWithMask, &TClientDataSet::SetValidateWithMask)
          .Default(false)
          .Event("OnReconcileError", &TClientDataSet::OnReconcileError)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TClientDataSet);

TClientDataSet::TClientDataSet(TComponent* owner) : TDataSet(owner) {
  fieldDefs_.SetOwnerProperty(this, "FieldDefs");
  indexDefs_.SetOwnerProperty(this, "IndexDefs");
}

TClientDataSet::~TClientDataSet() {
  BeginDestroy();
  DeactivateSilently();
  if (remoteServer_) remoteServer_->RemoveFreeNotification(this);
}

void TClientDataSet::Notification(TComponent* component, TOperation operation) {
  TDataSet::Notification(component, operation);
  if (operation == opRemove && component == remoteServer_) remoteServer_ = nullptr;
}

// --- where the rows come from ---

void TClientDataSet::SetRemoteServer(TCustomRemoteServer* server) {
  if (server == remoteServer_) return;
  if (remoteServer_) remoteServer_->RemoveFreeNotification(this);
  remoteServer_ = server;
  if (server) server->FreeNotification(this);
  MarkChanged("RemoteServer");
}

IProviderConnection* TClientDataSet::ProviderConnection() const {
  if (remoteServer_) return remoteServer_;
  return connection_;
}

IProviderConnection& TClientDataSet::Connection() const {
  IProviderConnection* c = ProviderConnection();
  if (!c || providerName_.IsEmpty()) DatabaseError("Missing data provider or data packet", Name());
  return *c;
}

void TClientDataSet::SetProviderName(const AnsiString& name) {
  if (name == providerName_) return;
  CheckInactive();
  providerName_ = name;
  MarkChanged("ProviderName");
}

void TClientDataSet::SetPacketRecords(int count) {
  if (count < -1) DatabaseError("Invalid value for PacketRecords: " + IntToStr(count), Name());
  ChangeProperty(packetRecords_, count, "PacketRecords");
}

void TClientDataSet::OpenWithParams(const Variant& params) {
  Close();
  providerParams_ = params;
  Open();
}

void TClientDataSet::SetDataSetField(TDataSetField* field) {
  if (field == MasterField() && !cloneBinding_) return;
  CheckInactive();
  if (field) {
    for (TDataSet* ds = field->DataSet(); ds; ds = ds->MasterDataSet())
      if (ds == this) DatabaseError("Circular data link", Name());
  }
  BindMasterField(field, false);
  closedByMaster_ = false;
  MarkChanged("DataSetField");
}

ProviderRequest TClientDataSet::Request() const {
  ProviderRequest r;
  r.params = providerParams_;
  r.commandText = commandText_;
  r.packetRecords = packetRecords_;
  r.rowsFetched = fetchedRows_;
  if (lastFetchedId_ && Store() && metas_) {
    if (StoredRecord* last = Store()->Find(lastFetchedId_)) {
      std::vector<Variant> key;
      const auto& values = last->OriginalValues();
      for (std::size_t i = 0; i < metas_->size(); ++i)
        if ((*metas_)[i].Has(mfKey)) key.push_back(i < values.size() ? values[i] : Null());
      if (!key.empty()) r.lastKey = VarArrayOf(std::move(key));
    }
  }
  return r;
}

void TClientDataSet::InternalOpen() {
  moreRows_ = false;
  fetchedRows_ = 0;
  lastFetchedId_ = 0;
  if (MasterField()) {
    OpenNested();
  } else if (cloneStore_) {
    OpenWith(cloneMetas_, cloneStore_);
  } else if (creating_) {
    std::vector<FieldMeta> metas = fieldDefs_.ToMetas();
    if (metas.empty())
      for (TField* f : FieldList())
        if (f->FieldKind() == TFieldKind::fkData) {
          FieldMeta meta;
          f->DescribeTo(meta);
          metas.push_back(std::move(meta));
        }
    if (metas.empty()) DatabaseError("Cannot create a dataset without field definitions", Name());
    OpenWith(std::move(metas), nullptr);
  } else if (data_) {
    std::unique_ptr<DataPacket> packet = std::move(data_);
    OpenWith(packet->fields, nullptr);
    Store()->AppendRows(packet->rows);
  } else {
    IProviderConnection& connection = Connection();
    DataPacket packet = connection.OpenProvider(providerName_, Request());
    for (const DataRow& r : packet.rows) CheckRowShape(packet.fields, r);
    OpenWith(packet.fields, nullptr);
    AddPacket(packet);
  }
  ApplyIndexSettings();
}

void TClientDataSet::InternalClose() {
  cloneStore_.reset();
  cloneMetas_.clear();
  moreRows_ = false;
  fetchedRows_ = 0;
  lastFetchedId_ = 0;
}

int TClientDataSet::AddPacket(const DataPacket& packet) {
  for (const DataRow& r : packet.rows) CheckRowShape(*metas_, r);
  Store()->AppendRows(packet.rows);
  int n = static_cast<int>(packet.rows.size());
  if (n > 0) lastFetchedId_ = Store()->Records().back()->id;
  fetchedRows_ += n;
  // A provider that claims more rows but sends none would make every
  // fetch loop endless.
  moreRows_ = packet.moreRows && (n > 0 || fetchedRows_ == 0);
  return n;
}

int TClientDataSet::FetchPacket() {
  if (!Active() || MasterField() || !moreRows_ || cloneBinding_) return 0;
  IProviderConnection* connection = ProviderConnection();
  if (!connection || providerName_.IsEmpty()) return 0;
  DataPacket packet = connection->NextPacket(providerName_, Request());
  int n = AddPacket(packet);
  if (packet.rows.empty()) moreRows_ = false;
  return n;
}

bool TClientDataSet::FetchMore() {
  if (!fetchOnDemand_ || packetRecords_ == 0) return false;
  return FetchPacket() > 0;
}

int TClientDataSet::GetNextPacket() {
  CheckActive();
  int n = FetchPacket();
  if (n > 0) {
    // More rows follow the one the cursor stands on.
    eof_ = false;
    InvalidateView();
    RecordChanged();
    NotifyLinks(TDataEvent::deDataSetChange);
  }
  return n;
}

// --- in memory ---

void TClientDataSet::CreateDataSet() {
  CheckInactive();
  struct Flag {
    bool& f;
    explicit Flag(bool& x) : f(x) { f = true; }
    ~Flag() { f = false; }
  } flag(creating_);
  Open();
}

DataPacket TClientDataSet::Data() const {
  CheckActive();
  DataPacket packet;
  packet.fields = *metas_;
  packet.rows = Store()->CurrentRows();
  packet.moreRows = moreRows_;
  return packet;
}

void TClientDataSet::SetData(const DataPacket& packet) {
  if (MasterField()) DatabaseError("Cannot load a data packet into a nested dataset", Name());
  for (const DataRow& r : packet.rows) CheckRowShape(packet.fields, r);
  Close();
  data_ = std::make_unique<DataPacket>(packet);
  try {
    Open();
  } catch (...) {
    data_.reset();
    throw;
  }
}

void TClientDataSet::EmptyDataSet() {
  CheckActive();
  Cancel();
  Store()->Clear();
  RefreshAfterLogChange();
}

// --- change log ---

TClientDataSet& TClientDataSet::TopLevel() {
  TClientDataSet* top = this;
  while (auto* master = dynamic_cast<TClientDataSet*>(top->MasterDataSet())) top = master;
  return *top;
}

const TClientDataSet& TClientDataSet::TopLevel() const { return const_cast<TClientDataSet*>(this)->TopLevel(); }

int TClientDataSet::ChangeCount() const { return Active() && Store() ? Store()->ChangeCount() : 0; }

Delta TClientDataSet::GetDelta() const {
  const TClientDataSet& top = TopLevel();
  Delta delta;
  if (!top.Active()) return delta;
  delta.fields = *top.metas_;
  std::vector<DeltaSource> sources;
  top.Store()->BuildDelta(delta.rows, sources, {}, {});
  return delta;
}

TUpdateStatus TClientDataSet::UpdateStatus() const {
  if (!Active()) return TUpdateStatus::usUnmodified;
  if (State() == TDataSetState::dsInsert) return TUpdateStatus::usInserted;
  StoredRecord* r = CurrentRecord();
  return r ? r->status : TUpdateStatus::usUnmodified;
}

void TClientDataSet::RefreshAfterLogChange() {
  InvalidateView();
  RecordChanged(true);
  NotifyLinks(TDataEvent::deDataSetChange);
}

void TClientDataSet::CancelUpdates() {
  CheckActive();
  Cancel();
  Store()->CancelUpdates();
  RefreshAfterLogChange();
}

void TClientDataSet::MergeChangeLog() {
  CheckActive();
  Store()->MergeChangeLog();
  RefreshAfterLogChange();
}

void TClientDataSet::RevertRecord() {
  CheckActive();
  if (State() == TDataSetState::dsEdit || State() == TDataSetState::dsInsert) Cancel();
  if (StoredRecord* r = CurrentRecord()) Store()->RevertRecord(r->id);
  RefreshAfterLogChange();
}

int TClientDataSet::ApplyUpdates(int maxErrors) {
  TClientDataSet& top = TopLevel();
  if (&top != this) return top.ApplyUpdates(maxErrors);
  CheckActive();
  CheckBrowseMode();
  if (Store()->ChangeCount() == 0) return 0;
  IProviderConnection& connection = Connection();
  Delta delta;
  delta.fields = *metas_;
  std::vector<DeltaSource> sources;
  Store()->BuildDelta(delta.rows, sources, {}, {});
  ReconcileAnswer answer = connection.ApplyDelta(providerName_, delta, maxErrors);
  Reconcile(answer, std::move(sources), delta.rows);
  return answer.ErrorCount();
}

namespace {

bool IsPrefix(const std::vector<int>& prefix, const std::vector<int>& path) {
  return prefix.size() < path.size() && std::equal(prefix.begin(), prefix.end(), path.begin());
}

const DeltaRow* RowAt(const std::vector<DeltaRow>& rows, const std::vector<int>& path) {
  if (path.empty() || path[0] < 0 || static_cast<std::size_t>(path[0]) >= rows.size()) return nullptr;
  const DeltaRow* row = &rows[static_cast<std::size_t>(path[0])];
  for (std::size_t i = 1; i + 1 < path.size(); i += 2) {
    auto k = static_cast<std::size_t>(path[i]), r = static_cast<std::size_t>(path[i + 1]);
    if (k >= row->nested.size() || r >= row->nested[k].size()) return nullptr;
    row = &row->nested[k][r];
  }
  return row;
}

}  // namespace

TClientDataSet* TClientDataSet::ReconcileTarget(const std::vector<int>& chain) {
  std::vector<TClientDataSet*> levels{this};
  TDataSet* ds = this;
  for (int k : chain) {
    const auto& metas = ds->FieldMetas();
    std::vector<int> positions = NestedFieldPositions(metas);
    if (k < 0 || static_cast<std::size_t>(k) >= positions.size()) break;
    TClientDataSet* next = nullptr;
    for (TField* f : ds->FieldList())
      if (auto* nested = dynamic_cast<TDataSetField*>(f); nested && nested->slot_ == positions[static_cast<std::size_t>(k)])
        for (TDataSet* c : nested->Cursors())
          if (!c->cloneBinding_)
            if (auto* client = dynamic_cast<TClientDataSet*>(c)) {
              next = client;
              break;
            }
    if (!next) break;
    levels.push_back(next);
    ds = next;
  }
  // The deepest data set that handles refused rows.
  for (auto it = levels.rbegin(); it != levels.rend(); ++it)
    if ((*it)->OnReconcileError) return *it;
  return nullptr;
}

void TClientDataSet::Reconcile(const ReconcileAnswer& answer, std::vector<DeltaSource> sources,
                               const std::vector<DeltaRow>& rows) {
  std::map<std::vector<int>, std::size_t> byPath;
  for (std::size_t i = 0; i < sources.size(); ++i) byPath[sources[i].path] = i;
  std::vector<std::vector<int>> refused;
  for (const ReconcileError& e : answer.errors)
    if (byPath.count(e.path)) refused.push_back(e.path);

  if (!answer.rolledBack) {
    // Children before parents, so a merged delete removes its rows last.
    // A row stays when it or a row above it was refused; a deleted row
    // also stays when a row below it was (it still has detail rows).
    for (auto it = sources.rbegin(); it != sources.rend(); ++it) {
      const DeltaRow* row = RowAt(rows, it->path);
      bool isDelete = row && row->kind == TUpdateKind::ukDelete;
      bool keep = false;
      for (const auto& p : refused)
        keep = keep || p == it->path || IsPrefix(p, it->path) || (isDelete && IsPrefix(it->path, p));
      if (!keep) it->store->MergeRecord(it->recordId);
    }
  }

  struct Reset {
    const DeltaRow*& row;
    ~Reset() { row = nullptr; }
  };
  for (const ReconcileError& e : answer.errors) {
    auto found = byPath.find(e.path);
    if (found == byPath.end()) continue;
    const DeltaSource& source = sources[found->second];
    const DeltaRow* row = RowAt(rows, e.path);
    TReconcileAction action = TReconcileAction::raSkip;
    if (TClientDataSet* target = ReconcileTarget(source.nestedChain)) {
      EReconcileError error(e.message, e.context, e.errorCode, e.previousError);
      Reset reset{target->reconcilingRow_};
      target->reconcilingRow_ = row;
      target->OnReconcileError(target, error, row ? row->kind : TUpdateKind::ukModify, action);
    }
    if (action == TReconcileAction::raAbort) break;
    switch (action) {
      case TReconcileAction::raCancel:
      case TReconcileAction::raRefresh: source.store->RevertRecord(source.recordId); break;
      case TReconcileAction::raMerge:
      case TReconcileAction::raCorrect:
        if (!answer.rolledBack) source.store->MergeRecord(source.recordId);
        break;
      default: break;
    }
  }

  // Nested data sets hear of it through their master (forced refresh).
  RefreshAfterLogChange();
}

// --- order ---

void TClientDataSet::ApplyIndexSettings() {
  IndexOrder order;
  if (!indexName_.IsEmpty()) {
    TIndexDef* def = indexDefs_.Find(indexName_);
    if (!def) DatabaseError("Index '" + indexName_ + "' not found", Name());
    order.fields = def->Fields();
    order.descFields = def->DescFields();
    order.caseInsFields = def->CaseInsFields();
    order.options = def->Options();
  } else {
    order.fields = indexFieldNames_;
  }
  SetIndexOrder(order);
}

void TClientDataSet::SetIndexFieldNames(const AnsiString& names) {
  SelectIndex(names, AnsiString(), "IndexFieldNames");
}

void TClientDataSet::SetIndexName(const AnsiString& name) {
  if (!name.IsEmpty() && !indexDefs_.Find(name)) DatabaseError("Index '" + name + "' not found", Name());
  SelectIndex(AnsiString(), name, "IndexName");
}

void TClientDataSet::SelectIndex(const AnsiString& fieldNames, const AnsiString& name, const char* property) {
  // The two ways of naming the order exclude each other; a failure to apply
  // the new one leaves the old one in force.
  AnsiString oldNames = indexFieldNames_, oldName = indexName_;
  indexFieldNames_ = fieldNames;
  indexName_ = name;
  try {
    ApplyIndexSettings();
  } catch (...) {
    indexFieldNames_ = oldNames;
    indexName_ = oldName;
    throw;
  }
  MarkChanged(property);
}

int TClientDataSet::IndexFieldCount() const {
  if (!Active()) return 0;
  return static_cast<int>(GetFieldList(CurrentIndexOrder().fields).size());
}

TField* TClientDataSet::IndexFields(int index) const {
  if (!Active()) return nullptr;
  std::vector<TField*> fields = GetFieldList(CurrentIndexOrder().fields);
  return index >= 0 && static_cast<std::size_t>(index) < fields.size() ? fields[static_cast<std::size_t>(index)] : nullptr;
}

// --- cursors ---

void TClientDataSet::CloneCursor(TClientDataSet* source, bool reset, bool keepSettings) {
  if (!source || source == this) DatabaseError("Cannot clone a cursor of itself", Name());
  source->CheckActive();
  Close();
  if (reset) {
    SetFiltered(false);
    SetFilter(AnsiString());
    OnFilterRecord = nullptr;
    indexName_ = indexFieldNames_ = AnsiString();
    SetIndexOrder({});
    SetReadOnly(false);
  } else if (!keepSettings) {
    CopyCursorSettings(*source);
    indexDefs_.Assign(source->indexDefs_);
    indexName_ = source->indexName_;
    indexFieldNames_ = source->indexFieldNames_;
  }
  providerName_ = source->providerName_;
  SetRemoteServer(source->remoteServer_);
  connection_ = source->connection_;
  if (source->MasterField()) {
    BindMasterField(source->MasterField(), true);
  } else {
    if (MasterField()) BindMasterField(nullptr, false);
    cloneMetas_ = *source->metas_;
    cloneStore_ = source->Store();
  }
  try {
    Open();
  } catch (...) {
    cloneStore_.reset();
    if (cloneBinding_) BindMasterField(nullptr, false);
    throw;
  }
}

}  // namespace platform
