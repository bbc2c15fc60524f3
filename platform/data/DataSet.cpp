#include "platform/data/DataSet.h"

#include <algorithm>

#include "platform/FloatFormat.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSetField.h"
#include "platform/data/FilterExpression.h"
#include "platform/data/RecordStore.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

using data_detail::RecordStore;
using data_detail::StoredRecord;

namespace {

const Variant& NullValue() {
  static const Variant null = Null();
  return null;
}

std::vector<AnsiString> SplitNames(const AnsiString& names) {
  std::vector<AnsiString> out;
  std::size_t start = 1;
  for (std::size_t i = 1; i <= names.Length() + 1; ++i) {
    if (i > names.Length() || names[i] == ';') {
      AnsiString name = Trim(names.SubString(start, i - start));
      if (!name.IsEmpty()) out.push_back(name);
      start = i + 1;
    }
  }
  return out;
}

bool Contains(const std::vector<AnsiString>& names, const AnsiString& name) {
  for (const AnsiString& n : names)
    if (SameText(n, name)) return true;
  return false;
}

bool IsTextType(TFieldType t) { return t == ftString || t == ftFixedChar || t == ftMemo || t == ftWideString; }

bool CompatibleTypes(TFieldType field, TFieldType column) {
  if (field == column) return true;
  auto group = [](TFieldType t) {
    switch (t) {
      case ftString:
      case ftFixedChar: return 1;
      case ftInteger:
      case ftAutoInc: return 2;
      case ftBlob:
      case ftBytes:
      case ftVarBytes: return 3;
      case ftFloat:
      case ftCurrency: return 4;
      default: return 100 + static_cast<int>(t);
    }
  };
  return group(field) == group(column);
}

// Orders two stored values: null first, then by value.
int CompareValues(const Variant& a, const Variant& b, bool text, bool caseInsensitive) {
  bool an = VarIsEmptyOrNull(a), bn = VarIsEmptyOrNull(b);
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  if (text || VarIsStr(a) || VarIsStr(b)) {
    AnsiString x = VarToStr(a), y = VarToStr(b);
    int c = caseInsensitive ? CompareText(x, y) : CompareStr(x, y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (VarType(a) == varBoolean || VarType(b) == varBoolean) {
    bool x = a.AsBool(), y = b.AsBool();
    return x == y ? 0 : (x ? 1 : -1);
  }
  if (VarIsArray(a) || VarIsArray(b)) return 0;
  if ((VarType(a) & varTypeMask) == varInt64 && (VarType(b) & varTypeMask) == varInt64) {
    std::int64_t x = a.AsInt64(), y = b.AsInt64();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  double x = a.AsDouble(), y = b.AsDouble();
  return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

// Changes the state without telling anyone (calculating, filtering) and
// points the fields at a row; restores both when it goes.
class TDataSet::TempState {
 public:
  TempState(TDataSet* ds, TDataSetState state, const Context* context)
      : ds_(ds), state_(ds->state_), override_(ds->override_) {
    ds->state_ = state;
    ds->override_ = context;
  }
  ~TempState() {
    ds_->state_ = state_;
    ds_->override_ = override_;
  }
  TempState(const TempState&) = delete;
  TempState& operator=(const TempState&) = delete;

 private:
  TDataSet* ds_;
  TDataSetState state_;
  const Context* override_;
};

const TClassInfo& TDataSet::StaticClass() {
  static const TClassInfo info = TClassBuilder<TDataSet>("TDataSet", TComponent::StaticClass())
                                     .Boolean("Active", &TDataSet::Active, &TDataSet::SetActive)
                                     .Default(false)
                                     .Boolean("AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields)
                                     .Default(true)
                                     .String("Filter", &TDataSet::Filter, &TDataSet::SetFilter)
                                     .Boolean("Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered)
                                     .Default(false)
                                     .Event("BeforeOpen", &TDataSet::BeforeOpen)
                                     .Event("AfterOpen", &TDataSet::AfterOpen)
                                     .Event("BeforeClose", &TDataSet::BeforeClose)
                                     .Event("AfterClose", &TDataSet::AfterClose)
                                     .Event("BeforeInsert", &TDataSet::BeforeInsert)
                                     .Event("AfterInsert", &TDataSet::AfterInsert)
                                     .Event("BeforeEdit", &TDataSet::BeforeEdit)
                                     .Event("AfterEdit", &TDataSet::AfterEdit)
                                     .Event("BeforePost", &TDataSet::BeforePost)
                                     .Event("AfterPost", &TDataSet::AfterPost)
                                     .Event("BeforeCancel", &TDataSet::BeforeCancel)
                                     .Event("AfterCancel", &TDataSet::AfterCancel)
                                     .Event("BeforeDelete", &TDataSet::BeforeDelete)
                                     .Event("AfterDelete", &TDataSet::AfterDelete)
                                     .Event("BeforeScroll", &TDataSet::BeforeScroll)
                                     .Event("AfterScroll", &TDataSet::AfterScroll)
                                     .Event("OnCalcFields", &TDataSet::OnCalcFields)
                                     .Event("OnDeleteError", &TDataSet::OnDeleteError)
                                     .Event("OnEditError", &TDataSet::OnEditError)
                                     .Event("OnFilterRecord", &TDataSet::OnFilterRecord)
                                     .Event("OnNewRecord", &TDataSet::OnNewRecord)
                                     .Event("OnPostError", &TDataSet::OnPostError)
                                     .Build();
  return info;
}

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
  BeginDestroy();
  DeactivateSilently();
  std::vector<TDataLink*> links = links_;
  links_.clear();
  for (TDataLink* link : links) {
    link->dataSet_ = nullptr;
    link->active_ = link->editing_ = false;
    link->DataSetDestroyed();
  }
  if (masterField_) {
    auto& cursors = masterField_->cursors_;
    cursors.erase(std::remove(cursors.begin(), cursors.end(), this), cursors.end());
    masterField_ = nullptr;
  }
  // Fields of other owners stay, without a data set; the data set's own
  // (default) fields go with it.
  std::vector<TField*> fields = fields_;
  for (TField* f : fields) {
    if (auto* nested = dynamic_cast<TDataSetField*>(f)) {
      std::vector<TDataSet*> cursors = nested->cursors_;
      for (TDataSet* c : cursors) c->DropMasterField();
      nested->cursors_.clear();
    }
    if (f->Owner() != this) {
      f->dataSet_ = nullptr;
      fields_.erase(std::remove(fields_.begin(), fields_.end(), f), fields_.end());
    }
  }
  DestroyComponents();
}

// --- state ---

void TDataSet::SetActive(bool active) {
  if (Loading()) {
    streamedActive_ = active;
    return;
  }
  if (active) Open();
  else Close();
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (streamedActive_) {
    streamedActive_ = false;
    Open();
  }
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset", Name());
}

void TDataSet::CheckInactive() const {
  if (Active()) DatabaseError("Cannot perform this operation on an open dataset", Name());
}

bool TDataSet::CanModify() const { return Active() && !readOnly_; }

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError("Cannot modify a read-only dataset", Name());
}

bool TDataSet::IsEmpty() const {
  if (!Active()) return true;
  if (state_ == TDataSetState::dsInsert) return false;
  EnsureView();
  return rows_.empty();
}

void TDataSet::SetState(TDataSetState state) {
  if (state_ == state) return;
  state_ = state;
  modified_ = false;
  NotifyLinks(TDataEvent::deUpdateState);
}

void TDataSet::NotifyLinks(TDataEvent event, TField* field, int distance) {
  if (disableCount_ == 0) {
    std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links)
      if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->DataEvent(event, field, distance);
  } else if ((event == TDataEvent::deUpdateState && state_ == TDataSetState::dsInactive) ||
             event == TDataEvent::deLayoutChange) {
    enableEvent_ = TDataEvent::deLayoutChange;
  }
}

void TDataSet::DisableControls() {
  if (disableCount_ == 0) {
    disableState_ = state_;
    enableEvent_ = TDataEvent::deDataSetChange;
  }
  ++disableCount_;
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ > 0) return;
  if (disableState_ != state_) NotifyLinks(TDataEvent::deUpdateState);
  if (disableState_ != TDataSetState::dsInactive && state_ != TDataSetState::dsInactive) NotifyLinks(enableEvent_);
}

void TDataSet::AttachLink(TDataLink* link) {
  if (link->dataSet_) link->dataSet_->DetachLink(link);
  links_.push_back(link);
  link->dataSet_ = this;
}

void TDataSet::DetachLink(TDataLink* link) {
  links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
  if (link->dataSet_ == this) link->dataSet_ = nullptr;
}

// --- field list ---

TField* TDataSet::Fields(int index) const {
  return index >= 0 && index < FieldCount() ? fields_[static_cast<std::size_t>(index)] : nullptr;
}

TField* TDataSet::FindField(const AnsiString& name) const {
  if (name.IsEmpty()) return nullptr;
  for (TField* f : fields_)
    if (SameText(f->FieldName(), name)) return f;
  return nullptr;
}

TField& TDataSet::FieldByName(const AnsiString& name) const {
  TField* f = FindField(name);
  if (!f) DatabaseError("Field '" + name + "' not found", Name());
  return *f;
}

TField* TDataSet::FieldByNumber(int fieldNo) const {
  for (TField* f : fields_)
    if (f->FieldNo() == fieldNo && fieldNo > 0) return f;
  return nullptr;
}

std::vector<TField*> TDataSet::GetFieldList(const AnsiString& names) const {
  std::vector<TField*> out;
  for (const AnsiString& n : SplitNames(names)) out.push_back(&FieldByName(n));
  return out;
}

const std::vector<FieldMeta>& TDataSet::FieldMetas() const {
  static const std::vector<FieldMeta> none;
  return metas_ ? *metas_ : none;
}

bool TDataSet::DefaultFields() const {
  for (TField* f : fields_)
    if (f->fieldKind_ == TFieldKind::fkData && !f->isDefault_) return false;
  return true;
}

void TDataSet::AddField(TField* field) {
  // A field of the data set's own making gives way to one of the same name.
  if (TField* existing = FindField(field->FieldName()); existing && existing->isDefault_ && !field->isDefault_)
    delete existing;
  if (!field->FieldName().IsEmpty() && FindField(field->FieldName()))
    DatabaseError("Duplicate field name '" + field->FieldName() + "'", Name());
  fields_.push_back(field);
  field->dataSet_ = this;
}

void TDataSet::RemoveField(TField* field) {
  fields_.erase(std::remove(fields_.begin(), fields_.end(), field), fields_.end());
  field->dataSet_ = nullptr;
  if (auto* nested = dynamic_cast<TDataSetField*>(field)) {
    std::vector<TDataSet*> cursors = nested->cursors_;
    for (TDataSet* c : cursors) c->DropMasterField();
    nested->cursors_.clear();
  }
  if (Active()) NotifyLinks(TDataEvent::deLayoutChange);
}

void TDataSet::MoveField(TField* field, int index) {
  auto it = std::find(fields_.begin(), fields_.end(), field);
  if (it == fields_.end()) return;
  int from = static_cast<int>(it - fields_.begin());
  index = std::clamp(index, 0, FieldCount() - 1);
  if (index == from) return;
  fields_.erase(it);
  fields_.insert(fields_.begin() + index, field);
  field->MarkChanged("Index");
  if (Active()) NotifyLinks(TDataEvent::deLayoutChange);
}

std::vector<TDataSetField*> TDataSet::NestedFieldsOfList() const {
  std::vector<TDataSetField*> out;
  for (TField* f : fields_)
    if (auto* nested = dynamic_cast<TDataSetField*>(f)) out.push_back(nested);
  return out;
}

// Makes default fields for the metadata when the data set has no data
// fields of its own, keeping default fields of an earlier opening that
// still match, then points every field at its column.
void TDataSet::BindFields() {
  const std::vector<FieldMeta>& metas = *metas_;
  bool persistentData = false;
  for (TField* f : fields_)
    if (f->fieldKind_ == TFieldKind::fkData && !f->isDefault_) persistentData = true;
  // Default fields of an earlier opening go when persistent data fields
  // have come or their column has changed.
  std::vector<TField*> previous = fields_;
  for (TField* f : previous) {
    if (!f->isDefault_) continue;
    int at = FindFieldMeta(metas, f->FieldName());
    if (persistentData || at < 0 || metas[static_cast<std::size_t>(at)].type != f->DataType()) delete f;
  }
  if (!persistentData) {
    for (const FieldMeta& meta : metas) {
      if (FindField(meta.name)) continue;
      TField* f = CreateFieldOfType(meta.type, this);
      if (!f) continue;
      f->fieldName_ = meta.name;
      f->isDefault_ = true;
      AddField(f);
    }
  }
  int internalCalc = 0, calc = 0;
  for (TField* f : fields_) {
    switch (f->fieldKind_) {
      case TFieldKind::fkData: {
        int at = FindFieldMeta(metas, f->FieldName());
        if (at < 0) DatabaseError("Field '" + f->FieldName() + "' not found", Name());
        const FieldMeta& meta = metas[static_cast<std::size_t>(at)];
        if (!CompatibleTypes(f->DataType(), meta.type))
          DatabaseError("Type mismatch for field '" + f->DisplayName() + "', expecting: " + FieldTypeName(f->DataType()) +
                            " actual: " + FieldTypeName(meta.type),
                        Name());
        f->slot_ = at;
        f->TakeMeta(meta, f->isDefault_);
        break;
      }
      case TFieldKind::fkInternalCalc: f->slot_ = static_cast<int>(metas.size()) + internalCalc++; break;
      case TFieldKind::fkCalculated:
      case TFieldKind::fkLookup: f->slot_ = calc++; break;
    }
  }
  internalCalcCount_ = internalCalc;
  calcCount_ = calc;
  calc_.assign(static_cast<std::size_t>(calc), Null());
}

// --- opening and closing ---

void TDataSet::OpenWith(std::vector<FieldMeta> metas, std::shared_ptr<RecordStore> store) {
  metas_ = std::make_shared<const std::vector<FieldMeta>>(std::move(metas));
  store_ = store ? std::move(store) : std::make_shared<RecordStore>(metas_);
}

void TDataSet::OpenNested() {
  TDataSet* master = masterField_ ? masterField_->DataSet() : nullptr;
  if (!master) DatabaseError("Missing data provider or data packet", Name());
  if (!master->Active()) master->Open();
  if (!master->metas_) DatabaseError("Cannot perform this operation on a closed dataset", master->Name());
  // The nested columns as the master's metadata declares them.
  std::vector<FieldMeta> nested;
  int at = FindFieldMeta(*master->metas_, masterField_->FieldName());
  if (at >= 0) nested = (*master->metas_)[static_cast<std::size_t>(at)].nested;
  boundStore_ = master->CurrentNestedStore(*masterField_);
  std::shared_ptr<RecordStore> store = boundStore_;
  OpenWith(std::move(nested), store);
}

void TDataSet::Open() {
  if (Active()) return;
  closedByMaster_ = false;
  BeforeOpen(this);
  try {
    InternalOpen();
    BindFields();
  } catch (...) {
    store_.reset();
    boundStore_.reset();
    InternalClose();
    throw;
  }
  rows_.clear();
  viewDirty_ = true;
  currentId_ = 0;
  position_ = -1;
  state_ = TDataSetState::dsBrowse;  // the view reads fields in browse state
  try {
    EnsureView();
  } catch (...) {
    state_ = TDataSetState::dsInactive;
    store_.reset();
    boundStore_.reset();
    InternalClose();
    throw;
  }
  state_ = TDataSetState::dsInactive;
  bof_ = true;
  eof_ = rows_.empty();
  SetState(TDataSetState::dsBrowse);
  RecordChanged();
  ReopenDetails();
  AfterOpen(this);
  if (!IsEmpty()) AfterScroll(this);
}

void TDataSet::Close() {
  if (!Active()) return;
  bool events = !Destroying();
  if (events) BeforeClose(this);
  CloseDetails();
  calc_.clear();
  DropRows();
  SetState(TDataSetState::dsInactive);
  if (cloneBinding_ && masterField_) {
    auto& cursors = masterField_->cursors_;
    cursors.erase(std::remove(cursors.begin(), cursors.end(), this), cursors.end());
    masterField_ = nullptr;
    cloneBinding_ = false;
  }
  if (events) AfterClose(this);
}

void TDataSet::DropRows() {
  pending_.reset();
  editValues_.clear();
  keyBuffer_.clear();
  rows_.clear();
  store_.reset();
  boundStore_.reset();
  currentId_ = 0;
  position_ = -1;
  bof_ = eof_ = true;
  viewDirty_ = true;
  InternalClose();
}

void TDataSet::DeactivateSilently() {
  if (!Active()) return;
  for (TDataSetField* f : NestedFieldsOfList()) {
    std::vector<TDataSet*> cursors = f->cursors_;
    for (TDataSet* c : cursors) c->DeactivateSilently();
  }
  DropRows();
  state_ = TDataSetState::dsInactive;
  modified_ = false;
  if (!Destroying()) NotifyLinks(TDataEvent::deUpdateState);
}

void TDataSet::BindMasterField(TDataSetField* field, bool asClone) {
  if (masterField_ == field && cloneBinding_ == asClone) return;
  if (masterField_) {
    auto& cursors = masterField_->cursors_;
    cursors.erase(std::remove(cursors.begin(), cursors.end(), this), cursors.end());
  }
  masterField_ = field;
  cloneBinding_ = field && asClone;
  if (field) field->cursors_.push_back(this);
}

void TDataSet::DropMasterField() {
  DeactivateSilently();
  if (masterField_) {
    auto& cursors = masterField_->cursors_;
    cursors.erase(std::remove(cursors.begin(), cursors.end(), this), cursors.end());
  }
  masterField_ = nullptr;
  cloneBinding_ = false;
  closedByMaster_ = false;
}

TDataSet* TDataSet::MasterDataSet() const { return masterField_ ? masterField_->DataSet() : nullptr; }

// --- the view ---

void TDataSet::InvalidateView() { viewDirty_ = true; }

void TDataSet::EnsureView() const {
  if (!store_ || rebuilding_) return;
  if (viewDirty_ || rowsVersion_ != store_->Version()) const_cast<TDataSet*>(this)->RebuildView();
}

void TDataSet::RebuildView() {
  struct Guard {
    bool& flag;
    explicit Guard(bool& f) : flag(f) { flag = true; }
    ~Guard() { flag = false; }
  } guard(rebuilding_);
  std::vector<StoredRecord*> rows;
  for (const auto& r : store_->Records())
    if (r->status != TUpdateStatus::usDeleted && Accepts(*r)) rows.push_back(r.get());
  std::vector<IndexKey> keys = ResolveIndex();
  if (!keys.empty())
    std::stable_sort(rows.begin(), rows.end(),
                     [&](StoredRecord* a, StoredRecord* b) { return CompareRecords(*a, *b, keys) < 0; });
  rows_ = std::move(rows);
  rowsVersion_ = store_->Version();
  viewDirty_ = false;
  int at = currentId_ ? PositionOf(currentId_) : -1;
  if (at >= 0) {
    position_ = at;
  } else if (rows_.empty()) {
    position_ = -1;
    currentId_ = 0;
  } else {
    // The current record went: the row that took its place (or the last).
    position_ = std::clamp(position_, 0, static_cast<int>(rows_.size()) - 1);
    currentId_ = rows_[static_cast<std::size_t>(position_)]->id;
  }
}

bool TDataSet::Accepts(StoredRecord& record) {
  if (!filtered_ || (!filterExpression_ && !OnFilterRecord)) return true;
  std::vector<Variant> calc(static_cast<std::size_t>(calcCount_), Null());
  Context ctx{&record.values, &calc, record.id};
  if (calcCount_ > 0 && OnCalcFields) CalculateFields(ctx);
  TempState temp(this, TDataSetState::dsFilter, &ctx);
  bool accept = true;
  if (filterExpression_)
    accept = filterExpression_->Matches([this](const AnsiString& name) { return FieldByName(name).AsVariant(); },
                                        filterOptions_);
  if (accept && OnFilterRecord) OnFilterRecord(this, accept);
  return accept;
}

int TDataSet::PositionOf(std::uint64_t id) const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i]->id == id) return static_cast<int>(i);
  return -1;
}

