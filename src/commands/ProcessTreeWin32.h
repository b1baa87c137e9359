// A program's tree followed by parent ids, where no job can follow it (the system gave none, or
// the program could not join it: on Windows 7 a process already in a job cannot join another):
// waited for, or ended.
#pragma once

#include <windows.h>

// The process's creation time (100 ns units); 0 when it cannot be read.
ULONGLONG CreationTime(HANDLE process);

// Waits until every process `root` started, and every process those started, has ended, or
// until `deadline` (GetTickCount64; 0: none), dispatching the thread's messages meanwhile. A
// child is a process whose parent id is one of the family's and that started after it (an id
// the system reused belongs to someone else). False when the time ran out.
bool WaitForDescendants(DWORD root, ULONGLONG rootCreated, ULONGLONG deadline);

// Ends every process `root` started and every process those started (the child rule as above),
// each with `exitCode`, and waits until they are gone or `deadline` has passed. What they start
// while they are being ended is looked for again. The number of processes it ended.
DWORD EndDescendants(DWORD root, ULONGLONG rootCreated, UINT exitCode, ULONGLONG deadline);
