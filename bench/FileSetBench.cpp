// Building a file set (the folder commands' recipe: the folder itself, then a recursive walk in
// ascending path order) against a plain recursive enumeration of the same tree, through the
// same FileSystem interface, on real trees of 10 000, 100 000 and 1 000 000 entries in tmpfs.
// bench/run-fileset.sh prints the ratio of the two for each size.
#include "PosixFileSystem.h"

#include "commands/FileSet.h"
#include "xml/WideBytes.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string benchRoot;

// A tree of `entries` entries: folders of 10 files, 30 subfolders per top folder.
std::string MakeTree(size_t entries)
{
    const std::string root = benchRoot + "/n" + std::to_string(entries);
    mkdir(root.c_str(), 0755);
    size_t made = 0;
    char name[64];
    for (int top = 0; made < entries; ++top) {
        std::snprintf(name, sizeof name, "/Dir%04d", top);
        const std::string topFolder = root + name;
        mkdir(topFolder.c_str(), 0755);
        ++made;
        for (int sub = 0; sub <= 30 && made < entries; ++sub) {
            std::string folder = topFolder;
            if (sub > 0) {
                std::snprintf(name, sizeof name, "/sub_%02d", sub);
                folder += name;
                mkdir(folder.c_str(), 0755);
                ++made;
            }
            for (int file = 0; file < 10 && made < entries; ++file) {
                std::snprintf(name, sizeof name, "/%s%03d.txt", (file % 2) ? "File" : "file", file);
                const int fd = open((folder + name).c_str(), O_CREAT | O_WRONLY, 0644);
                if (fd >= 0) {
                    if (file == 0 && ftruncate(fd, 1234) != 0) {
                    }
                    close(fd);
                }
                ++made;
            }
        }
    }
    return root;
}

size_t CountTree(FileSystem& fileSystem, const std::wstring& folder)
{
    size_t count = 0;
    fileSystem.Enumerate(folder + L"*", [&](const FoundFile& found) {
        if (found.name == L"." || found.name == L"..")
            return true;
        ++count;
        if (found.attributes & FileAttribute::Directory)
            count += CountTree(fileSystem, folder + std::wstring(found.name) + L"\\");
        return true;
    });
    return count;
}

void PlainEnumeration(benchmark::State& state, std::wstring root)
{
    PosixFileSystem fileSystem;
    size_t count = 0;
    for (auto _ : state) {
        count = CountTree(fileSystem, root + L"\\");
        benchmark::DoNotOptimize(count);
    }
    state.counters["entries"] = static_cast<double>(count);
}

void BuildFileSet(benchmark::State& state, std::wstring root)
{
    PosixFileSystem fileSystem;
    size_t count = 0;
    {
        // Untimed first build: the heap's first touch of fresh pages is a cost of the process,
        // not of the walk, and in a virtual machine it can exceed the walk itself.
        FileSet warm;
        warm.AddPath(fileSystem, root, InsertOrder::PathAscending);
        warm.Scan(fileSystem, root + L"\\", L"*.*", true, InsertOrder::PathAscending, true);
    }
    for (auto _ : state) {
        auto set = std::make_unique<FileSet>();
        set->AddPath(fileSystem, root, InsertOrder::PathAscending);
        set->Scan(fileSystem, root + L"\\", L"*.*", true, InsertOrder::PathAscending, true);
        count = set->Size();
        benchmark::DoNotOptimize(set.get());
        state.PauseTiming(); // freeing the set is not part of building it
        set.reset();
        state.ResumeTiming();
    }
    state.counters["entries"] = static_cast<double>(count);
}

// For scale: the one-by-one ordered insert the walk replaces, on the smallest tree only.
void LinearInserts(benchmark::State& state, std::wstring root)
{
    PosixFileSystem fileSystem;
    for (auto _ : state) {
        FileSet collected;
        collected.Scan(fileSystem, root + L"\\", L"*.*", true, InsertOrder::Append, true);
        FileSet set;
        for (const FileEntry& entry : collected.Entries())
            set.Insert(entry, InsertOrder::PathAscending);
        benchmark::DoNotOptimize(set);
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // Keep freed memory in the process between builds (see BuildFileSet).
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    const char* base = std::getenv("VARNEKITE_BENCH_DIR");
    benchRoot = std::string(base != nullptr ? base : "/dev/shm") + "/vk-fileset-bench-" + std::to_string(getpid());
    mkdir(benchRoot.c_str(), 0755);
    const auto started = std::chrono::steady_clock::now();
    std::vector<std::wstring> roots;
    for (size_t entries : {10000, 100000, 1000000})
        roots.push_back(WidenBytes(MakeTree(entries)));
    std::fprintf(stderr, "trees made in %.1f s\n",
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    size_t treeIndex = 0;
    for (size_t entries : {10000, 100000, 1000000}) {
        const std::wstring root = roots[treeIndex++];
        const std::string suffix = "/" + std::to_string(entries);
        auto* plain = benchmark::RegisterBenchmark(("PlainEnumeration" + suffix).c_str(), PlainEnumeration, root);
        auto* build = benchmark::RegisterBenchmark(("BuildFileSet" + suffix).c_str(), BuildFileSet, root);
        for (auto* bench : {plain, build}) {
            bench->Unit(benchmark::kMillisecond);
            if (entries >= 1000000)
                bench->Iterations(1);
            else
                bench->MinTime(0.2);
        }
        if (entries == 10000)
            benchmark::RegisterBenchmark(("LinearInserts" + suffix).c_str(), LinearInserts, root)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(2);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(benchRoot, ignored);
    return 0;
}
