#include "commands/CopyPool.h"

#include <algorithm>
#include <utility>

CopyPool::CopyPool(InstallProgress& progress, int threads, const ThreadStarter& startThread) : progress(progress)
{
    const int count = std::clamp(threads, kMinCopyThreads, kMaxCopyThreads);
    if (count == 1)
        return;
    capacity = kQueuedPerWorker * static_cast<size_t>(count);
    for (int i = 0; i < count; ++i)
        workers.push_back(std::make_unique<Worker>(*this));
    // Started only once every worker is in place: a worker reads nothing that is still changing.
    // A thread the system cannot start ends the starting; the workers after it go.
    size_t started = 0;
    for (const auto& worker : workers) {
        std::function<void()> work = [this, &worker = *worker]() { Work(worker); };
        try {
            worker->thread = startThread ? startThread(std::move(work)) : std::thread(std::move(work));
        } catch (...) {
            break;
        }
        if (!worker->thread.joinable())
            break;
        ++started;
    }
    if (started < workers.size()) {
        const std::lock_guard<std::mutex> guard(lock); // the started workers read `workers`
        workers.resize(started);
        capacity = kQueuedPerWorker * started;
    }
}

CopyPool::~CopyPool()
{
    Wait();
    {
        std::lock_guard<std::mutex> guard(lock);
        ending = true;
    }
    ready.notify_all();
    for (const auto& worker : workers)
        worker->thread.join();
}

void CopyPool::Run(const std::wstring& name, uint64_t bytes, Job job)
{
    if (workers.empty()) {
        {
            const std::lock_guard<std::mutex> guard(lock);
            Start(caller, name, bytes);
        }
        job(caller);
        const std::lock_guard<std::mutex> guard(lock);
        Finish(caller, bytes);
        return;
    }
    std::unique_lock<std::mutex> guard(lock);
    if (queue.size() >= capacity) {
        callerWaiting = true;
        room.wait(guard, [this]() { return queue.size() <= capacity / 2; });
        callerWaiting = false;
    }
    queue.push_back(Pending{name, bytes, std::move(job)});
    ++unfinished;
    if (sleeping > 0)
        ready.notify_one();
}

void CopyPool::Show(const std::wstring& name)
{
    if (!workers.empty())
        return;
    const std::lock_guard<std::mutex> guard(lock);
    Start(caller, name, 0);
}

void CopyPool::Count(uint64_t bytes)
{
    const std::lock_guard<std::mutex> guard(lock);
    Finish(caller, bytes);
}

void CopyPool::Wait()
{
    std::unique_lock<std::mutex> guard(lock);
    idle.wait(guard, [this]() { return unfinished == 0; });
}

void CopyPool::Work(Worker& worker)
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        ++sleeping;
        ready.wait(guard, [this]() { return ending || !queue.empty(); });
        --sleeping;
        if (queue.empty())
            return; // ending, and nothing left
        Pending next = std::move(queue.front());
        queue.pop_front();
        if (callerWaiting && queue.size() == capacity / 2)
            room.notify_one();
        // Taken from the queue and shown under one lock: the window's file is the one that
        // started last, in the order the files were handed out.
        Start(worker.lane, next.name, next.bytes);
        guard.unlock();

        next.job(worker.lane);
        next.job = nullptr; // what the job holds (open folders) goes before the file counts as done

        guard.lock();
        Finish(worker.lane, next.bytes);
        if (--unfinished == 0)
            idle.notify_all();
    }
}

void CopyPool::Chunk(Lane& lane, uint64_t fileSize, uint64_t transferred)
{
    const std::lock_guard<std::mutex> guard(lock);
    lane.inFlight = transferred;
    Publish(&lane, fileSize);
}

void CopyPool::Start(Lane& lane, const std::wstring& name, uint64_t bytes)
{
    newest = &lane;
    lane.inFlight = 0;
    progress.ShowFile(name, bytes);
}

void CopyPool::Finish(Lane& lane, uint64_t bytes)
{
    lane.inFlight = 0;
    finished += bytes;
    Publish(nullptr);
}

void CopyPool::Publish(const Lane* moved, uint64_t fileSize)
{
    uint64_t done = finished + caller.inFlight;
    for (const auto& worker : workers)
        done += worker->lane.inFlight;
    if (moved != nullptr && moved == newest)
        progress.SetBytes(done, moved->inFlight, fileSize);
    else
        progress.SetCommandBytes(done);
}
