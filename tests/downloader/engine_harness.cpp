#include "tests/downloader/engine_harness.h"

#include "downloader/multi_downloader.h"
#include "downloader/range_connection.h"
#include "formats/utf_conversion.h"

namespace ixo_test {

void RecordingCallback::Add(std::string line) {
    std::lock_guard<std::mutex> hold(lock_);
    lines_.push_back(std::move(line));
    changed_.notify_all();
}

void RecordingCallback::OnFileName(int32_t, const char16_t* name) {
    Add("OnFileName " + Utf16ToUtf8(name));
}
void RecordingCallback::OnFileSize(int32_t, int64_t size) {
    Add("OnFileSize " + std::to_string(size));
}
void RecordingCallback::OnProgress(int32_t, int64_t downloaded, int64_t, int32_t) {
    std::lock_guard<std::mutex> hold(lock_);
    last_progress_ = downloaded;
}
void RecordingCallback::OnComplete(int32_t) {
    Add("OnComplete");
}
void RecordingCallback::OnError(int32_t, int32_t result) {
    Add("OnError " + std::to_string(result));
}
void RecordingCallback::OnConnection(int32_t, int32_t, int32_t kind, int64_t value) {
    Add("OnConnection " + std::to_string(kind) + " " + std::to_string(value));
}
void RecordingCallback::OnStart(int32_t) {
    Add("OnStart");
}
void RecordingCallback::OnAddressUsed(int32_t, const char* ip) {
    Add(std::string("OnAddressUsed ") + ip);
}
void RecordingCallback::OnRetry(int32_t, int32_t attempt) {
    Add("OnRetry " + std::to_string(attempt));
}
void RecordingCallback::OnAttemptEnd(int32_t, int32_t attempt, int32_t result) {
    Add("OnAttemptEnd " + std::to_string(attempt) + " " + std::to_string(result));
}
void RecordingCallback::OnFileMd5(int32_t, const char* md5) {
    Add(std::string("OnFileMd5 ") + md5);
}
void RecordingCallback::OnMd5Match(int32_t) {
    Add("OnMd5Match");
}
void RecordingCallback::OnFileOperationFailed(int32_t, int32_t operation, int32_t error) {
    Add("OnFileOperationFailed " + std::to_string(operation) + " " + std::to_string(error));
}
void RecordingCallback::OnGetInfoFailed(int32_t, int32_t error) {
    Add("OnGetInfoFailed " + std::to_string(error));
}
void RecordingCallback::OnDnsCacheCleared(int32_t, int32_t value) {
    Add("OnDnsCacheCleared " + std::to_string(value));
}
void RecordingCallback::OnDnsResolved(int32_t, const char* host, const char* ips) {
    Add(std::string("OnDnsResolved ") + host + " " + ips);
}
void RecordingCallback::OnPrepare(int32_t) {
    Add("OnPrepare");
}
void RecordingCallback::OnDownloadConfig(int32_t, int32_t threads, int32_t buffer_size) {
    Add("OnDownloadConfig " + std::to_string(threads) + " " + std::to_string(buffer_size));
}

std::vector<std::string> RecordingCallback::Lines() {
    std::lock_guard<std::mutex> hold(lock_);
    return lines_;
}

std::vector<std::string> RecordingCallback::Matching(const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : Lines()) {
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
}

int RecordingCallback::WaitFinished(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> hold(lock_);
    int result = -1;
    changed_.wait_for(hold, limit, [&] {
        for (const std::string& line : lines_) {
            if (line == "OnComplete") result = 0;
            if (line.rfind("OnError ", 0) == 0) result = std::stoi(line.substr(8));
        }
        return result != -1;
    });
    return result;
}

int64_t RecordingCallback::LastProgress() {
    std::lock_guard<std::mutex> hold(lock_);
    return last_progress_;
}

void EngineTest::SetUp() {
    EnsureTestLog();
    // A second of waiting becomes 10 ms; a stall counts after 400 ms of silence.
    ns_IXD::CMultiDownloader::SetWaitScaleForTesting(10);
    ns_IXD::CMultiDownloader::SetSupervisionIntervalForTesting(20);
    ns_IXD::CRangeConnection::SetStallLimitForTesting(400);
    manager_ = std::make_unique<ns_IXD::DownloaderManager>();
    manager_->SetCallBack(&callback_);
}

void EngineTest::TearDown() {
    if (manager_) manager_->StopAll();
    manager_.reset();
}

int EngineTest::Download(const std::string& url, const std::string& md5) {
    std::u16string wide_url = Utf8ToUtf16(url);
    std::u16string folder = Utf8ToUtf16(folder_.Path());
    std::u16string wide_md5 = Utf8ToUtf16(md5);
    EXPECT_EQ(manager_->AddTask(wide_url.c_str(), folder.c_str(), u"", 7, u"1.0", wide_md5.c_str(), 0), 7);
    return callback_.WaitFinished();
}

std::vector<std::string> EngineTest::AttemptLines(int attempt) {
    std::vector<std::string> lines = callback_.Lines();
    std::vector<std::string> found;
    int current = -1;
    for (const std::string& line : lines) {
        if (line.rfind("OnDownloadConfig ", 0) == 0) ++current;
        if (current == attempt) found.push_back(line);
    }
    return found;
}

}  // namespace ixo_test
