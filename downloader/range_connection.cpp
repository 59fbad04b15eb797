#include "downloader/range_connection.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "downloader/url_parts.h"
#include "system/deployment_profile.h"
#include "system/simple_log.h"

namespace ns_IXD {

namespace {

std::atomic<int64_t> g_stall_limit_ms{10000};
std::mutex g_ca_lock;
std::string g_ca_file;

constexpr long kConnectTimeoutSeconds = 10;
constexpr long kReceiveChunk = 256 * 1024;
constexpr long kLowSpeedBytes = 1;
constexpr long kLowSpeedSeconds = 60;
constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Trident/4.0)";

int64_t NowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

CURL* Easy(void* handle) {
    return static_cast<CURL*>(handle);
}

}  // namespace

CRangeConnection::CRangeConnection() = default;

CRangeConnection::~CRangeConnection() {
    CancelIfActive();
    Join();
    Release();
}

void CRangeConnection::SetStallLimitForTesting(int64_t milliseconds) {
    g_stall_limit_ms.store(milliseconds);
}

void CRangeConnection::SetCertificateAuthorityFile(const std::string& path) {
    std::lock_guard<std::mutex> hold(g_ca_lock);
    g_ca_file = path;
}

std::string CRangeConnection::GetCertificateAuthorityFile() {
    std::lock_guard<std::mutex> hold(g_ca_lock);
    return g_ca_file.empty() ? GetDeploymentProfile().ca_bundle : g_ca_file;
}

int64_t CRangeConnection::NowMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool CRangeConnection::Init(const std::string& url, int64_t start, int64_t end, const std::string& address) {
    url_ = url;
    start_ = start;
    end_.store(end);
    initial_end_ = end;
    address_ = address;
    UrlParts parts;
    SplitUrl(url, parts);
    host_ = parts.authority;
    handle_ = curl_easy_init();
    WriteLog(kLogInfo, "[INFO] easy=[%p], init, host=[%s], range(%lld~%lld)", static_cast<void*>(this),
             address_.c_str(), static_cast<long long>(start), static_cast<long long>(end));
    if (!handle_) {
        WriteLog(kLogError, "[ERROR] easy=[%p], init failed!", static_cast<void*>(this));
        return false;
    }

    curl_slist* resolve = nullptr;
    for (const std::string& pin : ResolvePins(url, address))
        resolve = curl_slist_append(resolve, pin.c_str());
    resolve_list_ = resolve;

    std::string range = "Range: bytes=" + std::to_string(start) + "-";
    if (end > 0 && end >= start) range += std::to_string(end);
    curl_slist* headers = curl_slist_append(nullptr, range.c_str());
    headers = curl_slist_append(headers, "Accept-Encoding: identity");
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    header_list_ = headers;

    CURL* easy = Easy(handle_);
    curl_easy_setopt(easy, CURLOPT_URL, url_.c_str());
    if (url_.find("http://") != std::string::npos) {
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_RESOLVE, resolve);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    ca_file_ = GetCertificateAuthorityFile();
    if (!ca_file_.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, ca_file_.c_str());
    curl_easy_setopt(easy, CURLOPT_TCP_FASTOPEN, 1L);
    curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
    // Larger receive chunks: fewer callbacks and copies per byte.
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveChunk);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytes);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "identity");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_FILETIME, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CRangeConnection::WriteCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &CRangeConnection::ProgressCallback);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    return true;
}

bool CRangeConnection::Run() {
    int32_t expected = kCreated;
    if (!handle_ || !state_.compare_exchange_strong(expected, kRunning)) return false;
    start_time_.store(NowSeconds());
    thread_ = std::thread(&CRangeConnection::ThreadBody, this);
    return true;
}

void CRangeConnection::CancelIfActive() {
    for (int32_t from : {kRunning, kPaused}) {
        int32_t expected = from;
        if (state_.compare_exchange_strong(expected, kCancelled)) {
            last_activity_ms_.store(NowMilliseconds());
            end_time_.store(NowSeconds());
            WriteLog(kLogWarn,
                     "[WARN] easy=[%p], cancel, range(%lld~%lld), downloaded=[%lld], undownloaded=[%lld], "
                     "saved=[%lld], speed=[%.0f B/s].",
                     static_cast<void*>(this), static_cast<long long>(start_),
                     static_cast<long long>(end_.load()), static_cast<long long>(received_.load()),
                     static_cast<long long>(GetBytesLeft()), static_cast<long long>(written_.load()),
                     speed_.load());
            return;
        }
    }
}

