// MessageTexts: the coded message texts of the system, as shipped in
// messages.tsv (UTF-8, one "code<TAB>text" line per message; empty lines
// and lines starting with "#" are skipped).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace demo {

using MessageList = std::vector<std::pair<std::string, std::string>>;

// Parses the file's text. Raises platform::Exception naming the line for a
// line without a tab, a code not of the form "K/nnnnnn", or a code given twice.
MessageList ParseMessageTexts(std::string_view tsv);

// The texts shipped with the server (messages.tsv, embedded).
const MessageList& ShippedMessageTexts();

}  // namespace demo
