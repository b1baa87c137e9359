// The progress window: a borderless, topmost tool window made from dialog template 129 and
// shown modally. It owns the install state, the three panels, the worker thread and the
// command registry. Initialisation loads the configuration, binds the panels, hides the
// configured foreign window, fades the window in and starts the worker; nothing the user does
// closes it. The process ends from the worker (or on a configuration error).
#pragma once

#include "commands/InstallState.h"
#include "app/RunLogFileWin32.h"
#include "app/WorkerThreadWin32.h"
#include "commands/FileSystemWin32.h"
#include "commands/ProcessLauncherWin32.h"
#include "config/CommandRegistry.h"
#include "config/MachineFactsWin32.h"
#include "config/PathVariableFacts.h"
#include "display/FooterPanelWin32.h"
#include "display/HeaderPanelWin32.h"
#include "display/MainPanelWin32.h"
#include "display/PanelHost.h"

#include <windows.h>

// DialogBoxParamW's result when the worker thread cannot be started: the window is closed and
// the program ends with this code instead of staying open with nothing running.
constexpr INT_PTR kWorkerStartFailedExitCode = 2;
// The process's exit code once the install list has run to its end, unless the configuration
// asks for one that tells how it went (RunResult.h).
constexpr UINT kInstallCompleteExitCode = 1;
// Posted by the worker when the list has run: the window thread shows 100%, fades out and ends.
constexpr UINT kListDoneMessage = WM_APP + 1;

class InstallDialog : public InstallState, public PanelHost, private InstallRunHost
{
public:
    InstallDialog() = default;
    ~InstallDialog() override = default;
    InstallDialog(const InstallDialog&) = delete;
    InstallDialog& operator=(const InstallDialog&) = delete;

    // DialogBoxParamW with template 129; returns only when the dialog could not be created
    // (-1 or 0) or the worker could not start (kWorkerStartFailedExitCode).
    INT_PTR Show(HINSTANCE instance, HWND owner);

    // The window as the installer would show it for `loaded` settings, the whole list `percent`
    // done and its first item running, saved as a PNG picture: the same template, panels, fonts,
    // pictures and layout, never shown on the screen and running nothing (WindowPreviewWin32.cpp).
    // False with the reason when it cannot be made.
    bool SavePreview(HINSTANCE instance, const InstallSettings& loaded, int percent, const std::wstring& pngPath,
                     std::wstring& error);

    // PanelHost
    const InstallState& State() const override { return *this; }
    void PlaceWindows() override;

private:
    // InstallRunHost, called on the worker.
    void InvalidateMainPanel() override;
    void InvalidateFooter() override;
    void ListDone() override;

    static INT_PTR CALLBACK DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void LoadConfigurationLogged(); // the configuration, and the log it names
    void LogRunEnd(UINT exitCode);
    void SetIcons();
    void BindPanel(PanelWindow& panel, int controlId);
    void HideForeignWindow();
    void ShowForeignWindowAgain();
    void OnListDone(); // on the window thread, once the worker has run the list
    // Paints each panel once off the screen: they measure themselves and the window is placed.
    void MeasurePanels();
    void OnDpiChanged(int newDpi);
    void PreparePanel(PanelWindow& panel); // owner, measurement, fonts, antialias

    HWND window = nullptr;
    HINSTANCE instance = nullptr;
    HeaderPanel header;
    FooterPanel footer;
    MainPanel main;
    HWND hiddenWindow = nullptr;
    bool previewing = false; // settings given, nothing hidden, faded or run
    RunLogFile runLog;
    ULONGLONG startTicks = 0;
    int dpi = 96; // of the monitor the window is on
    CommandRegistry handlers;
    FileSystemWin32 windowsFiles;         // what the folder commands act on
    ProcessLauncherWin32 windowsPrograms; // what starts and waits for programs
    MachineFactsWin32 windowsFacts;       // what the conditions ask
    PathVariables variables;              // the run's path variables, which env() in a condition also answers
    PathVariableFacts conditionFacts{windowsFacts, variables};
    // Last, so destroyed first: the worker is joined while everything it uses still exists.
    InstallThread thread{*this, *this};
};
