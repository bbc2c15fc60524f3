#include "XmlNode.h"

#include "Exceptions.h"
#include "XmlDocumentImpl.h"

namespace platform {

namespace {

AnsiString Ansi(const std::string& utf8) { return AnsiString::FromUtf8(utf8); }
WideString Wide(const std::string& utf8) { return Utf8ToWide(utf8); }

std::string EscapeAttribute(std::string_view value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '"': out += "&quot;"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) out += "&#" + std::to_string(static_cast<int>(c)) + ";";
        else out += c;
    }
  }
  return out;
}

[[noreturn]] void Refuse(const char* what) { throw EXmlError(what); }

std::string NameUtf8(pugi::xml_node_struct* n, pugi::xml_attribute_struct* a) {
  if (!n) return {};
  if (a) return pugi::xml_attribute(a).name();
  pugi::xml_node node(n);
  switch (node.type()) {
    case pugi::node_element:
    case pugi::node_pi: return node.name();
    case pugi::node_declaration: return "xml";
    case pugi::node_pcdata: return "#text";
    case pugi::node_cdata: return "#cdata-section";
    case pugi::node_comment: return "#comment";
    case pugi::node_document: return "#document";
    case pugi::node_doctype: {
      std::string_view value = node.value();
      std::size_t end = value.find_first_of(" \t\r\n[");
      return std::string(value.substr(0, end));
    }
    default: return {};
  }
}

}  // namespace

XmlNodeType XmlNode::NodeType() const {
  if (!node_) return XmlNodeType::Null;
  if (attr_) return XmlNodeType::Attribute;
  switch (pugi::xml_node(node_).type()) {
    case pugi::node_element: return XmlNodeType::Element;
    case pugi::node_pcdata: return XmlNodeType::Text;
    case pugi::node_cdata: return XmlNodeType::CData;
    case pugi::node_comment: return XmlNodeType::Comment;
    case pugi::node_pi:
    case pugi::node_declaration: return XmlNodeType::ProcessingInstruction;
    case pugi::node_document: return XmlNodeType::Document;
    case pugi::node_doctype: return XmlNodeType::DocumentType;
    default: return XmlNodeType::Null;
  }
}

AnsiString XmlNode::NodeName() const { return Ansi(NameUtf8(node_, attr_)); }
WideString XmlNode::NodeNameW() const { return Wide(NameUtf8(node_, attr_)); }

std::string XmlNode::TextUtf8() const {
  if (!node_) return {};
  if (attr_) return pugi::xml_attribute(attr_).value();
  pugi::xml_node node(node_);
  if (node.type() != pugi::node_element && node.type() != pugi::node_document) {
    return node.type() == pugi::node_declaration ? std::string() : std::string(node.value());
  }
  std::string out;
  // Depth-first without recursion; the holder of created nodes is skipped.
  pugi::xml_node n = node.first_child();
  while (n) {
    bool descend = false;
    if (!doc_->IsHolder(n)) {
      if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) out += n.value();
      descend = static_cast<bool>(n.first_child());
    }
    if (descend) {
      n = n.first_child();
      continue;
    }
    while (n && n != node && !n.next_sibling()) n = n.parent();
    if (!n || n == node) break;
    n = n.next_sibling();
  }
  return out;
}

AnsiString XmlNode::Text() const { return Ansi(TextUtf8()); }
WideString XmlNode::TextW() const { return Wide(TextUtf8()); }

void XmlNode::SetTextUtf8(const std::string& text) {
  if (!node_) Refuse("The text of a null XML node cannot be set.");
  if (attr_) {
    pugi::xml_attribute(attr_).set_value(text.c_str());
    return;
  }
  pugi::xml_node node(node_);
  switch (node.type()) {
    case pugi::node_element:
      while (pugi::xml_node child = node.first_child()) node.remove_child(child);
      if (!text.empty()) node.append_child(pugi::node_pcdata).set_value(text.c_str());
      return;
    case pugi::node_pcdata:
    case pugi::node_cdata:
    case pugi::node_comment:
    case pugi::node_pi:
      node.set_value(text.c_str());
      return;
    default:
      Refuse("The text of this XML node cannot be set.");
  }
}

