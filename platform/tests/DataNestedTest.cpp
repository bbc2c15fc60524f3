// Nested data sets: detail rows follow their master, travel inside the
// master's delta, and refused detail rows reach the detail data set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSetField.h"
#include "platform/data/RowWindow.h"
#include "platform/data/LocalProvider.h"
#include "platform/tests/DataTestSupport.h"

namespace platform {
namespace {

using testing::Detail;
using testing::EventLog;
using testing::Header;
using Log = std::vector<std::string>;

// What a reconcile handler saw.
struct Refusal {
  std::string dataSet;
  std::string message;
  TUpdateKind kind;
  std::string item;
};

class MasterDetail : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.AddProvider("pvdMain", testing::HeaderFields(), testing::HeaderRows());
    cdsMain.SetName("cdsMain");
    cdsMain.SetRemoteServer(&provider);
    cdsMain.SetProviderName("pvdMain");
    cdsBody1.SetName("cdsBody1");
    cdsMain.Open();
    cdsBody1.SetDataSetField(static_cast<TDataSetField*>(&cdsMain.FieldByName("qryBody")));
    cdsBody1.Open();
  }

  // The ITEM texts of the rows the detail shows, in order.
  std::vector<std::string> Items() {
    std::vector<std::string> items;
    TRowWindow rows(cdsBody1);
    for (int r = 0; r < rows.RowCount(); ++r)
      items.push_back(rows.Value(r, cdsBody1.FieldByName("ITEM")).AsString().c_str());
    return items;
  }

  void EditDetail(const char* seq, const char* item) {
    ASSERT_TRUE(cdsBody1.Locate("SEQ", seq));
    cdsBody1.Edit();
    cdsBody1.FieldByName("ITEM").SetAsString(item);
    cdsBody1.Post();
  }

  void AppendDetail(int id, const char* seq, const char* item) {
    cdsBody1.Append();
    cdsBody1.FieldByName("ID").SetAsInteger(id);
    cdsBody1.FieldByName("SEQ").SetAsString(seq);
    cdsBody1.FieldByName("ITEM").SetAsString(item);
    cdsBody1.Post();
  }

  // Collects refusals of both data sets.
  void CatchRefusals(TReconcileAction action = TReconcileAction::raSkip) {
    action_ = action;
    auto handler = [](void* data, TClientDataSet* ds, EReconcileError& e, TUpdateKind kind, TReconcileAction& a) {
      auto* self = static_cast<MasterDetail*>(data);
      const DeltaRow* row = ds->ReconcilingRow();
      std::string item;
      if (row && ds == &self->cdsBody1 && !row->current.empty()) item = row->current[2].AsString().c_str();
      self->refusals.push_back({ds->Name().c_str(), e.Message().c_str(), kind, item});
      a = self->action_;
    };
    cdsMain.OnReconcileError = TReconcileErrorEvent::FromFunction(handler, this);
    cdsBody1.OnReconcileError = TReconcileErrorEvent::FromFunction(handler, this);
  }

  // Refuses detail rows whose ITEM is "bad".
  void RefuseBadItems() {
    provider.SetRowCheck([](const AnsiString&, const DeltaRow& row, const std::vector<int>& path) -> std::optional<AnsiString> {
      if (path.size() == 3 && !row.current.empty() && row.current[2] == Variant("bad")) return AnsiString("bad item");
      return std::nullopt;
    });
  }

  const DataRow& StoredHeader(int id) {
    for (const DataRow& r : provider.Rows("pvdMain"))
      if (r.values[0] == Variant(id)) return r;
    static const DataRow none;
    return none;
  }

  TComponent module{nullptr};
  TLocalProvider provider{&module};
  TClientDataSet cdsMain{&module};
  TClientDataSet cdsBody1{&module};
  std::vector<Refusal> refusals;
  TReconcileAction action_ = TReconcileAction::raSkip;
};

TEST_F(MasterDetail, DetailRowsFollowTheirMaster) {
  EXPECT_EQ(Items(), (std::vector<std::string>{"bolt", "nut"}));
  EventLog log;
  log.Hook(cdsMain.BeforeScroll, "main.BeforeScroll");
  log.Hook(cdsMain.AfterScroll, "main.AfterScroll");
  log.HookAll(cdsBody1, "body.");
  log.SetDataSet(&cdsBody1);
  cdsBody1.Next();
  log.Clear();
  cdsMain.Next();
  // The detail shows the new master's rows from its first, before the
  // master's own AfterScroll.
  EXPECT_EQ(log.entries, (Log{"main.BeforeScroll", "link:data", "body.AfterScroll", "main.AfterScroll"}));
  EXPECT_EQ(Items(), (std::vector<std::string>{"gear"}));
  EXPECT_EQ(cdsBody1.RecNo(), 1);
  cdsMain.Next();
  EXPECT_TRUE(cdsBody1.IsEmpty());
  EXPECT_TRUE(cdsBody1.Bof() && cdsBody1.Eof());
  cdsMain.Last();
  EXPECT_EQ(Items(), (std::vector<std::string>{"rod"}));
  ASSERT_TRUE(cdsMain.Locate("ID", 4));
  EXPECT_EQ(cdsBody1.RecordCount(), 3);
  // Disabled controls do not stop the detail from following.
  cdsMain.DisableControls();
  cdsMain.First();
  EXPECT_EQ(Items(), (std::vector<std::string>{"bolt", "nut"}));
  cdsMain.EnableControls();
}

