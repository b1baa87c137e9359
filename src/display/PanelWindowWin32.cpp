// The panel base: subclassing of the STATIC control, the double-buffered paint shared by
// WM_PAINT and WM_PRINTCLIENT, and the GDI+ resources (fonts, string formats, picture) a panel
// owns. GDI+ failures are passed over: whatever cannot be made is simply not drawn.
#include "display/PanelWindowWin32.h"

#include "config/ScopedWin32.h"
#include "display/PanelLayout.h"
#include "display/StartupTraceWin32.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// The window property that leads from a subclassed control to its panel object.
const wchar_t kPanelProperty[] = L"Varnekite.PanelWindow";

GpStringFormat* MakeStringFormat(StringAlignment alignment)
{
    GpStringFormat* format = nullptr;
    if (GdipCreateStringFormat(0, LANG_NEUTRAL, &format) != Ok) {
        return nullptr;
    }
    GdipSetStringFormatFlags(format, StringFormatFlagsNoWrap);
    GdipSetStringFormatTrimming(format, StringTrimmingEllipsisWord);
    GdipSetStringFormatAlign(format, alignment);
    return format;
}

// The generic sans-serif family, fetched once: GDI+ keeps it for the life of the process.
GpFontFamily* SansSerifFamily()
{
    static GpFontFamily* family = [] {
        GpFontFamily* found = nullptr;
        if (GdipGetGenericFontFamilySansSerif(&found) != Ok) {
            found = nullptr;
        }
        return found;
    }();
    return family;
}

// A font of the named face, or of the generic sans-serif face when the name or the font
// cannot be made; null when neither can.
GpFont* MakeFont(const std::wstring& face, int points, INT style, int dpi)
{
    GpFontFamily* named = nullptr;
    if (GdipCreateFontFamilyFromName(face.c_str(), nullptr, &named) != Ok) {
        named = nullptr;
    }
    GpFontFamily* family = named != nullptr ? named : SansSerifFamily();
    // In pixels for the monitor's DPI: a device context reports the system's DPI, which on a
    // second monitor is not the window's.
    const REAL size = static_cast<REAL>(points) * static_cast<REAL>(dpi) / 72.0f;
    GpFont* font = nullptr;
    if (family == nullptr || GdipCreateFont(family, size, style, UnitPixel, &font) != Ok) {
        font = nullptr;
        if (SansSerifFamily() != nullptr && GdipCreateFont(SansSerifFamily(), size, style, UnitPixel, &font) != Ok) {
            font = nullptr;
        }
    }
    if (named != nullptr) {
        GdipDeleteFontFamily(named);
    }
    return font;
}

// Every paint resource is released on every path, a paint that throws included: a memory
// device context with its bitmap selected, and the BeginPaint/EndPaint pair (without EndPaint
// the update region stays and WM_PAINT comes again and again).
class PaintScope
{
public:
    explicit PaintScope(HWND window) : window(window), dc(BeginPaint(window, &paint)) {}
    ~PaintScope() { EndPaint(window, &paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return dc; }

private:
    HWND window;
    PAINTSTRUCT paint{};
    HDC dc;
};

class MemoryCanvas
{
public:
    // A memory device context compatible with `target`, with a bitmap of that size selected
    // when width and height are positive.
    MemoryCanvas(HDC target, int width, int height) : dc(CreateCompatibleDC(target))
    {
        if (dc.Valid() && width > 0 && height > 0) {
            bitmap.Reset(CreateCompatibleBitmap(target, width, height));
            if (bitmap.Valid())
                previous = SelectObject(dc.Get(), bitmap.Get());
        }
    }
    ~MemoryCanvas()
    {
        // The bitmap is selected out before the members delete it, then the context.
        if (bitmap.Valid())
            SelectObject(dc.Get(), previous);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    HDC Dc() const { return dc.Get(); }
    bool HasBitmap() const { return bitmap.Valid(); }

private:
    ScopedMemoryDc dc;
    ScopedGdiObject<HBITMAP> bitmap; // declared after the context: deleted before it
    HGDIOBJ previous = nullptr;
};

// The whole file in a memory stream, the file closed again; null when it cannot be read.
IStream* ReadFileIntoStream(const std::wstring& path)
{
    HGLOBAL memory = nullptr;
    bool read = false;
    {
        const ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid())
            return nullptr;
        LARGE_INTEGER size{};
        // A picture larger than 256 MiB is no panel picture; such a file is not read.
        if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < (256LL << 20))
            memory = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size.QuadPart));
        if (memory != nullptr) {
            if (void* bytes = GlobalLock(memory)) {
                DWORD got = 0;
                read = ReadFile(file.Get(), bytes, static_cast<DWORD>(size.QuadPart), &got, nullptr) &&
                       got == static_cast<DWORD>(size.QuadPart);
                GlobalUnlock(memory);
            }
        }
    }
    IStream* stream = nullptr;
    if (!read || CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
        if (memory != nullptr)
            GlobalFree(memory);
        return nullptr;
    }
    return stream; // frees the memory when released
}

