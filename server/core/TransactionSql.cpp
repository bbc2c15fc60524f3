#include "server/core/TransactionSql.h"

#include "server/storage/EStorageError.h"
#include "server/storage/Transaction.h"

namespace server {

namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

struct Token {
  enum Kind { Word, String, Symbol } kind;
  std::string text;  // a string's value without its quotes
};

// Tokens of the statement; false when a string does not end or a
// character is outside the accepted shape.
bool Tokenize(const std::string& sql, std::vector<Token>& out) {
  std::size_t i = 0;
  while (i < sql.size()) {
    unsigned char c = sql[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (c == '\'') {
      std::string value;
      ++i;
      for (;;) {
        if (i >= sql.size()) return false;
        if (sql[i] == '\'') {
          if (i + 1 < sql.size() && sql[i + 1] == '\'') {
            value += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += sql[i++];
      }
      out.push_back({Token::String, value});
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
               c == '.') {
      std::size_t j = i;
      while (j < sql.size()) {
        unsigned char d = sql[j];
        if (!((d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z') || (d >= '0' && d <= '9') || d == '_' || d == '$' ||
              d == '.'))
          break;
        ++j;
      }
      out.push_back({Token::Word, sql.substr(i, j - i)});
      i = j;
    } else if (c == '=' || c == ';') {
      out.push_back({Token::Symbol, std::string(1, static_cast<char>(c))});
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

struct Delete {
  std::string sql;
  std::vector<storage::Value> params;
};

// The parameterised form of one statement, or the reason it is refused.
std::string Parse(const std::string& text, storage::Connection& db, const storage::Catalogue& catalogue, Delete& out) {
  const std::string refused = "Only the deletion of attachment records is accepted here.";
  std::vector<Token> t;
  if (!Tokenize(text, t)) return refused;
  if (!t.empty() && t.back().kind == Token::Symbol && t.back().text == ";") t.pop_back();
  if (t.size() < 7 || Upper(t[0].text) != "DELETE" || Upper(t[1].text) != "FROM" || t[2].kind != Token::Word ||
      Upper(t[3].text) != "WHERE")
    return refused;
  std::string name = t[2].text;
  if (name.rfind("$$", 0) == 0) {
    name = name.substr(2);
  } else if (std::size_t dots = name.find(".."); dots != std::string::npos) {
    if (Upper(name.substr(0, dots)) != Upper(db.Company())) return "Another company's database cannot be changed.";
    name = name.substr(dots + 2);
  }
  bool allowed = false;
  for (const std::string& table : TransactionSqlTables()) allowed = allowed || Upper(table) == Upper(name);
  const storage::TableDef* table = catalogue.FindTable(name);
  if (!allowed || !table) return refused;
  std::string where;
  std::size_t i = 4;
  for (;;) {
    if (i + 3 > t.size()) return refused;
    if (t[i].kind != Token::Word || t[i + 1].kind != Token::Symbol || t[i + 1].text != "=" ||
        t[i + 2].kind != Token::String)
      return refused;
    const storage::ColumnDef* column = table->FindColumn(t[i].text);
    if (!column || column->type != storage::ColumnType::Text) return refused;
    where += (where.empty() ? "" : " AND ") + column->name + " = ?";
    out.params.push_back(storage::Value(t[i + 2].text));
    i += 3;
    if (i == t.size()) break;
    if (Upper(t[i].text) != "AND" || t[i].kind != Token::Word) return refused;
    ++i;
  }
  out.sql = "DELETE FROM " + table->name + " WHERE " + where;
  return {};
}

}  // namespace

const std::vector<std::string>& TransactionSqlTables() {
  static const std::vector<std::string> tables{"ATTACH"};
  return tables;
}

TransactionSqlResult RunTransactionSql(storage::Connection& db, const storage::Catalogue& catalogue,
                                       const std::vector<std::string>& statements) {
  std::vector<Delete> deletes;
  for (const std::string& text : statements) {
    Delete d;
    if (std::string problem = Parse(text, db, catalogue, d); !problem.empty()) return {false, problem, 0};
    deletes.push_back(std::move(d));
  }
  TransactionSqlResult result{true, {}, 0};
  storage::Transaction t = db.Begin(storage::TransactionMode::Write);
  for (const Delete& d : deletes) result.deletedRows += db.Execute(d.sql, d.params).affectedRows;
  t.Commit();
  return result;
}

}  // namespace server