void TDataSet::SetCurrentPosition(int position) {
  EnsureView();
  if (rows_.empty()) {
    position_ = -1;
    currentId_ = 0;
    return;
  }
  position_ = std::clamp(position, 0, static_cast<int>(rows_.size()) - 1);
  currentId_ = rows_[static_cast<std::size_t>(position_)]->id;
}

StoredRecord* TDataSet::CurrentRecord() const {
  EnsureView();
  if (position_ < 0 || position_ >= static_cast<int>(rows_.size())) return nullptr;
  return rows_[static_cast<std::size_t>(position_)];
}

std::vector<TDataSet::IndexKey> TDataSet::ResolveIndex() const {
  std::vector<IndexKey> keys;
  std::vector<AnsiString> desc = SplitNames(index_.descFields);
  std::vector<AnsiString> caseIns = SplitNames(index_.caseInsFields);
  bool allDesc = index_.options.Contains(ixDescending) && desc.empty();
  bool allCaseIns = index_.options.Contains(ixCaseInsensitive) && caseIns.empty();
  for (const AnsiString& name : SplitNames(index_.fields)) {
    TField& f = FieldByName(name);
    if (!f.IsStored() || f.DataType() == ftDataSet || (f.IsBlob() && f.DataType() != ftMemo))
      DatabaseError("Field '" + f.DisplayName() + "' cannot be used in an index", Name());
    bool d = allDesc || (index_.options.Contains(ixDescending) && Contains(desc, name)) ||
             (!index_.options.Contains(ixDescending) && Contains(desc, name));
    bool ci = allCaseIns || Contains(caseIns, name);
    keys.push_back({f.slot_, d, ci, IsTextType(f.DataType())});
  }
  return keys;
}

