// The folder commands over the FileSystem interface. Each resolves its paths first (absolute
// and normal, the way the platform resolves them), looks the named folder up on its own and
// lists everything beneath it in ascending path order, so every folder comes before its
// content; copy and move work from the front, delete and the move's clean-up from the back.
// Results of single file-system calls are not reported: a step that fails leaves that one
// thing undone and the command goes on.
#include "commands/FolderCommands.h"

#include "commands/InstallState.h"
#include "commands/CopyPool.h"
#include "commands/FileSet.h"
#include "commands/FolderPaths.h"
#include "xml/AsciiText.h"

#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

// The attribute bits a reset to Normal takes away, archive apart (every new or rewritten file
// carries that one). An entry the listing shows without any of them needs no reset: that
// saves a call per file, where the calls are most of a small file's cost.
constexpr uint32_t kResettable = FileAttribute::ReadOnly | FileAttribute::Hidden | FileAttribute::System |
                                 FileAttribute::Temporary | FileAttribute::Offline |
                                 FileAttribute::NotContentIndexed;

bool NeedsReset(uint32_t attributes)
{
    return (attributes & kResettable) != 0;
}

// A name as the destination listings are looked up by: ASCII letters folded, as the platform
// compares names (it folds more; a name it folds and this does not is caught by the retry
// after a failed replacement).
std::wstring FoldedName(std::wstring_view name)
{
    std::wstring folded(name);
    for (wchar_t& c : folded)
        c = FoldAscii(c);
    return folded;
}

// What is at an entry's destination before it goes there, as far as the command knows.
struct Arrival
{
    bool folderIsNew = false;    // this command created the folder: nothing there predates it
    bool replacesMarked = false; // an entry already there carries bits a reset takes away
};

// Replaces whatever file is at `destination` with `replace` (a copy or a move of `entry`), so
// that a failed replacement leaves the previous file in place. A read-only or hidden file
// there refuses to be replaced until its attributes are reset: done first where the folder's
// listing showed such bits, and once after a failure in a folder that was there before (bits
// set since the listing, or a name spelled in another case than the listing could match).
// What arrives loses the bits its source carried, also where a move across volumes copied the
// file but could not delete its source.
// The outcome counts the file, or its failure with the system's reason for the last attempt.
template <typename Replace>
void ReplaceFile(FileSystem& fileSystem, const FileEntry& entry, const std::wstring& destination,
                 const Arrival& arrival, FolderOutcome* outcome, Replace replace)
{
    if (arrival.replacesMarked)
        fileSystem.SetAttributes(destination, FileAttribute::Normal);
    bool replaced = replace();
    std::wstring reason = replaced || outcome == nullptr ? std::wstring() : fileSystem.FailureReason();
    if (!replaced && !arrival.folderIsNew && !arrival.replacesMarked &&
        fileSystem.SetAttributes(destination, FileAttribute::Normal)) {
        replaced = replace();
        if (!replaced && outcome != nullptr)
            reason = fileSystem.FailureReason();
    }
    if (NeedsReset(entry.attributes))
        fileSystem.SetAttributes(destination, FileAttribute::Normal);
    if (outcome == nullptr)
        return;
    if (replaced)
        outcome->Done(entry.size);
    else
        outcome->Failed(entry.path, reason);
}

// A refused command, or one entry the command left alone, told to the outcome if there is one.
void Refuse(FolderOutcome* outcome, const wchar_t* reason)
{
    if (outcome != nullptr)
        outcome->Refused(reason);
}
void LeftAlone(FolderOutcome* outcome, const std::wstring& path)
{
    if (outcome != nullptr)
        outcome->Failed(path, L"left alone: the folder is no longer the plain folder the command listed");
}

// The folder text the walk starts from: the folder with exactly one separator after it.
std::wstring ScanRoot(const std::wstring& folder)
{
    return EndsWithSeparator(folder) ? folder : folder + L"\\";
}

bool HasWildcards(const std::wstring& normalPath)
{
    return normalPath.find_first_of(L"*?", PathRootLength(normalPath)) != std::wstring::npos;
}

