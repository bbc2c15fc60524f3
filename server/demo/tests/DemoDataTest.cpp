#include "server/demo/DemoData.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "server/company/CompanyCatalogue.h"
#include "server/core/Sessions.h"
#include "server/core/SystemData.h"
#include "server/demo/MessageTexts.h"
#include "server/storage/tests/TestStore.h"

namespace {

using storage::Engine;
using storage::Value;

class DemoDataTest : public ::testing::TestWithParam<Engine> {};

std::size_t Count(storage::Connection& db, const std::string& sql) { return db.Execute(sql).rows.size(); }

TEST_P(DemoDataTest, CreatesAUsableCompanyAndCanBeWrittenAgain) {
  auto store = storage::testing::TestStore::Create(GetParam());
  if (!store) GTEST_SKIP() << "CORVANE_PG_URL is not set";
  auto db = store->Open();
  demo::DemoOptions options;
  options.employees = 240;
  demo::SeedDemo(*db, options);
  demo::SeedDemo(*db, options);  // again: replaced, not doubled

  db->UseCompany("demo");
  EXPECT_EQ(Count(*db, "SELECT MV001 FROM CMSMV"), 240u);
  // Every employee's references resolve, so every look-up of the slip finds a name.
  EXPECT_EQ(Count(*db, "SELECT V.MV001 FROM CMSMV V LEFT JOIN TAXMA A ON A.MA001 = V.MV003 "
                       "LEFT JOIN CMSME E ON E.ME001 = V.MV004 LEFT JOIN CMSMJ J ON J.MJ001 = V.MV005 "
                       "LEFT JOIN PALMH H ON H.MH001 = V.MV006 LEFT JOIN PALMI I ON I.MI001 = V.MV014 "
                       "WHERE A.MA001 IS NULL OR E.ME001 IS NULL OR J.MJ001 IS NULL OR H.MH001 IS NULL "
                       "OR I.MI001 IS NULL"),
            0u);
  // Realistic dates: grown-up at hiring, resigned or retired after hiring,
  // coded values within their lists.
  auto staff = db->Execute("SELECT MV001, MV011, MV012, MV013, MV018, MV007, MV008, MV009, MV010 FROM CMSMV");
  int resigned = 0, retired = 0;
  for (const auto& row : staff.rows) {
    SCOPED_TRACE(row[0].AsText());
    const std::string hired = row[1].AsText(), left = row[2].AsText(), retiredOn = row[3].AsText(), born = row[4].AsText();
    ASSERT_EQ(hired.size(), 8u);
    EXPECT_GE(hired, "19950101");
    EXPECT_LE(hired, "20251231");
    EXPECT_GE(std::stoi(hired.substr(0, 4)) - std::stoi(born.substr(0, 4)), 19);
    if (!left.empty()) {
      ++resigned;
      EXPECT_GT(left, hired);
    }
    if (!retiredOn.empty()) {
      ++retired;
      EXPECT_GT(retiredOn, hired);
    }
    EXPECT_TRUE(left.empty() || retiredOn.empty());
    EXPECT_NE(std::string("12").find(row[5].AsText()), std::string::npos);
    EXPECT_NE(std::string("YN").find(row[6].AsText()), std::string::npos);
    EXPECT_NE(std::string("12").find(row[7].AsText()), std::string::npos);
    EXPECT_NE(std::string("YN").find(row[8].AsText()), std::string::npos);
  }
  EXPECT_GT(resigned, 0);
  EXPECT_GT(retired + resigned, 0);

  // Slips: every employee exists; an approved change led to the employee's
  // present value; a resignation slip carries the resignation date.
  EXPECT_GT(Count(*db, "SELECT TE001 FROM PALTE"), 40u);
  EXPECT_EQ(Count(*db, "SELECT TE001 FROM PALTE LEFT JOIN CMSMV ON MV001 = TE001 WHERE MV001 IS NULL"), 0u);
  EXPECT_EQ(Count(*db, "SELECT TE001 FROM PALTE JOIN CMSMV ON MV001 = TE001 WHERE TE010 = 'Y' AND ("
                       "(TE003 = '0002' AND TE005 <> MV004) OR (TE003 = '0004' AND TE005 <> MV005) OR "
                       "(TE003 = '0005' AND TE005 <> MV006) OR (TE003 = '0006' AND TE005 <> MV007) OR "
                       "(TE003 = '0003' AND TE005 <> MV012))"),
            0u);
  EXPECT_EQ(Count(*db, "SELECT TE001 FROM PALTE WHERE TE002 > '20251130' OR TE010 NOT IN ('Y', 'N')"), 0u);
  EXPECT_EQ(Count(*db, "SELECT TE001 FROM PALTE WHERE TE010 = 'Y' AND (TE011 = '' OR TE012 = '')"), 0u);

  // The parameters, program record, sign-off settings and users the module reads.
  auto parameter = [&](const char* name) {
    auto r = db->Execute("SELECT SY002 FROM ADMSY WHERE SY001 = ?", {name});
    return r.rows.empty() ? std::string("(none)") : r.rows[0][0].AsText();
  };
  EXPECT_EQ(parameter("SYS001"), "1");
  EXPECT_EQ(parameter("SYS002"), "/");
  EXPECT_EQ(parameter("SYS150"), "Y");
  EXPECT_EQ(Count(*db, "SELECT MB001 FROM ADMMB WHERE MB001 = 'VORN21' AND MB002 <> ''"), 1u);
  EXPECT_EQ(Count(*db, "SELECT MQ001 FROM ADMMQ WHERE MQ001 = 'VORN21'"), 1u);
  EXPECT_EQ(Count(*db, "SELECT MS001 FROM ADMMS WHERE MS001 = 'VORN21'"), 2u);
  EXPECT_EQ(Count(*db, "SELECT MA001 FROM KVTMA"), demo::DemoUsers().size());
  EXPECT_EQ(Count(*db, "SELECT MB001 FROM KVTMB WHERE MB001 = 'DEMO' AND MB004 = 'demo'"), 1u);

  // The system side: users log in with the demo password, see the company,
  // have their rights record; the program and the message texts are there.
  for (const auto& user : demo::DemoUsers()) {
    SCOPED_TRACE(user.userId);
    EXPECT_TRUE(server::LogIn(*db, user.userId, user.password).ok);
    EXPECT_FALSE(server::LogIn(*db, user.userId, user.password + "x").ok);
    EXPECT_TRUE(server::IsGranted(*db, user.userId, "demo"));
    auto rights = server::RightsOf(*db, user.userId, "VORN21");
    ASSERT_TRUE(rights.has_value());
    EXPECT_EQ(rights->powerData, user.powerData);
    EXPECT_EQ(rights->groupList, "'" + user.group + "'");
    // The host's test program is the administrator's only.
    EXPECT_EQ(server::RightsOf(*db, user.userId, "TestPrg").has_value(), user.userId == "admin");
  }
  EXPECT_TRUE(server::ProgramSettings(*db, "TestPrg").has_value());
  EXPECT_EQ(server::CompanyDatabase(*db, "DEMO"), std::optional<std::string>("demo"));
  EXPECT_EQ(server::ProgramSettings(*db, "VORN21"), std::optional<std::vector<std::string>>(demo::SlipProgramSettings()));
  for (const auto& [code, text] : demo::ShippedMessageTexts()) EXPECT_EQ(server::MessageText(*db, code), text) << code;
}

INSTANTIATE_TEST_SUITE_P(Engines, DemoDataTest, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return std::string(storage::EngineName(info.param)); });