int TDataSet::CompareRecords(const StoredRecord& a, const StoredRecord& b, const std::vector<IndexKey>& keys) const {
  for (const IndexKey& k : keys) {
    int c = CompareValues(a.Value(static_cast<std::size_t>(k.slot)), b.Value(static_cast<std::size_t>(k.slot)), k.text,
                          k.caseInsensitive);
    if (c != 0) return k.descending ? -c : c;
  }
  return 0;
}

void TDataSet::SetIndexOrder(const IndexOrder& order) {
  if (order == index_) return;
  IndexOrder old = index_;
  index_ = order;
  if (Active()) {
    try {
      ResolveIndex();
    } catch (...) {
      index_ = old;
      throw;
    }
    viewDirty_ = true;
    RecordChanged();
    NotifyLinks(TDataEvent::deDataSetChange);
  }
}

void TDataSet::CopyCursorSettings(const TDataSet& source) {
  filter_ = source.filter_;
  filtered_ = source.filtered_;
  filterOptions_ = source.filterOptions_;
  filterExpression_ = filter_.IsEmpty() ? nullptr : data_detail::FilterExpression::Parse(filter_);
  OnFilterRecord = source.OnFilterRecord;
  index_ = source.index_;
  readOnly_ = source.readOnly_;
  viewDirty_ = true;
}

