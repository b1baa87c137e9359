// A read-only FileSystem over POSIX folders for the native benchmarks: it enumerates real trees
// (on tmpfs, say) with a find-data-like record per name (attributes and size from one lstat),
// so the walk is measured against real enumeration costs. Paths may use "\" or "/".
#pragma once

#include "commands/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <string>

class PosixFileSystem : public FileSystem
{
public:
    bool Enumerate(const std::wstring& pattern, const Visitor& visit) override
    {
        const std::string narrow = Narrow(pattern);
        const size_t cut = narrow.rfind('/');
        const std::string last = cut == std::string::npos ? narrow : narrow.substr(cut + 1);
        if (last.empty())
            return false;
        if (last != "*" && last != "*.*") {
            struct stat info;
            if (lstat(narrow.c_str(), &info) != 0)
                return false;
            Report(last.c_str(), info, visit);
            return true;
        }
        const std::string folder = cut == std::string::npos ? "." : narrow.substr(0, cut + 1);
        DIR* dir = opendir(folder.c_str());
        if (dir == nullptr)
            return false;
        const int fd = dirfd(dir);
        while (dirent* entry = readdir(dir)) {
            struct stat info;
            if (fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (!Report(entry->d_name, info, visit))
                break;
        }
        closedir(dir);
        return true;
    }

    bool SetAttributes(const std::wstring&, uint32_t) override { return false; }
    bool RemoveFile(const std::wstring&) override { return false; }
    bool RemoveFolder(const std::wstring&) override { return false; }
    bool CreateFolderTree(const std::wstring&) override { return false; }
    bool CopyOneFile(const std::wstring&, const std::wstring&, ChunkListener*) override { return false; }
    bool MoveOneFile(const std::wstring&, const std::wstring&, uint32_t, ChunkListener*) override { return false; }
    bool Identify(const std::wstring&, FileIdentity&) override { return false; }
    std::wstring FinalPath(const std::wstring&) override { return std::wstring(); }
    bool SameName(std::wstring_view a, std::wstring_view b) override { return a == b; }
    std::wstring FullPath(const std::wstring& path) override { return path; }
    std::unique_ptr<FolderHold> HoldFolder(const std::wstring&) override { return nullptr; }

private:
    static std::string Narrow(const std::wstring& path)
    {
        std::string narrow;
        narrow.reserve(path.size());
        for (wchar_t c : path)
            narrow.push_back(c == L'\\' ? '/' : static_cast<char>(c)); // the benchmark's names are ASCII
        return narrow;
    }

    bool Report(const char* name, const struct stat& info, const Visitor& visit)
    {
        nameBuffer.clear();
        for (const char* c = name; *c != '\0'; ++c)
            nameBuffer.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
        FoundFile found;
        found.name = nameBuffer;
        if (S_ISDIR(info.st_mode)) {
            found.attributes = FileAttribute::Directory;
        } else {
            found.attributes = S_ISLNK(info.st_mode) ? FileAttribute::ReparsePoint : FileAttribute::Archive;
            found.size = static_cast<uint64_t>(info.st_size);
        }
        return visit(found);
    }

    std::wstring nameBuffer;
};
