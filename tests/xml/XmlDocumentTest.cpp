// Parsing with XmlDocument: what is skipped, what fails with which message, the records and
// their offsets, the record table's size, loading files, and documents built to break a
// naive parser (deep nesting, huge names, white space before markup signs).
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string DataFile(const char* name)
{
    return std::string(VARNEKITE_TEST_DATA_DIR) + "/" + name;
}

// The top-level element's tag name after a successful parse.
std::string TopLevelName(XmlDocument& document)
{
    document.Rewind();
    if (!document.NextElement(nullptr))
        return "<none>";
    return document.TagName();
}

void ExpectEmpty(const XmlDocument& document)
{
    EXPECT_EQ(document.NextFreeRecord(), 1);
    const ElementRecord& root = document.Records().at(0);
    EXPECT_EQ(root.firstChild, 0);
    EXPECT_EQ(root.endTagBegin, 0);
    EXPECT_EQ(document.ParentIndex() | document.CurrentIndex() | document.ChildIndex() | document.CurrentKind(), 0);
}

TEST(XmlDocument, SkipsEverythingBeforeAndIgnoresEverythingAfterTheTopLevelElement)
{
    struct Case { const char* text; int32_t startTagBegin; };
    const Case cases[] = {
        {"<r/>", 0},
        {"\xEF\xBB\xBF<r/>", 3},
        {"some text\n<r/>", 10},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<r/>", 47},
        {"<!-- one --><!-- two --><r/>", 24},
        {"<!DOCTYPE r [ <!ENTITY e \"x\"> ]><r/>", 32},
        {"<![CDATA[ <x> ]]><r/>", 17},
        {"<?><!--><r/>", 8},   // '?>' and '-->' are searched from the '<'
        {"<!-->--><r/>", 8},
        {"<\n\tr/>", 0},       // white space between '<' and the name
        // Anything after the top-level element is ignored.
        {"<r/><b>", 0},
        {"<r></r></zz><<<", 0},
        {"<r/><r/>", 0},
        {"<r/>< !-- x", 0},
        {"<r></r>\"'<", 0},
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
        {"<a>text", "Element tag not found"},
        {"<a><b/>", "Element tag not found"},
        {"<", "Abrupt end within tag"},
        {"<a>< \t\r\n", "Abrupt end within tag"},
        {"<'a'>", "Tag starts with quote"},
        {"<a>< \"b\"></a>", "Tag starts with quote"},
        {"<?", "Invalid node"},
        {"<!", "Invalid node"},
        {"<?x", "Invalid node"},
        {"<?xml version='1.0'", "Invalid node"},
        {"<!-- never closed <a/>", "Invalid node"},
        {"<![CDATA[ <a/>", "Invalid node"},
        {"<!DOCTYPE r [ <a/>", "Invalid node"},
        {"<a>x<!-- y</a>", "Invalid node"},
        {"<a", "End of tag not found"},
        {"<a x='1'", "End of tag not found"},
        {"<a><b></a>", "End tag does not correspond to b"},
        {"<a></A>", "End tag does not correspond to a"},
        {"<a></ab>", "End tag does not correspond to a"},
        {"<ab></a>", "End tag does not correspond to ab"},
        {"<a></>", "End tag does not correspond to a"},
        {"<a></", "End tag not completed for element a"},
        {"<a></a", "End tag not completed for element a"},
        {"<a></a x='>", "End tag not completed for element a"},
        {"<r><a/><b></b><c></r>", "End tag does not correspond to c"},
        // White space between '<' and a markup sign makes no markup.
        {"< !-- x --><a/>", "Invalid node"},
        {"< ?xml?><a/>", "Invalid node"},
        {"<a>< !-- x --></a>", "Invalid node"},
        {"<a>\n<\t![CDATA[x]]></a>", "Invalid node"},
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
        EXPECT_FALSE(document.NextElement(nullptr));
        EXPECT_FALSE(document.NextChild(nullptr));
        EXPECT_EQ(document.TagName(), "");
        EXPECT_EQ(document.ChildText(), "");
        EXPECT_EQ(document.ChildAttributeByName("c", "a"), "");
        EXPECT_EQ(document.ChildTextByName("c"), "");
    }
}

