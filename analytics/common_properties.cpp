#include "analytics/common_properties.h"

#include <cstdio>

#include "platform/local_time.h"
#include "platform/locale_id.h"
#include "platform/machine.h"
#include "platform/system_version.h"

namespace analytics {

OsProperties ReadOsProperties() {
    OsProperties os;
    os.os_type = platform::GetOsTypeName();
    os.os_version = MajorMinorVersion(platform::GetKernelRelease());
    os.os_bits = platform::IsSystem64Bit() ? 64 : 32;
    os.os_language = platform::LanguageOfLocale(platform::GetUserLocaleName());
    os.os_zone = platform::GetTimeZoneBiasMinutes() / -60;  // truncated: +5:30 is 5
    return os;
}

std::string MajorMinorVersion(const std::string& release) {
    int major = 0;
    int minor = 0;
    if (std::sscanf(release.c_str(), "%d.%d", &major, &minor) != 2) return std::string();
    return std::to_string(major) + "." + std::to_string(minor);
}

std::string DistinctIdFor(const CommonPropertyValues& values) {
    return values.privacy_postponed ? values.tracking_id : values.client_sign;
}

CProperties BuildCommonProperties(const CommonPropertyValues& values, const OsProperties& os) {
    CProperties properties;
    properties.SetString("tid", values.identifier);
    properties.SetString("ostype", os.os_type);
    if (!values.privacy_postponed) {
        properties.SetString("os_version", os.os_version);
        properties.SetInteger("osbit", os.os_bits);
        properties.SetString("oslang", os.os_language);
        properties.SetInteger("oszone", os.os_zone);
    }
    properties.SetString("downloader_ver", values.downloader_version);
    properties.SetString("scene_code", values.scene_code);
    properties.SetString("exe_name", values.exe_name);
    properties.SetString("clipboard_param", values.clipboard_param);
    properties.SetString("track_id", values.tracking_id);
    properties.SetString("downloader_lang", "ENG");
    properties.SetString("auto_install", values.privacy_postponed ? "2" : "0");
    properties.SetInteger("pid", values.product_id);
    properties.SetString("pver", values.product_version);
    properties.SetString("psource", values.channel);
    properties.SetString("pbrand", values.brand);
    properties.SetString("plang", values.language_code);
    properties.SetString("pname", values.product_name);
    return properties;
}

}  // namespace analytics