void XmlNode::SetText(const AnsiString& text) { SetTextUtf8(text.ToUtf8()); }
void XmlNode::SetText(const WideString& text) { SetTextUtf8(WideToUtf8(text)); }

std::string XmlNode::XmlUtf8() const {
  if (!node_) return {};
  if (attr_) {
    pugi::xml_attribute attr(attr_);
    return std::string(attr.name()) + "=\"" + EscapeAttribute(attr.value()) + "\"";
  }
  pugi::xml_node node(node_);
  if (node.type() == pugi::node_document) return doc_->Serialize();
  std::string out;
  detail::StringWriter writer(out);
  node.print(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return out;
}

AnsiString XmlNode::Xml() const { return Ansi(XmlUtf8()); }
WideString XmlNode::XmlW() const { return Wide(XmlUtf8()); }

XmlNode XmlNode::ParentNode() const {
  if (!node_ || attr_) return {};
  pugi::xml_node parent = pugi::xml_node(node_).parent();
  if (!parent || doc_->IsHolder(parent)) return {};
  return XmlNode(doc_, parent.internal_object());
}

XmlNodeList XmlNode::ChildNodes() const {
  XmlNodeList out;
  if (!node_ || attr_) return out;
  for (pugi::xml_node child : pugi::xml_node(node_).children())
    if (!doc_->IsHolder(child)) out.push_back(XmlNode(doc_, child.internal_object()));
  return out;
}

XmlNode XmlNode::FirstChild() const {
  if (!node_ || attr_) return {};
  pugi::xml_node child = pugi::xml_node(node_).first_child();
  if (!child || doc_->IsHolder(child)) return {};
  return XmlNode(doc_, child.internal_object());
}

int XmlNode::AttributeCount() const {
  if (!node_ || attr_) return 0;
  int count = 0;
  for (pugi::xml_attribute a = pugi::xml_node(node_).first_attribute(); a; a = a.next_attribute()) ++count;
  return count;
}

XmlNode XmlNode::AttributeAt(int index) const {
  if (!node_ || attr_ || index < 0) return {};
  pugi::xml_attribute a = pugi::xml_node(node_).first_attribute();
  for (int i = 0; a && i < index; ++i) a = a.next_attribute();
  return a ? XmlNode(doc_, node_, a.internal_object()) : XmlNode();
}

XmlNode XmlNode::AttributeNode(const AnsiString& name) const {
  if (!node_ || attr_) return {};
  pugi::xml_attribute a = pugi::xml_node(node_).attribute(name.ToUtf8().c_str());
  return a ? XmlNode(doc_, node_, a.internal_object()) : XmlNode();
}

bool XmlNode::HasAttribute(const AnsiString& name) const { return !AttributeNode(name).IsNull(); }

AnsiString XmlNode::GetAttribute(const AnsiString& name) const { return AttributeNode(name).Text(); }

WideString XmlNode::GetAttributeW(const AnsiString& name) const { return AttributeNode(name).TextW(); }

void XmlNode::SetAttributeUtf8(const AnsiString& name, const std::string& value) {
  if (!node_ || attr_ || pugi::xml_node(node_).type() != pugi::node_element)
    Refuse("Attributes can be set on elements only.");
  std::string key = name.ToUtf8();
  if (!detail::IsXmlName(key)) throw EXmlError("\"" + name + "\" is not a valid attribute name.");
  pugi::xml_node node(node_);
  pugi::xml_attribute a = node.attribute(key.c_str());
  if (!a) a = node.append_attribute(key.c_str());
  a.set_value(value.c_str());
}

void XmlNode::SetAttribute(const AnsiString& name, const AnsiString& value) {
  SetAttributeUtf8(name, value.ToUtf8());
}

void XmlNode::SetAttribute(const AnsiString& name, const WideString& value) {
  SetAttributeUtf8(name, WideToUtf8(value));
}

void XmlNode::RemoveAttribute(const AnsiString& name) {
  if (!node_ || attr_) Refuse("Attributes can be removed from elements only.");
  pugi::xml_node(node_).remove_attribute(name.ToUtf8().c_str());
}

XmlNode XmlNode::AppendChild(const XmlNode& child) {
  if (!node_ || attr_) Refuse("Only an element or a document can take child nodes.");
  pugi::xml_node parent(node_);
  if (parent.type() != pugi::node_element && parent.type() != pugi::node_document)
    Refuse("Only an element or a document can take child nodes.");
  if (!child.node_) Refuse("A null XML node cannot be appended.");
  if (child.attr_) Refuse("An attribute cannot be appended as a child node.");
  if (child.doc_ != doc_) Refuse("The node belongs to another XML document.");
  pugi::xml_node moving(child.node_);
  if (moving.type() == pugi::node_document) Refuse("A document cannot be appended as a child node.");

  pugi::xml_node moved;
  if (parent.type() == pugi::node_document) {
    if (moving.type() == pugi::node_pcdata || moving.type() == pugi::node_cdata)
      Refuse("Text is not allowed at the top level of the document.");
    pugi::xml_node existing = doc_->DocumentElement();
    if (moving.type() == pugi::node_element && existing && existing != moving)
      Refuse("Only one top level element is allowed in an XML document.");
    // Keep the holder of created nodes last.
    pugi::xml_node holder = doc_->IsHolder(parent.last_child()) ? parent.last_child() : pugi::xml_node();
    moved = holder ? parent.insert_move_before(moving, holder) : parent.append_move(moving);
  } else {
    moved = parent.append_move(moving);
  }
  if (!moved) Refuse("The node cannot be moved below one of its own descendants.");
  doc_->ReleaseHolderIfEmpty();
  return child;
}

void XmlNode::RemoveChild(const XmlNode& child) {
  if (!node_ || attr_ || !child.node_ || child.attr_ ||
      pugi::xml_node(child.node_).parent() != pugi::xml_node(node_))
    Refuse("The node to remove is not a child of this node.");
  pugi::xml_node(node_).remove_child(pugi::xml_node(child.node_));
}

XmlNodeList XmlNode::Select(const std::string& xpath) const {
  XmlNodeList out;
  pugi::xpath_node_set set;
  try {
    pugi::xpath_query query(xpath.c_str());
    if (!node_) return out;
    pugi::xpath_node context = attr_ ? pugi::xpath_node(pugi::xml_attribute(attr_), pugi::xml_node(node_))
                                     : pugi::xpath_node(pugi::xml_node(node_));
    set = query.evaluate_node_set(context);
  } catch (const pugi::xpath_exception& e) {
    std::string message = "Invalid XPath expression \"" + xpath + "\": " + e.what();
    if (e.result().offset > 0) message += " at position " + std::to_string(e.result().offset + 1);
    throw EXmlError(AnsiString::FromUtf8(message + "."));
  }
  set.sort();
  // Created nodes not yet in the tree are seen only from inside their own subtree.
  pugi::xml_node context = pugi::xml_node(node_);
  pugi::xml_node scope = doc_->WaitingRoot(context);
  for (const pugi::xpath_node& found : set) {
    pugi::xml_node owner = found.attribute() ? found.parent() : found.node();
    if (doc_->WaitingRoot(owner) != scope) continue;
    out.push_back(XmlNode(doc_, owner.internal_object(),
                          found.attribute() ? found.attribute().internal_object() : nullptr));
  }
  return out;
}

XmlNodeList XmlNode::SelectNodes(const AnsiString& xpath) const { return Select(xpath.ToUtf8()); }
XmlNodeList XmlNode::SelectNodes(const WideString& xpath) const { return Select(WideToUtf8(xpath)); }

XmlNode XmlNode::SelectSingleNode(const AnsiString& xpath) const {
  XmlNodeList nodes = SelectNodes(xpath);
  return nodes.empty() ? XmlNode() : nodes.front();
}

XmlNode XmlNode::SelectSingleNode(const WideString& xpath) const {
  XmlNodeList nodes = SelectNodes(xpath);
  return nodes.empty() ? XmlNode() : nodes.front();
}

}  // namespace platform
