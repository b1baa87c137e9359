// One moment for the log text tests: 7 December 2026, 09:05:03.042, one hour east of UTC.
#pragma once

#include "app/RunLogText.h"

inline LogClock SampleLogClock()
{
    LogClock clock;
    clock.year = 2026;
    clock.month = 12;
    clock.day = 7;
    clock.hour = 9;
    clock.minute = 5;
    clock.second = 3;
    clock.millisecond = 42;
    clock.offsetMinutes = 60;
    return clock;
}
