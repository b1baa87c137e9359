#include "commands/CopyPool.h"

#include "commands/InstallState.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Jobs that say when they started, keep the progress they were given, and wait until the test
// lets them finish.
class Gates
{
public:
    explicit Gates(size_t count) : started(count, false), open(count, false), given(count, nullptr) {}

    CopyPool::Job Job(size_t index)
    {
        return [this, index](ChunkListener& listener) {
            std::unique_lock<std::mutex> guard(lock);
            started[index] = true;
            given[index] = &listener;
            changed.notify_all();
            changed.wait(guard, [&]() { return open[index]; });
        };
    }
    // Waits (at most 10 s) until exactly the jobs in `expected` have started.
    bool StartedAre(const std::vector<bool>& expected)
    {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, 10s, [&]() { return started == expected; });
    }
    void Open(size_t index)
    {
        std::lock_guard<std::mutex> guard(lock);
        open[index] = true;
        changed.notify_all();
    }
    void OpenAll()
    {
        std::lock_guard<std::mutex> guard(lock);
        open.assign(open.size(), true);
        changed.notify_all();
    }
    // What job `index` tells of its chunks (it has started).
    ChunkListener& Given(size_t index)
    {
        std::lock_guard<std::mutex> guard(lock);
        return *given[index];
    }

private:
    std::mutex lock;
    std::condition_variable changed;
    std::vector<bool> started;
    std::vector<bool> open;
    std::vector<ChunkListener*> given;
};

// Lets every job finish and the handing-out thread end, also when an assertion returns early.
struct Release
{
    Gates& gates;
    std::thread* caller = nullptr;
    ~Release()
    {
        gates.OpenAll();
        if (caller != nullptr && caller->joinable())
            caller->join();
    }
};

TEST(CopyPool, OneThreadRunsEachJobAtOnceOnTheCallersThreadWithTheCommandsProgress)
{
    for (int threads : {1, 0, -5}) {
        InstallProgress progress;
        progress.StartBytes(20);
        CopyPool pool(progress, threads);
        EXPECT_EQ(pool.Workers(), 0u);
        const std::thread::id caller = std::this_thread::get_id();
        bool ran = false;
        pool.Run(L"a.txt", 8, [&](ChunkListener& listener) {
            ran = true;
            EXPECT_EQ(std::this_thread::get_id(), caller);
            EXPECT_EQ(&listener, &pool.CallerListener());
            EXPECT_EQ(progress.Snapshot().fileName, L"a.txt");
            listener.ChunkDone(8, 2);
            const ProgressSnapshot now = progress.Snapshot();
            EXPECT_EQ(now.commandBytesDone, 2u);
            EXPECT_EQ(now.FilePercent(), 25.0f);
            EXPECT_EQ(now.CommandPercent(), 10.0f);
        });
        EXPECT_TRUE(ran);
        EXPECT_EQ(progress.Snapshot().commandBytesDone, 8u); // the whole file, once it is done
        pool.Show(L"folder");
        EXPECT_EQ(progress.Snapshot().fileName, L"folder");
        // A file the caller moves itself counts its chunks until the caller counts it.
        pool.CallerListener().ChunkDone(10, 5);
        EXPECT_EQ(progress.Snapshot().commandBytesDone, 13u);
        pool.Count(10);
        EXPECT_EQ(progress.Snapshot().commandBytesDone, 18u);
    }
    InstallProgress progress;
    EXPECT_EQ(CopyPool(progress, 2).Workers(), 2u);
    EXPECT_EQ(CopyPool(progress, 40).Workers(), 16u);
}

