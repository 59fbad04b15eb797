// The download's temporary file, created at its final size before the first byte arrives, and the report of
// who else holds a file open when it cannot be replaced.
#pragma once

#include <cstdint>
#include <string>

namespace ns_IXD {

enum SizedFileOutcome : int {
    kSizedFileCreated = 0,
    kSizedFileCreateFailed = 1,  // could not be created or opened, or the size could not be reached
    kSizedFileNoSpace = 2,       // the size could not be set: the disk is full
    kSizedFileEmptyPath = 3,
};

// Creates (or truncates) the file at path with size bytes of reserved disk space, creating its folder first.
// A leftover that another process holds open cannot be replaced. On outcomes 1 and 2 the file is deleted.
// system_error receives the platform error of the step that decided the outcome.
int CreateSizedFile(const std::u16string& path, int& system_error, int64_t size);

// Logs every other process that holds the file open, at most ten; nothing when none does.
void LogFileLockers(const std::u16string& path);

}  // namespace ns_IXD
