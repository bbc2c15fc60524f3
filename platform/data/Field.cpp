#include "platform/data/Field.h"

#include "platform/Format.h"
#include "platform/data/BlobField.h"
#include "platform/data/BooleanField.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSet.h"
#include "platform/data/DataSetField.h"
#include "platform/data/DateTimeField.h"
#include "platform/data/EditMask.h"
#include "platform/data/FloatField.h"
#include "platform/data/NumericField.h"
#include "platform/data/StringField.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TField>("TField", TComponent::StaticClass())
                                     .String("FieldName", &TField::FieldName, &TField::SetFieldName)
                                     .Enumeration("FieldKind", &TField::FieldKind, &TField::SetFieldKind)
                                     .Reference("DataSet", &TField::DataSet, &TField::SetDataSet)
                                     .String("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel)
                                     .Integer("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth)
                                     .Integer("Index", &TField::Index, &TField::SetIndex)
                                     .Integer("Size", &TField::Size, &TField::SetSize)
                                     .Boolean("Visible", &TField::Visible, &TField::SetVisible)
                                     .Default(true)
                                     .Boolean("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly)
                                     .Default(false)
                                     .Boolean("Required", &TField::Required, &TField::SetRequired)
                                     .Default(false)
                                     .String("EditMask", &TField::EditMask, &TField::SetEditMask)
                                     .Event("OnChange", &TField::OnChange)
                                     .Event("OnGetText", &TField::OnGetText)
                                     .Event("OnSetText", &TField::OnSetText)
                                     .Event("OnValidate", &TField::OnValidate)
                                     .Build();
  return info;
}

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::TField(TComponent* owner, TFieldType type) : TComponent(owner), dataType_(type) {}

TField::~TField() {
  if (dataSet_) dataSet_->RemoveField(this);
}

void TField::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet) dataSet->CheckInactive();
  if (dataSet_) {
    dataSet_->CheckInactive();
    dataSet_->RemoveField(this);
  }
  if (dataSet) dataSet->AddField(this);
}

TComponent* TField::GetParentComponent() const { return dataSet_; }

void TField::SetParentComponent(TComponent* parent) {
  if (auto* ds = dynamic_cast<TDataSet*>(parent)) SetDataSet(ds);
}

void TField::SetFieldName(const AnsiString& name) {
  if (name == fieldName_) return;
  if (dataSet_) {
    dataSet_->CheckInactive();
    TField* other = dataSet_->FindField(name);
    if (other && other != this) DatabaseError("Duplicate field name '" + name + "'", dataSet_->Name());
  }
  fieldName_ = name;
  MarkChanged("FieldName");
}

void TField::SetFieldKind(TFieldKind kind) {
  if (kind == fieldKind_) return;
  if (dataSet_) dataSet_->CheckInactive();
  fieldKind_ = kind;
  MarkChanged("FieldKind");
}

int TField::FieldNo() const {
  if (!dataSet_ || !dataSet_->Active() || fieldKind_ != TFieldKind::fkData || slot_ < 0) return 0;
  return slot_ + 1;
}

int TField::Index() const {
  if (!dataSet_) return -1;
  const auto& list = dataSet_->FieldList();
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i] == this) return static_cast<int>(i);
  return -1;
}

void TField::SetIndex(int index) {
  if (dataSet_) dataSet_->MoveField(this, index);
}

void TField::SetSize(int size) {
  if (size == size_) return;
  if (dataSet_) dataSet_->CheckInactive();
  size_ = size < 0 ? 0 : size;
  MarkChanged("Size");
}

void TField::SetDisplayLabel(const AnsiString& label) {
  if (label == DisplayLabel()) return;
  displayLabel_ = label == fieldName_ ? AnsiString() : label;
  MarkChanged("DisplayLabel");
  if (dataSet_) dataSet_->NotifyLinks(TDataEvent::deLayoutChange);
}

void TField::SetDisplayWidth(int width) {
  if (ChangeProperty(displayWidth_, width, "DisplayWidth") && dataSet_)
    dataSet_->NotifyLinks(TDataEvent::deLayoutChange);
}

void TField::SetVisible(bool visible) {
  if (ChangeProperty(visible_, visible, "Visible") && dataSet_) dataSet_->NotifyLinks(TDataEvent::deLayoutChange);
}

