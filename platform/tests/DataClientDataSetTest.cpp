// Client data sets on one level: order (indexes, descending), clones,
// filters, Locate, bookmarks, the change log and its delta with per-row
// reconcile errors, provider parameters and the row window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/data/ClientDataSet.h"
#include "platform/data/LocalProvider.h"
#include "platform/data/RowWindow.h"
#include "platform/tests/DataTestSupport.h"

namespace platform {
namespace {

using testing::EventLog;
using testing::Meta;
using testing::Row;
using Ids = std::vector<int>;

class ClientData : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.AddProvider("pvdFlat",
                         {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10), Meta("QTY", ftInteger),
                          Meta("FLAG", ftInteger)},
                         {Row({1, "pear", 30, 1}), Row({2, "apple", 10, 1}), Row({3, "Fig", 20, 1}),
                          Row({4, "apple", 40, 1}), Row({5, Null(), 50, 1})});
    cds.SetName("cdsMain");
    cds.SetRemoteServer(&provider);
    cds.SetProviderName("pvdFlat");
    cds.Open();
  }

  // The IDs in the cursor's order, read without moving.
  static Ids IdsOf(TDataSet& ds) {
    Ids ids;
    TRowWindow rows(ds);
    for (int r = 0; r < rows.RowCount(); ++r) ids.push_back(rows.Value(r, ds.FieldByName("ID")).AsInteger());
    return ids;
  }
  int Id() { return cds.FieldByName("ID").AsInteger(); }

  TComponent module{nullptr};
  TLocalProvider provider{&module};
  TClientDataSet cds{&module};
};

TEST_F(ClientData, IndexFieldNamesAndDescendingIndexDefinitions) {
  ASSERT_TRUE(cds.Locate("ID", 3));
  cds.SetIndexFieldNames("NAME;QTY");
  EXPECT_EQ(IdsOf(cds), (Ids{5, 3, 2, 4, 1}));  // null first, then bytes: "Fig" < "apple"
  EXPECT_EQ(Id(), 3);                           // the cursor keeps its record
  EXPECT_EQ(cds.RecNo(), 2);
  // The single-table module's descending order: a definition named like
  // the field, with the descending option, selected by name.
  TIndexDef* def = cds.IndexDefs()->AddIndexDef("NAME", "NAME");
  def->SetDescFields("NAME");
  def->SetOptions({ixDescending});
  cds.SetIndexName("NAME");
  EXPECT_EQ(cds.IndexFieldNames(), "");
  EXPECT_EQ(IdsOf(cds), (Ids{1, 2, 4, 3, 5}));  // equal keys keep their natural order
  EXPECT_EQ(cds.IndexFieldCount(), 1);
  EXPECT_EQ(cds.IndexFields(0), &cds.FieldByName("NAME"));
  // Only the listed fields descend.
  cds.IndexDefs()->AddIndexDef("MIXED", "NAME;QTY")->SetDescFields("QTY");
  cds.SetIndexName("MIXED");
  EXPECT_EQ(IdsOf(cds), (Ids{5, 3, 4, 2, 1}));
  cds.IndexDefs()->AddIndexDef("CI", "NAME", {ixCaseInsensitive});
  cds.SetIndexName("CI");
  EXPECT_EQ(IdsOf(cds), (Ids{5, 2, 4, 3, 1}));
  cds.SetIndexFieldNames("");
  EXPECT_EQ(IdsOf(cds), (Ids{1, 2, 3, 4, 5}));
  try {
    cds.SetIndexName("NOPE");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "cdsMain: Index 'NOPE' not found");
  }
  EXPECT_THROW(cds.SetIndexFieldNames("NOPE"), EDatabaseError);
  EXPECT_EQ(IdsOf(cds), (Ids{1, 2, 3, 4, 5}));
}

TEST_F(ClientData, APostedRecordTakesItsPlaceInTheOrder) {
  cds.SetIndexFieldNames("QTY");
  cds.Append();
  cds.FieldByName("ID").SetAsInteger(6);
  cds.FieldByName("QTY").SetAsInteger(15);
  cds.Post();
  EXPECT_EQ(IdsOf(cds), (Ids{2, 6, 3, 1, 4, 5}));
  EXPECT_EQ(Id(), 6);
  EXPECT_EQ(cds.RecNo(), 2);
}

