// TDBMemo: a memo that shows and writes one field (DBCtrls.h).
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/DBCtrls.h"

namespace platform {

const TClassInfo& TDBMemo::StaticClass() {
  static const TClassInfo info = TClassBuilder<TDBMemo>("TDBMemo", TMemo::StaticClass())
                                     .String("DataField", &TDBMemo::DataField, &TDBMemo::SetDataField)
                                     .Reference("DataSource", &TDBMemo::DataSource, &TDBMemo::SetDataSource)
                                     .Boolean("ReadOnly", &TDBMemo::ReadOnly, &TDBMemo::SetReadOnly)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDBMemo);

TDBMemo::TDBMemo(TComponent* owner) : TMemo(owner) {
  link_.OnDataChange = [this] { DataChange(); };
  link_.OnActiveChange = [this] { ApplyReadOnly(); };
  link_.OnEditingChange = [this] { ApplyReadOnly(); };
  link_.OnUpdateData = [this] { UpdateData(); };
  link_.OnFocusControl = [this] {
    if (CanFocus()) SetFocus();
  };
  ApplyReadOnly();
}

TDBMemo::~TDBMemo() {
  link_.ClearCallbacks();
}

void TDBMemo::SetDataSource(TDataSource* dataSource) {
  if (dataSource == link_.DataSource()) return;
  link_.SetDataSource(dataSource);
  MarkChanged("DataSource");
}

void TDBMemo::SetDataField(const AnsiString& name) {
  if (name == link_.FieldName()) return;
  link_.SetFieldName(name);
  MarkChanged("DataField");
  ApplyReadOnly();
}

void TDBMemo::SetReadOnly(bool readOnly) {
  if (readOnly_ == readOnly) return;
  readOnly_ = readOnly;
  ApplyReadOnly();
}

void TDBMemo::ApplyReadOnly() { TMemo::SetReadOnly(readOnly_ || !link_.CanModify()); }

void TDBMemo::DataChange() {
  TField* field = link_.Field();
  // A memo shows the edit text: a memo field's display text is only
  // "(MEMO)".
  SetText(field && !field->IsNull() ? field->Text() : AnsiString());
  ApplyReadOnly();
}

void TDBMemo::UpdateData() {
  if (TField* field = link_.Field()) field->SetText(Text());
}

bool TDBMemo::EnterText(const AnsiString& text) {
  if (TMemo::ReadOnly() || !link_.Edit()) return false;
  const AnsiString before = Text();
  const bool taken = TMemo::EnterText(text);
  if (Text() != before) link_.Modified();
  return taken;
}

void TDBMemo::KeyPress(char& key) {
  const auto byte = static_cast<unsigned char>(key);
  const bool changesText = key == '\b' || byte >= 0x20 || (key == '\r' && WantReturns()) ||
                           (key == '\t' && WantTabs());
  if (changesText && !TMemo::ReadOnly() && !link_.Edit()) {
    // Without AutoEdit a browsing record takes no typing.
    key = 0;
    return;
  }
  const AnsiString before = Text();
  TMemo::KeyPress(key);
  if (Text() != before) link_.Modified();
}

void TDBMemo::DoExit() {
  try {
    link_.UpdateRecord();
  } catch (...) {
    // The value was refused: the text stays, and so does the focus.
    if (CanFocus() && !Focused()) SetFocus();
    throw;
  }
  TMemo::DoExit();
}

}  // namespace platform
