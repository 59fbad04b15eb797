#include "downloader/multi_downloader.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>

#include "downloader/range_table.h"
#include "downloader/sized_file.h"
#include "downloader/url_parts.h"
#include "formats/utf_conversion.h"
#include "platform/file_attributes.h"
#include "platform/file_lockers.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "platform/system_status.h"
#include "system/md5.h"
#include "system/simple_log.h"

namespace ns_IXD {

namespace {

constexpr int64_t kMiB = 0x100000;
constexpr int64_t kAmpleMemory = 0x7800000;  // 24 buffers of 5 MiB
constexpr int64_t kSplitMinimumLeft = 0x100000;
constexpr int64_t kSaveEvery = 0x1E00000;  // 30 MiB
constexpr int32_t kMinimumBufferOne = 0x40000;
constexpr int32_t kMinimumBufferMany = 0x80000;
constexpr int kRenameTries = 15;
constexpr int64_t kTcpSegmentBytes = 1460;
constexpr char kTempSuffix[] = ".~P2S";

std::atomic<int64_t> g_wait_ms_per_second{1000};
std::atomic<int64_t> g_supervision_ms{200};
std::atomic<int64_t> g_memory_override{0};
std::atomic<int64_t> g_save_every{kSaveEvery};

int64_t NowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int64_t NowMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t AvailableMemory() {
    int64_t forced = g_memory_override.load();
    if (forced > 0) return forced;
    return platform::GetAvailablePhysicalMemory().value_or(kAmpleMemory);
}

std::string Upper(std::string text) {
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool IsInUseError(int error) {
    return error == platform::kErrorSharingViolation || error == platform::kErrorUserMappedFile;
}

// A redirect to the block page of a local network gateway (a captive portal or filter on a private address)
// does not serve ranges: the download goes on with one connection.
bool IsGatewayBlockPage(const std::string& effective_url) {
    UrlParts parts;
    if (effective_url.empty() || !SplitUrl(effective_url, parts)) return false;
    bool private_host = parts.name.rfind("10.", 0) == 0 || parts.name.rfind("192.", 0) == 0 ||
                        parts.name.rfind("172.", 0) == 0;
    return private_host && effective_url.find("disable.htm") != std::string::npos;
}

// The task's result for a transfer error of a range connection.
int32_t ResultOfTransferError(int error) {
    switch (error) {
        case CURLE_COULDNT_RESOLVE_HOST:
            return kResultDnsFailed;
        case CURLE_COULDNT_CONNECT:
            return kResultConnectFailed;
        case CURLE_OPERATION_TIMEDOUT:
            return kResultTimeout;
        case CURLE_RANGE_ERROR:
            return kResultReceiveFailed;
        case CURLE_RECV_ERROR:
            return kResultReceiveFailed;
        case CURLE_SSL_CONNECT_ERROR:
        case 51:  // the former peer-certificate error number
        case CURLE_PEER_FAILED_VERIFICATION:
            return kResultSslFailed;
        case CURLE_SEND_ERROR:
            return kResultSendFailed;
        case CURLE_TOO_MANY_REDIRECTS:
            return kResultTooManyRedirects;
        case CURLE_GOT_NOTHING:
            return kResultServerClosed;
        default:
            return kResultOtherTransferError;
    }
}

}  // namespace

CMultiDownloader::CMultiDownloader() = default;

CMultiDownloader::~CMultiDownloader() {
    Cancel();
    if (thread_.joinable()) thread_.join();
    DestroyConnections();
    JoinSavers();
}

void CMultiDownloader::SetWaitScaleForTesting(int64_t milliseconds_per_second) {
    g_wait_ms_per_second.store(milliseconds_per_second);
}

void CMultiDownloader::SetSupervisionIntervalForTesting(int64_t milliseconds) {
    g_supervision_ms.store(milliseconds);
}

void CMultiDownloader::SetAvailableMemoryForTesting(int64_t bytes) {
    g_memory_override.store(bytes);
}

void CMultiDownloader::SetSaveIntervalForTesting(int64_t bytes) {
    g_save_every.store(bytes > 0 ? bytes : kSaveEvery);
}

void CMultiDownloader::SetServerMd5(const std::string& md5) {
    WriteLog(kLogInfo, "[INFO] multi, set server md5=[%s].", md5.c_str());
    server_md5_ = Upper(md5);
}

void CMultiDownloader::SetExeVersion(const std::string& version) {
    WriteLog(kLogInfo, "[INFO] multi, set exe version=[%s].", version.c_str());
    exe_version_ = version;
}

bool CMultiDownloader::Start(int32_t task_id, const std::string& url, const std::string& folder) {
    WriteLog(kLogInfo, "[INFO] multi, download id=[%d], url=[%s], dir=[%s].", task_id, url.c_str(),
             folder.c_str());
    task_id_ = task_id;
    url_ = url;
    folder_ = folder;
    if (folder_.empty() || folder_.back() != '/') folder_ += '/';
    thread_ = std::thread(&CMultiDownloader::ThreadBody, this);
    return true;
}

void CMultiDownloader::Cancel() {
    std::lock_guard<std::mutex> hold(list_lock_);
    WriteLog(kLogInfo, "[INFO] multi, cancel.");
    cancelled_.store(true);
    for (auto& connection : connections_) connection->CancelIfActive();
    std::lock_guard<std::mutex> wake(wait_lock_);
    wait_signal_.notify_all();
}

void CMultiDownloader::Resume() {
    std::lock_guard<std::mutex> hold(list_lock_);
    WriteLog(kLogInfo, "[INFO] multi, resume.");
    for (auto& connection : connections_) connection->Resume();
}

std::string CMultiDownloader::GetFileName() const {
    std::lock_guard<std::mutex> hold(text_lock_);
    return file_name_;
}

int64_t CMultiDownloader::GetElapsedSeconds() const {
    int64_t started = start_time_.load();
    if (started == 0) return 1;
    return std::max<int64_t>(1, NowSeconds() - started);
}

int64_t CMultiDownloader::GetDownloaded(bool include_cached) {
    std::lock_guard<std::mutex> hold(list_lock_);
    int64_t sum = include_cached ? cached_.load() : 0;
    for (auto& connection : connections_) sum += connection->GetReceived();
    return sum;
}

int64_t CMultiDownloader::EngineBytes() {
    return GetDownloaded(false);
}

int32_t CMultiDownloader::GetSpeed() {
    return int32_t(std::min<int64_t>(EngineBytes() / GetElapsedSeconds(), INT32_MAX));
}

void CMultiDownloader::Raise(int32_t type, int64_t number, int32_t value1, int32_t value2) {
    if (!notify_.load() || !observer_) return;
    auto event = std::make_unique<DownloadEvent>();
    event->task_id = task_id_;
    event->type = type;
    event->number = number;
    event->value1 = value1;
    event->value2 = value2;
    if (type == kEventProgress) {
        event->progress = std::make_unique<ProgressRecord>();
        event->progress->total = total_size_.load();
        event->progress->downloaded = number;
        int64_t elapsed = std::max<int64_t>(1, (NowMilliseconds() - start_time_ms_) / 1000);
        event->progress->speed = int32_t(std::min<int64_t>(EngineBytes() / elapsed, INT32_MAX));
    }
    if (type == kEventFileName) event->text16 = Utf8ToUtf16(GetFileName());
    observer_->Notify(std::move(event), 0);
}

void CMultiDownloader::RaiseText(int32_t type, const std::string& text) {
    if (!notify_.load() || !observer_) return;
    auto event = std::make_unique<DownloadEvent>();
    event->task_id = task_id_;
    event->type = type;
    event->text = text;
    observer_->Notify(std::move(event), 0);
}

bool CMultiDownloader::WaitSeconds(int64_t seconds) {
    std::unique_lock<std::mutex> hold(wait_lock_);
    return !wait_signal_.wait_for(hold, std::chrono::milliseconds(seconds * g_wait_ms_per_second.load()),
                                  [this] { return cancelled_.load(); });
}

void CMultiDownloader::ThreadBody() {
    WriteLog(kLogInfo, "[INFO] multi, thread begin.");
    Raise(kEventPrepare);
    Raise(kEventStarted);
    if (!IsCancelled() && !PrepareHost(false)) {
        WriteLog(kLogWarn, "[WARN] multi, init host failed; fallback to origin domain.");
    }
    {
        std::lock_guard<std::mutex> hold(text_lock_);
        file_name_ = url_.substr(url_.rfind('/') + 1);
    }
    target_path_ = folder_ + GetFileName();
    Raise(kEventFileName);

    if (!IsCancelled() && total_size_.load() <= 0) total_size_.store(QuerySize());
    if (IsCancelled()) {
        result_.store(kResultUserCanceled);
    } else if (total_size_.load() <= 0) {
        WriteLog(kLogError, "[ERROR] multi, get file size from server failed!");
        Raise(kEventGetInfoFailed, 2);
        result_.store(kResultGetInfoFailed);
    } else {
        Raise(kEventFileSize, total_size_.load());
        if (platform::GetFileSize(target_path_).value_or(-1) == total_size_.load() &&
            server_md5_.size() >= 3 && CheckMd5(target_path_, false)) {
            WriteLog(kLogInfo, "[INFO] multi, is already downloaded.");
            cached_.store(total_size_.load());
            result_.store(kResultSuccess);
        } else {
            RunAttempts();
        }
    }
    Raise(kEventFinished, result_.load());
    finished_.store(true);
}

void CMultiDownloader::RunAttempts() {
    multi_ = true;
    temp_path_ = target_path_ + kTempSuffix;
    int thread_ceiling = kMaxThreads;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        attempt_.store(attempt);
        if (IsCancelled()) {
            result_.store(kResultUserCanceled);
            break;
        }
        if (attempt == 5) {
            if (!PrepareHost(true)) {
                WriteLog(kLogWarn, "[WARN] multi, re-init host failed after clearing dns cache; continue.");
            }
            multi_ = true;
        }
        result_.store(kResultSuccess);
        tcp_sample_ = platform::GetTcpSegmentsReceived().value_or(0) * kTcpSegmentBytes;
        engine_sample_ = 0;
        ChooseThreadsAndBuffer(thread_ceiling);
        Raise(kEventDownloadConfig, 0, threads_, buffer_);
        start_time_ms_ = NowMilliseconds();
        start_time_.store(NowSeconds());
        if (!LayOutRanges()) break;
        WriteLog(kLogInfo, "[INFO] multi, start retry=[%d], thread=[%d], buffer=[%d].", attempt, threads_,
                 buffer_);
        Raise(kEventAttempt, attempt);
        no_progress_ = 0;
        error_budget_ = std::max(20, 2 * threads_);
        while (Supervise()) {
        }
        // A cancel can come before any connection started, and connections can fail to start at all: neither
        // may pass for a complete file.
        if (IsCancelled()) {
            result_.store(kResultUserCanceled);
        } else if (result_.load() == kResultSuccess && GetDownloaded(true) < total_size_.load()) {
            WriteLog(kLogError, "[ERROR] multi, attempt ended with [%lld] of [%lld] bytes.",
                     static_cast<long long>(GetDownloaded(true)), static_cast<long long>(total_size_.load()));
            result_.store(kResultDownloadFailed);
        }
        end_time_ = NowSeconds();
        int64_t engine = EngineBytes();
        int64_t elapsed = std::max<int64_t>(1, end_time_ - start_time_.load());
        WriteLog(kLogInfo,
                 "[INFO] multi, finished, retry=[%d], downloaded=[%lld], speed=[%.0f B/s], "
                 "tEnd(%lld)-tStart(%lld)=[%lld], thread=[%d], curl_multi=[%d].",
                 attempt, static_cast<long long>(GetDownloaded(true)), double(engine) / double(elapsed),
                 static_cast<long long>(end_time_), static_cast<long long>(start_time_.load()),
                 static_cast<long long>(end_time_ - start_time_.load()), threads_, 0);
        SendProgressIfDue();
        // Every connection thread has ended and written its buffer before the file is touched again.
        {
            std::lock_guard<std::mutex> hold(list_lock_);
            for (auto& connection : connections_) connection->Join();
        }
        JoinSavers();
        if (result_.load() == kResultUserCanceled) SaveRangeTable();
        CloseFile();

        if (result_.load() == kResultSuccess) RemoveRangeTable();
        bool verified = result_.load() == kResultSuccess && CheckSize(true) &&
                        (CheckMd5(temp_path_, true, &hasher_) || server_md5_.size() <= 3);
        hasher_.Stop();
        if (verified && RenameToTarget()) {
            WriteLog(kLogInfo, "[INFO] multi, download success.");
            DestroyConnections();
            cached_.store(total_size_.load());
            result_.store(kResultSuccess);
            platform::SetFileHidden(target_path_, false);
            Raise(kEventAttemptEnd, 0, attempt, 0);
            break;
        }
        WriteLog(kLogError, "[ERROR] multi, download failed! retry=[%d], status=[%d]", attempt,
                 result_.load());
        Raise(kEventAttemptEnd, 0, attempt, result_.load());
        if (result_.load() == kResultUserCanceled) {
            DestroyConnections();
            break;
        }
        platform::DeleteFile(temp_path_);
        if (result_.load() == kResultMd5Mismatch) {
            if (threads_ > 12) {
                threads_ = 12;
            } else if (threads_ > 8) {
                threads_ = 8;
            } else if (threads_ > 4) {
                threads_ = 4;
            } else {
                multi_ = false;
            }
            thread_ceiling = threads_;
        }
        if (!WaitSeconds(std::min(2 * attempt + 1, 12))) {
            DestroyConnections();
            result_.store(kResultUserCanceled);
            break;
        }
        DestroyConnections();
    }
}

void CMultiDownloader::ChooseThreadsAndBuffer(int thread_ceiling) {
    int64_t available = AvailableMemory();
    if (available >= kAmpleMemory) {
        threads_ = kDefaultThreads;
        buffer_ = kDefaultBuffer;
    } else {
        threads_ = kDefaultThreads;
        int64_t buffer = available / kDefaultThreads;
        if (buffer < kMiB) {
            buffer = kMiB;
            threads_ = int(std::max<int64_t>(1, available / kMiB));
        }
        buffer_ = int32_t(buffer);
    }
    threads_ = std::min(threads_, thread_ceiling);
}

int32_t CMultiDownloader::LaterBuffer() const {
    return int32_t(std::min<int64_t>(AvailableMemory(), kDefaultBuffer));
}

bool CMultiDownloader::StartConnection(int64_t start, int64_t end, int32_t buffer,
                                       const std::string& address) {
    int32_t minimum = threads_ < 2 ? kMinimumBufferOne : kMinimumBufferMany;
    if (buffer < minimum) {
        WriteLog(kLogError, "[ERROR] multi, buffer size [%lld] less than minimum [%lld] for %d threads.",
                 static_cast<long long>(buffer), static_cast<long long>(minimum), threads_);
        result_.store(kResultBufferError);
        return false;
    }
    if (buffer < kMiB) {
        WriteLog(kLogWarn, "[WARN] multi, free memory less 1MB, using reduced buffer size=[%d].", buffer);
    }
    if (IsCancelled()) return false;
    std::string pinned = address.empty() ? PickAddress() : address;
    auto connection = std::make_unique<CRangeConnection>();
    if (!connection->Init(url_, start, end, pinned)) return false;
    connection->SetTotalSize(total_size_.load());
    connection->SetBufferSize(buffer);
    connection->SetFileWriter(this);
    RaiseText(kEventAddressUsed, pinned);
    Raise(kEventConnection, connection->GetInitialBytes());
    std::lock_guard<std::mutex> hold(list_lock_);
    // A cancel that came meanwhile would miss this connection: it never starts.
    if (IsCancelled()) return false;
    connection->Run();
    connections_.push_back(std::move(connection));
    return true;
}

bool CMultiDownloader::LayOutRanges() {
    cached_.store(0);
    CloseFile();
    if (TryResume()) return true;

    int error = 0;
    int outcome = CreateSizedFile(Utf8ToUtf16(temp_path_), error, total_size_.load());
    WriteLog(kLogInfo, "[INFO] multi, create tmp file=[%s], ret=[%d][%d].", temp_path_.c_str(), outcome,
             error);
    if (outcome == kSizedFileCreated) {
        platform::SetFileHidden(temp_path_, true);
    } else if (outcome == kSizedFileNoSpace) {
        WriteLog(kLogError, "[ERROR] multi, disk space not enough!");
        result_.store(kResultDiskSpace);
        Raise(kEventFileOperation, 0, kFileOperationDiskSpace, error);
        return false;
    } else {
        WriteLog(kLogError, "[ERROR] multi, create null file failed!");
        result_.store(kResultFileOperationFailed);
        Raise(kEventFileOperation, 0, kFileOperationCreate, error);
        return false;
    }
    if (!file_.Open(temp_path_, platform::FileHandle::Mode::kOpenExisting)) {
        WriteLog(kLogError, "[ERROR] multi, create null file failed!");
        result_.store(kResultFileOperationFailed);
        Raise(kEventFileOperation, 0, kFileOperationCreate, platform::LastSystemError());
        return false;
    }

    int64_t total = total_size_.load();
    if (server_md5_.size() >= 3) hasher_.Begin(temp_path_, total, {});
    if (multi_) {
        int64_t part = (total + threads_ - 1) / threads_;
        for (int k = 0; k < threads_; ++k) {
            int64_t start = k * part;
            int64_t end = std::min(start + part - 1, total - 1);
            // With fewer bytes than connections the last parts are empty: they have nothing to fetch.
            if (start > end) break;
            StartConnection(start, end, buffer_, std::string());
        }
    } else {
        WriteLog(kLogWarn, "[WARN] not support range download.");
        StartConnection(0, -1, buffer_, std::string());
    }
    return true;
}

bool CMultiDownloader::TryResume() {
    if (platform::GetFileSize(temp_path_).value_or(0) <= total_size_.load()) return false;
    platform::FileHandle file;
    if (!file.Open(temp_path_, platform::FileHandle::Mode::kOpenExisting)) return false;
    std::optional<std::map<int64_t, int64_t>> ranges = ReadRangeTable(file, total_size_.load());
    if (!ranges) return false;
    // The file is open before the first connection can deliver bytes.
    {
        std::unique_lock<std::shared_mutex> hold(file_lock_);
        file_ = std::move(file);
    }
    if (server_md5_.size() >= 3) {
        // What the table does not list is in the file already, from the earlier run.
        std::vector<CPrefixHasher::Piece> present;
        int64_t from = 0;
        for (const auto& [start, end] : *ranges) {
            if (start > from) present.push_back({from, start - 1});
            from = std::max(from, end + 1);
        }
        if (from < total_size_.load()) present.push_back({from, total_size_.load() - 1});
        hasher_.Begin(temp_path_, total_size_.load(), present);
    }
    WriteLog(kLogInfo, "[INFO] multi, resume download.");
    int64_t sum = 0;
    for (const auto& [start, end] : *ranges) {
        sum += end - start + 1;
        StartConnection(start, end, buffer_, std::string());
    }
    cached_.store(total_size_.load() - sum);
    WriteLog(kLogInfo, "[INFO] multi, total=[%lld], cached=[%lld], undownloaded=[%lld].",
             static_cast<long long>(total_size_.load()), static_cast<long long>(cached_.load()),
             static_cast<long long>(sum));
    return true;
}

int64_t CMultiDownloader::WriteData(int64_t offset, int64_t length, const void* bytes) {
    std::shared_lock<std::shared_mutex> hold(file_lock_);
    if (!file_.IsOpen()) return 0;
    if (offset < 0) {
        WriteLog(kLogError, "[ERROR] multi, write file data failed! seek failed, err=[%d].",
                 platform::kErrorNegativeSeek);
        return 0;
    }
    if (!file_.WriteAt(offset, bytes, length)) {
        WriteLog(kLogError, "[ERROR] multi, write file data failed! write size=[%d], err=[%d].", int(length),
                 platform::LastSystemError());
        return 0;
    }
    hasher_.MarkWritten(offset, length);
    return length;
}

bool CMultiDownloader::Supervise() {
    int64_t remembered = GetDownloaded(true);
    // A pass looks at no more than three ended connections. When the last one found three, more may be
    // waiting (equal ranges at equal rates end together), and the next pass follows without the pause.
    if (!backlog_) {
        std::unique_lock<std::mutex> hold(wait_lock_);
        wait_signal_.wait_for(hold, std::chrono::milliseconds(g_supervision_ms.load()));
    }
    SendProgressIfDue();

    std::vector<CRangeConnection*> ended;
    bool found = false;
    {
        std::lock_guard<std::mutex> hold(list_lock_);
        for (auto& connection : connections_) {
            if (connection->IsActive()) {
                found = true;
                continue;
            }
            if (connection->handled) continue;
            connection->handled = true;
            ended.push_back(connection.get());
            if (ended.size() == 3) break;
        }
        // Connections after the third ended one were not looked at; any of them may still run.
        backlog_ = ended.size() == 3;
        if (backlog_) found = true;
    }
    if (!ended.empty()) found = true;

    for (CRangeConnection* connection : ended) {
        bool started = false;
        HandleEnded(*connection, started);
        if (started) found = true;
        // An error counts against the budget even when its range was started again: a server that fails
        // every request must end the attempt.
        if (GetDownloaded(true) != remembered) {
            no_progress_ = 0;
        } else if (result_.load() != kResultSuccess && ++no_progress_ >= error_budget_) {
            if (no_progress_ == error_budget_) {
                WriteLog(kLogError, "[ERROR] multi, too many errors without progress (cnt=%d >= %d), break.",
                         no_progress_, error_budget_);
            }
            break;
        }
        if (started) result_.store(kResultSuccess);
    }
    return found;
}

void CMultiDownloader::HandleEnded(CRangeConnection& connection, bool& started) {
    int error = connection.GetTransferError();
    if (error != CURLE_OK && error != CURLE_WRITE_ERROR && error != CURLE_ABORTED_BY_CALLBACK) {
        WriteLog(kLogError, "[ERROR] multi, curl_error=[%d][%s].", error,
                 curl_easy_strerror(CURLcode(error)));
        result_.store(ResultOfTransferError(error));
        if (error == CURLE_RANGE_ERROR) multi_ = false;
    }
    int status = connection.GetHttpStatus();
    if (status == 416) {
        multi_ = false;
        result_.store(kResultReceiveFailed);
    } else if (status == 0 && error == CURLE_OPERATION_TIMEDOUT) {
        result_.store(kResultTimeout);
    }
    // Once the budget of errors without progress is spent, nothing more is started in this attempt: a
    // server that refuses every request would otherwise be asked again forever.
    bool budget_left = no_progress_ < error_budget_;
    bool redownload_allowed = multi_ && budget_left;
    if (IsGatewayBlockPage(connection.GetEffectiveUrl())) multi_ = false;

    int32_t state = connection.GetState();
    if (state == CRangeConnection::kDone && multi_ && budget_left) {
        int active = 0;
        {
            std::lock_guard<std::mutex> hold(list_lock_);
            for (auto& other : connections_) active += other->IsActive() ? 1 : 0;
        }
        int splits = SplitCount(active + 1) + 1;
        for (int i = 0; i < splits; ++i) {
            if (!Split(connection.GetAddress())) break;
            started = true;
        }
    } else if (state == CRangeConnection::kFailed && redownload_allowed) {
        // Bytes received but never written (a failed write) are fetched again.
        int64_t from = connection.GetStart() + std::min(connection.GetReceived(), connection.GetWritten());
        int64_t end = connection.GetEnd();
        WriteLog(kLogInfo, "[INFO] multi, failed, redownload range(%lld~%lld).", static_cast<long long>(from),
                 static_cast<long long>(end));
        if (end >= 0 && from > end) {
            connection.replaced = true;
        } else if (StartConnection(from, end, LaterBuffer(), std::string())) {
            connection.replaced = true;
            started = true;
        }
    } else if (state == CRangeConnection::kCancelled) {
        result_.store(kResultUserCanceled);
    }
}

int CMultiDownloader::SplitCount(int active) {
    int64_t tcp = platform::GetTcpSegmentsReceived().value_or(0) * kTcpSegmentBytes;
    int64_t engine = EngineBytes();
    if (tcp == tcp_sample_) return 0;
    int answer = 0;
    int64_t tcp_growth = tcp - tcp_sample_;
    int64_t engine_growth = engine - engine_sample_;
    if (tcp_growth > engine_growth) {
        double flow = double(engine_growth) / double(tcp_growth);
        WriteLog(kLogInfo, "[INFO] thread_cnt=[%d], flow_rate=[%.02f].", std::min(active, kMaxThreads), flow);
        if (flow > 0.81 && active > threads_) {
            answer = -1;
        } else if (flow < 0.79 && active < kMaxThreads) {
            answer = 1;
        }
    }
    tcp_sample_ = tcp;
    engine_sample_ = engine;
    return answer;
}

bool CMultiDownloader::Split(const std::string& address) {
    CRangeConnection* widest = nullptr;
    {
        std::lock_guard<std::mutex> hold(list_lock_);
        for (auto& connection : connections_) {
            if (connection->GetState() == CRangeConnection::kRunning &&
                connection->GetBytesLeft() > kSplitMinimumLeft) {
                widest = connection.get();
                break;
            }
        }
    }
    if (!widest) return false;
    int64_t end = widest->GetEndInUse();
    int64_t half = widest->GetBytesLeft() / 2;
    if (!StartConnection(end - half, end, LaterBuffer(), address)) return false;
    int64_t new_end = end - half - 1;
    widest->SetEnd(new_end);
    int64_t holds = new_end - widest->GetStart() + 1;
    if (widest->GetReceived() > holds) widest->SetReceived(holds);
    return true;
}

void CMultiDownloader::SendProgressIfDue() {
    int64_t downloaded = GetDownloaded(true);
    if (downloaded != last_reported_) {
        last_reported_ = downloaded;
        Raise(kEventProgress, downloaded);
    }
    if (last_saved_mark_ > downloaded) last_saved_mark_ = 0;
    if (downloaded - last_saved_mark_ >= g_save_every.load()) {
        last_saved_mark_ = downloaded;
        SaveRangeTableAsync();
    }
}

void CMultiDownloader::SaveRangeTableAsync() {
    // A save takes milliseconds; the one before has ended long since and is reaped here, so that a long
    // download does not pile up ended threads.
    JoinSavers();
    std::lock_guard<std::mutex> hold(saver_lock_);
    savers_.emplace_back(&CMultiDownloader::SaveRangeTable, this);
}

void CMultiDownloader::JoinSavers() {
    std::vector<std::thread> savers;
    {
        std::lock_guard<std::mutex> hold(saver_lock_);
        savers.swap(savers_);
    }
    for (std::thread& saver : savers) saver.join();
}

void CMultiDownloader::SaveRangeTable() {
    std::vector<RemainingRange> ranges;
    {
        std::lock_guard<std::mutex> hold(list_lock_);
        for (auto& connection : connections_) {
            int32_t state = connection->GetState();
            bool listed = state == CRangeConnection::kRunning || state == CRangeConnection::kPaused ||
                          state == CRangeConnection::kCancelled ||
                          (state == CRangeConnection::kFailed && !connection->replaced);
            if (!listed) continue;
            RemainingRange range;
            range.start = connection->GetStart() + connection->GetWritten();
            range.end = connection->GetEndInUse();
            if (range.start <= range.end) ranges.push_back(range);
        }
    }
    if (ranges.empty()) return;
    std::string table = EncodeRangeTable(ranges);
    int64_t total = total_size_.load();
    std::unique_lock<std::shared_mutex> hold(file_lock_);
    if (!file_.IsOpen()) return;
    // A shorter table is cut to length first: a file cut between the two steps holds no valid table, never a
    // mixture of the old and the new one.
    int64_t new_size = total + int64_t(table.size());
    if (file_.Size().value_or(0) > new_size) file_.SetEndOfFile(new_size);
    if (!file_.WriteAt(total, table.data(), int64_t(table.size()))) {
        WriteLog(kLogError, "[ERROR] multi, write cache info failed! write count.");
        return;
    }
    if (!file_.SetEndOfFile(new_size)) {
        WriteLog(kLogError, "[ERROR] multi, write file data failed! set end, err=[%d].",
                 platform::LastSystemError());
    }
}

bool CMultiDownloader::RemoveRangeTable() {
    for (int i = 1;; ++i) {
        platform::FileHandle file;
        int error = platform::kErrorSuccess;
        if (platform::FileInUseByOtherProcess(temp_path_)) {
            error = platform::kErrorSharingViolation;
        } else if (!file.Open(temp_path_, platform::FileHandle::Mode::kOpenExisting) ||
                   !file.SetEndOfFile(total_size_.load())) {
            error = platform::LastSystemError();
        }
        if (error == platform::kErrorSuccess) return true;
        WriteLog(kLogError, "[ERROR] multi, remove cache info failed! err=[%d].", error);
        if (!IsInUseError(error) || i >= kRenameTries) return false;
        LogFileLockers(Utf8ToUtf16(temp_path_));
        if (!WaitSeconds(i)) return false;
    }
}

bool CMultiDownloader::CheckSize(bool with_events) {
    std::optional<int64_t> size = platform::GetFileSize(temp_path_);
    if (size && *size == total_size_.load()) return true;
    if (with_events) Raise(kEventFileOperation, 0, kFileOperationSizeCheck, platform::LastSystemError());
    result_.store(kResultFileSizeError);
    WriteLog(kLogError, "[ERROR] multi, check file size incorrect! local_size=[%lld], dst_size=[%lld]",
             static_cast<long long>(size.value_or(0)), static_cast<long long>(total_size_.load()));
    return false;
}

bool CMultiDownloader::CheckMd5(const std::string& path, bool with_events, CPrefixHasher* hasher) {
    if (server_md5_.size() < 3) return false;
    std::string md5 = hasher ? hasher->Finish() : std::string();
    if (md5.empty()) md5 = Md5File(Utf8ToUtf16(path));
    md5 = Upper(md5);
    if (with_events) RaiseText(kEventFileMd5, md5);
    // An unreadable file has no digest, and no digest matches.
    if (!md5.empty() && server_md5_.find(md5) != std::string::npos) {
        WriteLog(kLogInfo, "[INFO] multi, check md5 ok.");
        if (with_events) Raise(kEventMd5Match);
        return true;
    }
    WriteLog(kLogError, "[ERROR] multi, check md5 failed! file_md5=[%s].", md5.c_str());
    result_.store(kResultMd5Mismatch);
    return false;
}

bool CMultiDownloader::RenameToTarget() {
    int error = platform::kErrorSuccess;
    for (int i = 1; i <= kRenameTries; ++i) {
        // A target that another process holds open cannot be replaced.
        if (platform::FileInUseByOtherProcess(target_path_)) {
            error = platform::kErrorSharingViolation;
        } else {
            platform::DeleteFile(target_path_);
            error = platform::RenameFile(temp_path_, target_path_) ? platform::kErrorSuccess
                                                                   : platform::LastSystemError();
        }
        if (error == platform::kErrorSuccess) return true;
        WriteLog(kLogError, "[ERROR] rename failed, try=%d, err=%d", i, error);
        if (IsInUseError(error)) LogFileLockers(Utf8ToUtf16(target_path_));
        if (i < kRenameTries && !WaitSeconds(i)) break;
    }
    WriteLog(kLogError, "[ERROR] multi, revert file name failed! error=[%d].", error);
    Raise(kEventFileOperation, 0, kFileOperationRename, error);
    // The file is not where it belongs: that is a failure, never a success.
    result_.store(IsCancelled() ? kResultUserCanceled : kResultFileOperationFailed);
    return false;
}

void CMultiDownloader::CloseFile() {
    std::unique_lock<std::shared_mutex> hold(file_lock_);
    file_.Close();
}

void CMultiDownloader::DestroyConnections() {
    std::vector<std::unique_ptr<CRangeConnection>> connections;
    {
        std::lock_guard<std::mutex> hold(list_lock_);
        for (auto& connection : connections_) connection->CancelIfActive();
        connections.swap(connections_);
    }
    connections.clear();
}

}  // namespace ns_IXD
