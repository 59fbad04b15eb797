#include <sys/utsname.h>

#include "platform/system_version.h"

namespace platform {

std::string GetKernelRelease() {
    utsname names{};
    if (uname(&names) != 0) return {};
    return names.release;
}

}  // namespace platform