TEST_F(ClientData, ACloneKeepsOrderAndFilterAndMovesOnItsOwn) {
  cds.SetIndexFieldNames("QTY");
  cds.SetFilter("QTY >= 20");
  cds.SetFiltered(true);
  cds.Last();
  TClientDataSet clone(&module);
  clone.CloneCursor(&cds, false);
  EXPECT_EQ(IdsOf(clone), (Ids{3, 1, 4, 5}));
  EXPECT_EQ(clone.Filter(), "QTY >= 20");
  EXPECT_TRUE(clone.Filtered());
  EXPECT_EQ(clone.RecNo(), 1);
  clone.Next();
  EXPECT_EQ(clone.FieldByName("ID").AsInteger(), 1);
  EXPECT_EQ(Id(), 5);  // the source did not move
  // They share the rows: a change through the clone shows in the source.
  clone.Edit();
  clone.FieldByName("QTY").SetAsInteger(5);
  clone.Post();
  EXPECT_EQ(IdsOf(cds), (Ids{3, 4, 5}));
  EXPECT_EQ(cds.ChangeCount(), 1);
  // Reset: the natural order, no filter.
  TClientDataSet plain(&module);
  plain.CloneCursor(&cds, true);
  EXPECT_EQ(IdsOf(plain), (Ids{1, 2, 3, 4, 5}));
  EXPECT_FALSE(plain.Filtered());
  EXPECT_EQ(plain.IndexFieldNames(), "");
}

TEST_F(ClientData, CloningAClosedDataSetFails) {
  TClientDataSet closed(&module);
  closed.SetName("cdsClosed");
  TClientDataSet clone(&module);
  EXPECT_THROW(clone.CloneCursor(&closed, false), EDatabaseError);
  EXPECT_FALSE(clone.Active());
}

struct FilterCase {
  const char* filter;
  Ids ids;
};

TEST_F(ClientData, FilterExpressions) {
  const std::vector<FilterCase> cases = {
      {"ID > 3", {4, 5}},
      {"NAME = 'apple'", {2, 4}},
      {"NAME = 'ap*'", {2, 4}},
      {"NAME <> 'apple'", {1, 3}},
      {"NAME like '%e%'", {1, 2, 4}},
      {"NAME like '_ig'", {3}},
      {"QTY in (10, 50)", {2, 5}},
      {"NAME is null", {5}},
      {"NAME is not null and QTY < 30", {2, 3}},
      {"not (ID = 2) and (QTY <= 20 or ID = 5)", {3, 5}},
      {"[NAME] = 'pear'", {1}},
      {"QTY > '25'", {1, 4, 5}},
  };
  for (const FilterCase& c : cases) {
    SCOPED_TRACE(c.filter);
    cds.SetFilter(c.filter);
    cds.SetFiltered(true);
    EXPECT_EQ(IdsOf(cds), c.ids);
    EXPECT_EQ(cds.RecordCount(), static_cast<int>(c.ids.size()));
    cds.SetFiltered(false);
  }
  cds.SetFilterOptions({true, false});
  cds.SetFilter("NAME = 'FIG'");
  cds.SetFiltered(true);
  EXPECT_EQ(IdsOf(cds), (Ids{3}));
  cds.SetFiltered(false);
  const std::vector<const char*> bad = {"ID >", "(ID = 1", "NAME = 'open", "ID = 1 oops", "ID @ 2"};
  for (const char* f : bad) {
    SCOPED_TRACE(f);
    EXPECT_THROW(cds.SetFilter(f), EDatabaseError);
  }
  cds.SetFilter("NOPE = 1");
  EXPECT_THROW(cds.SetFiltered(true), EDatabaseError);
}

TEST_F(ClientData, OnFilterRecordJoinsTheExpression) {
  testing::Action<TFilterRecordEvent, TDataSet*, bool&> even{
      [](TDataSet* d, bool& accept) { accept = d->FieldByName("ID").AsInteger() % 2 == 0; }};
  cds.OnFilterRecord = even.Bind();
  cds.SetFiltered(true);
  EXPECT_EQ(IdsOf(cds), (Ids{2, 4}));
  EXPECT_EQ(Id(), 2);  // filtering goes to the first row
  cds.SetFilter("QTY > 10");
  EXPECT_EQ(IdsOf(cds), (Ids{4}));
}

