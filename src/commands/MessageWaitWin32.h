// Waits on the worker thread that keep its messages flowing. The worker is a single-threaded
// COM apartment, which owns a hidden window: a program that broadcasts (SendMessage to
// HWND_BROADCAST after changing PATH) or an old setup speaking DDE waits for that window to
// answer. A thread that blocks in WaitForSingleObject or Sleep never answers, and the program
// waits for us while we wait for it. These waits dispatch whatever arrives meanwhile.
#pragma once

#include <windows.h>

enum class WaitEnd
{
    Signalled, // the handle was signalled
    TimedOut,
    Failed,    // the wait itself failed; GetLastError says why
};

// Waits until `handle` is signalled or `milliseconds` have passed (INFINITE: no limit),
// dispatching the thread's messages meanwhile. A null handle only waits the time out.
WaitEnd WaitPumpingMessages(HANDLE handle, DWORD milliseconds);
