// The bottom panel: the overall percentage with the completion text, right-aligned in a box as
// wide as "100% <text>" needs, and the overall progress bar beside it.
#pragma once

#include "display/PanelWindowWin32.h"

class FooterPanel : public PanelWindow
{
public:
    void SetText(const std::wstring& newText) { text = newText; }
    // The width reserved for the percentage text; -1 until the first paint measured it.
    int TextWidth() const { return textWidth; }
    void ResetMeasure() override
    {
        PanelWindow::ResetMeasure();
        textWidth = -1;
    }

protected:
    void Paint(HDC dc, const RECT& client) override;

private:
    std::wstring text;
    int textWidth = -1;
};
