// An open file addressed by offset, for files that stay open while several threads write disjoint parts of
// them (the download's temporary file). Failures set LastSystemError(); nothing here throws.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class FileHandle {
public:
    enum class Mode {
        kCreateAlways,  // create, or truncate an existing file to 0 bytes
        kOpenExisting,  // fail when the file does not exist
    };

    FileHandle() = default;
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Opens for reading and writing. Closes whatever this handle had open first.
    bool Open(const std::string& path, Mode mode);
    bool IsOpen() const { return descriptor_ >= 0; }
    // A number that identifies the open file in log lines; -1 when closed.
    int Value() const { return descriptor_; }
    void Close();

    // The whole length or failure; a negative offset fails with kErrorNegativeSeek. Safe to call from several
    // threads at once for disjoint parts.
    bool WriteAt(int64_t offset, const void* data, int64_t length);
    // Exactly length bytes, or failure (also at the end of the file).
    bool ReadAt(int64_t offset, void* data, int64_t length);
    // Cuts or extends the file to size bytes without reserving disk space.
    bool SetEndOfFile(int64_t size);
    // Reserves disk space for the first size bytes and makes the file that long, so that later writes within
    // it cannot run out of space. A full disk fails with kErrorDiskFull.
    bool Reserve(int64_t size);
    std::optional<int64_t> Size() const;

private:
    int descriptor_ = -1;
};

}  // namespace platform
