// Read-only access to a ZIP archive held in memory (the skin archive), through libzip. The bytes are used in
// place and must outlive the object.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace skinui {

class CZipArchive {
public:
    CZipArchive();
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // False (and the archive left closed) when the bytes are not a readable ZIP archive.
    bool Open(const void* bytes, size_t size);
    void Close();
    bool IsOpen() const;

    // The whole content of the entry with this exact name; nullopt when absent or unreadable.
    std::optional<std::string> ReadEntry(const std::string& name) const;
    std::vector<std::string> EntryNames() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace skinui
