// A small helper program the end-to-end tests start through execute commands:
//   MarkerWriter append <file> <text>            appends one line to a file (the order of runs)
//   MarkerWriter hold <release file> <max ms>    waits until the release file exists (or the time is up)
//   MarkerWriter sleep <ms>                      waits a fixed time
//   MarkerWriter exit <code>                     ends with that exit code
//   MarkerWriter cwd <file>                      appends "cwd=<its current folder>"
//   MarkerWriter later <ms> <file> <text>        waits, then appends the text
//   MarkerWriter spawn <ms> <file> <text>        starts "later <ms> <file> <text>" and ends at
//                                                once: a setup program that relaunches itself
//   MarkerWriter tree <file> <ms>                starts "sleep <ms>", appends "pid=<its id>" and
//                                                "pid=<the child's id>", then waits <ms> itself: a
//                                                program that hangs with a child that hangs too
//   MarkerWriter countdown <file> <codes>        appends "run" and ends with the code of the run it
//                                                is (codes separated by commas, the last for every
//                                                run after): a program busy for a while
//   MarkerWriter showstate <file>                appends "show=<n>", the show command it was started with
//   MarkerWriter parent <title> <file> <command line>
//                                                a setup program that starts Varnekite and waits for
//                                                it: shows a window titled <title>, runs the command
//                                                line and waits for it without pumping messages,
//                                                then appends "exit=<code>" to <file>
// It exits with 0 (or the code asked for), 1 when it cannot do its work, 2 on a usage error.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

bool AppendLine(const wchar_t* path, const wchar_t* text)
{
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string line;
    for (const wchar_t* c = text; *c != 0; ++c)
        line.push_back(static_cast<char>(*c)); // the tests write ASCII markers
    line.push_back('\n');
    DWORD written = 0;
    const bool ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) != FALSE;
    CloseHandle(file);
    return ok;
}

// The lines the file holds; 0 when it is not there.
int LineCount(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int lines = 0;
    char buffer[512];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        for (DWORD i = 0; i < read; ++i)
            lines += buffer[i] == '\n' ? 1 : 0;
    CloseHandle(file);
    return lines;
}

// The code of run `run` (0 first) in a list separated by commas; the last for every run after.
int CodeOfRun(const wchar_t* codes, int run)
{
    const wchar_t* at = codes;
    for (int i = 0; i < run; ++i) {
        const wchar_t* comma = wcschr(at, L',');
        if (comma == nullptr)
            break;
        at = comma + 1;
    }
    return static_cast<int>(wcstoul(at, nullptr, 10));
}

void Hold(const wchar_t* releasePath, DWORD maxMilliseconds)
{
    const ULONGLONG deadline = GetTickCount64() + maxMilliseconds;
    while (GetFileAttributesW(releasePath) == INVALID_FILE_ATTRIBUTES && GetTickCount64() < deadline)
        Sleep(20);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 4 && wcscmp(argv[1], L"append") == 0)
        return AppendLine(argv[2], argv[3]) ? 0 : 1;
    if (argc == 4 && wcscmp(argv[1], L"hold") == 0) {
        Hold(argv[2], static_cast<DWORD>(wcstoul(argv[3], nullptr, 10)));
        return 0;
    }
    if (argc == 3 && wcscmp(argv[1], L"showstate") == 0) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        GetStartupInfoW(&startup);
        const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
        return AppendLine(argv[2], (L"show=" + std::to_wstring(show)).c_str()) ? 0 : 1;
    }
    if (argc == 5 && wcscmp(argv[1], L"parent") == 0) {
        HWND window = CreateWindowExW(0, L"Static", argv[2], WS_OVERLAPPED | WS_VISIBLE, 20, 20, 240, 90, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION child = {};
        std::wstring commandLine = argv[4];
        if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
            return 1;
        // Blocks without a message loop, as setup programs waiting on a child often do.
        WaitForSingleObject(child.hProcess, 120000);
        DWORD code = 0;
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        DestroyWindow(window);
        return AppendLine(argv[3], (L"exit=" + std::to_wstring(code)).c_str()) ? 0 : 1;
    }
    if (argc == 4 && wcscmp(argv[1], L"tree") == 0) {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring commandLine = std::wstring(L"\"") + self + L"\" sleep " + argv[3];
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION child = {};
        if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
            return 1;
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        if (!AppendLine(argv[2], (L"pid=" + std::to_wstring(GetCurrentProcessId())).c_str()) ||
            !AppendLine(argv[2], (L"pid=" + std::to_wstring(child.dwProcessId)).c_str()))
            return 1;
        Sleep(static_cast<DWORD>(wcstoul(argv[3], nullptr, 10)));
        return 0;
    }
    if (argc == 4 && wcscmp(argv[1], L"countdown") == 0) {
        const int run = LineCount(argv[2]);
        if (!AppendLine(argv[2], L"run"))
            return 1;
        return CodeOfRun(argv[3], run);
    }
    if (argc == 3 && wcscmp(argv[1], L"sleep") == 0) {
        Sleep(static_cast<DWORD>(wcstoul(argv[2], nullptr, 10)));
        return 0;
    }
    if (argc == 3 && wcscmp(argv[1], L"exit") == 0)
        return static_cast<int>(wcstoul(argv[2], nullptr, 10));
    if (argc == 3 && wcscmp(argv[1], L"cwd") == 0) {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        return AppendLine(argv[2], (std::wstring(L"cwd=") + folder).c_str()) ? 0 : 1;
    }
    if (argc == 5 && wcscmp(argv[1], L"later") == 0) {
        Sleep(static_cast<DWORD>(wcstoul(argv[2], nullptr, 10)));
        return AppendLine(argv[3], argv[4]) ? 0 : 1;
    }
    if (argc == 5 && wcscmp(argv[1], L"spawn") == 0) {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring commandLine = std::wstring(L"\"") + self + L"\" later " + argv[2] + L" \"" + argv[3] + L"\" \"" +
                                   argv[4] + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION child = {};
        if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
            return 1;
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        return 0;
    }
    return 2;
}
