// The server brokers: the shape of every call on the host's manager and
// the server services, what the broker makes of their answers, and the
// coded-message dialog.
#include "kernel/Brokers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lang/Language_Convert.h"
#include "platform/Automation.h"
#include "platform/ClassRegistry.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/TestSupport.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/LocalProvider.h"
#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Font.h"
#include "platform/ui/Form.h"
#include "util/LibStrs.h"

namespace kv {
namespace {

using namespace platform;
using platform::testing::A;
using platform::testing::Bytes;
using platform::testing::TempFolder;

// ---- test doubles ------------------------------------------------------

// One call an automation double received: the values of its arguments as
// they were at the call, and which of them came by reference.
struct Call {
  std::string member;
  InvokeKind kind;
  std::vector<Variant> args;
  std::vector<bool> byRef;
};

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

// An automation object that records every call and answers from a table of
// members; a member it has no answer for fails as late binding does.
class TRecordingObject : public AutoObject {
 public:
  using Answer = std::function<Variant(std::span<Variant> args)>;
  explicit TRecordingObject(std::string className) : className_(std::move(className)) {}

  void On(std::string_view member, Answer answer) { answers_[Upper(member)] = std::move(answer); }
  void Returns(std::string_view member, Variant value) {
    On(member, [value](std::span<Variant>) { return value; });
  }
  void Raises(std::string_view member, const char* text) {
    On(member, [text](std::span<Variant>) -> Variant { throw Exception(text); });
  }

  Variant Invoke(std::string_view name, InvokeKind kind, std::span<Variant> args) override {
    Call call{std::string(name), kind, {}, {}};
    for (Variant& a : args) {
      call.args.push_back(a.Deref());
      call.byRef.push_back((a.Type() & varByRef) != 0);
    }
    calls.push_back(call);
    auto it = answers_.find(Upper(name));
    if (it == answers_.end())
      throw EOleException(AnsiString("Method '") + AnsiString(std::string(name).c_str()) +
                              "' not supported by automation object",
                          className_.c_str());
    return it->second(args);
  }
  AnsiString AutoClassName() const override { return className_.c_str(); }

  // The calls of one member, in order.
  std::vector<Call> CallsOf(std::string_view member) const {
    std::vector<Call> found;
    for (const Call& c : calls)
      if (Upper(c.member) == Upper(member)) found.push_back(c);
    return found;
  }

  // Drops the calls and answers, which may hold other doubles (a recorded
  // argument or an answer can be another object, so the doubles would keep
  // each other alive).
  void Reset() {
    calls.clear();
    answers_.clear();
  }

  std::vector<Call> calls;

 private:
  std::string className_;
  std::map<std::string, Answer> answers_;
};

// The program form as the broker sees it.
class TBrokerTestForm : public TForm, public TBrokersSite {
  PLATFORM_CLASS(TBrokerTestForm)

 public:
  explicit TBrokerTestForm(TComponent* owner) : TForm(owner) {}

  AnsiString SiteUICodePage() const override { return uiCodePage; }
  AnsiString SiteSysCodePage() const override { return sysCodePage; }
  int SiteUIMode() const override { return uiMode; }
  int SiteLookupState() const override { return lookupState; }
  Variant SiteLookupReturnValue() const override { return lookupReturnValue; }
  void SetSiteLookupOpenParam(const Variant& param) override { lookupOpenParam = param; }
  bool SiteCanEdit() const override { return canEdit; }
  bool SiteCanAdd() const override { return canAdd; }

  AnsiString uiCodePage = "936";
  AnsiString sysCodePage = "936";
  int uiMode = 0;
  int lookupState = 0;
  Variant lookupReturnValue;
  Variant lookupOpenParam;
  bool canEdit = false;
  bool canAdd = false;
};

const TClassInfo& TBrokerTestForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TBrokerTestForm>("TBrokerTestForm", TForm::StaticClass()).Build();
  return info;
}

// The bytes of a text in code page 950.
AnsiString Big5(const char8_t* utf8) {
  return Bytes(FromWide(Utf8ToWide(reinterpret_cast<const char*>(utf8)), 950));
}
AnsiString Gb(const char8_t* utf8) { return Bytes(FromWide(Utf8ToWide(reinterpret_cast<const char*>(utf8)), 936)); }

// A "Language" character table that maps the given simplified characters
// to their traditional forms and back; every other character goes through
// the code pages.
std::string LanguageFile(const std::vector<std::pair<const char8_t*, const char8_t*>>& pairs) {
  std::vector<std::uint16_t> gb, big5;
  for (const auto& [simplified, traditional] : pairs) {
    const std::string g = Gb(simplified).Bytes(), b = Big5(traditional).Bytes();
    const auto code = [](const std::string& s) {
      return static_cast<std::uint16_t>(static_cast<unsigned char>(s[0]) << 8 | static_cast<unsigned char>(s[1]));
    };
    const int gi = GbIndex(static_cast<unsigned char>(g[0]), static_cast<unsigned char>(g[1]));
    const int bi = Big5Index(static_cast<unsigned char>(b[0]), static_cast<unsigned char>(b[1]));
    if (gb.size() <= static_cast<std::size_t>(gi)) gb.resize(gi + 1);
    if (big5.size() <= static_cast<std::size_t>(bi)) big5.resize(bi + 1);
    gb[gi] = code(b);
    big5[bi] = code(g);
  }
  const auto entries = [](const char* prefix, const std::vector<std::uint16_t>& codes) {
    std::string out;
    for (std::size_t i = 0; i < codes.size(); ++i) {
      char value[8];
      std::snprintf(value, sizeof value, "$%04X", codes[i]);
      out += std::string(prefix) + std::to_string(i) + "=" + value + "\r\n";
    }
    return out;
  };
  return "[BIG5]\r\n" + entries("BIG5_", big5) + "\r\n[GB]\r\n" + entries("GB_", gb);
}

std::vector<std::string> Names(const std::vector<AnsiString>& names) {
  std::vector<std::string> out;
  for (const AnsiString& n : names) out.push_back(n.ToUtf8());
  return out;
}

// ---- fixture -----------------------------------------------------------

class BrokersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetCharTables();
    dir_.WriteRegistry("[Software\\KVT\\Corvane]\nClientPath=" + dir_.Path() + "/client\n");
    dir_.Write("client/Language", LanguageFile({{u8"继", u8"繼"}, {u8"续", u8"續"}, {u8"资", u8"資"},
                                                {u8"讯", u8"訊"}, {u8"动", u8"動"}}));
    Application().SetIdleHandler([] {
      ADD_FAILURE() << "a modal loop went idle without an answer";
      Application().Terminate();
    });

