#include <sys/random.h>

#include <cerrno>

#include "platform/random_bytes.h"

namespace platform {

bool GetRandomBytes(void* buffer, size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    size_t filled = 0;
    while (filled < size) {
        // Blocks only until the kernel's pool is first initialised, early in boot.
        ssize_t count = getrandom(bytes + filled, size - filled, 0);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        filled += size_t(count);
    }
    return true;
}

}  // namespace platform
