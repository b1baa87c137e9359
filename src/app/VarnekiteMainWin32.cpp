// The entry point of Varnekite.exe. It first limits where DLLs come from and answers /? and
// /version, then starts GDI+, initialises COM and the common controls and shows the progress
// window modally (which reads the rest of the command line with the configuration); the process
// normally ends inside that call (from the worker when the list is done, or on a
// configuration error), so what follows it runs only when the window could not be created or
// the worker could not start.
#include "app/CommandLineWin32.h"
#include "app/CommonControlsWin32.h"
#include "app/DllSearchWin32.h"
#include "app/InstallDialogWin32.h"
#include "config/AnsiText.h"
#include "config/AnsiTextWin32.h"
#include "config/CommandLine.h"
#include "config/ScopedWin32.h"
#include "display/GdiplusSessionWin32.h"
#include "display/StartupTraceWin32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    MarkStartup("entry");
    SearchDllsOnlyInSystem32();
    // A command line with a mistake goes on to the window, which reports it like a configuration
    // error; one that only asks for the usage or the version gets it and ends.
    const CommandLine line = ParseCommandLine(GetCommandLineW());
    if (line.error.empty() && (line.help || line.version)) {
        ShowText(line.help ? kCommandLineUsage : kVersionText, line.quiet);
        return 0;
    }
    // Started here, after the DLL search is limited, and shut down when no window is left that
    // could paint (never from DLL unloading: the normal end leaves through ExitProcess).
    const GdiplusSession gdiplusSession;
    MarkStartup("gdi+ started");
    UseAnsiDecoder(WidenAnsiWin32); // display texts in the installing user's code page
    const ComApartment com(COINIT_APARTMENTTHREADED); // as CoInitialize; ends before GDI+
    InitialiseCommonControls();
    MarkStartup("com and controls");

    INT_PTR result = 0;
    {
        InstallDialog dialog;
        MarkStartup("dialog object made");
        result = dialog.Show(instance, GetActiveWindow());
    } // joins the worker if one runs
    return static_cast<int>(result);
}
