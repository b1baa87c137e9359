// Helpers for the end-to-end tests: temporary folders, the Varnekite process under test, and
// finding and reading its windows with plain Win32 calls, so the same tests run on Windows and
// under Wine. Every wait has a time limit; a child still running at the end is terminated.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// A build-tree path as Windows sees it: a Linux absolute path (/work/...) becomes Z:\work\...
std::wstring WindowsPath(const char* buildPath);
// ASCII/UTF-8 conversions for configuration text and file contents.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

// A fresh folder under the temporary folder, removed with its contents at the end.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return path; }
    std::wstring File(const std::wstring& name) const { return path + L"\\" + name; }

private:
    std::wstring path;
};

void WriteTextFile(const std::wstring& path, const std::string& bytes);
std::string ReadTextFile(const std::wstring& path); // empty when missing

class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess(); // terminates a child that still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `exe` with the command line "\"exe\" " + arguments in `folder`. Wine has been seen to
    // refuse a process start once in a long run, so a refused start is tried again a few times
    // (each refusal and its error code go to stderr). `input` and `output`, where given, are
    // inheritable handles for the child's standard input and output; `flags` are CreateProcessW's.
    bool Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
               HANDLE input = nullptr, HANDLE output = nullptr, DWORD flags = 0);
    // True when the process ended within the time; its exit code is stored in `exitCode`.
    bool WaitForExit(DWORD milliseconds, DWORD& exitCode);
    bool Running() const;
    void Kill();
    DWORD Id() const { return info.dwProcessId; }
    HANDLE Handle() const { return info.hProcess; }

private:
    PROCESS_INFORMATION info = {};
};

// Top-level windows of a process (visible or not), in z-order.
std::vector<HWND> TopLevelWindows(DWORD processId);
std::wstring ClassName(HWND window);
// The text of a window of another process (WM_GETTEXT with a time limit).
std::wstring WindowText(HWND window);
// Polls every 10 ms until `match` finds a window of the process, or the time is up (null).
HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& match, DWORD milliseconds);
// Polls `condition` every 10 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);

// The window's pixels as the screen shows them, 0x00RRGGBB, row by row.
struct Capture
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
bool CaptureWindow(HWND window, Capture& capture);

// A top-level window with a given title (visible unless asked otherwise), owned by a thread
// that pumps its messages (so another process can hide and show it without waiting on us).
class TitledWindow
{
public:
    explicit TitledWindow(const std::wstring& title, bool visible = true);
    ~TitledWindow();
    TitledWindow(const TitledWindow&) = delete;
    TitledWindow& operator=(const TitledWindow&) = delete;
    HWND Window() const { return window; }

private:
    static DWORD WINAPI ThreadProcedure(void* parameter);
    std::wstring title;
    bool visible;
    HANDLE thread = nullptr;
    HANDLE ready = nullptr;
    DWORD threadId = 0;
    HWND window = nullptr;
};

} // namespace e2e
