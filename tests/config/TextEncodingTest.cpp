// How a configuration's bytes become text: the encoding a file declares or marks, UTF-8 with
// its invalid sequences, and the markup's entities and character references.
#include "config/AnsiText.h"
#include "config/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One wide string for a code point beyond the 16-bit range, as the platform's wide text holds it.
std::wstring Wide(char32_t c)
{
    std::wstring text;
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
        text.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
        text.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
        text.push_back(static_cast<wchar_t>(c));
    }
    return text;
}

TEST(TextEncoding, MarksAndDeclarationsDecideAndUtf16BecomesUtf8)
{
    struct Case { std::string bytes; TextEncoding encoding; std::string prepared; };
    const Case cases[] = {
        {"\xEF\xBB\xBF<a>\xC3\xA4</a>", TextEncoding::Utf8, "<a>\xC3\xA4</a>"},
        {std::string("\xFF\xFE<\0a\0/\0>\0\xE4\0", 12), TextEncoding::Utf8, "<a/>\xC3\xA4"},
        {std::string("\xFE\xFF\0<\0a\0/\0>\x04\x10", 12), TextEncoding::Utf8, "<a/>\xD0\x90"},
        {std::string("<\0?\0x\0m\0l\0", 10), TextEncoding::Utf8, "<?xml"}, // UTF-16 without a mark
        {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), TextEncoding::Utf8, "\xF0\x9F\x98\x80"}, // a surrogate pair
        {std::string("\xFF\xFE\x00\xD8<\0", 6), TextEncoding::Utf8, "\xEF\xBF\xBD<"}, // a lone surrogate
        {"<?xml version='1.0' encoding='UTF-8'?><a/>", TextEncoding::Utf8, "<?xml version='1.0' encoding='UTF-8'?><a/>"},
        {"<?xml version=\"1.0\" encoding = \"utf-16\"?><a/>", TextEncoding::Utf8, ""},
        {"<?xml version=\"1.0\" encoding=\"windows-1251\"?><a/>", TextEncoding::Ansi, ""},
        {"<?xml version=\"1.0\"?><a encoding='utf-8'/>", TextEncoding::Ansi, ""}, // not the declaration's
        {"<a>\xE4</a>", TextEncoding::Ansi, "<a>\xE4</a>"},
        // No mark, nothing declared: valid UTF-8 beyond ASCII is UTF-8, anything else ANSI.
        {"<a>\xC3\x9C""berpr\xC3\xBC""fung</a>", TextEncoding::Utf8, "<a>\xC3\x9C""berpr\xC3\xBC""fung</a>"},
        {"<?xml version='1.0'?><a>\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0</a>", TextEncoding::Utf8, ""},
        {"<a>\xC3\x9C\xE4</a>", TextEncoding::Ansi, ""},     // one byte that is no UTF-8: ANSI
        {"<a>\xC0\x80</a>", TextEncoding::Ansi, ""},          // an overlong form is no UTF-8
        {"<a>plain</a>", TextEncoding::Ansi, ""},              // ASCII reads alike either way
        {"<?xml version='1.0' encoding='windows-1252'?><a>\xC3\xA4</a>", TextEncoding::Ansi, ""}, // as declared
        // Only "<?xml" and white space is the declaration, not a processing instruction.
        {"<?xml-stylesheet encoding='utf-8'?><a>\xE4</a>", TextEncoding::Ansi, ""},
        {"<?xml\tencoding='utf-8'?><a/>", TextEncoding::Utf8, ""},
    };
    for (const Case& c : cases) {
        std::string bytes = c.bytes;
        EXPECT_EQ(PrepareDocumentBytes(bytes), c.encoding) << testing::PrintToString(c.bytes);
        if (!c.prepared.empty()) {
            EXPECT_EQ(bytes, c.prepared) << testing::PrintToString(c.bytes);
        }
    }
}

TEST(TextEncoding, InvalidUtf8BecomesReplacementCharactersAndDecodingGoesOn)
{
    const std::wstring bad(1, static_cast<wchar_t>(0xFFFD));
    struct Case { std::string bytes; std::wstring text; };
    const Case cases[] = {
        {"Gr\xC3\xBC\xC3\x9F" "e", L"Gr\u00FC\u00DFe"},
        {"\xD0\xA3\xE5\xAE\x89", L"\u0423\u5B89"},
        {"\xF0\x9F\x98\x80", Wide(0x1F600)},
        {"a\x80z", L"a" + bad + L"z"},                 // a lone continuation byte
        {"\xC3", bad},                                 // cut short at the end
        {"\xE5\xAE" "x", bad + bad + L"x"},            // cut short before another character
        {"\xC0\x80", bad + bad},                       // overlong
        {"\xED\xA0\x80", bad + bad + bad},             // a surrogate
        {"\xF4\x90\x80\x80", bad + bad + bad + bad},   // beyond U+10FFFF
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeUtf8(c.bytes), c.text) << testing::PrintToString(c.bytes);
    EXPECT_EQ(EncodeUtf8(Wide(0x1F600) + L"\u00E4"), "\xF0\x9F\x98\x80\xC3\xA4");
}

TEST(TextEncoding, EntitiesAndCharacterReferencesDecodeInEitherEncoding)
{
    struct Case { const char* raw; TextEncoding encoding; std::wstring text; };
    const Case cases[] = {
        {"&#228;&#xE4;&#XE4;", TextEncoding::Ansi, L"\u00E4\u00E4\u00E4"},
        {"Gr&#xFC;&#223;e &amp; &lt;&gt;&apos;&quot;", TextEncoding::Utf8, L"Gr\u00FC\u00DFe & <>'\""},
        {"&#x1F600;", TextEncoding::Ansi, Wide(0x1F600)},
        {"\xD0\xA3&#x410;\xD0\xA3", TextEncoding::Utf8, L"\u0423\u0410\u0423"},
        {"\x80&#128;", TextEncoding::Ansi, L"\u20AC\u0080"}, // a reference names a character, not a byte
        // References to characters that cannot exist, or that are not complete, stay as written.
        {"&#0;&#xD800;&#x110000;&#99999999999;&#;&#x;&#12&amp", TextEncoding::Ansi,
         L"&#0;&#xD800;&#x110000;&#99999999999;&#;&#x;&#12&amp"},
        {"&unknown; & &", TextEncoding::Utf8, L"&unknown; & &"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeMarkup(c.raw, c.encoding), c.text) << c.raw;
    EXPECT_EQ(DecodeBytes("&#228;", TextEncoding::Utf8), L"&#228;"); // a CDATA section decodes nothing
}

} // namespace
