// The processor architecture of the machine, as the choice of installer packages sees it.
#pragma once

namespace platform {

// A 64-bit system (x86_64, aarch64 and the other 64-bit machines the kernel reports).
bool IsSystem64Bit();

// A 64-bit ARM machine (aarch64).
bool IsNativeArm64();

}  // namespace platform
