// The tokeniser and the markup rules under the XML reader, and the two name comparisons.
#include "xml/XmlScanner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TokenCase
{
    const char* text;
    int32_t from;
    bool found;
    int32_t start, end, next;
    bool quoted;
};

TEST(XmlScanner, ScanTokenReadsQuotedStringsDelimitersAndRuns)
{
    const TokenCase cases[] = {
        {"  abc def", 0, true, 2, 4, 5, false},
        {"abc", 0, true, 0, 2, 3, false},
        {"\t\r\nx", 0, true, 3, 3, 4, false},
        {"a=b", 0, true, 0, 0, 1, false},       // '=' ends a run
        {"=b", 0, true, 0, 0, 1, false},        // a delimiter is a token of its own
        {"/>", 0, true, 0, 0, 1, false},
        {"a\\b", 0, true, 0, 0, 1, false},      // backslash is a delimiter
        {"a?b!c", 0, true, 0, 0, 1, false},
        {"a<b", 0, true, 0, 0, 1, false},
        {"a\"b\" c", 0, true, 0, 3, 4, false},  // quotes inside a run are ordinary bytes
        {"[x y", 0, true, 0, 1, 2, false},      // '[' is no delimiter
        {"\"a'b\" x", 0, true, 1, 3, 5, true},  // the other quote may appear inside
        {"'a\"b' x", 0, true, 1, 3, 5, true},
        {"\"\"", 0, true, 1, 0, 2, true},       // empty quoted string
        {"'abc", 0, true, 1, 3, 4, true},       // an open quote runs to the end
        {"'", 0, true, 1, 0, 1, true},
        {"", 0, false, 0, 0, 0, false},
        {" \t\r\n", 0, false, 4, 4, 4, false},
        {"ab  ", 2, false, 4, 4, 4, false},
        {"\vx", 0, true, 0, 1, 2, false},       // vertical tab is neither white space nor a delimiter
    };
    for (const TokenCase& c : cases) {
        TagToken token;
        token.text = c.text;
        token.next = c.from;
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(xmlscan::ScanToken(token), c.found);
        EXPECT_EQ(token.start, c.start);
        EXPECT_EQ(token.end, c.end);
        EXPECT_EQ(token.next, c.next);
        EXPECT_EQ(token.quoted, c.quoted);
    }
}

TEST(XmlScanner, ScanToCharStopsOnTheNulWhenNotFound)
{
    const int32_t cases[][3] = {{1, 1, true}, {2, 3, true}, {4, 5, false}}; // from, found at, found
    for (const auto& c : cases) {
        int32_t position = c[0];
        EXPECT_EQ(xmlscan::ScanToChar("a<b<c", position, '<'), c[2] != 0) << c[0];
        EXPECT_EQ(position, c[1]) << c[0];
    }
}

struct MarkupCase
{
    const char* text;  // the construct starts at offset 0
    int32_t next;      // first offset after it, or -1 when the rule fails
};

TEST(XmlScanner, SkipMarkupNodeFollowsTheTwoBytesAfterTheBracket)
{
    const MarkupCase cases[] = {
        {"<?xml version='1.0'?>rest", 21},
        {"<?>x", 3},                              // the search starts at the '<'
        {"<? ? >?>", 8},
        {"<!-- a -- b -->x", 15},
        {"<!-->x", 5},
        {"<!- not really -->x", 18},              // a single '-' selects the comment rule
        {"<![CDATA[ <a> ]]>x", 17},
        {"<![whatever]]>", 14},                   // the word CDATA is not checked
        {"<!DOCTYPE r>x", 12},
        {"<!DOCTYPE r [ <!ENTITY e \"x>\"> ]>x", 33},
        {"<!DOCTYPE r [ <!ENTITY e 'a]b'> ]>x", 34},
        {"<!DOCTYPE r [[ ]] >x", 19},
        {"<!X ] > [ >x", 11},                    // ']' first: depth -1, so the first '>' does not end it
        {"<?", -1},
        {"<!", -1},
        {"<", -1},
        {"<?x", -1},
        {"<!-- x ->", -1},
        {"<![CDATA[ x ]>", -1},
        {"<!DOCTYPE r [ >", -1},
        {"<!DOCTYPE r \">", -1},
        {"< !-- x -->", -1},                      // white space after '<' is no markup
        {"< ?xml?>", -1},
        {"<a>", -1},
    };
    for (const MarkupCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        TagToken token;
        token.text = c.text;
        token.next = 0;
        const bool skipped = xmlscan::SkipMarkupNode(token);
        EXPECT_EQ(skipped, c.next >= 0);
        if (skipped) {
            EXPECT_EQ(token.next, c.next);
        }
    }
}

TEST(XmlScanner, TokenMatchesNeedsTheWholeNameOrADelimiterAfterIt)
{
    struct Case { const char* token; const char* name; bool matches; };
    const Case cases[] = {
        {"item", "item", true},
        {"items", "item", false},
        {"ite", "item", false},
        {"Item", "item", false},
        {"item", "item x", true},
        {"item", "item=", true},
        {"item", "item/", true},
        {"item", "item[", true},
        {"item", "item-", false},
        {"item", "", false},
        {"a", "a", true},
    };
    for (const Case& c : cases) {
        TagToken token;
        token.text = c.token;
        token.next = 0;
        ASSERT_TRUE(xmlscan::ScanToken(token));
        EXPECT_EQ(TokenMatches(token, c.name), c.matches) << c.token << " vs " << c.name;
    }
    TagToken token;
    token.text = "a";
    token.next = 0;
    ASSERT_TRUE(xmlscan::ScanToken(token));
    EXPECT_FALSE(TokenMatches(token, nullptr));
}

TEST(XmlScanner, EqualsIgnoreCaseFoldsOnlyAsciiLetters)
{
    struct Case { std::string a, b; bool equal; };
    const Case cases[] = {
        {"Varnekite", "varnekite", true},
        {"TRUE", "true", true},
        {"true", "true ", false},
        {"", "", true},
        {"a", "", false},
        {"@", "`", false},               // neighbours of the letter ranges are not folded
        {"[", "{", false},
        {"\xC4", "\xE4", false},          // Latin-1 letters compare exactly
        {std::string("a\0b", 3), std::string("A\0B", 3), true},
        {std::string("a\0b", 3), std::string("a\0c", 3), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EqualsIgnoreCase(c.a, c.b), c.equal) << testing::PrintToString(c.a) << " vs " << testing::PrintToString(c.b);
}

} // namespace
