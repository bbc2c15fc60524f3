// The numeric fields: TNumericField (display and edit formats) and the
// integer family (TIntegerField, TSmallintField, TWordField,
// TLargeintField, TAutoIncField).
//
// DisplayFormat shapes DisplayText and EditFormat shapes Text, with
// FormatFloat's pictures ("#,##0.00"); an empty EditFormat falls back to
// DisplayFormat, and without either integers are written in decimal. A
// value outside the type's range (or outside MinValue..MaxValue when both
// are not 0) raises "V is not a valid value for field 'X'. The allowed
// range is A to B". Texts are read by StrToInt's rules; "" clears.
#pragma once

#include <cstdint>

#include "platform/data/Field.h"

namespace platform {

class TNumericField : public TField {
  PLATFORM_CLASS(TNumericField)

 public:
  const AnsiString& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const AnsiString& format);
  const AnsiString& EditFormat() const { return editFormat_; }
  void SetEditFormat(const AnsiString& format);

 protected:
  TNumericField(TComponent* owner, TFieldType type) : TField(owner, type) {}
  // The format for Text or DisplayText (empty when none applies).
  const AnsiString& FormatFor(bool display) const {
    return display || editFormat_.IsEmpty() ? displayFormat_ : editFormat_;
  }

 private:
  AnsiString displayFormat_;
  AnsiString editFormat_;
};

class TIntegerField : public TNumericField {
  PLATFORM_CLASS(TIntegerField)

 public:
  explicit TIntegerField(TComponent* owner);

  std::int64_t MinValue() const { return minValue_; }
  void SetMinValue(std::int64_t value) { minValue_ = value; }
  std::int64_t MaxValue() const { return maxValue_; }
  void SetMaxValue(std::int64_t value) { maxValue_ = value; }

  Variant ConvertValue(const Variant& value) const override;
  Variant ParseText(const AnsiString& text) const override;
  AnsiString ValueToString(const Variant& stored) const override;
  AnsiString FormatText(const Variant& stored, bool display) const override;

 protected:
  TIntegerField(TComponent* owner, TFieldType type, std::int64_t low, std::int64_t high);
  int DefaultDisplayWidth() const override { return 11; }
  // The Variant of the type for an integer in range.
  virtual Variant Make(std::int64_t value) const;

 private:
  std::int64_t typeLow_;
  std::int64_t typeHigh_;
  std::int64_t minValue_ = 0;
  std::int64_t maxValue_ = 0;
};

class TSmallintField : public TIntegerField {
  PLATFORM_CLASS(TSmallintField)

 public:
  explicit TSmallintField(TComponent* owner);

 protected:
  int DefaultDisplayWidth() const override { return 6; }
  Variant Make(std::int64_t value) const override;
};

class TWordField : public TIntegerField {
  PLATFORM_CLASS(TWordField)

 public:
  explicit TWordField(TComponent* owner);

 protected:
  int DefaultDisplayWidth() const override { return 5; }
  Variant Make(std::int64_t value) const override;
};

// Counters the server assigns: an integer field that is read-only.
class TAutoIncField : public TIntegerField {
  PLATFORM_CLASS(TAutoIncField)

 public:
  explicit TAutoIncField(TComponent* owner);
};

class TLargeintField : public TIntegerField {
  PLATFORM_CLASS(TLargeintField)

 public:
  explicit TLargeintField(TComponent* owner);

 protected:
  int DefaultDisplayWidth() const override { return 15; }
  Variant Make(std::int64_t value) const override;
};

}  // namespace platform
