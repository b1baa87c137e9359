// The middle panel: a window of item rows around the running item. The running item shows its
// counter, an item bar, and a detail line (the program being run, or the copy/move/delete
// status with the current file and a file bar). A 75 ms timer repaints it so the byte
// progress of a long command reaches the screen.
#pragma once

#include "display/MainPanelContent.h"
#include "display/PanelWindowWin32.h"

class MainPanel : public PanelWindow
{
public:
    ~MainPanel() override;

    static constexpr UINT_PTR kRepaintTimerId = 1252;
    static constexpr UINT kRepaintMilliseconds = 75;

    // Colours, picture, rows shown (total and after the current one) and the extra height.
    void ApplyMainSettings(const MainPanelSettings& settings);
    // Starts the repaint timer on the panel's window; false without a window or on failure.
    bool StartRepaintTimer();
    // The next timer tick repaints even if the progress has not moved since the last paint.
    void ForgetLastPaint() { hasPainted = false; }
    // The rows shown; the first paint reduces a negative or too large count to the items.
    int ShowTotal() const { return showTotal; }

protected:
    void Paint(HDC dc, const RECT& client) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    struct EntryBox
    {
        float x, y, width, height;
    };
    // The box one line of the item font takes in `box`, drawn as the rows draw it.
    Gdiplus::RectF MeasureLine(Gdiplus::GpGraphics* graphics, const std::wstring& text, const Gdiplus::RectF& box) const;
    // Draws item `itemIndex` (within the items) in the row box; returns the box it took.
    EntryBox DrawItemEntry(Gdiplus::GpGraphics* graphics, const Gdiplus::RectF& row, int itemIndex,
                           const MainPanelSnapshot& snapshot, const InstallSettings& settings) const;

    MainPanelSettings mainSettings; // the item names' colours, the failed one among them
    uint32_t descriptionColour = kOpaqueBlack;
    int showTotal = -1;
    int showAfter = -1;
    int fixMain = 0;

    // What the last paint showed; the timer skips the repaint while it is still current, so a
    // long wait (an execute command) costs next to no CPU.
    MainPanelSnapshot lastPainted;
    bool hasPainted = false;
};
