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
#include "config/CommandRegistry.h"
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
void Refuse(FolderOutcome* outcome, const std::wstring& reason)
{
    if (outcome != nullptr)
        outcome->Refused(reason);
}
void LeftAlone(FolderOutcome* outcome, const std::wstring& path)
{
    if (outcome != nullptr)
        outcome->Failed(path, L"left alone: the folder is no longer the plain folder the command listed");
}
void PassedOver(FolderOutcome* outcome, const std::wstring& path, const wchar_t* reason)
{
    if (outcome != nullptr)
        outcome->PassedOver(path, reason);
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

// Why a path cannot be used, judged by its text alone: empty (it would name the current drive's
// root) or on whatever drive is current ("\\x", "C:x": what an empty variable leaves).
std::wstring TextRefusal(const std::wstring& text)
{
    if (text.empty())
        return L"refused: a path is empty";
    if (DependsOnCurrentDrive(text))
        return L"refused: \"" + text + L"\" names a folder on whatever drive is current (an empty variable "
                                       L"leaves such a path): write the drive";
    return std::wstring();
}

// A command's path as the platform resolves it, or empty with `refusal` saying why the command
// must not use it: an empty text (it would name the current drive's root), one on whatever
// drive is current ("\x", "C:x": what an empty variable leaves), one that does not resolve to
// an absolute path, or one with wildcards (it names no single folder). A "\\?\" path is taken
// exactly as written; the rules look at its normal form.
std::wstring ResolvedPath(FileSystem& fileSystem, const std::wstring& text, std::wstring& refusal)
{
    refusal = TextRefusal(text);
    if (!refusal.empty())
        return std::wstring();
    std::wstring full = IsExtendedPath(text) ? text : fileSystem.FullPath(text);
    const std::wstring normal = NormalizePath(full);
    if (full.empty() || PathRootLength(normal) == 0 || HasWildcards(normal)) {
        refusal = L"refused: \"" + text + L"\" is not absolute, or holds wildcards";
        return std::wstring();
    }
    return full;
}

// Whether delete and move may take the folder apart: not when the path resolves to a drive,
// share or device root, however it was written ("C:\x\..", "\\server\share\x\..",
// "\\?\C:\", "\\?\Global\C:\"), nor when the system's own final path for it is one (a
// volume named by its device).
bool MayTakeApart(FileSystem& fileSystem, const std::wstring& resolved, std::wstring& refusal)
{
    refusal = L"refused: \"" + resolved + L"\" is a drive, share or device root";
    if (IsRootOrRelative(NormalizePath(resolved)))
        return false;
    const std::wstring final = fileSystem.FinalPath(resolved);
    if (!final.empty() && IsRootOrRelative(NormalizePath(final))) {
        refusal += L" (as the system resolves it: \"" + final + L"\")";
        return false;
    }
    return true;
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

// A folder's text without separators at its end, but a drive or share root keeps its own
// ("D:\\", never "D:", which names the current folder on drive D:).
std::wstring FolderText(std::wstring_view path)
{
    const std::wstring_view folder = WithoutTrailingSeparators(path);
    const size_t rootLength = PathRootLength(path);
    return std::wstring(folder.size() < rootLength ? path.substr(0, rootLength) : folder);
}

// The folder a path lies in, by the same rule.
std::wstring FolderOf(std::wstring_view path)
{
    return FolderText(FolderPart(path));
}

// One held folder and the held folders above it: whoever keeps the last one keeps them all,
// so a file handed to another thread keeps its folders in place through one pointer.
struct HeldFolder
{
    std::wstring path; // as the walk spells it
    std::unique_ptr<FolderHold> hold;
    std::shared_ptr<const HeldFolder> parent;
    // On the destination side: what was there before the command.
    bool created = false;                    // by this command: empty before it
    std::unordered_set<std::wstring> marked; // names (ASCII case folded) already there with resettable bits
};
using HeldChain = std::shared_ptr<const HeldFolder>;

// Holds every folder from a command's folder down to the one being worked in, each checked to
// be a plain folder when first held: a folder replaced by a link is not entered, and a held
// one cannot be swapped while its content is worked on. Entries come in path order, so the
// chain changes only at its end, and each folder is reached once. On the destination side
// (`makeMissing`) each missing folder is made first, and one that was there is listed once for
// the names whose replacement needs a reset.
class FolderChain
{
public:
    FolderChain(FileSystem& fileSystem, const std::wstring& root, bool makeMissing)
        : fileSystem(fileSystem), makeMissing(makeMissing)
    {
        last = Held(FolderText(root), nullptr);
    }

    // Whether the command's own folder was held (a plain folder, made where missing).
    bool Usable() const { return last != nullptr; }
    // The chain as it stands, for work on its last folder that may outlast the chain's next step.
    const HeldChain& Last() const { return last; }

    // Holds the chain down to `folder` (the root or a folder below it) and returns its last
    // link; null when a folder on the way is not a plain folder.
    const HeldFolder* Reach(std::wstring_view folder)
    {
        if (last == nullptr)
            return nullptr;
        while (last->parent != nullptr && !IsWithinOrSame(folder, last->path))
            last = last->parent;
        if (!refused.empty() && IsWithinOrSame(folder, refused))
            return nullptr;
        while (last->path.size() < folder.size()) {
            const size_t next = folder.find_first_of(L"\\/", last->path.size() + 1);
            std::wstring step(folder.substr(0, next));
            HeldChain held = Held(step, last);
            if (held == nullptr) {
                refused = std::move(step);
                return nullptr;
            }
            last = std::move(held);
        }
        return last.get();
    }

    // Releases `folder` if it is held, and says whether it is still a plain folder.
    bool Leave(const std::wstring& folder)
    {
        return Reach(ParentPath(folder)) != nullptr && fileSystem.HoldFolder(folder) != nullptr;
    }

    // The folder that was refused last: everything below it is left alone.
    const std::wstring& Refused() const { return refused; }

private:
    // Same text as the listing made it, or below it: the entries share the root's spelling.
    static bool IsWithinOrSame(std::wstring_view path, std::wstring_view folder)
    {
        return path.compare(0, folder.size(), folder) == 0 &&
               (path.size() == folder.size() || EndsWithSeparator(folder) || IsPathSeparator(path[folder.size()]));
    }

    HeldChain Held(std::wstring path, HeldChain parent)
    {
        auto held = std::make_shared<HeldFolder>();
        if (!makeMissing) {
            held->hold = fileSystem.HoldFolder(path);
        } else if (parent == nullptr) { // the command's own folder, with every folder above it
            held->created = fileSystem.CreateFolderTree(path);
            held->hold = fileSystem.HoldFolder(path);
        } else {
            held->hold = fileSystem.MakeAndHoldFolder(path, held->created);
        }
        if (held->hold == nullptr)
            return nullptr;
        if (makeMissing && !held->created) {
            // A folder that was there already is listed once: its entries' attributes decide
            // which replacements need a reset first, so no file costs a call of its own.
            fileSystem.Enumerate(path + L"\\*", [&held](const FoundFile& found) {
                if (NeedsReset(found.attributes) && found.name != L"." && found.name != L"..")
                    held->marked.insert(FoldedName(found.name));
                return true;
            });
        }
        held->path = std::move(path);
        held->parent = std::move(parent);
        return held;
    }

    FileSystem& fileSystem;
    const bool makeMissing;
    HeldChain last;
    std::wstring refused; // the last folder that failed its check, with everything below it
};

// The names of a relative path ("\\backup\\data": backup, data).
std::vector<std::wstring_view> NamesOf(std::wstring_view relative)
{
    std::vector<std::wstring_view> names;
    for (size_t i = 0; i < relative.size();) {
        const size_t end = std::min(relative.find_first_of(L"\\/", i), relative.size());
        if (end > i)
            names.push_back(relative.substr(i, end - i));
        i = end + 1;
    }
    return names;
}

// Whether `path` lies in `folder` or is `folder`, however either is spelled: by another drive
// letter for the same folder, the "\\\\?\\" form, a share, a link above it, a short name or
// letters in another case. The folders of `path` are compared with `folder` by identity, from
// `path` up; `below` is then the part of `path` beneath `folder` ("" for `folder` itself).
// Where `folder` is not there to identify, the texts decide.
bool PartBelow(FileSystem& fileSystem, const std::wstring& folder, const std::wstring& path, std::wstring& below)
{
    const std::wstring folderText(WithoutTrailingSeparators(folder));
    const std::wstring pathText(WithoutTrailingSeparators(path));
    FileIdentity folderIdentity;
    if (fileSystem.Identify(folderText, folderIdentity)) {
        const size_t rootLength = PathRootLength(pathText);
        for (size_t end = pathText.size(); end > 0;) {
            // The drive's root keeps its separator ("C:\\", never "C:").
            const size_t cut = end <= rootLength ? rootLength : end;
            FileIdentity identity;
            if (fileSystem.Identify(pathText.substr(0, cut), identity) && identity == folderIdentity) {
                below = pathText.substr(cut);
                return true;
            }
            if (cut <= rootLength)
                break;
            end = pathText.find_last_of(L"\\/", cut - 1);
            if (end == std::wstring::npos)
                break;
        }
        return false;
    }
    const std::wstring normal = NormalizePath(pathText);
    const std::wstring normalFolder = NormalizePath(folderText);
    if (SameNormalPath(normal, normalFolder)) {
        below.clear();
        return true;
    }
    if (!IsStrictlyInside(normal, normalFolder))
        return false;
    below = normal.substr(WithoutTrailingSeparators(normalFolder).size());
    return true;
}

// Whether the names of `relative` begin with all of `names`, compared as the file system
// compares names; `exactly`: and have no more.
bool NamesBeginWith(FileSystem& fileSystem, std::wstring_view relative, const std::vector<std::wstring_view>& names,
                    bool exactly = false)
{
    const std::vector<std::wstring_view> own = NamesOf(relative);
    if (own.size() < names.size() || (exactly && own.size() != names.size()))
        return false;
    for (size_t i = 0; i < names.size(); ++i)
        if (!fileSystem.SameName(own[i], names[i]))
            return false;
    return true;
}

// A file the command leaves where it is (the run's own log, open for writing), and the folders
// that hold it, which cannot go while it stays. Found by identity as PartBelow finds it.
class KeptFile
{
public:
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;
    KeptFile(FileSystem& fileSystem, const std::wstring& folder, const std::wstring& keep) : fileSystem(fileSystem)
    {
        std::wstring below;
        if (!keep.empty() && PartBelow(fileSystem, folder, keep, below)) {
            text = below;
            names = NamesOf(text);
            base = WithoutTrailingSeparators(folder).size();
        }
    }
    // Whether `path` (below the folder) is the kept file itself.
    bool Is(const std::wstring& path) const
    {
        return !names.empty() &&
               NamesBeginWith(fileSystem, std::wstring_view(path).substr(std::min(base, path.size())), names, true);
    }
    bool Is(const FileEntry& entry) const { return Is(entry.path); }
    // Whether the folder `entry` (or the command's folder itself, for base) holds the kept file.
    bool Holds(const std::wstring& path) const
    {
        if (names.empty())
            return false;
        const std::vector<std::wstring_view> own = NamesOf(std::wstring_view(path).substr(std::min(base, path.size())));
        if (own.size() >= names.size())
            return false;
        for (size_t i = 0; i < own.size(); ++i)
            if (!fileSystem.SameName(own[i], names[i]))
                return false;
        return true;
    }

private:
    FileSystem& fileSystem;
    std::wstring text; // the part below the folder; `names` points into it
    std::vector<std::wstring_view> names;
    size_t base = 0;
};

// Copy and move's shared preparation: the resolved paths, the file set and where each entry goes.
class FolderTransfer
{
public:
    FolderTransfer(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& sourceText,
                   const std::wstring& targetText, bool enterRootLink)
        : fileSystem(fileSystem), progress(progress), source(ResolvedPath(fileSystem, sourceText, refusal)),
          target(source.empty() ? std::wstring() : ResolvedPath(fileSystem, targetText, refusal))
    {
        if (source.empty() || target.empty())
            return;
        root = LookUp(fileSystem, source);
        // Without an entry of its own (a trailing separator, a drive root) the content lands
        // directly in the target.
        destinationRoot = root.found ? JoinPath(target, root.diskName) : target;
        sourceBase = WithoutTrailingSeparators(source);
        FindTheDestinationInTheSource();
        if (destinationIsSource)
            return;
        if (enterRootLink || !root.entry.IsFolderLink())
            set.Scan(fileSystem, ScanRoot(source), L"*.*", true, InsertOrder::PathAscending, true);
        LeaveOutTheDestination();
        uint64_t total = root.entry.size;
        for (const FileEntry& entry : set.Entries())
            total += entry.size;
        progress.StartBytes(total);
    }

    bool Usable() const { return !source.empty() && !target.empty(); }

    // Whether the copy or move goes ahead; the outcome hears why not. A missing source still
    // gets its target folder made, as it always has, and fails the outcome.
    bool MayGoAhead(FolderOutcome* outcome) const
    {
        if (!Usable()) {
            Refuse(outcome, refusal);
            return false;
        }
        if (destinationIsSource) {
            Refuse(outcome, L"refused: the destination is the source itself");
            return false;
        }
        if (!root.found && set.Entries().empty() && !EndsWithSeparator(source))
            Refuse(outcome, L"the source folder is not there");
        return true;
    }

    // Where an entry of the set goes.
    std::wstring DestinationOf(const FileEntry& entry) const
    {
        return JoinPath(destinationRoot, std::wstring_view(entry.path).substr(sourceBase.size()));
    }

    FileSystem& fileSystem;
    InstallProgress& progress;
    std::wstring refusal; // why a path cannot be used
    const std::wstring source;
    const std::wstring target;
    NamedFolder root;
    FileSet set; // everything beneath the source; its own entry is `root`
    std::wstring destinationRoot;

private:
    // Whether the destination lies inside the source (C:\\data into C:\\data\\backup), however
    // either is spelled; `below` is then the destination's part beneath the source ("" when it
    // is the source itself).
    void FindTheDestinationInTheSource()
    {
        const std::wstring destination(WithoutTrailingSeparators(destinationRoot));
        if (SameNormalPath(NormalizePath(destination), NormalizePath(WithoutTrailingSeparators(source)))) {
            destinationIsSource = true;
            return;
        }
        found = PartBelow(fileSystem, source, destination, below);
        destinationIsSource = found && NamesOf(below).empty();
    }

    // A destination inside the source would otherwise be copied into itself, one level deeper
    // on every run, and a move would write the source's files over an earlier run's backup
    // before handling that backup itself. Names compare as the file system compares them.
    void LeaveOutTheDestination()
    {
        if (!found)
            return;
        const std::vector<std::wstring_view> names = NamesOf(below);
        set.EraseIf([this, &names](const FileEntry& entry) {
            return NamesBeginWith(fileSystem, std::wstring_view(entry.path).substr(sourceBase.size()), names);
        });
    }

    std::wstring sourceBase; // the source without a trailing separator: every entry starts with it
    bool found = false;      // the destination lies inside the source
    bool destinationIsSource = false;
    std::wstring below;      // where inside the source it lies
};

// Where each entry of a copy or move goes: the destination's folders from the target down,
// each made if missing and held as a plain folder while anything is written into it. A
// destination folder that is a link (or a file) is refused with everything that would go below
// it, so nothing is ever written through a link on the destination side.
class Destination
{
public:
    explicit Destination(FileSystem& fileSystem, const std::wstring& target) : chain(fileSystem, target, true) {}

    // Whether the target itself is a plain folder (made where it was missing).
    bool Usable() const { return chain.Usable(); }

    // Holds the folder `destination` goes into and says what is already there; false when that
    // folder is refused, which the outcome hears for a file (a folder only comes into being as
    // the parent of what it holds).
    bool Prepare(const std::wstring& destination, const FileEntry& entry, FolderOutcome* outcome, Arrival& arrival)
    {
        const HeldFolder* folder = chain.Reach(FolderOf(destination));
        if (folder == nullptr) {
            if (outcome != nullptr && !entry.IsFolder())
                outcome->Failed(entry.path, L"refused: the destination folder \"" + chain.Refused() +
                                                L"\" is a link or not a folder");
            return false;
        }
        arrival.folderIsNew = folder->created;
        arrival.replacesMarked =
            !folder->marked.empty() && folder->marked.count(FoldedName(LastPathPart(destination))) != 0;
        return true;
    }

    // The held folders of the last destination prepared.
    const HeldChain& Holds() const { return chain.Last(); }

private:
    FolderChain chain;
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

std::wstring RefusalOf(const InstallCommand& command)
{
    return command.kind != nullptr ? RefusalOf(command, command.kind->folderPaths, command.kind->takesApart)
                                   : RefusalOf(command, 0, false);
}

std::wstring RefusalOf(const InstallCommand& command, int folderPaths, bool takenApart)
{
    if (!command.EmptyVariable().empty())
        return L"refused: %" + std::wstring(command.EmptyVariable()) +
               L"% expanded to nothing, which would leave a path on whatever drive is current";
    const size_t paths = folderPaths > 0 ? static_cast<size_t>(folderPaths) : 0;
    for (size_t i = 0; i < paths; ++i) {
        const std::wstring text = command.arguments[i];
        std::wstring refusal = TextRefusal(text);
        if (!refusal.empty())
            return refusal;
        const std::wstring normal = NormalizePath(text);
        if (i == 0 && takenApart && PathRootLength(normal) > 0 && IsRootOrRelative(normal))
            return L"refused: \"" + text + L"\" is a drive, share or device root";
    }
    return std::wstring();
}

void CopyFolderTreeWithThreads(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                               const std::wstring& target, int threads, FolderOutcome* outcome,
                               const std::wstring& keep)
{
    progress.StartBytes(0);
    FolderTransfer transfer(fileSystem, progress, source, target, true);
    if (!transfer.MayGoAhead(outcome))
        return;
    Destination destination(fileSystem, transfer.target);
    if (!destination.Usable())
        return Refuse(outcome, L"refused: the target \"" + transfer.target + L"\" is a link or not a folder");

    const KeptFile kept(fileSystem, transfer.destinationRoot, keep);
    CopyPool pool(progress, threads);
    const auto copy = [&](const FileEntry& entry, const std::wstring& to) {
        if (kept.Is(to)) { // never copied over
            pool.Count(entry.size);
            PassedOver(outcome, entry.path, L"its copy would replace the run's own log: not copied");
            return;
        }
        Arrival arrival;
        if (!destination.Prepare(to, entry, outcome, arrival)) {
            pool.Count(entry.size);
            return;
        }
        if (entry.IsFolder()) {
            // Folders come into being as the parents of what they hold; one that was already
            // there loses the attributes a reset takes away.
            pool.Show(entry.GetFileName());
            if (arrival.replacesMarked)
                fileSystem.SetAttributes(to, FileAttribute::Normal);
            pool.Count(entry.size);
            return;
        }
        pool.Run(entry.GetFileName(), entry.size,
                 [&fileSystem, &entry, to, arrival, outcome, holds = destination.Holds()](ChunkListener& chunks) {
                     ReplaceFile(fileSystem, entry, to, arrival, outcome,
                                 [&]() { return fileSystem.CopyOneFile(entry.path, to, &chunks); });
                 });
    };
    if (transfer.root.found)
        copy(transfer.root.entry, transfer.destinationRoot);
    for (const FileEntry& entry : transfer.set.Entries()) {
        if (entry.IsLink()) {
            // A link inside the tree is neither followed nor copied as a link.
            pool.Count(entry.size);
            PassedOver(outcome, entry.path, L"a link: not copied");
            continue;
        }
        copy(entry, transfer.DestinationOf(entry));
    }
}

void CopyFolderTree(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                    const std::wstring& target)
{
    CopyFolderTreeWithThreads(fileSystem, progress, source, target, 1, nullptr);
}

void MoveFolderTreeWithThreads(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                               const std::wstring& target, int threads, FolderOutcome* outcome,
                               const std::wstring& keep)
{
    progress.StartBytes(0);
    // A root is never taken apart, however it is written.
    std::wstring refusal;
    const std::wstring resolved = ResolvedPath(fileSystem, source, refusal);
    if (resolved.empty() || ResolvedPath(fileSystem, target, refusal).empty() ||
        !MayTakeApart(fileSystem, resolved, refusal))
        return Refuse(outcome, refusal);
    // A source that is itself a folder link is moved as a link, never emptied through it.
    FolderTransfer transfer(fileSystem, progress, source, target, false);
    if (!transfer.MayGoAhead(outcome))
        return;
    // Content named through a trailing separator is only taken from a plain folder.
    if (EndsWithSeparator(transfer.source) && !IsPlainFolder(fileSystem, transfer.source))
        return Refuse(outcome, L"refused: the source is not a plain folder");
    Destination destination(fileSystem, transfer.target);
    if (!destination.Usable())
        return Refuse(outcome, L"refused: the target \"" + transfer.target + L"\" is a link or not a folder");

    const KeptFile kept(fileSystem, transfer.source, keep);
    RenamedFolders renamed;
    std::optional<FolderChain> chain;
    std::optional<CopyPool> pool(std::in_place, progress, threads);
    const auto move = [&](const FileEntry& entry, const std::wstring& to) {
        if (renamed.Carried(entry.path)) {
            pool->Show(entry.GetFileName());
            if (NeedsReset(entry.attributes)) // arrived with its folder, bits and all
                fileSystem.SetAttributes(to, FileAttribute::Normal);
            pool->Count(entry.size);
            if (outcome != nullptr && !entry.IsFolder())
                outcome->Done(entry.size);
            return;
        }
        Arrival arrival;
        if (!destination.Prepare(to, entry, outcome, arrival)) {
            pool->Count(entry.size);
            return;
        }
        if (entry.IsFolder()) {
            // One rename takes the whole folder along where it can (same volume, nothing there
            // yet); otherwise its content follows entry by entry, into a folder that was there
            // already (which loses its resettable bits) or one made for it. A folder link moves
            // as the link, by a rename, or stays. A folder that holds the kept file is not
            // renamed: the file stays where it is.
            pool->Show(entry.GetFileName());
            if (!kept.Holds(entry.path) && fileSystem.MoveOneFile(entry.path, to, MoveFlag::CopyAllowed, &pool->CallerListener())) {
                renamed.Add(entry.path);
                if (NeedsReset(entry.attributes))
                    fileSystem.SetAttributes(to, FileAttribute::Normal);
            } else if (entry.IsLink()) {
                PassedOver(outcome, entry.path, L"a link that cannot be renamed into the target: left where it is");
            } else if (arrival.replacesMarked) {
                fileSystem.SetAttributes(to, FileAttribute::Normal);
            }
            pool->Count(entry.size);
            return;
        }
        if (kept.Is(entry)) {
            pool->Count(entry.size);
            PassedOver(outcome, entry.path, L"the run's own log: left where it is");
            return;
        }
        if (entry.IsLink()) {
            // A file link moves as the link by a rename on one volume; it is never copied.
            pool->Show(entry.GetFileName());
            if (!fileSystem.MoveOneFile(entry.path, to, MoveFlag::ReplaceExisting, &pool->CallerListener()))
                PassedOver(outcome, entry.path, L"a link that cannot be renamed into the target: left where it is");
            pool->Count(entry.size);
            return;
        }
        // The file's folders on both sides stay held until its move is over, wherever the walk
        // is by then.
        pool->Run(entry.GetFileName(), entry.size,
                  [&fileSystem, &entry, to, arrival, outcome, from = chain ? chain->Last() : HeldChain(),
                   into = destination.Holds()](ChunkListener& chunks) {
                      ReplaceFile(fileSystem, entry, to, arrival, outcome, [&]() {
                          return fileSystem.MoveOneFile(entry.path, to,
                                                        MoveFlag::ReplaceExisting | MoveFlag::CopyAllowed, &chunks);
                      });
                  });
    };
    const NamedFolder& root = transfer.root;
    if (root.found)
        move(root.entry, transfer.destinationRoot);
    const bool rootGone = root.found && renamed.Renamed(root.entry.path);
    // What the root's move did not take along goes entry by entry, each from a folder held as
    // the plain folder the walk listed: a folder replaced by a link meanwhile is left alone.
    if (!rootGone) {
        chain.emplace(fileSystem, transfer.source, false);
        if (!chain->Usable())
            chain.reset();
    }
    for (const FileEntry& entry : transfer.set.Entries()) {
        if (renamed.Carried(entry.path) || (chain && chain->Reach(ParentPath(entry.path)) != nullptr)) {
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
                      FolderOutcome* outcome, const std::wstring& keep)
{
    progress.StartBytes(0);
    std::wstring refusal;
    const std::wstring folder = ResolvedPath(fileSystem, folderText, refusal);
    // An empty text would delete at the current drive's root.
    if (folder.empty() || !MayTakeApart(fileSystem, folder, refusal))
        return Refuse(outcome, refusal);
    const NamedFolder named = LookUp(fileSystem, folder);
    const auto removeOne = [&](const FileEntry& entry) {
        progress.ShowFile(entry.GetFileName(), 0);
        bool removed = false;
        // A link loses only itself; resetting its attributes could reach what it leads to.
        if (!entry.IsLink())
            fileSystem.SetAttributes(entry.path, FileAttribute::Normal);
        removed = entry.IsFolder() ? fileSystem.RemoveFolder(entry.path) : fileSystem.RemoveFile(entry.path);
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
    // The kept file stays, and so do the folders that hold it.
    const KeptFile kept(fileSystem, folder, keep);
    {
        FolderChain chain(fileSystem, folder, false);
        if (!chain.Usable())
            return;
        FileSet set;
        set.Scan(fileSystem, ScanRoot(folder), L"*.*", true, InsertOrder::PathAscending, true);
        const std::vector<FileEntry>& entries = set.Entries();
        for (size_t i = entries.size(); i-- > 0;) {
            const FileEntry& entry = entries[i];
            const bool plainFolder = entry.IsFolder() && !entry.IsFolderLink();
            if (kept.Is(entry)) {
                PassedOver(outcome, entry.path, L"the run's own log: left where it is");
                continue;
            }
            if (plainFolder && kept.Holds(entry.path))
                continue;
            if (plainFolder ? !chain.Leave(entry.path) : chain.Reach(ParentPath(entry.path)) == nullptr) {
                LeftAlone(outcome, entry.path);
                continue;
            }
            removeOne(entry);
        }
    }
    if (named.found && !kept.Holds(folder))
        removeOne(named.entry);
}
