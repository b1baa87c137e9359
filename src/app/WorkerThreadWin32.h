// A thread object: Start runs the virtual Run on a new thread, Join waits for it. The install
// thread's Run is the install run loop; it reaches the window only through InstallRunHost.
#pragma once

#include "app/RunLoop.h"
#include "config/ScopedWin32.h"

#include <atomic>

class InstallState;

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
    // Asks the thread to stop, waits for it without a time limit and releases its handle.
    // Nothing happens when no thread is held.
    virtual void Join();
    // Waits at most `milliseconds` for the thread to end (it has posted its last message and
    // returns); true when it has, or none runs.
    bool WaitUntilEnded(DWORD milliseconds) const;
    bool StopRequested() const { return stopRequested; }

protected:
    // The thread's work; its result becomes the thread's exit code.
    virtual DWORD Run() { return 0; }
    // Derived classes join in their own destructor, while their Run can still use them.
    void JoinThread();

private:
    static DWORD WINAPI ThreadProcedure(void* parameter);

    ScopedHandle thread;
    std::atomic<bool> stopRequested{false};
};

// What the install thread needs from the window, which implements it: the run loop's
// invalidations, and word that the list has run to its end. All are called on the worker and
// must not wait for the window thread.
class InstallRunHost : public RunLoopObserver
{
public:
    virtual void ListDone() = 0;
};

// Runs the install list of `state`, then tells the host the list is done.
// Everything it is given must outlive it: its destructor joins the thread.
class InstallThread : public WorkerThread
{
public:
    InstallThread(InstallState& state, InstallRunHost& host) : state(state), host(host)
    {
    }
    ~InstallThread() override;

protected:
    DWORD Run() override;

private:
    InstallState& state;
    InstallRunHost& host;
};