void DeleteFont(GpFont*& font)
{
    if (font != nullptr) {
        GdipDeleteFont(font);
        font = nullptr;
    }
}

} // namespace

PanelWindow::PanelWindow()
    : textFormat(MakeStringFormat(StringAlignmentNear)), rightFormat(MakeStringFormat(StringAlignmentFar))
{
}

PanelWindow::~PanelWindow()
{
    Detach();
    DeleteFonts();
    ReleasePicture();
    if (textFormat != nullptr) {
        GdipDeleteStringFormat(textFormat);
    }
    if (rightFormat != nullptr) {
        GdipDeleteStringFormat(rightFormat);
    }
}

bool PanelWindow::Attach(HWND control)
{
    if (control == nullptr || window != nullptr || !IsWindow(control)) {
        return false;
    }
    if (GetPropW(control, kPanelProperty) != nullptr) {
        // Already a panel: a second one would find itself as the previous procedure and
        // call itself for ever.
        return false;
    }
    if (!SetPropW(control, kPanelProperty, this)) {
        return false;
    }
    window = control;
    const LONG_PTR previous =
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PanelWindow::WindowProcedure));
    if (previous == 0) {
        // Not replaced (another thread's window, say): the control stays a plain control.
        RemovePropW(control, kPanelProperty);
        window = nullptr;
        return false;
    }
    previousProcedure = reinterpret_cast<WNDPROC>(previous);
    return true;
}

void PanelWindow::Detach()
{
    if (window == nullptr) {
        return;
    }
    if (IsWindow(window)) {
        const LONG_PTR current = GetWindowLongPtrW(window, GWLP_WNDPROC);
        if (current == reinterpret_cast<LONG_PTR>(&PanelWindow::WindowProcedure)) {
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure));
        }
        if (GetPropW(window, kPanelProperty) == this) {
            RemovePropW(window, kPanelProperty);
        }
    }
    window = nullptr;
    previousProcedure = DefWindowProcW;
}

LRESULT CALLBACK PanelWindow::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* panel = static_cast<PanelWindow*>(GetPropW(hwnd, kPanelProperty));
    if (panel == nullptr || panel->window != hwnd) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        // The control goes away: hand it back before the last message so nothing reaches a
        // panel that no longer has a window.
        const WNDPROC previous = panel->previousProcedure;
        panel->Detach();
        return CallWindowProcW(previous, hwnd, message, wParam, lParam);
    }
    try {
        return panel->Dispatch(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into the system's message dispatch; a failed paint shows nothing.
        return 0;
    }
}

LRESULT PanelWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel
    case WM_PAINT:
    case WM_PRINTCLIENT:
        if (message == WM_PRINTCLIENT && wParam == 0) {
            return 0; // nothing to print into
        }
        OnPaint(wParam);
        MarkPaint(window);
        return 0;
    default:
        break;
    }
    LRESULT result = 0;
    if (HandleMessage(message, wParam, lParam, result)) {
        return result;
    }
    return CallWindowProcW(previousProcedure, window, message, wParam, lParam);
}

