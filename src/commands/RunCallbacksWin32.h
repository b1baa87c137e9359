// The run callbacks of the four command kinds. They carry out commands[commandIndex] of the
// install state on the worker thread. Windows only: they drive the shell and the file system.
#pragma once

class InstallState;

void RunExecute(InstallState& state, int commandIndex);
void RunDirCopy(InstallState& state, int commandIndex);
void RunDirMove(InstallState& state, int commandIndex);
void RunDirDelete(InstallState& state, int commandIndex);