    manager = std::make_shared<TRecordingObject>("HaldenWorkCenter.Manager");
    validator = std::make_shared<TRecordingObject>("Validator");
    f2 = std::make_shared<TRecordingObject>("F2Window");
    counter = std::make_shared<TRecordingObject>("Counter");
    pager = std::make_shared<TRecordingObject>("KVTPagerC.Class1");
    RegisterAutoClass("HaldenWorkCenter.Manager", [this] { return manager; });
    RegisterAutoClass("KVTPagerC.Class1", [this] { return pager; });

    manager->Returns("Com_Validator", Variant(validator));
    manager->Returns("Com_F2Window", Variant(f2));
    manager->Returns("Com_Counter", Variant(counter));
    manager->On("GetMessage", [this](std::span<Variant> args) -> Variant {
      auto it = messages.find(args[0].AsString().ToUtf8() + "/" + args[1].AsString().ToUtf8());
      return it == messages.end() ? Variant(AnsiString()) : Variant(it->second);
    });
    validator->On("BaseLimited", [](std::span<Variant>) { return Variant(); });
    validator->On("CheckValue", [this](std::span<Variant> args) -> Variant {
      const std::string key = args[0].AsString().ToUtf8() + "/" + args[1].AsString().ToUtf8();
      auto it = checkAnswers.find(key);
      if (it == checkAnswers.end()) return false;
      args[4].Deref() = it->second;
      return true;
    });

    form = CreateForm<TBrokerTestForm>(owner_.get());
    form->SetCaption(A(u8"人事异动单"));
    brokers = new TBrokers(form);
    brokers->ProgramCode = "VORN21";
    brokers->UserID = "U01";
    brokers->CompanyID = "C01";
    brokers->Database = "DEMO";
    brokers->Manager = CreateOleObject("HaldenWorkCenter.Manager");
  }

  void TearDown() override {
    owner_.reset();
    for (auto* double_ : {manager.get(), validator.get(), f2.get(), counter.get(), pager.get()}) double_->Reset();
    UnregisterAutoClass("HaldenWorkCenter.Manager");
    UnregisterAutoClass("KVTPagerC.Class1");
    Application().SetIdleHandler(nullptr);
    Application().Reset();
    ResetCharTables();
  }

  // The three services as ConnectServices would fetch them, without the
  // calls it makes.
  void GiveServices() {
    brokers->Validator = Variant(validator);
    brokers->F2Window = Variant(f2);
    brokers->Counter = Variant(counter);
  }

  static ScopedDialogScript::FailureHandler FailTest() {
    return [](const AnsiString& failure) { ADD_FAILURE() << failure.ToUtf8(); };
  }

  TempFolder dir_;
  std::unique_ptr<TComponent> owner_ = std::make_unique<TComponent>(nullptr);
  std::shared_ptr<TRecordingObject> manager, validator, f2, counter, pager;
  std::map<std::string, AnsiString> messages;     // "E/000032" -> text
  std::map<std::string, Variant> checkAnswers;    // "ADMMB/06" -> result
  TBrokerTestForm* form = nullptr;
  TBrokers* brokers = nullptr;
};

Variant ProgramRecord(const char* kind8, bool withEnglish) {
  std::vector<Variant> r{A(u8"人事异动单"), "  PRN21  ", "TransManagerC.Class1", "TP01", "A4",
                         A(u8"SF§01"), "SG01", "Y", kind8};
  if (withEnglish) r.emplace_back("Personnel change slip");
  return VarArrayOf(std::move(r));
}

// ---- start -------------------------------------------------------------

TEST_F(BrokersTest, ConnectServicesFetchesEachServiceOnceAndLoadsTheProgramRecord) {
  brokers->UserInfo.Add("BaseLimited=DEPT:A");
  checkAnswers["ADMMB/06"] = ProgramRecord("W", false);

  ASSERT_TRUE(brokers->ConnectServices());

  for (const char* member : {"Com_Validator", "Com_F2Window", "Com_Counter"}) {
    const auto calls = manager->CallsOf(member);
    ASSERT_EQ(calls.size(), 1u) << member;
    EXPECT_TRUE(calls[0].args.empty()) << member;
  }
  EXPECT_TRUE(VarIsDispatch(brokers->Validator));
  EXPECT_TRUE(VarIsDispatch(brokers->F2Window));
  EXPECT_TRUE(VarIsDispatch(brokers->Counter));

  // The validator hears the user's base-data rights before the check.
  ASSERT_GE(validator->calls.size(), 2u);
  EXPECT_EQ(validator->calls[0].member, "BaseLimited");
  EXPECT_EQ(validator->calls[0].kind, InvokeKind::PropertyPut);
  EXPECT_EQ(validator->calls[0].args, std::vector<Variant>{Variant("DEPT:A")});
  const Call& check = validator->calls[1];
  EXPECT_EQ(check.member, "CheckValue");
  EXPECT_EQ(check.args[0], Variant("ADMMB"));
  EXPECT_EQ(check.args[1], Variant("06"));
  EXPECT_EQ(check.args[2], Variant("DEMO"));
  EXPECT_EQ(check.args[3], VarArrayOf({"VORN21", "DEMO"}));
  EXPECT_EQ(check.byRef, (std::vector<bool>{false, false, true, true, true}));

  EXPECT_EQ(brokers->GetProgramName(), A(u8"人事异动单"));
  EXPECT_EQ(brokers->GetPrintProgram(), AnsiString("PRN21"));
  EXPECT_EQ(brokers->GetProgramAttr23(), AnsiString("TransManagerC.Class1;TP01"));
  EXPECT_EQ(brokers->ProgramAttr5, A(u8"SF§01"));
  EXPECT_TRUE(brokers->ProgramFlag7);
  EXPECT_EQ(brokers->BodyCheckMode, 1);

  // A second connection keeps the services it has.
  ASSERT_TRUE(brokers->ConnectServices());
  EXPECT_EQ(manager->CallsOf("Com_Counter").size(), 1u);
}