TEST_F(ClientData, LocateOnSeveralFields) {
  EXPECT_TRUE(cds.Locate("NAME;QTY", VarArrayOf({"apple", 40})));
  EXPECT_EQ(Id(), 4);
  EXPECT_TRUE(cds.Locate("NAME;QTY", VarArrayOf({"apple", "10"})));  // converted to the field's type
  EXPECT_EQ(Id(), 2);
  EXPECT_FALSE(cds.Locate("NAME;QTY", VarArrayOf({"apple", 20})));
  EXPECT_EQ(Id(), 2);
  EXPECT_FALSE(cds.Locate("NAME", "APPLE"));
  EXPECT_TRUE(cds.Locate("NAME", "APPLE", {true, false}));
  EXPECT_TRUE(cds.Locate("NAME", "pe", {false, true}));
  EXPECT_EQ(Id(), 1);
  EXPECT_TRUE(cds.Locate("NAME", Null()));
  EXPECT_EQ(Id(), 5);
  EXPECT_FALSE(cds.Locate("QTY", "many"));  // no such value of the type
  EXPECT_THROW(cds.Locate("NAME;QTY", VarArrayOf({"apple"})), EDatabaseError);
  EXPECT_THROW(cds.Locate("NOPE", 1), EDatabaseError);
  EXPECT_EQ(cds.Lookup("ID", 3, "NAME"), Variant("Fig"));
  EXPECT_EQ(cds.Lookup("ID", 3, "NAME;QTY"), VarArrayOf({"Fig", 20}));
  EXPECT_EQ(VarType(cds.Lookup("ID", 9, "NAME")), varNull);
  EXPECT_EQ(Id(), 5);  // Lookup does not move
}

TEST_F(ClientData, BookmarksNameRecordsNotPositions) {
  ASSERT_TRUE(cds.Locate("ID", 3));
  TBookmark three = cds.Bookmark();
  cds.First();
  TBookmark one = cds.Bookmark();
  cds.SetIndexFieldNames("QTY");
  EXPECT_TRUE(cds.BookmarkValid(three));
  EXPECT_LT(cds.CompareBookmarks(three, one), 0);  // QTY 20 before 30
  cds.GotoBookmark(three);
  EXPECT_EQ(Id(), 3);
  cds.Delete();
  EXPECT_FALSE(cds.BookmarkValid(three));
  try {
    cds.GotoBookmark(three);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "cdsMain: Record not found");
  }
  cds.FreeBookmark(one);
  EXPECT_TRUE(one.IsEmpty());
  EXPECT_FALSE(cds.BookmarkValid(one));
}

TEST_F(ClientData, TheChangeLog) {
  cds.Edit();
  cds.FieldByName("QTY").SetAsInteger(31);
  cds.Post();
  cds.Next();
  cds.Delete();
  cds.Append();
  cds.FieldByName("ID").SetAsInteger(6);
  cds.Post();
  EXPECT_EQ(cds.ChangeCount(), 3);
  EXPECT_EQ(cds.UpdateStatus(), TUpdateStatus::usInserted);
  cds.First();
  EXPECT_EQ(cds.UpdateStatus(), TUpdateStatus::usModified);
  EXPECT_EQ(cds.FieldByName("QTY").OldValue(), Variant(30));
  EXPECT_EQ(IdsOf(cds), (Ids{1, 3, 4, 5, 6}));
  cds.RevertRecord();
  EXPECT_EQ(cds.FieldByName("QTY").AsInteger(), 30);
  EXPECT_EQ(cds.ChangeCount(), 2);
  cds.CancelUpdates();
  EXPECT_EQ(cds.ChangeCount(), 0);
  EXPECT_EQ(IdsOf(cds), (Ids{1, 2, 3, 4, 5}));
  cds.Last();
  cds.Delete();
  cds.MergeChangeLog();
  EXPECT_EQ(cds.ChangeCount(), 0);
  EXPECT_EQ(IdsOf(cds), (Ids{1, 2, 3, 4}));
  EXPECT_EQ(cds.GetDelta().rows.size(), 0u);
  EXPECT_EQ(cds.ApplyUpdates(0), 0);
  EXPECT_TRUE(provider.AppliedDeltas("pvdFlat").empty());  // nothing to send
}

