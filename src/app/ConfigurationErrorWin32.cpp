#include "app/ConfigurationErrorWin32.h"

bool NobodyCanAnswer()
{
    // Session 0 belongs to services: its window station may be "visible", yet no one ever sees
    // it (Windows Vista and later keep users out of it).
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0)
        return true;
    USEROBJECTFLAGS flags = {};
    HWINSTA station = GetProcessWindowStation();
    if (station == nullptr || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), nullptr))
        return false; // unknown: a box nobody answers is better than a silent end someone misses
    return (flags.dwFlags & WSF_VISIBLE) == 0;
}

void ShowConfigurationError(HWND owner, const std::wstring& message, RunLog* log, bool quiet)
{
    const bool unattended = NobodyCanAnswer();
    if (log != nullptr) {
        log->Write(L"configuration error: " + message);
        if (quiet)
            log->Write(L"no message box: /quiet");
        else if (unattended)
            log->Write(L"no message box: nobody can answer one in this window station");
        log->Write(L"run ended: exit code " + std::to_wstring(kConfigurationErrorExitCode));
        log->Finish();
    }
    if (!unattended && !quiet)
        MessageBoxW(owner, message.c_str(), L"Configuration Error", MB_OK);
    ExitProcess(kConfigurationErrorExitCode);
}
