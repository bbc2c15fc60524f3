#include "XmlDocument.h"

#include <unordered_set>
#include <utility>

#include "Exceptions.h"
#include "Paths.h"
#include "XmlDocumentImpl.h"
#include "XmlEncoding.h"

namespace platform {

namespace detail {

namespace {

// Comments, processing instructions and the declaration are kept; text
// nodes of white space only are dropped; the fragment option keeps text at
// the top level so that it can be refused below instead of being lost.
constexpr unsigned kParseOptions = pugi::parse_full | pugi::parse_fragment;

bool StartsWith(std::string_view text, std::size_t at, std::string_view prefix) {
  return text.compare(at, prefix.size(), prefix) == 0;
}

bool IsNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// The parser passes undefined entity references and bare "&" through as
// text; a standard parser refuses them. Checked on the raw text, skipping
// comments, CDATA sections, processing instructions and the document type.
bool CheckReferences(std::string_view text, std::size_t& errorAt, std::string& message) {
  std::size_t i = 0;
  auto skipTo = [&](std::string_view end) {
    std::size_t j = text.find(end, i);
    i = j == std::string_view::npos ? text.size() : j + end.size();
  };
  while (i < text.size()) {
    char c = text[i];
    if (c == '<') {
      if (StartsWith(text, i, "<!--")) {
        i += 4;
        skipTo("-->");
      } else if (StartsWith(text, i, "<![CDATA[")) {
        i += 9;
        skipTo("]]>");
      } else if (StartsWith(text, i, "<?")) {
        i += 2;
        skipTo("?>");
      } else if (StartsWith(text, i, "<!")) {
        // A document type: up to its ">" outside quotes and the internal subset.
        int depth = 0;
        char quote = 0;
        for (++i; i < text.size(); ++i) {
          char d = text[i];
          if (quote) {
            if (d == quote) quote = 0;
          } else if (d == '"' || d == '\'') {
            quote = d;
          } else if (d == '[') {
            ++depth;
          } else if (d == ']') {
            --depth;
          } else if (d == '>' && depth <= 0) {
            ++i;
            break;
          }
        }
      } else {
        ++i;
      }
      continue;
    }
    if (c != '&') {
      ++i;
      continue;
    }
    std::size_t semicolon = text.find(';', i);
    std::string_view ref = text.substr(i + 1, semicolon == std::string_view::npos ? 0 : semicolon - i - 1);
    bool valid = false;
    if (semicolon != std::string_view::npos && !ref.empty()) {
      if (ref[0] == '#') {
        bool hex = ref.size() > 1 && ref[1] == 'x';
        std::string_view digits = ref.substr(hex ? 2 : 1);
        valid = !digits.empty();
        for (char d : digits)
          valid = valid && ((d >= '0' && d <= '9') ||
                            (hex && ((d >= 'a' && d <= 'f') || (d >= 'A' && d <= 'F'))));
      } else if (ref == "amp" || ref == "lt" || ref == "gt" || ref == "quot" || ref == "apos") {
        valid = true;
      } else if (IsXmlName(ref)) {
        errorAt = i;
        message = "Reference to undefined entity '" + std::string(ref) + "'.";
        return false;
      }
    }
    if (!valid) {
      errorAt = i;
      message = "A character or entity reference is malformed (a bare \"&\" must be written \"&amp;\").";
      return false;
    }
    i = semicolon + 1;
  }
  return true;
}

std::string Position(std::string_view text, std::size_t offset) {
  if (offset > text.size()) offset = text.size();
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++column;
    }
  }
  return " (line " + std::to_string(line) + ", column " + std::to_string(column) + ")";
}

std::string PositionOf(std::string_view text, const pugi::xml_node& node) {
  std::ptrdiff_t offset = node.offset_debug();
  return offset >= 0 ? Position(text, static_cast<std::size_t>(offset)) : std::string();
}

// The next node of a depth-first walk below root, without recursion.
pugi::xml_node NextInWalk(const pugi::xml_node& root, pugi::xml_node node) {
  if (node.first_child()) return node.first_child();
  while (node && node != root) {
    if (node.next_sibling()) return node.next_sibling();
    node = node.parent();
  }
  return {};
}

}  // namespace

bool IsXmlName(std::string_view utf8) {
  if (utf8.empty() || !IsNameStart(static_cast<unsigned char>(utf8[0]))) return false;
  for (char c : utf8)
    if (!IsNameChar(static_cast<unsigned char>(c))) return false;
  return true;
}

void XmlDocumentImpl::Clear() {
  doc.reset();
  holder_ = pugi::xml_node();
  reason = AnsiString();
}

void XmlDocumentImpl::Fail(const std::string& message) {
  doc.reset();
  holder_ = pugi::xml_node();
  reason = AnsiString::FromUtf8(message);
}

