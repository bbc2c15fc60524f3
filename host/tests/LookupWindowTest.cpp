// The look-up window, the phrase picker and the character picker behind
// Com_F2Window, driven by keys from inside their modal loops, with the rows
// answered by a validator double of the host's connection.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "HostTestSupport.h"
#include "host/shell/CharacterPicker.h"
#include "host/shell/LookupWindow.h"
#include "host/shell/PhrasePicker.h"
#include "platform/Automation.h"
#include "platform/ClassRegistry.h"
#include "platform/Exceptions.h"

namespace hosttest {
namespace {

using platform::TShiftState;

struct FakeRow {
  const char* code;
  const char* name;
};

// LookupRows as the server lays it out: [title, [captions], [[cells]],
// start row]; rows ordered by code, filtered by a text the code or the
// name contains (ASCII case ignored).
class TFakeValidator : public platform::Dispatchable<TFakeValidator> {
 public:
  static const platform::DispatchTable<TFakeValidator>& AutomationMembers() {
    static const auto table =
        platform::DispatchTable<TFakeValidator>("Fake.Validator").Method("LookupRows", &TFakeValidator::LookupRows);
    return table;
  }

  Variant LookupRows(const AnsiString& table, const AnsiString& kind, const Variant& start, const Variant& filter) {
    calls.push_back(table + "/" + kind + "/" + platform::VarToStr(start) + "/" + platform::VarToStr(filter));
    if (badAnswer) return Variant("not rows");
    const std::vector<FakeRow>* rows = nullptr;
    AnsiString title;
    std::vector<Variant> captions;
    if (table == "CMSME" && kind == "01") {
      rows = &departments;
      title = "Departments";
      captions = {Variant("Code"), Variant("Name")};
    } else if (table == "ADMPH" && kind == "01") {
      rows = &phrases;
      title = "Phrases";
      captions = {Variant("Phrase")};
    } else {
      throw platform::Exception("The server has no look-up window for " + table + " \"" + kind + "\".");
    }
    AnsiString f = platform::UpperCase(platform::VarToStr(filter));
    AnsiString s = platform::VarToStr(start);
    std::vector<Variant> out;
    int startRow = -1;
    for (const FakeRow& r : *rows) {
      if (!f.IsEmpty() && platform::UpperCase(r.code).Pos(f) == 0 && platform::UpperCase(r.name).Pos(f) == 0) continue;
      if (startRow < 0 && AnsiString(r.code) >= s) startRow = static_cast<int>(out.size());
      out.push_back(captions.size() > 1 ? platform::VarArrayOf({Variant(r.code), Variant(r.name)})
                                        : platform::VarArrayOf({Variant(r.code)}));
    }
    if (startRow < 0) startRow = static_cast<int>(out.size());
    if (out.empty()) startRow = 0;
    return platform::VarArrayOf({Variant(title), platform::VarArrayOf(captions), platform::VarArrayOf(std::move(out)),
                                 Variant(startRow)});
  }

  std::vector<FakeRow> departments = {{"D01", "Sales"},   {"D02", "Finance"}, {"D03", "Stores"},
                                      {"D04", "Finishing"}, {"D05", "Legal"}};
  std::vector<FakeRow> phrases = {{"Agreed", ""}, {"Contract ended", ""}, {"Moved away", ""}, {"Resigned", ""}};
  std::vector<AnsiString> calls;
  bool badAnswer = false;
};

class TLookupAccounts : public TFakeAccounts {
 public:
  Variant ServiceObject(const AnsiString& name) override {
    if (name == "Validator" && validator) return Variant(std::static_pointer_cast<platform::AutoObject>(validator));
    return Variant();
  }
  std::shared_ptr<TFakeValidator> validator = std::make_shared<TFakeValidator>();
};

class LookupWindowTest : public ::testing::Test {
 protected:
  LookupWindowTest() : center(accounts, {AnsiString(HOST_TEST_PROGRAMS)}) {
    host::RegisterManagerClass(&center);
    EXPECT_TRUE(center.LogIn("KV", "DEMO", "secret").Ok);
    f2 = platform::OleCall(platform::CreateOleObject(host::kManagerClassName), "Com_F2Window");
  }
  ~LookupWindowTest() override {
    center.LogOut();
    platform::Application().ProcessMessages();
    host::RegisterManagerClass(nullptr);
  }

