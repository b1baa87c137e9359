// Placeholder until the folder commands land.
#include "commands/RunCallbacks.h"

void RunDirCopy(InstallState&, int) {}
void RunDirMove(InstallState&, int) {}
void RunDirDelete(InstallState&, int) {}
