#include "server/validator/LookupWindow.h"

#include "platform/Exceptions.h"
#include "server/company/CompanyText.h"

namespace validator {

namespace {

const std::vector<LookupDef>& Defs() {
  static const std::vector<LookupDef> defs = {
      {"CMSMV", "01", u8"员工信息查询",
       "CMSMV V LEFT JOIN CMSME E ON E.ME001 = V.MV004 LEFT JOIN CMSMJ J ON J.MJ001 = V.MV005",
       {{"V.MV001", u8"员工编号"}, {"V.MV002", u8"员工名称"}, {"E.ME002", u8"部门"}, {"J.MJ002", u8"职务"},
        {"V.MV011", u8"到职日期"}, {"V.MV012", u8"离职日期"}}},
      {"TAXMA", "01", u8"公司信息查询", "TAXMA T", {{"T.MA001", u8"公司编号"}, {"T.MA002", u8"公司名称"}}},
      {"CMSME", "01", u8"部门信息查询", "CMSME T", {{"T.ME001", u8"部门编号"}, {"T.ME002", u8"部门名称"}}},
      {"CMSMJ", "01", u8"职务编号查询", "CMSMJ T", {{"T.MJ001", u8"职务编号"}, {"T.MJ002", u8"职务名称"}}},
      {"PALMH", "01", u8"职等信息查询", "PALMH T", {{"T.MH001", u8"职等编号"}, {"T.MH002", u8"职等名称"}}},
      {"PALMI", "01", u8"学历编号查询", "PALMI T", {{"T.MI001", u8"学历编号"}, {"T.MI002", u8"学历名称"}}},
      {"KVTMA", "01", u8"用户信息查询", "KVTMA T", {{"T.MA001", u8"用户编号"}, {"T.MA002", u8"用户名称"}}},
      {"ADMPH", "01", u8"常用语查询", "ADMPH T", {{"T.PH003", u8"常用语"}}, "T.PH001"},
  };
  return defs;
}

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// A LIKE pattern that matches the text anywhere, "\" escaping.
std::string Contains(std::string_view text) {
  std::string pattern = "%";
  for (char c : text) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern + "%";
}

}  // namespace

std::span<const LookupDef> LookupDefs() { return Defs(); }

const LookupDef* FindLookup(std::string_view table, std::string_view kind) {
  for (const auto& def : Defs())
    if (company::SameText(def.table, table) && company::SameText(def.kind, kind)) return &def;
  return nullptr;
}

LookupRows QueryLookup(company::CompanySession& session, std::string_view table, std::string_view kind,
                       std::string_view startValue, std::string_view filter, std::size_t maxRows) {
  const LookupDef* def = FindLookup(table, kind);
  if (!def)
    throw platform::Exception(company::FromDb("The server has no look-up window for " + std::string(table) + " \"" +
                                              std::string(kind) + "\"."));
  std::string code = def->columns.front().field;
  std::string sql = "SELECT ";
  for (std::size_t i = 0; i < def->columns.size(); ++i) sql += (i ? ", " : "") + std::string(def->columns[i].field);
  sql += " FROM " + std::string(def->from);
  std::vector<storage::Value> params;
  std::string where;
  if (def->userColumn) {
    where = std::string(def->userColumn) + " IN ('', ?)";
    params.emplace_back(session.userId);
  }
  if (!filter.empty()) {
    std::string name = def->columns.size() > 1 ? def->columns[1].field : code;
    where += (where.empty() ? "(" : " AND (") + code + " LIKE ? ESCAPE '\\' OR " + name + " LIKE ? ESCAPE '\\')";
    params.emplace_back(Contains(filter));
    params.emplace_back(Contains(filter));
  }
  if (!where.empty()) sql += " WHERE " + where;
  sql += " ORDER BY " + code + " LIMIT " + std::to_string(maxRows + 1);
  storage::Result r = session.Db().Execute(sql, params);

  LookupRows out;
  out.title = Utf8(def->title);
  for (const auto& c : def->columns) out.captions.push_back(Utf8(c.caption));
  out.truncated = r.rows.size() > maxRows;
  if (out.truncated) r.rows.resize(maxRows);
  out.rows = std::move(r.rows);
  std::string start(startValue);
  while (!start.empty() && start.back() == ' ') start.pop_back();
  out.startRow = out.rows.size();
  for (std::size_t i = 0; i < out.rows.size(); ++i) {
    const auto& v = out.rows[i][0];
    if (start.empty() || (v.Type() == storage::ValueType::Text && v.AsText() >= start)) {
      out.startRow = i;
      break;
    }
  }
  if (out.rows.empty()) out.startRow = 0;
  return out;
}

platform::Variant LookupRowsToVariant(const LookupRows& rows) {
  std::vector<platform::Variant> captions;
  for (const auto& c : rows.captions) captions.emplace_back(company::FromDb(c));
  std::vector<platform::Variant> cells;
  for (const auto& row : rows.rows) cells.push_back(company::RowToVariant(row));
  return platform::VarArrayOf({platform::Variant(company::FromDb(rows.title)), platform::VarArrayOf(std::move(captions)),
                               platform::VarArrayOf(std::move(cells)), platform::Variant(static_cast<int>(rows.startRow))});
}

}  // namespace validator
