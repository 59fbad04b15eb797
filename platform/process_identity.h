// Who and where the running code is.
#pragma once

#include <cstdint>

namespace platform {

// The administrator check: the effective user is root.
bool IsAdministrator();

// The kernel's id of the calling thread (what the log writes) and of the process.
uint32_t CurrentThreadId();
uint32_t CurrentProcessId();

}  // namespace platform
