#include "config/TextEncoding.h"

#include "config/AnsiText.h"
#include "xml/AsciiText.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsCharacter(char32_t c)
{
    return c != 0 && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

void AppendWide(std::wstring& out, char32_t c)
{
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(c));
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The character at bytes[i] and the bytes it takes; U+FFFD for one byte that starts no valid
// sequence (overlong forms, surrogates and values beyond U+10FFFF included).
char32_t NextUtf8(std::string_view bytes, size_t i, size_t& length)
{
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(bytes[at]); };
    const unsigned char first = byte(i);
    length = 1;
    if (first < 0x80)
        return first;
    size_t count = 0;
    char32_t c = 0;
    char32_t lowest = 0;
    if ((first & 0xE0) == 0xC0) {
        count = 1, c = first & 0x1F, lowest = 0x80;
    } else if ((first & 0xF0) == 0xE0) {
        count = 2, c = first & 0x0F, lowest = 0x800;
    } else if ((first & 0xF8) == 0xF0) {
        count = 3, c = first & 0x07, lowest = 0x10000;
    } else {
        return kReplacement;
    }
    for (size_t k = 1; k <= count; ++k) {
        if (i + k >= bytes.size() || (byte(i + k) & 0xC0) != 0x80)
            return kReplacement;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return kReplacement;
    length = count + 1;
    return c;
}

// UTF-16 bytes (no byte-order mark) as UTF-8; an odd last byte and lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    const auto unit = [&](size_t at) {
        const auto a = static_cast<unsigned char>(bytes[at]);
        const auto b = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    std::string out;
    out.reserve(bytes.size() / 2 + bytes.size() / 4);
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, (c >= 0xD800 && c <= 0xDFFF) ? kReplacement : c);
    }
    if (i < bytes.size())
        AppendUtf8(out, kReplacement);
    return out;
}

} // namespace

std::string DeclaredEncoding(std::string_view bytes)
{
    // "<?xml" and white space: "<?xml-stylesheet ...?>" is a processing instruction of its own.
    if (bytes.size() < 6 || bytes.compare(0, 5, "<?xml") != 0 ||
        (bytes[5] != ' ' && bytes[5] != '\t' && bytes[5] != '\r' && bytes[5] != '\n'))
        return std::string();
    const size_t end = bytes.find("?>");
    const std::string_view declaration = std::string_view(bytes).substr(0, end);
    size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return std::string();
    at += 8;
    while (at < declaration.size() && (declaration[at] == ' ' || declaration[at] == '\t' || declaration[at] == '='))
        ++at;
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
        return std::string();
    const size_t close = declaration.find(declaration[at], at + 1);
    if (close == std::string_view::npos)
        return std::string();
    std::string name(declaration.substr(at + 1, close - at - 1));
    for (char& c : name)
        c = FoldAscii(c);
    return name;
}

bool IsMultibyteUtf8(std::string_view bytes)
{
    bool multibyte = false;
    for (size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        size_t length = 1;
        if (NextUtf8(bytes, i, length) == kReplacement && length == 1)
            return false;
        multibyte = true;
        i += length;
    }
    return multibyte;
}

