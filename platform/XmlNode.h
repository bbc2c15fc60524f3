// XmlNode: a handle to one node of an XmlDocument.
//
// A node is an element, an attribute, a text or CDATA section, a comment, a
// processing instruction (the XML declaration counts as one, named "xml")
// or the document itself. Handles are small values that do not own
// anything: a handle stays valid while its document lives, until the node
// is removed from its parent (removing destroys the node and its subtree)
// or the document is loaded again. A default-constructed handle is the
// null node: reading from it gives empty results, changing it raises
// EXmlError.
//
// Texts are stored as Unicode. Every text is offered as WideString and as
// AnsiString in the process code page (the implicit conversion of the
// class library); texts passed in as AnsiString are widened in the process
// code page. Node texts are returned as stored, without trimming.
#pragma once

#include <vector>

#include "AnsiString.h"

namespace pugi {
struct xml_node_struct;
struct xml_attribute_struct;
}  // namespace pugi

namespace platform {

namespace detail {
class XmlDocumentImpl;
}

// Node kinds, numbered as the DOM numbers them.
enum class XmlNodeType {
  Null = 0,
  Element = 1,
  Attribute = 2,
  Text = 3,
  CData = 4,
  ProcessingInstruction = 7,
  Comment = 8,
  Document = 9,
  DocumentType = 10,
};

class XmlNode;
// Nodes in document order.
using XmlNodeList = std::vector<XmlNode>;

class XmlNode {
 public:
  XmlNode() = default;

  bool IsNull() const { return node_ == nullptr; }
  explicit operator bool() const { return node_ != nullptr; }
  friend bool operator==(const XmlNode& a, const XmlNode& b) {
    return a.node_ == b.node_ && a.attr_ == b.attr_;
  }

  XmlNodeType NodeType() const;
  // Tag of an element, name of an attribute or processing instruction;
  // "#text", "#cdata-section", "#comment", "#document" for the others.
  AnsiString NodeName() const;
  WideString NodeNameW() const;

  // Element and document: the texts of all descendant text and CDATA nodes
  // joined in document order. Attribute: its value. Other nodes: their
  // content.
  AnsiString Text() const;
  WideString TextW() const;
  // Element: replaces all children (destroying them) by one text node
  // (none for an empty text). Attribute, text, CDATA, comment: replaces the value. Raises
  // EXmlError on the document and on the null node.
  void SetText(const AnsiString& text);
  void SetText(const WideString& text);

  // The node and its subtree as XML text.
  AnsiString Xml() const;
  WideString XmlW() const;

  // The parent element or document; null for the document, an attribute and
  // a node created but not yet appended.
  XmlNode ParentNode() const;
  // Children in document order (elements and the document only).
  XmlNodeList ChildNodes() const;
  XmlNode FirstChild() const;

  // Attributes of an element (and of the XML declaration), in document order.
  int AttributeCount() const;
  XmlNode AttributeAt(int index) const;  // null when out of range
  XmlNode AttributeNode(const AnsiString& name) const;
  bool HasAttribute(const AnsiString& name) const;
  // The value, empty when the attribute is missing.
  AnsiString GetAttribute(const AnsiString& name) const;
  WideString GetAttributeW(const AnsiString& name) const;
  // Elements only; creates the attribute when missing. Raises EXmlError for
  // other nodes and for a name that is not an XML name.
  void SetAttribute(const AnsiString& name, const AnsiString& value);
  void SetAttribute(const AnsiString& name, const WideString& value);
  void RemoveAttribute(const AnsiString& name);

  // Moves child (a node of the same document: created, or elsewhere in the
  // tree) to the end of this element's or document's children and returns
  // it. Raises EXmlError when the move is not possible: an attribute as
  // child, a node of another document, an ancestor of this node, a second
  // top-level element, or text at the top level.
  XmlNode AppendChild(const XmlNode& child);
  // Removes and destroys a child of this node; raises EXmlError when child
  // is not one.
  void RemoveChild(const XmlNode& child);

  // XPath 1.0 relative to this node; the result in document order. An
  // expression that is not valid, or that does not select nodes, raises
  // EXmlError naming the expression and the fault.
  XmlNodeList SelectNodes(const AnsiString& xpath) const;
  XmlNodeList SelectNodes(const WideString& xpath) const;
  // The first node selected, or the null node.
  XmlNode SelectSingleNode(const AnsiString& xpath) const;
  XmlNode SelectSingleNode(const WideString& xpath) const;

 private:
  friend class XmlDocument;
  friend class detail::XmlDocumentImpl;
  XmlNode(detail::XmlDocumentImpl* doc, pugi::xml_node_struct* node, pugi::xml_attribute_struct* attr = nullptr)
      : doc_(doc), node_(node), attr_(attr) {}

  std::string TextUtf8() const;
  void SetTextUtf8(const std::string& text);
  void SetAttributeUtf8(const AnsiString& name, const std::string& value);
  std::string XmlUtf8() const;
  XmlNodeList Select(const std::string& xpath) const;

  detail::XmlDocumentImpl* doc_ = nullptr;
  pugi::xml_node_struct* node_ = nullptr;       // the node, or the element of an attribute
  pugi::xml_attribute_struct* attr_ = nullptr;  // set for an attribute node
};

}  // namespace platform
