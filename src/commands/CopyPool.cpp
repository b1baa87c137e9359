#include "commands/CopyPool.h"

#include "commands/FolderCommands.h"

#include <algorithm>
#include <utility>

void CopySlot::Chunk(uint64_t fileSize, uint64_t transferred)
{
    pool->Chunk(index, fileSize, transferred);
}

CopyPool::CopyPool(InstallProgress& progress, int threads, const ThreadStarter& startThread) : progress(progress)
{
    const int count = std::clamp(threads, kMinCopyThreads, kMaxCopyThreads);
    if (count == 1)
        return;
    capacity = kQueuedPerWorker * static_cast<size_t>(count);
    for (int i = 0; i < count; ++i) {
        auto worker = std::make_unique<Worker>();
        worker->slot.pool = this;
        worker->slot.index = static_cast<size_t>(i);
        worker->progress.slot = &worker->slot;
        workers.push_back(std::move(worker));
    }
    // Started only once every slot is in place: a worker reads nothing that is still changing.
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
        progress.SetCurrentFileName(name);
        job(progress);
        progress.finishedFilesBytes += bytes;
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
    if (workers.empty())
        progress.SetCurrentFileName(name);
}

void CopyPool::Count(uint64_t bytes)
{
    progress.finishedFilesBytes += bytes;
    if (workers.empty())
        return;
    std::lock_guard<std::mutex> guard(lock);
    Publish();
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
        newest = worker.slot.index;
        worker.inFlight = 0;
        progress.SetCurrentFileName(next.name);
        progress.fileBytesDone = 0;
        progress.fileBytesTotal = next.bytes;
        progress.filePercent = 0.0f;
        guard.unlock();

        next.job(worker.progress);
        next.job = nullptr; // what the job holds (open folders) goes before the file counts as done

        guard.lock();
        worker.inFlight = 0;
        progress.finishedFilesBytes += next.bytes;
        Publish();
        if (--unfinished == 0)
            idle.notify_all();
    }
}

void CopyPool::Chunk(size_t index, uint64_t fileSize, uint64_t transferred)
{
    std::lock_guard<std::mutex> guard(lock);
    workers[index]->inFlight = transferred;
    if (index == newest) {
        progress.fileBytesDone = transferred;
        progress.fileBytesTotal = fileSize;
        progress.filePercent = PercentOf(transferred, fileSize);
    }
    Publish();
}

void CopyPool::Publish()
{
    uint64_t done = progress.finishedFilesBytes.load();
    for (const auto& worker : workers)
        done += worker->inFlight;
    progress.commandBytesDone = done;
    progress.commandPercent = PercentOf(done, progress.commandBytesTotal.load());
}
