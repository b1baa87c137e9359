// What the run log costs a copy: the "dircopy" run callback (the installer's own, with its
// counts and failures going to the log) on a tree of small files, with the log on and off in
// alternating rounds; prints the median of each and their ratio. bench/run-log-cost.sh runs it
// under Wine.
//   RunLogCostBench.exe <work folder> [files] [rounds]
#include "app/RunLogFileWin32.h"
#include "commands/FileSystemWin32.h"
#include "commands/FolderCommands.h"
#include "commands/InstallState.h"
#include "commands/RunCallbacks.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: RunLogCostBench <work folder> [files] [rounds]\n");
        return 2;
    }
    const std::wstring work = argv[1];
    const int files = argc > 2 ? static_cast<int>(std::wcstol(argv[2], nullptr, 10)) : 20000;
    const int rounds = argc > 3 ? static_cast<int>(std::wcstol(argv[3], nullptr, 10)) : 5;
    const std::wstring source = work + L"\\src";
    FileSystemWin32 fileSystem;
    fileSystem.CreateFolderTree(source);
    for (int i = 0; i < files; ++i) {
        const std::wstring folder = source + L"\\d" + std::to_wstring(i / 10);
        if (i % 10 == 0)
            CreateDirectoryW(folder.c_str(), nullptr);
        HANDLE file = CreateFileW((folder + L"\\f" + std::to_wstring(i) + L".txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, "0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789",
                  100, &written, nullptr);
        CloseHandle(file);
    }

    std::vector<double> withLog;
    std::vector<double> without;
    for (int round = 0; round < 2 * rounds; ++round) {
        // Alternating, and each side first in every other pair, so neither always follows the other.
        const bool logged = (round % 2 == 0) == (round / 2 % 2 == 0);
        InstallState state;
        state.fileSystem = &fileSystem;
        InstallCommand copy;
        copy.SetCommandName(L"dircopy");
        copy.arguments = {source, work + L"\\dst"};
        state.settings.commands = {copy};
        state.outcomes.resize(1);
        RunLogFile log;
        if (logged) {
            log.Open(work + L"\\run.log");
            state.log = &log;
        }
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        state.Log(L"command 1 dircopy started");
        RunDirCopy(state, 0);
        state.Log(L"command 1 dircopy ended: " + state.outcomes[0].summary);
        QueryPerformanceCounter(&end);
        (logged ? withLog : without).push_back(Milliseconds(start, end));
        InstallProgress progress;
        DeleteFolderTree(fileSystem, progress, work + L"\\dst");
    }
    const double on = Median(withLog);
    const double off = Median(without);
    std::printf("copy of %d files of 100 bytes, median of %d rounds each: log on %.1f ms, log off %.1f ms, "
                "ratio on/off %.3f (target: at most 1.05)\n",
                files, rounds, on, off, on / off);
    InstallProgress progress;
    DeleteFolderTree(fileSystem, progress, work);
    return 0;
}