// --- reading and writing ---

TDataSet::Context TDataSet::ActiveContext() const {
  if (override_) return *override_;
  Context c;
  auto* self = const_cast<TDataSet*>(this);
  switch (state_) {
    case TDataSetState::dsBrowse:
    case TDataSetState::dsCalcFields:
    case TDataSetState::dsFilter:
    case TDataSetState::dsOldValue:
    case TDataSetState::dsNewValue:
    case TDataSetState::dsCurValue:
      if (StoredRecord* r = CurrentRecord()) {
        c.data = &r->values;
        c.calc = &self->calc_;
        c.recordId = r->id;
      }
      break;
    case TDataSetState::dsEdit:
      c.data = &self->editValues_;
      c.calc = &self->calc_;
      c.recordId = editId_;
      break;
    case TDataSetState::dsInsert:
      if (pending_) c.data = &pending_->values;
      c.calc = &self->calc_;
      break;
    case TDataSetState::dsSetKey: c.data = &self->keyBuffer_; break;
    default: break;
  }
  return c;
}

const Variant& TDataSet::ReadField(const TField& field) const {
  if (!Active() || field.slot_ < 0) return NullValue();
  Context c = ActiveContext();
  auto slot = static_cast<std::size_t>(field.slot_);
  if (field.fieldKind_ == TFieldKind::fkCalculated || field.fieldKind_ == TFieldKind::fkLookup)
    return c.calc && slot < c.calc->size() ? (*c.calc)[slot] : NullValue();
  return c.data && slot < c.data->size() ? (*c.data)[slot] : NullValue();
}

Variant TDataSet::OldFieldValue(const TField& field) const {
  if (!Active() || field.slot_ < 0 || !field.IsStored()) return field.AsVariant();
  // A record being inserted, or inserted since the last merge, has none.
  if (state_ == TDataSetState::dsInsert && !override_) return Null();
  std::uint64_t id = override_ ? override_->recordId : (state_ == TDataSetState::dsEdit ? editId_ : currentId_);
  StoredRecord* r = id ? store_->Find(id) : nullptr;
  if (!r || r->status == TUpdateStatus::usInserted) return Null();
  const auto& original = r->OriginalValues();
  auto slot = static_cast<std::size_t>(field.slot_);
  return slot < original.size() ? original[slot] : Null();
}

