// What the engine's end-to-end tests share: a callback that records every call as a line of text, and a
// fixture with short waits, a log, a temporary folder and a manager.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "downloader/downloader_manager.h"
#include "tests/downloader/test_support.h"

namespace ixo_test {

// Lines such as "OnError 13", "OnDownloadConfig 24 5242880", "OnAddressUsed 127.0.0.2".
class RecordingCallback : public ns_IXD::IDownloaderManagerCallBack {
public:
    void OnFileName(int32_t, const char16_t* name) override;
    void OnFileSize(int32_t, int64_t size) override;
    void OnProgress(int32_t, int64_t downloaded, int64_t total, int32_t speed) override;
    void OnComplete(int32_t) override;
    void OnError(int32_t, int32_t result) override;
    void OnConnection(int32_t, int32_t reserved, int32_t kind, int64_t value) override;
    void OnStart(int32_t) override;
    void OnAddressUsed(int32_t, const char* ip) override;
    void OnRetry(int32_t, int32_t attempt) override;
    void OnAttemptEnd(int32_t, int32_t attempt, int32_t result) override;
    void OnFileMd5(int32_t, const char* md5) override;
    void OnMd5Match(int32_t) override;
    void OnFileOperationFailed(int32_t, int32_t operation, int32_t error) override;
    void OnGetInfoFailed(int32_t, int32_t error) override;
    void OnDnsCacheCleared(int32_t, int32_t value) override;
    void OnDnsResolved(int32_t, const char* host, const char* ips) override;
    void OnPrepare(int32_t) override;
    void OnDownloadConfig(int32_t, int32_t threads, int32_t buffer_size) override;

    // Every line so far (progress lines left out).
    std::vector<std::string> Lines();
    // Lines starting with the prefix.
    std::vector<std::string> Matching(const std::string& prefix);
    // Waits for OnComplete or OnError; the result (0 for OnComplete), or -1 when none came in time.
    int WaitFinished(std::chrono::milliseconds limit = std::chrono::seconds(60));
    int64_t LastProgress();

private:
    void Add(std::string line);

    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
    int64_t last_progress_ = 0;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Adds the task (id 7) and waits for it to end; returns the result.
    int Download(const std::string& url, const std::string& md5 = std::string());
    // Attempt-number lines "OnDownloadConfig ..." etc. of one attempt: the lines between the attempt's
    // config line and its end.
    std::vector<std::string> AttemptLines(int attempt);

    TempFolder folder_;
    RecordingCallback callback_;
    std::unique_ptr<ns_IXD::DownloaderManager> manager_;
};

}  // namespace ixo_test
