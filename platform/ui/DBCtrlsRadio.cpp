// TDBRadioGroup: a radio group that shows and writes one field (DBCtrls.h).
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/DBCtrls.h"

namespace platform {

const TClassInfo& TDBRadioGroup::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TDBRadioGroup>("TDBRadioGroup", TRadioGroup::StaticClass())
          .String("DataField", &TDBRadioGroup::DataField, &TDBRadioGroup::SetDataField)
          .Reference("DataSource", &TDBRadioGroup::DataSource, &TDBRadioGroup::SetDataSource)
          .Boolean("ReadOnly", &TDBRadioGroup::ReadOnly, &TDBRadioGroup::SetReadOnly).Default(false)
          .Strings("Items", &TDBRadioGroup::Items, &TDBRadioGroup::SetItems)
          .Strings("Values", &TDBRadioGroup::Values, &TDBRadioGroup::SetValues)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDBRadioGroup);

TDBRadioGroup::TDBRadioGroup(TComponent* owner) : TRadioGroup(owner) {
  link_.OnDataChange = [this] { DataChange(); };
  link_.OnFocusControl = [this] {
    if (CanFocus()) SetFocus();
  };
}

TDBRadioGroup::~TDBRadioGroup() {
  link_.ClearCallbacks();
}

void TDBRadioGroup::SetDataSource(TDataSource* dataSource) {
  if (dataSource == link_.DataSource()) return;
  link_.SetDataSource(dataSource);
  MarkChanged("DataSource");
}

void TDBRadioGroup::SetDataField(const AnsiString& name) {
  if (name == link_.FieldName()) return;
  link_.SetFieldName(name);
  MarkChanged("DataField");
}

void TDBRadioGroup::SetValues(const TStringList& values) {
  *values_ = values;
  MarkChanged("Values");
  link_.Reset();
}

void TDBRadioGroup::SetItems(const TStringList& items) {
  TRadioGroup::SetItems(items);
  link_.Reset();
}

AnsiString TDBRadioGroup::ValueOf(int index) const {
  if (index < 0 || index >= Items()->Count()) return AnsiString();
  return index < values_->Count() ? (*values_)[index] : (*Items())[index];
}

void TDBRadioGroup::DataChange() {
  TField* field = link_.Field();
  int index = -1;
  if (field && !field->IsNull()) {
    const AnsiString value = field->Text();
    for (int i = 0; i < Items()->Count() && index < 0; ++i)
      if (ValueOf(i) == value) index = i;
  }
  SetItemIndex(index);
}

bool TDBRadioGroup::UserSelect(int index) {
  if (!Showing() || !EnabledChain()) return false;
  if (index < 0 || index >= Items()->Count()) return false;
  if (readOnly_ || !link_.CanModify() || !link_.Edit()) return false;
  // The field takes the value first; its change checks the button, so a
  // refused value leaves the group as it was.
  link_.Field()->SetText(ValueOf(index));
  link_.Reset();
  return true;
}

}  // namespace platform
