// TDateTimeField (ftDateTime), TDateField (ftDate: the day only) and
// TTimeField (ftTime: the time of day only), kept as TDateTime values.
//
// DisplayText uses DisplayFormat (FormatDateTime's patterns) when it is
// set; otherwise, like Text, the short date format for dates, the long
// time format for times and "c" for date-times. Texts: a date by
// TryStrToDate, a time as hours ":" minutes [":" seconds], a date-time as
// a date optionally followed by a blank and a time; "" clears; anything
// else raises "'x' is not a valid date" (time, date and time).
#pragma once

#include "platform/data/Field.h"

namespace platform {

class TDateTimeField : public TField {
  PLATFORM_CLASS(TDateTimeField)

 public:
  explicit TDateTimeField(TComponent* owner);

  const AnsiString& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const AnsiString& format);

  Variant ConvertValue(const Variant& value) const override;
  Variant ParseText(const AnsiString& text) const override;
  AnsiString ValueToString(const Variant& stored) const override;
  AnsiString FormatText(const Variant& stored, bool display) const override;

 protected:
  TDateTimeField(TComponent* owner, TFieldType type);
  int DefaultDisplayWidth() const override { return DataType() == ftDateTime ? 18 : 10; }
  double GetAsFloat(const Variant& stored) const override;
  TDateTime GetAsDateTime(const Variant& stored) const override;

 private:
  AnsiString displayFormat_;
};

class TDateField : public TDateTimeField {
  PLATFORM_CLASS(TDateField)

 public:
  explicit TDateField(TComponent* owner);
};

class TTimeField : public TDateTimeField {
  PLATFORM_CLASS(TTimeField)

 public:
  explicit TTimeField(TComponent* owner);
};

}  // namespace platform
