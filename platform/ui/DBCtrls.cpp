#include "platform/ui/DBCtrls.h"

#include "platform/ui/ClassBuilder.h"

namespace platform {

// --- TDBEdit ---

const TClassInfo& TDBEdit::StaticClass() {
  static const TClassInfo info = TClassBuilder<TDBEdit>("TDBEdit", TEdit::StaticClass())
                                     .String("DataField", &TDBEdit::DataField, &TDBEdit::SetDataField)
                                     .Reference("DataSource", &TDBEdit::DataSource, &TDBEdit::SetDataSource)
                                     .Boolean("ReadOnly", &TDBEdit::ReadOnly, &TDBEdit::SetReadOnly)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDBEdit);

TDBEdit::TDBEdit(TComponent* owner) : TEdit(owner) {
  link_.OnDataChange = [this] { DataChange(); };
  link_.OnActiveChange = [this] { ApplyReadOnly(); };
  link_.OnEditingChange = [this] { ApplyReadOnly(); };
  link_.OnUpdateData = [this] { UpdateData(); };
  link_.OnFocusControl = [this] {
    if (CanFocus()) SetFocus();
  };
  ApplyReadOnly();
}

TDBEdit::~TDBEdit() {
  link_.ClearCallbacks();
}

void TDBEdit::SetDataSource(TDataSource* dataSource) {
  if (dataSource == link_.DataSource()) return;
  link_.SetDataSource(dataSource);
  MarkChanged("DataSource");
}

void TDBEdit::SetDataField(const AnsiString& name) {
  if (name == link_.FieldName()) return;
  link_.SetFieldName(name);
  MarkChanged("DataField");
  ApplyReadOnly();
}

void TDBEdit::SetReadOnly(bool readOnly) {
  if (readOnly_ == readOnly) return;
  readOnly_ = readOnly;
  ApplyReadOnly();
}

void TDBEdit::ApplyReadOnly() { TEdit::SetReadOnly(readOnly_ || !link_.CanModify()); }

void TDBEdit::DataChange() {
  TField* field = link_.Field();
  AnsiString text;
  if (field) text = focused_ && link_.Editing() ? field->Text() : field->DisplayText();
  TEdit::SetText(text);
  ApplyReadOnly();
}

void TDBEdit::UpdateData() {
  if (TField* field = link_.Field()) field->SetText(Text());
}

void TDBEdit::NoteChange(const AnsiString& before) {
  if (Text() != before) link_.Modified();
}

bool TDBEdit::EnterText(const AnsiString& text) {
  if (TEdit::ReadOnly() || !link_.Edit()) return false;
  const AnsiString before = Text();
  const bool taken = TEdit::EnterText(text);
  NoteChange(before);
  return taken;
}

void TDBEdit::KeyPress(char& key) {
  const auto byte = static_cast<unsigned char>(key);
  const bool changesText = key == '\b' || byte >= 0x20;
  if (changesText && !TEdit::ReadOnly() && !link_.Edit()) {
    // Without AutoEdit a browsing record takes no typing.
    key = 0;
    return;
  }
  const AnsiString before = Text();
  TEdit::KeyPress(key);
  NoteChange(before);
}

void TDBEdit::SetFocused(bool focused) {
  if (focused_ == focused) return;
  focused_ = focused;
  link_.Reset();
}

void TDBEdit::DoEnter() {
  SetFocused(true);
  TEdit::DoEnter();
}

void TDBEdit::DoExit() {
  try {
    link_.UpdateRecord();
  } catch (...) {
    // The value was refused: the text stays, and so does the focus.
    if (CanFocus() && !Focused()) SetFocus();
    throw;
  }
  SetFocused(false);
  TEdit::DoExit();
}

// --- TDBText ---

const TClassInfo& TDBText::StaticClass() {
  static const TClassInfo info = TClassBuilder<TDBText>("TDBText", TLabel::StaticClass())
                                     .String("DataField", &TDBText::DataField, &TDBText::SetDataField)
                                     .Reference("DataSource", &TDBText::DataSource, &TDBText::SetDataSource)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDBText);

TDBText::TDBText(TComponent* owner) : TLabel(owner) {
  SetCaption("");
  link_.OnDataChange = [this] { DataChange(); };
}

TDBText::~TDBText() { link_.ClearCallbacks(); }

void TDBText::SetDataSource(TDataSource* dataSource) {
  if (dataSource == link_.DataSource()) return;
  link_.SetDataSource(dataSource);
  MarkChanged("DataSource");
}

void TDBText::SetDataField(const AnsiString& name) {
  if (name == link_.FieldName()) return;
  link_.SetFieldName(name);
  MarkChanged("DataField");
}

void TDBText::DataChange() {
  TField* field = link_.Field();
  SetCaption(field ? field->DisplayText() : AnsiString());
}

// --- TDBCheckBox ---

const TClassInfo& TDBCheckBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TDBCheckBox>("TDBCheckBox", TCheckBox::StaticClass())
          .String("DataField", &TDBCheckBox::DataField, &TDBCheckBox::SetDataField)
          .Reference("DataSource", &TDBCheckBox::DataSource, &TDBCheckBox::SetDataSource)
          .String("ValueChecked", &TDBCheckBox::ValueChecked, &TDBCheckBox::SetValueChecked)
          .String("ValueUnchecked", &TDBCheckBox::ValueUnchecked, &TDBCheckBox::SetValueUnchecked)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDBCheckBox);

TDBCheckBox::TDBCheckBox(TComponent* owner) : TCheckBox(owner) {
  link_.OnDataChange = [this] { DataChange(); };
}

TDBCheckBox::~TDBCheckBox() { link_.ClearCallbacks(); }

void TDBCheckBox::SetDataSource(TDataSource* dataSource) {
  if (dataSource == link_.DataSource()) return;
  link_.SetDataSource(dataSource);
  MarkChanged("DataSource");
}

void TDBCheckBox::SetDataField(const AnsiString& name) {
  if (name == link_.FieldName()) return;
  link_.SetFieldName(name);
  MarkChanged("DataField");
}

void TDBCheckBox::SetValueChecked(const AnsiString& v) {
  if (!ChangeProperty(valueChecked_, v, "ValueChecked")) return;
  DataChange();
}

void TDBCheckBox::SetValueUnchecked(const AnsiString& v) {
  if (!ChangeProperty(valueUnchecked_, v, "ValueUnchecked")) return;
  DataChange();
}

void TDBCheckBox::DataChange() {
  if (drawing_) return;
  TField* field = link_.Field();
  TCheckBoxState state = cbUnchecked;
  if (field) {
    const AnsiString text = field->Text();
    if (field->IsNull()) state = cbGrayed;
    else if (SameText(text, valueChecked_)) state = cbChecked;
    else if (SameText(text, valueUnchecked_)) state = cbUnchecked;
    else state = cbGrayed;
  }
  drawing_ = true;
  SetState(state);
  drawing_ = false;
}

void TDBCheckBox::Click() {
  TField* field = link_.Field();
  if (!field || !link_.Edit()) return;
  const bool check = State() != cbChecked;
  field->SetText(check ? valueChecked_ : valueUnchecked_);
}

}  // namespace platform
