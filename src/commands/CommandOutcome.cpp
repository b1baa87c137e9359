#include "commands/CommandOutcome.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

CommandResult ProgramResult(uint32_t exitCode, const std::vector<uint32_t>& successCodes)
{
    const bool success = successCodes.empty()
                             ? std::find(std::begin(kDefaultSuccessCodes), std::end(kDefaultSuccessCodes), exitCode) !=
                                   std::end(kDefaultSuccessCodes)
                             : std::find(successCodes.begin(), successCodes.end(), exitCode) != successCodes.end();
    if (!success)
        return CommandResult::Failed;
    const bool restart =
        std::find(std::begin(kRestartCodes), std::end(kRestartCodes), exitCode) != std::end(kRestartCodes);
    return restart ? CommandResult::Restart : CommandResult::Succeeded;
}

const wchar_t* ResultText(CommandResult result)
{
    switch (result) {
    case CommandResult::NotRun: return L"not run";
    case CommandResult::Succeeded: return L"succeeded";
    case CommandResult::Restart: return L"succeeded, restart needed";
    case CommandResult::Failed: return L"failed";
    case CommandResult::PassedOver: return L"passed over";
    }
    return L"not run";
}

const wchar_t* ExitCodeMeaning(uint32_t code)
{
    struct Known
    {
        uint32_t code;
        const wchar_t* meaning;
    };
    // Windows Installer's codes, which most setup programs return too, and the HRESULTs seen most.
    static const Known known[] = {
        {1601, L"the Windows Installer service could not be accessed"},
        {1602, L"the user cancelled the installation"},
        {1603, L"a fatal error during installation"},
        {1604, L"the installation was suspended, incomplete"},
        {1605, L"this action is only valid for products that are installed"},
        {1610, L"the product's configuration data is corrupt"},
        {1612, L"the installation source for this product is not available"},
        {1613, L"the installation package needs a newer Windows Installer"},
        {1618, L"another installation is already in progress"},
        {1619, L"the installation package could not be opened"},
        {1620, L"the installation package could not be opened: it is not a valid package"},
        {1622, L"the installation log file could not be opened"},
        {1623, L"the installation package's language is not supported by this system"},
        {1624, L"a transform could not be applied"},
        {1625, L"the installation is forbidden by system policy"},
        {1632, L"the temporary folder is full or cannot be written"},
        {1633, L"the installation package is not supported on this platform"},
        {1635, L"a patch package could not be opened"},
        {1636, L"a patch package could not be opened: it is not a valid patch"},
        {1637, L"a patch package needs a newer Windows Installer"},
        {1638, L"another version of this product is already installed"},
        {1639, L"invalid command line argument"},
        {1640, L"only an administrator may install from a remote session"},
        {1641, L"the installer has started a restart"},
        {1642, L"a patch does not fit the product: it may be missing or another version"},
        {1643, L"a patch package is forbidden by system policy"},
        {1644, L"a transform is forbidden by system policy"},
        {3010, L"a restart is required to complete the installation"},
        {0x80070005u, L"access is denied"},
        {0x80070002u, L"the file was not found"},
        {0x80070643u, L"a fatal error during installation"},
        {0x800704C7u, L"the operation was cancelled"},
        {0xC0000005u, L"the program crashed (access violation)"},
    };
    for (const Known& entry : known)
        if (entry.code == code)
            return entry.meaning;
    return L"";
}

std::wstring ExitCodeWithMeaning(uint32_t code)
{
    std::wstring text = std::to_wstring(code);
    if (code > 0xFFFFu) { // an HRESULT or NTSTATUS reads better in hexadecimal
        wchar_t hex[16];
        std::swprintf(hex, sizeof hex / sizeof hex[0], L"0x%08X", static_cast<unsigned>(code));
        text = hex;
    }
    const wchar_t* meaning = ExitCodeMeaning(code);
    return *meaning != 0 ? text + L" (" + meaning + L")" : text;
}
