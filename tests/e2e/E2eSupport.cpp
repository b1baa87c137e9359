#include "E2eSupport.h"
#include "Win32RemoveTree.h"

#include <shellapi.h>

#include <atomic>
#include <cstdio>

namespace e2e {

std::wstring WindowsPath(const char* buildPath)
{
    std::wstring path = Widen(buildPath);
    if (!path.empty() && path[0] == L'/')
        path = L"Z:" + path;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

std::wstring Widen(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], units);
    return result;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], bytes, nullptr, nullptr);
    return result;
}

TempFolder::TempFolder()
{
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring base(temp);
    if (!base.empty() && base.back() == L'\\')
        base.pop_back();
    path = base + L"\\varnekite-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++);
    CreateDirectoryW(path.c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    RemoveTestTree(path);
}

void WriteTextFile(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadTextFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

ChildProcess::~ChildProcess()
{
    Kill();
    if (info.hThread != nullptr)
        CloseHandle(info.hThread);
    if (info.hProcess != nullptr)
        CloseHandle(info.hProcess);
}

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
                         HANDLE input, HANDLE output, DWORD flags)
{
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    const bool handles = input != nullptr || output != nullptr;
    if (handles) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0)
            Sleep(1000);
        std::wstring writable = commandLine; // CreateProcessW may write into its command line
        if (CreateProcessW(exe.c_str(), &writable[0], nullptr, nullptr, handles ? TRUE : FALSE, flags, nullptr,
                           folder.empty() ? nullptr : folder.c_str(), &startup, &info))
            return true;
        std::fprintf(stderr, "starting %ls refused (error %lu)\n", exe.c_str(), GetLastError());
    }
    return false;
}

bool ChildProcess::WaitForExit(DWORD milliseconds, DWORD& exitCode)
{
    if (info.hProcess == nullptr || WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(info.hProcess, &exitCode);
    return true;
}

bool ChildProcess::Running() const
{
    return info.hProcess != nullptr && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

void ChildProcess::Kill()
{
    if (Running()) {
        TerminateProcess(info.hProcess, 0xDEAD);
        WaitForSingleObject(info.hProcess, 5000);
    }
}

namespace {

struct WindowSearch
{
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId)
        search->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD processId)
{
    WindowSearch search{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied))
        return std::wstring();
    return std::wstring(text, static_cast<size_t>(copied));
}

HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& match, DWORD milliseconds)
{
    HWND result = nullptr;
    WaitUntil([&] {
        for (HWND window : TopLevelWindows(processId))
            if (match(window)) {
                result = window;
                return true;
            }
        return false;
    }, milliseconds);
    return result;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds)
{
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(10);
    }
}

bool CaptureWindow(HWND window, Capture& capture)
{
    RECT rect = {};
    if (!GetWindowRect(window, &rect))
        return false;
    capture.width = rect.right - rect.left;
    capture.height = rect.bottom - rect.top;
    if (capture.width <= 0 || capture.height <= 0)
        return false;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, capture.width, capture.height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
        GdiFlush();
        const auto* source = static_cast<const uint32_t*>(bits);
        capture.pixels.assign(source, source + static_cast<size_t>(capture.width) * capture.height);
        for (uint32_t& pixel : capture.pixels)
            pixel &= 0x00FFFFFFu;
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

TitledWindow::TitledWindow(const std::wstring& windowTitle, bool startVisible) : title(windowTitle), visible(startVisible)
{
    ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread = CreateThread(nullptr, 0, ThreadProcedure, this, 0, &threadId);
    WaitForSingleObject(ready, 10000);
}

TitledWindow::~TitledWindow()
{
    if (thread != nullptr) {
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
    }
    CloseHandle(ready);
}

DWORD WINAPI TitledWindow::ThreadProcedure(void* parameter)
{
    auto* self = static_cast<TitledWindow*>(parameter);
    self->window = CreateWindowExW(0, L"Static", self->title.c_str(), WS_OVERLAPPED | (self->visible ? WS_VISIBLE : 0),
                                   10, 10, 200, 80, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread has a queue before anyone posts to it
    SetEvent(self->ready);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DestroyWindow(self->window);
    return 0;
}

} // namespace e2e
