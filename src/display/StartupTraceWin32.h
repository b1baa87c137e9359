// Marks on the way from process start to the first painted window, for the start-up benchmark
// (bench/run-startup-phases.sh). Only when the environment variable VARNEKITE_STARTUP_TRACE
// names a file: each mark then notes its name and the milliseconds since the process was
// created, and the first paint writes them all to that file at once (writing as it goes would
// add file opens to the phases it measures). Without the variable a mark costs one branch.
// Called on the window thread only.
#pragma once

#include <windows.h>

void MarkStartup(const char* phase);
// A panel has painted: the last mark once it is on the screen (a panel also paints hidden, to
// measure itself, before the window shows).
void MarkPaint(HWND panel);
