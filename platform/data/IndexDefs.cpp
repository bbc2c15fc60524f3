#include "platform/data/IndexDefs.h"

#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TIndexDef::StaticClass() {
  static const TClassInfo info = TClassBuilder<TIndexDef>("TIndexDef", TCollectionItem::StaticClass())
                                     .String("Name", &TIndexDef::Name, &TIndexDef::SetName)
                                     .String("Fields", &TIndexDef::Fields, &TIndexDef::SetFields)
                                     .String("DescFields", &TIndexDef::DescFields, &TIndexDef::SetDescFields)
                                     .String("CaseInsFields", &TIndexDef::CaseInsFields, &TIndexDef::SetCaseInsFields)
                                     .Set("Options", &TIndexDef::Options, &TIndexDef::SetOptions)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TIndexDef);

TIndexDef::TIndexDef(TCollection* collection) : TCollectionItem(collection) {}

const TClassInfo& TIndexDefs::StaticClass() {
  static const TClassInfo info = TClassBuilder<TIndexDefs>("TIndexDefs", TCollection::StaticClass()).Build();
  return info;
}

TIndexDef* TIndexDefs::AddIndexDef(const AnsiString& name, const AnsiString& fields, TIndexOptions options) {
  TIndexDef* def = Add();
  def->SetName(name);
  def->SetFields(fields);
  def->SetOptions(options);
  return def;
}

TIndexDef* TIndexDefs::Find(const AnsiString& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : Items(i);
}

int TIndexDefs::IndexOf(const AnsiString& name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Name(), name)) return i;
  return -1;
}

}  // namespace platform
