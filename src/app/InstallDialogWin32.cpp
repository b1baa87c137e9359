#include "app/InstallDialogWin32.h"

#include "app/CommandLineWin32.h"
#include "app/ConfigurationErrorWin32.h"
#include "app/DisplayDpiWin32.h"
#include "app/ResourceIds.h"
#include "app/RunHeadWin32.h"
#include "app/RunLoop.h"
#include "app/RunResult.h"
#include "app/SystemVersionWin32.h"
#include "app/WindowPlacement.h"
#include "commands/CommandKinds.h"
#include "commands/FullPathWin32.h"
#include "config/ConfigurationLoader.h"
#include "config/ItemSelection.h"
#include "config/PathVariableSourceWin32.h"
#include "display/PanelLayout.h"
#include "display/StartupTraceWin32.h"

namespace {

constexpr int kIconResource = VARNEKITE_ICON;

} // namespace

INT_PTR InstallDialog::Show(HINSTANCE moduleInstance, HWND owner)
{
    instance = moduleInstance;
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(VARNEKITE_DIALOG), owner, DialogProcedure,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK InstallDialog::DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    InstallDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<InstallDialog*>(lParam);
        dialog->window = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    } else {
        dialog = reinterpret_cast<InstallDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT) get default dialog processing.
    return dialog != nullptr ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR InstallDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case kListDoneMessage:
        OnListDone();
        return TRUE;
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam));
        return TRUE;
    case WM_COMMAND:
        // Enter, Escape and a close request (which the dialog manager turns into IDCANCEL)
        // are swallowed: only the worker ends the program.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            SetWindowLongPtrW(window, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void InstallDialog::OnInitDialog()
{
    MarkStartup("dialog created");
    RegisterCommandKinds(handlers);
    fileSystem = &windowsFiles;
    launcher = &windowsPrograms;
    facts = &conditionFacts;
    progress.Publish(ProgressSnapshot());
    ShowWindow(window, SW_HIDE);
    SetIcons();

    // On an unusable configuration this shows the message box and ends the process. A preview
    // has its settings already.
    if (!previewing)
        LoadConfigurationLogged();
    MarkStartup("configuration loaded");

    BindPanel(header, VARNEKITE_HEADER_CONTROL);
    BindPanel(main, VARNEKITE_MAIN_CONTROL);
    BindPanel(footer, VARNEKITE_FOOTER_CONTROL);

    if (!previewing)
        HideForeignWindow();

    dpi = WindowDpi(window);
    header.SetText(settings.titleText);
    header.ApplySettings(settings.header);
    PreparePanel(header);

    footer.SetText(settings.completeText);
    footer.ApplySettings(settings.footer);
    PreparePanel(footer);

    main.ApplyMainSettings(settings.main);
    PreparePanel(main);
    MarkStartup("panels prepared");
    if (previewing)
        return;
    main.StartRepaintTimer();

    // The window is measured and placed before it is shown: Windows captures the window for the
    // animation from its first paint, which must already be at its place and size. On a system
    // without the animation the dialog manager shows the window after this message.
    MeasurePanels();
    MarkStartup("panels measured");
    AnimateWindowIfAvailable(window, kFadeMilliseconds, kFadeInFlags);
    MarkStartup("window shown");

    if (!thread.Start()) {
        // Nothing would ever end the program: give the foreign window back and close.
        ShowForeignWindowAgain();
        EndDialog(window, kWorkerStartFailedExitCode);
    }
}

