// Data packets, deltas, reconcile answers and provider requests as values:
// their Variant layout, round trips, refusal of malformed Variants, and the
// local provider's apply rules.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/data/DataPacket.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Delta.h"
#include "platform/data/LocalProvider.h"
#include "platform/data/ProviderConnection.h"
#include "platform/data/ReconcileAnswer.h"
#include "platform/tests/DataTestSupport.h"

namespace platform {
namespace {

using testing::Detail;
using testing::Header;
using testing::Meta;
using testing::Row;

DataPacket SamplePacket() {
  DataPacket p;
  p.fields = testing::HeaderFields();
  p.rows = {Header(1, "alpha", {Detail(1, "0001", "bolt")}), Header(2, "beta", {})};
  p.moreRows = true;
  p.codePage = 936;
  return p;
}

Delta SampleDelta() {
  Delta d;
  d.fields = testing::HeaderFields();
  DeltaRow insert{TUpdateKind::ukInsert, {}, {3, "gamma", 1, Variant()}, {true, true, true, true}, {{}}};
  DeltaRow detailDelete{TUpdateKind::ukDelete, {1, "0001", "bolt"}, {}, {}, {}};
  DeltaRow modify{TUpdateKind::ukModify, {1, "alpha", 1, Variant()}, {1, Null(), 2, Variant()},
                  {false, true, true, false}, {{detailDelete}}};
  d.rows = {insert, modify};
  return d;
}

TEST(DataValues, APacketTravelsAsTheDocumentedVariantLayout) {
  DataPacket packet = SamplePacket();
  Variant v = ToVariant(packet);
  // [fields, rows, moreRows, codePage]
  ASSERT_EQ(VarArrayHighBound(v, 1), 3);
  EXPECT_EQ(v[2], Variant(true));
  EXPECT_EQ(v[3], Variant(936));
  // FieldMeta = [name, type, size, precision, flags, nested]
  Variant name = v[0][1];
  EXPECT_EQ(name, VarArrayOf({"NAME", static_cast<int>(ftString), 10, 0, 0, VarArrayOf({})}));
  Variant nested = v[0][3];
  EXPECT_EQ(nested[1], Variant(static_cast<int>(ftDataSet)));
  EXPECT_EQ(VarArrayHighBound(nested[5], 1), 2);
  // A row holds its nested rows in the nested field's slot.
  Variant row = v[1][0];
  EXPECT_EQ(row[1], Variant("alpha"));
  EXPECT_EQ(row[3], VarArrayOf({VarArrayOf({1, "0001", "bolt"})}));
  EXPECT_EQ(DataPacketFromVariant(v), packet);
}

TEST(DataValues, DeltasAnswersAndRequestsRoundTrip) {
  Delta delta = SampleDelta();
  Variant v = ToVariant(delta);
  // DeltaRow = [kind, original, current, changed, nested]
  EXPECT_EQ(v[1][0][0], Variant(static_cast<int>(TUpdateKind::ukInsert)));
  EXPECT_EQ(v[1][0][1], VarArrayOf({}));
  EXPECT_EQ(v[1][1][3], VarArrayOf({false, true, true, false}));
  EXPECT_EQ(v[1][1][4][0][0][0], Variant(static_cast<int>(TUpdateKind::ukDelete)));
  EXPECT_EQ(DeltaFromVariant(v), delta);

  ReconcileAnswer answer{true, {{{1, 0, 0}, "refused", "pvdMain: ukDelete", 4, 0}, {{0}, "key", "ctx", 2, 7}}};
  Variant a = ToVariant(answer);
  EXPECT_EQ(a[0], Variant(true));
  EXPECT_EQ(a[1][0], VarArrayOf({VarArrayOf({1, 0, 0}), "refused", "pvdMain: ukDelete", 4, 0}));
  EXPECT_EQ(ReconcileAnswerFromVariant(a), answer);

  ProviderRequest request{VarArrayOf({"A.X = 1", "A.X"}), "text", 20, 40, VarArrayOf({5})};
  EXPECT_EQ(ProviderRequestFromVariant(ToVariant(request)), request);
}

TEST(DataValues, ValuesPrintReadably) {
  std::ostringstream os;
  os << SamplePacket() << "\n" << SampleDelta() << "\n"
     << ReconcileAnswer{false, {{{0, 0, 1}, "no", "here", 1, 0}}};
  std::string text = os.str();
  EXPECT_NE(text.find("qryBody:DataSet"), std::string::npos) << text;
  EXPECT_NE(text.find("ukDelete"), std::string::npos) << text;
  EXPECT_NE(text.find("row {0, 0, 1}: no"), std::string::npos) << text;
}

struct BadCase {
  const char* name;
  Variant value;
  std::string message;
};

TEST(DataValues, MalformedVariantsAreRefusedWithAClearError) {
  Variant good = ToVariant(SamplePacket());
  auto with = [](Variant v, std::initializer_list<int> path, const Variant& element) {
    Variant* at = &v;
    std::vector<int> p(path);
    for (std::size_t i = 0; i + 1 < p.size(); ++i) at = &at->ElementRef({p[i]});
    at->PutElement({p.back()}, element);
    return v;
  };
  Variant deep = VarArrayOf({});
  for (int i = 0; i < 40; ++i) deep = VarArrayOf({"N", static_cast<int>(ftDataSet), 0, 0, 0, VarArrayOf({deep})});
  const std::vector<BadCase> cases = {
      {"not a list", Variant(5), "Invalid data packet: data packet is not a list"},
      {"too few elements", VarArrayOf({1, 2}), "Invalid data packet: a data packet needs four elements"},
      {"unknown field type", with(good, {0, 1, 1}, 99), "Invalid data packet: field 'NAME' has an unknown type"},
      {"negative size", with(good, {0, 1, 2}, -1), "Invalid data packet: field 'NAME' has a negative size"},
      {"a row too short", with(good, {1, 1}, VarArrayOf({1})), "Invalid data packet: a row does not have one value per field"},
      {"a value that is a list", with(good, {1, 1, 1}, VarArrayOf({1})), "Invalid data packet: field 'NAME' holds a list"},
      {"nested rows that are no list", with(good, {1, 1, 3}, 7), "Invalid data packet: nested rows is not a list"},
      {"a field declared twice", with(good, {0, 1, 0}, "ID"), "Invalid data packet: field 'ID' is declared twice"},
      {"more-rows flag of text", with(good, {2}, "x"), "Invalid data packet: more-rows flag is not a boolean"},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      DataPacketFromVariant(c.value);
      ADD_FAILURE() << "accepted";
    } catch (const EDataPacketError& e) {
      EXPECT_EQ(std::string(e.Message().c_str()), c.message);
    }
  }
  EXPECT_THROW(FieldMetaFromVariant(deep), EDataPacketError);

