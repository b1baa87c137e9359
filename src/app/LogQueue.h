// The run log's lines on their way to the file, written by a thread of their own: the run never
// waits on the log. A log on a stalled network share or a pipe nobody reads holds up only its
// own thread; when the queue is full, lines are dropped and counted, and the next line that
// fits says how many were. Portable: the file itself is the writer's business.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class LogQueue
{
public:
    // Writes bytes (whole lines) to the log; runs on the queue's thread only.
    using Writer = std::function<void(const std::string& bytes)>;
    // The line that tells of `dropped` lines, in the log's own form.
    using DropNotice = std::function<std::string(uint64_t dropped)>;

    // Holds up to `capacityBytes` of lines not yet written.
    LogQueue(Writer writer, DropNotice dropNotice, size_t capacityBytes = 1 << 20);
    // Writes what is queued and ends the thread (it waits for a writer that is stuck).
    ~LogQueue();
    LogQueue(const LogQueue&) = delete;
    LogQueue& operator=(const LogQueue&) = delete;

    // Queues bytes for the writer; never waits for it. Dropped (and counted) when they do not fit.
    void Push(std::string bytes);
    // Runs `task` on the queue's thread after what is queued (opening the file): never dropped.
    void Run(std::function<void()> task);
    // Waits at most `timeout` until everything queued so far is written; true when it is.
    bool Flush(std::chrono::milliseconds timeout);

    uint64_t Dropped() const;

private:
    struct Entry
    {
        std::string bytes;
        std::function<void()> task;
    };
    void Work();

    Writer writer;
    DropNotice dropNotice;
    const size_t capacity;
    mutable std::mutex lock;
    std::condition_variable queued;  // something to write, or the end
    std::condition_variable drained; // the queue ran empty and the writer is idle
    std::deque<Entry> entries;
    size_t queuedBytes = 0;
    uint64_t dropped = 0;      // since the last notice
    uint64_t droppedTotal = 0;
    bool busy = false;
    bool ending = false;
    std::thread thread; // last: starts when everything above is ready
};
