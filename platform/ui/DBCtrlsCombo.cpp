// TDBComboBox: a combo box that shows and writes one field (DBCtrls.h).
#include "platform/CodePage.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/DBCtrls.h"

namespace platform {

const TClassInfo& TDBComboBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TDBComboBox>("TDBComboBox", TComboBox::StaticClass())
          .String("DataField", &TDBComboBox::DataField, &TDBComboBox::SetDataField)
          .Reference("DataSource", &TDBComboBox::DataSource, &TDBComboBox::SetDataSource)
          .Boolean("ReadOnly", &TDBComboBox::ReadOnly, &TDBComboBox::SetReadOnly).Default(false)
          .Boolean("MapList", &TDBComboBox::MapList, &TDBComboBox::SetMapList).Default(false)
          .Boolean("AllowClearKey", &TDBComboBox::AllowClearKey, &TDBComboBox::SetAllowClearKey).Default(false)
          .Strings("Items", &TDBComboBox::Items, &TDBComboBox::SetItems)
          .String("Text", &TDBComboBox::Text, &TDBComboBox::SetText)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDBComboBox);

TDBComboBox::TDBComboBox(TComponent* owner) : TComboBox(owner) {
  link_.OnDataChange = [this] { DataChange(); };
  link_.OnUpdateData = [this] { UpdateData(); };
  link_.OnFocusControl = [this] {
    if (CanFocus()) SetFocus();
  };
}

TDBComboBox::~TDBComboBox() {
  link_.ClearCallbacks();
}

void TDBComboBox::SetDataSource(TDataSource* dataSource) {
  if (dataSource == link_.DataSource()) return;
  link_.SetDataSource(dataSource);
  MarkChanged("DataSource");
}

void TDBComboBox::SetDataField(const AnsiString& name) {
  if (name == link_.FieldName()) return;
  link_.SetFieldName(name);
  MarkChanged("DataField");
}

void TDBComboBox::SetItems(const TStringList& items) {
  TComboBox::SetItems(items);
  link_.Reset();
}

void TDBComboBox::SetMapList(bool v) {
  if (!ChangeProperty(mapList_, v, "MapList")) return;
  link_.Reset();
}

namespace {

// The position of the first tab of an item; 0 when it has none.
std::size_t TabAt(const AnsiString& item) { return item.Pos("\t"); }

}  // namespace

AnsiString TDBComboBox::DisplayItem(int index) const {
  if (index < 0 || index >= Items()->Count()) return AnsiString();
  const AnsiString& item = (*Items())[index];
  const std::size_t tab = mapList_ ? TabAt(item) : 0;
  return tab ? item.SubString(1, tab - 1) : item;
}

AnsiString TDBComboBox::StoredItem(int index) const {
  if (index < 0 || index >= Items()->Count()) return AnsiString();
  const AnsiString& item = (*Items())[index];
  const std::size_t tab = mapList_ ? TabAt(item) : 0;
  return tab ? item.SubString(tab + 1, item.Length() - tab) : item;
}

int TDBComboBox::IndexOfDisplay(const AnsiString& text) const {
  for (int i = 0; i < Items()->Count(); ++i)
    if (DisplayItem(i) == text) return i;
  return -1;
}

int TDBComboBox::IndexOfStored(const AnsiString& value) const {
  for (int i = 0; i < Items()->Count(); ++i)
    if (StoredItem(i) == value) return i;
  return -1;
}

AnsiString TDBComboBox::Text() const {
  const int index = ItemIndex();
  if (index >= 0) return DisplayItem(index);
  return Style() == csDropDownList ? AnsiString() : TControl::Text();
}

void TDBComboBox::Show(int index, const AnsiString& text) {
  const AnsiString before = Text();
  TComboBox::SetItemIndex(index);
  // The edit part shows the shown part of a mapped item, or the text no
  // item holds.
  if (Style() != csDropDownList) TControl::SetText(index >= 0 ? DisplayItem(index) : text);
  if (Text() != before) MarkChanged("Text");
}

