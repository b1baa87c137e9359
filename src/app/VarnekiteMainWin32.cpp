// The entry point of Varnekite.exe and GDI+, which is started before it. The entry point initialises COM and the common controls and shows
// the progress window modally; the process normally ends inside that call (from the worker
// when the list is done, or on a configuration error), so what follows it runs only when the
// window could not be created or the worker could not start.
#include "app/InstallDialogWin32.h"
#include "config/AnsiText.h"
#include "config/AnsiTextWin32.h"
#include "display/GdiplusSessionWin32.h"

#include <commctrl.h>
#include <objbase.h>

// Started before the entry point runs and shut down after it has returned, when no window is
// left that could paint.
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