void TDataSet::CheckFieldWritable(const TField& field) const {
  CheckActive();
  if (override_ && state_ == TDataSetState::dsCalcFields) {
    if (field.fieldKind_ == TFieldKind::fkData)
      DatabaseError("Dataset not in edit or insert mode", Name());
    return;
  }
  if (override_) DatabaseError("Cannot modify a row other than the current record", Name());
  if (state_ == TDataSetState::dsSetKey) return;
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
    DatabaseError("Dataset not in edit or insert mode", Name());
  if (field.fieldKind_ == TFieldKind::fkCalculated || field.fieldKind_ == TFieldKind::fkLookup ||
      field.DataType() == ftDataSet || field.ReadOnly())
    DatabaseError("Field '" + field.DisplayName() + "' cannot be modified");
}

void TDataSet::WriteField(TField& field, const Variant& stored) {
  CheckFieldWritable(field);
  auto slot = static_cast<std::size_t>(field.slot_);
  auto put = [&](std::vector<Variant>* target) {
    if (!target) return;
    if (slot >= target->size()) target->resize(slot + 1, Null());
    (*target)[slot] = stored;
  };
  if (override_) {  // calculating
    put(field.fieldKind_ == TFieldKind::fkInternalCalc ? override_->data : override_->calc);
    return;
  }
  if (state_ == TDataSetState::dsSetKey) {
    put(&keyBuffer_);
    NotifyLinks(TDataEvent::deFieldChange, &field);
    return;
  }
  if (field.OnValidate) {
    struct Reset {
      TField& f;
      ~Reset() { f.validating_ = nullptr; }
    } reset{field};
    field.validating_ = &stored;
    field.OnValidate(&field);
  }
  Context c = ActiveContext();
  put(c.data);
  modified_ = true;
  if (autoCalcFields_ && field.fieldKind_ == TFieldKind::fkData) CalculateFields(c);
  field.OnChange(&field);
  NotifyLinks(TDataEvent::deFieldChange, &field);
}

void TDataSet::CalculateFields(Context& context) {
  if (calcCount_ == 0 && internalCalcCount_ == 0) return;
  if (context.calc) context.calc->assign(static_cast<std::size_t>(calcCount_), Null());
  if (!OnCalcFields) return;
  TempState temp(this, TDataSetState::dsCalcFields, &context);
  OnCalcFields(this);
}

void TDataSet::RecordChanged(bool forceDetails) {
  EnsureView();
  if (state_ != TDataSetState::dsInsert && rows_.empty()) bof_ = eof_ = true;
  Context c = ActiveContext();
  if (c.data) CalculateFields(c);
  else calc_.assign(static_cast<std::size_t>(calcCount_), Null());
  SyncDetails(forceDetails);
}

// --- nested data sets ---

std::shared_ptr<RecordStore> TDataSet::CurrentNestedStore(const TDataSetField& field) const {
  if (!metas_ || field.slot_ < 0) return nullptr;
  std::vector<int> positions = NestedFieldPositions(*metas_);
  auto it = std::find(positions.begin(), positions.end(), field.slot_);
  if (it == positions.end()) return nullptr;
  auto k = static_cast<std::size_t>(it - positions.begin());
  StoredRecord* r = state_ == TDataSetState::dsInsert ? pending_.get() : CurrentRecord();
  if (!r || k >= r->nested.size()) return nullptr;
  return r->nested[k];
}

void TDataSet::SyncDetails(bool force) {
  for (TDataSetField* f : NestedFieldsOfList()) {
    std::vector<TDataSet*> cursors = f->cursors_;
    for (TDataSet* c : cursors)
      if (c->Active() && c->masterField_ == f) c->MasterChanged(force);
  }
}

void TDataSet::MasterChanged(bool force) {
  TDataSet* master = MasterDataSet();
  if (!master) return;
  std::shared_ptr<RecordStore> store = master->CurrentNestedStore(*masterField_);
  bool changed = store != boundStore_;
  if (!changed && !force) return;
  if (changed) {
    // The master has brought its nested data sets to browse mode before
    // moving; whatever is still pending belongs to a record that is gone.
    pending_.reset();
    editValues_.clear();
    if (state_ != TDataSetState::dsBrowse) SetState(TDataSetState::dsBrowse);
    boundStore_ = store;
    store_ = store ? store : std::make_shared<RecordStore>(metas_);
    currentId_ = 0;
    position_ = -1;
    viewDirty_ = true;
    EnsureView();
    bof_ = true;
    eof_ = rows_.empty();
  } else {
    viewDirty_ = true;
  }
  RecordChanged(force);
  NotifyLinks(TDataEvent::deDataSetChange);
  if (changed) AfterScroll(this);
}

void TDataSet::DetailsCheckBrowseMode() {
  for (TDataSetField* f : NestedFieldsOfList()) {
    std::vector<TDataSet*> cursors = f->cursors_;
    for (TDataSet* c : cursors)
      if (c->Active()) c->CheckBrowseMode();
  }
}

void TDataSet::DetailsCancel() {
  for (TDataSetField* f : NestedFieldsOfList()) {
    std::vector<TDataSet*> cursors = f->cursors_;
    for (TDataSet* c : cursors)
      if (c->Active() && (c->state_ == TDataSetState::dsEdit || c->state_ == TDataSetState::dsInsert)) c->Cancel();
  }
}

void TDataSet::CloseDetails() {
  for (TDataSetField* f : NestedFieldsOfList()) {
    std::vector<TDataSet*> cursors = f->cursors_;
    for (TDataSet* c : cursors) {
      if (!c->Active()) continue;
      bool clone = c->cloneBinding_;
      c->Close();
      if (!clone) c->closedByMaster_ = true;
    }
  }
}

void TDataSet::ReopenDetails() {
  for (TDataSetField* f : NestedFieldsOfList()) {
    std::vector<TDataSet*> cursors = f->cursors_;
    for (TDataSet* c : cursors)
      if (!c->Active() && c->closedByMaster_ && c->masterField_ == f) c->Open();
  }
}

// --- commands ---

template <typename F>
void TDataSet::CheckOperation(F operation, const TDataSetErrorEvent& handler) {
  for (;;) {
    try {
      operation();
      return;
    } catch (EDatabaseError& e) {
      if (!handler) throw;
      TDataAction action = TDataAction::daFail;
      handler(this, e, action);
      if (action == TDataAction::daFail) throw;
      if (action == TDataAction::daAbort) Abort();
    }
  }
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DetailsCheckBrowseMode();
  NotifyLinks(TDataEvent::deCheckBrowseMode);
  switch (state_) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
      UpdateRecord();
      if (modified_) Post();
      else Cancel();
      break;
    case TDataSetState::dsSetKey: Post(); break;
    default: break;
  }
}

