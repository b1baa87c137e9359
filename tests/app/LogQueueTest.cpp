// The run log's queue: the run never waits on a log whose writes block, lines that do not fit
// are dropped and counted, and the log then says how many.
#include "app/LogQueue.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

// A log whose writes block until released, as a stalled share or an unread pipe does.
class BlockingLog
{
public:
    void Write(const std::string& bytes)
    {
        std::unique_lock<std::mutex> guard(lock);
        writing = true;
        started.notify_all();
        released.wait(guard, [this]() { return open; });
        written.push_back(bytes);
    }
    void WaitUntilWriting()
    {
        std::unique_lock<std::mutex> guard(lock);
        started.wait(guard, [this]() { return writing; });
    }
    void Release()
    {
        const std::lock_guard<std::mutex> guard(lock);
        open = true;
        released.notify_all();
    }
    std::vector<std::string> Written()
    {
        const std::lock_guard<std::mutex> guard(lock);
        return written;
    }

private:
    std::mutex lock;
    std::condition_variable started;
    std::condition_variable released;
    bool writing = false;
    bool open = false;
    std::vector<std::string> written;
};

std::string Notice(uint64_t dropped)
{
    return std::to_string(dropped) + " dropped\n";
}

TEST(LogQueue, AWriteThatBlocksNeverHoldsUpTheRunAndDroppedLinesAreCounted)
{
    BlockingLog log;
    LogQueue queue([&log](const std::string& bytes) { log.Write(bytes); }, Notice, 40);
    queue.Push("first\n");
    log.WaitUntilWriting(); // the writer is stuck in the first line
    for (int i = 0; i < 1000; ++i) // would never return if a push waited for the writer
        queue.Push("line " + std::to_string(i) + "\n");
    EXPECT_FALSE(queue.Flush(std::chrono::milliseconds(50)));
    const uint64_t dropped = queue.Dropped();
    EXPECT_GT(dropped, 990u); // 40 bytes of room: a few lines fit
    log.Release();
    EXPECT_TRUE(queue.Flush(std::chrono::seconds(30)));
    queue.Push("after\n");
    EXPECT_TRUE(queue.Flush(std::chrono::seconds(30)));

    const std::vector<std::string> written = log.Written();
    ASSERT_GE(written.size(), 4u);
    EXPECT_EQ(written.front(), "first\n");
    EXPECT_EQ(written[1], "line 0\n");
    EXPECT_EQ(written[written.size() - 2], Notice(dropped));
    EXPECT_EQ(written.back(), "after\n");
    EXPECT_EQ(written.size(), 1000 - dropped + 3);
}

TEST(LogQueue, TasksAndLinesRunInTheOrderTheyWereQueued)
{
    std::vector<std::string> order;
    {
        LogQueue queue([&order](const std::string& bytes) { order.push_back(bytes); }, Notice);
        queue.Push("a");
        queue.Run([&order]() { order.push_back("open"); });
        queue.Push("b");
        // The queue's end writes what is left.
    }
    EXPECT_EQ(order, (std::vector<std::string>{"a", "open", "b"}));
}

} // namespace
