// The data-aware controls: TDBEdit, TDBText, TDBCheckBox, TDBComboBox,
// TDBRadioGroup and TDBMemo.
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
//
// TDBComboBox selects the item that holds the field's Text. With MapList
// each item is "shown text<Tab>stored value": the box shows the part
// before the first tab (Text, DisplayItem) and the field holds the part
// after it (Value, StoredItem); an item without a tab is both. Without
// MapList the item is both. A value that no item holds leaves no
// selection; a csDropDown box then shows the value itself, a
// csDropDownList box nothing. A choice from the list (UserSelect, the
// arrow keys, a typed letter in csDropDownList style selecting the next
// item whose shown text starts with it) puts the data set into edit
// (AutoEdit) and writes the stored value through TField::SetText at once;
// OnSelect (else OnChange) runs afterwards, so it sees the new value. A
// value the field refuses leaves the box as it was and the exception goes
// on. Text typed into a csDropDown box is written like a TDBEdit's: when
// the box loses the focus and when the record is posted (a refused value
// keeps the text and the focus). Delete empties a csDropDownList box's
// field only with AllowClearKey. The box refuses input when ReadOnly is
// set, the field is missing or read-only, or the data set cannot be
// modified.
//
// TDBRadioGroup checks the button whose value equals the field's Text:
// Values holds the value of each button, and a button without a line in
// Values stands for its caption (Items). A value no button holds checks
// none. Checking a button (UserSelect) enters edit (AutoEdit) and writes
// its value at once; a refused value leaves the group as it was.
//
// TDBMemo shows the field's Text (the text of a memo field) as its lines;
// what the user types first puts the data set into edit (AutoEdit; without
// it the key is refused), and the text is written through TField::SetText
// when the memo loses the focus and when the record is posted, as for
// TDBEdit.
#pragma once

#include "platform/data/DataSource.h"
#include "platform/ui/ExtCtrls.h"
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
  bool EnterText(const AnsiString& text) override;
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

class TDBComboBox : public TComboBox {
  PLATFORM_CLASS(TDBComboBox)

 public:
  explicit TDBComboBox(TComponent* owner);
  ~TDBComboBox() override;

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* dataSource);
  const AnsiString& DataField() const { return link_.FieldName(); }
  void SetDataField(const AnsiString& name);
  TField* Field() const { return link_.Field(); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { ChangeProperty(readOnly_, v, "ReadOnly"); }
  bool MapList() const { return mapList_; }
  void SetMapList(bool v);
  bool AllowClearKey() const { return allowClearKey_; }
  void SetAllowClearKey(bool v) { ChangeProperty(allowClearKey_, v, "AllowClearKey"); }
  // Whether the box refuses input now (ReadOnly, or the field cannot be
  // written).
  bool Refuses() const { return readOnly_ || !link_.CanModify(); }
  // New items (translated ones, say) show the field's value again.
  void SetItems(const TStringList& items);

  // The shown and the stored part of item index ("" out of range).
  AnsiString DisplayItem(int index) const;
  AnsiString StoredItem(int index) const;
  // The shown text: the selected item's shown part, else what the edit
  // part holds (nothing in csDropDownList style).
  AnsiString Text() const;
  // Selects the item whose shown text is text (as TComboBox::SetText does
  // for whole items).
  void SetText(const AnsiString& text);
  // What the field takes: the selected item's stored part, else the text
  // of the edit part.
  AnsiString Value() const;

  // The user's choice and typing; false when refused or dropped.
  bool UserSelect(int index);
  bool UserEnterText(const AnsiString& text) override;
  // Up and Down choose the neighbouring item; Delete clears (AllowClearKey).
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoExit() override;

 private:
  void DataChange();
  void UpdateData();
  int IndexOfDisplay(const AnsiString& text) const;
  int IndexOfStored(const AnsiString& value) const;
  // Shows item index (or, for -1, text in the edit part).
  void Show(int index, const AnsiString& text);
  // Writes value through the field at once, entering edit first; false
  // when refused.
  bool Choose(const AnsiString& value);

  TFieldDataLink link_;
  bool readOnly_ = false;
  bool mapList_ = false;
  bool allowClearKey_ = false;
  char pendingLead_ = 0;
};

class TDBRadioGroup : public TRadioGroup {
  PLATFORM_CLASS(TDBRadioGroup)

 public:
  explicit TDBRadioGroup(TComponent* owner);
  ~TDBRadioGroup() override;

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* dataSource);
  const AnsiString& DataField() const { return link_.FieldName(); }
  void SetDataField(const AnsiString& name);
  TField* Field() const { return link_.Field(); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { ChangeProperty(readOnly_, v, "ReadOnly"); }
  TStringList* Values() const { return values_.get(); }
  void SetValues(const TStringList& values);
  // New items show the field's value again.
  void SetItems(const TStringList& items);
  // The value button index stands for ("" out of range).
  AnsiString ValueOf(int index) const;
  // The value of the checked button; "" when none is.
  AnsiString Value() const { return ValueOf(ItemIndex()); }

  // The user checks button index: false when refused or dropped.
  bool UserSelect(int index);

 private:
  void DataChange();

  TFieldDataLink link_;
  std::unique_ptr<TStringList> values_ = std::make_unique<TStringList>();
  bool readOnly_ = false;
};

class TDBMemo : public TMemo {
  PLATFORM_CLASS(TDBMemo)

 public:
  explicit TDBMemo(TComponent* owner);
  ~TDBMemo() override;

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* dataSource);
  const AnsiString& DataField() const { return link_.FieldName(); }
  void SetDataField(const AnsiString& name);
  TField* Field() const { return link_.Field(); }
  // Whether the memo refuses input now: SetReadOnly asked for it, or the
  // field is missing or cannot be written.
  bool ReadOnly() const { return TMemo::ReadOnly(); }
  void SetReadOnly(bool readOnly);

  // The user replaces the text: the data set enters edit first. False
  // when refused.
  bool EnterText(const AnsiString& text) override;
  void KeyPress(char& key) override;
  void DoExit() override;

 private:
  void DataChange();
  void UpdateData();
  void ApplyReadOnly();

  TFieldDataLink link_;
  bool readOnly_ = false;
};

}  // namespace platform