// A command's path as the platform resolves it, or empty when the command must not use it: an
// empty text (it would name the current drive's root), a path that does not resolve to an
// absolute one, or one with wildcards (it names no single folder).
std::wstring ResolvedPath(FileSystem& fileSystem, const std::wstring& text)
{
    if (text.empty())
        return std::wstring();
    std::wstring full = fileSystem.FullPath(text);
    const std::wstring normal = NormalizePath(full);
    if (full.empty() || PathRootLength(normal) == 0 || HasWildcards(normal))
        return std::wstring();
    return full;
}

// Whether delete and move may take the folder apart: not when the path resolves to a drive,
// share or device root, however it was written ("C:\x\..", "\\server\share\x\..",
// "\\?\C:\"), nor when the text itself names one ("C:", which Windows takes for the current
// folder on drive C: when there is one).
bool MayTakeApart(const std::wstring& text, const std::wstring& resolved)
{
    const std::wstring written = NormalizePath(text);
    return !resolved.empty() && !IsRootOrRelative(NormalizePath(resolved)) &&
           (PathRootLength(written) == 0 || !IsRootOrRelative(written));
}

bool IsPlainFolder(FileSystem& fileSystem, const std::wstring& path)
{
    return fileSystem.HoldFolder(std::wstring(WithoutTrailingSeparators(path))) != nullptr;
}

// The named folder's own entry. It is named exactly as the command names it, never as the
// listing spells it ("DRIVERS" typed, "drivers" on disk), so that it and everything listed
// beneath it share one spelling; `diskName` is the listing's name, which a copy takes on.
// A path ending in a separator names only the content: then nothing is looked up.
struct NamedFolder
{
    FileEntry entry;
    std::wstring diskName;
    bool found = false;
};

NamedFolder LookUp(FileSystem& fileSystem, const std::wstring& path)
{
    NamedFolder named;
    if (EndsWithSeparator(path))
        return named;
    fileSystem.Enumerate(path, [&named, &path](const FoundFile& found) {
        named.entry.path = path;
        named.entry.attributes = found.attributes;
        named.entry.size = found.size;
        named.diskName.assign(found.name);
        named.found = true;
        return false; // the first hit is the entry
    });
    return named;
}

// Holds every folder from the command's folder down to the one being worked in, each checked
// to be a plain folder when first held: a folder replaced by a link after the scan is not
// entered, and a held one cannot be swapped while its content is worked on. Entries come in
// path order, so the chain changes only at its end.
class FolderChain
{
public:
    FolderChain(FileSystem& fileSystem, std::unique_ptr<FolderHold> rootHold, const std::wstring& root)
        : fileSystem(fileSystem)
    {
        chain.emplace_back(std::wstring(WithoutTrailingSeparators(root)), std::move(rootHold));
    }

    // The holds of the chain as it stands, for work on its last folder that may outlast the
    // chain's next step (a move handed to another thread).
    std::vector<std::shared_ptr<FolderHold>> Holds() const
    {
        std::vector<std::shared_ptr<FolderHold>> holds;
        holds.reserve(chain.size());
        for (const auto& link : chain)
            holds.push_back(link.second);
        return holds;
    }

    // Holds the chain down to `folder` (the root or a folder below it); false when a folder on
    // the way is no longer a plain folder.
    bool Reach(std::wstring_view folder)
    {
        while (chain.size() > 1 && !IsWithinOrSame(folder, chain.back().first))
            chain.pop_back();
        if (!refused.empty() && IsWithinOrSame(folder, refused))
            return false;
        while (chain.back().first.size() < folder.size()) {
            const size_t next = folder.find_first_of(L"\\/", chain.back().first.size() + 1);
            std::wstring step(folder.substr(0, next));
            std::unique_ptr<FolderHold> hold = fileSystem.HoldFolder(step);
            if (hold == nullptr) {
                refused = std::move(step);
                return false;
            }
            chain.emplace_back(std::move(step), std::move(hold));
        }
        return true;
    }

