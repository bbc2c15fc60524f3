// The record events and link notifications of every data-set command, in
// order, and BOF / EOF after each kind of move.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/data/ClientDataSet.h"
#include "platform/data/LocalProvider.h"
#include "platform/ui/PropertyAccess.h"
#include "platform/tests/DataTestSupport.h"

namespace platform {
namespace {

using testing::EventLog;
using testing::Meta;
using testing::Row;
using Log = std::vector<std::string>;

std::vector<DataRow> ThreeRows() {
  return {Row({1, "one", 10}), Row({2, "two", 20}), Row({3, "three", 30})};
}

class DataSetEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.AddProvider("pvdFlat", {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10), Meta("QTY", ftInteger)},
                         ThreeRows());
    provider.AddProvider("pvdEmpty", {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10)});
    cds.SetName("cdsMain");
    cds.SetRemoteServer(&provider);
    cds.SetProviderName("pvdFlat");
    log.HookAll(cds);
    log.SetDataSet(&cds);
  }

  void Open(const char* provider = "pvdFlat") {
    cds.SetProviderName(provider);
    cds.Open();
    log.Clear();
  }

  TComponent owner{nullptr};
  TLocalProvider provider{&owner};
  TClientDataSet cds{&owner};
  EventLog log;
};

struct CommandCase {
  const char* name;
  const char* provider;
  bool openFirst;
  std::function<void(TClientDataSet&)> prepare;  // runs before the log is cleared
  std::function<void(TClientDataSet&)> act;
  Log expected;
};