void TDataSet::UpdateRecord() {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert && state_ != TDataSetState::dsSetKey)
    DatabaseError("Dataset not in edit or insert mode", Name());
  NotifyLinks(TDataEvent::deUpdateRecord);
}

void TDataSet::First() {
  CheckBrowseMode();
  BeforeScroll(this);
  SetCurrentPosition(0);
  bof_ = true;
  eof_ = rows_.empty();
  RecordChanged();
  NotifyLinks(TDataEvent::deDataSetChange);
  AfterScroll(this);
}

void TDataSet::Last() {
  CheckBrowseMode();
  BeforeScroll(this);
  FetchAllOnDemand();
  EnsureView();
  SetCurrentPosition(static_cast<int>(rows_.size()) - 1);
  eof_ = true;
  bof_ = rows_.empty();
  RecordChanged();
  NotifyLinks(TDataEvent::deDataSetChange);
  AfterScroll(this);
}

void TDataSet::FetchAllOnDemand() {
  while (FetchMore()) {
  }
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  BeforeScroll(this);
  if (!((distance > 0 && !eof_) || (distance < 0 && !bof_))) return 0;
  bof_ = eof_ = false;
  int moved = 0;
  EnsureView();
  int pos = position_;
  while (distance > 0) {
    if (pos + 1 < static_cast<int>(rows_.size())) {
      ++pos;
      ++moved;
      --distance;
    } else {
      // Fetch on demand; the new rows may sort anywhere, so find the row
      // the move stands on again.
      std::uint64_t standing = pos >= 0 ? rows_[static_cast<std::size_t>(pos)]->id : 0;
      if (FetchMore()) {
        EnsureView();
        pos = standing ? PositionOf(standing) : -1;
        continue;
      }
      eof_ = true;
      break;
    }
  }
  while (distance < 0) {
    if (pos > 0) {
      --pos;
      --moved;
      ++distance;
    } else {
      bof_ = true;
      break;
    }
  }
  SetCurrentPosition(pos);
  RecordChanged();
  NotifyLinks(TDataEvent::deDataSetScroll, nullptr, moved);
  AfterScroll(this);
  return moved;
}

int TDataSet::RecNo() const {
  if (!Active()) return 0;
  if (state_ == TDataSetState::dsInsert) return -1;
  if (override_) {
    int at = PositionOf(override_->recordId);
    return at < 0 ? 0 : at + 1;
  }
  EnsureView();
  return position_ >= 0 ? position_ + 1 : 0;
}

void TDataSet::SetRecNo(int recNo) {
  CheckBrowseMode();
  EnsureView();
  if (rows_.empty()) return;
  int target = std::clamp(recNo, 1, static_cast<int>(rows_.size())) - 1;
  if (target == position_) return;
  BeforeScroll(this);
  SetCurrentPosition(target);
  bof_ = eof_ = false;
  RecordChanged();
  NotifyLinks(TDataEvent::deDataSetChange);
  AfterScroll(this);
}

int TDataSet::RecordCount() const {
  if (!Active()) return 0;
  EnsureView();
  return static_cast<int>(rows_.size());
}

TBookmark TDataSet::Bookmark() const {
  if (!Active()) return {};
  if (override_) return {override_->recordId};
  if (state_ == TDataSetState::dsInsert) return {};
  EnsureView();
  return {currentId_};
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) const {
  if (!Active() || bookmark.IsEmpty()) return false;
  EnsureView();
  return PositionOf(bookmark.id) >= 0;
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  if (a.IsEmpty() || b.IsEmpty()) return a.IsEmpty() == b.IsEmpty() ? 0 : (a.IsEmpty() ? -1 : 1);
  EnsureView();
  int x = PositionOf(a.id), y = PositionOf(b.id);
  if (x < 0 || y < 0) return a.id < b.id ? -1 : (a.id > b.id ? 1 : 0);
  return x < y ? -1 : (x > y ? 1 : 0);
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  CheckBrowseMode();
  BeforeScroll(this);
  EnsureView();
  int at = bookmark.IsEmpty() ? -1 : PositionOf(bookmark.id);
  if (at < 0) DatabaseError("Record not found", Name());
  SetCurrentPosition(at);
  bof_ = eof_ = false;
  RecordChanged();
  NotifyLinks(TDataEvent::deDataSetChange);
  AfterScroll(this);
}

// The first row (in the cursor's order) matching the values; -1 when none.
int TDataSet::FindMatch(const std::vector<TField*>& fields, const std::vector<Variant>& values, TLocateOptions options) {
  EnsureView();
  if (fields.size() != values.size()) DatabaseError("The number of key values differs from the number of key fields", Name());
  // The wanted values in the fields' own types; a value that does not
  // convert matches nothing.
  std::vector<Variant> wanted(values.size());
  std::vector<bool> asText(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    const Variant& v = values[i].Deref();
    asText[i] = IsTextType(fields[i]->DataType());
    if (VarIsEmptyOrNull(v)) {
      wanted[i] = Null();
    } else if (asText[i]) {
      wanted[i] = Variant(v.AsString());
    } else {
      try {
        wanted[i] = fields[i]->ConvertValue(v);
      } catch (const Exception&) {
        return -1;
      }
    }
  }
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    StoredRecord* rec = rows_[r];
    std::vector<Variant> calc(static_cast<std::size_t>(calcCount_), Null());
    Context ctx{&rec->values, &calc, rec->id};
    bool needsCalc = false;
    for (TField* f : fields) needsCalc = needsCalc || !f->IsStored();
    if (needsCalc) CalculateFields(ctx);
    TempState temp(this, state_, &ctx);
    bool match = true;
    for (std::size_t i = 0; i < fields.size() && match; ++i) {
      TField* f = fields[i];
      if (VarIsNull(wanted[i])) {
        match = f->IsNull();
      } else if (f->IsNull()) {
        match = false;
      } else if (asText[i]) {
        AnsiString have = f->AsString(), want = wanted[i].AsString();
        if (options.partialKey) have = have.SubString(1, want.Length());
        match = options.caseInsensitive ? SameText(have, want) : have == want;
      } else {
        match = f->AsVariant() == wanted[i];
      }
    }
    if (match) return static_cast<int>(r);
  }
  return -1;
}

