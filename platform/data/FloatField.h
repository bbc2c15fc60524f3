// TFloatField (ftFloat), TCurrencyField (ftCurrency: a float shown as
// money) and TBCDField (ftBCD: an exact decimal kept as Currency, four
// decimals at most).
//
// Without a format a float shows its shortest text of Precision (15)
// significant digits; a currency field (Currency true) shows two decimals
// with thousands separators as display text and two decimals as edit text.
// Texts are read by StrToFloat's rules (BCD: TryStrToCurr); "" clears.
#pragma once

#include "platform/data/NumericField.h"

namespace platform {

class TFloatField : public TNumericField {
  PLATFORM_CLASS(TFloatField)

 public:
  explicit TFloatField(TComponent* owner);

  bool IsCurrency() const { return currency_; }
  void SetCurrency(bool on);
  int Precision() const { return precision_; }
  void SetPrecision(int digits);
  double MinValue() const { return minValue_; }
  void SetMinValue(double value) { minValue_ = value; }
  double MaxValue() const { return maxValue_; }
  void SetMaxValue(double value) { maxValue_ = value; }

  Variant ConvertValue(const Variant& value) const override;
  Variant ParseText(const AnsiString& text) const override;
  AnsiString ValueToString(const Variant& stored) const override;
  AnsiString FormatText(const Variant& stored, bool display) const override;
  void DescribeTo(FieldMeta& meta) const override;
  void TakeMeta(const FieldMeta& meta, bool isDefault) override;

 protected:
  TFloatField(TComponent* owner, TFieldType type);
  int GetAsInteger(const Variant& stored) const override;

 private:
  bool currency_ = false;
  int precision_ = 15;
  double minValue_ = 0;
  double maxValue_ = 0;
};

class TCurrencyField : public TFloatField {
  PLATFORM_CLASS(TCurrencyField)

 public:
  explicit TCurrencyField(TComponent* owner);
};

class TBCDField : public TNumericField {
  PLATFORM_CLASS(TBCDField)

 public:
  explicit TBCDField(TComponent* owner);

  bool IsCurrency() const { return currency_; }
  void SetCurrency(bool on);
  int Precision() const { return precision_; }
  void SetPrecision(int digits);

  Variant ConvertValue(const Variant& value) const override;
  Variant ParseText(const AnsiString& text) const override;
  AnsiString ValueToString(const Variant& stored) const override;
  AnsiString FormatText(const Variant& stored, bool display) const override;
  void DescribeTo(FieldMeta& meta) const override;
  void TakeMeta(const FieldMeta& meta, bool isDefault) override;

 protected:
  int GetAsInteger(const Variant& stored) const override;

 private:
  bool currency_ = false;
  int precision_ = 0;
};

}  // namespace platform
