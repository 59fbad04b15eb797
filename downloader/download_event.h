// The records that flow from a download to its owner: result codes, event types and the event record, and
// the two small interfaces a downloader talks through (IObserver up to the manager, IFileWriter down from its
// connections).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace ns_IXD {

// Result of a download task. The numbers are stored in statistics and shown to users: never renumber.
enum DownloadResult : int32_t {
    kResultSuccess = 0,
    kResultAlreadyDownloaded = 1,
    kResultConnectFailed = 2,
    kResultReceiveFailed = 3,
    kResultSendFailed = 4,
    kResultGetInfoFailed = 5,
    kResultTaskAllocationFailed = 6,
    kResultBufferError = 7,
    kResultParameterError = 8,
    kResultFileOperationFailed = 9,
    kResultDiskSpace = 10,
    kResultMd5Mismatch = 11,
    kResultFileSizeError = 12,
    kResultUserCanceled = 13,
    kResultDownloadFailed = 14,
    kResultUnknown = 15,
    kResultEndEventError = 16,
    kResultSavePathError = 17,
    kResultPidError = 18,
    kResultUrlError = 19,
    kResultUrlParseError = 20,
    kResultThreadCreateError = 21,
    kResultTimeout = 22,
    kResultSslFailed = 23,
    kResultDnsFailed = 24,
    kResultTooManyRedirects = 25,
    kResultServerClosed = 26,
    kResultOtherTransferError = 27,
};

enum DownloadEventType : int32_t {
    kEventFileName = 0,          // text16: the file name taken from the URL
    kEventFileSize = 1,          // number: the total size
    kEventFinished = 2,          // number: the result code
    kEventProgress = 3,          // progress
    kEventConnection = 4,        // number: bytes the new connection must fetch
    kEventStarted = 7,           //
    kEventAddressUsed = 8,       // text: the IP address
    kEventAttempt = 9,           // number: the attempt (0-based)
    kEventAttemptEnd = 10,       // value1: attempt, value2: result code
    kEventFileMd5 = 11,          // text: the MD5 in uppercase hex
    kEventMd5Match = 12,         //
    kEventFileOperation = 13,    // value1: operation (kFileOperation...), value2: system error
    kEventGetInfoFailed = 14,    // number: 2
    kEventDnsCacheCleared = 15,  // number: the current result code
    kEventDnsResolved = 16,      // text: "host:ip,ip,..."
    kEventPrepare = 17,          //
    kEventDownloadConfig = 18,   // value1: connection count, value2: buffer bytes per connection
};

// value1 of kEventFileOperation.
enum FileOperation : int32_t {
    kFileOperationCreate = 1,
    kFileOperationRename = 2,
    kFileOperationDiskSpace = 3,
    kFileOperationSizeCheck = 4,
};

struct ProgressRecord {
    int32_t reserved = -1;
    int64_t total = 0;
    int64_t downloaded = 0;
    int32_t speed = 0;  // bytes per second since the attempt began
};

// One event of one task. The sender allocates it and hands it over with IObserver::Notify.
struct DownloadEvent {
    int32_t reserved = -1;
    int32_t task_id = 0;
    int32_t type = 0;
    int64_t number = 0;
    std::string text;
    std::u16string text16;
    std::unique_ptr<ProgressRecord> progress;
    int32_t value1 = 0;
    int32_t value2 = 0;
};

class IObserver {
public:
    virtual ~IObserver() = default;
    // Takes the event; called on the thread of the download that raised it.
    virtual void Notify(std::unique_ptr<DownloadEvent> event, int64_t wparam) = 0;
};

class IFileWriter {
public:
    virtual ~IFileWriter() = default;
    // Writes length bytes at offset of the download's file. Returns length, or 0 when nothing was written.
    // Called from the connection threads; writes of different connections never overlap.
    virtual int64_t WriteData(int64_t offset, int64_t length, const void* bytes) = 0;
};

}  // namespace ns_IXD
