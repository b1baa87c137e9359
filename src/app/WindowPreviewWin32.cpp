// The preview of the progress window: the dialog made from its template but never shown, each
// panel painted once off the screen to measure itself (which lays the window out, as the run
// does before it shows the window), then every panel painted into one picture at its place
// inside the window's border, and the picture saved as PNG.
#include "app/InstallDialogWin32.h"

#include "app/ResourceIds.h"
#include "app/RunLoop.h"
#include "config/ScopedWin32.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// GDI+'s PNG encoder.
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// A bitmap like the screen's selected into a memory device context: the panels paint into it as
// they paint on the screen (a bitmap of another format may render text differently).
class PictureCanvas
{
public:
    PictureCanvas(int width, int height)
    {
        {
            const ScopedWindowDc screen(nullptr);
            dc.Reset(CreateCompatibleDC(screen.Get()));
            bitmap.Reset(CreateCompatibleBitmap(screen.Get(), width, height));
        }
        if (dc.Valid() && bitmap.Valid())
            previous = SelectObject(dc.Get(), bitmap.Get());
    }
    ~PictureCanvas()
    {
        // The bitmap is selected out before the members delete it, then the context.
        if (previous != nullptr)
            SelectObject(dc.Get(), previous);
    }
    PictureCanvas(const PictureCanvas&) = delete;
    PictureCanvas& operator=(const PictureCanvas&) = delete;

    bool Ready() const { return previous != nullptr; }
    HDC Dc() const { return dc.Get(); }
    HBITMAP Bitmap() const { return bitmap.Get(); }

private:
    ScopedMemoryDc dc;
    ScopedGdiObject<HBITMAP> bitmap; // declared after the context: deleted before it
    HGDIOBJ previous = nullptr;
};

// A panel paints into a given device context on WM_PRINTCLIENT, over the context's clip box.
void PaintPanelInto(HWND panel, HDC dc, int x, int y)
{
    if (panel == nullptr)
        return;
    POINT before = {};
    SetViewportOrgEx(dc, x, y, &before);
    SendMessageW(panel, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, before.x, before.y, nullptr);
}

bool SavePng(HBITMAP bitmap, const std::wstring& path, std::wstring& error)
{
    GpBitmap* picture = nullptr;
    if (GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &picture) != Ok) {
        error = L"GDI+ cannot take the picture (is it running?)";
        return false;
    }
    const GpStatus status = GdipSaveImageToFile(picture, path.c_str(), &kPngEncoder, nullptr);
    GdipDisposeImage(picture);
    if (status != Ok) {
        error = L"cannot write \"" + path + L"\"";
        return false;
    }
    return true;
}

} // namespace

void InstallDialog::MeasurePanels()
{
    // Each panel measures itself on its first paint; the last to do so lays the window out.
    const PictureCanvas scratch(1, 1);
    for (HWND panel : {header.Window(), main.Window(), footer.Window()})
        PaintPanelInto(panel, scratch.Dc(), 0, 0);
}

bool InstallDialog::SavePreview(HINSTANCE moduleInstance, const InstallSettings& loaded, int percent,
                                const std::wstring& pngPath, std::wstring& error)
{
    previewing = true;
    instance = moduleInstance;
    settings = loaded;
    if (CreateDialogParamW(instance, MAKEINTRESOURCEW(VARNEKITE_DIALOG), nullptr, DialogProcedure,
                           reinterpret_cast<LPARAM>(this)) == nullptr) {
        error = L"the window cannot be made";
        return false;
    }
    ShowPreviewProgress(*this, percent);
    MeasurePanels();
    bool saved = false;
    RECT frame = {};
    GetWindowRect(window, &frame);
    const PictureCanvas picture(frame.right - frame.left, frame.bottom - frame.top);
    if (header.Height() < 0 || main.Height() < 0 || footer.Height() < 0) {
        error = L"the panels cannot measure themselves";
    } else if (!picture.Ready()) {
        error = L"no memory for the picture";
    } else {
        // The border in the system's frame colour, as the window manager draws it.
        const RECT whole = {0, 0, frame.right - frame.left, frame.bottom - frame.top};
        FillRect(picture.Dc(), &whole, GetSysColorBrush(COLOR_WINDOWFRAME));
        for (HWND panel : {header.Window(), main.Window(), footer.Window()}) {
            RECT place = {};
            if (panel != nullptr && GetWindowRect(panel, &place))
                PaintPanelInto(panel, picture.Dc(), place.left - frame.left, place.top - frame.top);
        }
        GdiFlush();
        saved = SavePng(picture.Bitmap(), pngPath, error);
    }
    DestroyWindow(window);
    window = nullptr;
    return saved;
}
