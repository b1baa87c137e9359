// What the folder commands rely on from a FileSystem, as one set of typed tests run on every
// implementation: the in-memory file system the command tests use, and the Win32 one on the
// platform itself. Both must pass the same cases, so the guards proven on the in-memory file
// system hold on the platform too.
//
// Each implementation brings a maker that builds the trees in a fresh folder of its own:
//   FileSystem& System();
//   std::wstring Path(const std::wstring& relative) const;   // inside the fresh folder
//   void Folder(const std::wstring& path);                   // parents made too
//   void File(const std::wstring& path, const std::string& content, uint32_t attributes);
//   bool SizedFile(const std::wstring& path, uint64_t size); // false when it cannot make one
//   // A link to a folder holding precious.txt ("precious\n"); false when none can be had.
//   bool FolderLink(const std::wstring& name, std::wstring& link, std::wstring& target);
//   // A link to a file holding "precious\n"; false when none can be had.
//   bool FileLink(const std::wstring& name, std::wstring& link, std::wstring& target);
//   // Another spelling of the same folder (another drive letter, the "\\?\" form).
//   std::wstring Alias(const std::wstring& path);
//   void Lock(const std::wstring& path);                     // held open elsewhere, no delete sharing
//   std::string Content(const std::wstring& path) const;     // "<missing>" when there is none
//   uint32_t Attributes(const std::wstring& path) const;     // of a link itself; Unknown when missing
//   std::wstring OtherVolume();                              // a fresh folder there; empty when none
//   bool UnderWine() const;                                  // where Wine shows otherwise than Windows
#pragma once

#include "commands/FileSystem.h"
#include "commands/FolderPaths.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

template <class Maker>
class FileSystemContract : public testing::Test
{
protected:
    // The bits the commands look at; platforms add Archive as they please.
    static constexpr uint32_t kLooked = FileAttribute::ReadOnly | FileAttribute::Hidden | FileAttribute::System |
                                        FileAttribute::Directory | FileAttribute::ReparsePoint;
    static constexpr uint32_t kFolder = FileAttribute::Directory;
    static constexpr uint32_t kLink = FileAttribute::Directory | FileAttribute::ReparsePoint;

    FileSystem& Fs() { return maker.System(); }
    std::wstring P(const std::wstring& relative) const { return maker.Path(relative); }
    uint32_t Looked(const std::wstring& path) const { return maker.Attributes(path) & kLooked; }
    bool Exists(const std::wstring& path) const { return maker.Attributes(path) != FileAttribute::Unknown; }

    struct Seen
    {
        uint32_t attributes;
        uint64_t size;
        bool operator==(const Seen& other) const { return attributes == other.attributes && size == other.size; }
    };
    using Listing = std::map<std::wstring, Seen>;
    // Every name the pattern lists, whatever the platform's order; `listed` is false when the
    // enumeration itself failed.
    Listing List(const std::wstring& pattern, bool* listed = nullptr)
    {
        Listing seen;
        const bool ok = Fs().Enumerate(pattern, [&seen](const FoundFile& found) {
            seen[std::wstring(found.name)] = {found.attributes & kLooked, found.size};
            return true;
        });
        if (listed != nullptr)
            *listed = ok;
        return seen;
    }

    Maker maker;
};

TYPED_TEST_SUITE_P(FileSystemContract);

// ---- listing and attributes ----

