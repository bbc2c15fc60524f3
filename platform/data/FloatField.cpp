#include "platform/data/FloatField.h"

#include <cmath>

#include "platform/FloatFormat.h"
#include "platform/data/DataPacket.h"
#include "platform/data/DataSet.h"
#include "platform/data/DatabaseError.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TFloatField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TFloatField>("TFloatField", TNumericField::StaticClass())
                                     .Boolean("Currency", &TFloatField::IsCurrency, &TFloatField::SetCurrency)
                                     .Default(false)
                                     .Integer("Precision", &TFloatField::Precision, &TFloatField::SetPrecision)
                                     .Default(15)
                                     .Float("MinValue", &TFloatField::MinValue, &TFloatField::SetMinValue)
                                     .Float("MaxValue", &TFloatField::MaxValue, &TFloatField::SetMaxValue)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TFloatField);

TFloatField::TFloatField(TComponent* owner) : TNumericField(owner, ftFloat) {}
TFloatField::TFloatField(TComponent* owner, TFieldType type) : TNumericField(owner, type) {}

void TFloatField::SetCurrency(bool on) {
  if (ChangeProperty(currency_, on, "Currency")) NotifyLayoutChange();
}

void TFloatField::SetPrecision(int digits) {
  if (digits < 2) digits = 2;
  if (digits > 15) digits = 15;
  ChangeProperty(precision_, digits, "Precision");
}

Variant TFloatField::ConvertValue(const Variant& value) const {
  if (VarIsStr(value)) return ParseText(value.AsString());
  double v = 0;
  try {
    v = value.AsDouble();
  } catch (const EVariantTypeCastError&) {
    AccessError("Float");
  }
  if ((minValue_ != 0 || maxValue_ != 0) && (v < minValue_ || v > maxValue_))
    DatabaseError(FloatToStr(v) + " is not a valid value for field '" + DisplayName() + "'. The allowed range is " +
                  FloatToStr(minValue_) + " to " + FloatToStr(maxValue_));
  return Variant(v);
}

Variant TFloatField::ParseText(const AnsiString& text) const {
  if (Trim(text).IsEmpty()) return Null();
  double v = 0;
  if (!TryStrToFloat(text, v))
    DatabaseError("'" + text + "' is not a valid floating point value for field '" + DisplayName() + "'");
  return ConvertValue(Variant(v));
}

AnsiString TFloatField::ValueToString(const Variant& stored) const { return FloatToStr(stored.AsDouble()); }

AnsiString TFloatField::FormatText(const Variant& stored, bool display) const {
  if (VarIsEmptyOrNull(stored)) return AnsiString();
  double v = stored.AsDouble();
  const AnsiString& format = FormatFor(display);
  if (!format.IsEmpty()) return FormatFloat(format, v);
  if (currency_) return FormatFloatPlaceholder(display ? 'm' : 'f', v, 2);
  if (precision_ >= 15) return FloatToStr(v);
  return FormatFloatPlaceholder('g', v, precision_);
}

int TFloatField::GetAsInteger(const Variant& stored) const {
  // Ties to even, as the Variant conversions round.
  double v = std::nearbyint(stored.AsDouble());
  if (!(v >= -2147483648.0 && v <= 2147483647.0))
    DatabaseError(FloatToStr(stored.AsDouble()) + " is not a valid integer value for field '" + DisplayName() + "'");
  return static_cast<int>(v);
}

void TFloatField::DescribeTo(FieldMeta& meta) const {
  TField::DescribeTo(meta);
  meta.precision = precision_ == 15 ? 0 : precision_;
}

void TFloatField::TakeMeta(const FieldMeta& meta, bool isDefault) {
  TField::TakeMeta(meta, isDefault);
  if (isDefault && meta.precision > 0) SetPrecision(meta.precision);
}

const TClassInfo& TCurrencyField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCurrencyField>("TCurrencyField", TFloatField::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TCurrencyField);

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner, ftCurrency) { SetCurrency(true); }

const TClassInfo& TBCDField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TBCDField>("TBCDField", TNumericField::StaticClass())
                                     .Boolean("Currency", &TBCDField::IsCurrency, &TBCDField::SetCurrency)
                                     .Default(false)
                                     .Integer("Precision", &TBCDField::Precision, &TBCDField::SetPrecision)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TBCDField);

TBCDField::TBCDField(TComponent* owner) : TNumericField(owner, ftBCD) { SetSize(4); }

void TBCDField::SetCurrency(bool on) {
  if (ChangeProperty(currency_, on, "Currency")) NotifyLayoutChange();
}

void TBCDField::SetPrecision(int digits) { ChangeProperty(precision_, digits < 0 ? 0 : digits, "Precision"); }

Variant TBCDField::ConvertValue(const Variant& value) const {
  if (VarIsStr(value)) return ParseText(value.AsString());
  Currency c;
  try {
    c = value.AsCurrency();
  } catch (const EVariantTypeCastError&) {
    AccessError("BCD");
  } catch (const EVariantOverflowError&) {
    DatabaseError(VarToStr(value) + " is not a valid value for field '" + DisplayName() + "'");
  }
  // Keep the declared number of decimals (at most four).
  int decimals = Size() > 0 && Size() < 4 ? Size() : 4;
  if (decimals < 4) {
    std::int64_t unit = 1;
    for (int i = decimals; i < 4; ++i) unit *= 10;
    std::int64_t q = c.scaled / unit, r = c.scaled % unit;
    if (2 * (r < 0 ? -r : r) >= unit) q += c.scaled < 0 ? -1 : 1;
    c.scaled = q * unit;
  }
  return Variant(c);
}

Variant TBCDField::ParseText(const AnsiString& text) const {
  if (Trim(text).IsEmpty()) return Null();
  Currency c;
  if (!TryStrToCurr(Trim(text), c))
    DatabaseError("'" + text + "' is not a valid floating point value for field '" + DisplayName() + "'");
  return ConvertValue(Variant(c));
}

AnsiString TBCDField::ValueToString(const Variant& stored) const { return CurrToStr(stored.AsCurrency()); }

AnsiString TBCDField::FormatText(const Variant& stored, bool display) const {
  if (VarIsEmptyOrNull(stored)) return AnsiString();
  Currency c = stored.AsCurrency();
  const AnsiString& format = FormatFor(display);
  if (!format.IsEmpty()) return FormatFloat(format, c.ToDouble());
  if (currency_) return FormatFloatPlaceholder(display ? 'm' : 'f', c, 2);
  return CurrToStr(c);
}

int TBCDField::GetAsInteger(const Variant& stored) const {
  Currency c = stored.AsCurrency();
  // Ties to even, as the Variant conversions round.
  std::int64_t q = c.scaled / 10000, r = c.scaled % 10000;
  std::int64_t twice = 2 * (r < 0 ? -r : r);
  if (twice > 10000 || (twice == 10000 && q % 2 != 0)) q += c.scaled < 0 ? -1 : 1;
  if (q < -2147483648LL || q > 2147483647LL)
    DatabaseError(CurrToStr(c) + " is not a valid integer value for field '" + DisplayName() + "'");
  return static_cast<int>(q);
}

void TBCDField::DescribeTo(FieldMeta& meta) const {
  TField::DescribeTo(meta);
  meta.size = Size();
  meta.precision = precision_;
}

void TBCDField::TakeMeta(const FieldMeta& meta, bool isDefault) {
  TField::TakeMeta(meta, isDefault);
  if (isDefault) {
    SetSize(meta.size);
    SetPrecision(meta.precision);
  }
}

}  // namespace platform
