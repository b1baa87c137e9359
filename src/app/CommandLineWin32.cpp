#include "app/CommandLineWin32.h"

#include "app/ConfigurationErrorWin32.h"
#include "config/TextEncoding.h"

#include <windows.h>

const wchar_t kVersionText[] = L"Varnekite " VARNEKITE_VERSION L"\n";

namespace {

std::wstring WithCarriageReturns(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n')
            out.push_back(L'\r');
        out.push_back(c);
    }
    return out;
}

} // namespace

std::wstring StandardInputFile()
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE || GetFileType(input) != FILE_TYPE_DISK)
        return std::wstring();
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(input, &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
    if (length >= path.size()) {
        path.resize(length + 1);
        length = GetFinalPathNameByHandleW(input, &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
    }
    if (length == 0 || length >= path.size())
        return L"(a file whose name cannot be read)";
    path.resize(length);
    // "\\?\C:\x.xml" and "\\?\UNC\server\share\x.xml" as people write them.
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path.substr(4);
    return path;
}

void ShowText(const std::wstring& text, bool quiet)
{
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    const DWORD type = output == nullptr || output == INVALID_HANDLE_VALUE ? FILE_TYPE_UNKNOWN : GetFileType(output);
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
        const std::string bytes = EncodeUtf8(WithCarriageReturns(text));
        DWORD written = 0;
        WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        return;
    }
    // A GUI program has no console of its own: it writes on its starter's. The starting shell
    // does not wait for it, so the text begins on a line of its own after the prompt.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            const std::wstring lines = L"\r\n" + WithCarriageReturns(text);
            DWORD written = 0;
            WriteConsoleW(console, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
            CloseHandle(console);
        }
        FreeConsole();
        return;
    }
    if (!quiet && !NobodyCanAnswer())
        MessageBoxW(nullptr, text.c_str(), L"Varnekite", MB_OK | MB_ICONINFORMATION);
}
