// The cursor of XmlDocument and the values read through it: tag-name matching, the three
// cursor levels, attribute values, element text, CDATA and entity decoding.
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A document parsed from inline XML; the test fails at once if it does not parse.
XmlDocument Parse(const char* text)
{
    XmlDocument document;
    EXPECT_TRUE(document.ParseText(text)) << text << ": " << document.LastError();
    return document;
}

TEST(XmlNavigation, NextChildMatchesWholeCaseSensitiveNames)
{
    XmlDocument document = Parse("<r><items/><Item/><ite/><item n='1'/><item n='2'/></r>");
    ASSERT_TRUE(document.NextChild("item"));
    EXPECT_EQ(document.ChildAttribute("n"), "1");
    ASSERT_TRUE(document.NextChild("item"));
    EXPECT_EQ(document.ChildAttribute("n"), "2");
    const int32_t last = document.ChildIndex();
    EXPECT_FALSE(document.NextChild("item"));
    EXPECT_EQ(document.ChildIndex(), last); // a failed move keeps the child position

    document.RewindChildren();
    ASSERT_TRUE(document.NextChild(nullptr)); // no name: the next child whatever its name
    ASSERT_TRUE(document.Descend());
    EXPECT_EQ(document.TagName(), "items");
    ASSERT_TRUE(document.NextElement(""));
    EXPECT_EQ(document.TagName(), "Item");
}

TEST(XmlNavigation, RewindLeavesTheCursorBeforeTheTopLevelElement)
{
    XmlDocument document = Parse("<r><a/></r>");
    EXPECT_FALSE(document.Descend()); // no current element
    EXPECT_EQ(document.TagName(), "");
    EXPECT_FALSE(document.Ascend());

    // NextChild first moves onto the top-level element, then searches its children.
    ASSERT_TRUE(document.NextChild("a"));
    EXPECT_EQ(document.TagName(), "r");
    EXPECT_EQ(document.CurrentIndex(), 1);
    EXPECT_EQ(document.ChildIndex(), 2);
    EXPECT_EQ(document.CurrentKind(), 1);
    EXPECT_FALSE(document.Ascend()); // the top-level element's parent is the document root

    document.Rewind();
    EXPECT_EQ(document.ParentIndex() | document.CurrentIndex() | document.ChildIndex() | document.CurrentKind(), 0);
    EXPECT_FALSE(document.NextElement("a")); // a is no top-level element
    EXPECT_TRUE(document.NextElement("r"));
    EXPECT_FALSE(document.NextElement("r"));  // only one top-level element
    EXPECT_EQ(document.CurrentIndex(), 1);
}

