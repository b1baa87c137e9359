#include "config/SmbiosTable.h"

#include "xml/WideBytes.h"

#include <cstdint>
#include <string_view>

namespace {

constexpr size_t kHeaderSize = 8;
constexpr size_t kStructureHeaderSize = 4; // type, length, handle (two bytes)
constexpr unsigned char kSystemInformation = 1;
constexpr unsigned char kEndOfTable = 127;
constexpr size_t kManufacturerOffset = 4;
constexpr size_t kProductNameOffset = 5;

// One structure: its formatted area [begin, begin + length) and its strings
// [strings, end), the set's final double NUL included.
struct Structure
{
    size_t begin = 0;
    size_t length = 0;
    size_t strings = 0;
    size_t end = 0;
};

// The structure at `at`, within [at, limit); false when it is malformed or cut short.
bool ReadStructure(const unsigned char* data, size_t at, size_t limit, Structure& structure)
{
    if (limit - at < kStructureHeaderSize)
        return false;
    const size_t length = data[at + 1];
    if (length < kStructureHeaderSize || length > limit - at)
        return false;
    // The string set ends with two NULs, also when it is empty.
    for (size_t i = at + length; i + 1 < limit; ++i) {
        if (data[i] == 0 && data[i + 1] == 0) {
            structure = {at, length, at + length, i + 2};
            return true;
        }
    }
    return false;
}

// String `number` (counted from 1) of the structure, without surrounding spaces; empty for
// number 0 and numbers beyond the set.
std::wstring StructureString(const unsigned char* data, const Structure& structure, size_t number)
{
    if (number == 0)
        return std::wstring();
    size_t at = structure.strings;
    const size_t last = structure.end - 1; // the set's final NUL
    for (size_t n = 1; at < last; ++n) {
        size_t stop = at;
        while (data[stop] != 0) // ends at the latest at `last`
            ++stop;
        if (stop == at) // an empty string only ends the set
            break;
        if (n == number) {
            std::string_view text(reinterpret_cast<const char*>(data + at), stop - at);
            const size_t first = text.find_first_not_of(' ');
            if (first == std::string_view::npos)
                return std::wstring();
            text = text.substr(first, text.find_last_not_of(' ') - first + 1);
            return WidenBytes(text);
        }
        at = stop + 1;
    }
    return std::wstring();
}

uint32_t LittleEndian32(const unsigned char* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

} // namespace

bool ReadSmbiosSystemInformation(const unsigned char* data, size_t size, SmbiosSystemInformation& found)
{
    if (data == nullptr || size < kHeaderSize)
        return false;
    const uint32_t tableLength = LittleEndian32(data + 4);
    if (tableLength > size - kHeaderSize)
        return false; // cut short: what is there may already be wrong
    const size_t limit = kHeaderSize + tableLength;
    Structure structure;
    for (size_t at = kHeaderSize; at < limit; at = structure.end) {
        if (!ReadStructure(data, at, limit, structure))
            return false;
        const unsigned char type = data[at];
        if (type == kEndOfTable)
            return false;
        if (type != kSystemInformation)
            continue;
        // Both string numbers lie in the formatted area since SMBIOS 2.0.
        if (structure.length <= kProductNameOffset)
            return false;
        found.manufacturer = StructureString(data, structure, data[at + kManufacturerOffset]);
        found.productName = StructureString(data, structure, data[at + kProductNameOffset]);
        return true;
    }
    return false;
}
