#include "server/demo/DemoData.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <set>

#include "platform/Exceptions.h"
#include "server/company/CompanyCatalogue.h"
#include "server/company/CompanyText.h"
#include "server/core/SystemData.h"
#include "server/demo/DemoNames.h"
#include "server/demo/MessageTexts.h"

namespace demo {

namespace {

using storage::Value;
namespace chr = std::chrono;

constexpr const char* kProgram = "VORN21";
constexpr const char* kTestProgram = "TestPrg";
constexpr const char* kCreatedOn = "2025010208:00:00";  // the form of the server's stamps

std::string U(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// A small generator with the same sequence everywhere (the standard
// distributions are not portable).
class Random {
 public:
  explicit Random(unsigned seed) : state_(seed * 2654435761u + 1) {}
  unsigned Next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<unsigned>(state_ >> 33);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<unsigned>(n)); }
  int Between(int low, int high) { return low + Below(high - low + 1); }
  bool Chance(int percent) { return Below(100) < percent; }

 private:
  std::uint64_t state_;
};

chr::sys_days Day(int y, unsigned m, unsigned d) { return chr::sys_days(chr::year(y) / m / d); }

std::string Text(chr::sys_days day) {
  chr::year_month_day ymd(day);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d%02u%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()));
  return buffer;
}

chr::sys_days AddYears(chr::sys_days day, int years) {
  chr::year_month_day ymd(day);
  chr::year_month_day moved = (ymd.year() + chr::years(years)) / ymd.month() / ymd.day();
  if (!moved.ok()) moved = moved.year() / moved.month() / chr::last;  // 29 February
  return chr::sys_days(moved);
}

chr::sys_days RandomDay(Random& r, chr::sys_days from, chr::sys_days to) {
  int span = static_cast<int>((to - from).count());
  return from + chr::days(span <= 0 ? 0 : r.Between(0, span));
}

// Writes rows into one table of the catalogue. Column names are checked
// against the catalogue, texts against their size in code-page bytes, and
// the system columns are stamped when the row leaves them out.
class Writer {
 public:
  Writer(storage::Connection& db, const std::string& companyId) : db_(db), companyId_(companyId) {}

  void Insert(const char* table, std::vector<std::pair<const char*, Value>> values) {
    const storage::TableDef* def = company::CompanyCatalogue().FindTable(table);
    if (!def) throw platform::Exception(std::string("demo data: no table ") + table);
    if (def->FindColumn("FLAG")) {
      auto given = [&](const char* c) {
        for (const auto& v : values)
          if (company::SameText(v.first, c)) return true;
        return false;
      };
      const std::pair<const char*, Value> stamps[] = {{"COMPANY", companyId_}, {"CREATOR", "admin"},
                                                       {"USR_GROUP", "G01"},   {"CREATE_DATE", kCreatedOn},
                                                       {"MODIFIER", ""},      {"MODI_DATE", ""},
                                                       {"FLAG", 1.0}};
      for (const auto& s : stamps)
        if (!given(s.first)) values.push_back(s);
    }
    std::string sql = "INSERT INTO " + def->name + " (";
    std::string marks;
    std::vector<Value> params;
    for (const auto& [name, value] : values) {
      const storage::ColumnDef* column = def->FindColumn(name);
      if (!column) throw platform::Exception("demo data: " + def->name + " has no column " + name);
      if (column->type == storage::ColumnType::Text && value.Type() == storage::ValueType::Text &&
          company::DbLength(value.AsText()) > static_cast<std::size_t>(column->size))
        throw platform::Exception("demo data: " + def->name + "." + column->name + " cannot hold \"" + value.AsText() + "\"");
      sql += (params.empty() ? "" : ", ") + column->name;
      marks += params.empty() ? "?" : ", ?";
      params.push_back(value);
    }
    db_.Execute(sql + ") VALUES (" + marks + ")", params);
  }

 private:
  storage::Connection& db_;
  std::string companyId_;
};

struct Employee {
  std::string code, name, companyCode, dept, position, grade;
  std::string payType, fullAttendance, payMethod, overtime;
  chr::sys_days hired, born;
  std::string resigned, retired, education, sex;
};