TEST_F(BrokersTest, ConnectServicesWithoutManagerOrWithAFailingOne) {
  brokers->Manager = Variant();
  EXPECT_FALSE(brokers->ConnectServices());
  EXPECT_TRUE(manager->calls.empty());

  brokers->Manager = CreateOleObject("HaldenWorkCenter.Manager");
  manager->Raises("Com_F2Window", "service down");
  const int beeps = Application().BeepCount();
  EXPECT_FALSE(brokers->ConnectServices());
  EXPECT_EQ(Application().BeepCount() - beeps, 3);
}

TEST_F(BrokersTest, ProgramRecordPositions) {
  GiveServices();
  struct Case {
    const char* name;
    Variant record;
    const char* uiCodePage;
    AnsiString programName;
    int bodyCheckMode;
    bool flag7;
  } cases[] = {
      {"W warns", ProgramRecord("W", false), "936", A(u8"人事异动单"), 1, true},
      {"E refuses", ProgramRecord("E", false), "936", A(u8"人事异动单"), 2, true},
      {"Z", ProgramRecord("Z", false), "936", A(u8"人事异动单"), 3, true},
      {"anything else", ProgramRecord("w", false), "936", A(u8"人事异动单"), 0, true},
      {"English name on an English user interface", ProgramRecord("", true), "437", "Personnel change slip", 0,
       true},
      {"English name ignored elsewhere", ProgramRecord("", true), "950", A(u8"人事异动单"), 0, true},
      {"no English name on an English user interface", ProgramRecord("", false), "437", A(u8"人事异动单"), 0,
       true},
      {"short record", VarArrayOf({"Only a name"}), "936", "Only a name", 0, false},
  };
  for (auto& c : cases) {
    form->uiCodePage = c.uiCodePage;
    checkAnswers["ADMMB/06"] = c.record;
    brokers->ProgramFlag7 = false;
    brokers->LoadProgramInfo();
    EXPECT_EQ(brokers->ProgramName, c.programName) << c.name;
    EXPECT_EQ(brokers->BodyCheckMode, c.bodyCheckMode) << c.name;
    EXPECT_EQ(brokers->ProgramFlag7, c.flag7) << c.name;
  }
  // Without a validator the program name is cleared and nothing is asked.
  brokers->Validator = Variant();
  brokers->LoadProgramInfo();
  EXPECT_TRUE(brokers->ProgramName.IsEmpty());
}

TEST_F(BrokersTest, SystemParametersComeFromGetSysInfoByCompany) {
  GiveServices();
  Variant info = VarArrayCreate({0, 1, 0, 2}, varVariant);
  const char* pairs[3][2] = {{"SYS001", "1"}, {"SYS002", "/"}, {"SYS010", "Y"}};
  for (int i = 0; i < 3; ++i) {
    info.PutElement({0, i}, pairs[i][0]);
    info.PutElement({1, i}, pairs[i][1]);
  }
  counter->Returns("GetSysInfo", info);

  ASSERT_TRUE(brokers->LoadSysInfo());
  const auto calls = counter->CallsOf("GetSysInfo");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, std::vector<Variant>{Variant("C01")});
  EXPECT_EQ(calls[0].byRef, std::vector<bool>{true});

  EXPECT_EQ(brokers->GetSysParam("SYS001"), AnsiString("1"));
  EXPECT_EQ(brokers->GetSysParam("sys002"), AnsiString("/"));
  EXPECT_EQ(brokers->GetSysParam("SYS010"), AnsiString("Y"));
  EXPECT_TRUE(brokers->GetSysParam("SYS099").IsEmpty());
  EXPECT_TRUE(brokers->GetSysParam("").IsEmpty());
  brokers->SetSysParam("", "x");
  EXPECT_EQ(brokers->SysParams.Count(), 3);

  counter->Returns("GetSysInfo", Variant());
  EXPECT_FALSE(brokers->LoadSysInfo());
  brokers->Counter = Variant();
  EXPECT_FALSE(brokers->LoadSysInfo());
}

TEST_F(BrokersTest, MaxRecordCountIsCappedAt40) {
  struct Case {
    const char* line;
    int expected;
  } cases[] = {{"MAX_RECORD=100", 40}, {"MAX_RECORD=7", 7},   {nullptr, 0},          {"MAX_RECORD=abc", 0},
               {"MAX_RECORD=40", 40},  {"MAX_RECORD=-3", 0}, {"MAX_RECORD= 12 ", 12}};
  for (const auto& c : cases) {
    brokers->UserInfo.Clear();
    if (c.line) brokers->UserInfo.Add(c.line);
    EXPECT_EQ(brokers->MaxRecordCount(), c.expected) << (c.line ? c.line : "absent");
  }
}

// ---- named functions and the validator ---------------------------------

TEST_F(BrokersTest, CallCounterPassesNameAndParametersByReference) {
  GiveServices();
  counter->On("GETCOUNTER", [](std::span<Variant> args) -> Variant {
    args[1].Deref() = "written back";
    return 42;
  });
  Variant params = VarArrayOf({"SELECT 1", "F1", "DEMO", "N"});
  const Variant params0 = params;

  EXPECT_EQ(brokers->CallCounter("SimpleSql", params), Variant(42));
  const auto calls = counter->CallsOf("GETCOUNTER");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (std::vector<Variant>{"SimpleSql", params0, VarArrayOf({"C01", "DEMO"})}));
  EXPECT_EQ(calls[0].byRef, (std::vector<bool>{true, true, false}));
  EXPECT_EQ(params, Variant("written back"));

  brokers->Counter = Variant();
  EXPECT_TRUE(VarIsEmpty(brokers->CallCounter("SimpleSql", params)));
}

