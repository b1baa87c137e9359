// Tokens and markup skipping for XmlDocument. Hot paths use the C library's string search
// (strchr, strstr), which stops at the terminating NUL like the byte loops it replaces.
#include "xml/XmlScanner.h"

#include <cstring>

namespace xmlscan {
namespace {

// Bytes that end an unquoted run (NUL included, so runs stop at the end of the text).
struct DelimiterTable
{
    bool stops[256] = {};
    constexpr DelimiterTable()
    {
        for (unsigned char c : {'\0', ' ', '\t', '\n', '\r', '<', '>', '=', '\\', '/', '?', '!'})
            stops[c] = true;
    }
};
constexpr DelimiterTable delimiters;

inline bool IsDelimiter(char c)
{
    return delimiters.stops[static_cast<unsigned char>(c)];
}

// Moves token.next past the first `terminator` found from the '<' at token.next.
bool SkipPast(TagToken& token, const char* terminator)
{
    const char* found = std::strstr(token.text + token.next, terminator);
    if (found == nullptr)
        return false;
    token.next = static_cast<int32_t>(found - token.text) + static_cast<int32_t>(std::strlen(terminator));
    return true;
}

// A declaration (<!DOCTYPE ...>) ends at the first '>' token outside square brackets;
// quoted strings are stepped over whole.
bool SkipDeclaration(TagToken& token)
{
    int depth = 0;
    while (ScanToken(token)) {
        if (token.quoted)
            continue;
        const char first = token.text[token.start];
        if (first == '[')
            ++depth;
        else if (first == ']')
            --depth;
        else if (first == '>' && depth == 0)
            return true; // token.next is already just after the '>'
    }
    return false;
}

} // namespace

bool SkipSpaces(const char* text, int32_t& position)
{
    while (IsSpace(text[position]))
        ++position;
    return text[position] != '\0';
}

bool ScanToChar(const char* text, int32_t& position, char character)
{
    const char* found = std::strchr(text + position, character);
    if (found == nullptr) {
        position += static_cast<int32_t>(std::strlen(text + position));
        return false;
    }
    position = static_cast<int32_t>(found - text);
    return true;
}

bool ScanToken(TagToken& token)
{
    const char* text = token.text;
    int32_t position = token.next;
    token.quoted = false;
    if (!SkipSpaces(text, position)) {
        token.start = token.end = token.next = position;
        return false;
    }
    const char first = text[position];
    if (first == '"' || first == '\'') {
        token.quoted = true;
        token.start = position + 1;
        int32_t close = token.start;
        const bool closed = ScanToChar(text, close, first);
        token.end = close - 1;
        token.next = closed ? close + 1 : close; // an open quote runs to the end of the text
        return true;
    }
    token.start = position;
    if (!IsDelimiter(first)) {
        do
            ++position;
        while (!IsDelimiter(text[position]));
    } else {
        ++position; // a delimiter is a token of its own
    }
    token.end = position - 1;
    token.next = position;
    return true;
}

bool TokenMatchesName(const TagToken& token, const char* name, int32_t nameLength)
{
    const int32_t length = token.end - token.start + 1;
    if (length < 0 || length > nameLength)
        return false;
    if (std::memcmp(token.text + token.start, name, static_cast<size_t>(length)) != 0)
        return false;
    if (length == nameLength)
        return true;
    const char after = name[length];
    return after == ' ' || after == '=' || after == '/' || after == '[';
}

bool SkipMarkupNode(TagToken& token)
{
    const char* at = token.text + token.next; // the '<'
    const char first = at[1];
    if (first == '\0')
        return false;
    const char second = at[2]; // in bounds: at[1] was not the terminating NUL
    if (second == '\0')
        return false;
    if (first == '?')
        return SkipPast(token, "?>");
    if (first != '!')
        return false; // "< ?" or "< !": white space between '<' and the markup sign
    if (second == '[')
        return SkipPast(token, "]]>");
    if (second == '-')
        return SkipPast(token, "-->");
    return SkipDeclaration(token);
}

} // namespace xmlscan

bool TokenMatches(const TagToken& token, const char* name)
{
    if (name == nullptr)
        name = "";
    return xmlscan::TokenMatchesName(token, name, static_cast<int32_t>(std::strlen(name)));
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}