namespace {
std::vector<Variant> KeyValueList(const Variant& keyValues, std::size_t count) {
  const Variant& v = keyValues.Deref();
  std::vector<Variant> values;
  if (VarIsArray(v) && (VarType(v) & varTypeMask) != varByte && count != 1) {
    for (const Variant& e : VarArrayElements(v)) values.push_back(e);
  } else if (VarIsArray(v) && (VarType(v) & varTypeMask) == varVariant && count == 1 && VarArrayDimCount(v) == 1 &&
             VarArrayHighBound(v, 1) == VarArrayLowBound(v, 1)) {
    values.push_back(VarArrayElements(v)[0]);
  } else {
    values.push_back(v);
  }
  return values;
}
}  // namespace

bool TDataSet::Locate(const AnsiString& keyFields, const Variant& keyValues, TLocateOptions options) {
  CheckBrowseMode();
  std::vector<TField*> fields = GetFieldList(keyFields);
  std::vector<Variant> values = KeyValueList(keyValues, fields.size());
  BeforeScroll(this);
  FetchAllOnDemand();
  return ScrollToMatch(FindMatch(fields, values, options));
}

bool TDataSet::ScrollToMatch(int at) {
  if (at < 0) return false;
  SetCurrentPosition(at);
  bof_ = eof_ = false;
  RecordChanged();
  NotifyLinks(TDataEvent::deDataSetChange);
  AfterScroll(this);
  return true;
}

Variant TDataSet::Lookup(const AnsiString& keyFields, const Variant& keyValues, const AnsiString& resultFields) {
  CheckActive();
  std::vector<TField*> fields = GetFieldList(keyFields);
  std::vector<TField*> results = GetFieldList(resultFields);
  std::vector<Variant> values = KeyValueList(keyValues, fields.size());
  FetchAllOnDemand();
  int at = FindMatch(fields, values, {});
  if (at < 0) return Null();
  StoredRecord* rec = rows_[static_cast<std::size_t>(at)];
  std::vector<Variant> calc(static_cast<std::size_t>(calcCount_), Null());
  Context ctx{&rec->values, &calc, rec->id};
  CalculateFields(ctx);
  TempState temp(this, state_, &ctx);
  if (results.size() == 1) return results[0]->AsVariant();
  std::vector<Variant> out;
  for (TField* f : results) out.push_back(f->AsVariant());
  return VarArrayOf(std::move(out));
}

void TDataSet::BeginInsertAppend(bool append) {
  CheckBrowseMode();
  CheckCanModify();
  if (masterField_ && !boundStore_)
    DatabaseError("Cannot perform this operation on an empty dataset", MasterDataSet() ? MasterDataSet()->Name() : Name());
  BeforeInsert(this);
  BeforeScroll(this);
  EnsureView();
  pending_ = store_->NewRecord();
  idBeforeInsert_ = currentId_;
  appending_ = append;
  insertBefore_ = append ? 0 : currentId_;
  if (append) {
    bof_ = false;
    eof_ = true;
  } else if (rows_.empty()) {
    bof_ = true;
    eof_ = false;
  }
  calc_.assign(static_cast<std::size_t>(calcCount_), Null());
  SetState(TDataSetState::dsInsert);
  SyncDetails(false);
  try {
    Context c = ActiveContext();
    CalculateFields(c);
    OnNewRecord(this);
  } catch (...) {
    if (state_ == TDataSetState::dsInsert) {
      pending_.reset();
      SetCurrentPosition(PositionOf(idBeforeInsert_));
      SetState(TDataSetState::dsBrowse);
      RecordChanged();
      NotifyLinks(TDataEvent::deDataSetChange);
    }
    throw;
  }
  // OnNewRecord cancelled the record: Cancel has run its own events.
  if (state_ != TDataSetState::dsInsert) return;
  modified_ = false;
  NotifyLinks(TDataEvent::deDataSetChange);
  AfterInsert(this);
  AfterScroll(this);
}

void TDataSet::Insert() { BeginInsertAppend(false); }
void TDataSet::Append() { BeginInsertAppend(true); }

void TDataSet::Edit() {
  CheckActive();
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return;
  EnsureView();
  if (rows_.empty()) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  BeforeEdit(this);
  CheckOperation(
      [this] {
        StoredRecord* r = CurrentRecord();
        if (!r) DatabaseError("Record not found", Name());
        editValues_ = r->values;
        editId_ = r->id;
      },
      OnEditError);
  SetState(TDataSetState::dsEdit);
  Context c = ActiveContext();
  CalculateFields(c);
  NotifyLinks(TDataEvent::deRecordChange);
  AfterEdit(this);
}

void TDataSet::InternalPostRecord() {
  for (TField* f : ConstraintsDisabled() ? std::vector<TField*>() : fields_)
    if (f->fieldKind_ == TFieldKind::fkData && f->Required() && !f->ReadOnly() && f->DataType() != ftDataSet &&
        f->IsNull()) {
      f->FocusControl();
      DatabaseError("Field '" + f->DisplayName() + "' must have a value");
    }
  if (state_ == TDataSetState::dsInsert) {
    StoredRecord* r = store_->Insert(std::move(pending_), insertBefore_);
    currentId_ = r->id;
  } else {
    StoredRecord* r = store_->Find(editId_);
    if (!r || r->status == TUpdateStatus::usDeleted) DatabaseError("Record not found or changed by another user", Name());
    store_->Modify(*r, editValues_);
    editValues_.clear();
    currentId_ = r->id;
  }
  viewDirty_ = true;
}

void TDataSet::Post() {
  CheckActive();
  UpdateRecord();
  if (state_ == TDataSetState::dsSetKey) {
    SetState(stateBeforeKey_);
    return;
  }
  DetailsCheckBrowseMode();
  NotifyLinks(TDataEvent::deCheckBrowseMode);
  BeforePost(this);
  CheckOperation([this] { InternalPostRecord(); }, OnPostError);
  SetState(TDataSetState::dsBrowse);
  RecordChanged();
  NotifyLinks(TDataEvent::deDataSetChange);
  AfterPost(this);
}

