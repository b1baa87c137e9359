// The System Information strings of SMBIOS tables built here byte by byte: well-formed ones,
// and ones cut short or malformed, which must never be read beyond their bytes.
#include "config/SmbiosTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// One structure: type, length (4 + the formatted bytes after the header, unless given), handle,
// the formatted bytes, then the strings, each with its NUL, and the set's closing NUL (two NULs
// when there are none).
Bytes Structure(uint8_t type, const Bytes& formatted, const std::vector<std::string>& strings, int length = -1)
{
    Bytes bytes = {type, static_cast<uint8_t>(length >= 0 ? length : 4 + static_cast<int>(formatted.size())), 0x12, 0x00};
    bytes.insert(bytes.end(), formatted.begin(), formatted.end());
    for (const std::string& text : strings) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    }
    if (strings.empty())
        bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

// System Information (type 1) as SMBIOS 2.4 lays it out: manufacturer, product name, version,
// serial number, UUID, wake-up type, SKU and family.
Bytes SystemInformation(uint8_t manufacturer, uint8_t product, const std::vector<std::string>& strings)
{
    Bytes formatted = {manufacturer, product, 3, 0};
    formatted.insert(formatted.end(), 16, 0xAB); // UUID
    formatted.insert(formatted.end(), {6, 0, 0});
    return Structure(1, formatted, strings);
}

const Bytes kBios = Structure(0, {1, 2, 0, 0xE8, 3, 0, 0x80, 0, 0, 0, 0, 0, 0, 0}, {"Firmware Inc.", "1.07", "01/02/2024"});
const Bytes kEnclosure = Structure(3, {0, 0, 0, 0, 3, 3, 3, 2}, {});
const Bytes kSystem = SystemInformation(1, 2, {"Contoso Ltd.", "Latitude 7420", "1.0"});
const Bytes kEnd = Structure(127, {}, {});

// The RawSMBIOSData header (calling method, SMBIOS 3.4, DMI revision, length) and the structures.
Bytes Table(const std::vector<Bytes>& structures, int64_t length = -1)
{
    Bytes body;
    for (const Bytes& structure : structures)
        body.insert(body.end(), structure.begin(), structure.end());
    const auto declared = static_cast<uint32_t>(length >= 0 ? length : static_cast<int64_t>(body.size()));
    Bytes table = {0, 3, 4, 0, static_cast<uint8_t>(declared), static_cast<uint8_t>(declared >> 8),
                   static_cast<uint8_t>(declared >> 16), static_cast<uint8_t>(declared >> 24)};
    table.insert(table.end(), body.begin(), body.end());
    return table;
}

// Read from a copy of exactly `size` bytes, so the sanitizers see any read beyond them.
bool Read(const Bytes& bytes, size_t size, SmbiosSystemInformation& found)
{
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size == 0 ? 1 : size]);
    std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size), exact.get());
    return ReadSmbiosSystemInformation(size == 0 ? nullptr : exact.get(), size, found);
}

bool Read(const Bytes& bytes, SmbiosSystemInformation& found)
{
    return Read(bytes, bytes.size(), found);
}

