// The version stamp: the stand-in for a file's version resource. Our build puts it into its own executables
// (cmake/VersionStamp.cmake) and the demo packages carry it; a file without it has no version.
//
// The stamp is a 24-byte trailer at the very end of the file: the 8 bytes "\x7fIXOVER\x01", the four parts
// (major, minor, build, revision) as 16-bit little-endian numbers, and the 8 bytes "STAMPEND". Programs and
// archives ignore bytes after their own end, so the trailer changes nothing about how the file runs, and it
// is read without scanning the file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

using FileVersion = std::array<uint16_t, 4>;

// nullopt when the file cannot be read or carries no stamp.
std::optional<FileVersion> ReadVersionStamp(const std::string& path);

// Appends the stamp, or replaces the one the file already carries.
bool WriteVersionStamp(const std::string& path, const FileVersion& version);

}  // namespace platform
