// ASCII letter case, the only case the program folds: names in the configuration, command and
// item names, %NAME% references and path texts compare with A-Z and a-z alike and every other
// character as it is. The one home of that rule, for byte and wide text alike.
#pragma once

#include <cstddef>
#include <string_view>

template <typename Char>
constexpr Char FoldAscii(Char c)
{
    return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <typename Char>
constexpr Char UpperAsciiLetter(Char c)
{
    return (c >= Char('a') && c <= Char('z')) ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}

// The value of an ASCII digit, decimal or (with `hex`) hexadecimal in either letter case; -1
// for any other character.
constexpr int AsciiDigitValue(char c, bool hex)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

namespace asciitext {

template <typename Char>
bool EqualsFolded(std::basic_string_view<Char> a, std::basic_string_view<Char> b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

} // namespace asciitext

inline bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b)
{
    return asciitext::EqualsFolded(a, b);
}

inline bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b)
{
    return asciitext::EqualsFolded(a, b);
}

// Whether `text` begins with `prefix`, ASCII letters compared without case.
inline bool StartsWithIgnoreAsciiCase(std::wstring_view text, std::wstring_view prefix)
{
    return text.size() >= prefix.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

inline bool StartsWithIgnoreAsciiCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

// A character reference at text[at] ("&#228;", "&#xE4;"): the number it names and the
// reference's length (the ';' included), or 0 when none stands there. Up to ten digits are
// read, so every number that can name a character fits; whether it does is the caller's.
inline size_t CharacterReferenceAt(std::string_view text, size_t at, unsigned long long& value)
{
    if (at + 2 > text.size() || text[at] != '&' || text[at + 1] != '#')
        return 0;
    size_t i = at + 2;
    const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex)
        ++i;
    const size_t digits = i;
    value = 0;
    for (; i < text.size() && i - digits < 10; ++i) {
        const int digit = AsciiDigitValue(text[i], hex);
        if (digit < 0)
            break;
        value = value * (hex ? 16 : 10) + static_cast<unsigned long long>(digit);
    }
    if (i == digits || i >= text.size() || text[i] != ';')
        return 0;
    return i + 1 - at;
}
