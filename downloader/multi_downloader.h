// One file downloaded over many parallel range connections into a pre-sized temporary file
// (<target>.~P2S) that carries a table of the ranges still missing, so that an interrupted download
// resumes. Adapts the connection count to its share of the machine's incoming TCP traffic, re-fetches failed
// ranges, retries the whole file up to ten times, and ends by checking size and MD5 and renaming the
// temporary file to the target.
//
// Threads: Start() runs the whole download on a thread of its own, which raises every event; each range
// connection has its own thread and calls WriteData. Cancel, Resume and the getters may be called from any
// thread. The destructor cancels and waits for every thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "downloader/download_event.h"
#include "downloader/prefix_hasher.h"
#include "downloader/range_connection.h"
#include "platform/file_handle.h"

namespace ns_IXD {

class CMultiDownloader : public IFileWriter {
public:
    static constexpr int kMaxAttempts = 10;
    static constexpr int kDefaultThreads = 24;
    static constexpr int kMaxThreads = 48;
    static constexpr int32_t kDefaultBuffer = 0x500000;

    CMultiDownloader();
    ~CMultiDownloader() override;
    CMultiDownloader(const CMultiDownloader&) = delete;
    CMultiDownloader& operator=(const CMultiDownloader&) = delete;

    void SetObserver(IObserver* observer) { observer_ = observer; }
    // Events are raised only while on (it starts on). The task manager turns it off before a pause.
    void SetNotify(bool on) { notify_.store(on); }
    // The expected MD5 text; may hold several digests, any of which matches.
    void SetServerMd5(const std::string& md5);
    void SetExeVersion(const std::string& version);
    // Starts the download thread for url into folder ('/' is added when it lacks one). Returns true.
    bool Start(int32_t task_id, const std::string& url, const std::string& folder);
    // Ends the download as cancelled: every connection stops, the range table is saved. Honoured at any
    // point, preparation and the waits between attempts included.
    void Cancel();
    void Resume();

    int64_t WriteData(int64_t offset, int64_t length, const void* bytes) override;

    // Bytes present: the connections' received bytes, plus those found from an earlier run when asked.
    int64_t GetDownloaded(bool include_cached);
    int64_t GetTotalSize() const { return total_size_.load(); }
    int32_t GetAttempt() const { return attempt_.load(); }
    // Seconds since the current attempt began, at least 1.
    int64_t GetElapsedSeconds() const;
    // Bytes per second fetched in the current attempt.
    int32_t GetSpeed();
    std::string GetUrl() const { return url_; }
    std::string GetFolder() const { return folder_; }
    std::string GetFileName() const;
    int32_t GetResult() const { return result_.load(); }
    bool IsFinished() const { return finished_.load(); }

    // Waits between attempts, between rename tries and the supervision pass, scaled for tests (1000 = real
    // seconds; 10 makes a one-second wait 10 ms). Process-wide.
    static void SetWaitScaleForTesting(int64_t milliseconds_per_second);
    static void SetSupervisionIntervalForTesting(int64_t milliseconds);
    // Replaces the available-memory figure (bytes; 0 restores the system's).
    static void SetAvailableMemoryForTesting(int64_t bytes);
    // The range table is saved each time this many more bytes are in (30 MiB; 0 restores that).
    static void SetSaveIntervalForTesting(int64_t bytes);

private:
    void ThreadBody();
    void RunAttempts();
    void Raise(int32_t type, int64_t number = 0, int32_t value1 = 0, int32_t value2 = 0);
    void RaiseText(int32_t type, const std::string& text);
    bool PrepareHost(bool flush_first);
    int64_t QuerySize();
    std::string PickAddress();
    void ChooseThreadsAndBuffer(int thread_ceiling);
    bool LayOutRanges();
    bool TryResume();
    bool StartConnection(int64_t start, int64_t end, int32_t buffer, const std::string& address);
    int32_t LaterBuffer() const;
    bool Supervise();
    void HandleEnded(CRangeConnection& connection, bool& started);
    int SplitCount(int active);
    bool Split(const std::string& address);
    void SendProgressIfDue();
    void SaveRangeTable();
    void SaveRangeTableAsync();
    void JoinSavers();
    bool CheckSize(bool with_events);
    // With a hasher that followed the file, its digest is used when it has one for the whole file.
    bool CheckMd5(const std::string& path, bool with_events, CPrefixHasher* hasher = nullptr);
    bool RenameToTarget();
    bool RemoveRangeTable();
    void CloseFile();
    void DestroyConnections();
    bool WaitSeconds(int64_t seconds);  // false when cancelled meanwhile
    bool IsCancelled() const { return cancelled_.load(); }
    int64_t EngineBytes();

    IObserver* observer_ = nullptr;
    int32_t task_id_ = 0;
    std::string file_name_;
    std::string url_;
    std::string server_md5_;
    std::string exe_version_;
    std::atomic<int32_t> attempt_{0};
    std::atomic<int32_t> result_{0};
    std::atomic<bool> notify_{true};
    std::string folder_;
    std::string target_path_;
    std::string temp_path_;
    std::atomic<int64_t> total_size_{0};
    std::atomic<int64_t> cached_{0};
    std::atomic<int64_t> start_time_{0};  // seconds
    int64_t end_time_ = 0;
    int64_t start_time_ms_ = 0;
    int64_t last_reported_ = -1;
    int64_t last_saved_mark_ = 0;
    std::map<std::string, int32_t> addresses_;
    std::vector<std::unique_ptr<CRangeConnection>> connections_;
    std::thread thread_;
    std::mutex list_lock_;
    // Data writes share it (they go to disjoint ranges at their own offsets); saving the range table and
    // closing the file take it alone.
    std::shared_mutex file_lock_;
    bool multi_ = true;
    int threads_ = kDefaultThreads;
    int32_t buffer_ = kDefaultBuffer;
    platform::FileHandle file_;
    CPrefixHasher hasher_;  // follows the temporary file while it is written, when an MD5 is expected
    int64_t tcp_sample_ = 0;
    int64_t engine_sample_ = 0;
    int no_progress_ = 0;
    bool backlog_ = false;  // the last supervision pass stopped at its limit of ended connections
    int error_budget_ = 20;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::mutex wait_lock_;
    std::condition_variable wait_signal_;
    std::mutex saver_lock_;
    std::vector<std::thread> savers_;
    mutable std::mutex text_lock_;
};

}  // namespace ns_IXD
