// The run callbacks of the five command kinds. They carry out commands[commandIndex] of the
// install state on the worker thread, through the state's file system and process launcher
// (the Win32 ones in the program; in-memory and scripted ones in the tests).
#pragma once

class InstallState;

void RunExecute(InstallState& state, int commandIndex);
void RunDirCopy(InstallState& state, int commandIndex);
void RunDirMove(InstallState& state, int commandIndex);
void RunDirDelete(InstallState& state, int commandIndex);
void RunMsi(InstallState& state, int commandIndex);
