// The installer's answer to an unusable configuration or command line: the text in the run log
// and one message box, then the end of the process with exit code 0xFFFFFFFF. Where nobody can
// answer a message box (a service, SYSTEM in session 0: a window station that is not shown) the
// box would wait for ever, and /quiet asks for none: there the log alone has the text and the
// process ends at once.
#pragma once

#include "commands/RunLog.h"

#include <windows.h>

#include <string>

constexpr UINT kConfigurationErrorExitCode = 0xFFFFFFFFu;

// Whether nobody can see this process's windows: session 0 (services), or a window station that
// is not visible.
bool NobodyCanAnswer();

// The log gets "configuration error: " and the message (`log` may be null); then
// MessageBoxW(owner, message, "Configuration Error", MB_OK) where someone can answer it and
// `quiet` does not forbid it, and ExitProcess(0xFFFFFFFF).
[[noreturn]] void ShowConfigurationError(HWND owner, const std::wstring& message, RunLog* log = nullptr,
                                         bool quiet = false);