TEST_F(BrokersTest, ValidateAndQueryValueShapesAndFailures) {
  GiveServices();
  validator->On("QueryData", [](std::span<Variant> args) -> Variant {
    args[4].Deref() = VarArrayOf({"row"});
    return true;
  });
  checkAnswers["INVMB/12"] = "item";
  brokers->UserInfo.Add("BaseLimited=ALL");

  Variant result;
  EXPECT_TRUE(brokers->ValidateValue("INVMB", "12", VarArrayOf({"I01"}), result));
  EXPECT_EQ(result, Variant("item"));
  EXPECT_TRUE(brokers->QueryValue("NUMFD", "01", VarArrayOf({"K"}), result));
  EXPECT_EQ(result, VarArrayOf({"row"}));
  const auto query = validator->CallsOf("QueryData");
  ASSERT_EQ(query.size(), 1u);
  EXPECT_EQ(query[0].args[2], Variant("DEMO"));
  EXPECT_EQ(query[0].byRef, (std::vector<bool>{false, false, true, true, true}));
  EXPECT_EQ(validator->CallsOf("BaseLimited").size(), 2u);

  // The validator says no, raises, or cannot take the rights.
  EXPECT_FALSE(brokers->ValidateValue("CMSMV", "07", VarArrayOf({"X"}), result));
  validator->Raises("QueryData", "query failed");
  EXPECT_FALSE(brokers->QueryValue("ADMMD", "03", VarArrayOf({"X"}), result));
  validator->Raises("BaseLimited", "read-only");
  EXPECT_TRUE(brokers->ValidateValue("INVMB", "12", VarArrayOf({"I01"}), result));

  const std::size_t before = validator->calls.size();
  brokers->Validator = Variant();
  EXPECT_FALSE(brokers->ValidateValue("INVMB", "12", VarArrayOf({"I01"}), result));
  EXPECT_EQ(validator->calls.size(), before);
}

TEST_F(BrokersTest, NextDocumentNumber) {
  GiveServices();
  TLocalProvider provider;
  FieldMeta a, b;
  a.name = "TE001";
  a.type = ftString;
  a.size = 10;
  b.name = "TE002";
  b.type = ftString;
  b.size = 10;
  DataRow row;
  row.values = {"A01", "20240305"};
  provider.AddProvider("pvd", {a, b}, {row});
  TClientDataSet cds(nullptr);
  cds.SetName("cdsMain");
  cds.SetRemoteServer(&provider);
  cds.SetProviderName("pvd");
  cds.Open();

  validator->On("QueryMaxSeq", [](std::span<Variant> args) -> Variant {
    args[6].Deref() = "A01-0007";
    return true;
  });
  AnsiString number;
  EXPECT_TRUE(brokers->NextDocumentNumber(&cds, "PALTE", number, "20240305", "TE001,TE002,"));
  EXPECT_EQ(number, AnsiString("A01-0007"));
  const auto calls = validator->CallsOf("QueryMaxSeq");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (std::vector<Variant>{"PALTE", "TE001,TE002,", VarArrayOf({"A01", "20240305"}),
                                                 "20240305", "VORN21", "DEMO", Variant()}));
  EXPECT_EQ(calls[0].byRef, (std::vector<bool>{true, true, false, true, true, true, true}));

  struct Case {
    const char* name;
    std::function<void()> arrange;
    const char* keys;
  } cases[] = {
      {"the server has no number", [&] { validator->Returns("QueryMaxSeq", false); }, "TE001,"},
      {"the server raises", [&] { validator->Raises("QueryMaxSeq", "locked"); }, "TE001,"},
      {"an unknown key field", [&] { validator->Returns("QueryMaxSeq", true); }, "TE009,"},
      {"no validator", [&] { brokers->Validator = Variant(); }, "TE001,"},
  };
  for (auto& c : cases) {
    c.arrange();
    number = "old";
    EXPECT_FALSE(brokers->NextDocumentNumber(&cds, "PALTE", number, "20240305", c.keys)) << c.name;
    EXPECT_EQ(number, AnsiString("unKnow")) << c.name;
  }
}

TEST_F(BrokersTest, GetProgramNameOfAsksADMMBWithAQuotedCode) {
  GiveServices();
  Variant lastParams;
  Variant rows = VarArrayOf({VarArrayOf({A(u8"薪资调整"), "Salary change", "", ""})});
  counter->On("GETCOUNTER", [&](std::span<Variant> args) -> Variant {
    lastParams = args[1].Deref();
    return rows;
  });

  EXPECT_EQ(brokers->GetProgramNameOf("PAL'01"), A(u8"薪资调整"));
  EXPECT_EQ(counter->calls.back().args[0], Variant("SimpleSQL"));
  EXPECT_EQ(lastParams, VarArrayOf({"SELECT MB002,MB011,MB012,MB013 FROM ADMMB WHERE MB001='PAL''01'",
                                    "MB002,MB011,MB012,MB013", "DEMO", "N"}));
  form->uiCodePage = "437";
  EXPECT_EQ(brokers->GetProgramNameOf("PAL01"), AnsiString("Salary change"));

  for (const Variant& none : {Variant(), Null(), VarArrayOf(std::vector<Variant>{})}) {
    rows = none;
    EXPECT_EQ(brokers->GetProgramNameOf("NOSUCH"), AnsiString("NOSUCH"));
  }
  counter->Raises("GETCOUNTER", "no table");
  EXPECT_EQ(brokers->GetProgramNameOf("NOSUCH"), AnsiString("NOSUCH"));
}

// ---- look-up service ---------------------------------------------------

