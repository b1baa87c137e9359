// System functions looked up at run time: those older Windows lacks, and those of DLLs that a
// run may never call (the shell's launch and verbs, file versions, the common controls), which
// are loaded on their first call instead of imported: every imported DLL is loaded and
// initialised before the entry point runs, and so before the window can show.
#pragma once

#include <windows.h>

// LOAD_LIBRARY_SEARCH_SYSTEM32 (Windows 8, and 7 with its update for it), spelled out for
// headers that lack it.
constexpr DWORD kSearchSystem32Only = 0x00000800;

// The address of `name` in the system DLL `dll`, which is loaded on the first call and stays
// loaded (one the process has loaded already is used as it is); null when either cannot be
// found, as for a function that this version of Windows does not have. The DLL comes from the
// side-by-side store where the manifest names it (common controls 6), else from System32 only,
// never from the program's folder.
FARPROC SystemFunctionAddress(const wchar_t* dll, const char* name);

// The same as a pointer of type `FunctionPointer`, e.g. decltype(&ShellExecuteExW), or one
// declared for a function that older systems lack.
template <typename FunctionPointer>
FunctionPointer SystemFunction(const wchar_t* dll, const char* name)
{
    const FARPROC address = SystemFunctionAddress(dll, name);
    return reinterpret_cast<FunctionPointer>(reinterpret_cast<void (*)()>(address));
}