void TDataSet::Cancel() {
  CheckActive();
  if (state_ == TDataSetState::dsSetKey) {
    SetState(stateBeforeKey_);
    return;
  }
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  DetailsCancel();
  NotifyLinks(TDataEvent::deCheckBrowseMode);
  BeforeCancel(this);
  bool scroll = state_ == TDataSetState::dsInsert;
  if (scroll) BeforeScroll(this);
  if (state_ == TDataSetState::dsInsert) {
    pending_.reset();
    EnsureView();
    if (appending_) SetCurrentPosition(static_cast<int>(rows_.size()) - 1);
    else SetCurrentPosition(PositionOf(idBeforeInsert_) >= 0 ? PositionOf(idBeforeInsert_) : position_);
  } else {
    editValues_.clear();
  }
  SetState(TDataSetState::dsBrowse);
  RecordChanged();
  NotifyLinks(TDataEvent::deDataSetChange);
  AfterCancel(this);
  if (scroll) AfterScroll(this);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == TDataSetState::dsInsert || state_ == TDataSetState::dsSetKey) {
    Cancel();
    return;
  }
  EnsureView();
  if (rows_.empty()) DatabaseError("Cannot perform this operation on an empty dataset", Name());
  CheckCanModify();
  DetailsCancel();
  NotifyLinks(TDataEvent::deCheckBrowseMode);
  BeforeDelete(this);
  BeforeScroll(this);
  CheckOperation(
      [this] {
        std::uint64_t id = state_ == TDataSetState::dsEdit ? editId_ : currentId_;
        store_->Delete(id);
        editValues_.clear();
      },
      OnDeleteError);
  SetState(TDataSetState::dsBrowse);
  RecordChanged();
  NotifyLinks(TDataEvent::deDataSetChange);
  AfterDelete(this);
  AfterScroll(this);
}

void TDataSet::ClearFields() {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
    DatabaseError("Dataset not in edit or insert mode", Name());
  Context c = ActiveContext();
  if (c.data)
    for (TField* f : fields_)
      if (f->fieldKind_ == TFieldKind::fkData && f->DataType() != ftDataSet &&
          static_cast<std::size_t>(f->slot_) < c.data->size())
        (*c.data)[static_cast<std::size_t>(f->slot_)] = Null();
  modified_ = true;
  CalculateFields(c);
  NotifyLinks(TDataEvent::deRecordChange);
}

// --- keys ---

void TDataSet::SetKey() {
  CheckBrowseMode();
  keyBuffer_.assign(metas_ ? metas_->size() + static_cast<std::size_t>(internalCalcCount_) : 0, Null());
  stateBeforeKey_ = TDataSetState::dsBrowse;
  SetState(TDataSetState::dsSetKey);
}

void TDataSet::EditKey() {
  CheckBrowseMode();
  if (keyBuffer_.empty()) keyBuffer_.assign(metas_ ? metas_->size() + static_cast<std::size_t>(internalCalcCount_) : 0, Null());
  stateBeforeKey_ = TDataSetState::dsBrowse;
  SetState(TDataSetState::dsSetKey);
}

bool TDataSet::GotoKey() {
  CheckActive();
  if (state_ == TDataSetState::dsSetKey) SetState(stateBeforeKey_);
  std::vector<TField*> fields = GetFieldList(index_.fields);
  if (fields.empty()) DatabaseError("No index currently active", Name());
  std::vector<Variant> values;
  for (TField* f : fields) {
    auto slot = static_cast<std::size_t>(f->slot_);
    values.push_back(slot < keyBuffer_.size() ? keyBuffer_[slot] : Null());
  }
  CheckBrowseMode();
  BeforeScroll(this);
  return ScrollToMatch(FindMatch(fields, values, {}));
}

bool TDataSet::FindKey(const std::vector<Variant>& keyValues) {
  CheckActive();
  std::vector<TField*> fields = GetFieldList(index_.fields);
  if (fields.empty()) DatabaseError("No index currently active", Name());
  if (keyValues.size() > fields.size()) DatabaseError("Too many key values", Name());
  fields.resize(keyValues.size());
  CheckBrowseMode();
  BeforeScroll(this);
  return ScrollToMatch(FindMatch(fields, keyValues, {}));
}

// --- filter ---

void TDataSet::SetFilter(const AnsiString& filter) {
  if (filter == filter_) return;
  std::unique_ptr<data_detail::FilterExpression> parsed;
  if (!Trim(filter).IsEmpty()) parsed = data_detail::FilterExpression::Parse(filter);
  filter_ = filter;
  filterExpression_ = std::move(parsed);
  MarkChanged("Filter");
  if (Active() && filtered_) Refilter();
}

void TDataSet::SetFiltered(bool on) {
  if (on == filtered_) return;
  if (Active()) CheckBrowseMode();
  filtered_ = on;
  MarkChanged("Filtered");
  if (Active()) Refilter();
}

void TDataSet::SetFilterOptions(TFilterOptions options) {
  filterOptions_ = options;
  if (Active() && filtered_) Refilter();
}

void TDataSet::Refilter() {
  viewDirty_ = true;
  if (Active()) First();
}

// --- row window ---

int TDataSet::WindowRowCount() const {
  if (!Active()) return 0;
  EnsureView();
  return static_cast<int>(rows_.size()) + (state_ == TDataSetState::dsInsert ? 1 : 0);
}

int TDataSet::WindowCurrentRow() const {
  if (!Active()) return -1;
  EnsureView();
  if (state_ == TDataSetState::dsInsert) {
    if (appending_) return static_cast<int>(rows_.size());
    int at = PositionOf(insertBefore_);
    return at >= 0 ? at : static_cast<int>(rows_.size());
  }
  return position_;
}

void TDataSet::ReadWindowRow(int row, const std::function<void()>& read) {
  int count = WindowRowCount();
  if (row < 0 || row >= count) DatabaseError("Row " + IntToStr(row) + " is out of range", Name());
  int current = WindowCurrentRow();
  if (row == current && !override_) {
    // Calculated values may depend on more than the record (a selection).
    Context c = ActiveContext();
    if (c.data) CalculateFields(c);
    read();
    return;
  }
  int index = row;
  if (state_ == TDataSetState::dsInsert && row > current) --index;
  StoredRecord* rec = rows_[static_cast<std::size_t>(index)];
  std::vector<Variant> calc(static_cast<std::size_t>(calcCount_), Null());
  Context ctx{&rec->values, &calc, rec->id};
  CalculateFields(ctx);
  TempState temp(this, state_, &ctx);
  read();
}

TBookmark TDataSet::WindowBookmark(int row) const {
  int count = WindowRowCount();
  if (row < 0 || row >= count) return {};
  int current = WindowCurrentRow();
  if (state_ == TDataSetState::dsInsert) {
    if (row == current) return {};
    if (row > current) --row;
  }
  return {rows_[static_cast<std::size_t>(row)]->id};
}

PLATFORM_REGISTER_CLASS(TDataSet);

}  // namespace platform