void TField::SetReadOnly(bool readOnly) { ChangeProperty(readOnly_, readOnly, "ReadOnly"); }
void TField::SetRequired(bool required) { ChangeProperty(required_, required, "Required"); }
void TField::SetEditMask(const AnsiString& mask) { ChangeProperty(editMask_, mask, "EditMask"); }

bool TField::CanModify() const {
  if (readOnly_ || !dataSet_ || !dataSet_->CanModify()) return false;
  return IsStored() && dataType_ != ftDataSet;
}

// --- values ---

const Variant& TField::Stored() const {
  static const Variant null = Null();
  if (validating_) return *validating_;
  if (!dataSet_) return null;
  return dataSet_->ReadField(*this);
}

bool TField::IsNull() const { return VarIsEmptyOrNull(Stored()); }

Variant TField::AsVariant() const {
  const Variant& v = Stored();
  return VarIsEmpty(v) ? Null() : v;
}

void TField::AccessError(const char* typeName) const {
  DatabaseError("Cannot access field '" + DisplayName() + "' as type " + typeName);
}

void TField::NotifyLayoutChange() {
  if (dataSet_) dataSet_->NotifyLinks(TDataEvent::deLayoutChange);
}

void TField::Write(const Variant& value) {
  if (!dataSet_) DatabaseError("Field '" + DisplayName() + "' has no dataset");
  dataSet_->CheckFieldWritable(*this);
  Variant stored = VarIsEmptyOrNull(value) ? Null() : ConvertValue(value.Deref());
  dataSet_->WriteField(*this, stored);
}

void TField::SetAsVariant(const Variant& value) { Write(value); }

AnsiString TField::AsString() const {
  const Variant& v = Stored();
  return VarIsEmptyOrNull(v) ? AnsiString() : ValueToString(v);
}

void TField::SetAsString(const AnsiString& text) {
  if (!dataSet_) DatabaseError("Field '" + DisplayName() + "' has no dataset");
  dataSet_->CheckFieldWritable(*this);
  dataSet_->WriteField(*this, ParseText(text));
}

int TField::AsInteger() const {
  const Variant& v = Stored();
  return VarIsEmptyOrNull(v) ? 0 : GetAsInteger(v);
}
void TField::SetAsInteger(int value) { Write(Variant(value)); }

std::int64_t TField::AsLargeInt() const {
  const Variant& v = Stored();
  return VarIsEmptyOrNull(v) ? 0 : GetAsLargeInt(v);
}
void TField::SetAsLargeInt(std::int64_t value) { Write(Variant(static_cast<long long>(value))); }

double TField::AsFloat() const {
  const Variant& v = Stored();
  return VarIsEmptyOrNull(v) ? 0.0 : GetAsFloat(v);
}
void TField::SetAsFloat(double value) { Write(Variant(value)); }

Currency TField::AsCurrency() const {
  const Variant& v = Stored();
  return VarIsEmptyOrNull(v) ? Currency() : GetAsCurrency(v);
}
void TField::SetAsCurrency(Currency value) { Write(Variant(value)); }

bool TField::AsBoolean() const {
  const Variant& v = Stored();
  return VarIsEmptyOrNull(v) ? false : GetAsBoolean(v);
}
void TField::SetAsBoolean(bool value) { Write(Variant(value)); }

TDateTime TField::AsDateTime() const {
  const Variant& v = Stored();
  return VarIsEmptyOrNull(v) ? 0.0 : GetAsDateTime(v);
}
void TField::SetAsDateTime(TDateTime value) { Write(Variant::FromDateTime(value)); }

AnsiString TField::DisplayText() const {
  if (OnGetText) {
    AnsiString text;
    OnGetText(const_cast<TField*>(this), text, true);
    return text;
  }
  return FormatText(Stored(), true);
}

AnsiString TField::Text() const {
  if (OnGetText) {
    AnsiString text;
    OnGetText(const_cast<TField*>(this), text, false);
    return text;
  }
  return FormatText(Stored(), false);
}

