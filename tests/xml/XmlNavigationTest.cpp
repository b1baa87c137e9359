// The cursor of XmlDocument and the values read through it: tag-name matching, the three
// cursor levels, attribute values, element text, CDATA and entity decoding.
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A document parsed from inline XML; the test fails at once if it does not parse.
XmlDocument Parse(const std::string& text)
{
    XmlDocument document;
    EXPECT_TRUE(document.ParseText(text.c_str())) << text << ": " << document.LastError();
    return document;
}

TEST(XmlNavigation, CursorStartsBeforeTheTopLevelElementAndMovesOneLevelAtATime)
{
    XmlDocument document = Parse("<r><a><x/></a><b><y/><z/></b><c/></r>");
    EXPECT_FALSE(document.Descend()); // no current element
    EXPECT_FALSE(document.Ascend());
    EXPECT_FALSE(document.NextElement("a")); // a is no top-level element

    // NextChild first moves onto the top-level element, then searches its children.
    ASSERT_TRUE(document.NextChild("b"));
    EXPECT_EQ(document.TagName(), "r");
    EXPECT_FALSE(document.Ascend()); // the top-level element's parent is the document root
    ASSERT_TRUE(document.Descend());
    EXPECT_EQ(document.TagName(), "b");
    EXPECT_EQ(document.ChildIndex(), 0);
    ASSERT_TRUE(document.NextChild("z"));

    // Ascending from b continues among r's children after b.
    ASSERT_TRUE(document.Ascend());
    EXPECT_EQ(document.TagName(), "r");
    ASSERT_TRUE(document.NextChild(nullptr));
    ASSERT_TRUE(document.Descend());
    EXPECT_EQ(document.TagName(), "c");

    // Descending with no current child leaves the cursor before the first child.
    ASSERT_TRUE(document.Ascend());
    document.RewindChildren();
    ASSERT_TRUE(document.Descend());
    EXPECT_EQ(document.CurrentKind(), 0);
    EXPECT_FALSE(document.Descend());
    ASSERT_TRUE(document.NextElement("c"));
    EXPECT_EQ(document.TagName(), "c");

    document.Rewind();
    EXPECT_EQ(document.ParentIndex() | document.CurrentIndex() | document.ChildIndex() | document.CurrentKind(), 0);
    EXPECT_TRUE(document.NextElement("r"));
    EXPECT_FALSE(document.NextElement("r")); // only one top-level element
}

TEST(XmlNavigation, BelowAnElementWithoutChildrenNothingIsFound)
{
    XmlDocument document = Parse("<r a='top'><e a='child'/></r>");
    EXPECT_EQ(document.Attribute("a"), ""); // no current element
    ASSERT_TRUE(document.NextChild("e"));
    EXPECT_EQ(document.Attribute("a"), "top");
    EXPECT_EQ(document.ChildAttribute("a"), "child");
    ASSERT_TRUE(document.Descend()); // on e
    ASSERT_TRUE(document.Descend()); // below e: no current element
    EXPECT_EQ(document.Attribute("a"), "");
    // Never the top-level element, which is nobody's child.
    EXPECT_FALSE(document.NextChild(nullptr));
    EXPECT_FALSE(document.NextChild("r"));
    EXPECT_EQ(document.ChildIndex(), 0);
    EXPECT_EQ(document.ChildAttributeByName("r", "a"), "");
    ASSERT_TRUE(document.Ascend());
    EXPECT_EQ(document.TagName(), "e");
    EXPECT_EQ(document.Attribute("a"), "child");
}

TEST(XmlNavigation, ChildAttributeByNameReturnsTheFirstNonEmptyValue)
{
    XmlDocument document = Parse("<r><a/><b/><a x=\"1\"/><a x=\"2\"/></r>");
    ASSERT_TRUE(document.NextChild("a"));
    ASSERT_TRUE(document.NextChild("a"));
    // It starts over from the first child, passes the a without x, and stays on the match.
    EXPECT_EQ(document.ChildAttributeByName("a", "x"), "1");
    EXPECT_EQ(document.ChildIndex(), 4);

    // No value: the child position stays on the last child that matched the name ...
    EXPECT_EQ(document.ChildAttributeByName("a", "missing"), "");
    EXPECT_EQ(document.ChildIndex(), 5);
    // ... or before the first child when none matched.
    EXPECT_EQ(document.ChildAttributeByName("zz", "x"), "");
    EXPECT_EQ(document.ChildIndex(), 0);
    EXPECT_EQ(document.ChildAttributeByName("a", nullptr), "");
}

