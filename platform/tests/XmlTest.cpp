#include "platform/Xml.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/TestSupport.h"

namespace platform {
namespace {

using testing::A;
using testing::TempFolder;

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

TEST(XmlDocument, RefusesTextThatIsNotWellFormedAndIsLeftEmpty) {
  struct Case {
    const char* name;
    const char* text;
    const char* reasonPart;
  } cases[] = {
      {"empty text", "", "top level element"},
      {"tags that do not match", "<a>\n<b>\n</a>", "line 3"},
      {"two top-level elements", "<a/><b/>", "Only one top level element"},
      {"text before the document element", "junk<a/>", "top level"},
      {"text after the document element", "<a/>junk", "top level"},
      {"undefined entity", "<a>&bogus;</a>", "undefined entity 'bogus'"},
      {"bare ampersand", "<a>x & y</a>", "&amp;"},
      {"ampersand in an attribute", "<a x='1 & 2'/>", "&amp;"},
      {"duplicate attribute", "<a x='1' x='2'/>", "Duplicate attribute 'x'"},
      {"declaration not at the start", " <?xml version='1.0'?><a/>", "declaration"},
      {"declaration inside", "<a><?xml version='1.0'?></a>", "declaration"},
      {"unclosed element", "<a><b>", "line 1"},
  };
  for (const Case& c : cases) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXml("<previous/>"));
    EXPECT_FALSE(doc.LoadXml(AnsiString(c.text))) << c.name;
    EXPECT_TRUE(doc.DocumentElement().IsNull()) << c.name;
    EXPECT_TRUE(doc.Xml().IsEmpty()) << c.name << ": the earlier content is gone";
    EXPECT_NE(doc.ParseErrorReason().ToUtf8().find(c.reasonPart), std::string::npos)
        << c.name << ": " << doc.ParseErrorReason();
  }
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadXml("<a x='&lt;&amp;&#x4e2d;&#20013;'><!-- & --><![CDATA[&]]></a>"));
  EXPECT_TRUE(doc.ParseErrorReason().IsEmpty());
  EXPECT_EQ(doc.DocumentElement().GetAttributeW("x"), u"<&\u4e2d\u4e2d");
}

TEST(XmlDocument, LoadsProgramTextInTheProcessCodePageIgnoringTheDeclaredEncoding) {
  const char8_t* text = u8"<?xml version=\"1.0\" encoding=\"GB2312\"?><MT_User 名=\"值\">中文</MT_User>";
  for (unsigned cp : {936u, 950u}) {
    ScopedCodePage scoped(cp);
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXml(A(text))) << cp << ": " << doc.ParseErrorReason();
    XmlNode root = doc.DocumentElement();
    EXPECT_EQ(root.TextW(), u"中文") << cp;
    EXPECT_EQ(root.Text(), A(u8"中文")) << cp;
    EXPECT_EQ(root.GetAttribute(A(u8"名")), A(u8"值")) << cp;
  }
  XmlDocument wide;
  ASSERT_TRUE(wide.LoadXml(WideString(u"<?xml version=\"1.0\" encoding=\"BIG5\"?><r>\u9AD4</r>")));
  EXPECT_EQ(wide.DocumentElement().TextW(), u"\u9AD4");
}

TEST(XmlDocument, LoadsFilesInTheEncodingTheirDeclarationNames) {
  const std::u16string body = u"<r a=\"\u503C\">\u4E2D\u6587</r>";  // 值 中文
  auto declared = [&](const char* encoding, unsigned cp) {
    return std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\r\n" + FromWide(body, cp);
  };
  auto utf16 = [&](bool bigEndian) {
    std::u16string text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body;
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
      char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
      bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
  };
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"GB2312", declared("GB2312", 936)},
      {"gbk in lower case", declared("gbk", 936)},
      {"BIG5", declared("BIG5", 950)},
      {"UTF-8 declared", declared("UTF-8", CP_UTF8)},
      {"UTF-8 without declaration", FromWide(body, CP_UTF8)},
      {"UTF-8 byte-order mark wins over the declaration", "\xEF\xBB\xBF" + declared("GB2312", CP_UTF8)},
      {"UTF-16 little-endian", utf16(false)},
      {"UTF-16 big-endian", utf16(true)},
  };
  TempFolder dir;
  for (const Case& c : cases) {
    dir.Write("doc.xml", c.bytes);
    XmlDocument doc;
    ASSERT_TRUE(doc.Load(AnsiString::FromUtf8(dir.File("doc.xml")))) << c.name << ": " << doc.ParseErrorReason();
    EXPECT_EQ(doc.DocumentElement().TextW(), u"\u4E2D\u6587") << c.name;
    EXPECT_EQ(doc.DocumentElement().GetAttributeW("a"), u"\u503C") << c.name;
  }

  // GBK characters outside GB2312 are read too: the declaration is read as code page 936.
  dir.Write("gbk.xml", "<?xml version=\"1.0\" encoding=\"GB2312\"?><r>" + FromWide(u"\u9555", 936) + "</r>");
  XmlDocument gbk;
  ASSERT_TRUE(gbk.Load(AnsiString::FromUtf8(dir.File("gbk.xml"))));
  EXPECT_EQ(gbk.DocumentElement().TextW(), u"\u9555");
  dir.Write("latin.xml", "<?xml version='1.0' encoding='ISO-8859-1'?><r>caf\xE9</r>");
  ASSERT_TRUE(gbk.Load(AnsiString::FromUtf8(dir.File("latin.xml"))));
  EXPECT_EQ(gbk.DocumentElement().TextW(), u"caf\u00E9");
}