bool PanelWindow::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

void PanelWindow::OnPaint(WPARAM wParam)
{
    RECT client{};
    GetClientRect(window, &client);
    HDC given = reinterpret_cast<HDC>(wParam);
    if (given == nullptr) {
        const PaintScope paint(window);
        if (paint.Dc() != nullptr) {
            PaintBuffered(paint.Dc(), client);
        }
        return;
    }
    // A given device context (WM_PRINTCLIENT during the fade-in, or WM_PAINT with a DC) is
    // painted over its clip box, held within the client area so nothing outside the panel is
    // overwritten in a shared print bitmap.
    RECT area{};
    if (GetClipBox(given, &area) == ERROR) {
        area = client;
    }
    RECT inside{};
    if (!IntersectRect(&inside, &area, &client)) {
        return;
    }
    PaintBuffered(given, inside);
}

void PanelWindow::PaintBuffered(HDC target, const RECT& area)
{
    const int width = area.right - area.left;
    const int heightInPixels = area.bottom - area.top;
    if (width <= 0 || heightInPixels <= 0) {
        // Nothing to copy; the paint still runs once so a panel of no size measures itself.
        RECT client{};
        GetClientRect(window, &client);
        if (height == -1) {
            const MemoryCanvas memory(target, 0, 0);
            if (memory.Dc() != nullptr) {
                Paint(memory.Dc(), client);
            }
        }
        return;
    }
    const MemoryCanvas memory(target, width, heightInPixels);
    if (!memory.HasBitmap()) {
        return;
    }
    SetWindowOrgEx(memory.Dc(), area.left, area.top, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    Paint(memory.Dc(), client);
    BitBlt(target, area.left, area.top, width, heightInPixels, memory.Dc(), area.left, area.top, SRCCOPY);
}

float PanelWindow::Scale() const
{
    return ScaleOf(dpi);
}

void PanelWindow::SetFonts(const std::wstring& face, int smallSize, int largeSize)
{
    // A panel made before GDI+ was running has no formats yet; make them now.
    if (textFormat == nullptr) {
        textFormat = MakeStringFormat(StringAlignmentNear);
    }
    if (rightFormat == nullptr) {
        rightFormat = MakeStringFormat(StringAlignmentFar);
    }
    DeleteFonts();
    smallFont = MakeFont(face, smallSize, FontStyleRegular, dpi);
    smallBoldFont = MakeFont(face, smallSize, FontStyleBold, dpi);
    largeFont = MakeFont(face, largeSize, FontStyleRegular, dpi);
    largeBoldFont = MakeFont(face, largeSize, FontStyleBold, dpi);
}

void PanelWindow::DeleteFonts()
{
    DeleteFont(smallFont);
    DeleteFont(smallBoldFont);
    DeleteFont(largeFont);
    DeleteFont(largeBoldFont);
}

void PanelWindow::ApplySettings(const PanelSettings& settings)
{
    colours = settings;
    ReleasePicture();
    if (settings.imagePath.empty())
        return;
    // A missing or unreadable picture shows nothing.
    imageBytes = ReadFileIntoStream(settings.imagePath);
    if (imageBytes != nullptr && GdipLoadImageFromStream(imageBytes, &image) != Ok)
        ReleasePicture();
}

void PanelWindow::ReleasePicture()
{
    if (image != nullptr) {
        GdipDisposeImage(image);
        image = nullptr;
    }
    // GDI+ reads a picture from its stream as long as the picture lives: the stream goes after it.
    if (imageBytes != nullptr) {
        imageBytes->Release();
        imageBytes = nullptr;
    }
}

PanelWindow::Canvas::Canvas(const PanelWindow& panel, HDC dc, const RECT& client)
{
    const REAL x = static_cast<REAL>(client.left);
    const REAL y = static_cast<REAL>(client.top);
    const REAL width = static_cast<REAL>(client.right - client.left);
    const REAL height = static_cast<REAL>(client.bottom - client.top);
    const REAL inset = kPanelInset * panel.Scale();
    layout = RectF(x + inset, y + inset, width - 2.0f * inset, height - 2.0f * inset);
    if (GdipCreateFromHDC(dc, &graphics) != Ok) {
        graphics = nullptr;
        return;
    }
    if (panel.antialias) {
        GdipSetTextRenderingHint(graphics, TextRenderingHintAntiAlias);
    }
    GpSolidFill* back = nullptr;
    if (GdipCreateSolidFill(panel.colours.backColour, &back) == Ok) {
        GdipFillRectangle(graphics, back, x, y, width, height);
        GdipDeleteBrush(back);
    }
    if (panel.image != nullptr) {
        GdipDrawImageRect(graphics, panel.image, x, y, width, height);
    }
}

PanelWindow::Canvas::~Canvas()
{
    if (graphics != nullptr) {
        GdipDeleteGraphics(graphics);
    }
}

void PanelWindow::DrawProgressBar(GpGraphics* graphics, float x, float y, float w, float h, float percent) const
{
    if (graphics == nullptr) {
        return;
    }
    const ProgressBarGeometry bar = ComputeProgressBar(x, y, w, h, percent, Scale());
    GpSolidFill* border = nullptr;
    GpSolidFill* back = nullptr;
    GpSolidFill* fore = nullptr;
    GpPen* pen = nullptr;
    if (GdipCreateSolidFill(colours.progressBorder, &border) != Ok) {
        border = nullptr;
    }
    if (GdipCreateSolidFill(colours.progressBack, &back) != Ok) {
        back = nullptr;
    }
    if (GdipCreateSolidFill(colours.progressFore, &fore) != Ok) {
        fore = nullptr;
    }
    if (border != nullptr && GdipCreatePen2(border, Scale(), UnitWorld, &pen) != Ok) {
        pen = nullptr;
    }
    if (pen != nullptr) {
        GdipDrawRectangle(graphics, pen, bar.outline.x, bar.outline.y, bar.outline.width, bar.outline.height);
        GdipDeletePen(pen);
    }
    if (back != nullptr) {
        GdipFillRectangle(graphics, back, bar.background.x, bar.background.y, bar.background.width,
                          bar.background.height);
        GdipDeleteBrush(back);
    }
    if (fore != nullptr) {
        if (bar.hasFill) {
            GdipFillRectangle(graphics, fore, bar.fill.x, bar.fill.y, bar.fill.width, bar.fill.height);
        }
        GdipDeleteBrush(fore);
    }
    if (border != nullptr) {
        GdipDeleteBrush(border);
    }
}

void PanelWindow::DrawString(GpGraphics* graphics, const std::wstring& text, GpFont* font, const RectF& box,
                             GpStringFormat* format, uint32_t colour) const
{
    if (graphics == nullptr || font == nullptr || text.empty()) {
        return;
    }
    GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(colour, &brush) != Ok) {
        return;
    }
    GdipDrawString(graphics, text.c_str(), static_cast<INT>(text.size()), font, &box, format, brush);
    GdipDeleteBrush(brush);
}

RectF PanelWindow::MeasureText(GpGraphics* graphics, const std::wstring& text, GpFont* font, const RectF& layout,
                               GpStringFormat* format)
{
    RectF box(0.0f, 0.0f, 0.0f, 0.0f);
    if (graphics == nullptr || font == nullptr) {
        return box;
    }
    INT fitted = 0;
    INT lines = 0;
    if (GdipMeasureString(graphics, text.c_str(), static_cast<INT>(text.size()), font, &layout, format, &box,
                          &fitted, &lines) != Ok) {
        return RectF(0.0f, 0.0f, 0.0f, 0.0f);
    }
    return box;
}
