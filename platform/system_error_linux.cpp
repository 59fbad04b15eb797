#include "platform/system_error_linux.h"

#include <cerrno>

#include "platform/system_error.h"

namespace platform {

namespace {
thread_local int g_last_error = 0;
}

int SystemErrorFromErrno(int native) {
    switch (native) {
        case 0:
            return kErrorSuccess;
        case ENOENT:
            return kErrorFileNotFound;
        case ENOTDIR:
            return kErrorPathNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
            return kErrorAccessDenied;
        case EBADF:
            return kErrorInvalidHandle;
        case ENOMEM:
            return kErrorNotEnoughMemory;
        case EROFS:
            return kErrorWriteProtect;
        case EBUSY:
        case ETXTBSY:
            return kErrorSharingViolation;
        case EEXIST:
            return kErrorFileExists;
        case EINVAL:
            return kErrorInvalidParameter;
        case ENOSPC:
        case EDQUOT:
            return kErrorDiskFull;
        case ENAMETOOLONG:
            return kErrorFilenameTooLong;
        case EFBIG:
            return kErrorFileTooLarge;
        case EIO:
            return kErrorIoDevice;
        default:
            return kErrorNativeBit | native;
    }
}

void SetLastSystemError(int error) {
    g_last_error = error;
}

int LastSystemError() {
    return g_last_error;
}

}  // namespace platform
