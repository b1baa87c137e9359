// Value formats of the configuration file. Malformed values never fail: they read as 0.
#include "config/ValueFormats.h"

#include "xml/AsciiText.h"

#include <climits>
#include <cstdlib>

namespace {

// One colour channel: two characters read as strtol with base 16 would (white space, a sign,
// then hex digits up to the first other character), keeping the low 8 bits.
uint32_t ParseChannel(const std::string& value, size_t offset)
{
    const char pair[3] = {value[offset], value[offset + 1], '\0'};
    const long channel = std::strtol(pair, nullptr, 16);
    return static_cast<uint32_t>(static_cast<unsigned long>(channel) & 0xFFu);
}

} // namespace

int32_t ParseInteger(const std::string& value)
{
    // strtoll, then the 32-bit bounds: long is 64 bits on some systems, 32 on Windows.
    const long long parsed = std::strtoll(value.c_str(), nullptr, 10);
    if (parsed > INT32_MAX)
        return INT32_MAX;
    if (parsed < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(parsed);
}

bool ParseBoolean(const std::string& value)
{
    return EqualsIgnoreAsciiCase(value, "true");
}

uint32_t ParseColour(const std::string& value)
{
    std::string digits = value;
    if (digits.size() == 7 || digits.size() == 9)
        digits.erase(0, 1);
    if (digits.size() != 6 && digits.size() != 8)
        return 0;
    const uint32_t red = ParseChannel(digits, 0);
    const uint32_t green = ParseChannel(digits, 2);
    const uint32_t blue = ParseChannel(digits, 4);
    const uint32_t alpha = digits.size() == 8 ? ParseChannel(digits, 6) : 0xFFu;
    return alpha << 24 | red << 16 | green << 8 | blue;
}

std::wstring WidenBytes(std::string_view bytes)
{
    std::wstring text;
    text.reserve(bytes.size());
    for (unsigned char byte : bytes)
        text.push_back(static_cast<wchar_t>(byte));
    return text;
}

std::string NarrowBytes(const std::wstring& text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (wchar_t c : text)
        bytes.push_back(static_cast<char>(static_cast<unsigned long>(c) & 0xFFu));
    return bytes;
}
