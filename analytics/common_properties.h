// The properties that every event of the program carries, registered as the client's super properties.
#pragma once

#include <cstdint>
#include <string>

#include "analytics/properties.h"

namespace analytics {

// What the program knows about itself and the product; every text UTF-8.
struct CommonPropertyValues {
    std::string identifier;  // "tid": the analytics identifier, "UA-Ixo-Web"
    bool privacy_postponed = false;
    std::string client_sign;  // the distinct id unless privacy is postponed
    std::string tracking_id;  // "track_id", and the distinct id when privacy is postponed
    std::string downloader_version;
    std::string scene_code;
    std::string exe_name;
    std::string clipboard_param;
    int64_t product_id = 0;
    std::string product_version;
    std::string channel;
    std::string brand;
    std::string language_code;  // three letters, "ENG" when not found
    std::string product_name;
};

// What the system says about itself.
struct OsProperties {
    std::string os_type;      // "ostype"
    std::string os_version;   // "os_version": "major.minor"
    int64_t os_bits = 32;     // "osbit"
    std::string os_language;  // "oslang": a language code such as "en"
    int64_t os_zone = 0;      // "oszone": whole hours east of UTC
};

// Reads the system's values: the kernel version for "os_version", the machine for "osbit", the user's
// locale for "oslang", the time-zone bias for "oszone".
OsProperties ReadOsProperties();

// "major.minor" of a kernel release such as "6.1.0-18-amd64"; empty when it does not start with two numbers.
std::string MajorMinorVersion(const std::string& release);

// The distinct id of the client: the tracking id when privacy is postponed, else the client signature.
std::string DistinctIdFor(const CommonPropertyValues& values);

// Every common property; of the system's own only "ostype" when privacy is postponed.
CProperties BuildCommonProperties(const CommonPropertyValues& values, const OsProperties& os);

}  // namespace analytics
