// Which processes hold a file open: the stand-in for asking the system's restart service. A file that another
// process holds open counts as in use, so that replacing or cutting it is refused as it would be elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct FileLocker {
    uint32_t process_id = 0;
    std::string name;  // the process's short name; empty when it cannot be read
};

// Every process (this one included) with an open descriptor on the file, in process-id order, at most
// max_count of them. Processes whose descriptors cannot be read (another user's, without privileges) are
// not seen. Empty when the file does not exist.
std::vector<FileLocker> ListFileLockers(const std::string& path, size_t max_count);

// Whether a process other than this one holds the file open: such a file counts as in use, and replacing,
// deleting or cutting it is refused with kErrorSharingViolation by the callers that honour sharing.
bool FileInUseByOtherProcess(const std::string& path);

}  // namespace platform
