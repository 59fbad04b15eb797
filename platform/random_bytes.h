// Random bytes from the operating system's cryptographic source.
#pragma once

#include <cstddef>

namespace platform {

// Fills `size` bytes at `buffer`; false (buffer contents unspecified) when the source cannot deliver them.
bool GetRandomBytes(void* buffer, size_t size);

}  // namespace platform