    // Releases `folder` if it is held, and says whether it is still a plain folder.
    bool Leave(const std::wstring& folder)
    {
        return Reach(ParentPath(folder)) && fileSystem.HoldFolder(folder) != nullptr;
    }

private:
    // Same text as the listing made it, or below it: the entries share the root's spelling.
    static bool IsWithinOrSame(std::wstring_view path, std::wstring_view folder)
    {
        return path.compare(0, folder.size(), folder) == 0 &&
               (path.size() == folder.size() || IsPathSeparator(path[folder.size()]));
    }

    FileSystem& fileSystem;
    std::vector<std::pair<std::wstring, std::shared_ptr<FolderHold>>> chain;
    std::wstring refused; // the last folder that failed its check, with everything below it
};

// Copy and move's shared preparation: the resolved paths, the file set and where each entry goes.
class FolderTransfer
{
public:
    FolderTransfer(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& sourceText,
                   const std::wstring& targetText, bool enterRootLink)
        : fileSystem(fileSystem), progress(progress), source(ResolvedPath(fileSystem, sourceText)),
          target(ResolvedPath(fileSystem, targetText))
    {
        if (source.empty() || target.empty())
            return;
        root = LookUp(fileSystem, source);
        // Without an entry of its own (a trailing separator, a drive root) the content lands
        // directly in the target.
        destinationRoot = root.found ? JoinPath(target, root.diskName) : target;
        sourceBase = WithoutTrailingSeparators(source);
        if (enterRootLink || !root.entry.IsFolderLink())
            set.Scan(fileSystem, ScanRoot(source), L"*.*", true, InsertOrder::PathAscending, true);
        LeaveOutTheDestination();
        uint64_t total = root.entry.size;
        for (const FileEntry& entry : set.Entries())
            total += entry.size;
        progress.commandBytesTotal = total;
    }

    bool Usable() const { return !source.empty() && !target.empty(); }

    // Whether the copy or move goes ahead; the outcome hears why not. A missing source still
    // gets its target folder made, as it always has, and fails the outcome.
    bool MayGoAhead(FolderOutcome* outcome) const
    {
        if (!Usable()) {
            Refuse(outcome, L"refused: a path is empty, not absolute, or holds wildcards");
            return false;
        }
        if (DestinationIsSource()) {
            Refuse(outcome, L"refused: the destination is the source itself");
            return false;
        }
        if (!root.found && set.Entries().empty() && !EndsWithSeparator(source))
            Refuse(outcome, L"the source folder is not there");
        return true;
    }

    // A destination that is the source itself: every step would work on the source's own files.
    bool DestinationIsSource() const
    {
        return SameNormalPath(NormalizePath(destinationRoot), NormalizePath(source)) ||
               fileSystem.SameObject(destinationRoot, source);
    }

    // Where an entry of the set goes.
    std::wstring DestinationOf(const FileEntry& entry) const
    {
        return JoinPath(destinationRoot, std::wstring_view(entry.path).substr(sourceBase.size()));
    }

    // Creates the folder unless this command already has; says whether this command created
    // it (then nothing in it predates the command).
    bool PrepareFolder(std::wstring_view folder) { return Prepared(folder).created; }

    // Prepares the folder `destination` goes into and says what is already there.
    Arrival Prepare(const std::wstring& destination)
    {
        const std::wstring_view parent = ParentPath(destination);
        const DestinationFolder& folder = Prepared(parent);
        Arrival arrival;
        arrival.folderIsNew = folder.created;
        const std::wstring_view name = std::wstring_view(destination).substr(parent.size() + 1);
        arrival.replacesMarked = !folder.marked.empty() && folder.marked.count(FoldedName(name)) != 0;
        return arrival;
    }

    FileSystem& fileSystem;
    InstallProgress& progress;
    const std::wstring source;
    const std::wstring target;
    NamedFolder root;
    FileSet set; // everything beneath the source; its own entry is `root`
    std::wstring destinationRoot;

private:
    // A destination inside the source (C:\data into C:\data\backup) would otherwise be copied
    // into itself, one level deeper on every run, and a move would write the source's files
    // over an earlier run's backup before handling that backup itself.
    void LeaveOutTheDestination()
    {
        const std::wstring destination = NormalizePath(destinationRoot);
        if (!IsStrictlyInside(destination, NormalizePath(source)))
            return;
        set.EraseIf([&destination](const FileEntry& entry) {
            const std::wstring normal = NormalizePath(entry.path);
            return SameNormalPath(normal, destination) || IsStrictlyInside(normal, destination);
        });
    }

