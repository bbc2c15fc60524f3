// Data-set event chaining: the ten record events go silent and come back,
// the save counter is finalised before the apply, the apply allows no
// error, and null fields get their neutral values without their handlers.
#include "kernel/KnlRadical.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Exceptions.h"
#include "platform/TestSupport.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSetField.h"
#include "platform/data/DataSource.h"
#include "platform/data/LocalProvider.h"
#include "platform/ui/PropertyAccess.h"

namespace kv {
namespace {

using namespace platform;
using platform::testing::TempFolder;

FieldMeta Meta(const char* name, TFieldType type, int size = 0, std::uint32_t flags = 0,
               std::vector<FieldMeta> nested = {}) {
  FieldMeta m;
  m.name = name;
  m.type = type;
  m.size = size;
  m.flags = flags;
  m.nested = std::move(nested);
  return m;
}

DataRow Row(std::vector<Variant> values, std::vector<std::vector<DataRow>> nested = {}) {
  DataRow r;
  r.values = std::move(values);
  r.nested = std::move(nested);
  return r;
}

// Records which handler ran, by name.
class HandlerLog {
 public:
  std::vector<std::string> entries;

  TDataSetNotifyEvent DataSetEvent(const std::string& name) {
    tags_.push_back({this, name});
    return TDataSetNotifyEvent::FromFunction(
        [](void* data, TDataSet*) {
          auto* tag = static_cast<Tag*>(data);
          tag->log->entries.push_back(tag->name);
        },
        &tags_.back());
  }
  TFieldNotifyEvent FieldEvent(const std::string& name) {
    tags_.push_back({this, name});
    return TFieldNotifyEvent::FromFunction(
        [](void* data, TField*) {
          auto* tag = static_cast<Tag*>(data);
          tag->log->entries.push_back(tag->name);
        },
        &tags_.back());
  }
  TNotifyEvent NotifyEvent(const std::string& name) {
    tags_.push_back({this, name});
    return TNotifyEvent::FromFunction(
        [](void* data, TObject*) {
          auto* tag = static_cast<Tag*>(data);
          tag->log->entries.push_back(tag->name);
        },
        &tags_.back());
  }
  TDataChangeEvent DataChangeEvent(const std::string& name) {
    tags_.push_back({this, name});
    return TDataChangeEvent::FromFunction(
        [](void* data, TObject*, TField*) {
          auto* tag = static_cast<Tag*>(data);
          tag->log->entries.push_back(tag->name);
        },
        &tags_.back());
  }
  int Count(const std::string& name) const {
    int n = 0;
    for (const auto& e : entries) n += e == name;
    return n;
  }

 private:
  struct Tag {
    HandlerLog* log;
    std::string name;
  };
  std::deque<Tag> tags_;
};

// The detail rows: ID, SEQ (key), FLAG, ITEM.
std::vector<FieldMeta> DetailFields() {
  return {Meta("ID", ftInteger, 0, mfKey), Meta("SEQ", ftString, 4, mfKey), Meta("FLAG", ftInteger),
          Meta("ITEM", ftString, 20)};
}

// Headers ID (key), NAME, FLAG and their detail rows qryBody.
std::vector<FieldMeta> HeaderFields() {
  return {Meta("ID", ftInteger, 0, mfKey | mfRequired), Meta("NAME", ftString, 10), Meta("FLAG", ftInteger),
          Meta("qryBody", ftDataSet, 0, 0, DetailFields())};
}

class KnlRadicalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.WriteRegistry("[Software\\KVT\\Corvane]\nClientPath=" + dir_.Path() + "/client\n");
    provider.AddProvider(
        "pvdMain", HeaderFields(),
        {Row({1, "alpha", -2, Variant()}, {{Row({1, "0001", -3, "bolt"}), Row({1, "0002", -1, "nut"}),
                                            Row({1, "0003", 5, "pin"})}}),
         Row({2, "beta", 998, Variant()}, {{}}), Row({3, "gamma", 999, Variant()}, {{}})});
    cdsMain.SetName("cdsMain");
    cdsMain.SetRemoteServer(&provider);
    cdsMain.SetProviderName("pvdMain");
    cdsMain.Open();
    cdsBody1.SetName("cdsBody1");
    cdsBody1.SetDataSetField(static_cast<TDataSetField*>(&cdsMain.FieldByName("qryBody")));
    cdsBody1.Open();
  }

