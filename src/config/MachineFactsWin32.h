// The facts of conditions on Windows: what the machine is (architecture, Windows version and
// edition, maker and model from the firmware, user interface language) and what it has (files,
// folders, registry keys and values, installed programs, environment variables).
#pragma once

#include "config/MachineFacts.h"
#include "config/SmbiosTable.h"

#include <array>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

// The raw SMBIOS table, as GetSystemFirmwareTable('RSMB') gives it; empty when it cannot be read.
using FirmwareTableReader = std::function<std::vector<unsigned char>()>;

std::vector<unsigned char> ReadSmbiosFirmwareTable();

class MachineFactsWin32 : public MachineFacts
{
public:
    // `readFirmware` supplies the SMBIOS table: the system's, or a test's own. Where it gives no
    // maker or model, the registry's copy of them stands in (see FirmwareString).
    explicit MachineFactsWin32(FirmwareTableReader readFirmware = ReadSmbiosFirmwareTable);

    // Read once, on first use, and kept: what the machine is cannot change during a run. Safe
    // to call from several threads.
    FactAnswer Machine(Fact fact) override;
    FactAnswer File(const std::wstring& path) override;
    FactAnswer Folder(const std::wstring& path) override;
    FactAnswer Registry(const std::wstring& key, bool hasName, const std::wstring& name,
                        RegistryView view) override;
    bool Programs(std::vector<InstalledProgram>& programs, std::wstring& why) override;
    FactAnswer Environment(const std::wstring& name) override;

private:
    static constexpr size_t kMachineFacts = 7; // Fact::Arch to Fact::Language

    FactAnswer ReadMachineFact(Fact fact);
    FactAnswer FirmwareString(Fact fact);

    FirmwareTableReader readFirmware;
    std::mutex mutex;
    std::array<std::optional<FactAnswer>, kMachineFacts> machine;
    std::optional<SmbiosSystemInformation> firmware; // once read; empty strings where it has none
};
