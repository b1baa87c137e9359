// The folder commands over the FileSystem interface. Each builds the same file set (the source
// folder's own entry, then everything beneath it in ascending path order, so every folder comes
// before its content) and works through it: copy and move from the front, delete and the
// move's clean-up from the back. Results of single file-system calls are not reported: a step
// that fails leaves that one thing undone and the command goes on.
#include "commands/FolderCommands.h"

#include "app/InstallState.h"
#include "commands/FileSet.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool EndsWithSeparator(const std::wstring& path)
{
    return !path.empty() && IsSeparator(path.back());
}

// The folder text the walk starts from: the source with exactly one separator after it.
std::wstring ScanRoot(const std::wstring& folder)
{
    return EndsWithSeparator(folder) ? folder : folder + L"\\";
}

std::wstring WithoutTrailingSeparators(const std::wstring& path)
{
    size_t end = path.size();
    while (end > 0 && IsSeparator(path[end - 1]))
        --end;
    return path.substr(0, end);
}

// base + "\" + tail, without doubling the separator between them.
std::wstring JoinPath(const std::wstring& base, const std::wstring& tail)
{
    size_t start = 0;
    while (start < tail.size() && IsSeparator(tail[start]))
        ++start;
    if (start == tail.size())
        return base;
    std::wstring joined = WithoutTrailingSeparators(base);
    joined.reserve(joined.size() + 1 + tail.size() - start);
    joined.push_back(L'\\');
    joined.append(tail, start, std::wstring::npos);
    return joined;
}

// A drive or share root, or the current drive's root ("\"): what delete and move refuse.
bool NamesARoot(const std::wstring& path)
{
    const std::wstring trimmed = WithoutTrailingSeparators(path);
    if (trimmed.empty())
        return true;
    if (trimmed.size() == 2 && trimmed[1] == L':')
        return true;
    if (trimmed.size() > 2 && IsSeparator(trimmed[0]) && IsSeparator(trimmed[1])) {
        // \\server\share: at most two names after the leading pair
        size_t names = 0;
        bool inName = false;
        for (size_t i = 2; i < trimmed.size(); ++i) {
            if (!IsSeparator(trimmed[i]) && !inName)
                ++names;
            inName = !IsSeparator(trimmed[i]);
        }
        return names <= 2;
    }
    return false;
}

std::wstring ParentOf(const std::wstring& path)
{
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

// The commands' shared preparation: the file set and where each entry goes.
class FolderTransfer
{
public:
    FolderTransfer(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                   const std::wstring& target, bool enterRootLink)
        : fileSystem(fileSystem), progress(progress), source(source)
    {
        set.AddPath(fileSystem, source, InsertOrder::PathAscending);
        rootFound = !set[0].path.empty();
        // Without an entry of its own (a trailing separator, a drive root) the content lands
        // directly in the target.
        destinationRoot = rootFound ? JoinPath(target, set[0].GetFileName()) : target;
        if (enterRootLink || !set[0].IsFolderLink())
            set.Scan(fileSystem, ScanRoot(source), L"*.*", true, InsertOrder::PathAscending, true);
        uint64_t total = 0;
        for (const FileEntry& entry : set.Entries())
            total += entry.size;
        progress.commandBytesTotal = total;
    }

    // A destination that is the source itself: every step would work on the source's own files.
    bool DestinationIsSource() const
    {
        return SamePathText(destinationRoot, source) || fileSystem.SameObject(destinationRoot, source);
    }

    // Where set[index] goes; empty for an entry that is not under the source.
    std::wstring DestinationOf(size_t index) const
    {
        const FileEntry& entry = set[index];
        if (index == 0 && rootFound)
            return destinationRoot;
        if (entry.path.size() <= source.size() || entry.path.compare(0, source.size(), source) != 0)
            return std::wstring();
        return JoinPath(destinationRoot, entry.path.substr(source.size()));
    }

    // Creates the folder unless this command already has; returns whether this command
    // created it (then nothing in it predates the command).
    bool PrepareFolder(const std::wstring& folder)
    {
        const std::wstring key = WithoutTrailingSeparators(folder);
        if (key == lastFolder)
            return lastFolderIsNew;
        auto found = preparedFolders.find(key);
        if (found == preparedFolders.end())
            found = preparedFolders.emplace(key, fileSystem.CreateFolderTree(key)).first;
        lastFolder = key;
        lastFolderIsNew = found->second;
        return lastFolderIsNew;
    }

    FileSystem& fileSystem;
    InstallProgress& progress;
    const std::wstring source;
    FileSet set;
    bool rootFound = false;
    std::wstring destinationRoot;

private:
    std::unordered_map<std::wstring, bool> preparedFolders;
    std::wstring lastFolder;
    bool lastFolderIsNew = false;
};

} // namespace