void InstallDialog::LoadConfigurationLogged()
{
    startTicks = GetTickCount64();
    log = &runLog;
    const std::wstring module = ProgramPath();
    runLog.Write(L"==== Varnekite " VARNEKITE_VERSION " started: \"" + std::wstring(module) + L"\"");
    runLog.Write(L"command line: " + std::wstring(GetCommandLineW()));
    MarkStartup("log started");
    for (const std::wstring& line : RunHeadLines(ReadRunHeadFacts(windowsFacts)))
        runLog.Write(line);
    MarkStartup("log head written");
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64)
        runLog.Write(L"runs as a 32-bit program on 64-bit Windows: System32 is SysWOW64 for it and Program Files is "
                     L"Program Files (x86); %WINDIR%\\Sysnative and %ProgramW6432% name the 64-bit folders");

    PathVariables& table = variables;
    BuildPathVariables(table, Win32PathVariableSource());
    const CommandLine line = ParseCommandLine(GetCommandLineW());
    // Until the configuration names its log, mistakes go to the one /log names, else the default.
    const auto openEarlyLog = [&]() {
        std::wstring path = line.logPath;
        ExpandVariables(path, table);
        runLog.Open(line.logGiven ? path : RunLogFile::DefaultPath());
    };
    const std::wstring lineError = line.error.empty() ? RedirectedInputError(line, StandardInputFile()) : line.error;
    if (!lineError.empty()) {
        openEarlyLog();
        ShowConfigurationError(window, CommandLineErrorMessage(lineError), &runLog, line.quiet);
    }
    std::wstring configPath;
    // What the checker would say about the configuration goes into the log, warnings and up.
    KeptDiagnostics diagnostics;
    const DiagnosticSink sink = [&diagnostics](const Diagnostic& diagnostic) {
        if (diagnostic.severity != Severity::Note)
            diagnostics.Add(diagnostic);
    };
    const auto logDiagnostics = [&]() {
        for (const Diagnostic& d : diagnostics.Kept())
            runLog.Write(d.severity == Severity::Error ? LogLevel::Error : LogLevel::Warning,
                         std::wstring(d.severity == Severity::Error ? L"  error: " : L"  warning: ") +
                         (d.line > 0 ? L"line " + std::to_wstring(d.line) + L", column " + std::to_wstring(d.column) + L": "
                                     : std::wstring()) +
                         d.message);
        if (diagnostics.More() > 0)
            runLog.Write(L"  and " + std::to_wstring(diagnostics.More()) + L" more");
    };
    LoadOptions options;
    options.diagnostics = &sink;
    options.fileExists = [](const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    options.fullPath = [](const std::wstring& path) {
        const std::wstring full = FullPathName(path);
        return full.empty() ? path : full;
    };
    MarkStartup("before configuration read");
    LoadConfiguration(settings, handlers, line, table,
                      [&](const std::wstring& message) {
                          runLog.Write(L"configuration \"" + configPath + L"\" cannot be used");
                          logDiagnostics();
                          openEarlyLog();
                          ShowConfigurationError(window, message, &runLog, line.quiet);
                      },
                      options, &configPath);
    runLog.Write(L"configuration \"" + configPath + L"\" loaded: " + std::to_wstring(settings.items.size()) +
                 L" item(s), " + std::to_wstring(settings.commands.size()) + L" command(s), " +
                 std::to_wstring(diagnostics.Kept().size() + diagnostics.More()) + L" warning(s)");
    logDiagnostics();
    // Items whose condition asks only what the machine is are decided now, before the window
    // is laid out for the items that apply; the facts are read only when some item asks them.
    if (HasMachineOnlyItemConditions(settings)) {
        const size_t before = settings.items.size();
        for (const std::wstring& decision : SelectItemsForMachine(settings, conditionFacts))
            runLog.Write(decision);
        runLog.Write(std::to_wstring(settings.items.size()) + L" of " + std::to_wstring(before) +
                     L" item(s) apply to this machine");
    }
    MarkStartup("configuration read");
    runLog.Open(settings.log.pathGiven ? settings.log.path : RunLogFile::DefaultPath(),
                settings.log.viewerFormat ? LogFormat::Viewer : LogFormat::Plain);
}

void InstallDialog::LogRunEnd(UINT exitCode)
{
    const double seconds = static_cast<double>(GetTickCount64() - startTicks) / 1000.0;
    runLog.Write(L"==== run ended after " + Seconds(seconds) + L": exit code " + std::to_wstring(exitCode));
}

void InstallDialog::SetIcons()
{
    // The program carries no icon 128, so both messages set a null icon; a build that adds one
    // gets it in the task switcher.
    HANDLE bigIcon = LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                            GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    HANDLE smallIcon = LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

void InstallDialog::BindPanel(PanelWindow& panel, int controlId)
{
    // A control that cannot be subclassed stays a plain frame; the run goes on without it.
    panel.Attach(GetDlgItem(window, controlId));
}

void InstallDialog::HideForeignWindow()
{
    // An empty title (no hidewindow configured) hides nothing: searching for it would find some
    // other program's untitled window, hide it, and show it at the end.
    if (settings.hideWindowTitle.empty())
        return;
    // The first visible top-level window of that title: a hidden one is already out of sight,
    // and showing it at the end would bring up a window nobody asked for.
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, nullptr, settings.hideWindowTitle.c_str())) != nullptr) {
        if (IsWindowVisible(found))
            break;
    }
    if (found == nullptr) {
        runLog.Write(LogLevel::Warning, L"no visible window \"" + settings.hideWindowTitle + L"\" to hide");
        return;
    }
    // Its thread may be a setup program blocked on waiting for this one: never wait for it.
    ShowWindowAsync(found, SW_HIDE);
    hiddenWindow = found;
    runLog.Write(L"the window \"" + settings.hideWindowTitle + L"\" is hidden while the list runs");
}