TEST_F(DataSetEvents, EveryCommandFiresItsEventsInTheClassLibrarysOrder) {
  const std::vector<CommandCase> cases = {
      {"open", "pvdFlat", false, nullptr, [](TClientDataSet& d) { d.Open(); },
       {"BeforeOpen", "link:state dsBrowse", "AfterOpen", "AfterScroll"}},
      {"open of an empty provider: no scroll", "pvdEmpty", false, nullptr, [](TClientDataSet& d) { d.Open(); },
       {"BeforeOpen", "link:state dsBrowse", "AfterOpen"}},
      {"close", "pvdFlat", true, nullptr, [](TClientDataSet& d) { d.Close(); },
       {"BeforeClose", "link:state dsInactive", "AfterClose"}},
      {"post from insert", "pvdFlat", true, nullptr,
       [](TClientDataSet& d) {
         d.Insert();
         d.FieldByName("ID").SetAsInteger(9);
         d.Post();
       },
       {"BeforeInsert", "BeforeScroll", "link:state dsInsert", "OnNewRecord", "link:data", "AfterInsert",
        "AfterScroll", "link:field ID", "BeforePost", "link:state dsBrowse", "link:data", "AfterPost"}},
      {"append", "pvdFlat", true, nullptr, [](TClientDataSet& d) { d.Append(); },
       {"BeforeInsert", "BeforeScroll", "link:state dsInsert", "OnNewRecord", "link:data", "AfterInsert",
        "AfterScroll"}},
      {"edit", "pvdFlat", true, nullptr, [](TClientDataSet& d) { d.Edit(); },
       {"BeforeEdit", "link:state dsEdit", "link:record", "AfterEdit"}},
      {"post of an edit", "pvdFlat", true,
       [](TClientDataSet& d) {
         d.Edit();
         d.FieldByName("NAME").SetAsString("uno");
       },
       [](TClientDataSet& d) { d.Post(); }, {"BeforePost", "link:state dsBrowse", "link:data", "AfterPost"}},
      {"cancel of an edit", "pvdFlat", true,
       [](TClientDataSet& d) {
         d.Edit();
         d.FieldByName("NAME").SetAsString("uno");
       },
       [](TClientDataSet& d) { d.Cancel(); }, {"BeforeCancel", "link:state dsBrowse", "link:data", "AfterCancel"}},
      {"cancel of an insert scrolls back", "pvdFlat", true, [](TClientDataSet& d) { d.Insert(); },
       [](TClientDataSet& d) { d.Cancel(); },
       {"BeforeCancel", "BeforeScroll", "link:state dsBrowse", "link:data", "AfterCancel", "AfterScroll"}},
      {"delete of the last record", "pvdFlat", true, [](TClientDataSet& d) { d.Last(); },
       [](TClientDataSet& d) { d.Delete(); }, {"BeforeDelete", "BeforeScroll", "link:data", "AfterDelete", "AfterScroll"}},
      {"delete while editing", "pvdFlat", true, [](TClientDataSet& d) { d.Edit(); }, [](TClientDataSet& d) { d.Delete(); },
       {"BeforeDelete", "BeforeScroll", "link:state dsBrowse", "link:data", "AfterDelete", "AfterScroll"}},
      {"next", "pvdFlat", true, nullptr, [](TClientDataSet& d) { d.Next(); }, {"BeforeScroll", "link:scroll 1", "AfterScroll"}},
      {"next on the last record still scrolls", "pvdFlat", true, [](TClientDataSet& d) { d.MoveBy(2); },
       [](TClientDataSet& d) { d.Next(); }, {"BeforeScroll", "link:scroll 0", "AfterScroll"}},
      {"next at the end only asks", "pvdFlat", true, [](TClientDataSet& d) { d.Last(); }, [](TClientDataSet& d) { d.Next(); },
       {"BeforeScroll"}},
      {"first", "pvdFlat", true, [](TClientDataSet& d) { d.Last(); }, [](TClientDataSet& d) { d.First(); },
       {"BeforeScroll", "link:data", "AfterScroll"}},
      {"last", "pvdFlat", true, nullptr, [](TClientDataSet& d) { d.Last(); }, {"BeforeScroll", "link:data", "AfterScroll"}},
      {"locate found", "pvdFlat", true, nullptr, [](TClientDataSet& d) { EXPECT_TRUE(d.Locate("NAME", "two")); },
       {"BeforeScroll", "link:data", "AfterScroll"}},
      {"locate not found", "pvdFlat", true, nullptr, [](TClientDataSet& d) { EXPECT_FALSE(d.Locate("NAME", "six")); },
       {"BeforeScroll"}},
      {"navigation posts a modified record first", "pvdFlat", true,
       [](TClientDataSet& d) {
         d.Edit();
         d.FieldByName("QTY").SetAsInteger(11);
       },
       [](TClientDataSet& d) { d.Next(); },
       {"BeforePost", "link:state dsBrowse", "link:data", "AfterPost", "BeforeScroll", "link:scroll 1", "AfterScroll"}},
      {"navigation cancels an unmodified insert first", "pvdFlat", true, [](TClientDataSet& d) { d.Append(); },
       [](TClientDataSet& d) { d.First(); },
       {"BeforeCancel", "BeforeScroll", "link:state dsBrowse", "link:data", "AfterCancel", "AfterScroll", "BeforeScroll",
        "link:data", "AfterScroll"}},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.name);
    cds.Close();
    cds.SetProviderName(c.provider);
    if (c.openFirst) cds.Open();
    if (c.prepare) c.prepare(cds);
    log.Clear();
    c.act(cds);
    EXPECT_EQ(log.entries, c.expected);
  }
}

TEST_F(DataSetEvents, PostFromInsertStoresTheRecordWhereItWasInserted) {
  Open();
  cds.Next();
  cds.Insert();
  cds.FieldByName("ID").SetAsInteger(7);
  cds.Post();
  EXPECT_EQ(cds.RecNo(), 2);
  EXPECT_EQ(cds.RecordCount(), 4);
  cds.Next();
  EXPECT_EQ(cds.FieldByName("ID").AsInteger(), 2);
}