  // The 19-element array the module sends.
  static Variant F2Params(const char* table, const char* kind, const char* start, bool multiple, bool filterByStart) {
    Variant p = platform::VarArrayCreate({0, 18}, platform::varVariant);
    p.PutElement({0}, Variant(table));
    p.PutElement({1}, Variant(kind));
    p.PutElement({3}, Variant(multiple));
    p.PutElement({4}, Variant(start));
    p.PutElement({6}, Variant("demo_db"));
    p.PutElement({8}, Variant(1));
    p.PutElement({9}, Variant(filterByStart));
    p.PutElement({18}, Variant("KV"));
    return p;
  }
  Variant F2GetData(Variant params) { return platform::OleCall(f2, "F2GetData", {platform::ByRef(params)}); }
  Variant PickPhrase(Variant& text) {
    return platform::OleCall(f2, "GetPhrase2", {Variant("KV"), Variant("DEMO"), Variant(0), platform::ByRef(text)});
  }

  // Codes (cell 0) of an F2GetData answer, "|"-joined; "<empty>" for Empty.
  static std::string Codes(const Variant& answer) {
    if (platform::VarIsEmpty(answer)) return "<empty>";
    std::string out;
    for (const Variant& row : platform::VarArrayElements(answer)) {
      if (!out.empty()) out += "|";
      out += host::RowCell(row, 0).ToUtf8();
    }
    return out;
  }

