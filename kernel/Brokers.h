// TBrokers: a program form's access to the server beyond its data
// connection.
//
// One broker per program form, owned by it. It holds the host's manager
// object and the three service objects the manager hands out (validator,
// look-up window service, counter), the login identity, the program
// record, the system parameters and the user's rights record, and it is
// the one place that knows the shape of every late-bound call the module
// makes on those objects: member names, argument order, which arguments
// go by reference and where results come back. It also shows every coded
// message of the system (ShowMessageCode).
//
// What the broker needs of its form (caption, window handle, code pages,
// look-up exchange state, rights) it asks through TBrokersSite, which the
// program form implements; a broker whose owner is no site uses the
// process code page and no look-up exchange.
//
// A service that is absent is never an error: the operation returns its
// empty result (empty text, Unassigned, false) without calling. None of the
// operations is thread-safe; all run on the user-interface thread.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "platform/AnsiString.h"
#include "platform/Format.h"
#include "platform/StringList.h"
#include "platform/Variant.h"
#include "platform/ui/Component.h"
#include "platform/ui/SetOf.h"

namespace platform {
class TDataSet;
}

namespace kv {

// What a broker asks of the program form that owns it.
class TBrokersSite {
 public:
  // "936", "950" or "437".
  virtual platform::AnsiString SiteUICodePage() const = 0;
  virtual platform::AnsiString SiteSysCodePage() const = 0;
  // The user-interface conversion mode (0, 2 or 4).
  virtual int SiteUIMode() const = 0;
  // The look-up exchange: 0 none, 1 the form prepares the parameters of an
  // embedded look-up control, 2 such a control reports back.
  virtual int SiteLookupState() const = 0;
  virtual platform::Variant SiteLookupReturnValue() const = 0;
  virtual void SetSiteLookupOpenParam(const platform::Variant& param) = 0;
  // The user's function rights hold the edit (add) right, full or
  // restricted.
  virtual bool SiteCanEdit() const = 0;
  virtual bool SiteCanAdd() const = 0;

 protected:
  ~TBrokersSite() = default;
};

enum TBrokerService { bsValidator, bsF2Window, bsCounter };
using TBrokerServices = platform::SetOf<TBrokerService>;

class TBrokers : public platform::TComponent {
  PLATFORM_CLASS(TBrokers)

 public:
  explicit TBrokers(platform::TComponent* owner);
  ~TBrokers() override;

  // --- identity ---
  platform::AnsiString ProgramCode;  // upper case
  platform::AnsiString UserID;
  platform::AnsiString UserGroup;
  platform::AnsiString CompanyID;
  platform::AnsiString Database;  // the company database every service call names

  // --- the program record (LoadProgramInfo) ---
  platform::AnsiString ProgramName;
  platform::AnsiString PrintProgram;         // trimmed
  platform::AnsiString ProgramAttr2;         // status-change transaction object
  platform::AnsiString ProgramAttr3;         // status-change transaction program
  platform::AnsiString ProgramAttr4;
  platform::AnsiString ProgramAttr5;         // sign-off form code
  platform::AnsiString ProgramAttr6;         // sign-off code
  bool ProgramFlag7 = false;                 // "Y"
  int BodyCheckMode = 0;                     // "W" 1, "E" 2, "Z" 3, else 0

  platform::TStringList SysParams;           // name=value
  TBrokerServices Services{bsValidator, bsF2Window, bsCounter};

  // --- automation objects (Dispatch Variants, or Empty) ---
  platform::Variant Manager;
  platform::Variant F2Window;
  platform::Variant Validator;
  platform::Variant Counter;

  platform::TStringList UserInfo;            // the user's rights record, name=value

  // --- system parameters ---
  // Ignored for an empty name; an empty value removes the parameter.
  void SetSysParam(const platform::AnsiString& name, const platform::AnsiString& value);
  // Empty for an empty name or one not in the list.
  platform::AnsiString GetSysParam(const platform::AnsiString& name) const;

  // --- start ---
  // Obtains the missing services from the manager (Com_Validator,
  // Com_F2Window, Com_Counter) and loads the program record. False without
  // a manager, and (after three beeps) when anything raised.
  bool ConnectServices();
  // Counter GetSysInfo(var CompanyID): a [0..1, 0..n-1] array of names
  // and values. True when an array came back; what the counter raises
  // reaches the caller.
  bool LoadSysInfo();
  // Validator ADMMB/06 with [ProgramCode, Database] into the program
  // record fields.
  void LoadProgramInfo();

  platform::AnsiString GetProgramName() const { return ProgramName; }
  platform::AnsiString GetPrintProgram() const { return PrintProgram; }
  // Attribute 2 + ";" + attribute 3.
  platform::AnsiString GetProgramAttr23() const { return ProgramAttr2 + ";" + ProgramAttr3; }
  // "MAX_RECORD" of UserInfo: 0 when absent, not a number or negative;
  // at most 40.
  int MaxRecordCount() const;

