// Painting of the main panel: the rows of items around the running one, the running item's
// counter and bar, and its detail line with the file bar. Each paint reads the progress values
// once (a snapshot) while the worker keeps writing them.
#include "display/MainPanelWin32.h"

#include "commands/InstallState.h"
#include "display/PanelHost.h"
#include "display/PanelLayout.h"

#include <climits>

using namespace Gdiplus;

namespace {

// At 96 DPI; scaled with the panel.
constexpr float kBarWidth = 100.0f;
constexpr float kDetailIndent = 30.0f;

const InstallSettings& NoSettings()
{
    static const InstallSettings empty;
    return empty;
}

} // namespace

MainPanel::~MainPanel()
{
    if (Window() != nullptr && IsWindow(Window())) {
        KillTimer(Window(), kRepaintTimerId);
    }
}

void MainPanel::ApplyMainSettings(const MainPanelSettings& settings)
{
    ApplySettings(settings);
    mainSettings = settings;
    descriptionColour = settings.descriptionColour;
    showTotal = settings.showTotal;
    showAfter = settings.showAfter;
    fixMain = settings.fixMain;
}

bool MainPanel::StartRepaintTimer()
{
    return Window() != nullptr && SetTimer(Window(), kRepaintTimerId, kRepaintMilliseconds, nullptr) != 0;
}

bool MainPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message != WM_TIMER) {
        return false;
    }
    if (wParam == kRepaintTimerId) {
        // Repaint at once when the progress shown has moved; an unchanged state would paint the
        // same pixels again. Invalidations from the worker and the system still paint as usual.
        const bool unchanged = hasPainted && owner != nullptr && TakeMainPanelSnapshot(owner->State().progress) == lastPainted;
        if (!unchanged) {
            RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
    }
    result = 0;
    return true;
}

void MainPanel::Paint(HDC dc, const RECT& client)
{
    Canvas canvas(*this, dc, client);
    const RectF layout = canvas.Layout();
    const InstallState* state = owner != nullptr ? &owner->State() : nullptr;
    const InstallSettings& settings = state != nullptr ? state->settings : NoSettings();
    const int itemCount = settings.items.size() > static_cast<size_t>(INT_MAX) ? INT_MAX
                                                                               : static_cast<int>(settings.items.size());

    if (height == -1) {
        // One row per shown item plus one for the running item's detail line.
        showTotal = ClampShowTotal(showTotal, itemCount);
        const float rowHeight =
            showTotal > 0 ? MeasureText(canvas.Graphics(), L"TEST", smallBoldFont, layout).Height : 0.0f;
        height = MainPanelHeight(rowHeight, showTotal, ScalePixels(fixMain, Dpi()), Scale());
        if (owner != nullptr) {
            owner->PlaceWindows();
        }
    }

    const MainPanelSnapshot snapshot = state != nullptr ? TakeMainPanelSnapshot(state->progress) : MainPanelSnapshot{};
    lastPainted = snapshot;
    hasPainted = true;
    const RowWindow rows = ComputeRowWindow(snapshot.currentItem, showTotal, showAfter, itemCount);
    float y = layout.Y;
    for (int item = rows.start; item < rows.end; ++item) {
        const RectF row(layout.X, y, layout.Width, layout.Height);
        const EntryBox used = DrawItemEntry(canvas.Graphics(), row, item, snapshot, settings);
        y += used.height + kPanelGap * Scale();
    }
}

RectF MainPanel::MeasureLine(GpGraphics* graphics, const std::wstring& text, const RectF& box) const
{
    // Measured as drawn, on one line; an empty text still takes a line's height, so the rows
    // below it keep their places.
    RectF measured = MeasureText(graphics, text, smallBoldFont, box, textFormat);
    if (measured.Height <= 0.0f)
        measured.Height = MeasureText(graphics, L"TEST", smallBoldFont, box, textFormat).Height;
    return measured;
}

MainPanel::EntryBox MainPanel::DrawItemEntry(GpGraphics* graphics, const RectF& row, int itemIndex,
                                             const MainPanelSnapshot& snapshot,
                                             const InstallSettings& settings) const
{
    const std::wstring& name = settings.items[static_cast<size_t>(itemIndex)];
    if (itemIndex != snapshot.currentItem) {
        const RectF box = MeasureLine(graphics, name, row);
        DrawString(graphics, name, smallBoldFont, row, textFormat, ItemNameColour(mainSettings, snapshot, itemIndex));
        return {box.X, box.Y, box.Width, box.Height};
    }

    const CurrentItemContent content = ComposeCurrentItem(settings, snapshot, itemIndex);
    const float gap = kPanelGap * Scale();
    const float barWidth = kBarWidth * Scale();
    const float barRoom = barWidth + gap; // taken from a text line for the bar beside it
    const RectF line(row.X, row.Y, row.Width - barRoom, row.Height);
    const RectF box = MeasureLine(graphics, content.line, line);
    DrawString(graphics, content.line, smallBoldFont, line, textFormat, ItemNameColour(mainSettings, snapshot, itemIndex));
    DrawProgressBar(graphics, row.X + row.Width - barWidth, row.Y, barWidth, box.Height, content.itemBarPercent);

    const float indent = kDetailIndent * Scale();
    const RectF detail(row.X + indent, row.Y + box.Height + gap, row.Width - indent, row.Height);
    if (content.detail != DetailKind::None) {
        const float textWidth = content.detailLeavesBarRoom ? detail.Width - barRoom : detail.Width;
        DrawString(graphics, content.detailText, smallFont, RectF(detail.X, detail.Y, textWidth, detail.Height),
                   textFormat, descriptionColour);
        if (content.fileBar) // lines up under the item bar
            DrawProgressBar(graphics, detail.X + detail.Width - barRoom + gap, detail.Y, barWidth, box.Height,
                            content.filePercent);
    }
    // The entry is two lines high even when the detail line is empty.
    return {box.X, box.Y, box.Width, 2.0f * box.Height + gap};
}
