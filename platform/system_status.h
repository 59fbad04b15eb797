// Figures of the running system that the download engine adapts to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Physical memory available to new allocations without swapping, in bytes.
std::optional<int64_t> GetAvailablePhysicalMemory();

// TCP segments received by the whole system since boot.
std::optional<int64_t> GetTcpSegmentsReceived();

// Bytes of disk space available to the caller on the file system that holds the path (which must exist).
std::optional<int64_t> GetFreeDiskSpace(const std::string& path);

}  // namespace platform
