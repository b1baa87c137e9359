// The run log as the commands and the run loop see it: lines of text, each stamped with the
// time by the log itself, written from any thread. A run without a log has none (null).
#pragma once

#include <string>

class RunLog
{
public:
    virtual ~RunLog() = default;
    virtual void Write(const std::wstring& line) = 0;
    // Gives what was written a short while to reach the log, before the process ends.
    virtual void Finish() {}
    // The file the log goes to; empty for none. The folder commands leave it where it is.
    virtual std::wstring Path() const { return std::wstring(); }
};