TEST_F(BrokersTest, LookupServiceCalls) {
  GiveServices();
  const Variant handle = static_cast<int>(form->Handle());

  f2->Returns("ShowInputDay", "20240310");
  EXPECT_EQ(brokers->PickDate(true, "20240301"), AnsiString("20240310"));
  EXPECT_EQ(f2->CallsOf("ShowInputDay")[0].args, std::vector<Variant>{VarArrayOf({true, "20240301", "DEMO"})});

  Variant status = 0;
  f2->On("GetPhrase2", [&](std::span<Variant> args) -> Variant {
    args[3].Deref() = A(u8"同意");
    return status;
  });
  EXPECT_EQ(brokers->PickPhrase("x"), A(u8"同意"));
  const Call phrase = f2->CallsOf("GetPhrase2")[0];
  EXPECT_EQ(phrase.args, (std::vector<Variant>{"U01", "C01", handle, "x"}));
  EXPECT_EQ(phrase.byRef, (std::vector<bool>{false, false, false, true}));
  status = -1;
  EXPECT_TRUE(brokers->PickPhrase("x").IsEmpty());

  f2->Returns("ShowCharaters", "chosen");
  EXPECT_EQ(brokers->ShowCharacters("K1", true, 77, "C02", "U02"), Variant("chosen"));
  const Call chars = f2->CallsOf("ShowCharaters")[0];
  EXPECT_EQ(chars.args, (std::vector<Variant>{"U02", "C02", "K1", true, 77}));
  EXPECT_EQ(chars.byRef, (std::vector<bool>{true, true, true, false, true}));

  f2->Returns("GetCalcValue", "12.5");
  EXPECT_EQ(brokers->CalcValue("10+2.5"), AnsiString("12.5"));
  const Call calc = f2->CallsOf("GetCalcValue")[0];
  EXPECT_EQ(calc.args, (std::vector<Variant>{"10+2.5", handle}));
  EXPECT_EQ(calc.byRef, (std::vector<bool>{true, false}));

  brokers->F2Window = Variant();
  const std::size_t before = f2->calls.size();
  EXPECT_TRUE(brokers->PickDate(false, "20240301").IsEmpty());
  EXPECT_TRUE(brokers->PickPhrase("x").IsEmpty());
  EXPECT_TRUE(VarIsEmpty(brokers->ShowCharacters("K1", true, 0, "C", "U")));
  EXPECT_TRUE(brokers->CalcValue("1").IsEmpty());
  EXPECT_EQ(f2->calls.size(), before);
}

TEST_F(BrokersTest, CalcValueFailureAsksToUpdateTheService) {
  GiveServices();
  messages["E/000032"] = A(u8"程序启动失败:%s");
  f2->Raises("GetCalcValue", "no such member");
  ScopedDialogScript script(FailTest());
  script.Answer("OK");

  EXPECT_TRUE(brokers->CalcValue("1+1").IsEmpty());
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Shown()[0].Text, A(u8"程序启动失败:请更新F2WindowC.dll "));
  EXPECT_EQ(script.Shown()[0].Type, mtError);
}

TEST_F(BrokersTest, LookupWindowParameters) {
  GiveServices();
  brokers->UserInfo.Add("BaseLimited=DEPT:A");
  form->canEdit = true;
  form->canAdd = false;
  f2->On("F2GetData", [](std::span<Variant>) { return Variant("picked"); });

  Variant result;
  EXPECT_EQ(brokers->ShowF2Window("P1", "P2", result, "s1", "s2", "s3", 0, "s4", true, false, "s5", "v"),
            Variant("picked"));
  EXPECT_EQ(result, Variant("picked"));
  const Call call = f2->CallsOf("F2GetData")[0];
  ASSERT_EQ(call.byRef, std::vector<bool>{true});
  std::vector<Variant> expected{"P1", "P2",  "v",          false, "s5",   "C01",   "DEMO",
                                static_cast<int>(form->Handle()), 1,  true,   Variant(), "s3",
                                "s2", "s1", "DEPT:A",        true,  false, brokers->Manager, "U01"};
  EXPECT_EQ(call.args[0], VarArrayOf(expected));

  // A window handle given is passed on.
  brokers->ShowF2Window("P1", "P2", result, "s1", "s2", "s3", 99, "s4", false, true, "s5", "v");
  EXPECT_EQ(f2->CallsOf("F2GetData")[1].args[0].GetElement({7}), Variant(99));

  brokers->F2Window = Variant();
  EXPECT_TRUE(VarIsEmpty(brokers->ShowF2Window("P1", "P2", result, "", "", "", 0, "", false, false, "", "")));
}

TEST_F(BrokersTest, LookupExchangeInsteadOfTheWindow) {
  GiveServices();
  brokers->UserInfo.Add("BaseLimited=DEPT:B");
  f2->Returns("F2GetData", "never");
  Variant result;

  struct Case {
    const char* name;
    const char* s3;
    Variant expected;
  } cases[] = {
      {"with texts", "s3",
       VarArrayOf({"P1", "P2", "v", 1, "s5", "DEMO", Variant(), "s3", "s2", "s1", "DEPT:B", Variant(), Variant(),
                   "9"})},
      {"without s3 the texts stay empty", "",
       VarArrayOf({"P1", "P2", "v", 1, "s5", "DEMO", Variant(), "", "", "", "DEPT:B", Variant(), Variant(), "9"})},
  };
  form->lookupState = 1;
  for (auto& c : cases) {
    form->lookupOpenParam = Variant();
    brokers->ShowF2Window("P1", "P2", result, "s1", "s2", c.s3, 0, "s4", true, true, "s5", "v");
    EXPECT_EQ(form->lookupOpenParam, c.expected) << c.name;
  }

  form->lookupState = 2;
  form->lookupReturnValue = VarArrayOf({"E01", A(u8"张三")});
  result = Variant();
  EXPECT_EQ(brokers->ShowF2Window("P1", "P2", result, "", "", "", 0, "", false, false, "", ""),
            form->lookupReturnValue);
  EXPECT_EQ(result, form->lookupReturnValue);
  EXPECT_TRUE(f2->CallsOf("F2GetData").empty());
}

// ---- the host ----------------------------------------------------------

