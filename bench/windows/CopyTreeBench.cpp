// Runs the folder copy (the "dircopy" command's algorithm on the Win32 file system) once and
// prints how long it took. bench/run-copy-wine.sh runs it under Wine beside xcopy.
//   CopyTreeBench.exe <source folder> <target folder> [threads]
// `threads` is the command's attribute of that name (files copied at once, 1 by default).
#include "commands/InstallState.h"
#include "commands/FileSystemWin32.h"
#include "commands/FolderCommands.h"

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: CopyTreeBench <source folder> <target folder> [threads]\n");
        return 2;
    }
    const int threads = argc == 4 ? static_cast<int>(std::wcstol(argv[3], nullptr, 10)) : 1;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    FileSystemWin32 fileSystem;
    InstallProgress progress;
    CopyFolderTreeWithThreads(fileSystem, progress, argv[1], argv[2], threads);
    QueryPerformanceCounter(&end);
    std::printf("copied %llu of %llu bytes with %d thread(s) in %.1f ms\n",
                static_cast<unsigned long long>(progress.Snapshot().commandBytesDone),
                static_cast<unsigned long long>(progress.Snapshot().commandBytesTotal), threads,
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    return 0;
}
