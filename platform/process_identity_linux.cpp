#include "platform/process_identity.h"

#include <unistd.h>

namespace platform {

bool IsAdministrator() { return geteuid() == 0; }

uint32_t CurrentThreadId() { return uint32_t(gettid()); }

uint32_t CurrentProcessId() { return uint32_t(getpid()); }

}  // namespace platform
