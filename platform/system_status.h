// Figures of the running system that the download engine adapts to.
#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// Physical memory available to new allocations without swapping, in bytes.
std::optional<int64_t> GetAvailablePhysicalMemory();

// TCP segments received by the whole system since boot.
std::optional<int64_t> GetTcpSegmentsReceived();

}  // namespace platform
