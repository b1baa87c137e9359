// WidenAnsi and its portable decoder, Windows-1252, so that varnekite-check and the tests show
// the same characters a Western installation would.
#include "config/AnsiText.h"

namespace {

// 0x80-0x9F of Windows-1252; the five unassigned bytes map to their C1 controls, as Windows does.
const wchar_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

AnsiDecoder installedDecoder = DecodeWindows1252;

} // namespace

std::wstring DecodeWindows1252(std::string_view bytes)
{
    std::wstring text;
    text.reserve(bytes.size());
    for (unsigned char byte : bytes)
        text.push_back(byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : static_cast<wchar_t>(byte));
    return text;
}

std::wstring WidenAnsi(std::string_view bytes)
{
    return installedDecoder(bytes);
}

void UseAnsiDecoder(AnsiDecoder decoder)
{
    installedDecoder = decoder != nullptr ? decoder : DecodeWindows1252;
}
