#include "app/WorkerThreadWin32.h"

WorkerThread::~WorkerThread()
{
    JoinThread();
}

bool WorkerThread::Start()
{
    stopRequested = false;
    thread.Reset(CreateThread(nullptr, 0, ThreadProcedure, this, 0, nullptr));
    return thread.Valid();
}

void WorkerThread::Join()
{
    JoinThread();
}

bool WorkerThread::WaitUntilEnded(DWORD milliseconds) const
{
    return !thread.Valid() || WaitForSingleObject(thread.Get(), milliseconds) != WAIT_TIMEOUT;
}

void WorkerThread::JoinThread()
{
    if (!thread.Valid())
        return;
    stopRequested = true;
    WaitForSingleObject(thread.Get(), INFINITE);
    thread.Close(); // a handle the system would not close stays held
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
    {
        const ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        RunInstallList(state, host);
    }
    host.ListDone();
    return 0;
}