TEST(DemoUsers, HaveDifferentRightsRecords) {
  std::set<std::string> records;
  for (const auto& u : demo::DemoUsers()) records.insert(u.powerData);
  EXPECT_EQ(records.size(), demo::DemoUsers().size());
  // Program rights (field 3 counted from 0, 1-based characters): 2 edit,
  // 4 confirm, 9 add; field 2 "Y": rights follow the record's creator.
  auto right = [](const std::string& userId, int position) {
    for (const auto& u : demo::DemoUsers())
      if (u.userId == userId) {
        std::vector<std::string> fields;
        std::size_t start = 0, comma;
        while ((comma = u.powerData.find(',', start)) != std::string::npos) {
          fields.push_back(u.powerData.substr(start, comma - start));
          start = comma + 1;
        }
        fields.push_back(u.powerData.substr(start));
        return std::make_pair(fields.at(2), fields.at(3).at(static_cast<std::size_t>(position - 1)));
      }
    return std::make_pair(std::string("?"), '?');
  };
  EXPECT_EQ(right("admin", 2).second, 'Y');
  EXPECT_EQ(right("clerk", 9).second, 'Y');
  EXPECT_EQ(right("clerk", 4).second, 'N');
  EXPECT_EQ(right("clerk", 2).first, "Y");  // only the records the clerk created
  EXPECT_EQ(right("admin", 2).first, "N");
  EXPECT_EQ(right("approver", 4).second, 'Y');
  EXPECT_EQ(right("approver", 9).second, 'N');
  for (int p : {2, 3, 4, 9, 12}) EXPECT_EQ(right("viewer", p).second, 'N') << p;
}

