// The machine the program runs on: the stand-in for the native processor architecture and the name of the
// operating system family.
#pragma once

#include <string>

namespace platform {

// The kernel's name for the hardware, such as "x86_64" or "aarch64"; empty when it cannot be read.
std::string GetMachineName();

// True when the machine name is that of a 64-bit processor (x86_64, aarch64, ia64, and the other 64-bit
// names the kernel uses).
bool IsMachine64Bit(const std::string& machine_name);

// The operating-system family as the program reports it: "linux" here.
std::string GetOsTypeName();

}  // namespace platform
