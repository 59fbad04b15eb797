// One byte range of a download, fetched by one HTTP transfer on a thread of its own and written in large
// blocks through the downloader's IFileWriter. The transfer may be pinned to one IPv4 address of the host;
// the URL keeps the host name, so TLS still checks the certificate against it.
//
// Threads: the connection thread runs the transfer, its callbacks and every write-out. The downloader's
// thread reads the counters, moves the range end down (a split), cuts the received count, and cancels; those
// fields are atomics. The buffer belongs to the connection thread alone.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "downloader/download_event.h"
#include "platform/large_buffer.h"

namespace ns_IXD {

class CRangeConnection {
public:
    enum State : int32_t {
        kCreated = -1,
        kRunning = 1,
        kPaused = 2,  // never entered by the engine itself
        kCancelled = 3,
        kDone = 4,
        kFailed = 5,
    };

    static constexpr int32_t kDefaultBufferSize = 0x500000;

    CRangeConnection();
    // Cancels, waits for the thread and releases the transfer.
    ~CRangeConnection();
    CRangeConnection(const CRangeConnection&) = delete;
    CRangeConnection& operator=(const CRangeConnection&) = delete;

    // Prepares the transfer of [start, end] (end < 0: to the end of the file) of url, pinned to address when
    // it is not empty. False when the transfer cannot be created.
    bool Init(const std::string& url, int64_t start, int64_t end, const std::string& address);
    void SetTotalSize(int64_t total) { total_size_ = total; }
    void SetBufferSize(int32_t size) { buffer_size_ = size; }
    void SetFileWriter(IFileWriter* writer) { file_writer_ = writer; }

    // From created only: starts the thread. Returns whether it started.
    bool Run();
    // A running or paused connection becomes cancelled; its thread ends the transfer at its next check.
    void CancelIfActive();
    // A paused connection runs again.
    void Resume();
    // Waits for the thread to end (done, failed or cancelled transfers end promptly).
    void Join();

    int32_t GetState() const { return state_.load(); }
    bool IsActive() const;  // created, running or paused
    int64_t GetStart() const { return start_; }
    int64_t GetEnd() const { return end_.load(); }
    void SetEnd(int64_t end) { end_.store(end); }
    int64_t GetReceived() const { return received_.load(); }
    void SetReceived(int64_t received) { received_.store(received); }
    int64_t GetWritten() const { return written_.load(); }
    int64_t GetEndInUse() const;
    int64_t GetBytesLeft() const;
    const std::string& GetAddress() const { return address_; }
    // Set when the transfer has ended; empty when it equals the request URL.
    std::string GetEffectiveUrl() const;
    int32_t GetTransferError() const { return transfer_error_.load(); }
    int32_t GetHttpStatus() const { return http_status_.load(); }
    // The range as it was asked for when the connection began (for the new connection's event).
    int64_t GetInitialBytes() const;

    // Owned by the downloader's thread: it has dealt with this ended connection / started its replacement.
    bool handled = false;
    bool replaced = false;

    // The longest silence after data began before a transfer counts as stalled: 10 seconds.
    static void SetStallLimitForTesting(int64_t milliseconds);
    // Trusted certificate authorities for https (a PEM bundle). Empty (the default): those of the deployment
    // profile, or the system's store when the profile names none.
    static void SetCertificateAuthorityFile(const std::string& path);
    static std::string GetCertificateAuthorityFile();

private:
    static size_t WriteCallback(char* bytes, size_t size, size_t count, void* self);
    static int ProgressCallback(void* self, int64_t, int64_t, int64_t, int64_t);
    void ThreadBody();
    size_t OnData(const char* bytes, size_t length);
    int OnProgress();
    // Connection thread only: writes the buffer out and frees it, then moves to the state (a final state is
    // never left) and logs the change.
    void SetState(int32_t state);
    void ChangeState(int32_t state);
    void WriteOut(const char* bytes, int64_t count);
    void Release();
    static int64_t NowMilliseconds();

    void* handle_ = nullptr;        // the transfer
    void* resolve_list_ = nullptr;  // host-to-address pins
    void* header_list_ = nullptr;
    int64_t start_ = 0;
    std::atomic<int64_t> end_{-1};
    std::atomic<int64_t> received_{0};
    std::atomic<int64_t> written_{0};
    std::atomic<int64_t> last_activity_ms_{0};  // 0 until the first chunk
    std::string url_;
    std::string effective_url_;
    std::string host_;
    std::string ca_file_;
    std::string address_;
    std::atomic<int32_t> state_{kCreated};
    platform::LargeBuffer buffer_;
    int64_t buffered_ = 0;
    int64_t capacity_ = 0;  // of the buffer: the buffer size, or the range when that is shorter
    std::atomic<int64_t> start_time_{0};
    std::atomic<int64_t> end_time_{0};
    std::atomic<double> speed_{0};
    int64_t total_size_ = 0;
    int64_t initial_end_ = -1;
    std::atomic<int32_t> transfer_error_{0};
    std::thread thread_;
    int32_t buffer_size_ = kDefaultBufferSize;
    std::atomic<int32_t> http_status_{0};
    IFileWriter* file_writer_ = nullptr;
    mutable std::mutex effective_url_lock_;
};

}  // namespace ns_IXD