TEST(SlipProgramSettings, NameTheSlipTablesAndKeys) {
  std::map<std::string, std::string> settings;
  for (const auto& line : demo::SlipProgramSettings()) settings[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
  EXPECT_EQ(settings["M11_TABLE"], "PALTE");
  EXPECT_EQ(settings["M11_KEY"], "TE001,TE002,TE003");
  EXPECT_EQ(settings["D11_TABLE"], "PALTZ");
  const auto* palte = company::CompanyCatalogue().FindTable("PALTE");
  std::string key;
  for (const auto* c : palte->KeyColumns()) key += (key.empty() ? "" : ",") + c->name;
  EXPECT_EQ(key, settings["M11_KEY"]);
  EXPECT_NE(company::CompanyCatalogue().FindTable(settings["D11_TABLE"]), nullptr);
  int maxRecord = std::stoi(settings["MAX_RECORD"]);
  EXPECT_TRUE(maxRecord >= 1 && maxRecord <= 40);
  EXPECT_NE(settings["M11_SELECT"].find("AS TE001C"), std::string::npos);
}

// Every coded message the module shows has a text, with no more
// placeholders than the arguments the module passes.
TEST(MessageTexts, CoverEveryCodedMessageOfTheModule) {
  const std::pair<const char*, int> used[] = {
      {"C/000001", 0}, {"C/000002", 0}, {"C/000004", 0}, {"C/000005", 0}, {"C/200002", 0}, {"D/000001", 0},
      {"D/000002", 0}, {"E/000001", 1}, {"E/000002", 1}, {"E/000003", 1}, {"E/000004", 0}, {"E/000005", 0},
      {"E/000007", 0}, {"E/000008", 0}, {"E/000009", 0}, {"E/000015", 0}, {"E/000016", 0}, {"E/000032", 1},
      {"E/000038", 0}, {"E/100002", 0}, {"E/100181", 0}, {"E/100187", 0}, {"E/100222", 1}, {"E/100280", 2},
      {"E/100288", 2}, {"E/200128", 0}, {"E/200129", 0}, {"E/200130", 0}, {"E/200132", 0}, {"E/200570", 1},
      {"E/200571", 1}, {"E/200572", 1}, {"E/200573", 1}, {"E/200574", 1}, {"E/200575", 1}, {"E/200820", 0},
      {"I/000006", 2}, {"I/200007", 0}, {"I/200010", 1}, {"W/000001", 0}, {"W/000004", 1}, {"W/000005", 1},
      {"W/100056", 1}, {"W/100079", 1}, {"W/200399", 0},
  };
  std::map<std::string, std::string> texts(demo::ShippedMessageTexts().begin(), demo::ShippedMessageTexts().end());
  for (const auto& [code, args] : used) {
    SCOPED_TRACE(code);
    auto it = texts.find(code);
    ASSERT_NE(it, texts.end());
    EXPECT_FALSE(it->second.empty());
    int placeholders = 0;
    for (std::size_t i = 0; i + 1 < it->second.size(); ++i)
      if (it->second[i] == '%') {
        if (it->second[i + 1] != '%') ++placeholders;
        ++i;
      }
    EXPECT_LE(placeholders, args);
  }
}

TEST(MessageTexts, RefuseMalformedFiles) {
  const char* bad[] = {"E/000001 no tab\n", "X000001\ttext\n", "E/00001\ttext\n", "E/000001\ta\nE/000001\tb\n"};
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    EXPECT_THROW(demo::ParseMessageTexts(text), platform::Exception);
  }
  auto ok = demo::ParseMessageTexts("# comment\r\n\r\nE/000001\t%s x\r\nI/000002\t\n");
  ASSERT_EQ(ok.size(), 2u);
  EXPECT_EQ(ok[0], (std::pair<std::string, std::string>("E/000001", "%s x")));
  EXPECT_EQ(ok[1].second, "");
}

}  // namespace
