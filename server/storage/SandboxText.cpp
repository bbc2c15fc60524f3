#include "server/storage/SandboxText.h"

namespace storage {

std::string SandboxTextProblem(std::string_view sql, SqlFlavour flavour) {
  if (sql.find('\0') != std::string_view::npos) return "the statement contains a NUL character";
  auto tokens = TokenizeSql(sql, flavour);
  bool first = true, ended = false;
  for (const auto& t : tokens) {
    if (t.unterminated) return "the statement has an unterminated string, name or comment";
    if (t.IsBlank()) continue;
    std::string_view text = t.Text(sql);
    if (ended) return "only one statement may be run";
    if (t.kind == SqlTokenKind::Symbol && text == ";") {
      if (first) return "the statement is empty";
      ended = true;
      continue;
    }
    if (first) {
      if (t.kind == SqlTokenKind::Symbol && text == "(") continue;
      if (t.kind != SqlTokenKind::Word || !(EqualsIgnoreCase(text, "SELECT") || EqualsIgnoreCase(text, "WITH")))
        return "only queries (SELECT) may be run";
      first = false;
    }
  }
  if (first) return "the statement is empty";
  return {};
}

}  // namespace storage
