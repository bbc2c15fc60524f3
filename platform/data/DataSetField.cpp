#include "platform/data/DataSetField.h"

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSet.h"
#include "platform/data/DatabaseError.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TDataSetField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TDataSetField>("TDataSetField", TField::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDataSetField);

TDataSetField::TDataSetField(TComponent* owner) : TField(owner, ftDataSet) {}

TDataSetField::~TDataSetField() {
  BeginDestroy();
  // The cursors on the nested rows lose their master.
  std::vector<TDataSet*> cursors = cursors_;
  for (TDataSet* c : cursors) c->DropMasterField();
  cursors_.clear();
}

TClientDataSet* TDataSetField::NestedDataSet() {
  for (TDataSet* c : cursors_)
    if (!c->cloneBinding_)
      if (auto* client = dynamic_cast<TClientDataSet*>(c)) {
        if (!client->Active() && DataSet() && DataSet()->Active()) client->Open();
        return client;
      }
  if (!own_) {
    own_ = new TClientDataSet(this);
    own_->SetDataSetField(this);
  }
  if (!own_->Active() && DataSet() && DataSet()->Active()) own_->Open();
  return own_;
}

const std::vector<FieldMeta>& TDataSetField::NestedFields() const { return nestedFields_; }

Variant TDataSetField::ConvertValue(const Variant&) const {
  DatabaseError("Field '" + DisplayName() + "' cannot be modified");
}

AnsiString TDataSetField::ValueToString(const Variant&) const { return AnsiString(); }

AnsiString TDataSetField::FormatText(const Variant&, bool) const { return "(DATASET)"; }

void TDataSetField::DescribeTo(FieldMeta& meta) const {
  TField::DescribeTo(meta);
  meta.nested = nestedFields_;
}

void TDataSetField::TakeMeta(const FieldMeta& meta, bool isDefault) {
  TField::TakeMeta(meta, isDefault);
  nestedFields_ = meta.nested;
}

}  // namespace platform

