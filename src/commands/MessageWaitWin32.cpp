#include "commands/MessageWaitWin32.h"

#include <algorithm>

WaitEnd WaitPumpingMessages(HANDLE handle, DWORD milliseconds)
{
    const ULONGLONG deadline = milliseconds == INFINITE ? 0 : GetTickCount64() + milliseconds;
    const DWORD count = handle != nullptr ? 1 : 0;
    for (;;) {
        DWORD remaining = INFINITE;
        if (milliseconds != INFINITE) {
            const ULONGLONG now = GetTickCount64();
            remaining = now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, INFINITE - 1));
        }
        // MWMO_INPUTAVAILABLE: messages already in the queue count too, not only new ones.
        const DWORD result = MsgWaitForMultipleObjectsEx(count, count != 0 ? &handle : nullptr, remaining,
                                                         QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (count != 0 && result == WAIT_OBJECT_0)
            return WaitEnd::Signalled;
        if (result == WAIT_OBJECT_0 + count) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            continue;
        }
        if (result == WAIT_TIMEOUT)
            return WaitEnd::TimedOut;
        return WaitEnd::Failed;
    }
}
