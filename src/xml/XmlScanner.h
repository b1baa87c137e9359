// The byte-level scanner under XmlDocument: white space, tokens of a tag, and the markup
// constructs (<?...?>, <!--...-->, <![...]]>, <!...>) that the parser steps over. Every
// function works on a NUL-terminated text and never reads past its terminating NUL.
#pragma once

#include "xml/XmlDocument.h"

#include <cstdint>

namespace xmlscan {

// Space, tab, LF and CR; nothing else counts as white space.
inline bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Advances over white space. True when a byte other than NUL follows.
bool SkipSpaces(const char* text, int32_t& position);

// Advances to the next occurrence of `character`. False at the end of the text, with the
// position left on the terminating NUL.
bool ScanToChar(const char* text, int32_t& position, char character);

// Reads the next token from token.next: a quoted string, a single delimiter
// (white space, < > = \ / ? !), or a run of other bytes. False when only white space is left;
// start, end and next are then all on the terminating NUL.
bool ScanToken(TagToken& token);

// True when the unquoted token is the single byte `c`.
inline bool TokenIs(const TagToken& token, char c)
{
    return !token.quoted && token.end == token.start && token.text[token.start] == c;
}

// TokenMatches against a name given as bytes and a length (not NUL-terminated).
bool TokenMatchesName(const TagToken& token, const char* name, int32_t nameLength);

// Skips the construct that begins with "<?" or "<!" at token.next (the '<'). On success
// token.next is the first byte after it; false when it is not terminated or when the '<' is not
// directly followed by '?' or '!'.
bool SkipMarkupNode(TagToken& token);

} // namespace xmlscan
