#include "platform/data/NumericField.h"

#include <limits>

#include "platform/FloatFormat.h"
#include "platform/data/DataSet.h"
#include "platform/data/DatabaseError.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TNumericField::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TNumericField>("TNumericField", TField::StaticClass())
          .String("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat)
          .String("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat)
          .Build();
  return info;
}

void TNumericField::SetDisplayFormat(const AnsiString& format) {
  if (ChangeProperty(displayFormat_, format, "DisplayFormat")) NotifyLayoutChange();
}

void TNumericField::SetEditFormat(const AnsiString& format) { ChangeProperty(editFormat_, format, "EditFormat"); }

const TClassInfo& TIntegerField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TIntegerField>("TIntegerField", TNumericField::StaticClass())
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TIntegerField);

TIntegerField::TIntegerField(TComponent* owner)
    : TIntegerField(owner, ftInteger, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()) {}

TIntegerField::TIntegerField(TComponent* owner, TFieldType type, std::int64_t low, std::int64_t high)
    : TNumericField(owner, type), typeLow_(low), typeHigh_(high) {}

Variant TIntegerField::Make(std::int64_t value) const { return Variant(static_cast<int>(value)); }

Variant TIntegerField::ConvertValue(const Variant& value) const {
  if (VarIsStr(value)) return ParseText(value.AsString());
  std::int64_t v = 0;
  try {
    v = value.AsInt64();
  } catch (const EVariantOverflowError&) {
    DatabaseError(VarToStr(value) + " is not a valid value for field '" + DisplayName() + "'. The allowed range is " +
                  IntToStr(typeLow_) + " to " + IntToStr(typeHigh_));
  }
  std::int64_t low = typeLow_, high = typeHigh_;
  if (minValue_ != 0 || maxValue_ != 0) {
    low = std::max(low, minValue_);
    high = std::min(high, maxValue_);
  }
  if (v < low || v > high)
    DatabaseError(IntToStr(v) + " is not a valid value for field '" + DisplayName() + "'. The allowed range is " +
                  IntToStr(low) + " to " + IntToStr(high));
  return Make(v);
}

Variant TIntegerField::ParseText(const AnsiString& text) const {
  AnsiString t = Trim(text);
  if (t.IsEmpty()) return Null();
  std::int64_t v = 0;
  if (!TryStrToInt64(t, v))
    DatabaseError("'" + text + "' is not a valid integer value for field '" + DisplayName() + "'");
  return ConvertValue(Variant(static_cast<long long>(v)));
}

AnsiString TIntegerField::ValueToString(const Variant& stored) const { return IntToStr(stored.AsInt64()); }

AnsiString TIntegerField::FormatText(const Variant& stored, bool display) const {
  if (VarIsEmptyOrNull(stored)) return AnsiString();
  const AnsiString& format = FormatFor(display);
  if (format.IsEmpty()) return ValueToString(stored);
  return FormatFloat(format, static_cast<double>(stored.AsInt64()));
}

const TClassInfo& TSmallintField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TSmallintField>("TSmallintField", TIntegerField::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TSmallintField);

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner, ftSmallint, -32768, 32767) {}
Variant TSmallintField::Make(std::int64_t value) const { return Variant(static_cast<short>(value)); }

const TClassInfo& TWordField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TWordField>("TWordField", TIntegerField::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TWordField);

TWordField::TWordField(TComponent* owner) : TIntegerField(owner, ftWord, 0, 65535) {}
Variant TWordField::Make(std::int64_t value) const { return Variant(static_cast<unsigned short>(value)); }

const TClassInfo& TAutoIncField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TAutoIncField>("TAutoIncField", TIntegerField::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TAutoIncField);

TAutoIncField::TAutoIncField(TComponent* owner)
    : TIntegerField(owner, ftAutoInc, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()) {
  SetReadOnly(true);
}

const TClassInfo& TLargeintField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TLargeintField>("TLargeintField", TIntegerField::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TLargeintField);

TLargeintField::TLargeintField(TComponent* owner)
    : TIntegerField(owner, ftLargeint, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()) {}
Variant TLargeintField::Make(std::int64_t value) const { return Variant(static_cast<long long>(value)); }

}  // namespace platform
