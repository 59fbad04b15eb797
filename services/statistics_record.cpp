#include "services/statistics_record.h"

#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "formats/json_value.h"

namespace {

constexpr std::size_t kRemarkLimit = 2000;

std::string Digits(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (c >= '0' && c <= '9') digits += c;
    }
    return digits;
}

std::string ValueOf(const std::map<std::string, std::string>& values, const std::string& key) {
    auto found = values.find(key);
    return found == values.end() ? std::string() : found->second;
}

// Non-numbers read as 0, as the callers' texts are decimal numbers or empty.
int IntegerOf(const std::map<std::string, std::string>& values, const std::string& key) {
    return std::atoi(ValueOf(values, key).c_str());
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[128];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

struct TaskLists {
    std::string tasks;
    std::string download_failures;
    std::string install_failures;
    std::string download_times;
    std::string install_times;
};

TaskLists JoinTasks(const std::map<int32_t, StatisticsTask>& tasks) {
    TaskLists lists;
    auto append = [](std::string& list, const std::string& item) {
        if (!list.empty()) list += ';';
        list += item;
    };
    for (const auto& [id, task] : tasks) {
        append(lists.tasks, Format("%d,%d", id, task.selected));
        append(lists.download_failures, Format("%d,%d", id, task.download_failure));
        append(lists.install_failures, Format("%d,%d", id, task.install_failure));
        append(lists.download_times,
               Format("%d:%" PRId64 ",%" PRId64, id, task.download_start, task.download_end));
        append(lists.install_times,
               Format("%d:%" PRId64 ",%" PRId64, id, task.install_start, task.install_end));
    }
    return lists;
}

std::string JoinSet(const std::set<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) {
        if (!joined.empty()) joined += ',';
        joined += item;
    }
    return joined.empty() ? "-" : joined;
}

// One record. `values` is the map as this record sees it; the download and install figures feed the state
// codes. Members are added in their fixed order; a key that is already present keeps its earlier value.
std::string BuildOne(const std::string& product_id, const std::map<std::string, std::string>& values,
                     int download_status, int download_code, int install_status, int install_code,
                     const StatisticsSnapshot& snapshot, bool privacy, const RunFacts& facts, int64_t now) {
    jsonw::CJsonValue record;
    auto add = [&record](const std::string& key, const std::string& value) { record.Add(key, value); };

    add("product_id", product_id);
    add("ixover", "204");
    add("ixoversion", facts.file_version);
    add("ixonamepid", Digits(facts.file_name));
    for (const auto& [key, value] : values) {
        if (privacy && key == "client_sign") continue;
        add(key, value);
    }
    if (privacy) {
        add("client_sign", "");
        add("winver", "unknown");
        add("winbits", "0");
    } else {
        add("winver", facts.os_version);
        add("winbits", facts.os_64bit ? "64" : "32");
    }
    add("auto_install", privacy ? "2" : "0");
    add("iever", facts.browser_version);
    add("ixostart", std::to_string(snapshot.start_time));
    add("ixoend", std::to_string(now));
    add("downstate", DownloadStateCode(download_status, download_code, ValueOf(values, "closetype"),
                                       snapshot.crash.crashed, ValueOf(values, "resumedown")));
    add("installstate", InstallStateCode(install_status, install_code));
    add("cdniplist", JoinSet(snapshot.cdn_addresses));
    add("cdnurllist", JoinSet(snapshot.cdn_urls));

    TaskLists lists = snapshot.per_task ? TaskLists{} : JoinTasks(snapshot.tasks);
    add("bindtasks", lists.tasks);
    add("binddownfail", lists.download_failures.empty() ? "-" : lists.download_failures);
    add("bindinstallfail", lists.install_failures.empty() ? "-" : lists.install_failures);
    add("binddowntime", lists.download_times);
    add("bindinstalltime", lists.install_times);

    const CrashFacts& crash = snapshot.crash;
    add("crash", crash.crashed ? "1" : "0");
    add("crashcode", std::to_string(crash.code));
    // At least eight digits as the 32-bit form had; a 64-bit address keeps all of its digits.
    add("crashattr", Format("0x%08" PRIX64, crash.address));
    add("crashoffset", std::to_string(crash.offset));
    add("crashfilename", crash.file_name);
    add("crashsection", crash.section);

    if (privacy) {
        add("timezone", "0");
        add("syslcid", "0");
    } else {
        long hours = std::lround(facts.timezone_bias_minutes / 60.0);
        add("timezone", std::to_string(-hours));
        add("syslcid", std::to_string(facts.system_lcid));
    }
    add("srceensize", std::to_string(facts.screen_width) + "*" + std::to_string(facts.screen_height));
    add("ixoclose", std::to_string(now));
    add("remark1", JoinWithin(snapshot.remarks, kRemarkLimit));
    add("remark2", JoinWithin(snapshot.web_remarks, kRemarkLimit));
    add("remark3", "");
    add("ixotrackid", snapshot.tracking_id);
    record.Add("is_first_install", snapshot.first_install ? 1 : 0);
    return record.ToString();
}

}  // namespace