TEST(SmbiosTable, SystemInformationAfterOtherStructures)
{
    struct Case { const char* name; Bytes table; const wchar_t* manufacturer; const wchar_t* product; };
    const Case cases[] = {
        {"alone", Table({kSystem}), L"Contoso Ltd.", L"Latitude 7420"},
        {"after others", Table({kBios, kEnclosure, kBios, kSystem, kEnd}), L"Contoso Ltd.", L"Latitude 7420"},
        {"the first of two", Table({kSystem, SystemInformation(1, 2, {"Other", "Other"})}), L"Contoso Ltd.", L"Latitude 7420"},
        {"strings in another order", Table({SystemInformation(3, 1, {"OptiPlex", "x", "Fabrikam"})}), L"Fabrikam", L"OptiPlex"},
        {"spaces around", Table({SystemInformation(1, 2, {"  Contoso  Ltd. ", "Model 7   "})}), L"Contoso  Ltd.", L"Model 7"},
        {"Latin-1 bytes", Table({SystemInformation(1, 2, {"Soci\xE9t\xE9", "\xC6on"})}), L"Soci\u00E9t\u00E9", L"\u00C6on"},
        {"only spaces", Table({SystemInformation(1, 2, {"   ", "Model"})}), L"", L"Model"},
        {"string number 0", Table({SystemInformation(0, 1, {"Model"})}), L"", L"Model"},
        {"number beyond the strings", Table({SystemInformation(1, 4, {"Contoso", "Model", "1.0"})}), L"Contoso", L""},
        {"no strings at all", Table({SystemInformation(1, 2, {})}), L"", L""},
        {"SMBIOS 2.0 length 8", Table({Structure(1, {1, 2, 0, 0}, {"Contoso", "Model"})}), L"Contoso", L"Model"},
        {"bytes beyond the declared length", [] {
             Bytes table = Table({kSystem});
             table.insert(table.end(), {0xFF, 0xFF, 0xFF});
             return table;
         }(), L"Contoso Ltd.", L"Latitude 7420"},
    };
    for (const Case& c : cases) {
        SmbiosSystemInformation found;
        ASSERT_TRUE(Read(c.table, found)) << c.name;
        EXPECT_EQ(found.manufacturer, c.manufacturer) << c.name;
        EXPECT_EQ(found.productName, c.product) << c.name;
    }
}

TEST(SmbiosTable, MalformedTablesHaveNone)
{
    Bytes unterminated = Table({kBios, kSystem});
    unterminated.pop_back(); // the set's closing NUL
    unterminated[4] = static_cast<uint8_t>(unterminated.size() - 8);
    struct Case { const char* name; Bytes table; };
    const Case cases[] = {
        {"empty", {}},
        {"header cut short", {0, 3, 4, 0, 0, 0, 0}},
        {"no structures", Table({})},
        {"no type 1", Table({kBios, kEnclosure})},
        {"type 1 after the end of the table", Table({kBios, kEnd, kSystem})},
        {"length beyond the bytes", Table({kBios, kSystem}, static_cast<int64_t>(kBios.size() + kSystem.size() + 1))},
        {"length stops inside type 1", Table({kBios, kSystem}, static_cast<int64_t>(kBios.size() + 10))},
        {"length far beyond", Table({kSystem}, 0xFFFFFFFF)},
        {"structure length below 4", Table({Structure(0, {}, {"x"}, 3), kSystem})},
        {"structure length 0", Table({Structure(0, {}, {}, 0), kSystem})},
        {"formatted area beyond the table", Table({Structure(0, {1, 2}, {}, 200)})},
        {"type 1 too short for its strings", Table({Structure(1, {1}, {"Contoso"})})},
        {"no end of the strings", unterminated},
        {"a structure header cut short", Table({kBios, Bytes{1, 27}})},
    };
    for (const Case& c : cases) {
        SmbiosSystemInformation found;
        EXPECT_FALSE(Read(c.table, found)) << c.name;
    }
}

// A table cut anywhere, with a length that matches what is left (as a short read would give),
// is read only within its bytes, and has the system's strings only when all of them are there.
TEST(SmbiosTable, EveryCutIsReadWithinItsBytes)
{
    const Bytes full = Table({kBios, kEnclosure, kSystem, kEnd});
    const size_t systemEnd = 8 + kBios.size() + kEnclosure.size() + kSystem.size();
    for (size_t size = 0; size <= full.size(); ++size) {
        Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
        if (size >= 8)
            cut[4] = static_cast<uint8_t>(size - 8); // the whole table is below 256 bytes
        SmbiosSystemInformation found;
        EXPECT_EQ(Read(cut, found), size >= systemEnd) << size;
        // And with the full length declared: cut short, so never read.
        SmbiosSystemInformation unused;
        EXPECT_EQ(Read(full, size, unused), size == full.size()) << size;
    }
}

} // namespace