  // The FLAG values of the detail rows of the current header, by SEQ.
  std::vector<int> DetailFlags() {
    std::vector<int> flags;
    for (const char* seq : {"0001", "0002", "0003"}) {
      if (!cdsBody1.Locate("SEQ", seq)) continue;
      flags.push_back(cdsBody1.FieldByName("FLAG").AsInteger());
    }
    return flags;
  }

  // The stored FLAG of a header on the provider's side.
  int ProviderFlag(int id) {
    for (const DataRow& r : provider.Rows("pvdMain"))
      if (r.values[0] == Variant(id)) return r.values[2].AsInteger();
    return -9999;
  }

  TempFolder dir_;
  TLocalProvider provider;
  TClientDataSet cdsMain{nullptr};
  TClientDataSet cdsBody1{nullptr};
  HandlerLog log;
};

TEST_F(KnlRadicalTest, SuspendingClearsExactlyTheTenRecordEventsAndRestoringPutsThemBack) {
  const std::vector<std::string> others = {"BeforeCancel", "AfterCancel", "BeforeDelete", "AfterDelete",
                                           "BeforeClose",  "AfterClose",  "OnNewRecord",  "OnCalcFields"};
  for (const char* name : kRecordEventNames) SetMethodProp(cdsMain, name, log.DataSetEvent(name).Method());
  for (const std::string& name : others) SetMethodProp(cdsMain, name.c_str(), log.DataSetEvent(name).Method());
  std::vector<TMethod> before;
  for (const char* name : kRecordEventNames) before.push_back(GetMethodProp(cdsMain, name));

  TDataSetEvents saved;
  SuspendDataSetEvents(cdsMain, saved);
  for (std::size_t i = 0; i < kRecordEventNames.size(); ++i) {
    EXPECT_FALSE(GetMethodProp(cdsMain, kRecordEventNames[i]).Assigned()) << kRecordEventNames[i];
    EXPECT_EQ(saved.Handlers[i], before[i]) << kRecordEventNames[i];
  }
  for (const std::string& name : others) EXPECT_TRUE(GetMethodProp(cdsMain, name.c_str()).Assigned()) << name;

  // Silent while suspended: none of the ten runs on edit, post or scroll.
  cdsMain.Edit();
  cdsMain.FieldByName("NAME").SetAsString("x");
  cdsMain.Post();
  cdsMain.Next();
  for (const char* name : kRecordEventNames) EXPECT_EQ(log.Count(name), 0) << name;

  RestoreDataSetEvents(cdsMain, saved);
  for (std::size_t i = 0; i < kRecordEventNames.size(); ++i)
    EXPECT_EQ(GetMethodProp(cdsMain, kRecordEventNames[i]), before[i]) << kRecordEventNames[i];
  cdsMain.Edit();
  EXPECT_EQ(log.Count("BeforeEdit"), 1);
  EXPECT_EQ(log.Count("AfterEdit"), 1);
  cdsMain.Cancel();
}

TEST_F(KnlRadicalTest, TheDataSourceEventsGoSilentTooAndComeBackAfterAnError) {
  TDataSource dsMain(nullptr);
  dsMain.SetDataSet(&cdsMain);
  dsMain.OnDataChange = log.DataChangeEvent("OnDataChange");
  dsMain.OnStateChange = log.NotifyEvent("OnStateChange");
  dsMain.OnUpdateData = log.NotifyEvent("OnUpdateData");
  cdsMain.AfterScroll = log.DataSetEvent("AfterScroll");
  const TMethod dataChange = GetMethodProp(dsMain, "OnDataChange");
  const TMethod stateChange = GetMethodProp(dsMain, "OnStateChange");

  EXPECT_THROW(
      {
        TEventSuspension suspended(cdsMain, &dsMain);
        EXPECT_FALSE(GetMethodProp(dsMain, "OnDataChange").Assigned());
        EXPECT_FALSE(GetMethodProp(dsMain, "OnStateChange").Assigned());
        EXPECT_TRUE(GetMethodProp(dsMain, "OnUpdateData").Assigned());
        cdsMain.Next();
        cdsMain.Edit();
        throw Exception("work failed");
      },
      Exception);
  EXPECT_TRUE(log.entries.empty());
  EXPECT_EQ(GetMethodProp(dsMain, "OnDataChange"), dataChange);
  EXPECT_EQ(GetMethodProp(dsMain, "OnStateChange"), stateChange);
  EXPECT_TRUE(GetMethodProp(cdsMain, "AfterScroll").Assigned());
  cdsMain.Cancel();
  cdsMain.Next();
  EXPECT_EQ(log.Count("AfterScroll"), 1);
  EXPECT_GE(log.Count("OnDataChange"), 1);
}

