// A large block of memory taken straight from the system for data on its way to a file (the download
// engine's connection buffers). It is zero-filled by the system, not by a pass over it, and backed by large
// pages where the system offers them, so that filling it costs a few page faults instead of one per 4 KiB.
#pragma once

#include <cstddef>

namespace platform {

class LargeBuffer {
public:
    LargeBuffer() = default;
    ~LargeBuffer() { Release(); }
    LargeBuffer(LargeBuffer&& other) noexcept;
    LargeBuffer& operator=(LargeBuffer&& other) noexcept;
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;

    // Releases what it held, then maps size zero-filled bytes. False (and empty) when the system refuses or
    // size is 0.
    bool Allocate(size_t size);
    void Release();

    char* Data() const { return data_; }
    size_t Size() const { return size_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    char* data_ = nullptr;
    size_t size_ = 0;
    size_t mapped_ = 0;  // size_ rounded up to whole pages
};

}  // namespace platform
