// The base of the three panels of the progress window. A panel takes over a STATIC control
// (subclassing: the control's window procedure is replaced and unhandled messages go to the
// previous one), owns the GDI+ fonts, string formats and picture it draws with, and paints
// double-buffered: every paint goes into one off-screen bitmap copied to the screen in one
// BitBlt, and the background is never erased separately, so updates do not flicker.
#pragma once

#include "config/Settings.h"
#include "display/GdiplusWin32.h"

#include <string>

class PanelHost;

class PanelWindow
{
public:
    PanelWindow();
    virtual ~PanelWindow();
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    // Replaces the control's window procedure. False: the control stays a plain control.
    bool Attach(HWND control);
    HWND Window() const { return window; }
    void SetOwner(PanelHost* host) { owner = host; }
    // The DPI of the monitor the window is on: every pixel size the panel draws with scales by
    // dpi / 96, and the fonts are made for it (set it before SetFonts).
    void SetDpi(int monitorDpi) { dpi = monitorDpi > 0 ? monitorDpi : 96; }
    int Dpi() const { return dpi; }
    float Scale() const;
    // Makes the four fonts from one face and two point sizes at the panel's DPI; an unknown face
    // falls back to the generic sans-serif family.
    void SetFonts(const std::wstring& face, int smallSize, int largeSize);
    void SetAntialias(bool on) { antialias = on; }
    // Colours and picture (loaded from the expanded imagePath; empty or unreadable: none). The
    // picture file is read into memory and closed at once, so a later command may delete it.
    void ApplySettings(const PanelSettings& settings);
    void ReleasePicture();
    // The measured height in pixels; -1 until the first paint has measured it.
    int Height() const { return height; }
    // Forgets the measurement, so the next paint measures again and calls PlaceWindows.
    virtual void ResetMeasure() { height = -1; }

protected:
    // Draws the whole panel into the off-screen device context; `client` is the client area.
    virtual void Paint(HDC dc, const RECT& client) = 0;
    // Messages a panel class handles beyond painting; true when handled (result set).
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The common start of every paint: a graphics object on the device context with the text
    // rendering hint, the background filled and the picture drawn stretched. The destructor
    // deletes the graphics object.
    class Canvas
    {
    public:
        Canvas(const PanelWindow& panel, HDC dc, const RECT& client);
        ~Canvas();
        Canvas(const Canvas&) = delete;
        Canvas& operator=(const Canvas&) = delete;
        Gdiplus::GpGraphics* Graphics() const { return graphics; }
        // The client area inset by kPanelInset on every side.
        Gdiplus::RectF Layout() const { return layout; }

    private:
        Gdiplus::GpGraphics* graphics = nullptr;
        Gdiplus::RectF layout;
    };

    // Draws a progress bar in the panel's three progress colours.
    void DrawProgressBar(Gdiplus::GpGraphics* graphics, float x, float y, float w, float h, float percent) const;
    // Text in one colour with the given font and format (null format: the GDI+ default).
    void DrawString(Gdiplus::GpGraphics* graphics, const std::wstring& text, Gdiplus::GpFont* font,
                  const Gdiplus::RectF& box, Gdiplus::GpStringFormat* format, uint32_t colour) const;
    // The box the text needs in `layout` with `format` (null: the GDI+ default, which wraps);
    // empty on failure. Measure with the format the text is drawn with.
    static Gdiplus::RectF MeasureText(Gdiplus::GpGraphics* graphics, const std::wstring& text,
                                      Gdiplus::GpFont* font, const Gdiplus::RectF& layout,
                                      Gdiplus::GpStringFormat* format = nullptr);

    PanelHost* owner = nullptr;
    int height = -1;
    bool antialias = true;
    int dpi = 96;
    PanelSettings colours;
    Gdiplus::GpImage* image = nullptr;
    IStream* imageBytes = nullptr; // the picture file's bytes in memory, which the image reads from
    Gdiplus::GpFont* smallFont = nullptr;
    Gdiplus::GpFont* smallBoldFont = nullptr;
    Gdiplus::GpFont* largeFont = nullptr;
    Gdiplus::GpFont* largeBoldFont = nullptr;
    Gdiplus::GpStringFormat* textFormat = nullptr;  // one line, ellipsis at a word, left
    Gdiplus::GpStringFormat* rightFormat = nullptr; // the same, right-aligned

private:
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void PaintBuffered(HDC target, const RECT& area);
    void OnPaint(WPARAM wParam);
    void Detach();
    void DeleteFonts();

    HWND window = nullptr;
    WNDPROC previousProcedure = DefWindowProcW;
};