TEST(SaveCounter, PendingAndFinalValues) {
  struct Case {
    int stored;
    int pending;
    int sent;
  } cases[] = {{0, -1, 1}, {5, -6, 6}, {998, -999, 999}, {999, -1000, 0}, {-4, -4, 4}, {-1000, -1000, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(PendingFlag(c.stored), c.pending) << c.stored;
    EXPECT_EQ(FinalFlag(PendingFlag(c.stored)), c.sent) << c.stored;
  }
  // A record edited twice before it is sent is counted once, also at the
  // wrap.
  for (int stored : {7, 999}) EXPECT_EQ(PendingFlag(PendingFlag(stored)), PendingFlag(stored)) << stored;
  EXPECT_EQ(FinalFlag(12), 12);
}

TEST_F(KnlRadicalTest, NormalizeFlagsFinalisesTheCurrentRecordAndEveryNestedRowSilently) {
  cdsBody1.AfterPost = log.DataSetEvent("body AfterPost");
  cdsBody1.BeforeEdit = log.DataSetEvent("body BeforeEdit");
  cdsMain.AfterPost = log.DataSetEvent("main AfterPost");
  ASSERT_EQ(DetailFlags(), (std::vector<int>{-3, -1, 5}));

  EXPECT_TRUE(NormalizeFlags(&cdsMain, false));

  EXPECT_EQ(DetailFlags(), (std::vector<int>{3, 1, 5}));
  EXPECT_EQ(cdsMain.FieldByName("FLAG").AsInteger(), 2);
  EXPECT_TRUE(log.entries.empty());
  EXPECT_FALSE(cdsMain.ControlsDisabled());
  EXPECT_FALSE(cdsBody1.ControlsDisabled());
  // The handlers are back.
  cdsBody1.Edit();
  cdsBody1.Post();
  EXPECT_EQ(log.Count("body BeforeEdit"), 1);
  EXPECT_EQ(log.Count("body AfterPost"), 1);

  EXPECT_TRUE(NormalizeFlags(nullptr, true));
}

TEST_F(KnlRadicalTest, RecordsBeingEditedArePostedWithTheirOwnEvents) {
  cdsBody1.BeforePost = log.DataSetEvent("body BeforePost");
  cdsMain.BeforePost = log.DataSetEvent("main BeforePost");

  // A detail row in edit is posted before the walk, with its handler.
  ASSERT_TRUE(cdsBody1.Locate("SEQ", "0003"));
  cdsBody1.Edit();
  cdsBody1.FieldByName("ITEM").SetAsString("spring");
  cdsBody1.FieldByName("FLAG").SetAsInteger(PendingFlag(5));
  // The header is being edited too: it keeps its state and gets its counter
  // in place.
  cdsMain.Edit();
  cdsMain.FieldByName("NAME").SetAsString("omega");

  NormalizeFlags(&cdsMain, true);
  EXPECT_EQ(log.Count("body BeforePost"), 1);
  EXPECT_EQ(log.Count("main BeforePost"), 0);
  EXPECT_EQ(cdsMain.State(), TDataSetState::dsEdit);
  EXPECT_EQ(cdsMain.FieldByName("FLAG").AsInteger(), 2);
  EXPECT_EQ(DetailFlags(), (std::vector<int>{3, 1, 6}));
  cdsMain.Post();
  EXPECT_EQ(log.Count("main BeforePost"), 1);
}

TEST_F(KnlRadicalTest, ApplyDataSetSendsFinalCountersAndAllowsNoError) {
  // The stored rows of the provider carry their sent counters.
  provider.Rows("pvdMain")[0].values[2] = 2;
  cdsMain.Close();
  cdsMain.Open();
  cdsMain.BeforePost = log.DataSetEvent("main BeforePost");

  // A new record as the data module creates it, left in insert.
  cdsMain.Append();
  cdsMain.FieldByName("ID").SetAsInteger(4);
  cdsMain.FieldByName("NAME").SetAsString("delta");
  cdsMain.FieldByName("FLAG").SetAsInteger(PendingFlag(0));
  EXPECT_TRUE(ApplyDataSet(nullptr, &cdsMain));
  EXPECT_EQ(log.Count("main BeforePost"), 1);
  EXPECT_EQ(ProviderFlag(4), 1);
  EXPECT_EQ(cdsMain.FieldByName("FLAG").AsInteger(), 1);
  EXPECT_EQ(cdsMain.ChangeCount(), 0);

  // Saved after 999, the counter stores 0.
  ASSERT_TRUE(cdsMain.Locate("ID", 3));
  cdsMain.Edit();
  cdsMain.FieldByName("FLAG").SetAsInteger(PendingFlag(cdsMain.FieldByName("FLAG").AsInteger()));
  cdsMain.Post();
  EXPECT_TRUE(ApplyDataSet(nullptr, &cdsMain));
  EXPECT_EQ(ProviderFlag(3), 0);

  // A refused row rolls everything back: false, and every change stays.
  provider.SetRowCheck([](const AnsiString&, const DeltaRow& row, const std::vector<int>&) -> std::optional<AnsiString> {
    if (row.current.size() > 1 && row.current[1] == Variant("refused")) return AnsiString("Not allowed");
    return std::nullopt;
  });
  ASSERT_TRUE(cdsMain.Locate("ID", 2));
  cdsMain.Edit();
  cdsMain.FieldByName("NAME").SetAsString("ok");
  cdsMain.FieldByName("FLAG").SetAsInteger(PendingFlag(998));
  cdsMain.Post();
  ASSERT_TRUE(cdsMain.Locate("ID", 4));
  cdsMain.Edit();
  cdsMain.FieldByName("NAME").SetAsString("refused");
  cdsMain.Post();
  EXPECT_FALSE(ApplyDataSet(nullptr, &cdsMain));
  EXPECT_EQ(cdsMain.ChangeCount(), 2);
  EXPECT_EQ(ProviderFlag(2), 998);
}

TEST_F(KnlRadicalTest, ApplyDataSetLogsAndRaisesWhatSendingRaises) {
  provider.SetRowCheck([](const AnsiString&, const DeltaRow&, const std::vector<int>&) -> std::optional<AnsiString> {
    throw EDatabaseError("connection lost");
  });
  cdsMain.Edit();
  cdsMain.FieldByName("NAME").SetAsString("x");
  cdsMain.Post();

  EXPECT_THROW(ApplyDataSet(nullptr, &cdsMain), EDatabaseError);
  const std::string day = FormatDateTime("yyyymmdd", Now()).ToUtf8();
  const std::string text = dir_.Read("client/Log/Alert_Class knlRadical-311_" + day + ".log");
  EXPECT_NE(text.find("] connection lost\r\n"), std::string::npos) << text;
  // Nothing is lost: the edited header and the two detail rows whose
  // counters were finalised are still pending.
  EXPECT_EQ(cdsMain.ChangeCount(), 3);
}

TEST(FillNullDefaults, NullFieldsGetNeutralValuesWithoutTheirHandlers) {
  TLocalProvider provider;
  provider.AddProvider("pvd",
                       {Meta("S", ftString, 10), Meta("I", ftInteger), Meta("SI", ftSmallint), Meta("F", ftFloat),
                        Meta("C", ftCurrency), Meta("D", ftDate), Meta("N", ftInteger), Meta("T", ftString, 10)},
                       {Row({Null(), Null(), Null(), Null(), Null(), Null(), 5, "kept"})});
  TClientDataSet cds(nullptr);
  cds.SetName("cds");
  cds.SetRemoteServer(&provider);
  cds.SetProviderName("pvd");
  cds.Open();
  HandlerLog log;
  TField& integer = cds.FieldByName("I");
  integer.OnValidate = log.FieldEvent("I validate");
  integer.OnChange = log.FieldEvent("I change");
  cds.FieldByName("S").OnValidate = log.FieldEvent("S validate");

  FillNullDefaults(&cds);  // browsing: nothing to do
  EXPECT_TRUE(cds.FieldByName("I").IsNull());

  cds.Edit();
  FillNullDefaults(&cds);
  struct Case {
    const char* field;
    bool null;
    const char* text;
  } cases[] = {{"S", false, ""},  {"I", false, "0"}, {"SI", false, "0"}, {"F", false, "0"},
               {"C", true, ""},   {"D", true, ""},   {"N", false, "5"},  {"T", false, "kept"}};
  for (const auto& c : cases) {
    EXPECT_EQ(cds.FieldByName(c.field).IsNull(), c.null) << c.field;
    EXPECT_EQ(cds.FieldByName(c.field).AsString(), AnsiString(c.text)) << c.field;
  }
  EXPECT_TRUE(log.entries.empty());
  // The handlers are back.
  integer.SetAsInteger(3);
  EXPECT_EQ(log.entries, (std::vector<std::string>{"I validate", "I change"}));

  FillNullDefaults(nullptr);
}

}  // namespace
}  // namespace kv
