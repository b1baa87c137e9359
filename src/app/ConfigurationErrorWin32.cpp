#include "app/ConfigurationErrorWin32.h"

void ShowConfigurationError(HWND owner, const std::wstring& message)
{
    MessageBoxW(owner, message.c_str(), L"Configuration Error", MB_OK);
    ExitProcess(kConfigurationErrorExitCode);
}
