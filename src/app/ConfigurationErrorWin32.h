// The installer's answer to an unusable configuration: one message box, then the end of the
// process with exit code 0xFFFFFFFF.
#pragma once

#include <windows.h>

#include <string>

constexpr UINT kConfigurationErrorExitCode = 0xFFFFFFFFu;

// MessageBoxW(owner, message, "Configuration Error", MB_OK), then ExitProcess(0xFFFFFFFF).
[[noreturn]] void ShowConfigurationError(HWND owner, const std::wstring& message);
