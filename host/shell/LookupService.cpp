#include "host/shell/LookupService.h"

#include <ctime>

#include "host/shell/CharacterPicker.h"
#include "host/shell/FormBuilding.h"
#include "host/shell/LookupWindow.h"
#include "host/shell/PhrasePicker.h"
#include "host/shell/WorkCenter.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/ComponentPtr.h"

namespace host {

using detail::Place;
using platform::AnsiString;
using platform::TButton;
using platform::TEdit;
using platform::TLabel;
using platform::Variant;

const platform::TClassInfo& TCalculatorForm::StaticClass() {
  static const platform::TClassInfo info =
      platform::TClassBuilder<TCalculatorForm>("TCalculatorForm", platform::TForm::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TCalculatorForm);

const platform::TClassInfo& TDatePickerForm::StaticClass() {
  static const platform::TClassInfo info =
      platform::TClassBuilder<TDatePickerForm>("TDatePickerForm", platform::TForm::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDatePickerForm);

namespace {

void AddButtons(platform::TForm* form, TButton*& ok, TButton*& cancel, int top) {
  ok = Place<TButton>(form, form, "btnOK", 120, top, 84, 28, "OK");
  ok->SetDefault(true);
  ok->SetTabStop(true);
  cancel = Place<TButton>(form, form, "btnCancel", 212, top, 84, 28, "Cancel");
  cancel->SetCancel(true);
  cancel->SetTabStop(true);
  cancel->SetModalResult(platform::mrCancel);
}

int ToNumber(const AnsiString& text) {
  AnsiString t = platform::Trim(text);
  if (t.IsEmpty() || t.Length() > 6) return -1;
  int value = 0;
  for (char c : t.View()) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

AnsiString Num(int value) { return AnsiString::FromBytes(std::to_string(value)); }

// A service window shown modally and freed whatever happens (unless it
// freed itself).
template <class F>
class TServiceForm {
 public:
  explicit TServiceForm(F* form) : form_(form) {}
  ~TServiceForm() {
    if (form_) form_->Free();
  }
  TServiceForm(const TServiceForm&) = delete;
  TServiceForm& operator=(const TServiceForm&) = delete;
  F* operator->() const { return form_.get(); }
  // True when the window ended with OK.
  bool RunOk() { return form_->ShowModal() == platform::mrOk && form_; }

 private:
  platform::TComponentPtr<F> form_;
};

// Runs a service window and takes its result text when it ended with OK.
template <class F>
AnsiString RunForResult(F* form) {
  TServiceForm<F> guard(form);
  return guard.RunOk() ? guard->ResultText() : AnsiString();
}

}  // namespace

// --- calculator ---

TCalculatorForm::TCalculatorForm(platform::TComponent* owner) : TForm(owner) {
  SetName("CalculatorForm");
  SetCaption("Calculator");
  SetBounds(0, 0, 320, 150);
  edExpression = Place<TEdit>(this, this, "edExpression", 16, 16, 280, 24);
  edExpression->SetTabStop(true);
  edExpression->OnChange = platform::TNotifyEvent::Bind<&TCalculatorForm::edExpressionChange>(this);
  lblResult = Place<TLabel>(this, this, "lblResult", 16, 52, 280, 20);
  AddButtons(this, btnOK, btnCancel, 84);
  btnOK->OnClick = platform::TNotifyEvent::Bind<&TCalculatorForm::btnOKClick>(this);
  SetActiveControl(edExpression);
}

void TCalculatorForm::edExpressionChange(platform::TObject*) {
  TCalcResult r = EvaluateExpression(edExpression->Text());
  lblResult->SetCaption(r.Ok ? "= " + FormatCalcValue(r.Value) : AnsiString());
}

void TCalculatorForm::btnOKClick(platform::TObject*) {
  TCalcResult r = EvaluateExpression(edExpression->Text());
  if (!r.Ok) {
    lblResult->SetCaption(r.Error);
    return;
  }
  result_ = FormatCalcValue(r.Value);
  SetModalResult(platform::mrOk);
}

// --- date picker ---

bool IsValidDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int last = days[month - 1] + (month == 2 && leap ? 1 : 0);
  return day <= last;
}

AnsiString DateText(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) return AnsiString();
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", year, month, day);
  return AnsiString(buffer);
}

TDatePickerForm::TDatePickerForm(platform::TComponent* owner) : TForm(owner) {
  SetName("DatePickerForm");
  SetCaption("Date");
  SetBounds(0, 0, 320, 170);
  Place<TLabel>(this, this, "lblDate", 16, 20, 90, 20, "Year/Month/Day");
  edYear = Place<TEdit>(this, this, "edYear", 120, 16, 60, 24);
  edMonth = Place<TEdit>(this, this, "edMonth", 188, 16, 40, 24);
  edDay = Place<TEdit>(this, this, "edDay", 236, 16, 40, 24);
  for (TEdit* e : {edYear, edMonth, edDay}) e->SetTabStop(true);
  edYear->OnChange = platform::TNotifyEvent::Bind<&TDatePickerForm::edYearChange>(this);
  lblRocYear = Place<TLabel>(this, this, "lblRocYear", 120, 48, 180, 20);
  lblRocYear->SetVisible(false);
  lblError = Place<TLabel>(this, this, "lblError", 16, 76, 280, 20);
  AddButtons(this, btnOK, btnCancel, 104);
  btnOK->OnClick = platform::TNotifyEvent::Bind<&TDatePickerForm::btnOKClick>(this);
  SetActiveControl(edYear);
}

void TDatePickerForm::SetDate(const AnsiString& yyyymmdd, bool rocYear) {
  roc_ = rocYear;
  AnsiString t = platform::Trim(yyyymmdd);
  int y = t.Length() == 8 ? ToNumber(t.SubString(1, 4)) : -1;
  int m = t.Length() == 8 ? ToNumber(t.SubString(5, 2)) : -1;
  int d = t.Length() == 8 ? ToNumber(t.SubString(7, 2)) : -1;
  if (!IsValidDate(y, m, d)) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    y = local.tm_year + 1900;
    m = local.tm_mon + 1;
    d = local.tm_mday;
  }
  edYear->SetText(Num(y));
  edMonth->SetText(Num(m));
  edDay->SetText(Num(d));
  lblRocYear->SetVisible(roc_);
  edYearChange(this);
}

void TDatePickerForm::edYearChange(platform::TObject*) {
  if (!roc_) return;
  int y = ToNumber(edYear->Text());
  lblRocYear->SetCaption(y > 1911 ? "ROC year " + Num(y - 1911) : AnsiString());
}

void TDatePickerForm::btnOKClick(platform::TObject*) {
  AnsiString text = DateText(ToNumber(edYear->Text()), ToNumber(edMonth->Text()), ToNumber(edDay->Text()));
  if (text.IsEmpty()) {
    lblError->SetCaption("This is not a valid date.");
    return;
  }
  result_ = text;
  SetModalResult(platform::mrOk);
}

// --- the service ---

const platform::DispatchTable<TLookupService>& TLookupService::AutomationMembers() {
  static const auto table = platform::DispatchTable<TLookupService>("F2WindowC.Class1")
                                .Method("GetCalcValue", &TLookupService::GetCalcValue)
                                .Method("ShowInputDay", &TLookupService::ShowInputDay)
                                .Method("F2GetData", &TLookupService::F2GetData)
                                .Method("GetPhrase2", &TLookupService::GetPhrase2)
                                .Method("ShowCharaters", &TLookupService::ShowCharaters);
  return table;
}

AnsiString TLookupService::GetCalcValue(Variant& expression, const Variant&) {
  auto* form = platform::CreateForm<TCalculatorForm>(nullptr);
  form->edExpression->SetText(platform::VarToStr(expression.Deref()));
  return RunForResult(form);
}

AnsiString TLookupService::ShowInputDay(const Variant& params) {
  const Variant& p = params.Deref();
  bool roc = false;
  AnsiString date;
  if (platform::VarIsArray(p)) {
    int low = platform::VarArrayLowBound(p, 1);
    int high = platform::VarArrayHighBound(p, 1);
    if (low <= high) roc = !platform::VarIsEmptyOrNull(p[low]) && p[low].AsBool();
    if (low + 1 <= high) date = platform::VarToStr(p[low + 1]);
  }
  auto* form = platform::CreateForm<TDatePickerForm>(nullptr);
  form->SetDate(date, roc);
  return RunForResult(form);
}

// Asked for each window: the connection's objects belong to the login
// they were made for.
Variant TLookupService::Validator() {
  if (!center_ || !center_->LoggedIn()) return Variant();
  return center_->Accounts().ServiceObject("Validator");
}

Variant TLookupService::F2GetData(Variant& params) {
  TLookupRequest request;
  AnsiString error;
  if (!ReadLookupRequest(params.Deref(), request, error)) {
    platform::MessageDlg(error, platform::mtError, {platform::mbOK});
    return Variant();
  }
  TServiceForm<TLookupWindowForm> form(platform::CreateForm<TLookupWindowForm>(nullptr));
  if (!form->Open(Validator(), request)) {
    platform::MessageDlg(form->ErrorText(), platform::mtError, {platform::mbOK});
    return Variant();
  }
  return form.RunOk() ? form->Result() : Variant();
}

int TLookupService::GetPhrase2(const Variant&, const Variant&, const Variant&, Variant& text) {
  TServiceForm<TPhrasePickerForm> form(platform::CreateForm<TPhrasePickerForm>(nullptr));
  if (!form->Open(Validator(), platform::VarToStr(text.Deref()))) {
    platform::MessageDlg(form->ErrorText(), platform::mtError, {platform::mbOK});
    return -2;
  }
  if (!form.RunOk()) return -1;
  text = Variant(form->ResultText());
  return 0;
}

Variant TLookupService::ShowCharaters(Variant&, Variant&, Variant&, const Variant&, Variant&) {
  AnsiString picked = RunForResult(platform::CreateForm<TCharacterPickerForm>(nullptr));
  if (picked.IsEmpty()) return Variant();
  return platform::VarArrayOf({Variant(picked)});
}

Variant CreateLookupService(TWorkCenter* center) { return Variant(std::make_shared<TLookupService>(center)); }

}  // namespace host
