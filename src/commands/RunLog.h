// The run log as the commands and the run loop see it: lines of text, each stamped with the
// time by the log itself, written from any thread. A run without a log has none (null).
#pragma once

#include <string>

// How much a line matters to whoever reads the log: a log viewer colours warnings and errors.
enum class LogLevel
{
    Information,
    Warning,
    Error,
};

class RunLog
{
public:
    virtual ~RunLog() = default;
    virtual void Write(const std::wstring& line) = 0;
    // A line of a level; a log that keeps no levels writes it like any other.
    virtual void Write(LogLevel, const std::wstring& line) { Write(line); }
    // Gives what was written a short while to reach the log, before the process ends.
    virtual void Finish() {}
    // The file the log goes to; empty for none. The folder commands leave it where it is.
    virtual std::wstring Path() const { return std::wstring(); }
};