TEST(XmlDocument, AFirstTagThatIsAnEndTagFailsWithoutAMessage)
{
    XmlDocument document;
    ASSERT_FALSE(document.ParseText("<a><b></a>"));
    const std::string before = document.LastError();
    for (const char* text : {"</a>", "text </a><b/>", "<!-- c --></a>", "< /a>", ""}) {
        EXPECT_FALSE(document.ParseText(text)) << text;
        EXPECT_EQ(document.LastError(), before) << text;
        ExpectEmpty(document);
    }
    // Nor does a success clear the message.
    EXPECT_TRUE(document.ParseText("<a/>"));
    EXPECT_EQ(document.LastError(), before);
}

TEST(XmlDocument, EndTagsMayCarrySpacesAndExtraTokens)
{
    const char* texts[] = {"<a></a >", "<a>< /a>", "<a></a extra>", "<a>< / a \n>", "<a></a \"q>\" x>",
                           "<a></a/>", "<a></\"x\"a>"};
    for (const char* text : texts) {
        XmlDocument document;
        EXPECT_TRUE(document.ParseText(text)) << text << ": " << document.LastError();
        EXPECT_EQ(document.Records()[1].endTagEnd, static_cast<int32_t>(std::strlen(text)) - 1) << text;
    }
}

TEST(XmlDocument, RecordsHoldTagOffsetsAndLinks)
{
    //                  0         1         2
    //                  0123456789012345678901234567890
    const char* text = "<r><a/><b>t</b><c><d/></c></r>";
    XmlDocument document;
    ASSERT_TRUE(document.ParseText(text));
    struct Expected { int32_t startTagBegin, startTagEnd, endTagBegin, endTagEnd, parent, firstChild, nextSibling; };
    const Expected expected[] = {
        {0, 0, 0, 0, 0, 1, 0},      // the document root record
        {0, 2, 26, 29, 0, 2, 0},    // r
        {3, 6, 5, 6, 1, 0, 3},      // a: empty-element tag
        {7, 9, 11, 14, 1, 0, 4},    // b
        {15, 17, 22, 25, 1, 5, 0},  // c
        {18, 21, 20, 21, 4, 0, 0},  // d
    };
    ASSERT_EQ(document.NextFreeRecord(), 6);
    for (int i = 0; i < 6; ++i) {
        const ElementRecord& r = document.Records()[static_cast<size_t>(i)];
        const Expected& e = expected[i];
        SCOPED_TRACE("record " + std::to_string(i));
        EXPECT_EQ(r.startTagBegin, e.startTagBegin);
        EXPECT_EQ(r.startTagEnd, e.startTagEnd);
        EXPECT_EQ(r.endTagBegin, e.endTagBegin);
        EXPECT_EQ(r.endTagEnd, e.endTagEnd);
        EXPECT_EQ(r.parent, e.parent);
        EXPECT_EQ(r.firstChild, e.firstChild);
        EXPECT_EQ(r.nextSibling, e.nextSibling);
    }
}