TEST_F(BrokersTest, RunProgramCallsExecWorkAndShowsWhatWentWrong) {
  GiveServices();
  messages["E/000032"] = "%s";
  Variant answer = -5;
  manager->On("ExecWork", [&](std::span<Variant> args) -> Variant {
    args[4].Deref() = "out";
    return answer;
  });
  counter->Returns("GETCOUNTER", VarArrayOf({VarArrayOf({A(u8"薪资调整")})}));

  {
    ScopedDialogScript script(FailTest());
    script.Answer("OK");
    Variant result;
    EXPECT_EQ(brokers->RunProgram("PAL01", "param", true, result), -5);
    EXPECT_EQ(result, Variant("out"));
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, A(u8"[薪资调整]作业程序无运行作业权限! "));
  }
  const Call call = manager->CallsOf("ExecWork")[0];
  EXPECT_EQ(call.args, (std::vector<Variant>{VarArrayOf({"U01", "C01", "PAL01", static_cast<int>(form->Handle())}),
                                             "param", VarArrayOf({0, 4, Variant()}), 2, Variant()}));
  EXPECT_EQ(call.byRef, (std::vector<bool>{true, true, true, true, true}));

  {
    // Without showing errors, and with an action of the caller's.
    ScopedDialogScript script(FailTest());
    Variant result;
    EXPECT_EQ(brokers->RunProgram("PAL01", "param", false, result, VarArrayOf({1, 2, 3})), -5);
    EXPECT_EQ(manager->CallsOf("ExecWork")[1].args[2], VarArrayOf({1, 2, 3}));
    EXPECT_TRUE(script.Shown().empty());
  }
  {
    // A code the table does not know shows the message with an empty
    // argument; a success shows nothing.
    ScopedDialogScript script(FailTest());
    script.Answer("OK");
    Variant result;
    answer = -12;
    EXPECT_EQ(brokers->RunProgram("PAL01", "param", true, result), -12);
    answer = 1;
    EXPECT_EQ(brokers->RunProgram("PAL01", "param", true, result), 1);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, AnsiString(" "));
  }
  brokers->Manager = Variant();
  Variant result;
  EXPECT_EQ(brokers->RunProgram("PAL01", "param", true, result), -1);
}

TEST_F(BrokersTest, PrintDocumentHandsTheWorkToTheHost) {
  Variant answer = 0;
  manager->On("ExecWork", [&](std::span<Variant>) { return answer; });
  const Variant caller = VarArrayOf({"U01", "C01", "PRN21", 5});
  const Variant work = VarArrayOf({false, "K1||K2"});

  EXPECT_TRUE(brokers->PrintDocument(caller, work));
  const Call call = manager->CallsOf("ExecWork")[0];
  EXPECT_EQ(call.args, (std::vector<Variant>{caller, Variant(), VarArrayOf({6, 0, work}), 0, Variant()}));
  EXPECT_EQ(call.byRef, (std::vector<bool>{true, false, true, false, true}));
  answer = -1;
  EXPECT_FALSE(brokers->PrintDocument(caller, work));
  brokers->Manager = Variant();
  EXPECT_FALSE(brokers->PrintDocument(caller, work));
}

Variant SignOffData(int count) {
  std::vector<Variant> d;
  for (int i = 0; i < count; ++i) d.emplace_back(AnsiString(("d" + std::to_string(i)).c_str()));
  return VarArrayOf(std::move(d));
}

TEST_F(BrokersTest, SendDocumentInsertsASignOffJob) {
  GiveServices();
  messages["I/200007"] = "inserted";
  messages["E/200128"] = "refused 1";
  messages["E/200129"] = "refused 2";
  Variant answer = 0;
  Variant sent;
  counter->On("GETCOUNTER", [&](std::span<Variant> args) -> Variant {
    sent = args[1].Deref();
    return answer;
  });

  const auto d = [](int i) { return Variant(AnsiString(("d" + std::to_string(i)).c_str())); };
  std::vector<Variant> record14{"U01", "C01", "VORN21", d(1), d(2), d(0), d(3)};
  for (int i = 4; i <= 11; ++i) record14.push_back(d(i));
  std::vector<Variant> record16 = record14;
  record14.insert(record14.end(), {d(12), d(13)});
  record16.insert(record16.end(), {d(14), d(15)});
  const auto job = [&](const std::vector<Variant>& record, bool sixteen, const char* variant) {
    std::vector<Variant> j{"C01", "VORN21", d(6), "U01", VarArrayOf(record), "N", Variant(), Null(), Null(),
                           Variant(), "936"};
    if (sixteen) j.insert(j.end(), {d(12), d(13)});
    j.emplace_back(variant);
    return VarArrayOf({VarArrayOf(j)});
  };

  struct Case {
    const char* name;
    int count;
    const char* attr5;
    Variant answer;
    bool expected;
    const char* dialog;  // the message shown, or nullptr
    Variant expectedSent;
  } cases[] = {
      {"14 elements, SP7", 14, "SF01", 0, true, "inserted", job(record14, false, "SP7")},
      {"16 elements, SP8 for a form code with the section sign", 16, reinterpret_cast<const char*>(u8"SF§01"), 0,
       true, "inserted", job(record16, true, "SP8")},
      {"refused with 1", 14, "SF01", 1, false, "refused 1", Variant()},
      {"refused with 2", 14, "SF01", 2, false, "refused 2", Variant()},
      {"an unknown answer", 14, "SF01", 7, false, nullptr, Variant()},
      {"no answer is no success", 14, "SF01", Variant(), false, nullptr, Variant()},
  };
  for (auto& c : cases) {
    brokers->ProgramAttr5 = A(reinterpret_cast<const char8_t*>(c.attr5));
    answer = c.answer;
    ScopedDialogScript script(FailTest());
    if (c.dialog) script.Answer("OK");
    EXPECT_EQ(brokers->SendDocument(1, SignOffData(c.count)), c.expected) << c.name;
    if (c.dialog) {
      ASSERT_EQ(script.Shown().size(), 1u) << c.name;
      EXPECT_EQ(script.Shown()[0].Text, AnsiString(c.dialog) + " ") << c.name;
    } else {
      EXPECT_TRUE(script.Shown().empty()) << c.name;
    }
    if (!VarIsEmpty(c.expectedSent)) {
      EXPECT_EQ(sent, c.expectedSent) << c.name;
    }
    EXPECT_EQ(counter->calls.back().args[0], Variant("INSERTJXJOB")) << c.name;
  }
  // The company check comes first.
  const auto checks = validator->CallsOf("CheckValue");
  ASSERT_FALSE(checks.empty());
  EXPECT_EQ(checks[0].args[0], Variant("KVTMB"));
  EXPECT_EQ(checks[0].args[1], Variant("02"));
  EXPECT_EQ(checks[0].args[3], VarArrayOf({"C01"}));

  // Another size sends nothing; no counter sends nothing and is no success.
  const std::size_t before = counter->calls.size();
  EXPECT_FALSE(brokers->SendDocument(1, SignOffData(15)));
  brokers->Counter = Variant();
  EXPECT_FALSE(brokers->SendDocument(1, SignOffData(14)));
  EXPECT_EQ(counter->calls.size(), before);
}

