#include "downloader/sized_file.h"

#include "formats/utf_conversion.h"
#include "platform/file_handle.h"
#include "platform/file_lockers.h"
#include "platform/file_system.h"
#include "platform/process_identity.h"
#include "platform/system_error.h"
#include "system/simple_log.h"

namespace ns_IXD {

namespace {

constexpr size_t kMaxListedLockers = 10;

}  // namespace

int CreateSizedFile(const std::u16string& path, int& system_error, int64_t size) {
    if (path.empty()) return kSizedFileEmptyPath;
    std::string narrow = Utf16ToUtf8(path);

    // A file that another process has open cannot be deleted or truncated; that process keeps it.
    bool in_use = false;
    if (platform::FileExists(narrow)) {
        in_use = platform::FileInUseByOtherProcess(narrow);
        int error = in_use ? platform::kErrorSharingViolation : platform::kErrorSuccess;
        if (!in_use && !platform::DeleteFile(narrow)) error = platform::kErrorAccessDenied;
        if (error != platform::kErrorSuccess) {
            WriteLog(kLogWarn, "[WARN] before create, delete file=[%s], error=[%d].", narrow.c_str(), error);
        }
    }

    size_t slash = narrow.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        std::string folder = narrow.substr(0, slash + 1);
        if (!platform::FolderExists(folder)) platform::CreateFolderWithParents(folder);
    }

    platform::FileHandle file;
    bool created = false;
    if (in_use) {
        system_error = platform::kErrorSharingViolation;
    } else {
        created = file.Open(narrow, platform::FileHandle::Mode::kCreateAlways);
        system_error = platform::LastSystemError();
    }
    WriteLog(kLogInfo, "[INFO] create file=[%s], hFile=[%d], error=[%d].", narrow.c_str(), file.Value(),
             system_error);
    if (!created) return kSizedFileCreateFailed;

    int outcome = kSizedFileCreated;
    if (size > 0 && !file.Reserve(size)) {
        system_error = platform::LastSystemError();
        outcome = kSizedFileNoSpace;
    }
    file.Close();
    if (outcome != kSizedFileCreated) platform::DeleteFile(narrow);
    return outcome;
}

void LogFileLockers(const std::u16string& path) {
    std::string narrow = Utf16ToUtf8(path);
    for (const platform::FileLocker& locker : platform::ListFileLockers(narrow, kMaxListedLockers)) {
        if (locker.process_id == platform::CurrentProcessId()) continue;
        WriteLog(kLogWarn, "[WARN] process=[%d][%s] locked the file=[%s] ", int(locker.process_id),
                 locker.name.c_str(), narrow.c_str());
    }
}

}  // namespace ns_IXD