float PercentOf(uint64_t part, uint64_t whole)
{
    if (whole == 0)
        return 0.0f;
    const double percent = static_cast<double>(part) * 100.0 / static_cast<double>(whole);
    return static_cast<float>(percent > 100.0 ? 100.0 : percent);
}

uint32_t CopyProgress(InstallProgress& progress, uint64_t totalFileSize, uint64_t totalBytesTransferred,
                      uint32_t callbackReason)
{
    constexpr uint32_t kChunkFinished = 0; // CALLBACK_CHUNK_FINISHED
    constexpr uint32_t kContinue = 0;      // PROGRESS_CONTINUE
    if (callbackReason != kChunkFinished)
        return kContinue;
    progress.fileBytesDone = totalBytesTransferred;
    progress.fileBytesTotal = totalFileSize;
    const uint64_t commandDone = progress.finishedFilesBytes.load() + totalBytesTransferred;
    progress.commandBytesDone = commandDone;
    progress.filePercent = PercentOf(totalBytesTransferred, totalFileSize);
    progress.commandPercent = PercentOf(commandDone, progress.commandBytesTotal.load());
    return kContinue;
}

bool SamePathText(const std::wstring& a, const std::wstring& b)
{
    const auto canonical = [](const std::wstring& path) {
        std::vector<std::wstring> parts;
        std::wstring part;
        const auto flush = [&]() {
            if (part == L"..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (!part.empty() && part != L".") {
                parts.push_back(part);
            }
            part.clear();
        };
        for (wchar_t c : path) {
            if (IsSeparator(c))
                flush();
            else
                part.push_back((c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c);
        }
        flush();
        std::wstring joined = !path.empty() && IsSeparator(path[0]) ? L"\\" : L"";
        for (const std::wstring& p : parts)
            joined.append(p).push_back(L'\\');
        return joined;
    };
    return canonical(a) == canonical(b);
}

void CopyFolderTree(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                    const std::wstring& target)
{
    progress.ResetByteCounters();
    if (source.empty() || target.empty())
        return; // an empty text would put the walk or the copies at the current drive's root
    FolderTransfer transfer(fileSystem, progress, source, target, true);
    if (transfer.DestinationIsSource())
        return;
    transfer.PrepareFolder(target);

    const FileSet& set = transfer.set;
    for (size_t i = 0; i < set.Size(); ++i) {
        const FileEntry& entry = set[i];
        const std::wstring destination = transfer.DestinationOf(i);
        if (!destination.empty()) {
            const bool inNewFolder = transfer.PrepareFolder(ParentOf(destination));
            progress.SetCurrentFileName(entry.GetFileName());
            if (entry.IsFolder()) {
                // Folders come into being as the parents of what they hold; one that was
                // already there gets normal attributes.
                if (!inNewFolder)
                    fileSystem.SetAttributes(destination, FileAttribute::Normal);
            } else {
                // The copy itself replaces an existing file (read-only cleared first), so a
                // failed copy leaves the previous file in place.
                if (!inNewFolder)
                    fileSystem.SetAttributes(destination, FileAttribute::Normal);
                fileSystem.CopyOneFile(entry.path, destination, &progress);
                fileSystem.SetAttributes(destination, FileAttribute::Normal);
            }
        }
        progress.finishedFilesBytes += entry.size;
    }
}

void MoveFolderTree(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                    const std::wstring& target)
{
    progress.ResetByteCounters();
    if (source.empty() || target.empty() || NamesARoot(source))
        return; // an empty text would move the current drive's root content, and so would a root
    // A source that is itself a folder link is moved as a link, never emptied through it.
    FolderTransfer transfer(fileSystem, progress, source, target, false);
    if (transfer.DestinationIsSource())
        return;
    transfer.PrepareFolder(target);

    // Folders renamed whole in this command: what lay beneath them has travelled along, and
    // their source paths must not be touched again.
    std::unordered_set<std::wstring> movedFolders;
    const auto travelledAlong = [&movedFolders](const std::wstring& path) {
        if (movedFolders.empty())
            return false;
        for (size_t cut = path.find_last_of(L"\\/"); cut != std::wstring::npos && cut > 0;
             cut = path.find_last_of(L"\\/", cut - 1)) {
            if (movedFolders.count(path.substr(0, cut)) != 0)
                return true;
        }
        return false;
    };

    const FileSet& set = transfer.set;
    for (size_t i = 0; i < set.Size(); ++i) {
        const FileEntry& entry = set[i];
        const std::wstring destination = transfer.DestinationOf(i);
        if (!destination.empty()) {
            progress.SetCurrentFileName(entry.GetFileName());
            if (travelledAlong(entry.path)) {
                fileSystem.SetAttributes(destination, FileAttribute::Normal); // arrived with its folder
            } else {
                const bool inNewFolder = transfer.PrepareFolder(ParentOf(destination));
                if (entry.IsFolder()) {
                    // One rename takes the whole folder along where it can (same volume, nothing
                    // there yet); otherwise its content follows entry by entry.
                    if (fileSystem.MoveOneFile(entry.path, destination, MoveFlag::CopyAllowed, &progress))
                        movedFolders.insert(entry.path);
                } else {
                    if (!inNewFolder)
                        fileSystem.SetAttributes(destination, FileAttribute::Normal);
                    fileSystem.MoveOneFile(entry.path, destination,
                                           MoveFlag::ReplaceExisting | MoveFlag::CopyAllowed, &progress);
                }
                fileSystem.SetAttributes(destination, FileAttribute::Normal);
            }
        }
        progress.finishedFilesBytes += entry.size;
    }

    // Remove the folders the moves have emptied, deepest first. Folder links that stayed
    // behind are left as they are.
    for (size_t i = set.Size(); i-- > 0;) {
        const FileEntry& entry = set[i];
        if (entry.path.empty() || !entry.IsFolder() || entry.IsFolderLink())
            continue;
        if (movedFolders.count(entry.path) != 0 || travelledAlong(entry.path))
            continue;
        fileSystem.RemoveFolder(entry.path);
    }
    const bool rootGone = transfer.rootFound && movedFolders.count(set[0].path) != 0;
    if (!rootGone && !set[0].IsFolderLink())
        fileSystem.RemoveFolder(ScanRoot(source)); // also when the source had no entry of its own
}

void DeleteFolderTree(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& folder)
{
    progress.ResetByteCounters();
    if (folder.empty() || NamesARoot(folder))
        return; // an empty text would delete at the current drive's root; a root is never deleted
    FileSet set;
    set.AddPath(fileSystem, folder, InsertOrder::PathAscending);
    // A folder that is itself a link loses only the link.
    if (!set[0].IsFolderLink())
        set.Scan(fileSystem, ScanRoot(folder), L"*.*", true, InsertOrder::PathAscending, true);

    for (size_t i = set.Size(); i-- > 0;) {
        const FileEntry& entry = set[i];
        if (entry.path.empty())
            continue; // nothing was found for the folder itself
        progress.SetCurrentFileName(entry.GetFileName());
        if (entry.IsFolderLink()) {
            // Removing the link leaves its target alone; resetting its attributes would not.
            fileSystem.RemoveFolder(entry.path);
            continue;
        }
        fileSystem.SetAttributes(entry.path, FileAttribute::Normal);
        if (entry.IsFolder())
            fileSystem.RemoveFolder(entry.path);
        else
            fileSystem.RemoveFile(entry.path);
    }
}
