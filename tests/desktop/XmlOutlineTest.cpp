// The element outline the uca.xml editor relies on: spans, decoded text, and
// refusal of anything that is not a well-formed document.

#include <gtest/gtest.h>

#include "desktop/XmlOutline.h"

namespace korvane::desktop {
namespace {

TEST(XmlOutline, SpansCoverWholeElementsAndTextIsDecoded) {
  const std::string text =
      "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n"
      "<!DOCTYPE actions [\n  <!ELEMENT actions (action)+>\n  <!-- a ] and a > -->\n"
      "  <!ATTLIST name xml:lang CDATA \"x>y\">\n]>\n"
      "<!-- before -->\n<actions a='1>2'>\n"
      "  <action><unique-id> a&amp;b&#x41;&#66;<![CDATA[<c>]]> </unique-id><x/></action>\n"
      "</actions>\n<!-- after -->\n";
  std::optional<XmlOutline> outline = OutlineXml(text);
  ASSERT_TRUE(outline);
  const XmlElement& root = outline->elements[0];
  EXPECT_EQ(root.name, "actions");
  EXPECT_EQ(text.substr(root.begin, root.end - root.begin).rfind("<actions a='1>2'>", 0), 0u);
  EXPECT_EQ(text.substr(root.contentEnd, root.end - root.contentEnd), "</actions>");
  ASSERT_EQ(root.children.size(), 1u);
  const XmlElement& action = outline->elements[root.children[0]];
  EXPECT_EQ(text.substr(action.begin, 8), "<action>");
  EXPECT_EQ(text.substr(action.end - 9, 9), "</action>");
  const XmlElement* id = FindChild(*outline, action, "unique-id");
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(id->text, " a&bAB<c> ");
  const XmlElement* empty = FindChild(*outline, action, "x");
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->empty);
  EXPECT_EQ(FindChild(*outline, action, "command"), nullptr);
}

TEST(XmlOutline, RefusesWhatIsNotAWellFormedDocument) {
  const char* bad[] = {
      "",
      "just text",
      "<actions>",                          // never closed
      "<actions></action>",                 // wrong end tag
      "<a><b></a></b>",                     // crossed
      "<a></a><b></b>",                     // two roots
      "text<a></a>",                        // text before the root
      "<a></a>text",                        // text after it
      "<a><!-- open </a>",                  // comment without end
      "<a><![CDATA[ x </a>",                // CDATA without end
      "<a b=\"1></a>",                      // attribute quote never closed
      "<a b=1></a>",                        // unquoted attribute
      "<a b=\"1\"c=\"2\"></a>",              // attributes need a blank between
      "<a><!ELEMENT x></a>",                // declaration inside content
      "<!DOCTYPE a [ <!ELEMENT a ANY> <a></a>",  // internal subset never closed
  };
  for (const char* text : bad) EXPECT_FALSE(OutlineXml(text)) << text;
  EXPECT_TRUE(OutlineXml("<a/>"));
}

TEST(XmlOutline, DepthIsLimitedWithoutRecursion) {
  std::string deep;
  for (std::size_t i = 0; i <= kMaxXmlDepth; ++i) deep += "<a>";
  for (std::size_t i = 0; i <= kMaxXmlDepth; ++i) deep += "</a>";
  EXPECT_FALSE(OutlineXml(deep));
  const std::string fits = deep.substr(3, deep.size() - 7);
  EXPECT_TRUE(OutlineXml(fits));
}

}  // namespace
}  // namespace korvane::desktop
