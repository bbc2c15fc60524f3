#include "server/validator/CheckCodes.h"

#include <algorithm>

#include "server/company/CompanyText.h"

namespace validator {

namespace {

const CheckCodeDef kCheckCodes[] = {
    {"ADMMB", "06",
     "SELECT MB002, MB003, MB004, MB005, MB006, MB007, MB008, MB009, MB010, MB011 FROM ADMMB WHERE MB001 = ?",
     "0 name, 1 print program, 2 transaction object, 3 transaction program, 4 attribute 4, 5 sign-off form, "
     "6 sign-off code, 7 flag Y, 8 body check W/E/Z, 9 English name"},
    {"KVTMB", "02", "SELECT MB002, MB003, MB004 FROM KVTMB WHERE MB001 = ?", "0 company name"},
    {"KVTMA", "01", "SELECT MA002, MA003 FROM KVTMA WHERE MA001 = ?", "found: a user of the company; 0 name"},
    {"CMSMV", "01",
     "SELECT MV002, MV003, MV004, MV005, MV006, MV007, MV008, MV009, MV010, MV011, MV012 FROM CMSMV WHERE MV001 = ?",
     "0 employee name, 9 hire date, 10 resignation date"},
    {"CMSMV", "03",
     "SELECT V.MV003, A.MA002, V.MV004, E.ME002, V.MV012, V.MV005, J.MJ002, V.MV006, H.MH002, V.MV007, V.MV008, "
     "V.MV009, V.MV010, V.MV013 FROM CMSMV V LEFT JOIN TAXMA A ON A.MA001 = V.MV003 "
     "LEFT JOIN CMSME E ON E.ME001 = V.MV004 LEFT JOIN CMSMJ J ON J.MJ001 = V.MV005 "
     "LEFT JOIN PALMH H ON H.MH001 = V.MV006 WHERE V.MV001 = ?",
     "0/1 company code/name, 2/3 department code/name, 4 resignation date, 5/6 position code/name, "
     "7/8 grade code/name, 9 pay type, 10 full attendance, 11 pay method, 12 overtime, 13 retirement date"},
    {"CMSMV", "07", "SELECT MV015, MV016 FROM CMSMV WHERE MV001 = ?", "0 document id, 1 second document argument"},
    {"CMSMV", "10",
     "SELECT V.MV001, V.MV014, I.MI002 FROM CMSMV V LEFT JOIN PALMI I ON I.MI001 = V.MV014 WHERE V.MV001 = ?",
     "1 education code, 2 education name"},
    {"TAXMA", "01", "SELECT MA002, MA001 FROM TAXMA WHERE MA001 = ?", "0 company name"},
    {"CMSME", "01", "SELECT ME002, ME001 FROM CMSME WHERE ME001 = ?", "0 department name"},
    {"CMSMJ", "01", "SELECT MJ001, MJ002 FROM CMSMJ WHERE MJ001 = ?", "1 position name"},
    {"PALMH", "01", "SELECT MH002, MH001 FROM PALMH WHERE MH001 = ?", "0 grade name"},
    {"PALMI", "01", "SELECT MI002, MI001 FROM PALMI WHERE MI001 = ?", "0 education name"},
    {"PALTE", "01", "SELECT TE001 FROM PALTE WHERE TE001 = ? AND TE002 = ? AND TE003 = ?",
     "found: the slip exists"},
    // The latest change date of the employee and item in the given state;
    // no aggregate, so that "none" is "not found" rather than a NULL row.
    {"PALTE", "02",
     "SELECT TE002 FROM PALTE WHERE TE001 = ? AND TE003 = ? AND TE010 = ? ORDER BY TE002 DESC LIMIT 1",
     "0 latest change date"},
    // Sign-off settings of a program: the document type's own row first,
    // then the one for any type ('****'), each with its form fields.
    {"ADMMQ", "02",
     "SELECT Q.MQ002, Q.MQ004, Q.MQ003, R.MR003, R.MR005, R.MR004 FROM ADMMQ Q "
     "LEFT JOIN ADMMR R ON R.MR001 = Q.MQ001 AND R.MR002 = Q.MQ002 "
     "WHERE Q.MQ001 = ? AND (Q.MQ002 = ? OR Q.MQ002 = '****') ORDER BY Q.MQ002 DESC, R.MR011",
     "0 document type, 1 form id, 2 confirm mode, 3 field, 4 table, 5 label"},
    {"JXJOBQUE", "02", "SELECT JX001 FROM JXJOBQUE WHERE JX001 = ? AND JX002 = ? AND JX003 = ?",
     "found: the document is queued for sign-off"},
    // Saved query schemes live with the system data (one set per user and program).
    {"DOCUS", "01", "SELECT NCONDITION FROM SYS_SCHEME WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
     "found: the scheme name is taken"},
    {"F2LINK", "01", "SELECT LK004, LK005 FROM F2LINK WHERE LK001 = ? AND LK002 = ? AND LK003 = ?",
     "0 look-up table, 1 look-up kind"},
    {"ADMMD", "02", "SELECT MD003 FROM ADMMD WHERE MD001 = ? AND MD002 = ?", "0 field label"},
    {"ADMMD", "03", "SELECT MD002, MD003, MD004 FROM ADMMD WHERE MD001 = ? ORDER BY MD002",
     "rows: field, label, label in the other language"},
    {"NUMFD", "01", "SELECT FD002, FD003, FD004 FROM NUMFD WHERE FD001 = ? ORDER BY FD002",
     "rows: field, precision, scale"},
};

}  // namespace

std::span<const CheckCodeDef> CheckCodes() { return kCheckCodes; }

const CheckCodeDef* FindCheckCode(std::string_view table, std::string_view code) {
  for (const auto& def : kCheckCodes)
    if (company::SameText(def.table, table) && company::SameText(def.code, code)) return &def;
  return nullptr;
}

int KeyCount(const CheckCodeDef& def) {
  std::string_view sql = def.sql;
  return static_cast<int>(std::count(sql.begin(), sql.end(), '?'));
}

}  // namespace validator