  Variant delta = ToVariant(SampleDelta());
  const std::vector<BadCase> deltaCases = {
      {"unknown kind", with(delta, {1, 0, 0}, 7), "Invalid data packet: a delta row has an unknown kind"},
      {"changed flag of a number", with(delta, {1, 1, 3}, VarArrayOf({0, 1, 1, 0})),
       "Invalid data packet: a changed flag is not a boolean"},
      {"insert with original values", with(delta, {1, 0, 1}, VarArrayOf({1, 2, 3, 4})),
       "Invalid data packet: a ukInsert delta row does not have one value per field"},
  };
  for (const BadCase& c : deltaCases) {
    SCOPED_TRACE(c.name);
    try {
      DeltaFromVariant(c.value);
      ADD_FAILURE() << "accepted";
    } catch (const EDataPacketError& e) {
      EXPECT_EQ(std::string(e.Message().c_str()), c.message);
    }
  }
  EXPECT_THROW(ReconcileAnswerFromVariant(VarArrayOf({false, VarArrayOf({VarArrayOf({VarArrayOf({0, 1}), "m", "c", 0, 0})})})),
               EDataPacketError);
  EXPECT_THROW(ProviderRequestFromVariant(VarArrayOf({Variant(), "", -2, 0, Variant()})), EDataPacketError);
}

class LocalApply : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.AddProvider("p", {Meta("ID", ftInteger, 0, mfKey), Meta("NAME", ftString, 10, mfRequired)},
                         {Row({1, "a"}), Row({2, "b"}), Row({3, "c"})});
  }
  static DeltaRow Modify(int id, const char* from, const char* to) {
    return {TUpdateKind::ukModify, {id, from}, {id, to}, {false, true}, {}};
  }
  Delta Changes(std::vector<DeltaRow> rows) { return {provider.Fields("p"), std::move(rows)}; }
  TLocalProvider provider;
};

