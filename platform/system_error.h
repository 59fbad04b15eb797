// System error numbers as the engine reports them (logs, file-operation events): the numbering of the
// installer's original platform, so that logs and reports read the same on every platform. Native errors are
// mapped to these at the platform boundary.
#pragma once

namespace platform {

constexpr int kErrorSuccess = 0;
constexpr int kErrorFileNotFound = 2;
constexpr int kErrorPathNotFound = 3;
constexpr int kErrorAccessDenied = 5;
constexpr int kErrorInvalidHandle = 6;
constexpr int kErrorNotEnoughMemory = 8;
constexpr int kErrorWriteProtect = 19;
constexpr int kErrorSharingViolation = 32;
constexpr int kErrorFileExists = 80;
constexpr int kErrorInvalidParameter = 87;
constexpr int kErrorDiskFull = 112;
constexpr int kErrorNegativeSeek = 131;
constexpr int kErrorFilenameTooLong = 206;
constexpr int kErrorFileTooLarge = 223;
constexpr int kErrorIoDevice = 1117;
constexpr int kErrorUserMappedFile = 1224;
// A native error without a counterpart: this bit plus the native number.
constexpr int kErrorNativeBit = 0x20000000;

// The last error of the calling thread's most recent platform call that failed (0 after one that succeeded,
// for the calls that say so).
int LastSystemError();

}  // namespace platform
