// TFieldDef and TFieldDefs: the columns an in-memory client data set is
// created with (CreateDataSet), nested data sets included (ChildDefs of an
// ftDataSet definition).
#pragma once

#include <memory>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/data/DataPacket.h"
#include "platform/data/DataTypes.h"
#include "platform/ui/Collection.h"

namespace platform {

class TFieldDefs;

class TFieldDef : public TCollectionItem {
  PLATFORM_CLASS(TFieldDef)

 public:
  explicit TFieldDef(TCollection* collection);
  ~TFieldDef() override;

  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& name) { ChangeProperty(name_, name, "Name"); }
  TFieldType DataType() const { return dataType_; }
  void SetDataType(TFieldType type) { ChangeProperty(dataType_, type, "DataType"); }
  int Size() const { return size_; }
  void SetSize(int size) { ChangeProperty(size_, size, "Size"); }
  int Precision() const { return precision_; }
  void SetPrecision(int precision) { ChangeProperty(precision_, precision, "Precision"); }
  bool Required() const { return required_; }
  void SetRequired(bool required) { ChangeProperty(required_, required, "Required"); }
  // The columns of a nested data set.
  TFieldDefs& ChildDefs();
  const TFieldDefs& ChildDefs() const;

  AnsiString DisplayName() const override { return name_; }
  FieldMeta ToMeta() const;

 private:
  AnsiString name_;
  TFieldType dataType_ = ftUnknown;
  int size_ = 0;
  int precision_ = 0;
  bool required_ = false;
  std::unique_ptr<TFieldDefs> childDefs_;
};

class TFieldDefs : public TCollectionOf<TFieldDef> {
  PLATFORM_CLASS(TFieldDefs)

 public:
  TFieldDefs() = default;
  TFieldDef* AddFieldDef(const AnsiString& name, TFieldType type, int size = 0, bool required = false);
  TFieldDef* Find(const AnsiString& name) const;
  int IndexOf(const AnsiString& name) const;
  std::vector<FieldMeta> ToMetas() const;
};

}  // namespace platform
