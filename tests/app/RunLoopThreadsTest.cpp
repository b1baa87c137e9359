// The run loop on a worker thread while the window thread reads what it publishes, the way the
// panels do. Run under ThreadSanitizer (the tsan preset) a value read without its atomic or its
// lock is reported as a race; in the other builds the test checks what the reader saw.
#include "CommandKindsForTests.h"
#include "app/RunLoop.h"
#include "commands/FakeFileSystem.h"
#include "commands/FolderCommands.h"
#include "commands/InstallState.h"
#include "display/MainPanelContent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

// The worker's file system: one tree per copy command, made before the run starts.
FakeFileSystem* fileSystem = nullptr;

void CopyCommand(InstallState& state, int index)
{
    const InstallCommand& command = state.settings.commands[static_cast<size_t>(index)];
    CopyFolderTree(*fileSystem, state.progress, command.arguments[0], command.arguments[1]);
}

struct Invalidations : RunLoopObserver
{
    void InvalidateMainPanel() override { ++count; }
    void InvalidateFooter() override { ++count; }
    std::atomic<int> count{0};
};

TEST(RunLoopThreads, PanelsReadWhatTheWorkerPublishesWhole)
{
    FakeFileSystem files;
    fileSystem = &files;
    InstallState state;
    constexpr int kFiles = 30;
    constexpr int kItems = 100;
    for (int item = 0; item < kItems; ++item) {
        state.settings.items.push_back(L"Item " + std::to_wstring(item));
        for (int file = 0; file < kFiles; ++file)
            files.AddFile(L"C:\\src" + std::to_wstring(item) + L"\\file" + std::to_wstring(file) + L".txt",
                          std::string(static_cast<size_t>(file + 1), 'x'));
        InstallCommand command;
        command.item = static_cast<size_t>(item);
        command.SetCommandName(L"copy");
        command.arguments = {L"C:\\src" + std::to_wstring(item), L"D:\\dst"};
        state.settings.commands.push_back(command);
    }
    state.settings.itemCommands = ItemCommands(state.settings.items.size(), state.settings.commands);
    CommandRegistry handlers;
    handlers.Append({L"copy", CopyCommand, nullptr});
    GiveKinds(state.settings.commands, handlers);
    Invalidations invalidations;

    // The worker starts once the reader reads, so that the two overlap.
    std::atomic<bool> reading{false};
    std::atomic<bool> done{false};
    std::thread worker([&]() {
        while (!reading)
            std::this_thread::yield();
        RunInstallList(state, invalidations);
        done = true;
    });
    // The panels' reading: a snapshot of the main panel's values, the footer's percentage.
    int reads = 0;
    while (!done || reads == 0) {
        reading = true;
        const MainPanelSnapshot snapshot = TakeMainPanelSnapshot(state.progress);
        const float overall = state.progress.OverallPercent();
        EXPECT_GE(snapshot.currentItem, 0);
        EXPECT_LT(snapshot.currentItem, kItems);
        EXPECT_LE(snapshot.file.fileBytesDone, 30u); // the largest file
        EXPECT_TRUE(snapshot.file.fileName.empty() || snapshot.file.fileName.rfind(L"file", 0) == 0 ||
                    snapshot.file.fileName.rfind(L"src", 0) == 0)
            << testing::PrintToString(snapshot.file.fileName); // never a torn name
        EXPECT_LE(overall, 100.0f);
        ++reads;
    }
    worker.join();
    fileSystem = nullptr;
    EXPECT_EQ(invalidations.count.load(), 2 * kItems + 2); // two per command, two for the end
    EXPECT_EQ(state.progress.Snapshot().currentItem, kItems - 1);
    EXPECT_EQ(files.Tree(L"D:\\dst").size(), static_cast<size_t>(kItems * (kFiles + 1)));
}

} // namespace
