// TField: one column of a data set, the object through which a record's
// value is read and written.
//
// A field belongs to one data set (DataSet) and sits in its field list at
// position Index; moving Index moves it in that list. It is a component:
// persistent fields are created by a data module (owner) and named like
// "cdsMainTE001", with FieldName "TE001"; the data set creates default
// fields itself (owner: the data set) when it opens without persistent
// data fields. A field's kind says where its value comes from
// (DataTypes.h: data, calculated, internally calculated, lookup).
//
// Reading gives the value of the data set's active record: the current
// record while browsing, the record being edited or inserted, the row
// being filtered or calculated, or a row read through the row window
// (RowWindow.h). A null value reads as "" through AsString and Text, 0
// through the numeric accessors, false through AsBoolean, and Null
// through AsVariant. Reading a field of a closed data set gives null.
//
// Writing (the As* setters, Value, Text, Clear) follows the class library:
// - the data set must be in edit or insert state ("cdsX: Dataset not in
//   edit or insert mode"); calculated fields are written only inside
//   OnCalcFields;
// - a read-only field refuses with EDatabaseError "Field 'X' cannot be
//   modified" (X is the DisplayName);
// - the value is converted to the field's type, raising the class
//   library's errors ("'abc' is not a valid integer value for field 'X'",
//   "70000 is not a valid value for field 'X'. The allowed range is -32768
//   to 32767");
// - OnValidate runs with the new value readable through the field; when it
//   raises (EAbort included) the assignment is refused and the field keeps
//   its value;
// - the value is stored, calculated fields are recalculated, OnChange
//   runs, and the data set's links are told (deFieldChange).
//
// Text is the edit text and DisplayText the display text: OnGetText (with
// the display flag) when assigned, else the field's own formatting
// (EditFormat / DisplayFormat of numeric and date fields). Assigning Text
// runs OnSetText when assigned, else assigns AsString.
#pragma once

#include <cstdint>

#include "platform/AnsiString.h"
#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "platform/Variant.h"
#include "platform/data/DataTypes.h"
#include "platform/ui/Component.h"
#include "platform/ui/Event.h"

namespace platform {

class TDataSet;
class TField;
struct FieldMeta;

// (Sender)
using TFieldNotifyEvent = TEvent<"TFieldNotifyEvent", TField*>;
// (Sender, var Text, DisplayText)
using TFieldGetTextEvent = TEvent<"TFieldGetTextEvent", TField*, AnsiString&, bool>;
// (Sender, const Text)
using TFieldSetTextEvent = TEvent<"TFieldSetTextEvent", TField*, const AnsiString&>;

class TField : public TComponent {
  PLATFORM_CLASS(TField)

 public:
  explicit TField(TComponent* owner);
  ~TField() override;

  // --- identity and place ---
  TDataSet* DataSet() const { return dataSet_; }
  // Adds the field at the end of the data set's field list (removing it
  // from the previous one). The data set must be closed ("Cannot perform
  // this operation on an open dataset"); a field name the list already
  // has raises "Duplicate field name 'X'".
  void SetDataSet(TDataSet* dataSet);
  const AnsiString& FieldName() const { return fieldName_; }
  void SetFieldName(const AnsiString& name);
  TFieldType DataType() const { return dataType_; }
  TFieldKind FieldKind() const { return fieldKind_; }
  void SetFieldKind(TFieldKind kind);
  bool Calculated() const { return fieldKind_ == TFieldKind::fkCalculated; }
  // A stored data field (or one kept with the record).
  bool IsStored() const { return fieldKind_ == TFieldKind::fkData || fieldKind_ == TFieldKind::fkInternalCalc; }
  virtual bool IsBlob() const { return false; }
  // 1-based position of the field's column in the data set's metadata; 0
  // for calculated fields and fields of a closed data set.
  int FieldNo() const;
  // Position in the data set's field list; -1 without a data set.
  int Index() const;
  void SetIndex(int index);

  // --- published properties ---
  // Bytes for strings (Size), decimals for BCD, 0 for most others.
  int Size() const { return size_; }
  void SetSize(int size);
  // DisplayLabel defaults to the field name; DisplayName is what messages
  // show (the label when set, else the name).
  AnsiString DisplayLabel() const { return displayLabel_.IsEmpty() ? fieldName_ : displayLabel_; }
  void SetDisplayLabel(const AnsiString& label);
  AnsiString DisplayName() const { return DisplayLabel(); }
  int DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : DefaultDisplayWidth(); }
  void SetDisplayWidth(int width);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  bool Required() const { return required_; }
  void SetRequired(bool required);
  const AnsiString& EditMask() const { return editMask_; }
  void SetEditMask(const AnsiString& mask);
  // True when a write could succeed now: not read-only, a stored field,
  // and the data set can be modified.
  bool CanModify() const;

