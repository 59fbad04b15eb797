// Shared by both sides of the window stand-in: where windows live in the runtime folder, the record format,
// the datagram format and the liveness test of a record's owner. Internal to platform/.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_messages.h"

namespace platform::window_internal {

struct WindowRecord {
    WindowHandle handle = 0;
    int pid = 0;
    uint64_t start_time = 0;  // of the owning process, in clock ticks since boot (tells a reused pid apart)
    std::string class_name;
    std::string title;
    bool minimized = false;
};

// <runtime folder>windows/, created on first use; empty when it cannot be made.
std::string WindowFolder();
std::string RecordPath(const std::string& folder, WindowHandle window);
std::string SocketPath(const std::string& folder, WindowHandle window);

// The record file holds one "key=value" line per field; newlines and backslashes in texts are escaped.
std::string FormatRecord(const WindowRecord& record);
std::optional<WindowRecord> ParseRecord(WindowHandle window, std::string_view text);
std::optional<WindowRecord> ReadRecord(const std::string& folder, WindowHandle window);
std::vector<WindowRecord> ReadAllRecords(const std::string& folder);  // in handle order

// Start time of a running process; nullopt when it has ended (a zombie has ended).
std::optional<uint64_t> ProcessStartTime(int pid);
bool IsOwnerRunning(const WindowRecord& record);

// One datagram: a fixed header (magic, message, wparam, lparam, flags, payload bytes) and the UTF-16 payload.
inline constexpr size_t kHeaderSize = 32;
inline constexpr size_t kMaxDatagram = kHeaderSize + 2 * kMaxMessageData;
std::string EncodeMessage(const WindowMessage& message);
std::optional<WindowMessage> DecodeMessage(std::string_view datagram);

}  // namespace platform::window_internal
