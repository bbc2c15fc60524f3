#include "platform/data/DataSource.h"

#include <algorithm>

#include "platform/ui/ClassBuilder.h"

namespace platform {

// The data source's own watch on its data set.
class TDataSource::SourceLink : public TDataLink {
 public:
  explicit SourceLink(TDataSource& source) : source_(source) {}

 protected:
  void ActiveChanged() override { source_.StateMayHaveChanged(); }
  void StateChanged() override { source_.StateMayHaveChanged(); }
  void DataSetChanged() override { source_.OnDataChange(&source_, nullptr); }
  void DataSetScrolled(int) override { source_.OnDataChange(&source_, nullptr); }
  void RecordChanged(TField* field) override { source_.OnDataChange(&source_, field); }
  void LayoutChanged() override { source_.OnDataChange(&source_, nullptr); }
  void UpdateData() override { source_.OnUpdateData(&source_); }
  void DataSetDestroyed() override { source_.StateMayHaveChanged(); }

 private:
  TDataSource& source_;
};

// --- TDataSource ---

const TClassInfo& TDataSource::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TDataSource>("TDataSource", TComponent::StaticClass())
          .Boolean("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(true)
          .Reference("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
          .Boolean("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true)
          .Event("OnStateChange", &TDataSource::OnStateChange)
          .Event("OnDataChange", &TDataSource::OnDataChange)
          .Event("OnUpdateData", &TDataSource::OnUpdateData)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDataSource);

TDataSource::TDataSource(TComponent* owner) : TComponent(owner), link_(std::make_unique<SourceLink>(*this)) {}

TDataSource::~TDataSource() {
  // The controls keep their link but name no data source any more.
  const std::vector<TFieldDataLink*> links = fieldLinks_;
  for (TFieldDataLink* link : links) link->DataSourceGone();
  fieldLinks_.clear();
  link_.reset();
  if (dataSet_) dataSet_->RemoveFreeNotification(this);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet_ == dataSet) return;
  if (dataSet_) dataSet_->RemoveFreeNotification(this);
  dataSet_ = dataSet;
  if (dataSet_) dataSet_->FreeNotification(this);
  MarkChanged("DataSet");
  Relink();
}

void TDataSource::SetEnabled(bool enabled) {
  if (!ChangeProperty(enabled_, enabled, "Enabled")) return;
  Relink();
}

TDataSetState TDataSource::State() const {
  TDataSet* ds = LinkedDataSet();
  return ds ? ds->State() : TDataSetState::dsInactive;
}

void TDataSource::Edit() {
  TDataSet* ds = LinkedDataSet();
  if (autoEdit_ && ds && ds->State() == TDataSetState::dsBrowse) ds->Edit();
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == dataSet_) {
    dataSet_ = nullptr;
    Relink();
  }
}

void TDataSource::Relink() {
  TDataSet* ds = LinkedDataSet();
  link_->SetDataSet(ds);
  const std::vector<TFieldDataLink*> links = fieldLinks_;
  for (TFieldDataLink* link : links) link->SetDataSet(ds);
  StateMayHaveChanged();
}

void TDataSource::AddFieldLink(TFieldDataLink* link) {
  if (std::find(fieldLinks_.begin(), fieldLinks_.end(), link) == fieldLinks_.end()) fieldLinks_.push_back(link);
}

void TDataSource::RemoveFieldLink(TFieldDataLink* link) {
  fieldLinks_.erase(std::remove(fieldLinks_.begin(), fieldLinks_.end(), link), fieldLinks_.end());
}

void TDataSource::StateMayHaveChanged() {
  const TDataSetState state = State();
  if (state == state_) return;
  state_ = state;
  OnStateChange(this);
}

// --- TFieldDataLink ---

TFieldDataLink::~TFieldDataLink() {
  if (dataSource_) dataSource_->RemoveFieldLink(this);
}

void TFieldDataLink::SetDataSource(TDataSource* dataSource) {
  if (dataSource_ == dataSource) return;
  if (dataSource_) dataSource_->RemoveFieldLink(this);
  dataSource_ = dataSource;
  if (dataSource_) dataSource_->AddFieldLink(this);
  SetDataSet(dataSource_ ? dataSource_->LinkedDataSet() : nullptr);
}

void TFieldDataLink::SetFieldName(const AnsiString& name) {
  if (fieldName_ == name) return;
  fieldName_ = name;
  FindField();
  Reset();
}

bool TFieldDataLink::Editing() const { return field_ && TDataLink::Editing() && field_->CanModify(); }

bool TFieldDataLink::CanModify() const {
  return field_ && !field_->ReadOnly() && DataSet() && DataSet()->CanModify() && field_->CanModify();
}

bool TFieldDataLink::Edit() {
  if (!Editing() && CanModify() && dataSource_) dataSource_->Edit();
  return Editing();
}

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::UpdateRecord() {
  if (!modified_) return;
  Run(OnUpdateData);
  modified_ = false;
}

void TFieldDataLink::ActiveChanged() {
  FindField();
  Run(OnActiveChange);
  Reset();
}

void TFieldDataLink::EditingChanged() { Run(OnEditingChange); }

void TFieldDataLink::RecordChanged(TField* field) {
  if (field && field != field_) return;
  modified_ = false;
  Run(OnDataChange);
}

void TFieldDataLink::LayoutChanged() {
  FindField();
  Reset();
}

void TFieldDataLink::FocusControl(TField* field) {
  if (field && field == field_) Run(OnFocusControl);
}

void TFieldDataLink::DataSetDestroyed() {
  field_ = nullptr;
  Reset();
}

void TFieldDataLink::FindField() {
  TDataSet* ds = DataSet();
  field_ = ds && ds->Active() && !fieldName_.IsEmpty() ? ds->FindField(fieldName_) : nullptr;
}

void TFieldDataLink::DataSourceGone() {
  dataSource_ = nullptr;
  SetDataSet(nullptr);
}

}  // namespace platform