TYPED_TEST_P(FileSystemContract, AFolderListsItsEntriesWithDotsFolderBitsSizesAndAttributes)
{
    using Seen = typename TestFixture::Seen;
    constexpr uint32_t kFolder = TestFixture::kFolder;
    this->maker.File(this->P(L"list\\plain.txt"), "abc", FileAttribute::Normal);
    this->maker.File(this->P(L"list\\Hidden.txt"), "hh", FileAttribute::Hidden);
    this->maker.File(this->P(L"list\\ro.txt"), "r", FileAttribute::ReadOnly | FileAttribute::System);
    this->maker.Folder(this->P(L"list\\sub"));
    this->maker.Folder(this->P(L"empty"));

    bool listed = false;
    EXPECT_EQ(this->List(this->P(L"list\\*"), &listed),
              (typename TestFixture::Listing{{L".", Seen{kFolder, 0}},
                                             {L"..", Seen{kFolder, 0}},
                                             {L"Hidden.txt", Seen{FileAttribute::Hidden, 2}},
                                             {L"plain.txt", Seen{0, 3}},
                                             {L"ro.txt", Seen{FileAttribute::ReadOnly | FileAttribute::System, 1}},
                                             {L"sub", Seen{kFolder, 0}}}));
    EXPECT_TRUE(listed);
    EXPECT_EQ(this->List(this->P(L"list\\*.*")), this->List(this->P(L"list\\*"))) << "*.* is every name";
    EXPECT_EQ(this->List(this->P(L"empty\\*"), &listed),
              (typename TestFixture::Listing{{L".", Seen{kFolder, 0}}, {L"..", Seen{kFolder, 0}}}));
    EXPECT_TRUE(listed);
    const auto driveRoot = this->List(this->P(L"").substr(0, 3) + L"*", &listed); // e.g. "C:\*"
    EXPECT_TRUE(listed);
    EXPECT_EQ(driveRoot.count(L".") + driveRoot.count(L".."), 0u) << "a drive root has no dot entries";

    int visits = 0;
    EXPECT_TRUE(this->Fs().Enumerate(this->P(L"list\\*"), [&visits](const FoundFile&) { return ++visits > 5; }));
    EXPECT_EQ(visits, 1) << "a visitor that answers false ends the listing";
}

TYPED_TEST_P(FileSystemContract, SizesBeyond4GiBComeWhole)
{
    constexpr uint64_t kSize = 5000000000ull;
    if (!this->maker.SizedFile(this->P(L"big\\big.bin"), kSize))
        GTEST_SKIP() << "this file system cannot hold a file of 5 GB";
    EXPECT_EQ(this->List(this->P(L"big\\*"))[L"big.bin"].size, kSize);
}

