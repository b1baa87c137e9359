// Runs the folder copy (the "dircopy" command's algorithm on the Win32 file system) once and
// prints how long it took. bench/run-copy-wine.sh runs it under Wine beside xcopy.
//   CopyTreeBench.exe <source folder> <target folder>
#include "commands/InstallState.h"
#include "commands/FileSystemWin32.h"
#include "commands/FolderCommands.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: CopyTreeBench <source folder> <target folder>\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    FileSystemWin32 fileSystem;
    InstallProgress progress;
    CopyFolderTree(fileSystem, progress, argv[1], argv[2]);
    QueryPerformanceCounter(&end);
    std::printf("copied %llu of %llu bytes in %.1f ms\n",
                static_cast<unsigned long long>(progress.finishedFilesBytes.load()),
                static_cast<unsigned long long>(progress.commandBytesTotal.load()),
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    return 0;
}