std::string Pick(Random& r, std::span<const CodeName> list) { return list[static_cast<std::size_t>(r.Below(static_cast<int>(list.size())))].code; }

std::string NameOf(std::span<const CodeName> list, const std::string& code) {
  for (const auto& item : list)
    if (code == item.code) return U(item.name);
  return {};
}

int IndexOf(std::span<const CodeName> list, const std::string& code) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (code == list[i].code) return static_cast<int>(i);
  return 0;
}

std::vector<Employee> MakeEmployees(const DemoOptions& options) {
  Random r(options.seed);
  const chr::sys_days today = Day(2025, 11, 30);
  // Positions by share of the work force, from the top (J01) down.
  const int shares[] = {0, 0, 5, 5, 8, 10, 15, 15, 12, 30};
  std::vector<Employee> staff;
  std::set<std::string> names;
  for (int i = 1; i <= options.employees; ++i) {
    Employee e;
    char code[16];
    std::snprintf(code, sizeof code, "E%05d", i);
    e.code = code;
    do {
      e.name = U(DemoSurnames()[static_cast<std::size_t>(r.Below(static_cast<int>(DemoSurnames().size())))]);
      int parts = r.Chance(70) ? 2 : 1;
      for (int p = 0; p < parts; ++p)
        e.name += U(DemoGivenNameParts()[static_cast<std::size_t>(r.Below(static_cast<int>(DemoGivenNameParts().size())))]);
    } while (!names.insert(e.name).second && names.size() < 20000);
    e.companyCode = r.Chance(50) ? "C01" : Pick(r, DemoCompanies());
    int position;
    if (i == 1) {
      position = 0;
      e.dept = "D01";
    } else if (i <= 3) {
      position = 1;
      e.dept = "D01";
    } else {
      int roll = r.Below(100), sum = 0;
      position = 9;
      for (int p = 0; p < 10; ++p)
        if (roll < (sum += shares[p])) {
          position = p;
          break;
        }
      e.dept = DemoDepartments()[static_cast<std::size_t>(r.Between(1, static_cast<int>(DemoDepartments().size()) - 1))].code;
    }
    e.position = DemoPositions()[static_cast<std::size_t>(position)].code;
    int grade = std::min(9, std::max(0, position + r.Between(-1, 1)));
    e.grade = DemoGrades()[static_cast<std::size_t>(grade)].code;
    e.payType = position == 9 && r.Chance(70) ? "2" : "1";
    e.fullAttendance = position <= 3 ? "N" : "Y";
    e.payMethod = r.Chance(10) ? "2" : "1";
    e.overtime = position <= 4 ? "N" : "Y";
    e.hired = RandomDay(r, Day(1995, 1, 3), Day(2025, 6, 30));
    e.born = AddYears(e.hired, position <= 2 ? -r.Between(30, 45) : -r.Between(20, 38)) - chr::days(r.Below(365));
    if (r.Chance(8)) {
      chr::sys_days left = e.hired + chr::days(r.Between(180, 2500));
      if (left < today) e.resigned = Text(left);
    }
    chr::sys_days sixty = AddYears(e.born, 60);
    if (e.resigned.empty() && sixty <= today) e.retired = Text(sixty);
    int education = position <= 2 ? r.Between(0, 2) : position <= 6 ? r.Between(1, 3) : r.Between(2, 5);
    e.education = DemoEducation()[static_cast<std::size_t>(education)].code;
    e.sex = r.Chance(50) ? "M" : "F";
    staff.push_back(std::move(e));
  }
  return staff;
}

// Tables the demo replaces (the others keep what users wrote).
const char* const kDemoTables[] = {"KVTMB", "KVTMA", "ADMMB", "ADMSY", "TAXMA", "CMSME", "CMSMJ", "PALMH",
                                   "PALMI", "CMSMV", "CMSMF", "PALTE", "PALTZ", "ADMMQ", "ADMMR", "ADMMS", "ADMPH"};

