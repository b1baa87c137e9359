// The byte-level scanner under XmlDocument: white space, tokens of a tag, and the markup
// constructs (<?...?>, <!--...-->, <![...]]>, <!...>) that the parser steps over. Every
// function works on a NUL-terminated text and never reads past its terminating NUL.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

// Scanner state for the tokens of one tag.
struct TagToken
{
    int32_t start = 0;            // first byte of the token; after the opening quote when quoted
    int32_t end = -1;             // last byte of the token, inclusive; before the closing quote when quoted
    int32_t next = 0;             // where the next scan begins
    bool quoted = false;
    const char* text = nullptr;   // the NUL-terminated document text being read
};

// True when the token's bytes equal the start of `name` and the name continues there with NUL,
// space, '=', '/' or '['. Case-sensitive: "item" matches the tag item only.
bool TokenMatches(const TagToken& token, const char* name);

namespace xmlscan {

// Space, tab, LF and CR; nothing else counts as white space.
inline bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

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
inline constexpr DelimiterTable delimiters;

inline bool IsDelimiter(char c)
{
    return delimiters.stops[static_cast<unsigned char>(c)];
}

// Advances over white space. True when a byte other than NUL follows.
inline bool SkipSpaces(const char* text, int32_t& position)
{
    while (IsSpace(text[position]))
        ++position;
    return text[position] != '\0';
}

// The library search behind ScanToChar, once the first bytes did not hold the character.
bool ScanToCharFarAhead(const char* text, int32_t& position, char character);

// Advances to the next occurrence of `character`. False at the end of the text, with the
// position left on the terminating NUL.
inline bool ScanToChar(const char* text, int32_t& position, char character)
{
    // Most searches end within a few bytes (the next tag after a line break); look there
    // first and leave longer distances to the library's vectorised search.
    for (int32_t i = position, stop = position + 16; i < stop; ++i) {
        if (text[i] == character) {
            position = i;
            return true;
        }
        if (text[i] == '\0') {
            position = i;
            return false;
        }
    }
    position += 16;
    return ScanToCharFarAhead(text, position, character);
}

// ScanToChar for a text of known length without NUL bytes before its end, for searches that
// usually go far (the '>' after the attributes of a start tag).
inline bool ScanToCharFar(const char* text, int32_t length, int32_t& position, char character)
{
    const void* found = std::memchr(text + position, character, static_cast<size_t>(length - position));
    if (found == nullptr) {
        position = length;
        return false;
    }
    position = static_cast<int32_t>(static_cast<const char*>(found) - text);
    return true;
}

// Reads the next token from token.next: a quoted string, a single delimiter
// (white space, < > = \ / ? !), or a run of other bytes. False when only white space is left;
// start, end and next are then all on the terminating NUL.
inline bool ScanToken(TagToken& token)
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

// True when the unquoted token is the single byte `c`.
inline bool TokenIs(const TagToken& token, char c)
{
    return !token.quoted && token.end == token.start && token.text[token.start] == c;
}

// The name of the tag whose '<' is at `lessThan`: its first token; empty when there is none.
inline std::string_view TagNameAt(const char* text, int32_t lessThan)
{
    TagToken token;
    token.text = text;
    token.next = lessThan + 1;
    if (!ScanToken(token))
        return std::string_view();
    return std::string_view(text + token.start, static_cast<size_t>(token.end - token.start + 1));
}

// TokenMatches against a name given as bytes and a length (not NUL-terminated).
bool TokenMatchesName(const TagToken& token, const char* name, int32_t nameLength);

// Skips the construct that begins with "<?" or "<!" at token.next (the '<'). On success
// token.next is the first byte after it; false when it is not terminated or when the '<' is not
// directly followed by '?' or '!'.
bool SkipMarkupNode(TagToken& token);

} // namespace xmlscan
