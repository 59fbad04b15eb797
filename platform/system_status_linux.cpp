#include <fstream>
#include <sstream>
#include <vector>

#include "platform/system_status.h"

namespace platform {

std::optional<int64_t> GetAvailablePhysicalMemory() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    int64_t kilobytes = 0;
    std::string unit;
    while (meminfo >> key >> kilobytes) {
        std::getline(meminfo, unit);
        if (key == "MemAvailable:") return kilobytes * 1024;
    }
    return std::nullopt;
}

std::optional<int64_t> GetTcpSegmentsReceived() {
    // Two "Tcp:" lines: the first names the columns, the second holds the values.
    std::ifstream snmp("/proc/net/snmp");
    std::string line;
    std::vector<std::string> names;
    while (std::getline(snmp, line)) {
        if (line.rfind("Tcp:", 0) != 0) continue;
        std::istringstream fields(line.substr(4));
        std::vector<std::string> row;
        for (std::string field; fields >> field;) row.push_back(field);
        if (names.empty()) {
            names = std::move(row);
            continue;
        }
        for (size_t i = 0; i < names.size() && i < row.size(); ++i) {
            if (names[i] == "InSegs") return std::stoll(row[i]);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace platform