  // --- values ---
  bool IsNull() const;
  Variant Value() const { return AsVariant(); }
  void SetValue(const Variant& value) { SetAsVariant(value); }
  Variant AsVariant() const;
  void SetAsVariant(const Variant& value);
  AnsiString AsString() const;
  void SetAsString(const AnsiString& text);
  int AsInteger() const;
  void SetAsInteger(int value);
  std::int64_t AsLargeInt() const;
  void SetAsLargeInt(std::int64_t value);
  double AsFloat() const;
  void SetAsFloat(double value);
  Currency AsCurrency() const;
  void SetAsCurrency(Currency value);
  bool AsBoolean() const;
  void SetAsBoolean(bool value);
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime value);
  void Clear() { SetAsVariant(Null()); }

  // The display text and the edit text.
  AnsiString DisplayText() const;
  AnsiString Text() const;
  void SetText(const AnsiString& text);

  // The value the current record had when it was read (its value before
  // the changes in the change log); null for a record inserted since.
  Variant OldValue() const;
  // The value being assigned while OnValidate runs, else the value.
  Variant NewValue() const { return AsVariant(); }

  // Asks the data set's links to focus the control of this field.
  void FocusControl();

  // In a form resource a field is written inside its data set.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;

  // --- events ---
  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

  // --- conversions (used by the data set; descendants override) ---
  // The stored form of a written value that is not null: converted to the
  // field's Variant kind and checked, raising the class library's errors.
  virtual Variant ConvertValue(const Variant& value) const;
  // The stored form of a text written through AsString ("" clears the
  // value of every field that does not hold text).
  virtual Variant ParseText(const AnsiString& text) const;
  // AsString of a stored value (never null).
  virtual AnsiString ValueToString(const Variant& stored) const;
  // Text (display false) or DisplayText (display true) of a stored value
  // that may be null; the formatting of the type.
  virtual AnsiString FormatText(const Variant& stored, bool display) const;

  // The metadata of a data field of this type and name (default fields,
  // CreateDataSet); descendants fill size and precision.
  virtual void DescribeTo(FieldMeta& meta) const;
  // Takes what the data set's metadata says about the column (default
  // fields take size and flags; persistent fields keep their own settings).
  virtual void TakeMeta(const FieldMeta& meta, bool isDefault);

 protected:
  TField(TComponent* owner, TFieldType type);
  void SetDataType(TFieldType type) { dataType_ = type; }
  virtual int DefaultDisplayWidth() const { return 10; }
  // The stored value the accessors see.
  const Variant& Stored() const;
  void Write(const Variant& value);
  [[noreturn]] void AccessError(const char* typeName) const;
  // Tells the data set's links that how the field shows changed.
  void NotifyLayoutChange();

  // Typed reads of a stored value that is not null; the defaults convert
  // through the Variant rules and raise "Cannot access field 'X' as type Y"
  // where the class library does.
  virtual int GetAsInteger(const Variant& stored) const;
  virtual std::int64_t GetAsLargeInt(const Variant& stored) const;
  virtual double GetAsFloat(const Variant& stored) const;
  virtual Currency GetAsCurrency(const Variant& stored) const;
  virtual bool GetAsBoolean(const Variant& stored) const;
  virtual TDateTime GetAsDateTime(const Variant& stored) const;

 private:
  friend class TDataSet;
  friend class TClientDataSet;

  TDataSet* dataSet_ = nullptr;
  AnsiString fieldName_;
  TFieldType dataType_ = ftUnknown;
  TFieldKind fieldKind_ = TFieldKind::fkData;
  int size_ = 0;
  AnsiString displayLabel_;
  int displayWidth_ = 0;
  bool visible_ = true;
  bool readOnly_ = false;
  bool required_ = false;
  AnsiString editMask_;
  bool isDefault_ = false;  // created by the data set from its metadata
  // Where the value lives: the column of the metadata (data fields), an
  // extra record slot (internally calculated) or a calculated slot.
  int slot_ = -1;
  // While OnValidate runs: the value being assigned.
  const Variant* validating_ = nullptr;
};

// A field of the class for the type (TStringField for ftString ...),
// owned by owner; nullptr for types no field class stands for.
TField* CreateFieldOfType(TFieldType type, TComponent* owner);

}  // namespace platform