std::string DownloadStateCode(int download_status, int download_code, const std::string& close_type,
                              bool crashed, const std::string& resume_down) {
    std::string suffix;
    switch (download_status) {
        case 0:
            suffix = close_type == "13" ? "13" : "17";
            break;
        case 1:
            suffix = crashed ? "16" : "15";
            break;
        case 2:
            suffix = Format("%02d", download_code);
            break;
        case 3:
            suffix = "00";
            break;
        default:
            suffix = "99";
            break;
    }
    if (resume_down == "2") suffix = "00";
    return "10" + suffix;
}

std::string InstallStateCode(int install_status, int install_code) {
    std::string suffix;
    switch (install_status) {
        case 3:
            suffix = "00";
            break;
        case 2:
            suffix = install_code == 5 ? "02" : install_code == 1 ? "01" : "03";
            break;
        case 1:
            suffix = "04";
            break;
        default:
            suffix = "05";
            break;
    }
    return "20" + suffix;
}

std::string JoinWithin(const std::vector<std::string>& entries, std::size_t limit) {
    std::string joined;
    for (const std::string& entry : entries) {
        std::size_t longer = joined.size() + (joined.empty() ? 0 : 1) + entry.size();
        if (longer > limit) break;
        if (!joined.empty()) joined += ',';
        joined += entry;
    }
    return joined;
}

std::string WebEventEntry(const std::string& text) {
    const std::string event_key = ",\"event\"";
    const std::string time_key = "\",\"time\":\"";
    const std::string data_key = "\",\"data\":\"";
    const std::size_t event = text.find(event_key);
    const std::size_t time = text.find(time_key);
    const std::size_t data = text.find(data_key);
    if (event == std::string::npos || time == std::string::npos || data == std::string::npos) return {};
    // Out of order or overlapping keys would cut the text at the wrong places: such a text is not recorded.
    constexpr std::size_t kPageStart = 7;  // after {"key":
    if (event < kPageStart || time < event + event_key.size() || data < time + time_key.size()) return {};
    return "{" + text.substr(kPageStart, event - kPageStart) +
           text.substr(event + event_key.size(), time - event - event_key.size()) + "," +
           text.substr(time + time_key.size(), data - time - time_key.size()) + "," +
           text.substr(data + data_key.size());
}

std::vector<StatisticsRecord> BuildStatisticsRecords(const StatisticsSnapshot& snapshot, bool privacy,
                                                     const RunFacts& facts, int64_t now) {
    std::vector<StatisticsRecord> records;
    if (!snapshot.per_task) {
        const std::map<std::string, std::string>& values = snapshot.values;
        const std::string product_id = ValueOf(values, "product_id");
        records.push_back(
            {product_id, BuildOne(product_id, values, IntegerOf(values, "downstatus"),
                                  IntegerOf(values, "downcode"), IntegerOf(values, "installstatus"),
                                  IntegerOf(values, "installcode"), snapshot, privacy, facts, now)});
        return records;
    }
    for (const auto& [id, task] : snapshot.tasks) {
        std::map<std::string, std::string> values = snapshot.values;
        const std::string product_id = std::to_string(id);
        values["product_id"] = product_id;
        values["startupproduct"] = product_id;
        values["serverxmlmd5"] = task.server_md5;
        // The run's "prodcutver" is whichever dependent finished last; each task's record names its own.
        if (!task.package_version.empty()) values["prodcutver"] = task.package_version;
        records.push_back(
            {product_id, BuildOne(product_id, values, 0, 0, 0, 0, snapshot, privacy, facts, now)});
    }
    return records;
}