// The named folder is looked up on its own and takes the name it has on disk.
TYPED_TEST_P(FileSystemContract, AnExactPathListsOnlyItsOwnEntryNamedAsOnDisk)
{
    this->maker.File(this->P(L"list\\plain.txt"), "abc", FileAttribute::Hidden);
    this->maker.Folder(this->P(L"list\\sub"));
    struct Case { std::wstring path; const wchar_t* name; uint32_t attributes; uint64_t size; };
    const Case cases[] = {
        {this->P(L"list\\PLAIN.TXT"), L"plain.txt", FileAttribute::Hidden, 3},
        {this->P(L"LIST\\Sub"), L"sub", FileAttribute::Directory, 0},
        {this->P(L"list/sub"), L"sub", FileAttribute::Directory, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> names;
        bool ok = this->Fs().Enumerate(c.path, [&](const FoundFile& found) {
            names.emplace_back(found.name);
            EXPECT_EQ(found.attributes & TestFixture::kLooked, c.attributes);
            EXPECT_EQ(found.size, c.size);
            return true;
        });
        EXPECT_TRUE(ok) << testing::PrintToString(c.path);
        EXPECT_EQ(names, std::vector<std::wstring>{c.name}) << testing::PrintToString(c.path);
    }
}

TYPED_TEST_P(FileSystemContract, ATrailingSeparatorOrAMissingPathListsNothing)
{
    this->maker.File(this->P(L"list\\plain.txt"), "abc", FileAttribute::Normal);
    for (const std::wstring& pattern : {this->P(L"list\\"), this->P(L"list/"), this->P(L"missing"),
                                        this->P(L"missing\\*"), this->P(L"list\\plain.txt\\*")}) {
        bool listed = true;
        EXPECT_EQ(this->List(pattern, &listed), typename TestFixture::Listing{}) << testing::PrintToString(pattern);
        EXPECT_FALSE(listed) << testing::PrintToString(pattern);
    }
}

// ---- removing ----

// Read-only keeps a file; hidden and system do not. The delete command resets attributes first.
TYPED_TEST_P(FileSystemContract, OnlyAReadOnlyFileRefusesRemovalUntilItsAttributesAreNormal)
{
    struct Case { uint32_t attributes; bool removable; };
    const Case cases[] = {
        {FileAttribute::Normal, true}, {FileAttribute::Hidden, true}, {FileAttribute::System, true},
        {FileAttribute::ReadOnly, false}, {FileAttribute::ReadOnly | FileAttribute::Hidden, false},
    };
    for (const Case& c : cases) {
        const std::wstring file = this->P(L"f" + std::to_wstring(c.attributes) + L".txt");
        this->maker.File(file, "keep", c.attributes);
        EXPECT_EQ(this->Fs().RemoveFile(file), c.removable) << c.attributes;
        EXPECT_EQ(this->Exists(file), !c.removable) << c.attributes;
        if (this->Exists(file)) {
            EXPECT_EQ(this->maker.Content(file), "keep");
            EXPECT_TRUE(this->Fs().SetAttributes(file, FileAttribute::Normal));
            EXPECT_TRUE(this->Fs().RemoveFile(file)) << c.attributes;
            EXPECT_FALSE(this->Exists(file));
        }
    }
}

TYPED_TEST_P(FileSystemContract, FoldersAreRemovedOnlyEmptyAndNotAsFiles)
{
    this->maker.File(this->P(L"full\\a.txt"), "a", FileAttribute::Normal);
    EXPECT_FALSE(this->Fs().RemoveFile(this->P(L"full")));
    EXPECT_FALSE(this->Fs().RemoveFolder(this->P(L"full")));
    EXPECT_FALSE(this->Fs().RemoveFolder(this->P(L"full\\a.txt")));
    EXPECT_EQ(this->maker.Content(this->P(L"full\\a.txt")), "a");
    EXPECT_TRUE(this->Fs().RemoveFile(this->P(L"full\\a.txt")));
    EXPECT_TRUE(this->Fs().RemoveFolder(this->P(L"full")));
    EXPECT_FALSE(this->Exists(this->P(L"full")));
}

// A folder that was already there gets normal attributes: it stays a folder.
TYPED_TEST_P(FileSystemContract, NormalAttributesClearAFoldersOwnBitsAndKeepItAFolder)
{
    this->maker.Folder(this->P(L"dir"));
    EXPECT_TRUE(this->Fs().SetAttributes(this->P(L"dir"), FileAttribute::Hidden | FileAttribute::System));
    EXPECT_EQ(this->Looked(this->P(L"dir")), TestFixture::kFolder | FileAttribute::Hidden | FileAttribute::System);
    EXPECT_TRUE(this->Fs().SetAttributes(this->P(L"dir"), FileAttribute::Normal));
    EXPECT_EQ(this->Looked(this->P(L"dir")), TestFixture::kFolder);
    EXPECT_FALSE(this->Fs().SetAttributes(this->P(L"missing"), FileAttribute::Normal));
}

// ---- creating folders ----

// True only for a folder this call made: a folder already there may hold older files.
TYPED_TEST_P(FileSystemContract, CreatingAFolderTreeSaysWhetherTheFolderIsNew)
{
    this->maker.File(this->P(L"file.txt"), "f", FileAttribute::Normal);
    struct Case { std::wstring path; bool created; bool folderAfter; };
    const Case cases[] = {
        {this->P(L"new\\a\\b"), true, true},     {this->P(L"new\\a\\b"), false, true},
        {this->P(L"NEW\\A"), false, true},        {this->P(L"new/c/d"), true, true},
        {this->P(L"file.txt\\x"), false, false}, {this->P(L"file.txt"), false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(this->Fs().CreateFolderTree(c.path), c.created) << testing::PrintToString(c.path);
        EXPECT_EQ(this->Looked(c.path) == TestFixture::kFolder, c.folderAfter) << testing::PrintToString(c.path);
    }
    EXPECT_EQ(this->maker.Content(this->P(L"file.txt")), "f");
}

// ---- copies ----

// The copy command replaces files in place, so that a copy that fails leaves the old one.
TYPED_TEST_P(FileSystemContract, ACopyReplacesTheFileAtItsDestinationAndAFailedOneLeavesIt)
{
    this->maker.File(this->P(L"src.txt"), "new", FileAttribute::Normal);
    this->maker.File(this->P(L"dst.txt"), "the previous, longer content", FileAttribute::Normal);
    EXPECT_TRUE(this->Fs().CopyOneFile(this->P(L"src.txt"), this->P(L"dst.txt"), nullptr));
    EXPECT_EQ(this->maker.Content(this->P(L"dst.txt")), "new");
    EXPECT_EQ(this->maker.Content(this->P(L"src.txt")), "new");

    EXPECT_FALSE(this->Fs().CopyOneFile(this->P(L"missing.txt"), this->P(L"dst.txt"), nullptr));
    EXPECT_EQ(this->maker.Content(this->P(L"dst.txt")), "new");
    EXPECT_FALSE(this->Fs().CopyOneFile(this->P(L"src.txt"), this->P(L"nofolder\\dst.txt"), nullptr));
    this->maker.Folder(this->P(L"folder"));
    EXPECT_FALSE(this->Fs().CopyOneFile(this->P(L"src.txt"), this->P(L"folder"), nullptr));
    EXPECT_EQ(this->Looked(this->P(L"folder")), TestFixture::kFolder);
}

// A copy arrives with its source's attributes (read-only too), so the copy command resets them.
TYPED_TEST_P(FileSystemContract, ACopyArrivesWithTheSourceAttributesThatNormalClears)
{
    constexpr uint32_t kUnwanted = FileAttribute::ReadOnly | FileAttribute::Hidden | FileAttribute::System;
    for (uint32_t attributes : {FileAttribute::Hidden, FileAttribute::ReadOnly,
                                FileAttribute::Hidden | FileAttribute::System | FileAttribute::ReadOnly}) {
        const std::wstring from = this->P(L"src" + std::to_wstring(attributes) + L".txt");
        const std::wstring to = this->P(L"copy" + std::to_wstring(attributes) + L".txt");
        this->maker.File(from, "hidden", attributes);
        EXPECT_TRUE(this->Fs().CopyOneFile(from, to, nullptr)) << attributes;
        EXPECT_EQ(this->maker.Content(to), "hidden") << attributes;
        EXPECT_EQ(this->Looked(to), attributes);
        EXPECT_TRUE(this->Fs().SetAttributes(to, FileAttribute::Normal)) << attributes;
        EXPECT_EQ(this->Looked(to) & kUnwanted, 0u) << attributes;
        EXPECT_EQ(this->Looked(from), attributes) << "the source keeps its attributes";
    }
}

// ---- renames ----

TYPED_TEST_P(FileSystemContract, ARenameOnOneVolumeTakesAFolderWithItsContent)
{
    this->maker.File(this->P(L"a\\b\\c.txt"), "c", FileAttribute::ReadOnly);
    this->maker.Folder(this->P(L"into"));
    EXPECT_TRUE(this->Fs().MoveOneFile(this->P(L"a"), this->P(L"into\\moved"), MoveFlag::CopyAllowed, nullptr));
    EXPECT_EQ(this->maker.Content(this->P(L"into\\moved\\b\\c.txt")), "c");
    EXPECT_EQ(this->Looked(this->P(L"into\\moved\\b\\c.txt")), FileAttribute::ReadOnly);
    EXPECT_FALSE(this->Exists(this->P(L"a")));
}

// A file move replaces a file only when asked to; nothing replaces a folder, empty or not, and a
// folder does not move into itself.
TYPED_TEST_P(FileSystemContract, AMoveReplacesAFileOnlyWhenAskedAndNeverAFolder)
{
    constexpr uint32_t kCopy = MoveFlag::CopyAllowed, kReplace = MoveFlag::ReplaceExisting | MoveFlag::CopyAllowed;
    const std::wstring from = this->P(L"from.txt"), to = this->P(L"to.txt");
    this->maker.File(from, "new", FileAttribute::Normal);
    this->maker.File(to, "old", FileAttribute::Normal);
    EXPECT_FALSE(this->Fs().MoveOneFile(from, to, kCopy, nullptr));
    EXPECT_EQ(this->maker.Content(from), "new");
    EXPECT_EQ(this->maker.Content(to), "old");
    EXPECT_TRUE(this->Fs().MoveOneFile(from, to, kReplace, nullptr));
    EXPECT_EQ(this->maker.Content(to), "new");
    EXPECT_FALSE(this->Exists(from));

    this->maker.File(this->P(L"one\\a.txt"), "a", FileAttribute::Normal);
    this->maker.Folder(this->P(L"one\\sub"));
    this->maker.File(this->P(L"two\\b.txt"), "b", FileAttribute::Normal);
    struct Case { std::wstring from, to; uint32_t flags; };
    const Case cases[] = {
        {this->P(L"one"), this->P(L"two"), kCopy}, // a folder onto a folder
        {this->P(L"one"), this->P(L"two"), kReplace},
        {this->P(L"one"), to, kCopy},              // onto a file
        {to, this->P(L"two"), kReplace},           // a file onto a folder
        {to, this->P(L"one\\sub"), kReplace},     // an empty one too
        {this->P(L"one"), this->P(L"one\\inside"), kCopy},
        {this->P(L"one"), this->P(L"ONE/sub\\deeper"), kCopy},
        {this->P(L"one"), this->P(L"one\\a.txt\\x"), kCopy},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(this->Fs().MoveOneFile(c.from, c.to, c.flags, nullptr)) << testing::PrintToString(c.to);
    EXPECT_EQ(this->maker.Content(this->P(L"one\\a.txt")), "a");
    EXPECT_EQ(this->Looked(this->P(L"one\\sub")), TestFixture::kFolder);
    EXPECT_EQ(this->maker.Content(this->P(L"two\\b.txt")), "b");
    EXPECT_EQ(this->maker.Content(to), "new");
}

// Across volumes only files move, as a copy and a delete, and only when a copy is allowed.
TYPED_TEST_P(FileSystemContract, AcrossVolumesOnlyFilesMoveAndOnlyWhenCopiesAreAllowed)
{
    const std::wstring there = this->maker.OtherVolume();
    if (there.empty())
        GTEST_SKIP() << "no second volume";
    this->maker.File(this->P(L"dir\\a.txt"), "a", FileAttribute::Normal);
    this->maker.File(this->P(L"dir\\held.txt"), "held", FileAttribute::Normal);
    this->maker.Lock(this->P(L"dir\\held.txt"));
    EXPECT_FALSE(this->Fs().MoveOneFile(this->P(L"dir"), there + L"\\dir", MoveFlag::CopyAllowed, nullptr));
    EXPECT_FALSE(this->Exists(there + L"\\dir"));
    EXPECT_FALSE(this->Fs().MoveOneFile(this->P(L"dir\\a.txt"), there + L"\\a.txt", 0, nullptr));
    EXPECT_FALSE(this->Exists(there + L"\\a.txt"));
    // A file held open is not even copied: the move fails before it starts.
    EXPECT_FALSE(
        this->Fs().MoveOneFile(this->P(L"dir\\held.txt"), there + L"\\held.txt", MoveFlag::CopyAllowed, nullptr));
    EXPECT_FALSE(this->Exists(there + L"\\held.txt"));
    EXPECT_EQ(this->maker.Content(this->P(L"dir\\held.txt")), "held");

    EXPECT_TRUE(this->Fs().MoveOneFile(this->P(L"dir\\a.txt"), there + L"\\a.txt", MoveFlag::CopyAllowed, nullptr));
    EXPECT_EQ(this->maker.Content(there + L"\\a.txt"), "a");
    EXPECT_FALSE(this->Exists(this->P(L"dir\\a.txt")));
}

// ---- files held open elsewhere ----

TYPED_TEST_P(FileSystemContract, AnOpenFileIsNeitherRemovedMovedNorReplacedAndPinsItsFolder)
{
    const std::wstring held = this->P(L"dir\\held.txt");
    this->maker.File(held, "held", FileAttribute::Normal);
    this->maker.File(this->P(L"other.txt"), "other", FileAttribute::Normal);
    this->maker.Lock(held);
    EXPECT_FALSE(this->Fs().RemoveFile(held));
    EXPECT_FALSE(this->Fs().MoveOneFile(held, this->P(L"moved.txt"), MoveFlag::CopyAllowed, nullptr));
    EXPECT_FALSE(this->Fs().MoveOneFile(this->P(L"other.txt"), held,
                                        MoveFlag::ReplaceExisting | MoveFlag::CopyAllowed, nullptr));
    EXPECT_FALSE(this->Fs().CopyOneFile(this->P(L"other.txt"), held, nullptr));
    EXPECT_EQ(this->maker.Content(held), "held");
    EXPECT_EQ(this->maker.Content(this->P(L"other.txt")), "other");
    EXPECT_FALSE(this->Exists(this->P(L"moved.txt")));

    // A copy reads it all the same.
    EXPECT_TRUE(this->Fs().CopyOneFile(held, this->P(L"copy.txt"), nullptr));
    EXPECT_EQ(this->maker.Content(this->P(L"copy.txt")), "held");

    // Windows refuses to rename a folder while a file in it is open, so a move goes on entry by
    // entry. Wine renames it, the open file along with it.
    const bool renamed = this->Fs().MoveOneFile(this->P(L"dir"), this->P(L"dir2"), MoveFlag::CopyAllowed, nullptr);
    EXPECT_EQ(renamed, this->maker.UnderWine());
    EXPECT_EQ(this->maker.Content(renamed ? this->P(L"dir2\\held.txt") : held), "held");
}

// ---- folder links and held folders ----

TYPED_TEST_P(FileSystemContract, RemovingAFolderLinkLeavesItsTargetAndContent)
{
    std::wstring link, target;
    if (!this->maker.FolderLink(L"removed", link, target))
        GTEST_SKIP() << "no folder link here (the build makes them on the Linux side, for ctest)";
    // Windows removes the link itself. Wine refuses a link to a folder that holds something,
    // and keeps the link (to an empty folder it would remove the target instead).
    EXPECT_EQ(this->Fs().RemoveFolder(link), !this->maker.UnderWine());
    EXPECT_EQ(this->Exists(link), this->maker.UnderWine());
    EXPECT_EQ(this->Looked(target), TestFixture::kFolder);
    EXPECT_EQ(this->maker.Content(target + L"\\precious.txt"), "precious\n");
}

TYPED_TEST_P(FileSystemContract, AFolderLinkIsListedAsALinkAndNeverHeld)
{
    std::wstring link, target;
    if (!this->maker.FolderLink(L"listed", link, target))
        GTEST_SKIP() << "no folder link here (the build makes them on the Linux side, for ctest)";
    const size_t cut = link.find_last_of(L'\\');
    const std::wstring name = link.substr(cut + 1);
    const auto listing = this->List(link.substr(0, cut + 1) + L"*");
    ASSERT_EQ(listing.count(name), 1u);
    EXPECT_EQ(listing.at(name).attributes, TestFixture::kLink);
    EXPECT_EQ(this->List(link), (typename TestFixture::Listing{{name, {TestFixture::kLink, 0}}}));
    EXPECT_NE(this->Fs().HoldFolder(target), nullptr);
    EXPECT_EQ(this->Fs().HoldFolder(link), nullptr);
    // An identity follows the link to the folder it leads to.
    EXPECT_TRUE(this->Fs().SameObject(link, target));
    EXPECT_EQ(this->maker.Content(target + L"\\precious.txt"), "precious\n");
}

TYPED_TEST_P(FileSystemContract, OnlyAPlainFolderIsHeld)
{
    this->maker.File(this->P(L"held\\a.txt"), "a", FileAttribute::Normal);
    EXPECT_EQ(this->Fs().HoldFolder(this->P(L"held\\a.txt")), nullptr);
    EXPECT_EQ(this->Fs().HoldFolder(this->P(L"missing")), nullptr);
    EXPECT_NE(this->Fs().HoldFolder(this->P(L"HELD")), nullptr);
}

// What the folder commands' walks rest on: a held folder keeps its place, its content does not.
TYPED_TEST_P(FileSystemContract, AHeldFolderStaysWhereItIsUntilReleased)
{
    this->maker.File(this->P(L"held\\a.txt"), "a", FileAttribute::Normal);
    this->maker.Folder(this->P(L"held\\sub"));
    std::unique_ptr<FolderHold> hold = this->Fs().HoldFolder(this->P(L"held"));
    ASSERT_NE(hold, nullptr);
    EXPECT_FALSE(this->Fs().MoveOneFile(this->P(L"held"), this->P(L"renamed"), MoveFlag::CopyAllowed, nullptr));
    // What lies inside is worked on as usual: the commands empty the folders they hold.
    EXPECT_TRUE(this->Fs().MoveOneFile(this->P(L"held\\a.txt"), this->P(L"a.txt"), MoveFlag::CopyAllowed, nullptr));
    EXPECT_TRUE(this->Fs().RemoveFolder(this->P(L"held\\sub")));
    EXPECT_FALSE(this->Fs().RemoveFolder(this->P(L"held")));
    EXPECT_EQ(this->Looked(this->P(L"held")), TestFixture::kFolder);

    hold.reset();
    EXPECT_TRUE(this->Fs().MoveOneFile(this->P(L"held"), this->P(L"renamed"), MoveFlag::CopyAllowed, nullptr));
    EXPECT_TRUE(this->Fs().RemoveFolder(this->P(L"renamed")));
    EXPECT_FALSE(this->Exists(this->P(L"renamed")));
}

// A file link loses only itself: no attribute, copy, move or removal ever reaches the file it
// leads to. Windows lists it as a link and acts on the link itself; Wine lists it as the file
// it leads to and cannot act on the link alone, so there it is left alone.
TYPED_TEST_P(FileSystemContract, NoCallReachesWhatAFileLinkLeadsTo)
{
    const bool wine = this->maker.UnderWine();
    const std::wstring moved = this->P(L"moved.txt");
    this->maker.File(this->P(L"new.txt"), "new", FileAttribute::Normal);
    this->maker.File(moved, "moved", FileAttribute::Normal);
    // `after`: what the link's name holds once Windows replaced it; null where nothing replaces it.
    struct Case { const wchar_t* name; std::function<bool(FileSystem&, const std::wstring&)> call; bool doneOnWindows; const char* after; };
    const Case cases[] = {
        {L"file-attributes", [](FileSystem& fs, const std::wstring& link) { return fs.SetAttributes(link, FileAttribute::ReadOnly); }, false, nullptr},
        {L"file-copied-over", [this](FileSystem& fs, const std::wstring& link) { return fs.CopyOneFile(this->P(L"new.txt"), link, nullptr); }, true, "new"},
        {L"file-moved-over", [&moved](FileSystem& fs, const std::wstring& link) {
             return fs.MoveOneFile(moved, link, MoveFlag::ReplaceExisting | MoveFlag::CopyAllowed, nullptr); }, true, "moved"},
        {L"file-removed", [](FileSystem& fs, const std::wstring& link) { return fs.RemoveFile(link); }, true, nullptr},
    };
    for (const Case& c : cases) {
        std::wstring link, target;
        if (!this->maker.FileLink(c.name, link, target))
            GTEST_SKIP() << "no file link here (the build makes them on the Linux side, for ctest)";
        SCOPED_TRACE(testing::PrintToString(link));
        const size_t cut = link.find_last_of(L'\\');
        const auto listing = this->List(link.substr(0, cut + 1) + L"*");
        ASSERT_EQ(listing.count(link.substr(cut + 1)), 1u);
        EXPECT_EQ(listing.at(link.substr(cut + 1)).attributes & FileAttribute::ReparsePoint,
                  wine ? 0u : FileAttribute::ReparsePoint);
        const bool done = c.call(this->Fs(), link);
        const std::wstring reason = done ? std::wstring() : this->Fs().FailureReason();
        EXPECT_EQ(this->maker.Content(target), "precious\n");
        EXPECT_EQ(this->Looked(target), 0u);
        EXPECT_EQ(done, c.doneOnWindows && !wine);
        if (!done) {
            EXPECT_NE(reason, L"");
        }
        if (c.after != nullptr) {
            EXPECT_EQ(this->maker.Content(link), wine ? std::string("precious\n") : std::string(c.after));
            EXPECT_EQ(this->Looked(link) & FileAttribute::ReparsePoint, 0u);
        }
        if (std::wstring(c.name) == L"file-removed") {
            EXPECT_EQ(this->Exists(link), wine);
        }
    }
}

// ---- what a path names ----

TYPED_TEST_P(FileSystemContract, SameObjectSeesOneFolderHoweverItIsSpelled)
{
    this->maker.File(this->P(L"Same\\Dir\\f.txt"), "f", FileAttribute::Normal);
    this->maker.Folder(this->P(L"other"));
    struct Case { std::wstring a, b; bool same; };
    const Case cases[] = {
        {this->P(L"Same\\Dir"), this->P(L"SAME\\dir"), true},
        {this->P(L"Same\\Dir"), this->P(L"same/dir"), true},
        {this->P(L"Same\\Dir"), this->P(L"same\\x\\..\\dir"), true},
        {this->P(L"Same\\Dir"), this->P(L"same\\dir\\"), true},
        {this->P(L"Same\\Dir\\f.txt"), this->P(L"same/DIR/F.TXT"), true},
        {this->P(L"Same\\Dir"), this->P(L"other"), false},
        {this->P(L"Same\\Dir"), this->P(L"Same"), false},
        {this->P(L"Same\\Dir"), this->P(L"missing"), false},
        {this->P(L"missing"), this->P(L"missing"), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(this->Fs().SameObject(c.a, c.b), c.same) << testing::PrintToString(c.b);
        EXPECT_EQ(this->Fs().SameObject(c.b, c.a), c.same) << testing::PrintToString(c.b);
    }
}

// Identities and final paths see through other spellings of a folder, and names compare with
// the file system's own case rules, beyond ASCII.
TYPED_TEST_P(FileSystemContract, IdentityFinalPathsAndNamesSeeThroughSpellings)
{
    this->maker.File(this->P(L"Donn\u00e9es\\Sub\\f.txt"), "f", FileAttribute::Normal);
    const std::wstring folder = this->P(L"Donn\u00e9es");
    const std::wstring alias = this->maker.Alias(folder);
    ASSERT_NE(alias, L"");
    ASSERT_NE(alias, folder);
    EXPECT_TRUE(this->Fs().SameObject(folder, alias)) << testing::PrintToString(alias);
    EXPECT_TRUE(this->Fs().SameObject(this->P(L"DONN\u00c9ES\\sub"), alias + L"\\Sub"));
    EXPECT_FALSE(this->Fs().SameObject(folder, alias + L"\\Sub"));

    const std::wstring final = this->Fs().FinalPath(this->P(L"DONN\u00c9ES\\SUB\\F.TXT"));
    const std::wstring stored = L"Donn\u00e9es\\Sub\\f.txt";
    ASSERT_GE(final.size(), stored.size()) << testing::PrintToString(final);
    EXPECT_EQ(final.substr(final.size() - stored.size()), stored) << "names as stored on disk";
    EXPECT_EQ(this->Fs().FinalPath(this->P(L"missing")), L"");

    struct Case { const wchar_t* a; const wchar_t* b; bool same; };
    const Case cases[] = {
        {L"Donn\u00e9es", L"DONN\u00c9ES", true}, {L"\u041f\u0430\u043f\u043a\u0430", L"\u041f\u0410\u041f\u041a\u0410", true},
        {L"abc", L"ABC", true}, {L"abc", L"abd", false}, {L"abc", L"abc ", false}, {L"e", L"\u00e9", false},
        {L"\u0141\u00f3d\u017a", L"\u0142\u00d3D\u0179", true}, {L"\u0141", L"L", false}, // "Łódź", "łÓDŹ"
    };
    for (const Case& c : cases)
        EXPECT_EQ(this->Fs().SameName(c.a, c.b), c.same) << testing::PrintToString(std::wstring(c.a));
}

// The commands check their rules on the portable normal form; the platform must resolve alike.
TYPED_TEST_P(FileSystemContract, FullPathResolvesAsThePortableRulesDo)
{
    for (const wchar_t* tail : {L"x\\..\\y", L"a/b/../c/.", L"a\\.\\b\\", L"a//b", L"a.\\b. .", L"a\\..\\..\\b",
                                L"a\\b\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\c"}) {
        const std::wstring path = this->P(tail);
        EXPECT_EQ(this->Fs().FullPath(path), NormalizePath(path)) << testing::PrintToString(path);
    }
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, AFolderListsItsEntriesWithDotsFolderBitsSizesAndAttributes,
                            SizesBeyond4GiBComeWhole, AnExactPathListsOnlyItsOwnEntryNamedAsOnDisk,
                            ATrailingSeparatorOrAMissingPathListsNothing,
                            OnlyAReadOnlyFileRefusesRemovalUntilItsAttributesAreNormal,
                            FoldersAreRemovedOnlyEmptyAndNotAsFiles,
                            NormalAttributesClearAFoldersOwnBitsAndKeepItAFolder,
                            CreatingAFolderTreeSaysWhetherTheFolderIsNew,
                            ACopyReplacesTheFileAtItsDestinationAndAFailedOneLeavesIt,
                            ACopyArrivesWithTheSourceAttributesThatNormalClears,
                            ARenameOnOneVolumeTakesAFolderWithItsContent,
                            AMoveReplacesAFileOnlyWhenAskedAndNeverAFolder,
                            AcrossVolumesOnlyFilesMoveAndOnlyWhenCopiesAreAllowed,
                            AnOpenFileIsNeitherRemovedMovedNorReplacedAndPinsItsFolder,
                            RemovingAFolderLinkLeavesItsTargetAndContent, AFolderLinkIsListedAsALinkAndNeverHeld,
                            OnlyAPlainFolderIsHeld, AHeldFolderStaysWhereItIsUntilReleased,
                            SameObjectSeesOneFolderHoweverItIsSpelled, FullPathResolvesAsThePortableRulesDo,
                            NoCallReachesWhatAFileLinkLeadsTo, IdentityFinalPathsAndNamesSeeThroughSpellings);
