// Fuzzes the SMBIOS reader with arbitrary firmware tables: it reads only within the bytes it is
// given (the sanitizers check), and what it finds is Latin-1 text without surrounding spaces.
#include "config/SmbiosTable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void CheckText(const std::wstring& text)
{
    for (wchar_t c : text)
        Check(c != L'\0' && static_cast<unsigned long>(c) <= 0xFF);
    Check(text.empty() || (text.front() != L' ' && text.back() != L' '));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly `size` bytes, so a read one beyond them is caught.
    const std::vector<unsigned char> table(data, data + size);
    SmbiosSystemInformation found;
    if (ReadSmbiosSystemInformation(table.empty() ? nullptr : table.data(), table.size(), found)) {
        CheckText(found.manufacturer);
        CheckText(found.productName);
    } else {
        Check(found.manufacturer.empty() && found.productName.empty());
    }
    return 0;
}
