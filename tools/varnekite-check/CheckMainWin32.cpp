// varnekite-check on Windows: the wide command line and this machine's path variables (module
// folder, setup source path, environment), output as UTF-8.
#include "CheckRun.h"
#include "app/CommonControlsWin32.h"
#include "app/DllSearchWin32.h"
#include "app/InstallDialogWin32.h"
#include "commands/FullPathWin32.h"
#include "config/AnsiText.h"
#include "config/AnsiTextWin32.h"
#include "config/MachineDescription.h"
#include "config/MachineFactsWin32.h"
#include "config/PathVariableSourceWin32.h"
#include "config/ScopedWin32.h"
#include "display/GdiplusSessionWin32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace {

// The arguments after the program's name, as Windows splits the wide command line.
std::vector<std::wstring> CommandLineArguments()
{
    std::vector<std::wstring> arguments;
    int count = 0;
    const ScopedLocalMemory<LPWSTR*> argv(CommandLineToArgvW(GetCommandLineW(), &count));
    for (int i = 1; argv.Valid() && i < count; ++i)
        arguments.push_back(argv.Get()[i]);
    return arguments;
}

} // namespace

int main()
{
    SearchDllsOnlyInSystem32();
    UseAnsiDecoder(WidenAnsiWin32); // display texts as the installer on this machine reads them
    const std::vector<std::wstring> arguments = CommandLineArguments();

    PathVariables table;
    BuildPathVariables(table, Win32PathVariableSource());

    CheckHost host;
    host.fullPath = [](const std::wstring& path) {
        const std::wstring full = FullPathName(path);
        return full.empty() ? path : full;
    };
    host.exists = [](const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    // The installer's own window, drawn into a picture.
    host.preview = [](const InstallSettings& settings, const std::wstring& pngPath, int percent, std::wstring& error) {
        const GdiplusSession gdiplus;
        const ComApartment com(COINIT_APARTMENTTHREADED); // as CoInitialize; ends before GDI+
        InitialiseCommonControls();
        InstallDialog dialog;
        return dialog.SavePreview(GetModuleHandleW(nullptr), settings, percent, pngPath, error);
    };
    host.machineFacts = [] {
        MachineFactsWin32 facts;
        return DescribeMachine(facts);
    };
    std::string out;
    std::string err;
    const int status = RunCheck(arguments, table, host, out, err);
    // The console's code page is shared with the shell that started the tool: set it for the
    // UTF-8 output only, and give the old one back.
    const UINT previousCodePage = GetConsoleOutputCP();
    if (previousCodePage != 0)
        SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    std::fflush(stdout);
    std::fflush(stderr);
    if (previousCodePage != 0)
        SetConsoleOutputCP(previousCodePage);
    return status;
}