  TLookupAccounts accounts;
  host::TWorkCenter center;
  Variant f2;
};

// Runs fill on the visible service window of that class from inside its
// modal loop.
template <class F, class Fill>
void WhenShown(Fill fill) {
  platform::Application().QueueCall([fill] {
    for (int i = 0; i < platform::Screen().FormCount(); ++i)
      if (auto* f = dynamic_cast<F*>(platform::Screen().Forms(i)); f && f->Visible()) {
        fill(*f);
        return;
      }
    ADD_FAILURE() << "the service window is not shown";
  });
}

void Key(platform::TCustomForm& form, platform::Word key, TShiftState shift = TShiftState()) {
  EXPECT_TRUE(platform::Application().DispatchKey(&form, key, shift));
}

TEST_F(LookupWindowTest, SingleChoiceStartsAtTheStartingCodeAndArrowsMoveFromTheFilterBox) {
  WhenShown<host::TLookupWindowForm>([](host::TLookupWindowForm& f) {
    EXPECT_EQ(f.Caption(), AnsiString("Departments"));
    EXPECT_EQ(f.grdRows->Cells(0, 0), AnsiString("Code"));
    EXPECT_EQ(f.grdRows->Cells(1, 0), AnsiString("Name"));
    EXPECT_EQ(f.RowCount(), 5);
    EXPECT_TRUE(f.edFilter->Text().IsEmpty());  // the starting text only places the row
    EXPECT_EQ(f.grdRows->Cells(0, f.grdRows->Row()), AnsiString("D02"));
    EXPECT_EQ(f.ActiveControl(), f.edFilter);
    Key(f, platform::VK_DOWN);
    Key(f, platform::VK_DOWN);
    Key(f, platform::VK_UP);
    EXPECT_EQ(f.CurrentRow(), 2);
    Key(f, platform::VK_RETURN);
  });
  Variant answer = F2GetData(F2Params("CMSME", "01", "D02", false, false));
  EXPECT_EQ(Codes(answer), "D03");
  ASSERT_EQ(platform::VarArrayHighBound(answer[0], 1), 1);
  EXPECT_EQ(platform::VarToStr(answer[0][1]), AnsiString("Stores"));
  ASSERT_EQ(accounts.validator->calls.size(), 1u);
  EXPECT_EQ(accounts.validator->calls[0], AnsiString("CMSME/01/D02/"));

  // Esc cancels; so does Enter on the Cancel button.
  WhenShown<host::TLookupWindowForm>([](host::TLookupWindowForm& f) { Key(f, platform::VK_ESCAPE); });
  EXPECT_EQ(Codes(F2GetData(F2Params("CMSME", "01", "", false, false))), "<empty>");
  WhenShown<host::TLookupWindowForm>([](host::TLookupWindowForm& f) {
    f.SetActiveControl(f.btnCancel);
    Key(f, platform::VK_RETURN);
  });
  EXPECT_EQ(Codes(F2GetData(F2Params("CMSME", "01", "", false, false))), "<empty>");
}

TEST_F(LookupWindowTest, TypingFiltersOnTheServerAndAnEmptyListPicksNothing) {
  WhenShown<host::TLookupWindowForm>([](host::TLookupWindowForm& f) {
    // The starting text filters when element 9 asks for it.
    EXPECT_EQ(f.edFilter->Text(), AnsiString("fin"));
    EXPECT_EQ(f.RowCount(), 2);  // Finance, Finishing
    EXPECT_EQ(f.CurrentRow(), 0);
    f.edFilter->EnterText("fini");
    ASSERT_EQ(f.RowCount(), 1);
    EXPECT_EQ(f.grdRows->Cells(1, 1), AnsiString("Finishing"));
    EXPECT_EQ(f.lblStatus->Caption(), AnsiString("1 row."));
    f.edFilter->EnterText("zzz");
    EXPECT_EQ(f.RowCount(), 0);
    EXPECT_NE(f.lblStatus->Caption().Pos("containing \"zzz\""), 0u);
    Key(f, platform::VK_RETURN);  // nothing to pick: the window stays
    platform::Application().DispatchChar(&f, '\r');
    EXPECT_EQ(f.lblStatus->Caption(), AnsiString("There is no row to pick."));
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(f.ActiveControl(), f.edFilter);
    f.edFilter->EnterText("d05");
    Key(f, platform::VK_RETURN);
  });
  EXPECT_EQ(Codes(F2GetData(F2Params("CMSME", "01", "fin", false, true))), "D05");
  const auto& calls = accounts.validator->calls;
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls.front(), AnsiString("CMSME/01//fin"));
  EXPECT_EQ(calls.back(), AnsiString("CMSME/01//d05"));

