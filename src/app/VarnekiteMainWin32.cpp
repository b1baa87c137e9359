// The entry point of Varnekite.exe and GDI+, which is started before it. The entry point initialises COM and the common controls and shows
// the progress window modally; the process normally ends inside that call (from the worker
// when the list is done, or on a configuration error), so what follows it runs only when the
// window could not be created or the worker could not start.
#include "app/InstallDialogWin32.h"
#include "config/AnsiText.h"
#include "config/AnsiTextWin32.h"
#include "display/GdiplusWin32.h"

#include <commctrl.h>
#include <objbase.h>

namespace {

// Starts GDI+ for the whole process before the entry point runs and shuts it down after the
// entry point has returned, when no window is left that could paint.
class GdiplusSession
{
public:
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, background thread, codecs
        Gdiplus::GdiplusStartup(&token, &input, nullptr); // failure: panels simply draw nothing
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(token); }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token = 0;
};

} // namespace


static GdiplusSession gdiplusSession;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    UseAnsiDecoder(WidenAnsiWin32); // display texts in the installing user's code page
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    INT_PTR result = 0;
    {
        InstallDialog dialog;
        result = dialog.Show(instance, GetActiveWindow());
    } // joins the worker if one runs

    CoUninitialize();
    return static_cast<int>(result);
}
