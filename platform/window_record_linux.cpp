#include "platform/window_record_linux.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace platform::window_internal {
namespace {

constexpr uint32_t kMagic = 0x574f5849;  // "IXOW"
constexpr uint32_t kFlagHasData = 1;

std::string Escape(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string Unescape(std::string_view text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        char next = text[++i];
        plain += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return plain;
}

bool ParseNumber(std::string_view text, uint64_t& value) {
    if (text.empty() || text.size() > 19) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + uint64_t(c - '0');
    }
    return true;
}

}  // namespace

std::string WindowFolder() {
    std::string runtime = GetRuntimeFolder();
    if (runtime.empty()) return {};
    std::string folder = runtime + "windows/";
    return CreateFolderWithParents(folder) ? folder : std::string();
}

std::string RecordPath(const std::string& folder, WindowHandle window) {
    char name[32];
    std::snprintf(name, sizeof name, "%08x.window", uint32_t(window));
    return folder + name;
}

std::string SocketPath(const std::string& folder, WindowHandle window) {
    char name[32];
    std::snprintf(name, sizeof name, "%08x.sock", uint32_t(window));
    return folder + name;
}

std::string FormatRecord(const WindowRecord& record) {
    std::string text;
    text += "pid=" + std::to_string(record.pid) + "\n";
    text += "start=" + std::to_string(record.start_time) + "\n";
    text += "class=" + Escape(record.class_name) + "\n";
    text += "title=" + Escape(record.title) + "\n";
    text += std::string("minimized=") + (record.minimized ? "1" : "0") + "\n";
    return text;
}

std::optional<WindowRecord> ParseRecord(WindowHandle window, std::string_view text) {
    WindowRecord record;
    record.handle = window;
    bool has_pid = false, has_start = false, has_class = false, has_title = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        std::string_view key = line.substr(0, equals);
        std::string_view value = line.substr(equals + 1);
        uint64_t number = 0;
        if (key == "pid" && ParseNumber(value, number) && number > 0 && number < (1u << 31)) {
            record.pid = int(number);
            has_pid = true;
        } else if (key == "start" && ParseNumber(value, number)) {
            record.start_time = number;
            has_start = true;
        } else if (key == "class") {
            record.class_name = Unescape(value);
            has_class = true;
        } else if (key == "title") {
            record.title = Unescape(value);
            has_title = true;
        } else if (key == "minimized") {
            record.minimized = value == "1";
        }
    }
    if (!has_pid || !has_start || !has_class || !has_title) return std::nullopt;
    return record;
}

std::optional<WindowRecord> ReadRecord(const std::string& folder, WindowHandle window) {
    std::optional<std::string> text = ReadFile(RecordPath(folder, window));
    if (!text) return std::nullopt;
    return ParseRecord(window, *text);
}

std::vector<WindowRecord> ReadAllRecords(const std::string& folder) {
    std::vector<WindowRecord> records;
    for (const FolderEntry& entry : ListFolder(folder)) {
        // "<8 hex digits>.window"; the writer's temporary files carry a longer name
        if (entry.is_folder || entry.name.size() != 15 || entry.name.compare(8, 7, ".window") != 0) continue;
        char* end = nullptr;
        unsigned long value = std::strtoul(entry.name.substr(0, 8).c_str(), &end, 16);
        if (*end != '\0' || value == 0 || value > 0x7fffffffUL) continue;
        if (auto record = ReadRecord(folder, WindowHandle(value))) records.push_back(std::move(*record));
    }
    std::sort(records.begin(), records.end(),
              [](const WindowRecord& a, const WindowRecord& b) { return a.handle < b.handle; });
    return records;
}

std::optional<uint64_t> ProcessStartTime(int pid) {
    std::optional<std::string> stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return std::nullopt;
    // "pid (comm) state ppid ...": the name may hold blanks and parentheses, so count from the last ')'.
    size_t close = stat->rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(stat->substr(close + 1));
    std::string field;
    std::string state;
    fields >> state;
    if (state == "Z" || state == "X") return std::nullopt;
    for (int index = 4; index < 22 && fields >> field; ++index) {
    }
    uint64_t start = 0;
    if (!(fields >> start)) return std::nullopt;
    return start;
}

bool IsOwnerRunning(const WindowRecord& record) {
    std::optional<uint64_t> start = ProcessStartTime(record.pid);
    return start && *start == record.start_time;
}

std::string EncodeMessage(const WindowMessage& message) {
    uint32_t flags = message.has_data ? kFlagHasData : 0;
    uint32_t bytes = message.has_data ? uint32_t(message.data.size() * sizeof(char16_t)) : 0;
    std::string datagram(kHeaderSize + bytes, '\0');
    char* out = datagram.data();
    std::memcpy(out, &kMagic, 4);
    std::memcpy(out + 4, &message.message, 4);
    std::memcpy(out + 8, &message.wparam, 8);
    std::memcpy(out + 16, &message.lparam, 8);
    std::memcpy(out + 24, &flags, 4);
    std::memcpy(out + 28, &bytes, 4);
    if (bytes) std::memcpy(out + kHeaderSize, message.data.data(), bytes);
    return datagram;
}

std::optional<WindowMessage> DecodeMessage(std::string_view datagram) {
    if (datagram.size() < kHeaderSize) return std::nullopt;
    const char* in = datagram.data();
    uint32_t magic = 0, flags = 0, bytes = 0;
    WindowMessage message;
    std::memcpy(&magic, in, 4);
    std::memcpy(&message.message, in + 4, 4);
    std::memcpy(&message.wparam, in + 8, 8);
    std::memcpy(&message.lparam, in + 16, 8);
    std::memcpy(&flags, in + 24, 4);
    std::memcpy(&bytes, in + 28, 4);
    if (magic != kMagic || (flags & ~kFlagHasData) != 0) return std::nullopt;
    if (bytes % 2 != 0 || bytes != datagram.size() - kHeaderSize || bytes > 2 * kMaxMessageData)
        return std::nullopt;
    if (!(flags & kFlagHasData) && bytes != 0) return std::nullopt;
    message.has_data = flags & kFlagHasData;
    message.data.resize(bytes / 2);
    if (bytes) std::memcpy(message.data.data(), in + kHeaderSize, bytes);
    return message;
}

}  // namespace platform::window_internal
