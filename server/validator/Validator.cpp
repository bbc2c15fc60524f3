#include "server/validator/Validator.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "server/company/CompanyCatalogue.h"
#include "server/company/CompanyText.h"
#include "server/validator/CheckCodes.h"
#include "server/validator/LookupWindow.h"

namespace validator {

using company::SameText;
using platform::AnsiString;
using platform::Variant;

namespace {

// The texts reach the module, which reads code page 936.
[[noreturn]] void Refuse(const std::string& text) { throw platform::Exception(company::FromDb(text)); }

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

const platform::DispatchTable<Validator>& Validator::AutomationMembers() {
  static const auto table = platform::DispatchTable<Validator>("Validator")
                                .Method("CheckValue", &Validator::CheckValue)
                                .Method("QueryData", &Validator::QueryData)
                                .Method("QueryMaxSeq", &Validator::QueryMaxSeq)
                                .Method("LookupRows", &Validator::LookupRows)
                                .Property("BaseLimited", &Validator::GetBaseLimited, &Validator::SetBaseLimited);
  return table;
}

std::vector<std::string> KeyTexts(const Variant& keys) {
  const Variant& v = keys.Deref();
  std::vector<std::string> texts;
  if (platform::VarIsArray(v)) {
    if (platform::VarArrayDimCount(v) != 1) Refuse("The key values must be a one-dimensional array.");
    for (const Variant& e : platform::VarArrayElements(v)) texts.push_back(company::ArgText(e));
  } else if (!platform::VarIsEmptyOrNull(v)) {
    texts.push_back(company::ArgText(v));
  }
  return texts;
}

void Validator::CheckDatabase(const Variant& database) const {
  std::string name = company::ArgText(database);
  if (!name.empty() && !SameText(name, session_->database))
    Refuse("The database " + name + " is not the company database of this session.");
}

storage::Result Validator::Run(const AnsiString& table, const AnsiString& code, const Variant& database,
                               const Variant& keys) {
  CheckDatabase(database);
  const CheckCodeDef* def = FindCheckCode(table.View(), code.View());
  if (!def) Refuse("The server has no check " + table.ToUtf8() + " \"" + code.ToUtf8() + "\".");
  std::vector<std::string> texts = KeyTexts(keys);
  int needed = KeyCount(*def);
  if (static_cast<int>(texts.size()) < needed)
    Refuse("The check " + std::string(def->table) + " \"" + def->code + "\" needs " + std::to_string(needed) +
           " key values, " + std::to_string(texts.size()) + " were given.");
  std::vector<storage::Value> params;
  // Stored codes carry no trailing blanks; a key padded to its field size
  // still finds its row, as it did on the original server.
  for (int i = 0; i < needed; ++i) params.emplace_back(TrimRight(texts[static_cast<std::size_t>(i)]));
  return session_->Db().Execute(def->sql, params);
}

bool Validator::CheckValue(const AnsiString& table, const AnsiString& code, Variant& database, Variant& keys,
                           Variant& result) {
  storage::Result r = Run(table, code, database, keys);
  if (r.rows.empty()) {
    result = Variant();
    return false;
  }
  result = company::RowToVariant(r.rows.front());
  return true;
}

bool Validator::QueryData(const AnsiString& table, const AnsiString& code, Variant& database, Variant& keys,
                          Variant& result) {
  storage::Result r = Run(table, code, database, keys);
  if (r.rows.empty()) {
    result = Variant();
    return false;
  }
  std::vector<Variant> rows;
  rows.reserve(r.rows.size());
  for (const auto& row : r.rows) rows.push_back(company::RowToVariant(row));
  result = platform::VarArrayOf(std::move(rows));
  return true;
}

Variant Validator::LookupRows(const AnsiString& table, const AnsiString& kind, const Variant& startValue,
                              const Variant& filter) {
  return LookupRowsToVariant(QueryLookup(*session_, company::ToDb(table), company::ToDb(kind),
                                         company::ArgText(startValue), company::ArgText(filter)));
}

bool Validator::QueryMaxSeq(Variant& table, Variant& keyFieldList, const Variant& keyValues, Variant& date,
                            Variant& programCode, Variant& database, Variant& number) {
  CheckDatabase(database);
  std::string tableName = company::ArgText(table);
  const storage::TableDef* def = company::CompanyCatalogue().FindTable(tableName);
  if (!def) Refuse("The table " + tableName + " is not a table of the company database.");

  // "F1,F2,F3," names one field before each comma.
  std::vector<const storage::ColumnDef*> fields;
  std::string list = company::ArgText(keyFieldList);
  std::size_t start = 0;
  for (std::size_t comma; (comma = list.find(',', start)) != std::string::npos; start = comma + 1) {
    std::string name = list.substr(start, comma - start);
    name.erase(0, name.find_first_not_of(' '));
    name = TrimRight(name);
    const storage::ColumnDef* column = def->FindColumn(name);
    if (!column) Refuse("The field " + name + " is not a field of " + def->name + ".");
    fields.push_back(column);
  }
  if (fields.empty()) Refuse("No key field was named for numbering " + def->name + ".");
  const storage::ColumnDef* serial = fields.back();
  if (serial->type != storage::ColumnType::Text || serial->size <= 0)
    Refuse("The field " + serial->name + " of " + def->name + " is not a text field and cannot be numbered.");

  std::vector<std::string> values = KeyTexts(keyValues);
  if (values.size() + 1 < fields.size())
    Refuse("Numbering " + def->name + " needs a value for every key field before " + serial->name + ".");

  std::string prefix = company::ArgText(date);
  bool datePrefix = prefix.size() == 8 && std::all_of(prefix.begin(), prefix.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
                    serial->size > 8;
  if (!datePrefix) prefix.clear();

  std::string sql = "SELECT " + serial->name + " FROM " + def->name + " WHERE " + serial->name + " LIKE ?";
  std::vector<storage::Value> params{storage::Value(prefix + "%")};
  for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
    sql += " AND " + fields[i]->name + " = ?";
    params.emplace_back(TrimRight(values[i]));
  }
  storage::Result r = session_->Db().Execute(sql, params);

  // The highest serial among values of the form prefix + digits.
  std::size_t width = static_cast<std::size_t>(serial->size) - prefix.size();
  unsigned long long highest = 0;
  for (const auto& row : r.rows) {
    if (row[0].Type() != storage::ValueType::Text) continue;
    std::string tail = row[0].AsText().substr(prefix.size());
    if (tail.empty() || tail.size() > width || tail.size() > 18 ||
        !std::all_of(tail.begin(), tail.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    highest = std::max(highest, std::stoull(tail));
  }
  std::string next = std::to_string(highest + 1);
  if (next.size() > width) Refuse("The numbers of " + def->name + "." + serial->name + " are used up.");
  number = Variant(company::FromDb(prefix + std::string(width - next.size(), '0') + next));
  return true;
}

}  // namespace validator
