#include "system/time_and_url.h"

#include <cstdio>
#include <ctime>

#include "formats/utf_conversion.h"
#include "platform/local_time.h"

std::u16string GetTimestampText() {
    platform::LocalTime now;
    if (!platform::GetLocalTime(now)) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    return Utf8ToUtf16(text);
}

std::u16string AddTimestampParam(const std::u16string& url) {
    return AddTimestampParam(url, int64_t(std::time(nullptr)));
}

std::u16string AddTimestampParam(const std::u16string& url, int64_t seconds_since_1970) {
    std::u16string stamped = url;
    stamped += url.find(u'?') == std::u16string::npos ? u"?" : u"&";
    stamped += u"_t=" + Utf8ToUtf16(std::to_string(seconds_since_1970));
    return stamped;
}

bool IsHttpUrl(const std::u16string& text) {
    size_t begin = text.find_first_not_of(u" \t");
    if (begin == std::u16string::npos) return false;
    size_t end = text.find_last_not_of(u" \t");
    std::u16string trimmed = text.substr(begin, end - begin + 1);
    if (trimmed.compare(0, 7, u"http://") == 0) return trimmed.size() >= 8;
    if (trimmed.compare(0, 8, u"https://") == 0) return trimmed.size() > 8;
    return false;
}
