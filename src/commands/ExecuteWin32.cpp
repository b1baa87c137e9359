// Placeholder until the execute command lands.
#include "commands/RunCallbacks.h"

void RunExecute(InstallState&, int) {}
