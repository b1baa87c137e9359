// The system's own text for an error code, for the run log.
#pragma once

#include <windows.h>

#include <string>

// "Access is denied. (error 5)"; the number alone when the system has no text for it.
std::wstring SystemMessage(DWORD error);
