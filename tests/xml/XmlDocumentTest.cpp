// Parsing with XmlDocument: what is skipped, what fails with which message, the records and
// their offsets, loading files, and documents built to break a naive parser (deep nesting,
// huge names, white space before markup signs).
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string DataFile(const char* name)
{
    return std::string(VARNEKITE_TEST_DATA_DIR) + "/" + name;
}

// The top-level element's tag name after a successful parse.
std::string TopLevelName(XmlDocument& document)
{
    document.Rewind();
    return document.NextElement(nullptr) ? document.TagName() : "<none>";
}

// No element, and a cursor that stands nowhere.
void ExpectEmpty(const XmlDocument& document)
{
    EXPECT_EQ(document.NextFreeRecord(), 1);
    EXPECT_EQ(document.Records().at(0).subtreeEnd, 0);
    EXPECT_EQ(document.FirstChild(0), 0);
    EXPECT_EQ(document.ParentIndex() | document.CurrentIndex() | document.ChildIndex() | document.CurrentKind(), 0);
}

TEST(XmlDocument, SkipsEverythingBeforeAndIgnoresEverythingAfterTheTopLevelElement)
{
    struct Case { const char* text; int32_t startTagBegin; };
    const Case cases[] = {
        {"\xEF\xBB\xBF<r/>", 3},
        {"some text\n<r/>", 10},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<r/>", 47},
        {"<!-- one --><!-- two --><r/>", 24},
        {"<!DOCTYPE r [ <!ENTITY e \"x\"> ]><r/>", 32},
        {"<![CDATA[ <x> ]]><r/>", 17},
        {"<?><!--><r/>", 8},   // '?>' and '-->' are searched from the '<'
        {"<\n\tr/>", 0},       // white space between '<' and the name
        // Anything after the top-level element is ignored.
        {"<r></r></zz><<<", 0},
        {"<r/>< !-- x", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        XmlDocument document;
        ASSERT_TRUE(document.ParseText(c.text)) << document.LastError();
        EXPECT_EQ(TopLevelName(document), "r");
        EXPECT_FALSE(document.NextElement(nullptr)); // no second top-level element
        EXPECT_EQ(document.Records()[1].startTagBegin, c.startTagBegin);
    }
}

TEST(XmlDocument, FailsWithTheDocumentedMessages)
{
    struct Case { const char* text; const char* message; };
    const Case cases[] = {
        {"hello", "Element tag not found"},
        {"<a><b/>", "Element tag not found"},
        {"<a>< \t\r\n", "Abrupt end within tag"},
        {"<a>< \"b\"></a>", "Tag starts with quote"},
        {"<?xml version='1.0'", "Invalid node"},
        {"<!-- never closed <a/>", "Invalid node"},
        {"<a>x<!-- y</a>", "Invalid node"},
        {"<a x='1'", "End of tag not found"},
        {"<a><b></a>", "End tag does not correspond to b"},
        {"<a></A>", "End tag does not correspond to a"},
        {"<a></ab>", "End tag does not correspond to a"},
        {"<ab></a>", "End tag does not correspond to ab"},
        {"<a></a", "End tag not completed for element a"},
        {"<a></a x='>", "End tag not completed for element a"},
        // White space between '<' and a markup sign makes no markup.
        {"< !-- x --><a/>", "Invalid node"},
        {"<a>< !-- x --></a>", "Invalid node"},
        // A first tag that is an end tag, or no tag at all, fails without a message.
        {"</a>", ""},
        {"text < /a><b/>", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        XmlDocument document; // a failed parse leaves nothing of the document before it
        ASSERT_TRUE(document.ParseText("<r><c a='1'>t</c></r>"));
        ASSERT_TRUE(document.NextChild("c"));
        EXPECT_FALSE(document.ParseText(c.text));
        EXPECT_EQ(document.LastError(), c.message);
        EXPECT_EQ(document.DocumentText(), c.text); // a failed parse keeps the text
        ExpectEmpty(document);
        EXPECT_FALSE(document.NextChild(nullptr));
    }
}

TEST(XmlDocument, EndTagsMayCarrySpacesAndExtraTokens)
{
    for (const char* text : {"<a>< / a \n>", "<a></a extra>", "<a></a \"q>\" x>", "<a></\"x\"a>"}) {
        XmlDocument document;
        EXPECT_TRUE(document.ParseText(text)) << text << ": " << document.LastError();
        EXPECT_EQ(document.TagsOf(1).endTagEnd, static_cast<int32_t>(std::strlen(text)) - 1) << text;
    }
}

TEST(XmlDocument, RecordsHoldTagOffsetsAndLinks)
{
    struct Case { const char* text; std::vector<std::vector<int32_t>> records; };
    const Case cases[] = {
        //0         1         2
        //0123456789012345678901234567890
        {"<r><a/><b>t</b><c><d/></c></r>",
         // startTagBegin, startTagEnd, endTagBegin, endTagEnd, parent, firstChild, nextSibling
         {{0, 0, 0, 0, 0, 1, 0},      // the document root record
          {0, 2, 26, 29, 0, 2, 0},    // r
          {3, 6, 5, 6, 1, 0, 3},      // a: empty-element tag
          {7, 9, 11, 14, 1, 0, 4},    // b
          {15, 17, 22, 25, 1, 5, 0},  // c
          {18, 21, 20, 21, 4, 0, 0}}}, // d
        {"<a x='1'/>", {{0, 0, 0, 0, 0, 1, 0}, {0, 9, 8, 9, 0, 0, 0}}},
        {"<a x='1>'></a>", {{0, 0, 0, 0, 0, 1, 0}, {0, 7, 10, 13, 0, 0, 0}}}, // quotes do not hide the '>'
        // Markup inside content is no element.
        {"<a>x<!-- </a> -->y<![CDATA[ <b> ]]><?pi <c/> ?></a>", {{0, 0, 0, 0, 0, 1, 0}, {0, 2, 47, 50, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        XmlDocument document;
        ASSERT_TRUE(document.ParseText(c.text)) << document.LastError();
        ASSERT_EQ(document.NextFreeRecord(), static_cast<int32_t>(c.records.size()));
        // The table keeps only where each element starts and where its subtree ends: the rest is
        // read again from the text and the order of the records.
        for (int32_t i = 0; i < static_cast<int32_t>(c.records.size()); ++i) {
            const XmlDocument::TagOffsets tags = document.TagsOf(i);
            int32_t parent = 0;
            for (int32_t j = 1; j < i; ++j)
                if (document.Records()[static_cast<size_t>(j)].subtreeEnd > i)
                    parent = j;
            EXPECT_EQ((std::vector<int32_t>{tags.startTagBegin, tags.startTagEnd, tags.endTagBegin, tags.endTagEnd, parent,
                                            document.FirstChild(i), i == 0 ? 0 : document.NextSibling(parent, i)}),
                      c.records[static_cast<size_t>(i)]) << "record " << i;
        }
    }
}

TEST(XmlDocument, AVeryLongTagNameIsCutInTheMessage)
{
    const std::string name(100000, 'n');
    const std::string text = "<" + name + "></" + name + "x>";
    XmlDocument document;
    EXPECT_FALSE(document.ParseText(text.c_str()));
    EXPECT_EQ(document.LastError(), ("End tag does not correspond to " + name).substr(0, 299));

    EXPECT_FALSE(document.ParseText("<a%s%n%x></b>"));
    EXPECT_EQ(document.LastError(), "End tag does not correspond to a%s%n%x");
}

// Every element lies inside the one before it; the top-level element is index 1.
std::string Nested(int levels, bool closed)
{
    std::string text;
    for (int i = 0; i < levels; ++i)
        text += "<a>";
    text += "deep";
    for (int i = 0; closed && i < levels; ++i)
        text += "</a>";
    return text;
}

TEST(XmlDocument, ParsesVeryDeepNestingWithoutRecursion)
{
    const int levels = 300000;
    const std::string text = Nested(levels, true);
    XmlDocument document;
    ASSERT_TRUE(document.ParseText(text.c_str())) << document.LastError();
    ASSERT_EQ(document.NextFreeRecord(), levels + 1);
    EXPECT_EQ(document.TagsOf(1).endTagEnd, static_cast<int32_t>(text.size()) - 1);

    // The cursor walks all the way down, each level the only child of the one above, and back.
    ASSERT_TRUE(document.NextElement("a"));
    int depth = 1;
    while (document.NextChild("a") && document.Descend()) {
        ++depth;
        ASSERT_EQ(document.CurrentIndex(), depth);
    }
    EXPECT_EQ(depth, levels);
    EXPECT_TRUE(document.Ascend());
    EXPECT_FALSE(document.NextChild(nullptr));
    EXPECT_EQ(document.ChildText(), "deep");

    EXPECT_FALSE(document.ParseText(Nested(levels, false).c_str()));
    EXPECT_EQ(document.LastError(), "Element tag not found");
    ExpectEmpty(document);

    std::string mismatched = text;
    mismatched[mismatched.size() - 2] = 'b'; // the outermost end tag
    EXPECT_FALSE(document.ParseText(mismatched.c_str()));
    EXPECT_EQ(document.LastError(), "End tag does not correspond to a");
}

TEST(XmlDocument, LoadFileReadsTheTextUpToItsFirstNul)
{
    XmlDocument document;
    ASSERT_TRUE(document.LoadFile(DataFile("Varnekite-sample.xml").c_str())) << document.LastError();
    EXPECT_EQ(TopLevelName(document), "Varnekite");

    ASSERT_FALSE(document.ParseText("<a><b></a>"));
    const std::string message = document.LastError();

    // A file that cannot be opened or is empty touches no message, nor does a success.
    for (const char* name : {"no-such-file.xml", "empty.xml"}) {
        ASSERT_TRUE(document.ParseText("<x/>"));
        EXPECT_FALSE(document.LoadFile(DataFile(name).c_str())) << name;
        EXPECT_EQ(document.LastError(), message) << name;
        EXPECT_EQ(document.DocumentText(), "") << name;
        ExpectEmpty(document);
    }
    EXPECT_FALSE(document.LoadFile(nullptr));

    // The text ends at the first NUL byte: "<r>\0</r>" is an unclosed element.
    EXPECT_FALSE(document.LoadFile(DataFile("nul-inside-root.xml").c_str()));
    EXPECT_EQ(document.LastError(), "Element tag not found");
    EXPECT_EQ(document.DocumentText(), "");
}

// Inputs that make a reader look past the end of the text or past an element; fuzz findings
// join this table under a name that says what they caught.
TEST(XmlDocument, RegressionFilesReadWithinBounds)
{
    struct Case { const char* file; const char* error; const char* attribute; const char* childText; };
    const Case cases[] = {
        {"markup-sign-at-end-of-text.xml", "Invalid node", "", ""},
        {"end-tag-cut-at-end-of-text.xml", "End tag not completed for element a", "", ""},
        // The start tag ends at the '>' inside the open quote; the value runs to the end.
        {"attribute-quote-never-closed.xml", nullptr, "1></a>\n", ""},
        {"cdata-shorter-than-its-marker.xml", nullptr, "", " <![x]]>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        XmlDocument document;
        const bool loaded = document.LoadFile(DataFile(c.file).c_str());
        EXPECT_EQ(loaded, c.error == nullptr) << document.LastError();
        if (!loaded) {
            EXPECT_EQ(document.LastError(), c.error);
            continue;
        }
        ASSERT_TRUE(document.NextElement(nullptr));
        EXPECT_EQ(document.Attribute("x"), c.attribute);
        document.NextChild(nullptr);
        EXPECT_EQ(document.ChildText(), c.childText);
    }
}

} // namespace