TEST_F(BrokersTest, SendDocumentPagesAndLinks) {
  GiveServices();
  pager->Returns("ShowSendHalden", Variant());
  EXPECT_TRUE(brokers->SendDocument(2, VarArrayOf({"U07"})));
  const Call page = pager->CallsOf("ShowSendHalden")[0];
  EXPECT_EQ(page.args, (std::vector<Variant>{"U01", VarArrayOf({"C01", "VORN21"}), "U07", Variant()}));
  EXPECT_EQ(page.byRef, (std::vector<bool>{true, false, false, false}));

  counter->Returns("GETCOUNTER", VarArrayOf({VarArrayOf({A(u8"人事异动单")})}));
  manager->Returns("ExecWork", 0);
  EXPECT_TRUE(brokers->SendDocument(3, "E01||20240305||01"));
  const Call link = manager->CallsOf("ExecWork")[0];
  const AnsiString href = AnsiString("<A href=\"vlnk://Orvane/C01/VORN21/query/E01||20240305||01\">") +
                          A(u8"人事异动单") + "</A>";
  EXPECT_EQ(link.args, (std::vector<Variant>{VarArrayOf({"U01", "C01", "TMCI05"}),
                                             VarArrayOf({"0", VarArrayOf({Variant(), Variant(), href})}),
                                             VarArrayOf({0, 4, Variant()}), 2, Variant()}));
  EXPECT_EQ(link.byRef, (std::vector<bool>{true, true, true, true, true}));

  // Failures end in false: a pager that raises, no manager, an unknown kind.
  pager->Raises("ShowSendHalden", "no pager");
  EXPECT_FALSE(brokers->SendDocument(2, VarArrayOf({"U07"})));
  brokers->Manager = Variant();
  EXPECT_FALSE(brokers->SendDocument(3, "E01"));
  EXPECT_FALSE(brokers->SendDocument(4, "E01"));
}

// ---- coded messages ----------------------------------------------------

TEST_F(BrokersTest, MessageDialogsByKind) {
  messages["E/000001"] = "text E";
  messages["C/000001"] = "text C";
  messages["D/000001"] = "text D";
  messages["I/000001"] = "text I";
  messages["Q/000001"] = "text Q";
  messages["W/000001"] = "text W";
  messages["X/000001"] = "text X";
  struct Case {
    const char* type;
    TMsgDlgType dialog;
    std::vector<std::string> buttons;
    const char* press;
    int result;
    const char* defaultButton;
  } cases[] = {
      {"T", mtError, {"Yes", "No", "Cancel", "YesToAll"}, "YesToAll", mrYesToAll, ""},
      {"C", mtWarning, {"OK", "Cancel"}, "Cancel", mrCancel, "OK"},
      {"D", mtWarning, {"Yes", "No", "Cancel"}, "No", mrNo, ""},
      {"E", mtError, {"OK"}, "OK", mrOk, "OK"},
      {"I", mtInformation, {"OK"}, "OK", mrOk, "OK"},
      {"Q", mtConfirmation, {"OK", "Cancel"}, "OK", mrOk, "OK"},
      {"W", mtWarning, {"OK", "Cancel"}, "OK", mrOk, "OK"},
      {"X", mtCustom, {"OK"}, "OK", mrOk, "OK"},
  };
  for (auto& c : cases) {
    ScopedDialogScript script(FailTest());
    script.Answer(c.press);
    EXPECT_EQ(brokers->ShowMessageCode(c.type, "000001", {}, 1, 2), c.result) << c.type;
    ASSERT_EQ(script.Shown().size(), 1u) << c.type;
    const TShownDialog& shown = script.Shown()[0];
    EXPECT_EQ(shown.Type, c.dialog) << c.type;
    EXPECT_EQ(Names(shown.Buttons), c.buttons) << c.type;
    EXPECT_EQ(shown.DefaultButton, AnsiString(c.defaultButton)) << c.type;
    EXPECT_EQ(shown.Caption, A(u8"人事异动单")) << c.type;
  }
  // Another default button by its index.
  ScopedDialogScript script(FailTest());
  script.Answer("Cancel");
  brokers->ShowMessageCode("Q", "000001", {}, 1, 3);
  EXPECT_EQ(script.Shown()[0].DefaultButton, AnsiString("Cancel"));
}

TEST_F(BrokersTest, AWarningTheUserDeclinesEndsTheOperationSilently) {
  messages["W/000009"] = "go on?";
  struct Case {
    const char* press;
    int abortFlag;
    bool aborts;
    int result;
  } cases[] = {{"Cancel", 1, true, 0}, {"Cancel", 0, false, mrCancel}, {"OK", 1, false, mrOk}};
  for (auto& c : cases) {
    ScopedDialogScript script(FailTest());
    script.Answer(c.press);
    if (c.aborts) {
      EXPECT_THROW(brokers->ShowMessageCode("W", "000009", {}, c.abortFlag), EAbort) << c.press;
    } else {
      EXPECT_EQ(brokers->ShowMessageCode("W", "000009", {}, c.abortFlag), c.result) << c.press;
    }
  }
  // Other kinds never abort.
  messages["C/000009"] = "go on?";
  ScopedDialogScript script(FailTest());
  script.Answer("Cancel");
  EXPECT_EQ(brokers->ShowMessageCode("C", "000009", {}, 1), mrCancel);
}