    // A destination folder as this command found it.
    struct DestinationFolder
    {
        bool created = false;                   // by this command: empty before it
        std::unordered_set<std::wstring> marked; // names (ASCII case folded) already there with resettable bits
    };

    const DestinationFolder& Prepared(std::wstring_view folder)
    {
        std::wstring key(WithoutTrailingSeparators(folder));
        if (lastFolder != nullptr && key == lastKey)
            return *lastFolder;
        auto found = preparedFolders.find(key);
        if (found == preparedFolders.end()) {
            DestinationFolder made;
            made.created = fileSystem.CreateFolderTree(key);
            // A folder that was there already is listed once: its entries' attributes decide
            // which replacements need a reset first, so no file costs a call of its own.
            if (!made.created)
                fileSystem.Enumerate(key + L"\\*", [&made](const FoundFile& found) {
                    if (NeedsReset(found.attributes) && found.name != L"." && found.name != L"..")
                        made.marked.insert(FoldedName(found.name));
                    return true;
                });
            found = preparedFolders.emplace(key, std::move(made)).first;
        }
        lastKey = std::move(key);
        lastFolder = &found->second; // map nodes stay where they are
        return *lastFolder;
    }

    std::wstring sourceBase; // the source without a trailing separator: every entry starts with it
    std::unordered_map<std::wstring, DestinationFolder> preparedFolders;
    std::wstring lastKey;
    const DestinationFolder* lastFolder = nullptr;
};

// Folders a move renamed whole: what lay beneath them has travelled along, and their source
// paths must not be touched again.
class RenamedFolders
{
public:
    void Add(const std::wstring& folder) { folders.insert(folder); }
    bool Renamed(const std::wstring& folder) const { return folders.count(folder) != 0; }
    // Whether `path` lay beneath a renamed folder.
    bool Carried(const std::wstring& path) const
    {
        if (folders.empty())
            return false;
        for (size_t cut = path.find_last_of(L"\\/"); cut != std::wstring::npos && cut > 0;
             cut = path.find_last_of(L"\\/", cut - 1)) {
            if (folders.count(path.substr(0, cut)) != 0)
                return true;
        }
        return false;
    }

private:
    std::unordered_set<std::wstring> folders;
};

// The move's clean-up: the source folders the moves have emptied go, deepest first. Folders
// renamed whole are gone already; folder links that stayed behind are left as they are.
void RemoveEmptiedFolders(FileSystem& fileSystem, const FileSet& set, const RenamedFolders& renamed)
{
    const std::vector<FileEntry>& entries = set.Entries();
    for (size_t i = entries.size(); i-- > 0;) {
        const FileEntry& entry = entries[i];
        if (entry.IsFolder() && !entry.IsFolderLink() && !renamed.Renamed(entry.path) && !renamed.Carried(entry.path))
            fileSystem.RemoveFolder(entry.path);
    }
}

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
    if (progress.slot != nullptr) {
        progress.slot->Chunk(totalFileSize, totalBytesTransferred);
        return kContinue;
    }
    progress.fileBytesDone = totalBytesTransferred;
    progress.fileBytesTotal = totalFileSize;
    const uint64_t commandDone = progress.finishedFilesBytes.load() + totalBytesTransferred;
    progress.commandBytesDone = commandDone;
    progress.filePercent = PercentOf(totalBytesTransferred, totalFileSize);
    progress.commandPercent = PercentOf(commandDone, progress.commandBytesTotal.load());
    return kContinue;
}