void TField::SetText(const AnsiString& text) {
  if (!dataSet_) DatabaseError("Field '" + DisplayName() + "' has no dataset");
  if (!editMask_.IsEmpty()) {
    auto* client = dynamic_cast<TClientDataSet*>(dataSet_);
    if (client && client->ValidateWithMask()) {
      TEditMask mask(editMask_);
      if (!mask.IsBlank(text) && !mask.Fits(text))
        DatabaseError("Invalid input value '" + text + "' for field '" + DisplayName() + "'");
    }
  }
  if (OnSetText) OnSetText(this, text);
  else SetAsString(text);
}

Variant TField::OldValue() const {
  if (!dataSet_) return Null();
  return dataSet_->OldFieldValue(*this);
}

void TField::FocusControl() {
  if (dataSet_) dataSet_->NotifyLinks(TDataEvent::deFocusControl, this);
}

// --- conversions ---

Variant TField::ConvertValue(const Variant& value) const { return value; }

Variant TField::ParseText(const AnsiString& text) const {
  if (text.IsEmpty()) return Null();
  return ConvertValue(Variant(text));
}

AnsiString TField::ValueToString(const Variant& stored) const { return VarToStr(stored); }

AnsiString TField::FormatText(const Variant& stored, bool) const {
  return VarIsEmptyOrNull(stored) ? AnsiString() : ValueToString(stored);
}

void TField::DescribeTo(FieldMeta& meta) const {
  meta.name = fieldName_;
  meta.type = dataType_;
  meta.size = 0;
  meta.flags = 0;
  if (required_) meta.flags |= mfRequired;
  if (readOnly_) meta.flags |= mfReadOnly;
}

void TField::TakeMeta(const FieldMeta& meta, bool isDefault) {
  if (!isDefault) return;
  if (meta.Has(mfRequired)) required_ = true;
  if (meta.Has(mfReadOnly)) readOnly_ = true;
  if (meta.Has(mfHidden)) visible_ = false;
}

int TField::GetAsInteger(const Variant& stored) const {
  try {
    return stored.AsInteger();
  } catch (const EVariantTypeCastError&) {
    AccessError("Integer");
  }
}

std::int64_t TField::GetAsLargeInt(const Variant& stored) const {
  try {
    return stored.AsInt64();
  } catch (const EVariantTypeCastError&) {
    AccessError("Largeint");
  }
}

double TField::GetAsFloat(const Variant& stored) const {
  try {
    return stored.AsDouble();
  } catch (const EVariantTypeCastError&) {
    AccessError("Float");
  }
}

Currency TField::GetAsCurrency(const Variant& stored) const {
  try {
    return stored.AsCurrency();
  } catch (const EVariantTypeCastError&) {
    AccessError("Currency");
  }
}

bool TField::GetAsBoolean(const Variant& stored) const {
  try {
    return stored.AsBool();
  } catch (const EVariantTypeCastError&) {
    AccessError("Boolean");
  }
}

TDateTime TField::GetAsDateTime(const Variant& stored) const {
  try {
    return stored.AsDateTime();
  } catch (const EVariantTypeCastError&) {
    AccessError("DateTime");
  }
}

TField* CreateFieldOfType(TFieldType type, TComponent* owner) {
  switch (type) {
    case ftString: return new TStringField(owner);
    case ftFixedChar: {
      auto* f = new TStringField(owner);
      f->SetFixedChar(true);
      return f;
    }
    case ftSmallint: return new TSmallintField(owner);
    case ftInteger: return new TIntegerField(owner);
    case ftWord: return new TWordField(owner);
    case ftAutoInc: return new TAutoIncField(owner);
    case ftLargeint: return new TLargeintField(owner);
    case ftFloat: return new TFloatField(owner);
    case ftCurrency: return new TCurrencyField(owner);
    case ftBCD: return new TBCDField(owner);
    case ftBoolean: return new TBooleanField(owner);
    case ftDate: return new TDateField(owner);
    case ftTime: return new TTimeField(owner);
    case ftDateTime: return new TDateTimeField(owner);
    case ftMemo: return new TMemoField(owner);
    case ftBlob:
    case ftBytes:
    case ftVarBytes: return new TBlobField(owner, type);
    case ftDataSet: return new TDataSetField(owner);
    default: return nullptr;
  }
}

PLATFORM_REGISTER_CLASS(TField);

}  // namespace platform
