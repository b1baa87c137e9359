#include "app/DllSearchWin32.h"

#include "config/SystemFunctionWin32.h"

#include <windows.h>

void SearchDllsOnlyInSystem32()
{
    // Looked up: Windows 7 without KB2533623 lacks it, and then keeps its own safe search order.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = SystemFunction<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDefault != nullptr)
        setDefault(kSearchSystem32Only);
}
