// Bytes and wide characters one for one: the byte b is the character b (0-255), and a character
// keeps its low 8 bits as a byte. The one home of that conversion, for ASCII (names, numbers,
// the program's own words) and for the byte strings of systems whose paths and environment are
// bytes. The configuration's texts are decoded in their encoding instead (config/TextEncoding.h).
#pragma once

#include <string>
#include <string_view>

inline std::wstring WidenBytes(std::string_view bytes)
{
    std::wstring text;
    text.reserve(bytes.size());
    for (unsigned char byte : bytes)
        text.push_back(static_cast<wchar_t>(byte));
    return text;
}

// Characters above U+00FF do not survive: only the low 8 bits are kept.
inline std::string NarrowBytes(std::wstring_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (wchar_t c : text)
        bytes.push_back(static_cast<char>(static_cast<unsigned long>(c) & 0xFFu));
    return bytes;
}
