// The entry point of Varnekite.exe and the process-wide objects that exist before it: the
// command kinds, then GDI+. The entry point initialises COM and the common controls and shows
// the progress window modally; the process normally ends inside that call (from the worker
// when the list is done, or on a configuration error), so what follows it runs only when the
// window could not be created or the worker could not start.
#include "app/InstallDialogWin32.h"
// The command kind constants are constructed before GDI+ starts (see GdiplusSession below).
#include "commands/CommandKinds.h"
#include "display/GdiplusWin32.h"

#include <commctrl.h>
#include <objbase.h>

namespace {

// Starts GDI+ for the whole process before the entry point runs and shuts it down after the
// entry point has returned, when no window is left that could paint.
//
// Construction order: the command kinds first, then GDI+. The constants live in the Windows
// edge library, which is linked after this file; GCC and MinGW run a static library's
// constructors before those of the executable's own objects linked ahead of it, and
// MSVC is told the same with init_seg below, which places this file's objects after all
// ordinary ("user") initialisers.
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

#ifdef _MSC_VER
// The CRT runs every initialiser between .CRT$XCA and .CRT$XCZ in section-name order; "XCV"
// comes after the ordinary "XCU" group that holds the command kinds.
#pragma warning(disable : 4075) // initialisers put in a named initialisation area: intended
#pragma section(".CRT$XCV", read)
#pragma init_seg(".CRT$XCV")
#endif

static GdiplusSession gdiplusSession;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
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
