// The run log's head as this machine and process give it (app/RunLogHead.h composes it).
#pragma once

#include "app/RunLogHead.h"

class MachineFacts;

// Computer, user and token, session and window station from the system; Windows and the
// architectures from `facts`, which reads them once for the conditions too.
RunHeadFacts ReadRunHeadFacts(MachineFacts& facts);
