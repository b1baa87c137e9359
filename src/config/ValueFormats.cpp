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

bool ParseExitCode(std::string_view text, uint32_t& code)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return false;
    text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    const bool negative = text[0] == '-';
    if (negative)
        text.remove_prefix(1);
    const bool hex = !negative && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex)
        text.remove_prefix(2);
    if (text.empty() || text.size() > (hex ? 8u : 10u))
        return false;
    uint64_t value = 0;
    for (char c : text) {
        const int digit = AsciiDigitValue(c, hex);
        if (digit < 0)
            return false;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    }
    if (value > (negative ? 0x80000000ull : 0xFFFFFFFFull))
        return false;
    code = negative ? static_cast<uint32_t>(0x100000000ull - value) : static_cast<uint32_t>(value);
    return true;
}

bool ParseExitCodeList(std::string_view text, std::vector<uint32_t>& codes)
{
    bool valid = true;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos)
            comma = text.size();
        uint32_t code = 0;
        if (ParseExitCode(text.substr(start, comma - start), code))
            codes.push_back(code);
        else
            valid = false;
        start = comma + 1;
    }
    return valid;
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
