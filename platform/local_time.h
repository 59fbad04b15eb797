// The wall clock in the user's time zone.
#pragma once

namespace platform {

struct LocalTime {
    int year = 0;    // four digits
    int month = 0;   // 1-12
    int day = 0;     // 1-31
    int hour = 0;    // 0-23
    int minute = 0;
    int second = 0;
};

// False when the clock or the time zone cannot be read; the fields are then left alone.
bool GetLocalTime(LocalTime& now);

// The time-zone bias now in force: UTC minus local time, in minutes (negative east of UTC, daylight saving
// included). 0 when it cannot be read.
int GetTimeZoneBiasMinutes();

}  // namespace platform
