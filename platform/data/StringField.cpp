#include "platform/data/StringField.h"

#include "platform/DateTime.h"
#include "platform/FloatFormat.h"
#include "platform/data/DataPacket.h"
#include "platform/data/DatabaseError.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TStringField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TStringField>("TStringField", TField::StaticClass())
                                     .Boolean("FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar)
                                     .Default(false)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TStringField);

TStringField::TStringField(TComponent* owner) : TField(owner, ftString) { SetSize(20); }

void TStringField::SetFixedChar(bool fixed) {
  if (fixed == FixedChar()) return;
  SetDataType(fixed ? ftFixedChar : ftString);
  MarkChanged("FixedChar");
}

Variant TStringField::ConvertValue(const Variant& value) const {
  AnsiString text;
  try {
    text = value.AsString();
  } catch (const EVariantTypeCastError&) {
    AccessError("String");
  }
  // Cut to the size in bytes, never inside a double-byte character.
  if (Size() > 0 && text.Length() > static_cast<std::size_t>(Size())) text = text.Truncated(static_cast<std::size_t>(Size()));
  return Variant(text);
}

Variant TStringField::ParseText(const AnsiString& text) const { return ConvertValue(Variant(text)); }

AnsiString TStringField::ValueToString(const Variant& stored) const {
  AnsiString text = stored.AsString();
  return FixedChar() ? TrimRight(text) : text;
}

void TStringField::DescribeTo(FieldMeta& meta) const {
  TField::DescribeTo(meta);
  meta.size = Size();
  if (FixedChar()) meta.flags |= mfFixed;
}

void TStringField::TakeMeta(const FieldMeta& meta, bool isDefault) {
  TField::TakeMeta(meta, isDefault);
  if (isDefault && meta.size > 0) SetSize(meta.size);
}

int TStringField::GetAsInteger(const Variant& stored) const { return StrToInt(ValueToString(stored)); }

std::int64_t TStringField::GetAsLargeInt(const Variant& stored) const {
  std::int64_t v = 0;
  AnsiString text = ValueToString(stored);
  if (!TryStrToInt64(text, v)) throw EConvertError("'" + text + "' is not a valid integer value");
  return v;
}

double TStringField::GetAsFloat(const Variant& stored) const { return StrToFloat(ValueToString(stored)); }

Currency TStringField::GetAsCurrency(const Variant& stored) const {
  Currency c;
  AnsiString text = ValueToString(stored);
  if (!TryStrToCurr(Trim(text), c)) throw EConvertError("'" + text + "' is not a valid floating point value");
  return c;
}

bool TStringField::GetAsBoolean(const Variant& stored) const {
  AnsiString text = ValueToString(stored);
  if (text.IsEmpty()) return false;
  char c = text[1];
  return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

TDateTime TStringField::GetAsDateTime(const Variant& stored) const {
  AnsiString text = ValueToString(stored);
  TDateTime d = 0;
  if (!TryStrToDate(Trim(text), d)) throw EConvertError("'" + text + "' is not a valid date");
  return d;
}

}  // namespace platform
