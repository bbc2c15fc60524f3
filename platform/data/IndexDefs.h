// TIndexDef and TIndexDefs: the named orders a client data set offers
// (IndexDefs), selected by IndexName.
//
// An index orders by Fields (names joined by ";"); with ixDescending every
// field is descending, or only those listed in DescFields when it lists
// any; with ixCaseInsensitive text fields compare without regard to ASCII
// case, or only those in CaseInsFields. Rows with equal keys keep their
// natural order; null sorts before every value.
#pragma once

#include "platform/AnsiString.h"
#include "platform/data/DataTypes.h"
#include "platform/ui/Collection.h"

namespace platform {

class TIndexDef : public TCollectionItem {
  PLATFORM_CLASS(TIndexDef)

 public:
  explicit TIndexDef(TCollection* collection);

  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& name) { ChangeProperty(name_, name, "Name"); }
  const AnsiString& Fields() const { return fields_; }
  void SetFields(const AnsiString& fields) { ChangeProperty(fields_, fields, "Fields"); }
  const AnsiString& DescFields() const { return descFields_; }
  void SetDescFields(const AnsiString& fields) { ChangeProperty(descFields_, fields, "DescFields"); }
  const AnsiString& CaseInsFields() const { return caseInsFields_; }
  void SetCaseInsFields(const AnsiString& fields) { ChangeProperty(caseInsFields_, fields, "CaseInsFields"); }
  TIndexOptions Options() const { return options_; }
  void SetOptions(TIndexOptions options) { ChangeProperty(options_, options, "Options"); }

  AnsiString DisplayName() const override { return name_; }

 private:
  AnsiString name_;
  AnsiString fields_;
  AnsiString descFields_;
  AnsiString caseInsFields_;
  TIndexOptions options_;
};

class TIndexDefs : public TCollectionOf<TIndexDef> {
  PLATFORM_CLASS(TIndexDefs)

 public:
  TIndexDefs() = default;
  // Adds an index definition.
  TIndexDef* AddIndexDef(const AnsiString& name, const AnsiString& fields, TIndexOptions options = {});
  // The definition of that name (ASCII case ignored), or nullptr.
  TIndexDef* Find(const AnsiString& name) const;
  // Position of the definition of that name, -1 when absent.
  int IndexOf(const AnsiString& name) const;
};

}  // namespace platform