namespace {

// A character reference at raw[at] ("&#228;", "&#xE4;"): its character and length, or false
// for none or a number that names no character.
bool CharacterReference(std::string_view raw, size_t at, char32_t& c, size_t& length)
{
    unsigned long long value = 0;
    const size_t found = CharacterReferenceAt(raw, at, value);
    if (found == 0 || value > 0x10FFFF || !IsCharacter(static_cast<char32_t>(value)))
        return false;
    c = static_cast<char32_t>(value);
    length = found;
    return true;
}

struct Entity
{
    const char* name; // after the '&', up to and including the ';'
    char replacement;
};

// The reader's order, which its byte-level decoding keeps too.
constexpr Entity kEntities[] = {{"lt;", '<'}, {"amp;", '&'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'}};

} // namespace

TextEncoding PrepareDocumentBytes(std::string& bytes)
{
    const auto starts = [&](const char* prefix, size_t length) { return bytes.compare(0, length, prefix, length) == 0; };
    if (starts("\xEF\xBB\xBF", 3)) {
        bytes.erase(0, 3);
        return TextEncoding::Utf8;
    }
    const bool littleMark = starts("\xFF\xFE", 2);
    const bool bigMark = starts("\xFE\xFF", 2);
    // Without a mark, a file that starts with '<' in UTF-16 (a NUL byte beside it) is UTF-16 too.
    const bool little = littleMark || (bytes.size() >= 2 && bytes[0] == '<' && bytes[1] == '\0');
    const bool big = bigMark || (bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] == '<');
    if (little || big) {
        bytes = Utf16ToUtf8(std::string_view(bytes).substr(littleMark || bigMark ? 2 : 0), big);
        return TextEncoding::Utf8;
    }
    const std::string declared = DeclaredEncoding(bytes);
    if (declared == "utf-8" || declared == "utf8" || declared == "utf-16" || declared == "utf16")
        return TextEncoding::Utf8;
    // Without a mark or a declared encoding, XML's own default: a file whose bytes are UTF-8
    // (what editors save) is read so; one that is not stays in the ANSI code page.
    if (declared.empty() && IsMultibyteUtf8(bytes))
        return TextEncoding::Utf8;
    return TextEncoding::Ansi;
}

std::wstring DecodeUtf8(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        size_t length = 1;
        AppendWide(out, NextUtf8(bytes, i, length));
        i += length;
    }
    return out;
}

std::string EncodeUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(out, (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF ? kReplacement : c);
    }
    return out;
}

std::wstring DecodeBytes(std::string_view bytes, TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? DecodeUtf8(bytes) : WidenAnsi(bytes);
}

std::wstring DecodeMarkup(std::string_view raw, TextEncoding encoding)
{
    if (raw.find('&') == std::string_view::npos)
        return DecodeBytes(raw, encoding);
    std::wstring out;
    out.reserve(raw.size());
    size_t plain = 0; // the start of the bytes not yet decoded
    for (size_t at = raw.find('&'); at != std::string_view::npos; at = raw.find('&', at + 1)) {
        char32_t c = 0;
        size_t length = 0;
        if (at + 1 < raw.size() && raw[at + 1] == '#' && CharacterReference(raw, at, c, length)) {
        } else {
            for (const Entity& entity : kEntities) {
                const size_t nameLength = std::strlen(entity.name);
                if (raw.compare(at + 1, nameLength, entity.name) == 0) {
                    c = static_cast<char32_t>(entity.replacement);
                    length = nameLength + 1;
                    break;
                }
            }
        }
        if (length == 0)
            continue; // an '&' of no reference stays as written
        out += DecodeBytes(raw.substr(plain, at - plain), encoding);
        AppendWide(out, c);
        plain = at + length;
        at = plain - 1;
    }
    out += DecodeBytes(raw.substr(plain), encoding);
    return out;
}

size_t RawIndexOfDecoded(std::string_view raw, TextEncoding encoding, size_t index)
{
    // Unit by unit: a reference up to its ';', a UTF-8 sequence, or one byte; each decoded on
    // its own to count the characters it gives. Used for diagnostics only, on short values.
    size_t decoded = 0;
    size_t at = 0;
    while (at < raw.size() && decoded < index) {
        size_t length = 1;
        if (raw[at] == '&') {
            const size_t end = raw.find(';', at);
            if (end != std::string_view::npos && end - at <= 12)
                length = end - at + 1;
        } else if (encoding == TextEncoding::Utf8) {
            const unsigned char lead = static_cast<unsigned char>(raw[at]);
            length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            if (at + length > raw.size())
                length = 1;
        }
        decoded += DecodeMarkup(raw.substr(at, length), encoding).size();
        at += length;
    }
    return at;
}
