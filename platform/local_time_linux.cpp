#include "platform/local_time.h"

#include <time.h>

#include <ctime>

namespace platform {

bool GetLocalTime(LocalTime& now) {
    std::time_t seconds = std::time(nullptr);
    if (seconds == std::time_t(-1)) return false;
    return GetLocalTimeAt(seconds, now);
}

bool GetLocalTimeAt(int64_t seconds, LocalTime& when) {
    std::time_t moment = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (!localtime_r(&moment, &parts)) return false;
    when.year = parts.tm_year + 1900;
    when.month = parts.tm_mon + 1;
    when.day = parts.tm_mday;
    when.hour = parts.tm_hour;
    when.minute = parts.tm_min;
    when.second = parts.tm_sec;
    return true;
}

int GetStandardUtcOffsetMinutes() {
    // tzset fills `timezone` (seconds west of UTC, standard time) from TZ or the system's zone.
    tzset();
    return static_cast<int>(-timezone / 60);
}

}  // namespace platform