TEST(XmlDocument, EmptyElementTagsAndTheStartTagEnd)
{
    struct Case { const char* text; int32_t startTagEnd, endTagBegin, endTagEnd; bool hasContent; };
    const Case cases[] = {
        {"<a/>", 3, 2, 3, false},
        {"<a />", 4, 3, 4, false},
        {"<a x='1'/>", 9, 8, 9, false},
        {"<a></a>", 2, 3, 6, true},
        {"<a x='1>'></a>", 7, 10, 13, true},  // quotes do not hide the '>' from the start tag
        {"<a x='/'></a>", 8, 9, 12, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        XmlDocument document;
        ASSERT_TRUE(document.ParseText(c.text)) << document.LastError();
        const ElementRecord& r = document.Records()[1];
        EXPECT_EQ(r.startTagEnd, c.startTagEnd);
        EXPECT_EQ(r.endTagBegin, c.endTagBegin);
        EXPECT_EQ(r.endTagEnd, c.endTagEnd);
        EXPECT_EQ(r.startTagEnd == r.endTagBegin + 1, !c.hasContent);
        EXPECT_EQ(r.firstChild, 0);
    }
}

TEST(XmlDocument, MarkupInsideContentIsNoElement)
{
    XmlDocument document;
    ASSERT_TRUE(document.ParseText("<a>x<!-- </a> -->y<![CDATA[ <b> ]]><?pi <c/> ?><!DECL [<d>]></a>"));
    EXPECT_EQ(document.NextFreeRecord(), 2);
    EXPECT_EQ(document.Records()[1].firstChild, 0);
}

TEST(XmlDocument, AVeryLongTagNameIsCutInTheMessage)
{
    const std::string name(100000, 'n');
    const std::string text = "<" + name + "></" + name + "x>";
    XmlDocument document;
    EXPECT_FALSE(document.ParseText(text.c_str()));
    const std::string& message = document.LastError();
    EXPECT_EQ(message.size(), 299u);
    EXPECT_EQ(message, ("End tag does not correspond to " + name).substr(0, 299));

    const std::string percent = "<a%s%n%x></b>";
    EXPECT_FALSE(document.ParseText(percent.c_str()));
    EXPECT_EQ(document.LastError(), "End tag does not correspond to a%s%n%x");
}

// Every element lies inside the one before it; the top-level element is index 1.
std::string Nested(int levels, bool closed)
{
    std::string text;
    text.reserve(static_cast<size_t>(levels) * 7);
    for (int i = 0; i < levels; ++i)
        text += "<a>";
    text += "deep";
    if (closed)
        for (int i = 0; i < levels; ++i)
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

    // Each level is the only child of the one above; the innermost holds the text.
    const auto& records = document.Records();
    int32_t index = 1;
    for (int depth = 1; depth < levels; ++depth) {
        ASSERT_EQ(records[static_cast<size_t>(index)].nextSibling, 0);
        const int32_t child = records[static_cast<size_t>(index)].firstChild;
        ASSERT_EQ(child, index + 1) << "depth " << depth;
        ASSERT_EQ(records[static_cast<size_t>(child)].parent, index);
        index = child;
    }
    EXPECT_EQ(records[static_cast<size_t>(index)].firstChild, 0);
    EXPECT_EQ(records[1].endTagEnd, static_cast<int32_t>(text.size()) - 1);

    // The cursor walks all the way down and back.
    document.Rewind();
    ASSERT_TRUE(document.NextElement("a"));
    int depth = 1;
    while (document.NextChild("a") && document.Descend())
        ++depth;
    EXPECT_EQ(depth, levels);
    EXPECT_EQ(document.CurrentIndex(), index);
    EXPECT_TRUE(document.Ascend());
    EXPECT_EQ(document.ChildText(), "deep");
}

TEST(XmlDocument, VeryDeepUnclosedNestingFailsCleanly)
{
    XmlDocument document;
    EXPECT_FALSE(document.ParseText(Nested(300000, false).c_str()));
    EXPECT_EQ(document.LastError(), "Element tag not found");
    ExpectEmpty(document);

    std::string mismatched = Nested(300000, true);
    mismatched[mismatched.size() - 2] = 'b'; // the outermost end tag
    EXPECT_FALSE(document.ParseText(mismatched.c_str()));
    EXPECT_EQ(document.LastError(), "End tag does not correspond to a");
}

TEST(XmlDocument, ParsingAgainReplacesTheDocumentAndResetsTheCursor)
{
    XmlDocument document;
    ASSERT_TRUE(document.ParseText("<r><a/><b/></r>"));
    ASSERT_TRUE(document.NextChild("b"));
    ASSERT_TRUE(document.ParseText("<s><c/></s>"));
    EXPECT_EQ(document.ParentIndex() | document.CurrentIndex() | document.ChildIndex() | document.CurrentKind(), 0);
    EXPECT_EQ(document.NextFreeRecord(), 3);
    EXPECT_EQ(TopLevelName(document), "s");

    EXPECT_FALSE(document.ParseText(nullptr));
    EXPECT_EQ(document.DocumentText(), "");
    ExpectEmpty(document);
}

TEST(XmlDocument, LoadFileReadsAConfigurationFile)
{
    XmlDocument document;
    ASSERT_TRUE(document.LoadFile(DataFile("Varnekite-sample.xml").c_str())) << document.LastError();
    EXPECT_EQ(TopLevelName(document), "Varnekite");
    ASSERT_TRUE(document.NextChild("items"));
    ASSERT_TRUE(document.Descend());
    int files = 0;
    std::string commands;
    while (document.NextChild("item")) {
        ASSERT_TRUE(document.Descend());
        while (document.NextChild("file")) {
            ++files;
            commands += document.ChildAttribute("command") + " ";
        }
        ASSERT_TRUE(document.Ascend()); // back on items, after this item
    }
    EXPECT_EQ(commands, "dircopy execute dirmove dirdelete ");
    EXPECT_EQ(files, 4);
}

TEST(XmlDocument, LoadFileFailsForMissingEmptyOrTruncatedFiles)
{
    XmlDocument document;
    ASSERT_FALSE(document.ParseText("<a><b></a>"));
    const std::string message = document.LastError();

    // A file that cannot be opened or is empty touches no message.
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