TEST_F(ClientData, ADeltaWithInsertModifyAndDeleteRowsAndItsRefusedRows) {
  struct Seen {
    std::vector<std::string> messages;
    std::vector<TUpdateKind> kinds;
  } seen;
  cds.OnReconcileError = TReconcileErrorEvent::FromFunction(
      [](void* data, TClientDataSet*, EReconcileError& e, TUpdateKind kind, TReconcileAction&) {
        auto* s = static_cast<Seen*>(data);
        s->messages.push_back(e.Message().c_str());
        s->kinds.push_back(kind);
        EXPECT_FALSE(e.Context().IsEmpty());
      },
      &seen);
  // Another user changed row 2 meanwhile (its FLAG moved on).
  provider.Rows("pvdFlat")[1].values[3] = 2;
  cds.Locate("ID", 2);
  cds.Edit();
  cds.FieldByName("NAME").SetAsString("apricot");
  cds.Post();
  cds.Locate("ID", 3);
  cds.Delete();
  cds.Append();
  cds.FieldByName("ID").SetAsInteger(4);  // a key that exists
  cds.Post();
  cds.Append();
  cds.FieldByName("ID").SetAsInteger(7);
  cds.FieldByName("NAME").SetAsString("kiwi");
  cds.Post();

  Delta delta = cds.GetDelta();
  ASSERT_EQ(delta.rows.size(), 4u);
  EXPECT_EQ(delta.rows[0].kind, TUpdateKind::ukModify);
  EXPECT_EQ(delta.rows[0].changed, (std::vector<bool>{false, true, false, false}));
  EXPECT_EQ(delta.rows[1].kind, TUpdateKind::ukDelete);
  EXPECT_EQ(delta.rows[1].original[1], Variant("Fig"));
  EXPECT_EQ(delta.rows[2].kind, TUpdateKind::ukInsert);
  EXPECT_EQ(delta.rows[3].kind, TUpdateKind::ukInsert);
  EXPECT_EQ(delta.rows[3].current[1], Variant("kiwi"));

  EXPECT_EQ(cds.ApplyUpdates(-1), 2);
  EXPECT_EQ(seen.messages, (std::vector<std::string>{"Record not found or changed by another user",
                                                      "Key violation: ID = 4"}));
  EXPECT_EQ(seen.kinds, (std::vector<TUpdateKind>{TUpdateKind::ukModify, TUpdateKind::ukInsert}));
  // The delete and the good insert were applied; the refused rows stay.
  EXPECT_EQ(cds.ChangeCount(), 2);
  const auto& stored = provider.Rows("pvdFlat");
  ASSERT_EQ(stored.size(), 5u);
  EXPECT_EQ(stored[1].values[1], Variant("apple"));
  EXPECT_EQ(stored[2].values[0], Variant(4));
  EXPECT_EQ(stored[4].values[1], Variant("kiwi"));
  cds.Locate("NAME", "kiwi");
  EXPECT_EQ(cds.UpdateStatus(), TUpdateStatus::usUnmodified);
}

TEST_F(ClientData, NullIsAValueInTheChangedFlags) {
  cds.Edit();
  cds.FieldByName("NAME").Clear();
  cds.FieldByName("QTY").SetAsInteger(30);  // the same value again
  cds.Post();
  Delta delta = cds.GetDelta();
  ASSERT_EQ(delta.rows.size(), 1u);
  EXPECT_EQ(delta.rows[0].changed, (std::vector<bool>{false, true, false, false}));
  EXPECT_EQ(VarType(delta.rows[0].current[1]), varNull);
}

TEST_F(ClientData, TheProviderReceivesTheParametersOfTheOpening) {
  provider.SetRowSelector("pvdFlat", [](const ProviderRequest& r, const std::vector<DataRow>& rows) {
    std::vector<DataRow> out;
    int above = VarIsArray(r.params) ? r.params[0].AsInteger() : 0;
    for (const DataRow& row : rows)
      if (row.values[0].AsInteger() > above) out.push_back(row);
    return out;
  });
  cds.SetCommandText("select");
  cds.OpenWithParams(VarArrayOf({"3", "ID"}));
  EXPECT_EQ(IdsOf(cds), (Ids{4, 5}));
  const ProviderRequest& request = provider.Requests("pvdFlat").back();
  EXPECT_EQ(request.params, VarArrayOf({"3", "ID"}));
  EXPECT_EQ(request.commandText, "select");
  EXPECT_EQ(request.packetRecords, -1);
  EXPECT_EQ(provider.RecordCount("pvdFlat"), 2);
}

TEST_F(ClientData, AMissingProviderIsAClearError) {
  TClientDataSet none(&module);
  none.SetName("cdsNone");
  try {
    none.Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "cdsNone: Missing data provider or data packet");
  }
  EXPECT_FALSE(none.Active());
  none.SetRemoteServer(&provider);
  none.SetProviderName("pvdNope");
  EXPECT_THROW(none.Open(), EDatabaseError);
  EXPECT_FALSE(none.Active());
}

