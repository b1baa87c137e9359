// Bytes and wide characters one for one, both ways.
#include "xml/WideBytes.h"

#include <gtest/gtest.h>

namespace {

TEST(TextConversions, BytesAndWideCharactersCorrespondOneToOne)
{
    const std::string bytes("a\xC3\xA9\xFF\x80", 5); // UTF-8 sequences are not combined
    const std::wstring wide = WidenBytes(bytes);
    EXPECT_EQ(wide, (std::wstring{L'a', wchar_t(0xC3), wchar_t(0xA9), wchar_t(0xFF), wchar_t(0x80)}));
    EXPECT_EQ(NarrowBytes(wide), bytes);
    // Characters above U+00FF keep only their low 8 bits.
    EXPECT_EQ(NarrowBytes(std::wstring(1, static_cast<wchar_t>(0x0416))), std::string("\x16"));
}

} // namespace
