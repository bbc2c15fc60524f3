// LibXml: the module's three small operations on the platform's XML
// document object.
//
// Documents never validate against a document type while they are parsed.
// A text that is not well-formed gives an empty document (no document
// element) rather than an error: callers test for the document element.
#pragma once

#include <memory>

#include "platform/AnsiString.h"
#include "platform/CodePage.h"
#include "platform/Xml.h"

namespace kv {

// A new, empty document; the caller owns it.
std::unique_ptr<platform::XmlDocument> NewXmlDocument();

// A new document loaded from the text; empty when the text is not
// well-formed (or empty).
std::unique_ptr<platform::XmlDocument> LoadXmlText(const platform::AnsiString& text);
std::unique_ptr<platform::XmlDocument> LoadXmlText(const platform::WideString& text);

// One value of an XML text: the text of the node selected by the XPath
// path relative to the document element or, when the trimmed attribute
// name is not empty, of the attribute path + "/@" + attribute. The default
// when the text holds no document, nothing is selected or the path is not
// valid.
platform::AnsiString ReadXmlValue(const platform::AnsiString& xml, const platform::AnsiString& path,
                                  const platform::AnsiString& attribute,
                                  const platform::AnsiString& defaultValue);

}  // namespace kv
