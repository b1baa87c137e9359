// ASCII letter case, the only case the program folds: names in the configuration and path
// texts compare with A-Z and a-z alike and every other character as it is.
#pragma once

#include <string_view>

template <typename Char>
constexpr Char FoldAscii(Char c)
{
    return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <typename Char>
bool EqualsIgnoreAsciiCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

// Whether `text` begins with `prefix`, ASCII letters compared without case.
template <typename Char>
bool StartsWithIgnoreAsciiCase(std::basic_string_view<Char> text, std::basic_string_view<Char> prefix)
{
    return text.size() >= prefix.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}
