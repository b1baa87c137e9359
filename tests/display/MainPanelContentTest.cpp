#include "display/MainPanelContent.h"

#include "CommandKindsForTests.h"
#include "commands/CommandKinds.h"
#include "commands/InstallState.h"

#include <gtest/gtest.h>

namespace {

InstallCommand Command(size_t item, const wchar_t* kind, const wchar_t* displayName = L"")
{
    InstallCommand command;
    command.item = item;
    command.SetCommandName(kind);
    command.Program().displayName = displayName;
    return command;
}

class CurrentItem : public testing::Test
{
protected:
    CurrentItem()
    {
        settings.items = {L"Runtime", L"Fonts", L"Drivers", L"Cleanup", L"Empty"};
        settings.commands = {
            Command(0, L"execute", L"Installing the runtime"),
            Command(1, L"DirCopy"),
            Command(1, L"dirmove"),
            Command(2, L"regedit"),
            Command(3, L"dirdelete"),
        };
        settings.itemCommands = ItemCommands(settings.items.size(), settings.commands);
        RegisterCommandKinds(kinds, false);
        GiveKinds(settings.commands, kinds);
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

    CommandRegistry kinds;
    InstallSettings settings;
    MainPanelSnapshot snapshot;
};

TEST_F(CurrentItem, EachKindShowsItsDetailAndOnlyCopyAndMoveAFileBar)
{
    snapshot.itemPercent = 50.0f;
    snapshot.commandPercent = 40.0f;
    struct Case { int item, command; const wchar_t* line; DetailKind detail; const wchar_t* text; bool fileBar; float itemBar; };
    const Case cases[] = {
        {0, 0, L"Runtime (1/5)", DetailKind::Execute, L"Installing the runtime", false, 90.0f},
        {1, 1, L"Fonts (2/5)", DetailKind::Copy, L"Copying arial.ttf 1024.0B/4.0KB (25%)", true, 70.0f},
        {1, 2, L"Fonts (2/5)", DetailKind::Move, L"Moving arial.ttf", true, 70.0f}, // two commands: 50 + 40 / 2
        {2, 3, L"Drivers (3/5)", DetailKind::None, L"", false, 90.0f},              // an unknown kind
        {3, 4, L"Cleanup (4/5)", DetailKind::Delete, L"Deleting arial.ttf", false, 90.0f},
        // No command to show: the item's own percentage without a divisor for the command's
        // share, or a command index before or past the list.
        {4, 0, L"Empty (5/5)", DetailKind::None, L"", false, 50.0f},
        {0, -1, L"Runtime (1/5)", DetailKind::None, L"", false, 90.0f},
        {0, 5, L"Runtime (1/5)", DetailKind::None, L"", false, 90.0f},
        {0, 1000, L"Runtime (1/5)", DetailKind::None, L"", false, 90.0f},
        // The new item is published before its first command: the previous item's command
        // (still current) shows no detail line under it.
        {2, 2, L"Drivers (3/5)", DetailKind::None, L"", false, 90.0f},
        {1, 0, L"Fonts (2/5)", DetailKind::None, L"", false, 70.0f},
    };
    for (const Case& c : cases) {
        const CurrentItemContent content = Compose(c.item, c.command);
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)) + " command " + std::to_string(c.command));
        EXPECT_EQ(content.line, c.line);
        EXPECT_EQ(content.detail, c.detail);
        EXPECT_EQ(content.detailText, c.text);
        EXPECT_EQ(content.fileBar, c.fileBar);
        EXPECT_FLOAT_EQ(content.itemBarPercent, c.itemBar);
        if (c.fileBar) {
            EXPECT_FLOAT_EQ(content.filePercent, 25.0f);
        }
    }
}

} // namespace

namespace {

// A failed item keeps the failed colour through later commands and the end of the list, and
// only where one is configured; a repaint follows the mark.
TEST(ItemNameColour, AFailedItemIsDrawnInTheFailedColourWhereOneIsConfigured)
{
    MainPanelSettings colours;
    colours.foreColour = 0xFF000001u;
    colours.currentColour = 0xFF000002u;
    InstallProgress progress;
    progress.StartCommand(1, 1, 0.0f, 25.0f);
    progress.MarkItemFailed(1);
    const MainPanelSnapshot before = TakeMainPanelSnapshot(progress);
    progress.StartCommand(2, 2, 0.0f, 50.0f);
    progress.EndList(3);
    const MainPanelSnapshot end = TakeMainPanelSnapshot(progress);
    EXPECT_EQ(end.failedItems, (std::vector<int32_t>{1}));

    struct Case { bool configured; int item; uint32_t colour; };
    const Case cases[] = {
        {false, 1, 0xFF000001u}, {false, 3, 0xFF000002u}, {true, 1, 0xFF0000FFu}, {true, 0, 0xFF000001u},
        {true, 3, 0xFF000002u},
    };
    for (const Case& c : cases) {
        colours.failedColourGiven = c.configured;
        colours.failedColour = 0xFF0000FFu;
        EXPECT_EQ(ItemNameColour(colours, end, c.item), c.colour) << c.configured << " " << c.item;
    }
    // The failing item is current while it fails: drawn failed at once.
    colours.failedColourGiven = true;
    EXPECT_EQ(ItemNameColour(colours, before, 1), 0xFF0000FFu);
    progress.MarkItemFailed(2);
    EXPECT_NE(TakeMainPanelSnapshot(progress), end);
}

} // namespace