void CRangeConnection::Resume() {
    int32_t expected = kPaused;
    if (state_.compare_exchange_strong(expected, kRunning)) last_activity_ms_.store(NowMilliseconds());
}

void CRangeConnection::Join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool CRangeConnection::IsActive() const {
    int32_t state = state_.load();
    return state == kCreated || state == kRunning || state == kPaused;
}

int64_t CRangeConnection::GetEndInUse() const {
    int64_t end = end_.load();
    return end >= 0 ? end : total_size_ - 1;
}

int64_t CRangeConnection::GetBytesLeft() const {
    int64_t left = GetEndInUse() - start_ - received_.load() + 1;
    return left < 0 ? 0 : left;
}

int64_t CRangeConnection::GetInitialBytes() const {
    int64_t end = initial_end_ >= 0 ? initial_end_ : total_size_ - 1;
    return std::max<int64_t>(0, end - start_ + 1);
}

std::string CRangeConnection::GetEffectiveUrl() const {
    std::lock_guard<std::mutex> hold(effective_url_lock_);
    return effective_url_;
}

size_t CRangeConnection::WriteCallback(char* bytes, size_t size, size_t count, void* self) {
    return static_cast<CRangeConnection*>(self)->OnData(bytes, size * count);
}

int CRangeConnection::ProgressCallback(void* self, int64_t, int64_t, int64_t, int64_t) {
    return static_cast<CRangeConnection*>(self)->OnProgress();
}

size_t CRangeConnection::OnData(const char* bytes, size_t length) {
    if (!buffer_) {
        // A range never grows, so a buffer longer than the range would never fill.
        capacity_ = std::max<int64_t>(1, std::min<int64_t>(buffer_size_, GetInitialBytes()));
        if (!buffer_.Allocate(size_t(capacity_))) {
            WriteLog(kLogError, "[ERROR] easy=[%p], new buf failed! size=[%d].", static_cast<void*>(this),
                     buffer_size_);
            return length;
        }
    }
    last_activity_ms_.store(NowMilliseconds());
    int64_t n = std::min<int64_t>(int64_t(length), GetBytesLeft());
    if (buffered_ + n >= capacity_) {
        WriteOut(buffer_.Data(), buffered_);
        buffered_ = 0;
        if (n >= capacity_) {
            WriteOut(bytes, n);
        } else {
            std::memcpy(buffer_.Data(), bytes, size_t(n));
            buffered_ = n;
        }
    } else {
        std::memcpy(buffer_.Data() + buffered_, bytes, size_t(n));
        buffered_ += n;
    }
    received_.fetch_add(n);
    return size_t(n);
}

int CRangeConnection::OnProgress() {
    int32_t state = state_.load();
    if (state == kCancelled) {
        SetState(kCancelled);
        return 1;
    }
    if (state != kRunning) return 0;
    if (start_ + received_.load() > GetEndInUse()) {
        SetState(kDone);
        return 1;
    }
    int64_t last = last_activity_ms_.load();
    if (last == 0 || NowMilliseconds() - last <= g_stall_limit_ms.load()) return 0;
    SetState(kFailed);
    return 1;
}

void CRangeConnection::WriteOut(const char* bytes, int64_t count) {
    if (!file_writer_ || count <= 0) return;
    written_.fetch_add(file_writer_->WriteData(start_ + written_.load(), count, bytes));
}

void CRangeConnection::SetState(int32_t state) {
    if (buffer_) WriteOut(buffer_.Data(), buffered_);
    buffer_.Release();
    buffered_ = 0;
    ChangeState(state);
}

