// The thread object under Windows: Start runs Run on another thread, Join waits for it and asks
// it to stop, and an exception leaving Run ends only that thread.
#include "app/WorkerThreadWin32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {

class Probe : public WorkerThread
{
public:
    ~Probe() override { JoinThread(); }
    std::atomic<bool> ran{false};
    std::atomic<DWORD> threadId{0};
    std::atomic<bool> stopAtStart{false};
    std::atomic<bool> sawStopRequest{false};
    bool throwInRun = false;

protected:
    DWORD Run() override
    {
        threadId = GetCurrentThreadId();
        stopAtStart = StopRequested();
        ran = true;
        if (throwInRun)
            throw std::runtime_error("failure inside the worker");
        // Waits for the stop request, for two seconds at most so a missing one fails, not hangs.
        for (int i = 0; i < 2000 && !StopRequested(); ++i)
            Sleep(1);
        sawStopRequest = StopRequested();
        return 7;
    }
};

TEST(WorkerThread, RunsOnAnotherThreadUntilJoinAsksItToStopAndSurvivesAnException)
{
    Probe probe;
    probe.Join(); // no thread yet: returns at once
    EXPECT_FALSE(probe.ran);
    probe.throwInRun = true;
    ASSERT_TRUE(probe.Start());
    probe.Join();
    EXPECT_TRUE(probe.ran) << "the exception ended only the worker";

    probe.ran = false;
    probe.throwInRun = false;
    ASSERT_TRUE(probe.Start()); // the object starts a thread again
    while (!probe.ran) // Run has read the stop request before Join makes one
        Sleep(1);
    probe.Join();
    EXPECT_TRUE(probe.ran);
    EXPECT_FALSE(probe.stopAtStart) << "the new thread is not asked to stop from the start";
    EXPECT_NE(probe.threadId, GetCurrentThreadId());
    EXPECT_TRUE(probe.sawStopRequest);
}

// A Run that touches only these globals, so that the base class's destructor alone has to
// wait for it without any derived member being used after its destruction.
std::atomic<bool> plainStarted{false};
std::atomic<bool> plainFinished{false};

class PlainWorker : public WorkerThread
{
protected:
    DWORD Run() override
    {
        plainStarted = true;
        Sleep(50);
        plainFinished = true;
        return 0;
    }
};

TEST(WorkerThread, DestroyingARunningThreadObjectWaitsForItsRun)
{
    {
        PlainWorker worker;
        ASSERT_TRUE(worker.Start());
        while (!plainStarted)
            Sleep(1);
    } // the destructor joins: no Run outlives its object
    EXPECT_TRUE(plainFinished);
}

} // namespace