void InstallDialog::ShowForeignWindowAgain()
{
    // Only the window this run hid, and without waiting for its thread.
    if (hiddenWindow != nullptr)
        ShowWindowAsync(hiddenWindow, SW_SHOW);
}

void InstallDialog::PreparePanel(PanelWindow& panel)
{
    panel.SetOwner(this);
    panel.ResetMeasure();
    panel.SetDpi(dpi);
    panel.SetFonts(settings.fontFace, settings.smallFontSize, settings.largeFontSize);
    panel.SetAntialias(settings.antialias);
}

void InstallDialog::PlaceWindows()
{
    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);

    WindowLayout layout;
    if (!ComputeWindowLayout(ScalePixels(settings.windowWidth, dpi), settings.windowPosition, header.Height(), main.Height(),
                             footer.Height(), {workArea.left, workArea.top, workArea.right, workArea.bottom}, layout,
                             FrameThickness(window, dpi)))
        return;

    const auto move = [](HWND target, const PanelRect& r) {
        if (target != nullptr)
            MoveWindow(target, r.x, r.y, r.width, r.height, TRUE);
    };
    move(header.Window(), layout.header);
    move(main.Window(), layout.main);
    move(footer.Window(), layout.footer);
    move(window, layout.window);
    // The layout is placed from inside a panel's first paint, and a move repaints only what it
    // uncovers: what was painted at the template's geometry would stay. Paint it all again, and
    // let the main panel's timer not trust a paint from before (it repaints only when the
    // progress moves, so a long program would keep a stale panel for its whole run).
    main.ForgetLastPaint();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// A null window would make InvalidateRect repaint every window of the desktop: a panel that
// could not be bound is simply not invalidated.
void InstallDialog::InvalidateMainPanel()
{
    if (HWND panel = main.Window())
        InvalidateRect(panel, nullptr, TRUE);
}

void InstallDialog::InvalidateFooter()
{
    if (HWND panel = footer.Window())
        InvalidateRect(panel, nullptr, TRUE);
}

void InstallDialog::ListDone()
{
    // Only the thread that owns the window may fade it out: the window thread ends the run.
    PostMessageW(window, kListDoneMessage, 0, 0);
}

void InstallDialog::OnListDone()
{
    // The run loop has published 100%: show it before the window goes.
    for (HWND panel : {header.Window(), main.Window(), footer.Window()})
        if (panel != nullptr)
            UpdateWindow(panel);
    // Returns once the window is hidden.
    AnimateWindowIfAvailable(window, kFadeMilliseconds, kFadeOutFlags);
    ShowForeignWindowAgain();
    if (hiddenWindow != nullptr)
        runLog.Write(L"the window \"" + settings.hideWindowTitle + L"\" was shown again");
    // Why this machine failed, at the bottom where it is looked for.
    const std::vector<std::wstring> failures = FailureSummaryLines(settings, outcomes);
    for (const std::wstring& line : failures)
        runLog.Write(LogLevel::Error, line);
    if (failures.empty())
        runLog.Write(L"no command failed");
    const RunResult result = DecideRunResult(settings.exit, outcomes);
    if (settings.exit.fromOutcomes) {
        std::wstring why = L"every command succeeded";
        if (result.decidingCommand >= 0) {
            const size_t index = static_cast<size_t>(result.decidingCommand);
            why = L"decided by " + CommandLogName(index, settings.commands[index]) + L": " +
                  ResultText(outcomes[index].result) +
                  (outcomes[index].summary.empty() ? std::wstring() : L": " + outcomes[index].summary);
        }
        runLog.Write(L"result: exit code " + std::to_wstring(result.exitCode) + L", " + why);
    }
    LogRunEnd(result.exitCode);
    runLog.Finish();
    // The worker posted its last message and is ending (COM released): the process ends after
    // it, not in the middle of it; a worker that does not end in time is not waited for.
    thread.WaitUntilEnded(5000);
    ExitProcess(result.exitCode);
}

void InstallDialog::OnDpiChanged(int newDpi)
{
    // Moved to a monitor of another DPI, or the scale changed: fonts and sizes for the new DPI,
    // and the panels measure again, which lays the window out again.
    dpi = newDpi > 0 ? newDpi : WindowDpi(window);
    for (PanelWindow* panel : {static_cast<PanelWindow*>(&header), static_cast<PanelWindow*>(&main),
                               static_cast<PanelWindow*>(&footer)})
        PreparePanel(*panel);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