TEST(XmlDocument, RefusesFilesItCannotReadOrDecode) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* reasonPart;
  } cases[] = {
      {"unsupported encoding", "<?xml version='1.0' encoding='KOI8-R'?><r/>", "KOI8-R"},
      {"bytes that are no GB2312 character", "<?xml version='1.0' encoding='GB2312'?><r>\x81\x20</r>", "GB2312"},
      {"bytes that are no UTF-8", "<r>\xC3\x28</r>", "UTF-8"},
      {"UTF-16 declared on single bytes", "<?xml version='1.0' encoding='UTF-16'?><r/>", "UTF-16"},
      {"UTF-16 cut in a character", std::string("\xFF\xFE<\0r\0/\0>", 9), "UTF-16"},
  };
  TempFolder dir;
  for (const Case& c : cases) {
    dir.Write("bad.xml", c.bytes);
    XmlDocument doc;
    EXPECT_FALSE(doc.Load(AnsiString::FromUtf8(dir.File("bad.xml")))) << c.name;
    EXPECT_TRUE(doc.DocumentElement().IsNull()) << c.name;
    EXPECT_NE(doc.ParseErrorReason().ToUtf8().find(c.reasonPart), std::string::npos)
        << c.name << ": " << doc.ParseErrorReason();
  }
  XmlDocument doc;
  EXPECT_FALSE(doc.Load(AnsiString::FromUtf8(dir.File("missing.xml"))));
  EXPECT_NE(doc.ParseErrorReason().ToUtf8().find("missing.xml"), std::string::npos);
}

TEST(XmlDocument, SavesInTheDeclaredEncodingWithReferencesForMissingCharacters) {
  TempFolder dir;
  AnsiString file = AnsiString::FromUtf8(dir.File("out.xml"));
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml(WideString(u"<?xml version=\"1.0\" encoding=\"GB2312\"?><r a=\"\u503C\">\u4E2D\U0001F600</r>")));
  doc.Save(file);
  std::string bytes = dir.Read("out.xml");
  EXPECT_NE(bytes.find(FromWide(u"\u4E2D", 936)), std::string::npos) << "written as GBK bytes";
  EXPECT_NE(bytes.find("&#128512;"), std::string::npos) << "a character GBK lacks";
  XmlDocument back;
  ASSERT_TRUE(back.Load(file)) << back.ParseErrorReason();
  EXPECT_EQ(back.DocumentElement().TextW(), u"\u4E2D\U0001F600");
  EXPECT_EQ(back.DocumentElement().GetAttributeW("a"), u"\u503C");

  ASSERT_TRUE(doc.LoadXml(WideString(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><r>\u4E2D</r>")));
  doc.Save(file);
  EXPECT_EQ(dir.Read("out.xml").substr(0, 2), "\xFF\xFE");
  ASSERT_TRUE(back.Load(file));
  EXPECT_EQ(back.DocumentElement().TextW(), u"\u4E2D");

  ASSERT_TRUE(doc.LoadXml(WideString(u"<r>\u4E2D</r>")));
  doc.Save(file);
  EXPECT_EQ(dir.Read("out.xml"), U8(u8"<r>中</r>")) << "UTF-8 without a declaration";
  EXPECT_THROW(doc.Save(AnsiString::FromUtf8(dir.File("no/such/folder/out.xml"))), EXmlError);
}

TEST(XmlDocument, KeepsLineBreaksWrittenAsReferencesInAttributeValues) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<s Msg=\"a&#13;&#10;b&#10;c\" Literal=\"x\ny\r\nz\tw\"/>"));
  XmlNode s = doc.DocumentElement();
  EXPECT_EQ(s.GetAttribute("Msg"), AnsiString("a\r\nb\nc"));
  EXPECT_EQ(s.GetAttribute("Literal"), AnsiString("x y z w")) << "literal breaks become blanks";
  XmlDocument again;
  ASSERT_TRUE(again.LoadXml(doc.Xml())) << doc.Xml();
  EXPECT_EQ(again.DocumentElement().GetAttribute("Msg"), AnsiString("a\r\nb\nc")) << "survives a round trip";
}

