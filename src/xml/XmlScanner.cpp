// Name matching and markup skipping for XmlDocument; the scanning primitives are inline in
// XmlScanner.h. The terminator searches use strstr, which stops at the terminating NUL.
#include "xml/XmlScanner.h"

#include <cstring>

namespace xmlscan {
namespace {

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

bool ScanToCharFarAhead(const char* text, int32_t& position, char character)
{
    const char* found = std::strchr(text + position, character);
    if (found == nullptr) {
        position += static_cast<int32_t>(std::strlen(text + position));
        return false;
    }
    position = static_cast<int32_t>(found - text);
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
