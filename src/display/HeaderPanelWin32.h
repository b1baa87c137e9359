// The top panel: the title text in the large bold font, on one line.
#pragma once

#include "display/PanelWindowWin32.h"

class HeaderPanel : public PanelWindow
{
public:
    void SetText(const std::wstring& newText) { text = newText; }

protected:
    void Paint(HDC dc, const RECT& client) override;

private:
    std::wstring text;
};
