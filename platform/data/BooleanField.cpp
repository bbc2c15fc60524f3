#include "platform/data/BooleanField.h"

#include "platform/data/DataSet.h"
#include "platform/data/DatabaseError.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TBooleanField::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TBooleanField>("TBooleanField", TField::StaticClass())
          .String("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TBooleanField);

TBooleanField::TBooleanField(TComponent* owner) : TField(owner, ftBoolean) {}

void TBooleanField::SetDisplayValues(const AnsiString& values) {
  std::size_t semicolon = values.Pos(";");
  AnsiString t = semicolon ? values.SubString(1, semicolon - 1) : values;
  AnsiString f = semicolon ? values.Mid(semicolon + 1) : AnsiString();
  if (t.IsEmpty() && f.IsEmpty()) DatabaseError("'" + values + "' is not a valid boolean display value");
  displayValues_ = values;
  trueText_ = t;
  falseText_ = f;
  MarkChanged("DisplayValues");
  NotifyLayoutChange();
}

Variant TBooleanField::ConvertValue(const Variant& value) const {
  if (VarIsStr(value)) return ParseText(value.AsString());
  try {
    return Variant(value.AsBool());
  } catch (const EVariantTypeCastError&) {
    AccessError("Boolean");
  }
}

Variant TBooleanField::ParseText(const AnsiString& text) const {
  if (text.IsEmpty()) return Null();
  // A text the display text begins with (ASCII case ignored).
  auto begins = [&text](const AnsiString& word) { return !word.IsEmpty() && SameText(word.SubString(1, text.Length()), text); };
  if (begins(falseText_)) return Variant(false);
  if (begins(trueText_)) return Variant(true);
  DatabaseError("'" + text + "' is not a valid boolean value for field '" + DisplayName() + "'");
}

AnsiString TBooleanField::ValueToString(const Variant& stored) const { return stored.AsBool() ? trueText_ : falseText_; }

int TBooleanField::GetAsInteger(const Variant& stored) const { return stored.AsBool() ? 1 : 0; }
double TBooleanField::GetAsFloat(const Variant& stored) const { return stored.AsBool() ? 1 : 0; }

}  // namespace platform