TEST_F(MasterDetail, ChangingADetailLeavesTheMasterBrowsing) {
  EditDetail("0002", "washer");
  EXPECT_EQ(cdsMain.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(cdsMain.UpdateStatus(), TUpdateStatus::usUnmodified);
  EXPECT_EQ(cdsMain.ChangeCount(), 1);
  EXPECT_EQ(cdsBody1.UpdateStatus(), TUpdateStatus::usModified);
  cdsMain.Next();
  cdsMain.Prior();
  EXPECT_EQ(Items(), (std::vector<std::string>{"bolt", "washer"}));
}

TEST_F(MasterDetail, ScrollingTheMasterPostsThePendingDetailRecord) {
  cdsBody1.Edit();
  cdsBody1.FieldByName("ITEM").SetAsString("screw");
  cdsMain.Next();
  EXPECT_EQ(cdsBody1.State(), TDataSetState::dsBrowse);
  cdsMain.Prior();
  EXPECT_EQ(Items(), (std::vector<std::string>{"screw", "nut"}));
  // Cancelling the master cancels the detail's pending record.
  cdsMain.Edit();
  cdsBody1.Append();
  cdsBody1.FieldByName("ITEM").SetAsString("lost");
  cdsMain.Cancel();
  EXPECT_EQ(cdsBody1.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(cdsBody1.RecordCount(), 2);
}

TEST_F(MasterDetail, NestedChangesTravelInsideTheMastersDelta) {
  cdsMain.Edit();
  cdsMain.FieldByName("NAME").SetAsString("ALPHA");
  cdsMain.Post();
  EditDetail("0002", "washer");
  AppendDetail(1, "0003", "spring");
  cdsMain.Next();
  cdsBody1.Delete();
  EXPECT_EQ(cdsMain.ChangeCount(), 4);
  EXPECT_EQ(cdsBody1.ChangeCount(), 1);  // the rows of the current header

  Delta delta = cdsBody1.GetDelta();  // always the top-level delta
  ASSERT_EQ(delta.rows.size(), 2u);
  const DeltaRow& first = delta.rows[0];
  EXPECT_EQ(first.kind, TUpdateKind::ukModify);
  EXPECT_EQ(first.changed, (std::vector<bool>{false, true, false, false}));
  EXPECT_EQ(first.original[1], Variant("alpha"));
  EXPECT_EQ(first.current[1], Variant("ALPHA"));
  ASSERT_EQ(first.nested.size(), 1u);
  ASSERT_EQ(first.nested[0].size(), 2u);
  EXPECT_EQ(first.nested[0][0].kind, TUpdateKind::ukModify);
  EXPECT_EQ(first.nested[0][0].changed, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(first.nested[0][1].kind, TUpdateKind::ukInsert);
  const DeltaRow& second = delta.rows[1];
  EXPECT_EQ(second.kind, TUpdateKind::ukModify);
  EXPECT_FALSE(second.ChangesItself());
  ASSERT_EQ(second.nested[0].size(), 1u);
  EXPECT_EQ(second.nested[0][0].kind, TUpdateKind::ukDelete);
  EXPECT_EQ(second.nested[0][0].original[2], Variant("gear"));

  EXPECT_EQ(cdsBody1.ApplyUpdates(0), 0);  // applied through the master
  ASSERT_EQ(provider.AppliedDeltas("pvdMain").size(), 1u);
  EXPECT_EQ(provider.AppliedDeltas("pvdMain")[0], delta);
  EXPECT_EQ(cdsMain.ChangeCount(), 0);
  EXPECT_EQ(StoredHeader(1).values[1], Variant("ALPHA"));
  ASSERT_EQ(StoredHeader(1).nested[0].size(), 3u);
  EXPECT_EQ(StoredHeader(1).nested[0][1].values[2], Variant("washer"));
  EXPECT_EQ(StoredHeader(1).nested[0][2].values[2], Variant("spring"));
  EXPECT_TRUE(StoredHeader(2).nested[0].empty());
}

TEST_F(MasterDetail, ANewMasterTakesItsNewDetailRowsAlong) {
  cdsMain.Append();
  cdsMain.FieldByName("ID").SetAsInteger(6);
  cdsMain.FieldByName("NAME").SetAsString("zeta");
  EXPECT_TRUE(cdsBody1.IsEmpty());
  AppendDetail(6, "0001", "new");
  EXPECT_EQ(cdsBody1.RecordCount(), 1);
  cdsMain.Post();
  EXPECT_EQ(Items(), (std::vector<std::string>{"new"}));
  Delta delta = cdsMain.GetDelta();
  ASSERT_EQ(delta.rows.size(), 1u);
  EXPECT_EQ(delta.rows[0].kind, TUpdateKind::ukInsert);
  ASSERT_EQ(delta.rows[0].nested[0].size(), 1u);
  EXPECT_EQ(delta.rows[0].nested[0][0].kind, TUpdateKind::ukInsert);
  EXPECT_EQ(cdsMain.ApplyUpdates(0), 0);
  ASSERT_EQ(StoredHeader(6).nested.size(), 1u);
  ASSERT_EQ(StoredHeader(6).nested[0].size(), 1u);
  EXPECT_EQ(StoredHeader(6).nested[0][0].values[2], Variant("new"));
}

TEST_F(MasterDetail, ADeletedMasterCarriesTheDeletesOfItsDetailRows) {
  ASSERT_TRUE(cdsMain.Locate("ID", 4));
  cdsMain.Delete();
  Delta delta = cdsMain.GetDelta();
  ASSERT_EQ(delta.rows.size(), 1u);
  EXPECT_EQ(delta.rows[0].kind, TUpdateKind::ukDelete);
  EXPECT_EQ(delta.rows[0].nested[0].size(), 3u);
  EXPECT_EQ(cdsMain.ApplyUpdates(0), 0);
  EXPECT_TRUE(StoredHeader(4).values.empty());
  EXPECT_EQ(provider.Rows("pvdMain").size(), 4u);
}

TEST_F(MasterDetail, RefusedDetailRowsReachTheDetailDataSetAndStayInTheChangeLog) {
  RefuseBadItems();
  CatchRefusals();
  cdsMain.Edit();
  cdsMain.FieldByName("NAME").SetAsString("ALPHA");
  cdsMain.Post();
  EditDetail("0001", "bad");
  cdsMain.Next();
  AppendDetail(2, "0002", "good");
  EXPECT_EQ(cdsMain.ChangeCount(), 3);

  EXPECT_EQ(cdsMain.ApplyUpdates(-1), 1);
  ASSERT_EQ(refusals.size(), 1u);
  EXPECT_EQ(refusals[0].dataSet, "cdsBody1");
  EXPECT_EQ(refusals[0].message, "bad item");
  EXPECT_EQ(refusals[0].kind, TUpdateKind::ukModify);
  EXPECT_EQ(refusals[0].item, "bad");
  // The header and the other detail row were applied; the refused row
  // stays, still changed.
  EXPECT_EQ(cdsMain.ChangeCount(), 1);
  EXPECT_EQ(StoredHeader(1).values[1], Variant("ALPHA"));
  EXPECT_EQ(StoredHeader(1).nested[0][0].values[2], Variant("bolt"));
  EXPECT_EQ(StoredHeader(2).nested[0].size(), 2u);
  cdsMain.First();
  ASSERT_TRUE(cdsBody1.Locate("SEQ", "0001"));
  EXPECT_EQ(cdsBody1.UpdateStatus(), TUpdateStatus::usModified);
  EXPECT_EQ(cdsBody1.FieldByName("ITEM").AsString(), "bad");
  EXPECT_EQ(cdsMain.UpdateStatus(), TUpdateStatus::usUnmodified);
}

TEST_F(MasterDetail, MaxErrorsZeroRollsBackAndKeepsEveryRow) {
  RefuseBadItems();
  CatchRefusals();
  cdsMain.Edit();
  cdsMain.FieldByName("NAME").SetAsString("ALPHA");
  cdsMain.Post();
  EditDetail("0001", "bad");
  cdsMain.Next();
  AppendDetail(2, "0002", "good");
  std::vector<DataRow> before = provider.Rows("pvdMain");

  EXPECT_EQ(cdsMain.ApplyUpdates(0), 1);
  ASSERT_EQ(refusals.size(), 1u);
  EXPECT_EQ(refusals[0].dataSet, "cdsBody1");
  EXPECT_EQ(provider.Rows("pvdMain"), before);
  EXPECT_EQ(cdsMain.ChangeCount(), 3);
  // Applying again after the fix sends everything once more.
  cdsMain.First();
  EditDetail("0001", "fixed");
  refusals.clear();
  EXPECT_EQ(cdsMain.ApplyUpdates(0), 0);
  EXPECT_TRUE(refusals.empty());
  EXPECT_EQ(cdsMain.ChangeCount(), 0);
  EXPECT_EQ(StoredHeader(1).nested[0][0].values[2], Variant("fixed"));
  EXPECT_EQ(StoredHeader(2).nested[0].size(), 2u);
}

struct ActionCase {
  const char* name;
  TReconcileAction action;
  int changesAfter;
  const char* itemAfter;
};

TEST_F(MasterDetail, TheReconcileActionDecidesWhatBecomesOfTheRefusedRow) {
  const std::vector<ActionCase> cases = {
      {"skip keeps the change", TReconcileAction::raSkip, 1, "bad"},
      {"abort keeps the change", TReconcileAction::raAbort, 1, "bad"},
      {"cancel undoes the change", TReconcileAction::raCancel, 0, "bolt"},
      {"merge takes the row as it is", TReconcileAction::raMerge, 0, "bad"},
  };
  RefuseBadItems();
  for (const ActionCase& c : cases) {
    SCOPED_TRACE(c.name);
    cdsMain.Close();
    cdsMain.Open();
    ASSERT_TRUE(cdsBody1.Active());  // opened again with its master
    CatchRefusals(c.action);
    EditDetail("0001", "bad");
    EXPECT_EQ(cdsMain.ApplyUpdates(-1), 1);
    EXPECT_EQ(cdsMain.ChangeCount(), c.changesAfter);
    ASSERT_TRUE(cdsBody1.Locate("SEQ", "0001"));
    EXPECT_EQ(cdsBody1.FieldByName("ITEM").AsString(), c.itemAfter);
  }
}

TEST_F(MasterDetail, WithoutADetailHandlerTheMasterHearsTheRefusal) {
  RefuseBadItems();
  CatchRefusals();
  cdsBody1.OnReconcileError = nullptr;
  EditDetail("0002", "bad");
  EXPECT_EQ(cdsMain.ApplyUpdates(-1), 1);
  ASSERT_EQ(refusals.size(), 1u);
  EXPECT_EQ(refusals[0].dataSet, "cdsMain");
}

TEST_F(MasterDetail, ACloneOfTheDetailFollowsTheMasterWithoutMovingTheDetail) {
  TClientDataSet cursor(nullptr);
  cdsBody1.SetIndexFieldNames("ITEM");
  cdsBody1.Last();
  cursor.CloneCursor(&cdsBody1, false);
  EXPECT_EQ(cursor.IndexFieldNames(), "ITEM");
  EXPECT_EQ(cursor.FieldByName("ITEM").AsString(), "bolt");
  cursor.Last();
  EXPECT_EQ(cursor.FieldByName("ITEM").AsString(), "nut");
  EXPECT_EQ(cdsBody1.RecNo(), 2);
  cdsMain.Locate("ID", 4);
  EXPECT_EQ(cursor.RecordCount(), 3);
  EXPECT_EQ(cursor.FieldByName("ITEM").AsString(), "axle");
  cdsMain.Close();
  EXPECT_FALSE(cursor.Active());
  cdsMain.Open();
  EXPECT_TRUE(cdsBody1.Active());
  EXPECT_FALSE(cursor.Active());  // clones are made again after each opening
}

TEST_F(MasterDetail, NestedDataSetReachesEveryRecordsRows) {
  TDataSetField& field = static_cast<TDataSetField&>(cdsMain.FieldByName("qryBody"));
  EXPECT_EQ(field.NestedDataSet(), &cdsBody1);
  EXPECT_EQ(field.DisplayText(), "(DATASET)");
  cdsBody1.Close();
  cdsBody1.SetDataSetField(nullptr);
  TClientDataSet* own = field.NestedDataSet();
  ASSERT_NE(own, &cdsBody1);
  EXPECT_TRUE(own->Active());
  EXPECT_EQ(own->RecordCount(), 2);
  cdsMain.Next();
  EXPECT_EQ(own->RecordCount(), 1);
  EXPECT_EQ(own->Owner(), &field);
}

TEST_F(MasterDetail, ADetailCannotAddRowsWithoutAMasterRecord) {
  provider.Rows("pvdMain").clear();
  cdsMain.Close();
  cdsMain.Open();
  ASSERT_TRUE(cdsBody1.Active());
  try {
    cdsBody1.Append();
    FAIL() << "appended without a master record";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "cdsMain: Cannot perform this operation on an empty dataset");
  }
}

}  // namespace
}  // namespace platform
