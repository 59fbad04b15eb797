#include "platform/local_time.h"

#include <ctime>

namespace platform {

bool GetLocalTime(LocalTime& now) {
    std::time_t seconds = std::time(nullptr);
    std::tm parts{};
    if (seconds == std::time_t(-1) || !localtime_r(&seconds, &parts)) return false;
    now.year = parts.tm_year + 1900;
    now.month = parts.tm_mon + 1;
    now.day = parts.tm_mday;
    now.hour = parts.tm_hour;
    now.minute = parts.tm_min;
    now.second = parts.tm_sec;
    return true;
}

int GetTimeZoneBiasMinutes() {
    std::time_t seconds = std::time(nullptr);
    std::tm parts{};
    if (seconds == std::time_t(-1) || !localtime_r(&seconds, &parts)) return 0;
    return static_cast<int>(-parts.tm_gmtoff / 60);
}

}  // namespace platform
