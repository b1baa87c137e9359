// Text composition for the progress window. Numbers are formatted here rather than by printf,
// whose rounding and wide-string conversions differ between C runtimes.
#include "display/DisplayText.h"

#include "commands/InstallState.h"
#include "xml/WideBytes.h"

#include <cmath>
#include <cstdio>

namespace {

// Exact value of magnitude x 10^decimals rounded to nearest, ties to even. The magnitude is
// finite, non-negative and below 2^53; decimals is at most 3, so every product fits 64 bits.
uint64_t ScaleAndRound(double magnitude, uint64_t scale)
{
    int exponent = 0;
    const double fraction = std::frexp(magnitude, &exponent); // magnitude = fraction x 2^exponent
    const uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
    const int shift = 53 - exponent; // magnitude = mantissa x 2^-shift, shift >= 0 here
    const uint64_t numerator = mantissa * scale;
    if (shift <= 0) {
        return numerator << -shift;
    }
    if (shift >= 64) {
        return 0; // numerator < 2^63, less than half of 2^shift
    }
    uint64_t quotient = numerator >> shift;
    const uint64_t remainder = numerator & ((uint64_t{1} << shift) - 1);
    const uint64_t half = uint64_t{1} << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1) != 0)) {
        ++quotient;
    }
    return quotient;
}

} // namespace

std::string FormatFixed(double value, int decimals)
{
    if (std::isnan(value)) {
        return "nan";
    }
    const std::string sign = std::signbit(value) ? "-" : "";
    const double magnitude = std::fabs(value);
    if (std::isinf(magnitude)) {
        return sign + "inf";
    }
    decimals = decimals < 0 ? 0 : (decimals > 3 ? 3 : decimals);
    if (magnitude >= 9007199254740992.0) {
        // 2^53 and above: integers, far beyond anything the window shows.
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        return buffer;
    }
    uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    const uint64_t scaled = ScaleAndRound(magnitude, scale);
    std::string text = sign + std::to_string(scaled / scale);
    if (decimals > 0) {
        std::string digits = std::to_string(scaled % scale);
        text += '.';
        text.append(static_cast<size_t>(decimals) - digits.size(), '0');
        text += digits;
    }
    return text;
}

std::wstring FormatSize(uint64_t bytes)
{
    static const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
    // Stored through a volatile so x87 builds round to single precision as everyone else does.
    volatile float rounded = static_cast<float>(bytes);
    float value = rounded;
    int unit = 0;
    // Strictly greater: exactly 1024 bytes stays "1024.0B".
    while (value > 1024.0f && unit < 4) {
        value *= 0.0009765625f;
        ++unit;
    }
    return WidenBytes(FormatFixed(static_cast<double>(value), 1) + units[unit]);
}

std::wstring FilePercentText(uint64_t fileBytesDone, uint64_t fileBytesTotal)
{
    return WidenBytes(FormatFixed(static_cast<double>(PercentOf(fileBytesDone, fileBytesTotal)), 0) + "%");
}

void ReplaceAll(std::wstring& text, const std::wstring& placeholder, const std::wstring& value)
{
    if (placeholder.empty()) {
        return;
    }
    size_t position = text.find(placeholder);
    while (position != std::wstring::npos) {
        text.replace(position, placeholder.size(), value);
        position = text.find(placeholder, position + value.size());
    }
}

std::wstring ExpandStatusTemplate(const std::wstring& templateText, const FileProgressText& file)
{
    std::wstring text = templateText;
    ReplaceAll(text, L"%1%", file.fileName);
    ReplaceAll(text, L"%2%", FormatSize(file.fileBytesDone));
    ReplaceAll(text, L"%3%", FormatSize(file.fileBytesTotal));
    ReplaceAll(text, L"%4%", FilePercentText(file.fileBytesDone, file.fileBytesTotal));
    return text;
}

std::wstring ItemLine(const std::wstring& name, int index, int itemCount)
{
    return name + L" (" + std::to_wstring(static_cast<long long>(index) + 1) + L"/" + std::to_wstring(itemCount) +
           L")";
}

std::wstring FooterText(float overallPercent, const std::wstring& text)
{
    return WidenBytes(FormatFixed(static_cast<double>(overallPercent), 0)) + L"% " + text;
}

std::wstring FooterMeasureText(const std::wstring& text)
{
    return L"100% " + text;
}

float ItemBarPercent(float itemPercent, float commandPercent, int commandCount)
{
    if (commandCount <= 0) {
        return itemPercent;
    }
    return itemPercent + commandPercent / static_cast<float>(commandCount);
}

DetailKind DetailKindOf(const InstallCommand& command)
{
    return command.kind != nullptr ? command.kind->detail : DetailKind::None;
}
