// The computer's maker and model in the firmware's SMBIOS table, as Windows hands the table out
// (GetSystemFirmwareTable with the 'RSMB' provider). The bytes come from the firmware and are
// never trusted: every read is checked against the buffer.
#pragma once

#include <cstddef>
#include <string>

// The strings of the System Information structure (type 1); either is empty when the
// structure gives none (string number 0, one beyond its strings, or only spaces).
struct SmbiosSystemInformation
{
    std::wstring manufacturer;
    std::wstring productName;
};

// Reads the first System Information structure from the raw table: the RawSMBIOSData header
// (calling method, major and minor version, DMI revision: one byte each; the table's length:
// four bytes, little-endian) and that many bytes of structures. False when the header or a
// structure before it is cut short or malformed, or the table ends (type 127) without one.
// Bytes are read as Latin-1; leading and trailing spaces are dropped.
bool ReadSmbiosSystemInformation(const unsigned char* data, size_t size, SmbiosSystemInformation& found);
