// How a configuration's bytes become wide text. A byte-order mark (UTF-8, UTF-16 LE or BE), an
// XML declaration naming UTF-8 or UTF-16, or (with no encoding declared) bytes that are valid
// UTF-8 with at least one character beyond ASCII make every text of the file UTF-8 (a UTF-16
// file is turned into UTF-8 before it is read); any other file is read in the machine's ANSI
// code page, every text alike. Attribute values and element texts are decoded with their predefined
// entities and character references (&#228; &#xE4;).
#pragma once

#include <string>
#include <string_view>

enum class TextEncoding
{
    Ansi, // the machine's ANSI code page (WidenAnsi)
    Utf8,
};

// Readies the file's bytes for the XML reader and says how its texts are decoded: a UTF-16 file
// becomes UTF-8, a UTF-8 byte-order mark goes.
TextEncoding PrepareDocumentBytes(std::string& bytes);

// The encoding the XML declaration at the start of `bytes` names, lower-cased; empty without
// one. Only "<?xml" followed by white space is the declaration.
std::string DeclaredEncoding(std::string_view bytes);

// Whether `bytes` are valid UTF-8 holding at least one character beyond ASCII.
bool IsMultibyteUtf8(std::string_view bytes);

// UTF-8 to wide text (UTF-16 where wide characters are 16 bits); a byte that starts no valid
// sequence becomes U+FFFD, and decoding goes on after it.
std::wstring DecodeUtf8(std::string_view bytes);

// Wide text (UTF-16 on Windows, UTF-32 elsewhere) to UTF-8; a unit that is no character (a lone
// surrogate, a value beyond U+10FFFF) becomes U+FFFD.
std::string EncodeUtf8(std::wstring_view text);

// Bytes as they stand in the file, no markup in them (a CDATA section).
std::wstring DecodeBytes(std::string_view bytes, TextEncoding encoding);

// An attribute value or element text as it stands in the file: &lt; &gt; &amp; &apos; &quot;
// and character references decoded, everything else through the encoding. A reference to a
// character that cannot exist (0, a surrogate, beyond U+10FFFF) stays as written.
std::wstring DecodeMarkup(std::string_view raw, TextEncoding encoding);

// Where in `raw` the character at `index` of its decoded text (DecodeMarkup) was written, so
// that a diagnostic about a place inside a value points into the file; raw.size() past the end.
size_t RawIndexOfDecoded(std::string_view raw, TextEncoding encoding, size_t index);
