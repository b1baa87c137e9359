#include "app/LogQueue.h"

#include <utility>

LogQueue::LogQueue(Writer writer, DropNotice dropNotice, size_t capacityBytes)
    : writer(std::move(writer)), dropNotice(std::move(dropNotice)), capacity(capacityBytes),
      thread([this]() { Work(); })
{
}

LogQueue::~LogQueue()
{
    {
        const std::lock_guard<std::mutex> guard(lock);
        ending = true;
    }
    queued.notify_one();
    thread.join();
}

void LogQueue::Push(std::string bytes)
{
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (dropped > 0) {
            std::string notice = dropNotice ? dropNotice(dropped) : std::string();
            if (queuedBytes + notice.size() + bytes.size() > capacity) {
                ++dropped;
                ++droppedTotal;
                return;
            }
            queuedBytes += notice.size();
            entries.push_back({std::move(notice), nullptr});
            dropped = 0;
        }
        if (queuedBytes + bytes.size() > capacity) {
            ++dropped;
            ++droppedTotal;
            return;
        }
        queuedBytes += bytes.size();
        entries.push_back({std::move(bytes), nullptr});
    }
    queued.notify_one();
}

void LogQueue::Run(std::function<void()> task)
{
    {
        const std::lock_guard<std::mutex> guard(lock);
        entries.push_back({std::string(), std::move(task)});
    }
    queued.notify_one();
}

bool LogQueue::Flush(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> guard(lock);
    return drained.wait_for(guard, timeout, [this]() { return entries.empty() && !busy; });
}

uint64_t LogQueue::Dropped() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return droppedTotal;
}

void LogQueue::Work()
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        queued.wait(guard, [this]() { return ending || !entries.empty(); });
        if (entries.empty()) // ending, and nothing left to write
            return;
        Entry entry = std::move(entries.front());
        entries.pop_front();
        busy = true;
        guard.unlock();
        if (entry.task)
            entry.task();
        else if (writer)
            writer(entry.bytes);
        guard.lock();
        busy = false;
        queuedBytes -= entry.bytes.size();
        if (entries.empty())
            drained.notify_all();
    }
}