// Files start in the order they were handed out, each as soon as a worker is free. The caller
// runs ahead by kQueuedPerWorker jobs per worker, then waits until half of them have started.
TEST(CopyPool, JobsStartInTheOrderTheyWereHandedOut)
{
    constexpr size_t kQueued = 2 * CopyPool::kQueuedPerWorker, kJobs = 2 + kQueued + 4;
    InstallProgress progress;
    Gates gates(kJobs);
    CopyPool pool(progress, 2);
    size_t handedOut = 0;
    std::mutex handing;
    const auto handedOutNow = [&]() {
        std::lock_guard<std::mutex> guard(handing);
        return handedOut;
    };
    std::thread caller([&]() {
        for (size_t i = 0; i < kJobs; ++i) {
            pool.Run(L"f" + std::to_wstring(i), 1, gates.Job(i));
            std::lock_guard<std::mutex> guard(handing);
            handedOut = i + 1;
        }
    });
    Release release{gates, &caller};
    std::vector<bool> expected(kJobs, false);
    expected[0] = expected[1] = true;
    ASSERT_TRUE(gates.StartedAre(expected));
    std::this_thread::sleep_for(50ms); // room for a wrong start, or a caller not waiting, to show
    ASSERT_TRUE(gates.StartedAre(expected));
    // The queue filled up before or after the first two started.
    const size_t ahead = handedOutNow();
    EXPECT_GE(ahead, kQueued);
    EXPECT_LE(ahead, 2 + kQueued);
    // Each finished job lets exactly the next one start, whichever worker it ran on.
    for (size_t done = 0; done + 2 < kJobs; ++done) {
        gates.Open(done % 2 == 0 ? done + 1 : done - 1);
        expected[done + 2] = true;
        ASSERT_TRUE(gates.StartedAre(expected)) << done;
        const size_t started = done + 3, now = handedOutNow();
        EXPECT_LE(now, started + kQueued) << done;
        if (started < ahead && ahead - started > kQueued / 2) { // more than half still queued: the caller waits
            EXPECT_EQ(now, ahead) << done;
        }
    }
    caller.join();
    EXPECT_EQ(handedOut, kJobs);
    gates.OpenAll();
    pool.Wait();
    EXPECT_EQ(progress.Snapshot().commandBytesDone, kJobs);
}

// The command's bytes are the finished files plus every copy's chunks so far; the file bar and
// the name follow the file started last. (The chunks come from the test's thread here, as they
// would from each copy's own.)
TEST(CopyPool, ProgressSumsTheCopiesInFlightAndShowsTheFileStartedLast)
{
    InstallProgress progress;
    progress.StartBytes(1000);
    Gates gates(2);
    CopyPool pool(progress, 2);
    pool.Count(100); // entries the caller handled itself
    Release release{gates};
    pool.Run(L"a.bin", 400, gates.Job(0));
    ASSERT_TRUE(gates.StartedAre({true, false}));
    ChunkListener& a = gates.Given(0);
    EXPECT_NE(&a, &pool.CallerListener());
    a.ChunkDone(400, 100);
    ProgressSnapshot now = progress.Snapshot();
    EXPECT_EQ(now.fileName, L"a.bin");
    EXPECT_EQ(now.commandBytesDone, 200u);
    EXPECT_EQ(now.fileBytesDone, 100u);
    EXPECT_EQ(now.FilePercent(), 25.0f);

    pool.Run(L"b.bin", 200, gates.Job(1));
    ASSERT_TRUE(gates.StartedAre({true, true}));
    ChunkListener& b = gates.Given(1);
    now = progress.Snapshot();
    EXPECT_EQ(now.fileName, L"b.bin");
    EXPECT_EQ(now.fileBytesDone, 0u);
    EXPECT_EQ(now.fileBytesTotal, 200u);
    b.ChunkDone(200, 50);
    a.ChunkDone(400, 300);
    now = progress.Snapshot();
    EXPECT_EQ(now.commandBytesDone, 100u + 300u + 50u);
    EXPECT_EQ(now.CommandPercent(), 45.0f);
    EXPECT_EQ(now.fileBytesDone, 50u); // still b's bar
    EXPECT_EQ(now.FilePercent(), 25.0f);

    gates.Open(1); // b is done: its whole size counts, a's chunks still do
    gates.Open(0);
    pool.Wait();
    now = progress.Snapshot();
    EXPECT_EQ(now.commandBytesDone, 700u);
    EXPECT_EQ(now.CommandPercent(), 70.0f);
}

// A thread the system cannot start never ends the process: the pool goes on with the workers
// it got, or with none on the caller's thread, and every job still runs once.
TEST(CopyPool, AWorkerThatCannotStartIsLeftOut)
{
    for (int canStart : {0, 2}) {
        SCOPED_TRACE(canStart);
        int starts = 0;
        const CopyPool::ThreadStarter starter = [&starts, canStart](std::function<void()> work) {
            if (starts++ >= canStart)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            return std::thread(std::move(work));
        };
        InstallProgress progress;
        std::atomic<int> ran{0};
        {
            CopyPool pool(progress, 4, starter);
            EXPECT_EQ(pool.Workers(), static_cast<size_t>(canStart));
            for (int i = 0; i < 50; ++i)
                pool.Run(L"f" + std::to_wstring(i), 10, [&ran](ChunkListener&) { ++ran; });
        }
        EXPECT_EQ(ran.load(), 50);
        EXPECT_EQ(progress.Snapshot().commandBytesDone, 500u);
    }
}

} // namespace