TEST(XmlNavigation, DescendAndAscendMoveOneLevel)
{
    XmlDocument document = Parse("<r><a><x/></a><b><y/><z/></b><c/></r>");
    ASSERT_TRUE(document.NextChild("b"));
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
    EXPECT_EQ(document.CurrentIndex(), 0);
    EXPECT_EQ(document.CurrentKind(), 0);
    EXPECT_FALSE(document.Descend());
    ASSERT_TRUE(document.NextElement(nullptr));
    EXPECT_EQ(document.TagName(), "a");
    ASSERT_TRUE(document.NextElement("c"));
    EXPECT_EQ(document.TagName(), "c");
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
    EXPECT_EQ(document.CurrentKind(), 0);
    EXPECT_EQ(document.Attribute("a"), "");
    // Never the top-level element, which is nobody's child.
    EXPECT_FALSE(document.NextChild(nullptr));
    EXPECT_FALSE(document.NextChild("r"));
    EXPECT_EQ(document.ChildIndex(), 0);
    EXPECT_EQ(document.ChildText(), "");
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
    EXPECT_EQ(document.ChildIndex(), 4);
    // It starts over from the first child, passes the a without x, and stays on the match.
    EXPECT_EQ(document.ChildAttributeByName("a", "x"), "1");
    EXPECT_EQ(document.ChildIndex(), 4);
    ASSERT_TRUE(document.NextChild("a"));
    EXPECT_EQ(document.ChildAttribute("x"), "2");

    // No value: the child position stays on the last child that matched the name ...
    EXPECT_EQ(document.ChildAttributeByName("a", "missing"), "");
    EXPECT_EQ(document.ChildIndex(), 5);
    EXPECT_FALSE(document.NextChild("a"));
    // ... or before the first child when none matched.
    EXPECT_EQ(document.ChildAttributeByName("zz", "x"), "");
    EXPECT_EQ(document.ChildIndex(), 0);
    EXPECT_EQ(document.ChildAttributeByName("a", ""), "");
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
        {"<e k=\"v\"/>", "k", "v"},
        {"<e k = 'v'/>", "k", "v"},
        {"<e\n\tk\r\n=\n\"v\">t</e>", "k", "v"},
        {"<e k=v/>", "k", ""},                 // an unquoted value is never found
        {"<e k=v x=\"1\"/>", "k", ""},
        {"<e k=\"1\" k=\"2\"/>", "k", "1"},    // the first matching name counts
        {"<e kk=\"1\" k=\"2\"/>", "k", "2"},
        {"<e K=\"1\" k=\"2\"/>", "k", "2"},    // case-sensitive
        {"<e x=\"k\" k=\"2\"/>", "k", "2"},    // quoted strings are never names
        {"<e k x=\"1\"/>", "k", ""},           // the value must be the second token after the name
        {"<e k=\"a'b\"/>", "k", "a'b"},
        {"<e k='a\"b'/>", "k", "a\"b"},
        {"<e k=\"\"/>", "k", ""},
        {"<e k=\"a>b\"></e>", "k", "a>b"},      // the start tag ends early, the value does not
        {"<e a=\"1\"/><x k=\"2\"/>", "k", ""},  // the search ends at the start tag's '/'
        {"<e a=\"1\"></e>", "e", ""},           // the tag name is no attribute
        {"<e x=\"&lt;&amp;&gt;&apos;&quot;\"/>", "x", "<&>'\""},
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
        {"&lt;&amp;&gt;&apos;&quot;", "<&>'\""},
        {"a&lt;b", "a<b"},
        {"&#65;", "&#65;"},        // no numeric references
        {"&#x41;", "&#x41;"},
        {"&foo;", "&foo;"},
        {"&amp", "&amp"},          // no ';'
        {"&lt", "&lt"},
        {"&", "&"},
        {"a&", "a&"},
        {"&&amp;", "&&"},
        {"&amp;amp;", "&amp;"},    // decoded once
        {"&LT;", "&LT;"},
        {"&quot", "&quot"},
    };
    for (const Case& c : cases) {
        const std::string text = std::string("<e v='") + c.value + "'>" + c.value + "</e>";
        XmlDocument document = Parse(text.c_str());
        ASSERT_TRUE(document.NextElement(nullptr));
        EXPECT_EQ(document.Attribute("v"), c.decoded) << text;
        document.Rewind();
        EXPECT_EQ(document.ChildText(), "") << text; // no current child
        const std::string wrapped = std::string("<r><e>") + c.value + "</e></r>";
        XmlDocument outer = Parse(wrapped.c_str());
        ASSERT_TRUE(outer.NextChild("e"));
        EXPECT_EQ(outer.ChildText(), c.decoded) << wrapped;
    }
}

TEST(XmlNavigation, ElementTextIsRawCdataOrDecodedContent)
{
    struct Case { const char* element; const char* text; };
    const Case cases[] = {
        {"<t>  <![CDATA[a<b]]>  </t>", "a<b"},
        {"<t><![CDATA[&amp;]]></t>", "&amp;"},           // CDATA is not decoded
        {"<t><![CDATA[x]]>tail</t>", "x"},               // whatever follows the section is dropped
        {"<t><![CDATA[]]></t>", ""},
        {"<t>\n<![CDATA[ </t> ]]></t>", " </t> "},
        {"<t>x<![CDATA[y]]></t>", "x<![CDATA[y]]>"},     // only content that starts with CDATA
        {"<t><![CDATA[y]]]></t>", "y]"},
        {"<t><![cdata[y]]></t>", "<![cdata[y]]>"},
        {"<t>a &amp; b </t>", "a & b "},                  // nothing is trimmed
        {"<t>a<!--c-->b</t>", "a<!--c-->b"},
        {"<t> <?pi?> </t>", " <?pi?> "},
        {"<t></t>", ""},
        {"<t/>", ""},
        {"<t>x<c/>y</t>", ""},                           // only elements without children
        {"<t>\r\n</t>", "\r\n"},
    };
    for (const Case& c : cases) {
        const std::string text = std::string("<r>") + c.element + "</r>";
        XmlDocument document = Parse(text.c_str());
        ASSERT_TRUE(document.NextChild("t"));
        EXPECT_EQ(document.ChildText(), c.text) << c.element;
    }
}

} // namespace
