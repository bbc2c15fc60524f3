#include "util/LibXml.h"

#include <exception>

namespace kv {

using platform::AnsiString;
using platform::XmlDocument;

std::unique_ptr<XmlDocument> NewXmlDocument() { return std::make_unique<XmlDocument>(); }

std::unique_ptr<XmlDocument> LoadXmlText(const AnsiString& text) {
  auto doc = NewXmlDocument();
  doc->LoadXml(text);  // a failed load leaves the document empty
  return doc;
}

std::unique_ptr<XmlDocument> LoadXmlText(const platform::WideString& text) {
  auto doc = NewXmlDocument();
  doc->LoadXml(text);
  return doc;
}

AnsiString ReadXmlValue(const AnsiString& xml, const AnsiString& path, const AnsiString& attribute,
                        const AnsiString& defaultValue) {
  try {
    const auto doc = LoadXmlText(xml);
    const platform::XmlNode root = doc->DocumentElement();
    if (root.IsNull()) return defaultValue;
    const AnsiString name = platform::Trim(attribute);
    const platform::XmlNode node = root.SelectSingleNode(name.IsEmpty() ? path : path + "/@" + name);
    return node.IsNull() ? defaultValue : node.Text();
  } catch (const std::exception&) {
    return defaultValue;
  }
}

}  // namespace kv
