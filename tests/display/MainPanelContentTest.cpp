#include "display/MainPanelContent.h"

#include "app/InstallState.h"

#include <gtest/gtest.h>

namespace {

InstallCommand Command(const wchar_t* item, const wchar_t* kind, const wchar_t* displayName = L"")
{
    InstallCommand command;
    command.itemName = item;
    command.commandName = kind;
    command.displayName = displayName;
    return command;
}

class CurrentItem : public testing::Test
{
protected:
    CurrentItem()
    {
        settings.items = {L"Runtime", L"Fonts", L"Drivers", L"Cleanup", L"Empty"};
        settings.commands = {
            Command(L"runtime", L"execute", L"Installing the runtime"),
            Command(L"Fonts", L"DirCopy"),
            Command(L"FONTS", L"dirmove"),
            Command(L"Drivers", L"regedit"),
            Command(L"Cleanup", L"dirdelete"),
        };
        settings.copyText = L"Copying %1% %2%/%3% (%4%)";
        settings.moveText = L"Moving %1%";
        settings.deleteText = L"Deleting %1%";
        snapshot.file = {L"arial.ttf", 1024, 4096};
        snapshot.filePercent = 25.0f;
    }

    CurrentItemContent Compose(int item, int command)
    {
        snapshot.currentItem = item;
        snapshot.currentCommand = command;
        return ComposeCurrentItem(settings, snapshot, item);
    }

    InstallSettings settings;
    MainPanelSnapshot snapshot;
};

TEST_F(CurrentItem, ExecuteShowsTheProgramsName)
{
    const CurrentItemContent content = Compose(0, 0);
    EXPECT_EQ(content.line, L"Runtime (1/5)");
    EXPECT_EQ(content.detail, DetailKind::Execute);
    EXPECT_EQ(content.detailText, L"Installing the runtime");
    EXPECT_FALSE(content.fileBar);
}

TEST_F(CurrentItem, CopyAndMoveShowTheirTemplateAndAFileBar)
{
    snapshot.itemPercent = 50.0f;
    snapshot.commandPercent = 40.0f;
    CurrentItemContent content = Compose(1, 2);
    EXPECT_EQ(content.line, L"Fonts (2/5)");
    EXPECT_EQ(content.detail, DetailKind::Move);
    EXPECT_EQ(content.detailText, L"Moving arial.ttf");
    EXPECT_TRUE(content.fileBar);
    EXPECT_FLOAT_EQ(content.filePercent, 25.0f);
    EXPECT_FLOAT_EQ(content.itemBarPercent, 70.0f); // two commands: 50 + 40 / 2

    content = Compose(1, 1);
    EXPECT_EQ(content.detail, DetailKind::Copy);
    EXPECT_EQ(content.detailText, L"Copying arial.ttf 1024.0B/4.0KB (25%)");
    EXPECT_TRUE(content.fileBar);
}

TEST_F(CurrentItem, DeleteShowsItsTemplateWithoutABar)
{
    const CurrentItemContent content = Compose(3, 4);
    EXPECT_EQ(content.line, L"Cleanup (4/5)");
    EXPECT_EQ(content.detail, DetailKind::Delete);
    EXPECT_EQ(content.detailText, L"Deleting arial.ttf");
    EXPECT_FALSE(content.fileBar);
}

TEST_F(CurrentItem, AnUnknownKindLeavesTheDetailLineEmpty)
{
    const CurrentItemContent content = Compose(2, 3);
    EXPECT_EQ(content.detail, DetailKind::None);
    EXPECT_TRUE(content.detailText.empty());
}

TEST_F(CurrentItem, NoCommandToShowGivesTheItemPercentageAndNoDetail)
{
    snapshot.itemPercent = 20.0f;
    snapshot.commandPercent = 90.0f;
    struct Case
    {
        int item;
        int command;
    };
    // An item without commands; a command index before, past or outside the list.
    const Case cases[] = {{4, 0}, {4, 4}, {0, -1}, {0, 5}, {0, 1000}};
    for (const Case& c : cases) {
        const CurrentItemContent content = Compose(c.item, c.command);
        EXPECT_EQ(content.detail, DetailKind::None) << c.item << " " << c.command;
        EXPECT_TRUE(content.detailText.empty());
        EXPECT_FALSE(content.fileBar);
        const float expected = c.item == 4 ? 20.0f : 20.0f + 90.0f; // item 0 has one command
        EXPECT_FLOAT_EQ(content.itemBarPercent, expected) << c.item << " " << c.command;
    }

    settings.commands.clear();
    const CurrentItemContent content = Compose(0, 0);
    EXPECT_EQ(content.detail, DetailKind::None);
    EXPECT_FLOAT_EQ(content.itemBarPercent, 20.0f);
    EXPECT_EQ(content.line, L"Runtime (1/5)");
}

TEST(MainPanelSnapshot, ReadsEveryProgressValue)
{
    InstallProgress progress;
    progress.currentItem = 3;
    progress.currentCommand = 7;
    progress.itemPercent = 25.0f;
    progress.commandPercent = 12.5f;
    progress.filePercent = 80.0f;
    progress.fileBytesDone = 800;
    progress.fileBytesTotal = 1000;
    progress.SetCurrentFileName(L"big.cab");
    const MainPanelSnapshot snapshot = TakeMainPanelSnapshot(progress);
    EXPECT_EQ(snapshot.currentItem, 3);
    EXPECT_EQ(snapshot.currentCommand, 7);
    EXPECT_FLOAT_EQ(snapshot.itemPercent, 25.0f);
    EXPECT_FLOAT_EQ(snapshot.commandPercent, 12.5f);
    EXPECT_FLOAT_EQ(snapshot.filePercent, 80.0f);
    EXPECT_EQ(snapshot.file.fileBytesDone, 800u);
    EXPECT_EQ(snapshot.file.fileBytesTotal, 1000u);
    EXPECT_EQ(snapshot.file.fileName, L"big.cab");
}

} // namespace
