#include "platform/version_stamp.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace platform {
namespace {

constexpr char kHead[8] = {'\x7f', 'I', 'X', 'O', 'V', 'E', 'R', '\x01'};
constexpr char kTail[8] = {'S', 'T', 'A', 'M', 'P', 'E', 'N', 'D'};
constexpr size_t kStampSize = 24;

std::optional<FileVersion> Decode(const char* stamp) {
    if (std::memcmp(stamp, kHead, 8) != 0 || std::memcmp(stamp + 16, kTail, 8) != 0) return std::nullopt;
    FileVersion version{};
    for (size_t i = 0; i < 4; ++i) {
        version[i] = uint16_t(uint8_t(stamp[8 + 2 * i]) | uint8_t(stamp[9 + 2 * i]) << 8);
    }
    return version;
}

}  // namespace

std::optional<FileVersion> ReadVersionStamp(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size < kStampSize) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    char stamp[kStampSize];
    if (!file.seekg(std::streamoff(size - kStampSize)) || !file.read(stamp, kStampSize)) return std::nullopt;
    return Decode(stamp);
}

bool WriteVersionStamp(const std::string& path, const FileVersion& version) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    if (ReadVersionStamp(path)) {
        uintmax_t size = std::filesystem::file_size(path, error);
        if (error) return false;
        std::filesystem::resize_file(path, size - kStampSize, error);
        if (error) return false;
    }
    char stamp[kStampSize];
    std::memcpy(stamp, kHead, 8);
    for (size_t i = 0; i < 4; ++i) {
        stamp[8 + 2 * i] = char(version[i] & 0xff);
        stamp[9 + 2 * i] = char(version[i] >> 8);
    }
    std::memcpy(stamp + 16, kTail, 8);
    std::ofstream file(path, std::ios::binary | std::ios::app);
    return file.write(stamp, kStampSize) && file.flush();
}

}  // namespace platform
