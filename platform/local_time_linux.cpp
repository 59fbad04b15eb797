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

}  // namespace platform