void WriteSlips(Writer& w, const std::vector<Employee>& staff, const DemoOptions& options) {
  Random r(options.seed + 7);
  const chr::sys_days today = Day(2025, 11, 30);
  const chr::sys_days approvedBefore = Day(2025, 10, 1);
  auto item = [](const char* code) { return U(DemoChangeItems()[static_cast<std::size_t>(std::stoi(code) - 1)].name); };
  const char8_t* payNames[] = {u8"月薪", u8"日薪"};

  for (std::size_t i = 0; i < staff.size(); ++i) {
    const Employee& e = staff[i];
    std::string base = e.resigned.empty() ? Text(today) : e.resigned;
    // A resignation is an approved slip on the day it took effect.
    if (!e.resigned.empty()) {
      w.Insert("PALTE", {{"TE001", e.code}, {"TE002", e.resigned}, {"TE003", "0003"}, {"TE004", ""},
                         {"TE005", e.resigned}, {"TE007", item("0003")}, {"TE010", "Y"}, {"TE011", e.resigned},
                         {"TE012", "approver"}, {"TE013", "N"}, {"TE006", U(DemoPhrases()[3])}});
    }
    if (i % 5 != 2) continue;
    chr::sys_days from = e.hired + chr::days(365);
    chr::sys_days to = e.resigned.empty() ? today : chr::sys_days(chr::year_month_day(
                                                        chr::year(std::stoi(base.substr(0, 4))) /
                                                        static_cast<unsigned>(std::stoi(base.substr(4, 2))) /
                                                        static_cast<unsigned>(std::stoi(base.substr(6, 2))))) - chr::days(1);
    if (from >= to) continue;
    // About a quarter are still waiting for approval, dated in the last weeks.
    bool approved = !r.Chance(25) || to < approvedBefore;
    chr::sys_days day = approved ? RandomDay(r, from, std::min(to, approvedBefore - chr::days(1)))
                                 : RandomDay(r, std::max(from, approvedBefore), to);
    if (day < from) continue;
    std::string date = Text(day);
    const char* codes[] = {"0002", "0004", "0005", "0006"};
    std::string code = codes[r.Below(4)];
    std::string current, other, currentName, otherName;
    auto choose = [&](std::span<const CodeName> list, const std::string& now) {
      current = now;
      do other = Pick(r, list);
      while (other == now);
      currentName = NameOf(list, current);
      otherName = NameOf(list, other);
    };
    if (code == "0002") choose(DemoDepartments(), e.dept);
    else if (code == "0004") choose(DemoPositions(), e.position);
    else if (code == "0005") choose(DemoGrades(), e.grade);
    else {
      current = e.payType;
      other = current == "1" ? "2" : "1";
      currentName = U(payNames[current == "1" ? 0 : 1]);
      otherName = U(payNames[current == "1" ? 1 : 0]);
    }
    // An approved slip led to the employee's present value; a pending one
    // proposes a new value.
    const std::string& before = approved ? other : current;
    const std::string& after = approved ? current : other;
    w.Insert("PALTE", {{"TE001", e.code}, {"TE002", date}, {"TE003", code}, {"TE004", before},
                       {"TE005", after}, {"TE007", item(code.c_str())},
                       {"TE008", approved ? otherName : currentName}, {"TE009", approved ? currentName : otherName},
                       {"TE006", U(DemoPhrases()[static_cast<std::size_t>(r.Below(3))])},
                       {"TE010", approved ? "Y" : "N"}, {"TE011", date}, {"TE012", approved ? "approver" : ""},
                       {"TE013", "N"}, {"CREATOR", "clerk"}});
  }
}

}  // namespace

const std::vector<DemoUser>& DemoUsers() {
  // POWER_DATA, fields numbered from 0: field 2 "Y" makes the rights follow
  // the creator of a record; field 3 holds the program rights by 1-based
  // character (2 edit, 3 delete, 4 confirm, 5 cancel confirm, 6 print,
  // 7/8 field groups Y or R(ead-only), 9 add, 10 sign-off, 12 void);
  // fields 4 and 5 the rights on records of the user's groups and of
  // everybody else (2 edit, 3 delete, 4 confirm, 5 cancel, 7 void).
  static const std::vector<DemoUser> users = {
      {"admin", "admin", U(u8"系统管理员"), "G01", "0,0,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY",
       "administrator: every right on every slip"},
      {"clerk", "clerk", U(u8"人事专员"), "G01", "0,0,Y,YYYNNYYYYYYN,YNNNNNN,YNNNNNN",
       "clerk: enters and changes slips, only their own"},
      {"approver", "approver", U(u8"人事经理"), "G02", "0,0,N,YNNYYYYYNYYY,YNNYYYY,YNNYYYY",
       "approver: approves, cancels approval and voids slips"},
      {"viewer", "viewer", U(u8"查询人员"), "G03", "0,0,N,YNNNNYRRNNNN,YNNNNNN,YNNNNNN",
       "read-only: looks at slips and prints them"},
  };
  return users;
}

