#include <sys/utsname.h>

#include "platform/machine.h"

namespace platform {

std::string GetMachineName() {
    utsname names{};
    if (uname(&names) != 0) return {};
    return names.machine;
}

bool IsMachine64Bit(const std::string& machine_name) {
    static const char* const k64BitNames[] = {"x86_64",  "aarch64", "aarch64_be",  "arm64",
                                              "ia64",    "ppc64",   "ppc64le",     "s390x",
                                              "riscv64", "mips64",  "loongarch64", "sparc64"};
    for (const char* name : k64BitNames) {
        if (machine_name == name) return true;
    }
    return false;
}

std::string GetOsTypeName() {
    return "linux";
}

}  // namespace platform
