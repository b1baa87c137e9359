#include "app/WorkerThreadWin32.h"

#include <objbase.h>

WorkerThread::~WorkerThread()
{
    JoinThread();
}

bool WorkerThread::Start()
{
    stopRequested = false;
    thread = CreateThread(nullptr, 0, ThreadProcedure, this, 0, nullptr);
    return thread != nullptr;
}

void WorkerThread::Join()
{
    JoinThread();
}

bool WorkerThread::WaitUntilEnded(DWORD milliseconds) const
{
    return thread == nullptr || WaitForSingleObject(thread, milliseconds) != WAIT_TIMEOUT;
}

void WorkerThread::JoinThread()
{
    if (thread == nullptr)
        return;
    stopRequested = true;
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
    // The shell's execute and the extensions it loads want COM on the calling thread:
    // apartment-threaded, without the OLE1/DDE the shell does not need.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    RunInstallList(state, host);
    if (SUCCEEDED(com))
        CoUninitialize();
    host.ListDone();
    return 0;
}
