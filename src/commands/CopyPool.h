// CopyPool: the files of one folder command copied or moved up to N at once (the `threads`
// attribute). The command's own thread goes through its file set as before and hands each file
// to the pool; files start in the order they were handed out. With one thread the pool runs
// each job at once on the caller's thread with the command's own progress, exactly as a plain
// loop would. Each copy tells the pool of its chunks (it is the copies' ChunkListener); the pool
// publishes the command's bytes, the finished files plus the bytes of every copy in flight,
// while the file bar and the current file name follow the file started last.
#pragma once

#include "commands/FileSystem.h"
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

class CopyPool
{
public:
    // One file's copy or move; `listener` is what it tells of its chunks.
    using Job = std::function<void(ChunkListener& listener)>;

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

    // What a copy or move the caller makes itself, outside Run, tells of its chunks; they
    // count until the caller counts the entry.
    ChunkListener& CallerListener() { return caller; }

    // Waits until every job handed out has finished.
    void Wait();

private:
    // Where one copy at a time tells its chunks: a worker's, or the caller's.
    struct Lane : ChunkListener
    {
        explicit Lane(CopyPool& pool) : pool(pool) {}
        void ChunkDone(uint64_t fileSize, uint64_t transferred) override { pool.Chunk(*this, fileSize, transferred); }
        CopyPool& pool;
        uint64_t inFlight = 0; // bytes of the current file copied so far
    };
    struct Pending
    {
        std::wstring name;
        uint64_t bytes = 0;
        Job job;
    };
    struct Worker
    {
        explicit Worker(CopyPool& pool) : lane(pool) {}
        Lane lane;
        std::thread thread;
    };

    void Work(Worker& worker);
    void Chunk(Lane& lane, uint64_t fileSize, uint64_t transferred);
    // The file `lane` starts is the one shown. Called with `lock` held.
    void Start(Lane& lane, const std::wstring& name, uint64_t bytes);
    // The file `lane` worked on is done: its whole size counts. Called with `lock` held.
    void Finish(Lane& lane, uint64_t bytes);
    // The command's bytes: finished files plus every copy in flight, with the shown file's when
    // `moved` is the lane shown. Called with `lock` held.
    void Publish(const Lane* moved, uint64_t fileSize = 0);

    InstallProgress& progress;
    std::vector<std::unique_ptr<Worker>> workers;
    std::mutex lock; // everything below, and the order of what is published into `progress`
    Lane caller{*this};
    const Lane* newest = &caller; // the lane whose file is shown
    uint64_t finished = 0;        // bytes of the entries done
    std::condition_variable ready; // a job was queued, or the pool ends
    std::condition_variable room;  // the queue is down to half, for a waiting caller
    std::condition_variable idle;  // every job handed out has finished
    std::deque<Pending> queue;
    size_t capacity = 0;   // jobs queued at most
    size_t unfinished = 0; // queued and running
    size_t sleeping = 0;   // workers waiting for a job
    bool callerWaiting = false;
    bool ending = false;
};