TEST_F(DataSetEvents, DeleteOfTheLastRecordLeavesTheCursorOnTheNewLastAtTheEnd) {
  Open();
  cds.Last();
  cds.Delete();
  EXPECT_EQ(cds.FieldByName("ID").AsInteger(), 2);
  EXPECT_EQ(cds.RecNo(), 2);
  EXPECT_TRUE(cds.Eof());
  EXPECT_FALSE(cds.Bof());
}

TEST_F(DataSetEvents, AnAbortInsideBeforePostKeepsTheRecordInEdit) {
  Open();
  testing::DataSetAction abortPost{[](TDataSet*) { Abort(); }};
  cds.Edit();
  cds.FieldByName("NAME").SetAsString("uno");
  log.Clear();
  cds.BeforePost = abortPost.Bind();
  EXPECT_THROW(cds.Post(), EAbort);
  EXPECT_TRUE(log.entries.empty()) << log.entries.front();
  EXPECT_EQ(cds.State(), TDataSetState::dsEdit);
  EXPECT_EQ(cds.FieldByName("NAME").AsString(), "uno");
  EXPECT_EQ(cds.ChangeCount(), 0);
  cds.BeforePost = nullptr;
  cds.Post();
  EXPECT_EQ(cds.ChangeCount(), 1);
}

TEST_F(DataSetEvents, AnAbortInsideOnValidateRefusesTheValue) {
  Open();
  TField& name = cds.FieldByName("NAME");
  testing::FieldAction refuse{[&](TField* f) {
    log.Add("OnValidate " + std::string(f->AsString().c_str()));
    if (f->AsString() == "bad") Abort();
  }};
  name.OnValidate = refuse.Bind();
  log.Hook(name.OnChange, "OnChange");
  cds.Edit();
  log.Clear();
  EXPECT_THROW(name.SetAsString("bad"), EAbort);
  EXPECT_EQ(log.entries, (Log{"OnValidate bad"}));
  EXPECT_EQ(name.AsString(), "one");
  EXPECT_FALSE(cds.Modified());
  log.Clear();
  name.SetAsString("good");
  EXPECT_EQ(log.entries, (Log{"OnValidate good", "OnChange", "link:field NAME"}));
  EXPECT_EQ(name.AsString(), "good");
}

TEST_F(DataSetEvents, CancelInsideOnNewRecordEndsTheInsert) {
  Open();
  testing::DataSetAction cancel{[](TDataSet* d) { d->Cancel(); }};
  cds.OnNewRecord = cancel.Bind();
  cds.Next();
  log.Clear();
  cds.Insert();
  EXPECT_EQ(log.entries, (Log{"BeforeInsert", "BeforeScroll", "link:state dsInsert", "BeforeCancel", "BeforeScroll",
                              "link:state dsBrowse", "link:data", "AfterCancel", "AfterScroll"}));
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(cds.FieldByName("ID").AsInteger(), 2);
  EXPECT_EQ(cds.RecordCount(), 3);
}

TEST_F(DataSetEvents, AnErrorInsideOnNewRecordLeavesNoRecordBehind) {
  Open();
  testing::DataSetAction fail{[](TDataSet*) { throw EDatabaseError("no"); }};
  cds.OnNewRecord = fail.Bind();
  EXPECT_THROW(cds.Append(), EDatabaseError);
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.FieldByName("ID").AsInteger(), 1);
}

TEST_F(DataSetEvents, ScrollFromTheLastFetchedRecordFetchesTheNextPacket) {
  cds.SetPacketRecords(2);
  cds.SetFetchOnDemand(false);
  // The base data module's rule: at the last fetched record, while
  // browsing, fetch the next packet with the controls disabled.
  testing::DataSetAction fetch{[&](TDataSet*) {
    log.Add("BeforeScroll");
    if (cds.State() == TDataSetState::dsBrowse && cds.RecNo() == cds.RecordCount()) {
      cds.DisableControls();
      cds.GetNextPacket();
      cds.EnableControls();
    }
  }};
  cds.Open();
  cds.BeforeScroll = fetch.Bind();
  EXPECT_EQ(cds.RecordCount(), 2);
  cds.Next();
  log.Clear();
  cds.Next();
  EXPECT_EQ(log.entries, (Log{"BeforeScroll", "link:data", "link:scroll 1", "AfterScroll"}));
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.RecNo(), 3);
  EXPECT_EQ(cds.FieldByName("ID").AsInteger(), 3);
  EXPECT_FALSE(cds.HasMoreRows());
  // The provider saw where the client stood.
  const ProviderRequest& next = provider.Requests("pvdFlat").back();
  EXPECT_EQ(next.rowsFetched, 2);
  EXPECT_EQ(next.lastKey, VarArrayOf({2}));
}