void CopyFolderTreeWithThreads(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                               const std::wstring& target, int threads, FolderOutcome* outcome)
{
    progress.ResetByteCounters();
    FolderTransfer transfer(fileSystem, progress, source, target, true);
    if (!transfer.MayGoAhead(outcome))
        return;
    transfer.PrepareFolder(transfer.target);

    CopyPool pool(progress, threads);
    const auto copy = [&](const FileEntry& entry, const std::wstring& destination) {
        const Arrival arrival = transfer.Prepare(destination);
        if (entry.IsFolder()) {
            // Folders come into being as the parents of what they hold; one that was already
            // there loses the attributes a reset takes away.
            pool.Show(entry.GetFileName());
            if (arrival.replacesMarked)
                fileSystem.SetAttributes(destination, FileAttribute::Normal);
            pool.Count(entry.size);
            return;
        }
        pool.Run(entry.GetFileName(), entry.size,
                 [&fileSystem, &entry, destination, arrival, outcome](InstallProgress& slot) {
                     ReplaceFile(fileSystem, entry, destination, arrival, outcome,
                                 [&]() { return fileSystem.CopyOneFile(entry.path, destination, &slot); });
                 });
    };
    if (transfer.root.found)
        copy(transfer.root.entry, transfer.destinationRoot);
    for (const FileEntry& entry : transfer.set.Entries())
        copy(entry, transfer.DestinationOf(entry));
}

void CopyFolderTree(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                    const std::wstring& target)
{
    CopyFolderTreeWithThreads(fileSystem, progress, source, target, 1, nullptr);
}

void MoveFolderTreeWithThreads(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                               const std::wstring& target, int threads, FolderOutcome* outcome)
{
    progress.ResetByteCounters();
    // A root is never taken apart, however it is written.
    if (!MayTakeApart(source, ResolvedPath(fileSystem, source)))
        return Refuse(outcome, L"refused: the source is a drive or share root, empty or not absolute");
    // A source that is itself a folder link is moved as a link, never emptied through it.
    FolderTransfer transfer(fileSystem, progress, source, target, false);
    if (!transfer.MayGoAhead(outcome))
        return;
    // Content named through a trailing separator is only taken from a plain folder.
    if (EndsWithSeparator(transfer.source) && !IsPlainFolder(fileSystem, transfer.source))
        return Refuse(outcome, L"refused: the source is not a plain folder");
    transfer.PrepareFolder(transfer.target);

    RenamedFolders renamed;
    std::optional<FolderChain> chain;
    std::optional<CopyPool> pool(std::in_place, progress, threads);
    const auto move = [&](const FileEntry& entry, const std::wstring& destination) {
        if (renamed.Carried(entry.path)) {
            pool->Show(entry.GetFileName());
            if (NeedsReset(entry.attributes)) // arrived with its folder, bits and all
                fileSystem.SetAttributes(destination, FileAttribute::Normal);
            pool->Count(entry.size);
            if (outcome != nullptr && !entry.IsFolder())
                outcome->Done(entry.size);
            return;
        }
        const Arrival arrival = transfer.Prepare(destination);
        if (entry.IsFolder()) {
            // One rename takes the whole folder along where it can (same volume, nothing there
            // yet); otherwise its content follows entry by entry, into a folder that was there
            // already (which loses its resettable bits) or one made for it.
            pool->Show(entry.GetFileName());
            if (fileSystem.MoveOneFile(entry.path, destination, MoveFlag::CopyAllowed, &progress)) {
                renamed.Add(entry.path);
                if (NeedsReset(entry.attributes))
                    fileSystem.SetAttributes(destination, FileAttribute::Normal);
            } else if (arrival.replacesMarked) {
                fileSystem.SetAttributes(destination, FileAttribute::Normal);
            }
            pool->Count(entry.size);
            return;
        }
        // The file's folders stay held until its move is over, wherever the walk is by then.
        auto holds = chain ? chain->Holds() : std::vector<std::shared_ptr<FolderHold>>();
        pool->Run(entry.GetFileName(), entry.size,
                  [&fileSystem, &entry, destination, arrival, outcome, holds = std::move(holds)](InstallProgress& slot) {
                      ReplaceFile(fileSystem, entry, destination, arrival, outcome, [&]() {
                          return fileSystem.MoveOneFile(entry.path, destination,
                                                        MoveFlag::ReplaceExisting | MoveFlag::CopyAllowed, &slot);
                      });
                  });
    };
    const NamedFolder& root = transfer.root;
    if (root.found)
        move(root.entry, transfer.destinationRoot);
    const bool rootGone = root.found && renamed.Renamed(root.entry.path);
    // What the root's move did not take along goes entry by entry, each from a folder held as
    // the plain folder the walk listed: a folder replaced by a link meanwhile is left alone.
    std::unique_ptr<FolderHold> rootHold =
        rootGone ? nullptr : fileSystem.HoldFolder(std::wstring(WithoutTrailingSeparators(transfer.source)));
    if (rootHold != nullptr)
        chain.emplace(fileSystem, std::move(rootHold), transfer.source);
    for (const FileEntry& entry : transfer.set.Entries()) {
        if (renamed.Carried(entry.path) || (chain && chain->Reach(ParentPath(entry.path)))) {
            move(entry, transfer.DestinationOf(entry));
        } else {
            pool->Count(entry.size);
            LeftAlone(outcome, entry.path);
        }
    }
    pool.reset(); // every file has moved or failed, and let go of its folders
    chain.reset(); // the emptied folders can go now

    RemoveEmptiedFolders(fileSystem, transfer.set, renamed);
    if (!rootGone && !root.entry.IsFolderLink())
        fileSystem.RemoveFolder(ScanRoot(transfer.source)); // also when the source had no entry of its own
}