void TDBComboBox::SetText(const AnsiString& text) {
  const int index = IndexOfDisplay(text);
  Show(index, index >= 0 || Style() == csDropDownList ? AnsiString() : text);
}

AnsiString TDBComboBox::Value() const {
  const int index = ItemIndex();
  return index >= 0 ? StoredItem(index) : Text();
}

void TDBComboBox::DataChange() {
  TField* field = link_.Field();
  if (!field) {
    Show(-1, AnsiString());
    return;
  }
  const AnsiString value = field->IsNull() ? AnsiString() : field->Text();
  Show(IndexOfStored(value), value);
}

void TDBComboBox::UpdateData() {
  if (TField* field = link_.Field()) field->SetText(Value());
}

bool TDBComboBox::Choose(const AnsiString& value) {
  if (Refuses() || !link_.Edit()) return false;
  // Written at once: the field's change redraws the box, and a refusal
  // leaves both as they were.
  link_.Field()->SetText(value);
  link_.Reset();
  return true;
}

bool TDBComboBox::UserSelect(int index) {
  if (!Showing() || !EnabledChain()) return false;
  if (index < 0 || index >= Items()->Count()) return false;
  if (!Choose(StoredItem(index))) return false;
  if (OnSelect) OnSelect(this);
  else OnChange(this);
  return true;
}

bool TDBComboBox::UserEnterText(const AnsiString& text) {
  if (!Showing() || !EnabledChain() || Style() == csDropDownList) return false;
  if (Refuses() || !link_.Edit()) return false;
  if (text == Text()) return true;
  SetText(text);
  link_.Modified();
  OnChange(this);
  return true;
}

void TDBComboBox::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_UP || key == VK_DOWN) {
    TWinControl::KeyDown(key, shift);
    if (key == 0) return;
    const int next = ItemIndex() + (key == VK_UP ? -1 : 1);
    key = 0;
    if (next >= 0 && next < Items()->Count()) UserSelect(next);
    return;
  }
  if (key == VK_DELETE && Style() == csDropDownList) {
    TWinControl::KeyDown(key, shift);
    if (key == 0) return;
    key = 0;
    if (allowClearKey_ && Choose(AnsiString())) OnChange(this);
    return;
  }
  TComboBox::KeyDown(key, shift);
}

void TDBComboBox::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (key == 0) return;
  const auto byte = static_cast<unsigned char>(key);
  if (Style() == csDropDownList) {
    if (byte <= 0x20 || byte >= 0x80) return;
    key = 0;
    // The next item after the selection whose shown text starts with the
    // letter (ASCII case ignored), wrapping around.
    const int count = Items()->Count();
    const AnsiString letter = UpperCase(AnsiString::FromBytes(std::string(1, static_cast<char>(byte))));
    for (int step = 1; step <= count; ++step) {
      const int i = ((ItemIndex() < 0 ? -1 : ItemIndex()) + step) % count;
      const AnsiString shown = DisplayItem(i);
      if (!shown.IsEmpty() && UpperCase(shown.SubString(1, 1)) == letter) {
        UserSelect(i);
        return;
      }
    }
    return;
  }
  const AnsiString text = Text();
  if (key == '\b') {
    key = 0;
    pendingLead_ = 0;
    if (!text.IsEmpty()) UserEnterText(text.Truncated(text.Length() - 1));
    return;
  }
  if (byte < 0x20) return;
  key = 0;
  if (pendingLead_) {
    std::string typed{pendingLead_, static_cast<char>(byte)};
    pendingLead_ = 0;
    UserEnterText(text + AnsiString::FromBytes(typed));
  } else if (IsLeadByte(ProcessCodePage(), byte)) {
    pendingLead_ = Refuses() ? 0 : static_cast<char>(byte);
  } else {
    UserEnterText(text + AnsiString::FromBytes(std::string(1, static_cast<char>(byte))));
  }
}

void TDBComboBox::DoExit() {
  try {
    link_.UpdateRecord();
  } catch (...) {
    // The value was refused: the text stays, and so does the focus.
    if (CanFocus() && !Focused()) SetFocus();
    throw;
  }
  TComboBox::DoExit();
}

}  // namespace platform
