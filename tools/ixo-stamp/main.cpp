// ixo-stamp set FILE MAJOR.MINOR.BUILD.REVISION
// ixo-stamp get FILE
//
// Writes or prints the version stamp of a file (platform/version_stamp.h). The build stamps its own
// executables with it; packaging scripts stamp the demo packages.
//
// Exit status: 0 done, 1 the file has no stamp or cannot be written, 2 wrong arguments.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/version_stamp.h"

namespace {

// Exactly four decimal parts of 0-65535.
bool ParseVersion(const std::string& text, platform::FileVersion& version) {
    size_t begin = 0;
    for (size_t part = 0; part < 4; ++part) {
        size_t end = part == 3 ? text.size() : text.find('.', begin);
        if (end == std::string::npos || end == begin || end - begin > 5) return false;
        unsigned long value = 0;
        for (size_t i = begin; i < end; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            value = value * 10 + unsigned(text[i] - '0');
        }
        if (value > 65535) return false;
        version[part] = uint16_t(value);
        begin = end + 1;
    }
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: ixo-stamp set FILE MAJOR.MINOR.BUILD.REVISION\n       ixo-stamp get FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "get") == 0) {
        std::optional<platform::FileVersion> version = platform::ReadVersionStamp(argv[2]);
        if (!version) {
            std::fprintf(stderr, "ixo-stamp: %s carries no version stamp\n", argv[2]);
            return 1;
        }
        std::printf("%u.%u.%u.%u\n", (*version)[0], (*version)[1], (*version)[2], (*version)[3]);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "set") == 0) {
        platform::FileVersion version{};
        if (!ParseVersion(argv[3], version)) return Usage();
        if (!platform::WriteVersionStamp(argv[2], version)) {
            std::fprintf(stderr, "ixo-stamp: cannot stamp %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    return Usage();
}
