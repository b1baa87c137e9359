// Counts this program's heap use through its own operator new, exactly and repeatably, and can
// refuse allocations beyond a budget (std::bad_alloc, as a machine out of memory would). Include
// it in exactly one source file of a program: it defines the global operators.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace heapcounter {

inline std::atomic<size_t> liveBytes{0};
inline std::atomic<size_t> peakBytes{0};
inline std::atomic<size_t> limitBytes{static_cast<size_t>(-1)}; // live bytes allowed

constexpr size_t kHeader = 16; // keeps the blocks 16-byte aligned

inline void* Allocate(size_t size)
{
    if (liveBytes.load() + size > limitBytes.load())
        return nullptr;
    char* block = static_cast<char*>(std::malloc(size + kHeader));
    if (block == nullptr)
        return nullptr;
    *reinterpret_cast<size_t*>(block) = size;
    const size_t now = liveBytes += size;
    size_t peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
    return block + kHeader;
}

inline void Release(void* pointer)
{
    if (pointer == nullptr)
        return;
    char* block = static_cast<char*>(pointer) - kHeader;
    liveBytes -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}

// Starts a measurement: the peak from here on, over what is live now.
inline size_t StartMeasuring()
{
    peakBytes = liveBytes.load();
    return liveBytes.load();
}

} // namespace heapcounter

void* operator new(size_t size)
{
    if (void* pointer = heapcounter::Allocate(size))
        return pointer;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return heapcounter::Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return heapcounter::Allocate(size); }
void operator delete(void* pointer) noexcept { heapcounter::Release(pointer); }
void operator delete[](void* pointer) noexcept { heapcounter::Release(pointer); }
void operator delete(void* pointer, size_t) noexcept { heapcounter::Release(pointer); }
void operator delete[](void* pointer, size_t) noexcept { heapcounter::Release(pointer); }