TEST(XmlNavigation, ChildTextByNameRewindsTheChildrenOnlyWhenFound)
{
    XmlDocument document = Parse("<r><font>Tahoma</font><size>12</size><font>Arial</font></r>");
    EXPECT_EQ(document.ChildTextByName("size"), "12");
    EXPECT_EQ(document.ChildIndex(), 0);
    EXPECT_EQ(document.ChildTextByName("font"), "Tahoma"); // from the first child again
    ASSERT_TRUE(document.NextChild("size"));
    EXPECT_EQ(document.ChildTextByName("missing"), "");
    EXPECT_EQ(document.ChildIndex(), 3); // unchanged
    EXPECT_EQ(document.ChildTextByName("font"), "Arial");  // after the current child
}

TEST(XmlNavigation, AttributeValuesNeedQuotes)
{
    struct Case { const char* text; const char* name; const char* value; };
    const Case cases[] = {
        {"<e\n\tk\r\n=\n'v'>t</e>", "k", "v"},
        {"<e k=v x=\"1\"/>", "k", ""},          // an unquoted value is never found
        {"<e k=\"1\" k=\"2\"/>", "k", "1"},    // the first matching name counts
        {"<e kk=\"1\" K=\"1\" k=\"2\"/>", "k", "2"}, // whole names, case-sensitive
        {"<e x=\"k\" k=\"2\"/>", "k", "2"},    // quoted strings are never names
        {"<e k x=\"1\"/>", "k", ""},           // the value must be the second token after the name
        {"<e k='a\"b'/>", "k", "a\"b"},
        {"<e k=\"a>b\"></e>", "k", "a>b"},      // the start tag ends early, the value does not
        {"<e a=\"1\"/><x k=\"2\"/>", "k", ""},  // the search ends at the start tag's '/'
        {"<e a=\"1\"></e>", "e", ""},           // the tag name is no attribute
        {"<e k=\"v\"/>", "", ""},
    };
    for (const Case& c : cases) {
        XmlDocument document = Parse(c.text);
        ASSERT_TRUE(document.NextElement(nullptr));
        EXPECT_EQ(document.Attribute(c.name), c.value) << c.text << " [" << c.name << "]";
    }
}

TEST(XmlNavigation, EntitiesDecodeOnlyWhenCompleteAndInsideTheValue)
{
    struct Case { const char* value; const char* decoded; };
    const Case cases[] = {
        {"a&lt;&amp;&gt;&apos;&quot;", "a<&>'\""},
        {"&#65;&#x42;&#X43;", "ABC"}, // references to ASCII characters
        {"&#49;&#x32;3", "123"},
        {"&#228;&#xE4;", "&#228;&#xE4;"}, // beyond ASCII: left for the text decoding above
        {"&#0;&#;&#x;&#65", "&#0;&#;&#x;&#65"},
        {"&foo;", "&foo;"},
        {"&lt", "&lt"},            // no ';'
        {"a&", "a&"},
        {"&&amp;", "&&"},
        {"&amp;amp;", "&amp;"},    // decoded once
        {"&LT;", "&LT;"},
    };
    for (const Case& c : cases) {
        XmlDocument document = Parse(std::string("<r v='") + c.value + "'><e>" + c.value + "</e></r>");
        ASSERT_TRUE(document.NextChild("e"));
        EXPECT_EQ(document.Attribute("v"), c.decoded) << c.value;
        EXPECT_EQ(document.ChildText(), c.decoded) << c.value;
    }
}

TEST(XmlNavigation, ElementTextIsRawCdataOrDecodedContent)
{
    struct Case { const char* element; const char* text; };
    const Case cases[] = {
        {"<t>  <![CDATA[a<b]]>  </t>", "a<b"},
        {"<t><![CDATA[&amp;]]>tail</t>", "&amp;"},      // not decoded; what follows is dropped
        {"<t><![CDATA[]]></t>", ""},
        {"<t>\n<![CDATA[ </t> ]]></t>", " </t> "},
        {"<t>x<![CDATA[y]]></t>", "x<![CDATA[y]]>"},     // only content that starts with CDATA
        {"<t><![cdata[y]]></t>", "<![cdata[y]]>"},
        {"<t>a &amp; b </t>", "a & b "},                  // nothing is trimmed
        {"<t>a<!--c-->b</t>", "a<!--c-->b"},
        {"<t></t>", ""},
        {"<t/>", ""},
        {"<t>x<c/>y</t>", ""},                           // only elements without children
    };
    for (const Case& c : cases) {
        XmlDocument document = Parse(std::string("<r>") + c.element + "</r>");
        ASSERT_TRUE(document.NextChild("t"));
        EXPECT_EQ(document.ChildText(), c.text) << c.element;
    }
}

} // namespace