TEST_F(BrokersTest, ServerTextsAreFilledSafely) {
  struct Case {
    const char* name;
    AnsiString text;
    std::vector<FormatArg> args;
    AnsiString shown;
  } cases[] = {
      {"placeholders filled", A(u8"员工%s的%s"), {"E01", A(u8"部门")}, A(u8"员工E01的部门 ")},
      {"a placeholder without argument stays", "missing %s and %s", {"one"}, "missing one and %s "},
      {"surplus arguments are ignored", "no placeholder", {"a", "b"}, "no placeholder "},
      {"a stray percent sign is shown", "100% done", {}, "100% done "},
      {"a number placeholder given a text", "count %d", {"abc"}, "count %d "},
      {"a text that ends inside a placeholder", "rate %", {"x"}, "rate % "},
      {"numbers", "%d rows, %.2f", {3, 2.5}, "3 rows, 2.50 "},
      {"no text from the server: the code and the arguments", "", {"E01", "x"}, "E/000077 E01 x "},
  };
  for (auto& c : cases) {
    messages["E/000077"] = c.text;
    ScopedDialogScript script(FailTest());
    script.Answer("OK");
    brokers->ShowMessageCode("E", "000077", std::span<const FormatArg>(c.args), 1, 2);
    ASSERT_EQ(script.Shown().size(), 1u) << c.name;
    EXPECT_EQ(script.Shown()[0].Text, c.shown) << c.name;
  }
  // A manager that cannot deliver the text still lets the user see which
  // message it was.
  manager->Raises("GetMessage", "host gone");
  ScopedDialogScript script(FailTest());
  script.Answer("OK");
  brokers->ShowMessageCode("E", "000038", {});
  EXPECT_EQ(script.Shown()[0].Text, AnsiString("E/000038 "));
}

TEST_F(BrokersTest, TextsAndButtonsFollowTheCodePages) {
  messages["E/000050"] = A(u8"资讯%s");
  const AnsiString question = A(u8"是否继续?");
  struct Case {
    const char* name;
    const char* ui;
    const char* sys;
    int mode;
    const char* type;
    AnsiString text;
    std::vector<AnsiString> captions;  // OK first
    TFontCharset charset;
  } cases[] = {
      {"GB on GB: unchanged, no padding", "936", "936", 0, "E", A(u8"资讯X1 "), {LocalButtonCaption("OK")}, 134},
      {"BIG5 user interface: converted, padded", "950", "950", 2, "E", Big5(u8"資訊") + "X1     " + "      ",
       {GbToBig5Text(LocalButtonCaption("OK"))}, 136},
      {"GB user interface on a BIG5 system: padded, not converted", "936", "950", 4, "E",
       A(u8"资讯") + "X1     " + "      ", {LocalButtonCaption("OK")}, 134},
      {"English user interface keeps the button captions", "437", "437", 0, "E", A(u8"资讯X1 ") + "      ",
       {AnsiString("OK")}, 134},
      {"T on a BIG5 system: the E text, the question", "936", "950", 4, "T",
       A(u8"资讯") + "X1     " + "\r\n" + question + "      ",
       {LocalButtonCaption("Yes"), LocalButtonCaption("No"), LocalButtonCaption("Cancel"),
        LocalButtonCaption("YesToAll")},
       134},
      {"T on a BIG5 user interface converts the question", "950", "950", 2, "T",
       Big5(u8"資訊") + "X1     " + "\r\n" + GbToBig5Text(question) + "      ",
       {GbToBig5Text(LocalButtonCaption("Yes")), GbToBig5Text(LocalButtonCaption("No")),
        GbToBig5Text(LocalButtonCaption("Cancel")), GbToBig5Text(LocalButtonCaption("YesToAll"))},
       136},
  };
  for (auto& c : cases) {
    form->uiCodePage = c.ui;
    form->sysCodePage = c.sys;
    form->uiMode = c.mode;
    std::vector<AnsiString> captions;
    AnsiString fontName;
    TFontCharset charset = 0;
    ScopedDialogScript script(FailTest());
    script.Answer(std::string(c.type) == "T" ? "No" : "OK", [&](TMessageForm& dialog) {
      for (TButton* b : dialog.Buttons()) captions.push_back(b->Caption());
      fontName = dialog.Font()->Name();
      charset = dialog.Font()->Charset();
    });
    brokers->ShowMessageCode(c.type, "000050", {"X1"});
    ASSERT_EQ(script.Shown().size(), 1u) << c.name;
    EXPECT_EQ(script.Shown()[0].Text, c.text) << c.name;
    EXPECT_EQ(captions, c.captions) << c.name;
    EXPECT_EQ(fontName, AnsiString("SimSun")) << c.name;
    EXPECT_EQ(charset, c.charset) << c.name;
  }
}

TEST_F(BrokersTest, DisplayConversionByMode) {
  const AnsiString gb = A(u8"继续");
  struct Case {
    int mode;
    AnsiString text;
    AnsiString expected;
  } cases[] = {{0, gb, gb}, {4, gb, gb}, {2, gb, Big5(u8"繼續")}, {1, Big5(u8"繼續"), gb}};
  for (auto& c : cases) {
    form->uiMode = c.mode;
    EXPECT_EQ(brokers->ConvertForDisplay(c.text), c.expected) << c.mode;
  }
}

TEST_F(BrokersTest, ABrokerWithoutAProgramFormUsesTheProcessCodePage) {
  TComponent plainOwner(nullptr);
  auto* plain = new TBrokers(&plainOwner);
  plain->Manager = CreateOleObject("HaldenWorkCenter.Manager");
  messages["I/000003"] = "done";
  EXPECT_EQ(plain->UICodePage(), AnsiString("936"));
  EXPECT_EQ(plain->UIMode(), 0);
  EXPECT_EQ(plain->FormHandle(), 0u);
  ScopedDialogScript script(FailTest());
  script.Answer("OK");
  EXPECT_EQ(plain->ShowMessageCode("I", "000003", {}), mrOk);
  EXPECT_EQ(script.Shown()[0].Text, AnsiString("done "));
  EXPECT_TRUE(script.Shown()[0].Caption.IsEmpty());
}

}  // namespace
}  // namespace kv
