#include "app/WorkerThreadWin32.h"

#include "app/InstallDialogWin32.h"
#include "app/SystemVersionWin32.h"

WorkerThread::~WorkerThread()
{
    JoinThread();
}

bool WorkerThread::Start()
{
    stopRequested = false;
    createdSuspended = false;
    thread = CreateThread(nullptr, 0, ThreadProcedure, this, 0, nullptr);
    return thread != nullptr;
}

void WorkerThread::Join()
{
    JoinThread();
}

void WorkerThread::JoinThread()
{
    if (thread == nullptr)
        return;
    stopRequested = true;
    if (createdSuspended && ResumeThread(thread) != static_cast<DWORD>(-1))
        createdSuspended = false;
    WaitForSingleObject(thread, INFINITE);
    if (CloseHandle(thread))
        thread = nullptr;
}

DWORD WINAPI WorkerThread::ThreadProcedure(void* parameter)
{
    // No exception may leave a thread entry: it ends this thread quietly instead.
    try {
        return static_cast<WorkerThread*>(parameter)->Run();
    } catch (...) {
        return 0;
    }
}

InstallThread::~InstallThread()
{
    JoinThread();
}

DWORD InstallThread::Run()
{
    InstallDialog& dialog = *owner;
    RunInstallList(dialog, dialog.Handlers(), *this);

    // The window fades out from this thread; the call returns once it is hidden.
    AnimateWindowIfAvailable(dialog.Window(), kFadeMilliseconds, kFadeOutFlags);
    if (dialog.HiddenWindow() != nullptr)
        ShowWindow(dialog.HiddenWindow(), SW_SHOW);
    ExitProcess(kInstallCompleteExitCode);
}

// A null window would make InvalidateRect repaint every window of the desktop: a panel that
// could not be bound is simply not invalidated.
void InstallThread::InvalidateMainPanel()
{
    if (HWND panel = owner->MainPanelWindow())
        InvalidateRect(panel, nullptr, TRUE);
}

void InstallThread::InvalidateFooter()
{
    if (HWND panel = owner->FooterWindow())
        InvalidateRect(panel, nullptr, TRUE);
}