TEST(XmlNode, ReportsKindsNamesTextsAttributesAndChildrenInDocumentOrder) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<?xml version=\"1.0\"?><r a=\"1\" b=\"2\">t<!--c--><![CDATA[<x>]]><e>  u  </e>\r\n</r>"));
  XmlNode document = doc.DocumentNode();
  EXPECT_EQ(document.NodeType(), XmlNodeType::Document);
  ASSERT_EQ(document.ChildNodes().size(), 2u);
  EXPECT_EQ(document.ChildNodes()[0].NodeType(), XmlNodeType::ProcessingInstruction);
  EXPECT_EQ(document.ChildNodes()[0].NodeName(), AnsiString("xml"));

  XmlNode r = doc.DocumentElement();
  EXPECT_EQ(r.NodeType(), XmlNodeType::Element);
  EXPECT_EQ(r.ParentNode(), document);
  XmlNodeList children = r.ChildNodes();
  ASSERT_EQ(children.size(), 4u) << "the white-space text is dropped";
  const struct {
    XmlNodeType type;
    const char* name;
    const char* text;
  } expected[] = {{XmlNodeType::Text, "#text", "t"},
                  {XmlNodeType::Comment, "#comment", "c"},
                  {XmlNodeType::CData, "#cdata-section", "<x>"},
                  {XmlNodeType::Element, "e", "  u  "}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(children[i].NodeType(), expected[i].type) << i;
    EXPECT_EQ(children[i].NodeName(), AnsiString(expected[i].name)) << i;
    EXPECT_EQ(children[i].Text(), AnsiString(expected[i].text)) << i;
    EXPECT_EQ(children[i].ParentNode(), r) << i;
  }
  EXPECT_EQ(r.Text(), AnsiString("t<x>  u  ")) << "texts and CDATA of all descendants, not comments";

  EXPECT_EQ(r.AttributeCount(), 2);
  EXPECT_EQ(r.AttributeAt(1).NodeName(), AnsiString("b"));
  EXPECT_EQ(r.AttributeAt(1).NodeType(), XmlNodeType::Attribute);
  EXPECT_EQ(r.AttributeAt(1).Text(), AnsiString("2"));
  EXPECT_TRUE(r.AttributeAt(2).IsNull());
  EXPECT_TRUE(r.AttributeAt(-1).IsNull());
  EXPECT_FALSE(r.HasAttribute("c"));
  EXPECT_EQ(r.GetAttribute("c"), AnsiString(""));
  EXPECT_TRUE(r.AttributeAt(0).ParentNode().IsNull());

  XmlNode null;
  EXPECT_EQ(null.NodeType(), XmlNodeType::Null);
  EXPECT_TRUE(null.Text().IsEmpty());
  EXPECT_TRUE(null.ChildNodes().empty());
  EXPECT_TRUE(null.SelectNodes("*").empty());
  EXPECT_THROW(null.SetText("x"), EXmlError);
}

TEST(XmlNode, SelectsWithXPathRelativeToTheNode) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml(
      "<MT_User><Components>"
      "<Component ID=\"edTE001\"><Required>-1</Required></Component>"
      "<Component ID=\"edTE002\"><Required>0</Required></Component>"
      "<Component ID=\"cboTE012\"><Required>-1</Required></Component>"
      "</Components>"
      "<colormanager><grid><component enable=\"Y\" n=\"1\"/><component enable=\"N\" n=\"2\"/></grid></colormanager>"
      "<Cells00 Msg=\"first\"/><x><Cells00 Msg=\"second\"/></x></MT_User>"));
  XmlNode root = doc.DocumentElement();

  XmlNodeList required = root.SelectNodes("Components/*[Required='-1']");
  ASSERT_EQ(required.size(), 2u);
  EXPECT_EQ(required[0].GetAttribute("ID"), AnsiString("edTE001"));
  EXPECT_EQ(required[1].GetAttribute("ID"), AnsiString("cboTE012"));

  XmlNode msg = doc.SelectSingleNode("//Cells00/@Msg");
  EXPECT_EQ(msg.NodeType(), XmlNodeType::Attribute);
  EXPECT_EQ(msg.Text(), AnsiString("first")) << "the first in document order";
  EXPECT_EQ(root.SelectNodes("//colormanager/grid/component[@enable=\"Y\"]").size(), 1u);
  EXPECT_EQ(root.SelectSingleNode("Components/Component/@ID").Text(), AnsiString("edTE001"));
  EXPECT_EQ(msg.SelectSingleNode("..").NodeName(), AnsiString("Cells00")) << "an attribute as context";
  EXPECT_TRUE(root.SelectSingleNode("Nothing/@here").IsNull());
  EXPECT_EQ(root.SelectNodes(WideString(u"x/Cells00")).size(), 1u);

  for (const char* bad : {"//a[", "count(//a)", "Components/", "@"}) {
    try {
      root.SelectNodes(bad);
      ADD_FAILURE() << bad << " was accepted";
    } catch (const EXmlError& e) {
      EXPECT_NE(e.Message().ToUtf8().find(std::string("\"") + bad + "\""), std::string::npos) << e.Message();
    }
  }
}

