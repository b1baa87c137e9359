// Value formats of the configuration file. Malformed values never fail: they read as 0.
#include "config/ValueFormats.h"

#include "xml/AsciiText.h"

#include <climits>
#include <cstdlib>

namespace {

// One colour channel: two characters read as strtol with base 16 would (white space, a sign,
// then hex digits up to the first other character), keeping the low 8 bits. `exact` stays true
// only when both are hex digits.
uint32_t ParseChannel(const std::string& value, size_t offset, bool& exact)
{
    exact = exact && AsciiDigitValue(value[offset], true) >= 0 && AsciiDigitValue(value[offset + 1], true) >= 0;
    const char pair[3] = {value[offset], value[offset + 1], '\0'};
    const long channel = std::strtol(pair, nullptr, 16);
    return static_cast<uint32_t>(static_cast<unsigned long>(channel) & 0xFFu);
}

} // namespace

int32_t ParseInteger(const std::string& value, bool* exact)
{
    // strtoll, then the 32-bit bounds: long is 64 bits on some systems, 32 on Windows.
    const char* const text = value.c_str();
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    // Exact when strtoll read the whole text and skipped no white space first; without a digit
    // it reads nothing at all.
    if (exact != nullptr) {
        const bool startsAtNumber = text[0] == '+' || text[0] == '-' || AsciiDigitValue(text[0], false) >= 0;
        *exact = startsAtNumber && end != text && end == text + value.size();
    }
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

bool ParseBoolean(const std::string& value, bool* exact)
{
    const bool parsed = EqualsIgnoreAsciiCase(value, "true");
    if (exact != nullptr)
        *exact = parsed || EqualsIgnoreAsciiCase(value, "false");
    return parsed;
}

uint32_t ParseColour(const std::string& value, bool* exact)
{
    // As a colour is written: seven or nine characters, '#' first, then each channel's two hex
    // digits.
    bool written = false;
    std::string digits = value;
    if (digits.size() == 7 || digits.size() == 9) {
        written = digits[0] == '#';
        digits.erase(0, 1);
    }
    uint32_t colour = 0;
    if (digits.size() == 6 || digits.size() == 8) {
        const uint32_t red = ParseChannel(digits, 0, written);
        const uint32_t green = ParseChannel(digits, 2, written);
        const uint32_t blue = ParseChannel(digits, 4, written);
        const uint32_t alpha = digits.size() == 8 ? ParseChannel(digits, 6, written) : 0xFFu;
        colour = alpha << 24 | red << 16 | green << 8 | blue;
    }
    if (exact != nullptr)
        *exact = written;
    return colour;
}
