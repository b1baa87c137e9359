// The ProcessLauncher on Win32: CreateProcessW (for a tree made inside its job, or suspended
// until it joins where Windows cannot), the registry's verbs, ShellExecuteExW,
// TerminateJobObject and TerminateProcess, and waits and pauses that answer the thread's
// messages (MessageWaitWin32.h).
// Windows only.
#pragma once

#include "commands/ProcessLauncher.h"
#include "config/ScopedWin32.h"

class ProcessLauncherWin32 : public ProcessLauncher
{
public:
    ProcessLauncherWin32() = default;
    ~ProcessLauncherWin32() override { Close(); }
    ProcessLauncherWin32(const ProcessLauncherWin32&) = delete;
    ProcessLauncherWin32& operator=(const ProcessLauncherWin32&) = delete;

    bool FolderExists(const std::wstring& path) override;
    std::wstring CurrentFolder() override;
    bool OpenJob(std::wstring& why, std::wstring& note) override;
    bool StartCommandLine(const std::wstring& commandLine, const std::wstring& folder, bool hidden, uint32_t& error,
                          std::wstring& lost) override;
    std::wstring OpenVerb(const std::wstring& file, const std::wstring& parameters) override;
    bool StartThroughShell(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder,
                           bool hidden, uint32_t& error, bool& process, std::wstring& lost) override;
    uint32_t ProcessId() override;
    Waited Wait(bool tree, bool byParentId, uint32_t milliseconds, uint32_t& error) override;
    bool ExitCode(uint32_t& code, uint32_t& error) override;
    bool End(bool tree, bool byParentId, uint32_t& ended, uint32_t& error) override;
    void Pause(uint32_t milliseconds) override;
    void Close() override;
    std::wstring ErrorText(uint32_t error) override;

private:
    ScopedHandle process;
    ScopedHandle job; // Close (the destructor's too) closes it after the process
    bool breakaway = false; // leave the launcher's own job (only where jobs cannot nest)
};
