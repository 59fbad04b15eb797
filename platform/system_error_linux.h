// Inside the platform layer only: maps errno values to the portable numbers and records the thread's last
// one.
#pragma once

namespace platform {

int SystemErrorFromErrno(int native);
void SetLastSystemError(int error);

}  // namespace platform
