// Owners that give back what a Win32 call handed out when they go out of scope, each with the
// close function the system documents for it, so that every way out of a function (an early
// return, an exception) releases it once. Here in config, the lowest folder with Windows code,
// so that every folder above can use them.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

// Holds one `Handle` that `close` releases (close returns true on success). Nothing is held
// when it is null, or INVALID_HANDLE_VALUE for the kinds whose calls fail with that.
template <typename Handle, auto close, bool invalidValueIsEmpty = false>
class ScopedOwner
{
public:
    ScopedOwner() = default;
    explicit ScopedOwner(Handle handle) : handle(handle) {}
    ~ScopedOwner() { Reset(); }
    ScopedOwner(ScopedOwner&& other) noexcept : handle(other.Release()) {}
    ScopedOwner& operator=(ScopedOwner&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ScopedOwner(const ScopedOwner&) = delete;
    ScopedOwner& operator=(const ScopedOwner&) = delete;

    Handle Get() const { return handle; }
    bool Valid() const
    {
        if constexpr (invalidValueIsEmpty)
            return handle != nullptr && handle != INVALID_HANDLE_VALUE;
        else
            return handle != nullptr;
    }
    // The caller takes the handle over; nothing is held afterwards.
    Handle Release() { return std::exchange(handle, Handle()); }
    // Releases what is held and holds `replacement` instead.
    void Reset(Handle replacement = Handle())
    {
        if (Valid())
            close(handle);
        handle = replacement;
    }
    // Releases what is held now; false when the system refused, and then it stays held.
    bool Close()
    {
        if (!Valid())
            return true;
        if (!close(handle))
            return false;
        handle = Handle();
        return true;
    }

private:
    Handle handle = Handle();
};

namespace ScopedWin32Close {
inline bool KernelObject(HANDLE handle) { return CloseHandle(handle) != FALSE; }
inline bool FindSearch(HANDLE handle) { return FindClose(handle) != FALSE; }
inline bool RegistryKey(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }
template <typename Pointer>
bool LocalMemory(Pointer memory) { return LocalFree(memory) == nullptr; }
template <typename Object>
bool GdiObject(Object object) { return DeleteObject(object) != FALSE; }
inline bool MemoryDc(HDC dc) { return DeleteDC(dc) != FALSE; }
} // namespace ScopedWin32Close

using ScopedHandle = ScopedOwner<HANDLE, ScopedWin32Close::KernelObject, true>; // files, processes, threads, tokens
using ScopedFindHandle = ScopedOwner<HANDLE, ScopedWin32Close::FindSearch, true>; // FindFirstFile*
using ScopedRegistryKey = ScopedOwner<HKEY, ScopedWin32Close::RegistryKey>;
template <typename Pointer> // what FormatMessage, GetSecurityInfo and CommandLineToArgvW allocate
using ScopedLocalMemory = ScopedOwner<Pointer, ScopedWin32Close::LocalMemory<Pointer>>;
template <typename Object> // bitmaps, brushes, fonts: not while selected into a device context
using ScopedGdiObject = ScopedOwner<Object, ScopedWin32Close::GdiObject<Object>>;
using ScopedMemoryDc = ScopedOwner<HDC, ScopedWin32Close::MemoryDc>; // CreateCompatibleDC

// A window's device context (the screen's for a null window), from GetDC to ReleaseDC.
class ScopedWindowDc
{
public:
    explicit ScopedWindowDc(HWND window) : window(window), dc(GetDC(window)) {}
    ~ScopedWindowDc()
    {
        if (dc != nullptr)
            ReleaseDC(window, dc);
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;

    HDC Get() const { return dc; }
    bool Valid() const { return dc != nullptr; }

private:
    HWND window;
    HDC dc;
};

// COM on this thread for the guard's lifetime. Uninitialised again only when initialising
// succeeded (S_FALSE, already initialised, included): a failed call must not be paired.
class ComApartment
{
public:
    explicit ComApartment(DWORD flags) : initialised(SUCCEEDED(CoInitializeEx(nullptr, flags))) {}
    ~ComApartment()
    {
        if (initialised)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised;
};
