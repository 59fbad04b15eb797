#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <utility>

#include "platform/large_buffer.h"

namespace platform {

namespace {

// The size of a large page on x86-64 and most 64-bit ARM systems. Blocks from this size up are aligned to
// it so that the system can back them with large pages.
constexpr size_t kLargePage = size_t(2) << 20;

size_t RoundUp(size_t size, size_t unit) {
    return (size + unit - 1) / unit * unit;
}

}  // namespace

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapped_ = std::exchange(other.mapped_, 0);
    }
    return *this;
}

bool LargeBuffer::Allocate(size_t size) {
    Release();
    if (size == 0) return false;
    size_t page = size_t(sysconf(_SC_PAGESIZE));
    size_t length = RoundUp(size, page);
    bool large = length >= kLargePage;
    // Room to move the start to a large-page boundary; what lies before and after is given back at once.
    size_t mapped = large ? length + kLargePage : length;
    void* mapping = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return false;
    char* begin = static_cast<char*>(mapping);
    if (large) {
        char* aligned = reinterpret_cast<char*>(RoundUp(reinterpret_cast<uintptr_t>(begin), kLargePage));
        size_t head = size_t(aligned - begin);
        size_t tail = mapped - head - length;
        if (head > 0) munmap(begin, head);
        if (tail > 0) munmap(aligned + length, tail);
        begin = aligned;
        // Only advice: without large pages the block works the same, at more faults.
        madvise(begin, length, MADV_HUGEPAGE);
    }
    // The block is about to be filled: all of its pages in one call cost far less than a fault for each.
    // Older systems refuse the advice and fault the pages in as they are touched.
    madvise(begin, length, MADV_POPULATE_WRITE);
    data_ = begin;
    size_ = size;
    mapped_ = length;
    return true;
}

void LargeBuffer::Release() {
    if (data_) munmap(data_, mapped_);
    data_ = nullptr;
    size_ = 0;
    mapped_ = 0;
}

}  // namespace platform
