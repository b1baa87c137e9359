#include "app/WorkerThreadWin32.h"

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
    RunInstallList(state, handlers, host);
    host.ListDone();
    return 0;
}
