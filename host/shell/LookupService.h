// The look-up service the manager's Com_F2Window returns: service windows
// that run modally in the host, as ordinary platform forms.
//
//   GetCalcValue(var expression, window) -> result text ("" when
//       cancelled): the calculator, started with the expression (the text
//       of the focused control); the arithmetic is Calculator.h's.
//   ShowInputDay([other calendar, "YYYYMMDD", database]) -> "YYYYMMDD"
//       or "" when cancelled: the date picker; with the first element true
//       the year is also shown in the Republic-of-China count (year -
//       1911).
#pragma once

#include "host/shell/Calculator.h"
#include "platform/DispatchTable.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"

namespace host {

class TWorkCenter;

// The calculator window.
class TCalculatorForm : public platform::TForm {
  PLATFORM_CLASS(TCalculatorForm)

 public:
  explicit TCalculatorForm(platform::TComponent* owner);
  platform::TEdit* edExpression = nullptr;
  platform::TLabel* lblResult = nullptr;
  platform::TButton* btnOK = nullptr;
  platform::TButton* btnCancel = nullptr;
  // The value text after OK.
  const platform::AnsiString& ResultText() const { return result_; }

 private:
  void btnOKClick(platform::TObject* sender);
  void edExpressionChange(platform::TObject* sender);
  platform::AnsiString result_;
};

// The date picker window: year, month and day fields.
class TDatePickerForm : public platform::TForm {
  PLATFORM_CLASS(TDatePickerForm)

 public:
  explicit TDatePickerForm(platform::TComponent* owner);
  // "YYYYMMDD"; an invalid or empty text starts at today.
  void SetDate(const platform::AnsiString& yyyymmdd, bool rocYear);
  platform::TEdit* edYear = nullptr;
  platform::TEdit* edMonth = nullptr;
  platform::TEdit* edDay = nullptr;
  platform::TLabel* lblRocYear = nullptr;
  platform::TLabel* lblError = nullptr;
  platform::TButton* btnOK = nullptr;
  platform::TButton* btnCancel = nullptr;
  const platform::AnsiString& ResultText() const { return result_; }

 private:
  void btnOKClick(platform::TObject* sender);
  void edYearChange(platform::TObject* sender);
  bool roc_ = false;
  platform::AnsiString result_;
};

// True when y/m/d is a date of the Gregorian calendar (years 1 to 9999).
bool IsValidDate(int year, int month, int day);
// "YYYYMMDD" of the date, or "" when it is not valid.
platform::AnsiString DateText(int year, int month, int day);

class TLookupService : public platform::Dispatchable<TLookupService> {
 public:
  explicit TLookupService(TWorkCenter* center) : center_(center) {}
  static const platform::DispatchTable<TLookupService>& AutomationMembers();

  platform::AnsiString GetCalcValue(platform::Variant& expression, const platform::Variant& window);
  platform::AnsiString ShowInputDay(const platform::Variant& params);

 private:
  TWorkCenter* center_;
};

platform::Variant CreateLookupService(TWorkCenter* center);

}  // namespace host