bool XmlDocumentImpl::Parse(std::string_view text) {
  Clear();
  if (StartsWith(text, 0, "\xEF\xBB\xBF")) text.remove_prefix(3);

  std::size_t errorAt = 0;
  std::string message;
  if (!CheckReferences(text, errorAt, message)) {
    Fail(message + Position(text, errorAt));
    return false;
  }

  pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
  if (!result) {
    Fail(std::string(result.description()) + Position(text, static_cast<std::size_t>(result.offset)));
    return false;
  }

  // What the fragment option lets through at the top level.
  int elements = 0;
  for (pugi::xml_node child : doc.children()) {
    switch (child.type()) {
      case pugi::node_element:
        if (++elements > 1) {
          Fail("Only one top level element is allowed in an XML document." + PositionOf(text, child));
          return false;
        }
        break;
      case pugi::node_pcdata:
      case pugi::node_cdata:
        Fail("Text is not allowed at the top level of the document." + PositionOf(text, child));
        return false;
      default:
        break;
    }
  }
  if (elements == 0) {
    Fail("XML document must have a top level element.");
    return false;
  }

  // Declarations only at the very start; attribute names unique per element.
  std::unordered_set<std::string_view> names;
  for (pugi::xml_node node = doc.first_child(); node; node = NextInWalk(doc, node)) {
    if (node.type() == pugi::node_declaration &&
        (node != doc.first_child() || !StartsWith(text, 0, "<?xml"))) {
      Fail("The XML declaration is allowed only at the start of the document." + PositionOf(text, node));
      return false;
    }
    if (node.type() != pugi::node_element || !node.first_attribute()) continue;
    names.clear();
    for (pugi::xml_attribute attr : node.attributes()) {
      if (!names.insert(attr.name()).second) {
        Fail("Duplicate attribute '" + std::string(attr.name()) + "'." + PositionOf(text, node));
        return false;
      }
    }
  }
  return true;
}

pugi::xml_node XmlDocumentImpl::Holder() {
  if (!holder_) {
    holder_ = doc.append_child(pugi::node_element);
    holder_.set_name("created");
  }
  return holder_;
}

void XmlDocumentImpl::ReleaseHolderIfEmpty() {
  if (holder_ && !holder_.first_child()) {
    doc.remove_child(holder_);
    holder_ = pugi::xml_node();
  }
}

pugi::xml_node XmlDocumentImpl::WaitingRoot(pugi::xml_node node) const {
  if (!holder_) return {};
  for (pugi::xml_node previous = node; node; previous = node, node = node.parent())
    if (node == holder_) return previous;
  return {};
}

pugi::xml_node XmlDocumentImpl::DocumentElement() const {
  for (pugi::xml_node child : doc.children())
    if (child.type() == pugi::node_element && child != holder_) return child;
  return {};
}

std::string XmlDocumentImpl::Serialize() const {
  std::string out;
  StringWriter writer(out);
  for (pugi::xml_node child : doc.children())
    if (child != holder_) child.print(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return out;
}

}  // namespace detail

XmlDocument::XmlDocument() : impl_(std::make_unique<detail::XmlDocumentImpl>()) {}
XmlDocument::~XmlDocument() = default;

XmlDocument::XmlDocument(XmlDocument&& other)
    : impl_(std::exchange(other.impl_, std::make_unique<detail::XmlDocumentImpl>())) {}

XmlDocument& XmlDocument::operator=(XmlDocument&& other) {
  if (this != &other) impl_ = std::exchange(other.impl_, std::make_unique<detail::XmlDocumentImpl>());
  return *this;
}

bool XmlDocument::LoadXml(const AnsiString& text) { return impl_->Parse(text.ToUtf8()); }

bool XmlDocument::LoadXml(const WideString& text) { return impl_->Parse(WideToUtf8(text)); }

bool XmlDocument::Load(const AnsiString& fileName) {
  std::string bytes;
  if (!ReadFileBytes(fileName, bytes)) {
    impl_->Fail("The file " + fileName.ToUtf8() + " cannot be read.");
    return false;
  }
  std::string utf8, reason;
  if (!xml::DecodeDocumentBytes(bytes, utf8, reason)) {
    impl_->Fail(reason);
    return false;
  }
  return impl_->Parse(utf8);
}

const AnsiString& XmlDocument::ParseErrorReason() const { return impl_->reason; }

AnsiString XmlDocument::Xml() const { return AnsiString::FromUtf8(impl_->Serialize()); }

WideString XmlDocument::XmlW() const { return Utf8ToWide(impl_->Serialize()); }

void XmlDocument::Save(const AnsiString& fileName) const {
  std::string bytes, reason;
  if (!xml::EncodeDocumentText(impl_->Serialize(), bytes, reason))
    throw EXmlError(AnsiString::FromUtf8(reason));
  if (!WriteFileBytes(fileName, bytes)) throw EXmlError("The file " + fileName + " cannot be written.");
}

XmlNode XmlDocument::DocumentNode() const { return XmlNode(impl_.get(), impl_->doc.internal_object()); }

XmlNode XmlDocument::DocumentElement() const {
  return XmlNode(impl_.get(), impl_->DocumentElement().internal_object());
}

XmlNode XmlDocument::CreateElement(const AnsiString& name) { return CreateElement(name.ToWide()); }

XmlNode XmlDocument::CreateElement(const WideString& name) {
  std::string utf8 = WideToUtf8(name);
  if (!detail::IsXmlName(utf8)) throw EXmlError("\"" + AnsiString::FromWide(name) + "\" is not a valid element name.");
  pugi::xml_node element = impl_->Holder().append_child(utf8.c_str());
  return XmlNode(impl_.get(), element.internal_object());
}

}  // namespace platform
