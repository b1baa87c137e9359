#include "app/RunHeadWin32.h"

#include "app/ConfigurationErrorWin32.h"
#include "config/MachineFacts.h"
#include "config/ScopedWin32.h"

#include <windows.h>

namespace {

std::wstring ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

// DOMAIN\name of the token's user, whether the token is elevated, whether it is LocalSystem.
void ReadToken(RunHeadFacts& facts)
{
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened))
        return;
    const ScopedHandle token(opened);
    alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    if (GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size)) {
        const PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer)->User.Sid;
        facts.system = IsWellKnownSid(sid, WinLocalSystemSid) != FALSE;
        wchar_t name[256] = {};
        wchar_t domain[256] = {};
        DWORD nameSize = 256;
        DWORD domainSize = 256;
        SID_NAME_USE use = SidTypeUnknown;
        if (LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
            facts.user = (domainSize > 0 ? std::wstring(domain) + L"\\" : std::wstring()) + name;
    }
    TOKEN_ELEVATION elevation = {};
    if (GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size))
        facts.elevated = elevation.TokenIsElevated != 0;
}

std::wstring MachineValue(MachineFacts& facts, Fact fact)
{
    const FactAnswer answer = facts.Machine(fact);
    return answer.status == FactAnswer::Status::Found ? answer.value : std::wstring();
}

} // namespace

RunHeadFacts ReadRunHeadFacts(MachineFacts& machine)
{
    RunHeadFacts facts;
    facts.computer = ComputerName();
    ReadToken(facts);
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session))
        facts.session = session;
    facts.windows = MachineValue(machine, Fact::Windows);
    facts.server = MachineValue(machine, Fact::Server) == L"true";
    facts.arch = MachineValue(machine, Fact::Arch);
    facts.programArch = MachineValue(machine, Fact::ProgramArch);
    BOOL wow64 = FALSE;
    facts.wow64 = IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
    facts.interactive = !NobodyCanAnswer();
    return facts;
}
