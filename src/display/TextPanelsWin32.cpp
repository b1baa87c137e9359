// Painting of the header (the title) and the footer (overall percentage and bar). Each measures
// its height on its first paint and then asks the main window to lay the panels out.
#include "display/FooterPanelWin32.h"
#include "display/HeaderPanelWin32.h"

#include "commands/InstallState.h"
#include "display/DisplayText.h"
#include "display/PanelHost.h"
#include "display/PanelLayout.h"

using namespace Gdiplus;

void HeaderPanel::Paint(HDC dc, const RECT& client)
{
    Canvas canvas(*this, dc, client);
    const RectF layout = canvas.Layout();
    if (height == -1) {
        // Measured as it is drawn: on one line, in the control's size at this moment.
        const RectF box = MeasureText(canvas.Graphics(), text, largeBoldFont, layout, textFormat);
        height = TextPanelHeight(box.Height, Scale());
        if (owner != nullptr) {
            owner->PlaceWindows();
        }
    }
    DrawString(canvas.Graphics(), text, largeBoldFont, layout, textFormat, colours.foreColour);
}

void FooterPanel::Paint(HDC dc, const RECT& client)
{
    Canvas canvas(*this, dc, client);
    const RectF layout = canvas.Layout();
    const float overall = owner != nullptr ? owner->State().progress.OverallPercent() : 0.0f;
    const float percent = DrawablePercent(overall);
    const std::wstring shown = FooterText(percent, text);

    if (textWidth == -1 || height == -1) {
        // The box keeps the width "100%" needs, so the bar does not move as the number grows.
        const RectF box = MeasureText(canvas.Graphics(), FooterMeasureText(text), smallBoldFont, layout, rightFormat);
        textWidth = static_cast<int>(box.Width);
        height = TextPanelHeight(box.Height, Scale());
        if (owner != nullptr) {
            owner->PlaceWindows();
        }
    }

    const float reserved = static_cast<float>(textWidth) + kPanelGap * Scale();
    const RectF textBox(layout.X, layout.Y, static_cast<float>(textWidth), layout.Height);
    DrawString(canvas.Graphics(), shown, smallBoldFont, textBox, rightFormat, colours.foreColour);
    DrawProgressBar(canvas.Graphics(), layout.X + reserved, layout.Y, layout.Width - reserved, layout.Height, percent);
}