TEST_F(ClientData, TheRowWindowReadsOtherRowsWithoutMovingOrEvents) {
  auto* label = &cds.FieldByName("NAME");
  label->OnGetText = TFieldGetTextEvent::FromFunction(
      [](void*, TField* f, AnsiString& text, bool display) { text = (display ? "<" : "") + f->AsString(); }, nullptr);
  EventLog log;
  log.HookAll(cds);
  log.SetDataSet(&cds);
  cds.Next();
  log.Clear();
  TRowWindow rows(cds);
  EXPECT_EQ(rows.RowCount(), 5);
  EXPECT_EQ(rows.CurrentRow(), 1);
  EXPECT_EQ(rows.DisplayText(0, *label), "<pear");
  EXPECT_EQ(rows.Text(2, *label), "Fig");
  EXPECT_EQ(rows.Bookmark(1), cds.Bookmark());
  EXPECT_NE(rows.Bookmark(0), cds.Bookmark());
  rows.Read(3, [&] { EXPECT_EQ(cds.Bookmark(), rows.Bookmark(3)); });
  rows.Read(4, [&] {
    EXPECT_EQ(cds.FieldByName("QTY").AsInteger(), 50);
    EXPECT_THROW(cds.FieldByName("QTY").SetAsInteger(1), EDatabaseError);
  });
  EXPECT_TRUE(log.entries.empty());
  EXPECT_EQ(Id(), 2);
  EXPECT_THROW(rows.Read(5, [] {}), EDatabaseError);
  // While inserting, the new record is one of the rows, where it goes.
  cds.Insert();
  cds.FieldByName("NAME").SetAsString("new");
  EXPECT_EQ(rows.RowCount(), 6);
  EXPECT_EQ(rows.CurrentRow(), 1);
  EXPECT_EQ(rows.Text(1, *label), "new");
  EXPECT_EQ(rows.Text(2, *label), "apple");
  EXPECT_TRUE(rows.Bookmark(1).IsEmpty());
  cds.Cancel();
  cds.Append();
  EXPECT_EQ(rows.CurrentRow(), 5);
}

TEST_F(ClientData, DataAndSetDataCarryTheRowsAsTheyAreNow) {
  cds.Edit();
  cds.FieldByName("NAME").SetAsString("plum");
  cds.Post();
  DataPacket packet = cds.Data();
  EXPECT_EQ(packet.rows.size(), 5u);
  EXPECT_EQ(packet.rows[0].values[1], Variant("plum"));
  TClientDataSet copy(&module);
  copy.SetData(packet);
  EXPECT_EQ(IdsOf(copy), (Ids{1, 2, 3, 4, 5}));
  EXPECT_EQ(copy.ChangeCount(), 0);
  EXPECT_EQ(copy.FieldByName("NAME").AsString(), "plum");
  copy.EmptyDataSet();
  EXPECT_TRUE(copy.IsEmpty());
  EXPECT_EQ(copy.ChangeCount(), 0);
}

TEST_F(ClientData, FetchingOnDemandUnderAnIndexKeepsTheCursorOnItsRecord) {
  provider.AddProvider("pvdLetters", {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10)},
                       {Row({1, "e"}), Row({2, "d"}), Row({3, "c"}), Row({4, "b"}), Row({5, "a"})});
  cds.Close();
  cds.SetProviderName("pvdLetters");
  cds.SetPacketRecords(2);
  cds.SetIndexFieldNames("NAME");
  cds.Open();
  EXPECT_EQ(IdsOf(cds), (Ids{2, 1}));
  cds.Next();
  EXPECT_EQ(Id(), 1);
  // Every later packet sorts before the row the cursor stands on.
  cds.Next();
  EXPECT_EQ(Id(), 1);
  EXPECT_TRUE(cds.Eof());
  EXPECT_EQ(IdsOf(cds), (Ids{5, 4, 3, 2, 1}));
  EXPECT_EQ(cds.RecNo(), 5);
}

TEST_F(ClientData, FindKeyOnTheActiveIndex) {
  cds.SetIndexFieldNames("NAME;QTY");
  EXPECT_TRUE(cds.FindKey({Variant("apple")}));
  EXPECT_EQ(Id(), 2);
  EXPECT_TRUE(cds.FindKey({Variant("apple"), Variant(40)}));
  EXPECT_EQ(Id(), 4);
  EXPECT_FALSE(cds.FindKey({Variant("banana")}));
  cds.SetKey();
  EXPECT_EQ(cds.State(), TDataSetState::dsSetKey);
  cds.FieldByName("NAME").SetAsString("pear");
  cds.FieldByName("QTY").SetAsInteger(30);
  EXPECT_TRUE(cds.GotoKey());
  EXPECT_EQ(cds.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Id(), 1);
}

}  // namespace
}  // namespace platform
