#include "server/demo/MessageTexts.h"

#include <set>

#include "platform/Exceptions.h"

namespace demo {

extern const std::string_view kMessagesTsv;

namespace {

bool IsCode(std::string_view code) {
  if (code.size() != 8 || code[1] != '/' || code[0] < 'A' || code[0] > 'Z') return false;
  for (std::size_t i = 2; i < 8; ++i)
    if (code[i] < '0' || code[i] > '9') return false;
  return true;
}

}  // namespace

MessageList ParseMessageTexts(std::string_view tsv) {
  MessageList list;
  std::set<std::string> seen;
  std::size_t lineNo = 0;
  while (!tsv.empty()) {
    std::size_t end = tsv.find('\n');
    std::string_view line = tsv.substr(0, end);
    tsv = end == std::string_view::npos ? std::string_view() : tsv.substr(end + 1);
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    std::size_t tab = line.find('\t');
    std::string where = "message texts, line " + std::to_string(lineNo) + ": ";
    if (tab == std::string_view::npos) throw platform::Exception(where + "no tab between code and text");
    std::string code(line.substr(0, tab));
    if (!IsCode(code)) throw platform::Exception(where + "\"" + code + "\" is not a message code (K/nnnnnn)");
    if (!seen.insert(code).second) throw platform::Exception(where + code + " is given twice");
    list.emplace_back(code, std::string(line.substr(tab + 1)));
  }
  return list;
}

const MessageList& ShippedMessageTexts() {
  static const MessageList list = ParseMessageTexts(kMessagesTsv);
  return list;
}

}  // namespace demo