  // --- messages ---
  // Manager GetMessage(type, code); empty without a manager.
  platform::AnsiString GetMessageText(const platform::AnsiString& type, const platform::AnsiString& code);
  // Shows the coded message in the dialog of its kind and returns the
  // modal result. The server's text is filled with the arguments by the
  // safe formatter: a placeholder without argument stays as it stands,
  // surplus arguments are ignored, a stray "%" is shown. The arguments are
  // not converted: callers pass them converted for display. When the
  // server has no text for the code (or cannot be asked), the dialog shows
  // the kind and code followed by the arguments. Type "W" with a result
  // other than OK and abortFlag set raises the silent abort. The caption is
  // the form's; buttons carry the Chinese captions unless the user
  // interface is English.
  // defaultButton indexes Yes, No, OK, Cancel, Abort, Retry, Ignore, All,
  // NoToAll, YesToAll, Help.
  int ShowMessageCode(const platform::AnsiString& type, const platform::AnsiString& code,
                      std::span<const platform::FormatArg> args, int abortFlag = 1, int defaultButton = 2);
  int ShowMessageCode(const platform::AnsiString& type, const platform::AnsiString& code,
                      std::initializer_list<platform::FormatArg> args = {}, int abortFlag = 1,
                      int defaultButton = 2) {
    return ShowMessageCode(type, code, std::span<const platform::FormatArg>(args.begin(), args.size()), abortFlag,
                           defaultButton);
  }
  // A program text converted for display by the form's conversion mode
  // (mode 2: GB to BIG5; mode 1: BIG5 to GB; other modes: unchanged).
  platform::AnsiString ConvertForDisplay(const platform::AnsiString& text) const;

  // --- named server functions ---
  // Counter GETCOUNTER(var name, var params, [CompanyID, Database]);
  // Unassigned without a counter.
  platform::Variant CallCounter(const platform::AnsiString& functionName, platform::Variant& params);
  // Validator CheckValue / QueryData(table, code, var Database, var keys,
  // var result), after handing the user's base-data rights to the
  // validator. False without a validator or when anything raised.
  bool ValidateValue(const platform::AnsiString& table, const platform::AnsiString& code, platform::Variant keys,
                     platform::Variant& result);
  bool QueryValue(const platform::AnsiString& table, const platform::AnsiString& code, platform::Variant keys,
                  platform::Variant& result);
  // Validator QueryMaxSeq. The key values are the current values (as
  // texts) of the fields named in keyFields before each ",". number is the
  // server's number, or "unKnow" when there is none; true with a number.
  bool NextDocumentNumber(platform::TDataSet* dataSet, const platform::AnsiString& table,
                          platform::AnsiString& number, const platform::AnsiString& date,
                          const platform::AnsiString& keyFields);
  // The name of a program from ADMMB (the English name on an English
  // user interface); the code itself when ADMMB has no such program.
  platform::AnsiString GetProgramNameOf(const platform::AnsiString& code);

  // --- look-up service ---
  // ShowInputDay([otherCalendar, date "YYYYMMDD", Database]).
  platform::AnsiString PickDate(bool otherCalendar, const platform::AnsiString& date);
  // GetPhrase2(UserID, CompanyID, handle, var text); empty on a negative
  // status.
  platform::AnsiString PickPhrase(const platform::AnsiString& text);
  // The look-up window, or the look-up exchange while the form is in one.
  // handle 0 means the form's window.
  platform::Variant ShowF2Window(const platform::Variant& param1, const platform::Variant& param2,
                                 platform::Variant& result, const platform::AnsiString& s1,
                                 const platform::AnsiString& s2, const platform::AnsiString& s3,
                                 std::uintptr_t handle, const platform::AnsiString& s4, bool f1, bool f2,
                                 const platform::AnsiString& s5, const platform::Variant& v);
  void ExchangeF2Param(const platform::Variant& param1, const platform::Variant& param2,
                       platform::Variant& result, const platform::AnsiString& s1, const platform::AnsiString& s2,
                       const platform::AnsiString& s3, const platform::AnsiString& s5, const platform::Variant& v);
  // ShowCharaters(var user, var company, var code, flag, var handle).
  platform::Variant ShowCharacters(const platform::AnsiString& code, const platform::Variant& flag,
                                   std::uintptr_t handle, const platform::AnsiString& company,
                                   const platform::AnsiString& user);
  // GetCalcValue(var expression, handle); empty (after message E/000032)
  // when the service raised.
  platform::AnsiString CalcValue(const platform::AnsiString& expression);

  // --- the host ---
  // Manager ExecWork: runs another program. -1 without a manager; a
  // negative answer is shown as E/000032 when showErrors is set. What the
  // manager raises reaches the caller (also for PrintDocument).
  int RunProgram(const platform::AnsiString& code, platform::Variant parameter, bool showErrors,
                 platform::Variant& result, platform::Variant action = platform::Variant());
  // Manager ExecWork with the print work [6, 0, parameter]; true when the
  // host answered a code that is not negative.
  bool PrintDocument(platform::Variant callerArray, const platform::Variant& parameter);
  // 1: insert a sign-off job (14 or 16 data elements); 2: page another
  // user; 3: internal message with a link to the document (data: the key).
  // False when the step did not complete (every exception included); a
  // sign-off job without an answer from the counter is not inserted.
  bool SendDocument(int kind, const platform::Variant& data);

  // The form's caption and window handle (empty and 0 without a form).
  platform::AnsiString FormCaption() const;
  std::uintptr_t FormHandle() const;
  platform::AnsiString UICodePage() const;
  platform::AnsiString SysCodePage() const;
  int UIMode() const;

 private:
  TBrokersSite* Site() const;
  bool CallValidator(const char* member, const platform::AnsiString& table, const platform::AnsiString& code,
                     platform::Variant keys, platform::Variant& result);
  void PassBaseLimited();
  bool InsertSignOffJob(const platform::Variant& data);
};

// The name of a message-dialog button by the default-button index of
// ShowMessageCode; "" outside 0-10.
const char* MessageButtonName(int index);

}  // namespace kv