void MoveFolderTree(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                    const std::wstring& target)
{
    MoveFolderTreeWithThreads(fileSystem, progress, source, target, 1, nullptr);
}

void DeleteFolderTree(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& folderText,
                      FolderOutcome* outcome)
{
    progress.ResetByteCounters();
    const std::wstring folder = ResolvedPath(fileSystem, folderText);
    if (!MayTakeApart(folderText, folder)) // an empty text would delete at the current drive's root
        return Refuse(outcome, L"refused: the folder is a drive or share root, empty or not absolute");
    const NamedFolder named = LookUp(fileSystem, folder);
    const auto removeOne = [&](const FileEntry& entry) {
        progress.SetCurrentFileName(entry.GetFileName());
        bool removed = false;
        if (entry.IsFolderLink()) {
            // Removing the link leaves its target alone; resetting its attributes would not.
            removed = fileSystem.RemoveFolder(entry.path);
        } else {
            fileSystem.SetAttributes(entry.path, FileAttribute::Normal);
            removed = entry.IsFolder() ? fileSystem.RemoveFolder(entry.path) : fileSystem.RemoveFile(entry.path);
        }
        if (outcome == nullptr)
            return;
        if (!removed)
            outcome->Failed(entry.path, fileSystem.FailureReason());
        else if (!entry.IsFolder())
            outcome->Done(entry.size);
    };
    if (named.found && (!named.entry.IsFolder() || named.entry.IsFolderLink())) {
        removeOne(named.entry); // a file, or a folder that is itself a link: it loses only the link
        return;
    }
    if (!named.found && !EndsWithSeparator(folder))
        return; // nothing there

    // The folder stays held while its content goes, and every folder below it while its own
    // content goes: a folder that is no longer the plain folder the walk listed is left alone.
    std::unique_ptr<FolderHold> rootHold = fileSystem.HoldFolder(std::wstring(WithoutTrailingSeparators(folder)));
    if (rootHold == nullptr)
        return;
    FileSet set;
    set.Scan(fileSystem, ScanRoot(folder), L"*.*", true, InsertOrder::PathAscending, true);
    {
        FolderChain chain(fileSystem, std::move(rootHold), folder);
        const std::vector<FileEntry>& entries = set.Entries();
        for (size_t i = entries.size(); i-- > 0;) {
            const FileEntry& entry = entries[i];
            const bool plainFolder = entry.IsFolder() && !entry.IsFolderLink();
            if (plainFolder ? !chain.Leave(entry.path) : !chain.Reach(ParentPath(entry.path))) {
                LeftAlone(outcome, entry.path);
                continue;
            }
            removeOne(entry);
        }
    }
    if (named.found)
        removeOne(named.entry);
}
