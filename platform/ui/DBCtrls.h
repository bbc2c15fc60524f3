// The data-aware controls: TDBEdit, TDBText and TDBCheckBox.
//
// Each holds a field link (DataSource.h) to the field DataField of the
// data set of its DataSource, and redraws when the data set opens,
// closes, scrolls, or the record or the field changes; without a field it
// shows nothing.
//
// TDBEdit shows the field's DisplayText, and its Text while it has the
// focus and the record is edited. What the user types first puts the data
// set into edit (when the data source's AutoEdit allows it; otherwise the
// key is refused). The text reaches the field through TField::SetText, so
// OnSetText, the edit mask and OnValidate run, when the edit loses the
// focus and when the record is posted. A value the field refuses (an
// exception, EAbort included) keeps the text and the focus, and the
// exception goes on to the caller. The edit is read-only when its
// ReadOnly is set, the field is read-only or the data set cannot be
// modified.
//
// TDBText is a label showing the field's DisplayText.
//
// TDBCheckBox is checked when the field's text equals ValueChecked
// (ASCII case ignored; "True" by default) and unchecked when it equals
// ValueUnchecked ("False"); any other value, and null, show grayed.
// Toggling the box puts the data set into edit (AutoEdit) and writes
// ValueChecked or ValueUnchecked through TField::SetText at once.
#pragma once

#include "platform/data/DataSource.h"
#include "platform/ui/StdCtrls.h"

namespace platform {

class TDBEdit : public TEdit {
  PLATFORM_CLASS(TDBEdit)

 public:
  explicit TDBEdit(TComponent* owner);
  ~TDBEdit() override;

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* dataSource);
  const AnsiString& DataField() const { return link_.FieldName(); }
  void SetDataField(const AnsiString& name);
  TField* Field() const { return link_.Field(); }
  // Whether the edit refuses input now: SetReadOnly asked for it, or the
  // field is missing or cannot be written.
  bool ReadOnly() const { return TEdit::ReadOnly(); }
  void SetReadOnly(bool readOnly);

  // The user replaces the text: the data set enters edit first. False
  // when refused.
  bool EnterText(const AnsiString& text);
  void KeyPress(char& key) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  void DataChange();
  void UpdateData();
  void ApplyReadOnly();
  void SetFocused(bool focused);
  // Takes the typed change: the edit marked as modified when its text
  // differs from the text before.
  void NoteChange(const AnsiString& before);

  TFieldDataLink link_;
  bool readOnly_ = false;
  bool focused_ = false;
};

class TDBText : public TLabel {
  PLATFORM_CLASS(TDBText)

 public:
  explicit TDBText(TComponent* owner);
  ~TDBText() override;

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* dataSource);
  const AnsiString& DataField() const { return link_.FieldName(); }
  void SetDataField(const AnsiString& name);
  TField* Field() const { return link_.Field(); }

 private:
  void DataChange();

  TFieldDataLink link_;
};

class TDBCheckBox : public TCheckBox {
  PLATFORM_CLASS(TDBCheckBox)

 public:
  explicit TDBCheckBox(TComponent* owner);
  ~TDBCheckBox() override;

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* dataSource);
  const AnsiString& DataField() const { return link_.FieldName(); }
  void SetDataField(const AnsiString& name);
  TField* Field() const { return link_.Field(); }
  const AnsiString& ValueChecked() const { return valueChecked_; }
  void SetValueChecked(const AnsiString& v);
  const AnsiString& ValueUnchecked() const { return valueUnchecked_; }
  void SetValueUnchecked(const AnsiString& v);

  // Toggles the box when the field can be written (entering edit first).
  void Click() override;

 private:
  void DataChange();

  TFieldDataLink link_;
  AnsiString valueChecked_ = "True";
  AnsiString valueUnchecked_ = "False";
  bool drawing_ = false;
};

}  // namespace platform
