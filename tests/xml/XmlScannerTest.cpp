// The tokeniser and the markup rules under the XML reader, and its name comparison.
#include "xml/XmlScanner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TagToken TokenAt(const char* text, int32_t from = 0)
{
    TagToken token;
    token.text = text;
    token.next = from;
    return token;
}

TEST(XmlScanner, ScanTokenReadsQuotedStringsDelimitersAndRuns)
{
    struct Case { const char* text; int32_t from; bool found; int32_t start, end, next; bool quoted; };
    const Case cases[] = {
        {"  abc def", 0, true, 2, 4, 5, false},
        {"\t\r\nx", 0, true, 3, 3, 4, false},
        {"a=b", 0, true, 0, 0, 1, false},       // '=' ends a run
        {"=b", 0, true, 0, 0, 1, false},        // a delimiter is a token of its own
        {"a\\b", 0, true, 0, 0, 1, false},      // backslash is a delimiter
        {"a\"b\" c", 0, true, 0, 3, 4, false},  // quotes inside a run are ordinary bytes
        {"[x y", 0, true, 0, 1, 2, false},      // '[' is no delimiter
        {"\"a'b\" x", 0, true, 1, 3, 5, true},  // the other quote may appear inside
        {"\"\"", 0, true, 1, 0, 2, true},       // empty quoted string
        {"'abcdefghijklmnopqrstuvwxyz", 0, true, 1, 26, 27, true}, // an open quote runs to the end
        {"", 0, false, 0, 0, 0, false},
        {"ab  ", 2, false, 4, 4, 4, false},
        {"\vx", 0, true, 0, 1, 2, false},       // vertical tab is neither white space nor a delimiter
    };
    for (const Case& c : cases) {
        TagToken token = TokenAt(c.text, c.from);
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(xmlscan::ScanToken(token), c.found);
        EXPECT_EQ(token.start, c.start);
        EXPECT_EQ(token.end, c.end);
        EXPECT_EQ(token.next, c.next);
        EXPECT_EQ(token.quoted, c.quoted);
    }
}

TEST(XmlScanner, SkipMarkupNodeFollowsTheTwoBytesAfterTheBracket)
{
    struct Case { const char* text; int32_t next; }; // first offset after it, or -1 when it fails
    const Case cases[] = {
        {"<?xml version='1.0'?>rest", 21},
        {"<?>x", 3},                              // the search starts at the '<'
        {"<!-- a -- b -->x", 15},
        {"<!-->x", 5},
        {"<!- not really -->x", 18},              // a single '-' selects the comment rule
        {"<![whatever]]>", 14},                   // the word CDATA is not checked
        {"<!DOCTYPE r [ <!ENTITY e \"x>\"> ]>x", 33},
        {"<!DOCTYPE r [[ ]] >x", 19},
        {"<!X ] > [ >x", 11},                    // ']' first: depth -1, so the first '>' does not end it
        {"<?", -1},
        {"<", -1},
        {"<!-- x ->", -1},
        {"<![CDATA[ x ]>", -1},
        {"<!DOCTYPE r [ >", -1},
        {"<!DOCTYPE r \">", -1},
        {"< !-- x -->", -1},                      // white space after '<' is no markup
        {"<a>", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        TagToken token = TokenAt(c.text);
        const bool skipped = xmlscan::SkipMarkupNode(token);
        EXPECT_EQ(skipped, c.next >= 0);
        if (skipped) {
            EXPECT_EQ(token.next, c.next);
        }
    }
}

TEST(XmlScanner, TokenMatchesNeedsTheWholeNameOrADelimiterAfterIt)
{
    struct Case { const char* name; bool matches; };
    const Case cases[] = {
        {"item", true}, {"items", false}, {"ite", false}, {"Item", false}, {"item x", true},
        {"item=", true}, {"item/", true}, {"item[", true}, {"item-", false}, {"", false}, {nullptr, false},
    };
    TagToken token = TokenAt("item");
    ASSERT_TRUE(xmlscan::ScanToken(token));
    for (const Case& c : cases)
        EXPECT_EQ(TokenMatches(token, c.name), c.matches) << (c.name ? c.name : "(null)");
}

} // namespace
