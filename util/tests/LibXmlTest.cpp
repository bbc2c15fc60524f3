#include <gtest/gtest.h>

#include "platform/TestSupport.h"
#include "util/LibXml.h"

namespace kv {
namespace {

using platform::AnsiString;
using platform::testing::A;

TEST(LibXml, NewXmlDocumentIsEmptyAndUsable) {
  auto doc = NewXmlDocument();
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(doc->DocumentElement().IsNull());
  doc->AppendChild(doc->CreateElement("MT_User"));
  EXPECT_EQ(doc->DocumentElement().NodeName(), "MT_User");
}

TEST(LibXml, LoadXmlTextOfWellFormedText) {
  auto doc = LoadXmlText(A(u8"<MT_User><Grid name=\"人事\">甲</Grid></MT_User>"));
  ASSERT_NE(doc, nullptr);
  const platform::XmlNode root = doc->DocumentElement();
  ASSERT_FALSE(root.IsNull());
  EXPECT_EQ(root.NodeName(), "MT_User");
  EXPECT_EQ(root.SelectSingleNode("Grid").GetAttribute("name"), A(u8"人事"));

  auto wide = LoadXmlText(platform::WideString(u"<a b=\"中\"/>"));
  EXPECT_EQ(wide->DocumentElement().GetAttribute("b"), A(u8"中"));
}

TEST(LibXml, LoadXmlTextOfMalformedTextGivesAnEmptyDocument) {
  const char* texts[] = {"", "   ", "<a><b></a>", "not xml", "<a>&undefined;</a>", "<a/><b/>"};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    auto doc = LoadXmlText(AnsiString(text));
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->DocumentElement().IsNull());
  }
}

TEST(LibXml, ReadXmlValue) {
  const AnsiString xml = A(
      u8"<Root><Item code=\"A1\" name=\"甲\">first</Item><Item code=\"B2\">second</Item>"
      u8"<Empty/><Group><Leaf kind=\"x\">deep</Leaf></Group></Root>");
  const struct {
    const char* name;
    AnsiString path;
    AnsiString attribute;
    AnsiString value;
  } cases[] = {
      {"node text", "Item", "", "first"},
      {"first of several nodes", "Item", "  ", "first"},
      {"attribute", "Item", "code", "A1"},
      {"attribute name trimmed", "Item", " code ", "A1"},
      {"double-byte attribute value", "Item", "name", A(u8"甲")},
      {"predicate", "Item[@code='B2']", "", "second"},
      {"nested path", "Group/Leaf", "kind", "x"},
      {"absolute path", "/Root/Group/Leaf", "", "deep"},
      {"empty element has empty text", "Empty", "", ""},
      {"missing node", "Nothing", "", "dflt"},
      {"missing attribute", "Item", "color", "dflt"},
      {"invalid path", "Item[", "", "dflt"},
      {"expression that selects no nodes", "count(Item)", "", "dflt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadXmlValue(xml, c.path, c.attribute, "dflt"), c.value);
  }
}

TEST(LibXml, ReadXmlValueWithoutADocumentGivesTheDefault) {
  for (const char* xml : {"", "<Root><Item>x</Item>", "plain text"}) {
    SCOPED_TRACE(xml);
    EXPECT_EQ(ReadXmlValue(xml, "Item", "", "dflt"), "dflt");
  }
}

}  // namespace
}  // namespace kv
