#include <sys/utsname.h>

#include <string>

#include "platform/machine.h"

namespace platform {
namespace {

std::string MachineName() {
    utsname names{};
    return uname(&names) == 0 ? names.machine : "";
}

}  // namespace

bool IsSystem64Bit() {
    std::string machine = MachineName();
    return machine == "x86_64" || machine == "aarch64" || machine == "arm64" || machine == "ppc64" ||
           machine == "ppc64le" || machine == "s390x" || machine == "riscv64" || machine == "loongarch64" ||
           machine == "mips64" || machine == "sparc64";
}

bool IsNativeArm64() {
    std::string machine = MachineName();
    return machine == "aarch64" || machine == "arm64";
}

}  // namespace platform