void CRangeConnection::ChangeState(int32_t state) {
    int32_t current = state_.load();
    while (true) {
        if (current == state || current == kCancelled || current == kDone || current == kFailed) return;
        if (state_.compare_exchange_weak(current, state)) break;
    }
    end_time_.store(NowSeconds());
    if (handle_) {
        curl_off_t speed = 0;
        if (curl_easy_getinfo(Easy(handle_), CURLINFO_SPEED_DOWNLOAD_T, &speed) == CURLE_OK)
            speed_.store(double(speed));
    }
    const long long start = start_, end = end_.load(), received = received_.load(), left = GetBytesLeft(),
                    written = written_.load();
    void* self = static_cast<void*>(this);
    if (state == kDone) {
        WriteLog(kLogInfo,
                 "[INFO] easy=[%p], success. range(%lld~%lld), downloaded=[%lld], undownloaded=[%lld], "
                 "saved=[%lld], speed=[%.0f B/s].",
                 self, start, end, received, left, written, speed_.load());
    } else if (state == kFailed) {
        WriteLog(kLogError,
                 "[ERROR] easy=[%p], failed! range(%lld~%lld), downloaded=[%lld], undownloaded=[%lld], "
                 "saved=[%lld], speed=[%.0f B/s].",
                 self, start, end, received, left, written, speed_.load());
    } else if (state == kCancelled) {
        WriteLog(kLogWarn,
                 "[WARN] easy=[%p], cancel, range(%lld~%lld), downloaded=[%lld], undownloaded=[%lld], "
                 "saved=[%lld], speed=[%.0f B/s].",
                 self, start, end, received, left, written, speed_.load());
    }
}

void CRangeConnection::ThreadBody() {
    CURL* easy = Easy(handle_);
    CURLcode result = curl_easy_perform(easy);
    transfer_error_.store(int32_t(result));
    // A range that is complete is done however the transfer ended (a range cut short by a split ends with a
    // write error once its last byte is in).
    if (state_.load() == kRunning && received_.load() > 0 && GetBytesLeft() == 0) SetState(kDone);
    if (result != CURLE_OK && state_.load() == kRunning) {
        WriteLog(kLogError, "[ERROR] easy=[%p], curl_easy_perform failed! err=[%d][%s].",
                 static_cast<void*>(this), int(result), curl_easy_strerror(result));
        SetState(kFailed);
    }
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    http_status_.store(int32_t(status));
    if (state_.load() == kRunning) {
        if (status == 0 || (status >= 200 && status <= 299)) {
            if (GetBytesLeft() > 0) {
                WriteLog(kLogWarn, "[WARN] easy=[%p], there is some abnormality.", static_cast<void*>(this));
                SetState(kFailed);
            } else {
                SetState(kDone);
            }
        } else {
            WriteLog(kLogWarn, "[WARN] easy=[%p], http code=[%d].", static_cast<void*>(this), int(status));
            SetState(kFailed);
        }
    }
    // Whatever state it ended in, the buffer reaches the file before the thread ends.
    SetState(state_.load());
    WriteLog(kLogInfo,
             "[INFO] easy=[%p], status=[%d], ip=[%s], tEnd(%lld)-tStart(%lld)=[%lld], range(%lld~%lld), "
             "downloaded=[%lld], undownloaded=[%lld], saved=[%lld].",
             static_cast<void*>(this), int(state_.load()), address_.c_str(),
             static_cast<long long>(end_time_.load()), static_cast<long long>(start_time_.load()),
             static_cast<long long>(end_time_.load() - start_time_.load()), static_cast<long long>(start_),
             static_cast<long long>(end_.load()), static_cast<long long>(received_.load()),
             static_cast<long long>(GetBytesLeft()), static_cast<long long>(written_.load()));
    long verify = 0;
    if (curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verify) == CURLE_OK && verify != 0) {
        WriteLog(kLogWarn, "[WARN] easy=[%p], ssl verify result=[%d].", static_cast<void*>(this),
                 int(verify));
    }
    char* effective = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective &&
        url_ != effective) {
        WriteLog(kLogInfo, "[INFO] easy=[%p], effective url=[%s].", static_cast<void*>(this), effective);
        std::lock_guard<std::mutex> hold(effective_url_lock_);
        effective_url_ = effective;
    }
    Release();
}

void CRangeConnection::Release() {
    if (handle_) curl_easy_cleanup(Easy(handle_));
    handle_ = nullptr;
    curl_slist_free_all(static_cast<curl_slist*>(resolve_list_));
    resolve_list_ = nullptr;
    curl_slist_free_all(static_cast<curl_slist*>(header_list_));
    header_list_ = nullptr;
    file_writer_ = nullptr;
}

}  // namespace ns_IXD
