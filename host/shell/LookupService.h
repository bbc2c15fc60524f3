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
//   F2GetData(var params[19]) -> the rows picked in the look-up window
//       (LookupWindow.h): an array of rows, each the server's 1-D array of
//       cells, cell 0 the code; Empty when cancelled or when the window
//       cannot be shown (the user is told why). Element 0 is the table,
//       1 the kind, 3 true lets the user pick several rows, 4 is the
//       starting text, 9 true makes it filter the rows (otherwise it only
//       places the current row).
//   GetPhrase2(user, company, window, var text) -> 0 with the chosen
//       phrase in text, -1 when cancelled, -2 when the phrases cannot be
//       read (the user is told why); text is left alone unless 0.
//   ShowCharaters(var user, var company, var code, flag, var window) ->
//       [the chosen character] or Empty when cancelled
//       (CharacterPicker.h).
// The rows and phrases come from the validator of the host's own server
// connection (the one the manager's Com_Validator hands out).
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
  platform::Variant F2GetData(platform::Variant& params);
  int GetPhrase2(const platform::Variant& user, const platform::Variant& company, const platform::Variant& window,
                 platform::Variant& text);
  platform::Variant ShowCharaters(platform::Variant& user, platform::Variant& company, platform::Variant& code,
                                  const platform::Variant& flag, platform::Variant& window);

 private:
  platform::Variant Validator();

  TWorkCenter* center_;
};

platform::Variant CreateLookupService(TWorkCenter* center);

}  // namespace host
