// A thread object: Start runs the virtual Run on a new thread, Join waits for it. The install
// thread's Run is the install run loop followed by the end of the process.
#pragma once

#include "app/RunLoop.h"

#include <windows.h>

#include <atomic>

class InstallDialog;

class WorkerThread
{
public:
    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    // Joins a thread that still runs (see Join).
    virtual ~WorkerThread();

    // Creates the thread, running at once; false when no thread could be created.
    virtual bool Start();
    // Asks the thread to stop, resumes it if it was created suspended, waits for it without a
    // time limit and releases its handle. Nothing happens when no thread is held.
    virtual void Join();
    bool StopRequested() const { return stopRequested; }

protected:
    // The thread's work; its result becomes the thread's exit code.
    virtual DWORD Run() { return 0; }
    // Derived classes join in their own destructor, while their Run can still use them.
    void JoinThread();

private:
    static DWORD WINAPI ThreadProcedure(void* parameter);

    HANDLE thread = nullptr;
    bool createdSuspended = false;
    std::atomic<bool> stopRequested{false};
};

// Runs the install list of its owner, fades the window out, shows the hidden foreign window
// again and ends the process with exit code 1. Its Run never returns.
class InstallThread : public WorkerThread, private RunLoopObserver
{
public:
    ~InstallThread() override;
    void SetOwner(InstallDialog* dialog) { owner = dialog; }

protected:
    DWORD Run() override;

private:
    void InvalidateMainPanel() override;
    void InvalidateFooter() override;

    InstallDialog* owner = nullptr;
};

constexpr UINT kInstallCompleteExitCode = 1;
