// CopyPool: the files of one folder command copied or moved up to N at once (the `threads`
// attribute). The command's own thread goes through its file set as before and hands each file
// to the pool; files start in the order they were handed out. With one thread the pool runs
// each job at once on the caller's thread with the command's own progress, exactly as a plain
// loop would. With more, each worker has a progress of its own whose chunks the pool sums into
// the command's: the finished files plus the bytes of every copy in flight, while the file bar
// and the current file name follow the file started last.
#pragma once

#include "commands/InstallState.h"
#include "config/InstallCommand.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CopyPool;

// A worker's place in its pool: the progress a worker's copy reports to points here
// (InstallProgress::slot), and CopyProgress passes the chunks on.
class CopySlot
{
public:
    // A finished chunk of the slot's current file: `transferred` of `fileSize` bytes.
    void Chunk(uint64_t fileSize, uint64_t transferred);

private:
    friend class CopyPool;
    CopyPool* pool = nullptr;
    size_t index = 0;
};

class CopyPool
{
public:
    // One file's copy or move; `progress` is what it reports its chunks to.
    using Job = std::function<void(InstallProgress& progress)>;

    // Jobs queued per worker before the caller waits; it goes on once half of them started.
    // Caller and workers then rarely wait for each other, and every such wait costs a round
    // trip through the system (under Wine a server request: as much as a small file's copy).
    static constexpr size_t kQueuedPerWorker = 8;

    // Starts a worker's thread; the system's own unless a test fails it (it may throw).
    using ThreadStarter = std::function<std::thread(std::function<void()>)>;

    // `threads` files at once, clamped to kMinCopyThreads..kMaxCopyThreads, reporting into
    // `progress`. A worker whose thread cannot be started is left out: the pool runs with those
    // it got, and with none on the caller's thread, as with one.
    CopyPool(InstallProgress& progress, int threads, const ThreadStarter& startThread = ThreadStarter());
    // Waits for every job handed out, then ends the workers.
    ~CopyPool();
    CopyPool(const CopyPool&) = delete;
    CopyPool& operator=(const CopyPool&) = delete;

    // Workers running beside the caller; 0 when jobs run on the caller's thread.
    size_t Workers() const { return workers.size(); }

    // Hands out the job of the file `name` (its last path part) of `bytes` bytes. With one
    // thread it runs now. Otherwise it starts on the next free worker once every job handed out
    // before it has started; the caller waits while kQueuedPerWorker jobs per worker are
    // queued. Its bytes count as finished once it returns, whatever it did.
    void Run(const std::wstring& name, uint64_t bytes, Job job);

    // The name of an entry the caller handles itself (a folder): shown when one file is worked
    // on at a time, left out beside copies in flight (the window shows the file started last).
    void Show(const std::wstring& name);

    // Counts the bytes of an entry the caller handled itself or passed over as finished.
    void Count(uint64_t bytes);

    // Waits until every job handed out has finished.
    void Wait();

private:
    friend class CopySlot;
    struct Pending
    {
        std::wstring name;
        uint64_t bytes = 0;
        Job job;
    };
    struct Worker
    {
        InstallProgress progress; // what the worker's copies report to; its `slot` leads here
        CopySlot slot;
        uint64_t inFlight = 0; // bytes of the current file copied so far
        std::thread thread;
    };

    void Work(Worker& worker);
    void Chunk(size_t index, uint64_t fileSize, uint64_t transferred);
    // The command's bytes: finished files plus every copy in flight. Called with `lock` held.
    void Publish();

    InstallProgress& progress;
    std::vector<std::unique_ptr<Worker>> workers;
    std::mutex lock; // everything below, and the sums written into `progress`
    std::condition_variable ready; // a job was queued, or the pool ends
    std::condition_variable room;  // the queue is down to half, for a waiting caller
    std::condition_variable idle;  // every job handed out has finished
    std::deque<Pending> queue;
    size_t capacity = 0;   // jobs queued at most
    size_t unfinished = 0; // queued and running
    size_t newest = 0;     // the worker that started a file last
    size_t sleeping = 0;   // workers waiting for a job
    bool callerWaiting = false;
    bool ending = false;
};
