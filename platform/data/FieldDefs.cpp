#include "platform/data/FieldDefs.h"

#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TFieldDef::StaticClass() {
  static const TClassInfo info = TClassBuilder<TFieldDef>("TFieldDef", TCollectionItem::StaticClass())
                                     .String("Name", &TFieldDef::Name, &TFieldDef::SetName)
                                     .Enumeration("DataType", &TFieldDef::DataType, &TFieldDef::SetDataType)
                                     .Integer("Size", &TFieldDef::Size, &TFieldDef::SetSize)
                                     .Integer("Precision", &TFieldDef::Precision, &TFieldDef::SetPrecision)
                                     .Boolean("Required", &TFieldDef::Required, &TFieldDef::SetRequired)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TFieldDef);

TFieldDef::TFieldDef(TCollection* collection) : TCollectionItem(collection) {}
TFieldDef::~TFieldDef() = default;

TFieldDefs& TFieldDef::ChildDefs() {
  if (!childDefs_) childDefs_ = std::make_unique<TFieldDefs>();
  return *childDefs_;
}

const TFieldDefs& TFieldDef::ChildDefs() const {
  static const TFieldDefs none;
  return childDefs_ ? *childDefs_ : none;
}

FieldMeta TFieldDef::ToMeta() const {
  FieldMeta meta;
  meta.name = name_;
  meta.type = dataType_;
  meta.size = size_;
  meta.precision = precision_;
  if (required_) meta.flags |= mfRequired;
  if (dataType_ == ftFixedChar) meta.flags |= mfFixed;
  if (dataType_ == ftDataSet) meta.nested = ChildDefs().ToMetas();
  return meta;
}

const TClassInfo& TFieldDefs::StaticClass() {
  static const TClassInfo info = TClassBuilder<TFieldDefs>("TFieldDefs", TCollection::StaticClass()).Build();
  return info;
}

TFieldDef* TFieldDefs::AddFieldDef(const AnsiString& name, TFieldType type, int size, bool required) {
  TFieldDef* def = Add();
  def->SetName(name);
  def->SetDataType(type);
  def->SetSize(size);
  def->SetRequired(required);
  return def;
}

TFieldDef* TFieldDefs::Find(const AnsiString& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : Items(i);
}

int TFieldDefs::IndexOf(const AnsiString& name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Name(), name)) return i;
  return -1;
}

std::vector<FieldMeta> TFieldDefs::ToMetas() const {
  std::vector<FieldMeta> metas;
  for (int i = 0; i < Count(); ++i) metas.push_back(Items(i)->ToMeta());
  return metas;
}

}  // namespace platform