struct MaxErrorsCase {
  const char* name;
  int maxErrors;
  bool rolledBack;
  int errors;
  std::vector<const char*> namesAfter;
};

TEST_F(LocalApply, MaxErrorsDecidesBetweenCommitAndRollback) {
  // Row 9 does not exist and row 2 gets a null required field.
  const std::vector<MaxErrorsCase> cases = {
      {"no limit applies the rest", -1, false, 2, {"A", "b", "C"}},
      {"zero stops at the first refusal", 0, true, 1, {"a", "b", "c"}},
      {"one allowed, two refused", 1, true, 2, {"a", "b", "c"}},
      {"two allowed", 2, false, 2, {"A", "b", "C"}},
  };
  for (const MaxErrorsCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    Delta delta = Changes({Modify(1, "a", "A"), Modify(9, "x", "y"),
                           {TUpdateKind::ukModify, {2, "b"}, {2, Null()}, {false, true}, {}}, Modify(3, "c", "C")});
    ReconcileAnswer answer = provider.ApplyDelta("p", delta, c.maxErrors);
    EXPECT_EQ(answer.rolledBack, c.rolledBack);
    EXPECT_EQ(answer.ErrorCount(), c.errors);
    EXPECT_EQ(answer.errors[0].path, (std::vector<int>{1}));
    std::vector<std::string> names;
    for (const DataRow& r : provider.Rows("p")) names.push_back(r.values[1].AsString().c_str());
    EXPECT_EQ(names, std::vector<std::string>(c.namesAfter.begin(), c.namesAfter.end()));
  }
}

TEST_F(LocalApply, TheRowCheckRefusesOnDemandAndUnknownFieldsAreRefusedBeforeAnything) {
  provider.SetRowCheck([](const AnsiString&, const DeltaRow& row, const std::vector<int>&) -> std::optional<AnsiString> {
    if (row.kind == TUpdateKind::ukDelete) return AnsiString("deletes are not allowed");
    return std::nullopt;
  });
  ReconcileAnswer answer =
      provider.ApplyDelta("p", Changes({{TUpdateKind::ukDelete, {2, "b"}, {}, {}, {}}}), -1);
  ASSERT_EQ(answer.ErrorCount(), 1);
  EXPECT_EQ(answer.errors[0].message, "deletes are not allowed");
  EXPECT_EQ(provider.Rows("p").size(), 3u);
  Delta foreign = Changes({Modify(1, "a", "A")});
  foreign.fields[1].name = "SECRET";
  EXPECT_THROW(provider.ApplyDelta("p", foreign, -1), EDataPacketError);
  EXPECT_EQ(provider.Rows("p")[0].values[1], Variant("a"));
}

TEST_F(LocalApply, PacketsOfTheRequestedSize) {
  ProviderRequest request;
  request.packetRecords = 2;
  DataPacket first = provider.OpenProvider("p", request);
  EXPECT_EQ(first.rows.size(), 2u);
  EXPECT_TRUE(first.moreRows);
  EXPECT_EQ(first.fields.size(), 2u);
  request.rowsFetched = 2;
  DataPacket next = provider.NextPacket("p", request);
  EXPECT_EQ(next.rows.size(), 1u);
  EXPECT_FALSE(next.moreRows);
  request.rowsFetched = 3;
  EXPECT_TRUE(provider.NextPacket("p", request).rows.empty());
  request.packetRecords = 0;
  DataPacket metadata = provider.OpenProvider("p", request);
  EXPECT_TRUE(metadata.rows.empty());
  EXPECT_TRUE(metadata.moreRows);
  EXPECT_EQ(provider.RecordCount("p"), 3);
}

}  // namespace
}  // namespace platform
