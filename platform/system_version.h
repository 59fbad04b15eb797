// The version of the running system: the stand-in for the system version information.
#pragma once

#include <string>

namespace platform {

// The kernel's release text, such as "6.1.0-18-amd64"; empty when it cannot be read.
std::string GetKernelRelease();

}  // namespace platform
