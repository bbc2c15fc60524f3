// Private to the platform: the state behind XmlDocument and its nodes.
//
// The parser keeps every node inside a tree, while the DOM creates elements
// before they have a place. Such elements wait below a hidden holder
// element, the last child of the document node; the holder exists only
// while something waits in it and is invisible to every operation: it is
// no child, parent or document element, it is not written, and XPath
// results inside it are dropped unless the query starts inside the same
// waiting subtree.
#pragma once

#include <pugixml.hpp>

#include <string>

#include "AnsiString.h"

namespace platform::detail {

class XmlDocumentImpl {
 public:
  pugi::xml_document doc;
  AnsiString reason;

  // Parses UTF-8 text into the document, checking what the parser lets
  // pass; on failure the document is empty and reason is set.
  bool Parse(std::string_view utf8);
  void Fail(const std::string& message);
  void Clear();

  bool IsHolder(const pugi::xml_node& node) const { return holder_ && node == holder_; }
  pugi::xml_node Holder();
  void ReleaseHolderIfEmpty();
  // The child of the holder that contains node, or null when node is in the
  // tree proper.
  pugi::xml_node WaitingRoot(pugi::xml_node node) const;
  pugi::xml_node DocumentElement() const;
  // The document without the holder, as UTF-8 XML.
  std::string Serialize() const;

 private:
  pugi::xml_node holder_;
};

// Collects what pugixml writes.
class StringWriter : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string& out) : out_(out) {}
  void write(const void* data, size_t size) override { out_.append(static_cast<const char*>(data), size); }

 private:
  std::string& out_;
};

// XML names: a letter, "_", ":" or any non-ASCII character first, then also
// digits, "-" and ".".
bool IsXmlName(std::string_view utf8);

}  // namespace platform::detail
