// XmlDocument: the platform's XML document object with XPath.
//
// A document is created empty; it never validates against a document type.
// Loading replaces the whole content and returns false when the input is
// not well-formed (or cannot be read or decoded): the document is then
// empty and ParseErrorReason says why, with the line and column. Loading
// never raises.
//
// - Text loads take program text: an AnsiString is widened in the process
//   code page, a WideString is taken as it is; an encoding named by the
//   text's own declaration is ignored, as a DOM's loadXML of a string does.
// - File loads decode the bytes by their byte-order mark or else by the
//   encoding their declaration names (GB2312 and GBK as code page 936,
//   BIG5 as 950, UTF-8, UTF-16, ISO-8859-1, windows-1252, IBM437); a file
//   without either is UTF-8.
//
// The parser keeps comments, processing instructions and the declaration,
// drops text nodes that hold only white space, normalises line ends to LF,
// and turns literal tabs and line breaks inside attribute values into
// blanks while character references (&#10;) keep theirs, as a standard
// parser does. Entity declarations of a document type are not supported: a
// reference to any entity but the five predefined ones fails the load.
//
// The document owns every node; XmlNode handles observe them (see
// XmlNode.h).
#pragma once

#include <memory>

#include "AnsiString.h"
#include "XmlNode.h"

namespace platform {

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  // Moving hands the content over (its handles stay valid) and leaves the
  // source empty.
  XmlDocument(XmlDocument&& other);
  XmlDocument& operator=(XmlDocument&& other);
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  bool LoadXml(const AnsiString& text);
  bool LoadXml(const WideString& text);
  bool Load(const AnsiString& fileName);
  // Why the last load failed; empty after a successful one.
  const AnsiString& ParseErrorReason() const;

  // The document as XML text (declaration included when it has one).
  AnsiString Xml() const;
  WideString XmlW() const;
  // Writes the document in the encoding its declaration names (UTF-8 when
  // it has none); characters that encoding lacks are written as character
  // references. Raises EXmlError when the file cannot be written or the
  // encoding is not supported.
  void Save(const AnsiString& fileName) const;

  // The document as a node: the context of absolute paths, the parent of
  // the declaration and the document element.
  XmlNode DocumentNode() const;
  // The top-level element; null for an empty document.
  XmlNode DocumentElement() const;

  // A new element of this document, not yet in the tree: append it where
  // it belongs. Raises EXmlError when name is not an XML name.
  XmlNode CreateElement(const AnsiString& name);
  XmlNode CreateElement(const WideString& name);

  // Shorthands for the same operations on DocumentNode().
  XmlNodeList SelectNodes(const AnsiString& xpath) const { return DocumentNode().SelectNodes(xpath); }
  XmlNode SelectSingleNode(const AnsiString& xpath) const { return DocumentNode().SelectSingleNode(xpath); }
  XmlNode AppendChild(const XmlNode& child) { return DocumentNode().AppendChild(child); }

 private:
  std::unique_ptr<detail::XmlDocumentImpl> impl_;
};

}  // namespace platform
