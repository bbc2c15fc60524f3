#include "kernel/Brokers.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "lang/Language_Convert.h"
#include "platform/Automation.h"
#include "platform/ClassRegistry.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/FloatFormat.h"
#include "platform/data/DataSet.h"
#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Font.h"
#include "util/LibStrs.h"

namespace kv {

using namespace platform;

namespace {

constexpr TFontCharset kBig5Charset = 136;
constexpr TFontCharset kGb2312Charset = 134;

// Element i (from 0) of a one-dimensional array, whatever its low bound.
Variant Element(const Variant& array, int i) { return array.GetElement({VarArrayLowBound(array, 1) + i}); }

int ElementCount(const Variant& array) {
  if (!VarIsArray(array) || VarArrayDimCount(array) != 1) return 0;
  return VarArrayHighBound(array, 1) - VarArrayLowBound(array, 1) + 1;
}

// The code page text of the process code page: "936", "950", else "437".
AnsiString ProcessCodePageText() {
  const unsigned cp = ProcessCodePage();
  if (cp == 936) return "936";
  if (cp == 950) return "950";
  return "437";
}

// The texts of the host's answers to ExecWork below zero.
const char* RunProgramErrorText(int code) {
  switch (code) {
    case -1: return "[%s]作业程序文档不存在!";
    case -2: return "[%s]作业程序文档装入失败!";
    case -3: return "[%s]作业程序启动时无法录入公用元件!";
    case -4: return "[%s]作业程序启动时取作业权限错误!";
    case -5: return "[%s]作业程序无运行作业权限!";
    case -6: return "[%s]作业程序起始化错误!";
    case -7: return "[%s]作业程序发生不可预知的错误!";
    default: return nullptr;
  }
}

struct DialogKind {
  TMsgDlgType type;
  TMsgDlgButtons buttons;
};

DialogKind DialogOfType(const AnsiString& type) {
  if (type == "T") return {mtError, TMsgDlgButtons{mbYes, mbNo, mbCancel, mbYesToAll}};
  if (type == "C") return {mtWarning, mbOKCancel};
  if (type == "D") return {mtWarning, mbYesNoCancel};
  if (type == "E") return {mtError, TMsgDlgButtons{mbOK}};
  if (type == "I") return {mtInformation, TMsgDlgButtons{mbOK}};
  if (type == "Q") return {mtConfirmation, mbOKCancel};
  if (type == "W") return {mtWarning, mbOKCancel};
  return {mtCustom, TMsgDlgButtons{mbOK}};
}

// "'" + text with its apostrophes doubled + "'".
AnsiString Quoted(const AnsiString& text) { return "'" + StringReplaceAll(text, "'", "''") + "'"; }

Variant HandleValue(std::uintptr_t handle) { return Variant(static_cast<int>(handle)); }

}  // namespace

const char* MessageButtonName(int index) {
  if (index < mbYes || index > mbHelp) return "";
  return MsgDlgButtonName(static_cast<TMsgDlgBtn>(index));
}

const TClassInfo& TBrokers::StaticClass() {
  static const TClassInfo info = TClassBuilder<TBrokers>("TBrokers", TComponent::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TBrokers);

TBrokers::TBrokers(TComponent* owner) : TComponent(owner) {}

TBrokers::~TBrokers() {
  // The references go with the broker: the objects are released when their
  // last holder lets go.
  Manager = Variant();
  F2Window = Variant();
  Validator = Variant();
  Counter = Variant();
}

// --- the form ---

TBrokersSite* TBrokers::Site() const { return dynamic_cast<TBrokersSite*>(Owner()); }

AnsiString TBrokers::FormCaption() const {
  if (auto* control = dynamic_cast<TControl*>(Owner())) return control->Caption();
  return AnsiString();
}

std::uintptr_t TBrokers::FormHandle() const {
  if (auto* control = dynamic_cast<TWinControl*>(Owner())) return control->Handle();
  return 0;
}

AnsiString TBrokers::UICodePage() const {
  if (TBrokersSite* site = Site()) return site->SiteUICodePage();
  return ProcessCodePageText();
}

AnsiString TBrokers::SysCodePage() const {
  if (TBrokersSite* site = Site()) return site->SiteSysCodePage();
  return ProcessCodePageText();
}

int TBrokers::UIMode() const {
  if (TBrokersSite* site = Site()) return site->SiteUIMode();
  return 0;
}

// --- system parameters ---

void TBrokers::SetSysParam(const AnsiString& name, const AnsiString& value) {
  if (name.IsEmpty()) return;
  SysParams.SetValue(name, value);
}

AnsiString TBrokers::GetSysParam(const AnsiString& name) const {
  if (name.IsEmpty()) return AnsiString();
  return SysParams.Values(name);
}

int TBrokers::MaxRecordCount() const {
  int count = 0;
  if (!TryStrToInt(Trim(UserInfo.Values("MAX_RECORD")), count) || count < 0) return 0;
  return std::min(count, 40);
}

// --- start ---

bool TBrokers::ConnectServices() {
  if (!VarIsDispatch(Manager)) return false;
  try {
    struct Service {
      TBrokerService service;
      Variant* field;
      const char* member;
    };
    const Service services[] = {{bsValidator, &Validator, "Com_Validator"},
                                {bsF2Window, &F2Window, "Com_F2Window"},
                                {bsCounter, &Counter, "Com_Counter"}};
    for (const Service& s : services)
      if (Services.Contains(s.service) && !VarIsDispatch(*s.field)) *s.field = OleCall(Manager, s.member);
    LoadProgramInfo();
    return true;
  } catch (const std::exception&) {
    for (int i = 0; i < 3; ++i) Application().Beep();
    return false;
  }
}

bool TBrokers::LoadSysInfo() {
  if (!VarIsDispatch(Counter)) return false;
  Variant company = CompanyID;
  Variant info = OleCall(Counter, "GetSysInfo", {ByRef(company)});
  if (!VarIsArray(info)) return false;
  if (VarArrayDimCount(info) == 2 && VarArrayLowBound(info, 1) <= 0 && VarArrayHighBound(info, 1) >= 1) {
    for (int i = VarArrayLowBound(info, 2); i <= VarArrayHighBound(info, 2); ++i)
      SetSysParam(VarToStr(info.GetElement({0, i})), VarToStr(info.GetElement({1, i})));
  }
  return true;
}

void TBrokers::LoadProgramInfo() {
  ProgramName = AnsiString();
  Variant record;
  if (!ValidateValue("ADMMB", "06", VarArrayOf({ProgramCode, Database}), record)) return;
  const int count = ElementCount(record);
  if (count == 0) return;
  const auto text = [&](int i) { return i < count ? VarToStr(Element(record, i)) : AnsiString(); };
  ProgramName = text(0);
  PrintProgram = Trim(text(1));
  ProgramAttr2 = text(2);
  ProgramAttr3 = text(3);
  ProgramAttr4 = text(4);
  ProgramAttr5 = text(5);
  ProgramAttr6 = text(6);
  ProgramFlag7 = text(7) == "Y";
  const AnsiString mode = text(8);
  BodyCheckMode = mode == "W" ? 1 : mode == "E" ? 2 : mode == "Z" ? 3 : 0;
  if (count > 9 && UICodePage() == "437") ProgramName = text(9);
}

// --- messages ---

AnsiString TBrokers::GetMessageText(const AnsiString& type, const AnsiString& code) {
  if (!VarIsDispatch(Manager)) return AnsiString();
  return VarToStr(OleCall(Manager, "GetMessage", {type, code}));
}

AnsiString TBrokers::ConvertForDisplay(const AnsiString& text) const {
  switch (UIMode()) {
    case 1: return Big5ToGbText(text);
    case 2: return GbToBig5Text(text);
    default: return text;
  }
}

int TBrokers::ShowMessageCode(const AnsiString& type, const AnsiString& code, std::span<const FormatArg> args,
                              int abortFlag, int defaultButton) {
  const AnsiString kind = UpperCase(type);
  const AnsiString textKind = kind == "T" ? AnsiString("E") : kind;
  AnsiString text;
  try {
    text = GetMessageText(textKind, code);
  } catch (const std::exception&) {
    text = AnsiString();
  }
  // Without a text from the server the user still learns which message it
  // was and what it was about: the code, followed by the arguments.
  if (text.IsEmpty()) {
    text = textKind + "/" + code;
    for (std::size_t i = 0; i < args.size(); ++i) text += " %s";
  }
  text = ConvertForDisplay(text);
  const AnsiString uiCodePage = UICodePage();
  const AnsiString sysCodePage = SysCodePage();
  const int mode = UIMode();
  if (uiCodePage == "950" || sysCodePage == "950") text += "    ";
  // The text comes from the server: it may hold more, fewer or other
  // placeholders than there are arguments, or a stray "%".
  text = SafeFormat(text + " ", args);
  if (kind == "T") text += "\r\n" + ConvertForDisplay("是否继续?");
  if (!(sysCodePage == "936" && mode == 0)) text += "      ";

  const DialogKind dialogKind = DialogOfType(kind);
  // The dialog puts the default button first in tab order when the kind
  // has it; a default the kind lacks leaves no button marked default.
  std::optional<TMsgDlgBtn> defaultKind;
  if (defaultButton >= mbYes && defaultButton <= mbHelp) defaultKind = static_cast<TMsgDlgBtn>(defaultButton);
  TComponentPtr<TMessageForm> dialog(CreateMessageDialog(text, dialogKind.type, dialogKind.buttons, defaultKind));
  struct FreeDialog {
    TComponentPtr<TMessageForm>& dialog;
    ~FreeDialog() {
      if (dialog) dialog->Free();
    }
  } freeDialog{dialog};
  dialog->SetCaption(FormCaption());
  const AnsiString defaultName = MessageButtonName(defaultButton);
  for (TButton* button : dialog->Buttons()) {
    if (uiCodePage != "437") {
      AnsiString caption = LocalButtonCaption(button->Name());
      if (mode == 2) caption = GbToBig5Text(caption);
      button->SetCaption(caption);
    }
    button->SetDefault(button->Name() == defaultName);
  }
  dialog->Font()->SetName("SimSun");
  dialog->Font()->SetCharset(mode == 2 ? kBig5Charset : kGb2312Charset);
  const int result = dialog->ShowModal();
  if (kind == "W" && result != mrOk && abortFlag != 0) Abort();
  return result;
}

// --- named server functions ---

Variant TBrokers::CallCounter(const AnsiString& functionName, Variant& params) {
  if (!VarIsDispatch(Counter)) return Variant();
  Variant name = functionName;
  return OleCall(Counter, "GETCOUNTER", {ByRef(name), ByRef(params), VarArrayOf({CompanyID, Database})});
}

void TBrokers::PassBaseLimited() {
  try {
    OleSet(Validator, "BaseLimited", UserInfo.Values("BaseLimited"));
  } catch (const std::exception&) {
    // A validator without base-data rights still validates.
  }
}

bool TBrokers::CallValidator(const char* member, const AnsiString& table, const AnsiString& code, Variant keys,
                             Variant& result) {
  if (!VarIsDispatch(Validator)) return false;
  PassBaseLimited();
  try {
    Variant database = Database;
    const Variant answer = OleCall(Validator, member, {table, code, ByRef(database), ByRef(keys), ByRef(result)});
    return !VarIsEmptyOrNull(answer) && answer.AsBool();
  } catch (const std::exception&) {
    return false;
  }
}

bool TBrokers::ValidateValue(const AnsiString& table, const AnsiString& code, Variant keys, Variant& result) {
  return CallValidator("CheckValue", table, code, std::move(keys), result);
}

bool TBrokers::QueryValue(const AnsiString& table, const AnsiString& code, Variant keys, Variant& result) {
  return CallValidator("QueryData", table, code, std::move(keys), result);
}

bool TBrokers::NextDocumentNumber(TDataSet* dataSet, const AnsiString& table, AnsiString& number,
                                  const AnsiString& date, const AnsiString& keyFields) {
  number = "unKnow";
  if (!VarIsDispatch(Validator)) return false;
  PassBaseLimited();
  try {
    // The list is comma-terminated: every name before a comma is a key.
    std::vector<Variant> values;
    AnsiString rest = keyFields;
    for (std::size_t comma = rest.Pos(","); comma != 0; comma = rest.Pos(",")) {
      const AnsiString name = rest.SubString(1, comma - 1);
      rest = rest.Mid(comma + 1);
      if (!dataSet) throw EConvertError("No data set for the key fields");
      values.emplace_back(dataSet->FieldByName(name).AsString());
    }
    Variant tableArg = table;
    Variant keyFieldsArg = keyFields;
    Variant dateArg = date;
    Variant programArg = ProgramCode;
    Variant databaseArg = Database;
    Variant numberArg;
    const Variant answer =
        OleCall(Validator, "QueryMaxSeq",
                {ByRef(tableArg), ByRef(keyFieldsArg), VarArrayOf(std::move(values)), ByRef(dateArg),
                 ByRef(programArg), ByRef(databaseArg), ByRef(numberArg)});
    if (VarIsEmptyOrNull(answer) || !answer.AsBool()) return false;
    number = VarToStr(numberArg);
    return true;
  } catch (const std::exception&) {
    number = "unKnow";
    return false;
  }
}

AnsiString TBrokers::GetProgramNameOf(const AnsiString& code) {
  AnsiString name = code;
  try {
    Variant params = VarArrayOf({"SELECT MB002,MB011,MB012,MB013 FROM ADMMB WHERE MB001=" + Quoted(code),
                                 "MB002,MB011,MB012,MB013", Database, "N"});
    const Variant rows = CallCounter("SimpleSQL", params);
    if (ElementCount(rows) == 0) return name;
    const Variant row = Element(rows, 0);
    const int column = UICodePage() == "437" ? 1 : 0;
    if (ElementCount(row) > column) name = VarToStr(Element(row, column));
  } catch (const std::exception&) {
    // The code itself names the program.
  }
  return name;
}

// --- look-up service ---

AnsiString TBrokers::PickDate(bool otherCalendar, const AnsiString& date) {
  if (!VarIsDispatch(F2Window)) return AnsiString();
  return VarToStr(OleCall(F2Window, "ShowInputDay", {VarArrayOf({otherCalendar, date, Database})}));
}

AnsiString TBrokers::PickPhrase(const AnsiString& text) {
  if (!VarIsDispatch(F2Window)) return AnsiString();
  Variant phrase = text;
  const Variant status = OleCall(F2Window, "GetPhrase2", {UserID, CompanyID, HandleValue(FormHandle()), ByRef(phrase)});
  if (!VarIsEmptyOrNull(status) && status.AsInteger() < 0) return AnsiString();
  return VarToStr(phrase);
}

Variant TBrokers::ShowF2Window(const Variant& param1, const Variant& param2, Variant& result, const AnsiString& s1,
                               const AnsiString& s2, const AnsiString& s3, std::uintptr_t handle,
                               const AnsiString& s4, bool f1, bool f2, const AnsiString& s5, const Variant& v) {
  TBrokersSite* site = Site();
  if (site && (site->SiteLookupState() == 1 || site->SiteLookupState() == 2)) {
    ExchangeF2Param(param1, param2, result, s1, s2, s3, s5, v);
    return result;
  }
  if (!VarIsDispatch(F2Window)) return Variant();
  Variant params = VarArrayCreate({0, 18}, varVariant);
  params.PutElement({0}, param1);
  params.PutElement({1}, param2);
  params.PutElement({2}, v);
  params.PutElement({3}, f2);
  params.PutElement({4}, s5);
  params.PutElement({5}, CompanyID);
  params.PutElement({6}, Database);
  params.PutElement({7}, HandleValue(handle != 0 ? handle : FormHandle()));
  params.PutElement({8}, 1);
  params.PutElement({9}, f1);
  params.PutElement({11}, s3);
  params.PutElement({12}, s2);
  params.PutElement({13}, s1);
  params.PutElement({14}, UserInfo.Values("BaseLimited"));
  params.PutElement({15}, site ? site->SiteCanEdit() : false);
  params.PutElement({16}, site ? site->SiteCanAdd() : false);
  params.PutElement({17}, Manager);
  params.PutElement({18}, UserID);
  result = OleCall(F2Window, "F2GetData", {ByRef(params)});
  return result;
}

void TBrokers::ExchangeF2Param(const Variant& param1, const Variant& param2, Variant& result, const AnsiString& s1,
                               const AnsiString& s2, const AnsiString& s3, const AnsiString& s5, const Variant& v) {
  TBrokersSite* site = Site();
  if (!site) return;
  if (site->SiteLookupState() == 1) {
    const bool withTexts = !s3.IsEmpty();
    Variant params = VarArrayCreate({0, 13}, varVariant);
    params.PutElement({0}, param1);
    params.PutElement({1}, param2);
    params.PutElement({2}, v);
    params.PutElement({3}, 1);
    params.PutElement({4}, s5);
    params.PutElement({5}, Database);
    params.PutElement({7}, withTexts ? s3 : AnsiString());
    params.PutElement({8}, withTexts ? s2 : AnsiString());
    params.PutElement({9}, withTexts ? s1 : AnsiString());
    params.PutElement({10}, UserInfo.Values("BaseLimited"));
    params.PutElement({13}, "9");
    site->SetSiteLookupOpenParam(params);
  } else if (site->SiteLookupState() == 2) {
    result = site->SiteLookupReturnValue();
  }
}

Variant TBrokers::ShowCharacters(const AnsiString& code, const Variant& flag, std::uintptr_t handle,
                                 const AnsiString& company, const AnsiString& user) {
  if (!VarIsDispatch(F2Window)) return Variant();
  Variant userArg = user;
  Variant companyArg = company;
  Variant codeArg = code;
  Variant handleArg = HandleValue(handle);
  return OleCall(F2Window, "ShowCharaters", {ByRef(userArg), ByRef(companyArg), ByRef(codeArg), flag, ByRef(handleArg)});
}

AnsiString TBrokers::CalcValue(const AnsiString& expression) {
  if (!VarIsDispatch(F2Window)) return AnsiString();
  try {
    Variant expressionArg = expression;
    return VarToStr(OleCall(F2Window, "GetCalcValue", {ByRef(expressionArg), HandleValue(FormHandle())}));
  } catch (const std::exception&) {
    ShowMessageCode("E", "000032", {ConvertForDisplay("请更新F2WindowC.dll")});
    return AnsiString();
  }
}

// --- the host ---

int TBrokers::RunProgram(const AnsiString& code, Variant parameter, bool showErrors, Variant& result,
                         Variant action) {
  if (!VarIsDispatch(Manager)) return -1;
  if (VarIsEmptyOrNull(action)) action = VarArrayOf({0, 4, Variant()});
  Variant caller = VarArrayOf({UserID, CompanyID, code, HandleValue(FormHandle())});
  Variant mode = 2;
  const Variant answer =
      OleCall(Manager, "ExecWork", {ByRef(caller), ByRef(parameter), ByRef(action), ByRef(mode), ByRef(result)});
  const int status = VarIsEmptyOrNull(answer) ? 0 : answer.AsInteger();
  if (status < 0 && showErrors) {
    AnsiString text;
    if (const char* format = RunProgramErrorText(status))
      text = SafeFormat(ConvertForDisplay(format), {ConvertForDisplay(GetProgramNameOf(code))});
    ShowMessageCode("E", "000032", {text});
  }
  return status;
}

bool TBrokers::PrintDocument(Variant callerArray, const Variant& parameter) {
  if (!VarIsDispatch(Manager)) return false;
  Variant work = VarArrayOf({6, 0, parameter});
  Variant out;
  const Variant answer = OleCall(Manager, "ExecWork", {ByRef(callerArray), Variant(), ByRef(work), 0, ByRef(out)});
  return VarIsEmptyOrNull(answer) || answer.AsInteger() >= 0;
}

bool TBrokers::InsertSignOffJob(const Variant& data) {
  const int count = ElementCount(data);
  if (count != 14 && count != 16) return false;
  const auto d = [&](int i) { return Element(data, i); };
  const AnsiString variant = ProgramAttr5.Pos("§") != 0 ? "SP8" : "SP7";
  Variant ignored;
  ValidateValue("KVTMB", "02", VarArrayOf({CompanyID}), ignored);

  std::vector<Variant> record{UserID, CompanyID, ProgramCode, d(1), d(2), d(0), d(3)};
  for (int i = 4; i <= 11; ++i) record.push_back(d(i));
  const int tail = count == 14 ? 12 : 14;
  record.push_back(d(tail));
  record.push_back(d(tail + 1));

  std::vector<Variant> job{CompanyID, ProgramCode, d(6),     UserID,     VarArrayOf(std::move(record)), "N",
                           Variant(), Null(),      Null(),   Variant(),  "936"};
  if (count == 16) {
    job.push_back(d(12));
    job.push_back(d(13));
  }
  job.push_back(variant);
  Variant params = VarArrayOf({VarArrayOf(std::move(job))});
  const Variant answer = CallCounter("INSERTJXJOB", params);
  // No answer (no counter, or a counter that said nothing) is no success.
  const int status = VarIsEmptyOrNull(answer) ? -1 : answer.AsInteger();
  switch (status) {
    case 0: ShowMessageCode("I", "200007"); return true;
    case 1: ShowMessageCode("E", "200128"); return false;
    case 2: ShowMessageCode("E", "200129"); return false;
    default: throw Exception("UnDefined Error from Counter");
  }
}

bool TBrokers::SendDocument(int kind, const Variant& data) {
  try {
    switch (kind) {
      case 1: return InsertSignOffJob(data);
      case 2: {
        Variant pager = CreateOleObject("KVTPagerC.Class1");
        Variant user = UserID;
        OleCall(pager, "ShowSendHalden", {ByRef(user), VarArrayOf({CompanyID, ProgramCode}), Element(data, 0), Variant()});
        return true;
      }
      case 3: {
        if (!VarIsDispatch(Manager)) return false;
        const AnsiString link = AnsiString("<A href=") + "\"" + "vlnk://Orvane/" + CompanyID + "/" + ProgramCode +
                                "/query/" + VarToStr(data) + "\"" + ">" + GetProgramNameOf(ProgramCode) + "</A>";
        Variant caller = VarArrayOf({UserID, CompanyID, "TMCI05"});
        Variant message = VarArrayOf({"0", VarArrayOf({Variant(), Variant(), link})});
        Variant action = VarArrayOf({0, 4, Variant()});
        Variant mode = 2;
        Variant result;
        OleCall(Manager, "ExecWork", {ByRef(caller), ByRef(message), ByRef(action), ByRef(mode), ByRef(result)});
        return true;
      }
      default: return false;
    }
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace kv
