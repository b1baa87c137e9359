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
    std::atomic<bool> sawStopRequest{false};
    bool throwInRun = false;
    std::atomic<bool>* finished = nullptr; // set by Run as its last act, after a short pause

protected:
    DWORD Run() override
    {
        threadId = GetCurrentThreadId();
        ran = true;
        if (throwInRun)
            throw std::runtime_error("failure inside the worker");
        while (finished == nullptr && !StopRequested()) // returns only once asked to stop
            Sleep(1);
        sawStopRequest = StopRequested();
        if (finished != nullptr) {
            Sleep(50);
            *finished = true;
        }
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
    probe.Join();
    EXPECT_TRUE(probe.ran);
    EXPECT_NE(probe.threadId, GetCurrentThreadId());
    EXPECT_TRUE(probe.sawStopRequest);
}

TEST(WorkerThread, DestroyingARunningThreadObjectWaitsForItsRun)
{
    std::atomic<bool> finished{false};
    {
        Probe probe;
        probe.finished = &finished;
        ASSERT_TRUE(probe.Start());
    } // the destructor joins: no Run is left using a destroyed object
    EXPECT_TRUE(finished);
}

} // namespace
