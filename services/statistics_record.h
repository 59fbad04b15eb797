// The install statistics record: how the values, lists and task records of one run become the JSON
// document(s) that are posted and kept as a local copy. Pure functions of a snapshot; StatisticsStore takes
// the snapshot and sends the result.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

// What the record says about this program and the machine. Read once per post (RunFacts.h); tests set them.
struct RunFacts {
    std::string file_version;  // this executable's "%d.%d.%d.%d"
    std::string file_name;     // this executable's file name, without its folder
    std::string os_version;    // the system version text
    bool os_64bit = false;
    std::string browser_version;
    int timezone_bias_minutes = 0;  // UTC minus local time, in minutes (east of UTC is negative)
    uint32_t system_lcid = 0;
    int screen_width = 0;
    int screen_height = 0;
};

struct StatisticsTask {
    uint8_t selected = 0;
    int64_t download_start = 0;
    int64_t download_end = 0;
    int32_t download_failure = 0;
    int64_t install_start = 0;
    int64_t install_end = 0;
    int32_t install_failure = 0;
    std::string server_md5;       // UTF-8
    std::string package_version;  // UTF-8, the downloaded package's file version
};

struct CrashFacts {
    bool crashed = false;
    uint32_t code = 0;
    uint64_t address = 0;
    uint32_t offset = 0;
    std::string file_name;  // UTF-8
    std::string section;    // UTF-8
};

struct StatisticsSnapshot {
    std::map<std::string, std::string> values;
    std::vector<std::string> remarks;      // remark-1 list
    std::vector<std::string> web_remarks;  // remark-2 list
    std::map<int32_t, StatisticsTask> tasks;
    std::set<std::string> cdn_addresses;
    std::set<std::string> cdn_urls;
    int64_t start_time = 0;
    CrashFacts crash;
    std::string tracking_id;  // UTF-8
    bool per_task = false;
    bool first_install = true;
};

struct StatisticsRecord {
    std::string product_id;
    std::string json;  // compact
};

// The record of the run, or one per task record in per-task mode. `privacy` hides the machine's identity.
// `now` is the time of the post in seconds since 1970.
std::vector<StatisticsRecord> BuildStatisticsRecords(const StatisticsSnapshot& snapshot, bool privacy,
                                                     const RunFacts& facts, int64_t now);

// "10" + two digits for the download, "20" + two digits for the installation.
std::string DownloadStateCode(int download_status, int download_code, const std::string& close_type,
                              bool crashed, const std::string& resume_down);
std::string InstallStateCode(int install_status, int install_code);

// The entries joined by ',', taking entries in order for as long as the text stays within `limit` characters.
std::string JoinWithin(const std::vector<std::string>& entries, std::size_t limit);

// The entry that a web page's event text becomes in the remark-2 list; empty when the text is not of the
// expected form: {"<key>":"<page>","event":"<e>","time":"<t>","data":"<d>"} gives {"<page>":"<e>,<t>,<d>"}.
std::string WebEventEntry(const std::string& text);