TEST_F(DataSetEvents, FetchOnDemandFetchesWhileMovingAndOnLast) {
  cds.SetPacketRecords(1);
  cds.Open();
  EXPECT_EQ(cds.RecordCount(), 1);
  cds.Next();
  EXPECT_EQ(cds.FieldByName("ID").AsInteger(), 2);
  EXPECT_FALSE(cds.Eof());
  cds.Last();
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.FieldByName("ID").AsInteger(), 3);
}

TEST_F(DataSetEvents, PacketRecordsZeroOpensWithTheMetadataOnly) {
  cds.SetPacketRecords(0);
  cds.SetFetchOnDemand(false);
  cds.Open();
  EXPECT_EQ(cds.FieldCount(), 3);
  EXPECT_EQ(cds.RecordCount(), 0);
  EXPECT_TRUE(cds.HasMoreRows());
  EXPECT_EQ(cds.GetNextPacket(), 0);
}

TEST_F(DataSetEvents, DisableControlsHoldsNotificationsUntilTheOutermostEnable) {
  Open();
  cds.DisableControls();
  cds.DisableControls();
  cds.Edit();
  cds.FieldByName("QTY").SetAsInteger(5);
  cds.Post();
  cds.Next();
  cds.EnableControls();
  EXPECT_EQ(log.entries, (Log{"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}));
  log.Clear();
  cds.EnableControls();
  EXPECT_EQ(log.entries, (Log{"link:data"}));
  log.Clear();
  cds.DisableControls();
  cds.Edit();
  cds.EnableControls();
  EXPECT_EQ(log.entries, (Log{"BeforeEdit", "AfterEdit", "link:state dsEdit", "link:data"}));
  cds.Cancel();
  log.Clear();
  cds.DisableControls();
  cds.Close();
  cds.Open();
  cds.EnableControls();
  EXPECT_EQ(log.entries, (Log{"BeforeClose", "AfterClose", "BeforeOpen", "AfterOpen", "AfterScroll", "link:layout"}));
}

TEST_F(DataSetEvents, ALinkAttachedAgainHearsActiveChanged) {
  struct Counter : TDataLink {
    int active = 0;
    void ActiveChanged() override { ++active; }
  } counter;
  counter.SetDataSet(&cds);
  Open();
  EXPECT_EQ(counter.active, 2);
  counter.SetDataSet(nullptr);
  counter.SetDataSet(&cds);
  EXPECT_EQ(counter.active, 4);
  EXPECT_TRUE(counter.Active());
  {
    auto gone = std::make_unique<TClientDataSet>(nullptr);
    counter.SetDataSet(gone.get());
  }
  EXPECT_EQ(counter.DataSet(), nullptr);
}

TEST_F(DataSetEvents, TheRecordEventsAreSavedClearedAndRestoredByPublishedName) {
  const std::vector<const char*> names = {"AfterEdit",  "AfterInsert", "AfterOpen",    "AfterPost",   "BeforeEdit",
                                          "BeforeInsert", "BeforeOpen", "BeforePost", "BeforeScroll", "AfterScroll"};
  std::vector<TMethod> saved;
  for (const char* n : names) saved.push_back(GetMethodProp(cds, n));
  for (const char* n : names) SetMethodProp(cds, n, TMethod());
  Open();
  cds.Edit();
  cds.Post();
  cds.Next();
  EXPECT_EQ(log.entries, (Log{"link:state dsEdit", "link:record", "link:state dsBrowse", "link:data", "link:scroll 1"}));
  for (std::size_t i = 0; i < names.size(); ++i) SetMethodProp(cds, names[i], saved[i]);
  EXPECT_TRUE(cds.BeforePost == TDataSetNotifyEvent::FromMethod(saved[7]));
  log.Clear();
  cds.Next();
  EXPECT_EQ(log.entries, (Log{"BeforeScroll", "link:scroll 1", "AfterScroll"}));
  EXPECT_THROW(SetMethodProp(cds, "OnFilterRecord", saved[0]), EPropertyConvertError);
}

TEST_F(DataSetEvents, FieldPropertiesAreSetByName) {
  Open();
  TField& name = cds.FieldByName("NAME");
  SetPropValue(name, "DisplayLabel", "Customer");
  SetPropValue(name, "DisplayWidth", "24");
  SetPropValue(name, "Visible", "False");
  SetPropValue(name, "Index", "0");
  EXPECT_EQ(name.DisplayLabel(), "Customer");
  EXPECT_EQ(name.DisplayWidth(), 24);
  EXPECT_FALSE(name.Visible());
  EXPECT_EQ(cds.Fields(0), &name);
  AnsiString text;
  EXPECT_TRUE(GetPropValue(name, "Size", text));
  EXPECT_EQ(text, "10");
  EXPECT_TRUE(GetPropValue(cds, "ProviderName", text));
  EXPECT_EQ(text, "pvdFlat");
  EXPECT_EQ(owner.FindComponent("cdsMain"), &cds);
}

// BOF and EOF after every kind of move.
struct MoveCase {
  const char* name;
  std::function<void(TClientDataSet&)> move;
  bool bof, eof;
  int recNo;
};

TEST_F(DataSetEvents, BofAndEofAfterEachMove) {
  Open();
  const std::vector<MoveCase> steps = {
      {"next", [](TClientDataSet& d) { d.Next(); }, false, false, 2},
      {"next to the last record", [](TClientDataSet& d) { d.Next(); }, false, false, 3},
      {"next past the end", [](TClientDataSet& d) { d.Next(); }, false, true, 3},
      {"prior", [](TClientDataSet& d) { d.Prior(); }, false, false, 2},
      {"first", [](TClientDataSet& d) { d.First(); }, true, false, 1},
      {"prior before the first", [](TClientDataSet& d) { d.Prior(); }, true, false, 1},
      {"last", [](TClientDataSet& d) { d.Last(); }, false, true, 3},
      {"move back too far", [](TClientDataSet& d) { EXPECT_EQ(d.MoveBy(-10), -2); }, true, false, 1},
      {"move forward too far", [](TClientDataSet& d) { EXPECT_EQ(d.MoveBy(10), 2); }, false, true, 3},
      {"locate", [](TClientDataSet& d) { d.Locate("ID", 2); }, false, false, 2},
      {"record number", [](TClientDataSet& d) { d.SetRecNo(1); }, false, false, 1},
      {"append", [](TClientDataSet& d) { d.Append(); }, false, true, -1},
      {"cancel of the append", [](TClientDataSet& d) { d.Cancel(); }, false, true, 3},
      {"bookmark", [](TClientDataSet& d) {
         d.First();
         TBookmark b = d.Bookmark();
         d.Last();
         d.GotoBookmark(b);
       }, false, false, 1},
  };
  EXPECT_TRUE(cds.Bof());
  EXPECT_FALSE(cds.Eof());
  for (const MoveCase& s : steps) {
    SCOPED_TRACE(s.name);
    s.move(cds);
    EXPECT_EQ(cds.Bof(), s.bof);
    EXPECT_EQ(cds.Eof(), s.eof);
    EXPECT_EQ(cds.RecNo(), s.recNo);
  }
}

TEST_F(DataSetEvents, BothEndsHoldOnlyForAnEmptyDataSet) {
  Open("pvdEmpty");
  EXPECT_TRUE(cds.Bof() && cds.Eof());
  EXPECT_EQ(cds.RecNo(), 0);
  cds.Insert();
  EXPECT_TRUE(cds.Bof());
  EXPECT_FALSE(cds.Eof());
  cds.FieldByName("ID").SetAsInteger(1);
  cds.Post();
  EXPECT_TRUE(cds.Bof());
  EXPECT_FALSE(cds.Eof());
  cds.Last();
  EXPECT_FALSE(cds.Bof());
  EXPECT_TRUE(cds.Eof());
  cds.Delete();
  EXPECT_TRUE(cds.Bof() && cds.Eof());
  EXPECT_TRUE(cds.IsEmpty());
  EXPECT_THROW(cds.Delete(), EDatabaseError);
}

TEST_F(DataSetEvents, CommandsInTheWrongStateRaiseTheClassLibrarysErrors) {
  auto message = [](const std::function<void()>& f) {
    try {
      f();
    } catch (const EDatabaseError& e) {
      return std::string(e.Message().c_str());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message([&] { cds.Next(); }), "cdsMain: Cannot perform this operation on a closed dataset");
  Open();
  EXPECT_EQ(message([&] { cds.Post(); }), "cdsMain: Dataset not in edit or insert mode");
  EXPECT_EQ(message([&] { cds.FieldByName("NAME").SetAsString("x"); }), "cdsMain: Dataset not in edit or insert mode");
  EXPECT_EQ(message([&] { cds.FieldByName("NOPE"); }), "cdsMain: Field 'NOPE' not found");
  cds.SetReadOnly(true);
  EXPECT_EQ(message([&] { cds.Edit(); }), "cdsMain: Cannot modify a read-only dataset");
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
}

TEST_F(DataSetEvents, PostChecksRequiredFieldsAfterBeforePost) {
  provider.AddProvider("pvdReq", {Meta("ID", ftInteger, 0, mfKey | mfRequired), Meta("NAME", ftString, 10, mfRequired)});
  Open("pvdReq");
  testing::DataSetAction fill{[](TDataSet* d) { d->FieldByName("ID").SetAsInteger(4); }};
  cds.BeforePost = fill.Bind();
  cds.Append();
  log.Clear();
  try {
    cds.Post();
    FAIL() << "posted without NAME";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'NAME' must have a value");
  }
  EXPECT_EQ(log.entries, (Log{"link:field ID", "link:focus NAME"}));
  EXPECT_EQ(cds.State(), TDataSetState::dsInsert);
  // A read-only required field is not checked (the server fills it).
  cds.FieldByName("NAME").SetReadOnly(true);
  cds.Post();
  EXPECT_EQ(cds.RecordCount(), 1);
}

TEST_F(DataSetEvents, OnPostErrorMayAbortOrRetry) {
  provider.AddProvider("pvdReq", {Meta("ID", ftInteger, 0, mfKey | mfRequired)});
  Open("pvdReq");
  int calls = 0;
  struct Handler {
    int* calls;
    TDataAction action;
  } handler{&calls, TDataAction::daAbort};
  cds.OnPostError = TDataSetErrorEvent::FromFunction(
      [](void* data, TDataSet* d, EDatabaseError&, TDataAction& action) {
        auto* h = static_cast<Handler*>(data);
        ++*h->calls;
        action = h->action;
        if (h->action == TDataAction::daRetry) {
          d->FieldByName("ID").SetAsInteger(1);
          h->action = TDataAction::daFail;
        }
      },
      &handler);
  cds.Append();
  EXPECT_THROW(cds.Post(), EAbort);
  EXPECT_EQ(calls, 1);
  handler.action = TDataAction::daRetry;
  cds.Post();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
}

}  // namespace
}  // namespace platform