  // A list the user narrows starts at its first row, wherever the
  // starting code stood.
  WhenShown<host::TLookupWindowForm>([](host::TLookupWindowForm& f) {
    EXPECT_EQ(f.CurrentRow(), 3);
    f.edFilter->EnterText("s");
    EXPECT_EQ(f.RowCount(), 3);  // Sales, Stores, Finishing
    EXPECT_EQ(f.CurrentRow(), 0);
    Key(f, platform::VK_RETURN);
  });
  EXPECT_EQ(Codes(F2GetData(F2Params("CMSME", "01", "D04", false, false))), "D01");
}

TEST_F(LookupWindowTest, MultipleChoiceHandsBackTheMarkedRowsAcrossFilterChanges) {
  WhenShown<host::TLookupWindowForm>([](host::TLookupWindowForm& f) {
    EXPECT_EQ(f.grdRows->FixedCols(), 1);  // the mark column
    f.SetActiveControl(f.grdRows);
    Key(f, platform::VK_DOWN);
    Key(f, platform::VK_DOWN);
    Key(f, platform::VK_SPACE);  // D04
    EXPECT_TRUE(f.Marked(3));
    EXPECT_EQ(f.grdRows->Cells(0, 4), AnsiString("*"));
    Key(f, platform::VK_UP);
    Key(f, platform::VK_SPACE);  // D03
    Key(f, platform::VK_SPACE);  // and unmarked again
    EXPECT_FALSE(f.Marked(2));
    // In the filter box Space types; Ctrl+Space marks.
    f.SetActiveControl(f.edFilter);
    f.edFilter->EnterText("sales");
    EXPECT_FALSE(f.Marked(0));
    Key(f, platform::VK_SPACE, TShiftState{platform::ssCtrl});
    platform::Application().DispatchChar(&f, ' ');  // the key's character types nothing
    EXPECT_EQ(f.edFilter->Text(), AnsiString("sales"));
    EXPECT_TRUE(f.Marked(0));
    EXPECT_NE(f.lblStatus->Caption().Pos("2 marked"), 0u);
    Key(f, platform::VK_RETURN);
  });
  EXPECT_EQ(Codes(F2GetData(F2Params("CMSME", "01", "D02", true, false))), "D04|D01");

  // Without marks the current row is the choice.
  WhenShown<host::TLookupWindowForm>([](host::TLookupWindowForm& f) { Key(f, platform::VK_RETURN); });
  EXPECT_EQ(Codes(F2GetData(F2Params("CMSME", "01", "D05", true, false))), "D05");

  // Single choice has no marks: Space does not mark.
  WhenShown<host::TLookupWindowForm>([](host::TLookupWindowForm& f) {
    EXPECT_EQ(f.grdRows->FixedCols(), 0);
    f.SetActiveControl(f.grdRows);
    Key(f, platform::VK_SPACE);
    EXPECT_FALSE(f.Marked(0));
    Key(f, platform::VK_RETURN);
  });
  EXPECT_EQ(Codes(F2GetData(F2Params("CMSME", "01", "", false, false))), "D01");
}

TEST_F(LookupWindowTest, WindowsThatCannotBeShownSayWhyAndAnswerNothing) {
  struct Case {
    const char* name;
    const char* table;
    const char* kind;
    bool noValidator;
    bool badAnswer;
    const char* textPart;
  } cases[] = {
      {"unknown table", "XXXXX", "01", false, false, "no look-up window for XXXXX \"01\""},
      {"no table", "", "01", false, false, "without a table and kind"},
      {"no validator", "CMSME", "01", true, false, "cannot reach the server"},
      {"unreadable answer", "CMSME", "01", false, true, "not readable"},
  };
  std::vector<AnsiString> failures;
  platform::ScopedDialogScript script([&](const AnsiString& f) { failures.push_back(f); });
  for (const Case& c : cases) {
    auto saved = accounts.validator;
    if (c.noValidator) accounts.validator.reset();
    saved->badAnswer = c.badAnswer;
    script.Answer("OK");
    EXPECT_TRUE(platform::VarIsEmpty(F2GetData(F2Params(c.table, c.kind, "", false, false)))) << c.name;
    ASSERT_FALSE(script.Shown().empty()) << c.name;
    EXPECT_NE(script.Shown().back().Text.Pos(c.textPart), 0u) << c.name << ": " << script.Shown().back().Text.ToUtf8();
    accounts.validator = saved;
    saved->badAnswer = false;
  }
  EXPECT_TRUE(failures.empty());
}

TEST_F(LookupWindowTest, PhrasePickerReadsTheServersPhrasesAndLeavesTheTextWhenCancelled) {
  WhenShown<host::TPhrasePickerForm>([](host::TPhrasePickerForm& f) {
    EXPECT_EQ(f.lbPhrases->Count(), 4);
    EXPECT_EQ(f.lbPhrases->ItemIndex(), 2);  // the current text, "Moved away"
    Key(f, platform::VK_DOWN);
    Key(f, platform::VK_RETURN);
  });
  Variant text = Variant("Moved away");
  Variant status = PickPhrase(text);
  EXPECT_EQ(status.AsInteger(), 0);
  EXPECT_EQ(text.AsString(), AnsiString("Resigned"));
  EXPECT_EQ(accounts.validator->calls.back(), AnsiString("ADMPH/01/Moved away/"));

  WhenShown<host::TPhrasePickerForm>([](host::TPhrasePickerForm& f) {
    f.edFilter->EnterText("contract");
    ASSERT_EQ(f.lbPhrases->Count(), 1);
    EXPECT_EQ(f.lbPhrases->ItemIndex(), 0);
    Key(f, platform::VK_RETURN);
  });
  text = Variant("");
  status = PickPhrase(text);
  EXPECT_EQ(status.AsInteger(), 0);
  EXPECT_EQ(text.AsString(), AnsiString("Contract ended"));

  WhenShown<host::TPhrasePickerForm>([](host::TPhrasePickerForm& f) {
    Key(f, platform::VK_END, TShiftState{platform::ssCtrl});
    EXPECT_EQ(f.lbPhrases->ItemIndex(), 3);
    Key(f, platform::VK_ESCAPE);
  });
  text = Variant("typed text");
  status = PickPhrase(text);
  EXPECT_EQ(status.AsInteger(), -1);
  EXPECT_EQ(text.AsString(), AnsiString("typed text"));

  // The phrases cannot be read: the user is told, the text stays.
  accounts.validator->badAnswer = true;
  std::vector<AnsiString> failures;
  platform::ScopedDialogScript script([&](const AnsiString& f) { failures.push_back(f); });
  script.Answer("OK");
  status = PickPhrase(text);
  EXPECT_EQ(status.AsInteger(), -2);
  EXPECT_EQ(text.AsString(), AnsiString("typed text"));
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_NE(script.Shown()[0].Text.Pos("ADMPH"), 0u);
  EXPECT_TRUE(failures.empty());
}

TEST_F(LookupWindowTest, CharacterPickerHandsBackTheChosenCharacter) {
  const auto& chars = host::PickerCharacters();
  ASSERT_GT(chars.size(), static_cast<std::size_t>(host::kCharacterColumns));
  // Every character exists in the module's code page and appears once.
  std::set<std::string> seen;
  for (const AnsiString& c : chars) {
    EXPECT_EQ(c.Length(), 2u) << c.ToUtf8();
    EXPECT_EQ(c.Pos("?"), 0u) << c.ToUtf8();
    EXPECT_TRUE(seen.insert(c.Bytes()).second) << c.ToUtf8();
  }

  auto pick = [&](std::vector<platform::Word> keys) {
    WhenShown<host::TCharacterPickerForm>([keys](host::TCharacterPickerForm& f) {
      for (platform::Word k : keys) Key(f, k);
    });
    Variant user = Variant("KV"), company = Variant("DEMO"), code = Variant(2), window = Variant(0);
    return platform::OleCall(f2, "ShowCharaters", {platform::ByRef(user), platform::ByRef(company),
                                                   platform::ByRef(code), Variant(0), platform::ByRef(window)});
  };
  Variant answer = pick({platform::VK_RIGHT, platform::VK_DOWN, platform::VK_RETURN});
  ASSERT_TRUE(platform::VarIsArray(answer));
  EXPECT_EQ(platform::VarToStr(answer[0]), chars[host::kCharacterColumns + 1]);
  EXPECT_TRUE(platform::VarIsEmpty(pick({platform::VK_RIGHT, platform::VK_ESCAPE})));

  // The enlarged character follows the keys; a cell past the last one
  // picks nothing.
  WhenShown<host::TCharacterPickerForm>([&chars](host::TCharacterPickerForm& f) {
    Key(f, platform::VK_RIGHT);
    EXPECT_EQ(f.lblCurrent->Caption(), chars[1]);
    int last = static_cast<int>(chars.size());
    if (last % host::kCharacterColumns != 0) {
      f.grdChars->MoveTo(host::kCharacterColumns - 1, f.grdChars->RowCount() - 1);
      Key(f, platform::VK_RETURN);
      EXPECT_TRUE(f.Visible());
    }
    Key(f, platform::VK_ESCAPE);
  });
  Variant user = Variant("KV"), company = Variant("DEMO"), code = Variant(2), window = Variant(0);
  EXPECT_TRUE(platform::VarIsEmpty(platform::OleCall(
      f2, "ShowCharaters",
      {platform::ByRef(user), platform::ByRef(company), platform::ByRef(code), Variant(0), platform::ByRef(window)})));
}

}  // namespace
}  // namespace hosttest
