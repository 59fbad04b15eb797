#include "platform/system_version.h"

#include <sys/utsname.h>

namespace platform {

std::string GetKernelRelease() {
    utsname names{};
    if (uname(&names) != 0) return {};
    return names.release;
}

}  // namespace platform