const std::vector<std::string>& SlipProgramSettings() {
  static const std::vector<std::string> lines = {
      "M11_TABLE=PALTE",
      "M11_KEY=TE001,TE002,TE003",
      "M11_SELECT=SELECT PALTE.*, A.MV002 AS TE001C, B.MA002 AS TE012C, A.MV012 AS TE002C, A.MV011 AS TE003C "
      "FROM PALTE LEFT JOIN CMSMV A ON A.MV001=PALTE.TE001 LEFT JOIN KVTMA B ON B.MA001=PALTE.TE012",
      "D11_TABLE=PALTZ",
      "D11_KEY=",
      "D11_SELECT=SELECT PALTZ.* FROM PALTZ",
      "MAX_RECORD=40",
  };
  return lines;
}

void SeedCompany(storage::Connection& db, const DemoOptions& options) {
  if (!db.CompanyExists(options.database)) db.CreateCompany(options.database);
  db.ApplySchema(company::CompanyCatalogue(), options.database);
  db.UseCompany(options.database);
  std::vector<Employee> staff = MakeEmployees(options);
  const std::string& co = options.companyId;

  storage::Transaction t = db.Begin(storage::TransactionMode::Write);
  for (const char* table : kDemoTables) db.Execute(std::string("DELETE FROM ") + table);
  Writer w(db, co);

  w.Insert("KVTMB", {{"MB001", co}, {"MB002", U(u8"科文示范股份有限公司")}, {"MB003", U(u8"科文示范")},
                     {"MB004", options.database}});
  for (const auto& u : DemoUsers()) w.Insert("KVTMA", {{"MA001", u.userId}, {"MA002", u.userName}, {"MA003", u.group}});
  w.Insert("ADMMB", {{"MB001", kProgram}, {"MB002", U(u8"人事异动单")}, {"MB003", ""}, {"MB004", ""}, {"MB005", ""},
                     {"MB006", ""}, {"MB007", "PALTE01"}, {"MB008", kProgram}, {"MB009", "N"}, {"MB010", ""},
                     {"MB011", "Personnel Change Slip"}, {"MB012", "HR"}, {"MB013", "2.3.1.0"}});

  const std::pair<const char*, const char*> parameters[] = {
      {"SYS001", "1"},   {"SYS002", "/"},   {"SYS003", "RMB"}, {"SYS024", "0"},   {"SYS025", "0"},
      {"SYS053", "1"},   {"SYS054", "1"},   {"SYS055", "1"},   {"SYS056", "1"},   {"SYS060", "N"},
      {"SYS068", "3"},   {"SYS150", "Y"},   {"SYS151", "500"}, {"SYS174", "N"}};
  for (const auto& [name, value] : parameters) w.Insert("ADMSY", {{"SY001", name}, {"SY002", value}});
  w.Insert("ADMSY", {{"SY001", "KVT002"}, {"SY002", U(u8"科文示范")}});

  for (const auto& c : DemoCompanies()) w.Insert("TAXMA", {{"MA001", c.code}, {"MA002", U(c.name)}});
  for (const auto& d : DemoDepartments()) w.Insert("CMSME", {{"ME001", d.code}, {"ME002", U(d.name)}, {"ME003", "C01"}});
  for (const auto& p : DemoPositions()) w.Insert("CMSMJ", {{"MJ001", p.code}, {"MJ002", U(p.name)}});
  for (const auto& g : DemoGrades()) w.Insert("PALMH", {{"MH001", g.code}, {"MH002", U(g.name)}});
  for (const auto& e : DemoEducation()) w.Insert("PALMI", {{"MI001", e.code}, {"MI002", U(e.name)}});
  const int digits[][4] = {{4, 2, 4, 2}, {4, 2, 4, 2}, {4, 2, 4, 2}};
  for (std::size_t i = 0; i < DemoCurrencies().size(); ++i) {
    const auto& c = DemoCurrencies()[i];
    w.Insert("CMSMF", {{"MF001", c.code}, {"MF002", U(c.name)}, {"MF003", digits[i][0]}, {"MF004", digits[i][1]},
                       {"MF005", digits[i][2]}, {"MF006", digits[i][3]}});
  }
  for (const auto& e : staff)
    w.Insert("CMSMV", {{"MV001", e.code},          {"MV002", e.name},      {"MV003", e.companyCode},
                       {"MV004", e.dept},          {"MV005", e.position},  {"MV006", e.grade},
                       {"MV007", e.payType},       {"MV008", e.fullAttendance}, {"MV009", e.payMethod},
                       {"MV010", e.overtime},      {"MV011", Text(e.hired)}, {"MV012", e.resigned},
                       {"MV013", e.retired},       {"MV014", e.education}, {"MV017", e.sex},
                       {"MV018", Text(e.born)}});
  WriteSlips(w, staff, options);

  // Sign-off: the slip program's form and its fields, and the route.
  w.Insert("ADMMQ", {{"MQ001", kProgram}, {"MQ002", "****"}, {"MQ003", "N"}, {"MQ004", "PALTE01"},
                     {"MQ005", U(u8"人事异动签核")}, {"MQ006", "N"}, {"MQ007", "N"}, {"MQ008", "N"}});
  const std::pair<const char*, const char8_t*> formFields[] = {
      {"TE001", u8"员工编号"}, {"TE002", u8"异动日期"}, {"TE003", u8"异动项目"}, {"TE004", u8"异动前"}, {"TE005", u8"异动后"}};
  int order = 1;
  for (const auto& [field, label] : formFields) {
    char seq[8];
    std::snprintf(seq, sizeof seq, "%04d", order++);
    w.Insert("ADMMR", {{"MR001", kProgram}, {"MR002", "****"}, {"MR011", seq}, {"MR003", field},
                       {"MR004", U(label)}, {"MR005", "PALTE"}});
  }
  w.Insert("ADMMS", {{"MS001", kProgram}, {"MS002", "****"}, {"MS003", 1}, {"MS004", "approver"},
                     {"MS005", U(u8"人事经理审核")}});
  w.Insert("ADMMS", {{"MS001", kProgram}, {"MS002", "****"}, {"MS003", 2}, {"MS004", "admin"},
                     {"MS005", U(u8"总经理核准")}});

  int phrase = 1;
  for (const char8_t* p : DemoPhrases()) w.Insert("ADMPH", {{"PH001", ""}, {"PH002", phrase++}, {"PH003", U(p)}});
  t.Commit();
}

void SeedSystem(storage::Connection& db, const DemoOptions& options) {
  server::CreateSystemSchema(db);
  server::AddCompany(db, options.companyId, options.database, U(u8"科文示范股份有限公司"));
  for (const auto& u : DemoUsers()) {
    server::AddUser(db, u.userId, u.password, u.userName, u.group);
    server::GrantCompany(db, u.userId, options.database);
    server::StoreRights(db, u.userId, kProgram, {u.powerData, "", "'" + u.group + "'", ""});
  }
  server::StoreProgram(db, kProgram, U(u8"人事异动单"), SlipProgramSettings());
  // The host's test program (module TestPrgC.so): the administrator may
  // open it, to try the host before every program is installed.
  server::StoreProgram(db, kTestProgram, U(u8"测试程序"), {});
  for (const auto& u : DemoUsers())
    if (u.userId == "admin") server::StoreRights(db, u.userId, kTestProgram, {u.powerData, "", "'" + u.group + "'", ""});
  server::StoreMessages(db, ShippedMessageTexts());
}

void SeedDemo(storage::Connection& db, const DemoOptions& options) {
  SeedCompany(db, options);
  SeedSystem(db, options);
}

}  // namespace demo