TEST(XmlNode, BuildsAndChangesATree) {
  XmlDocument doc;
  XmlNode root = doc.CreateElement("MT_User");
  EXPECT_TRUE(root.ParentNode().IsNull());
  EXPECT_TRUE(doc.DocumentElement().IsNull()) << "created, not yet in the tree";
  EXPECT_TRUE(doc.Xml().IsEmpty());
  EXPECT_EQ(doc.AppendChild(root), root);
  root.SetAttribute("CompanyID", "01");
  root.SetAttribute("CompanyID", A(u8"公司"));
  XmlNode components = doc.CreateElement("Components");
  XmlNode waiting = doc.CreateElement("Component");
  components.AppendChild(waiting);
  EXPECT_TRUE(doc.SelectNodes("//Component").empty()) << "nodes waiting to be appended are not found";
  EXPECT_EQ(components.SelectNodes("Component").size(), 1u) << "except from inside their own subtree";
  root.AppendChild(components);
  waiting.SetAttribute("ID", "edTE001");
  waiting.SetText(A(u8"值"));
  EXPECT_EQ(doc.XmlW(), u"<MT_User CompanyID=\"\u516C\u53F8\"><Components><Component ID=\"edTE001\">\u503C</Component></Components></MT_User>");
  EXPECT_EQ(doc.SelectSingleNode("//Component/@ID").Text(), AnsiString("edTE001"));
  EXPECT_EQ(waiting.ParentNode(), components);

  XmlNode other = doc.CreateElement("Other");
  root.AppendChild(other);
  other.AppendChild(waiting);
  EXPECT_EQ(waiting.ParentNode(), other) << "appending moves a node of the tree";
  root.RemoveChild(other);
  EXPECT_EQ(root.ChildNodes().size(), 1u);
  root.RemoveAttribute("CompanyID");
  EXPECT_EQ(doc.Xml(), AnsiString("<MT_User><Components/></MT_User>"));

  XmlDocument foreign;
  XmlNode outsider = foreign.CreateElement("x");
  struct Case {
    const char* name;
    std::function<void()> act;
  } refused[] = {
      {"a second top-level element", [&] { doc.AppendChild(doc.CreateElement("second")); }},
      {"text at the top level",
       [&] {
         XmlNode t = doc.CreateElement("t");
         t.SetText("x");
         doc.AppendChild(t.FirstChild());
       }},
      {"an ancestor below its descendant", [&] { components.AppendChild(root); }},
      {"an attribute as child", [&] { components.AppendChild(root.AttributeAt(0)); }},
      {"a node of another document", [&] { components.AppendChild(outsider); }},
      {"an element name with a blank", [&] { doc.CreateElement("a b"); }},
      {"an element name starting with a digit", [&] { doc.CreateElement("1a"); }},
      {"an attribute name with a quote", [&] { root.SetAttribute("a\"", "v"); }},
      {"an attribute on the document", [&] { doc.DocumentNode().SetAttribute("a", "v"); }},
      {"removing a node that is no child", [&] { root.RemoveChild(root); }},
      {"the text of the document", [&] { doc.DocumentNode().SetText("x"); }},
  };
  for (const Case& c : refused) EXPECT_THROW(c.act(), EXmlError) << c.name;
}

TEST(XmlDocument, KeepsNodeHandlesValidWhenMoved) {
  XmlDocument first;
  ASSERT_TRUE(first.LoadXml("<a><b>x</b></a>"));
  XmlNode b = first.SelectSingleNode("//b");
  XmlDocument second(std::move(first));
  EXPECT_EQ(b.Text(), AnsiString("x"));
  EXPECT_EQ(second.DocumentElement().FirstChild(), b);
  EXPECT_TRUE(first.DocumentElement().IsNull());  // NOLINT: the moved-from document is empty
  EXPECT_TRUE(first.LoadXml("<c/>"));
}

}  // namespace
}  // namespace platform
