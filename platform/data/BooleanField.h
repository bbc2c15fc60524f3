// TBooleanField: true or false, shown by DisplayValues ("True;False" by
// default: the text for true, ";", the text for false). A text is read as
// true when the true text begins with it (ASCII case ignored), as false
// likewise; "" clears; anything else raises "'x' is not a valid boolean
// value for field 'X'".
#pragma once

#include "platform/data/Field.h"

namespace platform {

class TBooleanField : public TField {
  PLATFORM_CLASS(TBooleanField)

 public:
  explicit TBooleanField(TComponent* owner);

  const AnsiString& DisplayValues() const { return displayValues_; }
  void SetDisplayValues(const AnsiString& values);

  Variant ConvertValue(const Variant& value) const override;
  Variant ParseText(const AnsiString& text) const override;
  AnsiString ValueToString(const Variant& stored) const override;

 protected:
  int DefaultDisplayWidth() const override { return 5; }
  int GetAsInteger(const Variant& stored) const override;
  double GetAsFloat(const Variant& stored) const override;

 private:
  AnsiString displayValues_ = "True;False";
  AnsiString trueText_ = "True";
  AnsiString falseText_ = "False";
};

}  // namespace platform
